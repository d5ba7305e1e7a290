// CMainChatDlg, engine side: the customer's history as its writers and readers keep it (the
// rule is in engine/CustomerHistory.h).
#include "window/MainChatDlg.h"

#include "engine/CustomerHistory.h"
#include "engine/SendOption.h"
#include "pdu/GroupMessagePDU.h"
#include "pdu/PrivateMessagePDU.h"
#include "qxnodectl.h"
#include "trace/Trace.h"

#include <ctime>

std::string CMainChatDlg::NextPrivateMessageId() {
    if (!m_support.m_dwMessageStart) m_support.m_dwMessageStart = static_cast<DWORD>(time(nullptr));
    return QxMakeMessageId(m_own.m_dwOwnNodeId, m_support.m_dwMessageStart, ++m_support.m_dwMessageSerial);
}

BOOL CMainChatDlg::SenderCopiesGroupMessage(DWORD dwGroupId) const {
    // Only a sender that will see its own item come back can promise to copy it.
    const CUsersGroup* pGroup = FindCacheGroup(dwGroupId);
    return m_caches.m_CustomerCacheHandle && pGroup && pGroup->m_bSubscribed &&
           (pGroup->m_lSubscribedAction == static_cast<LONG>(QXNC_CACHE_SUBSCRIBE) ||
            pGroup->m_lSubscribedAction == static_cast<LONG>(QXNC_CACHE_SUBSCRIBE_READ));
}

void CMainChatDlg::CopyGroupItemToHistory(const CGroupMessagePDU& pdu, DWORD cache_id) {
    if (!m_caches.m_CustomerCacheHandle) return;
    const bool bOwn = pdu.GetSendId() == m_own.m_dwOwnUserId &&
                      (pdu.GetSendNodeId() == 0 || pdu.GetSendNodeId() == m_own.m_dwOwnNodeId);
    if (!QxCopiesGroupItem(pdu.SenderCopies(), bOwn)) return;
    CGroupMessagePDU copy;
    copy.SetSendId(pdu.GetSendId());
    copy.SetSenderName(pdu.GetSenderName());
    copy.SetGroupId(pdu.GetGroupId());
    copy.SetReceiverName(pdu.GetReceiverName());
    copy.SetMessageText(pdu.GetMessageText());
    copy.SetGroupCacheId(cache_id);
    if (!copy.GenerateXMLPDU()) {
        Trace(L"CMainChatDlg::HandleGroupMessage: !bRet");
        return;
    }
    // The own item's copy releases what this participant said after it; another sender's item
    // came back before any own item still awaited in its cache, so it is written at once.
    if (bOwn && pdu.SenderCopies())
        WriteHistoryCopies(
            m_support.m_copyQueue.GroupItemBack(GetGroupCacheHandle(pdu.GetGroupId()), copy.GetXMLText()));
    else
        WriteHistoryCopies({copy.GetXMLText()});
}

void CMainChatDlg::WriteHistoryCopies(const std::vector<std::string>& copies) {
    for (const std::string& strText : copies) {
        if (!m_caches.m_CustomerCacheHandle || !m_status.m_pArmNC) return;
        WriteCache(m_caches.m_CustomerCacheHandle, QXNC_CACHE_APPEND, QX_CUSTOMER_COPY_OPTION, strText.data(),
                   static_cast<DWORD>(strText.size()));
        Trace(L" OPTION: CMainChatDlg::SendCopyToCustomerCache dwSendOption = %d ", QX_CUSTOMER_COPY_OPTION);
    }
}

void CMainChatDlg::GiveUpGroupItems(DWORD dwCacheHandle) {
    if (dwCacheHandle) WriteHistoryCopies(m_support.m_copyQueue.GiveUp(dwCacheHandle));
}

BOOL CMainChatDlg::AdmitHistoryPrivateMessage(const CPrivateMessagePDU& pdu) {
    return m_support.m_historyFilter.Admit(pdu.GetSendId(), pdu.GetRecId(), pdu.GetMessageId(),
                                           pdu.GetMessageText());
}
