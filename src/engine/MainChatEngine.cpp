// CMainChatDlg, engine side: the configuration commands of the host and the notifications to
// the host.
#include "window/MainChatDlg.h"

#include "engine/EventConfig.h"
#include "engine/SoundPolicy.h"
#include "pdu/CustomerIdPDU.h"
#include "pdu/StringConverter.h"
#include "qxchat.h"
#include "resources/resource.h"
#include "trace/Trace.h"

void CMainChatDlg::SetConnectionParams(const wchar_t* lpszServerAddress, LONG confHandle, LONG lChatRoomId,
                                       const wchar_t* lpszUserName, LONG userHandle,
                                       const wchar_t* lpszUserInfo, const ServerRecordingState* pRecording) {
    m_conn.m_strServerAddress = lpszServerAddress ? lpszServerAddress : L"";
    m_conn.m_confiHandle = static_cast<WORD>(confHandle & 0xFFFF);
    m_conn.m_lChatRoomId = lChatRoomId;
    if (lpszUserName) m_own.SetOwnName(lpszUserName);
    if (lpszUserInfo) m_conn.m_strUserInfo = lpszUserInfo;
    m_conn.m_lUserHandle = userHandle;
    m_conn.m_pRecording = pRecording;
}

LONG CMainChatDlg::SendMessageToService(UINT Msg, WPARAM wParam, LPARAM lParam) {
    Trace(L"CMainChatDlg::SendMessageToService, m_hServiceHandle=0x%x, m_hSCParentWnd=0x%x, Msg=%d, "
          L"wParam=0x%x, "
          L"lParam=0x%x",
          static_cast<unsigned>(reinterpret_cast<UINT_PTR>(m_notify.m_hServiceHandle)),
          static_cast<unsigned>(reinterpret_cast<UINT_PTR>(m_notify.m_hSCParentWnd)), Msg,
          static_cast<unsigned>(wParam), static_cast<unsigned>(lParam));
    if (m_notify.m_hServiceHandle) PostMessageW(m_notify.m_hServiceHandle, Msg, wParam, lParam);
    if (m_notify.m_hSCParentWnd) PostMessageW(m_notify.m_hSCParentWnd, Msg, wParam, lParam);
    return 1;
}

LONG CMainChatDlg::SetEventConfig(LONG lCommand, LONG lParam1, LONG lParam2) {
    EventConfigOutcome out =
        QxApplyEventCommand(m_event, m_notify, m_own, lCommand, lParam1, lParam2, m_status.m_bEnrolled);
    if (out.m_bApplyAllUsersOverride) {
        CUsersGroupList& groups = m_users.Groups();
        for (int i = 0; i < groups.GetCount(); ++i) {
            CUsersGroup* pGroup = groups.GetAt(i);
            if (pGroup && pGroup->GetGrpId() == CHAT_ALL_USERS_ROLE_GROUP)
                pGroup->m_ItemData.SetShown(m_own.m_lAllUsersValue);
        }
    }
    if (out.m_bReapplyPrivileges) HandlePrivilegeUpdate(TRUE);
    return out.m_lResult;
}

LONG CMainChatDlg::SelectFeature(DWORD dwFeature1, LONG lParam2) {
    if (QxApplyFeatureMask(m_features, m_event, dwFeature1, lParam2)) MarkAllGroupsInfoPending();
    AttachFeatureControls(dwFeature1);
    return 0;
}

void CMainChatDlg::SetNBRStatus(DWORD dwStatus, DWORD dwOption) {
    if (QxApplyNBRStatus(m_recording, dwStatus, dwOption)) MarkAllGroupsInfoPending();
}

void CMainChatDlg::MarkAllGroupsInfoPending() {
    for (CUsersGroupList* pGroups : {&m_users.Groups(), &m_CacheGroups})
        for (int i = 0; i < pGroups->GetCount(); ++i)
            if (CUsersGroup* pGroup = pGroups->GetAt(i)) pGroup->m_bSubscriptionPending = TRUE;
}

LONG CMainChatDlg::SetConfig(DWORD dwConfigType, const wchar_t* lpszConfig) {
    switch (dwConfigType) {
    case QXCHAT_CFG_FAQ_CONTENT: return HandleFAQContentConfig(lpszConfig);
    case QXCHAT_CFG_FAQ_MACRO: return HandleFAQMacroInfoConfig(lpszConfig);
    case QXCHAT_CFG_CUSTOMER_ID: return HandleCustomIdConfig(lpszConfig);
    case QXCHAT_CFG_PRIMARY_CUSTOMER: return HandlePrimaryCustomerNodeId(lpszConfig);
    default: return 0;
    }
}

LONG CMainChatDlg::HandleCustomIdConfig(const wchar_t* lpszConfig) {
    Trace(L"/**** CMainChatDlg::HandleCustomIdConfig Enter ****/");
    CCustomerIdPDU pdu;
    // The configuration text is parsed in the system code page; a text that does not parse
    // leaves the previous id.
    if (!lpszConfig || !pdu.ParseXMLPDU(CStringConverter(lpszConfig).GetAnsi())) return 0;
    m_status.m_dwCustomerId = pdu.GetCustomerId();
    Trace(L"/==== CMainChatDlg::HandleCustomIdConfig Exit: m_dwCustomerId=%d ====/", m_status.m_dwCustomerId);
    return 1;
}

void CMainChatDlg::SetPrivilege(DWORD dwBit) {
    Trace(L"/**** CMainChatDlg::SetPrivilege:lBit=%d, oldBit=%d ****/", dwBit, m_own.m_dwPrivilege);
    BOOL bChanged = m_own.SetPrivilege(dwBit);
    HandlePrivilegeUpdate(bChanged);
    Trace(L"/==== CMainChatDlg::SetPrivilege End. ====/");
}

void CMainChatDlg::SetUserType(LONG nUserType) {
    m_own.SetUserType(nUserType);
    m_host.m_lUserType = nUserType;
}

void CMainChatDlg::SetMeetingType(LONG lMeetingType) {
    // The default recipient groups of a meeting type come with the recipient list.
    m_host.m_lMeetingType = lMeetingType;
}

void CMainChatDlg::AllowUserInput(LONG lInputPermission) {
    m_host.m_lInputPermission = lInputPermission;
    if (lInputPermission == 0 && HasWindow()) {
        CloseDropDowns();
        ShowNoticeWindow(FALSE);
        SetInputUIStatus(FALSE);
    }
}

void CMainChatDlg::ShowUserList(LONG lUserListPermission) {
    m_host.m_lUserListPermission = lUserListPermission;
    if (HasWindow() && m_status.m_bEnrolled) EnableRecipientBox(lUserListPermission != 0);
}

void CMainChatDlg::SetSoundPreference(LONG lNeedPlaySound, const wchar_t* lpszSoundFileName,
                                      LONG lOptionValue, LONG lhWnd, LONG lCurTabIndex) {
    m_sound.m_lNeedPlaySound = lNeedPlaySound;
    m_sound.m_lOptionValue = lOptionValue;
    m_sound.m_lhWnd = lhWnd;
    m_sound.m_lCurTabIndex = lCurTabIndex;
    // No name means no sound file: nothing is made up from the MEDIA folder alone.
    const bool bNamed = lpszSoundFileName && *lpszSoundFileName;
    m_sound.m_strSoundFile =
        bNamed ? QxResolveSoundPath(lpszSoundFileName, m_sound.m_strBeepName, QxWindowsDirectory())
               : std::wstring();
}
