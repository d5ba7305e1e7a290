// The Redis back end: the mirror the calls are checked against, the command thread, the
// readers, presence and the loss of the server. Key layout and bounds: qxnodectl.h.
#include "RedisLink.h"

#include "Blocks.h"
#include "Hub.h"
#include "RedisEntries.h"
#include "RedisScripts.h"
#include "RosterChange.h"
#include "Script.h"
#include "SrwLock.h"
#include "tlmtrace.h"

#include <hiredis/hiredis.h>

#include <algorithm>
#include <cstring>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <thread>

namespace qxnc {

namespace {

const DWORD kCommandTimeoutMs = 3000;
const DWORD kReaderBlockMs = 1000;
// How long a reader lets the thread it woke go first before it asks the server for more.
const DWORD kPickupWaitMs = 1;
const DWORD kReaderTimeoutMs = kReaderBlockMs + kCommandTimeoutMs;
const DWORD kBeatMs = 1000;       // keep-alive refresh and the check for members that died
const DWORD kAliveMs = 5000;      // a keep-alive key lives this long unless refreshed
const DWORD kExpirySeconds = 900; // an empty conference's keys live this long
const char kXreadCount[] = "512"; // entries per stream and read

void TraceLine(const std::string& line) {
    TLMTRACERAWA(0, 0, 0, ("qxnodectl: " + line).c_str());
}

std::string Num(unsigned long long n) {
    return std::to_string(n);
}

std::string ConfPrefix(WORD confHandle) {
    return "qxnc:{" + Num(confHandle) + "}:";
}

// Process-wide: commands in flight and the newest entry this process wrote to each stream, so
// that tests can wait until every link of the process has caught up (see ProcessPending).
struct Activity {
    Lock lock;
    long jobs = 0;
    std::map<std::string, StreamId> written; // "server|key" -> newest id written
    std::vector<std::weak_ptr<RedisCore>> cores;

    static Activity& Get() {
        static Activity* activity = new Activity; // outlives threads still running at exit
        return *activity;
    }
    void Wrote(const std::string& server, const std::string& key, const std::string& id) {
        StreamId parsed;
        if (!ParseStreamId(id, &parsed)) return;
        std::lock_guard<Lock> guard(lock);
        StreamId& newest = written[server + "|" + key];
        if (newest < parsed) newest = parsed;
    }
    // The server holds nothing newer than `newest` in that stream (it was emptied or lost):
    // what this process remembers writing there beyond it is gone.
    void Clamp(const std::string& server, const std::string& key, const StreamId& newest) {
        std::lock_guard<Lock> guard(lock);
        auto it = written.find(server + "|" + key);
        if (it != written.end() && newest < it->second) it->second = newest;
    }
    bool Behind(const std::string& server, const std::string& key, const StreamId& position) {
        std::lock_guard<Lock> guard(lock);
        auto it = written.find(server + "|" + key);
        return it != written.end() && position < it->second;
    }
};

struct Subscription {
    DWORD ape = 0;
    IArmSharedDataSink* sink = nullptr;
    StreamId seen; // the newest item this subscriber has had or must not get
};

struct ApeState {
    DWORD handle = 0;
    WORD conf = 0;
    IArmApeSink* sink = nullptr;
    IArmSharedDataSink* dataSink = nullptr;
    DWORD sendOption = 0;
    DWORD user = 0; // 0 until attached on the server
    bool enrolled = false;
    DWORD room = 0;
    StreamId since;   // roster events up to this one are already in what the APE was told
    StreamId dataPos; // the newest direct data read for it
    // Per cache: reads asked for and not finished, and where the newest read found the cache's
    // end. A subscription asked for while a read is outstanding starts there, not where the
    // cache ends when the command thread gets to it, so that nothing appended in between is lost.
    std::map<DWORD, unsigned> readsOutstanding;
    std::map<DWORD, StreamId> readEnds;
};

struct Reader {
    RedisConn conn;
    volatile LONG stop = 0;
    volatile LONG clientId = 0;
    std::set<std::string> badKeys; // keys that are not streams: refused, not read
};

// A stored item on its way to an APE, with the action its place in the read gives it.
struct StoredDelivery {
    DWORD action = 0;
    StoredItem item;
};

struct ConfState {
    WORD handle = 0;
    std::string prefix;
    IArmConferenceSink* sink = nullptr;
    bool ready = false;                              // joined on the server
    std::map<DWORD, DWORD> users;                    // user -> node, as the conference has them
    std::set<DWORD> caches;                          // cache handles this controller was given
    std::map<DWORD, std::vector<Subscription>> subs; // by cache handle
    StreamId eventsPos;
    std::shared_ptr<Reader> reader;
};

} // namespace

struct RedisCore : std::enable_shared_from_this<RedisCore> {
    RedisAddress server;
    std::string shown; // the address with its password masked
    std::string serverKey;

    // Guards the mirror and the outbox pointer; whoever posts holds it, so a check of an APE's
    // state and the callback it allows happen together.
    Lock lock;
    // Held by the command thread from a write until its confirmation is posted, and by a reader
    // while it delivers: a writer hears of its write before it hears of the write's notification.
    Lock gate;
    Outbox* outbox = nullptr;
    bool released = false;
    bool lost = false;
    bool connected = false; // as the caller sees it: Connect called, no Disconnect since
    DWORD nodeId = 0;       // on the server
    std::map<WORD, ConfState> confs;
    std::map<DWORD, ApeState> apes;

    // The system's condition variable: it wakes the command thread as cheaply as Lock does.
    Lock jobLock;
    CONDITION_VARIABLE jobReady = CONDITION_VARIABLE_INIT;
    std::deque<std::function<void()>> jobs;
    bool stopping = false;
    RedisConn conn;                             // the command thread's
    std::map<const char*, std::string> digests; // script -> its SHA1 on the server (command thread)
    bool opened = false;
    DWORD lastBeat = 0;

    std::set<DWORD> dropped; // APEs whose undelivered callbacks were dropped (handles are not reused)

    // ---- called with `lock` held ----
    void Post(DWORD ape, Callback call) {
        if (!released && outbox) outbox->Post(ape, std::move(call));
    }
    void Drop(DWORD ape) {
        if (outbox && !released) outbox->Drop(ape);
        dropped.insert(ape);
    }
    // Takes the lock: no more callbacks may reach the APE.
    bool Stopped(DWORD ape) {
        std::lock_guard<Lock> guard(lock);
        return released || dropped.count(ape) != 0;
    }
    // The APE's user id on the server, 0 when it is gone or not attached yet; takes the lock.
    DWORD UserOf(DWORD handle) {
        std::lock_guard<Lock> guard(lock);
        auto it = apes.find(handle);
        return it == apes.end() ? 0 : it->second.user;
    }
    ApeState* LiveApe(DWORD handle) {
        auto it = apes.find(handle);
        return it == apes.end() ? nullptr : &it->second;
    }
    ConfState* Conf(WORD handle) {
        auto it = confs.find(handle);
        return it == confs.end() ? nullptr : &it->second;
    }
    void ForgetApe(DWORD handle) {
        for (auto& conf : confs)
            for (auto& sub : conf.second.subs) {
                auto& list = sub.second;
                list.erase(std::remove_if(list.begin(), list.end(),
                                          [&](const Subscription& s) { return s.ape == handle; }),
                           list.end());
            }
        apes.erase(handle);
    }
    // Every APE of a conference is detached; reason 0: silently, its callbacks dropped.
    void DetachAll(WORD confHandle, DWORD reason) {
        std::vector<DWORD> handles;
        for (auto& a : apes)
            if (a.second.conf == confHandle) handles.push_back(a.first);
        for (DWORD handle : handles) {
            if (reason == 0) {
                Drop(handle);
            } else {
                IArmApeSink* sink = apes[handle].sink;
                Post(handle, [=] { sink->ApeDetachIndication(handle, reason); });
            }
            ForgetApe(handle);
        }
    }
    void StopReader(ConfState& conf) {
        if (!conf.reader) return;
        InterlockedExchange(&conf.reader->stop, 1);
        conf.reader->conn.Interrupt();
        conf.reader.reset();
    }

