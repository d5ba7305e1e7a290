#include "NodeTestSupport.h"

#include <algorithm>
#include <map>

namespace nctest {

int Sinks::Count(Event::Kind kind) const {
    int n = 0;
    for (const Event& e : events)
        n += e.kind == kind;
    return n;
}

const Event* Sinks::Last(Event::Kind kind) const {
    for (auto it = events.rbegin(); it != events.rend(); ++it)
        if (it->kind == kind) return &*it;
    return nullptr;
}

std::vector<Event> Sinks::Of(Event::Kind kind) const {
    std::vector<Event> out;
    for (const Event& e : events)
        if (e.kind == kind) out.push_back(e);
    return out;
}

void Sinks::Record(Event event) {
    events.push_back(std::move(event));
    if (onEvent) onEvent(events.back());
}

int Sinks::ConnectConfirm(short result, DWORD node_id) {
    Event e(Event::Connect);
    e.result = result;
    e.values = {node_id};
    Record(e);
    return 0;
}

int Sinks::ConferenceJoinConfirm(WORD conf_handle, const char* text, short result, DWORD value) {
    Event e(Event::Join);
    e.result = result;
    e.values = {conf_handle, value};
    e.bytes = text ? text : "(null)";
    Record(e);
    return 0;
}

int Sinks::ApeAttachConfirm(DWORD apeHandle, int result, DWORD userid) {
    Event e(Event::Attach);
    e.ape = apeHandle;
    e.result = result;
    e.values = {userid};
    Record(e);
    return 0;
}

int Sinks::ApeEnrollConfirm(DWORD apehandle, short result, WORD resoruce_number,
                            const QxResourceRecord* resource_list) {
    Event e(Event::Enroll);
    e.ape = apehandle;
    e.result = result;
    e.values = {resoruce_number};
    e.pointer = resource_list;
    for (WORD i = 0; resource_list && i < resoruce_number; ++i) {
        const QxResourceRecord& r = resource_list[i];
        e.named.emplace_back(r.name ? r.name : "(null)", r.value);
        e.values.push_back(r.type);
        e.values.push_back(r.count);
    }
    Record(e);
    return 0;
}

int Sinks::ApeDataIndication(DWORD ape_handle, DWORD sender_id, DWORD channel_id, DWORD priorty,
                             const BYTE* data, DWORD data_length) {
    Event e(Event::Data);
    e.ape = ape_handle;
    e.values = {sender_id, channel_id, priorty, data_length};
    e.pointer = data;
    if (data) e.bytes.assign(reinterpret_cast<const char*>(data), data_length);
    Record(e);
    return 0;
}

int Sinks::ApeRosterChanged(DWORD ape_handle, WORD conf_handle, WORD add_num, WORD remove_num,
                            WORD change_num, const QxRosterRecord* list) {
    Event e(Event::Roster);
    e.ape = ape_handle;
    e.values = {conf_handle, add_num, remove_num, change_num};
    e.pointer = list;
    for (int r = 0; list && r < add_num + remove_num + change_num; ++r) {
        RecordCopy copy;
        copy.confHandle = list[r].conf_handle;
        copy.chatRoomId = list[r].chat_room_id;
        copy.version = list[r].version;
        copy.padding = list[r].padding;
        for (WORD i = 0; i < list[r].entry_count; ++i) {
            const QxEnrollEntry& entry = list[r].entries[i];
            EntryCopy c;
            c.nodeId = entry.node_id;
            c.userId = entry.user_id;
            c.hasData = entry.user_data != nullptr;
            c.length = entry.user_data_length;
            if (entry.user_data && entry.user_data_length > 0)
                c.data.assign(entry.user_data, entry.user_data_length);
            copy.entries.push_back(c);
        }
        e.records.push_back(copy);
    }
    Record(e);
    return 0;
}

int Sinks::ApeDetachIndication(DWORD ape_handle, DWORD reason) {
    Event e(Event::Detach);
    e.ape = ape_handle;
    e.values = {reason};
    Record(e);
    return 0;
}

int Sinks::ApeCacheActionConfirmEx(DWORD ape_handle, DWORD entity_id, DWORD cache_action, DWORD item_id,
                                   DWORD item_count, short result) {
    Event e(Event::CacheConfirm);
    e.ape = ape_handle;
    e.values = {entity_id, cache_action, item_id, item_count};
    e.result = result;
    Record(e);
    return 0;
}

int Sinks::SharedDataReceivedEx(DWORD ape_handle, DWORD cache_id, DWORD entity_id, QXMEMHANDLE mem_handle,
                                short result, DWORD cache_action, DWORD writer_id, DWORD item_length,
                                DWORD send_option) {
    Event e(Event::Shared);
    e.ape = ape_handle;
    e.values = {cache_id, entity_id, cache_action, writer_id, item_length, send_option};
    e.result = result;
    e.hasBlock = mem_handle != nullptr;
    DWORD size = 0;
    if (mem_handle && QxMemoryGetSize(mem_handle, &size) == QXMEM_OK) {
        e.bytes.assign(size, '\0');
        DWORD read = size;
        if (size) QxMemoryRead(mem_handle, 0, &e.bytes[0], &read);
    }
    Record(e);
    return 0;
}

int Sinks::AllocNameHandleConfirm(DWORD ape_handle, DWORD handle_count, const QxCacheName* table,
                                  short result, DWORD new_names) {
    Event e(Event::Names);
    e.ape = ape_handle;
    e.values = {handle_count, new_names};
    e.result = result;
    e.pointer = table;
    for (DWORD i = 0; table && i < handle_count; ++i)
        e.named.emplace_back(std::string(table[i].name, strnlen(table[i].name, 64)), table[i].handle);
    Record(e);
    return 0;
}

std::string BackendName(const ::testing::TestParamInfo<Backend>& info) {
    return info.param == Backend::Redis ? "Redis" : "Embedded";
}

RedisServer& SharedServer() {
    static RedisServer server;
    return server;
}

void BackendTest::SetUp() {
    Control()->Reset();
    if (!OnRedis()) return;
    ASSERT_TRUE(SharedServer().Start()) << SharedServer().Failure();
    // What the last test's controllers still had to write lands before the slate is wiped.
    ASSERT_TRUE(PumpUntilQuiet());
    ASSERT_EQ("OK", SharedServer().Command({"FLUSHALL"}));
}

std::string BackendTest::Address() const {
    if (OnRedis()) return SharedServer().Address();
    return ::testing::UnitTest::GetInstance()->current_test_info()->name();
}

std::vector<std::pair<DWORD, std::string>> RosterSeen(const Sinks& sinks) {
    std::map<DWORD, std::string> roster;
    for (const Event& e : sinks.events) {
        if (e.kind != Event::Roster) continue;
        const size_t adds = e.values[1], removes = e.values[2];
        for (size_t r = 0; r < e.records.size(); ++r) {
            for (const EntryCopy& entry : e.records[r].entries) {
                if (r < adds || r >= adds + removes)
                    roster[entry.userId] = entry.data;
                else
                    roster.erase(entry.userId);
            }
        }
    }
    return std::vector<std::pair<DWORD, std::string>>(roster.begin(), roster.end());
}

Participant::Participant(const std::string& address, DWORD confId) {
    if (confId)
        QxGetArmNodeControllerEx(0, &nc, confId);
    else
        QxGetArmNodeController(address.c_str(), &nc);
}

Participant::~Participant() {
    Release();
}

void Participant::Release() {
    if (nc) nc->Release();
    nc = nullptr;
}

::testing::AssertionResult Participant::Connect() {
    if (!nc) return ::testing::AssertionFailure() << "no controller";
    int before = sinks.Count(Event::Connect);
    if (int rc = nc->Connect(&sinks, "", 0, 0, 0)) return ::testing::AssertionFailure() << "Connect " << rc;
    if (!PumpUntil([&] { return sinks.Count(Event::Connect) > before; }))
        return ::testing::AssertionFailure() << "no ConnectConfirm";
    const Event* e = sinks.Last(Event::Connect);
    if (e->result) return ::testing::AssertionFailure() << "ConnectConfirm " << e->result;
    nodeId = e->values[0];
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult Participant::Join(WORD confHandle) {
    int before = sinks.Count(Event::Join);
    if (int rc = nc->JoinConference(0, confHandle, &sinks, 3))
        return ::testing::AssertionFailure() << "JoinConference " << rc;
    if (!PumpUntil([&] { return sinks.Count(Event::Join) > before; }))
        return ::testing::AssertionFailure() << "no ConferenceJoinConfirm";
    if (int result = sinks.Last(Event::Join)->result)
        return ::testing::AssertionFailure() << "ConferenceJoinConfirm " << result;
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult Participant::Attach(WORD confHandle) {
    int before = sinks.Count(Event::Attach);
    if (int rc = nc->AttachApe(&sinks, 0, confHandle, &ape))
        return ::testing::AssertionFailure() << "AttachApe " << rc;
    if (!PumpUntil([&] { return sinks.Count(Event::Attach) > before; }))
        return ::testing::AssertionFailure() << "no ApeAttachConfirm";
    const Event* e = sinks.Last(Event::Attach);
    if (e->result) return ::testing::AssertionFailure() << "ApeAttachConfirm " << e->result;
    userId = e->values[0];
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult Participant::Enroll(DWORD chatRoomId, const std::string& roster) {
    QxResourceRecord resource = {1, "c_session_id", 1, 0};
    int before = sinks.Count(Event::Enroll);
    int rc = nc->EnrollApe(ape, 1, chatRoomId, 0, 1, &resource, roster.data(),
                           static_cast<DWORD>(roster.size()), 3);
    if (rc) return ::testing::AssertionFailure() << "EnrollApe " << rc;
    if (!PumpUntil([&] { return sinks.Count(Event::Enroll) > before; }))
        return ::testing::AssertionFailure() << "no ApeEnrollConfirm";
    const Event* e = sinks.Last(Event::Enroll);
    if (e->result) return ::testing::AssertionFailure() << "ApeEnrollConfirm " << e->result;
    if (!e->named.empty()) cacheNumber = e->named[0].second;
    return ::testing::AssertionSuccess();
}

::testing::AssertionResult Participant::Enter(const std::string& name, DWORD chatRoomId, WORD confHandle) {
    auto r = Connect();
    if (r) r = Join(confHandle);
    if (r) r = Attach(confHandle);
    if (r) r = Enroll(chatRoomId, "<UserName>" + name + "</UserName>");
    if (r && !PumpUntilQuiet()) r = ::testing::AssertionFailure() << "callbacks still waiting";
    return r;
}

std::vector<QxCacheName> NameTable(const std::vector<std::string>& names) {
    std::vector<QxCacheName> table(names.size());
    for (size_t i = 0; i < names.size(); ++i) {
        table[i] = QxCacheName{};
        names[i].copy(table[i].name, sizeof table[i].name);
    }
    return table;
}

QXMEMHANDLE Block(const std::string& bytes) {
    QXMEMHANDLE block = nullptr;
    QxMemoryAlloc(static_cast<DWORD>(bytes.size()), &block);
    DWORD size = static_cast<DWORD>(bytes.size());
    QxMemoryWrite(block, 0, bytes.data(), &size);
    return block;
}

} // namespace nctest
