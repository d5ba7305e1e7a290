// Running sums of item heights and the scroll model in 12-pixel lines.
#include "window/ScrollModel.h"

#include <gtest/gtest.h>

#include <numeric>
#include <random>

namespace {

TEST(ItemHeights, SumsAndLookupsAgreeWithAPlainWalk) {
    std::mt19937 rng(7);
    CItemHeights heights;
    std::vector<int> plain;
    for (int i = 0; i < 1000; ++i) {
        const int h = static_cast<int>(rng() % 40); // zero heights included
        heights.Append(h);
        plain.push_back(h);
    }
    for (int k = 0; k < 300; ++k) { // changes in place
        const int i = static_cast<int>(rng() % plain.size());
        plain[i] = static_cast<int>(rng() % 60);
        heights.Set(i, plain[i]);
    }
    long long sum = 0;
    for (int i = 0; i <= static_cast<int>(plain.size()); ++i) {
        ASSERT_EQ(heights.Above(i), sum) << i;
        if (i < static_cast<int>(plain.size())) sum += plain[i];
    }
    EXPECT_EQ(heights.Total(), sum);
    // Every y finds the item whose span holds it.
    long long top = 0;
    for (int i = 0; i < static_cast<int>(plain.size()); ++i) {
        for (long long y = top; y < top + plain[i]; y += 5)
            ASSERT_EQ(heights.Find(y), i) << "y " << y;
        top += plain[i];
    }
    EXPECT_EQ(heights.Find(-1), 0);
    EXPECT_EQ(heights.Find(sum), 999);
    EXPECT_EQ(heights.Find(sum + 100000), 999);

    heights.Reset(0);
    EXPECT_EQ(heights.Total(), 0);
    heights.Set(500, 13);
    EXPECT_EQ(heights.Above(501), 13);
    EXPECT_EQ(heights.Find(5), 500);
    EXPECT_EQ(CItemHeights().Find(0), -1);
}

TEST(ItemHeights, AScrolledViewSettlesWithoutCreepingUp) {
    CItemHeights thirteen; // lines of 13 pixels: item tops drift against the 12-pixel grid
    for (int i = 0; i < 100; ++i)
        thirteen.Append(13);
    // Line 7 (y 84) is inside item 6 (78..91); line 6 (y 72) is inside item 5: keep 84.
    EXPECT_EQ(QxSettledViewTop(thirteen, 84), 84);
    // Settling again gives the same place.
    EXPECT_EQ(QxSettledViewTop(thirteen, QxSettledViewTop(thirteen, 84) / 12 * 12), 84);
    CItemHeights tall; // items of 30 pixels
    for (int i = 0; i < 10; ++i)
        tall.Append(30);
    EXPECT_EQ(QxSettledViewTop(tall, 36), 36); // item 1's top (30) rounds down to 24, in item 0
    EXPECT_EQ(QxSettledViewTop(tall, 72), 60); // item 2's top (60) is on a line: the view settles there
    EXPECT_EQ(QxSettledViewTop(tall, 60), 60);
    EXPECT_EQ(QxSettledViewTop(CItemHeights(), 50), 0);
}

// A model over 100 lines of content in a 10-line window: max 101, page 10, bottom 92.
CScrollModel Scrolled() {
    CScrollModel m;
    m.Update(1200, 120, 0, 0, true);
    return m;
}

TEST(ScrollModel, RangeAndPageFromTheTotal) {
    CScrollModel m;
    m.Update(100, 120, 0, 0, true);
    EXPECT_FALSE(m.Shown());
    EXPECT_EQ(m.Pos(), 0);
    EXPECT_FALSE(m.Apply(ScrollAction::LineDown)); // fits: ignored
    m.Update(1200, 125, 0, 0, true);
    EXPECT_TRUE(m.Shown());
    EXPECT_EQ(m.Max(), 101);
    EXPECT_EQ(m.Page(), 10);
    EXPECT_EQ(m.Pos(), 92);
    EXPECT_EQ(m.BottomPos(), 92);
    EXPECT_EQ(m.Shift(), 92 * 12);
}

TEST(ScrollModel, ActionsStopAtTheBounds) {
    const struct {
        int start;
        ScrollAction action;
        int track;
        int expected;
    } cases[] = {
        {92, ScrollAction::LineDown, 0, 92},  {92, ScrollAction::LineUp, 0, 91},
        {0, ScrollAction::LineUp, 0, 0},      {1, ScrollAction::LineUp, 0, 0},
        {5, ScrollAction::PageUp, 0, 0},      {50, ScrollAction::PageUp, 0, 40},
        {85, ScrollAction::PageDown, 0, 92},  {10, ScrollAction::PageDown, 0, 20},
        {40, ScrollAction::Top, 0, 0},        {0, ScrollAction::Bottom, 0, 92},
        {0, ScrollAction::Track, 70, 70},     {0, ScrollAction::Track, 5000, 92},
        {30, ScrollAction::EndScroll, 0, 30},
    };
    for (const auto& c : cases) {
        CScrollModel m = Scrolled();
        m.Apply(ScrollAction::Track, c.start);
        ASSERT_EQ(m.Pos(), c.start);
        const bool bChanged = m.Apply(c.action, c.track);
        EXPECT_EQ(m.Pos(), c.expected) << static_cast<int>(c.action) << " from " << c.start;
        EXPECT_EQ(bChanged, c.expected != c.start);
    }
}

TEST(ScrollModel, UserScrolledFlagFollowsThePosition) {
    CScrollModel m = Scrolled();
    EXPECT_FALSE(m.UserScrolled());
    m.Apply(ScrollAction::LineUp); // 91 = max - page: still counts as scrolled away
    EXPECT_TRUE(m.UserScrolled());
    m.Apply(ScrollAction::LineDown); // 92, past max - page
    EXPECT_FALSE(m.UserScrolled());
    m.Apply(ScrollAction::Top);
    EXPECT_TRUE(m.UserScrolled());
    m.Apply(ScrollAction::Bottom);
    EXPECT_FALSE(m.UserScrolled());
}

TEST(ScrollModel, FollowingDecision) {
    CScrollModel fits;
    EXPECT_TRUE(fits.DecideFollow(false, false));
    EXPECT_FALSE(fits.DecideFollow(true, false)); // never during a mouse selection

    CScrollModel m = Scrolled();
    EXPECT_TRUE(m.DecideFollow(false, true)); // flag clear
    m.Apply(ScrollAction::Track, 40);
    EXPECT_FALSE(m.DecideFollow(false, false)); // scrolled away
    EXPECT_TRUE(m.UserScrolled());
    m.Apply(ScrollAction::Track, 91);          // exactly max - page: flag still set
    EXPECT_FALSE(m.DecideFollow(false, true)); // not while a layout runs in steps
    EXPECT_TRUE(m.DecideFollow(false, false));
    EXPECT_FALSE(m.UserScrolled()); // following cleared it
}

TEST(ScrollModel, UpdateKeepsAScrolledViewAtItsFirstItem) {
    CScrollModel m = Scrolled();
    m.Apply(ScrollAction::Track, 40); // 480 pixels down
    // More content arrives; the first visible item starts at 470: the view snaps to its line.
    m.Update(1500, 120, 470, 440, false);
    EXPECT_EQ(m.Max(), 126);
    EXPECT_EQ(m.Pos(), 39);
    EXPECT_TRUE(m.UserScrolled());
    // Following puts it at the new bottom.
    m.Update(1500, 120, 470, 440, true);
    EXPECT_EQ(m.Pos(), m.BottomPos());
    // Content that fits again hides the bar and puts the view at the top.
    m.Update(100, 120, 0, 0, false);
    EXPECT_FALSE(m.Shown());
    EXPECT_EQ(m.Pos(), 0);
}

TEST(ScrollModel, RangesPastSixteenBits) {
    CScrollModel m;
    m.Update(100000LL * 26, 300, 0, 0, true); // 100,000 messages of two lines
    EXPECT_GT(m.Max(), 65535);
    EXPECT_TRUE(m.Apply(ScrollAction::Track, 150000));
    EXPECT_EQ(m.Pos(), 150000);
    EXPECT_EQ(m.Shift(), 150000LL * 12);
}

} // namespace
