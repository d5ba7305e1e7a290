// qxhost: a demo meeting host. It opens a meeting window with two chat panels, one per
// participant, binds qxchat.dll by name as a real host does, creates an instance on each panel,
// configures it and starts the chat, which enrolls on the conference embedded in
// qxnodectl.dll. Once both can send, the two participants hold a short conversation, typed into
// their input boxes and sent with the Send button; the stage counts the messages the panels
// told the host they showed.
//   --screenshot <path>  once the conversation has been shown, writes a PNG of the meeting window
//   --exit               quits after the screenshot (or at once without one)
//   --server <address>   the conference's server address (default: the embedded conference)
//   --conference <n>     the conference handle (default 1)
//   --participant <n>    one participant per process (0 Ann, 1 Ben, 2 Cy): Ann and Ben each say
//                        their own lines once the earlier ones are shown, in whichever process
//                        they were said; Cy joins late and must show every line once, in order,
//                        from the stored history. The exit code tells whether all was shown.
#include "MessagePump.h"
#include "PngWriter.h"
#include "QxChatApi.h"
#include "Screenshot.h"

#include <windows.h>
#include <string>
#include <vector>

namespace {

constexpr int kPanelWidth = 300;
constexpr int kStageWidth = 240;
constexpr int kPanels = 2;
constexpr DWORD kPaintTimeoutMs = 10000;
constexpr DWORD kEnrollTimeoutMs = 10000;
constexpr DWORD kLineTimeoutMs = 5000;
constexpr DWORD kPeerTimeoutMs = 30000; // another process may start much later than this one
constexpr int kInputBox = 101;          // the chat dialog's input box
constexpr int kSendButton = 102;        // and its Send button
constexpr WPARAM kMessageShown = 2;     // WM_COMMAND code a panel sends when it showed a message
// The host's vocabulary for rights, roles and groups.
constexpr LONG kAllRights = 0x1FF;
constexpr LONG kRoleAttendee = 8;
constexpr LONG kRoleGroup = 1;
constexpr LONG kEveryone = 15;

struct Panel {
    const wchar_t* lpszName;
    HWND hPanel = nullptr;
    QXHCOMPONENT hChat = 0;
};

struct Line {
    int nSpeaker;
    const wchar_t* lpszText;
};

const Line kConversation[] = {
    {0, L"Good morning, Ben. Can you see my slides?"},
    {1, L"Morning, Ann. Yes, the quarterly figures are up."},
    {0, L"Great. Let's start with the second page."},
    {1, L"Ready when you are."},
};

// The block of a panel's message notice (WM_COMMAND kMessageShown).
struct MessageNotice {
    DWORD dwNodeId;
    const wchar_t* lpszText;
};

struct HostState {
    QxChatApi api;
    HWND hMeeting = nullptr;
    std::wstring server = L"127.0.0.1";
    LONG lConference = 1;
    int nParticipant = -1; // one participant per process; -1: both in this one
    Panel panels[kPanels] = {{L"Ann"}, {L"Ben"}};
    std::vector<std::wstring> shown; // the texts of the shown messages, in order
    int nEnrolled = 0;
    int nFailed = 0;
    int nShown = 0;        // messages the panels reported as shown
    int nCacheNotices = 0; // confirmed cache writes the panels reported
};
HostState g_host;

void LayoutPanels(HWND hMeeting) {
    RECT rc;
    GetClientRect(hMeeting, &rc);
    for (int i = 0; i < kPanels; ++i)
        if (g_host.panels[i].hPanel)
            MoveWindow(g_host.panels[i].hPanel, kStageWidth + i * kPanelWidth, 0, kPanelWidth, rc.bottom,
                       TRUE);
}

void PaintStage(HWND hWnd) {
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hWnd, &ps);
    RECT rc;
    GetClientRect(hWnd, &rc);
    rc.right = kStageWidth;
    HBRUSH hBrush = CreateSolidBrush(RGB(0x2B, 0x3A, 0x4A));
    FillRect(hdc, &rc, hBrush);
    DeleteObject(hBrush);
    SetBkMode(hdc, TRANSPARENT);
    SetTextColor(hdc, RGB(0xFF, 0xFF, 0xFF));
    DrawTextW(hdc, L"Meeting stage", -1, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    std::wstring state = g_host.nFailed ? L"Chat: enrollment failed"
                         : g_host.nEnrolled < (g_host.nParticipant >= 0 ? 1 : kPanels)
                             ? L"Chat: connecting..."
                             : L"Chat: " + std::to_wstring(g_host.nShown) + L" messages shown";
    rc.top = rc.bottom - 40;
    DrawTextW(hdc, state.c_str(), -1, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    EndPaint(hWnd, &ps);
}

// The chat tells its service window when it has enrolled (lParam 0) or could not (-1).
void OnChatNotify(HWND hWnd, WPARAM wParam, LPARAM lParam) {
    if (wParam != QXCHAT_NOTIFY_ENROLL) return;
    ++(lParam == 0 ? g_host.nEnrolled : g_host.nFailed);
    InvalidateRect(hWnd, nullptr, TRUE);
}

LRESULT CALLBACK MeetingProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    switch (uMsg) {
    case WM_SIZE: LayoutPanels(hWnd); return 0;
    case WM_PAINT: PaintStage(hWnd); return 0;
    case WM_CHAT_NOTIFY_TO_SERVICE: OnChatNotify(hWnd, wParam, lParam); return 0;
    case WM_CHAT_CACHE_NOTIFY: ++g_host.nCacheNotices; return 0;
    case WM_COMMAND:
        if (wParam == kMessageShown) {
            ++g_host.nShown;
            if (const auto* notice = reinterpret_cast<const MessageNotice*>(lParam))
                if (notice->lpszText) g_host.shown.push_back(notice->lpszText);
            InvalidateRect(hWnd, nullptr, TRUE);
        }
        return 0;
    case WM_CLOSE:
        for (Panel& panel : g_host.panels) {
            if (panel.hChat) g_host.api.QxDeleteInstance(panel.hChat);
            panel.hChat = 0;
        }
        DestroyWindow(hWnd);
        return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: return DefWindowProcW(hWnd, uMsg, wParam, lParam);
    }
}

bool RegisterClasses(HINSTANCE hInstance) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = MeetingProc;
    wc.hInstance = hInstance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = L"QxHostMeeting";
    if (!RegisterClassExW(&wc)) return false;
    wc.lpfnWndProc = DefWindowProcW;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = L"QxHostChatPanel";
    return RegisterClassExW(&wc) != 0;
}

