#include "window/IndicationStrip.h"
#include "module/CallbackGuard.h"

#include "module/ModuleState.h"
#include "resources/resource.h"
#include "window/ChatFonts.h"
#include "window/TooltipPopup.h"

#include <cstring>
#include <vector>

const wchar_t kIndicationWindowName[] = L"IndicationWindow";

namespace {

const wchar_t kClassName[] = L"QxChatIndicationStrip";

// A memory DC with a bitmap selected, for drawing off-screen and for measuring.
class MemoryDC {
public:
    MemoryDC(HDC hLike, int cx, int cy)
        : m_hdc(CreateCompatibleDC(hLike)), m_bitmap(CreateCompatibleBitmap(hLike, cx, cy)) {
        if (m_hdc && m_bitmap) m_hOld = SelectObject(m_hdc, m_bitmap.Get());
    }
    ~MemoryDC() {
        if (m_hOld) SelectObject(m_hdc, m_hOld);
        if (m_hdc) DeleteDC(m_hdc);
    }
    MemoryDC(const MemoryDC&) = delete;
    MemoryDC& operator=(const MemoryDC&) = delete;
    HDC Get() const { return m_hOld ? m_hdc : nullptr; }

private:
    HDC m_hdc;
    GdiObject<HBITMAP> m_bitmap;
    HGDIOBJ m_hOld = nullptr;
};

// Selects an object into a DC for one scope.
class Selected {
public:
    Selected(HDC hdc, HGDIOBJ hObject) : m_hdc(hdc), m_hOld(SelectObject(hdc, hObject)) {}
    ~Selected() { SelectObject(m_hdc, m_hOld); }
    Selected(const Selected&) = delete;
    Selected& operator=(const Selected&) = delete;

private:
    HDC m_hdc;
    HGDIOBJ m_hOld;
};

} // namespace

CIndicationWindow* CIndicationWindow::Create(HWND hParent) {
    HINSTANCE hInstance = QxThisModule();
    WNDCLASSEXW wc = {};
    if (!GetClassInfoExW(hInstance, kClassName, &wc)) {
        wc.cbSize = sizeof(wc);
        wc.style = CS_HREDRAW | CS_VREDRAW;
        wc.lpfnWndProc = WndProc;
        wc.hInstance = hInstance;
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.lpszClassName = kClassName;
        if (!RegisterClassExW(&wc)) return nullptr;
    }
    RECT rc = {};
    GetClientRect(hParent, &rc);
    // The window owns the object only once it exists: a creation that fails part-way leaves it
    // to this function, so it is freed exactly once.
    auto* self = new CIndicationWindow();
    if (!CreateWindowExW(0, kClassName, kIndicationWindowName, WS_CHILD | WS_CLIPSIBLINGS, 0, 0, rc.right, 0,
                         hParent, nullptr, hInstance, self)) {
        delete self;
        return nullptr;
    }
    self->m_bOwnedByWindow = true;
    return self;
}

CIndicationWindow* CIndicationWindow::FromHwnd(HWND hWnd) {
    if (!hWnd || !IsWindow(hWnd)) return nullptr;
    wchar_t szClass[64] = {};
    GetClassNameW(hWnd, szClass, 64);
    if (wcscmp(szClass, kClassName) != 0) return nullptr;
    return reinterpret_cast<CIndicationWindow*>(GetWindowLongPtrW(hWnd, GWLP_USERDATA));
}

void CIndicationWindow::UnregisterWindowClass() {
    UnregisterClassW(kClassName, QxThisModule());
    TooltipPopup::UnregisterWindowClass();
}

CIndicationWindow::~CIndicationWindow() = default;

bool CIndicationWindow::SetLine(DWORD dwCode, const std::wstring& strText) {
    const int nSlot = IndicationSlot(dwCode);
    if (nSlot < 0) return false;
    m_lines[nSlot] = strText;
    // The lines may have moved: the pointer has to come onto a line again for a tooltip.
    HideTooltip();
    m_nHoverSlot = -1;
    InvalidateRect(m_hWnd, nullptr, FALSE);
    return true;
}

std::wstring CIndicationWindow::GetLine(DWORD dwCode) const {
    const int nSlot = IndicationSlot(dwCode);
    return nSlot < 0 ? std::wstring() : m_lines[nSlot];
}

int CIndicationWindow::GetHeight() const {
    int nLines = 0;
    for (const auto& line : m_lines)
        nLines += !line.empty();
    return StripHeightFor(nLines, m_nLineHeight);
}

