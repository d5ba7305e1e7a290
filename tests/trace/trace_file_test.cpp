#include "Trace.h"
#include "TraceFile.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <algorithm>
#include <fstream>
#include <memory>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

// A fixed clock and a recorder of the debugger output.
const SYSTEMTIME kNow = {2024, 3, 2, 5, 9, 5, 7, 0};
void FixedClock(SYSTEMTIME* pst) {
    *pst = kNow;
}

std::mutex g_echoMutex;
std::vector<std::wstring> g_echo;
void RecordEcho(const wchar_t* text) {
    std::lock_guard<std::mutex> hold(g_echoMutex);
    g_echo.emplace_back(text);
}

std::string ReadBytes(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

bool FileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string InCodePage(const std::wstring& text) {
    std::string out(text.size() * 4 + 1, '\0');
    int n = WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, &out[0], static_cast<int>(out.size()), nullptr,
                                nullptr);
    out.resize(n > 0 ? n - 1 : 0);
    return out;
}

std::wstring FolderOf(const std::wstring& path) {
    return path.substr(0, path.rfind(L'\\') + 1);
}

// The lines of a text-mode file: CR LF breaks only.
std::vector<std::string> SplitLines(const std::string& bytes) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t at; (at = bytes.find("\r\n", start)) != std::string::npos; start = at + 2)
        lines.push_back(bytes.substr(start, at - start));
    EXPECT_EQ(start, bytes.size()) << "text after the last line break";
    EXPECT_EQ(lines.size(), static_cast<size_t>(std::count(bytes.begin(), bytes.end(), '\n')))
        << "bare line feed";
    return lines;
}

class SwitchValue {
public:
    explicit SwitchValue(const std::wstring& name, const wchar_t* key = CTraceFileLogger::kRegistryKey)
        : m_name(name), m_key(key) {}
    ~SwitchValue() { Remove(); }
    void Set(DWORD value) { SetRaw(REG_DWORD, &value, sizeof(value)); }
    void SetRaw(DWORD type, const void* data, DWORD cb) {
        HKEY h = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, m_key, 0, nullptr, 0, KEY_ALL_ACCESS,
                                                 nullptr, &h, nullptr));
        RegSetValueExW(h, m_name.c_str(), 0, type, static_cast<const BYTE*>(data), cb);
        RegCloseKey(h);
    }
    void Remove() {
        HKEY h = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, m_key, 0, KEY_ALL_ACCESS, &h) != ERROR_SUCCESS) return;
        RegDeleteValueW(h, m_name.c_str());
        RegCloseKey(h);
    }

private:
    std::wstring m_name;
    const wchar_t* m_key;
};

// Each test drives a logger of its own for a module name private to this process, so that
// parallel runs share neither log file nor registry value.
class TraceFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t dir[MAX_PATH];
        GetTempPathW(MAX_PATH, dir);
        m_name = L"qxtrfile" + std::to_wstring(GetCurrentProcessId());
        m_folder = dir;
        m_log = m_folder + m_name + L".log";
        DeleteFileW(m_log.c_str());
        m_switch.reset(new SwitchValue(L"TRACE_ENABLE_" + m_name));
        m_logger.reset(new CTraceFileLogger);
        m_logger->m_pfnLocalTime = &FixedClock;
        m_logger->m_pfnDebugOutput = &RecordEcho;
        m_logger->InitialiseFrom((m_folder + m_name + L".x.dll").c_str());
        g_echo.clear();
    }
    void TearDown() override {
        m_logger->Close();
        m_switch.reset();
        DeleteFileW(m_log.c_str());
    }
    // A fresh logger and file, for table rows.
    void Reset() {
        TearDown();
        SetUp();
    }
    void Enable(DWORD value = 1) {
        m_switch->Set(value);
        m_logger->CheckEnable(1);
    }
    void Ticks(int n) {
        for (int i = 0; i < n; ++i)
            m_logger->CheckEnable(0);
    }
    std::string Header(const char* tail) const {
        wchar_t date[80];
        GetDateFormatW(LOCALE_USER_DEFAULT, LOCALE_NOUSEROVERRIDE | DATE_SHORTDATE, &kNow, nullptr, date, 80);
        return InCodePage(date) + "     09:05:07--->" + InCodePage(m_name) + ".log" + tail;
    }
    std::vector<std::string> Block(const std::vector<std::string>& messages) const {
        std::vector<std::string> lines{std::string(57, '+'), Header("   First Run"), ""};
        for (const auto& m : messages)
            lines.push_back("09:05:07      " + m);
        for (const auto& l : {Header("   End Run"), std::string(), std::string(56, '-')})
            lines.push_back(l);
        return lines;
    }

    std::wstring m_name, m_folder, m_log;
    std::unique_ptr<SwitchValue> m_switch;
    std::unique_ptr<CTraceFileLogger> m_logger;
};

} // namespace

