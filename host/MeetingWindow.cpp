// The meeting window: the stage area on the left (what the host frame learns from the chat, such
// as who is typing) and one frame per participant. A frame draws its participant's caption and
// holds the window the chat instance is created in; being the panel's host frame it receives the
// instance's message notices, and as the instance's service window its other notifications.
#include "DemoHost.h"

#include <cwchar>

namespace demo {

HostState g_host;

bool Participant::HasShown(const std::wstring& text) const {
    return CountShown(text) > 0;
}

size_t Participant::CountShown(const std::wstring& text) const {
    size_t n = 0;
    for (const Shown& s : shown)
        n += s.text == text;
    return n;
}

namespace {

constexpr wchar_t kMeetingClass[] = L"QxHostMeeting";
constexpr wchar_t kFrameClass[] = L"QxHostParticipantFrame";
constexpr wchar_t kPanelClass[] = L"QxHostChatPanel";
constexpr COLORREF kStageBack = RGB(0x2B, 0x3A, 0x4A);
constexpr COLORREF kStageText = RGB(0xFF, 0xFF, 0xFF);
constexpr COLORREF kStageDim = RGB(0xB8, 0xC6, 0xD4);
constexpr COLORREF kTypingText = RGB(0xFF, 0xD8, 0x66);
constexpr int kStageMargin = 14;

// A GDI object deleted when it goes out of scope.
template <typename T> class GdiHandle {
public:
    explicit GdiHandle(T h) : m_h(h) {}
    ~GdiHandle() {
        if (m_h) DeleteObject(m_h);
    }
    GdiHandle(const GdiHandle&) = delete;
    GdiHandle& operator=(const GdiHandle&) = delete;
    T Get() const { return m_h; }

private:
    T m_h;
};

HFONT UiFont(int nHeight, int nWeight) {
    return CreateFontW(-nHeight, 0, 0, 0, nWeight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, L"Tahoma");
}

Participant* FrameParticipant(HWND hWnd) {
    return reinterpret_cast<Participant*>(GetWindowLongPtrW(hWnd, GWLP_USERDATA));
}

int FrameIndex(const Participant* p) {
    for (int i = 0; i < kMaxParticipants; ++i)
        if (&g_host.people[i] == p) return i;
    return -1;
}

// Draws a block of text at rc.top and moves rc.top below it.
void DrawBlock(HDC hdc, RECT& rc, const std::wstring& text, HFONT hFont, COLORREF color) {
    if (text.empty()) return;
    HGDIOBJ hOld = SelectObject(hdc, hFont);
    SetTextColor(hdc, color);
    RECT rcText = rc;
    DrawTextW(hdc, text.c_str(), -1, &rcText, DT_WORDBREAK | DT_CALCRECT | DT_NOPREFIX);
    rcText.right = rc.right;
    DrawTextW(hdc, text.c_str(), -1, &rcText, DT_WORDBREAK | DT_NOPREFIX);
    rc.top = rcText.bottom + 8;
    SelectObject(hdc, hOld);
}

std::wstring TypingLines() {
    std::wstring lines;
    for (const TypingState& t : g_host.typing) {
        if (t.lState != QXCHAT_TYPING_STARTED) continue;
        const std::wstring line =
            NameOfNode(t.dwNode) + L" is typing... (told by " + g_host.people[t.nFrame].name + L"'s panel)";
        lines += (lines.empty() ? L"" : L"\n") + line;
    }
    return lines;
}

void PaintStage(HWND hWnd) {
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hWnd, &ps);
    RECT rc;
    GetClientRect(hWnd, &rc);
    rc.right = kStageWidth;
    GdiHandle<HBRUSH> back(CreateSolidBrush(kStageBack));
    FillRect(hdc, &rc, back.Get());
    SetBkMode(hdc, TRANSPARENT);
    GdiHandle<HFONT> title(UiFont(17, FW_BOLD)), body(UiFont(13, FW_NORMAL)), bold(UiFont(13, FW_BOLD));
    InflateRect(&rc, -kStageMargin, -kStageMargin);
    DrawBlock(hdc, rc, g_host.stageTitle, title.Get(), kStageText);
    DrawBlock(hdc, rc, g_host.stageDetail, body.Get(), kStageDim);
    const std::wstring typing = TypingLines();
    if (!typing.empty()) DrawBlock(hdc, rc, typing, bold.Get(), kTypingText);
    // The chat's state at the foot of the stage.
    int nEnrolled = 0, nFailed = 0, nChats = 0;
    size_t nShown = 0;
    for (int i = 0; i < g_host.nFrames; ++i) {
        const Participant& p = g_host.people[i];
        nChats += p.hChat != 0;
        nEnrolled += p.hChat && p.nEnrolled > 0;
        nFailed += p.nFailed;
        nShown += p.shown.size();
    }
    const std::wstring state = nFailed              ? L"Chat: enrollment failed"
                               : nEnrolled < nChats ? L"Chat: connecting..."
                                                    : L"Chat: " + std::to_wstring(nChats) + L" panels, " +
                                                          std::to_wstring(nShown) + L" messages shown";
    RECT rcFoot = rc;
    rcFoot.top = rc.bottom - 20;
    HGDIOBJ hOld = SelectObject(hdc, body.Get());
    SetTextColor(hdc, kStageDim);
    DrawTextW(hdc, state.c_str(), -1, &rcFoot, DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(hdc, hOld);
    EndPaint(hWnd, &ps);
}

void LayoutFrames(HWND hMeeting) {
    RECT rc;
    GetClientRect(hMeeting, &rc);
    for (int i = 0; i < g_host.nFrames; ++i)
        if (HWND hFrame = g_host.people[i].hFrame)
            MoveWindow(hFrame, kStageWidth + i * kFrameWidth, 0, kFrameWidth, rc.bottom, TRUE);
}

LRESULT CALLBACK MeetingProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    switch (uMsg) {
    case WM_SIZE: LayoutFrames(hWnd); return 0;
    case WM_PAINT: PaintStage(hWnd); return 0;
    case WM_CLOSE:
        for (int i = 0; i < g_host.nFrames; ++i)
            EndChat(g_host.people[i]);
        DestroyWindow(hWnd);
        return 0;
    case WM_DESTROY: PostQuitMessage(0); return 0;
    default: return DefWindowProcW(hWnd, uMsg, wParam, lParam);
    }
}

void PaintFrame(HWND hWnd, const Participant& p) {
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hWnd, &ps);
    RECT rc;
    GetClientRect(hWnd, &rc);
    RECT rcCaption = rc;
    rcCaption.bottom = kCaptionHeight;
    GdiHandle<HBRUSH> caption(CreateSolidBrush(p.color));
    FillRect(hdc, &rcCaption, caption.Get());
    SetBkMode(hdc, TRANSPARENT);
    GdiHandle<HFONT> bold(UiFont(14, FW_BOLD)), body(UiFont(13, FW_NORMAL));
    HGDIOBJ hOld = SelectObject(hdc, bold.Get());
    SetTextColor(hdc, RGB(0xFF, 0xFF, 0xFF));
    rcCaption.left += 10;
    const std::wstring title = p.name + L"  \x2013  " + p.role;
    DrawTextW(hdc, title.c_str(), -1, &rcCaption, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    if (!p.hPanel) {
        RECT rcBody = rc;
        rcBody.top = kCaptionHeight;
        FillRect(hdc, &rcBody, GetSysColorBrush(COLOR_BTNFACE));
        SelectObject(hdc, body.Get());
        SetTextColor(hdc, RGB(0x55, 0x55, 0x55));
        DrawTextW(hdc, p.waitingText.c_str(), -1, &rcBody,
                  DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_NOPREFIX);
    }
    SelectObject(hdc, hOld);
    EndPaint(hWnd, &ps);
}

// The panel's WM_COMMAND for a shown message carries the module's notice block; a control's
// WM_COMMAND would carry its window handle, and the frame has no controls.
void OnMessageShown(HWND hWnd, Participant& p, LPARAM lParam) {
    const auto* notice = reinterpret_cast<const QXCHAT_MESSAGE_NOTICE*>(lParam);
    if (!notice || !notice->lpszText) return;
    p.shown.push_back({notice->dwNodeId, notice->lpszText});
    InvalidateRect(GetParent(hWnd), nullptr, FALSE);
}

void OnTyping(Participant& p, WPARAM wParam, LPARAM lParam) {
    const int nFrame = FrameIndex(&p);
    const DWORD dwNode = static_cast<DWORD>(wParam);
    for (TypingState& t : g_host.typing)
        if (t.nFrame == nFrame && t.dwNode == dwNode) {
            t.lState = static_cast<LONG>(lParam);
            Repaint();
            return;
        }
    g_host.typing.push_back({nFrame, dwNode, static_cast<LONG>(lParam)});
    Repaint();
}

LRESULT CALLBACK FrameProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    if (uMsg == WM_NCCREATE)
        SetWindowLongPtrW(
            hWnd, GWLP_USERDATA,
            reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
    Participant* p = FrameParticipant(hWnd);
    if (!p) return DefWindowProcW(hWnd, uMsg, wParam, lParam);
    switch (uMsg) {
    case WM_SIZE:
        if (p->hPanel)
            MoveWindow(p->hPanel, 0, kCaptionHeight, LOWORD(lParam), HIWORD(lParam) - kCaptionHeight, TRUE);
        return 0;
    case WM_PAINT: PaintFrame(hWnd, *p); return 0;
    case WM_COMMAND:
        if (wParam == QXCHAT_CMD_MESSAGE_SHOWN) OnMessageShown(hWnd, *p, lParam);
        return 0;
    case WM_CHAT_NOTIFY_TO_SERVICE:
        if (wParam == QXCHAT_NOTIFY_ENROLL) ++(lParam == 0 ? p->nEnrolled : p->nFailed);
        Repaint();
        return 0;
    case WM_CHAT_CACHE_NOTIFY: ++p->nCacheNotices; return 0;
    case WM_CHAT_TYPING: OnTyping(*p, wParam, lParam); return 0;
    default: return DefWindowProcW(hWnd, uMsg, wParam, lParam);
    }
}

} // namespace

