// qxnodectl: the conference node controller. A controller connects to a conference network,
// joins conferences, attaches application entities (APEs), enrolls them in a chat room's roster,
// and carries data and shared caches between them.
//
// Two back ends, chosen by the server address:
// - "redis://host:port" or "redis://:password@host:port" (the password is sent with AUTH and
//   never written to a trace or the call log): the conference lives on that Redis server, so
//   controllers in different processes and on different machines share it. A malformed
//   redis:// address gives no controller (1201).
// - Any other address, and every controller of QxGetArmNodeControllerEx (which has no
//   address): the conference is embedded in the process. Every controller obtained in one
//   process with the same address (or the same conference id) is on one network, and the
//   controllers that join the same conference handle on it are in one conference. A conference
//   ends, with its caches, when its last controller leaves it.
//
// On a server, a conference is named by the server and its handle; its keys share the hash tag
// {handle} ("qxnc:{7}:..."), so one conference lives on one shard. Its keys:
//   members            hash   node id -> 1, the controllers that joined
//   alive:<node>       string a member's keep-alive, expiring 5 s after its last refresh
//   users              hash   user id -> node id, the attached APEs
//   rooms              hash   user id -> chat room, the enrolled APEs
//   roster:<room>      hash   user id -> roster text
//   versions           hash   chat room -> its roster's version
//   events             stream the ordered changes every member reads: k = A (attached),
//                             D (detached), a (enrolled), c (enrolled again), r (left the roster),
//                             with u user, n node, r room, v version, t roster text
//   resources          hash   resource name -> value; names / handles: cache name <-> handle;
//                             counters: the next resource value and name handle
//   cache:<handle>     stream one per cache: entry id 0-N is the item with cache id N (ids
//                             ascend and are never reused); a = action, w = writer's user id,
//                             o = send option, d = data. The stored items begin at the newest
//                             replace; the entries before it stay (the newest
//                             QXNC_MAX_CACHE_ITEMS or so), so that a subscriber still reading
//                             them is told of every append
//   bases              hash   cache handle -> cache id of its newest replace
//   data:<user>        stream direct data to one user: f sender, c channel, p priority, d data
//                             (the newest 4096 or so are kept)
//   clock              hash   ms, seq: the newest id given to an entry of events or data:<user>;
//                             both take their ids from it, so that ids order them across streams
//   keys               set    every key above, so that the conference can expire as a whole
// Node and user ids are claimed on the server ("qxnc:node:<id>", "qxnc:user:<id>", expiring
// with the keep-alive), so they are unique across processes; APE handles are the process's.
// Resource values and name handles are made once per name and conference.
// - Each controller has a thread for its commands and a reader thread per joined conference;
//   callbacks are delivered exactly as below. A write's confirmation reaches the writer before
//   the notification of the same write. A subscription (2) asked for while a read (1) of the
//   same cache by the same APE is still outstanding starts where that read found the cache's
//   end, as a read and a subscription asked for one after the other do in the embedded
//   conference: an append that lands in between comes as a notification. Otherwise a
//   subscription starts when the server has it; an append that another controller (with a
//   command thread of its own) wrote a moment after the call may land before it and is then
//   not notified.
// - Lifetime: a conference outlives its last member by 15 minutes (then every key expires), so
//   that late joiners and restarted participants recover what was said; a join keeps it.
// - Presence: each member refreshes its keep-alive every second; every second each member also
//   removes, in one atomic step, every member whose keep-alive has lapsed (its APEs leave the
//   rosters with a removal, then detach), so a process that died leaves the others' rosters
//   within 7 seconds, and the removal is written once. A live member removed that way (it was
//   stalled for longer than 5 s) gets ApeDetachIndication(QXNC_DETACH_BY_SERVER).
// - Losing the server (closed, refused or silent for 3 s): every APE of the controller gets
//   ApeDetachIndication(QXNC_DETACH_SERVER_LOST) and the controller stays unusable; calls that
//   would need the server answer ARM_ERROR_INVALID_STATE (those naming a detached APE 1201).
// - Entries that are not what this back end writes (missing fields, wrong types, values over
//   the bounds below, cache ids out of order) are refused with a trace line and skipped.
// - Differences from the embedded conference: a full cache (QXNC_MAX_CACHE_ITEMS) refuses an
//   append through its confirmation (1202), since the count lives on the server; SendData to a
//   user id answers 1201 only for users this controller has not seen attach.
//
// Calls and callbacks:
// - Every operation returns at once. Every confirmation, indication and notification it causes
//   is posted to the thread that obtained the controller and delivered through that thread's
//   message loop: never inside the call that caused it, and never after Release. One message
//   delivers the callbacks queued when it came, for up to 20 ms; then the thread's other
//   messages, input and painting included, get their turn before the rest.
// - Each APE receives its callbacks in the order the conference produced them; an enroll
//   confirmation reaches the enrolling APE before the roster change that announces it.
// - Whatever a callback is handed (texts, tables, roster lists, data) is valid during the call
//   only. Whatever a call is given is copied during the call.
// - A controller is used and released on the thread that obtained it. Nothing is thrown.
// - The controller ignores what the sink operations return.
#pragma once

