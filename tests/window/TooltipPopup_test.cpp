// The tooltip pop-up on its own: its size and look on the screen, that it never takes the
// activation, and each way it hides itself (time, pointer gone, click) or stays.
#include "window/TooltipPopup.h"

#include "Screenshot.h"
#include "WindowTestSupport.h"
#include "window/IndicationLayout.h"

#include <gtest/gtest.h>
#include <memory>

using namespace windowtest;

namespace {

DWORD g_dwNow = 0;
DWORD WINAPI FakeClock() {
    return g_dwNow;
}

SIZE GuiTextSize(const std::wstring& text) {
    SIZE size = {};
    HDC hdc = GetDC(nullptr);
    HGDIOBJ hOld = SelectObject(hdc, GetStockObject(DEFAULT_GUI_FONT));
    GetTextExtentPoint32W(hdc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(hdc, hOld);
    ReleaseDC(nullptr, hdc);
    return size;
}

COLORREF PixelAt(const ScreenImage& image, int x, int y) {
    const uint8_t* p = &image.rgb[(static_cast<size_t>(y) * image.width + x) * 3];
    return RGB(p[0], p[1], p[2]);
}

class TooltipPopupTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(host.Get(), nullptr);
        SetForegroundWindow(host.Get());
        SetActiveWindow(host.Get());
        popup.reset(TooltipPopup::Create(host.Get(), [this] { ++nHiddenByItself; }));
        ASSERT_NE(popup, nullptr);
        EXPECT_FALSE(popup->IsShown());
        g_dwNow = 50000;
        popup->SetClock(FakeClock);
        // The pointer rests inside the area the popup is shown for.
        SetCursorPos(hot.left + 5, hot.top + 5);
        PumpPending();
    }
    void Show(const std::wstring& text, POINT at) { popup->Show(text, at, hot); }
    void Tick() {
        PostMessageW(popup->GetHwnd(), WM_TIMER, kTooltipTimer, 0);
        PumpPending();
    }
    RECT WindowRect() const {
        RECT rc = {};
        GetWindowRect(popup->GetHwnd(), &rc);
        return rc;
    }

    TestHostWindow host{300, 200};
    std::unique_ptr<TooltipPopup> popup;
    RECT hot = {20, 400, 300, 420};
    int nHiddenByItself = 0;
};

