// CMainChatDlg, engine side: what arrives. Direct data (private messages, typing indications,
// transfer messages) and group-cache items reach the same dispatch; a shown message plays its
// sound, clears its sender's typing indication, goes to the recording provider and tells the host.
#include "window/MainChatDlg.h"

#include "engine/ReceiveRules.h"
#include "engine/SoundPolicy.h"
#include "engine/ServerRecording.h"
#include "module/ModuleState.h"
#include "pdu/Decimal.h"
#include "pdu/PDUInputGuard.h"
#include "pdu/GroupMessagePDU.h"
#include "pdu/PrivateMessagePDU.h"
#include "pdu/StringConverter.h"
#include "pdu/TransferMessagePDU.h"
#include "pdu/TypingIndicatorPDU.h"
#include "qxchat.h"
#include "resources/resource.h"
#include "trace/Trace.h"
#include "window/DateTimeText.h"
#include "window/MessageContainer.h"
#include "window/MessageWindow.h"

#include <new>

namespace {

constexpr int kRecordStringRoom = 256;
constexpr UINT kNotifyTimeoutMs = 1000;

// The block of the host's WM_COMMAND notification.
struct HostMessageNotice {
    DWORD dwNodeId;
    const wchar_t* lpszText;
};

} // namespace

void CMainChatDlg::ShowMessage(const std::wstring& strSender, const std::wstring& strText,
                               const std::wstring& strRest, bool bOwn) {
    CMessageWindow* pList = MessageList();
    if (!pList) return;
    const QxDateTimeText when = QxGetCurrentDateTime();
    pList->ShowMessage(strSender, strText, strRest, when.strDate, when.strTime, bOwn);
}

int CMainChatDlg::ApeDataIndication(DWORD ape_handle, DWORD sender_id, DWORD channel_id, DWORD priorty,
                                    const BYTE* data, DWORD data_length) {
    Trace(L"/**** CMainChatDlg::ApeDataIndication,ape_handle = %d,sender_id = %d,channel_id = %d,priorty = "
          L"%d,data = %d,data_length = %d ****/",
          ape_handle, sender_id, channel_id, priorty, static_cast<int>(reinterpret_cast<INT_PTR>(data)),
          data_length);
    const ServerRecordingState* pRecording = m_conn.m_pRecording;
    if (pRecording && pRecording->m_dwStatus == SSR_STATUS_TPRECORDING) {
        Trace(L"CMainChatDlg::ApeDataIndication: "
              L"m_pChatCtrl&&m_pChatCtrl->GetServerSideRecordingStatus()==SSR_STATUS_TPRECORDING");
        return 0;
    }
    if (!IsOwnApe(ape_handle)) {
        Trace(L"Fail: CMainChatDlg::ApeDataIndication: ape_handle %u is not this chat's (%u), dropped",
              ape_handle, m_status.m_apeHandle);
        return 0;
    }
    if (!data || data_length == 0) return ARM_ERROR_INVALID_PARAMETER;
    // Checked before anything is copied, whatever controller hands the data over.
    if (data_length > MAX_PDU_SIZE) {
        Trace(L"Fail: CMainChatDlg::ApeDataIndication: data_length %u exceeds %u, dropped", data_length,
              static_cast<unsigned>(MAX_PDU_SIZE));
        return -1;
    }
    std::string strMessage;
    try {
        strMessage.assign(reinterpret_cast<const char*>(data), data_length);
    } catch (...) {
        Trace(L"CMainChatDlg::ApeDataIndication: !lpszMessage");
        return -1;
    }
    HandleReceivedMessages(strMessage.c_str(), nullptr, 0, 0, sender_id);
    Trace(L"/==== CMainChatDlg::ApeDataIndication end ====/");
    return 0;
}

