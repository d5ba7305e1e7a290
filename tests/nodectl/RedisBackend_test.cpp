// What only the Redis back end has: conferences apart on one server, passwords, the server
// going away and coming back, entries that someone else wrote, and participants in separate
// processes (the demo host, one participant per process).
#include "NodeTestSupport.h"
#include "TraceCapture.h"

#include <memory>

using namespace nctest;

namespace {

class RedisBackendTest : public ::testing::Test {
protected:
    void SetUp() override {
        Control()->Reset();
        ASSERT_TRUE(SharedServer().Start()) << SharedServer().Failure();
        ASSERT_TRUE(PumpUntilQuiet());
        ASSERT_EQ("OK", SharedServer().Command({"FLUSHALL"}));
    }
    static std::string Shared() { return SharedServer().Address(); }
};

std::vector<DWORD> Handles(Participant& p, const std::vector<std::string>& names) {
    std::vector<QxCacheName> table = NameTable(names);
    const int before = p.sinks.Count(Event::Names);
    EXPECT_EQ(0, p.nc->AllocNameHandles(p.ape, static_cast<DWORD>(table.size()), table.data(), &p.sinks));
    EXPECT_TRUE(PumpUntil([&] { return p.sinks.Count(Event::Names) > before; }));
    std::vector<DWORD> handles;
    for (auto& entry : p.sinks.Last(Event::Names)->named)
        handles.push_back(entry.second);
    return handles;
}

int Write(Participant& p, DWORD cache, const std::string& bytes) {
    QXMEMHANDLE block = Block(bytes);
    int rc = p.nc->CacheSet(p.ape, cache, 0, 0, QXNC_CACHE_APPEND, 0, block, 0, 1);
    QxMemoryRelease(block);
    return rc;
}

std::vector<std::string> ItemTexts(const std::vector<Event>& items) {
    std::vector<std::string> texts;
    for (const Event& e : items)
        texts.push_back(e.hasBlock ? e.bytes : "(none " + std::to_string(e.result) + ")");
    return texts;
}

std::vector<std::string> ItemTexts(const Participant& p) {
    return ItemTexts(p.sinks.Of(Event::Shared));
}

TEST_F(RedisBackendTest, TwoConferencesOnOneServerAreApart) {
    Participant a(Shared()), b(Shared());
    ASSERT_TRUE(a.Enter("anna", 5, 7));
    ASSERT_TRUE(b.Enter("ben", 5, 8));
    EXPECT_EQ(1u, RosterSeen(a.sinks).size());
    EXPECT_EQ(1u, RosterSeen(b.sinks).size());
    EXPECT_EQ(1u, a.sinks.Last(Event::Join)->values[1]) << "alone in conference 7";

    const DWORD cacheA = Handles(a, {"shared name"})[0], cacheB = Handles(b, {"shared name"})[0];
    ASSERT_EQ(0, Write(a, cacheA, "only for 7"));
    ASSERT_TRUE(PumpUntilQuiet());
    ASSERT_EQ(0, b.nc->CacheAction(b.ape, cacheB, 0, QXNC_CACHE_READ, 255, &b.sinks));
    ASSERT_TRUE(PumpUntilQuiet());
    EXPECT_EQ((std::vector<std::string>{"(none 19)"}), ItemTexts(b)) << "the other conference's cache";
    const BYTE x = 'x';
    EXPECT_EQ(1201, a.nc->SendData(a.ape, b.userId, 1, &x, 1, 1, 1)) << "a user of another conference";
}

TEST_F(RedisBackendTest, APasswordIsSentAndNeverShown) {
    RedisServer locked;
    ASSERT_TRUE(locked.Start("s3cret")) << locked.Failure();
    Participant good(locked.Address());
    ASSERT_TRUE(good.Enter("anna"));
    QxNcCall call = {};
    ASSERT_EQ(1, Control()->GetCall(0, &call));
    EXPECT_EQ(std::string::npos, std::string(call.line).find("s3cret")) << call.line;
    EXPECT_NE(std::string::npos, std::string(call.line).find(":***@")) << call.line;

    TraceCapture capture;
    const std::string wrong = "redis://:wrong@127.0.0.1:" + std::to_string(locked.Port());
    Participant bad(wrong);
    ASSERT_NE(nullptr, bad.nc);
    EXPECT_FALSE(bad.Connect());
    EXPECT_NE(0, bad.sinks.Last(Event::Connect)->result);
    EXPECT_TRUE(capture.ContainsSubstring(L"redis://:***@127.0.0.1")) << capture.Dump();
    EXPECT_EQ(std::wstring::npos, capture.Dump().find(L"wrong@"));

    IArmNodeController* nc = nullptr;
    for (const char* malformed : {"redis://:@h:1", "redis://h", "redis://h:99999"})
        EXPECT_EQ(1201, QxGetArmNodeController(malformed, &nc)) << malformed;
}

// The server stops mid-meeting and comes back with its append-only file: the participants are
// told at once and nothing hangs; a participant that starts again reads what was said before.
TEST_F(RedisBackendTest, TheServerGoesAwayAndComesBack) {
    RedisServer server;
    ASSERT_TRUE(server.Start()) << server.Failure();
    auto a = std::make_unique<Participant>(server.Address());
    Participant b(server.Address());
    ASSERT_TRUE(a->Enter("anna"));
    ASSERT_TRUE(b.Enter("ben"));
    const DWORD cache = Handles(*a, {"history"})[0];
    for (const char* text : {"one", "two", "three"})
        ASSERT_EQ(0, Write(*a, cache, text));
    ASSERT_TRUE(PumpUntilQuiet());

    TraceCapture capture;
    ASSERT_TRUE(server.Stop()) << server.Failure();
    for (Participant* p : {a.get(), &b}) {
        ASSERT_TRUE(PumpUntil([&] { return p->sinks.Count(Event::Detach) == 1; }, 10000));
        EXPECT_EQ((std::vector<DWORD>{QXNC_DETACH_SERVER_LOST}), p->sinks.Last(Event::Detach)->values);
    }
    EXPECT_TRUE(capture.ContainsSubstring(L"qxnodectl: lost the server redis://127.0.0.1:"))
        << capture.Dump();
    EXPECT_EQ(1201, Write(*a, cache, "lost")) << "the APE is gone";
    const BYTE x = 'x';
    EXPECT_EQ(1201, a->nc->SendData(a->ape, b.userId, 1, &x, 1, 1, 1));
    a.reset(); // releasing a controller whose server is gone returns at once

    ASSERT_TRUE(server.Start()) << server.Failure();
    Participant again(server.Address());
    ASSERT_TRUE(again.Enter("anna"));
    const DWORD same = Handles(again, {"history"})[0];
    EXPECT_EQ(cache, same);
    ASSERT_EQ(0, again.nc->CacheAction(again.ape, same, 0, QXNC_CACHE_READ, 255, &again.sinks));
    ASSERT_TRUE(PumpUntil([&] { return again.sinks.Count(Event::Shared) == 3; }));
    EXPECT_EQ((std::vector<std::string>{"one", "two", "three"}), ItemTexts(again));
}

// Entries written by someone else than a controller: each refused with its trace line, the
// good ones around them delivered.
TEST_F(RedisBackendTest, ForeignEntriesAreRefusedWithATraceLine) {
    Participant a(Shared()), b(Shared());
    ASSERT_TRUE(a.Enter("anna"));
    ASSERT_TRUE(b.Enter("ben"));
    const DWORD cache = Handles(a, {"chat"})[0];
    Handles(b, {"chat"});
    ASSERT_EQ(0, a.nc->CacheAction(a.ape, cache, 0, QXNC_CACHE_SUBSCRIBE, 255, &a.sinks));
    ASSERT_TRUE(PumpUntilQuiet());

    TraceCapture capture;
    RedisServer& server = SharedServer();
    const std::string prefix = "qxnc:{7}:";
    const std::string stream = prefix + "cache:" + std::to_string(cache);
    const std::string big(QXNC_MAX_DATA + 1, 'b');
    const std::vector<std::vector<std::string>> bad = {
        {"XADD", stream, "0-*", "w", "30001", "o", "0", "d", "no action"},
        {"XADD", stream, "0-*", "a", "1", "w", "x", "o", "0", "d", "writer not a number"},
        {"XADD", stream, "0-*", "a", "1", "w", "30001", "o", "0", "d", big},
    };
    for (const auto& command : bad)
        EXPECT_NE("ERR", server.Command(command).substr(0, 3)) << command[3];
    ASSERT_EQ(0, Write(b, cache, "good"));
    ASSERT_TRUE(PumpUntil([&] { return a.sinks.Count(Event::Shared) == 1; }));
    EXPECT_EQ((std::vector<std::string>{"good"}), ItemTexts(a));
    for (const wchar_t* reason : {L"field a missing", L"field w is not a number", L"too long"})
        EXPECT_TRUE(capture.ContainsSubstring(reason)) << capture.Dump();

    // Junk in the conference's events: refused, and the roster stays as it was.
    capture.Clear();
    server.Command({"XADD", prefix + "events", "*", "k", "a", "u", "30001"});
    server.Command({"XADD", prefix + "events", "*", "k", "?", "u", "30001", "n", "1001"});
    ASSERT_TRUE(PumpUntil([&] { return capture.Lines().size() >= 2; })) << capture.Dump();
    EXPECT_TRUE(capture.ContainsSubstring(L"refused event")) << capture.Dump();
    EXPECT_EQ(2u, RosterSeen(a.sinks).size());

    // A key of another type where a stream belongs: the reader stops following it, no more.
    capture.Clear();
    server.Command({"DEL", stream});
    server.Command({"SET", stream, "not a stream"});
    ASSERT_TRUE(PumpUntil([&] { return capture.ContainsSubstring(L"not a stream"); })) << capture.Dump();
    const BYTE x = 'x';
    ASSERT_EQ(0, b.nc->SendData(b.ape, a.userId, 1, &x, 1, 1, 1));
    ASSERT_TRUE(PumpUntil([&] { return a.sinks.Count(Event::Data) == 1; })) << "the reader goes on";
}

// A long history is read back whole, in order and marked first, more ... last, however many
// reads of the server that takes; a read from a later item and one past the newest replace start
// where they should; the server forgetting its scripts does not stop the writes.
TEST_F(RedisBackendTest, LongHistoriesAreReadWholeAndInOrder) {
    Participant a(Shared());
    ASSERT_TRUE(a.Enter("anna"));
    const DWORD cache = Handles(a, {"history"})[0];
    const std::string stream = "qxnc:{7}:cache:" + std::to_string(cache);
    const size_t count = 1300;
    // Stored as the controller stores appends, in one step on the server.
    ASSERT_EQ(std::to_string(count),
              SharedServer().Command(
                  {"EVAL",
                   "for i = 1, tonumber(ARGV[1]) do redis.call('XADD', KEYS[1], '0-*', 'a', '1', "
                   "'w', ARGV[2], 'o', '0', 'd', 'item '..i) end return redis.call('XLEN', KEYS[1])",
                   "1", stream, std::to_string(count), std::to_string(a.userId)}));
    auto read = [&](DWORD first) {
        a.sinks.events.clear();
        EXPECT_EQ(0, a.nc->CacheAction(a.ape, cache, first, QXNC_CACHE_READ, 255, &a.sinks));
        EXPECT_TRUE(PumpUntil(
            [&] {
                const Event* e = a.sinks.Last(Event::Shared);
                return e && e->values[2] == QXNC_CACHE_ITEM_LAST;
            },
            30000));
        return a.sinks.Of(Event::Shared);
    };
    auto mark = [](size_t i, size_t n) {
        return i + 1 == n ? QXNC_CACHE_ITEM_LAST : i == 0 ? QXNC_CACHE_ITEM_FIRST : QXNC_CACHE_ITEM_MORE;
    };
    for (DWORD first : {0u, 1000u}) {
        const std::vector<Event> items = read(first);
        const size_t from = first ? first : 1;
        ASSERT_EQ(count - from + 1, items.size()) << "from " << first;
        for (size_t i = 0; i < items.size(); ++i) {
            ASSERT_EQ(from + i, items[i].values[0]) << i;
            ASSERT_EQ("item " + std::to_string(from + i), items[i].bytes);
            ASSERT_EQ(static_cast<DWORD>(mark(i, items.size())), items[i].values[2]) << i;
        }
    }

    QXMEMHANDLE block = Block("fresh");
    ASSERT_EQ(0, a.nc->CacheSet(a.ape, cache, 0, 0, QXNC_CACHE_REPLACE, 0, block, 0, 1));
    QxMemoryRelease(block);
    ASSERT_EQ(0, Write(a, cache, "after"));
    ASSERT_TRUE(PumpUntil([&] { return a.sinks.Count(Event::CacheConfirm) == 2; }));
    EXPECT_EQ((std::vector<std::string>{"fresh", "after"}), ItemTexts(read(0)));

    ASSERT_EQ("OK", SharedServer().Command({"SCRIPT", "FLUSH"}));
    a.sinks.events.clear();
    ASSERT_EQ(0, Write(a, cache, "after the flush"));
    ASSERT_TRUE(PumpUntil([&] { return a.sinks.Count(Event::CacheConfirm) == 1; }));
    EXPECT_EQ(0, a.sinks.Last(Event::CacheConfirm)->result);
    EXPECT_EQ(count + 3, a.sinks.Last(Event::CacheConfirm)->values[2]) << "its cache id";
    EXPECT_EQ((std::vector<std::string>{"fresh", "after", "after the flush"}), ItemTexts(read(1)));
}

// A controller of another process that dies without a word: the others remove it once.
TEST_F(RedisBackendTest, AProcessThatDiesLeavesTheRostersWithinTheBound) {
    const std::string command = "qxhost.exe --server " + Shared() + " --conference 9 --participant 1";
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    std::string line = command;
    ASSERT_TRUE(CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    Participant a(Shared());
    ASSERT_TRUE(a.Enter("anna", 1, 9));
    const bool joined = PumpUntil([&] { return RosterSeen(a.sinks).size() == 2; }, 30000);
    TerminateProcess(pi.hProcess, 9);
    WaitForSingleObject(pi.hProcess, 10000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    ASSERT_TRUE(joined) << "the other process's participant never enrolled";

    const DWORD start = GetTickCount();
    // The bound is 7 seconds; the margin is for a machine that is busy with other tests.
    ASSERT_TRUE(PumpUntil([&] { return RosterSeen(a.sinks).size() == 1; }, 15000));
    EXPECT_LE(GetTickCount() - start, 10000u);
    PumpUntil([] { return false; }, 1500); // a second removal would arrive within a beat
    int removals = 0;
    for (const Event& e : a.sinks.Of(Event::Roster))
        removals += static_cast<int>(e.values[2]);
    EXPECT_EQ(1, removals) << "written once, though every member checks";
}

// Separate host processes on one server: Ann, Ben and Dee each see the other two in "Send to:";
// Ann and Ben talk through their input boxes, Ann tells Ben something privately (Dee must not
// show it), Ben's typing reaches Ann's host; Cy joins late and shows the conversation from the
// stored history, once and in order. Each process checks what its own panel showed and
// answers with its exit code (host/ProcessMeeting.cpp).
TEST_F(RedisBackendTest, HostProcessesHoldOneConversation) {
    auto start = [&](int participant) {
        std::string line = "qxhost.exe --server " + Shared() + " --conference 11 --exit --participant " +
                           std::to_string(participant);
        STARTUPINFOA si = {};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi = {};
        EXPECT_TRUE(
            CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
        CloseHandle(pi.hThread);
        return pi.hProcess;
    };
    auto finish = [](HANDLE process) {
        DWORD code = 99;
        if (WaitForSingleObject(process, 60000) == WAIT_OBJECT_0)
            GetExitCodeProcess(process, &code);
        else
            TerminateProcess(process, 98);
        CloseHandle(process);
        return code;
    };
    HANDLE ann = start(0), ben = start(1), dee = start(3);
    EXPECT_EQ(0u, finish(ann)) << "Ann";
    EXPECT_EQ(0u, finish(ben)) << "Ben";
    EXPECT_EQ(0u, finish(dee)) << "Dee, who must not get the private message";
    EXPECT_EQ(0u, finish(start(2))) << "the late joiner";
}

} // namespace
