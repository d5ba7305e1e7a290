// Waiting in tests without sleeping: the thread's message loop runs until a condition holds,
// and a condition that does not hold in time fails the running test.
#pragma once

#include "MessagePump.h"

#include <windows.h>
#include <string>

// Dispatches what is queued now, without waiting.
inline void PumpPending() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

namespace qxtest {

// Pumps (PumpUntil) until the condition holds. When it does not within timeoutMs the running
// test fails with "<what> did not happen within <n> ms"; the result says whether it held, for a
// test that cannot go on without it.
bool WaitFor(const std::function<bool()>& condition, const std::string& what, DWORD timeoutMs = 5000);

} // namespace qxtest
