// The list's scrolling: the bar's range, page and position, every action at the bounds, keys
// and the wheel, following new messages, thumb tracking past 16 bits, and the layout after a
// width change, in steps from 700 items.
#include "MessageListFixture.h"

using namespace windowtest;

namespace {

using MessageListScroll = MessageListTest;

TEST_F(MessageListScroll, TheBarAppearsWhenTheContentPassesTheWindow) {
    Say(L"Alice", L"one");
    list->Refresh();
    EXPECT_FALSE(list->ScrollState().Shown());
    EXPECT_FALSE(GetWindowLongW(hList, GWL_STYLE) & WS_VSCROLL);
    Fill(50);
    ASSERT_TRUE(list->ScrollState().Shown());
    EXPECT_TRUE(GetWindowLongW(hList, GWL_STYLE) & WS_VSCROLL);
    const SCROLLINFO si = BarInfo();
    EXPECT_EQ(si.nMin, 0);
    EXPECT_EQ(si.nMax, list->TotalHeight() / 12 + 1);
    EXPECT_EQ(static_cast<int>(si.nPage), ClientHeight() / 12);
    EXPECT_EQ(si.nPos, si.nMax - static_cast<int>(si.nPage) + 1); // following: at the bottom
    EXPECT_EQ(Pos(), si.nPos);
    // Showing the bar does not change the line breaks.
    for (int i = 0; i < list->GetItemCount(); ++i)
        ASSERT_FALSE(list->GetItem(i).needsLayout) << i;
}

TEST_F(MessageListScroll, KeysScrollToTheBoundsAndNoFurther) {
    Fill(50);
    const int page = list->ScrollState().Page();
    const struct {
        UINT vk;
        int expected; // -1 the bottom
    } steps[] = {
        {VK_DOWN, -1}, {VK_NEXT, -1}, {VK_UP, -2},         {VK_HOME, 0}, {VK_UP, 0},
        {VK_PRIOR, 0}, {VK_DOWN, 1},  {VK_NEXT, 1 + page}, {VK_END, -1}, {VK_PRIOR, -3},
    };
    for (const auto& s : steps) {
        Key(s.vk);
        const int expected = s.expected == -1   ? Bottom()
                             : s.expected == -2 ? Bottom() - 1
                             : s.expected == -3 ? Bottom() - page
                                                : s.expected;
        EXPECT_EQ(Pos(), expected) << "key " << s.vk;
        EXPECT_EQ(GetScrollPos(hList, SB_VERT), expected);
    }
}

TEST_F(MessageListScroll, ScrollBarMessagesMoveTheView) {
    Fill(50);
    const struct {
        WORD code;
        int expected; // -1 the bottom
    } steps[] = {{SB_TOP, 0},     {SB_LINEUP, 0},    {SB_LINEDOWN, 1}, {SB_PAGEDOWN, -2},
                 {SB_BOTTOM, -1}, {SB_LINEDOWN, -1}, {SB_PAGEUP, -3},  {SB_ENDSCROLL, -3}};
    const int page = list->ScrollState().Page();
    for (const auto& s : steps) {
        SendMessageW(hList, WM_VSCROLL, s.code, 0);
        const int expected = s.expected == -1   ? Bottom()
                             : s.expected == -2 ? 1 + page
                             : s.expected == -3 ? Bottom() - page
                                                : s.expected;
        EXPECT_EQ(Pos(), expected) << "code " << s.code;
    }
}

TEST_F(MessageListScroll, TheWheelScrollsOneLinePerNotification) {
    Fill(50);
    const int bottom = Bottom();
    SendMessageW(hList, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
    EXPECT_EQ(Pos(), bottom - 1);
    EXPECT_TRUE(list->ScrollState().UserScrolled());
    SendMessageW(hList, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
    EXPECT_EQ(Pos(), bottom - 2);
    SendMessageW(hList, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
    EXPECT_EQ(Pos(), bottom - 1);
    SendMessageW(hList, WM_MOUSEWHEEL, MAKEWPARAM(0, 0), 0); // a zero delta scrolls down
    EXPECT_EQ(Pos(), bottom);
    EXPECT_FALSE(list->ScrollState().UserScrolled());
}

TEST_F(MessageListScroll, NothingScrollsWhileEverythingFits) {
    Say(L"Alice", L"one");
    list->Refresh();
    Key(VK_END);
    Key(VK_DOWN);
    SendMessageW(hList, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
    EXPECT_EQ(Pos(), 0);
    EXPECT_FALSE(list->ScrollState().UserScrolled());
}

TEST_F(MessageListScroll, ANewMessageDoesNotMoveAScrolledViewUntilTheUserReturns) {
    Fill(50);
    Key(VK_HOME);
    for (int i = 0; i < 7; ++i)
        Key(VK_DOWN);
    list->Refresh();     // the view settles at its first item
    UpdateWindow(hList); // the first visible item is the first one painted
    const int pos = Pos();
    const int first = list->FirstVisible();
    Say(L"Bob", L"while you read");
    list->Refresh();
    EXPECT_EQ(Pos(), pos);
    UpdateWindow(hList);
    EXPECT_EQ(list->FirstVisible(), first);
    EXPECT_TRUE(list->ScrollState().UserScrolled());
    // Back at the bottom, the next message is followed.
    Key(VK_END);
    EXPECT_FALSE(list->ScrollState().UserScrolled());
    Say(L"Bob", L"and now");
    list->Refresh();
    EXPECT_EQ(Pos(), Bottom());
    UpdateWindow(hList);
    EXPECT_EQ(list->LastVisible(), list->GetItemCount() - 1);
}

TEST_F(MessageListScroll, TheEngineTimerRefreshesAndFollows) {
    Fill(50);
    const int before = Bottom();
    Say(L"Carol", L"late");
    EXPECT_TRUE(list->IsRefreshPending());
    Tick(TIMER_REFRESH);
    EXPECT_FALSE(list->IsRefreshPending());
    EXPECT_GT(Bottom(), before);
    EXPECT_EQ(Pos(), Bottom());
}

TEST_F(MessageListScroll, KeysWaitWhileTheMouseSelects) {
    Fill(50);
    const int bottom = Bottom();
    Down(POINT{20, 20});
    ASSERT_TRUE(list->IsMouseSelecting());
    Key(VK_HOME);
    Key(VK_UP);
    EXPECT_EQ(Pos(), bottom);
    Up(POINT{20, 20});
    Key(VK_HOME);
    EXPECT_EQ(Pos(), 0);
}

TEST_F(MessageListScroll, AHeightChangeKeepsTheLayoutAndFollows) {
    Fill(50);
    SetWindowPos(hContainer, nullptr, 0, 0, 300, 120, SWP_NOZORDER);
    EXPECT_EQ(list->ScrollState().Page(), ClientHeight() / 12);
    EXPECT_EQ(Pos(), Bottom());
    for (int i = 0; i < list->GetItemCount(); ++i)
        ASSERT_FALSE(list->GetItem(i).needsLayout);
}

// The thumb is dragged as the user would, with a range past 16 bits, to three quarters of the
// track: the position is the full tracking position (past 65,535 there), not the message's low
// word (which would land near the top).
TEST_F(MessageListScroll, ThumbTrackingReadsTheFullPositionAtAHundredThousandItems) {
    for (int i = 0; i < 50000; ++i) {
        list->Append(Item(ITEM_HEADER, L"H"), false);
        list->Append(Item(ITEM_TEXT, L"t"), false);
    }
    list->Refresh();
    const int max = list->ScrollState().Max();
    ASSERT_GT(max * 3 / 4 - max / 10, 65535) << "the drag target has to lie past 16 bits";
    SCROLLBARINFO sbi = {};
    sbi.cbSize = sizeof(sbi);
    ASSERT_TRUE(GetScrollBarInfo(hList, OBJID_VSCROLL, &sbi));
    const int x = (sbi.rcScrollBar.left + sbi.rcScrollBar.right) / 2;
    const int thumbY = sbi.rcScrollBar.top + (sbi.xyThumbTop + sbi.xyThumbBottom) / 2;
    // The thumb's middle travels between the arrows, less half a thumb at either end.
    const int thumb = sbi.xyThumbBottom - sbi.xyThumbTop;
    const int trackTop = sbi.rcScrollBar.top + sbi.dxyLineButton + thumb / 2;
    const int trackBottom = sbi.rcScrollBar.bottom - sbi.dxyLineButton - thumb / 2;
    const int targetY = trackTop + (trackBottom - trackTop) * 3 / 4;
    // The tracking loop reads the pointer from the queue: the move and the release wait there.
    POINT target = {x, targetY};
    ScreenToClient(hList, &target);
    PostMessageW(hList, WM_MOUSEMOVE, MK_LBUTTON, At(target));
    PostMessageW(hList, WM_LBUTTONUP, 0, At(target));
    SendMessageW(hList, WM_NCLBUTTONDOWN, HTVSCROLL, MAKELPARAM(x, thumbY));
    PumpPending();
    const int pos = Pos();
    EXPECT_GT(pos, 65535);
    EXPECT_LT(pos, Bottom());
    EXPECT_EQ(GetScrollPos(hList, SB_VERT), pos);
    EXPECT_TRUE(list->ScrollState().UserScrolled());
    // Around three quarters of the range.
    EXPECT_NEAR(pos, max * 3 / 4, max / 10);
}

TEST_F(MessageListScroll, AWidthChangeWith700ItemsLaysOutInSteps) {
    for (int i = 0; i < 700; ++i)
        list->Append(Item(ITEM_TEXT, L"word word word word word word word word " + std::to_wstring(i)),
                     false);
    list->Refresh();
    const long long wide = list->TotalHeight();
    SetWindowPos(hContainer, nullptr, 0, 0, 150, 200, SWP_NOZORDER);
    ASSERT_TRUE(list->IsIncrementalLayout());
    for (int i = 0; i < 700; ++i)
        ASSERT_TRUE(list->GetItem(i).needsLayout || i >= 680) << i; // painting may reach the newest
    Tick(TIMER_INCREMENTAL_LAYOUT);
    EXPECT_TRUE(list->IsIncrementalLayout()); // a tick that found work keeps the timer
    for (int i = 0; i < 700; ++i)
        ASSERT_FALSE(list->GetItem(i).needsLayout) << i;
    EXPECT_GT(list->TotalHeight(), wide);
    Tick(TIMER_INCREMENTAL_LAYOUT); // finds nothing: done
    EXPECT_FALSE(list->IsIncrementalLayout());
    EXPECT_EQ(Pos(), Bottom());
}

TEST_F(MessageListScroll, AWidthChangeWith699ItemsLaysOutAtOnce) {
    for (int i = 0; i < 699; ++i)
        list->Append(Item(ITEM_TEXT, L"word word word word word word word word " + std::to_wstring(i)),
                     false);
    list->Refresh();
    SetWindowPos(hContainer, nullptr, 0, 0, 150, 200, SWP_NOZORDER);
    EXPECT_FALSE(list->IsIncrementalLayout());
    for (int i = 0; i < 699; ++i)
        ASSERT_FALSE(list->GetItem(i).needsLayout) << i;
    EXPECT_EQ(Pos(), Bottom());
}

TEST_F(MessageListScroll, ManyItemsLayOutSevenHundredPerTickAndAMessageMeanwhileWaitsNoLonger) {
    for (int i = 0; i < 2000; ++i)
        list->Append(Item(ITEM_TEXT, L"item " + std::to_wstring(i)), false);
    list->Refresh();
    SetWindowPos(hContainer, nullptr, 0, 0, 200, 200, SWP_NOZORDER);
    ASSERT_TRUE(list->IsIncrementalLayout());
    UpdateWindow(hList); // drawn upwards from the newest item, which lays out what shows
    auto measured = [&] {
        int n = 0;
        for (int i = 0; i < list->GetItemCount(); ++i)
            n += !list->GetItem(i).needsLayout;
        return n;
    };
    const int painted = measured(); // the bottom of the window
    EXPECT_GT(painted, 0);
    EXPECT_LT(painted, 100);
    Tick(TIMER_INCREMENTAL_LAYOUT);
    EXPECT_GE(measured(), 700);
    EXPECT_LE(measured(), 700 + painted);
    // A message arriving now is laid out alone; the rest stays with the timer.
    Say(L"Eve", L"hello");
    list->Refresh();
    EXPECT_FALSE(list->GetItem(list->GetItemCount() - 1).needsLayout);
    EXPECT_LE(measured(), 700 + painted + 2);
    EXPECT_TRUE(list->GetItem(1500).needsLayout);
    Tick(TIMER_INCREMENTAL_LAYOUT);
    Tick(TIMER_INCREMENTAL_LAYOUT);
    Tick(TIMER_INCREMENTAL_LAYOUT);
    EXPECT_FALSE(list->IsIncrementalLayout());
    EXPECT_EQ(measured(), list->GetItemCount());
    // The running total matches the items.
    long long sum = 0;
    for (int i = 0; i < list->GetItemCount(); ++i)
        sum += list->GetItem(i).height;
    EXPECT_EQ(list->TotalHeight(), sum);
}

} // namespace