FittedLine CIndicationWindow::GetShownLine(DWORD dwCode) const {
    const int nSlot = IndicationSlot(dwCode);
    if (nSlot < 0) return {std::wstring(), false};
    RECT rc = {};
    GetClientRect(m_hWnd, &rc);
    return Fit(nSlot, rc.right);
}

DWORD CIndicationWindow::GetCodeAt(POINT ptClient) const {
    RECT rc = {};
    GetClientRect(m_hWnd, &rc);
    if (!PtInRect(&rc, ptClient)) return 0;
    const int nSlot = StripSlotAt(Placed(), ptClient.y);
    return nSlot < 0 ? 0 : kIndicationCodes[nSlot];
}

std::vector<StripLine> CIndicationWindow::Placed() const {
    RECT rc = {};
    GetClientRect(m_hWnd, &rc);
    return PlaceStripLines(m_lines, rc.right, m_nLineHeight);
}

FittedLine CIndicationWindow::Fit(int nSlot, int nWidth) const {
    const std::wstring& text = m_lines[nSlot];
    const int nMax = nWidth - kStripTextRight - kStripTextLeft;
    std::vector<int> extents(text.size());
    SIZE size = {}, ellipsis = {};
    HDC hdc = CreateCompatibleDC(nullptr);
    {
        Selected font(hdc, m_font.Get());
        GetTextExtentExPointW(hdc, text.c_str(), static_cast<int>(text.size()), 0, nullptr, extents.data(),
                              &size);
        GetTextExtentPoint32W(hdc, kStripEllipsis, static_cast<int>(wcslen(kStripEllipsis)), &ellipsis);
    }
    DeleteDC(hdc);
    return FitLineAtWord(text, extents, ellipsis.cx, nMax);
}

void CIndicationWindow::OnCreate() {
    m_font = QxCreateChatFont(FW_NORMAL, false);
    HDC hdc = CreateCompatibleDC(nullptr);
    {
        Selected font(hdc, m_font ? static_cast<HGDIOBJ>(m_font.Get()) : GetStockObject(DEFAULT_GUI_FONT));
        TEXTMETRICW tm = {};
        GetTextMetricsW(hdc, &tm);
        m_nLineHeight = tm.tmHeight;
    }
    DeleteDC(hdc);
    if (QxHasResourceLibrary())
        m_icon.Reset(LoadBitmapW(QxResourceModule(), MAKEINTRESOURCEW(IDB_INDICATION_ICON)));
}

void CIndicationWindow::Paint(HDC hdc, const RECT& rc) const {
    GdiBrush background(CreateSolidBrush(kStripBackground)), bottom(CreateSolidBrush(kStripBottomLine));
    FillRect(hdc, &rc, background.Get());

    BITMAP bm = {};
    if (m_icon) GetObjectW(m_icon.Get(), sizeof(bm), &bm);
    HDC hIcon = m_icon ? CreateCompatibleDC(hdc) : nullptr;
    HGDIOBJ hOldIcon = hIcon ? SelectObject(hIcon, m_icon.Get()) : nullptr;
    {
        Selected font(hdc, m_font.Get());
        SetBkMode(hdc, TRANSPARENT);
        SetTextColor(hdc, kStripText);
        for (const auto& line : Placed()) {
            RECT rcText = line.rcText;
            if (hIcon)
                BitBlt(hdc, rcText.left - kStripIconGap - bm.bmWidth,
                       rcText.top + (m_nLineHeight - bm.bmHeight) / 2, bm.bmWidth, bm.bmHeight, hIcon, 0, 0,
                       SRCCOPY);
            const FittedLine shown = Fit(line.nSlot, rc.right);
            DrawTextW(hdc, shown.text.c_str(), static_cast<int>(shown.text.size()), &rcText,
                      DT_SINGLELINE | DT_NOPREFIX | DT_LEFT | DT_TOP);
        }
    }
    if (hIcon) {
        SelectObject(hIcon, hOldIcon);
        DeleteDC(hIcon);
    }
    const RECT rcBottom = {rc.left, rc.bottom - 1, rc.right, rc.bottom};
    FillRect(hdc, &rcBottom, bottom.Get());
}

void CIndicationWindow::OnPaint() {
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(m_hWnd, &ps);
    RECT rc = {};
    GetClientRect(m_hWnd, &rc);
    if (rc.right > 0 && rc.bottom > 0) {
        MemoryDC offscreen(hdc, rc.right, rc.bottom);
        if (offscreen.Get()) {
            Paint(offscreen.Get(), rc);
            BitBlt(hdc, 0, 0, rc.right, rc.bottom, offscreen.Get(), 0, 0, SRCCOPY);
        }
    }
    EndPaint(m_hWnd, &ps);
}

