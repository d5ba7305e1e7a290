#include "RedisServer.h"

#include <hiredis/hiredis.h>
#include <winsock2.h>

#include <atomic>
#include <cctype>
#include <fstream>
#include <sstream>

namespace nctest {

namespace {

constexpr DWORD kStartMs = 20000; // a loaded machine may take seconds to start a server
constexpr DWORD kStopMs = 20000;
constexpr DWORD kPollMs = 20;

// A port nobody listens on now: the system's pick for a socket bound to port 0.
int FreePort() {
    WSADATA wsa;
    WSAStartup(MAKEWORD(2, 2), &wsa);
    SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in addr = {};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int port = 0;
    int size = sizeof addr;
    if (bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
        getsockname(s, reinterpret_cast<sockaddr*>(&addr), &size) == 0)
        port = ntohs(addr.sin_port);
    closesocket(s);
    return port;
}

// The build folder (the one above this executable's bin folder) as a Unix path: Wine maps
// drive Z: to /.
std::string UnixBuildFolder() {
    wchar_t module[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, module, MAX_PATH);
    std::string path;
    for (const wchar_t* p = module; *p; ++p)
        path += *p == L'\\' ? '/' : static_cast<char>(*p);
    if (path.size() < 2 || (path[0] != 'Z' && path[0] != 'z') || path[1] != ':') return "/tmp/qx-build";
    path = path.substr(2);
    path = path.substr(0, path.rfind('/')); // the bin folder
    return path.substr(0, path.rfind('/'));
}

std::string WindowsPath(const std::string& unixPath) {
    std::string path = "Z:" + unixPath;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

bool Exists(const std::string& unixPath) {
    return GetFileAttributesA(WindowsPath(unixPath).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The first number in a file, 0 when it is missing or holds none.
unsigned long NumberIn(const std::string& unixPath) {
    std::ifstream in(WindowsPath(unixPath));
    unsigned long n = 0;
    return in >> n ? n : 0;
}

// A path or argument for the shell, in single quotes.
std::string Quoted(const std::string& s) {
    return "'" + s + "'";
}

// The Unix pid of this test process, when the build's wine-run gave it.
std::string OwnerPid() {
    char pid[32] = {};
    const DWORD n = GetEnvironmentVariableA("QX_TEST_UNIX_PID", pid, sizeof pid);
    if (n == 0 || n >= sizeof pid) return "";
    for (DWORD i = 0; i < n; ++i)
        if (!isdigit(static_cast<unsigned char>(pid[i]))) return "";
    return pid;
}

// Starts /bin/sh -c line without waiting: under Wine there is no handle to wait on. Its
// standard input and output are the test's own until the line redirects them.
bool StartShell(const std::string& line) {
    if (line.find('"') != std::string::npos) return false;
    std::string command = "/bin/sh -c \"exec </dev/null >/dev/null 2>&1; " + line + "\"";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return false;
    if (pi.hThread) CloseHandle(pi.hThread);
    if (pi.hProcess) CloseHandle(pi.hProcess);
    return true;
}

// Polls until done() holds or the time is up.
template <typename Done> bool WaitFor(Done done, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (done()) return true;
        if (GetTickCount() - start >= timeoutMs) return false;
        Sleep(kPollMs);
    }
}

std::string Show(const redisReply* r) {
    if (!r) return "broken";
    switch (r->type) {
    case REDIS_REPLY_STRING:
    case REDIS_REPLY_STATUS: return std::string(r->str, r->len);
    case REDIS_REPLY_ERROR: return "ERR " + std::string(r->str, r->len);
    case REDIS_REPLY_INTEGER: return std::to_string(r->integer);
    case REDIS_REPLY_NIL: return "nil";
    case REDIS_REPLY_ARRAY: {
        std::string shown = "[";
        for (size_t i = 0; i < r->elements; ++i)
            shown += (i ? ", " : "") + Show(r->element[i]);
        return shown + "]";
    }
    default: return "?";
    }
}

} // namespace

int RunUnix(const std::string& commandLine, DWORD timeoutMs) {
    static std::atomic<unsigned> s_runs{0};
    const std::string folder = UnixBuildFolder() + "/redis-test";
    const std::string status =
        folder + "/run-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++s_runs);
    DeleteFileA(WindowsPath(status).c_str());
    // The status appears whole (renamed into place) once the command has finished.
    const std::string line = "mkdir -p " + Quoted(folder) + "; (" + commandLine + "); echo $? >" +
                             Quoted(status + ".part") + "; mv " + Quoted(status + ".part") + " " +
                             Quoted(status);
    if (!StartShell(line)) return -1;
    if (!WaitFor([&] { return Exists(status); }, timeoutMs)) return -1;
    std::ifstream in(WindowsPath(status));
    int code = -1;
    in >> code;
    in.close();
    DeleteFileA(WindowsPath(status).c_str());
    return code;
}

RedisServer::RedisServer() {
    m_port = FreePort();
    m_dir = UnixBuildFolder() + "/redis-test/" + std::to_string(m_port);
}

RedisServer::~RedisServer() {
    Stop();
    if (m_started) RunUnix("rm -rf " + Quoted(m_dir));
}

std::string RedisServer::Address() const {
    return m_password.empty() ? "redis://127.0.0.1:" + std::to_string(m_port)
                              : "redis://:" + m_password + "@127.0.0.1:" + std::to_string(m_port);
}

bool RedisServer::Start(const std::string& password) {
    if (m_pid) return true;
    m_password = password;
    m_failure.clear();
    if (m_started) return Launch(); // a restart keeps its port and its data
    // The port was free when chosen; another process may take it before the server binds it.
    for (int attempt = 0; attempt < 3; ++attempt) {
        if (attempt > 0) {
            m_port = FreePort();
            m_dir = UnixBuildFolder() + "/redis-test/" + std::to_string(m_port);
        }
        if (RunUnix("rm -rf " + Quoted(m_dir) + " && mkdir -p " + Quoted(m_dir)) != 0) {
            m_failure = "cannot make the data folder " + m_dir;
            return false;
        }
        m_started = true;
        if (Launch()) return true;
        RunUnix("rm -rf " + Quoted(m_dir));
        m_started = false;
    }
    return false;
}

// Runs the server in the foreground of a shell that records its pid and, once it has ended and
// been reaped, its exit status; until then the pid cannot be reused, so stopping by it is safe.
bool RedisServer::Launch() {
    const std::string pidFile = m_dir + "/redis.pid", exitFile = m_dir + "/exit";
    DeleteFileA(WindowsPath(pidFile).c_str());
    DeleteFileA(WindowsPath(exitFile).c_str());
    std::string server = "/usr/bin/redis-server --port " + std::to_string(m_port) +
                         " --bind 127.0.0.1 --dir " + Quoted(m_dir) + " --logfile " +
                         Quoted(m_dir + "/redis.log") + " --appendonly yes --save ''";
    if (!m_password.empty()) server += " --requirepass " + Quoted(m_password);
    std::string line = server + " & server=$!; echo $server >" + Quoted(pidFile + ".part") + "; mv " +
                       Quoted(pidFile + ".part") + " " + Quoted(pidFile) + "; ";
    const std::string owner = OwnerPid();
    if (!owner.empty())
        line +=
            "(while kill -0 " + owner + " 2>/dev/null; do sleep 0.5; done; kill -TERM $server) & watch=$!; ";
    line += "wait $server; echo $? >" + Quoted(exitFile + ".part") + "; mv " + Quoted(exitFile + ".part") +
            " " + Quoted(exitFile);
    if (!owner.empty()) line += "; kill $watch 2>/dev/null";
    if (!StartShell(line)) {
        m_failure = "cannot run /bin/sh for redis-server";
        return false;
    }

    unsigned long pid = 0;
    bool ended = false;
    const bool answered = WaitFor(
        [&] {
            if (Exists(exitFile)) return ended = true;
            if (!pid) pid = NumberIn(pidFile);
            return pid && Command({"PING"}) == "PONG";
        },
        kStartMs);
    if (answered && !ended) {
        m_pid = pid;
        return true;
    }
    if (ended) {
        m_failure = "redis-server on port " + std::to_string(m_port) + " ended at once: " + Log();
        return false;
    }
    m_failure = "redis-server does not answer on port " + std::to_string(m_port) + ": " + Log();
    m_pid = pid;
    Stop();
    return false;
}

bool RedisServer::WaitUntilEnded(DWORD timeoutMs) {
    return WaitFor([&] { return Exists(m_dir + "/exit"); }, timeoutMs);
}

bool RedisServer::Stop() {
    if (m_context) redisFree(m_context);
    m_context = nullptr;
    if (!m_pid) return true;
    const std::string pid = std::to_string(m_pid);
    m_pid = 0;
    if (WaitUntilEnded(0)) return true; // ended (and reaped) on its own: the pid is not its own now
    RunUnix("kill -TERM " + pid);
    if (WaitUntilEnded(kStopMs)) return true;
    RunUnix("kill -KILL " + pid);
    if (WaitUntilEnded(kStopMs)) return true;
    m_failure = "redis-server (pid " + pid + ") did not stop";
    return false;
}

std::string RedisServer::Log() const {
    std::ifstream in(WindowsPath(m_dir + "/redis.log"));
    std::stringstream all;
    all << in.rdbuf();
    const std::string text = all.str();
    return text.size() > 400 ? text.substr(text.size() - 400) : text;
}

std::string RedisServer::Command(const std::vector<std::string>& args) {
    if (!m_context) {
        const timeval connectTimeout = {2, 0}, commandTimeout = {10, 0};
        m_context = redisConnectWithTimeout("127.0.0.1", m_port, connectTimeout);
        if (!m_context || m_context->err) {
            if (m_context) redisFree(m_context);
            m_context = nullptr;
            return "broken";
        }
        redisSetTimeout(m_context, commandTimeout);
        if (!m_password.empty()) {
            auto* reply = static_cast<redisReply*>(redisCommand(m_context, "AUTH %s", m_password.c_str()));
            if (reply) freeReplyObject(reply);
        }
    }
    std::vector<const char*> argv;
    std::vector<size_t> lengths;
    for (const std::string& a : args) {
        argv.push_back(a.data());
        lengths.push_back(a.size());
    }
    auto* reply = static_cast<redisReply*>(
        redisCommandArgv(m_context, static_cast<int>(args.size()), argv.data(), lengths.data()));
    std::string shown = Show(reply);
    if (reply) {
        freeReplyObject(reply);
    } else {
        redisFree(m_context);
        m_context = nullptr;
    }
    return shown;
}

} // namespace nctest
