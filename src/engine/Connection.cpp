// CMainChatDlg, engine side: the connection chain (controller, connect, join, attach, enroll),
// its confirmations, re-enrollment and the teardown.
#include "window/MainChatDlg.h"

#include "engine/RosterRules.h"
#include "module/ModuleState.h"
#include "pdu/ChatUserInfoPDU.h"
#include "pdu/RosterInfoPDU.h"
#include "pdu/StringConverter.h"
#include "qxchat.h"
#include "qxkeyfocus.h"
#include "resources/resource.h"
#include "trace/Trace.h"

#include <new>

namespace {

constexpr DWORD kJoinCapabilities = 3; // data and roster
constexpr DWORD kDisconnectByUser = 1; // the user closed the chat
constexpr DWORD kSelfConnectNode = 77; // node id of the engine's own confirmation after 1215

int PointerValue(const void* p) {
    return static_cast<int>(reinterpret_cast<INT_PTR>(p));
}

} // namespace

void CMainChatDlg::Initialize() {
    Trace(L"/**** CMainChatDlg::Initialize() enter ****/");
    m_status.m_bStarted = TRUE;
    m_status.m_bEnrolled = FALSE;
    if (m_event.m_nConfId == 0) {
        const std::string strAddress = CStringConverter::ToUtf8(m_conn.m_strServerAddress);
        QxGetArmNodeController(strAddress.c_str(), &m_status.m_pArmNC);
    } else {
        QxGetArmNodeControllerEx(0, &m_status.m_pArmNC, static_cast<DWORD>(m_event.m_nConfId));
    }
    int ret = 0;
    if (m_status.m_pArmNC) {
        ret = m_status.m_pArmNC->Connect(m_sinks.Controller(), "", 0, 0, 0);
        if (ret != ARM_OK && ret != ARM_ERROR_INVALID_STATE) {
            Cleanup();
            // The controller is gone, so this confirmation only traces.
            if (ret == ARM_ERROR_ALREADY_CONNECTED) ConnectConfirm(0, kSelfConnectNode);
        }
    }
    m_status.m_bInputPromptShown = FALSE;
    Trace(L"/==== CMainChatDlg::Initialize() End, m_pArmNC=%d, m_nConfId=%d, ret=%d ====/",
          PointerValue(m_status.m_pArmNC), m_event.m_nConfId, ret);
}

void CMainChatDlg::ConnectConfirm(short result, DWORD node_id) {
    Trace(L"/**** CMainChatDlg::ConnectConfirm(result=%d, node_id = %d) enter ****/", result, node_id);
    int ret = 0;
    if (result == ARM_OK && m_status.m_pArmNC) {
        ret = m_status.m_pArmNC->JoinConference(0, m_conn.m_confiHandle, m_sinks.Conference(),
                                                kJoinCapabilities);
        if (ret == ARM_ERROR_INVALID_PARAMETER) ConferenceJoinConfirm(m_conn.m_confiHandle, "99", 0, 0);
    } else if (result == TP_ERROR_PROXY_NEED_AUTH && m_status.m_pArmNC) {
        m_status.m_pArmNC->Connect(m_sinks.Controller(), "", 0, 0, 0);
        return;
    }
    Trace(L"/==== CMainChatDlg::ConnectConfirm,end: ret=%d ====/", ret);
}

void CMainChatDlg::ConferenceJoinConfirm(WORD /*conf_handle*/, const char* /*text*/, short result,
                                         DWORD /*value*/) {
    Trace(L"/**** CMainChatDlg::ConferenceJoinConfirm enter ****/");
    int nRet = 0;
    if (result == ARM_OK) {
        if (!m_status.m_pArmNC) return;
        nRet = m_status.m_pArmNC->AttachApe(m_sinks.Ape(), 0, m_conn.m_confiHandle, &m_status.m_apeHandle);
        if (nRet == ARM_OK) return;
    }
    Trace(L"/==== CMainChatDlg::ConferenceJoinConfirm exit: nRet = %d ====/", nRet);
}

void CMainChatDlg::ApeAttachConfirm(DWORD apeHandle, int result, DWORD userid) {
    // The result is not examined: enrolling tells whether the APE is usable.
    m_status.m_apeHandle = apeHandle;
    m_own.m_dwOwnUserId = userid;
    const BOOL bRet = Enroll(0);
    if (!bRet) Cleanup();
    Trace(L"/**** CMainChatDlg::ApeAttachConfirm: apeHandle = %d,result = %d,userid = %d, bRet=%d ****/",
          apeHandle, result, userid, bRet);
}

