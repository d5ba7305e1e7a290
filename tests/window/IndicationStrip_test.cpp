// The typing-indication strip in its container on the display: what it draws, where it cuts a
// line, and the tooltip that the pointer opens over a cut line and the rules that close it.
#include "window/IndicationStrip.h"

#include "PngWriter.h"
#include "Screenshot.h"
#include "WindowTestSupport.h"
#include "module/ModuleState.h"
#include "window/MessageContainer.h"
#include "window/MessageWindow.h"
#include "window/TooltipPopup.h"

#include <gtest/gtest.h>

using namespace windowtest;

namespace {

const std::wstring kLong = L"Alice, Bob, Carol, Dave, Erin and Frank are typing a message to everyone";
const std::wstring kOtherLong = L"Grace, Heidi, Ivan, Judy, Mallory and Niaj are typing to the hosts";
const std::wstring kShort = L"Oscar is typing";

DWORD g_dwNow = 0;
DWORD WINAPI FakeClock() {
    return g_dwNow;
}

COLORREF PixelAt(const ScreenImage& image, int x, int y) {
    const uint8_t* p = &image.rgb[(static_cast<size_t>(y) * image.width + x) * 3];
    return RGB(p[0], p[1], p[2]);
}

// Pixels of the rectangle [x0, x1) x [y0, y1) that differ from the background.
int Marks(const ScreenImage& image, int x0, int y0, int x1, int y1) {
    int n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            n += PixelAt(image, x, y) != kStripBackground;
    return n;
}
bool Has(const ScreenImage& image, int x0, int y0, int x1, int y1, COLORREF colour) {
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            if (PixelAt(image, x, y) == colour) return true;
    return false;
}

class IndicationStripTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        hResources = LoadLibraryW(L"qxres.dll");
        ASSERT_NE(hResources, nullptr);
    }
    static void TearDownTestSuite() { FreeLibrary(hResources); }
    void SetUp() override { Open(true); }
    void TearDown() override {
        if (hContainer) DestroyWindow(hContainer);
        QxSetResourceModule(nullptr);
    }
    void Open(bool bLibrary) {
        if (hContainer) DestroyWindow(hContainer);
        QxSetResourceModule(bLibrary ? hResources : nullptr);
        SetForegroundWindow(host.Get());
        // The pointer starts away from the strip.
        POINT pt = {400, 240};
        ClientToScreen(host.Get(), &pt);
        SetCursorPos(pt.x, pt.y);
        hContainer = QxCreateMessageContainer(host.Get());
        ASSERT_NE(hContainer, nullptr);
        SetWindowPos(hContainer, nullptr, 0, 0, 300, 200, SWP_NOZORDER);
        QxLayoutMessageContainer(hContainer, TRUE);
        strip = CIndicationWindow::FromHwnd(QxIndicationWindow(hContainer));
        ASSERT_NE(strip, nullptr);
        PumpPending();
    }
    void Set(DWORD dwCode, const std::wstring& text) {
        QxSetIndicationLine(hContainer, dwCode, text);
        UpdateWindow(strip->GetHwnd());
    }
    int Width() const { return ClientRectOf(strip->GetHwnd()).right; }
    // Top of the n-th shown line (0-based).
    int LineTop(int n) const { return 3 + n * (strip->GetLineHeight() + 2); }
    // The pointer moved onto the strip's client point, as the mouse would move it.
    void MoveTo(int x, int y) {
        POINT pt = {x, y};
        ClientToScreen(strip->GetHwnd(), &pt);
        SetCursorPos(pt.x, pt.y);
        PumpPending();
        SendMessageW(strip->GetHwnd(), WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
        PumpPending();
    }
    void MoveOnto(int nLine, int x = 120) { MoveTo(x, LineTop(nLine) + strip->GetLineHeight() / 2); }
    bool TooltipShown() const { return strip->GetTooltip() && strip->GetTooltip()->IsShown(); }
    // The strip as the screen shows it, once its painting got there.
    ScreenImage Shot() const {
        ScreenImage shot;
        EXPECT_TRUE(CaptureOnceShown(strip->GetHwnd(), &shot))
            << "the screen never showed the strip's painting";
        return shot;
    }

    static HMODULE hResources;
    TestHostWindow host{460, 280};
    HWND hContainer = nullptr;
    CIndicationWindow* strip = nullptr;
};
HMODULE IndicationStripTest::hResources = nullptr;

