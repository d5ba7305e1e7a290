// CMainChatDlg, engine side: where cache notifications and write confirmations go. The chat
// status answers decide the start-up, the customer cache carries the customer history, the
// user-info cache the names of former participants, and every other cache is a group cache whose
// items are messages, shown live or collected by a recovery.
#include "window/MainChatDlg.h"

#include "pdu/PDUInputGuard.h"
#include "qxchat.h"
#include "trace/Trace.h"

#include <string>

namespace {

// The item's bytes as NUL-terminated text; empty without a block. An item larger than any PDU
// is not copied: it is traced and routed as empty, so that a last item still ends its answer.
bool ReadItem(QXMEMHANDLE mem_handle, DWORD cache_id, std::string& strText) {
    strText.clear();
    DWORD dwSize = 0;
    if (!mem_handle || QxMemoryGetSize(mem_handle, &dwSize) != QXMEM_OK || dwSize == 0) return true;
    if (dwSize > MAX_PDU_SIZE) {
        Trace(L"Fail: CMainChatDlg::SharedDataReceivedEx: item %u of %u bytes exceeds %u, not read", cache_id,
              dwSize, static_cast<unsigned>(MAX_PDU_SIZE));
        return true;
    }
    try {
        strText.assign(dwSize, '\0');
    } catch (...) {
        return false;
    }
    DWORD dwRead = dwSize;
    if (QxMemoryRead(mem_handle, 0, &strText[0], &dwRead) != QXMEM_OK) dwRead = 0;
    // The text ends at its first NUL, as the zero-filled buffer it is read into would.
    strText.resize(strnlen(strText.c_str(), dwRead));
    return true;
}

bool IsStoredItem(DWORD cache_action) {
    return cache_action == QXNC_CACHE_ITEM_FIRST || cache_action == QXNC_CACHE_ITEM_MORE ||
           cache_action == QXNC_CACHE_ITEM_LAST;
}

} // namespace

int CMainChatDlg::ApeCacheActionConfirmEx(DWORD ape_handle, DWORD entity_id, DWORD cache_action,
                                          short result) {
    Trace(L"/**** CMainChatDlg::ApeCacheActionConfirmEx entity_id = %d, cache_action = %d, result = %d ****/",
          entity_id, cache_action, result);
    if (!ape_handle || entity_id == 0 || ape_handle != m_status.m_apeHandle) {
        Trace(
            L"/**** CMainChatDlg::ApeCacheActionConfirmEx: !ape_handle || (entity_id == 0) || (ape_handle != "
            L"m_apeHandle");
        return 1;
    }
    if (cache_action == QXNC_CACHE_REPLACE && result != ARM_OK &&
        (entity_id == m_status.m_dwUserInfoCacheHandle || entity_id == m_caches.m_dwStatusHandle)) {
        // The first instance's set-up went wrong: without it no group cache is ever subscribed.
        FailChatStatus(L"the set-up write of cache " + std::to_wstring(entity_id) + L" failed: " +
                       std::to_wstring(result));
        return 0;
    }
    if (entity_id == m_status.m_dwUserInfoCacheHandle && cache_action == QXNC_CACHE_REPLACE &&
        result == ARM_OK) {
        // The first instance's reset is done: the chat now exists.
        SetChatStatusCache();
        SendOwnUserInfoToCache();
        SubscribeNeededGroupCaches();
        Trace(L"/==== CMainChatDlg::ApeCacheActionConfirmEx Exit >From Cache Set ====/");
        return 0;
    }
    if (entity_id == m_caches.m_dwStatusHandle) {
        if (cache_action == QXNC_CACHE_REPLACE && result == ARM_OK) {
            SetAllGroupsNeeded();
            SubscribeNeededGroupCaches();
        }
        return 0;
    }
    // A group message that was not stored never comes back to release the copies behind it.
    if (cache_action == QXNC_CACHE_APPEND && result != ARM_OK && entity_id != m_caches.m_CustomerCacheHandle)
        GiveUpGroupItems(entity_id);
    if (cache_action == QXNC_CACHE_APPEND) SendMessageToService(WM_CHAT_CACHE_NOTIFY, 0, 0);
    Trace(L"/==== CMainChatDlg::ApeCacheActionConfirmEx Exit ====/");
    return 0;
}

