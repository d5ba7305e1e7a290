// CMainChatDlg: the host's group configuration, recipient and transfer requests. Until the
// recipient list and the transfer messages exist, each request traces what it was asked and
// reports that nothing was done.
#include "window/MainChatDlg.h"

#include "interface/ExportGuard.h"
#include "trace/Trace.h"

LONG CMainChatDlg::AddGroup(LONG nInsertIndex, LONG nGroupType, LONG nGroupId, const wchar_t* pstrGroupName,
                            LONG bShowMemberList, LONG bDefault, LONG lShowFactNameInUserList,
                            const wchar_t* lpszGroupLabel) {
    Trace(L"/**** CMainChatDlg::AddGroup enter: nInsertIndex=%d, nGroupType=%d, nGroupId/role=%d, "
          L"pstrGroupName=%s, "
          L"lpszGroupLabel=%s, lShowFactNameInUserList=%d, bShowMemberList=%d, bDefault = %d ****/",
          nInsertIndex, nGroupType, nGroupId, QxTraceText(pstrGroupName), QxTraceText(lpszGroupLabel),
          lShowFactNameInUserList, bShowMemberList, bDefault);
    const LONG nIndex = -1;
    Trace(L"/---- CMainChatDlg::AddGroup: the recipient list is not available in this build ----/");
    Trace(L"/==== CMainChatDlg::AddGroup exit: nIndex = %d ====/", nIndex);
    return nIndex;
}

LONG CMainChatDlg::ModifyGroup(LONG nModifyIndex, LONG lModifyMask, LONG lModifyValue, LONG lModifyCount,
                               const wchar_t* lpszReserved1, const wchar_t* lpszReserved2, DWORD dwReserved1,
                               DWORD dwReserved2) {
    Trace(L"/**** CMainChatDlg::ModifyGroup enter: "
          L"nModifyIndex=%d,lModifyMask=%d,lModifyValue=%d,lModifyCount=%d,"
          L"lpszReserved1=%s,lpszReserved2=%s,dwReserved1=%d,dwReserved2=%d ****/",
          nModifyIndex, lModifyMask, lModifyValue, lModifyCount, QxTraceText(lpszReserved1),
          QxTraceText(lpszReserved2), dwReserved1, dwReserved2);
    // Without the window or before the chat is enabled nothing changes; once enabled the group
    // operations belong to the recipient list, not yet built.
    if (HasWindow() && m_status.m_bEnrolled)
        Trace(L"/---- CMainChatDlg::ModifyGroup: the recipient list is not available in this build ----/");
    return 0;
}

LONG CMainChatDlg::AddAUser(DWORD dwNodeId) {
    if (!m_users.FindByNodeId(dwNodeId)) return -1;
    Trace(L"/---- CMainChatDlg::AddAUser: the recipient list is not available in this build ----/");
    return -1;
}

LONG CMainChatDlg::TransferMessages(DWORD dwType, DWORD /*dwTargetID*/, DWORD /*dwOption*/,
                                    const wchar_t* lpszMessage) {
    if (!lpszMessage) return 0;
    Trace(L"/---- CMainChatDlg::TransferMessages: type %d not available in this build ----/", dwType);
    return 0;
}
