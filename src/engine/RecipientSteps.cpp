// CMainChatDlg: the recipient-box steps that the roster and the connection take. The recipient
// box gets its entries with the recipient list, which is not part of this build: until then
// the box holds no entries, so there is nothing to insert, find or select, and no selection
// that could be chatted with. Enabling the box and the dialog's controls is real.
#include "window/MainChatDlg.h"

void CMainChatDlg::InsertAUserIntoCombox(CUserItem* /*pItem*/) {}

void CMainChatDlg::RemoveAUserIntoCombox(CUserItem* /*pItem*/) {}

void CMainChatDlg::ModifyAUserIntoCombox(CUserItem* /*pItem*/) {}

void CMainChatDlg::FillRecipientBoxWithGroups() {}

BOOL CMainChatDlg::IsSelectedRecipient(const CUserItem* /*pItem*/) const {
    return FALSE;
}

BOOL CMainChatDlg::HasSelectedRecipient() const {
    return FALSE;
}

void CMainChatDlg::ReevaluateSelection() {}

int CMainChatDlg::FindShownUserEntry(DWORD /*dwUserId*/) const {
    return -1;
}

int CMainChatDlg::FindFirstSendableEntry() const {
    return -1;
}

void CMainChatDlg::SelectRecipientEntry(int /*nIndex*/) {}

BOOL CMainChatDlg::SelectDefaultRecipient() {
    return FALSE;
}

BOOL CMainChatDlg::SelectedRecipientCanChat() const {
    return FALSE;
}

BOOL CMainChatDlg::RecipientBoxEnabled() const {
    return m_ctl.m_hRecipient && IsWindowEnabled(m_ctl.m_hRecipient);
}

void CMainChatDlg::EnableRecipientBox(BOOL bEnable) {
    if (m_ctl.m_hRecipient) EnableWindow(m_ctl.m_hRecipient, bEnable);
}

void CMainChatDlg::EnableDialogControl(int nId, BOOL bEnable) {
    if (!HasWindow()) return;
    if (HWND hCtl = GetDlgItem(m_hWnd, nId)) EnableWindow(hCtl, bEnable);
}
