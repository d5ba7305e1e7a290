// CMessageWindow: items, their bookkeeping, the deferred refresh and a plain double-buffered
// drawing with the newest items at the bottom.
#include "window/MessageWindow.h"

#include "interface/ModuleState.h"
#include "qxchat.h"
#include "resources/resource.h"
#include "trace/Trace.h"
#include "window/ChatFonts.h"
#include "window/MessageContainer.h"

#include <windowsx.h>

#include <algorithm>
#include <cstring>

const wchar_t kMessageWindowName[] = L"MessageWindow";

namespace {

const wchar_t kClassName[] = L"QxChatMessageList";
constexpr UINT_PTR kRefreshTimer = 103;
constexpr UINT kRefreshDelayMs = 300;
constexpr int kNoticePadding = 12; // extra height of kinds 3 and 4
constexpr int kTextInsetLeft = 5, kTextInsetRight = 2;
constexpr COLORREF kSelectedText = RGB(0xFF, 0xFF, 0xFF);
constexpr COLORREF kSelectedBack = RGB(0x0A, 0x24, 0x6A);

struct KindStyle {
    int nWeight;
    COLORREF text, back;
};

const KindStyle& StyleOf(DWORD kind) {
    static const KindStyle styles[] = {
        {FW_NORMAL, RGB(0, 0, 0), RGB(0xFF, 0xFF, 0xFF)},        // unknown kinds draw as text
        {FW_BOLD, RGB(0x21, 0x45, 0x6B), RGB(0xFF, 0xFF, 0xFF)}, // header
        {FW_NORMAL, RGB(0, 0, 0), RGB(0xFF, 0xFF, 0xFF)},        // message text
        {FW_NORMAL, RGB(0, 0, 0xFF), RGB(0xFF, 0xFF, 0xFF)},     // notice
        {FW_BOLD, RGB(0x66, 0x66, 0x66), RGB(0xFE, 0xFE, 0xE9)}, // highlighted notice
    };
    return styles[kind <= ITEM_HIGHLIGHT ? kind : 0];
}

bool IsNotice(DWORD kind) {
    return kind == ITEM_NOTICE || kind == ITEM_HIGHLIGHT;
}

// Text of an item as drawn and measured: an empty text still takes one line.
const wchar_t* DrawnText(const MessageItem& item) {
    return item.text.empty() ? L" " : item.text.c_str();
}

// A memory DC with its own bitmap, selected in for its lifetime.
class OffscreenDC {
public:
    OffscreenDC(HDC hdc, int cx, int cy)
        : m_hdc(CreateCompatibleDC(hdc)), m_hBitmap(CreateCompatibleBitmap(hdc, cx, cy)) {
        if (m_hdc && m_hBitmap) m_hOld = SelectObject(m_hdc, m_hBitmap);
    }
    ~OffscreenDC() {
        if (m_hOld) SelectObject(m_hdc, m_hOld);
        if (m_hBitmap) DeleteObject(m_hBitmap);
        if (m_hdc) DeleteDC(m_hdc);
    }
    OffscreenDC(const OffscreenDC&) = delete;
    OffscreenDC& operator=(const OffscreenDC&) = delete;
    HDC Get() const { return m_hOld ? m_hdc : nullptr; }

private:
    HDC m_hdc;
    HBITMAP m_hBitmap;
    HGDIOBJ m_hOld = nullptr;
};

} // namespace

// The list's drawing objects: the kinds' normal and bold fonts and a memory DC for measuring.
struct CMessageWindow::Fonts {
    GdiFont normal, bold;
    HDC hMeasure = CreateCompatibleDC(nullptr);
    Fonts() = default;
    Fonts(const Fonts&) = delete;
    Fonts& operator=(const Fonts&) = delete;
    ~Fonts() {
        if (hMeasure) DeleteDC(hMeasure);
    }
    HFONT For(DWORD kind) const { return StyleOf(kind).nWeight == FW_BOLD ? bold.Get() : normal.Get(); }
};

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
        wc.hCursor = LoadCursorW(nullptr, IDC_IBEAM);
        wc.lpszClassName = kClassName;
        if (!RegisterClassExW(&wc)) return nullptr;
    }
    // The window owns the object only once it exists: a creation that fails part-way (a window
    // destroyed inside CreateWindowEx) leaves it to this function, so it is freed exactly once.
    auto* self = new CMessageWindow();
    HWND hWnd =
        CreateWindowExW(0, kClassName, kMessageWindowName, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, rc.left,
                        rc.top, rc.right - rc.left, rc.bottom - rc.top, hParent, nullptr, hInstance, self);
    if (!hWnd) {
        delete self;
        return nullptr;
    }
    self->m_bOwnedByWindow = true;
    return self;
}

