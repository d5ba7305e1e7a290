// CMainChatDlg, engine side: a message leaves. A group message is written into its group's
// cache and shown when the cache's notification comes back; a private message goes straight to
// its receiver and is shown here at once. Also the typing indications this user sends, and the
// event records of the customer-support parent window.
#include "window/MainChatDlg.h"

#include "engine/EventRecords.h"
#include "engine/MemoryBlock.h"
#include "engine/SendOption.h"
#include "module/ModuleState.h"
#include "pdu/GroupMessagePDU.h"
#include "pdu/PrivateMessagePDU.h"
#include "pdu/StringConverter.h"
#include "pdu/TypingIndicatorPDU.h"
#include "qxchat.h"
#include "resources/resource.h"
#include "trace/Trace.h"

#include <ctime>
#include <new>
#include <string>

namespace {

const wchar_t* TextOrNull(const wchar_t* lpsz) {
    return lpsz ? lpsz : L"NULL";
}

std::wstring OwnName(const COwnUserItem& own) {
    return own.GetOwnName() ? own.GetOwnName() : L"";
}

LONG Now() {
    return static_cast<LONG>(time(nullptr));
}

} // namespace

DWORD CMainChatDlg::GetSendOption(DWORD id, BOOL bGroup, BOOL bGroupMessage, BOOL bRecordable,
                                  BOOL bRecordCopy) const {
    QxSendOptionContext context;
    context.dwFeature1 = m_features.m_dwFeature1;
    context.dwNBRStatus = m_recording.m_dwNBRStatus;
    context.dwNBROption = m_recording.m_dwNBROption;
    return QxGetSendOption(context, id, bGroup != FALSE, bGroupMessage != FALSE, bRecordable != FALSE,
                           bRecordCopy != FALSE);
}

LRESULT CMainChatDlg::OnSend() {
    SendInput();
    // The caret goes back to the input box whatever came of the send, but only once the message
    // has left: taking the focus is a round trip through the window system.
    FocusInput();
    return 0;
}

void CMainChatDlg::SendInput() {
    if (!m_status.m_bEnrolled || !m_status.m_pArmNC || !SendButtonEnabled()) return;
    if (!SendingAllowed() || m_host.m_lInputPermission != 1 || !HasInput()) return;

    const std::wstring strRaw = InputText();
    if (strRaw.empty()) return;
    if (m_status.m_bInputPromptShown && strRaw == QxLoadString(IDS_INPUT_PROMPT)) return;
    const std::wstring strText = QxPrepareOutgoingText(strRaw);

    const int nSelected = SelectedRecipientIndex();
    const ChatItemData* pData = nSelected >= 0 ? RecipientEntry(nSelected) : nullptr;
    if (!pData) return;
    BOOL bSent = FALSE;
    if (pData->Kind() == CHAT_KIND_USER)
        bSent = SendPrivateMessage(pData->UserId(), strText);
    else if (pData->Kind() == CHAT_KIND_GROUP)
        bSent = SendPublicMessage(static_cast<DWORD>(pData->GroupId()), strText);
    else
        return;
    if (!bSent) return;

    if (m_bFirstSend) {
        SendIdentityEvent(CHAT_EVENT_FIRST_SEND);
        m_bFirstSend = FALSE;
    }
    if (m_features.m_dwFeature1 & QXCHAT_FEATURE_EVENT_LOG) {
        const std::wstring strTo = RecipientEntryText(nSelected);
        EventLoggingInfo(m_own.GetOwnName(), strTo.c_str(), strText.c_str());
    }
    if (m_typingSender.TimerRunning() && HasWindow()) KillTimer(m_hWnd, TYPING_SEND_TIMER);
    m_typingSender.Reset();
    ClearInput();
}

