// The message list: its items and their fields, the bookkeeping, the deferred refresh, the
// selected text and copying it, and the plain drawing.
#include "window/MessageWindow.h"

#include "TraceCapture.h"
#include "MessageListFixture.h"

#include <gtest/gtest.h>

using namespace windowtest;

namespace {

class MessageWindowTest : public MessageListTest {
protected:
    static std::unique_ptr<MessageItem> Loaded(DWORD kind, const std::wstring& text) {
        return Item(kind, text);
    }
};

TEST_F(MessageWindowTest, ShowMessageAddsAHeaderThenTheTextWhichKeepsTheFields) {
    EXPECT_FALSE(list->HasItems());
    list->ShowMessage(L"Alice", L"Hello", L" says to Everyone:", L"December 6, 2026", L"10:15");
    ASSERT_EQ(list->GetItemCount(), 2);
    const MessageItem& header = list->GetItem(0);
    EXPECT_EQ(header.kind, ITEM_HEADER);
    EXPECT_EQ(header.text, L"Alice says to Everyone:");
    EXPECT_TRUE(header.date.empty() && header.time.empty() && header.senderPart.empty() &&
                header.restPart.empty());
    EXPECT_TRUE(header.links.empty());
    const MessageItem& text = list->GetItem(1);
    EXPECT_EQ(text.kind, ITEM_TEXT);
    EXPECT_EQ(text.text, L"Hello");
    EXPECT_EQ(text.date, L"December 6, 2026");
    EXPECT_EQ(text.time, L"10:15");
    EXPECT_EQ(text.senderPart, L"Alice");
    EXPECT_EQ(text.restPart, L" says to Everyone:");
    for (int i = 0; i < 2; ++i) {
        const MessageItem& item = list->GetItem(i);
        EXPECT_EQ(item.selStart, -1);
        EXPECT_EQ(item.selEnd, -1);
        EXPECT_EQ(item.selState, 0u);
        EXPECT_EQ(item.margin, 0);
    }
    EXPECT_TRUE(list->HasItems());
}

TEST_F(MessageWindowTest, NoticeSubtypesChooseTheKindOrTheIndicationLine) {
    const struct {
        DWORD dwSubtype;
        DWORD kind; // 0: no item, an indication line instead
    } cases[] = {{0, ITEM_NOTICE},    {1, 0},           {2, ITEM_NOTICE},    {3, ITEM_NOTICE},
                 {4, ITEM_NOTICE},    {5, ITEM_NOTICE}, {6, ITEM_HIGHLIGHT}, {7, 0},
                 {8, ITEM_HIGHLIGHT}, {9, 0},           {10, ITEM_NOTICE},   {0xFFFFFFFF, ITEM_NOTICE}};
    for (const auto& c : cases) {
        const int before = list->GetItemCount();
        const std::wstring text = L"notice " + std::to_wstring(c.dwSubtype);
        list->ShowNotice(c.dwSubtype, text, L"d", L"t");
        if (c.kind == 0) {
            EXPECT_EQ(list->GetItemCount(), before) << c.dwSubtype;
            EXPECT_EQ(QxGetIndicationLine(hContainer, c.dwSubtype), text);
            continue;
        }
        ASSERT_EQ(list->GetItemCount(), before + 1) << c.dwSubtype;
        const MessageItem& item = list->GetItem(before);
        EXPECT_EQ(item.kind, c.kind) << c.dwSubtype;
        EXPECT_EQ(item.text, text);
        EXPECT_EQ(item.date, L"d");
        EXPECT_EQ(item.time, L"t");
        EXPECT_TRUE(item.senderPart.empty() && item.restPart.empty());
    }
}

TEST_F(MessageWindowTest, EveryAddedItemCountsInTheSizeSumAndSetsBothUnsavedFlags) {
    EXPECT_FALSE(list->IsUnsaved());
    EXPECT_FALSE(list->IsUnsavedSinceAutoSave());
    EXPECT_EQ(list->TextSizeSum(), 0u);
    Say(L"Bob", L"hi"); // header "Bob says:" (9) and text (2)
    EXPECT_EQ(list->TextSizeSum(), (2u * 9 + 8) + (2u * 2 + 8));
    list->ShowNotice(3, L"", L"", L"");
    EXPECT_EQ(list->TextSizeSum(), (2u * 9 + 8) + (2u * 2 + 8) + 8);
    list->ShowNotice(9, L"an indication line", L"", L""); // not an item: nothing counted
    EXPECT_EQ(list->TextSizeSum(), (2u * 9 + 8) + (2u * 2 + 8) + 8);

    EXPECT_TRUE(list->IsUnsaved() && list->IsUnsavedSinceAutoSave());
    list->ClearUnsaved(false);
    EXPECT_FALSE(list->IsUnsaved());
    EXPECT_TRUE(list->IsUnsavedSinceAutoSave());
    list->ClearUnsaved(true);
    EXPECT_FALSE(list->IsUnsavedSinceAutoSave());
    list->Append(Loaded(ITEM_TEXT, L"read back"), false);
    EXPECT_TRUE(list->IsUnsaved() && list->IsUnsavedSinceAutoSave());
}

TEST_F(MessageWindowTest, ABurstOfEngineItemsCostsOneRefreshPerPeriod) {
    const DWORD dwStart = GetTickCount();
    for (int i = 0; i < 1000; ++i)
        Say(L"Carol", L"message " + std::to_wstring(i));
    const DWORD dwElapsed = GetTickCount() - dwStart;
    EXPECT_EQ(list->GetItemCount(), 2000);
    EXPECT_LE(list->RefreshCount(), static_cast<int>(dwElapsed / 300)) << "at most one per 300 ms";
    EXPECT_TRUE(list->IsRefreshPending());
    const int nBefore = list->RefreshCount();
    ASSERT_TRUE(PumpUntil([&] { return list->RefreshCount() > nBefore; }, 3000));
    EXPECT_EQ(list->RefreshCount(), nBefore + 1);
    EXPECT_FALSE(list->IsRefreshPending()); // nothing left that could refresh again
    // A later message starts a new round.
    Say(L"Carol", L"one more");
    EXPECT_TRUE(list->IsRefreshPending());
    ASSERT_TRUE(PumpUntil([&] { return list->RefreshCount() == nBefore + 2; }, 3000));
}

DWORD g_dwBurstNow = 0;
DWORD WINAPI BurstClock() {
    return g_dwBurstNow;
}

// Timer messages wait for an empty queue: a burst that never lets the queue empty must still
// refresh once each period instead of once at its end. The burst's time is the test's clock, a
// message every 10 ms for 700 ms, so a busy machine cannot stretch it.
TEST_F(MessageWindowTest, ABurstThatNeverYieldsStillRefreshesEachPeriod) {
    list->SetClock(BurstClock);
    g_dwBurstNow = 0xFFFFFF00; // the count wraps during the burst
    std::vector<int> refreshedAt;
    for (int ms = 0; ms <= 700; ms += 10) {
        const int nBefore = list->RefreshCount();
        Say(L"Carol", L"message " + std::to_wstring(ms));
        if (list->RefreshCount() != nBefore) refreshedAt.push_back(ms);
        g_dwBurstNow += 10;
    }
    // Once every 300 ms: the item after a refresh (here the message text after its header)
    // starts the next period.
    EXPECT_EQ(refreshedAt, (std::vector<int>{300, 600}));
    EXPECT_TRUE(list->IsRefreshPending()); // the rest waits for the timer
    list->SetClock(nullptr);
}

TEST_F(MessageWindowTest, TheLoaderPathDoesNotStartTheTimer) {
    for (int i = 0; i < 50; ++i)
        list->Append(Loaded(i % 2 ? ITEM_TEXT : ITEM_HEADER, L"line"), false);
    EXPECT_FALSE(list->IsRefreshPending());
    EXPECT_EQ(list->RefreshCount(), 0);
    list->Refresh();
    EXPECT_EQ(list->RefreshCount(), 1);
    for (int i = 0; i < list->GetItemCount(); ++i)
        EXPECT_FALSE(list->GetItem(i).needsLayout) << i;
}

TEST_F(MessageWindowTest, HeightsFollowTheKindAndTheWidth) {
    const std::wstring longText(60, L'w');
    list->Append(Loaded(ITEM_TEXT, L"short"), false);
    list->Append(Loaded(ITEM_NOTICE, L"short"), false);
    std::wstring words;
    for (int i = 0; i < 40; ++i)
        words += L"word ";
    list->Append(Loaded(ITEM_TEXT, words), false);
    list->Refresh();
    const int nLine = list->LineHeight(ITEM_TEXT);
    ASSERT_GT(nLine, 0);
    EXPECT_EQ(list->GetItem(0).height, nLine);
    EXPECT_EQ(list->GetItem(1).height, nLine + 12);
    const int nWide = list->GetItem(2).height;
    EXPECT_GT(nWide, nLine); // wrapped at 300 pixels
    EXPECT_EQ(list->GetItem(2).right, list->LayoutWidth());

    // A narrower list measures again: more lines for the long item, the short ones unchanged.
    SetWindowPos(hContainer, nullptr, 0, 0, 150, 200, SWP_NOZORDER);
    EXPECT_FALSE(list->GetItem(2).needsLayout);
    EXPECT_GT(list->GetItem(2).height, nWide);
    EXPECT_EQ(list->GetItem(0).height, nLine);
    EXPECT_EQ(list->GetItem(2).right, list->LayoutWidth());
    // A height change alone keeps the measurements.
    const int nNarrow = list->GetItem(2).height;
    SetWindowPos(hContainer, nullptr, 0, 0, 150, 120, SWP_NOZORDER);
    EXPECT_EQ(list->GetItem(2).height, nNarrow);
}

// Fewer than 700 items are measured again at once, the oldest as well as the newest.
TEST_F(MessageWindowTest, AfterAWidthChangeEveryItemIsMeasured) {
    for (int i = 0; i < 500; ++i)
        list->Append(Loaded(ITEM_TEXT, L"line " + std::to_wstring(i)), false);
    list->Refresh();
    SetWindowPos(hContainer, nullptr, 0, 0, 200, 200, SWP_NOZORDER);
    EXPECT_FALSE(list->IsIncrementalLayout());
    EXPECT_FALSE(list->GetItem(499).needsLayout);
    EXPECT_FALSE(list->GetItem(0).needsLayout);
}

TEST_F(MessageWindowTest, LineHeightsComeFromTheKindFonts) {
    for (DWORD kind = ITEM_HEADER; kind <= ITEM_HIGHLIGHT; ++kind)
        EXPECT_GT(list->LineHeight(kind), 8) << kind;
    EXPECT_EQ(list->LineHeight(0), 0);
    EXPECT_EQ(list->LineHeight(5), 0);
}

TEST_F(MessageWindowTest, SelectedTextJoinsItemsAndPutsALineBreakBeforeNotices) {
    Say(L"Alice", L"Hello");
    list->ShowNotice(3, L"Bob joined", L"", L"");
    Say(L"Bob", L"Hi");
    list->SelectAll();
    EXPECT_TRUE(list->HasSelection());
    EXPECT_EQ(list->GetSelectedText(), L"Alice says:\r\nHello\r\n\r\nBob joined\r\nBob says:\r\nHi");
    // One message: header, "\r\n", text; the notice after it still adds its break.
    list->SelectRange(1, 0);
    EXPECT_EQ(list->GetSelectedText(), L"Alice says:\r\nHello\r\n");
    list->SelectRange(3, 4);
    EXPECT_EQ(list->GetSelectedText(), L"Bob says:\r\nHi");
    list->ClearSelection();
    EXPECT_FALSE(list->HasSelection());
    EXPECT_EQ(list->GetSelectedText(), L"");
}

TEST_F(MessageWindowTest, HasSelectionNeedsTwoItemsOrANonEmptyRange) {
    EXPECT_FALSE(list->HasSelection());
    list->SelectAll(); // no items: nothing to select
    EXPECT_FALSE(list->HasSelection());
    list->Append(Loaded(ITEM_TEXT, L""), false);
    list->SelectAll();
    EXPECT_FALSE(list->HasSelection()); // one item, empty range
    list->Append(Loaded(ITEM_TEXT, L"x"), false);
    list->SelectRange(1, 1);
    EXPECT_TRUE(list->HasSelection());
    list->SelectRange(0, 1);
    EXPECT_TRUE(list->HasSelection());
}

TEST(ItemSelectedText, WholeOrPartOfTheText) {
    MessageItem item;
    item.kind = ITEM_TEXT;
    item.text = L"abcdef";
    const struct {
        DWORD selState;
        int selStart, selEnd;
        const wchar_t* expected;
    } cases[] = {
        {0, 0, 6, L""}, {1, -1, -1, L"abcdef"}, {2, 1, 3, L"bc"},  {3, 4, 2, L"cd"},
        {2, 3, 3, L""}, {2, -5, 2, L"ab"},      {2, 4, 99, L"ef"}, {2, 9, 12, L""},
    };
    for (const auto& c : cases) {
        item.selState = c.selState;
        item.selStart = c.selStart;
        item.selEnd = c.selEnd;
        EXPECT_EQ(QxItemSelectedText(item), c.expected) << c.selState << " " << c.selStart << "-" << c.selEnd;
    }
}

TEST_F(MessageWindowTest, CtrlAThenCtrlCCopiesTheTextAndTracesIt) {
    Say(L"Alice", L"Hello");
    list->ShowNotice(6, L"Recording", L"", L"");
    TraceCapture capture;
    ASSERT_TRUE(SetClipboardText(L"old"));
    {
        CtrlHeld ctrl;
        PressKey(list->GetHwnd(), 'A');
        EXPECT_TRUE(list->HasSelection());
        PressKey(list->GetHwnd(), 'C');
    }
    const std::wstring expected = L"Alice says:\r\nHello\r\n\r\nRecording";
    EXPECT_EQ(ClipboardText(), expected);
    EXPECT_TRUE(capture.Contains(Fmt(L"CMessageWindow::CopyTextToClipBorad: %s, %d", expected.c_str(),
                                     static_cast<int>(expected.size()))))
        << capture.Dump();
}

TEST_F(MessageWindowTest, KeysWithoutCtrlSelectNothing) {
    Say(L"Alice", L"Hello");
    PressKey(list->GetHwnd(), 'A');
    EXPECT_FALSE(list->HasSelection());
}

TEST_F(MessageWindowTest, CopyWithoutSelectionLeavesTheClipboard) {
    Say(L"Alice", L"Hello");
    ASSERT_TRUE(SetClipboardText(L"kept"));
    EXPECT_FALSE(list->Copy());
    EXPECT_EQ(ClipboardText(), L"kept");
}

TEST_F(MessageWindowTest, ItemsAreDrawnFromTheTopInTheirKindColours) {
    Say(L"Alice", L"Hello");
    list->ShowNotice(8, L"highlighted", L"", L"");
    list->Refresh();
    PaintedClient painted(list->GetHwnd());
    const RECT& rc = painted.Rect();
    const int nHeader = list->GetItem(0).height;
    const int nText = list->GetItem(1).height;
    const int nNotice = list->GetItem(2).height;
    // The header at the top in its colour, the text below it, then the highlighted notice
    // with its background; white below everything.
    EXPECT_TRUE(painted.BandHas(0, nHeader, RGB(0x21, 0x45, 0x6B)));
    EXPECT_FALSE(painted.BandHas(nHeader, nHeader + nText, RGB(0x21, 0x45, 0x6B)));
    EXPECT_TRUE(painted.BandHas(nHeader, nHeader + nText, RGB(0, 0, 0)));
    const int nNoticeTop = nHeader + nText;
    EXPECT_EQ(painted.At(1, nNoticeTop), RGB(0xFE, 0xFE, 0xE9));
    EXPECT_EQ(painted.At(list->GetItem(2).right - 1, nNoticeTop + nNotice - 1), RGB(0xFE, 0xFE, 0xE9));
    EXPECT_FALSE(painted.BandHas(nNoticeTop + nNotice, rc.bottom, RGB(0, 0, 0)));
    EXPECT_EQ(painted.At(1, rc.bottom - 1), RGB(0xFF, 0xFF, 0xFF));
}

TEST_F(MessageWindowTest, SelectedItemsAreDrawnInTheSelectionColours) {
    Say(L"Alice", L"Hello");
    list->SelectRange(1, 1);
    PaintedClient painted(list->GetHwnd());
    const RECT rc = list->CharRect(1, 0);
    EXPECT_TRUE(painted.BandHas(rc.top, rc.bottom, RGB(0x0A, 0x24, 0x6A)));
    EXPECT_FALSE(painted.BandHas(0, list->GetItem(0).height, RGB(0x0A, 0x24, 0x6A)));
}

TEST_F(MessageWindowTest, TheListIsNamedAndFoundOnlyBehindItsWindow) {
    EXPECT_EQ(WindowText(list->GetHwnd()), L"MessageWindow");
    EXPECT_EQ(CMessageWindow::FromHwnd(list->GetHwnd()), list);
    EXPECT_EQ(CMessageWindow::FromHwnd(host.Get()), nullptr);
    EXPECT_EQ(CMessageWindow::FromHwnd(nullptr), nullptr);
}

} // namespace

