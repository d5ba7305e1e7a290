// CMainChatDlg, engine side: telling the user and the host that the chat cannot be used, and the
// bounded wait for the chat status that decides whether it can.
#include "window/MainChatDlg.h"

#include "module/ModuleState.h"
#include "qxchat.h"
#include "resources/resource.h"
#include "trace/Trace.h"
#include "window/DateTimeText.h"
#include "window/MessageContainer.h"
#include "window/MessageWindow.h"

namespace {

constexpr DWORD kPlainNotice = 2; // a notice line of the list, neither highlighted nor in the strip

} // namespace

void CMainChatDlg::ShowNoticeInList(const std::wstring& strText) {
    CMessageWindow* pList = MessageList();
    if (!pList || strText.empty()) return;
    const QxDateTimeText when = QxGetCurrentDateTime();
    pList->ShowNotice(kPlainNotice, strText, when.strDate, when.strTime);
}

void CMainChatDlg::ReportChatUnavailable(const wchar_t* lpszReason, UINT uNoticeId) {
    Trace(L"Fail: CMainChatDlg::ReportChatUnavailable: %s", lpszReason ? lpszReason : L"NULL");
    ShowNoticeInList(QxLoadString(uNoticeId ? uNoticeId : IDS_CHAT_UNAVAILABLE));
    if (m_features.m_dwFeature1 & QXCHAT_FEATURE_ENROLL_FEEDBACK)
        SendMessageToService(WM_CHAT_NOTIFY_TO_SERVICE, QXCHAT_NOTIFY_ENROLL, static_cast<LPARAM>(-1));
}

void CMainChatDlg::FailChatStatus(const std::wstring& strReason) {
    StopChatStatusTimer();
    if (m_status.m_bChatStatusKnown || m_status.m_bChatStatusFailed) return;
    // Group sends stay refused: nothing is subscribed, so nothing sent could be shown.
    m_status.m_bChatStatusFailed = TRUE;
    ReportChatUnavailable(strReason.c_str());
}

void CMainChatDlg::StartChatStatusTimer() {
    if (!HasWindow() || m_bChatStatusTimer) return;
    SetTimer(m_hWnd, CHAT_STATUS_TIMER, m_uChatStatusTimeoutMs, nullptr);
    m_bChatStatusTimer = TRUE;
}

void CMainChatDlg::StopChatStatusTimer() {
    if (m_bChatStatusTimer && HasWindow()) KillTimer(m_hWnd, CHAT_STATUS_TIMER);
    m_bChatStatusTimer = FALSE;
}
