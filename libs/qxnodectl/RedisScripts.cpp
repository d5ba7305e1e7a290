#include "RedisScripts.h"

#include "qxnodectl.h"

// The ranges of resource values and name handles, as Lua literals.
#define QX_LUA_FIRST_RESOURCE "70001"
#define QX_LUA_LAST_RESOURCE "99999"
#define QX_LUA_FIRST_NAME "100001"
#define QX_LUA_LAST_NAME "999999"

namespace qxnc {
namespace lua {

namespace {

constexpr DWORD Literal(const char* s, DWORD v = 0) {
    return *s ? Literal(s + 1, v * 10 + static_cast<DWORD>(*s - '0')) : v;
}
static_assert(Literal(QX_LUA_FIRST_RESOURCE) == QXNC_FIRST_RESOURCE_VALUE &&
                  Literal(QX_LUA_LAST_RESOURCE) == QXNC_LAST_RESOURCE_VALUE &&
                  Literal(QX_LUA_FIRST_NAME) == QXNC_FIRST_NAME_HANDLE &&
                  Literal(QX_LUA_LAST_NAME) == QXNC_LAST_NAME_HANDLE,
              "the scripts' ranges are the header's");

// Helpers every conference script starts with. P is the conference's key prefix; every key the
// conference makes is listed in P.."keys", so that an empty conference can expire as a whole.
// Events and direct data take their ids from one conference clock (stamp): an id the server makes
// orders entries only within their own stream, and readers hand both kinds on in id order.
#define QX_LUA_PRELUDE                                                                                       \
    "local P = ARGV[1]\n"                                                                                    \
    "local last = ''\n"                                                                                      \
    "local function key(name) redis.call('SADD', P..'keys', P..name) return P..name end\n"                   \
    "local function stamp()\n"                                                                               \
    "  local t = redis.call('TIME')\n"                                                                       \
    "  local ms = tonumber(t[1]) * 1000 + math.floor(tonumber(t[2]) / 1000)\n"                               \
    "  local c = redis.call('HMGET', key('clock'), 'ms', 'seq')\n"                                           \
    "  local seq = 0\n"                                                                                      \
    "  if ms <= tonumber(c[1] or 0) then ms = tonumber(c[1]); seq = tonumber(c[2]) + 1 end\n"                \
    "  redis.call('HSET', P..'clock', 'ms', string.format('%.0f', ms), 'seq', string.format('%.0f', seq))\n" \
    "  return string.format('%.0f-%.0f', ms, seq)\n"                                                         \
    "end\n"                                                                                                  \
    "local function event(fields)\n"                                                                         \
    "  last = redis.call('XADD', key('events'), 'MAXLEN', '~', '10000', stamp(), unpack(fields))\n"          \
    "  return last\n"                                                                                        \
    "end\n"                                                                                                  \
    "local function unroll(user, node)\n"                                                                    \
    "  local room = redis.call('HGET', P..'rooms', user)\n"                                                  \
    "  if not room then return end\n"                                                                        \
    "  local text = redis.call('HGET', P..'roster:'..room, user) or ''\n"                                    \
    "  redis.call('HDEL', P..'roster:'..room, user)\n"                                                       \
    "  redis.call('HDEL', P..'rooms', user)\n"                                                               \
    "  local v = redis.call('HINCRBY', key('versions'), room, 1)\n"                                          \
    "  event({'k', 'r', 'u', user, 'n', node, 'r', room, 'v', v, 't', text})\n"                              \
    "end\n"                                                                                                  \
    "local function detach(user, node)\n"                                                                    \
    "  unroll(user, node)\n"                                                                                 \
    "  redis.call('HDEL', P..'users', user)\n"                                                               \
    "  redis.call('DEL', P..'data:'..user)\n"                                                                \
    "  event({'k', 'D', 'u', user, 'n', node})\n"                                                            \
    "end\n"                                                                                                  \
    "local function leave(node, expiry)\n"                                                                   \
    "  local users = redis.call('HGETALL', P..'users')\n"                                                    \
    "  for i = 1, #users, 2 do\n"                                                                            \
    "    if users[i + 1] == node then detach(users[i], node) end\n"                                          \
    "  end\n"                                                                                                \
    "  redis.call('HDEL', P..'members', node)\n"                                                             \
    "  redis.call('DEL', P..'alive:'..node)\n"                                                               \
    "  if redis.call('HLEN', P..'members') == 0 then\n"                                                      \
    "    for _, k in ipairs(redis.call('SMEMBERS', P..'keys')) do redis.call('EXPIRE', k, expiry) end\n"     \
    "    redis.call('EXPIRE', P..'keys', expiry)\n"                                                          \
    "  end\n"                                                                                                \
    "end\n"

} // namespace

const char* const kClaimId =
    "local first, last = tonumber(ARGV[1]), tonumber(ARGV[2])\n"
    "local span = last - first + 1\n"
    "for i = 1, span do\n"
    "  local n = redis.call('INCR', KEYS[1])\n"
    "  local id = first + ((n - 1) % span)\n"
    "  if redis.call('SET', ARGV[3]..id, ARGV[4], 'NX', 'PX', ARGV[5]) then return id end\n"
    "end\n"
    "return 0\n";

const char* const kJoin =
    QX_LUA_PRELUDE "redis.call('HSET', key('members'), ARGV[2], '1')\n"
                   "redis.call('SET', P..'alive:'..ARGV[2], '1', 'PX', ARGV[3])\n"
                   "for _, k in ipairs(redis.call('SMEMBERS', P..'keys')) do redis.call('PERSIST', k) end\n"
                   "redis.call('PERSIST', P..'keys')\n"
                   "local newest = redis.call('XREVRANGE', P..'events', '+', '-', 'COUNT', 1)\n"
                   "local id = '0-0'\n"
                   "if #newest > 0 then id = newest[1][1] end\n"
                   "return {redis.call('HLEN', P..'members'), id, redis.call('HGETALL', P..'users')}\n";

const char* const kAttach = QX_LUA_PRELUDE "redis.call('DEL', P..'data:'..ARGV[2])\n"
                                           "redis.call('HSET', key('users'), ARGV[2], ARGV[3])\n"
                                           "return event({'k', 'A', 'u', ARGV[2], 'n', ARGV[3]})\n";

const char* const kEnroll = QX_LUA_PRELUDE
    "local user, node, room, text = ARGV[2], ARGV[3], ARGV[4], ARGV[5]\n"
    "if redis.call('HGET', P..'users', user) ~= node then return redis.error_reply('not attached') end\n"
    "local values = {}\n"
    "for i = 1, tonumber(ARGV[6]) do\n"
    "  local name = ARGV[6 + i]\n"
    "  local v = redis.call('HGET', key('resources'), name)\n"
    "  if not v then\n"
    "    local n = redis.call('HINCRBY', key('counters'), 'resource', 1)\n"
    "    v = " QX_LUA_FIRST_RESOURCE " + n - 1\n"
    "    if v > " QX_LUA_LAST_RESOURCE " then v = 0 else redis.call('HSET', P..'resources', name, v) end\n"
    "  end\n"
    "  values[i] = tonumber(v)\n"
    "end\n"
    "local old = redis.call('HGET', P..'rooms', user)\n"
    "if old and old ~= room then unroll(user, node) end\n"
    "local kind = 'a'\n"
    "if old == room then kind = 'c' end\n"
    "redis.call('HSET', key('rooms'), user, room)\n"
    "redis.call('HSET', key('roster:'..room), user, text)\n"
    "local v = redis.call('HINCRBY', key('versions'), room, 1)\n"
    "event({'k', kind, 'u', user, 'n', node, 'r', room, 'v', v, 't', text})\n"
    "local everyone = {}\n"
    "if kind == 'a' then\n"
    "  local all = redis.call('HGETALL', P..'roster:'..room)\n"
    "  for i = 1, #all, 2 do\n"
    "    table.insert(everyone, all[i])\n"
    "    table.insert(everyone, redis.call('HGET', P..'users', all[i]) or '0')\n"
    "    table.insert(everyone, all[i + 1])\n"
    "  end\n"
    "end\n"
    "return {values, kind, last, v, everyone}\n";

const char* const kWithdraw = QX_LUA_PRELUDE "unroll(ARGV[2], ARGV[3])\nreturn last\n";

const char* const kDetach =
    QX_LUA_PRELUDE "if redis.call('HGET', P..'users', ARGV[2]) == ARGV[3] then detach(ARGV[2], ARGV[3]) end\n"
                   "return last\n";

const char* const kLeave =
    QX_LUA_PRELUDE "if redis.call('HEXISTS', P..'members', ARGV[2]) == 1 then leave(ARGV[2], ARGV[3]) end\n"
                   "return last\n";

const char* const kReap =
    QX_LUA_PRELUDE "for _, node in ipairs(redis.call('HKEYS', P..'members')) do\n"
                   "  if redis.call('EXISTS', P..'alive:'..node) == 0 then leave(node, ARGV[2]) end\n"
                   "end\n"
                   "return last\n";

const char* const kNames =
    QX_LUA_PRELUDE "local handles, fresh = {}, 0\n"
                   "for i = 2, #ARGV do\n"
                   "  local name = ARGV[i]\n"
                   "  local h = 0\n"
                   "  if name ~= '' then\n"
                   "    h = redis.call('HGET', key('names'), name)\n"
                   "    if not h then\n"
                   "      local n = redis.call('HINCRBY', key('counters'), 'name', 1)\n"
                   "      h = " QX_LUA_FIRST_NAME " + n - 1\n"
                   "      if h > " QX_LUA_LAST_NAME " then h = 0 else\n"
                   "        redis.call('HSET', P..'names', name, h)\n"
                   "        redis.call('HSET', key('handles'), h, name)\n"
                   "        fresh = fresh + 1\n"
                   "      end\n"
                   "    end\n"
                   "  end\n"
                   "  table.insert(handles, tonumber(h))\n"
                   "end\n"
                   "table.insert(handles, fresh)\n"
                   "return handles\n";

// A cache's stored items begin at its newest replace (bases: cache handle -> that item's cache
// id); the entries before it stay in the stream, the newest QXNC_MAX_CACHE_ITEMS or so, so that
// a subscriber whose reader has not reached them yet is still told of every append. A base the
// stream no longer reaches (the stream was emptied behind the scripts' back) is dropped.
#define QX_LUA_CACHE_BASE                                                                                    \
    "local function seq(id) return tonumber(string.match(id or '', '^0%-(%d+)$')) end\n"                     \
    "local newest = redis.call('XREVRANGE', k, '+', '-', 'COUNT', 1)\n"                                      \
    "local top = newest[1] and seq(newest[1][1])\n"                                                          \
    "local base = tonumber(redis.call('HGET', P..'bases', h))\n"                                             \
    "if base and not (top and base <= top) then base = nil end\n"

const char* const kCacheWrite = QX_LUA_PRELUDE
    "local h, max = ARGV[2], tonumber(ARGV[7])\n"
    "if redis.call('HEXISTS', P..'handles', h) == 0 then return redis.error_reply('unknown cache') end\n"
    "local k = key('cache:'..h)\n" QX_LUA_CACHE_BASE "local count = redis.call('XLEN', k)\n"
    "if base then count = top - base + 1 else redis.call('HDEL', P..'bases', h) end\n"
    "if ARGV[3] ~= '0' and count >= max then return redis.error_reply('cache full') end\n"
    "local id = redis.call('XADD', k, '0-*', 'a', ARGV[3], 'w', ARGV[4], 'o', ARGV[5], 'd', ARGV[6])\n"
    "if ARGV[3] == '0' then\n"
    "  redis.call('HSET', key('bases'), h, seq(id))\n"
    "  count = 1\n"
    "else\n"
    "  count = count + 1\n"
    "end\n"
    "redis.call('XTRIM', k, 'MAXLEN', '~', max)\n"
    "return {id, count}\n";

// Only the bounds: the entries themselves are read with XRANGE outside the script, which spares
// the server turning every entry into a Lua value and back.
const char* const kCacheRead =
    "local P, h = ARGV[1], ARGV[2]\n"
    "local k = P..'cache:'..h\n" QX_LUA_CACHE_BASE "local from = tonumber(ARGV[3])\n"
    "if base and base > from then from = base end\n"
    "local id = '0-0'\n"
    "if newest[1] then id = newest[1][1] end\n"
    "return {from, id}\n";

const char* const kSendData =
    QX_LUA_PRELUDE "if redis.call('HEXISTS', P..'users', ARGV[3]) == 0 then return false end\n"
                   "return redis.call('XADD', key('data:'..ARGV[3]), 'MAXLEN', '~', '4096', stamp(),\n"
                   "                  'f', ARGV[2], 'c', ARGV[4], 'p', ARGV[5], 'd', ARGV[6])\n";

} // namespace lua
} // namespace qxnc