    // ---- the command thread ----
    void Queue(std::function<void()> job) {
        {
            std::lock_guard<Lock> guard(Activity::Get().lock);
            ++Activity::Get().jobs;
        }
        {
            std::lock_guard<Lock> guard(jobLock);
            jobs.push_back(std::move(job));
        }
        WakeConditionVariable(&jobReady);
    }
    void Work();
    void Beat();
    // A command on the command connection; null when the server is gone (it is then lost).
    Reply Call(const std::vector<std::string>& args);
    Reply Eval(const char* script, const std::string& prefix, std::vector<std::string> args);
    // Hands the server every script once, all in one round trip, so that Eval can name them.
    void LoadScripts();
    void LoseServer(const std::string& why);
    // Wakes a reader blocked on its read so that it reads what it follows now; without the
    // mirror's lock held (it is a round trip).
    void Unblock(LONG readerId);
    static LONG ReaderId(const ConfState& conf) { return conf.reader ? conf.reader->clientId : 0; }
    void DetachOnServer(WORD confHandle, DWORD user, DWORD node);
    void StartReader(WORD confHandle);
    void ReaderMain(WORD confHandle, std::shared_ptr<Reader> reader);
    void Dispatch(ConfState& conf, Reader& reader, const std::string& key,
                  const std::vector<StreamEntry>& entries);
    void DispatchEvent(ConfState& conf, const StreamEntry& entry);
    // Posts a cache's stored items [start, last] to an APE, read on the command connection;
    // with `gate` held and the mirror's lock not held.
    void PostStored(DWORD apeHandle, WORD confHandle, DWORD cacheHandle, IArmSharedDataSink* target,
                    const std::string& key, const StreamId& start, const StreamId& last);
    // One queued callback that delivers some stored items in order; with `lock` held.
    void PostStoredBatch(DWORD apeHandle, DWORD cacheHandle, IArmSharedDataSink* target,
                         std::vector<StoredDelivery> batch);
    void Wrote(const std::string& key, const redisReply* idReply) {
        std::string id;
        if (ReplyString(idReply, &id) && !id.empty()) Activity::Get().Wrote(serverKey, key, id);
    }
    DWORD ClaimId(const char* counter, DWORD first, DWORD last, const char* claim);
    void LeaveOnServer(WORD confHandle, DWORD node);
    DWORD Pending();
};

namespace {

std::vector<std::string> EvalArgs(const char* script, const std::string& prefix,
                                  std::vector<std::string> args) {
    std::vector<std::string> all = {"EVAL", script, "1", prefix + "members", prefix};
    for (std::string& a : args)
        all.push_back(std::move(a));
    return all;
}

} // namespace

Reply RedisCore::Call(const std::vector<std::string>& args) {
    if (lost) return nullptr;
    Reply reply = conn.Command(args);
    if (!reply) LoseServer(conn.Failure());
    return reply;
}

Reply RedisCore::Eval(const char* script, const std::string& prefix, std::vector<std::string> args) {
    std::vector<std::string> all = EvalArgs(script, prefix, std::move(args));
    auto known = digests.find(script);
    if (known == digests.end()) return Call(all);
    // By its digest: a send then carries its arguments, not the script.
    std::string text = std::move(all[1]);
    all[0] = "EVALSHA";
    all[1] = known->second;
    Reply reply = Call(all);
    if (reply && IsError(reply.get()) && ErrorText(reply.get()).compare(0, 8, "NOSCRIPT") == 0) {
        // The server forgot its scripts (they were flushed): the script itself teaches it again,
        // under the same digest.
        all[0] = "EVAL";
        all[1] = std::move(text);
        reply = Call(all);
    }
    return reply;
}

void RedisCore::LoadScripts() {
    const char* const scripts[] = {lua::kJoin,       lua::kAttach,    lua::kEnroll,  lua::kWithdraw,
                                   lua::kDetach,     lua::kLeave,     lua::kReap,    lua::kNames,
                                   lua::kCacheWrite, lua::kCacheRead, lua::kSendData};
    if (lost) return;
    for (const char* script : scripts)
        conn.Queue({"SCRIPT", "LOAD", script});
    for (const char* script : scripts) {
        Reply reply = conn.Next();
        if (!reply) {
            LoseServer(conn.Failure());
            return;
        }
        std::string digest;
        if (ReplyString(reply.get(), &digest)) digests[script] = digest; // else always sent whole
    }
}

void RedisCore::LoseServer(const std::string& why) {
    std::lock_guard<Lock> guard(lock);
    if (lost || released) {
        lost = true;
        return;
    }
    lost = true;
    TraceLine("lost the server " + shown + ": " + why);
    for (auto& conf : confs) {
        DetachAll(conf.first, QXNC_DETACH_SERVER_LOST);
        StopReader(conf.second);
    }
    confs.clear();
}

void RedisCore::Work() {
    for (;;) {
        std::function<void()> job;
        {
            std::lock_guard<Lock> guard(jobLock);
            const DWORD start = GetTickCount();
            while (jobs.empty() && !stopping && GetTickCount() - start < kBeatMs / 4)
                SleepConditionVariableSRW(&jobReady, jobLock.Native(), kBeatMs / 4, 0);
            if (jobs.empty() && stopping) break;
            if (!jobs.empty()) {
                job = std::move(jobs.front());
                jobs.pop_front();
            }
        }
        if (job) {
            try {
                job();
            } catch (...) {
                TraceLine("a command failed unexpectedly");
            }
            std::lock_guard<Lock> guard(Activity::Get().lock);
            --Activity::Get().jobs;
        }
        if (GetTickCount() - lastBeat >= kBeatMs) Beat();
    }
}

// Keeps this node's keys alive and removes the members of its conferences whose keys have
// expired: every member runs the same atomic check, so a dead member is removed once.
void RedisCore::Beat() {
    lastBeat = GetTickCount();
    std::vector<std::pair<WORD, std::string>> joined;
    std::vector<DWORD> users;
    DWORD node = 0;
    {
        std::lock_guard<Lock> guard(lock);
        if (lost || !nodeId) return;
        node = nodeId;
        for (auto& conf : confs)
            if (conf.second.ready) joined.emplace_back(conf.first, conf.second.prefix);
        for (auto& ape : apes)
            if (ape.second.user) users.push_back(ape.second.user);
    }
    if (!Call({"PEXPIRE", "qxnc:node:" + Num(node), Num(kAliveMs)})) return;
    for (DWORD user : users)
        if (!Call({"PEXPIRE", "qxnc:user:" + Num(user), Num(kAliveMs)})) return;
    for (auto& conf : joined) {
        if (!Call({"SET", conf.second + "alive:" + Num(node), "1", "PX", Num(kAliveMs)})) return;
        Reply reaped = Eval(lua::kReap, conf.second, {Num(kExpirySeconds)});
        if (!reaped) return;
        Wrote(conf.second + "events", reaped.get());
    }
}

DWORD RedisCore::ClaimId(const char* counter, DWORD first, DWORD last, const char* claim) {
    Reply reply =
        Call({"EVAL", lua::kClaimId, "1", counter, Num(first), Num(last), claim, "1", Num(kAliveMs)});
    long long id = 0;
    if (!ReplyInteger(reply.get(), &id) || id < first || id > last) {
        if (reply)
            TraceLine("no id could be claimed from " + std::string(counter) + " " + ErrorText(reply.get()));
        return 0;
    }
    return static_cast<DWORD>(id);
}

void RedisCore::LeaveOnServer(WORD confHandle, DWORD node) {
    const std::string prefix = ConfPrefix(confHandle);
    Reply reply = Eval(lua::kLeave, prefix, {Num(node), Num(kExpirySeconds)});
    if (reply) Wrote(prefix + "events", reply.get());
}

void RedisCore::Unblock(LONG readerId) {
    if (readerId) Call({"CLIENT", "UNBLOCK", Num(static_cast<DWORD>(readerId))});
}

void RedisCore::DetachOnServer(WORD confHandle, DWORD user, DWORD node) {
    const std::string prefix = ConfPrefix(confHandle);
    Reply reply = Eval(lua::kDetach, prefix, {Num(user), Num(node)});
    if (reply) Wrote(prefix + "events", reply.get());
    Call({"DEL", "qxnc:user:" + Num(user)});
}

void RedisCore::StartReader(WORD confHandle) {
    auto reader = std::make_shared<Reader>();
    confs[confHandle].reader = reader;
    std::shared_ptr<RedisCore> self = shared_from_this();
    std::thread([self, confHandle, reader] { self->ReaderMain(confHandle, reader); }).detach();
}

void RedisCore::ReaderMain(WORD confHandle, std::shared_ptr<Reader> reader) {
    if (!reader->conn.Open(server, kReaderTimeoutMs)) {
        if (!reader->stop) LoseServer(reader->conn.Failure());
        return;
    }
    long long clientId = 0;
    Reply idReply = reader->conn.Command({"CLIENT", "ID"});
    if (ReplyInteger(idReply.get(), &clientId))
        InterlockedExchange(&reader->clientId, static_cast<LONG>(clientId));
    PickupWait pickup; // of the callbacks the last read posted
    while (!reader->stop) {
        // The woken thread takes its wake-up before this one asks the server for more: its
        // message retrieval and this thread's socket calls queue at one place (under Wine, one
        // server process), and a reader that asked at once kept the woken thread waiting.
        if (pickup) {
            pickup(kPickupWaitMs);
            pickup = nullptr;
        }
        std::vector<std::string> keys, ids;
        {
            std::lock_guard<Lock> guard(lock);
            ConfState* conf = Conf(confHandle);
            if (!conf || conf->reader != reader) return;
            auto follow = [&](const std::string& key, const StreamId& from) {
                if (reader->badKeys.count(key)) return;
                keys.push_back(key);
                ids.push_back(from.Text());
            };
            follow(conf->prefix + "events", conf->eventsPos);
            for (auto& a : apes)
                if (a.second.conf == confHandle && a.second.user)
                    follow(conf->prefix + "data:" + Num(a.second.user), a.second.dataPos);
            for (auto& sub : conf->subs) {
                if (sub.second.empty()) continue;
                StreamId from = sub.second[0].seen;
                for (const Subscription& s : sub.second)
                    from = std::min(from, s.seen);
                follow(conf->prefix + "cache:" + Num(sub.first), from);
            }
        }
        if (keys.empty()) return;
        std::vector<std::string> args = {"XREAD",  "COUNT", kXreadCount, "BLOCK", Num(kReaderBlockMs),
                                         "STREAMS"};
        args.insert(args.end(), keys.begin(), keys.end());
        args.insert(args.end(), ids.begin(), ids.end());
        Reply reply = reader->conn.Command(args);
        if (reader->stop) return;
        if (!reply) {
            LoseServer(reader->conn.Failure());
            return;
        }
        if (IsError(reply.get())) {
            // Someone put something else under one of the keys: find it and stop following it.
            for (const std::string& key : keys) {
                Reply type = reader->conn.Command({"TYPE", key});
                std::string name;
                if (ReplyString(type.get(), &name) && name != "stream" && name != "none") {
                    TraceLine("refused " + key + ": it holds a " + name + ", not a stream");
                    reader->badKeys.insert(key);
                }
            }
            if (!reader->conn.Broken()) continue;
            LoseServer(reader->conn.Failure());
            return;
        }
        std::vector<std::pair<std::string, std::vector<StreamEntry>>> streams;
        if (!ParseStreams(reply.get(), &streams)) {
            TraceLine("refused a read of conference " + Num(confHandle) + ": not a list of stream entries");
            continue;
        }
        std::lock_guard<Lock> gateGuard(gate);
        std::lock_guard<Lock> guard(lock);
        ConfState* conf = Conf(confHandle);
        if (!conf || conf->reader != reader) return;
        // Events and direct data carry the server's time-ordered ids: handed on in that order,
        // a data item sent before a roster change arrives before it, as it was written.
        std::vector<std::pair<const StreamEntry*, const std::string*>> timed;
        for (auto& stream : streams) {
            if (stream.first.compare(0, conf->prefix.size() + 6, conf->prefix + "cache:") == 0) continue;
            for (const StreamEntry& entry : stream.second)
                timed.emplace_back(&entry, &stream.first);
        }
        std::stable_sort(timed.begin(), timed.end(),
                         [](const auto& x, const auto& y) { return x.first->id < y.first->id; });
        for (const auto& t : timed)
            Dispatch(*conf, *reader, *t.second, {*t.first});
        for (auto& stream : streams)
            if (stream.first.compare(0, conf->prefix.size() + 6, conf->prefix + "cache:") == 0)
                Dispatch(*conf, *reader, stream.first, stream.second);
        if (!streams.empty() && outbox && !released) pickup = outbox->Pickup();
    }
}

void RedisCore::Dispatch(ConfState& conf, Reader&, const std::string& key,
                         const std::vector<StreamEntry>& entries) {
    const std::string rest =
        key.compare(0, conf.prefix.size(), conf.prefix) == 0 ? key.substr(conf.prefix.size()) : "";
    if (rest == "events") {
        for (const StreamEntry& entry : entries) {
            if (!(conf.eventsPos < entry.id)) continue;
            conf.eventsPos = entry.id;
            DispatchEvent(conf, entry);
        }
        return;
    }
    DWORD number = 0;
    if (rest.compare(0, 5, "data:") == 0 && ParseDword(rest.substr(5), &number)) {
        for (auto& a : apes) {
            ApeState& ape = a.second;
            if (ape.conf != conf.handle || ape.user != number) continue;
            for (const StreamEntry& entry : entries) {
                if (!(ape.dataPos < entry.id)) continue;
                ape.dataPos = entry.id;
                DirectData data;
                std::string why;
                if (!ReadDirectData(entry, &data, &why)) {
                    TraceLine("refused data " + entry.id.Text() + " for user " + Num(number) + ": " + why);
                    continue;
                }
                IArmApeSink* sink = ape.sink;
                DWORD handle = ape.handle;
                auto bytes = std::make_shared<const std::string>(std::move(data.data));
                Post(handle, [=] {
                    sink->ApeDataIndication(handle, data.sender, data.channel, data.priority,
                                            reinterpret_cast<const BYTE*>(bytes->data()),
                                            static_cast<DWORD>(bytes->size()));
                });
            }
        }
        return;
    }
    if (rest.compare(0, 6, "cache:") == 0 && ParseDword(rest.substr(6), &number)) {
        auto it = conf.subs.find(number);
        if (it == conf.subs.end()) return;
        StreamId previous;
        for (const StreamEntry& entry : entries) {
            StoredItem item;
            std::string why;
            bool good = ReadItem(entry, &item, &why);
            if (good && !(previous < entry.id)) {
                good = false;
                why = "out of order";
            }
            previous = entry.id;
            if (!good) TraceLine("refused item " + entry.id.Text() + " of cache " + Num(number) + ": " + why);
            auto shared = std::make_shared<const StoredItem>(std::move(item));
            for (Subscription& sub : it->second) {
                if (!(sub.seen < entry.id)) continue;
                sub.seen = entry.id;
                if (!good || shared->action != QXNC_CACHE_APPEND) continue; // a replace is not notified
                ApeState* ape = LiveApe(sub.ape);
                if (!ape) continue;
                IArmSharedDataSink* sink = sub.sink;
                DWORD handle = ape->handle, cache = number;
                Post(handle, [=] {
                    std::vector<BYTE> bytes(shared->data.begin(), shared->data.end());
                    DeliveryBlock block(bytes);
                    short result = block.Handle() ? ARM_OK : ARM_ERROR_INVALID_STATE;
                    sink->SharedDataReceivedEx(handle, shared->id, cache, block.Handle(), result,
                                               QXNC_CACHE_APPEND, shared->writer,
                                               static_cast<DWORD>(bytes.size()), shared->option);
                });
            }
        }
    }
}

namespace {

std::shared_ptr<RosterChange> OneRecord(char kind, WORD conf, DWORD room, DWORD version,
                                        std::vector<EntrySpec> entries) {
    std::vector<RecordSpec> records(1);
    records[0].confHandle = conf;
    records[0].chatRoomId = room;
    records[0].version = version;
    records[0].entries = std::move(entries);
    return std::make_shared<RosterChange>(kind == 'a', kind == 'r', kind == 'c', std::move(records));
}

EntrySpec Entry(DWORD node, DWORD user, const std::string& text) {
    EntrySpec entry;
    entry.nodeId = node;
    entry.userId = user;
    entry.data.assign(text.begin(), text.end());
    entry.length = static_cast<int>(text.size());
    return entry;
}

void PostRoster(RedisCore& core, const ApeState& ape, std::shared_ptr<RosterChange> change) {
    IArmApeSink* sink = ape.sink;
    DWORD handle = ape.handle;
    WORD conf = ape.conf;
    core.Post(handle, [=] {
        sink->ApeRosterChanged(handle, conf, change->AddNum(), change->RemoveNum(), change->ChangeNum(),
                               change->List());
    });
}

} // namespace

void RedisCore::DispatchEvent(ConfState& conf, const StreamEntry& entry) {
    ConferenceEvent event;
    std::string why;
    if (!ReadEvent(entry, &event, &why)) {
        TraceLine("refused event " + entry.id.Text() + " of conference " + Num(conf.handle) + ": " + why);
        return;
    }
    if (event.kind == 'A') {
        conf.users[event.user] = event.node;
        return;
    }
    if (event.kind == 'D') {
        conf.users.erase(event.user);
        for (auto& a : apes) {
            if (a.second.conf != conf.handle || a.second.user != event.user) continue;
            // Removed by the server side (its keep-alive lapsed): the APE is gone.
            TraceLine("user " + Num(event.user) + " was removed from conference " + Num(conf.handle));
            IArmApeSink* sink = a.second.sink;
            DWORD handle = a.first;
            Post(handle, [=] { sink->ApeDetachIndication(handle, QXNC_DETACH_BY_SERVER); });
            ForgetApe(handle);
            break;
        }
        return;
    }
    std::shared_ptr<RosterChange> change;
    for (auto& a : apes) {
        ApeState& ape = a.second;
        if (ape.conf != conf.handle || !ape.enrolled || ape.room != event.room || !(ape.since < entry.id))
            continue;
        if (event.kind == 'r' && event.user == ape.user) continue;
        if (!change)
            change = OneRecord(event.kind, conf.handle, event.room, event.version,
                               {Entry(event.node, event.user, event.text)});
        PostRoster(*this, ape, change);
    }
}

DWORD RedisCore::Pending() {
    std::lock_guard<Lock> guard(lock);
    if (released || lost) return 0;
    DWORD behind = 0;
    Activity& activity = Activity::Get();
    for (auto& c : confs) {
        ConfState& conf = c.second;
        if (!conf.ready) continue;
        if (!conf.reader || !conf.reader->clientId) ++behind;
        if (activity.Behind(serverKey, conf.prefix + "events", conf.eventsPos)) ++behind;
        for (auto& a : apes)
            if (a.second.conf == c.first && a.second.user &&
                activity.Behind(serverKey, conf.prefix + "data:" + Num(a.second.user), a.second.dataPos))
                ++behind;
        for (auto& sub : conf.subs)
            for (const Subscription& s : sub.second)
                if (activity.Behind(serverKey, conf.prefix + "cache:" + Num(sub.first), s.seen)) ++behind;
    }
    return behind;
}

namespace {

const unsigned long long kStoredPiece = 512; // entries per XRANGE of a stored-items read
// Stored items per queued callback: a long read then takes the outbox's lock (which the
// caller's thread takes to deliver) once per batch instead of once per item.
const size_t kStoredBatch = 64;

// The XRANGE bounds that cover [start, last] in pieces. The scripts write cache ids as 0-N, so the
// pieces can be reckoned before any of them is read; an id someone else wrote with another first
// part is read in one range with whatever precedes it.
std::vector<std::pair<std::string, std::string>> StoredPieces(const StreamId& start, const StreamId& last) {
    std::vector<std::pair<std::string, std::string>> pieces;
    if (last < start || last == StreamId()) return pieces; // 0-0: the stream is empty
    if (last.ms != 0) {
        pieces.emplace_back(start.Text(), last.Text());
        return pieces;
    }
    for (unsigned long long first = start.seq; first <= last.seq; first += kStoredPiece) {
        const unsigned long long end = std::min(last.seq, first + kStoredPiece - 1);
        pieces.emplace_back(StreamId{0, first}.Text(), StreamId{0, end}.Text());
        if (end == last.seq) break;
    }
    return pieces;
}

} // namespace

void RedisCore::PostStoredBatch(DWORD apeHandle, DWORD cacheHandle, IArmSharedDataSink* target,
                                std::vector<StoredDelivery> batch) {
    if (batch.empty()) return;
    auto items = std::make_shared<const std::vector<StoredDelivery>>(std::move(batch));
    std::shared_ptr<RedisCore> core = shared_from_this();
    Post(apeHandle, [core, items, apeHandle, cacheHandle, target] {
        for (size_t i = 0; i < items->size(); ++i) {
            // Where separate callbacks would have been stopped: a Drop of the APE or the
            // controller's release, made by an earlier item's sink or by another thread.
            if (i > 0 && core->Stopped(apeHandle)) return;
            const StoredDelivery& d = (*items)[i];
            DeliveryBlock block(d.item.data.data(), d.item.data.size());
            short result = block.Handle() ? ARM_OK : ARM_ERROR_INVALID_STATE;
            target->SharedDataReceivedEx(apeHandle, d.item.id, cacheHandle, block.Handle(), result, d.action,
                                         d.item.writer, static_cast<DWORD>(d.item.data.size()),
                                         d.item.option);
        }
    });
}

void RedisCore::PostStored(DWORD apeHandle, WORD confHandle, DWORD cacheHandle, IArmSharedDataSink* target,
                           const std::string& key, const StreamId& start, const StreamId& last) {
    const auto pieces = StoredPieces(start, last);
    for (const auto& piece : pieces)
        conn.Queue({"XRANGE", key, piece.first, piece.second});
    // An item is posted once the next good one is known, so that the last carries its mark.
    std::vector<StoredDelivery> ready;
    StoredItem held;
    bool holding = false, posted = false;
    StreamId previous;
    bool gone = false;
    // Every queued reply is taken, even once the APE is gone, so the connection stays in step.
    for (size_t p = 0; p < pieces.size(); ++p) {
        Reply reply = conn.Next();
        if (!reply) {
            LoseServer(conn.Failure());
            return;
        }
        std::vector<StreamEntry> entries;
        if (!ParseEntries(reply.get(), &entries)) {
            TraceLine("reading cache " + Num(cacheHandle) + " failed: " + ErrorText(reply.get()));
            continue;
        }
        reply.reset();
        if (gone) continue;
        for (const StreamEntry& entry : entries) {
            StoredItem item;
            std::string why;
            bool good = ReadItem(entry, &item, &why);
            if (good && !(previous < entry.id)) good = false, why = "out of order";
            if (!good) {
                TraceLine("refused item " + entry.id.Text() + " of cache " + Num(cacheHandle) + ": " + why);
                continue;
            }
            previous = entry.id;
            if (holding) {
                ready.push_back({posted ? QXNC_CACHE_ITEM_MORE : QXNC_CACHE_ITEM_FIRST, std::move(held)});
                posted = true;
            }
            held = std::move(item);
            holding = true;
        }
        std::lock_guard<Lock> guard(lock);
        gone = !LiveApe(apeHandle) || !Conf(confHandle);
        for (size_t first = 0; !gone && first < ready.size(); first += kStoredBatch) {
            const size_t end = std::min(ready.size(), first + kStoredBatch);
            PostStoredBatch(apeHandle, cacheHandle, target,
                            std::vector<StoredDelivery>(std::make_move_iterator(ready.begin() + first),
                                                        std::make_move_iterator(ready.begin() + end)));
        }
        ready.clear();
    }
    std::lock_guard<Lock> guard(lock);
    if (gone || !LiveApe(apeHandle) || !Conf(confHandle)) return;
    if (holding) {
        std::vector<StoredDelivery> lastOne;
        lastOne.push_back({QXNC_CACHE_ITEM_LAST, std::move(held)});
        PostStoredBatch(apeHandle, cacheHandle, target, std::move(lastOne));
        return;
    }
    Post(apeHandle, [=] {
        target->SharedDataReceivedEx(apeHandle, 0, cacheHandle, nullptr, ARM_CACHE_NOTHING,
                                     QXNC_CACHE_ITEM_LAST, 0, 0, 0);
    });
}

// ---- the link: checks on the caller's thread, work queued to the command thread ----

RedisLink::RedisLink(const RedisAddress& server, const std::string& address, Outbox* outbox)
    : m_core(std::make_shared<RedisCore>()) {
    m_core->server = server;
    m_core->shown = MaskedAddress(address);
    m_core->serverKey = server.host + ":" + Num(server.port);
    m_core->outbox = outbox;
    {
        std::lock_guard<Lock> guard(Activity::Get().lock);
        auto& cores = Activity::Get().cores;
        cores.erase(std::remove_if(cores.begin(), cores.end(),
                                   [](const std::weak_ptr<RedisCore>& c) { return c.expired(); }),
                    cores.end());
        cores.push_back(m_core);
    }
    std::shared_ptr<RedisCore> core = m_core;
    std::thread([core] { core->Work(); }).detach();
}

RedisLink::~RedisLink() {
    RedisCore& c = *m_core;
    std::vector<WORD> joined;
    {
        std::lock_guard<Lock> guard(c.lock);
        for (auto& conf : c.confs) {
            c.DetachAll(conf.first, 0);
            c.StopReader(conf.second);
            joined.push_back(conf.first);
        }
        c.confs.clear();
        c.released = true;
        c.outbox = nullptr;
    }
    RedisCore* core = m_core.get();
    // The removals are written after the controller is gone; the others see them shortly.
    c.Queue([core, joined] {
        DWORD node = core->nodeId;
        if (!node) return;
        for (WORD conf : joined)
            core->LeaveOnServer(conf, node);
        core->Call({"DEL", "qxnc:node:" + Num(node)});
    });
    {
        std::lock_guard<Lock> guard(c.jobLock);
        c.stopping = true;
    }
    WakeConditionVariable(&c.jobReady);
}

int RedisLink::Connect(IArmNodeControllerSink* sink) {
    RedisCore& c = *m_core;
    std::lock_guard<Lock> guard(c.lock);
    if (c.connected) return ARM_ERROR_ALREADY_CONNECTED;
    short failure = 0;
    if (Script::Get().TakeConfirm(QXNC_CONFIRM_CONNECT, &failure)) {
        c.Post(0, [=] { sink->ConnectConfirm(failure, 0); });
        return ARM_OK;
    }
    if (c.lost) return ARM_ERROR_INVALID_STATE;
    c.connected = true;
    RedisCore* core = &c;
    c.Queue([core, sink] {
        DWORD node = 0;
        if (!core->opened) {
            core->opened = true;
            if (!core->conn.Open(core->server, kCommandTimeoutMs)) {
                TraceLine("cannot reach the server " + core->shown + ": " + core->conn.Failure());
                core->LoseServer(core->conn.Failure());
            } else {
                core->LoadScripts();
            }
        }
        if (!core->lost)
            node = core->ClaimId("qxnc:next:node", QXNC_FIRST_NODE_ID, QXNC_LAST_NODE_ID, "qxnc:node:");
        std::lock_guard<Lock> guard(core->lock);
        core->nodeId = node;
        if (!node) core->connected = false;
        short result = node ? ARM_OK : ARM_ERROR_INVALID_STATE;
        core->Post(0, [=] { sink->ConnectConfirm(result, node); });
    });
    return ARM_OK;
}

int RedisLink::Disconnect() {
    RedisCore& c = *m_core;
    std::lock_guard<Lock> guard(c.lock);
    if (!c.connected) return ARM_ERROR_INVALID_STATE;
    std::vector<WORD> joined;
    for (auto& conf : c.confs) {
        c.DetachAll(conf.first, QXNC_DETACH_DISCONNECTED);
        c.StopReader(conf.second);
        joined.push_back(conf.first);
    }
    c.confs.clear();
    c.connected = false;
    RedisCore* core = &c;
    c.Queue([core, joined] {
        DWORD node = core->nodeId;
        if (!node) return;
        for (WORD conf : joined)
            core->LeaveOnServer(conf, node);
        core->Call({"DEL", "qxnc:node:" + Num(node)});
        std::lock_guard<Lock> guard(core->lock);
        core->nodeId = 0;
    });
    return ARM_OK;
}

int RedisLink::Join(WORD confHandle, IArmConferenceSink* sink) {
    RedisCore& c = *m_core;
    std::lock_guard<Lock> guard(c.lock);
    if (!c.connected) return ARM_ERROR_INVALID_STATE;
    if (!sink) return ARM_ERROR_INVALID_PARAMETER;
    if (c.confs.count(confHandle)) return ARM_ERROR_ALREADY_CONNECTED;
    const std::string name = Num(confHandle);
    short failure = 0;
    if (Script::Get().TakeConfirm(QXNC_CONFIRM_JOIN, &failure)) {
        c.Post(0, [=] { sink->ConferenceJoinConfirm(confHandle, name.c_str(), failure, 0); });
        return ARM_OK;
    }
    ConfState& conf = c.confs[confHandle];
    conf.handle = confHandle;
    conf.prefix = ConfPrefix(confHandle);
    conf.sink = sink;
    RedisCore* core = &c;
    c.Queue([core, confHandle, sink, name] {
        const std::string prefix = ConfPrefix(confHandle);
        Reply reply;
        if (core->nodeId) reply = core->Eval(lua::kJoin, prefix, {Num(core->nodeId), Num(kAliveMs)});
        std::lock_guard<Lock> guard(core->lock);
        ConfState* conf = core->Conf(confHandle);
        const redisReply* r = reply.get();
        bool good = conf && r && r->type == REDIS_REPLY_ARRAY && r->elements == 3 &&
                    r->element[0]->type == REDIS_REPLY_INTEGER && r->element[2]->type == REDIS_REPLY_ARRAY;
        StreamId from;
        std::string fromText;
        if (good) good = ReplyString(r->element[1], &fromText) && ParseStreamId(fromText, &from);
        if (!good) {
            if (reply) TraceLine("joining conference " + name + " failed: " + ErrorText(r));
            if (conf) core->confs.erase(confHandle);
            core->Post(0, [=] {
                sink->ConferenceJoinConfirm(confHandle, name.c_str(), ARM_ERROR_INVALID_STATE, 0);
            });
            return;
        }
        const redisReply* users = r->element[2];
        for (size_t i = 0; i + 1 < users->elements; i += 2) {
            std::string user, node;
            DWORD u = 0, n = 0;
            if (ReplyString(users->element[i], &user) && ReplyString(users->element[i + 1], &node) &&
                ParseDword(user, &u) && ParseDword(node, &n))
                conf->users[u] = n;
        }
        conf->eventsPos = from;
        Activity::Get().Clamp(core->serverKey, prefix + "events", from);
        conf->ready = true;
        core->StartReader(confHandle);
        DWORD members = static_cast<DWORD>(r->element[0]->integer);
        core->Post(0, [=] { sink->ConferenceJoinConfirm(confHandle, name.c_str(), ARM_OK, members); });
    });
    return ARM_OK;
}

int RedisLink::Leave(WORD confHandle) {
    RedisCore& c = *m_core;
    std::lock_guard<Lock> guard(c.lock);
    ConfState* conf = c.Conf(confHandle);
    if (!conf) return ARM_ERROR_INVALID_STATE;
    c.DetachAll(confHandle, QXNC_DETACH_LEFT);
    c.StopReader(*conf);
    c.confs.erase(confHandle);
    RedisCore* core = &c;
    c.Queue([core, confHandle] {
        if (core->nodeId) core->LeaveOnServer(confHandle, core->nodeId);
    });
    return ARM_OK;
}

int RedisLink::Attach(IArmApeSink* sink, WORD confHandle, DWORD handle) {
    RedisCore& c = *m_core;
    std::lock_guard<Lock> guard(c.lock);
    short failure = 0;
    if (Script::Get().TakeConfirm(QXNC_CONFIRM_ATTACH, &failure)) {
        c.Post(handle, [=] { sink->ApeAttachConfirm(handle, failure, 0); });
        return ARM_OK;
    }
    ApeState& ape = c.apes[handle];
    ape.handle = handle;
    ape.conf = confHandle;
    ape.sink = sink;
    RedisCore* core = &c;
    c.Queue([core, handle, confHandle, sink] {
        const std::string prefix = ConfPrefix(confHandle);
        DWORD node = core->nodeId, user = 0;
        Reply reply;
        if (node) user = core->ClaimId("qxnc:next:user", QXNC_FIRST_USER_ID, QXNC_LAST_USER_ID, "qxnc:user:");
        if (user) reply = core->Eval(lua::kAttach, prefix, {Num(user), Num(node)});
        if (reply) core->Wrote(prefix + "events", reply.get());
        std::unique_lock<Lock> guard(core->lock);
        ApeState* ape = core->LiveApe(handle);
        ConfState* conf = core->Conf(confHandle);
        bool good = reply && !IsError(reply.get()) && conf && conf->ready;
        if (!ape) {
            // Detached before the server knew it: undone at once.
            guard.unlock();
            if (good) core->DetachOnServer(confHandle, user, node);
            return;
        }
        if (!good) {
            core->ForgetApe(handle);
            core->Post(handle, [=] { sink->ApeAttachConfirm(handle, ARM_ERROR_INVALID_STATE, 0); });
            return;
        }
        ape->user = user;
        conf->users[user] = node;
        Activity::Get().Clamp(core->serverKey, prefix + "data:" + Num(user), StreamId());
        core->Post(handle, [=] { sink->ApeAttachConfirm(handle, ARM_OK, user); });
        const LONG reader = RedisCore::ReaderId(*conf);
        guard.unlock();
        core->Unblock(reader);
    });
    return ARM_OK;
}

bool RedisLink::IsJoined(WORD confHandle) {
    std::lock_guard<Lock> guard(m_core->lock);
    return m_core->Conf(confHandle) != nullptr;
}

bool RedisLink::IsApe(DWORD apeHandle) {
    std::lock_guard<Lock> guard(m_core->lock);
    return m_core->LiveApe(apeHandle) != nullptr;
}

int RedisLink::Enroll(DWORD apeHandle, DWORD enroll, DWORD chatRoomId, const std::vector<std::string>& names,
                      const std::vector<WORD>& types, const char* rosterText, DWORD rosterLength) {
    RedisCore& c = *m_core;
    std::lock_guard<Lock> guard(c.lock);
    ApeState* ape = c.LiveApe(apeHandle);
    if (!ape) return ARM_ERROR_INVALID_PARAMETER;
    if (c.lost) return ARM_ERROR_INVALID_STATE;
    IArmApeSink* sink = ape->sink;
    short failure = 0;
    if (Script::Get().TakeConfirm(QXNC_CONFIRM_ENROLL, &failure)) {
        c.Post(apeHandle, [=] { sink->ApeEnrollConfirm(apeHandle, failure, 0, nullptr); });
        return ARM_OK;
    }
    const bool reportResources = enroll && !Script::Get().TakeEnrollWithoutResources();
    const std::string text(rosterText ? rosterText : "", rosterText ? rosterLength : 0);
    RedisCore* core = &c;
    const WORD confHandle = ape->conf;
    c.Queue([=] {
        const std::string prefix = ConfPrefix(confHandle);
        const DWORD user = core->UserOf(apeHandle), node = core->nodeId;
        if (!user) return;
        std::lock_guard<Lock> gate(core->gate);
        Reply reply;
        if (enroll == 0) {
            reply = core->Eval(lua::kWithdraw, prefix, {Num(user), Num(node)});
        } else {
            std::vector<std::string> args = {Num(user), Num(node), Num(chatRoomId), text, Num(names.size())};
            args.insert(args.end(), names.begin(), names.end());
            reply = core->Eval(lua::kEnroll, prefix, args);
        }
        std::lock_guard<Lock> guard(core->lock);
        ApeState* ape = core->LiveApe(apeHandle);
        if (!ape || !reply) return;
        const redisReply* r = reply.get();
        if (enroll == 0) {
            core->Wrote(prefix + "events", r);
            ape->enrolled = false;
            core->Post(apeHandle, [=] { sink->ApeEnrollConfirm(apeHandle, ARM_OK, 0, nullptr); });
            return;
        }
        std::string kind, lastText;
        StreamId last;
        bool good = r->type == REDIS_REPLY_ARRAY && r->elements == 5 &&
                    r->element[0]->type == REDIS_REPLY_ARRAY && r->element[0]->elements == names.size() &&
                    ReplyString(r->element[1], &kind) && ReplyString(r->element[2], &lastText) &&
                    ParseStreamId(lastText, &last) && r->element[3]->type == REDIS_REPLY_INTEGER &&
                    r->element[4]->type == REDIS_REPLY_ARRAY;
        if (!good) {
            TraceLine("enrolling user " + Num(user) + " failed: " + ErrorText(r));
            core->Post(apeHandle,
                       [=] { sink->ApeEnrollConfirm(apeHandle, ARM_ERROR_INVALID_STATE, 0, nullptr); });
            return;
        }
        core->Wrote(prefix + "events", r->element[2]);
        // The answer owns the names its records point at.
        struct Answer {
            std::vector<std::string> names;
            std::vector<QxResourceRecord> records;
        };
        auto answer = std::make_shared<Answer>();
        if (reportResources) {
            answer->names = names;
            for (size_t i = 0; i < names.size(); ++i)
                answer->records.push_back(
                    QxResourceRecord{types[i], answer->names[i].c_str(), 1,
                                     static_cast<DWORD>(r->element[0]->element[i]->integer)});
        }
        core->Post(apeHandle, [=] {
            const QxResourceRecord* list = answer->records.empty() ? nullptr : answer->records.data();
            sink->ApeEnrollConfirm(apeHandle, ARM_OK, static_cast<WORD>(answer->records.size()), list);
        });
        ape->enrolled = true;
        ape->room = chatRoomId;
        if (kind != "a") return; // a change reaches everyone, itself included, as the event
        ape->since = last;
        const DWORD version = static_cast<DWORD>(r->element[3]->integer);
        std::map<DWORD, EntrySpec> everyone; // by user id: in order of attachment
        const redisReply* list = r->element[4];
        for (size_t i = 0; i + 2 < list->elements; i += 3) {
            std::string u, n, t;
            DWORD uid = 0, nid = 0;
            if (ReplyString(list->element[i], &u) && ReplyString(list->element[i + 1], &n) &&
                ReplyString(list->element[i + 2], &t) && ParseDword(u, &uid) && ParseDword(n, &nid) &&
                t.size() <= QXNC_MAX_ROSTER_TEXT)
                everyone[uid] = Entry(nid, uid, t);
            else
                TraceLine("refused a roster entry of conference " + Num(confHandle));
        }
        std::vector<EntrySpec> entries;
        for (auto& e : everyone)
            entries.push_back(std::move(e.second));
        PostRoster(*core, *ape, OneRecord('a', confHandle, chatRoomId, version, std::move(entries)));
    });
    return ARM_OK;
}

int RedisLink::SendData(DWORD apeHandle, DWORD receiverId, DWORD channelId, const BYTE* data, DWORD length,
                        DWORD priority) {
    RedisCore& c = *m_core;
    std::lock_guard<Lock> guard(c.lock);
    ApeState* from = c.LiveApe(apeHandle);
    if (!from || !data || length == 0 || length > QXNC_MAX_DATA) return ARM_ERROR_INVALID_PARAMETER;
    if (c.lost) return ARM_ERROR_INVALID_STATE;
    ConfState* conf = c.Conf(from->conf);
    if (!conf || !conf->users.count(receiverId)) return ARM_ERROR_INVALID_PARAMETER;
    from->sendOption = 0; // it served this send
    const std::string bytes(reinterpret_cast<const char*>(data), length);
    const WORD confHandle = from->conf;
    RedisCore* core = &c;
    c.Queue([=] {
        const DWORD sender = core->UserOf(apeHandle);
        if (!sender) return;
        const std::string prefix = ConfPrefix(confHandle);
        Reply reply = core->Eval(lua::kSendData, prefix,
                                 {Num(sender), Num(receiverId), Num(channelId), Num(priority), bytes});
        if (!reply) return;
        if (reply->type != REDIS_REPLY_STRING)
            TraceLine("data from " + Num(sender) + " to " + Num(receiverId) + " not delivered: " +
                      (IsError(reply.get()) ? ErrorText(reply.get()) : "the receiver has left"));
        else
            core->Wrote(prefix + "data:" + Num(receiverId), reply.get());
    });
    return ARM_OK;
}

int RedisLink::SetSendOption(DWORD apeHandle, DWORD option) {
    std::lock_guard<Lock> guard(m_core->lock);
    ApeState* ape = m_core->LiveApe(apeHandle);
    if (!ape) return ARM_ERROR_INVALID_PARAMETER;
    ape->sendOption = option;
    return ARM_OK;
}

DWORD RedisLink::SendOptionOf(DWORD apeHandle) {
    std::lock_guard<Lock> guard(m_core->lock);
    ApeState* ape = m_core->LiveApe(apeHandle);
    return ape ? ape->sendOption : 0;
}

int RedisLink::DetachApe(DWORD apeHandle) {
    RedisCore& c = *m_core;
    std::lock_guard<Lock> guard(c.lock);
    ApeState* ape = c.LiveApe(apeHandle);
    if (!ape) return ARM_ERROR_INVALID_PARAMETER;
    const WORD confHandle = ape->conf;
    const DWORD user = ape->user, node = c.nodeId;
    c.Drop(apeHandle);
    c.ForgetApe(apeHandle);
    // Without a user id yet the attach is still queued; it sees the APE gone and undoes itself.
    RedisCore* core = &c;
    if (user) c.Queue([core, confHandle, user, node] { core->DetachOnServer(confHandle, user, node); });
    return ARM_OK;
}

int RedisLink::SetSharedDataSink(DWORD apeHandle, IArmSharedDataSink* sink) {
    std::lock_guard<Lock> guard(m_core->lock);
    ApeState* ape = m_core->LiveApe(apeHandle);
    if (!ape) return ARM_ERROR_INVALID_PARAMETER;
    ape->dataSink = sink;
    return ARM_OK;
}

int RedisLink::AllocNames(DWORD apeHandle, std::vector<QxCacheName> table, IArmNameSink* sink) {
    RedisCore& c = *m_core;
    std::lock_guard<Lock> guard(c.lock);
    ApeState* ape = c.LiveApe(apeHandle);
    if (!ape) return ARM_ERROR_INVALID_PARAMETER;
    if (c.lost) return ARM_ERROR_INVALID_STATE;
    for (QxCacheName& entry : table)
        entry.handle = 0;
    const DWORD count = static_cast<DWORD>(table.size());
    short failure = 0;
    if (Script::Get().TakeConfirm(QXNC_CONFIRM_NAMES, &failure)) {
        auto answer = std::make_shared<const std::vector<QxCacheName>>(std::move(table));
        c.Post(apeHandle,
               [=] { sink->AllocNameHandleConfirm(apeHandle, count, answer->data(), failure, 0); });
        return ARM_OK;
    }
    RedisCore* core = &c;
    const WORD confHandle = ape->conf;
    c.Queue([=]() mutable {
        std::vector<std::string> names;
        for (const QxCacheName& entry : table)
            names.emplace_back(entry.name, strnlen(entry.name, sizeof entry.name));
        Reply reply = core->Eval(lua::kNames, ConfPrefix(confHandle), names);
        std::lock_guard<Lock> guard(core->lock);
        ConfState* conf = core->Conf(confHandle);
        if (!reply || !core->LiveApe(apeHandle) || !conf) return;
        const redisReply* r = reply.get();
        short result = ARM_OK;
        DWORD fresh = 0;
        if (r->type != REDIS_REPLY_ARRAY || r->elements != count + 1) {
            TraceLine("naming caches failed: " + ErrorText(r));
            result = ARM_ERROR_INVALID_STATE;
        } else {
            for (DWORD i = 0; i < count; ++i) {
                table[i].handle = static_cast<DWORD>(r->element[i]->integer);
                if (table[i].handle) conf->caches.insert(table[i].handle);
            }
            fresh = static_cast<DWORD>(r->element[count]->integer);
        }
        auto answer = std::make_shared<const std::vector<QxCacheName>>(std::move(table));
        core->Post(apeHandle,
                   [=] { sink->AllocNameHandleConfirm(apeHandle, count, answer->data(), result, fresh); });
    });
    return ARM_OK;
}

int RedisLink::CacheSet(DWORD apeHandle, DWORD cacheHandle, DWORD action, DWORD sendOption,
                        std::vector<BYTE> bytes) {
    RedisCore& c = *m_core;
    std::lock_guard<Lock> guard(c.lock);
    ApeState* ape = c.LiveApe(apeHandle);
    ConfState* conf = ape ? c.Conf(ape->conf) : nullptr;
    if (!conf || !conf->caches.count(cacheHandle) || action > QXNC_CACHE_APPEND)
        return ARM_ERROR_INVALID_PARAMETER;
    if (c.lost) return ARM_ERROR_INVALID_STATE;
    IArmApeSink* sink = ape->sink;
    short failure = 0;
    if (Script::Get().TakeConfirm(QXNC_CONFIRM_CACHE_SET, &failure)) {
        c.Post(apeHandle,
               [=] { sink->ApeCacheActionConfirmEx(apeHandle, cacheHandle, action, 0, 0, failure); });
        return ARM_OK;
    }
    RedisCore* core = &c;
    const WORD confHandle = ape->conf;
    const std::string data(bytes.begin(), bytes.end());
    c.Queue([=] {
        const DWORD writer = core->UserOf(apeHandle);
        if (!writer) return;
        const std::string prefix = ConfPrefix(confHandle);
        std::lock_guard<Lock> gate(core->gate);
        Reply reply = core->Eval(
            lua::kCacheWrite, prefix,
            {Num(cacheHandle), Num(action), Num(writer), Num(sendOption), data, Num(QXNC_MAX_CACHE_ITEMS)});
        std::lock_guard<Lock> guard(core->lock);
        if (!reply || !core->LiveApe(apeHandle)) return;
        const redisReply* r = reply.get();
        std::string idText;
        StreamId id;
        long long count = 0;
        short result = ARM_OK;
        if (r->type == REDIS_REPLY_ARRAY && r->elements == 2 && ReplyString(r->element[0], &idText) &&
            ParseStreamId(idText, &id) && ReplyInteger(r->element[1], &count) && id.ms == 0 &&
            id.seq <= 0xFFFFFFFFull) {
            core->Wrote(prefix + "cache:" + Num(cacheHandle), r->element[0]);
        } else {
            TraceLine("writing cache " + Num(cacheHandle) + " failed: " + ErrorText(r));
            result = ARM_ERROR_INVALID_STATE;
            id = StreamId();
            count = 0;
        }
        const DWORD itemId = static_cast<DWORD>(id.seq), items = static_cast<DWORD>(count);
        core->Post(apeHandle, [=] {
            sink->ApeCacheActionConfirmEx(apeHandle, cacheHandle, action, itemId, items, result);
        });
    });
    return ARM_OK;
}

int RedisLink::CacheAction(DWORD apeHandle, DWORD cacheHandle, DWORD firstItem, DWORD action,
                           IArmSharedDataSink* sink) {
    RedisCore& c = *m_core;
    std::lock_guard<Lock> guard(c.lock);
    ApeState* ape = c.LiveApe(apeHandle);
    ConfState* conf = ape ? c.Conf(ape->conf) : nullptr;
    if (!conf || !conf->caches.count(cacheHandle) || action < QXNC_CACHE_READ ||
        action > QXNC_CACHE_UNSUBSCRIBE)
        return ARM_ERROR_INVALID_PARAMETER;
    IArmSharedDataSink* target = sink ? sink : ape->dataSink;
    if (!target && action != QXNC_CACHE_UNSUBSCRIBE) return ARM_ERROR_INVALID_PARAMETER;
    if (action == QXNC_CACHE_UNSUBSCRIBE) {
        auto& list = conf->subs[cacheHandle];
        list.erase(std::remove_if(list.begin(), list.end(),
                                  [&](const Subscription& s) { return s.ape == apeHandle; }),
                   list.end());
        return ARM_OK;
    }
    if (c.lost) return ARM_ERROR_INVALID_STATE;
    RedisCore* core = &c;
    const WORD confHandle = ape->conf;
    const bool read = action == QXNC_CACHE_READ;
    if (read) ++ape->readsOutstanding[cacheHandle];
    const bool afterRead = action == QXNC_CACHE_SUBSCRIBE && ape->readsOutstanding[cacheHandle] != 0;
    c.Queue([=] {
        // On every way out of a read's job, however it ends.
        struct ReadFinished {
            RedisCore* core;
            DWORD ape, cache;
            bool read;
            ~ReadFinished() {
                if (!read) return;
                std::lock_guard<Lock> guard(core->lock);
                ApeState* state = core->LiveApe(ape);
                if (!state) return;
                auto it = state->readsOutstanding.find(cache);
                if (it != state->readsOutstanding.end() && it->second) --it->second;
            }
        } finished{core, apeHandle, cacheHandle, read};
        const std::string prefix = ConfPrefix(confHandle);
        const std::string key = prefix + "cache:" + Num(cacheHandle);
        LONG reader = 0;
        {
            // Held until every stored item is posted: a notification of a later append waits.
            std::lock_guard<Lock> gate(core->gate);
            Reply reply = core->Eval(lua::kCacheRead, prefix, {Num(cacheHandle), Num(firstItem)});
            long long from = 0;
            StreamId last;
            bool good = false;
            {
                std::lock_guard<Lock> guard(core->lock);
                ConfState* conf = core->Conf(confHandle);
                ApeState* state = core->LiveApe(apeHandle);
                if (!reply || !state || !conf) return;
                const redisReply* r = reply.get();
                std::string lastText;
                good = r->type == REDIS_REPLY_ARRAY && r->elements == 2 &&
                       ReplyInteger(r->element[0], &from) && from >= 0 && from <= 0xFFFFFFFFll &&
                       ReplyString(r->element[1], &lastText) && ParseStreamId(lastText, &last);
                if (!good) {
                    TraceLine("reading cache " + Num(cacheHandle) + " failed: " + ErrorText(r));
                    last = StreamId();
                } else {
                    Activity::Get().Clamp(core->serverKey, key, last);
                }
                if (read && good) state->readEnds[cacheHandle] = last;
                if (read && !good) state->readEnds.erase(cacheHandle); // not an older read's end
                if (!read) {
                    StreamId start = last;
                    auto readEnd = state->readEnds.find(cacheHandle);
                    if (afterRead && readEnd != state->readEnds.end())
                        start = std::min(start, readEnd->second);
                    auto& list = conf->subs[cacheHandle];
                    auto it = std::find_if(list.begin(), list.end(),
                                           [&](const Subscription& s) { return s.ape == apeHandle; });
                    if (it == list.end())
                        it = list.insert(list.end(), Subscription{apeHandle, target, start});
                    it->sink = target;
                    it->seen = std::max(it->seen, start);
                    reader = RedisCore::ReaderId(*conf);
                }
            }
            if (action != QXNC_CACHE_SUBSCRIBE) {
                const StreamId start{0, static_cast<unsigned long long>(from)};
                core->PostStored(apeHandle, confHandle, cacheHandle, target, key, start,
                                 good ? last : StreamId());
            }
        }
        core->Unblock(reader);
    });
    return ARM_OK;
}

DWORD RedisLink::ProcessPending() {
    std::vector<std::shared_ptr<RedisCore>> cores;
    DWORD pending = 0;
    {
        Activity& activity = Activity::Get();
        std::lock_guard<Lock> guard(activity.lock);
        pending += static_cast<DWORD>(activity.jobs);
        for (auto& weak : activity.cores)
            if (auto core = weak.lock()) cores.push_back(core);
    }
    for (auto& core : cores)
        pending += core->Pending();
    return pending;
}

} // namespace qxnc
