// The benches' host window: a plain visible top-level window that a chat instance or a list lives in.
#pragma once

#include <windows.h>

namespace bench {

inline LRESULT CALLBACK HostProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    return DefWindowProcW(h, m, w, l);
}

inline HWND MakeHost(int x = 0) {
    static bool registered = false;
    if (!registered) {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = HostProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"QxBenchHost";
        RegisterClassW(&wc);
        registered = true;
    }
    return CreateWindowW(L"QxBenchHost", L"bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, x, 0, 400, 300, nullptr,
                         nullptr, GetModuleHandleW(nullptr), nullptr);
}

} // namespace bench
