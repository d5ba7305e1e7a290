// CMainChatDlg: the host's group configuration (AddGroup, ModifyGroup and the group-modify
// operations) and the transfer request.
#include "window/MainChatDlg.h"

#include "module/ExportGuard.h"
#include "resources/resource.h"
#include "trace/Trace.h"

namespace {

const wchar_t* NameOrNull(const std::wstring& str) {
    return str.empty() ? L"NULL" : str.c_str();
}

// The group found, or a new one owned by pNew until it is listed; each case traces its line.
CUsersGroup* FoundOrNew(CUsersGroup* pFound, std::unique_ptr<CUsersGroup>& pNew, CUserList* pOwner,
                        const wchar_t* lpszFoundLine, const wchar_t* lpszNewLine) {
    if (pFound) {
        Trace(lpszFoundLine);
        return pFound;
    }
    pNew.reset(new (std::nothrow) CUsersGroup(pOwner));
    if (pNew) Trace(lpszNewLine);
    return pNew.get();
}

void SetGroupFields(CUsersGroup& group, LONG nType, LONG nId, const wchar_t* lpszName,
                    const wchar_t* lpszLabel, LONG bShowMemberList, LONG bDefault) {
    group.m_nType = nType;
    group.m_nId = nId;
    if (lpszName) group.m_strName = lpszName;
    if (lpszLabel) group.m_strLabel = lpszLabel;
    group.m_bShowMemberList = bShowMemberList ? TRUE : FALSE;
    group.m_bDefault = bDefault ? TRUE : FALSE;
}

// The host-driven model reads lShowFactNameInUserList as five flags.
void SetHostFlags(CUsersGroup& group, LONG lBits) {
    group.m_bShowFactName = (lBits & QXCHAT_GROUPFLAG_SHOW_FACT_NAME) ? TRUE : FALSE;
    group.m_bListedOnly = (lBits & QXCHAT_GROUPFLAG_NOT_CHOOSABLE) ? TRUE : FALSE;
    group.m_bFlagBit2 = (lBits & QXCHAT_GROUPFLAG_BIT2) ? TRUE : FALSE;
    group.m_bShowRecentUsers = (lBits & QXCHAT_GROUPFLAG_RECENT_USERS) ? TRUE : FALSE;
    group.m_bVisible = (lBits & QXCHAT_GROUPFLAG_VISIBLE) ? TRUE : FALSE;
}

int ClampedPosition(const CUsersGroupList& groups, LONG nIndex) {
    return nIndex < 0 ? 0 : (nIndex > groups.GetCount() ? groups.GetCount() : static_cast<int>(nIndex));
}

} // namespace

LONG CMainChatDlg::AddGroup(LONG nInsertIndex, LONG nGroupType, LONG nGroupId, const wchar_t* pstrGroupName,
                            LONG bShowMemberList, LONG bDefault, LONG lShowFactNameInUserList,
                            const wchar_t* lpszGroupLabel) {
    Trace(L"/**** CMainChatDlg::AddGroup enter: nInsertIndex=%d, nGroupType=%d, nGroupId/role=%d, "
          L"pstrGroupName=%s, "
          L"lpszGroupLabel=%s, lShowFactNameInUserList=%d, bShowMemberList=%d, bDefault = %d ****/",
          nInsertIndex, nGroupType, nGroupId, QxTraceText(pstrGroupName), QxTraceText(lpszGroupLabel),
          lShowFactNameInUserList, bShowMemberList, bDefault);
    LONG nIndex = -1;
    if (nGroupType == CHAT_ROLE_GROUP || nGroupType == CHAT_HEADING_GROUP) {
        nIndex = HostDrivenGroups()
                     ? AddRoleGroup2(nInsertIndex, nGroupType, nGroupId, pstrGroupName, lpszGroupLabel,
                                     lShowFactNameInUserList, bShowMemberList, bDefault)
                     : AddRoleGroup(nInsertIndex, nGroupType, nGroupId, pstrGroupName, lpszGroupLabel,
                                    lShowFactNameInUserList, bShowMemberList, bDefault);
    } else if (nGroupType == CHAT_UNSENDABLE_GROUP) {
        nIndex = AddUnsendableGroup(nInsertIndex, nGroupId, pstrGroupName, lpszGroupLabel,
                                    lShowFactNameInUserList, bShowMemberList, bDefault);
    }
    m_own.RecomputePositions();
    if (m_status.m_bEnrolled && HasWindow() && RecipientBoxExists()) {
        m_own.RefreshAllMembers(RecipientEntries());
        if (SelectedRecipientIndex() >= 0) SetDefaultCurSel(nullptr);
    }
    Trace(L"/==== CMainChatDlg::AddGroup exit: nIndex = %d ====/", nIndex);
    return nIndex;
}

