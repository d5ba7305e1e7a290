// Thin wrappers of the combo box messages behind the recipient box's entries. Each entry's item
// data is a pointer to the ChatItemData of its user or group record.
#pragma once

#include <string>
#include <windows.h>

#include "participants/ChatItemData.h"

inline int ComboCount(HWND hCombo) {
    const LRESULT n = SendMessageW(hCombo, CB_GETCOUNT, 0, 0);
    return n == CB_ERR ? 0 : static_cast<int>(n);
}

inline ChatItemData* ComboData(HWND hCombo, int nIndex) {
    if (nIndex < 0) return nullptr;
    const LRESULT r = SendMessageW(hCombo, CB_GETITEMDATA, static_cast<WPARAM>(nIndex), 0);
    return (r == CB_ERR || r == 0) ? nullptr : reinterpret_cast<ChatItemData*>(r);
}

inline void ComboSetData(HWND hCombo, int nIndex, ChatItemData* pData) {
    if (nIndex >= 0)
        SendMessageW(hCombo, CB_SETITEMDATA, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(pData));
}

// The index the text landed at, or -1.
inline int ComboInsert(HWND hCombo, int nIndex, const std::wstring& strText, ChatItemData* pData) {
    const LRESULT r = SendMessageW(hCombo, CB_INSERTSTRING, static_cast<WPARAM>(nIndex),
                                   reinterpret_cast<LPARAM>(strText.c_str()));
    if (r < 0) return -1;
    ComboSetData(hCombo, static_cast<int>(r), pData);
    return static_cast<int>(r);
}

inline void ComboDelete(HWND hCombo, int nIndex) {
    if (nIndex >= 0) SendMessageW(hCombo, CB_DELETESTRING, static_cast<WPARAM>(nIndex), 0);
}

inline int ComboSelection(HWND hCombo) {
    return static_cast<int>(SendMessageW(hCombo, CB_GETCURSEL, 0, 0));
}

inline void ComboSelect(HWND hCombo, int nIndex) {
    SendMessageW(hCombo, CB_SETCURSEL, static_cast<WPARAM>(nIndex), 0);
}

inline ChatItemData* ComboSelectedData(HWND hCombo) {
    return ComboData(hCombo, ComboSelection(hCombo));
}

inline std::wstring ComboText(HWND hCombo, int nIndex) {
    const LRESULT n = SendMessageW(hCombo, CB_GETLBTEXTLEN, static_cast<WPARAM>(nIndex), 0);
    if (n == CB_ERR) return std::wstring();
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    SendMessageW(hCombo, CB_GETLBTEXT, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(&text[0]));
    text.resize(static_cast<size_t>(n));
    return text;
}
