// CMessageWindow: items and their bookkeeping, layout by word wrap, the scroll model, painting
// from the scroll position, mouse selection, links and the popup menu.
#include "window/MessageWindow.h"
#include "module/CallbackGuard.h"

#include "module/ModuleState.h"
#include "pdu/TransferMessagePDU.h"
#include "qxchat.h"
#include "qxskin7.h"
#include "resources/resource.h"
#include "trace/Trace.h"
#include "window/ChatFonts.h"
#include "window/IndicationLayout.h"
#include "window/LinkDetection.h"
#include "window/LinkOpener.h"
#include "window/MessageContainer.h"
#include "window/MessageListAccessible.h"
#include "window/MessageWindowRegistry.h"

#include <windowsx.h>

#include <algorithm>
#include <climits>
#include <cstring>

const wchar_t kMessageWindowName[] = L"MessageWindow";

namespace {

const wchar_t kClassName[] = L"QxChatMessageList";
constexpr int kNoticePadding = 12; // extra height of kinds 3 and 4, half above the text
constexpr int kTextInsetLeft = 5, kTextInsetRight = 2;
constexpr int kLineCutHeight = 13; // a line is drawn only when this much of it fits
constexpr int kTabStopChars = 8;   // tab stops every eight average characters, as in an edit control
constexpr wchar_t kAsciiFirst = L' ', kAsciiLast = L'~'; // the printable ASCII characters
constexpr COLORREF kWhite = RGB(0xFF, 0xFF, 0xFF);
constexpr COLORREF kSelectedText = RGB(0xFF, 0xFF, 0xFF);
constexpr COLORREF kSelectedBack = RGB(0x0A, 0x24, 0x6A);
constexpr COLORREF kLinkText = RGB(0x00, 0x00, 0xFF);

struct KindStyle {
    int nWeight;
    COLORREF text, back;
};

const KindStyle& StyleOf(DWORD kind) {
    static const KindStyle styles[] = {
        {FW_NORMAL, RGB(0, 0, 0), kWhite},                       // unknown kinds draw as text
        {FW_BOLD, RGB(0x21, 0x45, 0x6B), kWhite},                // header
        {FW_NORMAL, RGB(0, 0, 0), kWhite},                       // message text
        {FW_NORMAL, RGB(0, 0, 0xFF), kWhite},                    // notice
        {FW_BOLD, RGB(0x66, 0x66, 0x66), RGB(0xFE, 0xFE, 0xE9)}, // highlighted notice
    };
    return styles[kind <= ITEM_HIGHLIGHT ? kind : 0];
}

bool IsNotice(DWORD kind) {
    return kind == ITEM_NOTICE || kind == ITEM_HIGHLIGHT;
}

int TextLength(const MessageItem& item) {
    return static_cast<int>(item.text.size());
}

// The selected character range [first, last) of an item; empty when it is not selected.
void SelectedRange(const MessageItem& item, int* pFirst, int* pLast) {
    const int n = TextLength(item);
    *pFirst = *pLast = 0;
    if (item.selState == 1) {
        *pLast = n;
    } else if (item.selState != 0) {
        *pFirst = std::max(0, std::min(item.selStart, item.selEnd));
        *pLast = std::min(n, std::max(item.selStart, item.selEnd));
    }
}

// A memory DC with its own bitmap, selected in for its lifetime.
class OffscreenDC {
public:
    OffscreenDC(HDC hdc, int cx, int cy)
        : m_hdc(CreateCompatibleDC(hdc)), m_hBitmap(CreateCompatibleBitmap(hdc, cx, cy)) {
        if (m_hdc && m_hBitmap) m_hOld = SelectObject(m_hdc, m_hBitmap.Get());
    }
    ~OffscreenDC() {
        if (m_hOld) SelectObject(m_hdc, m_hOld);
        m_hBitmap.Reset();
        if (m_hdc) DeleteDC(m_hdc);
    }
    OffscreenDC(const OffscreenDC&) = delete;
    OffscreenDC& operator=(const OffscreenDC&) = delete;
    HDC Get() const { return m_hOld ? m_hdc : nullptr; }

private:
    HDC m_hdc;
    GdiObject<HBITMAP> m_hBitmap;
    HGDIOBJ m_hOld = nullptr;
};

int Clamp(long long v) {
    return static_cast<int>(std::max<long long>(INT_MIN / 2, std::min<long long>(v, INT_MAX / 2)));
}

} // namespace

// The list's drawing objects: the kinds' fonts, the link font and a memory DC for measuring.
struct CMessageWindow::Fonts {
    GdiFont normal, bold, link;
    int nTabWidth[2] = {}; // normal, bold
    // Advances of the printable ASCII characters (normal, bold), measured once: most texts are
    // made of them only, and asking the font for every item is most of a burst's layout.
    int asciiAdvance[2][kAsciiLast - kAsciiFirst + 1] = {};
    bool bAsciiAdvance[2] = {};
    HDC hMeasure = CreateCompatibleDC(nullptr);
    Fonts() = default;
    Fonts(const Fonts&) = delete;
    Fonts& operator=(const Fonts&) = delete;
    ~Fonts() {
        if (hMeasure) DeleteDC(hMeasure);
    }
    bool IsBold(DWORD kind) const { return StyleOf(kind).nWeight == FW_BOLD; }
    HFONT For(DWORD kind) const { return IsBold(kind) ? bold.Get() : normal.Get(); }
    int TabWidth(DWORD kind) const { return nTabWidth[IsBold(kind) ? 1 : 0]; }
};

namespace {

// Characters the wrap never asks an advance of, or that the ASCII table holds.
bool TableCovers(wchar_t c) {
    return (c >= kAsciiFirst && c <= kAsciiLast) || c == L'\t' || c == L'\r' || c == L'\n';
}

// The advance of every character from the font, from the extents of the text as a whole.
void MeasureWithFont(HDC hdc, HFONT hFont, const wchar_t* pText, int n, int* pAdvance) {
    HGDIOBJ hOld = SelectObject(hdc, hFont);
    std::vector<int> extent(n, 0);
    SIZE sz = {};
    int nFit = 0;
    if (GetTextExtentExPointW(hdc, pText, n, 0, &nFit, extent.data(), &sz)) {
        for (int i = 0; i < n; ++i)
            pAdvance[i] = extent[i] - (i > 0 ? extent[i - 1] : 0);
    }
    SelectObject(hdc, hOld);
}

} // namespace

CMessageWindow::~CMessageWindow() {
    if (m_hMenu) DestroyMenu(m_hMenu);
}