CMessageWindow* CMessageWindow::FromHwnd(HWND hWnd) {
    if (!hWnd || !IsWindow(hWnd)) return nullptr;
    wchar_t szClass[64] = {};
    GetClassNameW(hWnd, szClass, 64);
    if (wcscmp(szClass, kClassName) != 0) return nullptr;
    return reinterpret_cast<CMessageWindow*>(GetWindowLongPtrW(hWnd, GWLP_USERDATA));
}

void CMessageWindow::UnregisterWindowClass() {
    UnregisterClassW(kClassName, QxThisModule());
}

LRESULT CALLBACK CMessageWindow::WndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    if (uMsg == WM_NCCREATE) {
        auto* self = static_cast<CMessageWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->m_hWnd = hWnd;
        SetWindowLongPtrW(hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<CMessageWindow*>(GetWindowLongPtrW(hWnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hWnd, uMsg, wParam, lParam);
    const LRESULT result = self->HandleMessage(uMsg, wParam, lParam);
    if (uMsg == WM_NCDESTROY) {
        SetWindowLongPtrW(hWnd, GWLP_USERDATA, 0);
        self->m_hWnd = nullptr;
        if (self->m_bOwnedByWindow) delete self;
    }
    return result;
}

LRESULT CMessageWindow::HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam) {
    switch (uMsg) {
    case WM_CREATE: OnCreate(); return 0;
    case WM_SIZE: OnSize(LOWORD(lParam)); return 0;
    case WM_ERASEBKGND: return 1; // painting covers the whole client area
    case WM_PAINT: OnPaint(); return 0;
    case WM_PRINTCLIENT: {
        RECT rc = {};
        GetClientRect(m_hWnd, &rc);
        PaintItems(reinterpret_cast<HDC>(wParam), rc);
        return 0;
    }
    case WM_TIMER: OnTimer(wParam); return 0;
    case WM_LBUTTONDOWN: SetFocus(m_hWnd); return 0;
    case WM_GETDLGCODE: return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_KEYDOWN:
        if (OnKeyDown(wParam)) return 0;
        break;
    case WM_CONTEXTMENU: OnContextMenu(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)); return 0;
    case WM_DESTROY: KillTimer(m_hWnd, kRefreshTimer); return 0;
    default: break;
    }
    return DefWindowProcW(m_hWnd, uMsg, wParam, lParam);
}

void CMessageWindow::OnCreate() {
    m_pFonts = std::make_unique<Fonts>();
    m_pFonts->normal = QxCreateChatFont(FW_NORMAL, false);
    m_pFonts->bold = QxCreateChatFont(FW_BOLD, false);
    for (DWORD kind = ITEM_HEADER; kind <= ITEM_HIGHLIGHT; ++kind) {
        HGDIOBJ hOld = SelectObject(m_pFonts->hMeasure, m_pFonts->For(kind));
        SIZE sz = {};
        GetTextExtentPoint32W(m_pFonts->hMeasure, L"ABC", 3, &sz);
        SelectObject(m_pFonts->hMeasure, hOld);
        m_nLineHeight[kind] = sz.cy;
    }
    if (QxHasResourceLibrary()) m_hMenu = LoadMenuW(QxResourceModule(), MAKEINTRESOURCEW(IDR_POPUP_MENUS));
    RECT rc = {};
    GetClientRect(m_hWnd, &rc);
    m_nWidth = rc.right;
}

int CMessageWindow::LineHeight(DWORD kind) const {
    return kind >= ITEM_HEADER && kind <= ITEM_HIGHLIGHT ? m_nLineHeight[kind] : 0;
}

void CMessageWindow::OnSize(int cx) {
    if (cx == 0 || cx == m_nWidth) {
        InvalidateRect(m_hWnd, nullptr, FALSE);
        return;
    }
    // A new width changes every item's line breaks; painting re-measures the ones it reaches.
    m_nWidth = cx;
    for (auto& pItem : m_items)
        pItem->needsLayout = true;
    InvalidateRect(m_hWnd, nullptr, FALSE);
}