int CMainChatDlg::HandleReceivedMessages(const char* lpszPDUContent, CChatXMLPDU* pChatXMLPDU,
                                         DWORD entity_id, DWORD cache_id, DWORD dwWriterId) {
    if (!lpszPDUContent && !pChatXMLPDU) {
        Trace(L"CMainChatDlg::HandleReceivedMessages: !lpszPDUContent && !pChatXMLPDU");
        return 1;
    }
    std::string strText;
    int nType = 0;
    // A received buffer is parsed once, by the probe that finds its type; the typed PDU reads
    // its fields from the probe's tree.
    CChatXMLPDU probe;
    const bool bProbed = lpszPDUContent != nullptr;
    if (bProbed) {
        strText = lpszPDUContent;
        nType = probe.GetPDUType(strText);
    } else {
        // The project's saturating reader: an out-of-range type must not wrap to a known one.
        nType = static_cast<int>(DwordFromDecimal(pChatXMLPDU->GetMessageType()));
        strText = pChatXMLPDU->GetXMLText();
    }
    const auto parse = [&](CChatXMLPDU& pdu) {
        return bProbed ? pdu.ParseLoaded(probe) : pdu.ParseXMLPDU(strText);
    };
    switch (nType) {
    case CChatXMLPDU::PDU_GROUP_MESSAGE: {
        if (strText.empty()) return 0;
        // A failed parse leaves the fields empty, which the show step refuses.
        CGroupMessagePDU pdu;
        parse(pdu);
        return HandleGroupMessage(entity_id, pdu, cache_id, dwWriterId);
    }
    case CChatXMLPDU::PDU_TYPING_INDICATOR: {
        if (!(m_features.m_dwFeature1 & QXCHAT_FEATURE_TYPING)) return 1;
        CTypingIndicatorPDU pdu;
        if (!parse(pdu)) return 1;
        StartExpireTimer();
        return HandleTypingIndicatorPDU(pdu);
    }
    case CChatXMLPDU::PDU_TRANSFER_MESSAGE: {
        CTransferMessagePDU pdu;
        if (!parse(pdu)) return 1;
        return HandleReceivedTransferMessage(pdu, entity_id);
    }
    case CChatXMLPDU::PDU_PRIVATE_MESSAGE: {
        CPrivateMessagePDU pdu;
        if (!parse(pdu)) return 1;
        const int nRet = ParseAndShowPrivateMessages(&pdu);
        // The copy is the received text, whichever object holds its tree.
        if (m_caches.m_CustomerCacheHandle && !pdu.SenderCopies())
            SendCopyToCustomerCache(bProbed ? &probe : &pdu);
        return nRet;
    }
    default: return 0;
    }
}

int CMainChatDlg::HandleGroupMessage(DWORD entity_id, CGroupMessagePDU& pdu, DWORD cache_id,
                                     DWORD dwWriterId) {
    // Checked before the copy into the customer's history as well as when shown.
    if (!MayShowGroupMessage(pdu, pdu.GetGroupId(), dwWriterId)) return 0;
    CopyGroupItemToHistory(pdu, cache_id);
    ParseAndShowGroupMessages(&pdu, entity_id, dwWriterId);
    return 1;
}

bool CMainChatDlg::MayShowGroupMessage(const CGroupMessagePDU& pdu, DWORD dwGroup, DWORD dwWriterId) const {
    if (pdu.GetGroupId() != CHAT_HOST_ROLE_GROUP && dwGroup != CHAT_HOST_ROLE_GROUP) return true;
    QxOwnIdentity own;
    own.dwPrivilege = m_own.m_dwPrivilege;
    own.dwRoles = m_own.m_dwRoles;
    own.dwUserId = m_own.m_dwOwnUserId;
    own.dwNodeId = m_own.m_dwOwnNodeId;
    if (QxMayShowHostGroupMessage(own, pdu.GetSendId(), pdu.GetSendNodeId(), dwWriterId)) return true;
    Trace(
        L"/---- CMainChatDlg::MayShowGroupMessage: a host group message of user %u (writer %u) dropped ----/",
        pdu.GetSendId(), dwWriterId);
    return false;
}