CMessageWindow* CMessageWindow::Create(HWND hParent, const RECT& rc) {
    HINSTANCE hInstance = QxThisModule();
    WNDCLASSEXW wc = {};
    if (!GetClassInfoExW(hInstance, kClassName, &wc)) {
        wc.cbSize = sizeof(wc);
        wc.style = CS_DBLCLKS;
        wc.lpfnWndProc = WndProc;
        wc.hInstance = hInstance;
        wc.lpszClassName = kClassName;
        if (!RegisterClassExW(&wc)) return nullptr;
    }
    // The window owns the object only once it exists: a creation that fails part-way (a window
    // destroyed inside CreateWindowEx) leaves it to this function, so it is freed exactly once.
    auto* self = new CMessageWindow();
    HWND hWnd = CreateWindowExW(0, kClassName, kMessageWindowName,
                                WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_VSCROLL, rc.left, rc.top,
                                rc.right - rc.left, rc.bottom - rc.top, hParent, nullptr, hInstance, self);
    if (!hWnd) {
        delete self;
        return nullptr;
    }
    self->m_bOwnedByWindow = true;
    return self;
}

namespace {

CWindowRegistry<CMessageWindow>& Lists() {
    static CWindowRegistry<CMessageWindow> lists;
    return lists;
}

} // namespace

CMessageWindow* CMessageWindow::FromHwnd(HWND hWnd) {
    return Lists().Find(hWnd);
}

void CMessageWindow::UnregisterWindowClass() {
    UnregisterClassW(kClassName, QxThisModule());
}

LRESULT CALLBACK CMessageWindow::WndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    if (uMsg == WM_NCCREATE) {
        auto* self = static_cast<CMessageWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->m_hWnd = hWnd;
        SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        Lists().Add(hWnd, self);
    }
    auto* self = reinterpret_cast<CMessageWindow*>(GetWindowLongPtrW(hWnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hWnd, uMsg, wParam, lParam);
    const LRESULT result = QxGuardCallback(L"CMessageWindow::WndProc", LRESULT(0),
                                           [&] { return self->HandleMessage(uMsg, wParam, lParam); });
    if (uMsg == WM_NCDESTROY) {
        Lists().Remove(hWnd);
        SetWindowLongPtrW(hWnd, GWLP_USERDATA, 0);
        self->m_hWnd = nullptr;
        if (self->m_bOwnedByWindow) delete self;
    }
    return result;
}

LRESULT CMessageWindow::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    const POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    switch (uMsg) {
    case WM_CREATE: OnCreate(); return 0;
    case WM_SIZE: OnSize(); return 0;
    case WM_ERASEBKGND: return 1; // painting covers the whole client area
    case WM_PAINT: OnPaint(); return 0;
    case WM_PRINTCLIENT: {
        RECT rc = {};
        GetClientRect(m_hWnd, &rc);
        PaintItems(reinterpret_cast<HDC>(wParam), rc);
        return 0;
    }
    case WM_TIMER: OnTimer(wParam); return 0;
    case WM_VSCROLL: OnVScroll(LOWORD(wParam)); return 0;
    case WM_MOUSEWHEEL: OnMouseWheel(GET_WHEEL_DELTA_WPARAM(wParam)); return 0;
    case WM_LBUTTONDOWN: OnLButtonDown(pt); return 0;
    case WM_MOUSEMOVE: OnMouseMove(pt); return 0;
    case WM_LBUTTONUP: OnLButtonUp(pt); return 0;
    case WM_LBUTTONDBLCLK: OnLButtonDblClk(pt); return 0;
    case WM_CAPTURECHANGED:
        if (m_bMouseSelecting && reinterpret_cast<HWND>(lParam) != m_hWnd) EndMouseSelection();
        return 0;
    case WM_CANCELMODE:
        if (m_bMouseSelecting) ReleaseCapture();
        break;
    case WM_SETCURSOR:
        if (LOWORD(lParam) == HTCLIENT && OnSetCursor()) return TRUE;
        break;
    case WM_GETDLGCODE: return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_KEYDOWN:
        if (OnKeyDown(wParam)) return 0;
        break;
    case WM_CONTEXTMENU: OnContextMenu(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)); return 0;
    case WM_DESTROY: OnDestroy(); return 0;
    case WM_GETOBJECT:
        if (m_pAccessibility)
            if (const LRESULT result = m_pAccessibility->OnGetObject(wParam, lParam)) return result;
        break;
    default: break;
    }
    return DefWindowProcW(m_hWnd, uMsg, wParam, lParam);
}

void CMessageWindow::OnCreate() {
    m_pFonts = std::make_unique<Fonts>();
    m_pFonts->normal = QxCreateChatFont(FW_NORMAL, false);
    m_pFonts->bold = QxCreateChatFont(FW_BOLD, false);
    m_pFonts->link = QxCreateChatFont(FW_NORMAL, true);
    for (DWORD kind = ITEM_HEADER; kind <= ITEM_HIGHLIGHT; ++kind) {
        HGDIOBJ hOld = SelectObject(m_pFonts->hMeasure, m_pFonts->For(kind));
        SIZE sz = {};
        GetTextExtentPoint32W(m_pFonts->hMeasure, L"ABC", 3, &sz);
        TEXTMETRICW tm = {};
        GetTextMetricsW(m_pFonts->hMeasure, &tm);
        SelectObject(m_pFonts->hMeasure, hOld);
        m_nLineHeight[kind] = sz.cy;
        m_pFonts->nTabWidth[m_pFonts->IsBold(kind) ? 1 : 0] =
            std::max(1, kTabStopChars * static_cast<int>(tm.tmAveCharWidth));
    }
    wchar_t ascii[kAsciiLast - kAsciiFirst + 1];
    for (wchar_t c = kAsciiFirst; c <= kAsciiLast; ++c)
        ascii[c - kAsciiFirst] = c;
    for (int nBold = 0; nBold < 2; ++nBold) {
        int* pTable = m_pFonts->asciiAdvance[nBold];
        MeasureWithFont(m_pFonts->hMeasure, nBold ? m_pFonts->bold.Get() : m_pFonts->normal.Get(), ascii,
                        kAsciiLast - kAsciiFirst + 1, pTable);
        // A font that measured nothing leaves every text to the font's own measurement.
        m_pFonts->bAsciiAdvance[nBold] =
            std::any_of(pTable, pTable + (kAsciiLast - kAsciiFirst + 1), [](int n) { return n > 0; });
    }
    if (QxHasResourceLibrary()) {
        m_hMenu = LoadMenuW(QxResourceModule(), MAKEINTRESOURCEW(IDR_POPUP_MENUS));
        m_hHand = LoadCursorW(QxResourceModule(), MAKEINTRESOURCEW(IDCUR_LINK_HAND));
    }
    m_hIBeam = LoadCursorW(nullptr, IDC_IBEAM);
    m_hArrow = LoadCursorW(nullptr, IDC_ARROW);
    ShowScrollBar(m_hWnd, SB_VERT, FALSE);
    RECT rc = {};
    GetClientRect(m_hWnd, &rc);
    m_nHeight = rc.bottom;
    m_nWidth = ComputeLayoutWidth();
    m_pAccessibility = std::make_unique<CListAccessibility>(this);
}

