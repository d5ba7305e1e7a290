// The file back end's logger record: lines go to "<module>.log" beside the module, switched on
// and off per user by the registry value "TRACE_ENABLE_<module>". The module keeps one record
// (TheTraceFileLogger); tests drive records of their own.
#pragma once

#include <windows.h>
#include <cstdarg>
#include <cstdio>

class CTraceFileLogger {
public:
    typedef void (*LocalTimeFn)(SYSTEMTIME* pst);
    typedef void (*DebugOutputFn)(const wchar_t* lpszText);

    static constexpr long kSizeLimit = 0xA00000; // a log this big is emptied when it is opened
    static constexpr int kMessageChars = 1024;   // including the terminating zero
    static constexpr const wchar_t* kRegistryKey = L"Software\\Talmo\\Config\\";

    // Takes the names from the module that contains this code.
    void Initialise();
    // Takes the names from the given module file name; an empty or over-long name leaves the
    // log file name empty, so that nothing is ever written.
    void InitialiseFrom(const wchar_t* lpszModulePath);
    // first = 1 at attach: read the switch. first = 0 on every timer tick: re-read it now and
    // then (after 50 ticks while off, after 200 while on).
    void CheckEnable(int first);
    // Result: 1 when the line was written, 0 when disabled or the file cannot be opened.
    int WriteV(const wchar_t* lpszFormat, va_list args);
    int Write(const wchar_t* lpszFormat, ...);
    // Writes the end banner (when the start banner was written) and closes the file; the record
    // then writes nothing until it is initialised again.
    void Close();

    bool IsInitialised() const { return m_bLockReady; }
    bool IsEnabled() const { return m_bEnabled != 0; }
    bool IsEchoing() const { return m_bDebugEcho != 0; }
    const wchar_t* ModuleFolder() const { return m_szModuleFolder; }
    const wchar_t* LogFileName() const { return m_szLogFileName; }
    const wchar_t* RegistryValueName() const { return m_szRegistryValue; }

    // Seams for tests: the clock, the debugger output and the key (under HKCU) of the switch.
    LocalTimeFn m_pfnLocalTime = &SystemLocalTime;
    DebugOutputFn m_pfnDebugOutput = &SystemDebugOutput;
    const wchar_t* m_lpszRegistryKey = kRegistryKey;

private:
    static void SystemLocalTime(SYSTEMTIME* pst);
    static void SystemDebugOutput(const wchar_t* lpszText);

    bool ReadRegistryState();
    bool OpenStream();
    void FormatHeader(const wchar_t* lpszTail, wchar_t* lpszHeader, int cch) const;
    void PutHeader(const wchar_t* lpszTail);
    void PutRule(wchar_t ch, int count);
    void WriteStartBanner();
    void WriteEndBanner();
    void Put(const wchar_t* lpszText);
    void Echo(const wchar_t* lpszText);

    wchar_t m_szModulePath[MAX_PATH + 1] = {};
    wchar_t m_szModuleFolder[MAX_PATH + 1] = {};
    wchar_t m_szLogFileName[MAX_PATH + 5] = {};
    wchar_t m_szRegistryValue[MAX_PATH + 14] = {};
    FILE* m_pStream = nullptr;
    LONG m_bEnabled = 0;
    LONG m_bBannerWritten = 0;
    LONG m_bDebugEcho = 0;
    DWORD m_dwTicks = 0;
    CRITICAL_SECTION m_lock = {};
    bool m_bLockReady = false;
};

// The module's one record (file back end builds).
CTraceFileLogger& TheTraceFileLogger();