int CMainChatDlg::SharedDataReceivedEx(DWORD ape_handle, DWORD cache_id, DWORD entity_id,
                                       QXMEMHANDLE mem_handle, short result, DWORD cache_action,
                                       DWORD writer_id) {
    if (!IsOwnApe(ape_handle)) return 0;
    Trace(L"/**** CMainChatDlg::SharedDataReceivedEx: begin ape_handle = %x, cache_id = %d, entity_id = %d, "
          L"mem_handle = %x, result = %d, cache_action= %d ****/",
          ape_handle, cache_id, entity_id, static_cast<unsigned>(reinterpret_cast<UINT_PTR>(mem_handle)),
          result, cache_action);
    if (entity_id && entity_id == m_caches.m_dwStatusHandle) {
        const int nRet = HandleChatStatusCache(cache_id, mem_handle, result, cache_action);
        Trace(L"/**** CMainChatDlg::SharedDataReceivedEx: end: HandleChatStatusCache");
        return nRet;
    }
    std::string strText;
    if (!ReadItem(mem_handle, cache_id, strText)) return 0;

    if (entity_id && entity_id == m_caches.m_CustomerCacheHandle) {
        if (!mem_handle || result == ARM_CACHE_NOTHING) {
            Trace(L"/**** CMainChatDlg::SharedDataReceivedEx:HandleBufferTransferMessages");
            m_features.m_bHoldTransfer = FALSE;
            HandleBufferTransferMessages();
            return 0;
        }
        Trace(L"/**** CMainChatDlg::SharedDataReceivedEx:HandleGetAllHistoryMessages");
        HandleGetAllHistoryMessages(cache_id, entity_id, strText);
        if (cache_action == QXNC_CACHE_ITEM_LAST) {
            if (m_host.m_lMeetingType == QXCHAT_MEETING_TYPE_SUPPORT) ProcessRecovery(TRUE);
            Trace(
                L"/**** CMainChatDlg::SharedDataReceivedEx:HandleGetAllHistoryMessages, RequestRecoveryData, "
                L"m_nCountRecoveryCache=%d",
                m_recovery.Outstanding());
            m_features.m_bHoldTransfer = FALSE;
            HandleBufferTransferMessages();
            Trace(L"/**** CMainChatDlg::SharedDataReceivedEx:HandleGetAllHistoryMessages, "
                  L"HandleBufferTransferMessages");
        }
        return 0;
    }
    if (entity_id && entity_id == m_status.m_dwUserInfoCacheHandle) {
        Trace(L"/**** CMainChatDlg::SharedDataReceivedEx:HandleHistoryUserRoster");
        HandleHistoryUserRoster(strText);
        return 0;
    }
    if (m_status.m_bInRecovery) {
        Trace(L"/**** CMainChatDlg::SharedDataReceivedEx:HandleRecovery");
        HandleRecovery(cache_id, entity_id, strText, cache_action, result);
        if (m_recovery.Outstanding() > 0)
            Trace(L"CMainChatDlg::SharedDataReceivedEx: bInRecovery");
        else
            ParseAndShowRecoveryMessages();
        return 0;
    }
    int nRet = 0;
    // Stored items of a read that a recovery stopped waiting for are still shown as they come.
    const bool bLateItem = IsStoredItem(cache_action) && m_recovery.IsLate(entity_id);
    if (bLateItem && cache_action == QXNC_CACHE_ITEM_LAST) m_recovery.LateAnswered(entity_id);
    // A live item is shown once: a read of the same cache may have shown it already.
    if ((cache_action == QXNC_CACHE_APPEND || bLateItem) && m_recovery.MarkShown(entity_id, cache_id))
        nRet = HandleReceivedMessages(strText.c_str(), nullptr, entity_id, cache_id, writer_id);
    Trace(L"/**** CMainChatDlg::SharedDataReceivedEx: end,  nRet = %d ****/", nRet);
    return nRet;
}
