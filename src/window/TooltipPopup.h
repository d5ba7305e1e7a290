// TooltipPopup: a borderless pop-up that shows one text in full where a window could only show
// it cut. It never takes the activation, checks every 100 ms (timer 1129) and hides itself
// 2000 ms after it appeared, when the pointer leaves the area it was shown for, or when it is
// clicked. The object owns its window.
#pragma once

#include <windows.h>
#include <functional>
#include <string>

class TooltipPopup {
public:
    // Called after the popup hid itself (time out, pointer gone, click); not after Hide().
    using HiddenHandler = std::function<void()>;
    using Clock = DWORD(WINAPI*)();

    // A popup owned by the top-level window of hOwner; created hidden. Null on failure.
    static TooltipPopup* Create(HWND hOwner, HiddenHandler onHidden);
    ~TooltipPopup(); // destroys the window
    TooltipPopup(const TooltipPopup&) = delete;
    TooltipPopup& operator=(const TooltipPopup&) = delete;

    // Shows the text with its top-left corner at ptScreen (kept on the screen), for as long as
    // the pointer stays inside rcHotScreen.
    void Show(const std::wstring& strText, POINT ptScreen, const RECT& rcHotScreen);
    void Hide();

    HWND GetHwnd() const { return m_hWnd; }
    bool IsShown() const { return m_hWnd && IsWindowVisible(m_hWnd); }
    const std::wstring& GetText() const { return m_strText; }
    // The clock behind the 2000 ms; tests replace it to drive the time out by WM_TIMER.
    void SetClock(Clock clock) { m_clock = clock; }

    static void UnregisterWindowClass();

private:
    TooltipPopup() = default;
    static LRESULT CALLBACK WndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam);
    void OnTimer();
    void OnPaint(HDC hdc) const;
    void HideByItself();

    HWND m_hWnd = nullptr;
    HiddenHandler m_onHidden;
    Clock m_clock = GetTickCount;
    std::wstring m_strText;
    RECT m_rcHot = {};
    DWORD m_dwShownAt = 0;
};
