// COwnUserItem: the "Send to:" combo box. Each group's entry sits at its list position, followed
// by its listed members sorted by name; every change to members is followed by a recomputation
// of the positions, so that each group's position keeps pointing at its own entry.
#include "participants/OwnUserItem.h"

#include "participants/RecipientEntryList.h"
#include "participants/UserItem.h"
#include "participants/UsersGroup.h"
#include "trace/Trace.h"

#include <vector>

namespace {

constexpr int kRecentUserCap = 20;

std::wstring GroupEntryText(CUsersGroup& group) {
    if (group.m_nType == CHAT_ROLE_GROUP && group.m_bShowFactName) {
        const std::wstring& text = group.RefreshFactName();
        if (!text.empty()) return text;
    }
    return group.m_strName.empty() ? std::wstring(L"  ") : group.m_strName;
}

const wchar_t* NameOrNull(const std::wstring& str) {
    return str.empty() ? L"NULL" : str.c_str();
}

BOOL EntryIsGroups(IRecipientEntryList& list, const CUsersGroup& group) {
    return group.m_nListPos >= 0 && list.Data(group.m_nListPos) == &group.m_ItemData;
}

// Whether the selected entry is one of the group's member entries.
BOOL MemberSelected(const IRecipientEntryList& list, const CUsersGroup& group) {
    const int nSelected = list.Selection();
    return nSelected > group.m_nListPos && nSelected <= group.m_nListPos + group.GetMemberCount();
}

} // namespace

void COwnUserItem::RecomputePositions() {
    // Groups that have disappeared have no entry, so they add nothing in either model.
    if (m_pGroupList) m_pGroupList->RecomputeVisibleListPositions();
}

void COwnUserItem::RebuildCombox(IRecipientEntryList& list) {
    if (Context().HostDriven())
        AddAllGroupsIntoCombox2(list);
    else
        AddAllGroupsIntoCombox(list);
}

void COwnUserItem::AddAllGroupsIntoCombox(IRecipientEntryList& list) {
    Trace(L"/**** MyOwnUserItem::AddAllGroupsIntoCombox enter ****/");
    std::vector<RecipientEntry> entries;
    for (int i = 0; m_pGroupList && i < m_pGroupList->GetCount(); ++i) {
        CUsersGroup* pGroup = m_pGroupList->GetAt(i);
        if (!pGroup) continue;
        Trace(L"/---- MyOwnUserItem::AddAllGroupsIntoCombox GroupName = %s ----/",
              NameOrNull(pGroup->m_strName));
        // The refill takes the member entries with it.
        pGroup->RemoveAllMembers();
        MakeDataItem(pGroup);
        pGroup->m_nListPos = static_cast<int>(entries.size());
        entries.push_back({GroupEntryText(*pGroup), &pGroup->m_ItemData});
    }
    list.Fill(entries);
    if (m_pOwner) m_pOwner->SetDefaultCurSel(nullptr);
    Trace(L"/==== MyOwnUserItem::AddAllGroupsIntoCombox end ====/");
}

void COwnUserItem::AddAllGroupsIntoCombox2(IRecipientEntryList& list) {
    Trace(L"/**** MyOwnUserItem::AddAllGroupsIntoCombox2 enter ****/");
    std::vector<RecipientEntry> entries;
    for (int i = 0; m_pGroupList && i < m_pGroupList->GetCount(); ++i) {
        CUsersGroup* pGroup = m_pGroupList->GetAt(i);
        if (!pGroup) continue;
        pGroup->RemoveAllMembers();
        if (!pGroup->m_bVisible) continue;
        MakeDataItem2(pGroup);
        Trace(L"/---- MyOwnUserItem::AddAllGroupsIntoCombox2 Group name = %s ----/",
              NameOrNull(pGroup->m_strName));
        pGroup->m_nListPos = static_cast<int>(entries.size());
        entries.push_back({GroupEntryText(*pGroup), &pGroup->m_ItemData});
    }
    list.Fill(entries);
    Trace(L"/**** MyOwnUserItem::AddAllGroupsIntoCombox2 end ****/");
}