bool RegisterHostClasses(HINSTANCE hInstance) {
    g_host.hInstance = hInstance;
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = MeetingProc;
    wc.hInstance = hInstance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kMeetingClass;
    if (!RegisterClassExW(&wc)) return false;
    wc.lpfnWndProc = FrameProc;
    wc.lpszClassName = kFrameClass;
    if (!RegisterClassExW(&wc)) return false;
    wc.lpfnWndProc = DefWindowProcW;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kPanelClass;
    return RegisterClassExW(&wc) != 0;
}

bool CreateMeetingWindow(int nCmdShow) {
    RECT rc = {0, 0, kStageWidth + g_host.nFrames * kFrameWidth, kMeetingHeight};
    const DWORD dwStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    AdjustWindowRect(&rc, dwStyle, FALSE);
    // One process per participant: their windows side by side, since a screenshot is taken of
    // the screen and another process's window on top would be in it.
    const int nWidth = rc.right - rc.left;
    const int x =
        kMeetingMargin + (g_host.nParticipant > 0 ? g_host.nParticipant * (nWidth + kMeetingMargin) : 0);
    g_host.hMeeting =
        CreateWindowExW(0, kMeetingClass, L"Meeting - qxchat demo host", dwStyle, x, kMeetingMargin, nWidth,
                        rc.bottom - rc.top, nullptr, nullptr, g_host.hInstance, nullptr);
    if (!g_host.hMeeting) return false;
    for (int i = 0; i < g_host.nFrames; ++i) {
        Participant& p = g_host.people[i];
        p.hFrame = CreateWindowExW(0, kFrameClass, p.name.c_str(), WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0,
                                   0, kFrameWidth, 100, g_host.hMeeting, nullptr, g_host.hInstance, &p);
        if (!p.hFrame) return false;
    }
    LayoutFrames(g_host.hMeeting);
    ShowWindow(g_host.hMeeting, nCmdShow == SW_HIDE ? SW_SHOW : nCmdShow);
    UpdateWindow(g_host.hMeeting);
    return true;
}

