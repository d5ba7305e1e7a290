// The trace library stand-in: formats lines and hands each to the registered sinks, the files and
// the debugger output, one line at a time under one lock.
#include "tlmtrace.h"

#include <windows.h>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct LineSink {
    TLMLINESINK pfn;
    void* ctx;
    bool operator==(const LineSink& o) const { return pfn == o.pfn && ctx == o.ctx; }
};

class CriticalSection {
public:
    CriticalSection() { InitializeCriticalSection(&m_cs); }
    ~CriticalSection() { DeleteCriticalSection(&m_cs); }
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;
    void Enter() { EnterCriticalSection(&m_cs); }
    void Leave() { LeaveCriticalSection(&m_cs); }

private:
    CRITICAL_SECTION m_cs;
};

class Locked {
public:
    explicit Locked(CriticalSection& cs) : m_cs(cs) { m_cs.Enter(); }
    ~Locked() { m_cs.Leave(); }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;

private:
    CriticalSection& m_cs;
};

// A file that lines are appended to; opened on first use so that an unused trace leaves no file,
// and retried on the next line when opening fails.
class AppendFile {
public:
    AppendFile() = default;
    ~AppendFile() { Close(); }
    AppendFile(const AppendFile&) = delete;
    AppendFile& operator=(const AppendFile&) = delete;

    void SetPath(const std::wstring& path) {
        Close();
        m_path = path;
    }
    bool Open() {
        if (m_path.empty()) return false;
        if (m_h != INVALID_HANDLE_VALUE) return true;
        // Shared so that readers (and other processes appending to the same file) are not locked out.
        m_h = CreateFileW(m_path.c_str(), FILE_APPEND_DATA,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
        return m_h != INVALID_HANDLE_VALUE;
    }
    bool IsOpen() const { return m_h != INVALID_HANDLE_VALUE; }
    bool Close() {
        m_path.clear();
        if (m_h == INVALID_HANDLE_VALUE) return false;
        CloseHandle(m_h);
        m_h = INVALID_HANDLE_VALUE;
        return true;
    }
    void Append(const std::string& bytes) {
        if (!Open()) return;
        DWORD written = 0;
        WriteFile(m_h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    }

private:
    std::wstring m_path;
    HANDLE m_h = INVALID_HANDLE_VALUE;
};

std::wstring EnvironmentValue(const wchar_t* name) {
    DWORD n = GetEnvironmentVariableW(name, nullptr, 0);
    if (n == 0) return std::wstring();
    std::wstring value(n, L'\0');
    n = GetEnvironmentVariableW(name, &value[0], n);
    value.resize(n);
    return value;
}

std::string ToUtf8Line(const std::wstring& line) {
    std::string out;
    if (!line.empty()) {
        int n = WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), nullptr, 0,
                                    nullptr, nullptr);
        out.resize(n);
        WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), &out[0], n, nullptr,
                            nullptr);
    }
    out += "\r\n";
    return out;
}

std::wstring FromCodePage(const char* text, int len) {
    std::wstring out;
    if (len <= 0) return out;
    int n = MultiByteToWideChar(CP_ACP, 0, text, len, nullptr, 0);
    out.resize(n);
    MultiByteToWideChar(CP_ACP, 0, text, len, &out[0], n);
    return out;
}

// The library's one record: created at load, destroyed at unload.
class TraceStore {
public:
    TraceStore() { m_envFile.SetPath(EnvironmentValue(L"TLMTRACE_FILE")); }

    // Hands one line to every destination.
    void Store(const std::wstring& line) {
        Locked hold(m_lock);
        // A sink may add or remove sinks (itself too) while it is called: walk a copy and skip
        // the ones removed in the meantime.
        const std::vector<LineSink> snapshot = m_sinks;
        for (const LineSink& s : snapshot)
            if (IsRegistered(s)) s.pfn(s.ctx, line.c_str());
        if (m_envFile.Open() || m_dumpFile.IsOpen()) {
            const std::string bytes = ToUtf8Line(line);
            m_envFile.Append(bytes);
            m_dumpFile.Append(bytes);
        }
        // The debugger channel only while a debugger listens: without one each call still costs
        // an exception round trip, which a burst of lines pays on the UI thread.
        if (IsDebuggerPresent()) OutputDebugStringW((line + L"\n").c_str());
    }