TEST(TraceFileNames, SplitFromTheModulePath) {
    struct Case {
        const wchar_t* path;
        const wchar_t* folder;
        const wchar_t* log;
        const wchar_t* value;
    };
    const Case cases[] = {
        {L"C:\\Program Files\\Meet\\qxchat.dll", L"C:\\Program Files\\Meet\\", L"qxchat.log",
         L"TRACE_ENABLE_qxchat"},
        {L"D:\\a.b\\chat.v2.dll", L"D:\\a.b\\", L"chat.log", L"TRACE_ENABLE_chat"},
        {L"noext", L"", L"noext.log", L"TRACE_ENABLE_noext"},
        {L"", L"", L"", L""},
    };
    for (const Case& c : cases) {
        CTraceFileLogger logger;
        logger.InitialiseFrom(c.path);
        EXPECT_STREQ(c.folder, logger.ModuleFolder()) << c.path;
        EXPECT_STREQ(c.log, logger.LogFileName()) << c.path;
        EXPECT_STREQ(c.value, logger.RegistryValueName()) << c.path;
        logger.Close();
    }
    CTraceFileLogger tooLong;
    tooLong.InitialiseFrom((L"C:\\" + std::wstring(MAX_PATH, L'a') + L".dll").c_str());
    EXPECT_STREQ(L"", tooLong.LogFileName());
    tooLong.Close();
}