int COwnUserItem::InsertOrRefreshGroupEntry(IRecipientEntryList& list, CUsersGroup* pGroup, int nIndex) {
    if (!m_pGroupList || !list.IsPresent() || !m_bListReady) return -1;
    if (!pGroup) {
        RebuildCombox(list);
        return 0;
    }
    MakeGroupData(pGroup);
    const std::wstring text = GroupEntryText(*pGroup);
    if (EntryIsGroups(list, *pGroup)) {
        QxReplaceEntry(list, pGroup->m_nListPos, text, &pGroup->m_ItemData);
        return pGroup->m_nListPos;
    }
    const int nCount = list.Count();
    pGroup->m_nListPos =
        list.Insert((nIndex < 0 || nIndex > nCount) ? nCount : nIndex, text, &pGroup->m_ItemData);
    return pGroup->m_nListPos;
}

void COwnUserItem::RemoveGroupMembers(IRecipientEntryList& list, CUsersGroup* pGroup) {
    if (!pGroup) return;
    if (list.IsPresent() && EntryIsGroups(list, *pGroup)) {
        for (int i = pGroup->GetMemberCount(); i > 0; --i)
            list.Delete(pGroup->m_nListPos + 1);
    }
    pGroup->RemoveAllMembers();
    RecomputePositions();
}

void COwnUserItem::UpdateGroupUserList(IRecipientEntryList& list, CUsersGroup* pGroup) {
    if (!pGroup || !m_pUserList || !list.IsPresent() || !m_bListReady) return;
    const int nId = pGroup->m_nId;
    if (!HasMemberListRight() && !HasSupportUserType() && nId != CHAT_PANELIST_ROLE_GROUP) {
        RemoveGroupMembers(list, pGroup);
        return;
    }
    if (pGroup->m_ItemData.Code() == CODE_RECENT_USERS) return;
    if (pGroup->m_nListPos < 0 || pGroup->m_nListPos + pGroup->GetMemberCount() >= list.Count() ||
        !EntryIsGroups(list, *pGroup)) {
        Trace(L"COwnUserItem::UpdateGroupUserList: error 0");
        return;
    }
    for (int i = 0; i < m_pUserList->GetCount(); ++i) {
        CUserItem* pUser = m_pUserList->GetAt(i);
        if (!pUser || pUser->m_dwUserId == m_dwOwnUserId || !pUser->m_lVisible) continue;
        if (nId != CHAT_SEPARATE_ROLE_GROUP && !(MemberRole(*pUser) & static_cast<DWORD>(nId))) continue;
        if (pUser->m_nExcludedGroupId == nId) continue;
        // A nameless participant has no entry to show; it must not cost the others theirs.
        if (pUser->m_strName.empty()) continue;
        const int nPlace = pGroup->FindMemberPlace(*pUser);
        if (nPlace < 0) continue;
        pUser->m_ItemData.InitUser(pUser->m_dwUserId);
        if (list.Insert(pGroup->m_nListPos + nPlace + 1, pUser->m_strName, &pUser->m_ItemData) < 0) break;
        pGroup->InsertMember(nPlace, pUser);
    }
    RecomputePositions();
}

void COwnUserItem::DeleteEntriesAfterSeparator(IRecipientEntryList& list) {
    if (!list.IsPresent() || !m_pGroupList) return;
    int nSeparator = -1;
    for (int i = 0, n = list.Count(); i < n && nSeparator < 0; ++i) {
        const ChatItemData* p = list.Data(i);
        if (p && p->Kind() != CHAT_KIND_USER && p->Code() == CODE_RECENT_USERS) nSeparator = i;
    }
    if (nSeparator < 0) return;
    std::vector<CUsersGroup*> gone;
    while (nSeparator + 1 < list.Count()) {
        const ChatItemData* p = list.Data(nSeparator + 1);
        if (p && p->Kind() != CHAT_KIND_USER && p->GroupId() == CHAT_PRIVATE_CHAT_GROUP) break;
        for (int g = 0; p && p->Kind() != CHAT_KIND_USER && g < m_pGroupList->GetCount(); ++g)
            if (CUsersGroup* pGroup = m_pGroupList->GetAt(g); pGroup && &pGroup->m_ItemData == p)
                gone.push_back(pGroup);
        list.Delete(nSeparator + 1);
    }
    for (int g = 0; g < m_pGroupList->GetCount(); ++g) {
        CUsersGroup* pGroup = m_pGroupList->GetAt(g);
        if (pGroup && &pGroup->m_ItemData == list.Data(nSeparator)) pGroup->RemoveAllMembers();
    }
    // A group whose entry went has no place in the list: the recent users' heading is the
    // engine's own and goes with its entry; a host's group is hidden until the list is rebuilt.
    for (CUsersGroup* pGroup : gone) {
        if (pGroup->m_nType == CHAT_HEADING_GROUP && pGroup->m_nId == CHAT_RECENT_USERS_HEADING) {
            m_pGroupList->RemoveGroup(CHAT_RECENT_USERS_HEADING);
        } else {
            pGroup->RemoveAllMembers();
            pGroup->m_bVisible = FALSE;
        }
    }
    RecomputePositions();
}

