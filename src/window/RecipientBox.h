// The "Send to:" box: an owner-drawn drop-down list that takes the template's combo box place
// (control 108). It applies the choosing rules to the entries' item data: entries that cannot
// be chosen are drawn disabled, skipped by the arrow keys, and left when they become selected.
#pragma once

#include <windows.h>

#include "participants/RecipientEntryList.h"

// Replaces the template's combo box with the owner-drawn box (same id, place, style and font)
// and returns it; the template's box when the new one cannot be created. bKeepPrivateEntry: the
// private-chat entry (group 32) keeps the selection when chosen.
HWND QxCreateRecipientBox(HWND hDialog, HWND hTemplateBox, BOOL bKeepPrivateEntry);

// The entry the box remembers: the last selected entry that could be chosen. Null when none or
// for a window that is not a recipient box.
const ChatItemData* QxRecipientRemembered(HWND hBox);
void QxRecipientRemember(HWND hBox, const ChatItemData* pData);

// The selection changed by the user (CBN_SELCHANGE): remembers it, or moves it away from an
// entry that cannot be chosen.
void QxRecipientSelectionChanged(HWND hBox);

// WM_MEASUREITEM and WM_DRAWITEM of the box, forwarded by the dialog.
void QxMeasureRecipientItem(MEASUREITEMSTRUCT* pMeasure);
void QxDrawRecipientItem(const DRAWITEMSTRUCT* pDraw);

// The recipient list's entries as the box holds them. It refers to the dialog's handle of the
// box, which the dialog sets when it makes the box; without a box it is an absent list.
class CRecipientBoxEntries final : public IRecipientEntryList {
public:
    explicit CRecipientBoxEntries(const HWND& hBox) : m_hBox(hBox) {}

    BOOL IsPresent() const override;
    int Count() const override;
    ChatItemData* Data(int nIndex) const override;
    std::wstring Text(int nIndex) const override;
    int Insert(int nIndex, const std::wstring& strText, ChatItemData* pData) override;
    void Delete(int nIndex) override;
    // With the box's drawing off: the list of thousands of entries is filled in one pass.
    void Fill(const std::vector<RecipientEntry>& entries) override;
    int Selection() const override;
    void Select(int nIndex) override;
    const ChatItemData* Remembered() const override;
    void Remember(const ChatItemData* pData) override;

private:
    const HWND& m_hBox;
};
