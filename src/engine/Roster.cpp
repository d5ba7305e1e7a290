// CMainChatDlg, engine side: the roster. Roster changes keep the participant list (and, through
// the recipient steps, the recipient box) in line with the enrolled nodes of the chat room; the
// local roster information and the host's roster status go into the enrollment.
#include "window/MainChatDlg.h"

#include "engine/FAQMacros.h"
#include "engine/RosterRules.h"
#include "engine/SendOption.h"
#include "pdu/RosterInfoPDU.h"
#include "pdu/StringConverter.h"
#include "qxchat.h"
#include "resources/resource.h"
#include "trace/Trace.h"

#include <memory>
#include <new>
#include <vector>

namespace {

const wchar_t* NameOrNull(const CUserItem& item) {
    return item.m_strName.empty() ? L"Null" : item.m_strName.c_str();
}

bool IsAttendeeRoleSet(DWORD dwRoles) {
    return dwRoles == 0 || dwRoles == QXCHAT_ROLE_ATTENDEE;
}

// The participants a run of records names for this room.
int EntriesForRoom(int nCount, const QxRosterRecord* pRecords, DWORD dwRoom) {
    int nEntries = 0;
    for (int r = 0; pRecords && r < nCount; ++r)
        if (pRecords[r].chat_room_id == dwRoom) nEntries += pRecords[r].entry_count;
    return nEntries;
}

} // namespace

int CMainChatDlg::ApeRosterChanged(DWORD ape_handle, WORD conf_handle, WORD add_num, WORD remove_num,
                                   WORD change_num, const QxRosterRecord* list) {
    Trace(L"/**** CMainChatDlg::ApeRosterChanged enter:ape_handle = %d,conf_handle = %d,add_num = "
          L"%d,remove_num = "
          L"%d,change_num=%d,list = %d ****/",
          ape_handle, conf_handle, add_num, remove_num, change_num,
          static_cast<int>(reinterpret_cast<INT_PTR>(list)));
    // A change queued for an attachment that has gone (or was never this chat's) would list, or
    // remove, participants of a room the chat no longer has.
    if (!IsOwnApe(ape_handle)) {
        Trace(L"Fail: CMainChatDlg::ApeRosterChanged: ape_handle %u is not this chat's (%u), dropped",
              ape_handle, m_status.m_apeHandle);
        return 0;
    }
    const QxRosterChangeRuns runs = QxSplitRosterChange(add_num, remove_num, change_num, list);
    if (runs.pAdded) ProcessAddEnrollInfo(add_num, runs.pAdded);
    if (runs.pRemoved) ProcessDeleteEnrollInfo(remove_num, runs.pRemoved);
    if (runs.pChanged) ProcessModifyEnrollInfo(change_num, runs.pChanged);
    Trace(L"/==== CMainChatDlg::ApeRosterChanged end.====/");
    return 0;
}

int CMainChatDlg::ExtractEnrollInfo(int index, CUserItem* pItem, const QxRosterRecord* pRoster) {
    return QxExtractEnrollInfo(index, pItem, pRoster);
}

