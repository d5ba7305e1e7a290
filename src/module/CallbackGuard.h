// The other boundaries: window procedures, dialog procedures, subclass procedures, timers (they
// arrive as WM_TIMER in those procedures) and the node controller's callbacks are called by
// code that knows nothing of C++ exceptions. Each runs its handler through QxGuardCallback, which
// stops an escaping exception there with a "Fail: <where>, <reason>" trace line and gives the
// caller the message's neutral result instead.
//
//     LRESULT CALLBACK SomeProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
//         return QxGuardCallback(L"SomeProc", LRESULT(0), [&] { return ...the handling...; });
//     }
#pragma once

#include "module/ExportGuard.h"

#include <utility>

template <class R, class Handler>
R QxGuardCallback(const wchar_t* lpszWhere, R neutral, Handler&& handler) noexcept {
    return QxGuarded(lpszWhere, neutral, std::forward<Handler>(handler));
}
