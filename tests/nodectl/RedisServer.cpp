#include "RedisServer.h"

#include <hiredis/hiredis.h>
#include <winsock2.h>

#include <cstdio>
#include <fstream>
#include <sstream>

namespace nctest {

namespace {

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

// The working folder (the build's bin folder) as a Unix path: Wine maps drive Z: to /.
std::string UnixBuildFolder() {
    wchar_t cwd[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, cwd);
    std::string path;
    for (const wchar_t* p = cwd; *p; ++p)
        path += *p == L'\\' ? '/' : static_cast<char>(*p);
    if (path.size() >= 2 && path[1] == ':') path = path.substr(2);
    const size_t bin = path.rfind("/bin");
    return bin == std::string::npos ? path : path.substr(0, bin);
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
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    std::string line = commandLine;
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return -1;
    DWORD code = static_cast<DWORD>(-1);
    if (WaitForSingleObject(pi.hProcess, timeoutMs) == WAIT_OBJECT_0) GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return static_cast<int>(code);
}

RedisServer::RedisServer() {
    m_port = FreePort();
    m_dir = UnixBuildFolder() + "/redis-test/" + std::to_string(m_port);
}

RedisServer::~RedisServer() {
    Stop();
}

std::string RedisServer::Address() const {
    return m_password.empty() ? "redis://127.0.0.1:" + std::to_string(m_port)
                              : "redis://:" + m_password + "@127.0.0.1:" + std::to_string(m_port);
}

bool RedisServer::Start(const std::string& password) {
    if (m_pid) return true;
    m_password = password;
    RunUnix("/bin/mkdir -p " + m_dir);
    const std::string pidFile = m_dir + "/redis.pid";
    RunUnix("/bin/rm -f " + pidFile);
    std::string command = "/usr/bin/redis-server --port " + std::to_string(m_port) +
                          " --bind 127.0.0.1 --daemonize yes --pidfile " + pidFile + " --dir " + m_dir +
                          " --logfile " + m_dir + "/redis.log --appendonly yes --save \"\"";
    if (!password.empty()) command += " --requirepass " + password;
    if (RunUnix(command) != 0) {
        m_failure = "redis-server did not start";
        return false;
    }
    // The daemon writes its pid file and starts listening a moment after the command returns.
    for (int i = 0; i < 200; ++i) {
        std::ifstream in("Z:" + pidFile);
        DWORD pid = 0;
        if (in >> pid) {
            m_pid = pid;
            if (Command({"PING"}) == "PONG") return true;
        }
        Sleep(25);
    }
    m_failure = "redis-server does not answer on port " + std::to_string(m_port);
    return false;
}

bool RedisServer::Stop() {
    if (m_context) redisFree(m_context);
    m_context = nullptr;
    if (!m_pid) return true;
    RunUnix("/bin/kill -TERM " + std::to_string(m_pid));
    m_pid = 0;
    for (int i = 0; i < 400; ++i) {
        redisContext* probe = redisConnect("127.0.0.1", m_port);
        bool listening = probe && !probe->err;
        if (probe) redisFree(probe);
        if (!listening) return true;
        Sleep(25);
    }
    m_failure = "redis-server did not stop";
    return false;
}

std::string RedisServer::Command(const std::vector<std::string>& args) {
    if (!m_context) {
        m_context = redisConnect("127.0.0.1", m_port);
        if (!m_context || m_context->err) {
            if (m_context) redisFree(m_context);
            m_context = nullptr;
            return "broken";
        }
        if (!m_password.empty()) freeReplyObject(redisCommand(m_context, "AUTH %s", m_password.c_str()));
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
