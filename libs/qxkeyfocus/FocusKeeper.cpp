// The focus keeper: a thread hook that sees each message after its window has handled it.
// Activation of the dialog's top-level window gives the remembered window the focus back;
// WM_SETFOCUS inside the dialog updates which window that is.
#include "qxkeyfocus.h"

namespace {

struct KeeperState {
    HHOOK hHook = nullptr;
    LONG installCount = 0;
    HWND hDialog = nullptr;
    HWND hFocus = nullptr;
    LONG restoreCount = 0;
};

KeeperState g_state;

bool IsInDialog(HWND hWnd) {
    return g_state.hDialog && hWnd && (hWnd == g_state.hDialog || IsChild(g_state.hDialog, hWnd));
}

void OnFocusChanged(HWND hWnd) {
    if (hWnd != g_state.hDialog && IsInDialog(hWnd)) g_state.hFocus = hWnd;
}

void OnActivated(HWND hWnd, WPARAM wParam) {
    if (LOWORD(wParam) == WA_INACTIVE || HIWORD(wParam) != 0) return; // minimised activation
    if (!g_state.hDialog) return; // the focus window may be set before its dialog
    if (!IsWindow(g_state.hDialog)) {
        g_state.hDialog = nullptr;
        g_state.hFocus = nullptr;
        return;
    }
    if (GetAncestor(g_state.hDialog, GA_ROOT) != hWnd) return;
    HWND hFocus = g_state.hFocus;
    if (!hFocus || !IsWindow(hFocus) || !IsInDialog(hFocus)) {
        g_state.hFocus = nullptr;
        return;
    }
    if (!IsWindowVisible(hFocus) || !IsWindowEnabled(hFocus) || GetFocus() == hFocus) return;
    SetFocus(hFocus);
    ++g_state.restoreCount;
}

LRESULT CALLBACK AfterMessage(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION) {
        const auto* msg = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
        switch (msg->message) {
        case WM_SETFOCUS: OnFocusChanged(msg->hwnd); break;
        case WM_ACTIVATE: OnActivated(msg->hwnd, msg->wParam); break;
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

} // namespace

extern "C" BOOL __stdcall KbInstallFocusControl(void) {
    if (!g_state.hHook) {
        g_state.hHook = SetWindowsHookExW(WH_CALLWNDPROCRET, AfterMessage, nullptr, GetCurrentThreadId());
        if (!g_state.hHook) return FALSE;
    }
    ++g_state.installCount;
    return TRUE;
}

extern "C" BOOL __stdcall KbSetFocus(HWND hWnd) {
    if (hWnd && !IsWindow(hWnd)) return FALSE;
    g_state.hFocus = hWnd;
    if (hWnd) SetFocus(hWnd);
    return TRUE;
}

extern "C" BOOL __stdcall KbSetDialogFocus(HWND hDlg) {
    if (hDlg && !IsWindow(hDlg)) return FALSE;
    g_state.hDialog = hDlg;
    if (!IsInDialog(g_state.hFocus)) g_state.hFocus = nullptr; // belongs to no kept dialog
    return TRUE;
}

extern "C" BOOL __stdcall KbUninstallFocusControl(void) {
    if (g_state.installCount == 0) return FALSE;
    if (--g_state.installCount == 0) {
        UnhookWindowsHookEx(g_state.hHook);
        g_state.hHook = nullptr;
    }
    return TRUE;
}

extern "C" BOOL __stdcall KbGetFocusState(KB_FOCUS_STATE* pState) {
    if (!pState || pState->cbSize < sizeof(KB_FOCUS_STATE)) return FALSE;
    pState->lInstallCount = g_state.installCount;
    pState->hDialog = g_state.hDialog;
    pState->hFocus = g_state.hFocus;
    pState->lRestoreCount = g_state.restoreCount;
    return TRUE;
}
