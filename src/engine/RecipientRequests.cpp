// CMainChatDlg: the host's selection requests (chat to a group, to an attendee) and the recent
// users it adds.
#include "window/MainChatDlg.h"

BOOL CMainChatDlg::SelectGroupEntry(int nType, int nId) {
    const CUsersGroupList& groups = m_users.Groups();
    for (int i = 0; i < groups.GetCount(); ++i) {
        const CUsersGroup* p = groups.GetAt(i);
        if (!p || p->m_nId != nId || (nType >= 0 && p->m_nType != nType)) continue;
        if (p->m_nListPos < 0 || RecipientEntry(p->m_nListPos) != &p->m_ItemData) return FALSE;
        SelectRecipientEntry(p->m_nListPos);
        return TRUE;
    }
    return FALSE;
}

LONG CMainChatDlg::ChatToGroup(LONG nGroupType, LONG nGroupId) {
    if (!m_host.m_lUserListPermission || !RecipientBoxExists()) return 0;
    CUsersGroup* pGroup = m_users.Groups().FindGroup(nGroupType, nGroupId, nullptr);
    if (pGroup && SelectGroupEntry(pGroup->m_nType, pGroup->m_nId)) FocusInput();
    return 0;
}

LONG CMainChatDlg::ChatToGroupEx(LONG nGroupIndex) {
    if (!m_host.m_lUserListPermission || !RecipientBoxExists()) return 0;
    const CUsersGroup* p = m_users.Groups().FindByIndex(nGroupIndex);
    if (!p || p->m_nListPos < 0 || RecipientEntry(p->m_nListPos) != &p->m_ItemData) return 0;
    SelectRecipientEntry(p->m_nListPos);
    FocusInput();
    return 0;
}

LONG CMainChatDlg::ChatToAttendee(DWORD dwNodeId) {
    if (!m_host.m_lUserListPermission || !RecipientBoxExists()) return 0;
    // An unknown node is nobody: it must not select the host group.
    CUserItem* pUser = m_users.FindByNodeId(dwNodeId);
    if (!pUser) return 0;
    const DWORD dwRoles = pUser->m_dwRosterInfo;
    if (dwRoles & (QXCHAT_ROLE_HOST | QXCHAT_ROLE_PRESENTER)) {
        const int nGroupId = (dwRoles & QXCHAT_ROLE_HOST) ? CHAT_HOST_ROLE_GROUP : CHAT_PRESENTER_ROLE_GROUP;
        const int nEntry =
            m_event.m_lConferenceMode == QXCHAT_CONF_MODE_3 ? FindShownUserEntry(pUser->m_dwUserId) : -1;
        if (nEntry >= 0)
            SelectRecipientEntry(nEntry);
        else
            SelectGroupEntry(CHAT_ROLE_GROUP, nGroupId);
    } else {
        const BOOL bDirect = (m_event.m_lConferenceMode != QXCHAT_CONF_MODE_2 && !m_event.m_bMode2) ||
                             (dwRoles & QXCHAT_ROLE_PANELIST);
        if (!bDirect) {
            CUsersGroup* pGroup = RecentUsersGroup();
            if (!pGroup && m_event.m_bMode2)
                pGroup = m_users.Groups().FindGroup(CHAT_ROLE_GROUP, CHAT_ATTENDEES_GROUP_NEW, nullptr);
            if (pGroup) m_own.MoveToRecentUsers(RecipientEntries(), pGroup, pUser);
        }
        const int nEntry = FindShownUserEntry(pUser->m_dwUserId);
        if (nEntry >= 0) SelectRecipientEntry(nEntry);
    }
    FocusInput();
    return 0;
}

LONG CMainChatDlg::AddAUser(DWORD dwNodeId) {
    CUserItem* pUser = m_users.FindByNodeId(dwNodeId);
    if (!pUser || !RecipientBoxExists()) return -1;
    CUsersGroupList& groups = m_users.Groups();
    CUsersGroup* pGroup = RecentUsersGroup();
    if (!pGroup && m_event.m_bMode2 &&
        (pUser->m_dwRosterInfo == 0 || pUser->m_dwRosterInfo == QXCHAT_ROLE_ATTENDEE))
        pGroup = groups.FindGroup(CHAT_ROLE_GROUP, CHAT_ATTENDEES_GROUP_NEW, nullptr);
    if (!pGroup) return -1;
    if (pGroup->GetMemberCount() == 0 && m_event.m_lConferenceMode == QXCHAT_CONF_MODE_2) {
        AddRoleGroup(groups.Find(pGroup) + 1, CHAT_HEADING_GROUP, CHAT_RECENT_USERS_HEADING, nullptr, nullptr,
                     0, 0, 0);
        m_own.RecomputePositions();
    }
    const BOOL bWasSelected = IsSelectedRecipient(pUser);
    const int nSelected = SelectedRecipientIndex();
    const int nDropped = m_own.MoveToRecentUsers(RecipientEntries(), pGroup, pUser);
    if (bWasSelected)
        SelectRecipientEntry(pGroup->m_nListPos + 1);
    else if (nDropped >= 0 && nSelected >= 0 && SelectedRecipientIndex() < 0)
        SetDefaultCurSel(nullptr);
    return 0;
}
