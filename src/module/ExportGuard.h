// The export boundary: no C++ exception may reach the host. Every export runs its body through
// QxGuarded, which turns an escaping exception into a "Fail: " trace line naming the export and
// the export's failure result.
#pragma once

#include <exception>
#include <new>
#include <string>

// Writes "Fail: <export>, <reason>" for an exception stopped at the boundary.
void QxTraceExportFailure(const wchar_t* lpszExport, const char* lpszReason);

template <class R, class Body> R QxGuarded(const wchar_t* lpszExport, R failResult, Body&& body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        QxTraceExportFailure(lpszExport, "out of memory");
    } catch (const std::exception& e) {
        QxTraceExportFailure(lpszExport, e.what());
    } catch (...) {
        QxTraceExportFailure(lpszExport, "unknown exception");
    }
    return failResult;
}

// A string argument as a trace line shows it: null as "NULL".
inline const wchar_t* QxTraceText(const wchar_t* lpsz) {
    return lpsz ? lpsz : L"NULL";
}

// A server address as a trace line shows it: the password of "redis://:password@host:port"
// as "***" (written into masked, which the result then points at); null as "NULL". Throws
// std::bad_alloc.
const wchar_t* QxTraceAddress(const wchar_t* lpszAddress, std::wstring& masked);

// A string argument copied for the duration of a call; null stays null. Throws std::bad_alloc.
class QxArgCopy {
public:
    explicit QxArgCopy(const wchar_t* lpsz) {
        if (!lpsz) return;
        size_t n = 0;
        while (lpsz[n])
            ++n;
        m_p = new wchar_t[n + 1];
        for (size_t i = 0; i <= n; ++i)
            m_p[i] = lpsz[i];
    }
    ~QxArgCopy() { delete[] m_p; }
    QxArgCopy(const QxArgCopy&) = delete;
    QxArgCopy& operator=(const QxArgCopy&) = delete;
    const wchar_t* Get() const { return m_p; }

private:
    wchar_t* m_p = nullptr;
};
