// A module that traces from its entry point like the chat module does, for trace_forward_probe.
#include "Trace.h"

#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD dwReason, LPVOID lpReserved) {
    if (dwReason == DLL_PROCESS_ATTACH) Trace(L"module attach %d", 1);
    if (dwReason == DLL_PROCESS_DETACH) Trace(L"module detach %s", lpReserved ? L"exit" : L"unload");
    return TRUE;
}
