#include "RedisWire.h"

#include <hiredis/hiredis.h>
#include <winsock2.h>

#include <cstdlib>
#include <cstring>

namespace qxnc {

bool ParseRedisAddress(const std::string& text, RedisAddress* out) {
    const std::string scheme = "redis://";
    if (text.compare(0, scheme.size(), scheme) != 0) return false;
    std::string rest = text.substr(scheme.size());
    RedisAddress address;
    const size_t at = rest.rfind('@');
    if (at != std::string::npos) {
        // Only the password form of credentials: ":password@".
        if (at == 0 || rest[0] != ':') return false;
        address.password = rest.substr(1, at - 1);
        if (address.password.empty()) return false;
        rest = rest.substr(at + 1);
    }
    const size_t colon = rest.rfind(':');
    if (colon == std::string::npos || colon == 0 || colon + 1 == rest.size()) return false;
    address.host = rest.substr(0, colon);
    const std::string port = rest.substr(colon + 1);
    if (port.size() > 5 || port.find_first_not_of("0123456789") != std::string::npos) return false;
    address.port = std::atoi(port.c_str());
    if (address.port < 1 || address.port > 65535) return false;
    if (address.host.find_first_of("/@ ") != std::string::npos) return false;
    *out = address;
    return true;
}

std::string MaskedAddress(const std::string& text) {
    const std::string scheme = "redis://";
    if (text.compare(0, scheme.size(), scheme) != 0) return text;
    const size_t at = text.rfind('@');
    if (at == std::string::npos || at < scheme.size()) return text;
    return scheme + ":***" + text.substr(at);
}

namespace {

// hiredis allocates for every element of a reply. On the C runtime's heap those allocations
// would contend for one lock with the caller's thread, which allocates as it shows what they
// carry; under Wine every contended take of that lock is a trip through the kernel. The
// connections' threads use a heap of their own instead.
HANDLE WireHeap() {
    static const HANDLE heap = HeapCreate(0, 0, 0);
    return heap;
}

void* WireMalloc(size_t size) {
    return HeapAlloc(WireHeap(), 0, size ? size : 1);
}

void* WireCalloc(size_t count, size_t size) {
    const size_t bytes = count * size; // hiredis has checked the product for overflow
    return HeapAlloc(WireHeap(), HEAP_ZERO_MEMORY, bytes ? bytes : 1);
}

void* WireRealloc(void* block, size_t size) {
    return block ? HeapReAlloc(WireHeap(), 0, block, size ? size : 1) : WireMalloc(size);
}

char* WireStrdup(const char* text) {
    const size_t size = std::strlen(text) + 1;
    char* copy = static_cast<char*>(WireMalloc(size));
    if (copy) std::memcpy(copy, text, size);
    return copy;
}

void WireFree(void* block) {
    if (block) HeapFree(WireHeap(), 0, block);
}

// Set while the module starts, before anything of hiredis has allocated.
const bool g_wireHeapInstalled = [] {
    if (!WireHeap()) return false;
    hiredisAllocFuncs fns = {WireMalloc, WireCalloc, WireRealloc, WireStrdup, WireFree};
    hiredisSetAllocators(&fns);
    return true;
}();

} // namespace

void ReplyFree::operator()(redisReply* reply) const {
    if (reply) freeReplyObject(reply);
}

RedisConn::~RedisConn() {
    if (m_context) redisFree(m_context);
}

void RedisConn::Fail(const std::string& why) {
    m_broken = true;
    if (m_failure.empty()) m_failure = why;
}

bool RedisConn::Open(const RedisAddress& address, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    timeval tv = {static_cast<long>(timeoutMs / 1000), static_cast<long>(timeoutMs % 1000) * 1000};
    for (;;) {
        m_context = redisConnectWithTimeout(address.host.c_str(), address.port, tv);
        if (m_context && !m_context->err) break;
        std::string why = m_context ? m_context->errstr : "no memory";
        if (m_context) redisFree(m_context);
        m_context = nullptr;
        if (GetTickCount() - start >= timeoutMs) {
            Fail("cannot connect: " + why);
            return false;
        }
        Sleep(50); // a server that was just started answers within moments
    }
    redisSetTimeout(m_context, tv);
    // Commands are small and answered one by one: none may wait for an acknowledgement.
    const BOOL noDelay = TRUE;
    setsockopt(static_cast<SOCKET>(m_context->fd), IPPROTO_TCP, TCP_NODELAY,
               reinterpret_cast<const char*>(&noDelay), sizeof noDelay);
    m_socket = static_cast<LONG_PTR>(m_context->fd);
    if (!address.password.empty()) {
        Reply reply = Command({"AUTH", address.password});
        if (!reply || IsError(reply.get())) {
            Fail("authentication refused");
            return false;
        }
    }
    return true;
}

namespace {

struct Argv {
    std::vector<const char*> argv;
    std::vector<size_t> lengths;
    explicit Argv(const std::vector<std::string>& args) {
        for (const std::string& a : args) {
            argv.push_back(a.data());
            lengths.push_back(a.size());
        }
    }
    int Count() const { return static_cast<int>(argv.size()); }
};

} // namespace

Reply RedisConn::Command(const std::vector<std::string>& args) {
    if (m_broken || !m_context) {
        Fail("not connected");
        return nullptr;
    }
    Argv a(args);
    void* raw = redisCommandArgv(m_context, a.Count(), a.argv.data(), a.lengths.data());
    if (!raw) {
        Fail(m_context->errstr[0] ? m_context->errstr : "connection lost");
        return nullptr;
    }
    return Reply(static_cast<redisReply*>(raw));
}

void RedisConn::Queue(const std::vector<std::string>& args) {
    if (m_broken || !m_context) {
        Fail("not connected");
        return;
    }
    Argv a(args);
    if (redisAppendCommandArgv(m_context, a.Count(), a.argv.data(), a.lengths.data()) != REDIS_OK)
        Fail(m_context->errstr[0] ? m_context->errstr : "no memory");
}

Reply RedisConn::Next() {
    if (m_broken || !m_context) {
        Fail("not connected");
        return nullptr;
    }
    void* raw = nullptr;
    if (redisGetReply(m_context, &raw) != REDIS_OK || !raw) {
        Fail(m_context->errstr[0] ? m_context->errstr : "connection lost");
        return nullptr;
    }
    return Reply(static_cast<redisReply*>(raw));
}

void RedisConn::Interrupt() {
    LONG_PTR socket = m_socket;
    if (socket != -1) shutdown(static_cast<SOCKET>(socket), SD_BOTH);
}

bool IsError(const redisReply* reply) {
    return reply && reply->type == REDIS_REPLY_ERROR;
}

std::string ErrorText(const redisReply* reply) {
    return reply && reply->str ? std::string(reply->str, reply->len) : std::string();
}

bool ReplyInteger(const redisReply* reply, long long* out) {
    if (!reply || reply->type != REDIS_REPLY_INTEGER) return false;
    *out = reply->integer;
    return true;
}

bool ReplyString(const redisReply* reply, std::string* out) {
    if (!reply || (reply->type != REDIS_REPLY_STRING && reply->type != REDIS_REPLY_STATUS)) return false;
    out->assign(reply->str, reply->len);
    return true;
}

} // namespace qxnc