TEST_F(IndicationStripTest, DrawsItsLinesWithTheIconOnItsOwnBackground) {
    Set(1, L"Alice is typing");
    Set(9, L"Bob is typing");
    const ScreenImage shot = Shot();
    const int w = Width(), h = strip->GetHeight(), lh = strip->GetLineHeight();
    ASSERT_EQ(shot.width, w);
    ASSERT_EQ(shot.height, h);
    ASSERT_TRUE(strip->HasIcon());
    // The bottom row is the grey line; nothing above the first line's icon.
    for (int x = 0; x < w; ++x)
        ASSERT_EQ(PixelAt(shot, x, h - 1), RGB(0xD4, 0xD0, 0xC8)) << x;
    EXPECT_EQ(Marks(shot, 0, 0, w, 2), 0);
    for (int n = 0; n < 2; ++n) {
        const int top = LineTop(n);
        SCOPED_TRACE(n);
        // The text in grey in its place, the icon ending 5 pixels before it, nothing between.
        EXPECT_TRUE(Has(shot, 25, top, w - 8, top + lh, RGB(0x80, 0x80, 0x80)));
        EXPECT_GT(Marks(shot, 25, top, 40, top + lh), 0);
        EXPECT_GT(Marks(shot, 4, top, 20, top + lh), 0);
        EXPECT_TRUE(Has(shot, 4, top, 20, top + lh, RGB(0x80, 0x80, 0x80)));
        EXPECT_EQ(Marks(shot, 20, top - 1, 25, top + lh + 1), 0);
        EXPECT_EQ(Marks(shot, 0, top - 1, 4, top + lh + 1), 0);
        EXPECT_EQ(Marks(shot, w - 8, top, w, top + lh), 0);
    }
    // The gap between the lines is background from the icons' end to the right edge.
    EXPECT_EQ(Marks(shot, 20, LineTop(0) + lh, w, LineTop(1)), 0);
}

TEST_F(IndicationStripTest, WithoutTheResourceLibraryTheLinesHaveNoIcon) {
    Open(false);
    EXPECT_FALSE(strip->HasIcon());
    Set(7, L"Alice is typing");
    const ScreenImage shot = Shot();
    ASSERT_EQ(shot.height, strip->GetHeight());
    EXPECT_EQ(Marks(shot, 0, 0, 25, shot.height - 1), 0);
    EXPECT_GT(Marks(shot, 25, LineTop(0), Width() - 8, LineTop(0) + strip->GetLineHeight()), 0);
}

TEST_F(IndicationStripTest, ALineTooLongEndsInAnEllipsisAtAWord) {
    Set(7, kLong);
    const FittedLine shown = strip->GetShownLine(7);
    ASSERT_TRUE(shown.bCut);
    ASSERT_GT(shown.text.size(), 3u);
    const std::wstring kept = shown.text.substr(0, shown.text.size() - 3);
    EXPECT_EQ(shown.text.substr(kept.size()), L"...");
    EXPECT_EQ(kLong.compare(0, kept.size(), kept), 0);
    EXPECT_EQ(kLong[kept.size()], L' ') << "cut at a word";
    EXPECT_NE(kept.back(), L' ');
    EXPECT_EQ(strip->GetLine(7), kLong); // the line keeps its whole text
    EXPECT_FALSE(strip->GetShownLine(1).bCut);

    const ScreenImage shot = Shot();
    EXPECT_EQ(Marks(shot, Width() - 8, 0, Width(), shot.height - 1), 0);

    // A wider strip shows it whole; a narrower one cuts it again.
    SetWindowPos(hContainer, nullptr, 0, 0, 700, 200, SWP_NOZORDER);
    PumpPending();
    EXPECT_FALSE(strip->GetShownLine(7).bCut);
    EXPECT_EQ(strip->GetShownLine(7).text, kLong);
    SetWindowPos(hContainer, nullptr, 0, 0, 200, 200, SWP_NOZORDER);
    PumpPending();
    EXPECT_LT(strip->GetShownLine(7).text.size(), kept.size() + 3);
}

TEST_F(IndicationStripTest, HoveringACutLineShowsItWholeOverItWithoutActivation) {
    Set(1, kShort);
    Set(7, kLong);
    MoveOnto(0);
    EXPECT_FALSE(TooltipShown()) << "a line that fits needs no tooltip";
    MoveOnto(1);
    ASSERT_TRUE(TooltipShown());
    EXPECT_EQ(strip->GetTooltip()->GetText(), kLong);
    EXPECT_EQ(GetActiveWindow(), host.Get());
    // The popup's text lies on the line's text.
    POINT origin = {25 - 4, LineTop(1) - 2};
    ClientToScreen(strip->GetHwnd(), &origin);
    RECT rc = {};
    GetWindowRect(strip->GetTooltip()->GetHwnd(), &rc);
    EXPECT_EQ(rc.left, origin.x);
    EXPECT_EQ(rc.top, origin.y);
    EXPECT_GT(rc.right - rc.left, Width());
}