void CMessageWindow::OnDestroy() {
    KillTimer(m_hWnd, TIMER_REFRESH);
    KillTimer(m_hWnd, TIMER_INCREMENTAL_LAYOUT);
    KillTimer(m_hWnd, TIMER_DRAG_SCROLL);
    m_bRefreshTimer = m_bIncremental = m_bDragTimer = false;
    m_pAccessibility.reset(); // a screen reader's object fails cleanly from now on
}

void CMessageWindow::SetLinkLauncher(ILinkLauncher* pLauncher) {
    m_pLauncher = pLauncher;
}

int CMessageWindow::LineHeight(DWORD kind) const {
    return kind >= ITEM_HEADER && kind <= ITEM_HIGHLIGHT ? m_nLineHeight[kind] : 0;
}

// Items of a kind the list does not know (a damaged transcript) are laid out and drawn as text.
int CMessageWindow::ItemLineHeight(DWORD kind) const {
    return std::max(1, LineHeight(kind) ? LineHeight(kind) : m_nLineHeight[ITEM_TEXT]);
}

HMENU CMessageWindow::PopupMenu() const {
    return m_hMenu ? GetSubMenu(m_hMenu, IDM_POPUP_MESSAGE_LIST) : nullptr;
}

// The text is wrapped to the client width the window has with its scroll bar shown, so that
// showing or hiding the bar never changes the line breaks.
int CMessageWindow::ComputeLayoutWidth() const {
    RECT rc = {};
    GetClientRect(m_hWnd, &rc);
    const bool bBarShown = (GetWindowLongW(m_hWnd, GWL_STYLE) & WS_VSCROLL) != 0;
    return std::max(0, static_cast<int>(rc.right) - (bBarShown ? 0 : GetSystemMetrics(SM_CXVSCROLL)));
}

std::vector<int> CMessageWindow::MeasureAdvances(const MessageItem& item) const {
    const int n = TextLength(item);
    std::vector<int> advance(n, 0);
    if (m_pFonts && n > 0)
        MeasureWithFont(m_pFonts->hMeasure, m_pFonts->For(item.kind), item.text.c_str(), n, advance.data());
    return advance;
}

WrappedText CMessageWindow::WrapItem(const MessageItem& item) const {
    const int nRoom = m_nWidth - item.margin - kTextInsetLeft - kTextInsetRight;
    const int nTab = m_pFonts ? m_pFonts->TabWidth(item.kind) : 1;
    const int n = TextLength(item);
    const int nBold = m_pFonts && m_pFonts->IsBold(item.kind) ? 1 : 0;
    const bool bTable = m_pFonts && m_pFonts->bAsciiAdvance[nBold] &&
                        std::all_of(item.text.begin(), item.text.begin() + n, TableCovers);
    if (!bTable) return QxWrapText(item.text, MeasureAdvances(item), nRoom, nTab);
    // Tabs and line breaks take no advance from the font: the wrap works theirs out.
    std::vector<int> advance(n, 0);
    const int* pTable = m_pFonts->asciiAdvance[nBold];
    for (int i = 0; i < n; ++i) {
        const wchar_t c = item.text[i];
        if (c >= kAsciiFirst && c <= kAsciiLast) advance[i] = pTable[c - kAsciiFirst];
    }
    return QxWrapText(item.text, advance, nRoom, nTab);
}

// A text of printable ASCII as wide as the room at most is one line whatever the wrap would
// do: a burst's short messages are laid out without building their wraps.
bool CMessageWindow::FitsOneLine(const MessageItem& item) const {
    const int nBold = m_pFonts && m_pFonts->IsBold(item.kind) ? 1 : 0;
    if (!m_pFonts || !m_pFonts->bAsciiAdvance[nBold]) return false;
    const int nRoom = std::max(1, m_nWidth - item.margin - kTextInsetLeft - kTextInsetRight);
    const int* pTable = m_pFonts->asciiAdvance[nBold];
    long long nSum = 0;
    for (wchar_t c : item.text) {
        if (c < kAsciiFirst || c > kAsciiLast) return false;
        nSum += std::max(0, pTable[c - kAsciiFirst]);
        if (nSum > nRoom) return false;
    }
    return true;
}

void CMessageWindow::LayoutItem(int nIndex) {
    MessageItem& item = *m_items[nIndex];
    item.left = std::max(0, std::min(item.margin, m_nWidth - 1));
    item.right = m_nWidth;
    item.top = 0;
    const int nLines = item.text.empty() || FitsOneLine(item) ? 1 : WrapItem(item).LineCount();
    item.height = nLines * ItemLineHeight(item.kind) + (IsNotice(item.kind) ? kNoticePadding : 0);
    item.needsLayout = false;
    m_heights.Set(nIndex, item.height);
}

void CMessageWindow::LayoutAll() {
    for (int i = 0; i < GetItemCount(); ++i)
        if (m_items[i]->needsLayout) LayoutItem(i);
    m_pending.clear();
}

void CMessageWindow::Append(std::unique_ptr<MessageItem> pItem, bool bFromEngine) {
    if (!pItem) return;
    if (pItem->kind != ITEM_HEADER) pItem->links = QxDetectLinks(pItem->text);
    pItem->needsLayout = true;
    m_nTextSizeSum += 2 * pItem->text.size() + 8;
    m_items.push_back(std::move(pItem));
    m_heights.Append(0);
    const int nIndex = GetItemCount() - 1;
    if (m_pFonts && m_nWidth > 0)
        LayoutItem(nIndex);
    else
        m_pending.push_back(nIndex);
    m_bNewItems = true;
    m_bUnsaved = m_bUnsavedAutoSave = true;
    if (!bFromEngine) return;
    if (!m_bRefreshTimer) {
        m_bRefreshTimer = SetTimer(m_hWnd, TIMER_REFRESH, kRefreshDelayMs, nullptr) != 0;
        m_dwRefreshDue = m_clock() + kRefreshDelayMs;
    } else if (static_cast<LONG>(m_clock() - m_dwRefreshDue) >= 0) {
        // Timer messages wait for an empty queue, and a burst keeps the queue full: refresh
        // when the timer is due, so the burst still shows once per period.
        OnTimer(TIMER_REFRESH);
    }
}

