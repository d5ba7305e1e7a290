#include "window/LinkOpener.h"

#include "trace/Trace.h"

#include <exdisp.h>
#include <ole2.h>
#include <shellapi.h>

#include <cwctype>
#include <vector>

namespace {

// The browser application object and its interface.
const CLSID kClsidBrowserApp = {0x0002DF01, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID kIidWebBrowserApp = {0x0002DF05, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

class SystemLauncher : public ILinkLauncher {
public:
    bool ShellOpen(const std::wstring& strAddress) override {
        // No error box of the shell's own: a failure goes on to the next way.
        SHELLEXECUTEINFOW sei = {};
        sei.cbSize = sizeof(sei);
        sei.fMask = SEE_MASK_FLAG_NO_UI;
        sei.lpVerb = L"open";
        sei.lpFile = strAddress.c_str();
        sei.nShow = SW_SHOWNORMAL;
        return ShellExecuteExW(&sei) != FALSE;
    }

    std::wstring HostProgramShortPath() override {
        wchar_t szPath[MAX_PATH] = {}, szShort[MAX_PATH] = {};
        const DWORD n = GetModuleFileNameW(nullptr, szPath, MAX_PATH);
        if (n == 0 || n >= MAX_PATH) return std::wstring();
        const DWORD m = GetShortPathNameW(szPath, szShort, MAX_PATH);
        return m > 0 && m < MAX_PATH ? szShort : szPath;
    }

    bool StartProcess(const std::wstring& strCommandLine) override {
        std::vector<wchar_t> cmd(strCommandLine.begin(), strCommandLine.end());
        cmd.push_back(L'\0');
        STARTUPINFOW si = {};
        si.cb = sizeof(si);
        PROCESS_INFORMATION pi = {};
        if (!CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
            return false;
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
        return true;
    }

    bool OpenInBrowserObject(const std::wstring& strAddress) override {
        const HRESULT hrInit = CoInitialize(nullptr);
        IWebBrowserApp* pBrowser = nullptr;
        bool bDone = false;
        if (SUCCEEDED(CoCreateInstance(kClsidBrowserApp, nullptr, CLSCTX_LOCAL_SERVER, kIidWebBrowserApp,
                                       reinterpret_cast<void**>(&pBrowser))) &&
            pBrowser) {
            BSTR bstrAddress = SysAllocString(strAddress.c_str());
            VARIANT empty;
            VariantInit(&empty);
            bDone = bstrAddress && SUCCEEDED(pBrowser->Navigate(bstrAddress, &empty, &empty, &empty, &empty));
            SysFreeString(bstrAddress);
            if (bDone) {
                pBrowser->put_Visible(VARIANT_TRUE);
                SHANDLE_PTR hWnd = 0;
                if (SUCCEEDED(pBrowser->get_HWND(&hWnd)) && hWnd)
                    SetForegroundWindow(reinterpret_cast<HWND>(hWnd));
            }
            pBrowser->Release();
        }
        if (SUCCEEDED(hrInit)) CoUninitialize();
        return bDone;
    }
};

} // namespace

std::wstring QxHostProgramCommandLine(LONG lBrowserType, const std::wstring& strProgram,
                                      const std::wstring& strAddress) {
    if (lBrowserType != BROWSER_HOST_PROGRAM && lBrowserType != BROWSER_HOST_PROGRAM_URL)
        return std::wstring();
    if (strProgram.empty() || strAddress.size() > kMaxStartedAddress) return std::wstring();
    return strProgram + (lBrowserType == BROWSER_HOST_PROGRAM_URL ? L" -url " : L" ") + strAddress;
}

bool QxIsOpenableAddress(const std::wstring& strAddress) {
    static const wchar_t* const kSchemes[] = {L"http://", L"https://", L"ftp:/"};
    std::wstring strLower(strAddress);
    for (wchar_t& c : strLower) {
        if (c <= L' ' || c == 0x7F || iswspace(c)) return false;
        c = static_cast<wchar_t>(towlower(c));
    }
    for (const wchar_t* lpszScheme : kSchemes) {
        const size_t n = wcslen(lpszScheme);
        if (strLower.size() > n && strLower.compare(0, n, lpszScheme) == 0) return true;
    }
    return false;
}

bool QxOpenLink(const std::wstring& strAddress, LONG lBrowserType, ILinkLauncher& launcher) {
    if (strAddress.empty()) return false;
    if (!QxIsOpenableAddress(strAddress)) {
        Trace(L"Fail: CMessageWindow::OpenLink, not a web or ftp address: %d characters",
              static_cast<int>(strAddress.size()));
        return false;
    }
    if (launcher.ShellOpen(strAddress)) return true;
    if (lBrowserType == BROWSER_HOST_PROGRAM || lBrowserType == BROWSER_HOST_PROGRAM_URL) {
        const std::wstring strCommand =
            QxHostProgramCommandLine(lBrowserType, launcher.HostProgramShortPath(), strAddress);
        if (strCommand.empty()) {
            Trace(L"Fail: CMessageWindow::OpenLink, address not started: %d characters",
                  static_cast<int>(strAddress.size()));
            return false;
        }
        return launcher.StartProcess(strCommand);
    }
    return launcher.OpenInBrowserObject(strAddress);
}

ILinkLauncher& QxSystemLinkLauncher() {
    static SystemLauncher launcher;
    return launcher;
}
