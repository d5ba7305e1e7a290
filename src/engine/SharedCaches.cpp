// CMainChatDlg, engine side: the shared caches. Their names and handles, the chat-status
// handshake that decides which instance sets the caches up, the writes of the status, the user
// information and the group information, and the group cache subscriptions.
#include "window/MainChatDlg.h"

#include "engine/CacheNames.h"
#include "engine/GroupSubscriptions.h"
#include "engine/MemoryBlock.h"
#include "engine/SendOption.h"
#include "pdu/ChatUserInfoPDU.h"
#include "pdu/GroupInfoPDU.h"
#include "pdu/StringConverter.h"
#include "qxchat.h"
#include "resources/resource.h"
#include "trace/Trace.h"

#include <memory>
#include <new>
#include <string>
#include <vector>

namespace {

constexpr DWORD kCachePriority = 255;
constexpr int kLastGroupId = CHAT_ALL_USERS_ROLE_GROUP; // role group ids are 1 to 15
// The empty item: one UTF-16 NUL.
constexpr wchar_t kEmptyItem[1] = {0};
// The chat status item: the UTF-16 text "1" without its terminator.
constexpr wchar_t kStatusItem[1] = {L'1'};

bool HasCache(const CUsersGroup* pGroup) {
    return pGroup && pGroup->m_nType != CHAT_HEADING_GROUP;
}

} // namespace

CUsersGroup* CMainChatDlg::FindCacheGroup(DWORD dwGroupID) const {
    for (int i = 0; i < m_CacheGroups.GetCount(); ++i) {
        CUsersGroup* pGroup = m_CacheGroups.GetAt(i);
        if (HasCache(pGroup) && static_cast<DWORD>(pGroup->m_nId) == dwGroupID) return pGroup;
    }
    return nullptr;
}

DWORD CMainChatDlg::GetGroupCacheHandle(DWORD dwGroupID) const {
    const CUsersGroup* pGroup = FindCacheGroup(dwGroupID);
    return pGroup ? pGroup->m_CacheEntity.m_dwHandle : 0;
}

void CMainChatDlg::RecordCacheGroup(LONG nInsertIndex, LONG nGroupType, LONG nGroupId,
                                    const wchar_t* pstrGroupName) {
    if (nGroupType == CHAT_HEADING_GROUP) return; // no cache
    CUsersGroup* pGroup = m_CacheGroups.FindGroup(nGroupType, nGroupId, pstrGroupName);
    std::unique_ptr<CUsersGroup> pNew;
    if (!pGroup) {
        pNew.reset(new (std::nothrow) CUsersGroup(&m_users));
        if (!pNew) return;
        pGroup = pNew.get();
    }
    pGroup->m_nType = nGroupType;
    pGroup->m_nId = nGroupId;
    if (pstrGroupName) pGroup->m_strName = pstrGroupName;
    if (QxNBRAllowsRecording(m_recording.m_dwNBRStatus)) pGroup->m_bSubscriptionPending = TRUE;
    if (pNew) {
        const int nCount = m_CacheGroups.GetCount();
        const int nPos =
            nInsertIndex < 0 ? 0 : (nInsertIndex > nCount ? nCount : static_cast<int>(nInsertIndex));
        m_CacheGroups.InsertGroup(nPos, std::move(pNew));
    }
}

void CMainChatDlg::SetAllGroupsNeeded() {
    m_status.m_bChatStatusKnown = TRUE;
    m_status.m_bAwaitingChatStatus = FALSE;
    StopChatStatusTimer();
    for (int i = 0; i < m_CacheGroups.GetCount(); ++i)
        if (CUsersGroup* pGroup = m_CacheGroups.GetAt(i)) pGroup->m_bNeeded = TRUE;
}

int CMainChatDlg::WriteCache(DWORD dwCacheHandle, DWORD dwAction, DWORD dwSendOption, const void* pData,
                             DWORD dwSize) {
    CMemoryBlock block(pData, dwSize);
    if (!block.Get() || !m_status.m_pArmNC) return -1;
    return m_status.m_pArmNC->CacheSet(m_status.m_apeHandle, dwCacheHandle, 0, 0, dwAction, dwSendOption,
                                       block.Get(), 0, 1);
}