void CreatePanel(Participant& p) {
    if (p.hPanel) return;
    RECT rc;
    GetClientRect(p.hFrame, &rc);
    p.hPanel =
        CreateWindowExW(0, kPanelClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, kCaptionHeight,
                        rc.right, rc.bottom - kCaptionHeight, p.hFrame, nullptr, g_host.hInstance, nullptr);
    InvalidateRect(p.hFrame, nullptr, TRUE);
}

void DestroyPanel(Participant& p) {
    if (p.hPanel) DestroyWindow(p.hPanel);
    p.hPanel = nullptr;
    InvalidateRect(p.hFrame, nullptr, TRUE);
}

void SetStage(const std::wstring& title, const std::wstring& detail) {
    g_host.stageTitle = title;
    g_host.stageDetail = detail;
    Repaint();
}

void Repaint() {
    if (!g_host.hMeeting) return;
    RECT rc;
    GetClientRect(g_host.hMeeting, &rc);
    rc.right = kStageWidth;
    InvalidateRect(g_host.hMeeting, &rc, FALSE);
}

// The chat dialog inside a panel: panel -> instance window -> dialog.
HWND FindChatDialog(const Participant& p) {
    HWND hInstanceWnd = p.hPanel ? FindWindowExW(p.hPanel, nullptr, nullptr, nullptr) : nullptr;
    return hInstanceWnd ? FindWindowExW(hInstanceWnd, nullptr, L"#32770", nullptr) : nullptr;
}

