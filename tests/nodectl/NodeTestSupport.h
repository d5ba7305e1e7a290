// Test sinks and a participant that walks a controller through connect, join, attach and enroll,
// for the tests of qxnodectl.
#pragma once

#include "RedisServer.h"
#include "TestControl.h"
#include "qxnodectl.h"
#include "qxnodectl_test.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace nctest {

struct EntryCopy {
    DWORD nodeId = 0;
    DWORD userId = 0;
    bool hasData = false;
    std::string data;
    int length = 0;
};

struct RecordCopy {
    DWORD confHandle = 0;
    DWORD chatRoomId = 0;
    DWORD version = 0;
    WORD padding = 0;
    std::vector<EntryCopy> entries;
};

// One callback as a sink received it, with copies of everything it pointed at.
struct Event {
    enum Kind { Connect, Join, Attach, Enroll, Data, Roster, Detach, CacheConfirm, Shared, Names };
    explicit Event(Kind k) : kind(k) {}
    Kind kind;
    DWORD ape = 0;             // the APE handle argument (0 for Connect and Join)
    std::vector<DWORD> values; // the other numeric arguments, in order
    int result = 0;
    std::string bytes;                                // Join's text, Data's data, Shared's block
    bool hasBlock = false;                            // Shared: a block was handed
    const void* pointer = nullptr;                    // the list, table or data pointer as handed
    std::vector<std::pair<std::string, DWORD>> named; // Enroll: resources; Names: the table
    std::vector<RecordCopy> records;                  // Roster
};

// All five sinks in one object; every callback is appended to events.
class Sinks : public IArmNodeControllerSink,
              public IArmConferenceSink,
              public IArmApeSink,
              public IArmSharedDataSink,
              public IArmNameSink {
public:
    std::vector<Event> events;
    // Run inside the callback after it is recorded (for re-entrant calls).
    std::function<void(const Event&)> onEvent;

    int Count(Event::Kind kind) const;
    const Event* Last(Event::Kind kind) const;
    std::vector<Event> Of(Event::Kind kind) const;

    int __stdcall ConnectConfirm(short result, DWORD node_id) override;
    int __stdcall ConferenceJoinConfirm(WORD conf_handle, const char* text, short result,
                                        DWORD value) override;
    int __stdcall ApeAttachConfirm(DWORD apeHandle, int result, DWORD userid) override;
    int __stdcall ApeEnrollConfirm(DWORD apehandle, short result, WORD resoruce_number,
                                   const QxResourceRecord* resource_list) override;
    int __stdcall ApeDataIndication(DWORD ape_handle, DWORD sender_id, DWORD channel_id, DWORD priorty,
                                    const BYTE* data, DWORD data_length) override;
    int __stdcall ApeRosterChanged(DWORD ape_handle, WORD conf_handle, WORD add_num, WORD remove_num,
                                   WORD change_num, const QxRosterRecord* list) override;
    int __stdcall ApeDetachIndication(DWORD ape_handle, DWORD reason) override;
    int __stdcall ApeCacheActionConfirmEx(DWORD ape_handle, DWORD entity_id, DWORD cache_action,
                                          DWORD item_id, DWORD item_count, short result) override;
    int __stdcall SharedDataReceivedEx(DWORD ape_handle, DWORD cache_id, DWORD entity_id,
                                       QXMEMHANDLE mem_handle, short result, DWORD cache_action,
                                       DWORD writer_id, DWORD item_length, DWORD send_option) override;
    int __stdcall AllocNameHandleConfirm(DWORD ape_handle, DWORD handle_count, const QxCacheName* table,
                                         short result, DWORD new_names) override;

private:
    void Record(Event event);
};

using qxtest::Control;
using qxtest::PumpUntilQuiet;

// The two back ends of the controller: the conference embedded in the process, and the one on
// a Redis server (the tests' own, started on first use and shared by the whole executable).
enum class Backend { Embedded, Redis };
std::string BackendName(const ::testing::TestParamInfo<Backend>& info);
RedisServer& SharedServer();

// A fixture whose tests run once on each back end: each test starts on an empty conference.
class BackendTest : public ::testing::TestWithParam<Backend> {
protected:
    void SetUp() override;
    // A fresh network per test on the embedded back end, the shared server on the other.
    std::string Address() const;
    bool OnRedis() const { return GetParam() == Backend::Redis; }
};
#define QX_BOTH_BACKENDS(fixture)                                                                            \
    INSTANTIATE_TEST_SUITE_P(Backends, fixture, ::testing::Values(Backend::Embedded, Backend::Redis),        \
                             BackendName)

// The roster as one APE sees it, from its roster changes in order: user id -> roster text.
std::vector<std::pair<DWORD, std::string>> RosterSeen(const Sinks& sinks);

class Participant {
public:
    // A controller on the network of an address, or of a conference id with confId != 0.
    explicit Participant(const std::string& address, DWORD confId = 0);
    ~Participant();
    Participant(const Participant&) = delete;
    Participant& operator=(const Participant&) = delete;

    ::testing::AssertionResult Connect();
    ::testing::AssertionResult Join(WORD confHandle = 7);
    ::testing::AssertionResult Attach(WORD confHandle = 7);
    ::testing::AssertionResult Enroll(DWORD chatRoomId, const std::string& roster);
    // Connect, Join, Attach and Enroll with a roster text naming the participant.
    ::testing::AssertionResult Enter(const std::string& name, DWORD chatRoomId = 5, WORD confHandle = 7);
    void Release();

    IArmNodeController* nc = nullptr;
    Sinks sinks;
    DWORD nodeId = 0;
    DWORD ape = 0;
    DWORD userId = 0;
    DWORD cacheNumber = 0;
};

// A cache-name table of these names.
std::vector<QxCacheName> NameTable(const std::vector<std::string>& names);
// A qxmem block holding the bytes (the caller releases it).
QXMEMHANDLE Block(const std::string& bytes);

} // namespace nctest