void CMessageWindow::ShowMessage(const std::wstring& strSender, const std::wstring& strText,
                                 const std::wstring& strRest, const std::wstring& strDate,
                                 const std::wstring& strTime, bool bOwn) {
    auto pHeader = std::make_unique<MessageItem>();
    pHeader->kind = ITEM_HEADER;
    pHeader->text = strSender + strRest;
    Append(std::move(pHeader), true);
    auto pText = std::make_unique<MessageItem>();
    pText->kind = ITEM_TEXT;
    pText->text = strText;
    pText->date = strDate;
    pText->time = strTime;
    pText->senderPart = strSender;
    pText->restPart = strRest;
    Append(std::move(pText), true);
    if (!bOwn) m_nAnnounce = GetItemCount() - 1;
}

void CMessageWindow::ShowNotice(DWORD dwSubtype, const std::wstring& strText, const std::wstring& strDate,
                                const std::wstring& strTime) {
    if (IndicationSlot(dwSubtype) >= 0) {
        QxSetIndicationLine(GetParent(m_hWnd), dwSubtype, strText);
        return;
    }
    auto pItem = std::make_unique<MessageItem>();
    pItem->kind = QxIsHighlightTransfer(dwSubtype) ? ITEM_HIGHLIGHT : ITEM_NOTICE;
    pItem->text = strText;
    pItem->date = strDate;
    pItem->time = strTime;
    Append(std::move(pItem), true);
    m_nAnnounce = GetItemCount() - 1;
}

void CMessageWindow::OnTimer(UINT_PTR nId) {
    switch (nId) {
    case TIMER_REFRESH:
        KillTimer(m_hWnd, TIMER_REFRESH);
        m_bRefreshTimer = false;
        Refresh();
        break;
    case TIMER_INCREMENTAL_LAYOUT: OnIncrementalTick(); break;
    case TIMER_DRAG_SCROLL: OnDragTick(); break;
    default: break;
    }
}

// Lays out what needs it (unless the incremental layout owns that), then the scroll model;
// repaints when it followed new items.
void CMessageWindow::Refresh() {
    ++m_nRefreshCount;
    RefreshLayout();
}

void CMessageWindow::RefreshLayout() {
    if (!m_bIncremental && m_nWidth > 0 && m_pFonts) {
        for (int i : m_pending)
            if (i < GetItemCount() && m_items[i]->needsLayout) LayoutItem(i);
        m_pending.clear();
    }
    m_nLastIndex = GetItemCount() - 1;
    const bool bFollow = m_scroll.DecideFollow(m_bMouseSelecting, m_bIncremental);
    UpdateScroll(bFollow);
    if (bFollow && m_bNewItems && !m_bDragTimer) Repaint();
    m_bNewItems = false;
    if (m_nAnnounce >= 0 && m_pAccessibility) m_pAccessibility->Announce(m_nAnnounce);
    m_nAnnounce = -1;
}

void CMessageWindow::Repaint() {
    InvalidateRect(m_hWnd, nullptr, FALSE);
    // Painting, like the timer, would wait for a burst to end.
    UpdateWindow(m_hWnd);
}

void CMessageWindow::UpdateScroll(bool bFollow) {
    int nFirst = 0;
    if (m_scroll.Shown() && !m_items.empty()) nFirst = std::max(0, m_heights.Find(m_scroll.Shift()));
    const long long nAboveFirst = m_scroll.Shown() ? QxSettledViewTop(m_heights, m_scroll.Shift()) : 0;
    m_scroll.Update(m_heights.Total(), m_nHeight, nAboveFirst, m_heights.Above(std::max(0, nFirst - 1)),
                    bFollow);
    ApplyScrollBar();
}

void CMessageWindow::ApplyScrollBar() {
    if (m_bInScrollUpdate) return;
    m_bInScrollUpdate = true; // showing or hiding the bar sends WM_SIZE back here
    const bool bBarShown = (GetWindowLongW(m_hWnd, GWL_STYLE) & WS_VSCROLL) != 0;
    if (m_scroll.Shown()) {
        SCROLLINFO si = {};
        si.cbSize = sizeof(si);
        si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
        si.nMin = 0;
        si.nMax = m_scroll.Max();
        si.nPage = static_cast<UINT>(m_scroll.Page());
        si.nPos = m_scroll.Pos();
        SetScrollInfo(m_hWnd, SB_VERT, &si, TRUE);
        if (!bBarShown) ShowScrollBar(m_hWnd, SB_VERT, TRUE);
    } else if (bBarShown) {
        ShowScrollBar(m_hWnd, SB_VERT, FALSE);
    }
    m_bInScrollUpdate = false;
}

void CMessageWindow::ClearUnsaved(bool bAutoSave) {
    (bAutoSave ? m_bUnsavedAutoSave : m_bUnsaved) = false;
}

void CMessageWindow::OnSize() {
    RECT rc = {};
    GetClientRect(m_hWnd, &rc);
    if (rc.right == 0 || rc.bottom == 0 || m_bInScrollUpdate) {
        if (!m_bInScrollUpdate) m_nHeight = rc.bottom;
        InvalidateRect(m_hWnd, nullptr, FALSE);
        return;
    }
    m_nHeight = rc.bottom;
    const int nWidth = ComputeLayoutWidth();
    if (nWidth == m_nWidth) {
        if (HasItems()) UpdateScroll(m_scroll.DecideFollow(m_bMouseSelecting, m_bIncremental));
        InvalidateRect(m_hWnd, nullptr, FALSE);
        return;
    }
    // A new width changes every item's line breaks.
    StopIncrementalLayout();
    m_nWidth = nWidth;
    for (auto& pItem : m_items)
        pItem->needsLayout = true;
    if (GetItemCount() >= kIncrementalLayoutItems) {
        // Laid out in steps: the total height is the sum of what is laid out so far.
        m_heights.Reset(0);
        m_bIncremental = SetTimer(m_hWnd, TIMER_INCREMENTAL_LAYOUT, kIncrementalLayoutMs, nullptr) != 0;
        m_nLayoutNext = 0;
        if (!m_bIncremental) LayoutAll();
        InvalidateRect(m_hWnd, nullptr, FALSE);
        return;
    }
    LayoutAll();
    m_bNewItems = true;
    RefreshLayout();
    InvalidateRect(m_hWnd, nullptr, FALSE);
}

