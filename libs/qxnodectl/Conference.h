// One conference of the embedded network: its controllers, their APEs, the chat rooms' rosters,
// the resources, names and caches. It decides what every APE is told and in which order, and
// leaves each callback in the outbox of the APE's controller.
#pragma once

#include "Cache.h"
#include "Ids.h"
#include "Outbox.h"
#include "RosterChange.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace qxnc {

struct Ape {
    DWORD handle = 0;
    DWORD userId = 0;
    DWORD nodeId = 0; // its controller's
    Outbox* outbox = nullptr;
    IArmApeSink* sink = nullptr;
    IArmSharedDataSink* dataSink = nullptr;
    DWORD sendOption = 0; // for the next SendData
    bool enrolled = false;
    DWORD chatRoomId = 0;
    std::vector<char> roster;
};

struct ResourceAsk {
    WORD type = 0;
    std::string name;
};

class Conference {
public:
    Conference(WORD handle, Ids& ids) : m_handle(handle), m_ids(ids) {}

    WORD Handle() const { return m_handle; }
    void AddMember(DWORD nodeId) { m_members.push_back(nodeId); }
    // Detaches the member's APEs (reason as for DetachApe) and forgets it.
    void RemoveMember(DWORD nodeId, DWORD reason);
    DWORD MemberCount() const { return static_cast<DWORD>(m_members.size()); }

    void AddApe(const Ape& ape) { m_apes[ape.handle] = ape; }
    Ape* FindApe(DWORD handle);
    Ape* FindUser(DWORD userId);
    // Reason 0: the APE's own controller asked; its undelivered callbacks are dropped and it is
    // told nothing. Otherwise it gets ApeDetachIndication(handle, reason) after them.
    void DetachApe(DWORD handle, DWORD reason);

    // Confirms the enrollment, then announces it (see EnrollApe in qxnodectl.h).
    void Enroll(Ape& ape, DWORD chatRoomId, std::vector<char> roster, const std::vector<ResourceAsk>& asks,
                bool reportResources);
    // Confirms, then announces the removal.
    void Withdraw(Ape& ape);
    void DeliverRoster(const Ape& to, std::shared_ptr<const RosterChange> change);

    void SendData(const Ape& from, const Ape& to, DWORD channel, DWORD priority,
                  std::shared_ptr<const Bytes> data);

    // Fills in the handles of a name table and confirms it.
    void AllocNames(const Ape& ape, IArmNameSink* sink, std::vector<QxCacheName> table);
    Cache* FindCache(DWORD handle) { return m_caches.Find(handle); }
    // Stores an item (the caller checked the cache and the action), confirms it to the writer
    // and, for an append, notifies every subscriber.
    void WriteCache(const Ape& writer, DWORD cacheHandle, DWORD action, std::shared_ptr<const Bytes> data,
                    DWORD sendOption);
    // Read, subscribe, subscribe and read, unsubscribe; the caller checked the arguments.
    void CacheAction(const Ape& ape, DWORD cacheHandle, DWORD action, DWORD firstItem,
                     IArmSharedDataSink* sink);

private:
    enum class RosterKind { Add, Remove, Change };

    static void PostTo(const Ape& ape, Callback call) { ape.outbox->Post(ape.handle, std::move(call)); }
    std::vector<Ape*> EnrolledIn(DWORD chatRoomId);
    static EntrySpec EntryOf(const Ape& ape);
    void SendRoster(const Ape& to, RosterKind kind, std::vector<EntrySpec> entries);
    void Unenroll(Ape& ape);
    void ConfirmEnroll(const Ape& ape, const std::vector<ResourceAsk>& asks, bool reportResources);
    DWORD ResourceValue(const std::string& name);
    DWORD NameHandle(const std::string& name, bool* isNew);
    void SendItem(const Ape& to, IArmSharedDataSink* sink, DWORD cacheHandle, const CacheItem& item,
                  DWORD action);

    WORD m_handle;
    Ids& m_ids;
    std::vector<DWORD> m_members;
    std::map<DWORD, Ape> m_apes;             // by handle, so in order of attachment
    std::map<DWORD, DWORD> m_rosterVersions; // by chat room id
    std::map<std::string, DWORD> m_resources;
    CacheSpace m_caches;
};

} // namespace qxnc