#include <windows.h>
#include <stddef.h>

#include "qxmem.h"

// Results of the operations and of the callbacks. 16-bit results are signed.
enum : int {
    ARM_OK = 0,
    ARM_ERROR_INVALID_PARAMETER = 1201, // a null or unknown handle, pointer, size or code
    ARM_ERROR_INVALID_STATE = 1202,     // not connected / not joined / ids used up
    ARM_ERROR_ALREADY_CONNECTED = 1215, // Connect while connected, JoinConference while joined
    TP_ERROR_PROXY_NEED_AUTH = 19,      // result of a connect confirmation
    ARM_CACHE_NOTHING = 19,             // result of a cache answer: the cache holds nothing
};

// Numbers handed out, one counter per process each, so that no two ranges meet: a test that
// sees a number of one kind where another belongs catches the mix-up. When a range is used up,
// Connect and AttachApe answer ARM_ERROR_INVALID_STATE, and a resource value or name handle is 0.
enum : DWORD {
    QXNC_FIRST_NODE_ID = 1001, // ConnectConfirm's node_id, also the roster's node ids
    QXNC_LAST_NODE_ID = 19999,
    QXNC_FIRST_APE_HANDLE = 20001, // AttachApe's APE handle
    QXNC_LAST_APE_HANDLE = 29999,
    QXNC_FIRST_USER_ID = 30001, // ApeAttachConfirm's userid; SendData's receiver
    QXNC_LAST_USER_ID = 59999,
    QXNC_FIRST_RESOURCE_VALUE = 70001, // value of an enrolled resource (the cache number)
    QXNC_LAST_RESOURCE_VALUE = 99999,
    QXNC_FIRST_NAME_HANDLE = 100001, // name (cache) handles
    QXNC_LAST_NAME_HANDLE = 999999,
};

// Bounds on what a call may carry; a call beyond them answers ARM_ERROR_INVALID_PARAMETER.
enum : DWORD {
    QXNC_MAX_ROSTER_TEXT = 64 * 1024, // EnrollApe's roster text, bytes
    QXNC_MAX_RESOURCES = 16,          // EnrollApe's resource records
    QXNC_MAX_RESOURCE_NAME = 255,     // characters of a resource name
    QXNC_MAX_DATA = 1024 * 1024,      // SendData's data and a cache item, bytes
    QXNC_MAX_NAMES = 256,             // entries of one AllocNameHandles table
    QXNC_MAX_CACHE_ITEMS = 65536,     // items of one cache; an append beyond fails
};

// A resource record of EnrollApe and of ApeEnrollConfirm (16 bytes). Each record asks for the
// resource of that name; the confirmation answers every record with type and name as asked, count
// 1 and the value: a number that the conference gives that name, the same for every APE of the
// conference (the chat uses the value of "c_session_id" as its cache number).
struct QxResourceRecord {
    WORD type;        // 1: a numbered resource (the only type); recorded
    const char* name; // NUL-terminated, 1 to QXNC_MAX_RESOURCE_NAME characters
    DWORD count;      // asked: 1 (recorded); answered: 1
    DWORD value;      // asked: 0 (recorded); answered: the resource's value
};

// One enrolled APE in a roster record (16 bytes).
struct QxEnrollEntry {
    DWORD node_id;
    DWORD user_id;
    const char* user_data; // the APE's roster text as enrolled, not terminated; never null here
    int user_data_length;  // bytes, 0 for an empty text
};