BOOL CMainChatDlg::Enroll(LONG /*nSendInfo*/) {
    Trace(L"/**** CMainChatDlg::Enroll() enter ****/");
    std::unique_ptr<CRosterInfoPDU> pRosterInfo(new (std::nothrow) CRosterInfoPDU());
    if (!pRosterInfo || !FillLocalRosterInfo(pRosterInfo.get()) || !pRosterInfo->GenerateXMLPDU()) {
        Trace(L"/==== Fail: CMainChatDlg::Enroll end,Create RosterPDU failed ====/");
        return FALSE;
    }
    const DWORD dwRosterFlags = QxRosterFlags(m_own.m_bNeedRosterInfo, m_own.m_bBroadcastRosterInfo);
    const std::string strText = pRosterInfo->GetXMLText();
    QxResourceRecord resource = {1, "c_session_id", 1, 0};
    int ret = ARM_ERROR_INVALID_STATE;
    if (m_status.m_pArmNC)
        ret = m_status.m_pArmNC->EnrollApe(m_status.m_apeHandle, 1, static_cast<DWORD>(m_conn.m_lChatRoomId),
                                           0, 1, &resource, strText.c_str(),
                                           static_cast<DWORD>(strText.size()), dwRosterFlags);
    pRosterInfo.reset();
    Trace(L"/==== CMainChatDlg::Enroll end, ret = %d ====/", ret);
    return ret == ARM_OK;
}

void CMainChatDlg::ApeEnrollConfirm(DWORD apehandle, short result, WORD resoruce_number,
                                    const QxResourceRecord* resource_list) {
    Trace(L"/**** CMainChatDlg::ApeEnrollConfirm:m_hWnd=%d, apehandle = %d,result = %d,resoruce_number = "
          L"%d,resource_list = %d ****/",
          PointerValue(m_hWnd), apehandle, result, resoruce_number, PointerValue(resource_list));
    // A late confirmation for an attachment that has gone must neither clean up the live one
    // nor enroll a chat that no longer has one.
    if (!IsOwnApe(apehandle)) {
        Trace(L"Fail: CMainChatDlg::ApeEnrollConfirm: ape_handle %u is not this chat's (%u), dropped",
              apehandle, m_status.m_apeHandle);
        return;
    }
    const DWORD dwFeature = m_features.m_dwFeature1;
    const int dwFeedBack = (dwFeature & QXCHAT_FEATURE_ENROLL_FEEDBACK) ? 1 : 0;
    if (result != ARM_OK) {
        Cleanup();
        if (dwFeedBack)
            SendMessageToService(WM_CHAT_NOTIFY_TO_SERVICE, QXCHAT_NOTIFY_ENROLL, static_cast<LPARAM>(-1));
        Trace(L"/==== CMainChatDlg::ApeEnrollConfirm, end, dwFeedBack=%d ====/", dwFeedBack);
        return;
    }
    if (resoruce_number > 0 && resource_list) m_status.m_dwCacheNumber = resource_list[0].value;
    const BOOL bFirst = !m_status.m_bEnrolled;
    m_status.m_bEnrolled = TRUE;
    const BOOL bSupportMode = (dwFeature & QXCHAT_FEATURE_CUSTOMER_SUPPORT) != 0;
    if (bFirst) {
        SetInputUIStatus(m_host.m_lInputPermission == 1);
        if ((dwFeature & QXCHAT_FEATURE_KEY_FOCUS) && HasWindow()) KbSetDialogFocus(m_hWnd);
        EnableRecipientBox(m_host.m_lUserListPermission != 0);
        if (bSupportMode && !m_status.m_bInputPromptShown && !(dwFeature & QXCHAT_FEATURE_COMPACT)) {
            if (HasWindow() && ShowInputPrompt()) m_status.m_bInputPromptShown = TRUE;
        }
    }
    if (!bSupportMode && m_event.m_lConferenceMode == QXCHAT_CONF_MODE_2)
        HandlePrivilegeUpdate(TRUE);
    else if (bFirst)
        FillRecipientBoxWithGroups();
    if (dwFeedBack) SendMessageToService(WM_CHAT_NOTIFY_TO_SERVICE, QXCHAT_NOTIFY_ENROLL, 0);
    if (m_status.m_pArmNC) m_status.m_pArmNC->SetSharedDataSink(apehandle, m_sinks.SharedData());
    if (!m_status.m_bAllCachesAllocated) {
        AllocAllCacheHandles();
    } else {
        if (m_features.m_bNeedRecovery) ProcessRecovery(FALSE);
        SubscribeNeededGroupCaches();
    }
    Trace(L"/==== CMainChatDlg::ApeEnrollConfirm, end, dwFeedBack=%d ====/", dwFeedBack);
}

void CMainChatDlg::ApeDetachIndication(DWORD a, DWORD b) {
    // The engine does not attach again: sending stays impossible until the host starts anew,
    // so the user is told and the host may start the participant again (which then recovers
    // the history through the ordinary recovery).
    Trace(L"/**** CMainChatDlg::ApeDetachIndication : %d, %d ****/:", a, b);
    // Only this chat's own attachment: a late detach of one that has gone leaves the live one.
    if (!IsOwnApe(a)) return;
    m_status.m_apeHandle = 0;
    SetInputUIStatus(FALSE);
    ShowMessage(L"", QxLoadString(IDS_CONFERENCE_LOST), L"");
    if (m_features.m_dwFeature1 & QXCHAT_FEATURE_ENROLL_FEEDBACK)
        SendMessageToService(WM_CHAT_NOTIFY_TO_SERVICE, QXCHAT_NOTIFY_ENROLL, static_cast<LPARAM>(-1));
}

