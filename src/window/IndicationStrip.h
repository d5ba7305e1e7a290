// CIndicationWindow: the typing-indication strip above the message list (window name
// "IndicationWindow"). It keeps the lines of the codes 1, 7 and 9, draws each non-empty one with
// the strip's icon in front, cuts a line too long for the strip at a word with an ellipsis, and
// shows such a line in full in a TooltipPopup while the pointer is over it.
#pragma once

#include "window/GdiObject.h"
#include "window/IndicationLayout.h"

#include <windows.h>
#include <memory>
#include <string>

class TooltipPopup;

extern const wchar_t kIndicationWindowName[];

class CIndicationWindow {
public:
    // Creates the strip as a hidden child of hParent; null on failure. The window owns the object.
    static CIndicationWindow* Create(HWND hParent);
    // The object behind a strip window, or null.
    static CIndicationWindow* FromHwnd(HWND hWnd);
    static void UnregisterWindowClass(); // the tooltip's class goes with it

    HWND GetHwnd() const { return m_hWnd; }

    // Replaces the text of the line of a code; false (and nothing changed) for another code.
    bool SetLine(DWORD dwCode, const std::wstring& strText);
    // The full text of a line; empty for another code.
    std::wstring GetLine(DWORD dwCode) const;
    // The height the lines need: 0 with no line.
    int GetHeight() const;
    int GetLineHeight() const { return m_nLineHeight; }
    // What the line of a code shows at the strip's present width.
    FittedLine GetShownLine(DWORD dwCode) const;
    // The code of the line under a client point; 0 for none.
    DWORD GetCodeAt(POINT ptClient) const;
    // Whether the icon was found in the resource library.
    bool HasIcon() const { return static_cast<bool>(m_icon); }
    // The tooltip; null until a line first needed it.
    TooltipPopup* GetTooltip() const { return m_pTooltip.get(); }

    ~CIndicationWindow();
    CIndicationWindow(const CIndicationWindow&) = delete;
    CIndicationWindow& operator=(const CIndicationWindow&) = delete;

private:
    CIndicationWindow() = default;
    static LRESULT CALLBACK WndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam);
    void OnCreate();
    void OnPaint();
    void Paint(HDC hdc, const RECT& rc) const;
    void OnMouseMove(POINT pt);
    void OnMouseLeave();
    void OnTooltipHidden();
    void ShowTooltip(int nSlot);
    void HideTooltip();
    FittedLine Fit(int nSlot, int nWidth) const;
    std::vector<StripLine> Placed() const;
    RECT LineRowOnScreen(int nSlot) const;
    bool PointerOnLine(int nSlot) const;

    HWND m_hWnd = nullptr;
    std::wstring m_lines[kIndicationLineCount]; // by slot: codes 1, 7, 9
    GdiFont m_font;
    GdiObject<HBITMAP> m_icon; // null without the resource library
    int m_nLineHeight = 0;
    std::unique_ptr<TooltipPopup> m_pTooltip;
    int m_nHoverSlot = -1; // the line the pointer is on; its tooltip is not shown again there
    bool m_bTracking = false;
    bool m_bOwnedByWindow = false;
};