// A roster record (20 bytes). ApeRosterChanged hands an array of them: first add_num records
// of additions, then remove_num of removals, then change_num of changes. The embedded conference
// sends at most one record of each kind per change, all of the APE's own chat room.
struct QxRosterRecord {
    DWORD conf_handle;  // the conference handle (widened)
    DWORD chat_room_id; // the chat room whose roster changed
    DWORD version;      // counts the changes of that chat room's roster, from 1
    WORD entry_count;
    WORD padding; // 0
    const QxEnrollEntry* entries;
};

// An entry of the table of AllocNameHandles and AllocNameHandleConfirm (68 bytes).
struct QxCacheName {
    char name[64]; // narrow, NUL-padded; all 64 bytes count when there is no NUL
    DWORD handle;  // 0 in the request; the name's handle in the confirmation, 0 for an empty name
};

// SetSendOption's data for QXNC_OPTION_NEXT_SEND.
struct QxSendOption {
    DWORD ape_handle;
    DWORD option;
};

// SetSendOption codes.
enum : int {
    QXNC_OPTION_NEXT_SEND = -200, // the send option of the APE's next SendData; any other code: 1201
};

// The two values of ApeDetachIndication: the APE handle and why it was detached.
enum : DWORD {
    QXNC_DETACH_LEFT = 1,         // its controller left the conference
    QXNC_DETACH_DISCONNECTED = 2, // its controller disconnected
    QXNC_DETACH_BY_SERVER = 3,    // the conference detached it (test control; on a server: it
                                  // was taken for dead, its keep-alive having lapsed)
    QXNC_DETACH_SERVER_LOST = 4,  // the connection to the conference's server was lost
};

// Cache actions: CacheSet writes 0 (replace the content with one item) and 1 (append an item
// under the cache's next item id; ids ascend and are never reused). CacheAction asks for 1 (read
// all stored items), 2 (subscribe), 3 (subscribe and read all stored items) and 4 (unsubscribe).
// An answer with stored items gives each as SharedDataReceivedEx with action 4 (the first of
// several), 5 (further ones) and 6 (the last, also when it is the only one); an empty answer
// gives one call with action 6, result ARM_CACHE_NOTHING, item id 0 and no block. Every
// subscriber, the writer included, is told of each append with action 1. A replace is not
// notified.
enum : DWORD {
    QXNC_CACHE_REPLACE = 0,
    QXNC_CACHE_APPEND = 1,
    QXNC_CACHE_READ = 1,
    QXNC_CACHE_SUBSCRIBE = 2,
    QXNC_CACHE_SUBSCRIBE_READ = 3,
    QXNC_CACHE_UNSUBSCRIBE = 4,
    QXNC_CACHE_ITEM_FIRST = 4,
    QXNC_CACHE_ITEM_MORE = 5,
    QXNC_CACHE_ITEM_LAST = 6,
};

// The interfaces below are COM-style: pure virtual __stdcall operations in a fixed order.

struct IArmNodeControllerSink {
    // The answer to Connect: result 0 and the node id, or a failure and node id 0.
    virtual int __stdcall ConnectConfirm(short result, DWORD node_id) = 0;

protected:
    ~IArmNodeControllerSink() = default;
};

struct IArmConferenceSink {
    // The answer to JoinConference. text: the conference's name, here the decimal form of its
    // handle. value: the number of controllers in the conference, this one included (0 on a
    // failure).
    virtual int __stdcall ConferenceJoinConfirm(WORD conf_handle, const char* text, short result,
                                                DWORD value) = 0;

protected:
    ~IArmConferenceSink() = default;
};

struct IArmApeSink {
    // The answer to AttachApe: the handle AttachApe gave, the result, and the APE's user id (0
    // on a failure; the APE then does not exist).
    virtual int __stdcall ApeAttachConfirm(DWORD apeHandle, int result, DWORD userid) = 0;
    // The answer to EnrollApe: one answered record per requested resource (0 and null on a
    // failure).
    virtual int __stdcall ApeEnrollConfirm(DWORD apehandle, short result, WORD resoruce_number,
                                           const QxResourceRecord* resource_list) = 0;
    // Data sent to this APE's user id with SendData: the sender's user id and the sender's
    // channel and priority values.
    virtual int __stdcall ApeDataIndication(DWORD ape_handle, DWORD sender_id, DWORD channel_id,
                                            DWORD priorty, const BYTE* data, DWORD data_length) = 0;
    // A change of the roster of the APE's chat room (record counts, then the records).
    virtual int __stdcall ApeRosterChanged(DWORD ape_handle, WORD conf_handle, WORD add_num, WORD remove_num,
                                           WORD change_num, const QxRosterRecord* list) = 0;
    // The APE was detached other than by its own DetachApe (reason: QXNC_DETACH_*), after its
    // earlier callbacks; its handle is dead.
    virtual int __stdcall ApeDetachIndication(DWORD ape_handle, DWORD reason) = 0;
    // The answer to CacheSet, to the writer: entity_id is the cache handle, cache_action the
    // write's action, item_id the id the item got (0 on a failure) and item_count the number of
    // items the cache holds afterwards.
    virtual int __stdcall ApeCacheActionConfirmEx(DWORD ape_handle, DWORD entity_id, DWORD cache_action,
                                                  DWORD item_id, DWORD item_count, short result) = 0;

protected:
    ~IArmApeSink() = default;
};