BOOL CMainChatDlg::AllocAllCacheHandles() {
    Trace(L"/**** CMainChatDlg::AllocAllCacheHandles Enter ****/");
    if (!m_status.m_pArmNC || m_CacheGroups.GetCount() == 0) return FALSE;
    std::vector<const CUsersGroup*> missing;
    for (int i = 0; i < m_CacheGroups.GetCount(); ++i) {
        const CUsersGroup* pGroup = m_CacheGroups.GetAt(i);
        if (HasCache(pGroup) && pGroup->m_CacheEntity.m_dwHandle == 0) missing.push_back(pGroup);
    }
    m_caches.m_nConfirmed = 0;
    m_caches.m_nRequested = static_cast<int>(missing.size()) + 2 + (m_status.m_dwCustomerId ? 1 : 0);
    if (missing.empty()) return FALSE;

    // N stays 0 while no enroll confirmation has reported a resource: every instance without
    // one then names the same caches.
    const DWORD N = m_status.m_dwCacheNumber;
    std::vector<QxCacheName> table(static_cast<size_t>(m_caches.m_nRequested), QxCacheName{});
    size_t nAt = 0;
    for (const CUsersGroup* pGroup : missing)
        QxCopyCacheName(table[nAt++].name, QxGroupCacheName(N, pGroup->m_nId));
    QxCopyCacheName(m_caches.m_szUserInfoName, QxUserInfoCacheName(N));
    QxCopyCacheName(table[nAt++].name, QxUserInfoCacheName(N));
    QxCopyCacheName(m_caches.m_szStatusName, QxStatusCacheName(N));
    QxCopyCacheName(table[nAt++].name, QxStatusCacheName(N));
    if (m_status.m_dwCustomerId) {
        QxCopyCacheName(m_caches.m_szCustomerName, QxCustomerCacheName(m_status.m_dwCustomerId));
        QxCopyCacheName(table[nAt++].name, QxCustomerCacheName(m_status.m_dwCustomerId));
    }
    // Until the chat status answers, no group cache can be subscribed; the wait is bounded.
    if (!m_status.m_bChatStatusKnown) {
        m_status.m_bAwaitingChatStatus = TRUE;
        StartChatStatusTimer();
    }
    m_status.m_pArmNC->AllocNameHandles(m_status.m_apeHandle, static_cast<DWORD>(table.size()), table.data(),
                                        m_sinks.Name());
    Trace(
        L"/**** CMainChatDlg::AllocAllCacheHandles : Cache Name = %d, nGroupCount = %d, m_dwCustomerId = %d "
        L"****/",
        N, static_cast<int>(missing.size()), m_status.m_dwCustomerId);
    return TRUE;
}

