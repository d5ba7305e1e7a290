// CMainChatDlg: re-applying the local user's privileges to the recipient list, and the standard
// groups the engine builds itself in conference mode 2.
#include "window/MainChatDlg.h"

#include "module/ModuleState.h"
#include "qxchat.h"
#include "resources/resource.h"
#include "trace/Trace.h"

namespace {

constexpr size_t kMaxRememberedUsers = 49;
constexpr size_t kMaxRestoredUsers = 21;

} // namespace

BOOL CMainChatDlg::SendingAllowed() const {
    if ((m_features.m_dwFeature1 & QXCHAT_FEATURE_SEND_PRIVILEGE) &&
        !(m_own.m_dwPrivilege & QXCHAT_PRIV_SEND))
        return FALSE;
    return m_event.m_lSendEnable != 0;
}

void CMainChatDlg::ShowInputPromptOnce() {
    if (m_status.m_bInputPromptShown || (m_features.m_dwFeature1 & QXCHAT_FEATURE_COMPACT)) return;
    if (InputEnabled() && ShowInputPrompt()) m_status.m_bInputPromptShown = TRUE;
}

void CMainChatDlg::HandlePrivilegeUpdate(BOOL bChanged) {
    if (!HasWindow()) return;
    Trace(L"/==== CMainChatDlg::HandlePrivilegeUpdate Begin ====/");
    const BOOL bBox = RecipientBoxExists();
    ChatItemData kept;
    const ChatItemData* pSelected = SelectedRecipient();
    if (pSelected) kept = *pSelected;
    CloseRecipientDropDown();
    if (!m_status.m_bEnrolled) return;
    if (!SendingAllowed()) {
        SetInputUIStatus(FALSE);
        RedrawDialog();
        Trace(L"/==== CMainChatDlg::HandlePrivilegeUpdate End ,chat not enable ====/");
        return;
    }
    ShowInputPromptOnce();
    if (bChanged && bBox) {
        if (m_event.m_lConferenceMode != QXCHAT_CONF_MODE_2) {
            // Without the rights for them the recent users go, with everything listed for them.
            if (!m_own.HasFullRights() && !m_own.IsElevated() && m_event.m_bMode2)
                m_own.DeleteEntriesAfterSeparator(RecipientEntries());
        } else {
            BuildStandardGroups();
        }
        m_own.RefreshAllMembers(RecipientEntries());
    }
    ApplyListEnabling(SetDefaultCurSel(pSelected ? &kept : nullptr));
    Trace(L"/==== CMainChatDlg::HandlePrivilegeUpdate End ====/");
}

void CMainChatDlg::ApplyListEnabling(BOOL bSelected) {
    // The input status switches the recipient box too: the list's own rule comes after it.
    const BOOL bListAllowed = m_host.m_lUserListPermission != 0;
    BOOL bList = bListAllowed && bSelected;
    if (m_event.m_bMode2 && m_event.m_lConferenceMode != QXCHAT_CONF_MODE_2) {
        SetInputUIStatus(m_host.m_lInputPermission == 1);
        EnableSendButton(bSelected);
        bList = bListAllowed;
    } else {
        const BOOL bReady = m_host.m_lMeetingType == QXCHAT_MEETING_TYPE_SUPPORT || m_status.m_bSendReady;
        SetInputUIStatus(m_host.m_lInputPermission == 1 && bSelected && bReady);
    }
    EnableRecipientBox(bList);
    if (bList) EnableSendToLabel(TRUE);
}

