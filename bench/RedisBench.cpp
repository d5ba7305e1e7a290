// A meeting on Redis, its participants in separate processes on a server of the bench's own:
// (a) a group message from one process's Send to the other process's show, against a bare
//     Redis write and blocking read of one stream entry between the same two processes, both
//     timed one way; and, without a goal, both as half a ping and its answer (the chat's without
//     the time the answering process spends typing its answer, which is not part of a send);
// (b) one group message to 50 participants spread over five processes, until the last shows
//     it, against the same message to a single receiver in another process;
// (c) a late joiner's recovery of 10,000 stored items until the last is shown, against one
//     range read of the same entries plus parsing them (the stream entries and the messages).
// The processes are this executable started again with --peer; they learn what to do and
// answer through streams of their own ("bench:...") on the same server. Their times are read
// from the performance counter, which every process of the machine shares.
#include "BenchClock.h"
#include "BenchMember.h"
#include "BenchStore.h"
#include "RedisEntries.h"
#include "RedisServer.h"
#include "pdu/GroupMessagePDU.h"

#include "MessagePump.h"
#include "qxmem.h"
#include "qxnodectl.h"
#include "trace/Trace.h"

#include <hiredis/hiredis.h>
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

using bench::Member;

constexpr LONG kLatencyConference = 21; // Ann here, Ben in the echo process
constexpr LONG kFanConference = 22;     // Ann here, 50 receivers in five processes
constexpr LONG kSingleConference = 23;  // Ann here, one receiver in another process
constexpr LONG kRecoveryConference = 24;
constexpr int kFanProcesses = 5;
constexpr int kFanPerProcess = 10;
constexpr DWORD kReadyMs = 120000; // fifty instances starting on two busy cores take a while
constexpr DWORD kShowMs = 60000;
constexpr DWORD kRecoveryMs = 600000;
constexpr DWORD kSettleMs = 700;

// A connection of the bench's own; every reply is freed by its owner.
struct Conn {
    redisContext* c = nullptr;
    explicit Conn(int port) {
        c = redisConnect("127.0.0.1", port);
        if (c && c->err) {
            redisFree(c);
            c = nullptr;
        }
    }
    ~Conn() {
        if (c) redisFree(c);
    }
    Conn(const Conn&) = delete;
    Conn& operator=(const Conn&) = delete;
    redisReply* Run(const std::vector<std::string>& args) {
        std::vector<const char*> argv;
        std::vector<size_t> lens;
        for (const std::string& a : args) {
            argv.push_back(a.data());
            lens.push_back(a.size());
        }
        return c ? static_cast<redisReply*>(
                       redisCommandArgv(c, static_cast<int>(args.size()), argv.data(), lens.data()))
                 : nullptr;
    }
    bool Add(const std::string& stream, const std::vector<std::string>& fields) {
        std::vector<std::string> args = {"XADD", stream, "*"};
        args.insert(args.end(), fields.begin(), fields.end());
        redisReply* r = Run(args);
        const bool good = r && r->type == REDIS_REPLY_STRING;
        freeReplyObject(r);
        return good;
    }
    // The next entry of a stream after *last, blocking up to timeoutMs; its fields as a map.
    bool Next(const std::string& stream, std::string* last, std::map<std::string, std::string>* fields,
              DWORD timeoutMs) {
        redisReply* r =
            Run({"XREAD", "COUNT", "1", "BLOCK", std::to_string(timeoutMs), "STREAMS", stream, *last});
        std::vector<std::pair<std::string, std::vector<qxnc::StreamEntry>>> streams;
        const bool good =
            r && qxnc::ParseStreams(r, &streams) && !streams.empty() && !streams[0].second.empty();
        freeReplyObject(r);
        if (!good) return false;
        const qxnc::StreamEntry& e = streams[0].second[0];
        *last = e.id.Text();
        fields->clear();
        for (auto& f : e.fields)
            (*fields)[f.first] = f.second;
        return true;
    }
};

std::wstring Wide(const std::string& s) {
    return std::wstring(s.begin(), s.end());
}
// A time of the shared performance counter, as the peers report it.
std::string Stamp(double ms) {
    char t[64];
    std::snprintf(t, sizeof t, "%.6f", ms);
    return t;
}

