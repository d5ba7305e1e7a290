// Waiting without sleeping: run this thread's message loop until a condition holds, bounded.
// Shared by the demo host and the window tests.
#pragma once

#include <windows.h>
#include <functional>

// Pumps this thread's messages until the condition holds (true) or timeoutMs has passed (false).
// The condition is checked after every message, so the pump stops at the first one that makes
// it hold and leaves later messages queued.
inline bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs = 5000) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (condition()) return true;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
            if (condition()) return true;
        }
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= timeoutMs) return condition();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, timeoutMs - elapsed, QS_ALLINPUT);
    }
}
