// CMainChatDlg: the recipient-box steps that the roster and the connection take, and the choice
// of the selected entry after every rebuild.
#include "window/MainChatDlg.h"

#include "participants/RecipientEntryList.h"
#include "trace/Trace.h"

namespace {

bool SameTarget(const ChatItemData& a, const ChatItemData& b) {
    return a.Kind() == b.Kind() && a.GroupId() == b.GroupId() && a.Code() == b.Code();
}

} // namespace

RecipientListContext CMainChatDlg::RecipientContext() const {
    RecipientListContext ctx;
    ctx.m_lStrictMode = m_event.m_lStrictMode;
    ctx.m_lConferenceMode = m_event.m_lConferenceMode;
    ctx.m_bMode2 = m_event.m_bMode2;
    ctx.m_dwFeature1 = m_features.m_dwFeature1;
    return ctx;
}

void CMainChatDlg::InsertAUserIntoCombox(CUserItem* pItem) {
    m_own.InsertAUserIntoCombox(RecipientEntries(), pItem);
}

void CMainChatDlg::RemoveAUserIntoCombox(CUserItem* pItem) {
    m_own.RemoveAUserIntoCombox(RecipientEntries(), pItem);
}

void CMainChatDlg::ModifyAUserIntoCombox(CUserItem* pItem) {
    m_own.ModifyAUserIntoCombox(RecipientEntries(), pItem);
}

void CMainChatDlg::FillRecipientBoxWithGroups() {
    if (RecipientBoxExists()) m_own.RebuildCombox(RecipientEntries());
}

BOOL CMainChatDlg::IsSelectedRecipient(const CUserItem* pItem) const {
    return pItem && SelectedRecipient() == &pItem->m_ItemData;
}

BOOL CMainChatDlg::HasSelectedRecipient() const {
    return SelectedRecipient() != nullptr;
}

void CMainChatDlg::ReevaluateSelection() {
    if (!RecipientBoxExists()) return;
    const ChatItemData* pSelected = SelectedRecipient();
    ChatItemData kept;
    if (pSelected) kept = *pSelected;
    SetDefaultCurSel(pSelected ? &kept : nullptr);
}

int CMainChatDlg::FindShownUserEntry(DWORD dwUserId) const {
    // From the member lists, not the box: a roster change asks this once per arrival, and a
    // walk over thousands of entries per arrival would make the change quadratic.
    if (!RecipientBoxExists()) return -1;
    const CUsersGroupList& groups = m_users.Groups();
    for (int i = 0; i < groups.GetCount(); ++i) {
        const CUsersGroup* p = groups.GetAt(i);
        const int nMember = p ? p->FindMember(dwUserId) : -1;
        if (nMember < 0 || !p->m_bVisible) continue;
        const CUserItem* pUser = p->GetMember(nMember);
        if (!pUser->m_ItemData.IsShown()) continue;
        const int nEntry = p->m_nListPos + nMember + 1;
        if (RecipientEntry(nEntry) == &pUser->m_ItemData) return nEntry;
    }
    return -1;
}

int CMainChatDlg::FindFirstSendableEntry() const {
    return QxNextChoosableEntry(RecipientEntries(), -1, 1);
}

void CMainChatDlg::SelectRecipientEntry(int nIndex) {
    QxSelectEntry(RecipientEntries(), nIndex);
}

BOOL CMainChatDlg::SelectDefaultRecipient() {
    return SetDefaultCurSel(nullptr);
}

BOOL CMainChatDlg::SelectedRecipientCanChat() const {
    return QxCanChooseEntry(SelectedRecipient());
}

CUsersGroup* CMainChatDlg::RecentUsersGroup() const {
    const CUsersGroupList& groups = m_users.Groups();
    for (int i = 0; i < groups.GetCount(); ++i) {
        CUsersGroup* p = groups.GetAt(i);
        if (p && p->m_nType == CHAT_ROLE_GROUP && p->m_nId == CHAT_SEPARATE_ROLE_GROUP &&
            p->m_ItemData.Code() == CODE_RECENT_USERS)
            return p;
    }
    return nullptr;
}

BOOL CMainChatDlg::SetDefaultCurSel(const ChatItemData* pPrevious) {
    if (!RecipientBoxExists()) return FALSE;
    IRecipientEntryList& list = RecipientEntries();
    const int nCount = list.Count();
    auto groupEntry = [&](const CUsersGroup* p) {
        return (p && p->m_nListPos >= 0 && list.Data(p->m_nListPos) == &p->m_ItemData) ? p->m_nListPos : -1;
    };
    int nFound = -1, nCase = 0;
    if (pPrevious && pPrevious->IsShown() && pPrevious->Kind() != CHAT_KIND_HEADING &&
        pPrevious->Code() != CODE_NOT_CHOOSABLE) {
        for (int i = 0; i < nCount && nFound < 0; ++i) {
            const ChatItemData* p = list.Data(i);
            if (p && SameTarget(*p, *pPrevious) && p->m_dwData[CHAT_DATA_SHOWN] == 1) nFound = i, nCase = 1;
        }
    }
    if (nFound < 0) {
        const ChatItemData* pRemembered = list.Remembered();
        for (int i = 0; pRemembered && i < nCount; ++i) {
            if (list.Data(i) != pRemembered) continue;
            if (pRemembered->IsShown() && pRemembered->GroupId() != CHAT_SEPARATE_ROLE_GROUP)
                nFound = i, nCase = 2;
            break;
        }
    }
    const CUsersGroupList& groups = m_users.Groups();
    if (nFound < 0) {
        for (int nFrom = 0; nFound < 0;) {
            int nPos = -1;
            const CUsersGroup* p = groups.FindDefaultGroup(nFrom, &nPos);
            if (!p) break;
            if (groupEntry(p) >= 0) nFound = groupEntry(p), nCase = 3;
            nFrom = nPos + 1;
        }
    }
    for (int i = 0; nFound < 0 && i < groups.GetCount(); ++i) {
        const CUsersGroup* p = groups.GetAt(i);
        if (p && p->m_ItemData.IsShown() && p->m_nId != CHAT_SEPARATE_ROLE_GROUP &&
            p->m_ItemData.Kind() != CHAT_KIND_HEADING && groupEntry(p) >= 0)
            nFound = groupEntry(p), nCase = 4;
    }
    for (int i = 0; nFound < 0 && i < nCount; ++i) {
        const ChatItemData* p = list.Data(i);
        if (p && p->IsShown() && (p->Kind() == CHAT_KIND_USER || p->Kind() == CHAT_KIND_GROUP))
            nFound = i, nCase = 5;
    }
    if (nFound < 0) {
        SetInputUIStatus(FALSE);
        return FALSE;
    }
    list.Select(nFound);
    Trace(L"/---- CMainChatDlg::SetDefaultCurSel %d ----/", nCase);
    RedrawRecipientBox();
    return TRUE;
}
