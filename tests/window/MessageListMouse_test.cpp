// The list under the mouse: selection by dragging (partly and wholly selected items, the line
// break rules), drag-scrolling, the double-click, links opened by a click, the cursors, the
// popup menu through the UI library, the lock without the send privilege, and the painting of
// selections, links and strange texts.
#include "MessageListFixture.h"

#include "module/ModuleState.h"
#include "qxskin7.h"
#include "resources/resource.h"

using namespace windowtest;

namespace {

using MessageListMouse = MessageListTest;

// A conversation that fits the window: Alice's message, a notice, Bob's message.
void Conversation(CMessageWindow* list) {
    list->ShowMessage(L"Alice", L"Hello world", L" says:", L"d", L"t");
    list->ShowNotice(3, L"Bob joined", L"d", L"t");
    list->ShowMessage(L"Bob", L"Hi there", L" says:", L"d", L"t");
    list->Refresh();
}

// Just right of a character's left edge: the boundary before it.
POINT BoundaryPoint(CMessageWindow* list, int nItem, int nChar) {
    const RECT rc = list->CharRect(nItem, nChar);
    return POINT{rc.left + 1, (rc.top + rc.bottom) / 2};
}

TEST_F(MessageListMouse, DraggingSelectsFromTheAnchorToThePointer) {
    Conversation(list);
    Down(BoundaryPoint(list, 1, 6));
    EXPECT_EQ(GetCapture(), hList);
    EXPECT_EQ(GetFocus(), hList);
    Move(BoundaryPoint(list, 4, 2));
    EXPECT_EQ(list->GetSelectedText(), L"world\r\n\r\nBob joined\r\nBob says:\r\nHi");
    EXPECT_EQ(list->GetItem(0).selState, 0u);
    EXPECT_EQ(list->GetItem(1).selState, 2u);
    EXPECT_EQ(list->GetItem(2).selState, 1u);
    EXPECT_EQ(list->GetItem(3).selState, 1u);
    EXPECT_EQ(list->GetItem(4).selState, 2u);
    // Back above the anchor: the items below it are no longer selected. The notice after the
    // last selected item still gets its line break.
    Move(BoundaryPoint(list, 0, 0));
    EXPECT_EQ(list->GetSelectedText(), L"Alice says:\r\nHello \r\n");
    EXPECT_EQ(list->GetItem(4).selState, 0u);
    EXPECT_EQ(list->GetItem(2).selState, 0u);
    // Within one item, either way round.
    Move(BoundaryPoint(list, 1, 2));
    EXPECT_EQ(list->GetSelectedText(), L"llo \r\n");
    Up(BoundaryPoint(list, 1, 2));
    EXPECT_NE(GetCapture(), hList);
    EXPECT_FALSE(list->IsMouseSelecting());
    EXPECT_TRUE(list->HasSelection());
    EXPECT_TRUE(launcher.opened.empty());
    // The next press starts afresh.
    Down(BoundaryPoint(list, 4, 0));
    EXPECT_FALSE(list->HasSelection());
    EXPECT_EQ(list->GetItem(1).selState, 0u);
    Up(BoundaryPoint(list, 4, 0));
}

TEST_F(MessageListMouse, PointsBesideTheTextSnapToTheItemsEdges) {
    Conversation(list);
    const RECT rc = list->CharRect(1, 0);
    Down(POINT{rc.left + 1, rc.top + 2});
    Move(POINT{ClientRectOf(hList).right - 1, rc.top + 2}); // right of "Hello world"
    EXPECT_EQ(list->GetSelectedText(), L"Hello world\r\n"); // the break before the notice
    EXPECT_EQ(list->GetItem(1).selStart, 0);
    EXPECT_EQ(list->GetItem(1).selEnd, 11);
    Move(POINT{5, ClientRectOf(hList).bottom - 2}); // below every item: the last one's end
    EXPECT_EQ(list->GetSelectedText(), L"Hello world\r\n\r\nBob joined\r\nBob says:\r\nHi there");
    Up(POINT{5, 5});
}

TEST_F(MessageListMouse, ADoubleClickSelectsOneWholeMessage) {
    Conversation(list);
    const struct {
        int nItem;
        const wchar_t* expected;
    } cases[] = {{1, L"Alice says:\r\nHello world\r\n"}, // the notice after it adds its break
                 {0, L"Alice says:\r\nHello world\r\n"},
                 {2, L"Bob joined"},
                 {4, L"Bob says:\r\nHi there"}};
    for (const auto& c : cases) {
        const POINT pt = CharPoint(c.nItem, 1);
        Click(pt);
        SendMessageW(hList, WM_LBUTTONDBLCLK, MK_LBUTTON, At(pt));
        Up(pt);
        EXPECT_EQ(list->GetSelectedText(), c.expected) << c.nItem;
    }
    list->Copy();
    EXPECT_EQ(ClipboardText(), L"Bob says:\r\nHi there");
}

TEST_F(MessageListMouse, AClickThatDidNotMoveOpensTheLinkUnderIt) {
    Say(L"Alice", L"see www.example.com. or ftp.files.org");
    list->Refresh();
    Click(CharPoint(1, 8));
    ASSERT_EQ(launcher.opened, std::vector<std::wstring>{L"http://www.example.com"});
    Click(CharPoint(1, 19)); // the trailing stop belongs to the range
    EXPECT_EQ(launcher.opened.size(), 2u);
    Click(CharPoint(1, 30));
    EXPECT_EQ(launcher.opened.back(), L"ftp://ftp.files.org");
    launcher.opened.clear();
    Click(CharPoint(1, 1)); // plain text
    Click(CharPoint(0, 1)); // the header
    // Down on the link, a move, and up on it again: a selection, not a click.
    Down(CharPoint(1, 8));
    Move(CharPoint(1, 12));
    Up(CharPoint(1, 8));
    // Down on one link and up on the other.
    Down(CharPoint(1, 8));
    Up(CharPoint(1, 30));
    EXPECT_TRUE(launcher.opened.empty());
}

TEST_F(MessageListMouse, DraggingBelowTheWindowScrollsThreeLinesPerTickToTheBottom) {
    Fill(50);
    Key(VK_HOME);
    Down(POINT{20, 20});
    Move(POINT{20, ClientHeight() + 30});
    ASSERT_TRUE(list->IsDragScrolling());
    Tick(TIMER_DRAG_SCROLL);
    EXPECT_EQ(Pos(), 3);
    Tick(TIMER_DRAG_SCROLL);
    EXPECT_EQ(Pos(), 6);
    // The selection reaches the last character in view.
    UpdateWindow(hList);
    const int last = list->LastVisible();
    EXPECT_EQ(list->GetItem(last).selState != 0, true);
    int ticks = 0;
    while (list->IsDragScrolling() && ticks < 200) {
        Tick(TIMER_DRAG_SCROLL);
        ++ticks;
    }
    EXPECT_FALSE(list->IsDragScrolling());
    EXPECT_EQ(Pos(), Bottom());
    EXPECT_EQ(ticks, (Bottom() - 6 + 2) / 3);
    const std::wstring selected = list->GetSelectedText();
    EXPECT_EQ(selected.substr(selected.size() - 17), L"message number 49");
    // Back above the window from the bottom: upwards.
    Move(POINT{20, -10});
    ASSERT_TRUE(list->IsDragScrolling());
    const int bottom = Pos();
    Tick(TIMER_DRAG_SCROLL);
    EXPECT_EQ(Pos(), bottom - 3);
    // Back inside: the timer stops.
    Move(POINT{20, 40});
    EXPECT_FALSE(list->IsDragScrolling());
    Up(POINT{20, 40});
}

TEST_F(MessageListMouse, WithoutTheSendPrivilegeTheMouseDoesNothing) {
    Say(L"Alice", L"see www.example.com now");
    list->Refresh();
    bool locked = true;
    list->SetMouseLock([&] { return locked; });
    Down(CharPoint(1, 0));
    Move(CharPoint(1, 3));
    Up(CharPoint(1, 3));
    EXPECT_FALSE(list->HasSelection());
    Click(CharPoint(1, 6));
    SendMessageW(hList, WM_LBUTTONDBLCLK, MK_LBUTTON, At(CharPoint(1, 1)));
    EXPECT_FALSE(list->HasSelection());
    EXPECT_TRUE(launcher.opened.empty());
    EXPECT_NE(GetCapture(), hList);
    // Keys still work.
    {
        CtrlHeld ctrl;
        Key('A');
    }
    EXPECT_TRUE(list->HasSelection());
    locked = false;
    Click(CharPoint(1, 6));
    EXPECT_EQ(launcher.opened.size(), 1u);
}

TEST_F(MessageListMouse, PartialSelectionsAndLinksAreDrawnInTheirColours) {
    Say(L"Alice", L"Hello world http://example.org/path");
    list->Refresh();
    list->SelectText(TextPoint{1, 2}, TextPoint{1, 5});
    PaintedClient painted(hList);
    auto countIn = [&](RECT rc, COLORREF colour) {
        int n = 0;
        for (int y = rc.top; y < rc.bottom; ++y)
            for (int x = rc.left; x < rc.right; ++x)
                n += painted.At(x, y) == colour;
        return n;
    };
    const COLORREF selBack = RGB(0x0A, 0x24, 0x6A), blue = RGB(0, 0, 0xFF);
    const RECT selected = list->CharRect(1, 3);
    EXPECT_GT(countIn(selected, selBack), 0);
    EXPECT_GT(countIn(selected, RGB(0xFF, 0xFF, 0xFF)), 0); // the letter in white
    EXPECT_EQ(countIn(list->CharRect(1, 0), selBack), 0);
    EXPECT_EQ(countIn(list->CharRect(1, 7), selBack), 0);
    RECT link = list->CharRect(1, 12);
    link.right = list->CharRect(1, 30).right;
    EXPECT_GT(countIn(link, blue), 0);
    EXPECT_EQ(countIn(list->CharRect(1, 7), blue), 0);
    // The underline: a blue row below the letters, across the link.
    bool underlined = false;
    for (int y = link.top; y < link.bottom; ++y)
        underlined = underlined ||
                     countIn(RECT{link.left, y, link.right, y + 1}, blue) > (link.right - link.left) * 3 / 4;
    EXPECT_TRUE(underlined);
}

TEST_F(MessageListMouse, DrawingStartsAtTheScrollPositionAndCutsLinesAtTheBottom) {
    Fill(50);
    Key(VK_HOME);
    {
        PaintedClient painted(hList);
        // The first header at the very top, in the header colour.
        EXPECT_TRUE(painted.BandHas(0, list->LineHeight(ITEM_HEADER), RGB(0x21, 0x45, 0x6B)));
    }
    UpdateWindow(hList);
    EXPECT_EQ(list->FirstVisible(), 0);
    // Every line that starts less than 13 pixels above the bottom is left out.
    const int clientBottom = ClientHeight();
    PaintedClient painted(hList);
    for (int i = list->FirstVisible(); i <= list->LastVisible(); ++i) {
        const RECT rc = list->CharRect(i, 0);
        if (rc.top + 13 > clientBottom && rc.top < clientBottom) {
            for (int y = rc.top; y < clientBottom; ++y)
                for (int x = 0; x < 100; ++x)
                    ASSERT_EQ(painted.At(x, y), RGB(0xFF, 0xFF, 0xFF)) << "item " << i << " y " << y;
        }
    }
    // Page by page through the list, the first visible item follows the position.
    for (int step = 0; step < 5; ++step) {
        Key(VK_NEXT);
        UpdateWindow(hList);
        const int first = list->FirstVisible();
        EXPECT_LE(list->HeightAbove(first), list->ScrollState().Shift());
        EXPECT_GT(list->HeightAbove(first) + list->GetItem(first).height, list->ScrollState().Shift());
    }
}

TEST_F(MessageListMouse, StrangeTextsWrapAndPaintWithoutHarm) {
    list->Append(Item(ITEM_TEXT, std::wstring(1000, L'W')), false);
    list->Append(Item(ITEM_TEXT, std::wstring(500, L'\t') + L"end"), false);
    list->Append(Item(ITEM_TEXT, L"http://" + std::wstring(5000, L'x')), false);
    list->Append(Item(ITEM_TEXT, L"e\x0301\x0301\x0301 \x05E9\x05DC\x05D5\x05DD \x0627\x0644\x0633 "
                                 L"\xD83D\xDE00\xD83D\xDE01 a\xDC00z\xD800"),
                 false);
    list->Append(Item(ITEM_NOTICE, L"\r\n\r\n"), false);
    list->Refresh();
    const int line = list->LineHeight(ITEM_TEXT);
    // A word without a break wraps by character: many lines, each inside the list's width.
    for (int nItem : {0, 2}) {
        const MessageItem& item = list->GetItem(nItem);
        const WrappedText wrap = list->WrapItem(item);
        EXPECT_GT(wrap.LineCount(), 20) << nItem;
        EXPECT_EQ(item.height, wrap.LineCount() * line) << nItem;
        for (size_t i = 0; i < item.text.size(); ++i)
            ASSERT_LE(wrap.x[i] + wrap.width[i], list->LayoutWidth()) << nItem << " " << i;
    }
    // A run of tabs hangs at its line's end instead of filling lines; the word after it starts
    // the next line, where it can be seen.
    const WrappedText tabs = list->WrapItem(list->GetItem(1));
    ASSERT_EQ(tabs.LineCount(), 2);
    EXPECT_EQ(tabs.lineStarts[1], 500);
    EXPECT_EQ(list->GetItem(1).height, 2 * line);
    ASSERT_EQ(list->GetItem(2).links.size(), 1u);
    for (UINT vk : {VK_HOME, VK_NEXT, VK_NEXT, VK_DOWN, VK_END, VK_PRIOR}) {
        Key(vk);
        UpdateWindow(hList);
        PaintedClient painted(hList);
    }
    list->SelectAll();
    // Each text, "\r\n" after all but the last, and one more before the notice.
    EXPECT_EQ(list->GetSelectedText().size(), 1000u + 2 + 503 + 2 + 5007 + 2 + 23 + 2 + 2 + 4);
    UpdateWindow(hList);
}

// The menu and the hand cursor come from the resource library.
class MessageListResources : public MessageListTest {
protected:
    void SetUp() override {
        hResources = LoadLibraryW(L"qxres.dll");
        ASSERT_NE(hResources, nullptr);
        QxSetResourceModule(hResources);
        MessageListTest::SetUp();
    }
    void TearDown() override {
        MessageListTest::TearDown();
        QxSetResourceModule(nullptr);
        FreeLibrary(hResources);
    }
    static QXSKIN_DIAGNOSTICS Skin() {
        QXSKIN_DIAGNOSTICS d = {};
        d.cbSize = sizeof(d);
        SkinGetDiagnostics(&d);
        return d;
    }
    HMODULE hResources = nullptr;
};

// What the open menu showed, read by a timer while the menu loop runs, and the keys it sends.
struct MenuProbe {
    static MenuProbe* current;
    HMENU hMenu = nullptr;
    std::vector<UINT> keys; // posted to the owner once the menu is open
    HWND hOwner = nullptr;
    UINT states[3] = {};
    bool seen = false;
    HCURSOR cursor = nullptr;

    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR id, DWORD) {
        KillTimer(nullptr, id);
        MenuProbe& p = *current;
        p.seen = true;
        for (UINT i = 0; i < 3; ++i)
            p.states[i] = GetMenuState(p.hMenu, IDM_LIST_COPY + i, MF_BYCOMMAND);
        p.cursor = GetCursor();
        if (p.keys.empty()) {
            EndMenu();
            return;
        }
        for (UINT vk : p.keys) {
            PostMessageW(p.hOwner, WM_KEYDOWN, vk, 1);
            PostMessageW(p.hOwner, WM_KEYUP, vk, 0xC0000001);
        }
    }
    void Open(HWND hList) {
        current = this;
        hOwner = hList;
        SetTimer(nullptr, 0, 50, OnTimer);
        SendMessageW(hList, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hList), MAKELPARAM(0xFFFF, 0xFFFF));
    }
};
MenuProbe* MenuProbe::current = nullptr;