RECT CIndicationWindow::LineRowOnScreen(int nSlot) const {
    RECT rc = {};
    GetClientRect(m_hWnd, &rc);
    for (const auto& line : Placed()) {
        if (line.nSlot != nSlot) continue;
        RECT row = {0, line.rcText.top, rc.right, line.rcText.bottom};
        MapWindowPoints(m_hWnd, nullptr, reinterpret_cast<POINT*>(&row), 2);
        return row;
    }
    return {};
}

bool CIndicationWindow::PointerOnLine(int nSlot) const {
    POINT pt = {};
    GetCursorPos(&pt);
    const RECT row = LineRowOnScreen(nSlot);
    return nSlot >= 0 && PtInRect(&row, pt);
}

void CIndicationWindow::ShowTooltip(int nSlot) {
    if (!m_pTooltip) {
        m_pTooltip.reset(TooltipPopup::Create(m_hWnd, [this] { OnTooltipHidden(); }));
        if (!m_pTooltip) return;
    }
    for (const auto& line : Placed()) {
        if (line.nSlot != nSlot) continue;
        // The full text lands on the cut one: the popup's text inset is taken off its corner.
        POINT pt = {line.rcText.left - kTooltipInsetX, line.rcText.top - kTooltipInsetY};
        ClientToScreen(m_hWnd, &pt);
        m_pTooltip->Show(m_lines[nSlot], pt, LineRowOnScreen(nSlot));
    }
}

void CIndicationWindow::HideTooltip() {
    if (m_pTooltip) m_pTooltip->Hide();
}

void CIndicationWindow::OnMouseMove(POINT pt) {
    if (!m_bTracking) {
        TRACKMOUSEEVENT tme = {sizeof(tme), TME_LEAVE, m_hWnd, 0};
        m_bTracking = TrackMouseEvent(&tme) != FALSE;
    }
    const int nSlot = IndicationSlot(GetCodeAt(pt));
    if (nSlot == m_nHoverSlot) return; // the same line does not open it again
    HideTooltip();
    m_nHoverSlot = nSlot;
    if (nSlot >= 0 && GetShownLine(kIndicationCodes[nSlot]).bCut) ShowTooltip(nSlot);
}

void CIndicationWindow::OnMouseLeave() {
    m_bTracking = false;
    // The popup laid over the line takes the pointer from the strip without it leaving the
    // line; the popup itself watches for that.
    if (m_pTooltip && m_pTooltip->IsShown() && PointerOnLine(m_nHoverSlot)) return;
    HideTooltip();
    m_nHoverSlot = -1;
}

void CIndicationWindow::OnTooltipHidden() {
    // Hidden by time or a click while the pointer stays: that line stays done.
    if (!PointerOnLine(m_nHoverSlot)) m_nHoverSlot = -1;
}

LRESULT CALLBACK CIndicationWindow::WndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    if (uMsg == WM_NCCREATE) {
        auto* self =
            static_cast<CIndicationWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->m_hWnd = hWnd;
        SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<CIndicationWindow*>(GetWindowLongPtrW(hWnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hWnd, uMsg, wParam, lParam);
    if (uMsg == WM_NCDESTROY) {
        SetWindowLongPtrW(hWnd, GWLP_USERDATA, 0);
        self->m_hWnd = nullptr;
        if (self->m_bOwnedByWindow) delete self;
        return DefWindowProcW(hWnd, uMsg, wParam, lParam);
    }
    return QxGuardCallback(L"CIndicationWindow::WndProc", LRESULT(0),
                           [&] { return self->OnMessage(uMsg, wParam, lParam); });
}

LRESULT CIndicationWindow::OnMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    switch (uMsg) {
    case WM_CREATE: OnCreate(); return 0;
    case WM_ERASEBKGND: return 1;
    case WM_PAINT: OnPaint(); return 0;
    case WM_PRINTCLIENT: {
        RECT rc = {};
        GetClientRect(m_hWnd, &rc);
        Paint(reinterpret_cast<HDC>(wParam), rc);
        return 0;
    }
    case WM_MOUSEMOVE:
        OnMouseMove({static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))});
        return 0;
    case WM_MOUSELEAVE: OnMouseLeave(); return 0;
    case WM_SHOWWINDOW:
        if (!wParam) {
            HideTooltip();
            m_nHoverSlot = -1;
        }
        break;
    case WM_DESTROY: m_pTooltip.reset(); return 0;
    default: break;
    }
    return DefWindowProcW(m_hWnd, uMsg, wParam, lParam);
}
