// The controller's life, connection, conferences and APE attachment.
#include "Controller.h"

#include <algorithm>
#include <cstring>

namespace qxnc {

namespace {

std::vector<Controller*>& LiveList() {
    static std::vector<Controller*> live;
    return live;
}

DWORD g_lastSerial = 0;

} // namespace

Controller* Controller::Create(const std::string& network, const RedisAddress* server) {
    std::unique_ptr<WindowOutbox> outbox = WindowOutbox::Create();
    if (!outbox) return nullptr;
    auto* controller = new Controller(network, std::move(outbox), server);
    LiveList().push_back(controller);
    return controller;
}

const std::vector<Controller*>& Controller::Live() {
    return LiveList();
}

Controller::Controller(const std::string& network, std::unique_ptr<WindowOutbox> outbox,
                       const RedisAddress* server)
    : m_network(network), m_outbox(std::move(outbox)), m_serial(++g_lastSerial) {
    if (server) m_redis = std::make_unique<RedisLink>(*server, network, m_outbox.get());
}

long __stdcall Controller::Release() {
    try {
        std::lock_guard<std::mutex> guard(Hub::Get().Lock());
        CallRecord(m_serial, QXNC_OP_RELEASE, "Release").FinishWithoutResult();
        if (!m_redis) LeaveAll(0);
        std::vector<Controller*>& live = LiveList();
        live.erase(std::remove(live.begin(), live.end(), this), live.end());
        delete this; // the outbox goes with it, and every undelivered callback
    } catch (...) {
    }
    return 0;
}

int __stdcall Controller::Connect(IArmNodeControllerSink* sink, const char* credentials, DWORD flags,
                                  DWORD timeout_ms, DWORD reserved) {
    return Run(
        QXNC_OP_CONNECT, "Connect",
        [&](CallRecord& c) {
            c.Ptr(sink).Text(credentials).Num(flags).Num(timeout_ms).Num(reserved);
            if (credentials) c.Data(credentials, strnlen(credentials, 4096));
        },
        [&] { return DoConnect(sink); });
}

int Controller::DoConnect(IArmNodeControllerSink* sink) {
    if (!sink) return ARM_ERROR_INVALID_PARAMETER;
    if (m_redis) return m_redis->Connect(sink);
    if (m_nodeId) return ARM_ERROR_ALREADY_CONNECTED;
    short failure = 0;
    if (Script::Get().TakeConfirm(QXNC_CONFIRM_CONNECT, &failure)) {
        PostHere([=] { sink->ConnectConfirm(failure, 0); });
        return ARM_OK;
    }
    DWORD nodeId = Hub::Get().Numbers().nodes.Take();
    if (!nodeId) return ARM_ERROR_INVALID_STATE;
    m_nodeId = nodeId;
    PostHere([=] { sink->ConnectConfirm(ARM_OK, nodeId); });
    return ARM_OK;
}

int __stdcall Controller::Disconnect(IArmNodeControllerSink* sink, DWORD reason) {
    return Run(
        QXNC_OP_DISCONNECT, "Disconnect", [&](CallRecord& c) { c.Ptr(sink).Num(reason); },
        [&]() -> int {
            if (m_redis) return m_redis->Disconnect();
            if (!m_nodeId) return ARM_ERROR_INVALID_STATE;
            LeaveAll(QXNC_DETACH_DISCONNECTED);
            m_nodeId = 0;
            return ARM_OK;
        });
}

int __stdcall Controller::JoinConference(DWORD top_node, WORD conf_handle, IArmConferenceSink* sink,
                                         DWORD capabilities) {
    return Run(
        QXNC_OP_JOIN_CONFERENCE, "JoinConference",
        [&](CallRecord& c) { c.Num(top_node).Num(conf_handle).Ptr(sink).Num(capabilities); },
        [&] { return DoJoin(conf_handle, sink); });
}

int Controller::DoJoin(WORD confHandle, IArmConferenceSink* sink) {
    if (m_redis) return m_redis->Join(confHandle, sink);
    if (!m_nodeId) return ARM_ERROR_INVALID_STATE;
    if (!sink) return ARM_ERROR_INVALID_PARAMETER;
    if (m_joined.count(confHandle)) return ARM_ERROR_ALREADY_CONNECTED;
    const std::string name = std::to_string(confHandle);
    short failure = 0;
    if (Script::Get().TakeConfirm(QXNC_CONFIRM_JOIN, &failure)) {
        PostHere([=] { sink->ConferenceJoinConfirm(confHandle, name.c_str(), failure, 0); });
        return ARM_OK;
    }
    Conference& conference = Hub::Get().Enter(m_network, confHandle);
    conference.AddMember(m_nodeId);
    m_joined[confHandle] = sink;
    DWORD members = conference.MemberCount();
    PostHere([=] { sink->ConferenceJoinConfirm(confHandle, name.c_str(), ARM_OK, members); });
    return ARM_OK;
}

int __stdcall Controller::LeaveConference(DWORD top_node, WORD conf_handle, IArmConferenceSink* sink) {
    return Run(
        QXNC_OP_LEAVE_CONFERENCE, "LeaveConference",
        [&](CallRecord& c) { c.Num(top_node).Num(conf_handle).Ptr(sink); },
        [&]() -> int {
            if (m_redis) return m_redis->Leave(conf_handle);
            if (!m_joined.count(conf_handle)) return ARM_ERROR_INVALID_STATE;
            Leave(conf_handle, QXNC_DETACH_LEFT);
            return ARM_OK;
        });
}

void Controller::Leave(WORD confHandle, DWORD reason) {
    if (Conference* conference = Hub::Get().Find(m_network, confHandle)) {
        conference->RemoveMember(m_nodeId, reason);
        Hub::Get().EndIfEmpty(m_network, confHandle);
    }
    m_joined.erase(confHandle);
}

void Controller::LeaveAll(DWORD reason) {
    while (!m_joined.empty())
        Leave(m_joined.begin()->first, reason);
}

int __stdcall Controller::AttachApe(IArmApeSink* sink, DWORD session, WORD conf_handle, DWORD* ape_handle) {
    return Run(
        QXNC_OP_ATTACH_APE, "AttachApe",
        [&](CallRecord& c) { c.Ptr(sink).Num(session).Num(conf_handle).Ptr(ape_handle); },
        [&] { return DoAttach(sink, conf_handle, ape_handle); });
}

int Controller::DoAttach(IArmApeSink* sink, WORD confHandle, DWORD* apeHandle) {
    if (!sink || !apeHandle) return ARM_ERROR_INVALID_PARAMETER;
    if (m_redis) {
        if (!m_redis->IsJoined(confHandle)) return ARM_ERROR_INVALID_STATE;
        const DWORD handle = Hub::Get().Numbers().apes.Take();
        if (!handle) return ARM_ERROR_INVALID_STATE;
        *apeHandle = handle;
        return m_redis->Attach(sink, confHandle, handle);
    }
    Conference* conference = m_joined.count(confHandle) ? Hub::Get().Find(m_network, confHandle) : nullptr;
    if (!conference) return ARM_ERROR_INVALID_STATE;
    Ids& ids = Hub::Get().Numbers();
    const DWORD handle = ids.apes.Take();
    if (!handle) return ARM_ERROR_INVALID_STATE;
    short failure = 0;
    if (Script::Get().TakeConfirm(QXNC_CONFIRM_ATTACH, &failure)) {
        *apeHandle = handle;
        m_outbox->Post(handle, [=] { sink->ApeAttachConfirm(handle, failure, 0); });
        return ARM_OK;
    }
    const DWORD userId = ids.users.Take();
    if (!userId) return ARM_ERROR_INVALID_STATE;
    Ape ape;
    ape.handle = handle;
    ape.userId = userId;
    ape.nodeId = m_nodeId;
    ape.outbox = m_outbox.get();
    ape.sink = sink;
    conference->AddApe(ape);
    *apeHandle = handle;
    m_outbox->Post(handle, [=] { sink->ApeAttachConfirm(handle, ARM_OK, userId); });
    return ARM_OK;
}

Ape* Controller::MyApe(DWORD apeHandle, Conference** conference) {
    for (const auto& joined : m_joined) {
        Conference* c = Hub::Get().Find(m_network, joined.first);
        Ape* ape = c ? c->FindApe(apeHandle) : nullptr;
        if (ape && ape->nodeId == m_nodeId) {
            *conference = c;
            return ape;
        }
    }
    return nullptr;
}

} // namespace qxnc