std::string Narrow(const std::wstring& s) {
    std::string out;
    for (wchar_t c : s)
        out += static_cast<char>(c);
    return out;
}

// The texts a member's list shows beyond the ones already looked at.
std::vector<std::wstring> NewTexts(const Member& m, int* scanned) {
    std::vector<std::wstring> texts;
    CMessageWindow* list = m.List();
    if (!list) return texts;
    for (; *scanned < list->GetItemCount(); ++*scanned) {
        const MessageItem& item = list->GetItem(*scanned);
        if (item.kind == ITEM_TEXT) texts.push_back(item.text);
    }
    return texts;
}

// Whether the member shows a text that begins with `prefix`; the rest of the text in *rest.
bool Shows(const Member& m, const std::wstring& prefix, std::wstring* rest) {
    CMessageWindow* list = m.List();
    for (int i = list ? list->GetItemCount() - 1 : -1; i >= 0; --i) {
        const MessageItem& item = list->GetItem(i);
        if (item.kind == ITEM_TEXT && item.text.compare(0, prefix.size(), prefix) == 0) {
            *rest = item.text.substr(prefix.size());
            return true;
        }
    }
    return false;
}

// The echo's answer after "pong N ": the previous answer's typing (microseconds) and the time
// it showed the ping.
bool ReadAnswer(const std::wstring& rest, long long* typingUs, double* seenMs) {
    wchar_t* end = nullptr;
    *typingUs = std::wcstoll(rest.c_str(), &end, 10);
    if (end == rest.c_str()) return false;
    const wchar_t* seen = end;
    *seenMs = std::wcstod(seen, &end);
    return end != seen;
}

