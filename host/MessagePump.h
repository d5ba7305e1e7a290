// Waiting without sleeping: run this thread's message loop until a condition holds, bounded.
// Shared by the demo host and the window tests.
#pragma once

#include <windows.h>
#include <functional>

// Pumps this thread's messages until the condition holds (true) or timeoutMs has passed (false).
inline bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs = 5000) {
    const DWORD start = GetTickCount();
    for (;;) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        if (condition()) return true;
        if (GetTickCount() - start > timeoutMs) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
}
