// The "Send to:" box: an owner-drawn drop-down list that takes the template's combo box place
// (control 108). It applies the choosing rules to the entries' item data: entries that cannot
// be chosen are drawn disabled, skipped by the arrow keys, and left when they become selected.
#pragma once

#include <windows.h>

struct ChatItemData;

// Whether an entry with this data can be chosen as the message's recipient.
BOOL QxCanChooseEntry(const ChatItemData* pData);

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

// The nearest entry that can be chosen from nFrom (exclusive) in direction nStep (+1 or -1),
// without wrapping; -1 when none.
int QxNextChoosableEntry(HWND hBox, int nFrom, int nStep);

// WM_MEASUREITEM and WM_DRAWITEM of the box, forwarded by the dialog.
void QxMeasureRecipientItem(MEASUREITEMSTRUCT* pMeasure);
void QxDrawRecipientItem(const DRAWITEMSTRUCT* pDraw);