TEST_F(IndicationStripTest, TheSameLineDoesNotReopenItWhileThePointerStays) {
    Set(1, kShort);
    Set(7, kLong);
    MoveOnto(1);
    ASSERT_TRUE(TooltipShown());
    TooltipPopup* tooltip = strip->GetTooltip();

    // Clicked away: moving on along the line does not bring it back.
    SendMessageW(tooltip->GetHwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    EXPECT_FALSE(TooltipShown());
    MoveOnto(1, 60);
    MoveOnto(1, 200);
    EXPECT_FALSE(TooltipShown());

    // Another line and back: it opens again; timed out, it again stays closed on that line.
    MoveOnto(0);
    tooltip->SetClock(FakeClock);
    g_dwNow = 7000;
    MoveOnto(1);
    ASSERT_TRUE(TooltipShown());
    g_dwNow += 2000;
    PostMessageW(tooltip->GetHwnd(), WM_TIMER, kTooltipTimer, 0);
    PumpPending();
    EXPECT_FALSE(TooltipShown());
    MoveOnto(1, 80);
    EXPECT_FALSE(TooltipShown());
}

TEST_F(IndicationStripTest, LeavingTheLineHidesItAndComingBackOpensItAgain) {
    Set(7, kLong);
    MoveOnto(0);
    ASSERT_TRUE(TooltipShown());
    // Down into the message list, as a mouse would go.
    POINT pt = {120, strip->GetHeight() + 40};
    ClientToScreen(strip->GetHwnd(), &pt);
    SetCursorPos(pt.x, pt.y);
    EXPECT_TRUE(PumpUntil([&] { return !TooltipShown(); }, 3000));
    MoveOnto(0);
    EXPECT_TRUE(TooltipShown());
    // Above the first line is no line: off it goes.
    MoveTo(120, 1);
    EXPECT_FALSE(TooltipShown());
}

TEST_F(IndicationStripTest, MovingToAnotherCutLineShowsThatOne) {
    Set(1, kLong);
    Set(9, kOtherLong);
    MoveOnto(0);
    ASSERT_TRUE(TooltipShown());
    EXPECT_EQ(strip->GetTooltip()->GetText(), kLong);
    MoveOnto(1);
    ASSERT_TRUE(TooltipShown());
    EXPECT_EQ(strip->GetTooltip()->GetText(), kOtherLong);
    POINT origin = {25 - 4, LineTop(1) - 2};
    ClientToScreen(strip->GetHwnd(), &origin);
    RECT rc = {};
    GetWindowRect(strip->GetTooltip()->GetHwnd(), &rc);
    EXPECT_EQ(rc.top, origin.y);
}

TEST_F(IndicationStripTest, ANewTextOrAHiddenStripTakesTheTooltipAway) {
    Set(1, kShort);
    Set(7, kLong);
    MoveOnto(1);
    ASSERT_TRUE(TooltipShown());
    Set(1, L""); // the long line moves up a row
    EXPECT_FALSE(TooltipShown());
    MoveOnto(0);
    ASSERT_TRUE(TooltipShown());
    QxLayoutMessageContainer(hContainer, FALSE);
    EXPECT_FALSE(TooltipShown());
}

TEST_F(IndicationStripTest, ScreenshotWithTwoLinesAndTheTooltipOpen) {
    CMessageWindow* list = QxMessageList(hContainer);
    ASSERT_NE(list, nullptr);
    list->ShowMessage(L"Alice", L"Shall we start with the agenda?", L" says:", L"", L"");
    list->ShowMessage(L"Bob", L"Yes, the first point is the budget.", L" says:", L"", L"");
    list->Refresh();
    Set(1, L"Carol is typing");
    Set(7, kLong);
    MoveOnto(1);
    ASSERT_TRUE(TooltipShown());
    RedrawWindow(host.Get(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    RedrawWindow(strip->GetTooltip()->GetHwnd(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    // The shot holds the strip and the popup, once the screen shows them.
    ScreenImage image;
    EXPECT_TRUE(PumpUntil([&] {
        image = CaptureWindowArea(host.Get());
        return Has(image, 0, 0, image.width, image.height, kStripBackground) &&
               Has(image, 0, 0, image.width, image.height, RGB(0xFF, 0xFF, 0xE0));
    }));
    ASSERT_FALSE(image.rgb.empty());
    CreateDirectoryW(L"screenshots", nullptr);
    EXPECT_TRUE(WritePngFile(L"screenshots\\indication-strip.png", image.width, image.height, image.rgb));
}

} // namespace