// The message list, somewhere below the dialog.
HWND FindMessageList(const Participant& p) {
    HWND hDlg = FindChatDialog(p);
    if (!hDlg) return nullptr;
    struct Search {
        HWND hFound = nullptr;
    } search;
    EnumChildWindows(
        hDlg,
        [](HWND hWnd, LPARAM lParam) -> BOOL {
            wchar_t szClass[64] = {};
            GetClassNameW(hWnd, szClass, 64);
            if (wcscmp(szClass, kListClass) != 0) return TRUE;
            reinterpret_cast<Search*>(lParam)->hFound = hWnd;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.hFound;
}

// Every panel has painted once its dialog fills it and nothing waits to be painted.
bool PanelsPainted() {
    if (GetUpdateRect(g_host.hMeeting, nullptr, FALSE)) return false;
    for (int i = 0; i < g_host.nFrames; ++i) {
        const Participant& p = g_host.people[i];
        if (GetUpdateRect(p.hFrame, nullptr, FALSE)) return false;
        if (!p.hPanel || !p.hChat) continue;
        HWND hDlg = FindChatDialog(p);
        if (!hDlg || !IsWindowVisible(hDlg)) return false;
        RECT rcPanel, rcDlg;
        GetClientRect(p.hPanel, &rcPanel);
        GetClientRect(hDlg, &rcDlg);
        if (rcPanel.right != rcDlg.right || rcPanel.bottom != rcDlg.bottom) return false;
        if (GetUpdateRect(hDlg, nullptr, FALSE)) return false;
    }
    return true;
}

std::wstring NameOfNode(DWORD dwNode) {
    const auto it = g_host.nodeNames.find(dwNode);
    return it != g_host.nodeNames.end() ? it->second : L"node " + std::to_wstring(dwNode);
}

} // namespace demo