// The module's record is named after the module holding the code (here this executable).
TEST(TraceFileNames, ModuleRecordNamedAfterTheContainingModule) {
    wchar_t exe[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    EXPECT_EQ(FolderOf(exe), TheTraceFileLogger().ModuleFolder());
    EXPECT_STREQ(L"trace_file_test.log", TheTraceFileLogger().LogFileName());
    EXPECT_STREQ(L"TRACE_ENABLE_trace_file_test", TheTraceFileLogger().RegistryValueName());
}

TEST(TraceFileModule, BindWritesTheWholeRunThroughTrace) {
    SwitchValue value(L"TRACE_ENABLE_trace_file_test");
    const std::wstring log = std::wstring(TheTraceFileLogger().ModuleFolder()) + L"trace_file_test.log";
    DeleteFileW(log.c_str());
    EXPECT_EQ(0, Trace(L"off %d", 1));
    value.Set(1);
    TraceUnbind();
    TraceBind();
    EXPECT_EQ(1, Trace(L"on %s %d", L"x", 2));
    TraceUnbind();
    EXPECT_EQ(0, Trace(L"after unbind"));
    const std::string bytes = ReadBytes(log);
    EXPECT_NE(std::string::npos, bytes.find("      on x 2\r\n")) << bytes;
    EXPECT_NE(std::string::npos, bytes.find("--->trace_file_test.log   End Run\r\n")) << bytes;
    EXPECT_EQ(std::string::npos, bytes.find("off")) << bytes;
    DeleteFileW(log.c_str());
    value.Remove();
    TraceBind();
}

TEST_F(TraceFileTest, SwitchValues) {
    struct Case {
        const char* what;
        DWORD type;
        std::vector<BYTE> data;
        bool on, echo;
    };
    const Case cases[] = {
        {"missing", REG_NONE, {}, false, false},
        {"0", REG_DWORD, {0, 0, 0, 0}, false, false},
        {"1", REG_DWORD, {1, 0, 0, 0}, true, false},
        {"2", REG_DWORD, {2, 0, 0, 0}, false, false},
        {"3", REG_DWORD, {3, 0, 0, 0}, true, true},
        {"0x101", REG_DWORD, {1, 1, 0, 0}, false, false},
        {"string 1", REG_SZ, {'1', 0, 0, 0}, false, false},
        {"2-byte 1", REG_BINARY, {1, 0}, false, false},
    };
    for (const Case& c : cases) {
        Reset();
        if (c.type != REG_NONE) m_switch->SetRaw(c.type, c.data.data(), static_cast<DWORD>(c.data.size()));
        m_logger->CheckEnable(1);
        EXPECT_EQ(c.on, m_logger->IsEnabled()) << c.what;
        EXPECT_EQ(c.echo, m_logger->IsEchoing()) << c.what;
        EXPECT_EQ(c.on ? 1 : 0, m_logger->Write(L"line")) << c.what;
        EXPECT_EQ(c.on, FileExists(m_log)) << c.what;
        EXPECT_EQ(c.echo, !g_echo.empty()) << c.what;
    }
}

TEST_F(TraceFileTest, EchoToDebuggerStaysOnOnceSet) {
    Enable(3);
    m_logger->Write(L"echoed %d", 1);
    m_switch->Set(1);
    Ticks(201);
    m_logger->Write(L"still echoed");
    m_logger->Close();
    const std::vector<std::wstring> expected{std::wstring(57, L'+'),
                                             L"", // the header, checked below
                                             L"09:05:07      echoed 1",
                                             L"09:05:07      still echoed",
                                             L"",
                                             std::wstring(56, L'-')};
    ASSERT_EQ(expected.size(), g_echo.size());
    for (size_t i : {0u, 2u, 3u, 5u})
        EXPECT_EQ(expected[i], g_echo[i]);
    EXPECT_NE(std::wstring::npos, g_echo[1].find(L"   First Run"));
    EXPECT_NE(std::wstring::npos, g_echo[4].find(L"   End Run"));
}

TEST_F(TraceFileTest, TurnsOnAfterMoreThanFiftyTicks) {
    Enable(0);
    m_switch->Set(1);
    Ticks(50);
    EXPECT_FALSE(m_logger->IsEnabled());
    EXPECT_EQ(0, m_logger->Write(L"too early"));
    EXPECT_FALSE(FileExists(m_log));
    Ticks(1);
    EXPECT_TRUE(m_logger->IsEnabled());
    EXPECT_EQ(1, m_logger->Write(L"next"));
    m_logger->Close();
    EXPECT_EQ(Block({"Enable Trace", "next"}), SplitLines(ReadBytes(m_log)));
}

TEST_F(TraceFileTest, TurnsOffAfterMoreThanTwoHundredTicks) {
    Enable(1);
    m_logger->Write(L"first");
    m_switch->Set(2);
    Ticks(200);
    EXPECT_EQ(1, m_logger->Write(L"second"));
    Ticks(1);
    EXPECT_FALSE(m_logger->IsEnabled());
    EXPECT_EQ(0, m_logger->Write(L"dropped"));
    // Off again, the counter restarts and the fifty-tick rule applies.
    m_switch->Set(1);
    Ticks(50);
    EXPECT_FALSE(m_logger->IsEnabled());
    m_logger->Close();
    EXPECT_EQ(Block({"first", "second", "Disable Trace"}), SplitLines(ReadBytes(m_log)));
}

TEST_F(TraceFileTest, WholeFileLayoutAndALaterRunAppends) {
    Enable(1);
    EXPECT_EQ(1, m_logger->Write(L"%s %d %X", L"caf\x00e9", 7, 0xFFu));
    EXPECT_EQ(1, m_logger->Write(L"two\x00e8"));
    m_logger->Close();
    const std::vector<std::string> run = Block({InCodePage(L"caf\x00e9 7 FF"), InCodePage(L"two\x00e8")});
    EXPECT_EQ(run, SplitLines(ReadBytes(m_log)));

    m_logger->InitialiseFrom((m_folder + m_name + L".dll").c_str());
    m_logger->CheckEnable(1);
    m_logger->Write(L"again");
    m_logger->Close();
    std::vector<std::string> both = run;
    for (const auto& l : Block({"again"}))
        both.push_back(l);
    EXPECT_EQ(both, SplitLines(ReadBytes(m_log)));
}

TEST_F(TraceFileTest, CloseWithoutAnyLineWritesNothing) {
    Enable(1);
    m_logger->Close();
    EXPECT_FALSE(FileExists(m_log));
    EXPECT_EQ(0, m_logger->Write(L"after close"));
    EXPECT_FALSE(FileExists(m_log));
}

TEST_F(TraceFileTest, LongMessageIsCutTo1023Characters) {
    Enable(1);
    std::wstring text(1500, L'm');
    for (size_t i = 0; i < text.size(); i += 100)
        text[i] = L'0' + static_cast<wchar_t>(i / 100 % 10);
    m_logger->Write(L"%s", text.c_str());
    m_logger->Close();
    std::vector<std::string> lines = SplitLines(ReadBytes(m_log));
    ASSERT_EQ(Block({""}).size(), lines.size());
    EXPECT_EQ("09:05:07      " + InCodePage(text.substr(0, 1023)), lines[3]);
}

TEST_F(TraceFileTest, SizeLimitIsCheckedWhenOpened) {
    const std::vector<std::string> block = Block({"x"});
    size_t blockBytes = 0;
    for (const auto& l : block)
        blockBytes += l.size() + 2;
    for (long size : {CTraceFileLogger::kSizeLimit, CTraceFileLogger::kSizeLimit - 1}) {
        Reset();
        HANDLE h = CreateFileW(m_log.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, h);
        SetFilePointer(h, size, nullptr, FILE_BEGIN);
        SetEndOfFile(h);
        CloseHandle(h);
        Enable(1);
        m_logger->Write(L"x");
        m_logger->Close();
        const std::string bytes = ReadBytes(m_log);
        const size_t kept = size >= CTraceFileLogger::kSizeLimit ? 0 : static_cast<size_t>(size);
        EXPECT_EQ(kept + blockBytes, bytes.size()) << size;
        EXPECT_EQ(block, SplitLines(bytes.substr(kept))) << size;
    }
}

TEST_F(TraceFileTest, UnopenableFileDropsTheLineAndRetries) {
    const std::wstring folder = m_folder + m_name + L"dir\\";
    const std::wstring log = folder + m_name + L".log";
    RemoveDirectoryW(folder.c_str());
    m_logger->InitialiseFrom((folder + m_name + L".dll").c_str());
    Enable(1);
    EXPECT_EQ(0, m_logger->Write(L"lost"));
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    EXPECT_EQ(1, m_logger->Write(L"kept"));
    m_logger->Close();
    EXPECT_EQ(Block({"kept"}), SplitLines(ReadBytes(log)));
    DeleteFileW(log.c_str());
    RemoveDirectoryW(folder.c_str());
}

TEST_F(TraceFileTest, MissingKeyIsCreated) {
    const std::wstring key = L"Software\\Talmo\\QxTraceTest" + std::to_wstring(GetCurrentProcessId()) + L"\\";
    RegDeleteKeyW(HKEY_CURRENT_USER, key.c_str());
    m_logger->m_lpszRegistryKey = key.c_str();
    m_logger->CheckEnable(1);
    HKEY h = nullptr;
    EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, KEY_READ, &h));
    if (h) RegCloseKey(h);
    EXPECT_FALSE(m_logger->IsEnabled());
    {
        SwitchValue on(L"TRACE_ENABLE_" + m_name, key.c_str());
        on.Set(1);
        m_logger->CheckEnable(1);
        EXPECT_TRUE(m_logger->IsEnabled());
    }
    std::wstring bare = key.substr(0, key.size() - 1);
    EXPECT_EQ(ERROR_SUCCESS, RegDeleteKeyW(HKEY_CURRENT_USER, bare.c_str()));
}

TEST_F(TraceFileTest, LinesFromManyThreadsDoNotInterleave) {
    Enable(1);
    const int kThreads = 4, kLines = 100;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([this, t] {
            for (int i = 0; i < kLines; ++i)
                m_logger->Write(L"t%d %s %d", t, std::wstring(200, L'a' + t).c_str(), i);
        });
    for (auto& th : threads)
        th.join();
    m_logger->Close();
    std::vector<std::string> lines = SplitLines(ReadBytes(m_log));
    ASSERT_EQ(static_cast<size_t>(kThreads * kLines) + 6, lines.size());
    for (size_t i = 3; i < lines.size() - 3; ++i) {
        const std::string& l = lines[i];
        ASSERT_GT(l.size(), 17u) << l;
        const int t = l[15] - '0';
        EXPECT_EQ("09:05:07      t" + std::to_string(t) + " " + std::string(200, 'a' + t) + " ",
                  l.substr(0, l.rfind(' ') + 1));
    }
}
