// Names and shared caches of a conference on each back end, driven through qxnodectl.dll.
#include "NodeTestSupport.h"

#include <cstring>
#include <memory>

using namespace nctest;

namespace {

class CacheTest : public BackendTest {
protected:
    void SetUp() override {
        BackendTest::SetUp();
        if (HasFatalFailure()) return;
        liveBlocks = QxMemoryLiveBlocks();
        const std::string address = Address();
        a = std::make_unique<Participant>(address);
        b = std::make_unique<Participant>(address);
        ASSERT_TRUE(a->Enter("anna"));
        ASSERT_TRUE(b->Enter("ben"));
        cache = Handles(*a, {"77_chat_cache_15"})[0];
        // Each member names the caches it uses, as the chat does; the name gives the same handle.
        ASSERT_EQ(cache, Handles(*b, {"77_chat_cache_15"})[0]);
    }
    void TearDown() override {
        a.reset();
        b.reset();
        EXPECT_EQ(liveBlocks, QxMemoryLiveBlocks()) << "every block handed out is gone again";
    }

    static std::vector<DWORD> Handles(Participant& p, const std::vector<std::string>& names) {
        std::vector<QxCacheName> table = NameTable(names);
        EXPECT_EQ(0, p.nc->AllocNameHandles(p.ape, static_cast<DWORD>(table.size()), table.data(), &p.sinks));
        EXPECT_TRUE(PumpUntilQuiet());
        std::vector<DWORD> handles;
        for (auto& entry : p.sinks.Last(Event::Names)->named)
            handles.push_back(entry.second);
        return handles;
    }
    int Write(Participant& p, DWORD action, const std::string& bytes, DWORD option = 0) {
        QXMEMHANDLE block = Block(bytes);
        int rc = p.nc->CacheSet(p.ape, cache, 0, 0, action, option, block, 0, 1);
        QxMemoryRelease(block); // the writer's own release right after the call
        return rc;
    }
    // Each cache answer item as "action:id:bytes".
    static std::vector<std::string> Items(const Participant& p) {
        std::vector<std::string> items;
        for (const Event& e : p.sinks.Of(Event::Shared))
            items.push_back(std::to_string(e.values[2]) + ":" + std::to_string(e.values[0]) + ":" + e.bytes);
        return items;
    }