TEST_F(TooltipPopupTest, ShowsTheTextFramedAndInsetWithoutTakingTheActivation) {
    const std::wstring text = L"Alice is typing a rather long message";
    Show(text, {40, 60});
    ASSERT_TRUE(popup->IsShown());
    EXPECT_EQ(popup->GetText(), text);
    const SIZE size = GuiTextSize(text);
    const RECT rc = WindowRect();
    EXPECT_EQ(rc.left, 40);
    EXPECT_EQ(rc.top, 60);
    EXPECT_EQ(rc.right - rc.left, size.cx + 8);
    EXPECT_EQ(rc.bottom - rc.top, size.cy + 6);
    EXPECT_EQ(GetActiveWindow(), host.Get());
    EXPECT_EQ(GetForegroundWindow(), host.Get());
    const LONG style = GetWindowLongW(popup->GetHwnd(), GWL_STYLE);
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_FALSE(style & (WS_BORDER | WS_DLGFRAME | WS_THICKFRAME));
    EXPECT_TRUE(GetWindowLongW(popup->GetHwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(GetWindow(popup->GetHwnd(), GW_OWNER), host.Get());

    ScreenImage shot;
    ASSERT_TRUE(CaptureOnceShown(popup->GetHwnd(), &shot)) << "the screen never showed the popup's painting";
    ASSERT_EQ(shot.width, rc.right - rc.left);
    const int cx = shot.width, cy = shot.height;
    // One black pixel all round, the pale yellow inside, the text in the inset.
    for (const POINT& pt : {POINT{0, 0}, POINT{cx - 1, cy - 1}, POINT{cx / 2, 0}, POINT{0, cy / 2}})
        EXPECT_EQ(PixelAt(shot, pt.x, pt.y), RGB(0, 0, 0)) << pt.x << "," << pt.y;
    EXPECT_EQ(PixelAt(shot, 1, 1), RGB(0xFF, 0xFF, 0xE0));
    EXPECT_EQ(PixelAt(shot, cx - 2, cy - 2), RGB(0xFF, 0xFF, 0xE0));
    int nText = 0, nOutsideInset = 0;
    for (int y = 1; y < cy - 1; ++y)
        for (int x = 1; x < cx - 1; ++x) {
            if (PixelAt(shot, x, y) == RGB(0xFF, 0xFF, 0xE0)) continue;
            const bool bInset = x >= 4 && x < cx - 4 && y >= 2 && y < cy - 2;
            ++(bInset ? nText : nOutsideInset);
        }
    EXPECT_GT(nText, 20);
    EXPECT_EQ(nOutsideInset, 0);
}

TEST_F(TooltipPopupTest, StaysOnTheScreenAtItsRightAndBottomEdges) {
    const int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
    Show(L"near the corner", {cx - 10, cy - 4});
    const RECT rc = WindowRect();
    EXPECT_EQ(rc.right, cx - 5);
    EXPECT_EQ(rc.bottom, cy);
}

TEST_F(TooltipPopupTest, HidesItselfTwoSecondsAfterItAppeared) {
    Show(L"typing", {40, 60});
    g_dwNow += 1999;
    Tick();
    EXPECT_TRUE(popup->IsShown());
    PostMessageW(popup->GetHwnd(), WM_TIMER, kTooltipTimer + 1, 0); // another timer: not its check
    PumpPending();
    EXPECT_TRUE(popup->IsShown());
    g_dwNow += 1;
    Tick();
    EXPECT_FALSE(popup->IsShown());
    EXPECT_EQ(nHiddenByItself, 1);

    // Shown again, the two seconds start again.
    Show(L"typing", {40, 60});
    g_dwNow += 1500;
    Tick();
    EXPECT_TRUE(popup->IsShown());
}

TEST_F(TooltipPopupTest, HidesItselfWhenThePointerLeavesItsArea) {
    Show(L"typing", {40, 60});
    SetCursorPos(hot.right + 3, hot.top + 5);
    PumpPending();
    g_dwNow += 100;
    Tick();
    EXPECT_FALSE(popup->IsShown());
    EXPECT_EQ(nHiddenByItself, 1);
}

TEST_F(TooltipPopupTest, AClickHidesItAndHideAloneDoesNotReport) {
    Show(L"typing", {40, 60});
    SendMessageW(popup->GetHwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    EXPECT_FALSE(popup->IsShown());
    EXPECT_EQ(nHiddenByItself, 1);
    EXPECT_EQ(GetActiveWindow(), host.Get());

    Show(L"typing", {40, 60});
    popup->Hide();
    EXPECT_FALSE(popup->IsShown());
    EXPECT_EQ(nHiddenByItself, 1);
    Tick(); // a tick left in the queue does nothing once hidden
    EXPECT_EQ(nHiddenByItself, 1);
}

TEST_F(TooltipPopupTest, ItsOwnTimerHidesItAfterTwoSeconds) {
    popup->SetClock(GetTickCount);
    const DWORD dwStart = GetTickCount();
    Show(L"typing", {40, 60});
    ASSERT_TRUE(popup->IsShown());
    ASSERT_TRUE(PumpUntil([&] { return !popup->IsShown(); }, 6000));
    EXPECT_GE(GetTickCount() - dwStart, 2000u - 20u); // the tick count's own granularity
    EXPECT_EQ(nHiddenByItself, 1);
}

TEST(TooltipPopupOwner, APopupWhoseOwnerWentIsLeftWindowless) {
    auto host = std::make_unique<TestHostWindow>(200, 100);
    std::unique_ptr<TooltipPopup> popup(TooltipPopup::Create(host->Get(), nullptr));
    ASSERT_NE(popup, nullptr);
    popup->Show(L"typing", {10, 10}, {0, 0, 1, 1});
    host.reset();
    EXPECT_EQ(popup->GetHwnd(), nullptr);
    EXPECT_FALSE(popup->IsShown());
    popup->Show(L"again", {10, 10}, {0, 0, 1, 1}); // nothing to show in, nothing happens
    popup->Hide();
}

} // namespace
