// CMessageWindow: the message list inside the message container (window name "MessageWindow").
// It owns the items, draws them newest at the bottom, and copies the selected text. Items added
// by the engine are refreshed together by timer 103, so a burst costs one refresh.
#pragma once

#include "window/MessageItem.h"

#include <windows.h>
#include <memory>
#include <string>
#include <vector>

extern const wchar_t kMessageWindowName[];

class CMessageWindow {
public:
    // Creates the list as a visible child of hParent; null on failure. The window owns the
    // object: it is freed when the window is destroyed.
    static CMessageWindow* Create(HWND hParent, const RECT& rc);
    // The object behind a list window, or null.
    static CMessageWindow* FromHwnd(HWND hWnd);
    static void UnregisterWindowClass();

    HWND GetHwnd() const { return m_hWnd; }

    void ShowMessage(const std::wstring& strSender, const std::wstring& strText, const std::wstring& strRest,
                     const std::wstring& strDate, const std::wstring& strTime); // kind 1 + kind 2, timer 103
    void ShowNotice(DWORD dwSubtype, const std::wstring& strText, const std::wstring& strDate,
                    const std::wstring& strTime);
    void Append(std::unique_ptr<MessageItem> pItem, bool bFromEngine); // the transcript loader passes false
    void Refresh();

    int GetItemCount() const { return static_cast<int>(m_items.size()); }
    const MessageItem& GetItem(int nIndex) const { return *m_items[nIndex]; }
    int RefreshCount() const { return m_nRefreshCount; } // refreshes done so far
    bool IsRefreshPending() const { return m_bRefreshTimer; }

    bool IsUnsaved() const { return m_bUnsaved; }
    bool IsUnsavedSinceAutoSave() const { return m_bUnsavedAutoSave; }
    void ClearUnsaved(bool bAutoSave); // clears the auto-save flag when bAutoSave, else the save flag
    size_t TextSizeSum() const { return m_nTextSizeSum; } // sum of 2 * text length + 8

    bool HasItems() const { return !m_items.empty(); }
    bool HasSelection() const;
    void SelectAll();
    void ClearSelection();
    // Items from nFirst to nLast (inclusive, any order) become wholly selected.
    void SelectRange(int nFirst, int nLast);
    // The selected text: items joined by "\r\n", and "\r\n" before every notice.
    std::wstring GetSelectedText() const;
    // Ctrl+C and the popup menu: the selected text to the clipboard. False when nothing was put.
    bool Copy();
    // Puts the text on the clipboard as Unicode text; false when the clipboard is unavailable.
    bool CopyTextToClipBorad(const std::wstring& strText);

    void SetBrowserType(LONG lBrowserType) { m_lBrowserType = lBrowserType; }
    LONG GetBrowserType() const { return m_lBrowserType; }
    // The line height of a kind: the height of "ABC" in the kind's font.
    int LineHeight(DWORD kind) const;

private:
    struct Fonts;
    CMessageWindow() = default;
    ~CMessageWindow();
    static LRESULT CALLBACK WndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam);
    void OnCreate();
    void OnSize(int cx);
    void OnPaint();
    void OnTimer(UINT_PTR nId);
    bool OnKeyDown(WPARAM vk);
    void OnContextMenu(int x, int y);
    void LayoutItem(MessageItem& item, HDC hdc) const;
    void PaintItems(HDC hdc, const RECT& rc) const;

    HWND m_hWnd = nullptr;
    std::vector<std::unique_ptr<MessageItem>> m_items;
    std::unique_ptr<Fonts> m_pFonts;
    int m_nLineHeight[5] = {};
    int m_nWidth = 0; // client width of the last layout
    int m_nAnchor = -1, m_nFocus = -1;
    bool m_bRefreshTimer = false;
    DWORD m_dwRefreshDue = 0; // tick count when the pending refresh is due
    int m_nRefreshCount = 0;
    bool m_bUnsaved = false, m_bUnsavedAutoSave = false;
    size_t m_nTextSizeSum = 0;
    LONG m_lBrowserType = 0;
    HMENU m_hMenu = nullptr;
    bool m_bOwnedByWindow = false; // set once creation has succeeded
};