LONG CMainChatDlg::AddRoleGroup(LONG nInsertIndex, LONG nGroupType, LONG nGroupId,
                                const wchar_t* pstrGroupName, const wchar_t* lpszGroupLabel,
                                LONG lShowFactNameInUserList, LONG bShowMemberList, LONG bDefault) {
    Trace(L"/**** CMainChatDlg::AddRoleGroup enter: nInsertIndex=%d,nGroupType=%d,nGroupId/role=%d,"
          L"pstrGroupName=%s,lpszGroupLabel=%s,bShowFactNameInUserList=%d,bShowMemberList=%d, bDefault = %d "
          L"****/",
          nInsertIndex, nGroupType, nGroupId, QxTraceText(pstrGroupName), QxTraceText(lpszGroupLabel),
          lShowFactNameInUserList, bShowMemberList, bDefault);
    RecordCacheGroup(nInsertIndex, nGroupType, nGroupId, pstrGroupName);
    CUsersGroupList& groups = m_users.Groups();
    std::unique_ptr<CUsersGroup> pNew;
    CUsersGroup* pGroup = FoundOrNew(
        nGroupType == CHAT_HEADING_GROUP ? nullptr : groups.FindGroup(nGroupType, nGroupId, pstrGroupName),
        pNew, &m_users, L"/---- CMainChatDlg::AddRoleGroup Existed Group ----/",
        L"/---- CMainChatDlg::AddRoleGroup New Group ----/");
    if (!pGroup) return -1;
    SetGroupFields(*pGroup, nGroupType, nGroupId, pstrGroupName, lpszGroupLabel, bShowMemberList, bDefault);
    pGroup->m_bShowFactName = lShowFactNameInUserList ? TRUE : FALSE;
    if (QxNBRAllowsRecording(m_recording.m_dwNBRStatus)) pGroup->m_bSubscriptionPending = TRUE;
    if (pNew) pGroup = groups.InsertGroup(ClampedPosition(groups, nInsertIndex), std::move(pNew));
    const LONG nResult = pGroup ? nInsertIndex : -1;
    ListGroupEntry(pGroup);
    Trace(L"/==== CMainChatDlg::AddRoleGroup exit: nInsertIndex = %d ====/", nResult);
    return nResult;
}

void CMainChatDlg::ListGroupEntry(CUsersGroup* pGroup) {
    if (!pGroup || !m_status.m_bEnrolled || !RecipientBoxExists()) return;
    CUsersGroupList& groups = m_users.Groups();
    m_own.RecomputePositions();
    const int nEntries = groups.GetEntriesBefore(groups.Find(pGroup));
    m_own.InsertOrRefreshGroupEntry(RecipientEntries(), pGroup, nEntries < 0 ? 0 : nEntries);
    m_own.RecomputePositions();
}

