// Members, APEs and rosters of a conference.
#include "Conference.h"

#include <algorithm>

namespace qxnc {

void Conference::RemoveMember(DWORD nodeId, DWORD reason) {
    std::vector<DWORD> handles;
    for (const auto& entry : m_apes)
        if (entry.second.nodeId == nodeId) handles.push_back(entry.first);
    for (DWORD handle : handles)
        DetachApe(handle, reason);
    m_members.erase(std::remove(m_members.begin(), m_members.end(), nodeId), m_members.end());
}

Ape* Conference::FindApe(DWORD handle) {
    auto it = m_apes.find(handle);
    return it == m_apes.end() ? nullptr : &it->second;
}

Ape* Conference::FindUser(DWORD userId) {
    for (auto& entry : m_apes)
        if (entry.second.userId == userId) return &entry.second;
    return nullptr;
}

void Conference::DetachApe(DWORD handle, DWORD reason) {
    auto it = m_apes.find(handle);
    if (it == m_apes.end()) return;
    Ape& ape = it->second;
    Unenroll(ape);
    m_caches.DropSubscriber(handle);
    if (reason == 0) {
        ape.outbox->Drop(handle);
    } else {
        IArmApeSink* sink = ape.sink;
        PostTo(ape, [=] { sink->ApeDetachIndication(handle, reason); });
    }
    m_apes.erase(it);
}

void Conference::Enroll(Ape& ape, DWORD chatRoomId, std::vector<char> roster,
                        const std::vector<ResourceAsk>& asks, bool reportResources) {
    // The confirmation goes first: the APE learns of its enrollment before its roster does.
    ConfirmEnroll(ape, asks, reportResources);
    if (ape.enrolled && ape.chatRoomId != chatRoomId) Unenroll(ape);
    ape.roster = std::move(roster);
    if (ape.enrolled) {
        ++m_rosterVersions[chatRoomId];
        for (Ape* other : EnrolledIn(chatRoomId))
            SendRoster(*other, RosterKind::Change, {EntryOf(ape)});
        return;
    }
    ape.enrolled = true;
    ape.chatRoomId = chatRoomId;
    ++m_rosterVersions[chatRoomId];
    std::vector<EntrySpec> everyone;
    for (Ape* other : EnrolledIn(chatRoomId)) {
        everyone.push_back(EntryOf(*other));
        if (other != &ape) SendRoster(*other, RosterKind::Add, {EntryOf(ape)});
    }
    SendRoster(ape, RosterKind::Add, std::move(everyone));
}

void Conference::Withdraw(Ape& ape) {
    ConfirmEnroll(ape, {}, false);
    Unenroll(ape);
}

void Conference::Unenroll(Ape& ape) {
    if (!ape.enrolled) return;
    ape.enrolled = false;
    ++m_rosterVersions[ape.chatRoomId];
    for (Ape* other : EnrolledIn(ape.chatRoomId))
        SendRoster(*other, RosterKind::Remove, {EntryOf(ape)});
}

void Conference::ConfirmEnroll(const Ape& ape, const std::vector<ResourceAsk>& asks, bool reportResources) {
    // The answer owns the names its records point at.
    struct Answer {
        std::vector<std::string> names;
        std::vector<QxResourceRecord> records;
    };
    auto answer = std::make_shared<Answer>();
    if (reportResources) {
        for (const ResourceAsk& ask : asks)
            answer->names.push_back(ask.name);
        for (size_t i = 0; i < asks.size(); ++i)
            answer->records.push_back(
                QxResourceRecord{asks[i].type, answer->names[i].c_str(), 1, ResourceValue(asks[i].name)});
    }
    IArmApeSink* sink = ape.sink;
    DWORD handle = ape.handle;
    PostTo(ape, [=] {
        const QxResourceRecord* list = answer->records.empty() ? nullptr : answer->records.data();
        sink->ApeEnrollConfirm(handle, ARM_OK, static_cast<WORD>(answer->records.size()), list);
    });
}

DWORD Conference::ResourceValue(const std::string& name) {
    DWORD& value = m_resources[name];
    if (value == 0) value = m_ids.resources.Take();
    return value;
}

std::vector<Ape*> Conference::EnrolledIn(DWORD chatRoomId) {
    std::vector<Ape*> result;
    for (auto& entry : m_apes)
        if (entry.second.enrolled && entry.second.chatRoomId == chatRoomId) result.push_back(&entry.second);
    return result;
}

EntrySpec Conference::EntryOf(const Ape& ape) {
    EntrySpec entry;
    entry.nodeId = ape.nodeId;
    entry.userId = ape.userId;
    entry.data = ape.roster;
    entry.length = static_cast<int>(ape.roster.size());
    return entry;
}

void Conference::SendRoster(const Ape& to, RosterKind kind, std::vector<EntrySpec> entries) {
    std::vector<RecordSpec> records(1);
    records[0].confHandle = m_handle;
    records[0].chatRoomId = to.chatRoomId;
    records[0].version = m_rosterVersions[to.chatRoomId];
    records[0].entries = std::move(entries);
    DeliverRoster(to, std::make_shared<RosterChange>(kind == RosterKind::Add, kind == RosterKind::Remove,
                                                     kind == RosterKind::Change, std::move(records)));
}

void Conference::DeliverRoster(const Ape& to, std::shared_ptr<const RosterChange> change) {
    IArmApeSink* sink = to.sink;
    DWORD handle = to.handle;
    WORD conf = m_handle;
    PostTo(to, [=] {
        sink->ApeRosterChanged(handle, conf, change->AddNum(), change->RemoveNum(), change->ChangeNum(),
                               change->List());
    });
}

} // namespace qxnc