int CMainChatDlg::ParseAndShowGroupMessages(CGroupMessagePDU* pPdu, DWORD dwGroupCacheHandle,
                                            DWORD dwWriterId) {
    const DWORD dwSender = pPdu ? pPdu->GetSendId() : 0;
    if (dwSender == 0) {
        Trace(L"/---- CMainChatDlg::ParseAndShowGroupMessages Exit 2 ----/");
        return 1;
    }
    DWORD dwGroup = pPdu->GetGroupId();
    if (dwGroupCacheHandle == 0) dwGroupCacheHandle = GetGroupCacheHandle(dwGroup);
    // The header names the group of the cache the message came through.
    for (int i = 0; dwGroupCacheHandle && i < m_CacheGroups.GetCount(); ++i) {
        const CUsersGroup* pGroup = m_CacheGroups.GetAt(i);
        if (pGroup && pGroup->m_CacheEntity.m_dwHandle == dwGroupCacheHandle) {
            dwGroup = static_cast<DWORD>(pGroup->m_nId);
            break;
        }
    }
    // Every path ends here (live items, direct data, recovery, the customer's history).
    if (!MayShowGroupMessage(*pPdu, dwGroup, dwWriterId)) return 1;
    if (CUsersGroup* pCacheGroup = FindCacheGroup(dwGroup)) pCacheGroup->m_bSubscriptionPending = FALSE;
    const std::string strMessage = pPdu->GetMessageText();
    if (strMessage.empty()) {
        Trace(L"/---- CMainChatDlg::ParseAndShowGroupMessages Exit 3 ----/");
        return 1;
    }
    DWORD dwSenderNode = pPdu->GetSendNodeId();
    if (dwSenderNode == 0) dwSenderNode = m_users.GetNodeIdByUserId(dwSender);
    const std::wstring strText = CStringConverter::FromUtf8(strMessage);
    AnnounceIncoming(dwSender, dwSenderNode, strText);

    QxGroupHeaderInput in;
    in.strSenderName = ResolveUserName(pPdu->GetSenderName(), dwSender);
    in.nGroupId = static_cast<int>(dwGroup);
    in.pRoleGroup = m_users.Groups().FindGroup(CHAT_ROLE_GROUP, in.nGroupId, nullptr);
    in.lMeetingType = m_host.m_lMeetingType;
    in.dwPrivilege = m_own.m_dwPrivilege;
    in.dwRoles = m_own.m_dwRoles;
    QxHeaderParts parts;
    QxBuildGroupHeader(m_formats, in, parts);
    ShowAndNotify(parts, strText, dwSenderNode, dwSender == m_own.m_dwOwnUserId);
    CUserItem* pSender = m_users.FindByUserId(dwSender);
    if (pSender && dwSender != m_own.m_dwOwnUserId && RecipientBoxExists()) {
        if (HostDrivenGroups()) {
            if (CUsersGroup* pRecent = RecentUsersGroup())
                m_own.MoveToRecentUsers(RecipientEntries(), pRecent, pSender);
        } else if (m_event.m_bMode2 && m_event.m_lStrictMode == 0 && m_own.IsElevated()) {
            AddAUser(pSender->m_dwNodeId);
        }
    }
    return 0;
}