void CMessageWindow::LayoutItem(MessageItem& item, HDC hdc) const {
    item.left = std::min(item.margin, std::max(0, m_nWidth - 1));
    item.right = m_nWidth;
    item.top = 0;
    RECT rc = {0, 0, std::max(1, m_nWidth - item.margin - kTextInsetLeft - kTextInsetRight), 0};
    HGDIOBJ hOld = SelectObject(hdc, m_pFonts->For(item.kind));
    DrawTextW(hdc, DrawnText(item), -1, &rc,
              DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_EDITCONTROL | DT_NOPREFIX);
    SelectObject(hdc, hOld);
    item.height = (rc.bottom - rc.top) + (IsNotice(item.kind) ? kNoticePadding : 0);
    item.needsLayout = false;
}

void CMessageWindow::Append(std::unique_ptr<MessageItem> pItem, bool bFromEngine) {
    if (!pItem) return;
    if (m_pFonts && m_nWidth > 0) LayoutItem(*pItem, m_pFonts->hMeasure);
    m_nTextSizeSum += 2 * pItem->text.size() + 8;
    m_items.push_back(std::move(pItem));
    m_bUnsaved = m_bUnsavedAutoSave = true;
    if (!bFromEngine) return;
    if (!m_bRefreshTimer) {
        m_bRefreshTimer = SetTimer(m_hWnd, kRefreshTimer, kRefreshDelayMs, nullptr) != 0;
        m_dwRefreshDue = GetTickCount() + kRefreshDelayMs;
    } else if (static_cast<LONG>(GetTickCount() - m_dwRefreshDue) >= 0) {
        // Timer messages wait for an empty queue, and a burst keeps the queue full: refresh
        // when the timer is due, so the burst still shows once per period.
        OnTimer(kRefreshTimer);
    }
}

void CMessageWindow::ShowMessage(const std::wstring& strSender, const std::wstring& strText,
                                 const std::wstring& strRest, const std::wstring& strDate,
                                 const std::wstring& strTime) {
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
}

void CMessageWindow::ShowNotice(DWORD dwSubtype, const std::wstring& strText, const std::wstring& strDate,
                                const std::wstring& strTime) {
    if (dwSubtype == 1 || dwSubtype == 7 || dwSubtype == 9) {
        QxSetIndicationLine(GetParent(m_hWnd), dwSubtype, strText);
        return;
    }
    auto pItem = std::make_unique<MessageItem>();
    pItem->kind = (dwSubtype == 6 || dwSubtype == 8) ? ITEM_HIGHLIGHT : ITEM_NOTICE;
    pItem->text = strText;
    pItem->date = strDate;
    pItem->time = strTime;
    Append(std::move(pItem), true);
}

void CMessageWindow::OnTimer(UINT_PTR nId) {
    if (nId != kRefreshTimer) return;
    KillTimer(m_hWnd, kRefreshTimer);
    m_bRefreshTimer = false;
    Refresh();
}

// Items are measured when added; the ones a width change left unmeasured are measured by the
// painting that reaches them, so a refresh costs only the visible items.
void CMessageWindow::Refresh() {
    ++m_nRefreshCount;
    InvalidateRect(m_hWnd, nullptr, FALSE);
    // Painting, like the timer, would wait for the burst to end.
    UpdateWindow(m_hWnd);
}