LONG CMainChatDlg::CallEnrollToSendMessages(LONG nSendInfo) {
    if (m_status.m_bEnrolled) {
        SubscribeNeededGroupCaches();
        return Enroll(nSendInfo) ? 1 : 0;
    }
    // Before the start the new values simply go with the first enrollment.
    return m_status.m_bStarted ? 0 : 1;
}

LONG CMainChatDlg::SetRosters(DWORD dwRoster) {
    Trace(L"/**** CMainChatDlg::SetRosters enter: dwRoster=%d, dwOldRoster=%d  ****/", dwRoster,
          m_own.m_dwRoles);
    if (dwRoster == m_own.m_dwRoles) return -1;
    const DWORD dwOld = m_own.m_dwRoles, dwOldPrev = m_own.m_dwPrevRoles;
    m_own.SetRoles(dwRoster);
    if (CallEnrollToSendMessages(0)) {
        Trace(L"/==== CMainChatDlg::SetRosters exit ====/");
        return 1;
    }
    m_own.m_dwRoles = dwOld;
    m_own.m_dwPrevRoles = dwOldPrev;
    SubscribeNeededGroupCaches();
    return -1;
}

void CMainChatDlg::Cleanup() {
    Trace(L"/**** CMainChatDlg::Cleanup(): m_hWnd=%d, m_apeHandle=%d, m_confiHandle=%d ****/",
          PointerValue(m_hWnd), m_status.m_apeHandle, m_conn.m_confiHandle);
    // Copies still waiting for an own item are written while the cache can still take them.
    if (m_status.m_apeHandle) WriteHistoryCopies(m_support.m_copyQueue.TakeAll());
    if (IArmNodeController* pArmNC = m_status.m_pArmNC) {
        if (m_status.m_apeHandle) {
            pArmNC->DetachApe(m_status.m_apeHandle);
            m_status.m_apeHandle = 0;
        }
        pArmNC->LeaveConference(0, m_conn.m_confiHandle, m_sinks.Conference());
        pArmNC->Disconnect(m_sinks.Controller(), kDisconnectByUser);
        // Release drops every undelivered callback, so none reaches the engine afterwards.
        pArmNC->Release();
        m_status.m_pArmNC = nullptr;
    }
    m_HistoryRoster.clear();
    ClearFAQList();
    StopEngineTimers();
    ResetAttachment();
    DestroyNoticeWindow();
    // The fonts and the brush stay: the dialog's controls use them for as long as the window
    // lives, and the window goes only with its own destruction.
    Trace(L"/==== CMainChatDlg::Cleanup() : end ====/");
}

void CMainChatDlg::ResetAttachment() {
    // Everything the ended attachment learnt from the conference: a later start (a new window
    // of this instance) asks for names, the chat status and the subscriptions afresh.
    m_status.m_bEnrolled = FALSE;
    m_status.m_bSendReady = FALSE;
    m_status.m_bChatStatusKnown = FALSE;
    m_status.m_bAwaitingChatStatus = FALSE;
    m_status.m_bChatStatusFailed = FALSE;
    m_status.m_apeHandle = 0;
    m_status.m_dwCacheNumber = 0;
    m_status.m_bAllCachesAllocated = FALSE;
    m_status.m_bInRecovery = FALSE;
    m_status.m_dwUserInfoCacheHandle = 0;
    m_caches = ChatCacheState();
    m_support.m_copyQueue = CHistoryCopyQueue();
    for (int i = 0; i < m_CacheGroups.GetCount(); ++i) {
        if (CUsersGroup* pGroup = m_CacheGroups.GetAt(i)) {
            pGroup->m_CacheEntity = ChatCacheEntity();
            pGroup->m_bSubscribed = FALSE;
            pGroup->m_lSubscribedAction = 0;
            pGroup->m_bNeeded = FALSE;
        }
    }
    // A recovery the close interrupted ends here, its items with it; a new window's list is
    // empty, so the new attachment reads back what the feature word asks for.
    m_recovery.Reset();
    m_dwLastGroupCacheId = 0;
    m_HistoryTransfers.clear();
    const DWORD dwFeature = m_features.m_dwFeature1;
    m_features.m_bNeedRecovery = (dwFeature & QXCHAT_FEATURE_RECOVERY) != 0;
    m_features.m_bCustomerHistory = (dwFeature & QXCHAT_FEATURE_CUSTOMER_HISTORY) != 0;
    m_features.m_bHoldTransfer = m_features.m_bCustomerHistory;
}
