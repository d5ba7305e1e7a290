// File back end: the module writes its trace lines itself, to "<module>.log" beside the module.
#include "Trace.h"
#include "TraceFile.h"

#include <cwchar>

namespace {

// The longest text written at once: a time, six spaces and a full message, or a banner header.
constexpr int kMaxText = 2 * CTraceFileLogger::kMessageChars;

class Locked {
public:
    explicit Locked(CRITICAL_SECTION& cs) : m_cs(cs) { EnterCriticalSection(&m_cs); }
    ~Locked() { LeaveCriticalSection(&m_cs); }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;

private:
    CRITICAL_SECTION& m_cs;
};

void FormatTime(const SYSTEMTIME& st, wchar_t* lpszTime, int cch) {
    if (!GetTimeFormatW(LOCALE_USER_DEFAULT, 0, &st, L"HH':'mm':'ss", lpszTime, cch)) lpszTime[0] = L'\0';
}

void Copy(wchar_t* dst, size_t cch, const wchar_t* src, size_t len) {
    if (len >= cch) len = cch - 1;
    wmemcpy(dst, src, len);
    dst[len] = L'\0';
}

} // namespace

void CTraceFileLogger::SystemLocalTime(SYSTEMTIME* pst) {
    GetLocalTime(pst);
}

void CTraceFileLogger::SystemDebugOutput(const wchar_t* lpszText) {
    OutputDebugStringW(lpszText);
}

void CTraceFileLogger::Initialise() {
    wchar_t szPath[MAX_PATH + 1] = {};
    HMODULE hModule = nullptr;
    // The module that holds this code (the chat DLL), not the host's executable.
    if (GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                               GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           reinterpret_cast<LPCWSTR>(&SystemLocalTime), &hModule)) {
        DWORD n = GetModuleFileNameW(hModule, szPath, MAX_PATH + 1);
        // A name that fills the buffer was cut: its folder and file name cannot be trusted.
        if (n == 0 || n > MAX_PATH) szPath[0] = L'\0';
    }
    InitialiseFrom(szPath);
}

void CTraceFileLogger::InitialiseFrom(const wchar_t* lpszModulePath) {
    if (m_bLockReady) Close();
    m_szModulePath[0] = m_szModuleFolder[0] = m_szLogFileName[0] = m_szRegistryValue[0] = L'\0';
    m_pStream = nullptr;
    m_bEnabled = m_bBannerWritten = m_bDebugEcho = 0;
    m_dwTicks = 0;
    InitializeCriticalSection(&m_lock);
    m_bLockReady = true;

    size_t len = lpszModulePath ? wcslen(lpszModulePath) : 0;
    if (len == 0 || len > MAX_PATH) return;
    Copy(m_szModulePath, MAX_PATH + 1, lpszModulePath, len);

    const wchar_t* lpszName = wcsrchr(m_szModulePath, L'\\');
    lpszName = lpszName ? lpszName + 1 : m_szModulePath;
    Copy(m_szModuleFolder, MAX_PATH + 1, m_szModulePath, lpszName - m_szModulePath);
    const size_t cut = wcscspn(lpszName, L".");
    Copy(m_szLogFileName, MAX_PATH + 1, lpszName, cut);
    wcscat(m_szLogFileName, L".log");
    wcscpy(m_szRegistryValue, L"TRACE_ENABLE_");
    wcsncat(m_szRegistryValue, lpszName, cut);
}

bool CTraceFileLogger::ReadRegistryState() {
    HKEY hKey = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, m_lpszRegistryKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, &hKey, nullptr) != ERROR_SUCCESS)
        return false;
    DWORD dwValue = 0, cb = sizeof(dwValue);
    LONG r =
        RegQueryValueExW(hKey, m_szRegistryValue, nullptr, nullptr, reinterpret_cast<BYTE*>(&dwValue), &cb);
    RegCloseKey(hKey);
    if (r != ERROR_SUCCESS || cb != sizeof(dwValue)) return false;
    if (dwValue == 3) m_bDebugEcho = 1;
    return dwValue == 1 || dwValue == 3;
}

void CTraceFileLogger::CheckEnable(int first) {
    if (first) {
        m_bEnabled = ReadRegistryState() ? 1 : 0;
        return;
    }
    ++m_dwTicks;
    if (m_bEnabled && m_dwTicks > 200) {
        m_dwTicks = 0;
        if (!ReadRegistryState()) {
            Write(L"Disable Trace");
            m_bEnabled = 0;
        }
    } else if (!m_bEnabled && m_dwTicks > 50) {
        m_dwTicks = 0;
        if (ReadRegistryState()) {
            m_bEnabled = 1;
            Write(L"Enable Trace");
        }
    }
}

bool CTraceFileLogger::OpenStream() {
    if (m_pStream) return true;
    if (!m_szLogFileName[0]) return false;
    wchar_t szPath[2 * MAX_PATH + 8];
    _snwprintf(szPath, 2 * MAX_PATH + 8, L"%s%s", m_szModuleFolder, m_szLogFileName);
    FILE* f = _wfopen(szPath, L"at");
    if (!f) return false;
    fseek(f, 0, SEEK_END);
    long size = ftell(f);
    // ftell fails only beyond 2 GiB, far over the limit.
    if (size < 0 || size >= kSizeLimit) {
        fclose(f);
        f = _wfopen(szPath, L"wt");
        if (!f) return false;
    }
    m_pStream = f;
    return true;
}

