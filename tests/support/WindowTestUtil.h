// The tests' host window: a top-level window that records what it receives, and a few lookups
// into the chat panel's window tree.
#pragma once

#include "Pump.h"

#include <windows.h>
#include <functional>
#include <string>
#include <vector>

inline BOOL CALLBACK AddChildWindowClass(HWND hWnd, LPARAM lParam) {
    wchar_t szClass[64] = {};
    GetClassNameW(hWnd, szClass, 64);
    reinterpret_cast<std::vector<std::wstring>*>(lParam)->push_back(szClass);
    return TRUE;
}

inline BOOL CALLBACK AddTopWindowClass(HWND hWnd, LPARAM lParam) {
    wchar_t szClass[64] = {};
    GetClassNameW(hWnd, szClass, 64);
    // The platform's input-method windows come when the platform likes, not from the code.
    if (wcscmp(szClass, L"IME") == 0) return TRUE;
    AddChildWindowClass(hWnd, lParam);
    EnumChildWindows(hWnd, AddChildWindowClass, lParam);
    return TRUE;
}

// The class names of this thread's windows, children included, input-method windows left out:
// the platform's object counts read 0 under some hosts, so leak checks look at the windows
// themselves.
inline std::vector<std::wstring> ThreadWindowClasses() {
    std::vector<std::wstring> classes;
    EnumThreadWindows(GetCurrentThreadId(), AddTopWindowClass, reinterpret_cast<LPARAM>(&classes));
    return classes;
}

inline int ThreadWindowCount() {
    return static_cast<int>(ThreadWindowClasses().size());
}

inline std::wstring JoinClasses(const std::vector<std::wstring>& classes) {
    std::wstring s;
    for (const std::wstring& c : classes)
        s += c + L" ";
    return s;
}

struct RecordedMessage {
    UINT uMsg;
    WPARAM wParam;
    LPARAM lParam;
};

// A visible top-level window that records every message of interest it receives.
class TestHostWindow {
public:
    explicit TestHostWindow(int cx = 400, int cy = 300, DWORD dwStyle = WS_OVERLAPPEDWINDOW | WS_VISIBLE) {
        static const wchar_t kClass[] = L"QxTestHostWindow";
        WNDCLASSEXW wc = {};
        if (!GetClassInfoExW(GetModuleHandleW(nullptr), kClass, &wc)) {
            wc.cbSize = sizeof(wc);
            wc.lpfnWndProc = Proc;
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
            wc.lpszClassName = kClass;
            RegisterClassExW(&wc);
        }
        m_hWnd = CreateWindowExW(0, kClass, L"test host", dwStyle, 10, 10, cx, cy, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), this);
    }
    ~TestHostWindow() {
        if (m_hWnd) DestroyWindow(m_hWnd);
    }
    TestHostWindow(const TestHostWindow&) = delete;
    TestHostWindow& operator=(const TestHostWindow&) = delete;

    HWND Get() const { return m_hWnd; }
    int Count(UINT uMsg, WPARAM wParam, LPARAM lParam) const {
        int n = 0;
        for (const auto& m : messages)
            if (m.uMsg == uMsg && m.wParam == wParam && m.lParam == lParam) ++n;
        return n;
    }
    int Count(UINT uMsg) const {
        int n = 0;
        for (const auto& m : messages)
            n += m.uMsg == uMsg;
        return n;
    }

    std::vector<RecordedMessage> messages;
    int closeRequests = 0; // WM_CLOSE is recorded and refused

private:
    static LRESULT CALLBACK Proc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
        if (uMsg == WM_NCCREATE)
            SetWindowLongPtrW(
                hWnd, GWLP_USERDATA,
                reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
        auto* self = reinterpret_cast<TestHostWindow*>(GetWindowLongPtrW(hWnd, GWLP_USERDATA));
        if (self) {
            if (uMsg == WM_SIZE || uMsg == WM_COMMAND || uMsg >= WM_USER)
                self->messages.push_back({uMsg, wParam, lParam});
            if (uMsg == WM_CLOSE) {
                ++self->closeRequests;
                return 0;
            }
            if (uMsg == WM_NCDESTROY) self->m_hWnd = nullptr;
        }
        return DefWindowProcW(hWnd, uMsg, wParam, lParam);
    }

    HWND m_hWnd = nullptr;
};

// The chat panel's windows: the instance window is the host window's child, the dialog the
// instance window's child.
inline HWND FindInstanceWindow(HWND hHost) {
    return FindWindowExW(hHost, nullptr, nullptr, nullptr);
}
inline HWND FindChatDialog(HWND hHost) {
    HWND hInstance = FindInstanceWindow(hHost);
    return hInstance ? FindWindowExW(hInstance, nullptr, L"#32770", nullptr) : nullptr;
}

inline RECT ClientRectOf(HWND hWnd) {
    RECT rc = {};
    GetClientRect(hWnd, &rc);
    return rc;
}

// A control's rectangle in its parent's client coordinates.
inline RECT ChildRect(HWND hCtl) {
    RECT rc = {};
    GetWindowRect(hCtl, &rc);
    MapWindowPoints(nullptr, GetParent(hCtl), reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

inline std::wstring WindowText(HWND hWnd) {
    wchar_t buffer[256] = {};
    GetWindowTextW(hWnd, buffer, 256);
    return buffer;
}

// printf into a std::wstring with the Microsoft reading of %s (UTF-16).
inline std::wstring Fmt(const wchar_t* lpszFormat, ...) {
    wchar_t buffer[2048];
    va_list args;
    va_start(args, lpszFormat);
    int n = _vsnwprintf(buffer, 2047, lpszFormat, args);
    va_end(args);
    buffer[n < 0 ? 2047 : n] = 0;
    return buffer;
}
