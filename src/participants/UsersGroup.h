// One group of the "Send to:" list (CUsersGroup) and the ordered list that owns the groups
// (CUsersGroupList). Group members are pointers into the participant list, never owned here.
#pragma once

#include <memory>
#include <string>
#include <vector>
#include <windows.h>

#include "participants/ChatItemData.h"
#include "participants/LockedPtrArray.h"
#include "participants/RoleGroups.h"

class CUserItem;
class CUserList;

// A group's shared cache: the NUL-padded narrow name and its handle, laid out like an entry of
// the cache-name table.
struct ChatCacheEntity {
    char m_szName[64];
    DWORD m_dwHandle;
};
static_assert(sizeof(ChatCacheEntity) == 68, "cache-name table entries are 68 bytes");

class CUsersGroup {
public:
    enum { DEFAULT_RECENT_USER_LIMIT = 20 };

    explicit CUsersGroup(CUserList* pOwner) : m_pOwner(pOwner) {}
    CUsersGroup(const CUsersGroup&) = delete;
    CUsersGroup& operator=(const CUsersGroup&) = delete;

    int GetGrpId() const { return m_nId; }
    // Show recent users counts only while the members are listed.
    BOOL GetShowRecentUsers() const { return m_bShowMemberList ? m_bShowRecentUsers : FALSE; }

    // The text the group's entry shows: for a type-1 group with show fact name set and a
    // participant whose role bits meet the group id, the first such participant's name with
    // the group name as "name|(group)|"; otherwise the group name. Stored as m_strFactName.
    const std::wstring& RefreshFactName();
    // The same text built from the given participant's name.
    const std::wstring& SetFactNameFrom(const CUserItem& user);

    // Members, in list order. Arrivals (below) count as members at once and are in their
    // places before any member is read.
    int GetMemberCount() const { return m_Members.GetCount() + static_cast<int>(m_Arrivals.size()); }
    CUserItem* GetMember(int nIndex) const;
    // f(CUserItem* const* members, int count) under one hold of the lock.
    template <class F> decltype(auto) ReadMembers(F f) const {
        PlaceArrivals();
        return m_Members.ReadLocked(f);
    }
    // Index of the member with this user id, -1 if none.
    int FindMember(DWORD dwUserId) const;
    BOOL InsertMember(int nPos, CUserItem* pUser);
    // Removes the first member with this user id; returns its former index, or -1.
    int RemoveMember(DWORD dwUserId);
    // Removes every occurrence of the participant.
    void RemoveMemberItem(const CUserItem* pUser);
    void RemoveAllMembers();

    // The member place of a participant by name: binary search over the members' names
    // without regard to case, equal names after the existing ones. -1 when the participant is
    // listed already (it then sits among the members of equal name right before the place).
    int FindMemberPlace(const CUserItem& user) const;
    // A participant that is neither a member nor an arrival yet joins the members at the place
    // FindMemberPlace would give it. Arrivals are gathered and placed together, in one pass over
    // the members instead of a move of all later members each; each takes the place that
    // inserting the arrivals one by one, in their order, would have given it. No member's or
    // arrival's name may change before they are placed.
    void AddArrival(CUserItem* pUser);
    // Places the arrivals now (every read of the members does so first).
    void PlaceArrivals() const;

    // The user list whose participants this group shows.
    CUserList* m_pOwner;
    // Index of the group's own entry in the "Send to:" combo.
    int m_nListPos = -1;
    int m_nType = 0;
    // Group id, a role mask for role groups.
    int m_nId = 0;
    std::wstring m_strName;
    std::wstring m_strLabel;
    std::wstring m_strFactName;
    std::wstring m_strRecentUserLabelFormat;
    // Bits of lShowFactNameInUserList and the other host flags.
    BOOL m_bShowFactName = FALSE; // bit 0
    BOOL m_bShowMemberList = FALSE;
    BOOL m_bDefault = FALSE;
    BOOL m_bListedOnly = FALSE;      // bit 1: the attendee entry is listed, not choosable
    BOOL m_bFlagBit2 = TRUE;         // bit 2: stored only
    BOOL m_bShowRecentUsers = FALSE; // bit 3; read through GetShowRecentUsers
    BOOL m_bVisible = TRUE;          // bit 4: 0 = the group has disappeared from the list
    BOOL m_bDim = FALSE;             // shown but not selectable
    // Host-driven model: the group count right after the group's insertion.
    int m_nIndex = 0;
    int m_nInsertPos = 0;
    int m_nRecentUserLimit = DEFAULT_RECENT_USER_LIMIT;
    // The group's shared cache and its subscription state.
    ChatCacheEntity m_CacheEntity = {};
    BOOL m_bSubscriptionPending = FALSE; // group info must be written / subscribed first
    BOOL m_bSubscribed = FALSE;
    LONG m_lSubscribedAction = 0;
    BOOL m_bNeeded = FALSE; // the group may be subscribed
    // The group's "Send to:" entry.
    ChatItemData m_ItemData;

private:
    // Members currently listed under the group, in list order; not owned. Placing the arrivals
    // is no change that a reader can see, so the const reads may do it.
    mutable CLockedPtrArrayT<CUserItem> m_Members;
    // Participants that joined the members and await their places, in arrival order.
    mutable std::vector<CUserItem*> m_Arrivals;
};

