// The message container: its two children and their layout with the indication strip shown,
// hidden, and switched off for good.
#include "window/MessageContainer.h"

#include "TraceCapture.h"
#include "WindowTestSupport.h"
#include "window/ChatFonts.h"
#include "window/MessageWindow.h"

#include <gtest/gtest.h>

namespace {

bool Shown(HWND hWnd) {
    return (GetWindowLongW(hWnd, GWL_STYLE) & WS_VISIBLE) != 0;
}

// Height of a line of the strip's font.
int StripLineHeight() {
    GdiFont font = QxCreateChatFont(FW_NORMAL, false);
    HDC hdc = GetDC(nullptr);
    HGDIOBJ hOld = SelectObject(hdc, font.Get());
    TEXTMETRICW tm = {};
    GetTextMetricsW(hdc, &tm);
    SelectObject(hdc, hOld);
    ReleaseDC(nullptr, hdc);
    return tm.tmHeight;
}

class MessageContainerTest : public ::testing::Test {
protected:
    void SetUp() override {
        hContainer = QxCreateMessageContainer(host.Get());
        ASSERT_NE(hContainer, nullptr);
        SetWindowPos(hContainer, nullptr, 0, 0, 300, 200, SWP_NOZORDER);
        list = QxMessageList(hContainer);
        ASSERT_NE(list, nullptr);
        hStrip = QxIndicationWindow(hContainer);
        ASSERT_NE(hStrip, nullptr);
        client = ClientRectOf(hContainer);
    }
    void TearDown() override {
        if (hContainer) DestroyWindow(hContainer);
    }
    RECT ListRect() const { return ChildRect(list->GetHwnd()); }
    void ExpectListFills() const {
        const RECT rc = ListRect();
        EXPECT_EQ(rc.top, 0);
        EXPECT_EQ(rc.left, 0);
        EXPECT_EQ(rc.right, client.right);
        EXPECT_EQ(rc.bottom, client.bottom);
    }