void CMessageWindow::ClearUnsaved(bool bAutoSave) {
    (bAutoSave ? m_bUnsavedAutoSave : m_bUnsaved) = false;
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

// Newest items at the bottom: walks up from the last item and stops above the client area.
void CMessageWindow::PaintItems(HDC hdc, const RECT& rc) const {
    FillRect(hdc, &rc, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    if (!m_pFonts) return;
    SetBkMode(hdc, TRANSPARENT);
    int bottom = rc.bottom;
    for (auto it = m_items.rbegin(); it != m_items.rend() && bottom > 0; ++it) {
        MessageItem& item = **it;
        if (item.needsLayout) LayoutItem(item, m_pFonts->hMeasure);
        const int top = bottom - item.height;
        const KindStyle& style = StyleOf(item.kind);
        const bool bSelected = item.selState != 0;
        RECT rcItem = {item.left, top, item.right, bottom};
        if (bSelected || style.back != RGB(0xFF, 0xFF, 0xFF)) {
            GdiBrush brush(CreateSolidBrush(bSelected ? kSelectedBack : style.back));
            FillRect(hdc, &rcItem, brush.Get());
        }
        RECT rcText = {item.left + kTextInsetLeft, top + (IsNotice(item.kind) ? kNoticePadding / 2 : 0),
                       item.right - kTextInsetRight, bottom};
        HGDIOBJ hOld = SelectObject(hdc, m_pFonts->For(item.kind));
        SetTextColor(hdc, bSelected ? kSelectedText : style.text);
        DrawTextW(hdc, DrawnText(item), -1, &rcText,
                  DT_WORDBREAK | DT_EXPANDTABS | DT_EDITCONTROL | DT_NOPREFIX);
        SelectObject(hdc, hOld);
        bottom = top;
    }
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
    for (int i = std::min(m_nAnchor, m_nFocus); i <= std::max(m_nAnchor, m_nFocus); ++i) {
        MessageItem& item = *m_items[i];
        item.selState = 1;
        item.selStart = 0;
        item.selEnd = static_cast<int>(item.text.size());
    }
    InvalidateRect(m_hWnd, nullptr, FALSE);
}

void CMessageWindow::SelectAll() {
    SelectRange(0, GetItemCount() - 1);
}

void CMessageWindow::ClearSelection() {
    for (auto& pItem : m_items) {
        pItem->selState = 0;
        pItem->selStart = pItem->selEnd = -1;
    }
    m_nAnchor = m_nFocus = -1;
    InvalidateRect(m_hWnd, nullptr, FALSE);
}

std::wstring CMessageWindow::GetSelectedText() const {
    std::wstring text;
    if (m_items.empty() || m_nAnchor < 0 || m_nFocus < 0) return text;
    const int nFirst = std::min(m_nAnchor, m_nFocus), nLast = std::max(m_nAnchor, m_nFocus);
    text.reserve(m_nTextSizeSum / 2);
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

bool CMessageWindow::Copy() {
    // The chat dialog's parent hears the list's edit-command state: cut is never possible here.
    HWND hDialog = GetParent(GetParent(m_hWnd));
    if (HWND hHost = hDialog ? GetParent(hDialog) : nullptr) {
        const BOOL bPaste = IsClipboardFormatAvailable(CF_UNICODETEXT) || IsClipboardFormatAvailable(CF_TEXT);
        SendMessageW(hHost, WM_CHAT_EDIT_CAN_CUT, 0, 0);
        SendMessageW(hHost, WM_CHAT_EDIT_CAN_COPY, 1, HasSelection());
        SendMessageW(hHost, WM_CHAT_EDIT_CAN_PASTE, 0, bPaste);
    }
    if (!HasSelection()) return false;
    return CopyTextToClipBorad(GetSelectedText());
}

bool CMessageWindow::OnKeyDown(WPARAM vk) {
    if (GetKeyState(VK_CONTROL) >= 0) return false;
    if (vk == 'A')
        SelectAll();
    else if (vk == 'C')
        Copy();
    else
        return false;
    return true;
}

void CMessageWindow::OnContextMenu(int x, int y) {
    HMENU hPopup = m_hMenu ? GetSubMenu(m_hMenu, IDM_POPUP_MESSAGE_LIST) : nullptr;
    if (!hPopup) return;
    if (x == -1 && y == -1) { // from the keyboard: at the caret's place, the list's corner
        POINT pt = {0, 0};
        ClientToScreen(m_hWnd, &pt);
        x = pt.x;
        y = pt.y;
    }
    EnableMenuItem(hPopup, IDM_LIST_COPY, MF_BYCOMMAND | (HasSelection() ? MF_ENABLED : MF_GRAYED));
    EnableMenuItem(hPopup, IDM_LIST_RESERVED, MF_BYCOMMAND | MF_GRAYED);
    EnableMenuItem(hPopup, IDM_LIST_SELECT_ALL, MF_BYCOMMAND | (HasItems() ? MF_ENABLED : MF_GRAYED));
    const UINT cmd = TrackPopupMenu(hPopup, TPM_RETURNCMD | TPM_RIGHTBUTTON, x, y, 0, m_hWnd, nullptr);
    if (cmd == IDM_LIST_COPY)
        Copy();
    else if (cmd == IDM_LIST_SELECT_ALL)
        SelectAll();
}
