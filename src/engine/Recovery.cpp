// CMainChatDlg, engine side: reading the conversation back. A recovery reads group caches (the
// everyone group's, the customer-support groups', and with stored-item subscriptions every group
// subscribed so), collects their group messages together with any live ones that arrive
// meanwhile, and shows them in cache-id order once every accepted read has sent its last item,
// or when the recovery timer runs out. The customer history is the customer cache read in full.
#include "window/MainChatDlg.h"

#include "pdu/GroupMessagePDU.h"
#include "pdu/PrivateMessagePDU.h"
#include "pdu/StringConverter.h"
#include "engine/TransferRules.h"
#include "pdu/TransferMessagePDU.h"
#include "qxchat.h"
#include "trace/Trace.h"
#include "window/MessageContainer.h"

#include <mmsystem.h>
#include <memory>
#include <new>

BOOL CMainChatDlg::ProcessRecovery(BOOL bGetAllHistory) {
    Trace(L"/---- ProcessRecovery Start dwStartTime = %d, bGetAllHistory=%d, m_bNeedRecovery=%d ----/",
          timeGetTime(), bGetAllHistory, m_features.m_bNeedRecovery);
    if (!bGetAllHistory && !m_features.m_bNeedRecovery) return FALSE;
    RequestHistoryUserRoster();
    RequestRecoveryRead(CHAT_ALL_USERS_ROLE_GROUP);
    RequestRecoveryDataForSC();
    return TRUE;
}

BOOL CMainChatDlg::RequestRecoveryDataForSC() {
    if (m_own.IsSupporter()) {
        Trace(L"CMainChatDlg::RequestRecoveryDataForSC:m_OwnUserItem.IsSupporter()");
        RequestRecoveryRead(CHAT_ALL_HOST_PRESENTER_ROLE_GROUP);
    }
    if (m_own.IsCustomer()) {
        Trace(L"CMainChatDlg::RequestRecoveryDataForSC:m_OwnUserItem.IsCustomer()");
        RequestRecoveryRead(CHAT_PANELIST_ROLE_GROUP);
    }
    return TRUE;
}

BOOL CMainChatDlg::RequestRecoveryRead(DWORD dwGroupID) {
    // Only a read the controller accepted is answered, so only such a read is waited for.
    const CUsersGroup* pGroup = FindCacheGroup(dwGroupID);
    const bool bWasRead = pGroup && pGroup->m_bSubscribed && pGroup->m_lSubscribedAction == QXNC_CACHE_READ;
    SubscribeGroupCache(dwGroupID, QXNC_CACHE_READ);
    if (!pGroup || bWasRead || !pGroup->m_bSubscribed || pGroup->m_lSubscribedAction != QXNC_CACHE_READ)
        return FALSE;
    m_recovery.Expect(pGroup->m_CacheEntity.m_dwHandle);
    m_status.m_bInRecovery = TRUE;
    StartRecoveryTimer();
    return TRUE;
}

void CMainChatDlg::StartRecoveryTimer() {
    if (!HasWindow()) return;
    // Every accepted read and every item received is a sign of life: the recovery waits this
    // long after the last one, however long a large cache takes to arrive. The sign is only
    // noted here; the timer, set once, looks at it when it runs out (setting a timer per item
    // cost more than the item itself).
    m_dwRecoveryActivity = GetTickCount();
    if (!m_bRecoveryTimer)
        m_bRecoveryTimer = SetTimer(m_hWnd, RECOVERY_TIMEOUT_TIMER, m_uRecoveryTimeoutMs, nullptr) != 0;
}

void CMainChatDlg::StopRecoveryTimer() {
    if (m_bRecoveryTimer && HasWindow()) KillTimer(m_hWnd, RECOVERY_TIMEOUT_TIMER);
    m_bRecoveryTimer = FALSE;
}