void CMessageWindow::StopIncrementalLayout() {
    if (!m_bIncremental) return;
    KillTimer(m_hWnd, TIMER_INCREMENTAL_LAYOUT);
    m_bIncremental = false;
}

void CMessageWindow::OnIncrementalTick() {
    int nDone = 0;
    const int n = GetItemCount();
    while (m_nLayoutNext < n && nDone < kIncrementalLayoutItems) {
        if (m_items[m_nLayoutNext]->needsLayout) {
            LayoutItem(m_nLayoutNext);
            ++nDone;
        }
        ++m_nLayoutNext;
    }
    if (nDone == 0) {
        StopIncrementalLayout();
        m_pending.clear();
        UpdateScroll(m_scroll.DecideFollow(m_bMouseSelecting, false));
        if (!m_scroll.UserScrolled()) Repaint();
        return;
    }
    UpdateScroll(m_scroll.DecideFollow(m_bMouseSelecting, true));
    if (!m_scroll.UserScrolled()) InvalidateRect(m_hWnd, nullptr, FALSE);
}

void CMessageWindow::Scroll(ScrollAction action, int nTrack) {
    ScrollStep(action, nTrack);
}

void CMessageWindow::ScrollStep(ScrollAction action, int nTrack) {
    if (!m_scroll.Shown()) return;
    const bool bChanged = m_scroll.Apply(action, nTrack);
    if (action == ScrollAction::EndScroll) return;
    SetScrollPos(m_hWnd, SB_VERT, m_scroll.Pos(), TRUE);
    if (bChanged) InvalidateRect(m_hWnd, nullptr, FALSE);
}

void CMessageWindow::OnVScroll(WORD wCode) {
    switch (wCode) {
    case SB_LINEUP: ScrollStep(ScrollAction::LineUp); break;
    case SB_LINEDOWN: ScrollStep(ScrollAction::LineDown); break;
    case SB_PAGEUP: ScrollStep(ScrollAction::PageUp); break;
    case SB_PAGEDOWN: ScrollStep(ScrollAction::PageDown); break;
    case SB_TOP: ScrollStep(ScrollAction::Top); break;
    case SB_BOTTOM: ScrollStep(ScrollAction::Bottom); break;
    case SB_ENDSCROLL: ScrollStep(ScrollAction::EndScroll); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
        // The message carries only 16 bits of the position; the range passes 65,535 lines
        // with long conversations, so the full tracking position is read back.
        SCROLLINFO si = {};
        si.cbSize = sizeof(si);
        si.fMask = SIF_TRACKPOS;
        if (GetScrollInfo(m_hWnd, SB_VERT, &si)) ScrollStep(ScrollAction::Track, si.nTrackPos);
        break;
    }
    default: break;
    }
}

void CMessageWindow::OnMouseWheel(short nDelta) {
    ScrollStep(nDelta < 1 ? ScrollAction::LineDown : ScrollAction::LineUp);
    ScrollStep(ScrollAction::EndScroll);
}

bool CMessageWindow::OnKeyDown(WPARAM vk) {
    if (m_bMouseSelecting) return true; // keys wait for the mouse selection to end
    if (GetKeyState(VK_CONTROL) < 0) {
        if (vk == 'A')
            SelectAll();
        else if (vk == 'C')
            Copy();
        if (vk == 'A' || vk == 'C') return true;
    }
    ScrollAction action;
    switch (vk) {
    case VK_HOME: action = ScrollAction::Top; break;
    case VK_END: action = ScrollAction::Bottom; break;
    case VK_PRIOR: action = ScrollAction::PageUp; break;
    case VK_NEXT: action = ScrollAction::PageDown; break;
    case VK_UP: action = ScrollAction::LineUp; break;
    case VK_DOWN: action = ScrollAction::LineDown; break;
    default: return false;
    }
    ScrollStep(action);
    ScrollStep(ScrollAction::EndScroll);
    return true;
}

long long CMessageWindow::ItemTop(int nIndex) const {
    if (DrawsUpwards()) return m_nHeight - (m_heights.Total() - m_heights.Above(nIndex));
    return m_heights.Above(nIndex) - m_scroll.Shift();
}

TextPoint CMessageWindow::HitTest(POINT pt) const {
    TextPoint hit;
    if (m_items.empty()) return hit;
    const long long y = DrawsUpwards() ? pt.y - (m_nHeight - m_heights.Total()) : pt.y + m_scroll.Shift();
    hit.nItem = m_heights.Find(y);
    const MessageItem& item = *m_items[hit.nItem];
    const WrappedText wrap = WrapItem(item);
    const long long yIn = pt.y - ItemTop(hit.nItem) - (IsNotice(item.kind) ? kNoticePadding / 2 : 0);
    const int nLineHeight = ItemLineHeight(item.kind);
    const int nLine = static_cast<int>(
        std::max<long long>(0, std::min<long long>(yIn / nLineHeight, wrap.LineCount() - 1)));
    // Left or right of the text counts as the item's edge.
    const int x = std::max(item.left, std::min<int>(pt.x, item.right)) - item.left - kTextInsetLeft;
    if (yIn < 0)
        hit.nChar = 0;
    else if (yIn >= static_cast<long long>(wrap.LineCount()) * nLineHeight)
        hit.nChar = TextLength(item);
    else
        hit.nChar = QxBoundaryAt(wrap, item.text, nLine, x);
    return hit;
}

TextPoint CMessageWindow::LinkAt(POINT pt) const {
    TextPoint none;
    if (m_items.empty()) return none;
    const long long y = DrawsUpwards() ? pt.y - (m_nHeight - m_heights.Total()) : pt.y + m_scroll.Shift();
    if (y < 0 || y >= m_heights.Total()) return none;
    const int nItem = m_heights.Find(y);
    const MessageItem& item = *m_items[nItem];
    if (item.links.empty()) return none;
    const WrappedText wrap = WrapItem(item);
    const long long yIn = pt.y - ItemTop(nItem) - (IsNotice(item.kind) ? kNoticePadding / 2 : 0);
    const int nLineHeight = ItemLineHeight(item.kind);
    if (yIn < 0 || yIn >= static_cast<long long>(wrap.LineCount()) * nLineHeight) return none;
    const int nChar =
        QxCharAt(wrap, item.text, static_cast<int>(yIn / nLineHeight), pt.x - item.left - kTextInsetLeft);
    if (nChar < 0) return none;
    for (size_t i = 0; i < item.links.size(); ++i)
        if (nChar >= item.links[i].nFirst && nChar <= item.links[i].nLast)
            return TextPoint{nItem, static_cast<int>(i)};
    return none;
}

