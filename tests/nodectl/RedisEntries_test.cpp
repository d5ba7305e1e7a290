// What the Redis back end accepts from the server: addresses, ids and stream entries, each
// refused with its reason when it is not what a controller writes.
#include "RedisEntries.h"
#include "RedisWire.h"

#include <hiredis/hiredis.h>

#include <gtest/gtest.h>

#include <memory>

using namespace qxnc;

namespace {

struct ReplyDeleter {
    void operator()(redisReply* r) const { freeReplyObject(r); }
};
using OwnedReply = std::unique_ptr<redisReply, ReplyDeleter>;

// A reply as the server would send it, in the wire format, read by hiredis's own reader.
OwnedReply FromWire(const std::string& wire) {
    redisReader* reader = redisReaderCreate();
    redisReaderFeed(reader, wire.data(), wire.size());
    void* reply = nullptr;
    redisReaderGetReply(reader, &reply);
    redisReaderFree(reader);
    return OwnedReply(static_cast<redisReply*>(reply));
}

std::string Bulk(const std::string& s) {
    return "$" + std::to_string(s.size()) + "\r\n" + s + "\r\n";
}

// One stream entry on the wire: [id, [field, value, ...]].
std::string EntryWire(const std::string& id, const std::vector<std::string>& fields) {
    std::string wire = "*2\r\n" + Bulk(id) + "*" + std::to_string(fields.size()) + "\r\n";
    for (const std::string& f : fields)
        wire += Bulk(f);
    return wire;
}

StreamEntry Entry(const std::string& id, const std::vector<std::string>& fields) {
    OwnedReply reply = FromWire("*1\r\n" + EntryWire(id, fields));
    std::vector<StreamEntry> entries;
    EXPECT_TRUE(ParseEntries(reply.get(), &entries));
    return entries.empty() ? StreamEntry() : entries[0];
}

TEST(RedisAddressTest, OnlyTheTwoFormsAreTaken) {
    const struct {
        const char* text;
        bool good;
        const char* host;
        int port;
        const char* password;
    } cases[] = {
        {"redis://127.0.0.1:6379", true, "127.0.0.1", 6379, ""},
        {"redis://:pw@db.example:1", true, "db.example", 1, "pw"},
        {"redis://:p@ss@h:65535", true, "h", 65535, "p@ss"},
        {"redis://h:0", false, "", 0, ""},
        {"redis://h:65536", false, "", 0, ""},
        {"redis://h:", false, "", 0, ""},
        {"redis://:6379", false, "", 0, ""},
        {"redis://h", false, "", 0, ""},
        {"redis://user:pw@h:1", false, "", 0, ""},
        {"redis://:@h:1", false, "", 0, ""},
        {"redis://h:12x", false, "", 0, ""},
        {"redis://h:-1", false, "", 0, ""},
        {"rediss://h:1", false, "", 0, ""},
        {"127.0.0.1", false, "", 0, ""},
    };
    for (const auto& c : cases) {
        RedisAddress address;
        ASSERT_EQ(c.good, ParseRedisAddress(c.text, &address)) << c.text;
        if (!c.good) continue;
        EXPECT_EQ(c.host, address.host);
        EXPECT_EQ(c.port, address.port);
        EXPECT_EQ(c.password, address.password);
    }
    EXPECT_EQ("redis://:***@h:1", MaskedAddress("redis://:secret@h:1"));
    EXPECT_EQ("redis://h:1", MaskedAddress("redis://h:1"));
    EXPECT_EQ("net-1", MaskedAddress("net-1"));
}

TEST(RedisEntriesTest, NumbersAndIdsAreStrict) {
    DWORD n = 0;
    EXPECT_TRUE(ParseDword("4294967295", &n));
    EXPECT_EQ(0xFFFFFFFFu, n);
    for (const char* bad : {"4294967296", "-1", "", " 1", "1 ", "0x10", "99999999999"})
        EXPECT_FALSE(ParseDword(bad, &n)) << bad;
    StreamId id;
    EXPECT_TRUE(ParseStreamId("0-7", &id));
    EXPECT_EQ(7u, id.seq);
    for (const char* bad : {"7", "-7", "0-", "a-1", "0-18446744073709551616"})
        EXPECT_FALSE(ParseStreamId(bad, &id)) << bad;
    StreamId a, b;
    ParseStreamId("1-9", &a);
    ParseStreamId("2-0", &b);
    EXPECT_TRUE(a < b);
}

TEST(RedisEntriesTest, RepliesOfTheWrongShapeAreRefused) {
    std::vector<StreamEntry> entries;
    EXPECT_FALSE(ParseEntries(FromWire(":1\r\n").get(), &entries));
    EXPECT_FALSE(ParseEntries(FromWire("*1\r\n:5\r\n").get(), &entries)) << "an entry that is no list";
    EXPECT_FALSE(ParseEntries(FromWire("*1\r\n*2\r\n" + Bulk("x-1") + "*0\r\n").get(), &entries)) << "id";
    EXPECT_FALSE(ParseEntries(FromWire("*1\r\n" + EntryWire("0-1", {"a"})).get(), &entries)) << "odd fields";
    EXPECT_FALSE(ParseEntries(FromWire("*1\r\n*2\r\n" + Bulk("0-1") + "*2\r\n:1\r\n:2\r\n").get(), &entries))
        << "fields that are not strings";
    EXPECT_TRUE(entries.empty());
    EXPECT_TRUE(ParseEntries(FromWire("*1\r\n*2\r\n" + Bulk("0-1") + "$-1\r\n").get(), &entries))
        << "an entry deleted meanwhile is read with no fields";
    ASSERT_EQ(1u, entries.size());
    EXPECT_TRUE(entries[0].fields.empty());

    std::vector<std::pair<std::string, std::vector<StreamEntry>>> streams;
    EXPECT_TRUE(ParseStreams(FromWire("*-1\r\n").get(), &streams)) << "a read that timed out";
    EXPECT_TRUE(streams.empty());
    EXPECT_TRUE(ParseStreams(
        FromWire("*1\r\n*2\r\n" + Bulk("k") + "*1\r\n" + EntryWire("0-1", {"a", "b"})).get(), &streams));
    ASSERT_EQ(1u, streams.size());
    EXPECT_EQ("k", streams[0].first);
    EXPECT_FALSE(ParseStreams(FromWire("*1\r\n*1\r\n" + Bulk("k")).get(), &streams));
}

TEST(RedisEntriesTest, CacheItems) {
    const std::string big(QXNC_MAX_DATA, 'x');
    StoredItem item;
    std::string why;
    ASSERT_TRUE(ReadItem(Entry("0-12", {"a", "1", "w", "30001", "o", "7", "d", big}), &item, &why)) << why;
    EXPECT_EQ(12u, item.id);
    EXPECT_EQ(1u, item.action);
    EXPECT_EQ(30001u, item.writer);
    EXPECT_EQ(7u, item.option);
    EXPECT_EQ(big, item.data);
    EXPECT_TRUE(ReadItem(Entry("0-1", {"d", "", "o", "0", "w", "1", "a", "0"}), &item, &why)) << "any order";

    const struct {
        const char* id;
        std::vector<std::string> fields;
        const char* reason;
    } bad[] = {
        {"1-1", {"a", "1", "w", "1", "o", "0", "d", "x"}, "not a cache id"},
        {"0-0", {"a", "1", "w", "1", "o", "0", "d", "x"}, "not a cache id"},
        {"0-4294967296", {"a", "1", "w", "1", "o", "0", "d", "x"}, "not a cache id"},
        {"0-1", {"w", "1", "o", "0", "d", "x"}, "field a missing"},
        {"0-1", {"a", "2", "w", "1", "o", "0", "d", "x"}, "unknown action"},
        {"0-1", {"a", "1", "w", "one", "o", "0", "d", "x"}, "field w is not a number"},
        {"0-1", {"a", "1", "w", "1", "d", "x"}, "field o missing"},
        {"0-1", {"a", "1", "w", "1", "o", "0"}, "field d missing"},
        {"0-1", {"a", "1", "w", "1", "o", "0", "d", big + "x"}, "too long"},
    };
    for (const auto& b : bad) {
        why.clear();
        EXPECT_FALSE(ReadItem(Entry(b.id, b.fields), &item, &why)) << b.reason;
        EXPECT_NE(std::string::npos, why.find(b.reason)) << why;
    }
}

TEST(RedisEntriesTest, DirectDataAndEvents) {
    DirectData data;
    std::string why;
    ASSERT_TRUE(ReadDirectData(Entry("5-0", {"f", "30001", "c", "1", "p", "2", "d", "hi"}), &data, &why));
    EXPECT_EQ(30001u, data.sender);
    EXPECT_EQ("hi", data.data);
    EXPECT_FALSE(ReadDirectData(Entry("5-0", {"f", "30001", "c", "1", "p", "2", "d", ""}), &data, &why));
    EXPECT_FALSE(ReadDirectData(Entry("5-0", {"f", "1001", "c", "1", "p", "2", "d", "x"}), &data, &why))
        << "a node id as sender";
    EXPECT_FALSE(ReadDirectData(Entry("5-0", {"f", "30001", "p", "2", "d", "x"}), &data, &why));

    ConferenceEvent event;
    ASSERT_TRUE(ReadEvent(Entry("9-0", {"k", "a", "u", "30001", "n", "1001", "r", "5", "v", "3", "t", ""}),
                          &event, &why))
        << why;
    EXPECT_EQ('a', event.kind);
    EXPECT_EQ(5u, event.room);
    EXPECT_EQ(3u, event.version);
    EXPECT_TRUE(ReadEvent(Entry("9-1", {"k", "D", "u", "30001", "n", "1001"}), &event, &why)) << why;
    const std::vector<std::string> bad[] = {
        {"k", "x", "u", "30001", "n", "1001"},
        {"k", "aa", "u", "30001", "n", "1001"},
        {"u", "30001", "n", "1001"},
        {"k", "A", "u", "1001", "n", "1001"},
        {"k", "A", "u", "30001", "n", "30001"},
        {"k", "a", "u", "30001", "n", "1001", "r", "5", "v", "3"},
        {"k", "c", "u", "30001", "n", "1001", "r", "5", "t", "x"},
        {"k", "r", "u", "30001", "n", "1001", "r", "5", "v", "3", "t",
         std::string(QXNC_MAX_ROSTER_TEXT + 1, 't')},
    };
    for (const auto& fields : bad)
        EXPECT_FALSE(ReadEvent(Entry("9-2", fields), &event, &why)) << fields[1];
}

} // namespace