    TestHostWindow host{400, 300};
    HWND hContainer = nullptr;
    HWND hStrip = nullptr;
    CMessageWindow* list = nullptr;
    RECT client = {};
};

TEST_F(MessageContainerTest, HoldsAVisibleListAndAHiddenStrip) {
    EXPECT_EQ(WindowText(hContainer), L"MessageContainerWnd");
    EXPECT_EQ(WindowText(list->GetHwnd()), L"MessageWindow");
    EXPECT_EQ(WindowText(hStrip), L"IndicationWindow");
    EXPECT_EQ(GetParent(list->GetHwnd()), hContainer);
    EXPECT_EQ(GetParent(hStrip), hContainer);
    EXPECT_TRUE(Shown(list->GetHwnd()));
    EXPECT_FALSE(Shown(hStrip));
    EXPECT_FALSE(list->HasItems());
    EXPECT_FALSE(list->IsUnsaved() || list->IsUnsavedSinceAutoSave());
}

// The list and the container are found by their windows only while those exist: a destroyed
// list is no list, and a destroyed container has none, whatever handle is kept.
TEST_F(MessageContainerTest, ADestroyedListOrContainerIsFoundNoMore) {
    const HWND hList = list->GetHwnd();
    ASSERT_EQ(CMessageWindow::FromHwnd(hList), list);
    DestroyWindow(hList);
    EXPECT_EQ(CMessageWindow::FromHwnd(hList), nullptr);
    EXPECT_EQ(QxMessageList(hContainer), nullptr);
    const HWND hOther = QxCreateMessageContainer(host.Get());
    ASSERT_NE(hOther, nullptr);
    CMessageWindow* pOther = QxMessageList(hOther);
    ASSERT_NE(pOther, nullptr);
    const HWND hOtherList = pOther->GetHwnd();
    DestroyWindow(hOther);
    EXPECT_EQ(QxMessageList(hOther), nullptr);
    EXPECT_EQ(CMessageWindow::FromHwnd(hOtherList), nullptr);
}

TEST_F(MessageContainerTest, OtherWindowsAreNoContainers) {
    EXPECT_EQ(QxMessageList(nullptr), nullptr);
    EXPECT_EQ(QxMessageList(host.Get()), nullptr);
    EXPECT_EQ(QxMessageList(list->GetHwnd()), nullptr);
    EXPECT_EQ(QxIndicationWindow(host.Get()), nullptr);
    // Operations on something else do nothing.
    QxLayoutMessageContainer(host.Get(), TRUE);
    QxSwitchOffIndication(nullptr);
    QxSetIndicationLine(host.Get(), 1, L"x");
    EXPECT_EQ(QxGetIndicationLine(host.Get(), 1), L"");
}

TEST_F(MessageContainerTest, WithoutTheIndicationFlagTheListFillsTheContainer) {
    QxSetIndicationLine(hContainer, 1, L"Alice is typing");
    QxLayoutMessageContainer(hContainer, FALSE);
    EXPECT_FALSE(Shown(hStrip));
    ExpectListFills();
}

TEST_F(MessageContainerTest, WithTheFlagTheStripTakesTheTopForItsLines) {
    QxLayoutMessageContainer(hContainer, TRUE);
    EXPECT_TRUE(Shown(hStrip));
    EXPECT_EQ(QxIndicationHeight(hContainer), 0); // no line: no height
    ExpectListFills();

    const int h = StripLineHeight();
    const struct {
        DWORD dwCode;
        const wchar_t* text;
        int expectedHeight;
    } steps[] = {
        {7, L"Alice is typing", h + 6},
        {9, L"Bob is typing", 2 * h + 2 + 6},
        {1, L"Carol is typing", 3 * h + 2 * 2 + 6},
        {9, L"", 2 * h + 2 + 6}, // an emptied line takes no room
    };
    for (const auto& s : steps) {
        QxSetIndicationLine(hContainer, s.dwCode, s.text);
        EXPECT_EQ(QxGetIndicationLine(hContainer, s.dwCode), s.text);
        EXPECT_EQ(QxIndicationHeight(hContainer), s.expectedHeight) << s.dwCode;
        const RECT strip = ChildRect(hStrip), rcList = ListRect();
        EXPECT_EQ(strip.top, 0);
        EXPECT_EQ(strip.right - strip.left, client.right);
        EXPECT_EQ(strip.bottom, s.expectedHeight);
        EXPECT_EQ(rcList.top, s.expectedHeight);
        EXPECT_EQ(rcList.bottom, client.bottom);
    }
}

TEST_F(MessageContainerTest, SettingALineShowsTheStripAndOtherCodesAreIgnored) {
    QxLayoutMessageContainer(hContainer, FALSE);
    QxSetIndicationLine(hContainer, 2, L"not a line");
    EXPECT_FALSE(Shown(hStrip));
    EXPECT_EQ(QxGetIndicationLine(hContainer, 2), L"");
    QxSetIndicationLine(hContainer, 1, L"typing");
    EXPECT_TRUE(Shown(hStrip));
    EXPECT_EQ(ListRect().top, StripLineHeight() + 6);
}

TEST_F(MessageContainerTest, AResizeKeepsTheStripsVisibility) {
    QxSetIndicationLine(hContainer, 1, L"typing");
    SetWindowPos(hContainer, nullptr, 0, 0, 350, 250, SWP_NOZORDER);
    client = ClientRectOf(hContainer);
    EXPECT_TRUE(Shown(hStrip));
    EXPECT_EQ(ChildRect(hStrip).right, client.right);
    EXPECT_EQ(ListRect().bottom, client.bottom);

    QxLayoutMessageContainer(hContainer, FALSE);
    SetWindowPos(hContainer, nullptr, 0, 0, 300, 200, SWP_NOZORDER);
    client = ClientRectOf(hContainer);
    EXPECT_FALSE(Shown(hStrip));
    ExpectListFills();
}

TEST_F(MessageContainerTest, AfterSwitchOffTheStripNeverShowsAgain) {
    QxSetIndicationLine(hContainer, 1, L"typing");
    ASSERT_TRUE(Shown(hStrip));
    QxSwitchOffIndication(hContainer);
    EXPECT_FALSE(Shown(hStrip));
    ExpectListFills();
    QxLayoutMessageContainer(hContainer, TRUE);
    QxSetIndicationLine(hContainer, 7, L"still typing");
    SetWindowPos(hContainer, nullptr, 0, 0, 320, 220, SWP_NOZORDER);
    client = ClientRectOf(hContainer);
    EXPECT_FALSE(Shown(hStrip));
    ExpectListFills();
    EXPECT_EQ(QxGetIndicationLine(hContainer, 7), L"still typing"); // the texts are still kept
}

TEST_F(MessageContainerTest, TheContainerPassesTheFocusToTheList) {
    SetFocus(hContainer);
    EXPECT_EQ(GetFocus(), list->GetHwnd());
}

} // namespace