RECT CMessageWindow::CharRect(int nItem, int nChar) const {
    RECT rc = {};
    if (nItem < 0 || nItem >= GetItemCount()) return rc;
    const MessageItem& item = *m_items[nItem];
    if (nChar < 0 || nChar >= TextLength(item)) return rc;
    const WrappedText wrap = WrapItem(item);
    int nLine = 0;
    while (nLine + 1 < wrap.LineCount() && wrap.lineStarts[nLine + 1] <= nChar)
        ++nLine;
    const int top = Clamp(ItemTop(nItem)) + (IsNotice(item.kind) ? kNoticePadding / 2 : 0) +
                    nLine * ItemLineHeight(item.kind);
    rc.left = item.left + kTextInsetLeft + wrap.x[nChar];
    rc.right = rc.left + wrap.width[nChar];
    rc.top = top;
    rc.bottom = top + ItemLineHeight(item.kind);
    return rc;
}

void CMessageWindow::OnLButtonDown(POINT pt) {
    if (MouseLocked()) return;
    SetFocus(m_hWnd);
    SetCapture(m_hWnd);
    ClearSelection();
    UpdateWindow(m_hWnd);
    const TextPoint hit = HitTest(pt);
    m_nAnchor = m_nFocus = hit.nItem;
    m_nAnchorChar = hit.nChar;
    m_bMouseSelecting = hit.nItem >= 0;
    m_bMoved = false;
    m_ptDown = m_ptLast = pt;
    m_downLink = LinkAt(pt);
    if (!m_bMouseSelecting) ReleaseCapture();
}

void CMessageWindow::OnMouseMove(POINT pt) {
    if (!m_bMouseSelecting) return;
    if (pt.x == m_ptLast.x && pt.y == m_ptLast.y) return;
    m_ptLast = pt;
    m_bMoved = m_bMoved || pt.x != m_ptDown.x || pt.y != m_ptDown.y;
    SelectText(TextPoint{m_nAnchor, m_nAnchorChar}, HitTest(pt));
    UpdateWindow(m_hWnd);
    OnSetCursor(); // no WM_SETCURSOR reaches a window while it holds the capture
    m_nDragDirection = pt.y < 0 ? -1 : (pt.y >= m_nHeight ? 1 : 0);
    if (m_nDragDirection != 0 && !m_bDragTimer)
        m_bDragTimer = SetTimer(m_hWnd, TIMER_DRAG_SCROLL, kDragScrollMs, nullptr) != 0;
    else if (m_nDragDirection == 0 && m_bDragTimer) {
        KillTimer(m_hWnd, TIMER_DRAG_SCROLL);
        m_bDragTimer = false;
    }
}

void CMessageWindow::OnDragTick() {
    if (!m_bMouseSelecting || m_nDragDirection == 0) {
        KillTimer(m_hWnd, TIMER_DRAG_SCROLL);
        m_bDragTimer = false;
        return;
    }
    const bool bUp = m_nDragDirection < 0;
    for (int i = 0; i < kDragScrollLines; ++i)
        ScrollStep(bUp ? ScrollAction::LineUp : ScrollAction::LineDown);
    ScrollStep(ScrollAction::EndScroll);
    // The selection reaches the first or the last character in view.
    if (!m_items.empty()) {
        TextPoint end;
        if (bUp) {
            end.nItem = m_heights.Find(m_scroll.Shift());
            end.nChar = 0;
        } else {
            end.nItem = m_heights.Find(m_scroll.Shift() + std::max(0, m_nHeight - 1));
            end.nChar = TextLength(*m_items[end.nItem]);
        }
        SelectText(TextPoint{m_nAnchor, m_nAnchorChar}, end);
    }
    const bool bAtEnd =
        !m_scroll.Shown() || (bUp ? m_scroll.Pos() == 0 : m_scroll.Pos() >= m_scroll.BottomPos());
    if (bAtEnd) {
        KillTimer(m_hWnd, TIMER_DRAG_SCROLL);
        m_bDragTimer = false;
    }
    Repaint();
}

void CMessageWindow::EndMouseSelection() {
    m_bMouseSelecting = false;
    if (m_bDragTimer) KillTimer(m_hWnd, TIMER_DRAG_SCROLL);
    m_bDragTimer = false;
    m_nDragDirection = 0;
}

void CMessageWindow::OnLButtonUp(POINT pt) {
    if (!m_bMouseSelecting) return;
    EndMouseSelection();
    if (GetCapture() == m_hWnd) ReleaseCapture();
    if (m_bMoved) return;
    // A click that did not move opens the link it went down on.
    const TextPoint link = LinkAt(pt);
    if (link.nItem < 0 || link.nItem != m_downLink.nItem || link.nChar != m_downLink.nChar) return;
    const LinkRange& range = m_items[link.nItem]->links[link.nChar];
    QxOpenLink(range.strTarget, m_lBrowserType, m_pLauncher ? *m_pLauncher : QxSystemLinkLauncher());
}

void CMessageWindow::OnLButtonDblClk(POINT pt) {
    if (MouseLocked() || m_items.empty()) return;
    const int nItem = HitTest(pt).nItem;
    int nOther = nItem;
    const DWORD kind = m_items[nItem]->kind;
    if (kind == ITEM_HEADER && nItem + 1 < GetItemCount() && m_items[nItem + 1]->kind == ITEM_TEXT)
        nOther = nItem + 1;
    else if (kind == ITEM_TEXT && nItem > 0 && m_items[nItem - 1]->kind == ITEM_HEADER)
        nOther = nItem - 1;
    SelectRange(std::min(nItem, nOther), std::max(nItem, nOther));
}

bool CMessageWindow::OnSetCursor() {
    if (m_bMenuOpen) {
        SetCursor(m_hArrow);
        return true;
    }
    POINT pt = {};
    GetCursorPos(&pt);
    ScreenToClient(m_hWnd, &pt);
    const TextPoint link = m_hHand ? LinkAt(pt) : TextPoint{};
    bool bHand = link.nItem >= 0;
    if (bHand && m_bMouseSelecting) {
        // While dragging only a link outside the item's selected range shows the hand.
        const MessageItem& item = *m_items[link.nItem];
        int nFirst = 0, nLast = 0;
        SelectedRange(item, &nFirst, &nLast);
        const LinkRange& range = item.links[link.nChar];
        bHand = range.nLast < nFirst || range.nFirst >= nLast;
    }
    SetCursor(bHand ? m_hHand : m_hIBeam);
    return true;
}

