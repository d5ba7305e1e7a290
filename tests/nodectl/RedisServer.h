// A Redis server of the tests' own: Debian's redis-server on a free loopback port, its data
// (append-only file included) in a folder under the build folder, started and stopped by its
// process id. Tests also use it to look at and tamper with what the controllers stored.
//
// Wine starts a Unix program without a process handle (CreateProcess succeeds with none), so
// the server runs under a small shell of its own that writes its pid and, when the server
// ends, its exit status into the data folder, which is what Start and Stop wait on. The shell
// also stops the server by its pid when the test process dies (its Unix pid comes from the
// build's wine-run as QX_TEST_UNIX_PID), so a crashed or killed test leaves no server behind.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct redisContext;

namespace nctest {

class RedisServer {
public:
    RedisServer();
    ~RedisServer(); // stops the server if it runs and removes its data folder
    RedisServer(const RedisServer&) = delete;
    RedisServer& operator=(const RedisServer&) = delete;

    // Starts the server (again, on the same port and data folder: a restart reads its
    // append-only file back) and waits until it answers PING; false with the reason in
    // Failure() when it does not. The first start begins on an empty folder.
    bool Start(const std::string& password = "");
    // Stops it by its process id and waits until the process has ended.
    bool Stop();
    bool Running() const { return m_pid != 0; }
    int Port() const { return m_port; }
    std::string Address() const;
    const std::string& Failure() const { return m_failure; }

    // A command on a connection of the test's own; the reply as text: a string, an integer in
    // decimal, "nil", "ERR..." for an error, "[a, b]" for a list.
    std::string Command(const std::vector<std::string>& args);

private:
    bool Launch();
    bool WaitUntilEnded(DWORD timeoutMs);
    std::string Log() const;

    std::string m_dir;      // the data folder, as a Unix path
    std::string m_password; // as started
    int m_port = 0;
    bool m_started = false;  // the folder has been emptied for this object
    unsigned long m_pid = 0; // the server's process id (a Unix one)
    std::string m_failure;
    redisContext* m_context = nullptr;
};

// Runs a shell command line of the machine (/bin/sh -c) from inside Wine and waits for it;
// its exit status, or -1 when it did not finish within the time. The line must not contain
// a double quote.
int RunUnix(const std::string& commandLine, DWORD timeoutMs = 20000);

} // namespace nctest