struct IArmSharedDataSink {
    // A cache item: cache_id is the item's id within the cache, entity_id the cache handle.
    // mem_handle is a block holding the item (valid during the call; take a reference with
    // QxMemoryAddRef to keep it; releasing it during the call is harmless), null when there is
    // no item. writer_id is the writer's user id, item_length the item's size and send_option
    // the option the writer passed to CacheSet (0 with no item).
    virtual int __stdcall SharedDataReceivedEx(DWORD ape_handle, DWORD cache_id, DWORD entity_id,
                                               QXMEMHANDLE mem_handle, short result, DWORD cache_action,
                                               DWORD writer_id, DWORD item_length, DWORD send_option) = 0;

protected:
    ~IArmSharedDataSink() = default;
};

struct IArmNameSink {
    // The answer to AllocNameHandles: the request's table with the handles filled in. A name has
    // the same handle for every APE of the conference. new_names: how many of the names the
    // conference had not known before.
    virtual int __stdcall AllocNameHandleConfirm(DWORD ape_handle, DWORD handle_count,
                                                 const QxCacheName* table, short result, DWORD new_names) = 0;

protected:
    ~IArmNameSink() = default;
};

// Arguments that only this interface's callers fill, named here, are recorded in the test log
// and have no further effect in the embedded conference unless said otherwise.
struct IArmNodeController {
    // Leaves everything (the other APEs see the removals), drops every undelivered callback and
    // frees the controller. Returns 0.
    virtual long __stdcall Release() = 0;
    // Connects to the network: ConnectConfirm(0, node id) follows. credentials: proxy
    // credentials text (none needed); flags, timeout_ms, reserved: recorded. 1201 for a null
    // sink, 1215 while connected or connecting.
    virtual int __stdcall Connect(IArmNodeControllerSink* sink, const char* credentials, DWORD flags,
                                  DWORD timeout_ms, DWORD reserved) = 0;
    // Leaves every conference (its APEs get ApeDetachIndication, QXNC_DETACH_DISCONNECTED) and
    // drops the node id. reason: 1 = the user closed (recorded). 1202 when not connected.
    virtual int __stdcall Disconnect(IArmNodeControllerSink* sink, DWORD reason) = 0;
    // QXNC_OPTION_NEXT_SEND with a QxSendOption: the option of that APE's next SendData, which
    // hands it to the log; it is cleared by that send.
    virtual int __stdcall SetSendOption(int code, const void* data) = 0;
    // Joins a conference: ConferenceJoinConfirm follows. top_node: the node to join through, 0
    // for the network's own (recorded). capabilities: 1 data + 2 roster, 3 both (recorded).
    // 1202 when not connected, 1215 when already joined to that handle.
    virtual int __stdcall JoinConference(DWORD top_node, WORD conf_handle, IArmConferenceSink* sink,
                                         DWORD capabilities) = 0;
    // Leaves a conference; this controller's APEs in it get ApeDetachIndication
    // (QXNC_DETACH_LEFT). top_node as for JoinConference. 1202 when not joined.
    virtual int __stdcall LeaveConference(DWORD top_node, WORD conf_handle, IArmConferenceSink* sink) = 0;
    // Attaches an APE to a joined conference: *ape_handle is set at once and ApeAttachConfirm
    // follows with the APE's user id. session: application session key, 0 (recorded).
    virtual int __stdcall AttachApe(IArmApeSink* sink, DWORD session, WORD conf_handle,
                                    DWORD* ape_handle) = 0;
    // Enrolls the APE (enroll 1) in a chat room's roster, or withdraws it (enroll 0).
    // ApeEnrollConfirm follows, then the roster changes: a first enrollment is announced to every
    // enrolled APE of the chat room and the newcomer receives the whole roster, itself included,
    // as additions; a repeated one is a change for all of them (a move to another chat room a
    // removal there and an addition here); a withdrawal a removal. sub_room: 0 (recorded).
    // roster_flags: 2 the APE wants roster information, 1 it broadcasts its own (recorded;
    // rosters reach every enrolled APE). resources: resource_count records (0 to
    // QXNC_MAX_RESOURCES), answered in the confirmation.
    virtual int __stdcall EnrollApe(DWORD ape_handle, DWORD enroll, DWORD chat_room_id, DWORD sub_room,
                                    WORD resource_count, const QxResourceRecord* resources,
                                    const char* roster_text, DWORD roster_length, DWORD roster_flags) = 0;
    // Sends data (1 to QXNC_MAX_DATA bytes) to the APE of the conference with that user id, the
    // sender's own included: ApeDataIndication follows there with channel_id and priority.
    // reliable: 1 (recorded). 1201 for an unknown receiver.
    virtual int __stdcall SendData(DWORD ape_handle, DWORD receiver_id, DWORD channel_id, const BYTE* data,
                                   DWORD length, DWORD priority, DWORD reliable) = 0;
    // Detaches the APE: the others see its removal; its undelivered callbacks are dropped.
    virtual int __stdcall DetachApe(DWORD ape_handle) = 0;
    // The sink of the APE's cache answers and notifications, used when CacheAction gets none.
    virtual int __stdcall SetSharedDataSink(DWORD ape_handle, IArmSharedDataSink* sink) = 0;
    // Gives a handle to each name of the table (1 to QXNC_MAX_NAMES entries):
    // AllocNameHandleConfirm follows. The same name in the same conference always has the same
    // handle; the handle names that conference's cache.
    virtual int __stdcall AllocNameHandles(DWORD ape_handle, DWORD count, const QxCacheName* table,
                                           IArmNameSink* sink) = 0;
    // Writes the block's bytes (0 to QXNC_MAX_DATA) into a cache with action 0 or 1:
    // ApeCacheActionConfirmEx follows to the writer, and for an append SharedDataReceivedEx to
    // every subscriber. reserved1, reserved2: 0 (recorded). send_option: handed to the
    // notifications. lifetime: 0 = while the conference lasts (recorded). notify: 1 (recorded).
    virtual int __stdcall CacheSet(DWORD ape_handle, DWORD cache_handle, DWORD reserved1, DWORD reserved2,
                                   DWORD cache_action, DWORD send_option, QXMEMHANDLE mem, DWORD lifetime,
                                   DWORD notify) = 0;
    // Cache action 1 to 4 (above) on a cache. first_item: the item id an answer starts from, 0
    // for the first item. priority: 0 to 255, 255 the highest (recorded). sink: where answers and
    // later notifications go, null for the APE's shared-data sink (1201 when there is none).
    virtual int __stdcall CacheAction(DWORD ape_handle, DWORD cache_handle, DWORD first_item, DWORD action,
                                      DWORD priority, IArmSharedDataSink* sink) = 0;

protected:
    ~IArmNodeController() = default;
};

#ifdef __cplusplus
extern "C" {
#endif

// Gives a new controller on the network of that server address (UTF-8). Returns 0, or 1201 for
// a null argument and 1202 when no controller could be made; *controller is null then.
int __stdcall QxGetArmNodeController(const char* utf8ServerAddress, IArmNodeController** controller);
// As QxGetArmNodeController on the network of a conference id instead of a server address.
// reserved: 0 (recorded).
int __stdcall QxGetArmNodeControllerEx(int reserved, IArmNodeController** controller, DWORD confId);

#ifdef __cplusplus
}
#endif

#if !defined(_WIN64)
static_assert(sizeof(QxResourceRecord) == 16 && offsetof(QxResourceRecord, value) == 12, "resource record");
static_assert(sizeof(QxEnrollEntry) == 16, "enroll entry");
static_assert(sizeof(QxRosterRecord) == 20 && offsetof(QxRosterRecord, chat_room_id) == 4 &&
                  offsetof(QxRosterRecord, entry_count) == 12 && offsetof(QxRosterRecord, entries) == 16,
              "roster record");
#endif
static_assert(sizeof(QxCacheName) == 68, "cache-name entry");
