#include "interface/ExportGuard.h"

#include "trace/Trace.h"

#include <windows.h>

void QxTraceExportFailure(const wchar_t* lpszExport, const char* lpszReason) {
    // The reason is narrow (what()); convert without allocating, the failure may be memory.
    wchar_t reason[128] = {};
    if (!MultiByteToWideChar(CP_ACP, 0, lpszReason ? lpszReason : "", -1, reason, 127)) reason[0] = 0;
    Trace(L"Fail: %s, %s", lpszExport, reason);
}
