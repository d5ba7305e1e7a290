// CMainChatDlg, engine side: transfer messages, the typed sub-messages that the host injects.
// One is shown here, sent to a user or a group, or passed on as an ordinary chat message. While
// the customer's history is awaited they are held, and what the history already holds is
// neither shown nor sent again.
#include "window/MainChatDlg.h"

#include "engine/TransferRules.h"
#include "pdu/Decimal.h"
#include "pdu/StringConverter.h"
#include "pdu/TransferMessagePDU.h"
#include "qxchat.h"
#include "trace/Trace.h"
#include "window/DateTimeText.h"
#include "window/MessageContainer.h"
#include "window/MessageWindow.h"

#include <new>

LONG CMainChatDlg::TransferMessages(DWORD dwType, DWORD dwTargetID, DWORD dwOption,
                                    const wchar_t* lpszMessage) {
    if (!lpszMessage) return 0;
    const std::wstring strMessage(lpszMessage);
    // Shown but never sent nor kept would be a half-done transfer: one too long for a PDU (its
    // plain-text types grow by their escapes) is refused whole.
    CTransferMessagePDU probe;
    probe.SetSendId(m_own.m_dwOwnUserId);
    probe.SetRecId(dwTargetID);
    probe.SetSubType(dwType);
    probe.SetOption(dwOption);
    probe.SetMessageText(CStringConverter::ToUtf8(strMessage));
    const size_t nBytes = probe.GenerateXMLPDU() ? probe.GetXMLText().size() : 0;
    if (!nBytes || !QxTransferPDUFits(nBytes)) {
        Trace(L"Fail: CMainChatDlg::TransferMessages: the message does not fit a PDU, %u bytes",
              static_cast<unsigned>(nBytes));
        return 0;
    }
    const TransferPlan plan = QxPlanTransfer(dwType, dwOption);
    if (plan.bSwitchOffStrip) SwitchOffIndication();
    // Whatever the host names as target, these go to the local user itself (target 0).
    switch (plan.step) {
    case TRANSFER_SHOW_AND_SEND:
        if (m_features.m_bHoldTransfer)
            return BufferTransferMessage(dwType, dwTargetID, dwOption, strMessage);
        ShowTransferMessage(strMessage, dwType, TRUE);
        SendTransferMessage(dwType, 0, dwOption, strMessage);
        return 0;
    case TRANSFER_SEND_ONLY: SendTransferMessage(dwType, 0, dwOption, strMessage); return 0;
    case TRANSFER_PRIVATE_CHAT: return SendPrivateMessage(dwTargetID, strMessage);
    case TRANSFER_GROUP_CHAT: return SendPublicMessage(dwTargetID, strMessage);
    case TRANSFER_NOTHING: break;
    }
    return 0;
}

int CMainChatDlg::BufferTransferMessage(DWORD dwType, DWORD dwTargetID, DWORD dwOption,
                                        const std::wstring& strMessage) {
    Trace(L"CMainChatDlg::BufferTransferMessage, strMessage=%s", strMessage.c_str());
    std::unique_ptr<CTransferMessagePDU> pPdu(new (std::nothrow) CTransferMessagePDU());
    if (!pPdu) return 1;
    pPdu->SetSubType(dwType);
    pPdu->SetOption(dwOption);
    pPdu->SetRecId(dwTargetID);
    pPdu->SetMessageText(CStringConverter::ToUtf8(strMessage));
    if (!pPdu->GenerateXMLPDU()) return 1;
    m_support.m_HeldTransfers.push_back(std::move(pPdu));
    return 0;
}

int CMainChatDlg::HandleBufferTransferMessages() {
    if (m_features.m_bHoldTransfer) return 0;
    std::vector<std::unique_ptr<CTransferMessagePDU>> held;
    held.swap(m_support.m_HeldTransfers);
    for (const std::unique_ptr<CTransferMessagePDU>& pPdu : held) {
        const std::wstring strMessage = CStringConverter::FromUtf8(pPdu->GetMessageText());
        const DWORD dwType = pPdu->GetSubType();
        if (ShowTransferMessage(strMessage, dwType, TRUE) == 0 && QxTransferSentWhenReleased(dwType))
            SendTransferMessage(dwType, 0, DwordFromDecimal(pPdu->GetOption()), strMessage);
    }
    return 0;
}

int CMainChatDlg::ShowTransferMessage(const std::wstring& strMessage, DWORD dwType, BOOL bCopy) {
    if (!IsNewTransferMessage(strMessage, dwType)) return 1;
    AddTransferMessage(strMessage, dwType);
    if (bCopy && QxTransferCopiedToHistory(dwType)) {
        CTransferMessagePDU pdu;
        pdu.SetSendId(m_own.m_dwOwnUserId);
        pdu.SetRecId(0);
        pdu.SetSubType(dwType);
        pdu.SetMessageText(CStringConverter::ToUtf8(strMessage));
        if (pdu.GenerateXMLPDU()) SendCopyToCustomerCache(&pdu);
    }
    return 0;
}

