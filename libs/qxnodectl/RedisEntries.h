// Stream entries as the Redis back end stores them, read back with suspicion: anyone who can
// reach the server may have written them. Each reader turns a raw entry into a checked record
// or refuses it with the reason, which the caller traces.
#pragma once

#include "qxnodectl.h"

#include <string>
#include <utility>
#include <vector>

struct redisReply;

namespace qxnc {

struct StreamId {
    unsigned long long ms = 0, seq = 0;
    bool operator<(const StreamId& o) const { return ms != o.ms ? ms < o.ms : seq < o.seq; }
    bool operator==(const StreamId& o) const { return ms == o.ms && seq == o.seq; }
    bool operator<=(const StreamId& o) const { return !(o < *this); }
    std::string Text() const { return std::to_string(ms) + "-" + std::to_string(seq); }
};

bool ParseStreamId(const std::string& text, StreamId* out);
// A strict decimal DWORD: digits only, no sign, no overflow.
bool ParseDword(const std::string& text, DWORD* out);

struct StreamEntry {
    StreamId id;
    std::vector<std::pair<std::string, std::string>> fields;
    // The value of a field, null when absent.
    const std::string* Field(const char* name) const;
};

// The entries of an XRANGE reply, or of one stream of an XREAD reply. False for a reply that is
// not a list of [id, [field, value, ...]].
bool ParseEntries(const redisReply* reply, std::vector<StreamEntry>* out);
// The streams of an XREAD reply: (key, entries); a nil reply (timeout) gives none.
bool ParseStreams(const redisReply* reply,
                  std::vector<std::pair<std::string, std::vector<StreamEntry>>>* out);

// A cache item: stream id 0-N gives the cache id N; fields a (the write's action: 0 replace, 1
// append), w (writer), o (option), d (data).
struct StoredItem {
    DWORD id = 0;
    DWORD action = 0;
    DWORD writer = 0;
    DWORD option = 0;
    std::string data;
};
bool ReadItem(const StreamEntry& entry, StoredItem* out, std::string* why);

// Direct data to one user: fields f (sender), c (channel), p (priority), d (data).
struct DirectData {
    DWORD sender = 0, channel = 0, priority = 0;
    std::string data;
};
bool ReadDirectData(const StreamEntry& entry, DirectData* out, std::string* why);

// A conference event: k is 'a' (enrolled), 'c' (enrolled again), 'r' (left the roster), 'A'
// (attached), 'D' (detached); u the user, n its node, r the chat room, v the room's roster
// version, t the roster text (a and c only).
struct ConferenceEvent {
    char kind = 0;
    DWORD user = 0, node = 0, room = 0, version = 0;
    std::string text;
};
bool ReadEvent(const StreamEntry& entry, ConferenceEvent* out, std::string* why);

} // namespace qxnc