TEST_F(MessageListResources, ThePopupMenuEnablesItsCommandsAndRunsThem) {
    MenuProbe empty;
    empty.hMenu = list->PopupMenu();
    ASSERT_NE(empty.hMenu, nullptr);
    const LONG calls = Skin().lPopupMenuCalls;
    empty.Open(hList);
    ASSERT_TRUE(empty.seen);
    EXPECT_EQ(Skin().lPopupMenuCalls, calls + 1); // through the UI library
    EXPECT_TRUE(empty.states[0] & MF_GRAYED);     // copy: no selection
    EXPECT_TRUE(empty.states[1] & MF_GRAYED);     // never
    EXPECT_TRUE(empty.states[2] & MF_GRAYED);     // select all: no items
    EXPECT_EQ(empty.cursor, LoadCursorW(nullptr, IDC_ARROW));

    Conversation(list);
    MenuProbe selectAll;
    selectAll.hMenu = list->PopupMenu();
    selectAll.keys = {VK_UP, VK_RETURN}; // the last entry: Select All
    selectAll.Open(hList);
    ASSERT_TRUE(selectAll.seen);
    EXPECT_TRUE(selectAll.states[0] & MF_GRAYED);
    EXPECT_FALSE(selectAll.states[2] & MF_GRAYED);
    EXPECT_EQ(Skin().uLastPopupCommand, static_cast<UINT>(IDM_LIST_SELECT_ALL));
    EXPECT_TRUE(list->HasSelection());

    ASSERT_TRUE(SetClipboardText(L"before"));
    MenuProbe copy;
    copy.hMenu = list->PopupMenu();
    copy.keys = {VK_DOWN, VK_RETURN}; // the first entry: Copy
    copy.Open(hList);
    EXPECT_FALSE(copy.states[0] & MF_GRAYED);
    EXPECT_EQ(ClipboardText(), L"Alice says:\r\nHello world\r\n\r\nBob joined\r\nBob says:\r\nHi there");

    // Locked: no menu at all.
    list->SetMouseLock([] { return true; });
    SendMessageW(hList, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(hList), MAKELPARAM(0xFFFF, 0xFFFF));
    EXPECT_EQ(Skin().lPopupMenuCalls, calls + 3);
}

