#include "Trace.h"
#include "TraceCapture.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <fstream>
#include <sstream>
#include <string>

namespace {

const wchar_t kProbeLine[] = L"probe \x00e9t\x00e9 42";
const char kProbeLineUtf8[] = "probe \xC3\xA9t\xC3\xA9 42\r\n";

std::wstring ExeFolder() {
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring s(path);
    return s.substr(0, s.rfind(L'\\') + 1);
}

std::wstring TempName(const wchar_t* stem) {
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    return std::wstring(dir) + stem + std::to_wstring(GetCurrentProcessId());
}

std::string ReadBytes(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// Runs an executable in the given folder and returns its exit code.
int RunProbe(const std::wstring& exe, const std::wstring& folder, const wchar_t* arg = nullptr) {
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    std::wstring cmd = L"\"" + exe + L"\"";
    if (arg) cmd += std::wstring(L" ") + arg;
    if (!CreateProcessW(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &si,
                        &pi)) {
        ADD_FAILURE() << "cannot start the probe, error " << GetLastError();
        return -2000;
    }
    DWORD code = 0;
    if (WaitForSingleObject(pi.hProcess, 30000) != WAIT_OBJECT_0) {
        ADD_FAILURE() << "the probe did not finish";
        TerminateProcess(pi.hProcess, 1);
    }
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return static_cast<int>(code);
}

} // namespace

// This executable finds tlmtrace.dll beside itself: the binding made at start-up is live.
TEST(TraceForward, LinesReachTheLibraryWithTheCallersArguments) {
    TraceCapture capture;
    EXPECT_EQ(12, Trace(L"%s|%d|%X|%x", L"\x65e5\xD83D\xDE00", -7, 0xABu, 0xcdu));
    EXPECT_EQ(9, Trace(L"%s", L"no format"));
    EXPECT_EQ((std::vector<std::wstring>{L"\x65e5\xD83D\xDE00|-7|AB|cd", L"no format"}), capture.Lines());
}

TEST(TraceForward, UnboundTracesReturnMinusOneAndRebindWorks) {
    TraceCapture capture;
    TraceUnbind();
    EXPECT_EQ(-1, Trace(L"dropped %d", 1));
    TraceUnbind();
    EXPECT_EQ(-1, Trace(L"dropped %d", 2));
    TraceBind();
    TraceBind();
    EXPECT_EQ(4, Trace(L"kept"));
    EXPECT_EQ(std::vector<std::wstring>{L"kept"}, capture.Lines());
}

TEST(TraceForward, ChildWithLibraryStoresTheLine) {
    const std::wstring log = TempName(L"qxfwd") + L".log";
    DeleteFileW(log.c_str());
    SetEnvironmentVariableW(L"TLMTRACE_FILE", log.c_str());
    int rc = RunProbe(ExeFolder() + L"trace_forward_probe.exe", ExeFolder());
    SetEnvironmentVariableW(L"TLMTRACE_FILE", nullptr);
    EXPECT_EQ(static_cast<int>(wcslen(kProbeLine)), rc);
    EXPECT_EQ(std::string(kProbeLineUtf8) + kProbeLineUtf8, ReadBytes(log));
    DeleteFileW(log.c_str());
}

// A module that traces from its entry point: the library is released when the module is
// unloaded, and the last line at process exit is still stored.
TEST(TraceForward, ModuleEntryPointLinesAtUnloadAndProcessExit) {
    const std::wstring log = TempName(L"qxfwdmod") + L".log";
    DeleteFileW(log.c_str());
    SetEnvironmentVariableW(L"TLMTRACE_FILE", log.c_str());
    int rc = RunProbe(ExeFolder() + L"trace_forward_probe.exe", ExeFolder(), L"module");
    SetEnvironmentVariableW(L"TLMTRACE_FILE", nullptr);
    EXPECT_EQ(0, rc);
    EXPECT_EQ("module attach 1\r\nmodule detach unload\r\nmodule attach 1\r\nmodule detach exit\r\n",
              ReadBytes(log));
    DeleteFileW(log.c_str());
}

// A library loaded by plain name is looked for first beside the executable: a copy of the probe
// in a folder of its own runs with the library given there, or none.
TEST(TraceForward, ChildWithOtherOrNoLibrary) {
    struct Case {
        const wchar_t* library; // copied in as tlmtrace.dll
        int expected;
    };
    const Case cases[] = {
        {nullptr, -1},
        // Level 2, then 0 and 0, then the line formatted from the caller's own arguments.
        {L"fake_tlmtrace.dll", 200000 + static_cast<int>(wcslen(kProbeLine))},
        {L"fake_tlmtrace_noentry.dll", -1},
    };
    const std::wstring folder = TempName(L"qxfwdlib");
    const std::wstring exe = folder + L"\\probe.exe";
    const std::wstring dll = folder + L"\\tlmtrace.dll";
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
    ASSERT_TRUE(CopyFileW((ExeFolder() + L"trace_forward_probe.exe").c_str(), exe.c_str(), FALSE));
    for (const Case& c : cases) {
        DeleteFileW(dll.c_str());
        if (c.library) {
            ASSERT_TRUE(CopyFileW((ExeFolder() + c.library).c_str(), dll.c_str(), FALSE));
        }
        EXPECT_EQ(c.expected, RunProbe(exe, folder)) << (c.library ? c.library : L"no library");
    }
    DeleteFileW(dll.c_str());
    DeleteFileW(exe.c_str());
    RemoveDirectoryW(folder.c_str());
}
