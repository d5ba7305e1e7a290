// The strip's geometry without a window: line places and height, the line under a point, the
// cut at a word, and the tooltip's place at the screen's edges.
#include "window/IndicationLayout.h"

#include <gtest/gtest.h>

namespace {

constexpr int kH = 13; // a line height

// Extents of a text in a font where every character is nWidth pixels wide.
std::vector<int> Extents(const std::wstring& text, int nWidth = 10) {
    std::vector<int> extents;
    for (size_t i = 0; i < text.size(); ++i)
        extents.push_back(static_cast<int>(i + 1) * nWidth);
    return extents;
}

TEST(IndicationLayout, OnlyTheThreeCodesHaveASlot) {
    const struct {
        DWORD dwCode;
        int nSlot;
    } cases[] = {{1, 0}, {7, 1}, {9, 2}, {0, -1}, {2, -1}, {6, -1}, {8, -1}, {10, -1}, {0xFFFFFFFF, -1}};
    for (const auto& c : cases)
        EXPECT_EQ(IndicationSlot(c.dwCode), c.nSlot) << c.dwCode;
}

TEST(IndicationLayout, HeightIsTheLinesWithTheirGapsAndPadding) {
    EXPECT_EQ(StripHeightFor(0, kH), 0);
    EXPECT_EQ(StripHeightFor(1, kH), kH + 6);
    EXPECT_EQ(StripHeightFor(2, kH), 2 * kH + 2 + 6);
    EXPECT_EQ(StripHeightFor(3, kH), 3 * kH + 2 * 2 + 6);
    EXPECT_EQ(StripHeightFor(2, 16), 2 * 16 + 2 + 6);
}

TEST(IndicationLayout, NonEmptyLinesStackFromThreePixelsDownWithTwoBetween) {
    const std::wstring lines[kIndicationLineCount] = {L"one", L"", L"three"};
    const auto placed = PlaceStripLines(lines, 300, kH);
    ASSERT_EQ(placed.size(), 2u);
    EXPECT_EQ(placed[0].nSlot, 0);
    EXPECT_EQ(placed[1].nSlot, 2); // the empty middle line takes no row
    const RECT first = {25, 3, 300 - 8, 3 + kH}, second = {25, 3 + kH + 2, 300 - 8, 3 + 2 * kH + 2};
    EXPECT_TRUE(EqualRect(&placed[0].rcText, &first));
    EXPECT_TRUE(EqualRect(&placed[1].rcText, &second));
    // The last line ends 3 pixels above the strip's bottom.
    EXPECT_EQ(StripHeightFor(2, kH) - placed[1].rcText.bottom, 3);

    const std::wstring none[kIndicationLineCount] = {};
    EXPECT_TRUE(PlaceStripLines(none, 300, kH).empty());
}

TEST(IndicationLayout, ThePointIsOnALineOnlyInsideItsRow) {
    const std::wstring lines[kIndicationLineCount] = {L"", L"seven", L"nine"};
    const auto placed = PlaceStripLines(lines, 300, kH);
    const struct {
        int y;
        int nSlot;
    } cases[] = {
        {0, -1},          {2, -1},          // above the first line
        {3, 1},           {3 + kH - 1, 1},  // the first row, both ends
        {3 + kH, -1},     {3 + kH + 1, -1}, // the gap
        {5 + kH, 2},      {4 + 2 * kH, 2},  // the second row
        {5 + 2 * kH, -1}, {100, -1},        // below the last
    };
    for (const auto& c : cases)
        EXPECT_EQ(StripSlotAt(placed, c.y), c.nSlot) << c.y;
}

TEST(IndicationLayout, ALineThatFitsIsKeptWhole) {
    const std::wstring text = L"Alice is typing";
    for (int nMax : {150, 151, 500}) {
        const FittedLine fitted = FitLineAtWord(text, Extents(text), 30, nMax);
        EXPECT_EQ(fitted.text, text) << nMax;
        EXPECT_FALSE(fitted.bCut);
    }
    EXPECT_EQ(FitLineAtWord(L"", {}, 30, 0).text, L"");
}

TEST(IndicationLayout, ALineTooLongIsCutAtAWordWithAnEllipsis) {
    const std::wstring text = L"Alice is typing a message";
    // 10 pixels a character, 30 for the ellipsis.
    const struct {
        int nMax;
        const wchar_t* expected;
    } cases[] = {
        {249, L"Alice is typing a..."}, // one pixel short of the whole text
        {200, L"Alice is typing a..."}, // "Alice is typing a" 170 + 30
        {199, L"Alice is typing..."},   // the word "a" no longer has room
        {110, L"Alice is..."},          // never inside "typing"
        {80, L"Alice..."},
        {79, L"Alic..."}, // the first word alone is too long: cut between characters
        {35, L"..."},
        {10, L"..."},
    };
    for (const auto& c : cases) {
        const FittedLine fitted = FitLineAtWord(text, Extents(text), 30, c.nMax);
        EXPECT_EQ(fitted.text, c.expected) << c.nMax;
        EXPECT_TRUE(fitted.bCut);
    }
}

TEST(IndicationLayout, TheCutDropsTheBlanksBeforeTheEllipsisAndKeepsPairsWhole) {
    const std::wstring spaced = L"Bob   and\tCarol are typing";
    EXPECT_EQ(FitLineAtWord(spaced, Extents(spaced), 30, 130).text, L"Bob   and...");
    EXPECT_EQ(FitLineAtWord(spaced, Extents(spaced), 30, 110).text, L"Bob...");

    // A word of characters outside the basic plane, two units each: never half a pair.
    const std::wstring pairs = L"\xD83D\xDE00\xD83D\xDE01\xD83D\xDE02";
    const FittedLine fitted = FitLineAtWord(pairs, Extents(pairs), 10, 45);
    EXPECT_EQ(fitted.text, std::wstring(L"\xD83D\xDE00") + L"...");

    // An unmeasured text is not cut.
    EXPECT_FALSE(FitLineAtWord(L"abc", {}, 30, 5).bCut);
}

TEST(IndicationLayout, TheTooltipIsTheTextWithItsInsetsKeptOnTheScreen) {
    const RECT screen = {0, 0, 800, 600};
    const SIZE text = {100, 13}; // the popup is 108 x 19
    const struct {
        POINT at;
        RECT screen;
        RECT expected;
    } cases[] = {
        {{50, 60}, screen, {50, 60, 158, 79}},                      // room everywhere
        {{50, 581}, screen, {50, 581, 158, 600}},                   // ends exactly at the bottom: stays
        {{50, 590}, screen, {50, 581, 158, 600}},                   // passes the bottom: up to end on it
        {{692, 60}, screen, {692, 60, 800, 79}},                    // ends exactly at the right edge: stays
        {{693, 60}, screen, {687, 60, 795, 79}},                    // passes it: ends 5 inside
        {{780, 595}, screen, {687, 581, 795, 600}},                 // the corner: both
        {{1750, 900}, {800, 0, 1824, 768}, {1711, 749, 1819, 768}}, // a second screen
    };
    for (const auto& c : cases) {
        const RECT rc = PlaceTooltip(c.at, text, c.screen);
        EXPECT_TRUE(EqualRect(&rc, &c.expected)) << c.at.x << "," << c.at.y << " -> " << rc.left << ","
                                                 << rc.top << "," << rc.right << "," << rc.bottom;
    }
}

TEST(IndicationLayout, TheTooltipLivesTwoSeconds) {
    EXPECT_FALSE(TooltipExpired(1000, 1000));
    EXPECT_FALSE(TooltipExpired(1000, 2999));
    EXPECT_TRUE(TooltipExpired(1000, 3000));
    EXPECT_FALSE(TooltipExpired(0xFFFFFF00, 0x00000100)); // 512 ms across the tick count's wrap
    EXPECT_TRUE(TooltipExpired(0xFFFFFF00, 0x00000800));
}

} // namespace