TEST_F(MessageListResources, TheHandOverALinkTheIBeamElsewhere) {
    Say(L"Alice", L"see www.example.com now");
    list->Refresh();
    auto cursorAt = [&](POINT pt) {
        ClientToScreen(hList, &pt);
        SetCursorPos(pt.x, pt.y);
        SendMessageW(hList, WM_SETCURSOR, reinterpret_cast<WPARAM>(hList),
                     MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        return GetCursor();
    };
    const HCURSOR hand = LoadCursorW(hResources, MAKEINTRESOURCEW(IDCUR_LINK_HAND));
    ASSERT_NE(hand, nullptr);
    EXPECT_EQ(cursorAt(CharPoint(1, 6)), hand);
    EXPECT_EQ(cursorAt(CharPoint(1, 1)), LoadCursorW(nullptr, IDC_IBEAM));
    EXPECT_EQ(cursorAt(CharPoint(0, 1)), LoadCursorW(nullptr, IDC_IBEAM));
    // While dragging over the link, a selected link shows the I-beam.
    Down(CharPoint(1, 1));
    Move(CharPoint(1, 10));
    EXPECT_EQ(cursorAt(CharPoint(1, 6)), LoadCursorW(nullptr, IDC_IBEAM));
    Up(CharPoint(1, 10));
}

} // namespace
