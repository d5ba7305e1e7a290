// The server-side steps of the Redis back end, each one Lua script so that it is atomic: a
// roster change and its event, a cache write and its id, a node's removal and its records all
// happen at once or not at all, whoever else runs the same step at the same moment.
#pragma once

namespace qxnc {
namespace lua {

// KEYS[1] counter; ARGV first, last, claim prefix, claim value, claim ms. The next free number
// of the range (wrapping), claimed with an expiring key; 0 when every number is claimed.
extern const char* const kClaimId;
// KEYS[1] members; ARGV prefix, node, alive ms. {member count, last event id, {user, node, ...}}
extern const char* const kJoin;
// KEYS[1] members; ARGV prefix, user, node. The attach event's id.
extern const char* const kAttach;
// KEYS[1] members; ARGV prefix, user, node, room, text, resource count, names...
// {{values...}, kind, last event id, {user, node, text, ...} (a first enrollment only)}, or an
// error when the user is not attached.
extern const char* const kEnroll;
// KEYS[1] members; ARGV prefix, user, node. The last event id ("" when none was written).
extern const char* const kWithdraw;
// KEYS[1] members; ARGV prefix, user, node. As kWithdraw, the user also leaves the conference.
extern const char* const kDetach;
// KEYS[1] members; ARGV prefix, node, expiry s. The node leaves with its users.
extern const char* const kLeave;
// KEYS[1] members; ARGV prefix, expiry s. Removes every member whose alive key has gone.
extern const char* const kReap;
// KEYS[1] members; ARGV prefix, names... {handles..., new count}
extern const char* const kNames;
// KEYS[1] members; ARGV prefix, handle, action, writer, option, data, max items. {id, count}
extern const char* const kCacheWrite;
// KEYS[1] members; ARGV prefix, handle, first id. {the cache id the stored items are read from
// (the first id, or the newest replace when that is later), the newest entry's id}
extern const char* const kCacheRead;
// KEYS[1] members; ARGV prefix, sender, receiver, channel, priority, data. The entry id, or
// false when the receiver is not in the conference.
extern const char* const kSendData;

} // namespace lua
} // namespace qxnc