    DWORD liveBlocks = 0;
    std::unique_ptr<Participant> a, b;
    DWORD cache = 0;
};

TEST_P(CacheTest, NameHandlesAreStablePerNameAndConference) {
    std::vector<DWORD> first =
        Handles(*b, {"77_chat_cache_15", "77_Chat_User_Info", "", std::string(64, 'n')});
    EXPECT_EQ(cache, first[0]) << "the same name in the same conference";
    EXPECT_NE(0u, first[1]);
    EXPECT_NE(first[0], first[1]);
    EXPECT_EQ(0u, first[2]) << "an empty name gets no handle";
    EXPECT_NE(0u, first[3]) << "a name filling all 64 bytes";
    EXPECT_GE(first[1], QXNC_FIRST_NAME_HANDLE);
    EXPECT_EQ(2u, b->sinks.Last(Event::Names)->values[1]) << "two names were new";
    EXPECT_EQ(std::string(64, 'n'), b->sinks.Last(Event::Names)->named[3].first);

    // On a server each conference numbers its own handles (that its caches stay apart is shown
    // by RedisBackendTest.TwoConferencesOnOneServerAreApart); embedded ones share one counter.
    if (!OnRedis()) {
        Participant other("another network");
        ASSERT_TRUE(other.Enter("olga"));
        EXPECT_NE(cache, Handles(other, {"77_chat_cache_15"})[0]) << "another conference's cache";
    }

    std::vector<QxCacheName> table = NameTable({"x"});
    EXPECT_EQ(1201, a->nc->AllocNameHandles(a->ape, 0, table.data(), &a->sinks));
    EXPECT_EQ(1201, a->nc->AllocNameHandles(a->ape, QXNC_MAX_NAMES + 1, table.data(), &a->sinks));
    EXPECT_EQ(1201, a->nc->AllocNameHandles(a->ape, 1, nullptr, &a->sinks));
    EXPECT_EQ(1201, a->nc->AllocNameHandles(a->ape, 1, table.data(), nullptr));
    ASSERT_EQ(0, a->nc->AllocNameHandles(a->ape, 1, table.data(), &a->sinks));
    std::memcpy(table[0].name, "y", 2); // the table was copied during the call
    ASSERT_TRUE(PumpUntilQuiet());
    EXPECT_EQ("x", a->sinks.Last(Event::Names)->named[0].first);
}

TEST_P(CacheTest, AppendsAscendReplaceKeepsOneItemAndReadsEndWithSix) {
    ASSERT_EQ(0, b->nc->CacheAction(b->ape, cache, 0, 1, 255, &b->sinks));
    // On a server the read and the writes travel on two connections: the writes wait for the
    // read's answer, so that the read finds the cache empty.
    ASSERT_TRUE(PumpUntil([&] { return b->sinks.Count(Event::Shared) == 1; }));
    for (const char* text : {"one", "two", "three"})
        ASSERT_EQ(0, Write(*a, 1, text, 7));
    ASSERT_TRUE(PumpUntilQuiet());
    EXPECT_EQ((std::vector<std::string>{"6:0:"}), Items(*b)) << "empty: one call, action 6";
    EXPECT_EQ(19, b->sinks.Last(Event::Shared)->result);
    EXPECT_FALSE(b->sinks.Last(Event::Shared)->hasBlock);

    std::vector<Event> confirms = a->sinks.Of(Event::CacheConfirm);
    ASSERT_EQ(3u, confirms.size());
    for (DWORD i = 0; i < 3; ++i)
        EXPECT_EQ((std::vector<DWORD>{cache, 1, i + 1, i + 1}), confirms[i].values);

    ASSERT_EQ(0, a->nc->CacheAction(a->ape, cache, 0, 1, 255, &a->sinks));
    ASSERT_EQ(0, a->nc->CacheAction(a->ape, cache, 2, 1, 255, &a->sinks));
    ASSERT_TRUE(PumpUntilQuiet());
    EXPECT_EQ((std::vector<std::string>{"4:1:one", "5:2:two", "6:3:three", "4:2:two", "6:3:three"}),
              Items(*a));
    const Event* last = a->sinks.Last(Event::Shared);
    EXPECT_EQ((std::vector<DWORD>{3, cache, 6, a->userId, 5, 7}), last->values);

    ASSERT_EQ(0, Write(*b, 0, "reset"));
    ASSERT_EQ(0, b->nc->CacheAction(b->ape, cache, 0, 1, 255, &b->sinks));
    ASSERT_TRUE(PumpUntilQuiet());
    EXPECT_EQ("6:4:reset", Items(*b).back()) << "one item, under the next id";
    EXPECT_EQ((std::vector<DWORD>{cache, 0, 4, 1}), b->sinks.Last(Event::CacheConfirm)->values);
}

TEST_P(CacheTest, SubscribersIncludingTheWriterAreToldOfAppends) {
    // Each step settled before the next: on a server one controller's read could otherwise
    // overtake another's write.
    ASSERT_EQ(0, Write(*a, 1, "stored"));
    ASSERT_TRUE(PumpUntilQuiet());
    ASSERT_EQ(0, b->nc->CacheAction(b->ape, cache, 0, 3, 255, &b->sinks));
    ASSERT_TRUE(PumpUntilQuiet());
    // Ann subscribes and writes at once: her own append reaches her, though the replace right
    // behind it leaves only itself stored.
    ASSERT_EQ(0, a->nc->SetSharedDataSink(a->ape, &a->sinks));
    ASSERT_EQ(0, a->nc->CacheAction(a->ape, cache, 0, 2, 255, nullptr)); // the APE's own sink
    ASSERT_EQ(0, Write(*a, 1, "live"));
    ASSERT_EQ(0, Write(*a, 0, "replaced"));
    ASSERT_TRUE(PumpUntilQuiet());
    EXPECT_EQ((std::vector<std::string>{"1:2:live"}), Items(*a));
    EXPECT_EQ((std::vector<std::string>{"6:1:stored", "1:2:live"}), Items(*b));

    ASSERT_EQ(0, b->nc->CacheAction(b->ape, cache, 0, 4, 255, nullptr));
    ASSERT_EQ(0, Write(*a, 1, "after"));
    ASSERT_TRUE(PumpUntilQuiet());
    EXPECT_EQ(2u, Items(*b).size()) << "unsubscribed";
    EXPECT_EQ("1:4:after", Items(*a).back());

    b->Release(); // a subscriber that goes away is not written to
    ASSERT_EQ(0, Write(*a, 1, "alone"));
    ASSERT_TRUE(PumpUntilQuiet());
    EXPECT_EQ("1:5:alone", Items(*a).back());
}

TEST_P(CacheTest, ItemsOfEverySizeAndBadRequests) {
    ASSERT_EQ(0, a->nc->CacheAction(a->ape, cache, 0, 2, 255, &a->sinks));
    const std::string big(QXNC_MAX_DATA, 'b');
    ASSERT_EQ(0, Write(*a, 1, ""));
    ASSERT_EQ(0, Write(*a, 1, big));
    EXPECT_EQ(1201, Write(*a, 1, big + "b"));
    ASSERT_TRUE(PumpUntilQuiet());
    std::vector<Event> got = a->sinks.Of(Event::Shared);
    ASSERT_EQ(2u, got.size());
    EXPECT_TRUE(got[0].hasBlock) << "a 0-byte item still comes in a block";
    EXPECT_EQ("", got[0].bytes);
    EXPECT_EQ(big, got[1].bytes);

    QXMEMHANDLE block = Block("x");
    EXPECT_EQ(1201, a->nc->CacheSet(a->ape, cache, 0, 0, 2, 0, block, 0, 1)) << "action";
    EXPECT_EQ(1201, a->nc->CacheSet(a->ape, cache + 1000, 0, 0, 1, 0, block, 0, 1)) << "cache";
    EXPECT_EQ(1201, a->nc->CacheSet(a->ape, cache, 0, 0, 1, 0, nullptr, 0, 1)) << "block";
    QxMemoryRelease(block);
    EXPECT_EQ(1201, a->nc->CacheSet(a->ape, cache, 0, 0, 1, 0, block, 0, 1)) << "released block";
    for (DWORD action : {0u, 5u})
        EXPECT_EQ(1201, a->nc->CacheAction(a->ape, cache, 0, action, 255, &a->sinks));
    EXPECT_EQ(1201, b->nc->CacheAction(b->ape, cache, 0, 2, 255, nullptr)) << "no shared-data sink";
    EXPECT_EQ(1201, b->nc->CacheAction(a->ape, cache, 0, 2, 255, &b->sinks)) << "another controller's APE";
}

TEST_P(CacheTest, AReaderMayReleaseOrKeepTheBlock) {
    ASSERT_EQ(0, a->nc->CacheAction(a->ape, cache, 0, 2, 255, &a->sinks));
    QXMEMHANDLE kept = nullptr;
    struct Releaser : Sinks {
        QXMEMHANDLE* kept;
        int __stdcall SharedDataReceivedEx(DWORD ape, DWORD id, DWORD entity, QXMEMHANDLE mem, short result,
                                           DWORD action, DWORD writer, DWORD length, DWORD option) override {
            Sinks::SharedDataReceivedEx(ape, id, entity, mem, result, action, writer, length, option);
            if (!*kept && QxMemoryAddRef(mem) == QXMEM_OK)
                *kept = mem; // the first one is kept
            else
                QxMemoryRelease(mem); // the others are released by the reader itself
            return 0;
        }
    } reader;
    reader.kept = &kept;
    ASSERT_EQ(0, b->nc->CacheAction(b->ape, cache, 0, 2, 255, &reader));
    // Settled first: on a server Ann's write could otherwise overtake Ben's subscription.
    ASSERT_TRUE(PumpUntilQuiet());
    ASSERT_EQ(0, Write(*a, 1, "first"));
    ASSERT_EQ(0, Write(*a, 1, "second"));
    ASSERT_TRUE(PumpUntilQuiet());
    EXPECT_EQ(2, reader.Count(Event::Shared));
    char buffer[5] = {};
    DWORD size = 5;
    EXPECT_EQ(QXMEM_OK, QxMemoryRead(kept, 0, buffer, &size));
    EXPECT_EQ("first", std::string(buffer, 5));
    EXPECT_EQ(QXMEM_OK, QxMemoryRelease(kept));
    EXPECT_EQ(2u, Items(*a).size());
}

// A long read comes in order, 4 first and 6 last, and a sink that detaches its APE or releases
// its controller in the middle of it hears nothing more. 600 items cross a server's read pieces.
TEST_P(CacheTest, LongReadsComeInOrderAndStopWhereTheReaderLeaves) {
    const int kItems = 600;
    for (int i = 0; i < kItems; ++i)
        ASSERT_EQ(0, Write(*a, 1, "item " + std::to_string(i)));
    ASSERT_TRUE(PumpUntilQuiet());

    ASSERT_EQ(0, b->nc->CacheAction(b->ape, cache, 0, 1, 255, &b->sinks));
    ASSERT_TRUE(PumpUntil([&] { return b->sinks.Count(Event::Shared) == kItems; }));
    ASSERT_TRUE(PumpUntilQuiet());
    std::vector<std::string> items = Items(*b);
    ASSERT_EQ(static_cast<size_t>(kItems), items.size());
    for (int i = 0; i < kItems; ++i) {
        const char* action = i == 0 ? "4:" : i + 1 == kItems ? "6:" : "5:";
        EXPECT_EQ(action + std::to_string(i + 1) + ":item " + std::to_string(i), items[i]);
    }

    const int kStopAt = 100;
    for (bool release : {false, true}) {
        SCOPED_TRACE(release ? "release" : "detach");
        Participant reader(Address());
        ASSERT_TRUE(reader.Enter("cora"));
        const DWORD handle = Handles(reader, {"77_chat_cache_15"})[0];
        reader.sinks.onEvent = [&](const Event& e) {
            if (e.kind != Event::Shared || reader.sinks.Count(Event::Shared) != kStopAt) return;
            if (release)
                reader.Release();
            else
                reader.nc->DetachApe(reader.ape);
        };
        ASSERT_EQ(0, reader.nc->CacheAction(reader.ape, handle, 0, 1, 255, &reader.sinks));
        ASSERT_TRUE(PumpUntil([&] { return reader.sinks.Count(Event::Shared) >= kStopAt; }));
        ASSERT_TRUE(PumpUntilQuiet());
        EXPECT_EQ(kStopAt, reader.sinks.Count(Event::Shared));
    }
}

// The chat reads a cache's history and subscribes to it right after. An append that lands
// while the read is still on its way must reach the reader: with the read's items or as a
// notification, once, and never fall between the two.
TEST_P(CacheTest, AnAppendWhileAReadIsOnItsWayIsNotLostToTheSubscriptionBehindIt) {
    const int kItems = 3000; // a read long enough to be under way when the append comes
    for (int i = 0; i < kItems; ++i)
        ASSERT_EQ(0, Write(*a, 1, "item " + std::to_string(i)));
    ASSERT_TRUE(PumpUntilQuiet());

    ASSERT_EQ(0, b->nc->CacheAction(b->ape, cache, 0, 1, 255, &b->sinks));
    ASSERT_EQ(0, b->nc->CacheAction(b->ape, cache, 0, 2, 255, &b->sinks));
    ASSERT_TRUE(PumpUntil([&] { return b->sinks.Count(Event::Shared) > 0; }));
    ASSERT_EQ(0, Write(*a, 1, "between"));
    ASSERT_TRUE(PumpUntil([&] { return b->sinks.Count(Event::Shared) >= kItems + 1; }));
    ASSERT_TRUE(PumpUntilQuiet());
    const std::vector<std::string> items = Items(*b);
    ASSERT_EQ(static_cast<size_t>(kItems + 1), items.size());
    const std::string between = items.back().substr(items.back().find(':') + 1);
    EXPECT_EQ(std::to_string(kItems + 1) + ":between", between);

    ASSERT_EQ(0, Write(*a, 1, "later")); // the subscription goes on as usual
    ASSERT_TRUE(PumpUntil([&] { return b->sinks.Count(Event::Shared) == kItems + 2; }));
    EXPECT_EQ("1:" + std::to_string(kItems + 2) + ":later", Items(*b).back());
}

QX_BOTH_BACKENDS(CacheTest);

} // namespace
