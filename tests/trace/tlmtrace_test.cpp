#include "TraceCapture.h"
#include "tlmtrace.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <cstdarg>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

int Tlm(const wchar_t* format, ...) {
    va_list args;
    va_start(args, format);
    int n = TLMTRACE(2, 0, 0, format, args);
    va_end(args);
    return n;
}

int TlmA(const char* format, ...) {
    va_list args;
    va_start(args, format);
    int n = TLMTRACEA(2, 0, 0, format, args);
    va_end(args);
    return n;
}

std::string ReadBytes(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::wstring TempPath(const wchar_t* name) {
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    return std::wstring(dir) + name + std::to_wstring(GetCurrentProcessId());
}

std::wstring ExeFolder() {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring s(path);
    return s.substr(0, s.rfind(L'\\') + 1);
}

} // namespace

TEST(TlmTraceExports, AllEntriesByUndecoratedName) {
    HMODULE h = GetModuleHandleW(L"tlmtrace.dll");
    ASSERT_NE(nullptr, h);
    for (const char* name : {"TLMTRACE", "TLMTRACERAW", "TLMTRACEA", "TLMTRACERAWA", "TLMDumptoFile",
                             "TLMIsDebugMode", "TLMDumpFileClose", "TLMAddLineSink", "TLMRemoveLineSink"})
        EXPECT_NE(nullptr, reinterpret_cast<void*>(GetProcAddress(h, name))) << name;
}

TEST(TlmTraceFormat, WideFormatsUseMicrosoftReading) {
    TraceCapture capture;
    struct Case {
        int result;
        const wchar_t* expected;
    };
    const Case cases[] = {
        {Tlm(L"%s and %s", L"abc", L"\x65e5\x672c"), L"abc and \x65e5\x672c"},
        {Tlm(L"[%s]", L"\xD83D\xDE00 \xD834\xDD1E"), L"[\xD83D\xDE00 \xD834\xDD1E]"},
        {Tlm(L"%d|%d|%u", -5, 2147483647, 4294967295u), L"-5|2147483647|4294967295"},
        {Tlm(L"%x|%X|%08X|%#x", 0xabcdu, 0xabcdu, 0x1fu, 255u), L"abcd|ABCD|0000001F|0xff"},
        {Tlm(L"%s", static_cast<const wchar_t*>(nullptr)), L"(null)"},
        {Tlm(L"100%% %c", L'\x00e9'), L"100% \x00e9"},
        {Tlm(L""), L""},
    };
    std::vector<std::wstring> lines = capture.Lines();
    ASSERT_EQ(std::size(cases), lines.size()) << capture.Dump();
    for (size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(cases[i].expected, lines[i]) << "case " << i;
        EXPECT_EQ(static_cast<int>(wcslen(cases[i].expected)), cases[i].result) << "case " << i;
    }
}

TEST(TlmTraceFormat, NullFormatStoresNothing) {
    TraceCapture capture;
    EXPECT_EQ(-1, TLMTRACE(2, 0, 0, nullptr, nullptr));
    EXPECT_EQ(-1, TLMTRACERAW(2, 0, 0, nullptr));
    EXPECT_EQ(-1, TLMTRACEA(2, 0, 0, nullptr, nullptr));
    EXPECT_EQ(-1, TLMTRACERAWA(2, 0, 0, nullptr));
    EXPECT_TRUE(capture.Lines().empty()) << capture.Dump();
}

TEST(TlmTraceFormat, VeryLongLinesAreNotCut) {
    TraceCapture capture;
    for (size_t len : {1023u, 1024u, 4096u, 200000u}) {
        capture.Clear();
        std::wstring text(len, L'x');
        text.back() = L'!';
        EXPECT_EQ(static_cast<int>(len) + 2, Tlm(L"<%s>", text.c_str()));
        ASSERT_EQ(1u, capture.Lines().size());
        EXPECT_EQ(L"<" + text + L">", capture.Lines()[0]) << "length " << len;
    }
}

TEST(TlmTraceFormat, RawAndNarrowEntries) {
    TraceCapture capture;
    EXPECT_EQ(9, TLMTRACERAW(2, 0, 0, L"raw %s %d"));
    EXPECT_EQ(7, TlmA("%s=%d|%X", "ab", 3, 0xBEu));
    EXPECT_EQ(8, TLMTRACERAWA(2, 0, 0, "narrow%s"));
    EXPECT_EQ((std::vector<std::wstring>{L"raw %s %d", L"ab=3|BE", L"narrow%s"}), capture.Lines());
}

namespace {
struct SinkLog {
    std::vector<std::wstring> lines;
    bool removeSelf = false;
};
void __stdcall RecordLine(void* ctx, const wchar_t* line) {
    auto* log = static_cast<SinkLog*>(ctx);
    log->lines.push_back(line);
    if (log->removeSelf) TLMRemoveLineSink(&RecordLine, ctx);
}
} // namespace

