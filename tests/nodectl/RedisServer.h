// A Redis server of the tests' own: Debian's redis-server on a free loopback port, its data
// (append-only file included) in a folder under the build folder, started and stopped by its
// process id. Tests also use it to look at and tamper with what the controllers stored.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

struct redisContext;

namespace nctest {

class RedisServer {
public:
    RedisServer();
    ~RedisServer(); // stops the server if it runs
    RedisServer(const RedisServer&) = delete;
    RedisServer& operator=(const RedisServer&) = delete;

    // Starts the server (again, on the same port and data folder); false with the reason in
    // Failure() when it does not answer within seconds.
    bool Start(const std::string& password = "");
    // Stops it by its process id and waits until the port is closed.
    bool Stop();
    bool Running() const { return m_pid != 0; }
    int Port() const { return m_port; }
    std::string Address() const;
    const std::string& Failure() const { return m_failure; }

    // A command on a connection of the test's own; the reply as text: a string, an integer in
    // decimal, "nil", "ERR..." for an error, "[a, b]" for a list.
    std::string Command(const std::vector<std::string>& args);

private:
    std::string m_dir;      // the data folder, as a Unix path
    std::string m_password; // as started
    int m_port = 0;
    DWORD m_pid = 0; // the server's process id (a Unix one)
    std::string m_failure;
    redisContext* m_context = nullptr;
};

// Runs a Unix program of the machine from inside Wine and waits for it; its exit code, or -1.
int RunUnix(const std::string& commandLine, DWORD timeoutMs = 10000);

} // namespace nctest