LONG CMainChatDlg::AddRoleGroup2(LONG nInsertIndex, LONG nGroupType, LONG nGroupId,
                                 const wchar_t* pstrGroupName, const wchar_t* lpszGroupLabel,
                                 LONG lShowFactNameInUserList, LONG bShowMemberList, LONG bDefault) {
    Trace(L"/**** CMainChatDlg::AddRoleGroup2 enter: nInsertIndex=%d,nGroupType=%d,nGroupId/role=%d,"
          L"pstrGroupName=%s,lpszGroupLabel=%s,lShowFactNameInUserList=%d,bShowMemberList=%d, bDefault = %d "
          L"****/",
          nInsertIndex, nGroupType, nGroupId, QxTraceText(pstrGroupName), QxTraceText(lpszGroupLabel),
          lShowFactNameInUserList, bShowMemberList, bDefault);
    // The host-driven groups need caches as much as the rights-based ones: without them no
    // group message could be sent or received in this model.
    RecordCacheGroup(m_CacheGroups.GetCount(), nGroupType, nGroupId, pstrGroupName);
    CUsersGroupList& groups = m_users.Groups();
    std::unique_ptr<CUsersGroup> pNew;
    CUsersGroup* pGroup = FoundOrNew(
        nGroupType == CHAT_HEADING_GROUP ? nullptr : groups.FindGroup2(nGroupType, nGroupId, pstrGroupName),
        pNew, &m_users, L"/---- CMainChatDlg::AddRoleGroup2 This Group has existed ----/",
        L"/---- CMainChatDlg::AddRoleGroup2 This is a new group ----/");
    if (!pGroup) return -1;
    SetGroupFields(*pGroup, nGroupType, nGroupId, pstrGroupName, lpszGroupLabel, bShowMemberList, bDefault);
    SetHostFlags(*pGroup, lShowFactNameInUserList);
    if (pNew) pGroup = groups.InsertGroupAfterIndex(nInsertIndex, std::move(pNew));
    if (!pGroup) {
        Trace(L"/==== CMainChatDlg::AddRoleGroup2 exit: return = %d ====/", -1);
        return -1;
    }
    // A group that is not visible has no entry until it appears.
    if (pGroup->m_bVisible) ListGroupEntry(pGroup);
    Trace(L"/---- CMainChatDlg::AddRoleGroup2 Add Group successfully! ----/");
    Trace(L"/==== CMainChatDlg::AddRoleGroup2 exit: return = %d ====/", pGroup->m_nIndex);
    return pGroup->m_nIndex;
}

LONG CMainChatDlg::AddUnsendableGroup(LONG nInsertIndex, LONG nGroupId, const wchar_t* pstrGroupName,
                                      const wchar_t* lpszGroupLabel, LONG lShowFactNameInUserList,
                                      LONG bShowMemberList, LONG bDefault) {
    // Always a new group, owned by the group list like every other; the list is then rebuilt so
    // that no entry refers to a group that is not listed.
    std::unique_ptr<CUsersGroup> pNew(new (std::nothrow) CUsersGroup(&m_users));
    if (!pNew) return -1;
    SetGroupFields(*pNew, CHAT_UNSENDABLE_GROUP, nGroupId, pstrGroupName, lpszGroupLabel, bShowMemberList,
                   bDefault);
    CUsersGroupList& groups = m_users.Groups();
    LONG nResult = -1;
    if (HostDrivenGroups()) {
        SetHostFlags(*pNew, lShowFactNameInUserList);
        if (CUsersGroup* p = groups.InsertGroupAfterIndex(nInsertIndex, std::move(pNew)))
            nResult = p->m_nIndex;
    } else {
        pNew->m_bShowFactName = lShowFactNameInUserList ? TRUE : FALSE;
        if (groups.InsertGroup(ClampedPosition(groups, nInsertIndex), std::move(pNew)))
            nResult = nInsertIndex;
    }
    if (m_status.m_bEnrolled) FillRecipientBoxWithGroups();
    return nResult;
}