int CMainChatDlg::ProcessAddEnrollInfo(int nCount, const QxRosterRecord* pRecords) {
    Trace(L"/**** CMainChatDlg::ProcessAddEnrollInfo enter:number = %d ****/", nCount);
    const DWORD dwFeature = m_features.m_dwFeature1;
    const BOOL bSupportMode = (dwFeature & QXCHAT_FEATURE_CUSTOMER_SUPPORT) != 0;
    BOOL bSeenSelf = FALSE;
    // Attendees that may become the selection, newest last. Their entries are looked up once
    // the change is listed: an index taken at arrival would be moved by every later insertion.
    std::vector<DWORD> attendeeCandidates;
    const int nArrivals = EntriesForRoom(nCount, pRecords, static_cast<DWORD>(m_conn.m_lChatRoomId));
    // One allocation for the whole change rather than a copy of the list every few arrivals.
    m_users.ReserveUsers(nArrivals);
    BeginRecipientBatch(nArrivals);
    for (int r = 0; pRecords && r < nCount; ++r) {
        const QxRosterRecord& record = pRecords[r];
        if (record.chat_room_id != static_cast<DWORD>(m_conn.m_lChatRoomId)) continue;
        for (int i = 0; i < record.entry_count; ++i) {
            std::unique_ptr<CUserItem> pItem(new (std::nothrow) CUserItem());
            if (!pItem || ExtractEnrollInfo(i, pItem.get(), &record) == -1) continue;
            Trace(L"/---- CMainChatDlg::ProcessAddEnrollInfo MyUserId= %d, addUserID= %d, addNodeId = %d, "
                  L"addUserName = %s,addroster = %d,addUserType=%d,addInvisible=%d ----/",
                  m_own.m_dwOwnUserId, pItem->m_dwUserId, pItem->m_dwNodeId, NameOrNull(*pItem),
                  pItem->m_dwRosterInfo, pItem->m_lUserType, pItem->m_lVisible);
            if (pItem->m_dwUserId == m_own.m_dwOwnUserId) {
                m_own.m_dwOwnNodeId = pItem->m_dwNodeId;
                bSeenSelf = TRUE;
            }
            BOOL bReplacedSelected = FALSE;
            if (!(dwFeature & QXCHAT_FEATURE_REPLACE_CUSTOMER)) {
                if (m_users.FindDuplicate(*pItem, FALSE)) continue;
            } else if (DWORD dwOldNode = m_users.FindDuplicate(*pItem, TRUE)) {
                CUserItem* pOld = m_users.FindByNodeId(dwOldNode);
                bReplacedSelected = IsSelectedRecipient(pOld);
                RemoveAUserIntoCombox(pOld);
                m_users.RemoveUser(dwOldNode);
            }
            if (QxIsRecordingUser(pItem->m_strName)) {
                Trace(L"/---- CMainChatDlg::ProcessAddEnrollInfo it is SSR user ----/");
                continue;
            }
            const DWORD dwUserId = pItem->m_dwUserId, dwRoles = pItem->m_dwRosterInfo;
            // The list decides first: a record it refuses never reaches the recipient box.
            CUserItem* pListed = m_users.AddUser(std::move(pItem));
            if (!pListed) continue;
            // A participant new to the list: placed among each group's members with the others
            // of this change, once they are all listed.
            m_own.InsertNewUserIntoCombox(RecipientEntries(), pListed);
            if (bReplacedSelected) ReevaluateSelection();
            if (!bSeenSelf && !RecipientBoxEnabled() && (m_own.m_dwPrivilege & QXCHAT_PRIV_MEMBER_LIST) &&
                !bSupportMode && IsAttendeeRoleSet(dwRoles)) {
                attendeeCandidates.push_back(dwUserId);
            }
        }
    }
    m_users.Groups().PlaceArrivals();
    EndRecipientBatch();
    int nAttendeeEntry = -1;
    if (!bSeenSelf) {
        for (auto it = attendeeCandidates.rbegin(); it != attendeeCandidates.rend() && nAttendeeEntry < 0;
             ++it)
            nAttendeeEntry = FindShownUserEntry(*it);
    }
    if (bSeenSelf) {
        if (!bSupportMode)
            HandlePrivilegeUpdate(TRUE);
        else
            ReevaluateSelection();
    } else if (nAttendeeEntry >= 0 && m_host.m_lInputPermission && m_host.m_lUserListPermission &&
               !RecipientBoxEnabled()) {
        SetInputUIStatus(TRUE);
        SelectRecipientEntry(nAttendeeEntry);
    }
    Trace(L"/==== CMainChatDlg::ProcessAddEnrollInfo:end ====/");
    return 1;
}