void CMainChatDlg::OnRecoveryTimeout() {
    const DWORD dwQuiet = GetTickCount() - m_dwRecoveryActivity;
    if (m_status.m_bInRecovery && dwQuiet < m_uRecoveryTimeoutMs && HasWindow()) {
        SetTimer(m_hWnd, RECOVERY_TIMEOUT_TIMER, m_uRecoveryTimeoutMs - dwQuiet,
                 nullptr); // not yet quiet long enough
        return;
    }
    StopRecoveryTimer();
    if (!m_status.m_bInRecovery) return;
    Trace(
        L"/---- CMainChatDlg::OnRecoveryTimeout: %d answers did not come within %d ms, showing the %d items "
        L"collected ----/",
        m_recovery.Outstanding(), m_uRecoveryTimeoutMs, static_cast<int>(m_recovery.Count()));
    // Whatever those caches still send is shown as it comes (SharedDataReceivedEx).
    m_recovery.DropOutstanding();
    ParseAndShowRecoveryMessages();
}

int CMainChatDlg::HandleRecovery(DWORD cache_id, DWORD entity_id, const std::string& strText,
                                 DWORD cache_action, short result) {
    Trace(L"CMainChatDlg::HandleRecovery: cache_id=%d, entity_id=%d, cache_action=%d, result=%d, "
          L"m_nCountRecoveryCache=%d",
          cache_id, entity_id, cache_action, result, m_recovery.Outstanding());
    // Stored items (4, 5, 6) and live appends (1) alike: what is said during a recovery is
    // collected with it, so that it is neither lost nor shown twice.
    if (cache_action != QXNC_CACHE_APPEND && cache_action != QXNC_CACHE_ITEM_FIRST &&
        cache_action != QXNC_CACHE_ITEM_MORE && cache_action != QXNC_CACHE_ITEM_LAST)
        return 0;
    Trace(L"CMainChatDlg::HandleRecovery");
    if (cache_action == QXNC_CACHE_ITEM_LAST) m_recovery.Answered(entity_id);
    if (m_recovery.Outstanding() > 0) StartRecoveryTimer();
    // Cache ids count per cache, so the customer history's mark says nothing about this item;
    // what the history showed is recorded by cache and id.
    if (m_recovery.IsShown(entity_id, cache_id)) return 1;
    CGroupMessagePDU pdu;
    if (!pdu.ParseXMLPDU(strText)) {
        Trace(L"CMainChatDlg::HandleRecovery: !bRet");
        return 1;
    }
    // A live item that arrives during a recovery is copied as any live item is.
    pdu.SetGroupCacheId(cache_id);
    if (cache_action == QXNC_CACHE_APPEND) CopyGroupItemToHistory(pdu, cache_id);
    CRecoveryList::Item item;
    item.dwCacheHandle = entity_id;
    item.dwCacheId = cache_id;
    item.bParsed = true;
    item.message = CRecoveryList::FromPdu(pdu);
    m_recovery.Add(std::move(item), strText.size());
    if (m_recovery.IsFull()) {
        Trace(L"/---- CMainChatDlg::HandleRecovery: %d items, %d bytes collected, showing them now ----/",
              static_cast<int>(m_recovery.Count()), static_cast<int>(m_recovery.Bytes()));
        ShowRecoveryItems();
    }
    return 0;
}

int CMainChatDlg::ShowRecoveryItems() {
    std::deque<CRecoveryList::Item> items = m_recovery.TakeAll();
    // Recovered items were copied into the customer's history when they were said.
    CGroupMessagePDU pdu; // filled again for every kept item
    NotifyTargetCache notifyTarget;
    struct CacheScope {
        NotifyTargetCache*& pSlot;
        NotifyTargetCache* pOuter;
        ~CacheScope() { pSlot = pOuter; }
    } scope{m_pNotifyTargetCache, m_pNotifyTargetCache};
    if (!m_pNotifyTargetCache) m_pNotifyTargetCache = &notifyTarget;
    const int nCount = static_cast<int>(items.size());
    while (!items.empty()) {
        // What an item held is freed once it is shown: the list's entries for the next ones
        // take its place instead of memory the process has yet to touch.
        const CRecoveryList::Item item = std::move(items.front());
        items.pop_front();
        if (item.bParsed) {
            CRecoveryList::ToPdu(item.message, item.dwCacheId, pdu);
            ParseAndShowGroupMessages(&pdu, 0);
        } else {
            CGroupMessagePDU parsed;
            if (parsed.ParseXMLPDU(item.strText)) {
                parsed.SetGroupCacheId(item.dwCacheId);
                ParseAndShowGroupMessages(&parsed, 0);
            }
        }
    }
    return nCount;
}