LONG CMainChatDlg::ModifyGroup(LONG nModifyIndex, LONG lModifyMask, LONG lModifyValue, LONG lModifyCount,
                               const wchar_t* lpszReserved1, const wchar_t* lpszReserved2, DWORD dwReserved1,
                               DWORD dwReserved2) {
    Trace(L"/**** CMainChatDlg::ModifyGroup enter: "
          L"nModifyIndex=%d,lModifyMask=%d,lModifyValue=%d,lModifyCount=%d,"
          L"lpszReserved1=%s,lpszReserved2=%s,dwReserved1=%d,dwReserved2=%d ****/",
          nModifyIndex, lModifyMask, lModifyValue, lModifyCount, QxTraceText(lpszReserved1),
          QxTraceText(lpszReserved2), dwReserved1, dwReserved2);
    if (!HasWindow() || !m_status.m_bEnrolled || !RecipientBoxExists()) return 0;
    ChatItemData kept;
    const ChatItemData* pSelected = SelectedRecipient();
    if (pSelected) kept = *pSelected;
    CloseRecipientDropDown();
    if (!SendingAllowed()) {
        SetInputUIStatus(FALSE);
        EnableSendToLabel(FALSE);
        RedrawDialog();
        Trace(L"/---- CMainChatDlg::ModifyGroup, chat not enable ----/");
        return 0;
    }
    ShowInputPromptOnce();
    CUsersGroupList& groups = m_users.Groups();
    for (int i = 0; i < groups.GetCount(); ++i) {
        CUsersGroup* pGroup = groups.GetAt(i);
        if (!pGroup || pGroup->m_nIndex != nModifyIndex) continue;
        auto bit = [&](LONG lMask) { return (lModifyValue & lMask) ? 1L : 0L; };
        if (lModifyMask & QXCHAT_MODIFY_DIM) MakeGroupDim(pGroup, bit(QXCHAT_MODIFY_DIM));
        if (lModifyMask & QXCHAT_MODIFY_DISAPPEAR) MakeGroupDisappear(pGroup, bit(QXCHAT_MODIFY_DISAPPEAR));
        if (lModifyMask & QXCHAT_MODIFY_SHOW_MEMBERS)
            MakeShowMemberList(pGroup, bit(QXCHAT_MODIFY_SHOW_MEMBERS));
        if (lModifyMask & QXCHAT_MODIFY_DEFAULT) MakeGroupDefault(pGroup, bit(QXCHAT_MODIFY_DEFAULT));
        if (lModifyMask & QXCHAT_MODIFY_SHOW_FACT_NAME)
            MakeShowFactName(pGroup, bit(QXCHAT_MODIFY_SHOW_FACT_NAME));
        if (lModifyMask & QXCHAT_MODIFY_RECENT_COUNT)
            MakeShowRecentuser(pGroup, bit(QXCHAT_MODIFY_RECENT_COUNT), lModifyCount);
        if (lModifyMask & QXCHAT_MODIFY_RECENT_LABEL)
            MakeShowRecentuser(pGroup, bit(QXCHAT_MODIFY_RECENT_LABEL), lpszReserved1);
    }
    groups.RecomputeVisibleListPositions();
    const BOOL bSelected = SetDefaultCurSel(pSelected ? &kept : nullptr);
    SetInputUIStatus(m_host.m_lInputPermission == 1 && bSelected);
    EnableRecipientBox(m_host.m_lUserListPermission && bSelected);
    Trace(L"/==== CMainChatDlg::ModifyGroup exit ====/");
    return 1;
}

void CMainChatDlg::MakeGroupDim(CUsersGroup* pGroup, LONG lValue) {
    Trace(L"/**** CMainChatDlg::MakeGroupDim Enter: %d ****/", lValue);
    if (pGroup) {
        pGroup->m_bDim = lValue ? TRUE : FALSE;
        pGroup->m_ItemData.SetShown(lValue == 0);
    }
    Trace(L"/==== CMainChatDlg::MakeGroupDim Exit: %d ====/", lValue);
}

