#include "TraceCapture.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace {
typedef void(__stdcall* LineSinkFn)(void*, const wchar_t*);
typedef int(__stdcall* SinkEntryFn)(LineSinkFn, void*);

SinkEntryFn SinkEntry(HMODULE h, const char* name) {
    return reinterpret_cast<SinkEntryFn>(reinterpret_cast<void*>(GetProcAddress(h, name)));
}
} // namespace

TraceCapture::TraceCapture() {
    HMODULE h = LoadLibraryW(L"tlmtrace.dll");
    if (!h) {
        ADD_FAILURE() << "TraceCapture: tlmtrace.dll not found";
        return;
    }
    SinkEntryFn add = SinkEntry(h, "TLMAddLineSink");
    SinkEntryFn remove = SinkEntry(h, "TLMRemoveLineSink");
    if (!add || !remove || !add(&TraceCapture::OnLine, this)) {
        ADD_FAILURE() << "TraceCapture: tlmtrace.dll has no usable line sink entries";
        FreeLibrary(h);
        return;
    }
    m_hLibrary = h;
    m_pfnRemove = reinterpret_cast<void*>(remove);
    m_bAttached = true;
}

TraceCapture::~TraceCapture() {
    if (!m_bAttached) return;
    reinterpret_cast<SinkEntryFn>(m_pfnRemove)(&TraceCapture::OnLine, this);
    FreeLibrary(static_cast<HMODULE>(m_hLibrary));
}

namespace {
thread_local int t_nStoring = 0;
} // namespace

bool TraceCapture::Storing() {
    return t_nStoring > 0;
}

void __stdcall TraceCapture::OnLine(void* ctx, const wchar_t* line) {
    struct StoringMark {
        StoringMark() { ++t_nStoring; }
        ~StoringMark() { --t_nStoring; }
    } mark;
    // Called from inside the trace library: nothing may be thrown back into it.
    try {
        auto* self = static_cast<TraceCapture*>(ctx);
        std::lock_guard<std::mutex> hold(self->m_mutex);
        self->m_lines.emplace_back(line);
    } catch (...) {
    }
}

std::vector<std::wstring> TraceCapture::Lines() const {
    std::lock_guard<std::mutex> hold(m_mutex);
    return m_lines;
}

bool TraceCapture::Contains(const std::wstring& exactLine) const {
    return Count(exactLine) > 0;
}

bool TraceCapture::ContainsSubstring(const std::wstring& part) const {
    std::lock_guard<std::mutex> hold(m_mutex);
    for (const auto& l : m_lines)
        if (l.find(part) != std::wstring::npos) return true;
    return false;
}

size_t TraceCapture::Count(const std::wstring& exactLine) const {
    std::lock_guard<std::mutex> hold(m_mutex);
    size_t n = 0;
    for (const auto& l : m_lines)
        if (l == exactLine) ++n;
    return n;
}

void TraceCapture::Clear() {
    std::lock_guard<std::mutex> hold(m_mutex);
    m_lines.clear();
}

std::wstring TraceCapture::Dump() const {
    std::lock_guard<std::mutex> hold(m_mutex);
    std::wstring all;
    for (const auto& l : m_lines)
        all += l + L"\n";
    return all;
}