int CMainChatDlg::AllocNameHandleConfirm(DWORD ape_handle, DWORD handle_count, const QxCacheName* table,
                                         short result) {
    Trace(L"/---- CMainChatDlg::AllocNameHandleConfirm ape_handle = %x, handle_count = %d, result = %d ----/",
          ape_handle, handle_count, result);
    if (handle_count == 0 || !table || ape_handle != m_status.m_apeHandle) {
        Trace(
            L"/---- CMainChatDlg::AllocNameHandleConfirm: handle_count == 0 || (ape_handle != m_apeHandle)");
        return 0;
    }
    for (DWORD i = 0; i < handle_count; ++i) {
        const QxCacheName& entry = table[i];
        // A name without a handle is not confirmed: counting it would end the asking for good.
        if (entry.handle == 0) continue;
        const int nId = QxCacheNameNumber(entry.name);
        if (nId >= 1 && nId <= kLastGroupId) {
            // Several groups may share an id (by name): the first one still without a handle.
            CUsersGroup* pFound = nullptr;
            for (int g = 0; g < m_CacheGroups.GetCount(); ++g) {
                CUsersGroup* pGroup = m_CacheGroups.GetAt(g);
                if (!HasCache(pGroup) || pGroup->m_nId != nId) continue;
                if (!pFound || (pFound->m_CacheEntity.m_dwHandle && !pGroup->m_CacheEntity.m_dwHandle))
                    pFound = pGroup;
            }
            if (pFound) {
                Trace(L"/---- CMainChatDlg::AllocNameHandleConfirm GroupId = %d, CacheHandle = %d ----/", nId,
                      entry.handle);
                QxCopyCacheName(pFound->m_CacheEntity.m_szName, QxCacheNameText(entry.name));
                pFound->m_CacheEntity.m_dwHandle = entry.handle;
                ++m_caches.m_nConfirmed;
            }
            continue;
        }
        const std::string strName = QxCacheNameText(entry.name);
        if (strName.empty()) continue;
        if (strName == QxCacheNameText(m_caches.m_szUserInfoName)) {
            m_status.m_dwUserInfoCacheHandle = entry.handle;
        } else if (strName == QxCacheNameText(m_caches.m_szStatusName)) {
            m_caches.m_dwStatusHandle = entry.handle;
        } else if (strName == QxCacheNameText(m_caches.m_szCustomerName)) {
            m_caches.m_CustomerCacheHandle = entry.handle;
        } else {
            continue;
        }
        ++m_caches.m_nConfirmed;
    }
    if (m_caches.m_nConfirmed == m_caches.m_nRequested) m_status.m_bAllCachesAllocated = TRUE;
    if (m_caches.m_dwStatusHandle) CheckChatStatus();
    Trace(L"/==== CMainChatDlg::AllocNameHandleConfirm Exit: m_CustomerCacheHandle.handle_value=%d ====/",
          m_caches.m_CustomerCacheHandle);
    return 1;
}

void CMainChatDlg::CheckChatStatus() {
    Trace(L"/**** CMainChatDlg::CheckChatStatus Enter ****/");
    int nRet = 0;
    if (m_caches.m_dwStatusHandle && m_status.m_pArmNC)
        nRet = m_status.m_pArmNC->CacheAction(m_status.m_apeHandle, m_caches.m_dwStatusHandle, 0,
                                              QXNC_CACHE_READ, kCachePriority, m_sinks.SharedData());
    Trace(L"/==== CMainChatDlg::CheckChatStatus Exit : nRet = %d ====/", nRet);
    // A refused read is never answered.
    if (nRet != ARM_OK) FailChatStatus(L"the chat status read was refused: " + std::to_wstring(nRet));
}

int CMainChatDlg::HandleChatStatusCache(DWORD /*cache_id*/, QXMEMHANDLE mem_handle, short result,
                                        DWORD cache_action) {
    Trace(L"/**** CMainChatDlg::HandleChatStatusCache Enter : result= %d ****/", result);
    if (cache_action != QXNC_CACHE_ITEM_LAST) return 0;
    if (result == ARM_CACHE_NOTHING) {
        // The first instance of this chat: nothing to read back, the caches are set up here.
        m_features.m_bNeedRecovery = FALSE;
        m_features.m_bHoldTransfer = FALSE;
        SetAllCaches();
        HandleBufferTransferMessages();
    } else if (result == ARM_OK) {
        DWORD dwSize = 0;
        if (!mem_handle || QxMemoryGetSize(mem_handle, &dwSize) != QXMEM_OK || dwSize == 0) {
            SetAllCaches();
            // Set up here like a first instance: there is no history to hold transfers for.
            m_features.m_bHoldTransfer = FALSE;
            HandleBufferTransferMessages();
            return 1;
        }
        SetAllGroupsNeeded();
        if (m_features.m_bNeedRecovery) {
            ProcessRecovery(FALSE);
            m_features.m_bNeedRecovery = FALSE;
        }
        // The chat exists, and so does the customer's cache, whoever wrote it: writing the empty
        // item now would replace the history that this joiner, and every later one, reads back.
        if (m_features.m_bCustomerHistory) {
            RequestHistoryUserRoster();
            RequestCustomerHistory();
        }
        SendOwnUserInfoToCache();
        SubscribeNeededGroupCaches();
    } else {
        FailChatStatus(L"the chat status answered " + std::to_wstring(result));
    }
    Trace(L"/==== CMainChatDlg::HandleChatStatusCache Exit ====/");
    return 0;
}