TEST(TlmTraceSinks, AddRemoveAndDuplicates) {
    SinkLog a, b;
    EXPECT_EQ(0, TLMAddLineSink(nullptr, &a));
    EXPECT_EQ(1, TLMAddLineSink(&RecordLine, &a));
    EXPECT_EQ(0, TLMAddLineSink(&RecordLine, &a)) << "the same pair twice would double every line";
    EXPECT_EQ(1, TLMAddLineSink(&RecordLine, &b));
    Tlm(L"one");
    EXPECT_EQ(1, TLMRemoveLineSink(&RecordLine, &a));
    EXPECT_EQ(0, TLMRemoveLineSink(&RecordLine, &a));
    Tlm(L"two");
    EXPECT_EQ(1, TLMRemoveLineSink(&RecordLine, &b));
    Tlm(L"three");
    EXPECT_EQ(std::vector<std::wstring>{L"one"}, a.lines);
    EXPECT_EQ((std::vector<std::wstring>{L"one", L"two"}), b.lines);
}

TEST(TlmTraceSinks, SinkMayRemoveItselfWhileCalled) {
    SinkLog first, second;
    first.removeSelf = true;
    ASSERT_EQ(1, TLMAddLineSink(&RecordLine, &first));
    ASSERT_EQ(1, TLMAddLineSink(&RecordLine, &second));
    Tlm(L"a");
    Tlm(L"b");
    EXPECT_EQ(1, TLMRemoveLineSink(&RecordLine, &second));
    EXPECT_EQ(std::vector<std::wstring>{L"a"}, first.lines);
    EXPECT_EQ((std::vector<std::wstring>{L"a", L"b"}), second.lines);
}

TEST(TlmTraceSinks, LinesFromManyThreadsArriveWhole) {
    TraceCapture capture;
    const int kThreads = 4, kLines = 300;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([t] {
            for (int i = 0; i < kLines; ++i)
                Tlm(L"thread %d line %d %s", t, i, L"\x00e9\x00e8");
        });
    for (auto& th : threads)
        th.join();
    std::vector<std::wstring> lines = capture.Lines();
    ASSERT_EQ(static_cast<size_t>(kThreads * kLines), lines.size());
    for (int t = 0; t < kThreads; ++t)
        for (int i = 0; i < kLines; i += 37) {
            std::wstring expected =
                L"thread " + std::to_wstring(t) + L" line " + std::to_wstring(i) + L" \x00e9\x00e8";
            EXPECT_EQ(1u, capture.Count(expected)) << t << "/" << i;
        }
}

TEST(TlmTraceFiles, DumpFileGetsUtf8LinesWithCrLf) {
    const std::wstring path = TempPath(L"tlmdump");
    DeleteFileW(path.c_str());
    ASSERT_EQ(1, TLMDumptoFile(path.c_str()));
    Tlm(L"first %d", 1);
    Tlm(L"%s", L"\x00e9\x65e5\xD83D\xDE00");
    EXPECT_EQ(1, TLMDumpFileClose());
    EXPECT_EQ(0, TLMDumpFileClose());
    Tlm(L"after close");
    EXPECT_EQ("first 1\r\n\xC3\xA9\xE6\x97\xA5\xF0\x9F\x98\x80\r\n", ReadBytes(path));

    // Opening it again appends.
    ASSERT_EQ(1, TLMDumptoFile(path.c_str()));
    TLMTRACERAW(2, 0, 0, L"again");
    TLMDumpFileClose();
    EXPECT_EQ("first 1\r\n\xC3\xA9\xE6\x97\xA5\xF0\x9F\x98\x80\r\nagain\r\n", ReadBytes(path));
    DeleteFileW(path.c_str());

    EXPECT_EQ(0, TLMDumptoFile(L"Z:\\no\\such\\folder\\x.log"));
    EXPECT_EQ(0, TLMDumpFileClose());
}

// TLMTRACE_FILE is read once when the library loads: a private copy of the library is loaded
// after the variable is set.
TEST(TlmTraceFiles, EnvironmentFileIsAppendedTo) {
    const std::wstring copy = TempPath(L"tlmcopy") + L".dll";
    const std::wstring log = TempPath(L"tlmenv");
    ASSERT_TRUE(CopyFileW((ExeFolder() + L"tlmtrace.dll").c_str(), copy.c_str(), FALSE));
    {
        std::ofstream pre(log.c_str(), std::ios::binary);
        pre << "earlier\r\n";
    }
    SetEnvironmentVariableW(L"TLMTRACE_FILE", log.c_str());
    HMODULE h = LoadLibraryW(copy.c_str());
    SetEnvironmentVariableW(L"TLMTRACE_FILE", nullptr);
    ASSERT_NE(nullptr, h);
    auto raw = reinterpret_cast<int(__stdcall*)(int, int, int, const wchar_t*)>(
        reinterpret_cast<void*>(GetProcAddress(h, "TLMTRACERAW")));
    ASSERT_NE(nullptr, raw);
    EXPECT_EQ(4, raw(2, 0, 0, L"\x00fcnf!"));
    EXPECT_EQ(0, raw(2, 0, 0, L""));
    FreeLibrary(h);
    EXPECT_EQ("earlier\r\n\xC3\xBCnf!\r\n\r\n", ReadBytes(log));
    DeleteFileW(log.c_str());
    DeleteFileW(copy.c_str());
}