bool StartPeer(const std::string& args, HANDLE* process) {
    char exe[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string line = "\"" + std::string(exe) + "\" --peer " + args;
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return false;
    CloseHandle(pi.hThread);
    *process = pi.hProcess;
    return true;
}

// ---- a peer process: members that answer pings ("ping n" with "pong n r", r the microseconds
// spent typing the previous answer, from showing its ping until its send) and report when all
// of them show a fan-out message ("fan n": an entry n, t on bench:acks); with an echo thread for
// the bare round trips. It ends when bench:stop has an entry.
int RunPeer(int port, LONG conference, int count, const std::string& tag, bool echo) {
    const std::wstring server = L"redis://127.0.0.1:" + std::to_wstring(port);
    std::vector<std::unique_ptr<Member>> members;
    for (int i = 0; i < count; ++i)
        members.push_back(std::make_unique<Member>(
            server.c_str(), Wide(tag + "-" + std::to_string(i)).c_str(), 40 * i, 0, conference));
    Conn conn(port);
    if (!conn.c) return 2;
    if (!PumpUntil(
            [&] {
                for (auto& m : members)
                    if (!m->Ready()) return false;
                return true;
            },
            kReadyMs))
        return 3;

    std::atomic<bool> stop{false};
    const DWORD uiThread = GetCurrentThreadId();
    std::thread watcher([&, uiThread] {
        Conn own(port);
        std::string last = "0-0";
        std::map<std::string, std::string> fields;
        while (own.c && !own.Next("bench:stop", &last, &fields, 1000)) {
        }
        stop = true;
        PostThreadMessageW(uiThread, WM_NULL, 0, 0); // wakes the pump
    });
    std::thread bare;
    if (echo)
        bare = std::thread([&, port] {
            Conn own(port);
            std::string last = "0-0";
            std::map<std::string, std::string> fields;
            while (own.c && !stop)
                if (own.Next("bench:ping", &last, &fields, 1000))
                    own.Add("bench:pong", {"n", fields["n"], "t", Stamp(NowMs())});
        });
    conn.Add("bench:ready", {"tag", tag});

    std::vector<int> scanned(members.size(), 0);
    long long typing = 0;                 // microseconds, the previous answer's
    std::map<std::wstring, int> fanShown; // "fan n" -> members that show it
    PumpUntil(
        [&] {
            for (size_t i = 0; i < members.size(); ++i)
                for (const std::wstring& text : NewTexts(*members[i], &scanned[i])) {
                    if (echo && i == 0 && text.compare(0, 5, L"ping ") == 0) {
                        const double seen = NowMs();
                        members[0]->Type(L"pong " + text.substr(5) + L" " + std::to_wstring(typing) + L" " +
                                         Wide(Stamp(seen)));
                        typing = static_cast<long long>((NowMs() - seen) * 1000);
                        members[0]->ClickSend();
                    } else if (text.compare(0, 4, L"fan ") == 0 &&
                               ++fanShown[text] == static_cast<int>(members.size())) {
                        conn.Add("bench:acks",
                                 {"n", Narrow(text.substr(4)), "t", Stamp(NowMs()), "tag", tag});
                    }
                }
            return stop.load();
        },
        24 * 3600 * 1000);
    watcher.join();
    if (bare.joinable()) bare.join();
    return 0;
}

// ---- the measuring process ----
struct Peers {
    std::vector<HANDLE> processes;
    ~Peers() { AwaitExit(); }
    // Waits until every peer told to stop has ended (ending one that hangs).
    void AwaitExit() {
        for (HANDLE h : processes) {
            if (WaitForSingleObject(h, 20000) != WAIT_OBJECT_0) TerminateProcess(h, 1);
            CloseHandle(h);
        }
        processes.clear();
    }
};

// Waits for `count` more entries on bench:ready.
bool AwaitReady(Conn& conn, std::string* last, int count) {
    std::map<std::string, std::string> fields;
    for (int i = 0; i < count; ++i)
        if (!conn.Next("bench:ready", last, &fields, kReadyMs)) return false;
    return true;
}

// One message from Ann to every receiver: the time from her Send until the last receiver's
// process reported it shown (the latest of their own times).
double FanOut(Member& ann, Conn& conn, std::string* acksLast, int n, int receivers) {
    const std::wstring text = L"fan " + std::to_wstring(n);
    ann.Type(text);
    const double t0 = NowMs();
    ann.ClickSend();
    double latest = 0;
    std::map<std::string, std::string> fields;
    // The acknowledgements come over the server, not as messages: this thread's messages are
    // handled between short blocking reads.
    for (int got = 0; got < receivers;) {
        if (NowMs() - t0 > kShowMs) return -1;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (!conn.Next("bench:acks", acksLast, &fields, 5) || fields["n"] != std::to_string(n)) continue;
        latest = std::max(latest, std::atof(fields["t"].c_str()));
        ++got;
    }
    return latest - t0;
}

// One XRANGE of the cache's stream, each entry checked as the controller does and its message
// parsed as the chat does; -1 when not every item came back.
double RangeReadAndParse(Conn& conn, const std::string& stream, int items) {
    const double t0 = NowMs();
    redisReply* r = conn.Run({"XRANGE", stream, "-", "+"});
    std::vector<qxnc::StreamEntry> entries;
    const bool good = r && qxnc::ParseEntries(r, &entries);
    freeReplyObject(r);
    int parsed = 0;
    for (const qxnc::StreamEntry& entry : entries) {
        qxnc::StoredItem item;
        std::string why;
        CGroupMessagePDU pdu;
        if (qxnc::ReadItem(entry, &item, &why) && pdu.ParseXMLPDU(item.data) && !pdu.GetMessageText().empty())
            ++parsed;
    }
    const double t = NowMs() - t0;
    return good && parsed == items ? t : -1;
}

int Measure(int trips, int fans, int items, int runs) {
    nctest::RedisServer server;
    if (!server.Start()) {
        std::printf("the bench's redis-server did not start: %s\n", server.Failure().c_str());
        return 1;
    }
    const int port = server.Port();
    const std::wstring address = L"redis://127.0.0.1:" + std::to_wstring(port);
    Conn conn(port);
    if (!conn.c) {
        std::printf("cannot reach the bench's server\n");
        return 1;
    }
    std::string readyLast = "0-0", acksLast = "0-0", pongLast = "0-0";
    Peers peers;
    auto stopPeers = [&] { conn.Add("bench:stop", {"now", "1"}); };

    // (a) Ann here, Ben (and his bare echo) in another process.
    HANDLE process = nullptr;
    if (!StartPeer(std::to_string(port) + " " + std::to_string(kLatencyConference) + " 1 Ben echo",
                   &process)) {
        std::printf("cannot start the echo process\n");
        return 1;
    }
    peers.processes.push_back(process);
    Member ann(address.c_str(), L"Ann", 0, 0, kLatencyConference);
    if (!PumpUntil([&] { return ann.Ready(); }, kReadyMs) || !AwaitReady(conn, &readyLast, 1)) {
        std::printf("Ann or the echo process did not become ready\n");
        stopPeers();
        return 1;
    }
    ChChatToGroup(ann.h, CHAT_ROLE_GROUP, CHAT_ALL_USERS_ROLE_GROUP);
    // One way: from Ann's Send (or write) until Ben's process shows (or reads) it, by the counter
    // both processes share. Half the round trip would also count, on the way back, Ann's own
    // thread still busy with the aftermath of her Send (emptying and repainting her input box)
    // when his answer arrives; that is reported apart.
    std::vector<double> chat, bare, chatHalf, bareHalf;
    std::map<std::string, std::string> fields;
    // Each answer tells how long typing the one before took, so one more ping than measured.
    double trip = 0;
    for (int i = 0; i <= trips; ++i) {
        ann.Type(L"ping " + std::to_wstring(i));
        double t0 = NowMs();
        ann.ClickSend();
        std::wstring rest;
        if (!PumpUntil([&] { return Shows(ann, L"pong " + std::to_wstring(i) + L" ", &rest); }, kShowMs)) {
            std::printf("ping %d was not answered\n", i);
            stopPeers();
            return 1;
        }
        const double answered = NowMs() - t0;
        long long typingUs = 0;
        double seen = 0;
        if (!ReadAnswer(rest, &typingUs, &seen)) {
            std::printf("the answer to ping %d is malformed\n", i);
            stopPeers();
            return 1;
        }
        chat.push_back(seen - t0);
        if (i > 0) chatHalf.push_back((trip - typingUs / 1000.0) / 2);
        trip = answered;
        if (i == trips) break;
        t0 = NowMs();
        conn.Add("bench:ping", {"n", std::to_string(i)});
        if (!conn.Next("bench:pong", &pongLast, &fields, kShowMs) || fields["n"] != std::to_string(i) ||
            fields["t"].empty()) {
            std::printf("bare ping %d was not answered\n", i);
            stopPeers();
            return 1;
        }
        bareHalf.push_back((NowMs() - t0) / 2);
        bare.push_back(std::atof(fields["t"].c_str()) - t0);
    }
    ReportFigure("group message, one process's Send to another's show", Summarize(chat),
                 "bare Redis write + blocking read between them", Summarize(bare), "<= 2");
    ReportFigure("the same, as half a ping and its answer", Summarize(chatHalf),
                 "half a bare ping and its answer", Summarize(bareHalf), "");

    // (b) The same message to one receiver, and to fifty in five processes, by turns.
    for (int p = 0; p < kFanProcesses; ++p) {
        if (!StartPeer(std::to_string(port) + " " + std::to_string(kFanConference) + " " +
                           std::to_string(kFanPerProcess) + " fan" + std::to_string(p) + " plain",
                       &process)) {
            std::printf("cannot start fan-out process %d\n", p);
            stopPeers();
            return 1;
        }
        peers.processes.push_back(process);
    }
    if (!StartPeer(std::to_string(port) + " " + std::to_string(kSingleConference) + " 1 single plain",
                   &process)) {
        std::printf("cannot start the single receiver\n");
        stopPeers();
        return 1;
    }
    peers.processes.push_back(process);
    Member fanAnn(address.c_str(), L"Ann", 0, 0, kFanConference),
        singleAnn(address.c_str(), L"Ann", 0, 0, kSingleConference);
    const bool ready = PumpUntil([&] { return fanAnn.Ready() && singleAnn.Ready(); }, kReadyMs) &&
                       AwaitReady(conn, &readyLast, kFanProcesses + 1);
    if (!ready) {
        std::printf("the fan-out processes did not become ready\n");
        stopPeers();
        return 1;
    }
    ChChatToGroup(fanAnn.h, CHAT_ROLE_GROUP, CHAT_ALL_USERS_ROLE_GROUP);
    ChChatToGroup(singleAnn.h, CHAT_ROLE_GROUP, CHAT_ALL_USERS_ROLE_GROUP);
    std::vector<double> fan, single;
    // Each message once the receivers have settled after the last one (their lists refresh on a
    // 300 ms timer of their own), so that neither figure pays for the other's tail.
    auto settle = [] { PumpUntil([] { return false; }, kSettleMs); };
    for (int i = 0; i < fans; ++i) {
        settle();
        const double f = FanOut(fanAnn, conn, &acksLast, 2 * i, kFanProcesses);
        settle();
        const double s = FanOut(singleAnn, conn, &acksLast, 2 * i + 1, 1);
        if (f < 0 || s < 0) {
            std::printf("fan-out message %d was not shown by every receiver\n", i);
            stopPeers();
            return 1;
        }
        fan.push_back(f);
        single.push_back(s);
    }
    stopPeers();
    // The recovery is measured on a machine that is not also closing fifty instances.
    peers.AwaitExit();
    const std::string fanWhat = "one group message to " + std::to_string(kFanProcesses * kFanPerProcess) +
                                " participants in " + std::to_string(kFanProcesses) + " processes";
    ReportFigure(fanWhat.c_str(), Summarize(fan), "the same to a single receiver", Summarize(single), "");

    // (c) The late joiner on this process; the items stored through the writer's attachment.
    Member writer(address.c_str(), L"Ann", 0, 0, kRecoveryConference);
    if (!PumpUntil([&] { return writer.Ready(); }, kReadyMs)) {
        std::printf("the writer did not become ready\n");
        return 1;
    }
    for (int i = 0; i < items; ++i)
        if (!bench::Store(writer, bench::StoredItem(writer.Dlg()->OwnUser().m_dwOwnUserId, "Ann", i))) {
            std::printf("item %d could not be stored\n", i);
            return 1;
        }
    if (!PumpUntil([&] { return writer.Items() >= 2 * items; }, kRecoveryMs)) {
        std::printf("the stored items did not all come back to the writer\n");
        return 1;
    }
    const std::string stream = "qxnc:{" + std::to_string(kRecoveryConference) + "}:cache:" +
                               std::to_string(writer.Dlg()->GetGroupCacheHandle(CHAT_ALL_USERS_ROLE_GROUP));
    std::vector<double> recovery, range;
    for (int r = 0; r < runs; ++r) {
        const double t0 = NowMs();
        auto joiner = std::make_unique<Member>(address.c_str(), L"Cy", 420, QXCHAT_FEATURE_RECOVERY,
                                               kRecoveryConference);
        if (!PumpUntil([&] { return joiner->Items() >= 2 * items; }, kRecoveryMs)) {
            std::printf("run %d: the joiner showed %d of %d items\n", r + 1, joiner->Items() / 2, items);
            return 1;
        }
        recovery.push_back(NowMs() - t0);
        range.push_back(RangeReadAndParse(conn, stream, items));
        if (range.back() < 0) {
            std::printf("run %d: the range read did not give every item back\n", r + 1);
            return 1;
        }
        std::printf("run %d: recovery of %d items shown %.1f ms; range read and parse %.1f ms\n", r + 1,
                    items, recovery.back(), range.back());
        joiner.reset();
        PumpUntil([] { return false; }, 200);
    }
    const std::string what =
        "late joiner's recovery of " + std::to_string(items) + " items from Redis, shown";
    ReportFigure(what.c_str(), Summarize(recovery), "one range read of them plus parsing", Summarize(range),
                 "<= 3");
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    TraceUnbind(); // the figures are the meeting's, not the trace's
    if (argc > 1 && std::string(argv[1]) == "--peer") {
        if (argc < 7) return 2;
        return RunPeer(std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]), argv[5],
                       std::string(argv[6]) == "echo");
    }
    // Optional: round trips, fan-out messages, stored items, recovery runs.
    const int trips = argc > 1 ? std::max(1, std::atoi(argv[1])) : 300;
    const int fans = argc > 2 ? std::max(1, std::atoi(argv[2])) : 20;
    const int items = argc > 3 ? std::max(1, std::atoi(argv[3])) : 10000;
    const int runs = argc > 4 ? std::max(1, std::atoi(argv[4])) : 3;
    return Measure(trips, fans, items, runs);
}
