// One connection to a Redis server, used by one thread at a time: commands go as argument
// vectors (binary-safe), replies come back owned. Any failure of the connection itself (closed,
// timed out, refused) leaves it broken for good; the caller decides what that means.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

struct redisContext;
struct redisReply;

namespace qxnc {

struct RedisAddress {
    std::string host;
    int port = 0;
    std::string password; // empty: no AUTH
};

// "redis://host:port" or "redis://:password@host:port"; false for anything else.
bool ParseRedisAddress(const std::string& text, RedisAddress* out);
// The address as it may be written to a trace: the password as "***".
std::string MaskedAddress(const std::string& text);

struct ReplyFree {
    void operator()(redisReply* reply) const;
};
using Reply = std::unique_ptr<redisReply, ReplyFree>;

class RedisConn {
public:
    RedisConn() = default;
    ~RedisConn();
    RedisConn(const RedisConn&) = delete;
    RedisConn& operator=(const RedisConn&) = delete;

    // Connects (retrying within the timeout: a server just started may not listen yet), sets
    // the timeout of every later command, and authenticates when a password is given.
    bool Open(const RedisAddress& address, DWORD timeoutMs);
    // A reply (possibly a Redis error reply), or null when the connection broke.
    Reply Command(const std::vector<std::string>& args);
    // Queues a command without waiting: the commands go out together at the next Next, and
    // their replies come back in order, one per Next, so a long read costs one round trip.
    // Every queued command's reply must be taken before another Command.
    void Queue(const std::vector<std::string>& args);
    // The reply of the oldest queued command, or null when the connection broke.
    Reply Next();
    bool Broken() const { return m_broken; }
    // Why it broke or why Open failed, for the trace.
    const std::string& Failure() const { return m_failure; }
    // Makes a command that blocks on this connection return at once with a failure; safe
    // from another thread.
    void Interrupt();

private:
    void Fail(const std::string& why);

    redisContext* m_context = nullptr;
    bool m_broken = false;
    std::string m_failure;
    volatile LONG_PTR m_socket = -1;
};

// Reply helpers: false/empty for a reply of another type.
bool IsError(const redisReply* reply);
std::string ErrorText(const redisReply* reply);
bool ReplyInteger(const redisReply* reply, long long* out);
bool ReplyString(const redisReply* reply, std::string* out);

} // namespace qxnc