int CMainChatDlg::ParseAndShowPrivateMessages(CPrivateMessagePDU* pPdu) {
    const DWORD dwReceiver = pPdu ? pPdu->GetRecId() : 0, dwSender = pPdu ? pPdu->GetSendId() : 0;
    if (dwReceiver == 0 || dwSender == 0) {
        Trace(L"/**** CMainChatDlg::ParseAndShowPrivateMessages: (dwReciverUserID == 0) || (dwSenderUserID "
              L"== 0) "
              L"****/");
        return 1;
    }
    const std::string strMessage = pPdu->GetMessageText();
    if (strMessage.empty()) {
        Trace(L"/**** CMainChatDlg::ParseAndShowPrivateMessages: nMessageLen == 0 ****/");
        return 1;
    }
    const DWORD dwSenderNode = m_users.GetNodeIdByUserId(dwSender);
    const std::wstring strText = CStringConverter::FromUtf8(strMessage);
    AnnounceIncoming(dwSender, dwSenderNode, strText);

    QxPrivateHeaderInput in;
    in.strSenderName = ResolvePrivateName(pPdu->GetSenderName(), dwSender);
    in.strReceiverName = ResolvePrivateName(pPdu->GetReceiverName(), dwReceiver);
    in.bOwn = dwSender == m_own.m_dwOwnUserId;
    in.lMeetingType = m_host.m_lMeetingType;
    in.bFeature40 = (m_features.m_dwFeature1 & QXCHAT_FEATURE_0x40) != 0;
    QxHeaderParts parts;
    QxBuildPrivateHeader(m_formats, in, parts);
    ShowAndNotify(parts, strText, dwSenderNode, in.bOwn);
    return 0;
}

void CMainChatDlg::AnnounceIncoming(DWORD dwSender, DWORD dwSenderNode, const std::wstring& strText) {
    if ((m_features.m_dwFeature1 & QXCHAT_FEATURE_TYPING) && dwSender != m_own.m_dwOwnUserId &&
        m_typingList.Remove(dwSenderNode))
        SendMessageToService(WM_CHAT_TYPING, dwSenderNode, QXCHAT_TYPING_STOPPED);
    PlayIncomingSound(dwSender);
    RecordMessageToProvider(dwSender, strText);
}

void CMainChatDlg::ShowAndNotify(const QxHeaderParts& parts, const std::wstring& strText, DWORD dwSenderNode,
                                 bool bOwn) {
    ShowMessage(parts.strSender, strText, parts.strRest, bOwn); // a screen reader hears only others
    if ((m_features.m_dwFeature1 & QXCHAT_FEATURE_KEY_FOCUS) && m_notify.m_hSCParentWnd)
        PostMessageW(m_notify.m_hSCParentWnd, WM_CHAT_NEW_MESSAGE, 0, 0);
    NotifyHostOfMessage(dwSenderNode, strText);
}

std::wstring CMainChatDlg::ResolveUserName(const std::string& strGiven, DWORD dwUserId) const {
    // The message's own name first, then the participant list, then the names of those who left.
    std::wstring strName = CStringConverter::FromUtf8(strGiven);
    if (!strName.empty()) return strName;
    if (const wchar_t* lpszName = m_users.GetNameByUserId(dwUserId)) return lpszName;
    GetHistoryUserName(dwUserId, strName);
    return strName;
}

std::wstring CMainChatDlg::ResolvePrivateName(const std::string& strGiven, DWORD dwUserId) const {
    // A private header names people as this meeting knows them: the participant list, then the
    // names of those who left, and only then the name the message carries.
    const wchar_t* lpszName = m_users.GetNameByUserId(dwUserId);
    if (lpszName && *lpszName) return lpszName;
    std::wstring strName;
    if (GetHistoryUserName(dwUserId, strName) && !strName.empty()) return strName;
    return CStringConverter::FromUtf8(strGiven);
}

HWND CMainChatDlg::FindHostNotifyTarget() const {
    HWND hTarget = m_hWnd ? GetParent(m_hWnd) : nullptr;
    if (hTarget) hTarget = GetParent(hTarget);
    if (hTarget) hTarget = GetParent(hTarget);
    return hTarget;
}

