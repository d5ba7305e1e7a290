// qxhost: a demo meeting host. It opens a meeting window with one chat panel, binds qxchat.dll by
// name as a real host does, creates an instance on the panel, configures it and starts the chat,
// which enrolls on the conference embedded in qxnodectl.dll; the stage shows what the chat told
// the host about its enrollment.
//   --screenshot <path>  once the panel has painted, writes a PNG of the meeting window
//   --exit               quits after the screenshot (or at once without one)
#include "MessagePump.h"
#include "PngWriter.h"
#include "QxChatApi.h"
#include "Screenshot.h"

#include <windows.h>
#include <string>

namespace {

constexpr int kPanelWidth = 320;
constexpr DWORD kPaintTimeoutMs = 10000;
constexpr DWORD kEnrollTimeoutMs = 10000;

enum class ChatState { Starting, Enrolled, Failed };

struct HostState {
    QxChatApi api;
    HWND hMeeting = nullptr;
    HWND hPanel = nullptr;
    QXHCOMPONENT hChat = 0;
    ChatState state = ChatState::Starting;
};
HostState g_host;

void LayoutPanel(HWND hMeeting) {
    RECT rc;
    GetClientRect(hMeeting, &rc);
    if (g_host.hPanel) MoveWindow(g_host.hPanel, rc.right - kPanelWidth, 0, kPanelWidth, rc.bottom, TRUE);
}

void PaintStage(HWND hWnd) {
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hWnd, &ps);
    RECT rc;
    GetClientRect(hWnd, &rc);
    rc.right -= kPanelWidth;
    HBRUSH hBrush = CreateSolidBrush(RGB(0x2B, 0x3A, 0x4A));
    FillRect(hdc, &rc, hBrush);
    DeleteObject(hBrush);
    SetBkMode(hdc, TRANSPARENT);
    SetTextColor(hdc, RGB(0xFF, 0xFF, 0xFF));
    DrawTextW(hdc, L"Meeting stage", -1, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    const wchar_t* lpszState = g_host.state == ChatState::Enrolled ? L"Chat: enrolled in the conference"
                               : g_host.state == ChatState::Failed ? L"Chat: enrollment failed"
                                                                   : L"Chat: connecting...";
    rc.top = rc.bottom - 40;
    DrawTextW(hdc, lpszState, -1, &rc, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    EndPaint(hWnd, &ps);
}

// The chat tells its service window when it has enrolled (lParam 0) or could not (-1).
void OnChatNotify(HWND hWnd, WPARAM wParam, LPARAM lParam) {
    if (wParam != QXCHAT_NOTIFY_ENROLL) return;
    g_host.state = lParam == 0 ? ChatState::Enrolled : ChatState::Failed;
    InvalidateRect(hWnd, nullptr, TRUE);
}

LRESULT CALLBACK MeetingProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    switch (uMsg) {
    case WM_SIZE: LayoutPanel(hWnd); return 0;
    case WM_PAINT: PaintStage(hWnd); return 0;
    case WM_CHAT_NOTIFY_TO_SERVICE: OnChatNotify(hWnd, wParam, lParam); return 0;
    case WM_CLOSE:
        if (g_host.hChat) g_host.api.QxDeleteInstance(g_host.hChat);
        g_host.hChat = 0;
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

// The chat dialog inside the panel: panel -> instance window -> dialog.
HWND FindChatDialog() {
    HWND hInstanceWnd = FindWindowExW(g_host.hPanel, nullptr, nullptr, nullptr);
    return hInstanceWnd ? FindWindowExW(hInstanceWnd, nullptr, L"#32770", nullptr) : nullptr;
}

// The panel has painted once the dialog fills it and nothing waits to be painted.
bool PanelPainted() {
    HWND hDlg = FindChatDialog();
    if (!hDlg || !IsWindowVisible(hDlg)) return false;
    RECT rcPanel, rcDlg;
    GetClientRect(g_host.hPanel, &rcPanel);
    GetClientRect(hDlg, &rcDlg);
    if (rcPanel.right != rcDlg.right || rcPanel.bottom != rcDlg.bottom) return false;
    return !GetUpdateRect(g_host.hMeeting, nullptr, FALSE) && !GetUpdateRect(hDlg, nullptr, FALSE);
}

bool StartChat() {
    if (!g_host.api.Bind(L"qxchat.dll")) return false;
    QxChatApi& api = g_host.api;
    g_host.hChat = api.QxNewInstance(g_host.hPanel);
    if (!g_host.hChat) return false;
    api.ChSetMeetingType(g_host.hChat, 1);
    api.ChSelectFeature(g_host.hChat, QXCHAT_FEATURE_ENROLL_FEEDBACK, 0, 0, 0, 0, nullptr);
    api.ChSetEventConfig(g_host.hChat, QXCHAT_EVT_SERVICE_WINDOW,
                         static_cast<LONG>(reinterpret_cast<LONG_PTR>(g_host.hMeeting)), 0, nullptr);
    api.ChSetRosterStatus(g_host.hChat, 1, 1, 0);
    api.ChAllowUserInput(g_host.hChat, 1);
    api.ChShowUserList(g_host.hChat, 1);
    return api.ChChat1(g_host.hChat, L"127.0.0.1", 1, 1, L"Demo User", 1, L"demo host") == 0 &&
           FindChatDialog() != nullptr;
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
    }

    if (!RegisterClasses(hInstance)) return Fail(L"cannot register the window classes");
    g_host.hMeeting = CreateWindowExW(0, L"QxHostMeeting", L"Meeting - qxchat demo host", WS_OVERLAPPEDWINDOW,
                                      40, 40, 800, 600, nullptr, nullptr, hInstance, nullptr);
    if (!g_host.hMeeting) return Fail(L"cannot create the meeting window");
    g_host.hPanel = CreateWindowExW(0, L"QxHostChatPanel", L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
                                    kPanelWidth, 100, g_host.hMeeting, nullptr, hInstance, nullptr);
    LayoutPanel(g_host.hMeeting);
    ShowWindow(g_host.hMeeting, nCmdShow == SW_HIDE ? SW_SHOW : nCmdShow);
    UpdateWindow(g_host.hMeeting);
    if (!StartChat()) return Fail(L"cannot start the chat panel (qxchat.dll missing or incomplete)");

    int rc = 0;
    if (!shotPath.empty()) {
        if (!PumpUntil([] { return g_host.state != ChatState::Starting; }, kEnrollTimeoutMs))
            rc = Fail(L"the chat did not enroll in time");
        if (!PumpUntil(PanelPainted, kPaintTimeoutMs)) rc = Fail(L"the chat panel did not paint in time");
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