void CMainChatDlg::SetAllCaches() {
    Trace(L"/==== CMainChatDlg::SetAllCaches: Begin ====/");
    IArmNodeController* pArmNC = m_status.m_pArmNC;
    if (!pArmNC) {
        Trace(L"/==== CMainChatDlg::SetAllCaches: !m_pArmNC ====/");
        return;
    }
    // The empty item is made first, then copied into its block: either step can fail.
    const std::unique_ptr<wchar_t[]> lpszEmptyString(new (std::nothrow) wchar_t[1]());
    if (!lpszEmptyString) {
        Trace(L"/==== CMainChatDlg::SetAllCaches: !lpszEmptyString ====/");
        FailChatStatus(L"no memory for the empty item");
        return;
    }
    CMemoryBlock block(lpszEmptyString.get(), sizeof(kEmptyItem));
    if (!block.Get()) {
        Trace(L"/==== CMainChatDlg::SetAllCaches: 0 == MemHandle_Set ====/");
        FailChatStatus(L"no memory block for the empty item");
        return;
    }
    for (int i = 0; i < m_CacheGroups.GetCount(); ++i) {
        const CUsersGroup* pGroup = m_CacheGroups.GetAt(i);
        if (!HasCache(pGroup) || !pGroup->m_CacheEntity.m_dwHandle) continue;
        const int nRet = pArmNC->CacheSet(m_status.m_apeHandle, pGroup->m_CacheEntity.m_dwHandle, 0, 0,
                                          QXNC_CACHE_REPLACE, SEND_OPTION_GROUP_DATA, block.Get(), 0, 1);
        Trace(L"/==== CMainChatDlg::SetAllCaches: Group cache: nRet=%d ====/", nRet);
    }
    const int nRet = pArmNC->CacheSet(m_status.m_apeHandle, m_status.m_dwUserInfoCacheHandle, 0, 0,
                                      QXNC_CACHE_REPLACE, SEND_OPTION_GROUP_DATA, block.Get(), 0, 1);
    if (m_status.m_dwCustomerId) SetCustomerCache();
    block.Release();
    Trace(L"/==== CMainChatDlg::SetAllCaches: Exit, m_apeHandle=%d, nRet=%d ====/", m_status.m_apeHandle,
          nRet);
    // Only the confirmation of this write goes on with the set-up.
    if (nRet != ARM_OK)
        FailChatStatus(L"the reset of the user-info cache was refused: " + std::to_wstring(nRet));
}

void CMainChatDlg::SetCustomerCache() {
    Trace(L"/----- CMainChatDlg::SetCustomerCache() Enter ----/");
    int nRet = 0;
    if (m_status.m_pArmNC && m_caches.m_CustomerCacheHandle && m_status.m_dwCustomerId)
        nRet = WriteCache(m_caches.m_CustomerCacheHandle, QXNC_CACHE_REPLACE, SEND_OPTION_GROUP_DATA,
                          kEmptyItem, sizeof(kEmptyItem));
    Trace(L"/==== CMainChatDlg::SetCustomerCache() Exit : m_apeHandle, nRet = %d ====/", nRet);
}

void CMainChatDlg::SetChatStatusCache() {
    if (!m_status.m_apeHandle || !m_status.m_pArmNC) return;
    CMemoryBlock block(kStatusItem, sizeof(kStatusItem));
    if (!block.Get()) {
        Trace(L"/==== CMainChatDlg::SetChatStatusCache Exit 1 ====/");
        return;
    }
    const int nRet =
        m_status.m_pArmNC->CacheSet(m_status.m_apeHandle, m_caches.m_dwStatusHandle, 0, 0, QXNC_CACHE_REPLACE,
                                    SEND_OPTION_GROUP_MESSAGE, block.Get(), 0, 1);
    block.Release();
    Trace(L"/==== CMainChatDlg::SetChatStatusCache Exit: m_apeHandle=%d, dwSendOption=%d, nRet = %d ====/",
          m_status.m_apeHandle, SEND_OPTION_GROUP_MESSAGE, nRet);
}