BOOL CMainChatDlg::IsNewTransferMessage(const std::wstring& strMessage, DWORD dwType) const {
    std::vector<TransferHistoryEntry> history;
    history.reserve(m_HistoryTransfers.size());
    for (const std::unique_ptr<CTransferMessagePDU>& pPdu : m_HistoryTransfers)
        history.push_back({pPdu->GetSubType(), CStringConverter::FromUtf8(pPdu->GetMessageText())});
    return QxIsNewTransferMessage(strMessage, dwType, history);
}

void CMainChatDlg::AddTransferMessage(const std::wstring& strMessage, DWORD dwSubtype) {
    Trace(L"CMainChatDlg::AddTransferMessage: strMsgContents=%s, dwSubtype=%d", strMessage.c_str(),
          dwSubtype);
    CMessageWindow* pList = MessageList();
    if (!pList) return;
    const QxDateTimeText when = QxGetCurrentDateTime();
    pList->ShowNotice(dwSubtype, strMessage, when.strDate, when.strTime);
}

BOOL CMainChatDlg::SendTransferMessage(DWORD dwType, DWORD dwTargetID, DWORD dwOption,
                                       const std::wstring& strMessage) {
    IArmNodeController* pArmNC = m_status.m_pArmNC;
    if (!pArmNC || !QxTransferMaySend(dwType, dwOption)) return FALSE;
    Trace(L"/---- CMainChatDlg::SendTransferMessage Enter ----/");
    CTransferMessagePDU pdu;
    pdu.SetSendId(m_own.m_dwOwnUserId);
    pdu.SetRecId(dwTargetID);
    pdu.SetSubType(dwType);
    pdu.SetMessageText(CStringConverter::ToUtf8(strMessage));
    if (!pdu.GenerateXMLPDU()) return FALSE;
    const std::string strText = pdu.GetXMLText();
    const BOOL bGroupMessage = (dwOption & QXCHAT_TRANSFER_SEND) != 0;
    const BOOL bRecordable = (dwOption & QXCHAT_TRANSFER_RECORDABLE) != 0;
    const BOOL bRecordCopy = (dwOption & QXCHAT_TRANSFER_RECORD_COPY) != 0;
    if (!QxIsGroupID(dwTargetID)) {
        Trace(L"/---- CMainChatDlg::SendTransferMessage: !IsGroupID, dwOption = %d ----/", dwOption);
        const DWORD dwUserId = dwTargetID == 0 ? m_own.m_dwOwnUserId : m_users.GetUserIdByNodeId(dwTargetID);
        if (!dwUserId) {
            Trace(L"/---- CMainChatDlg::SendTransferMessage: dwUserId ----/");
            return FALSE;
        }
        const DWORD dwBase = GetSendOption(dwTargetID, FALSE, bGroupMessage, bRecordable, bRecordCopy);
        QxSendOption option = {m_status.m_apeHandle,
                               QxTransferSendOption(dwBase, dwTargetID, dwOption, false)};
        pArmNC->SetSendOption(QXNC_OPTION_NEXT_SEND, &option);
        pArmNC->SendData(m_status.m_apeHandle, dwUserId, 1, reinterpret_cast<const BYTE*>(strText.data()),
                         static_cast<DWORD>(strText.size()), 1, 1);
    } else {
        const DWORD dwCacheHandle = GetGroupCacheHandle(dwTargetID);
        if (!dwCacheHandle) {
            Trace(L"CMainChatDlg::SendTransferMessage: !dwGroupCacheHandle");
            return FALSE;
        }
        const DWORD dwBase = GetSendOption(dwTargetID, TRUE, bGroupMessage, bRecordable, bRecordCopy);
        const DWORD dwSendOption = QxTransferSendOption(dwBase, dwTargetID, dwOption, true);
        WriteCache(dwCacheHandle, QXNC_CACHE_APPEND, dwSendOption, strText.data(),
                   static_cast<DWORD>(strText.size()));
        Trace(L" OPTION: CMainChatDlg::SendTransferMessage dwSendOption = %d", dwSendOption);
    }
    Trace(L"/==== CMainChatDlg::SendTransferMessage Exit ====/");
    return TRUE;
}

int CMainChatDlg::HandleReceivedTransferMessage(const CTransferMessagePDU& pdu, DWORD entity_id) {
    // A transfer the local user sent to itself travels for the server's records; it was shown,
    // if at all, when it was sent.
    const DWORD dwSender = DwordFromDecimal(pdu.GetSendId());
    const bool bOwn = dwSender != 0 && dwSender == m_own.m_dwOwnUserId;
    if (entity_id == 0 && bOwn) return 0;
    // A group's transfer reaches everyone in the group: its sender alone copies it into the
    // customer's history.
    const BOOL bCopy = entity_id == 0 || bOwn;
    ShowTransferMessage(CStringConverter::FromUtf8(pdu.GetMessageText()), pdu.GetSubType(), bCopy);
    return 0;
}