void COwnUserItem::ShowMemberList(IRecipientEntryList& list, CUsersGroup* pGroup, BOOL bShow) {
    if (bShow)
        UpdateGroupUserList(list, pGroup);
    else
        RemoveGroupMembers(list, pGroup);
}

void COwnUserItem::DisappearGroup(IRecipientEntryList& list, CUsersGroup* pGroup) {
    if (!pGroup || !list.IsPresent()) return;
    if (EntryIsGroups(list, *pGroup)) {
        for (int i = pGroup->GetMemberCount(); i >= 0; --i)
            list.Delete(pGroup->m_nListPos);
    }
    pGroup->RemoveAllMembers();
    RecomputePositions();
}

void COwnUserItem::AppearGroup(IRecipientEntryList& list, CUsersGroup* pGroup) {
    if (!pGroup || !list.IsPresent() || EntryIsGroups(list, *pGroup)) return;
    MakeDataItem2(pGroup);
    RecomputePositions();
    const int nCount = list.Count();
    const int nAt = (pGroup->m_nListPos < 0 || pGroup->m_nListPos > nCount) ? nCount : pGroup->m_nListPos;
    pGroup->m_nListPos = list.Insert(nAt, GroupEntryText(*pGroup), &pGroup->m_ItemData);
    if (pGroup->m_bDim) pGroup->m_ItemData.SetShown(FALSE);
    // The members follow through the show-member-list switch, sorted like every member list.
    RecomputePositions();
}

void COwnUserItem::RefreshAllMembers(IRecipientEntryList& list) {
    if (!m_pGroupList || !list.IsPresent()) return;
    const BOOL bAttendeeMembers =
        ((Context().m_dwFeature1 & QXCHAT_FEATURE_ATTENDEE_MEMBERS) || !m_pGroupList->HasPanelistGroup()) &&
        HasMemberListRight();
    for (int i = 0; i < m_pGroupList->GetCount(); ++i) {
        CUsersGroup* pGroup = m_pGroupList->GetAt(i);
        if (!pGroup || (pGroup->m_nId >= CHAT_HOST_MANAGED_FIRST && pGroup->m_nId <= CHAT_HOST_MANAGED_LAST))
            continue;
        const BOOL bAvailable = IsGroupAvailable(pGroup);
        pGroup->m_ItemData.SetShown(bAvailable);
        if (bAvailable) {
            if (!pGroup->m_bShowMemberList)
                RemoveGroupMembers(list, pGroup);
            else if (pGroup->m_ItemData.Code() != CODE_RECENT_USERS)
                UpdateGroupUserList(list, pGroup);
        } else if (pGroup->m_nId == CHAT_ATTENDEES_GROUP_NEW && pGroup->m_bShowMemberList &&
                   bAttendeeMembers) {
            UpdateGroupUserList(list, pGroup);
        } else {
            RemoveGroupMembers(list, pGroup);
        }
        RecomputePositions();
    }
}

int COwnUserItem::InsertAUserIntoCombox(IRecipientEntryList& list, CUserItem* pUser) {
    return InsertUser(list, pUser, FALSE);
}

int COwnUserItem::InsertNewUserIntoCombox(IRecipientEntryList& list, CUserItem* pUser) {
    return InsertUser(list, pUser, TRUE);
}