BOOL CMainChatDlg::SendOwnUserInfoToCache() {
    const wchar_t* lpszName = m_own.GetOwnName();
    if (!m_status.m_pArmNC || !m_status.m_apeHandle || !m_status.m_dwUserInfoCacheHandle ||
        !m_own.m_dwOwnUserId || !lpszName)
        return FALSE;
    Trace(L"/**** CMainChatDlg::SendOwnUserInfoToCache Enter ****/");
    std::unique_ptr<CChatUserInfoPDU> pInfo(new (std::nothrow) CChatUserInfoPDU());
    if (!pInfo) return FALSE;
    pInfo->SetUserId(m_own.m_dwOwnUserId);
    pInfo->SetName(CStringConverter::ToUtf8(lpszName));
    if (!pInfo->GenerateXMLPDU()) return FALSE;
    const std::string strText = pInfo->GetXMLText();
    const int nRet = WriteCache(m_status.m_dwUserInfoCacheHandle, QXNC_CACHE_APPEND, SEND_OPTION_GROUP_DATA,
                                strText.data(), static_cast<DWORD>(strText.size()));
    Trace(L"/---- CMainChatDlg::SendOwnUserInfoToCache Exit: m_apeHandle=%d, dwSendOption=%d, nRet=%d ----/",
          m_status.m_apeHandle, SEND_OPTION_GROUP_DATA, nRet);
    return nRet != -1;
}

int CMainChatDlg::SendGroupInfoToCache(DWORD dwGroupID, const std::string& strGroupName) {
    if (!dwGroupID || strGroupName.empty()) return 1;
    if (!m_status.m_pArmNC || !m_status.m_apeHandle) return 2;
    const DWORD dwHandle = GetGroupCacheHandle(dwGroupID);
    if (!dwHandle) return 3;
    std::unique_ptr<CGroupInfoPDU> pInfo(new (std::nothrow) CGroupInfoPDU());
    if (!pInfo) return 4;
    pInfo->SetGroupHandle(dwHandle);
    pInfo->SetGroupName(strGroupName);
    if (!pInfo->GenerateXMLPDU()) return 4;
    const std::string strText = pInfo->GetXMLText();
    const DWORD dwOption = GetSendOption(dwGroupID, TRUE, FALSE, TRUE, TRUE);
    CMemoryBlock block(strText.data(), static_cast<DWORD>(strText.size()));
    if (!block.Get()) return 5;
    const int nRet = m_status.m_pArmNC->CacheSet(m_status.m_apeHandle, dwHandle, 0, 0, QXNC_CACHE_APPEND,
                                                 dwOption, block.Get(), 0, 1);
    Trace(L"/---- CMainChatDlg::SendGroupInfoToCache : m_apeHandle=%d, dwOption=%d, nRet=%d ----/",
          m_status.m_apeHandle, dwOption, nRet);
    return 0;
}

int CMainChatDlg::RequestGroupCache(DWORD dwGroupID, DWORD dwAction) {
    CUsersGroup* pGroup = FindCacheGroup(dwGroupID);
    if (!m_status.m_apeHandle || !m_status.m_pArmNC || !pGroup || !pGroup->m_CacheEntity.m_dwHandle)
        return -1;
    const int nRet = m_status.m_pArmNC->CacheAction(m_status.m_apeHandle, pGroup->m_CacheEntity.m_dwHandle, 0,
                                                    dwAction, kCachePriority, m_sinks.SharedData());
    if (nRet == ARM_OK) {
        pGroup->m_bSubscribed = dwAction != QXNC_CACHE_UNSUBSCRIBE;
        pGroup->m_lSubscribedAction = static_cast<LONG>(dwAction);
        // No own item of an unfollowed cache comes back to release the copies behind it.
        if (dwAction == QXNC_CACHE_UNSUBSCRIBE) GiveUpGroupItems(pGroup->m_CacheEntity.m_dwHandle);
    }
    return nRet;
}