namespace {

// Refuses the creation of the windows with one title on this thread while it lives.
class CreationRefusal {
public:
    explicit CreationRefusal(const wchar_t* lpszTitle) {
        s_lpszTitle = lpszTitle;
        m_hHook = SetWindowsHookExW(WH_CBT, Hook, nullptr, GetCurrentThreadId());
    }
    ~CreationRefusal() {
        if (m_hHook) UnhookWindowsHookEx(m_hHook);
    }
    CreationRefusal(const CreationRefusal&) = delete;
    CreationRefusal& operator=(const CreationRefusal&) = delete;
    bool Installed() const { return m_hHook != nullptr; }

private:
    static LRESULT CALLBACK Hook(int nCode, WPARAM wParam, LPARAM lParam) {
        if (nCode == HCBT_CREATEWND) {
            const CREATESTRUCTW* cs = reinterpret_cast<CBT_CREATEWNDW*>(lParam)->lpcs;
            if (cs->lpszName && !IS_INTRESOURCE(cs->lpszName) && wcscmp(cs->lpszName, s_lpszTitle) == 0)
                return 1;
        }
        return CallNextHookEx(nullptr, nCode, wParam, lParam);
    }
    static const wchar_t* s_lpszTitle;
    HHOOK m_hHook = nullptr;
};
const wchar_t* CreationRefusal::s_lpszTitle = L"";

TEST(MessageContainerFailure, AMissingChildIsTracedAndLeftOut) {
    const struct {
        const wchar_t* title;
        const wchar_t* line;
        bool bList, bStrip;
    } cases[] = {{L"MessageWindow", L"Fail: CMessageContainerWnd::OnCreate, m_wndMessage", false, true},
                 {L"IndicationWindow", L"Fail: CMessageContainerWnd::OnCreate, m_wndIndicator", true, false}};
    TestHostWindow host;
    for (const auto& c : cases) {
        TraceCapture capture;
        HWND hContainer = nullptr;
        {
            CreationRefusal refusal(c.title);
            ASSERT_TRUE(refusal.Installed());
            hContainer = QxCreateMessageContainer(host.Get());
        }
        ASSERT_NE(hContainer, nullptr) << "the container itself stands";
        EXPECT_TRUE(capture.Contains(c.line)) << capture.Dump();
        EXPECT_EQ(QxMessageList(hContainer) != nullptr, c.bList);
        EXPECT_EQ(QxIndicationWindow(hContainer) != nullptr, c.bStrip);
        // Every later operation still works on what is there.
        SetWindowPos(hContainer, nullptr, 0, 0, 200, 100, SWP_NOZORDER);
        QxLayoutMessageContainer(hContainer, TRUE);
        QxSetIndicationLine(hContainer, 7, L"typing");
        if (CMessageWindow* list = QxMessageList(hContainer)) {
            EXPECT_EQ(ChildRect(list->GetHwnd()).bottom, 100 - 2);
        }
        DestroyWindow(hContainer);
    }
}

} // namespace
