// Collects every line that the trace library stand-in (tlmtrace.dll) stores in this process
// while the object lives, whichever module traced it.
#pragma once

#include <mutex>
#include <string>
#include <vector>

class TraceCapture {
public:
    TraceCapture();
    ~TraceCapture();
    TraceCapture(const TraceCapture&) = delete;
    TraceCapture& operator=(const TraceCapture&) = delete;

    std::vector<std::wstring> Lines() const;
    bool Contains(const std::wstring& exactLine) const;
    bool ContainsSubstring(const std::wstring& part) const;
    // Number of lines equal to exactLine.
    size_t Count(const std::wstring& exactLine) const;
    void Clear();
    // All lines, one a line, for failure messages.
    std::wstring Dump() const;
    // False when tlmtrace.dll or its sink entries could not be found (a test failure is also
    // reported then).
    bool Attached() const { return m_bAttached; }
    // True while a capture stores a line on this thread: a test that makes allocations fail
    // on purpose leaves the capture's own alone.
    static bool Storing();

private:
    static void __stdcall OnLine(void* ctx, const wchar_t* line);

    void* m_hLibrary = nullptr;
    void* m_pfnRemove = nullptr;
    bool m_bAttached = false;
    mutable std::mutex m_mutex;
    std::vector<std::wstring> m_lines;
};
