// Opening an address that a click on a link chose: the platform's "open" action first, then a
// fallback chosen by the host's browser type. The ways of starting something are behind an
// interface, so tests see what would be started.
#pragma once

#include <windows.h>
#include <string>

// Browser types of ChSetBrowserType with a fallback of their own.
enum : LONG { BROWSER_HOST_PROGRAM = 1, BROWSER_HOST_PROGRAM_URL = 9 };
constexpr size_t kMaxStartedAddress = 1024; // longer addresses are not given to a program

class ILinkLauncher {
public:
    virtual ~ILinkLauncher() = default;
    virtual bool ShellOpen(const std::wstring& strAddress) = 0;
    // The host program's own executable, by its short path; empty when unknown.
    virtual std::wstring HostProgramShortPath() = 0;
    virtual bool StartProcess(const std::wstring& strCommandLine) = 0;
    // The browser automation object navigates, is shown and brought to the foreground.
    virtual bool OpenInBrowserObject(const std::wstring& strAddress) = 0;
};

// The command line that starts the host program for a browser type ("%s %s" or "%s -url %s");
// empty when the type has no such fallback or the address is too long for it.
std::wstring QxHostProgramCommandLine(LONG lBrowserType, const std::wstring& strProgram,
                                      const std::wstring& strAddress);

// Only web and ftp addresses are ever started: "http://", "https://" or "ftp:/" (any case) and
// something after it, with no white space or control character anywhere. Whatever else a
// message may hold ("file:", "javascript:", a share's path) is never handed to the system.
bool QxIsOpenableAddress(const std::wstring& strAddress);

// True when one of the ways started the address; an address that is not openable is refused
// (traced) before any way is tried.
bool QxOpenLink(const std::wstring& strAddress, LONG lBrowserType, ILinkLauncher& launcher);

// The launcher of the running system.
ILinkLauncher& QxSystemLinkLauncher();
