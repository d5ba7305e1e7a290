// The node controller handed to the engine: checks each call's arguments and the controller's
// state, applies the test scripts, logs the call, and leaves the rest to its conference.
#pragma once

#include "CallLog.h"
#include "Hub.h"
#include "RedisLink.h"
#include "Script.h"
#include "WindowOutbox.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace qxnc {

class Controller final : public IArmNodeController {
public:
    // A controller on a network (null when its window cannot be made); Release frees it. With
    // a server, the conference is the one on that Redis server instead of the embedded one.
    // The hub's lock must be held.
    static Controller* Create(const std::string& network, const RedisAddress* server = nullptr);
    // The live controllers, oldest first; the hub's lock must be held.
    static const std::vector<Controller*>& Live();

    DWORD Serial() const { return m_serial; }
    DWORD Pending() { return m_outbox->Pending(); }

    long __stdcall Release() override;
    int __stdcall Connect(IArmNodeControllerSink* sink, const char* credentials, DWORD flags,
                          DWORD timeout_ms, DWORD reserved) override;
    int __stdcall Disconnect(IArmNodeControllerSink* sink, DWORD reason) override;
    int __stdcall SetSendOption(int code, const void* data) override;
    int __stdcall JoinConference(DWORD top_node, WORD conf_handle, IArmConferenceSink* sink,
                                 DWORD capabilities) override;
    int __stdcall LeaveConference(DWORD top_node, WORD conf_handle, IArmConferenceSink* sink) override;
    int __stdcall AttachApe(IArmApeSink* sink, DWORD session, WORD conf_handle, DWORD* ape_handle) override;
    int __stdcall EnrollApe(DWORD ape_handle, DWORD enroll, DWORD chat_room_id, DWORD sub_room,
                            WORD resource_count, const QxResourceRecord* resources, const char* roster_text,
                            DWORD roster_length, DWORD roster_flags) override;
    int __stdcall SendData(DWORD ape_handle, DWORD receiver_id, DWORD channel_id, const BYTE* data,
                           DWORD length, DWORD priority, DWORD reliable) override;
    int __stdcall DetachApe(DWORD ape_handle) override;
    int __stdcall SetSharedDataSink(DWORD ape_handle, IArmSharedDataSink* sink) override;
    int __stdcall AllocNameHandles(DWORD ape_handle, DWORD count, const QxCacheName* table,
                                   IArmNameSink* sink) override;
    int __stdcall CacheSet(DWORD ape_handle, DWORD cache_handle, DWORD reserved1, DWORD reserved2,
                           DWORD cache_action, DWORD send_option, QXMEMHANDLE mem, DWORD lifetime,
                           DWORD notify) override;
    int __stdcall CacheAction(DWORD ape_handle, DWORD cache_handle, DWORD first_item, DWORD action,
                              DWORD priority, IArmSharedDataSink* sink) override;

private:
    Controller(const std::string& network, std::unique_ptr<WindowOutbox> outbox, const RedisAddress* server);
    ~Controller() = default;

    // Locks, describes the call into the log, applies a scripted result or runs the body.
    template <class Describe, class Body> int Run(DWORD op, const char* name, Describe describe, Body body);

    int DoConnect(IArmNodeControllerSink* sink);
    int DoJoin(WORD confHandle, IArmConferenceSink* sink);
    int DoAttach(IArmApeSink* sink, WORD confHandle, DWORD* apeHandle);
    int DoEnroll(DWORD apeHandle, DWORD enroll, DWORD chatRoomId, WORD resourceCount,
                 const QxResourceRecord* resources, const char* rosterText, DWORD rosterLength);
    int DoSendData(DWORD apeHandle, DWORD receiverId, DWORD channelId, const BYTE* data, DWORD length,
                   DWORD priority);
    int DoAllocNames(DWORD apeHandle, DWORD count, const QxCacheName* table, IArmNameSink* sink);
    int DoCacheSet(DWORD apeHandle, DWORD cacheHandle, DWORD action, DWORD sendOption, QXMEMHANDLE mem);
    int DoCacheAction(DWORD apeHandle, DWORD cacheHandle, DWORD firstItem, DWORD action,
                      IArmSharedDataSink* sink);

    // One of this controller's APEs, with its conference; null when the handle is not one.
    Ape* MyApe(DWORD apeHandle, Conference** conference);
    void Leave(WORD confHandle, DWORD reason);
    void LeaveAll(DWORD reason);
    void PostHere(Callback call) { m_outbox->Post(0, std::move(call)); }

    std::string m_network;
    std::unique_ptr<WindowOutbox> m_outbox;
    std::unique_ptr<RedisLink> m_redis; // after the outbox: it is gone before the outbox is
    DWORD m_serial;
    DWORD m_nodeId = 0; // 0 while not connected
    std::map<WORD, IArmConferenceSink*> m_joined;
};

template <class Describe, class Body>
int Controller::Run(DWORD op, const char* name, Describe describe, Body body) {
    try {
        std::lock_guard<std::mutex> guard(Hub::Get().Lock());
        CallRecord call(m_serial, op, name);
        describe(call);
        int result = 0;
        if (!Script::Get().TakeResult(op, &result)) result = body();
        return call.Finish(result);
    } catch (...) {
        return ARM_ERROR_INVALID_STATE; // nothing is thrown across the interface
    }
}

} // namespace qxnc
