// Names and entries of the dialog's controls for screen readers. The platform's own object of a
// control does the work; this one wraps it to give the name the dialog means (the input box has
// no label of its own) and, for the owner-drawn recipient box, the selected entry as value and
// the entries' texts as children (the platform's object would read empty owner-drawn items).
#pragma once

#include <windows.h>

#include <string>

// WM_GETOBJECT of a control: its client object with the given name. With bEntries (a combo box
// whose entries hold strings) the value is the selected entry's text and the entries are its
// children. Returns 0 when the request is not for the client object or cannot be answered, so
// that the caller leaves it to the default.
LRESULT QxControlObject(HWND hCtl, WPARAM wParam, LPARAM lParam, const std::wstring& strName, bool bEntries);
// The text of a dialog's control without its mnemonic marker: the name a label gives.
std::wstring QxLabelName(HWND hDialog, int nId);
// Names a combo box of the dialog by its label for screen readers, with its entries' texts and
// the selected one as value, until the box is destroyed. False when it could not be hooked.
bool QxNameComboByLabel(HWND hBox, int nLabelId);
// The input box's name: the Send button's tooltip, which says what the box is for.
std::wstring QxInputBoxName();