void CMainChatDlg::NotifyHostOfMessage(DWORD dwNodeId, const std::wstring& strText) {
    HWND hTarget = nullptr;
    if (NotifyTargetCache* pCache = m_pNotifyTargetCache) {
        if (!pCache->bKnown) {
            pCache->hWnd = FindHostNotifyTarget();
            pCache->bKnown = true;
        }
        hTarget = pCache->hWnd;
    } else {
        hTarget = FindHostNotifyTarget();
    }
    if (!hTarget) return;
    HostMessageNotice notice = {dwNodeId, strText.c_str()};
    DWORD_PTR dwResult = 0;
    SendMessageTimeoutW(hTarget, WM_COMMAND, QXCHAT_CMD_MESSAGE_SHOWN, reinterpret_cast<LPARAM>(&notice),
                        SMTO_ABORTIFHUNG, kNotifyTimeoutMs, &dwResult);
}

void CMainChatDlg::RecordMessageToProvider(DWORD dwSenderId, const std::wstring& strText) {
    const ServerRecordingState* pRecording = m_conn.m_pRecording;
    IQxRecordingProvider* pProvider = pRecording ? pRecording->m_pSink : nullptr;
    if (!pProvider || !pRecording->m_bNeedWriInfo || !QxSSRIsRecording(pRecording->m_dwStatus)) return;
    const std::wstring strSource = QxLoadString(IDS_RECORD_SOURCE, kRecordStringRoom);
    const std::wstring strName = QxLoadString(IDS_RECORD_NAME, kRecordStringRoom);
    const std::wstring strSender = QxLoadString(IDS_RECORD_SENDER, kRecordStringRoom);
    const LONG lItem =
        pProvider->AddItem(QXCHAT_RECORD_ITEM_MESSAGE, strSource.c_str(), strName.c_str(), strText.c_str());
    const wchar_t* lpszSenderName = m_users.GetNameByUserId(dwSenderId);
    pProvider->SetAttribute(lItem, strSender.c_str(), lpszSenderName ? lpszSenderName : L"");
}

void CMainChatDlg::PlayIncomingSound(DWORD dwSenderId) {
    const ServerRecordingState* pRecording = m_conn.m_pRecording;
    if (pRecording && pRecording->m_dwStatus == QXCHAT_SSR_RECORDING_2) m_sound.m_lNeedPlaySound = 0;
    if (!m_sound.m_lNeedPlaySound || dwSenderId == m_own.m_dwOwnUserId) return;
    QxSoundInput in;
    in.lNeedPlaySound = m_sound.m_lNeedPlaySound;
    in.lOptionValue = m_sound.m_lOptionValue;
    in.lCurTabIndex = m_sound.m_lCurTabIndex;
    in.bOwnSender = false;
    in.bChatInForeground =
        GetForegroundWindow() == reinterpret_cast<HWND>(static_cast<LONG_PTR>(m_sound.m_lhWnd));
    if (m_sound.m_lOptionValue == QXCHAT_SOUND_FIRST_MESSAGE) {
        for (int i = 0; i < m_users.GetCount(); ++i) {
            CUserItem* pUser = m_users.GetAt(i);
            if (pUser && pUser->m_dwUserId == dwSenderId && pUser->m_bFirstMessage) {
                pUser->m_bFirstMessage = FALSE;
                in.bFirstMessageOfSender = true;
                break;
            }
        }
    }
    in.strSoundPath = m_sound.m_strSoundFile;
    in.strBeepName = m_sound.m_strBeepName;
    QxPlaySound(QxDecideSound(in), m_sound.m_strSoundFile);
}

void CMainChatDlg::StartExpireTimer() {
    if (m_bExpireTimer || !HasWindow()) return;
    SetTimer(m_hWnd, TYPING_EXPIRE_TIMER, TYPING_EXPIRE_MS, nullptr);
    m_bExpireTimer = TRUE;
}

int CMainChatDlg::HandleTypingIndicatorPDU(const CTypingIndicatorPDU& pdu) {
    const DWORD dwNode = pdu.GetSendId();
    if (dwNode == m_own.m_dwOwnNodeId) return 0;
    if (m_typingList.Indicate(dwNode)) SendMessageToService(WM_CHAT_TYPING, dwNode, QXCHAT_TYPING_STARTED);
    return 0;
}
