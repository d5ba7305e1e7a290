// Opening a link: the "open" action first, the fallbacks by browser type, the length limit.
#include "window/LinkOpener.h"

#include "window/LinkDetection.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Records what would be started; each way succeeds as configured.
class RecordingLauncher : public ILinkLauncher {
public:
    bool bShellWorks = false, bProcessWorks = true, bBrowserWorks = true;
    std::vector<std::wstring> calls;

    bool ShellOpen(const std::wstring& a) override {
        calls.push_back(L"open " + a);
        return bShellWorks;
    }
    std::wstring HostProgramShortPath() override { return L"C:\\PROGRA~1\\HOST\\HOST.EXE"; }
    bool StartProcess(const std::wstring& c) override {
        calls.push_back(L"process " + c);
        return bProcessWorks;
    }
    bool OpenInBrowserObject(const std::wstring& a) override {
        calls.push_back(L"browser " + a);
        return bBrowserWorks;
    }
};

TEST(LinkOpener, TheOpenActionComesFirstThenTheBrowserTypesFallback) {
    const std::wstring url = L"http://www.example.com/";
    const struct {
        LONG type;
        bool shellWorks;
        std::vector<std::wstring> calls;
    } cases[] = {
        {0, true, {L"open " + url}},
        {1, true, {L"open " + url}},
        {1, false, {L"open " + url, L"process C:\\PROGRA~1\\HOST\\HOST.EXE " + url}},
        {9, false, {L"open " + url, L"process C:\\PROGRA~1\\HOST\\HOST.EXE -url " + url}},
        {0, false, {L"open " + url, L"browser " + url}},
        {2, false, {L"open " + url, L"browser " + url}},
    };
    for (const auto& c : cases) {
        RecordingLauncher launcher;
        launcher.bShellWorks = c.shellWorks;
        EXPECT_TRUE(QxOpenLink(url, c.type, launcher));
        EXPECT_EQ(launcher.calls, c.calls) << c.type;
    }
}

TEST(LinkOpener, LongAddressesAreNotGivenToTheHostProgram) {
    const std::wstring limit = L"http://" + std::wstring(1024 - 7, L'a');
    const std::wstring over = limit + L"a";
    for (LONG type : {1L, 9L}) {
        RecordingLauncher launcher;
        EXPECT_TRUE(QxOpenLink(limit, type, launcher));
        EXPECT_EQ(launcher.calls.size(), 2u);
        RecordingLauncher refused;
        EXPECT_FALSE(QxOpenLink(over, type, refused));
        EXPECT_EQ(refused.calls, std::vector<std::wstring>{L"open " + over}); // nothing started
    }
    // The browser object takes any length.
    RecordingLauncher browser;
    EXPECT_TRUE(QxOpenLink(over, 0, browser));
    EXPECT_EQ(browser.calls.back(), L"browser " + over);
}

TEST(LinkOpener, FailuresAreReported) {
    RecordingLauncher launcher;
    launcher.bProcessWorks = launcher.bBrowserWorks = false;
    EXPECT_FALSE(QxOpenLink(L"http://a.b", 1, launcher));
    EXPECT_FALSE(QxOpenLink(L"http://a.b", 0, launcher));
    EXPECT_FALSE(QxOpenLink(L"", 0, launcher));
    EXPECT_EQ(QxHostProgramCommandLine(3, L"x.exe", L"http://a"), L"");
    EXPECT_EQ(QxHostProgramCommandLine(1, L"", L"http://a"), L"");
}

// Whatever a message holds, only web and ftp addresses reach a launcher: detection makes
// targets of nothing else, and the opener refuses anything else it is handed.
TEST(LinkOpener, OnlyWebAndFtpAddressesAreEverStarted) {
    const wchar_t* const texts[] = {
        L"file:///C:/Windows/System32/calc.exe",
        L"javascript:alert(1)",
        L"\\\\server\\share\\setup.exe",
        L"\\\\?\\UNC\\server\\share",
        L"mailto:a@b.c",
        L"FILE://c:/x",
        L"wwwfile:x",
        L"http:calc.exe",
        L"ftp:calc.exe",
        L"see file:c:/x and javascript:void(0) or \\\\host\\c$",
        L"www.example.com/x?y=1&z=\"2\" http://a.b/c https://d.e FTP://f.g ftp.h.i",
    };
    size_t nLinks = 0;
    for (const wchar_t* lpszText : texts) {
        for (const LinkRange& link : QxDetectLinks(lpszText)) {
            ++nLinks;
            EXPECT_TRUE(QxIsOpenableAddress(link.strTarget)) << link.strTarget;
            RecordingLauncher launcher;
            QxOpenLink(link.strTarget, 1, launcher);
            for (const std::wstring& call : launcher.calls)
                EXPECT_NE(call.find(L"://"), std::wstring::npos) << call;
        }
    }
    EXPECT_EQ(nLinks, 5u) << "only the last text's five addresses are links";
    const wchar_t* const refused[] = {L"file:///C:/Windows/System32/calc.exe",
                                      L"javascript:alert(1)",
                                      L"\\\\server\\share",
                                      L"c:\\windows\\system32\\cmd.exe",
                                      L"www.example.com",
                                      L"http://",
                                      L"http://a b",
                                      L"http://a\tb",
                                      L"http://a\x01"
                                      L"b",
                                      L"mailto:a@b.c",
                                      L"shell:startup",
                                      L" http://a.b"};
    for (const wchar_t* lpszAddress : refused) {
        EXPECT_FALSE(QxIsOpenableAddress(lpszAddress)) << lpszAddress;
        for (LONG type : {0L, 1L, 9L}) {
            RecordingLauncher launcher;
            launcher.bShellWorks = true;
            EXPECT_FALSE(QxOpenLink(lpszAddress, type, launcher)) << lpszAddress;
            EXPECT_TRUE(launcher.calls.empty()) << lpszAddress;
        }
    }
    for (const wchar_t* lpszAddress : {L"http://a", L"HTTPS://A.B/c?d", L"ftp://f.g", L"Ftp:/x"})
        EXPECT_TRUE(QxIsOpenableAddress(lpszAddress)) << lpszAddress;
}

// The system's "open" on something that does not exist fails without starting anything.
TEST(LinkOpener, TheRealOpenActionRefusesAMissingFile) {
    EXPECT_FALSE(QxSystemLinkLauncher().ShellOpen(L"Z:\\qxchat-no-such-folder\\no-such-file.qxnone"));
    EXPECT_FALSE(QxSystemLinkLauncher().HostProgramShortPath().empty());
}

} // namespace