int COwnUserItem::InsertUser(IRecipientEntryList& list, CUserItem* pUser, BOOL bNew) {
    if (!list.IsPresent() || !pUser || !m_bListReady) return 0;
    if (pUser->m_dwUserId == m_dwOwnUserId || (m_dwOwnNodeId && pUser->m_dwNodeId == m_dwOwnNodeId)) return 0;
    if (!pUser->m_lVisible || pUser->m_strName.empty()) return 0;
    const RecipientListContext ctx = Context();
    const BOOL bHostDriven = ctx.HostDriven(), bStrict = ctx.m_lStrictMode != 0;
    if (m_lUserType == QXCHAT_USER_TYPE_NONE && !bHostDriven) {
        const DWORD dwRoles = pUser->m_dwRosterInfo;
        if ((dwRoles == 0 || dwRoles == QXCHAT_ROLE_ATTENDEE) && !HasMemberListRight()) return 0;
        if (dwRoles == QXCHAT_ROLE_PANELIST && !CanChatWithPanelist(bStrict)) return 0;
    }
    const DWORD dwRole = MemberRole(*pUser);
    if (!m_pGroupList || m_pGroupList->GetCount() == 0) {
        RefreshFactNames(list, pUser);
        return 0;
    }
    BOOL bInserted = FALSE;
    for (int i = 0; i < m_pGroupList->GetCount(); ++i) {
        CUsersGroup* pGroup = m_pGroupList->GetAt(i);
        if (!pGroup) continue;
        const int nId = pGroup->m_nId;
        if (pUser->m_nExcludedGroupId == nId) return 0;
        if (nId == CHAT_PANELIST_ROLE_GROUP && !pGroup->m_ItemData.IsShown() &&
            (pUser->m_dwRosterInfo & ROLE_SPEAKERS) && CanChatWithPanelist(bStrict))
            pGroup->m_ItemData.SetShown(TRUE);
        if (!((dwRole & static_cast<DWORD>(nId)) || nId == CHAT_SEPARATE_ROLE_GROUP) ||
            !pGroup->m_bShowMemberList)
            continue;
        // Recent users are placed by request only, never by arrival.
        if (pGroup->m_ItemData.Code() == CODE_RECENT_USERS || (bHostDriven && pGroup->GetShowRecentUsers())) {
            bInserted = FALSE;
            break;
        }
        if (!EntryIsGroups(list, *pGroup)) {
            if (bHostDriven && !pGroup->m_bVisible) continue; // it has disappeared: no entry to list under
            return 0;
        }
        // While the list places the members itself, an entry's index only moves the selection,
        // and any index among the group's entries moves it alike unless one of its members is
        // selected: a new participant then joins the group's arrivals, placed all at once.
        const BOOL bArrival = bNew && list.PlacesMembersItself() && !MemberSelected(list, *pGroup);
        const int nPlace = bArrival ? pGroup->GetMemberCount() : pGroup->FindMemberPlace(*pUser);
        if (nPlace < 0) continue;
        pUser->m_ItemData.InitUser(pUser->m_dwUserId);
        if (list.Insert(pGroup->m_nListPos + nPlace + 1, pUser->m_strName, &pUser->m_ItemData) < 0) continue;
        if (bArrival)
            pGroup->AddArrival(pUser);
        else
            pGroup->InsertMember(nPlace, pUser);
        bInserted = TRUE;
        RecomputePositions();
    }
    RefreshFactNames(list, pUser);
    return bInserted ? 1 : 0;
}

void COwnUserItem::RefreshFactNames(IRecipientEntryList& list, const CUserItem* pUser) {
    if (!pUser || !m_pGroupList || !list.IsPresent()) return;
    for (int i = 0; i < m_pGroupList->GetCount(); ++i) {
        CUsersGroup* pGroup = m_pGroupList->GetAt(i);
        if (!pGroup || pGroup->m_nType != CHAT_ROLE_GROUP || !pGroup->m_bShowFactName ||
            !(pUser->m_dwRosterInfo & static_cast<DWORD>(pGroup->m_nId)))
            continue;
        const std::wstring text = pGroup->SetFactNameFrom(*pUser);
        if (!text.empty() && EntryIsGroups(list, *pGroup))
            QxReplaceEntry(list, pGroup->m_nListPos, text, &pGroup->m_ItemData);
        return;
    }
}

