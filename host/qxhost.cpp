// qxhost: a demo meeting host. It opens a meeting window with a stage area and one frame per
// participant, binds qxchat.dll by name as a real host does and creates a chat instance in each
// frame, which enrolls on the conference embedded in qxnodectl.dll.
//   --script <folder>    runs the scripted meeting (DemoScript.cpp): eight stages, each checked
//                        and written as <folder>\demo-<n>-<name>.png; the exit code is 0 only
//                        when every stage showed what it should
//   --screenshot <path>  a PNG of the meeting window: with --script the most telling stage,
//                        otherwise the meeting once every participant is ready
//   --exit               quits when done (the scripted meeting, or the screenshot); without it
//                        the host stays open with Ann (host), Ben (presenter) and Cy (attendee)
//                        ready to type
//   --server <address>   the conference's server address (default: the embedded conference)
//   --conference <n>     the conference handle (default 1)
//   --participant <n>    one participant per process (0 Ann, 1 Ben, 2 Cy, 3 Dee; see
//                        ProcessMeeting.cpp): Ann, Ben and Dee meet, Ann and Ben talk, Ann tells
//                        Ben something privately, Ben types; Cy joins late and must show every
//                        line said to everyone once, in order, from the stored history. The exit
//                        code tells whether each process showed what it should.
#include "DemoHost.h"
#include "MessagePump.h"

#include <windows.h>
#include <string>
#include <vector>

using namespace demo;

namespace {

struct Options {
    std::wstring shotPath;
    std::wstring scriptFolder;
    bool bScript = false;
    bool bExit = false;
};

Options ParseArguments() {
    Options o;
    for (int i = 1; i < __argc; ++i) {
        const std::wstring arg = __wargv[i];
        const bool bValue = i + 1 < __argc;
        if (arg == L"--screenshot" && bValue)
            o.shotPath = __wargv[++i];
        else if (arg == L"--script" && bValue)
            o.bScript = true, o.scriptFolder = __wargv[++i];
        else if (arg == L"--exit")
            o.bExit = true;
        else if (arg == L"--server" && bValue)
            g_host.server = __wargv[++i];
        else if (arg == L"--conference" && bValue)
            g_host.lConference = _wtoi(__wargv[++i]);
        else if (arg == L"--participant" && bValue)
            g_host.nParticipant = _wtoi(__wargv[++i]);
    }
    return o;
}

// The participants as a person finds them: each in its role, everyone able to type.
void ConfigureOpenMeeting() {
    CastMeeting();
    for (Participant& p : g_host.people)
        p.waitingText = L"joining...";
}

// Everyone joins, one after the other as participants do; then the meeting is the person's.
int RunOpenMeeting() {
    SetStage(L"Meeting stage", L"Ann (host), Ben (presenter) and Cy (attendee) are ready to type. "
                               L"Type in any panel and press Send.");
    for (int i = 0; i < kMaxParticipants; ++i) {
        Participant& p = g_host.people[i];
        if (!StartChat(p, g_host.lConference)) return Fail(L"cannot start " + p.name + L"'s chat panel");
        if (!WaitUntilReady(p)) return Fail(p.name + L"'s chat did not become ready in time");
    }
    return 0;
}

} // namespace

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE, PWSTR, int nCmdShow) {
    const Options options = ParseArguments();
    if (g_host.nParticipant >= kProcessParticipants) return Fail(L"participants are 0, 1, 2 and 3");
    if (g_host.nParticipant >= 0)
        ConfigureProcessParticipant();
    else
        ConfigureOpenMeeting();
    if (!RegisterHostClasses(hInstance)) return Fail(L"cannot register the window classes");
    if (!CreateMeetingWindow(nCmdShow)) return Fail(L"cannot create the meeting window");
    if (!g_host.api.Bind(L"qxchat.dll")) return Fail(L"cannot bind qxchat.dll (missing or incomplete)");

    int rc = 0;
    if (options.bScript) {
        rc = RunScriptedMeeting(options.scriptFolder, options.shotPath);
    } else {
        rc = g_host.nParticipant >= 0 ? RunProcessParticipant() : RunOpenMeeting();
        if (!options.shotPath.empty() && !WriteShot(options.shotPath)) rc = 1;
    }
    if (options.bExit) {
        SendMessageW(g_host.hMeeting, WM_CLOSE, 0, 0);
    } else {
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    g_host.api.Unload();
    return rc;
}