int CTraceFileLogger::WriteV(const wchar_t* lpszFormat, va_list args) {
    if (!m_bEnabled || !m_bLockReady) return 0;
    wchar_t szMessage[kMessageChars] = {};
    va_list copy;
    va_copy(copy, args);
    _vsnwprintf(szMessage, kMessageChars - 1, lpszFormat, copy);
    va_end(copy);
    szMessage[kMessageChars - 1] = L'\0';

    SYSTEMTIME st = {};
    m_pfnLocalTime(&st);
    wchar_t szLine[kMaxText];
    FormatTime(st, szLine, 32);
    wcscat(szLine, L"      ");
    wcscat(szLine, szMessage);

    // The whole write is serialised, opening and banner included, so a line never interleaves
    // with another and the banner is written once.
    Locked hold(m_lock);
    if (!OpenStream()) return 0;
    if (!m_bBannerWritten) {
        WriteStartBanner();
        m_bBannerWritten = 1;
    }
    Put(szLine);
    Put(L"\n");
    fflush(m_pStream);
    Echo(szLine);
    return 1;
}

int CTraceFileLogger::Write(const wchar_t* lpszFormat, ...) {
    va_list args;
    va_start(args, lpszFormat);
    int r = WriteV(lpszFormat, args);
    va_end(args);
    return r;
}

// Date, five spaces, time, "--->", log file name, then the tail ("   First Run" or "   End Run")
// and a line break.
void CTraceFileLogger::FormatHeader(const wchar_t* lpszTail, wchar_t* lpszHeader, int cch) const {
    SYSTEMTIME st = {};
    m_pfnLocalTime(&st);
    wchar_t szDate[80] = {}, szTime[32] = {};
    // The locale's own short form, not the user's customised one.
    if (!GetDateFormatW(LOCALE_USER_DEFAULT, LOCALE_NOUSEROVERRIDE | DATE_SHORTDATE, &st, nullptr, szDate,
                        80))
        szDate[0] = L'\0';
    FormatTime(st, szTime, 32);
    _snwprintf(lpszHeader, cch, L"%s     %s--->%s%s\n", szDate, szTime, m_szLogFileName, lpszTail);
    lpszHeader[cch - 1] = L'\0';
}

void CTraceFileLogger::PutRule(wchar_t ch, int count) {
    wchar_t szRule[64];
    wmemset(szRule, ch, count);
    szRule[count] = L'\0';
    Put(szRule);
    Put(L"\n");
    Echo(szRule);
}

void CTraceFileLogger::PutHeader(const wchar_t* lpszTail) {
    wchar_t szHeader[kMaxText];
    FormatHeader(lpszTail, szHeader, kMaxText);
    // Followed by an empty line.
    Put(szHeader);
    Put(L"\n");
    Echo(szHeader);
}

void CTraceFileLogger::WriteStartBanner() {
    PutRule(L'+', 57);
    PutHeader(L"   First Run");
    fflush(m_pStream);
}

void CTraceFileLogger::WriteEndBanner() {
    PutHeader(L"   End Run");
    PutRule(L'-', 56);
    fflush(m_pStream);
}

void CTraceFileLogger::Close() {
    if (!m_bLockReady) return;
    {
        Locked hold(m_lock);
        if (m_bBannerWritten && m_pStream) WriteEndBanner();
        m_bBannerWritten = 0;
        if (m_pStream) fclose(m_pStream);
        m_pStream = nullptr;
        // Nothing more is written: the lock is gone after this.
        m_bEnabled = 0;
        m_szLogFileName[0] = L'\0';
    }
    DeleteCriticalSection(&m_lock);
    m_bLockReady = false;
}

// Text mode turns each "\n" into CR LF; the file holds the system code page.
void CTraceFileLogger::Put(const wchar_t* lpszText) {
    char buf[4 * kMaxText];
    int n = WideCharToMultiByte(CP_ACP, 0, lpszText, -1, buf, sizeof(buf), nullptr, nullptr);
    if (n > 1) fwrite(buf, 1, static_cast<size_t>(n - 1), m_pStream);
}

void CTraceFileLogger::Echo(const wchar_t* lpszText) {
    if (m_bDebugEcho) m_pfnDebugOutput(lpszText);
}

// The module-wide record and its binding: before the entry point's attach handling and after
// its detach handling, as a static object's lifetime gives in a DLL.
namespace {
CTraceFileLogger g_logger;

struct AutoBind {
    AutoBind() { TraceBind(); }
    ~AutoBind() { TraceUnbind(); }
} g_autoBind;
} // namespace

CTraceFileLogger& TheTraceFileLogger() {
    return g_logger;
}

void TraceBind() {
    if (g_logger.IsInitialised()) return;
    g_logger.Initialise();
    g_logger.CheckEnable(1);
}

void TraceUnbind() {
    g_logger.Close();
}

void TraceCheckEnable(int first) {
    g_logger.CheckEnable(first);
}

int Trace(const wchar_t* lpszFormat, ...) {
    va_list args;
    va_start(args, lpszFormat);
    int r = g_logger.WriteV(lpszFormat, args);
    va_end(args);
    return r;
}