// The chat dialog inside a panel: panel -> instance window -> dialog.
HWND FindChatDialog(const Panel& panel) {
    HWND hInstanceWnd = FindWindowExW(panel.hPanel, nullptr, nullptr, nullptr);
    return hInstanceWnd ? FindWindowExW(hInstanceWnd, nullptr, L"#32770", nullptr) : nullptr;
}

// Every panel has painted once its dialog fills it and nothing waits to be painted.
bool PanelsPainted() {
    if (GetUpdateRect(g_host.hMeeting, nullptr, FALSE)) return false;
    for (const Panel& panel : g_host.panels) {
        if (!panel.hPanel) continue; // one participant per process: one panel
        HWND hDlg = FindChatDialog(panel);
        if (!hDlg || !IsWindowVisible(hDlg)) return false;
        RECT rcPanel, rcDlg;
        GetClientRect(panel.hPanel, &rcPanel);
        GetClientRect(hDlg, &rcDlg);
        if (rcPanel.right != rcDlg.right || rcPanel.bottom != rcDlg.bottom) return false;
        if (GetUpdateRect(hDlg, nullptr, FALSE)) return false;
    }
    return true;
}

bool StartChat(Panel& panel) {
    QxChatApi& api = g_host.api;
    panel.hChat = api.QxNewInstance(panel.hPanel);
    if (!panel.hChat) return false;
    api.ChSetMeetingType(panel.hChat, 1);
    // Across processes a participant may join after lines were said: it reads them back.
    const DWORD dwFeatures =
        QXCHAT_FEATURE_ENROLL_FEEDBACK | (g_host.nParticipant >= 0 ? QXCHAT_FEATURE_RECOVERY : 0);
    api.ChSelectFeature(panel.hChat, dwFeatures, 0, 0, 0, 0, nullptr);
    api.ChSetEventConfig(panel.hChat, QXCHAT_EVT_SERVICE_WINDOW,
                         static_cast<LONG>(reinterpret_cast<LONG_PTR>(g_host.hMeeting)), 0, nullptr);
    api.ChSetPrivilege(panel.hChat, kAllRights);
    api.ChSetRosters(panel.hChat, kRoleAttendee);
    api.ChAddGroup(panel.hChat, 0, kRoleGroup, kEveryone, L"Everyone", 1, 1, 0, nullptr, 0, 0);
    api.ChSetRosterStatus(panel.hChat, 1, 1, 0);
    api.ChAllowUserInput(panel.hChat, 1);
    api.ChShowUserList(panel.hChat, 1);
    return api.ChChat1(panel.hChat, g_host.server.c_str(), g_host.lConference, 1, panel.lpszName, 1,
                       L"demo host") == 0 &&
           FindChatDialog(panel) != nullptr;
}