void CMainChatDlg::MakeGroupDisappear(CUsersGroup* pGroup, LONG lValue) {
    Trace(L"/**** CMainChatDlg::MakeGroupDisappear enter: lModifyvalue = %d ****/", lValue);
    if (pGroup) {
        const BOOL bWasVisible = pGroup->m_bVisible;
        pGroup->m_bVisible = lValue ? FALSE : TRUE;
        pGroup->m_ItemData.m_dwData[CHAT_DATA_GONE] = lValue ? 1 : 0;
        if (lValue && bWasVisible) {
            const BOOL bShowMembers = pGroup->m_bShowMemberList;
            MakeShowMemberList(pGroup, 0);
            pGroup->m_bShowMemberList = bShowMembers; // kept for when the group appears again
            m_own.DisappearGroup(RecipientEntries(), pGroup);
        } else if (!lValue && !bWasVisible) {
            m_own.AppearGroup(RecipientEntries(), pGroup);
            if (pGroup->m_bShowMemberList) MakeShowMemberList(pGroup, 1);
            if (pGroup->m_bDim) pGroup->m_ItemData.SetShown(FALSE);
        }
    }
    Trace(L"/==== CMainChatDlg::MakeGroupDisappear exit: ====/");
}

void CMainChatDlg::MakeShowMemberList(CUsersGroup* pGroup, LONG lValue) {
    Trace(L"/**** CMainChatDlg::MakeShowMemberList enter: lModifyValue = %d ****/", lValue);
    if (pGroup) {
        pGroup->m_bShowMemberList = lValue ? TRUE : FALSE;
        m_own.ShowMemberList(RecipientEntries(), pGroup, lValue != 0);
    }
    Trace(L"/==== CMainChatDlg::MakeShowMemberList exit ====/");
}

void CMainChatDlg::MakeGroupDefault(CUsersGroup* pGroup, LONG lValue) {
    Trace(L"/**** CMainChatDlg::MakeGroupDefault enter: lModifyValue = %d ****/", lValue);
    if (pGroup) pGroup->m_bDefault = lValue ? TRUE : FALSE;
    Trace(L"/==== CMainChatDlg::MakeGroupDefault exit ====/");
}

void CMainChatDlg::MakeShowFactName(CUsersGroup* pGroup, LONG lValue) {
    Trace(L"/**** CMainChatDlg::MakeShowFactName enter: lModifyValue = %d ****/", lValue);
    if (pGroup) {
        Trace(L"/---- CMainChatDlg::MakeShowFactName Group name = %s ----/", NameOrNull(pGroup->m_strName));
        pGroup->m_bShowFactName = lValue ? TRUE : FALSE;
        pGroup->m_ItemData.m_dwData[CHAT_DATA_FACT_NAME] = lValue ? 1 : 0;
        std::wstring text =
            pGroup->m_nType == CHAT_ROLE_GROUP && lValue ? pGroup->RefreshFactName() : pGroup->m_strName;
        if (text.empty()) text = L"  ";
        if (pGroup->m_nListPos >= 0 && RecipientEntry(pGroup->m_nListPos) == &pGroup->m_ItemData)
            ReplaceRecipientEntry(pGroup->m_nListPos, text, &pGroup->m_ItemData);
    }
    Trace(L"/==== CMainChatDlg::MakeShowFactName exit ====/");
}

void CMainChatDlg::MakeShowRecentuser(CUsersGroup* pGroup, LONG lValue, LONG lModifyCount) {
    Trace(L"/**** CMainChatDlg::MakeShowRecentuser enter: lModifyValue = %d,Modify count=%d ****/", lValue,
          lModifyCount);
    if (pGroup) {
        pGroup->m_bShowRecentUsers = lValue ? TRUE : FALSE;
        if (lValue == 1) pGroup->m_nRecentUserLimit = lModifyCount;
    }
    Trace(L"/==== CMainChatDlg::MakeShowRecentuser exit: ====/");
}

void CMainChatDlg::MakeShowRecentuser(CUsersGroup* pGroup, LONG lValue, const wchar_t* lpszLabelFormat) {
    Trace(L"/**** CMainChatDlg::MakeShowRecentuser enter: lModifyValue = %d,Label format=%s ****/", lValue,
          QxTraceText(lpszLabelFormat));
    if (pGroup && lValue == 1 && lpszLabelFormat) pGroup->m_strRecentUserLabelFormat = lpszLabelFormat;
    Trace(L"/==== CMainChatDlg::MakeShowRecentuser exit ====/");
}