BOOL CMainChatDlg::SendPrivateMessage(DWORD ReceiverId, const std::wstring& strMessage) {
    std::unique_ptr<CPrivateMessagePDU> pPdu(new (std::nothrow) CPrivateMessagePDU());
    if (!pPdu) return FALSE;
    pPdu->SetSenderName(CStringConverter::ToUtf8(OwnName(m_own)));
    if (const wchar_t* lpszReceiver = m_users.GetNameByUserId(ReceiverId))
        pPdu->SetReceiverName(CStringConverter::ToUtf8(lpszReceiver));
    pPdu->SetRecId(ReceiverId);
    pPdu->SetSendId(m_own.m_dwOwnUserId);
    pPdu->SetMessageText(CStringConverter::ToUtf8(strMessage));
    pPdu->SetMessageId(NextPrivateMessageId());
    pPdu->SetSenderCopies(m_caches.m_CustomerCacheHandle != 0);
    if (!pPdu->GenerateXMLPDU()) return FALSE;
    const std::string strText = pPdu->GetXMLText();
    QxSendOption option = {m_status.m_apeHandle, GetSendOption(ReceiverId, FALSE, TRUE, TRUE, TRUE)};
    int nRet = ARM_ERROR_INVALID_STATE;
    if (m_status.m_pArmNC) {
        m_status.m_pArmNC->SetSendOption(QXNC_OPTION_NEXT_SEND, &option);
        nRet = m_status.m_pArmNC->SendData(m_status.m_apeHandle, ReceiverId, 1,
                                           reinterpret_cast<const BYTE*>(strText.data()),
                                           static_cast<DWORD>(strText.size()), 1, 1);
    }
    if (nRet != ARM_OK) {
        // Not delivered: not shown as if it were, and the text stays for another try.
        Trace(L"Fail: CMainChatDlg::SendPrivateMessage: SendData to %d returned %d", ReceiverId, nRet);
        ShowNoticeInList(QxLoadString(IDS_SEND_FAILED));
        return FALSE;
    }
    if (m_caches.m_CustomerCacheHandle) SendCopyToCustomerCache(pPdu.get());
    ParseAndShowPrivateMessages(pPdu.get());
    return TRUE;
}

BOOL CMainChatDlg::SendPublicMessage(DWORD dwGroupId, const std::wstring& strMessage) {
    std::unique_ptr<CGroupMessagePDU> pPdu(new (std::nothrow) CGroupMessagePDU());
    if (!pPdu) return FALSE;
    pPdu->SetSenderName(CStringConverter::ToUtf8(OwnName(m_own)));
    if (const CUsersGroup* pGroup = m_users.Groups().FindById(static_cast<int>(dwGroupId)))
        pPdu->SetReceiverName(CStringConverter::ToUtf8(pGroup->m_strName));
    pPdu->SetSendId(m_own.m_dwOwnUserId);
    pPdu->SetSendNodeId(m_own.m_dwOwnNodeId);
    pPdu->SetGroupId(dwGroupId);
    pPdu->SetMessageText(CStringConverter::ToUtf8(strMessage));
    pPdu->SetSenderCopies(SenderCopiesGroupMessage(dwGroupId) != FALSE);
    if (!pPdu->GenerateXMLPDU()) return FALSE;
    const std::string strText = pPdu->GetXMLText();
    const DWORD dwSendOption = GetSendOption(dwGroupId, TRUE, TRUE, TRUE, TRUE);
    const DWORD dwHandle = GetGroupCacheHandle(dwGroupId);
    if (!dwHandle) {
        Trace(L"/---- CMainChatDlg::OnSend Get Grouop Cache handle Failed ----/");
        return FALSE;
    }
    // The handle comes before the chat status, and until that status is known no one, the
    // sender included, is subscribed: the message would be stored but never shown.
    if (!m_status.m_bChatStatusKnown) {
        Trace(L"/---- CMainChatDlg::SendPublicMessage: the chat status is not known yet, nothing sent ----/");
        return FALSE;
    }
    CMemoryBlock block(strText.data(), static_cast<DWORD>(strText.size()));
    if (!block.Get()) {
        Trace(L"Fail: CMainChatDlg::SendPublicMessage: no memory block for %d bytes",
              static_cast<int>(strText.size()));
        ShowNoticeInList(QxLoadString(IDS_SEND_FAILED));
        return FALSE;
    }
    CUsersGroup* pCacheGroup = FindCacheGroup(dwGroupId);
    if (pCacheGroup && pCacheGroup->m_bSubscriptionPending) {
        SendGroupInfoToCache(dwGroupId, CStringConverter::ToUtf8(pCacheGroup->m_strName));
        pCacheGroup->m_bSubscriptionPending = FALSE;
    }
    int nRet = ARM_ERROR_INVALID_STATE;
    if (m_status.m_pArmNC)
        nRet = m_status.m_pArmNC->CacheSet(m_status.m_apeHandle, dwHandle, 0, 0, QXNC_CACHE_APPEND,
                                           dwSendOption, block.Get(), 0, 1);
    block.Release();
    Trace(L"/---- CMainChatDlg::SendPublicMessage Exit: m_hWnd=%d, m_apeHandle=%d, dwSendOption=%d, nRet=%d "
          L"----/",
          static_cast<int>(reinterpret_cast<INT_PTR>(m_hWnd)), m_status.m_apeHandle, dwSendOption, nRet);
    if (nRet != ARM_OK) {
        // Nothing was written, so nothing will come back: the text stays for another try.
        Trace(L"Fail: CMainChatDlg::SendPublicMessage: CacheSet to group %d returned %d", dwGroupId, nRet);
        ShowNoticeInList(QxLoadString(IDS_SEND_FAILED));
        return FALSE;
    }
    if (pPdu->SenderCopies()) m_support.m_copyQueue.AwaitGroupItem(dwHandle);
    return TRUE;
}