int CMainChatDlg::ProcessDeleteEnrollInfo(int nCount, const QxRosterRecord* pRecords) {
    Trace(L"/**** CMainChatDlg::ProcessDeleteEnrollInfo enter:number = %d ****/", nCount);
    BOOL bSelectedRemoved = FALSE;
    BeginRecipientBatch(EntriesForRoom(nCount, pRecords, static_cast<DWORD>(m_conn.m_lChatRoomId)));
    for (int r = 0; pRecords && r < nCount; ++r) {
        const QxRosterRecord& record = pRecords[r];
        if (record.chat_room_id != static_cast<DWORD>(m_conn.m_lChatRoomId) || !record.entries) continue;
        for (int i = 0; i < record.entry_count; ++i) {
            const DWORD dwNodeId = record.entries[i].node_id;
            CUserItem* pItem = m_users.FindByNodeId(dwNodeId);
            if (!pItem) continue;
            Trace(L"/---- CMainChatDlg::ProcessDeleteEnrollInfo NodeId = %d, my= %d, delUserID= %d, "
                  L"delNodeId = %d, "
                  L"delUserName = %s,roster = %d,delUserType=%d,delInvisible=%d ----/",
                  dwNodeId, m_own.m_dwOwnUserId, pItem->m_dwUserId, pItem->m_dwNodeId, NameOrNull(*pItem),
                  pItem->m_dwRosterInfo, pItem->m_lUserType, pItem->m_lVisible);
            if (IsSelectedRecipient(pItem)) bSelectedRemoved = TRUE;
            RemoveAUserIntoCombox(pItem);
            m_users.RemoveUser(dwNodeId);
        }
    }
    EndRecipientBatch();
    const int nFound = FindFirstSendableEntry();
    if (bSelectedRemoved && !SelectDefaultRecipient()) SelectRecipientEntry(nFound >= 0 ? nFound : 0);
    if (!m_event.m_bMode2 || m_event.m_lConferenceMode == QXCHAT_CONF_MODE_2) {
        if (nFound < 0) {
            EnableInputBox(FALSE);
            EnableSendButton(FALSE);
            EnableRecipientBox(FALSE);
        }
    } else {
        EnableSendButton(nFound >= 0);
    }
    Trace(L"/==== CMainChatDlg::ProcessDeleteEnrollInfo:end ====/");
    return 1;
}

int CMainChatDlg::ProcessModifyEnrollInfo(int nCount, const QxRosterRecord* pRecords) {
    Trace(L"/**** CMainChatDlg::ProcessModifyEnrollInfo enter:number = %d ****/", nCount);
    // While the host hides the list, changes are ignored: participants stay as first reported.
    if (m_host.m_lUserListPermission == 0) return 0;
    BOOL bSelectedModified = FALSE, bLocalRolesChanged = FALSE;
    BeginRecipientBatch(EntriesForRoom(nCount, pRecords, static_cast<DWORD>(m_conn.m_lChatRoomId)));
    for (int r = 0; pRecords && r < nCount; ++r) {
        const QxRosterRecord& record = pRecords[r];
        if (record.chat_room_id != static_cast<DWORD>(m_conn.m_lChatRoomId)) continue;
        for (int i = 0; i < record.entry_count; ++i) {
            CUserItem itemTmp;
            if (ExtractEnrollInfo(i, &itemTmp, &record) != 0) continue;
            CUserItem* pItem = m_users.FindByNodeId(itemTmp.m_dwNodeId);
            if (!pItem) continue;
            if (IsSelectedRecipient(pItem)) bSelectedModified = TRUE;
            Trace(L"/---- CMainChatDlg::ProcessModifyEnrollInfo my= %d, modUserID= %d, modNodeId = %d, "
                  L"modUserName = "
                  L"%s,oldRoster = %d, newRoster=%d, modUserType=%d,modInvisible=%d ----/",
                  m_own.m_dwOwnUserId, itemTmp.m_dwUserId, itemTmp.m_dwNodeId, NameOrNull(itemTmp),
                  pItem->m_dwRosterInfo, itemTmp.m_dwRosterInfo, itemTmp.m_lUserType, itemTmp.m_lVisible);
            if (itemTmp.m_dwUserId == m_own.m_dwOwnUserId &&
                pItem->m_dwRosterInfo != itemTmp.m_dwRosterInfo) {
                Trace(L"pItem->m_dwRosterInfo != itemTmp.m_dwRosterInfo");
                bLocalRolesChanged = TRUE;
            }
            pItem->UpdateFromRoster(itemTmp);
            ModifyAUserIntoCombox(pItem);
        }
    }
    EndRecipientBatch();
    if (bSelectedModified) ReevaluateSelection();
    if (!HasSelectedRecipient()) {
        ReevaluateSelection();
    } else if (m_host.m_lUserListPermission) {
        const BOOL bStrict = m_event.m_lStrictMode != 0;
        auto anotherVisible = [this](DWORD dwRoleMask, bool bAttendeeRoles) {
            for (int i = 0; i < m_users.GetCount(); ++i) {
                const CUserItem* p = m_users.GetAt(i);
                if (!p || p->m_dwUserId == m_own.m_dwOwnUserId || !p->m_lVisible) continue;
                if (bAttendeeRoles ? IsAttendeeRoleSet(p->m_dwRosterInfo)
                                   : (p->m_dwRosterInfo & dwRoleMask) != 0)
                    return true;
            }
            return false;
        };
        bool bFound = false;
        if (m_host.m_lInputPermission && (m_own.m_dwPrivilege & QXCHAT_PRIV_MEMBER_LIST))
            bFound = anotherVisible(0, true);
        else if (m_host.m_lInputPermission && m_own.CanChatWithPanelist(bStrict) && m_event.m_bMode2 &&
                 m_event.m_lConferenceMode != QXCHAT_CONF_MODE_2)
            bFound = anotherVisible(ROLE_SPEAKERS, false);
        if (bFound) {
            ReevaluateSelection();
            SetInputUIStatus(TRUE);
        }
    }
    if (bLocalRolesChanged) {
        if (!(m_features.m_dwFeature1 & QXCHAT_FEATURE_CUSTOMER_SUPPORT))
            HandlePrivilegeUpdate(TRUE);
        else
            ReevaluateSelection();
    }
    Trace(L"/==== CMainChatDlg::ProcessModifyEnrollInfo:end ====/");
    return 1;
}

