// Helpers of the chat window tests: a message container on a visible host window, the keyboard
// state for Ctrl, the clipboard's text, and a look at the pixels a window paints.
#pragma once

#include "Screenshot.h"
#include "WindowTestUtil.h"

#include <windows.h>
#include <string>

namespace windowtest {

// Sets or clears the Ctrl key in this thread's keyboard state (read by GetKeyState).
inline void SetCtrl(bool bDown) {
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_CONTROL] = keys[VK_LCONTROL] = bDown ? 0x80 : 0;
    SetKeyboardState(keys);
}

// Ctrl held while the object lives.
struct CtrlHeld {
    CtrlHeld() { SetCtrl(true); }
    ~CtrlHeld() { SetCtrl(false); }
};

// A key press and release as the keyboard would post them; the pump translates them into
// characters the way a message loop does.
inline void PressKey(HWND hWnd, UINT vk) {
    const UINT scan = MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
    PostMessageW(hWnd, WM_KEYDOWN, vk, 1 | (scan << 16));
    PostMessageW(hWnd, WM_KEYUP, vk, 1 | (scan << 16) | 0xC0000000);
    PumpPending();
}

inline std::wstring ClipboardText() {
    std::wstring text;
    if (!OpenClipboard(nullptr)) return text;
    if (HANDLE h = GetClipboardData(CF_UNICODETEXT)) {
        if (auto* p = static_cast<const wchar_t*>(GlobalLock(h))) {
            text = p;
            GlobalUnlock(h);
        }
    }
    CloseClipboard();
    return text;
}

inline bool SetClipboardText(const std::wstring& text) {
    if (!OpenClipboard(nullptr)) return false;
    EmptyClipboard();
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    memcpy(GlobalLock(h), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    GlobalUnlock(h);
    const bool bDone = SetClipboardData(CF_UNICODETEXT, h) != nullptr;
    CloseClipboard();
    return bDone;
}

// The client area as the window paints it through WM_PRINTCLIENT, read pixel by pixel.
class PaintedClient {
public:
    explicit PaintedClient(HWND hWnd) : m_rc(ClientRectOf(hWnd)) {
        HDC hScreen = GetDC(nullptr);
        m_hdc = CreateCompatibleDC(hScreen);
        m_hBitmap = CreateCompatibleBitmap(hScreen, m_rc.right, m_rc.bottom);
        ReleaseDC(nullptr, hScreen);
        m_hOld = SelectObject(m_hdc, m_hBitmap);
        SendMessageW(hWnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(m_hdc), PRF_CLIENT);
    }
    ~PaintedClient() {
        SelectObject(m_hdc, m_hOld);
        DeleteObject(m_hBitmap);
        DeleteDC(m_hdc);
    }
    PaintedClient(const PaintedClient&) = delete;
    PaintedClient& operator=(const PaintedClient&) = delete;

    COLORREF At(int x, int y) const { return GetPixel(m_hdc, x, y); }
    // Whether any pixel of the row band [top, bottom) has the colour.
    bool BandHas(int top, int bottom, COLORREF colour) const {
        for (int y = top; y < bottom; ++y)
            for (int x = 0; x < m_rc.right; ++x)
                if (At(x, y) == colour) return true;
        return false;
    }
    const RECT& Rect() const { return m_rc; }

private:
    RECT m_rc;
    HDC m_hdc;
    HBITMAP m_hBitmap;
    HGDIOBJ m_hOld;
};

// The screen area of a window without a frame, once the display shows what the window paints.
// The display takes a painted frame over asynchronously, while this thread runs its message
// loop, so a capture made right after painting may still hold the frame before. False when the
// screen did not catch up within the time; the image is then the last capture.
inline bool CaptureOnceShown(HWND hWnd, ScreenImage* pShot, DWORD timeoutMs = 3000) {
    RedrawWindow(hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    const ScreenImage painted = PrintClientArea(hWnd);
    return PumpUntil(
        [&] {
            *pShot = CaptureWindowArea(hWnd);
            return !painted.rgb.empty() && pShot->width == painted.width && pShot->rgb == painted.rgb;
        },
        timeoutMs);
}

} // namespace windowtest
