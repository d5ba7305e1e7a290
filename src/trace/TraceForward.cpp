// Forwarding back end: every line goes to the trace library "tlmtrace.dll" when present.
#include "Trace.h"

#include <windows.h>
#include <cstdarg>

namespace {

typedef int(__stdcall* TlmTraceFn)(int, int, int, const wchar_t*, va_list);

struct TraceLibrary {
    HMODULE hModule = nullptr;
    FARPROC entries[7] = {};
};
TraceLibrary g_lib;

const char* const kEntryNames[7] = {"TLMTRACE",      "TLMTRACERAW",    "TLMTRACEA",       "TLMTRACERAWA",
                                    "TLMDumptoFile", "TLMIsDebugMode", "TLMDumpFileClose"};

bool ProcessIsExiting() {
    typedef BOOLEAN(WINAPI * ShutdownInProgressFn)();
    HMODULE hNtdll = GetModuleHandleW(L"ntdll.dll");
    auto fn = reinterpret_cast<ShutdownInProgressFn>(
        reinterpret_cast<void*>(hNtdll ? GetProcAddress(hNtdll, "RtlDllShutdownInProgress") : nullptr));
    return fn && fn();
}

// Binds before the module's entry point runs its attach handling, unbinds after detach.
struct AutoBind {
    AutoBind() { TraceBind(); }
    ~AutoBind() { TraceUnbind(); }
} g_autoBind;

} // namespace

void TraceBind() {
    if (g_lib.hModule) return;
    g_lib.hModule = LoadLibraryW(L"tlmtrace.dll");
    if (!g_lib.hModule) return;
    for (int i = 0; i < 7; ++i)
        g_lib.entries[i] = GetProcAddress(g_lib.hModule, kEntryNames[i]);
}

void TraceUnbind() {
    for (auto& e : g_lib.entries)
        e = nullptr;
    // At process exit the loader detaches every library in its own order and may already have
    // detached this one: freeing it from here then is unsafe, and the process frees it anyway.
    if (g_lib.hModule && !ProcessIsExiting()) FreeLibrary(g_lib.hModule);
    g_lib.hModule = nullptr;
}

void TraceCheckEnable(int) {}

int Trace(const wchar_t* lpszFormat, ...) {
    auto fn = reinterpret_cast<TlmTraceFn>(reinterpret_cast<void*>(g_lib.entries[0]));
    if (!fn) return -1;
    va_list args;
    va_start(args, lpszFormat);
    int ret = fn(2, 0, 0, lpszFormat, args);
    va_end(args);
    return ret;
}