void CMainChatDlg::ParseAndShowRecoveryMessages() {
    Trace(L"/**** CMainChatDlg::ParseAndShowRecoveryMessages Enter ****/");
    if (m_recovery.Outstanding() > 0) return;
    const int nCount = ShowRecoveryItems();
    m_status.m_bInRecovery = FALSE;
    StopRecoveryTimer();
    Trace(L"/==== CMainChatDlg::ParseAndShowRecoveryMessages Exit: dwCount=%d, dwEndTime=%d ====/", nCount,
          timeGetTime());
}

void CMainChatDlg::RequestCustomerHistory() {
    Trace(L"----- CMainChatDlg::RequestCustomerHistory: m_pArmNC=0x%x, "
          L"m_CustomerCacheHandle.handle_value=0x%x, "
          L"m_bNeedGetCustomerHistory=%d -----",
          static_cast<unsigned>(reinterpret_cast<UINT_PTR>(m_status.m_pArmNC)),
          m_caches.m_CustomerCacheHandle, m_features.m_bCustomerHistory);
    if (!m_features.m_bCustomerHistory) return;
    if (!m_status.m_pArmNC || !m_caches.m_CustomerCacheHandle) {
        m_features.m_bHoldTransfer = FALSE;
        HandleBufferTransferMessages();
        return;
    }
    const int nRet = m_status.m_pArmNC->CacheAction(m_status.m_apeHandle, m_caches.m_CustomerCacheHandle, 0,
                                                    QXNC_CACHE_READ, 255, m_sinks.SharedData());
    Trace(L"----- CMainChatDlg::RequestCustomerHistory nRet = %d -----", nRet);
    m_features.m_bCustomerHistory = FALSE;
}

int CMainChatDlg::HandleGetAllHistoryMessages(DWORD /*cache_id*/, DWORD /*entity_id*/,
                                              const std::string& strText) {
    SwitchOffIndication();
    CChatXMLPDU probe;
    switch (probe.GetPDUType(strText)) {
    case CChatXMLPDU::PDU_GROUP_MESSAGE: {
        CGroupMessagePDU pdu;
        if (!pdu.ParseLoaded(probe)) return 1;
        m_dwLastGroupCacheId = pdu.GetGroupCacheId();
        Trace(L"CMainChatDlg::HandleGetAllHistoryMessages: m_dwLastGroupCacheId=%d", m_dwLastGroupCacheId);
        // Every participant of the conversation copies what it shows, so the history can hold
        // one group message several times, and a recovery or a live item may have shown it
        // already: the copy names its group cache item, which is shown once.
        const DWORD dwHandle = GetGroupCacheHandle(pdu.GetGroupId());
        if (dwHandle && m_dwLastGroupCacheId && !m_recovery.MarkShown(dwHandle, m_dwLastGroupCacheId))
            return 0;
        ParseAndShowGroupMessages(&pdu, 0);
        return 0;
    }
    case CChatXMLPDU::PDU_PRIVATE_MESSAGE: {
        CPrivateMessagePDU pdu;
        if (!pdu.ParseLoaded(probe)) return 1;
        if (!AdmitHistoryPrivateMessage(pdu)) return 0;
        ParseAndShowPrivateMessages(&pdu);
        return 0;
    }
    case CChatXMLPDU::PDU_TRANSFER_MESSAGE: {
        std::unique_ptr<CTransferMessagePDU> pPdu(new (std::nothrow) CTransferMessagePDU());
        if (!pPdu || !pPdu->ParseLoaded(probe)) return 1;
        ShowTransferMessage(CStringConverter::FromUtf8(pPdu->GetMessageText()), pPdu->GetSubType(), FALSE);
        if (QxTransferKeptInHistory(pPdu->GetSubType())) m_HistoryTransfers.push_back(std::move(pPdu));
        return 0;
    }
    default: return 0;
    }
}