void CMainChatDlg::SetRosterStatus(LONG lNeedRosterInfo, LONG lBroadcastRosterInfo) {
    const BOOL bChanged = QxRosterValueFlips(m_own.m_bNeedRosterInfo, lNeedRosterInfo) ||
                          QxRosterValueFlips(m_own.m_bBroadcastRosterInfo, lBroadcastRosterInfo);
    m_own.m_bNeedRosterInfo = lNeedRosterInfo;
    m_own.m_bBroadcastRosterInfo = lBroadcastRosterInfo;
    if (!(lNeedRosterInfo && lBroadcastRosterInfo)) HandlePrivilegeUpdate(TRUE);
    if (bChanged && m_status.m_bEnrolled) Enroll(0);
}

bool CMainChatDlg::FillLocalRosterInfo(CRosterInfoPDU* pRosterInfo) const {
    if (!pRosterInfo) return false;
    pRosterInfo->SetNodeId(m_own.m_dwOwnNodeId);
    pRosterInfo->SetName(CStringConverter::ToUtf8(m_own.GetOwnName() ? m_own.GetOwnName() : L""));
    pRosterInfo->SetRoleSet(m_own.m_dwRoles);
    pRosterInfo->SetVisible(m_event.m_lSendEnable);
    pRosterInfo->SetUserType(static_cast<DWORD>(m_own.m_lUserType));
    // The contact data that fills the other side's phrase macros, each only when known. A value
    // is cut to what the other side's input box can hold: nothing longer can ever be inserted,
    // and the host's values could otherwise make the roster too large to enroll with at all.
    const std::pair<const std::wstring*, void (CRosterInfoPDU::*)(const std::string&)> contact[] = {
        {&m_own.m_strFirstName, &CRosterInfoPDU::SetFirstName},
        {&m_own.m_strLastName, &CRosterInfoPDU::SetLastName},
        {&m_own.m_strPhone, &CRosterInfoPDU::SetPhone},
        {&m_own.m_strEmail, &CRosterInfoPDU::SetEmail}};
    for (const auto& field : contact)
        if (!field.first->empty())
            (pRosterInfo->*field.second)(
                CStringConverter::ToUtf8(QxClipText(*field.first, QX_MAX_SEND_TEXT)));
    pRosterInfo->SetGuestId(m_status.m_dwCustomerId);
    return true;
}
