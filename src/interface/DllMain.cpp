// Module start and stop. The trace library is bound and the service message registered by
// static initialisation, before this runs, and released after it.
#include "interface/Cchat.h"
#include "trace/Trace.h"
#include "window/MessageContainer.h"

#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID /*lpReserved*/) {
    switch (dwReason) {
    case DLL_PROCESS_ATTACH:
        Trace(L"/@@@@ DllMain()---DLL_PROCESS_ATTACH! @@@@/");
        DisableThreadLibraryCalls(hInstance);
        break;
    case DLL_PROCESS_DETACH:
        Trace(L"/#### DllMain()---DLL_PROCESS_DETACH! ####/");
        // Classes of an unloaded module must not outlive it: a reload at the same address
        // would otherwise find them with stale procedures.
        Cchat::UnregisterWindowClass();
        QxUnregisterMessageContainerClass();
        break;
    default: break;
    }
    return TRUE;
}
