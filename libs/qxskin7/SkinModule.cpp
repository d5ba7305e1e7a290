#include "SkinModule.h"

#include "qxskin7.h"

#include <commctrl.h>

namespace qxskin {
namespace {

// One UI thread uses the library, so plain fields suffice.
struct ModuleState {
    HMODULE hResource = nullptr;
    LONG resourceCalls = 0;
    LONG attachCalls = 0;
    LONG detachCalls = 0;
    LONG liveInstances = 0;
    LONG popupCalls = 0;
    UINT lastPopupCommand = 0;
    bool controlsRegistered = false;
};

ModuleState g_state;

void RegisterControlClasses() {
    if (g_state.controlsRegistered) return;
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    g_state.controlsRegistered = InitCommonControlsEx(&icc) != FALSE;
}

} // namespace

HMODULE ResourceModule() {
    return g_state.hResource;
}

} // namespace qxskin

using qxskin::g_state;

extern "C" void __stdcall SkinSetResourceModule(HMODULE hResourceModule) {
    g_state.hResource = hResourceModule;
    ++g_state.resourceCalls;
}

extern "C" void __stdcall SkinInstanceAttach(void) {
    ++g_state.attachCalls;
    ++g_state.liveInstances;
    qxskin::RegisterControlClasses();
}

extern "C" void __stdcall SkinInstanceDetach(void) {
    ++g_state.detachCalls;
    if (g_state.liveInstances > 0) --g_state.liveInstances;
}

extern "C" UINT __stdcall SkinTrackPopupMenu(HMENU hMenu, UINT uFlags, int x, int y, HWND hOwner) {
    ++g_state.popupCalls;
    g_state.lastPopupCommand = 0;
    if (!hMenu || !IsMenu(hMenu) || !hOwner || !IsWindow(hOwner)) return 0;
    // The choice comes back to the caller; nothing is posted to the owner.
    const UINT kAllowed =
        TPM_CENTERALIGN | TPM_RIGHTALIGN | TPM_VCENTERALIGN | TPM_BOTTOMALIGN | TPM_RIGHTBUTTON;
    const BOOL result =
        TrackPopupMenuEx(hMenu, (uFlags & kAllowed) | TPM_RETURNCMD | TPM_NONOTIFY, x, y, hOwner, nullptr);
    g_state.lastPopupCommand = static_cast<UINT>(result);
    return g_state.lastPopupCommand;
}

extern "C" BOOL __stdcall SkinGetDiagnostics(QXSKIN_DIAGNOSTICS* pDiagnostics) {
    if (!pDiagnostics || pDiagnostics->cbSize < sizeof(QXSKIN_DIAGNOSTICS)) return FALSE;
    pDiagnostics->hResourceModule = g_state.hResource;
    pDiagnostics->lResourceModuleCalls = g_state.resourceCalls;
    pDiagnostics->lAttachCalls = g_state.attachCalls;
    pDiagnostics->lDetachCalls = g_state.detachCalls;
    pDiagnostics->lLiveInstances = g_state.liveInstances;
    pDiagnostics->lPopupMenuCalls = g_state.popupCalls;
    pDiagnostics->uLastPopupCommand = g_state.lastPopupCommand;
    return TRUE;
}

namespace {

// The owner only when it is a window of this thread: a modal box disables its owner, which must
// not be another thread's window.
HWND BoxOwner(HWND hOwner) {
    return hOwner && IsWindow(hOwner) && GetWindowThreadProcessId(hOwner, nullptr) == GetCurrentThreadId()
               ? hOwner
               : nullptr;
}

} // namespace

extern "C" int __stdcall SkinMessageBox(HWND hOwner, LPCWSTR lpszText, LPCWSTR lpszTitle, UINT uIcon) {
    const UINT uType = MB_OK | (uIcon & MB_ICONMASK) | MB_SETFOREGROUND;
    return MessageBoxW(BoxOwner(hOwner), lpszText ? lpszText : L"", lpszTitle ? lpszTitle : L"", uType);
}

extern "C" int __stdcall SkinQuestionBox(HWND hOwner, LPCWSTR lpszText, LPCWSTR lpszTitle) {
    const int nAnswer = MessageBoxW(BoxOwner(hOwner), lpszText ? lpszText : L"", lpszTitle ? lpszTitle : L"",
                                    MB_YESNO | MB_ICONQUESTION | MB_SETFOREGROUND);
    return nAnswer == IDYES || nAnswer == 0 ? nAnswer : IDNO;
}