int COwnUserItem::RemoveAUserIntoCombox(IRecipientEntryList& list, CUserItem* pUser) {
    if (!pUser || !m_pGroupList || !list.IsPresent()) return 0;
    BOOL bRemoved = FALSE;
    const LONG lConfMode = Context().m_lConferenceMode;
    for (int i = 0; i < m_pGroupList->GetCount(); ++i) {
        CUsersGroup* pGroup = m_pGroupList->GetAt(i);
        const int nMember = pGroup ? pGroup->FindMember(pUser->m_dwUserId) : -1;
        if (nMember < 0) continue;
        if (EntryIsGroups(list, *pGroup)) list.Delete(pGroup->m_nListPos + nMember + 1);
        pGroup->RemoveMember(pUser->m_dwUserId);
        bRemoved = TRUE;
        if (pGroup->m_nType == CHAT_ROLE_GROUP && pGroup->m_nId == CHAT_SEPARATE_ROLE_GROUP &&
            pGroup->GetMemberCount() == 0 && lConfMode == 2) {
            // The heading of the recent users goes with the last of them. Another group's entry
            // is never taken: its group would be left without one.
            RecomputePositions();
            CUsersGroup* pNext = m_pGroupList->GetAt(i + 1);
            if (pNext && pNext->m_nId == CHAT_RECENT_USERS_HEADING && EntryIsGroups(list, *pNext)) {
                list.Delete(pNext->m_nListPos);
                m_pGroupList->RemoveGroup(CHAT_RECENT_USERS_HEADING);
            }
            Trace(L"COwnUserItem::RemoveAUserIntoCombox: CHAT_SEPARATE_ROLE_GROUP");
        }
        if (pGroup->m_nId == CHAT_PANELIST_ROLE_GROUP && pGroup->m_ItemData.IsShown() && m_pUserList &&
            m_pUserList->CountSpeakers(TRUE) == 1)
            pGroup->m_ItemData.SetShown(FALSE);
        RecomputePositions();
    }
    return bRemoved ? 1 : 0;
}

void COwnUserItem::ModifyAUserIntoCombox(IRecipientEntryList& list, CUserItem* pUser) {
    if (!pUser || !m_pGroupList || !list.IsPresent()) return;
    if (pUser->m_dwUserId == m_dwOwnUserId) {
        RefreshFactNames(list, pUser);
        return;
    }
    const LONG lConfMode = Context().m_lConferenceMode;
    for (int i = 0; i < m_pGroupList->GetCount(); ++i) {
        CUsersGroup* pGroup = m_pGroupList->GetAt(i);
        const int nMember = pGroup ? pGroup->FindMember(pUser->m_dwUserId) : -1;
        if (nMember < 0) continue;
        if (pGroup->m_nType == CHAT_ROLE_GROUP && pGroup->m_nId == CHAT_SEPARATE_ROLE_GROUP &&
            lConfMode == 2) {
            Trace(L"COwnUserItem::ModifyAUserIntoCombox: CHAT_SEPARATE_ROLE_GROUP");
            continue;
        }
        if (EntryIsGroups(list, *pGroup)) list.Delete(pGroup->m_nListPos + nMember + 1);
        pGroup->RemoveMember(pUser->m_dwUserId);
        RecomputePositions();
    }
    InsertAUserIntoCombox(list, pUser);
}

int COwnUserItem::MoveToRecentUsers(IRecipientEntryList& list, CUsersGroup* pGroup, CUserItem* pUser) {
    if (!pGroup || !pUser || !list.IsPresent() || !EntryIsGroups(list, *pGroup)) return -1;
    const int nOld = pGroup->FindMember(pUser->m_dwUserId);
    if (nOld >= 0) {
        list.Delete(pGroup->m_nListPos + nOld + 1);
        pGroup->RemoveMember(pUser->m_dwUserId);
    }
    pUser->m_ItemData.InitUser(pUser->m_dwUserId);
    list.Insert(pGroup->m_nListPos + 1, pUser->m_strName, &pUser->m_ItemData);
    pGroup->InsertMember(0, pUser);
    int nDropped = -1;
    const int nLimit = (pGroup->m_nRecentUserLimit > 0 && pGroup->m_nRecentUserLimit < kRecentUserCap)
                           ? pGroup->m_nRecentUserLimit
                           : kRecentUserCap;
    while (pGroup->GetMemberCount() > nLimit) {
        CUserItem* pLast = pGroup->GetMember(pGroup->GetMemberCount() - 1);
        nDropped = pGroup->m_nListPos + pGroup->GetMemberCount();
        list.Delete(nDropped);
        pGroup->RemoveMember(pLast ? pLast->m_dwUserId : 0);
        if (!pLast) break;
    }
    RecomputePositions();
    return nDropped;
}