BOOL CMainChatDlg::SubscribeGroupCache(DWORD dwGroupID, DWORD dwAction) {
    const CUsersGroup* pGroup = FindCacheGroup(dwGroupID);
    if (!m_status.m_apeHandle || !m_status.m_pArmNC || !pGroup || !pGroup->m_CacheEntity.m_dwHandle)
        return FALSE;
    if (pGroup->m_bSubscribed && pGroup->m_lSubscribedAction == static_cast<LONG>(dwAction)) return FALSE;
    if (!pGroup->m_bNeeded) return FALSE;
    const int nRet = RequestGroupCache(dwGroupID, dwAction);
    Trace(L"/==== CMainChatDlg::SubscribeGroupCache: dwGroupID = %d, nRet = %d ====/", dwGroupID, nRet);
    return TRUE;
}

BOOL CMainChatDlg::UnSubscribeGroupCache(DWORD dwGroupID) {
    const CUsersGroup* pGroup = FindCacheGroup(dwGroupID);
    if (!m_status.m_apeHandle || !m_status.m_pArmNC || !pGroup || !pGroup->m_CacheEntity.m_dwHandle)
        return FALSE;
    if (!pGroup->m_bSubscribed || !pGroup->m_bNeeded) return FALSE;
    const int nRet = RequestGroupCache(dwGroupID, QXNC_CACHE_UNSUBSCRIBE);
    Trace(L"/==== CMainChatDlg::UnSubscribeGroupCache: dwGroupID = %d, nRet = %d ====/", dwGroupID, nRet);
    return TRUE;
}

void CMainChatDlg::SubscribeNeededGroupCaches() {
    Trace(L"CMainChatDlg::SubscribeNeededGroupCaches: m_lMeetingType=%d", m_host.m_lMeetingType);
    const BOOL bStored = (m_features.m_dwFeature1 & QXCHAT_FEATURE_SUBSCRIBE_STORED) != 0;
    const DWORD dwAction = bStored ? QXNC_CACHE_SUBSCRIBE_READ : QXNC_CACHE_SUBSCRIBE;
    for (const QxGroupSubscription& request : QxPlanGroupSubscriptions(m_host.m_lMeetingType, m_own)) {
        const DWORD dwGroupID = static_cast<DWORD>(request.nGroupId);
        if (!request.bSubscribe) {
            UnSubscribeGroupCache(dwGroupID);
            continue;
        }
        // A subscription with stored items is a read of the recovery: it counts once it was
        // accepted, so that every stored item is collected up to its cache's last one.
        const CUsersGroup* pGroup = FindCacheGroup(dwGroupID);
        const bool bWasStored = pGroup && pGroup->m_bSubscribed && pGroup->m_lSubscribedAction == 3;
        SubscribeGroupCache(dwGroupID, dwAction);
        if (bStored && pGroup && !bWasStored && pGroup->m_bSubscribed && pGroup->m_lSubscribedAction == 3) {
            m_recovery.Expect(pGroup->m_CacheEntity.m_dwHandle);
            m_status.m_bInRecovery = TRUE;
            StartRecoveryTimer();
        }
    }
    // While the chat status is asked for, no group cache can be subscribed yet, so a message
    // sent now would reach no one, its sender included: the input waits for the subscriptions.
    if (m_status.m_bAwaitingChatStatus) return;
    m_status.m_bSendReady = TRUE;
    const BOOL bCanChat = SelectedRecipientCanChat();
    if (m_host.m_lUserListPermission && bCanChat) {
        EnableRecipientBox(TRUE);
        EnableSendToLabel(TRUE);
    } else {
        EnableRecipientBox(FALSE);
    }
    SetInputUIStatus(m_host.m_lInputPermission == 1 && bCanChat);
}