void CMainChatDlg::SendCopyToCustomerCache(CChatXMLPDU* pPdu) {
    if (!pPdu || !m_caches.m_CustomerCacheHandle || !m_status.m_pArmNC) return;
    // Behind the copy of an own group message that has not come back yet, if any.
    WriteHistoryCopies(m_support.m_copyQueue.Write(pPdu->GetXMLText()));
}

int CMainChatDlg::ParticipantCountForTyping() const {
    return m_users.GetCount();
}

void CMainChatDlg::OnInputTextChanged() {
    if (!(m_features.m_dwFeature1 & QXCHAT_FEATURE_TYPING) || !HasInput()) return;
    if (ParticipantCountForTyping() > m_features.m_lTypingUserLimit) return;
    const bool bWasRunning = m_typingSender.TimerRunning();
    const CTypingSender::Step step = m_typingSender.OnTextChanged(InputLength());
    if (step.bSendNow) SendTypingIndicatorPDU();
    if (step.bStartTimer && !bWasRunning && HasWindow())
        SetTimer(m_hWnd, TYPING_SEND_TIMER, TYPING_SEND_MS, nullptr);
}

void CMainChatDlg::SendTypingIndicatorPDU() {
    if (!RecipientBoxExists()) return;
    const ChatItemData* pData = SelectedRecipient();
    if (!pData) return;
    const int nCount = ParticipantCountForTyping();
    const LONG lLimit = m_features.m_lTypingUserLimit;
    if (pData->Kind() == CHAT_KIND_USER) {
        SendEachTypingIndicatorPDU(pData->UserId());
    } else if (pData->Kind() == CHAT_KIND_GROUP && nCount != 0 && nCount <= lLimit) {
        for (int i = 0; i < m_users.GetCount(); ++i)
            if (const CUserItem* pUser = m_users.GetAt(i)) SendEachTypingIndicatorPDU(pUser->m_dwUserId);
    }
    Trace(L"/==== CMainChatDlg::SendTypingIndicatorPDU  %d %d ====/", nCount, lLimit);
}