// Types the line into the speaker's input box and clicks Send to everyone. A send before the
// chat's caches are ready leaves the text in the box: the host then tries again a little later.
bool SayLine(const Line& line, int nShownBefore) {
    const Panel& panel = g_host.panels[line.nSpeaker];
    HWND hDlg = FindChatDialog(panel);
    HWND hInput = GetDlgItem(hDlg, kInputBox), hSend = GetDlgItem(hDlg, kSendButton);
    g_host.api.ChChatToGroup(panel.hChat, kRoleGroup, kEveryone);
    const DWORD dwEnd = GetTickCount() + kLineTimeoutMs;
    while (GetTickCount() < dwEnd) {
        if (PumpUntil([&] { return IsWindowEnabled(hSend) != FALSE; }, kLineTimeoutMs)) {
            SetWindowTextW(hInput, line.lpszText);
            SendMessageW(hDlg, WM_COMMAND, MAKEWPARAM(kSendButton, BN_CLICKED),
                         reinterpret_cast<LPARAM>(hSend));
            if (GetWindowTextLengthW(hInput) == 0) break;
        }
        PumpUntil([] { return false; }, 100);
    }
    // Every panel of this process shows a group message once it comes back from the conference.
    const int nPanels = g_host.nParticipant >= 0 ? 1 : kPanels;
    return PumpUntil([&] { return g_host.nShown >= nShownBefore + nPanels; }, kLineTimeoutMs);
}

bool ShownInOrder(size_t nLines) {
    if (g_host.shown.size() != nLines) return false;
    for (size_t i = 0; i < nLines; ++i)
        if (g_host.shown[i] != kConversation[i].lpszText) return false;
    return true;
}

// One participant of a meeting spread over processes: says its lines in turn, each once every
// earlier line is shown here, and waits for the others' lines from the other process.
int HoldConversationAcrossProcesses() {
    const size_t nLines = sizeof kConversation / sizeof kConversation[0];
    if (g_host.nParticipant >= kPanels) {
        // The late joiner: the whole conversation arrives from the stored history.
        if (!PumpUntil([&] { return g_host.shown.size() >= nLines; }, kPeerTimeoutMs)) return 1;
        PumpUntil([] { return false; }, 500); // a repeated item would arrive right behind
        return ShownInOrder(nLines) ? 0 : 1;
    }
    for (size_t i = 0; i < nLines; ++i) {
        const Line& line = kConversation[i];
        if (!PumpUntil([&] { return g_host.shown.size() >= i; }, kPeerTimeoutMs)) return 1;
        if (line.nSpeaker == g_host.nParticipant) {
            if (!SayLine(Line{0, line.lpszText}, g_host.nShown)) return 1;
        } else if (!PumpUntil([&] { return g_host.shown.size() > i; }, kPeerTimeoutMs)) {
            return 1;
        }
    }
    return ShownInOrder(nLines) ? 0 : 1;
}