void CMainChatDlg::BuildStandardGroups() {
    std::vector<DWORD> remembered;
    if (m_own.HasFullRights() || m_own.IsElevated()) {
        int nSeparator = -1;
        for (int i = 0, n = RecipientEntryCount(); i < n; ++i) {
            const ChatItemData* p = RecipientEntry(i);
            if (!p) continue;
            if (nSeparator < 0) {
                if (p->Kind() != CHAT_KIND_USER && p->Code() == CODE_RECENT_USERS) nSeparator = i;
            } else if (p->Kind() == CHAT_KIND_USER && remembered.size() < kMaxRememberedUsers) {
                remembered.push_back(p->UserId());
            }
        }
    }
    EmptyRecipientBox();
    m_users.Groups().DestroyAll();

    const BOOL bStrict = m_event.m_lStrictMode != 0, R = m_own.IsRosterShared();
    const DWORD P = m_own.m_dwPrivilege;
    LONG nIndex = 0;
    auto add = [&](LONG nType, LONG nId, const std::wstring& strName, LONG bShowMembers, LONG bDefault) {
        const LONG r = AddRoleGroup(nIndex, nType, nId, strName.empty() ? nullptr : strName.c_str(), nullptr,
                                    0, bShowMembers, bDefault);
        if (r != -1) ++nIndex;
        return r != -1;
    };
    auto heading = [&] { add(CHAT_HEADING_GROUP, 0, std::wstring(), 0, 0); };
    auto everyone = [&] {
        add(CHAT_ROLE_GROUP, CHAT_ALL_USERS_ROLE_GROUP, QxLoadString(IDS_GROUP_EVERYONE), 0, 1);
    };
    auto recentAndPrivate = [&] {
        add(CHAT_ROLE_GROUP, CHAT_SEPARATE_ROLE_GROUP, L" ", 1, 0);
        add(CHAT_PRIVATE_GROUP, CHAT_PRIVATE_CHAT_GROUP, m_res.m_strPrivateChatLabel, 0, 1);
    };
    const BOOL E = (P & QXCHAT_PRIV_ATTENDEES) && (P & QXCHAT_PRIV_MEMBER_LIST) &&
                   m_own.CanChatWithHostPresenterPanelist(bStrict);

    if (!bStrict && m_own.HasFullRights()) {
        add(CHAT_ROLE_GROUP, CHAT_HOST_ROLE_GROUP, QxLoadString(IDS_GROUP_HOSTS), 0, 0);
        add(CHAT_ROLE_GROUP, CHAT_PRESENTER_ROLE_GROUP, QxLoadString(IDS_GROUP_PRESENTERS), 0, 0);
        add(CHAT_ROLE_GROUP, CHAT_ALL_HOST_PRESENTER_ROLE_GROUP, QxLoadString(IDS_GROUP_HOSTS_PRESENTERS), 0,
            0);
        heading();
        add(CHAT_ROLE_GROUP, CHAT_ATTENDEES_GROUP_NEW, QxLoadString(IDS_GROUP_ATTENDEES), 0, 0);
        add(CHAT_ROLE_GROUP, CHAT_PANELIST_ROLE_GROUP, QxLoadString(IDS_GROUP_PANELISTS), 1, 0);
        heading();
        everyone();
        recentAndPrivate();
        RestoreRecentUsers(remembered);
        return;
    }
    if (!bStrict && !(P & QXCHAT_PRIV_MEMBER_LIST)) return;

    // The rights-checked sequence (strict mode, or outside it with the member-list right).
    BOOL bSpeakerGroup = FALSE, bAudienceGroup = FALSE;
    if (m_own.CanChatWithHost(bStrict))
        bSpeakerGroup |= add(CHAT_ROLE_GROUP, CHAT_HOST_ROLE_GROUP, QxLoadString(IDS_GROUP_HOSTS), 0, 0);
    if (m_own.CanChatWithPresenter(bStrict))
        bSpeakerGroup |=
            add(CHAT_ROLE_GROUP, CHAT_PRESENTER_ROLE_GROUP, QxLoadString(IDS_GROUP_PRESENTERS), 0, 0);
    if (m_own.CanChatWithHostAndPresenter(bStrict))
        bSpeakerGroup |= add(CHAT_ROLE_GROUP, CHAT_ALL_HOST_PRESENTER_ROLE_GROUP,
                             QxLoadString(IDS_GROUP_HOSTS_PRESENTERS), 0, 0);
    const BOOL bAttendees = (P & QXCHAT_PRIV_ATTENDEES) && R, bPanelists = m_own.CanChatWithPanelist(bStrict);
    if (bSpeakerGroup && (bAttendees || bPanelists)) heading();
    if (bAttendees)
        bAudienceGroup |=
            add(CHAT_ROLE_GROUP, CHAT_ATTENDEES_GROUP_NEW, QxLoadString(IDS_GROUP_ATTENDEES), 0, 0);
    if (bPanelists)
        bAudienceGroup |=
            add(CHAT_ROLE_GROUP, CHAT_PANELIST_ROLE_GROUP, QxLoadString(IDS_GROUP_PANELISTS), 1, 0);
    if (!(bAudienceGroup && !E)) {
        if (bAudienceGroup && R) heading();
        if (E && R) everyone();
    }
    if (bStrict) return;
    if (m_own.IsElevated() && (P & QXCHAT_PRIV_ATTENDEES)) {
        recentAndPrivate();
        ShowNoticeWindow(FALSE);
        RestoreRecentUsers(remembered);
    } else {
        ShowNoticeWindow(FALSE);
    }
}

void CMainChatDlg::RestoreRecentUsers(const std::vector<DWORD>& userIds) {
    CUsersGroup* pSeparator = RecentUsersGroup();
    if (!pSeparator || !RecipientBoxExists()) return;
    const size_t nUsers = userIds.size() < kMaxRestoredUsers ? userIds.size() : kMaxRestoredUsers;
    // Oldest first, each at the first place: the list keeps its newest-first order.
    for (size_t k = nUsers; k-- > 0;) {
        CUserItem* pUser = m_users.FindByUserId(userIds[k]);
        if (!pUser || (pUser->m_dwRosterInfo & ROLE_SPEAKERS) ||
            pSeparator->FindMember(pUser->m_dwUserId) >= 0)
            continue;
        pUser->m_ItemData.InitUser(pUser->m_dwUserId);
        InsertRecipientEntry(pSeparator->m_nListPos + 1, pUser->m_strName, &pUser->m_ItemData);
        pSeparator->InsertMember(0, pUser);
        m_own.RecomputePositions();
    }
    if (pSeparator->GetMemberCount() > 0) {
        const int nAfter = m_users.Groups().Find(pSeparator) + 1;
        AddRoleGroup(nAfter, CHAT_HEADING_GROUP, CHAT_RECENT_USERS_HEADING, nullptr, nullptr, 0, 0, 0);
        m_own.RecomputePositions();
    }
    while (pSeparator->GetMemberCount() > 20) {
        CUserItem* pLast = pSeparator->GetMember(pSeparator->GetMemberCount() - 1);
        DeleteRecipientEntry(pSeparator->m_nListPos + pSeparator->GetMemberCount());
        pSeparator->RemoveMember(pLast ? pLast->m_dwUserId : 0);
        m_own.RecomputePositions();
        if (!pLast) break;
    }
}