class CUsersGroupList {
public:
    explicit CUsersGroupList(CUserList* pUserList) : m_pUserList(pUserList) {}
    ~CUsersGroupList();
    CUsersGroupList(const CUsersGroupList&) = delete;
    CUsersGroupList& operator=(const CUsersGroupList&) = delete;

    CUserList* GetUserList() const { return m_pUserList; }
    int GetCount() const { return m_Groups.GetCount(); }
    CUsersGroup* GetAt(int nPos) const { return m_Groups.GetAt(nPos); }
    // Position of the group in the list, -1 if not listed.
    int Find(const CUsersGroup* pGroup) const { return m_Groups.Find(pGroup); }
    // The first group with this id.
    CUsersGroup* FindById(int nId) const;
    // The first group, in list order, with this host-driven index (indexes may repeat after
    // removals).
    CUsersGroup* FindByIndex(int nIndex) const;

    // Names given to the finds match without regard to case. A group of the same type and id
    // but another name does not hide a later one whose name matches: otherwise adding that
    // later group again would list it once more on every call.
    // Rights-based model: the first group with this type and id (and the name, if given).
    // *pnPos gets its position, -1 if none.
    CUsersGroup* FindGroup(int nType, int nId, const wchar_t* lpszName, int* pnPos = nullptr) const;
    // Host-driven model: with a name, as FindGroup; without one, the first group with this type
    // and id and an empty name, else the last such group.
    CUsersGroup* FindGroup2(int nType, int nId, const wchar_t* lpszName) const;

    // Both insertions take ownership and return the listed group, or null (the group is
    // destroyed) when it cannot be inserted.
    // Rights-based model: at a position 0 .. count; the group's index is left alone.
    CUsersGroup* InsertGroup(int nPos, std::unique_ptr<CUsersGroup> pGroup);
    // Host-driven model: one past the first group whose index is nIndex, or at 0 without one;
    // then the insert position is that position and the index the new group count.
    CUsersGroup* InsertGroupAfterIndex(int nIndex, std::unique_ptr<CUsersGroup> pGroup);

    // Removes and destroys the first group with this id.
    BOOL RemoveGroup(int nId);
    void DestroyAll();

    BOOL HasPanelistGroup() const { return FindById(CHAT_PANELIST_ROLE_GROUP) != nullptr; }
    // The first group at or after nFrom whose default flag is set and whose entry is shown.
    CUsersGroup* FindDefaultGroup(int nFrom, int* pnPos = nullptr) const;
    // Combo entries in front of the group at nPos: each earlier group's members + 1.
    // -1 when the list is empty.
    int GetEntriesBefore(int nPos) const;
    // f(CUsersGroup* const* groups, int count) under one hold of the list's lock: a walk over
    // all groups then pays for the lock once. f must not change the list.
    template <class F> decltype(auto) ReadGroups(F f) const { return m_Groups.ReadLocked(f); }
    // Places every group's arrivals (CUsersGroup::AddArrival).
    void PlaceArrivals() const;
    // Gives every group the running sum of (members + 1) of the groups before it.
    void RecomputeListPositions();
    // The same over visible groups only; hidden ones keep their position and add nothing.
    void RecomputeVisibleListPositions();

private:
    void Recompute(BOOL bVisibleOnly);

    CUserList* m_pUserList;
    CLockedPtrArrayT<CUsersGroup> m_Groups; // owned, in list order
};