void CMainChatDlg::SendEachTypingIndicatorPDU(DWORD dwUserId) {
    if (!dwUserId || dwUserId == m_own.m_dwOwnUserId || !m_status.m_pArmNC) return;
    CTypingIndicatorPDU pdu;
    pdu.SetRecId(dwUserId);
    pdu.SetSendId(m_own.m_dwOwnNodeId); // a node id: the receiver shows nodes as typing
    if (!pdu.GenerateXMLPDU()) return;
    const std::string strText = pdu.GetXMLText();
    m_status.m_pArmNC->SendData(m_status.m_apeHandle, dwUserId, 1,
                                reinterpret_cast<const BYTE*>(strText.data()),
                                static_cast<DWORD>(strText.size()), 1, 1);
}

void CMainChatDlg::SendEventRecord(WPARAM wCode, LPARAM lRecord) {
    if (m_notify.m_hSCParentWnd) SendMessageW(m_notify.m_hSCParentWnd, WM_CHAT_EVENT_LOG, wCode, lRecord);
}

void CMainChatDlg::SendIdentityEvent(WPARAM wCode) {
    if (!(m_features.m_dwFeature1 & QXCHAT_FEATURE_EVENT_LOG)) return;
    CChatEventIdentity identity(OwnName(m_own), Now());
    SendEventRecord(wCode, reinterpret_cast<LPARAM>(identity.Get()));
}

BOOL CMainChatDlg::EventLoggingInfo(const wchar_t* FromName, const wchar_t* ToName, const wchar_t* ChatText) {
    Trace(L"CMainChatDlg::EventLoggingInfo:----FromName:%s, ToName:%s, ChatText:%s", TextOrNull(FromName),
          TextOrNull(ToName), TextOrNull(ChatText));
    if (!(m_features.m_dwFeature1 & QXCHAT_FEATURE_EVENT_LOG) || !FromName) return FALSE;
    CChatEventMessage record(FromName, ToName ? ToName : L"", ChatText ? ChatText : L"", Now());
    const BOOL bSent = m_notify.m_hSCParentWnd != nullptr;
    SendEventRecord(CHAT_EVENT_MESSAGE, reinterpret_cast<LPARAM>(record.Get()));
    Trace(L"CMainChatDlg::EventLoggingInfo end, ret= %d", bSent);
    return bSent;
}

void CMainChatDlg::OnDialogDestroy() {
    SendIdentityEvent(CHAT_EVENT_CLOSE);
    StopEngineTimers();
}

void CMainChatDlg::StopEngineTimers() {
    if (HasWindow()) {
        if (m_typingSender.TimerRunning()) KillTimer(m_hWnd, TYPING_SEND_TIMER);
        if (m_bExpireTimer) KillTimer(m_hWnd, TYPING_EXPIRE_TIMER);
        if (m_bRecoveryTimer) KillTimer(m_hWnd, RECOVERY_TIMEOUT_TIMER);
        if (m_bChatStatusTimer) KillTimer(m_hWnd, CHAT_STATUS_TIMER);
    }
    m_typingSender.Reset();
    m_bExpireTimer = FALSE;
    m_bRecoveryTimer = FALSE;
    m_bChatStatusTimer = FALSE;
}

BOOL CMainChatDlg::OnEngineTimer(UINT_PTR nId) {
    switch (nId) {
    case TYPING_SEND_TIMER:
        if (m_typingSender.OnSendTimer()) SendTypingIndicatorPDU();
        return TRUE;
    case TYPING_EXPIRE_TIMER:
        for (const CTypingList::Notice& notice : m_typingList.Expire())
            SendMessageToService(WM_CHAT_TYPING, notice.dwNode, notice.lState);
        return TRUE;
    case RECOVERY_TIMEOUT_TIMER: OnRecoveryTimeout(); return TRUE;
    case CHAT_STATUS_TIMER:
        FailChatStatus(L"the chat status did not come within " + std::to_wstring(m_uChatStatusTimeoutMs) +
                       L" ms");
        return TRUE;
    default: return FALSE;
    }
}
