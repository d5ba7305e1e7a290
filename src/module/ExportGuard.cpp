#include "module/ExportGuard.h"

#include <cwchar>

#include "trace/Trace.h"

#include <windows.h>

void QxTraceExportFailure(const wchar_t* lpszExport, const char* lpszReason) {
    // The reason is narrow (what()); convert without allocating, the failure may be memory.
    wchar_t reason[128] = {};
    if (!MultiByteToWideChar(CP_ACP, 0, lpszReason ? lpszReason : "", -1, reason, 127)) reason[0] = 0;
    Trace(L"Fail: %s, %s", lpszExport, reason);
}

const wchar_t* QxTraceAddress(const wchar_t* lpszAddress, std::wstring& masked) {
    static const wchar_t kScheme[] = L"redis://";
    const size_t nScheme = wcslen(kScheme);
    if (!lpszAddress || wcsncmp(lpszAddress, kScheme, nScheme) != 0) return QxTraceText(lpszAddress);
    const wchar_t* lpszAt = wcsrchr(lpszAddress, L'@');
    if (!lpszAt) return lpszAddress;
    masked = std::wstring(kScheme) + L":***" + lpszAt;
    return masked.c_str();
}
