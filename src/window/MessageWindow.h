// CMessageWindow: the message list inside the message container (window name "MessageWindow").
// It owns the items, wraps them to its width, scrolls in 12-pixel lines and follows new
// messages unless the user scrolled away, finds and opens links, and selects and copies text
// with the mouse and keys. Items added by the engine are refreshed together by timer 103, so a
// burst costs one refresh. Heights are kept with running sums, so refreshing, scrolling and
// painting do not walk the whole list.
#pragma once

#include "window/MessageItem.h"
#include "window/ScrollModel.h"
#include "window/TextWrap.h"

#include <windows.h>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

extern const wchar_t kMessageWindowName[];

class ILinkLauncher;
class CListAccessibility;

// Timers of the list.
enum : UINT_PTR { TIMER_INCREMENTAL_LAYOUT = 101, TIMER_DRAG_SCROLL = 102, TIMER_REFRESH = 103 };
constexpr UINT kIncrementalLayoutMs = 200, kDragScrollMs = 100, kRefreshDelayMs = 300;
constexpr int kIncrementalLayoutItems = 700; // per tick, and the item count that makes a layout incremental
constexpr int kDragScrollLines = 3;

// A point inside the list's text: an item and a character boundary (or character) in it.
struct TextPoint {
    int nItem = -1;
    int nChar = -1;
};

class CMessageWindow {
public:
    // Creates the list as a visible child of hParent; null on failure. The window owns the
    // object: it is freed when the window is destroyed.
    static CMessageWindow* Create(HWND hParent, const RECT& rc);
    // The object behind a list window, or null.
    static CMessageWindow* FromHwnd(HWND hWnd);
    static void UnregisterWindowClass();

    HWND GetHwnd() const { return m_hWnd; }

    // Kind 1 + kind 2, timer 103; the user's own message (bOwn) is not announced to screen readers.
    void ShowMessage(const std::wstring& strSender, const std::wstring& strText, const std::wstring& strRest,
                     const std::wstring& strDate, const std::wstring& strTime, bool bOwn = false);
    void ShowNotice(DWORD dwSubtype, const std::wstring& strText, const std::wstring& strDate,
                    const std::wstring& strTime);
    void Append(std::unique_ptr<MessageItem> pItem, bool bFromEngine); // the transcript loader passes false
    void Refresh();

    int GetItemCount() const { return static_cast<int>(m_items.size()); }
    const MessageItem& GetItem(int nIndex) const { return *m_items[nIndex]; }
    int RefreshCount() const { return m_nRefreshCount; } // refreshes done so far
    // The milliseconds clock that tells when a burst's refresh is due (tests drive their own).
    using Clock = DWORD(WINAPI*)();
    void SetClock(Clock clock) { m_clock = clock ? clock : GetTickCount; }
    bool IsRefreshPending() const { return m_bRefreshTimer; }

    bool IsUnsaved() const { return m_bUnsaved; }
    bool IsUnsavedSinceAutoSave() const { return m_bUnsavedAutoSave; }
    void ClearUnsaved(bool bAutoSave); // clears the auto-save flag when bAutoSave, else the save flag
    size_t TextSizeSum() const { return m_nTextSizeSum; } // sum of 2 * text length + 8

    bool HasItems() const { return !m_items.empty(); }
    bool HasSelection() const;
    void SelectAll();
    void ClearSelection();
    // Items from nFirst to nLast (inclusive, any order) become wholly selected.
    void SelectRange(int nFirst, int nLast);
    // From the anchor point to the focus point: the items between wholly, the two ends partly.
    void SelectText(TextPoint anchor, TextPoint focus);
    // The selected text: items joined by "\r\n", and "\r\n" before every notice.
    std::wstring GetSelectedText() const;
    // Ctrl+C and the popup menu: the edit-command state to the host, then the selected text to
    // the clipboard. False when nothing was put.
    bool Copy();
    // Puts the text on the clipboard as Unicode text; false when the clipboard is unavailable.
    bool CopyTextToClipBorad(const std::wstring& strText);
    // Tells hHost what the list allows: copy with a selection, never cut, paste with text on
    // the clipboard (in the order copy, cut, paste).
    void SendEditCommandState(HWND hHost) const;

    void SetBrowserType(LONG lBrowserType) { m_lBrowserType = lBrowserType; }
    LONG GetBrowserType() const { return m_lBrowserType; }
    // While the predicate holds, clicks, drags, double-clicks and the menu are ignored.
    void SetMouseLock(std::function<bool()> isLocked) { m_isMouseLocked = std::move(isLocked); }
    // Where opened links go; null restores the system's launcher.
    void SetLinkLauncher(ILinkLauncher* pLauncher);
    // The line height of a kind: the height of "ABC" in the kind's font.
    int LineHeight(DWORD kind) const;