// Printable ASCII takes its advances from a table measured once per font; every character must
// still get the advance the font gives it inside the whole text, so the wrap and the heights are
// those of measuring each item.
TEST_F(MessageWindowTest, TabledAdvancesAreTheFontsOwn) {
    std::wstring printable;
    for (wchar_t c = L' '; c <= L'~'; ++c)
        printable += c;
    std::wstring words;
    for (int i = 0; i < 30; ++i)
        words += L"Wide mmm iii, " + std::to_wstring(i) + L"; ";
    const std::wstring texts[] = {
        printable,
        words,
        L"stored message 4711: the figures of the quarter, page 31",
        L"tab\tafter\t\ttabs\r\nand a line\nbreak\r",
        std::wstring(400, L'W'),
        L"caf\x00E9 na\x00EFve \x65E5\x672C mixed with ASCII", // the font measures these
        L"~}|{`_^]\\[@?>=<;:/.-,+*)('&%$#\"! ",
    };
    const DWORD kinds[] = {ITEM_HEADER, ITEM_TEXT, ITEM_NOTICE, ITEM_HIGHLIGHT};
    for (DWORD kind : kinds)
        for (const std::wstring& text : texts)
            list->Append(Loaded(kind, text), false);
    // Lengths either side of the list's width: one line up to the room, two after it.
    for (int n = 20; n <= 90; ++n)
        list->Append(Loaded(n % 2 ? ITEM_HEADER : ITEM_TEXT, std::wstring(n, L'x')), false);
    list->Refresh();
    for (int n = 0; n < list->GetItemCount(); ++n) {
        const MessageItem& item = list->GetItem(n);
        const std::vector<int> measured = list->MeasureAdvances(item);
        const WrappedText wrap = list->WrapItem(item);
        ASSERT_EQ(measured.size(), item.text.size());
        int nChecked = 0;
        for (size_t i = 0; i < item.text.size(); ++i) {
            const wchar_t c = item.text[i];
            if (c == L'\t' || c == L'\r' || c == L'\n') continue;
            if (c < 0x80) {
                ASSERT_GT(measured[i], 0) << n << " " << i;
            }
            EXPECT_EQ(wrap.width[i], measured[i]) << "item " << n << " character " << i;
            ++nChecked;
        }
        EXPECT_GT(nChecked, 0);
        EXPECT_EQ(item.height, wrap.LineCount() * list->LineHeight(item.kind) +
                                   (item.kind == ITEM_NOTICE || item.kind == ITEM_HIGHLIGHT ? 12 : 0));
    }
    // The long words wrapped: the table's widths reach the wrap.
    EXPECT_GT(list->WrapItem(list->GetItem(4)).LineCount(), 3);
    int nOne = 0, nMore = 0;
    for (int n = list->GetItemCount() - 71; n < list->GetItemCount(); ++n)
        (list->GetItem(n).height == list->LineHeight(list->GetItem(n).kind) ? nOne : nMore) += 1;
    EXPECT_GT(nOne, 0);
    EXPECT_GT(nMore, 0) << "the lengths must cross the width";
}
