// CMessageContainerWnd: holds the message list and the indication strip and places them; the
// strip keeps and draws its own lines.
#include "window/MessageContainer.h"
#include "module/CallbackGuard.h"

#include "module/ModuleState.h"
#include "trace/Trace.h"
#include "window/IndicationStrip.h"
#include "window/MessageWindow.h"
#include "window/MessageWindowRegistry.h"

const wchar_t kMessageContainerName[] = L"MessageContainerWnd";

namespace {

const wchar_t kClassName[] = L"QxChatMessageContainer";

struct ContainerState {
    HWND hWnd = nullptr;
    HWND hList = nullptr;                // the CMessageWindow's window
    CIndicationWindow* pStrip = nullptr; // owned by its window
    bool bShowIndication = false;
    bool bSwitchedOff = false; // set once, never cleared
};

CWindowRegistry<ContainerState>& Containers() {
    static CWindowRegistry<ContainerState> containers;
    return containers;
}

ContainerState* StateOf(HWND hWnd) {
    return Containers().Find(hWnd);
}

void Layout(ContainerState& s) {
    RECT rc = {};
    GetClientRect(s.hWnd, &rc);
    const bool bStrip = s.bShowIndication && !s.bSwitchedOff && s.pStrip;
    const int nStrip = bStrip ? s.pStrip->GetHeight() : 0;
    if (s.pStrip) {
        if (bStrip)
            SetWindowPos(s.pStrip->GetHwnd(), nullptr, 0, 0, rc.right, nStrip,
                         SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
        else
            ShowWindow(s.pStrip->GetHwnd(), SW_HIDE);
    }
    if (s.hList)
        SetWindowPos(s.hList, nullptr, 0, nStrip, rc.right, rc.bottom - nStrip,
                     SWP_NOZORDER | SWP_NOACTIVATE);
}

bool OnCreate(HWND hWnd) {
    auto* s = new ContainerState();
    s->hWnd = hWnd;
    SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(s));
    Containers().Add(hWnd, s);
    RECT rc = {};
    GetClientRect(hWnd, &rc);
    if (CMessageWindow* pList = CMessageWindow::Create(hWnd, rc))
        s->hList = pList->GetHwnd();
    else
        Trace(L"Fail: CMessageContainerWnd::OnCreate, m_wndMessage");
    s->pStrip = CIndicationWindow::Create(hWnd);
    if (!s->pStrip) Trace(L"Fail: CMessageContainerWnd::OnCreate, m_wndIndicator");
    return true;
}

LRESULT DispatchContainer(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
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
        Containers().Remove(hWnd);
        SetWindowLongPtrW(hWnd, GWLP_USERDATA, 0);
        break;
    default: break;
    }
    return DefWindowProcW(hWnd, uMsg, wParam, lParam);
}

LRESULT CALLBACK ContainerProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    return QxGuardCallback(L"CMessageContainerWnd::WndProc", LRESULT(0),
                           [&] { return DispatchContainer(hWnd, uMsg, wParam, lParam); });
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
    return s && s->pStrip ? s->pStrip->GetHwnd() : nullptr;
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
    if (!s || !s->pStrip || !s->pStrip->SetLine(dwCode, strText)) return;
    s->bShowIndication = true;
    Layout(*s);
}

std::wstring QxGetIndicationLine(HWND hContainer, DWORD dwCode) {
    ContainerState* s = StateOf(hContainer);
    return s && s->pStrip ? s->pStrip->GetLine(dwCode) : std::wstring();
}

int QxIndicationHeight(HWND hContainer) {
    ContainerState* s = StateOf(hContainer);
    return s && s->pStrip ? s->pStrip->GetHeight() : 0;
}

void QxUnregisterMessageContainerClass() {
    UnregisterClassW(kClassName, QxThisModule());
    CMessageWindow::UnregisterWindowClass();
    CIndicationWindow::UnregisterWindowClass();
}