    bool AddSink(const LineSink& s) {
        Locked hold(m_lock);
        if (IsRegistered(s)) return false;
        m_sinks.push_back(s);
        return true;
    }
    bool RemoveSink(const LineSink& s) {
        Locked hold(m_lock);
        for (auto it = m_sinks.begin(); it != m_sinks.end(); ++it) {
            if (*it == s) {
                m_sinks.erase(it);
                return true;
            }
        }
        return false;
    }
    bool OpenDump(const wchar_t* path) {
        Locked hold(m_lock);
        m_dumpFile.SetPath(path);
        if (m_dumpFile.Open()) return true;
        m_dumpFile.Close();
        return false;
    }
    bool CloseDump() {
        Locked hold(m_lock);
        return m_dumpFile.Close();
    }

private:
    bool IsRegistered(const LineSink& s) const {
        for (const LineSink& r : m_sinks)
            if (r == s) return true;
        return false;
    }

    CriticalSection m_lock;
    std::vector<LineSink> m_sinks;
    AppendFile m_envFile;
    AppendFile m_dumpFile;
};

// Created at load. At process exit it is left alive: the loader may detach this library before
// the modules that trace from their own detach handling, and their last lines must still be
// stored. Only a real unload frees it.
TraceStore* g_store = nullptr;

// The length is measured first so that no line is ever cut, however long.
bool FormatWide(const wchar_t* format, va_list args, std::wstring& out) {
    va_list measure;
    va_copy(measure, args);
    int n = _vscwprintf(format, measure);
    va_end(measure);
    if (n < 0) return false;
    out.assign(static_cast<size_t>(n) + 1, L'\0');
    va_list copy;
    va_copy(copy, args);
    int written = _vsnwprintf(&out[0], out.size(), format, copy);
    va_end(copy);
    if (written < 0) return false;
    out.resize(static_cast<size_t>(written));
    return true;
}

bool FormatNarrow(const char* format, va_list args, std::wstring& out) {
    va_list measure;
    va_copy(measure, args);
    int n = _vscprintf(format, measure);
    va_end(measure);
    if (n < 0) return false;
    std::string narrow(static_cast<size_t>(n) + 1, '\0');
    va_list copy;
    va_copy(copy, args);
    int written = _vsnprintf(&narrow[0], narrow.size(), format, copy);
    va_end(copy);
    if (written < 0) return false;
    out = FromCodePage(narrow.data(), written);
    return true;
}

int StoreLine(const std::wstring& line) {
    if (!g_store) return -1;
    g_store->Store(line);
    return static_cast<int>(line.size());
}

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD dwReason, LPVOID lpReserved) {
    if (dwReason == DLL_PROCESS_ATTACH) {
        try {
            g_store = new TraceStore;
        } catch (...) {
            return FALSE;
        }
    } else if (dwReason == DLL_PROCESS_DETACH && !lpReserved) {
        delete g_store;
        g_store = nullptr;
    }
    return TRUE;
}

// No C++ exception may leave an entry: an allocation failure drops the line.
extern "C" int __stdcall TLMTRACE(int, int, int, const wchar_t* lpszFormat, va_list args) {
    if (!lpszFormat) return -1;
    try {
        std::wstring line;
        if (!FormatWide(lpszFormat, args, line)) return -1;
        return StoreLine(line);
    } catch (...) {
        return -1;
    }
}

extern "C" int __stdcall TLMTRACERAW(int, int, int, const wchar_t* lpszLine) {
    if (!lpszLine) return -1;
    try {
        return StoreLine(lpszLine);
    } catch (...) {
        return -1;
    }
}

extern "C" int __stdcall TLMTRACEA(int, int, int, const char* lpszFormat, va_list args) {
    if (!lpszFormat) return -1;
    try {
        std::wstring line;
        if (!FormatNarrow(lpszFormat, args, line)) return -1;
        return StoreLine(line);
    } catch (...) {
        return -1;
    }
}

extern "C" int __stdcall TLMTRACERAWA(int, int, int, const char* lpszLine) {
    if (!lpszLine) return -1;
    try {
        return StoreLine(FromCodePage(lpszLine, static_cast<int>(strlen(lpszLine))));
    } catch (...) {
        return -1;
    }
}

extern "C" int __stdcall TLMDumptoFile(const wchar_t* lpszPath) {
    if (!lpszPath || !*lpszPath) {
        TLMDumpFileClose();
        return 0;
    }
    try {
        return g_store && g_store->OpenDump(lpszPath) ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

extern "C" int __stdcall TLMIsDebugMode(void) {
    return IsDebuggerPresent() ? 1 : 0;
}

extern "C" int __stdcall TLMDumpFileClose(void) {
    return g_store && g_store->CloseDump() ? 1 : 0;
}

extern "C" int __stdcall TLMAddLineSink(TLMLINESINK pfnSink, void* ctx) {
    if (!pfnSink) return 0;
    try {
        return g_store && g_store->AddSink(LineSink{pfnSink, ctx}) ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

extern "C" int __stdcall TLMRemoveLineSink(TLMLINESINK pfnSink, void* ctx) {
    return g_store && g_store->RemoveSink(LineSink{pfnSink, ctx}) ? 1 : 0;
}
