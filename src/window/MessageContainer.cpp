// CMessageContainerWnd: holds the message list and the indication strip and places them. The
// strip's lines are kept here; its painting belongs to the strip itself.
#include "window/MessageContainer.h"

#include "interface/ModuleState.h"
#include "trace/Trace.h"
#include "window/ChatFonts.h"
#include "window/MessageWindow.h"

#include <cstring>

const wchar_t kMessageContainerName[] = L"MessageContainerWnd";
const wchar_t kIndicationWindowName[] = L"IndicationWindow";

namespace {

const wchar_t kClassName[] = L"QxChatMessageContainer";
constexpr DWORD kLineCodes[] = {1, 7, 9};
constexpr int kStripLineGap = 2, kStripPadding = 6; // between lines; 3 above the first, 3 below the last

struct ContainerState {
    HWND hWnd = nullptr;
    HWND hList = nullptr;      // the CMessageWindow's window
    HWND hIndicator = nullptr; // the strip
    bool bShowIndication = false;
    bool bSwitchedOff = false; // set once, never cleared
    std::wstring lines[3];     // by kLineCodes
    GdiFont font;              // the strip's text font, for its line height
};

ContainerState* StateOf(HWND hWnd) {
    if (!hWnd || !IsWindow(hWnd)) return nullptr;
    wchar_t szClass[64] = {};
    GetClassNameW(hWnd, szClass, 64);
    if (wcscmp(szClass, kClassName) != 0) return nullptr;
    return reinterpret_cast<ContainerState*>(GetWindowLongPtrW(hWnd, GWLP_USERDATA));
}

int LineIndex(DWORD dwCode) {
    for (int i = 0; i < 3; ++i)
        if (kLineCodes[i] == dwCode) return i;
    return -1;
}

int StripHeight(const ContainerState& s) {
    if (!s.hIndicator) return 0;
    HDC hdc = GetDC(s.hIndicator);
    HGDIOBJ hOld =
        SelectObject(hdc, s.font ? static_cast<HGDIOBJ>(s.font.Get()) : GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRICW tm = {};
    GetTextMetricsW(hdc, &tm);
    SelectObject(hdc, hOld);
    ReleaseDC(s.hIndicator, hdc);
    int nHeight = 0, nLines = 0;
    for (const auto& line : s.lines) {
        if (line.empty()) continue;
        nHeight += tm.tmHeight;
        ++nLines;
    }
    if (nLines == 0) return 0;
    return nHeight + kStripLineGap * (nLines - 1) + kStripPadding;
}

void Layout(ContainerState& s) {
    RECT rc = {};
    GetClientRect(s.hWnd, &rc);
    const bool bStrip = s.bShowIndication && !s.bSwitchedOff && s.hIndicator;
    const int nStrip = bStrip ? StripHeight(s) : 0;
    if (s.hIndicator) {
        if (bStrip)
            SetWindowPos(s.hIndicator, nullptr, 0, 0, rc.right, nStrip,
                         SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
        else
            ShowWindow(s.hIndicator, SW_HIDE);
    }
    if (s.hList)
        SetWindowPos(s.hList, nullptr, 0, nStrip, rc.right, rc.bottom - nStrip,
                     SWP_NOZORDER | SWP_NOACTIVATE);
}

bool OnCreate(HWND hWnd) {
    auto* s = new ContainerState();
    s->hWnd = hWnd;
    SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(s));
    s->font = QxCreateChatFont(FW_NORMAL, false);
    RECT rc = {};
    GetClientRect(hWnd, &rc);
    if (CMessageWindow* pList = CMessageWindow::Create(hWnd, rc))
        s->hList = pList->GetHwnd();
    else
        Trace(L"Fail: CMessageContainerWnd::OnCreate, m_wndMessage");
    s->hIndicator = CreateWindowExW(0, L"STATIC", kIndicationWindowName, WS_CHILD | SS_NOTIFY, 0, 0, rc.right,
                                    0, hWnd, nullptr, QxThisModule(), nullptr);
    if (!s->hIndicator) Trace(L"Fail: CMessageContainerWnd::OnCreate, m_wndIndicator");
    return true;
}

LRESULT CALLBACK ContainerProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    switch (uMsg) {
    case WM_CREATE: return OnCreate(hWnd) ? 0 : -1;
    case WM_SIZE:
        if (ContainerState* s = StateOf(hWnd)) Layout(*s); // keeps the strip's current visibility
        return 0;
    case WM_SETFOCUS:
        // The keys belong to the list: Ctrl+A and Ctrl+C work once the host focused the messages.
        if (ContainerState* s = StateOf(hWnd); s && s->hList) SetFocus(s->hList);
        return 0;
    case WM_NCDESTROY:
        delete StateOf(hWnd);
        SetWindowLongPtrW(hWnd, GWLP_USERDATA, 0);
        break;
    default: break;
    }
    return DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

bool EnsureClass(HINSTANCE hInstance) {
    WNDCLASSEXW wc = {};
    if (GetClassInfoExW(hInstance, kClassName, &wc)) return true;
    wc.cbSize = sizeof(wc);
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = ContainerProc;
    wc.hInstance = hInstance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = kClassName;
    return RegisterClassExW(&wc) != 0;
}

} // namespace

HWND QxCreateMessageContainer(HWND hParent) {
    HINSTANCE hInstance = QxThisModule();
    if (!EnsureClass(hInstance)) return nullptr;
    return CreateWindowExW(0, kClassName, kMessageContainerName,
                           WS_CHILD | WS_VISIBLE | WS_BORDER | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 10, 10, 90,
                           90, hParent, nullptr, hInstance, nullptr);
}

CMessageWindow* QxMessageList(HWND hContainer) {
    ContainerState* s = StateOf(hContainer);
    return s ? CMessageWindow::FromHwnd(s->hList) : nullptr;
}

HWND QxIndicationWindow(HWND hContainer) {
    ContainerState* s = StateOf(hContainer);
    return s ? s->hIndicator : nullptr;
}

void QxLayoutMessageContainer(HWND hContainer, BOOL bShowIndication) {
    ContainerState* s = StateOf(hContainer);
    if (!s) return;
    s->bShowIndication = bShowIndication != FALSE;
    Layout(*s);
}

void QxSwitchOffIndication(HWND hContainer) {
    ContainerState* s = StateOf(hContainer);
    if (!s) return;
    s->bSwitchedOff = true;
    Layout(*s);
}

void QxSetIndicationLine(HWND hContainer, DWORD dwCode, const std::wstring& strText) {
    ContainerState* s = StateOf(hContainer);
    const int i = LineIndex(dwCode);
    if (!s || i < 0) return;
    s->lines[i] = strText;
    if (!s->hIndicator) return;
    s->bShowIndication = true;
    Layout(*s);
    InvalidateRect(s->hIndicator, nullptr, TRUE);
}

std::wstring QxGetIndicationLine(HWND hContainer, DWORD dwCode) {
    ContainerState* s = StateOf(hContainer);
    const int i = LineIndex(dwCode);
    return s && i >= 0 ? s->lines[i] : std::wstring();
}

int QxIndicationHeight(HWND hContainer) {
    ContainerState* s = StateOf(hContainer);
    return s ? StripHeight(*s) : 0;
}

void QxUnregisterMessageContainerClass() {
    UnregisterClassW(kClassName, QxThisModule());
    CMessageWindow::UnregisterWindowClass();
}
