// The choosing rules of the "Send to:" list: which entries can be chosen, what the arrow keys
// reach, and what a selection of an entry that cannot be chosen turns into.
#include "participants/RecipientEntryList.h"

#include "participants/RoleGroups.h"

namespace {

bool IsLockedAttendeeEntry(const ChatItemData& d) {
    return d.GroupId() == CHAT_ATTENDEES_GROUP_NEW && d.m_dwData[CHAT_DATA_LOCKED] == 1;
}

} // namespace

BOOL QxCanChooseEntry(const ChatItemData* p) {
    if (!p || !p->IsShown() || p->Kind() == CHAT_KIND_HEADING) return FALSE;
    if (p->Code() == CODE_RECENT_USERS || p->Code() == CODE_NOT_CHOOSABLE) return FALSE;
    if (p->GroupId() == CHAT_SEPARATE_ROLE_GROUP || p->GroupId() == CHAT_PRIVATE_CHAT_GROUP) return FALSE;
    return !(p->Kind() == CHAT_KIND_GROUP && IsLockedAttendeeEntry(*p));
}

int QxFindEntry(const IRecipientEntryList& list, const ChatItemData* pData) {
    if (!pData) return -1;
    for (int i = 0, n = list.Count(); i < n; ++i)
        if (list.Data(i) == pData) return i;
    return -1;
}

ChatItemData* QxSelectedEntryData(const IRecipientEntryList& list) {
    return list.Data(list.Selection());
}

void QxReplaceEntry(IRecipientEntryList& list, int nIndex, const std::wstring& strText, ChatItemData* pData) {
    const bool bSelected = list.Selection() == nIndex;
    list.Delete(nIndex);
    const int nAt = list.Insert(list.Count() == 0 ? 0 : nIndex, strText, pData);
    if (bSelected && nAt >= 0) list.Select(nAt);
}

int QxNextChoosableEntry(const IRecipientEntryList& list, int nFrom, int nStep) {
    const int nCount = list.Count();
    for (int i = nFrom + nStep; i >= 0 && i < nCount; i += nStep)
        if (QxCanChooseEntry(list.Data(i))) return i;
    return -1;
}

void QxSelectEntry(IRecipientEntryList& list, int nIndex) {
    list.Select(nIndex);
    const ChatItemData* p = list.Data(nIndex);
    if (QxCanChooseEntry(p)) list.Remember(p);
}

void QxStepSelection(IRecipientEntryList& list, int nStep) {
    const int nNext = QxNextChoosableEntry(list, list.Selection(), nStep);
    if (nNext < 0) return;
    list.Select(nNext);
    list.Remember(list.Data(nNext));
}

void QxSelectionChanged(IRecipientEntryList& list, BOOL bKeepPrivateEntry) {
    const int nSel = list.Selection();
    const ChatItemData* pData = list.Data(nSel);
    if (QxCanChooseEntry(pData)) {
        list.Remember(pData);
        return;
    }
    if (!pData) return;
    if (IsLockedAttendeeEntry(*pData)) {
        list.Select(QxFindEntry(list, list.Remembered()));
        return;
    }
    if (pData->GroupId() == CHAT_PRIVATE_CHAT_GROUP && bKeepPrivateEntry) return;
    // Forward, wrapping around, to the next entry that can be chosen.
    const int nCount = list.Count();
    for (int k = 1; k < nCount; ++k) {
        const int i = (nSel + k) % nCount;
        const ChatItemData* pNext = list.Data(i);
        if (QxCanChooseEntry(pNext)) {
            list.Select(i);
            list.Remember(pNext);
            return;
        }
    }
}