void CMessageWindow::OnContextMenu(int, int) {
    if (MouseLocked()) return;
    HMENU hPopup = PopupMenu();
    if (!hPopup) return;
    POINT pt = {};
    GetCursorPos(&pt); // at the cursor, for the right button and the menu key alike
    EnableMenuItem(hPopup, IDM_LIST_COPY, MF_BYCOMMAND | (HasSelection() ? MF_ENABLED : MF_GRAYED));
    EnableMenuItem(hPopup, IDM_LIST_RESERVED, MF_BYCOMMAND | MF_GRAYED);
    EnableMenuItem(hPopup, IDM_LIST_SELECT_ALL, MF_BYCOMMAND | (HasItems() ? MF_ENABLED : MF_GRAYED));
    m_bMenuOpen = true;
    SetCursor(m_hArrow);
    const UINT cmd = SkinTrackPopupMenu(hPopup, TPM_RIGHTBUTTON, pt.x, pt.y, m_hWnd);
    m_bMenuOpen = false;
    if (cmd == IDM_LIST_COPY)
        Copy();
    else if (cmd == IDM_LIST_SELECT_ALL)
        SelectAll();
}

void CMessageWindow::OnPaint() {
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(m_hWnd, &ps);
    RECT rc = {};
    GetClientRect(m_hWnd, &rc);
    if (rc.right > 0 && rc.bottom > 0) {
        OffscreenDC offscreen(hdc, rc.right, rc.bottom);
        if (HDC hMem = offscreen.Get()) {
            PaintItems(hMem, rc);
            BitBlt(hdc, 0, 0, rc.right, rc.bottom, hMem, 0, 0, SRCCOPY);
        }
    }
    EndPaint(m_hWnd, &ps);
}