int Fail(const wchar_t* lpszWhat) {
    OutputDebugStringW(lpszWhat);
    fwprintf(stderr, L"qxhost: %ls\n", lpszWhat);
    return 1;
}

} // namespace

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE, PWSTR, int nCmdShow) {
    std::wstring shotPath;
    bool bExit = false;
    for (int i = 1; i < __argc; ++i) {
        const std::wstring arg = __wargv[i];
        if (arg == L"--screenshot" && i + 1 < __argc)
            shotPath = __wargv[++i];
        else if (arg == L"--exit")
            bExit = true;
        else if (arg == L"--server" && i + 1 < __argc)
            g_host.server = __wargv[++i];
        else if (arg == L"--conference" && i + 1 < __argc)
            g_host.lConference = _wtoi(__wargv[++i]);
        else if (arg == L"--participant" && i + 1 < __argc)
            g_host.nParticipant = _wtoi(__wargv[++i]);
    }
    static const wchar_t* const kNames[] = {L"Ann", L"Ben", L"Cy"};
    if (g_host.nParticipant >= 3) return Fail(L"participants are 0, 1 and 2");

    if (!RegisterClasses(hInstance)) return Fail(L"cannot register the window classes");
    g_host.hMeeting =
        CreateWindowExW(0, L"QxHostMeeting", L"Meeting - qxchat demo host", WS_OVERLAPPEDWINDOW, 40, 40,
                        kStageWidth + kPanels * kPanelWidth + 16, 600, nullptr, nullptr, hInstance, nullptr);
    if (!g_host.hMeeting) return Fail(L"cannot create the meeting window");
    if (g_host.nParticipant >= 0) g_host.panels[0].lpszName = kNames[g_host.nParticipant];
    const int nPanels = g_host.nParticipant >= 0 ? 1 : kPanels;
    for (int i = 0; i < nPanels; ++i)
        g_host.panels[i].hPanel =
            CreateWindowExW(0, L"QxHostChatPanel", L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
                            kPanelWidth, 100, g_host.hMeeting, nullptr, hInstance, nullptr);
    LayoutPanels(g_host.hMeeting);
    ShowWindow(g_host.hMeeting, nCmdShow == SW_HIDE ? SW_SHOW : nCmdShow);
    UpdateWindow(g_host.hMeeting);
    if (!g_host.api.Bind(L"qxchat.dll")) return Fail(L"cannot bind qxchat.dll (missing or incomplete)");
    // One after the other, as participants join a meeting: the first one sets the chat up. A
    // participant has joined the chat once its own user information was written, which it does
    // after asking for its subscriptions.
    int rc = 0;
    for (int i = 0; i < nPanels; ++i) {
        Panel& panel = g_host.panels[i];
        const int nNoticesBefore = g_host.nCacheNotices;
        if (!StartChat(panel)) return Fail(L"cannot start a chat panel");
        if (!PumpUntil([&] { return g_host.nCacheNotices > nNoticesBefore || g_host.nFailed; },
                       kEnrollTimeoutMs) ||
            g_host.nFailed)
            rc = Fail(L"the chat did not become ready in time");
    }
    if (g_host.nParticipant >= 0) {
        if (rc == 0 && HoldConversationAcrossProcesses() != 0)
            rc = Fail(L"the conversation was not shown once, in order");
    } else {
        for (const Line& line : kConversation)
            if (rc == 0 && !SayLine(line, g_host.nShown))
                rc = Fail(L"a line of the conversation was not shown");
    }
    if (!shotPath.empty()) {
        if (!PumpUntil(PanelsPainted, kPaintTimeoutMs)) rc = Fail(L"the chat panels did not paint in time");
        RedrawWindow(g_host.hMeeting, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        const ScreenImage image = CaptureWindowArea(g_host.hMeeting);
        if (image.rgb.empty() || !WritePngFile(shotPath, image.width, image.height, image.rgb))
            rc = Fail(L"cannot write the screenshot");
    }
    if (bExit) {
        SendMessageW(g_host.hMeeting, WM_CLOSE, 0, 0);
    }
    MSG msg;
    while (!bExit && GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    g_host.api.Unload();
    return rc;
}
