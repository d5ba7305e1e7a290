#include "RedisEntries.h"

#include <hiredis/hiredis.h>

#include <cstdlib>

namespace qxnc {

namespace {

bool ParseU64(const std::string& text, unsigned long long* out) {
    if (text.empty() || text.size() > 20 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    unsigned long long value = 0;
    for (char c : text) {
        unsigned long long next = value * 10 + static_cast<unsigned>(c - '0');
        if (next / 10 != value) return false;
        value = next;
    }
    *out = value;
    return true;
}

bool IsText(const redisReply* r) {
    return r && (r->type == REDIS_REPLY_STRING || r->type == REDIS_REPLY_STATUS);
}

std::string TextOf(const redisReply* r) {
    return std::string(r->str, r->len);
}

// Reads a numeric field; false with the reason when absent or not a DWORD.
bool NumberField(const StreamEntry& entry, const char* name, DWORD* out, std::string* why) {
    const std::string* value = entry.Field(name);
    if (!value) {
        *why = std::string("field ") + name + " missing";
        return false;
    }
    if (!ParseDword(*value, out)) {
        *why = std::string("field ") + name + " is not a number";
        return false;
    }
    return true;
}

bool BytesField(const StreamEntry& entry, const char* name, DWORD limit, std::string* out, std::string* why) {
    const std::string* value = entry.Field(name);
    if (!value) {
        *why = std::string("field ") + name + " missing";
        return false;
    }
    if (value->size() > limit) {
        *why = std::string("field ") + name + " of " + std::to_string(value->size()) + " bytes is too long";
        return false;
    }
    *out = *value;
    return true;
}

bool InRange(DWORD value, DWORD first, DWORD last) {
    return value >= first && value <= last;
}

} // namespace

bool ParseStreamId(const std::string& text, StreamId* out) {
    const size_t dash = text.find('-');
    if (dash == std::string::npos) return false;
    StreamId id;
    if (!ParseU64(text.substr(0, dash), &id.ms) || !ParseU64(text.substr(dash + 1), &id.seq)) return false;
    *out = id;
    return true;
}

bool ParseDword(const std::string& text, DWORD* out) {
    unsigned long long value = 0;
    if (text.size() > 10 || !ParseU64(text, &value) || value > 0xFFFFFFFFull) return false;
    *out = static_cast<DWORD>(value);
    return true;
}

const std::string* StreamEntry::Field(const char* name) const {
    for (const auto& f : fields)
        if (f.first == name) return &f.second;
    return nullptr;
}

bool ParseEntries(const redisReply* reply, std::vector<StreamEntry>* out) {
    if (!reply) return false;
    if (reply->type == REDIS_REPLY_NIL) return true;
    if (reply->type != REDIS_REPLY_ARRAY) return false;
    out->reserve(out->size() + reply->elements);
    for (size_t i = 0; i < reply->elements; ++i) {
        const redisReply* e = reply->element[i];
        if (!e || e->type != REDIS_REPLY_ARRAY || e->elements != 2 || !IsText(e->element[0])) return false;
        StreamEntry entry;
        if (!ParseStreamId(TextOf(e->element[0]), &entry.id)) return false;
        const redisReply* f = e->element[1];
        // A deleted entry read through XREAD comes back with a nil field list: no fields.
        if (f && f->type == REDIS_REPLY_ARRAY) {
            if (f->elements % 2) return false;
            entry.fields.reserve(f->elements / 2);
            for (size_t k = 0; k < f->elements; k += 2) {
                if (!IsText(f->element[k]) || !IsText(f->element[k + 1])) return false;
                entry.fields.emplace_back(TextOf(f->element[k]), TextOf(f->element[k + 1]));
            }
        } else if (!f || f->type != REDIS_REPLY_NIL) {
            return false;
        }
        out->push_back(std::move(entry));
    }
    return true;
}

bool ParseStreams(const redisReply* reply,
                  std::vector<std::pair<std::string, std::vector<StreamEntry>>>* out) {
    if (!reply) return false;
    if (reply->type == REDIS_REPLY_NIL) return true;
    if (reply->type != REDIS_REPLY_ARRAY) return false;
    for (size_t i = 0; i < reply->elements; ++i) {
        const redisReply* s = reply->element[i];
        if (!s || s->type != REDIS_REPLY_ARRAY || s->elements != 2 || !IsText(s->element[0])) return false;
        std::vector<StreamEntry> entries;
        if (!ParseEntries(s->element[1], &entries)) return false;
        out->emplace_back(TextOf(s->element[0]), std::move(entries));
    }
    return true;
}

bool ReadItem(const StreamEntry& entry, StoredItem* out, std::string* why) {
    if (entry.id.ms != 0 || entry.id.seq == 0 || entry.id.seq > 0xFFFFFFFFull) {
        *why = "item id " + entry.id.Text() + " is not a cache id";
        return false;
    }
    StoredItem item;
    item.id = static_cast<DWORD>(entry.id.seq);
    if (!NumberField(entry, "a", &item.action, why)) return false;
    if (item.action > QXNC_CACHE_APPEND) {
        *why = "unknown action";
        return false;
    }
    if (!NumberField(entry, "w", &item.writer, why) || !NumberField(entry, "o", &item.option, why) ||
        !BytesField(entry, "d", QXNC_MAX_DATA, &item.data, why))
        return false;
    *out = std::move(item);
    return true;
}

bool ReadDirectData(const StreamEntry& entry, DirectData* out, std::string* why) {
    DirectData data;
    if (!NumberField(entry, "f", &data.sender, why) || !NumberField(entry, "c", &data.channel, why) ||
        !NumberField(entry, "p", &data.priority, why) ||
        !BytesField(entry, "d", QXNC_MAX_DATA, &data.data, why))
        return false;
    if (data.data.empty()) {
        *why = "empty data";
        return false;
    }
    if (!InRange(data.sender, QXNC_FIRST_USER_ID, QXNC_LAST_USER_ID)) {
        *why = "sender " + std::to_string(data.sender) + " is not a user id";
        return false;
    }
    *out = std::move(data);
    return true;
}

bool ReadEvent(const StreamEntry& entry, ConferenceEvent* out, std::string* why) {
    const std::string* kind = entry.Field("k");
    if (!kind || kind->size() != 1 || std::string("acrAD").find((*kind)[0]) == std::string::npos) {
        *why = kind ? "unknown kind" : "field k missing";
        return false;
    }
    ConferenceEvent event;
    event.kind = (*kind)[0];
    if (!NumberField(entry, "u", &event.user, why) || !NumberField(entry, "n", &event.node, why))
        return false;
    if (!InRange(event.user, QXNC_FIRST_USER_ID, QXNC_LAST_USER_ID) ||
        !InRange(event.node, QXNC_FIRST_NODE_ID, QXNC_LAST_NODE_ID)) {
        *why = "user or node id out of range";
        return false;
    }
    if (event.kind == 'a' || event.kind == 'c' || event.kind == 'r') {
        if (!NumberField(entry, "r", &event.room, why) || !NumberField(entry, "v", &event.version, why))
            return false;
    }
    // An enrollment carries its roster text; a removal may carry the text it removes, and
    // whatever it carries is held to the same bound.
    const bool needsText = event.kind == 'a' || event.kind == 'c';
    if ((needsText || (event.kind == 'r' && entry.Field("t"))) &&
        !BytesField(entry, "t", QXNC_MAX_ROSTER_TEXT, &event.text, why))
        return false;
    *out = std::move(event);
    return true;
}

} // namespace qxnc
