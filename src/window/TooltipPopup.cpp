#include "window/TooltipPopup.h"
#include "module/CallbackGuard.h"

#include "module/ModuleState.h"
#include "window/GdiObject.h"
#include "window/IndicationLayout.h"

namespace {

const wchar_t kClassName[] = L"QxChatTooltipPopup";

HFONT TooltipFont() {
    return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

SIZE MeasureText(const std::wstring& strText) {
    SIZE size = {};
    HDC hdc = GetDC(nullptr);
    HGDIOBJ hOld = SelectObject(hdc, TooltipFont());
    GetTextExtentPoint32W(hdc, strText.c_str(), static_cast<int>(strText.size()), &size);
    SelectObject(hdc, hOld);
    ReleaseDC(nullptr, hdc);
    return size;
}

RECT ScreenOf(POINT pt) {
    MONITORINFO mi = {};
    mi.cbSize = sizeof(mi);
    if (GetMonitorInfoW(MonitorFromPoint(pt, MONITOR_DEFAULTTONEAREST), &mi)) return mi.rcMonitor;
    return {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
}

} // namespace

TooltipPopup* TooltipPopup::Create(HWND hOwner, HiddenHandler onHidden) {
    HINSTANCE hInstance = QxThisModule();
    WNDCLASSEXW wc = {};
    if (!GetClassInfoExW(hInstance, kClassName, &wc)) {
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = WndProc;
        wc.hInstance = hInstance;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = kClassName;
        if (!RegisterClassExW(&wc)) return nullptr;
    }
    auto* self = new TooltipPopup();
    self->m_onHidden = std::move(onHidden);
    HWND hRoot = hOwner ? GetAncestor(hOwner, GA_ROOT) : nullptr;
    if (!CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_TOPMOST | WS_EX_NOACTIVATE, kClassName, L"", WS_POPUP, 0, 0,
                         0, 0, hRoot, nullptr, hInstance, self)) {
        delete self;
        return nullptr;
    }
    return self;
}

TooltipPopup::~TooltipPopup() {
    if (m_hWnd) {
        SetWindowLongPtrW(m_hWnd, GWLP_USERDATA, 0);
        KillTimer(m_hWnd, kTooltipTimer);
        DestroyWindow(m_hWnd);
    }
}

void TooltipPopup::UnregisterWindowClass() {
    UnregisterClassW(kClassName, QxThisModule());
}

void TooltipPopup::Show(const std::wstring& strText, POINT ptScreen, const RECT& rcHotScreen) {
    if (!m_hWnd) return;
    m_strText = strText;
    m_rcHot = rcHotScreen;
    const RECT rc = PlaceTooltip(ptScreen, MeasureText(strText), ScreenOf(ptScreen));
    SetWindowPos(m_hWnd, HWND_TOPMOST, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                 SWP_NOACTIVATE | SWP_SHOWWINDOW);
    InvalidateRect(m_hWnd, nullptr, FALSE);
    m_dwShownAt = m_clock();
    SetTimer(m_hWnd, kTooltipTimer, kTooltipTimerMs, nullptr);
}

void TooltipPopup::Hide() {
    if (!m_hWnd) return;
    KillTimer(m_hWnd, kTooltipTimer);
    ShowWindow(m_hWnd, SW_HIDE);
}

void TooltipPopup::HideByItself() {
    if (!IsShown()) return;
    Hide();
    if (m_onHidden) m_onHidden();
}

void TooltipPopup::OnTimer() {
    if (!IsShown()) {
        KillTimer(m_hWnd, kTooltipTimer);
        return;
    }
    POINT pt = {};
    GetCursorPos(&pt);
    if (TooltipExpired(m_dwShownAt, m_clock()) || !PtInRect(&m_rcHot, pt)) HideByItself();
}

void TooltipPopup::OnPaint(HDC hdc) const {
    RECT rc = {};
    GetClientRect(m_hWnd, &rc);
    GdiBrush background(CreateSolidBrush(kTooltipBackground)), frame(CreateSolidBrush(kTooltipFrame));
    FillRect(hdc, &rc, background.Get());
    FrameRect(hdc, &rc, frame.Get());
    HGDIOBJ hOldFont = SelectObject(hdc, TooltipFont());
    SetBkMode(hdc, TRANSPARENT);
    SetTextColor(hdc, RGB(0, 0, 0));
    RECT rcText = {rc.left + kTooltipInsetX, rc.top + kTooltipInsetY, rc.right - kTooltipInsetX,
                   rc.bottom - kTooltipInsetY};
    DrawTextW(hdc, m_strText.c_str(), static_cast<int>(m_strText.size()), &rcText,
              DT_SINGLELINE | DT_NOPREFIX | DT_LEFT | DT_TOP);
    SelectObject(hdc, hOldFont);
}

LRESULT CALLBACK TooltipPopup::WndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    if (uMsg == WM_NCCREATE) {
        auto* self = static_cast<TooltipPopup*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->m_hWnd = hWnd;
        SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<TooltipPopup*>(GetWindowLongPtrW(hWnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hWnd, uMsg, wParam, lParam);
    return QxGuardCallback(L"TooltipPopup::WndProc", LRESULT(0),
                           [&] { return self->OnMessage(uMsg, wParam, lParam); });
}

LRESULT TooltipPopup::OnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    switch (uMsg) {
    case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: HideByItself(); return 0;
    case WM_TIMER:
        if (wParam == kTooltipTimer) OnTimer();
        return 0;
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC hdc = BeginPaint(m_hWnd, &ps);
        OnPaint(hdc);
        EndPaint(m_hWnd, &ps);
        return 0;
    }
    case WM_PRINTCLIENT: OnPaint(reinterpret_cast<HDC>(wParam)); return 0;
    case WM_NCDESTROY: {
        // Destroyed with its owner before the object: the object stays, windowless.
        HWND hWnd = m_hWnd;
        SetWindowLongPtrW(hWnd, GWLP_USERDATA, 0);
        m_hWnd = nullptr;
        return DefWindowProcW(hWnd, uMsg, wParam, lParam);
    }
    default: break;
    }
    return DefWindowProcW(m_hWnd, uMsg, wParam, lParam);
}