    // Geometry, for the owner and tests.
    const CScrollModel& ScrollState() const { return m_scroll; }
    long long TotalHeight() const { return m_heights.Total(); }
    long long HeightAbove(int nIndex) const { return m_heights.Above(nIndex); }
    int LayoutWidth() const { return m_nWidth; }
    bool IsIncrementalLayout() const { return m_bIncremental; }
    bool IsMouseSelecting() const { return m_bMouseSelecting; }
    bool IsDragScrolling() const { return m_bDragTimer; }
    int FirstVisible() const { return m_nFirstVisible; }
    int LastVisible() const { return m_nLastVisible; }
    // Items the selection touches (low and high index), -1 when none.
    int SelectionLow() const { return m_nSelLow; }
    int SelectionHigh() const { return m_nSelHigh; }
    // The list's accessible side; null before creation and after destruction.
    CListAccessibility* Accessibility() const { return m_pAccessibility.get(); }
    // A user's scroll step as the scroll bar gives it, followed by nothing else.
    void Scroll(ScrollAction action, int nTrack = 0);
    // The item under a client point and the character boundary nearest to it.
    TextPoint HitTest(POINT pt) const;
    // The link under a client point: item and link index, or nItem -1.
    TextPoint LinkAt(POINT pt) const;
    // Client rectangle of character nChar of an item as last laid out (for tests and tools).
    RECT CharRect(int nItem, int nChar) const;
    // The resource menu's list popup, or null without a resource library.
    HMENU PopupMenu() const;
    // The item's wrap at the current width (line starts and character positions).
    WrappedText WrapItem(const MessageItem& item) const;
    // Every character's advance as the item's font measures the whole text (what WrapItem
    // must agree with when it takes printable ASCII from its table).
    std::vector<int> MeasureAdvances(const MessageItem& item) const;

private:
    struct Fonts;
    CMessageWindow() = default;
    ~CMessageWindow();
    static LRESULT CALLBACK WndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam);
    void OnCreate();
    void OnDestroy();
    void OnSize();
    void OnPaint();
    void OnTimer(UINT_PTR nId);
    bool OnKeyDown(WPARAM vk);
    void OnVScroll(WORD wCode);
    void OnMouseWheel(short nDelta);
    void OnLButtonDown(POINT pt);
    void OnMouseMove(POINT pt);
    void OnLButtonUp(POINT pt);
    void OnLButtonDblClk(POINT pt);
    bool OnSetCursor();
    void OnContextMenu(int x, int y);
    void OnIncrementalTick();
    void OnDragTick();

    void RefreshLayout(); // a refresh that the refresh count leaves out
    int ItemLineHeight(DWORD kind) const;
    bool MouseLocked() const { return m_isMouseLocked && m_isMouseLocked(); }
    int ComputeLayoutWidth() const;
    bool FitsOneLine(const MessageItem& item) const;
    void LayoutItem(int nIndex);
    void LayoutAll();
    void StopIncrementalLayout();
    void UpdateScroll(bool bFollow);
    void ApplyScrollBar();
    void ScrollStep(ScrollAction action, int nTrack = 0);
    void EndMouseSelection();
    long long ItemTop(int nIndex) const; // client y of the item's top
    bool DrawsUpwards() const { return m_bIncremental && !m_scroll.UserScrolled(); }
    void PaintItems(HDC hdc, const RECT& rc);
    void DrawItem(HDC hdc, const MessageItem& item, int top, const RECT& rc) const;
    void Repaint();

    HWND m_hWnd = nullptr;
    // A deque grows without moving what it holds: a long list is never copied into fresh memory.
    std::deque<std::unique_ptr<MessageItem>> m_items;
    CItemHeights m_heights;
    CScrollModel m_scroll;
    std::vector<int> m_pending; // appended before the width was known
    std::unique_ptr<Fonts> m_pFonts;
    int m_nLineHeight[5] = {};
    int m_nWidth = 0;  // layout width: the client width with the scroll bar shown
    int m_nHeight = 0; // client height
    int m_nLastIndex = -1;
    bool m_bNewItems = false;
    bool m_bIncremental = false;
    int m_nLayoutNext = 0; // where the incremental layout looks next
    bool m_bInScrollUpdate = false;
    int m_nFirstVisible = -1, m_nLastVisible = -1;

    int m_nAnchor = -1, m_nFocus = -1;
    int m_nSelLow = -1, m_nSelHigh = -1; // items the current selection touches
    int m_nAnchorChar = -1;
    bool m_bMouseSelecting = false, m_bMoved = false;
    POINT m_ptDown = {}, m_ptLast = {};
    TextPoint m_downLink;
    bool m_bDragTimer = false;
    int m_nDragDirection = 0; // -1 up, 1 down

    bool m_bRefreshTimer = false;
    DWORD m_dwRefreshDue = 0; // tick count when the pending refresh is due
    Clock m_clock = GetTickCount;
    int m_nRefreshCount = 0;
    bool m_bUnsaved = false, m_bUnsavedAutoSave = false;
    size_t m_nTextSizeSum = 0;
    LONG m_lBrowserType = 0;
    HMENU m_hMenu = nullptr;
    HCURSOR m_hHand = nullptr, m_hIBeam = nullptr, m_hArrow = nullptr;
    bool m_bMenuOpen = false;
    std::function<bool()> m_isMouseLocked;
    ILinkLauncher* m_pLauncher = nullptr;
    bool m_bOwnedByWindow = false; // set once creation has succeeded
    std::unique_ptr<CListAccessibility> m_pAccessibility;
    int m_nAnnounce = -1; // newest item from others since the last refresh, announced by it
};