// From the first visible item down, top-aligned at the scroll position; while an incremental
// layout runs (and the user stayed at the bottom) upwards from the newest item instead.
void CMessageWindow::PaintItems(HDC hdc, const RECT& rc) {
    FillRect(hdc, &rc, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    m_nFirstVisible = m_nLastVisible = -1;
    if (!m_pFonts || m_items.empty()) return;
    SetBkMode(hdc, TRANSPARENT);
    if (DrawsUpwards()) {
        int bottom = rc.bottom;
        for (int i = GetItemCount() - 1; i >= 0 && bottom > 0; --i) {
            if (m_items[i]->needsLayout) LayoutItem(i);
            const int top = bottom - m_items[i]->height;
            DrawItem(hdc, *m_items[i], top, rc);
            if (m_nLastVisible < 0) m_nLastVisible = i;
            m_nFirstVisible = i;
            bottom = top;
        }
        return;
    }
    const long long shift = m_scroll.Shift();
    int i = m_heights.Find(shift);
    // An item whose bottom is exactly the top edge shows nothing; the one below comes first.
    long long y = m_heights.Above(i) - shift;
    for (; i < GetItemCount() && y < rc.bottom; ++i) {
        if (m_items[i]->needsLayout && !m_bIncremental) LayoutItem(i);
        if (y + m_items[i]->height > 0) {
            DrawItem(hdc, *m_items[i], Clamp(y), rc);
            if (m_nFirstVisible < 0) m_nFirstVisible = i;
            m_nLastVisible = i;
        }
        y += m_items[i]->height;
    }
}

void CMessageWindow::DrawItem(HDC hdc, const MessageItem& item, int top, const RECT& rc) const {
    const KindStyle& style = StyleOf(item.kind);
    if (style.back != kWhite) {
        RECT rcItem = {item.left, top, item.right, top + item.height};
        GdiBrush brush(CreateSolidBrush(style.back));
        FillRect(hdc, &rcItem, brush.Get());
    }
    if (item.text.empty()) return;
    const WrappedText wrap = WrapItem(item);
    const int n = TextLength(item);
    const int nLineHeight = ItemLineHeight(item.kind);
    const int textTop = top + (IsNotice(item.kind) ? kNoticePadding / 2 : 0);
    const int textLeft = item.left + kTextInsetLeft;
    int nSelFirst = 0, nSelLast = 0;
    SelectedRange(item, &nSelFirst, &nSelLast);
    GdiBrush selBrush(CreateSolidBrush(kSelectedBack));
    HGDIOBJ hOldFont = SelectObject(hdc, m_pFonts->For(item.kind));
    std::vector<INT> dx; // advances of the segment being drawn
    size_t nLink = 0;    // links are in text order
    auto linkAt = [&](int c) -> bool {
        while (nLink < item.links.size() && item.links[nLink].nLast < c)
            ++nLink;
        return nLink < item.links.size() && item.links[nLink].nFirst <= c;
    };
    for (int nLine = 0; nLine < wrap.LineCount(); ++nLine) {
        const int y = textTop + nLine * nLineHeight;
        if (y + kLineCutHeight > rc.bottom) break; // cut at the client bottom
        if (y + nLineHeight <= 0) continue;
        const int nEnd = wrap.LineEnd(nLine, n);
        int a = wrap.lineStarts[nLine];
        while (a < nEnd) {
            const bool bSelected = a >= nSelFirst && a < nSelLast;
            if (!QxIsDrawnChar(item.text[a])) {
                if (bSelected && item.text[a] == L'\t') {
                    RECT rcTab = {textLeft + wrap.x[a], y, textLeft + wrap.x[a] + wrap.width[a],
                                  y + nLineHeight};
                    FillRect(hdc, &rcTab, selBrush.Get());
                }
                ++a;
                continue;
            }
            // A segment runs while the style stays the same and no tab or break interrupts it.
            const bool bLink = linkAt(a);
            int b = a + 1;
            while (b < nEnd && QxIsDrawnChar(item.text[b]) && (b >= nSelFirst && b < nSelLast) == bSelected &&
                   linkAt(b) == bLink)
                ++b;
            const int x = textLeft + wrap.x[a];
            if (x < rc.right) {
                if (bSelected) {
                    RECT rcSel = {x, y, textLeft + wrap.x[b - 1] + wrap.width[b - 1], y + nLineHeight};
                    FillRect(hdc, &rcSel, selBrush.Get());
                }
                SelectObject(hdc, bLink && !bSelected ? m_pFonts->link.Get() : m_pFonts->For(item.kind));
                SetTextColor(hdc, bSelected ? kSelectedText : (bLink ? kLinkText : style.text));
                // Each character at its measured place, where hit testing finds it: a segment
                // drawn with the font's own advances drifts from the next one.
                dx.assign(wrap.width.begin() + a, wrap.width.begin() + b);
                ExtTextOutW(hdc, x, y, 0, nullptr, item.text.c_str() + a, static_cast<UINT>(b - a),
                            dx.data());
            }
            a = b;
        }
    }
    SelectObject(hdc, hOldFont);
}

bool CMessageWindow::HasSelection() const {
    if (m_items.empty() || m_nAnchor < 0 || m_nFocus < 0) return false;
    if (m_nAnchor != m_nFocus) return true;
    const MessageItem& item = *m_items[std::min<size_t>(m_nAnchor, m_items.size() - 1)];
    return item.selState != 0 && item.selStart != item.selEnd;
}

void CMessageWindow::SelectRange(int nFirst, int nLast) {
    ClearSelection();
    if (m_items.empty()) return;
    const int nMax = GetItemCount() - 1;
    m_nAnchor = std::max(0, std::min(nFirst, nMax));
    m_nFocus = std::max(0, std::min(nLast, nMax));
    m_nSelLow = std::min(m_nAnchor, m_nFocus);
    m_nSelHigh = std::max(m_nAnchor, m_nFocus);
    for (int i = m_nSelLow; i <= m_nSelHigh; ++i) {
        MessageItem& item = *m_items[i];
        item.selState = 1;
        item.selStart = 0;
        item.selEnd = TextLength(item);
    }
    InvalidateRect(m_hWnd, nullptr, FALSE);
}

void CMessageWindow::SelectText(TextPoint anchor, TextPoint focus) {
    if (m_items.empty() || anchor.nItem < 0 || focus.nItem < 0) return;
    const int nMax = GetItemCount() - 1;
    anchor.nItem = std::min(anchor.nItem, nMax);
    focus.nItem = std::min(focus.nItem, nMax);
    // Only the items the old selection touched are cleared: no walk of the whole list.
    if (m_nSelLow >= 0)
        for (int i = m_nSelLow; i <= std::min(m_nSelHigh, nMax); ++i) {
            m_items[i]->selState = 0;
            m_items[i]->selStart = m_items[i]->selEnd = -1;
        }
    auto clampChar = [&](const TextPoint& p) {
        return std::max(0, std::min(p.nChar, TextLength(*m_items[p.nItem])));
    };
    const int nAnchorChar = clampChar(anchor), nFocusChar = clampChar(focus);
    m_nAnchor = anchor.nItem;
    m_nFocus = focus.nItem;
    m_nSelLow = std::min(m_nAnchor, m_nFocus);
    m_nSelHigh = std::max(m_nAnchor, m_nFocus);
    if (m_nAnchor == m_nFocus) {
        MessageItem& item = *m_items[m_nAnchor];
        item.selStart = nAnchorChar;
        item.selEnd = nFocusChar;
        item.selState = nAnchorChar <= nFocusChar ? 2 : 3;
    } else {
        const bool bDown = m_nAnchor < m_nFocus;
        for (int i = m_nSelLow + 1; i < m_nSelHigh; ++i) {
            MessageItem& item = *m_items[i];
            item.selState = 1;
            item.selStart = 0;
            item.selEnd = TextLength(item);
        }
        MessageItem& low = *m_items[m_nSelLow];
        low.selState = 2;
        low.selStart = bDown ? nAnchorChar : nFocusChar;
        low.selEnd = TextLength(low);
        MessageItem& high = *m_items[m_nSelHigh];
        high.selState = 2;
        high.selStart = 0;
        high.selEnd = bDown ? nFocusChar : nAnchorChar;
    }
    InvalidateRect(m_hWnd, nullptr, FALSE);
}

void CMessageWindow::SelectAll() {
    SelectRange(0, GetItemCount() - 1);
}

void CMessageWindow::ClearSelection() {
    if (m_nSelLow >= 0)
        for (int i = m_nSelLow; i <= std::min(m_nSelHigh, GetItemCount() - 1); ++i) {
            m_items[i]->selState = 0;
            m_items[i]->selStart = m_items[i]->selEnd = -1;
        }
    m_nSelLow = m_nSelHigh = -1;
    m_nAnchor = m_nFocus = -1;
    InvalidateRect(m_hWnd, nullptr, FALSE);
}

std::wstring CMessageWindow::GetSelectedText() const {
    std::wstring text;
    if (m_items.empty() || m_nAnchor < 0 || m_nFocus < 0) return text;
    const int nFirst = std::min(m_nAnchor, m_nFocus), nLast = std::max(m_nAnchor, m_nFocus);
    for (int i = nFirst; i <= nLast && i < GetItemCount(); ++i) {
        text += QxItemSelectedText(*m_items[i]);
        if (i != nLast) text += L"\r\n";
        if (i + 1 < GetItemCount() && IsNotice(m_items[i + 1]->kind)) text += L"\r\n";
    }
    return text;
}

bool CMessageWindow::CopyTextToClipBorad(const std::wstring& strText) {
    Trace(L"CMessageWindow::CopyTextToClipBorad: %s, %d", strText.c_str(), static_cast<int>(strText.size()));
    const size_t cb = (strText.size() + 1) * sizeof(wchar_t);
    HGLOBAL hText = GlobalAlloc(GMEM_MOVEABLE, cb);
    if (!hText) return false;
    if (void* p = GlobalLock(hText)) {
        memcpy(p, strText.c_str(), cb);
        GlobalUnlock(hText);
    }
    if (!OpenClipboard(m_hWnd)) {
        GlobalFree(hText);
        return false;
    }
    EmptyClipboard();
    const bool bDone = SetClipboardData(CF_UNICODETEXT, hText) != nullptr;
    CloseClipboard();
    if (!bDone) GlobalFree(hText); // the clipboard took no ownership
    return bDone;
}

void CMessageWindow::SendEditCommandState(HWND hHost) const {
    if (!hHost) return;
    const BOOL bPaste = IsClipboardFormatAvailable(CF_UNICODETEXT) || IsClipboardFormatAvailable(CF_TEXT);
    SendMessageW(hHost, WM_CHAT_EDIT_CAN_COPY, 1, HasSelection());
    SendMessageW(hHost, WM_CHAT_EDIT_CAN_CUT, 0, 0);
    SendMessageW(hHost, WM_CHAT_EDIT_CAN_PASTE, 0, bPaste);
}

bool CMessageWindow::Copy() {
    // The chat dialog's parent hears the list's edit-command state first.
    HWND hDialog = GetParent(GetParent(m_hWnd));
    SendEditCommandState(hDialog ? GetParent(hDialog) : nullptr);
    if (!HasSelection()) return false;
    return CopyTextToClipBorad(GetSelectedText());
}
