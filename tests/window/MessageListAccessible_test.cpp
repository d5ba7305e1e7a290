// The message list as a screen reader reaches it: through the platform's
// AccessibleObjectFromWindow, the children's names, states, places and order, the announcement
// events a WinEvent hook sees, and the object's end with its window.
#include "window/MessageListAccessible.h"

#include "AccessibleTestSupport.h"
#include "MessageListFixture.h"
#include "window/AccessibleBase.h"

#include <gtest/gtest.h>
#include <oleacc.h>

#include <memory>
#include <vector>

using namespace windowtest;

namespace {

struct Events {
    struct Seen {
        DWORD dwEvent;
        HWND hWnd;
        LONG idObject, idChild;
    };
    std::vector<Seen> seen;
};
Events* g_pEvents = nullptr;

void CALLBACK OnWinEvent(HWINEVENTHOOK, DWORD dwEvent, HWND hWnd, LONG idObject, LONG idChild, DWORD, DWORD) {
    if (g_pEvents) g_pEvents->seen.push_back({dwEvent, hWnd, idObject, idChild});
}

constexpr LONG kSentinelChild = 0x7FFF0000;

class ListAccessibleTest : public MessageListTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
        nLiveBefore = QxLiveAccessibleObjects();
        MessageListTest::SetUp();
    }
    void TearDown() override {
        if (acc) acc->Release();
        acc = nullptr;
        if (hHook) UnhookWinEvent(hHook);
        g_pEvents = nullptr;
        MessageListTest::TearDown();
        EXPECT_EQ(QxLiveAccessibleObjects(), nLiveBefore) << "an accessible object outlived its window";
        CoUninitialize();
    }
    IAccessible* Acc() {
        if (!acc) {
            EXPECT_EQ(AccessibleObjectFromWindow(hList, static_cast<DWORD>(OBJID_CLIENT),
                                                 __uuidof(IAccessible), reinterpret_cast<void**>(&acc)),
                      S_OK);
        }
        return acc;
    }
    LONG ChildCount() {
        LONG n = -1;
        EXPECT_EQ(Acc()->get_accChildCount(&n), S_OK);
        return n;
    }
    std::wstring Name(LONG lChild) {
        BstrText t;
        Acc()->get_accName(Child(lChild), &t.b);
        return t.Str();
    }
    LONG State(LONG lChild) {
        VARIANT v;
        VariantInit(&v);
        EXPECT_EQ(Acc()->get_accState(Child(lChild), &v), S_OK);
        return v.vt == VT_I4 ? v.lVal : -1;
    }
    RECT Location(LONG lChild) {
        LONG x = 0, y = 0, cx = 0, cy = 0;
        EXPECT_EQ(Acc()->accLocation(&x, &y, &cx, &cy, Child(lChild)), S_OK);
        return RECT{x, y, x + cx, y + cy};
    }
    // Child id where navigation from lFrom ends, 0 for none (VT_EMPTY).
    LONG Navigate(LONG lFrom, LONG dir, HRESULT* phr = nullptr) {
        VARIANT v;
        VariantInit(&v);
        const HRESULT hr = Acc()->accNavigate(dir, Child(lFrom), &v);
        if (phr) *phr = hr;
        return v.vt == VT_I4 ? v.lVal : 0;
    }
    // The event the list raises for a new message, counted for the list's children.
    void Hook() {
        g_pEvents = &events;
        hHook = SetWinEventHook(EVENT_OBJECT_SHOW, 0x8019, nullptr, OnWinEvent, GetCurrentProcessId(), 0,
                                WINEVENT_OUTOFCONTEXT);
        ASSERT_NE(hHook, nullptr);
        announceEvent = list->Accessibility()->AnnouncementEvent();
    }
    // Announcements seen so far: every event is delivered once a sentinel raised after them is.
    std::vector<LONG> Announced() {
        NotifyWinEvent(announceEvent, hList, OBJID_CLIENT, kSentinelChild);
        const auto sentinelSeen = [this] {
            for (const auto& e : events.seen)
                if (e.idChild == kSentinelChild) return true;
            return false;
        };
        EXPECT_TRUE(PumpUntil(sentinelSeen, 5000)) << "the hook heard nothing";
        std::vector<LONG> children;
        for (const auto& e : events.seen)
            if (e.dwEvent == announceEvent && e.hWnd == hList && e.idObject == OBJID_CLIENT &&
                e.idChild != kSentinelChild)
                children.push_back(e.idChild);
        events.seen.clear();
        return children;
    }
    void Received(const std::wstring& sender, const std::wstring& text) {
        list->ShowMessage(sender, text, L" to Everyone:", L"December 8, 2026", L"15:40", false);
    }

    IAccessible* acc = nullptr;
    LONG nLiveBefore = 0;
    HWINEVENTHOOK hHook = nullptr;
    Events events;
    DWORD announceEvent = 0;
};

TEST(ListChildrenTest, AHeaderAndTheTextAfterItAreOneChildEveryOtherItemIsItsOwn) {
    // header text notice header text highlight text(alone) header header text
    const DWORD kinds[] = {1, 2, 3, 1, 2, 4, 2, 1, 1, 2};
    const int firsts[] = {0, 2, 3, 5, 6, 7, 8};
    const int childOfItem[] = {0, 0, 1, 2, 2, 3, 4, 5, 6, 6};
    auto kindOf = [&](int i) { return kinds[i]; };
    // Taken in all at once, or one item at a time (a header seen before its text): the same.
    CListChildren whole, stepwise;
    whole.Sync(10, kindOf);
    for (int n = 1; n <= 10; ++n)
        stepwise.Sync(n, kindOf);
    for (const CListChildren* c : {&whole, &stepwise}) {
        ASSERT_EQ(c->Count(), 7);
        for (int i = 0; i < 7; ++i) {
            EXPECT_EQ(c->FirstItem(i), firsts[i]) << i;
            EXPECT_EQ(c->LastItem(i), i + 1 < 7 ? firsts[i + 1] - 1 : 9) << i;
        }
        for (int i = 0; i < 10; ++i)
            EXPECT_EQ(c->ChildOf(i), childOfItem[i]) << i;
        EXPECT_EQ(c->ChildOf(-1), -1);
        EXPECT_EQ(c->ChildOf(10), -1); // not taken in yet
    }
}

TEST(ListChildrenTest, NameJoinsHeaderAndTextWithOneSpace) {
    MessageItem header{}, text{};
    header.kind = 1;
    text.kind = 2;
    const struct {
        const wchar_t *header, *text, *name;
    } cases[] = {
        {L"Ann to Everyone:", L"Good morning", L"Ann to Everyone: Good morning"},
        {L"Ann to Everyone:  ", L"Good morning", L"Ann to Everyone: Good morning"},
        {L"", L"Good morning", L"Good morning"},
        {L"Ann to Everyone:", L"", L"Ann to Everyone:"},
    };
    for (const auto& c : cases) {
        header.text = c.header;
        text.text = c.text;
        EXPECT_EQ(QxChildName(&header, &text), c.name);
    }
    EXPECT_EQ(QxChildName(nullptr, &text), text.text);
}

TEST_F(ListAccessibleTest, ChildrenAreTheShownMessagesAndNoticesNamedByHeaderAndText) {
    Received(L"Ann", L"Good morning");
    list->ShowNotice(3, L"Bob has left the chat", L"December 8, 2026", L"15:41");
    list->ShowNotice(9, L"Bob is typing", L"", L""); // an indication line, not a child
    list->ShowNotice(6, L"Recording started", L"December 8, 2026", L"15:42");
    Received(L"Cid", L"See www.example.com");
    list->Refresh();

    VARIANT role;
    ASSERT_EQ(Acc()->get_accRole(Child(CHILDID_SELF), &role), S_OK);
    EXPECT_EQ(role.lVal, ROLE_SYSTEM_LIST);
    ASSERT_EQ(ChildCount(), 4);
    EXPECT_EQ(Name(1), L"Ann to Everyone: Good morning");
    EXPECT_EQ(Name(2), L"Bob has left the chat");
    EXPECT_EQ(Name(3), L"Recording started");
    EXPECT_EQ(Name(4), L"Cid to Everyone: See www.example.com");
    for (LONG l = 1; l <= 4; ++l) {
        ASSERT_EQ(Acc()->get_accRole(Child(l), &role), S_OK);
        EXPECT_EQ(role.lVal, ROLE_SYSTEM_LISTITEM);
    }
    BstrText when;
    EXPECT_EQ(Acc()->get_accDescription(Child(1), &when.b), S_OK);
    EXPECT_EQ(when.Str(), L"December 8, 2026 15:40");

    // A message shown later is a child at once, without a new object.
    Received(L"Dee", L"Hello");
    EXPECT_EQ(ChildCount(), 5);
    EXPECT_EQ(Name(5), L"Dee to Everyone: Hello");

    BstrText bad;
    EXPECT_EQ(Acc()->get_accName(Child(6), &bad.b), E_INVALIDARG);
    EXPECT_EQ(Acc()->get_accName(Child(-1), &bad.b), E_INVALIDARG);
    IDispatch* pChild = reinterpret_cast<IDispatch*>(1);
    EXPECT_EQ(Acc()->get_accChild(Child(2), &pChild), S_FALSE);
    EXPECT_EQ(pChild, nullptr);
}

TEST_F(ListAccessibleTest, LocationsFollowTheLayoutAndScrollingMakesChildrenOffscreen) {
    Fill(40);
    ASSERT_TRUE(list->ScrollState().Shown());
    ASSERT_EQ(ChildCount(), 40);
    POINT origin = {0, 0};
    ClientToScreen(hList, &origin);
    const long long shift = list->ScrollState().Shift();
    ASSERT_GT(shift, 0); // followed to the bottom
    // The last message: its header and text, where the layout put them.
    const RECT last = Location(40);
    EXPECT_EQ(last.top, origin.y + list->HeightAbove(78) - shift);
    EXPECT_EQ(last.bottom - last.top, list->GetItem(78).height + list->GetItem(79).height);
    EXPECT_EQ(last.left, origin.x + list->GetItem(78).left);
    EXPECT_EQ(last.right, origin.x + list->GetItem(78).right);
    EXPECT_FALSE(State(40) & STATE_SYSTEM_OFFSCREEN);
    EXPECT_TRUE(State(1) & STATE_SYSTEM_OFFSCREEN);

    // The list itself covers its client area.
    const RECT self = Location(CHILDID_SELF);
    EXPECT_EQ(self.left, origin.x);
    EXPECT_EQ(self.top, origin.y);
    EXPECT_EQ(self.bottom - self.top, ClientHeight());

    list->Scroll(ScrollAction::Top);
    EXPECT_FALSE(State(1) & STATE_SYSTEM_OFFSCREEN);
    EXPECT_TRUE(State(40) & STATE_SYSTEM_OFFSCREEN);
    EXPECT_EQ(Location(1).top, origin.y);

    // A point inside a child finds it; a point outside the list finds nothing.
    const RECT first = Location(2);
    VARIANT hit;
    ASSERT_EQ(Acc()->accHitTest((first.left + first.right) / 2, (first.top + first.bottom) / 2, &hit), S_OK);
    EXPECT_EQ(hit.vt, VT_I4);
    EXPECT_EQ(hit.lVal, 2);
    EXPECT_EQ(Acc()->accHitTest(origin.x - 5, origin.y - 5, &hit), S_FALSE);
    EXPECT_EQ(hit.vt, VT_EMPTY);
}

TEST_F(ListAccessibleTest, SelectedChildrenHaveTheSelectedStateAndTheSelection) {
    Fill(3);
    list->ShowNotice(3, L"notice", L"", L"");
    list->Refresh();
    for (LONG l = 1; l <= 4; ++l)
        EXPECT_FALSE(State(l) & STATE_SYSTEM_SELECTED) << l;
    VARIANT sel;
    EXPECT_EQ(Acc()->get_accSelection(&sel), S_FALSE);

    // Part of the second message's text: the child is selected.
    list->SelectText(TextPoint{3, 2}, TextPoint{3, 5});
    EXPECT_FALSE(State(1) & STATE_SYSTEM_SELECTED);
    EXPECT_TRUE(State(2) & STATE_SYSTEM_SELECTED);
    EXPECT_FALSE(State(3) & STATE_SYSTEM_SELECTED);
    ASSERT_EQ(Acc()->get_accSelection(&sel), S_OK);
    EXPECT_EQ(sel.vt, VT_I4);
    EXPECT_EQ(sel.lVal, 2);

    // Everything: all children, handed out one after another.
    list->SelectAll();
    for (LONG l = 1; l <= 4; ++l)
        EXPECT_TRUE(State(l) & STATE_SYSTEM_SELECTED) << l;
    ASSERT_EQ(Acc()->get_accSelection(&sel), S_OK);
    ASSERT_EQ(sel.vt, VT_UNKNOWN);
    IEnumVARIANT* pEnum = nullptr;
    ASSERT_EQ(sel.punkVal->QueryInterface(__uuidof(IEnumVARIANT), reinterpret_cast<void**>(&pEnum)), S_OK);
    VARIANT got[6];
    ULONG nGot = 0;
    EXPECT_EQ(pEnum->Next(6, got, &nGot), S_FALSE);
    ASSERT_EQ(nGot, 4u);
    for (ULONG i = 0; i < nGot; ++i)
        EXPECT_EQ(got[i].lVal, static_cast<LONG>(i + 1));
    pEnum->Release();
    VariantClear(&sel);

    // A reader selects a child: its header and text are the list's selection.
    ASSERT_EQ(Acc()->accSelect(SELFLAG_TAKESELECTION, Child(3)), S_OK);
    EXPECT_EQ(list->GetSelectedText(), L"User 2 says:\r\nmessage number 2\r\n"); // a notice follows
    EXPECT_TRUE(State(3) & STATE_SYSTEM_SELECTED);
    EXPECT_FALSE(State(4) & STATE_SYSTEM_SELECTED);
}

TEST_F(ListAccessibleTest, NavigationGoesToTheNextAndPreviousChildAndStopsAtTheEnds) {
    Fill(3);
    HRESULT hr = S_OK;
    EXPECT_EQ(Navigate(CHILDID_SELF, NAVDIR_FIRSTCHILD), 1);
    EXPECT_EQ(Navigate(CHILDID_SELF, NAVDIR_LASTCHILD), 3);
    EXPECT_EQ(Navigate(1, NAVDIR_NEXT), 2);
    EXPECT_EQ(Navigate(2, NAVDIR_DOWN), 3);
    EXPECT_EQ(Navigate(3, NAVDIR_NEXT, &hr), 0);
    EXPECT_EQ(hr, S_FALSE);
    EXPECT_EQ(Navigate(3, NAVDIR_PREVIOUS), 2);
    EXPECT_EQ(Navigate(2, NAVDIR_UP), 1);
    EXPECT_EQ(Navigate(1, NAVDIR_PREVIOUS, &hr), 0);
    EXPECT_EQ(hr, S_FALSE);
    EXPECT_EQ(Navigate(4, NAVDIR_PREVIOUS, &hr), 0);
    EXPECT_EQ(hr, E_INVALIDARG);
}

TEST_F(ListAccessibleTest, OneReceivedMessageIsAnnouncedOnceAsItsChild) {
    Hook();
    std::printf("announcement event: 0x%04lx\n", announceEvent);
    Received(L"Ann", L"Good morning");
    Tick(TIMER_REFRESH);
    const std::vector<LONG> children = Announced();
    ASSERT_EQ(children.size(), 1u);
    EXPECT_EQ(children[0], 1); // raised for the new child

    // A notice from the engine is announced too; an indication line is not an item.
    list->ShowNotice(3, L"Bob has left the chat", L"", L"");
    Tick(TIMER_REFRESH);
    EXPECT_EQ(Announced().size(), 1u);
    list->ShowNotice(9, L"Bob is typing", L"", L"");
    list->Refresh();
    EXPECT_TRUE(Announced().empty());
}

TEST_F(ListAccessibleTest, TheSendersOwnMessageAndLoadedItemsAreNotAnnounced) {
    Hook();
    list->ShowMessage(L"Me", L"my own words", L" to Everyone:", L"d", L"t", true);
    Tick(TIMER_REFRESH);
    EXPECT_TRUE(Announced().empty());
    Fill(5); // as the transcript loader adds them
    EXPECT_TRUE(Announced().empty());
    // Someone else's message and then the user's own in one refresh: the other one is spoken.
    Received(L"Ann", L"first");
    list->ShowMessage(L"Me", L"reply", L" to Everyone:", L"d", L"t", true);
    Tick(TIMER_REFRESH);
    const std::vector<LONG> children = Announced();
    ASSERT_EQ(children.size(), 1u);
    EXPECT_EQ(children[0], ChildCount() - 1);
}

TEST_F(ListAccessibleTest, ABurstOfAHundredMessagesIsAHandfulOfAnnouncementsOfTheNewest) {
    Hook();
    for (int i = 0; i < 100; ++i)
        Received(L"Ann", L"burst " + std::to_wstring(i));
    if (list->IsRefreshPending()) Tick(TIMER_REFRESH);
    const std::vector<LONG> children = Announced();
    ASSERT_GE(children.size(), 1u);
    EXPECT_LE(children.size(), 5u);
    EXPECT_LE(static_cast<int>(children.size()), list->RefreshCount());
    EXPECT_EQ(children.back(), 100);
    EXPECT_EQ(Name(children.back()), L"Ann to Everyone: burst 99");
}

TEST_F(ListAccessibleTest, TheObjectIsReleasedWithItsWindowAndFailsCleanlyAfterwards) {
    Fill(2);
    ASSERT_EQ(ChildCount(), 2);
    EXPECT_GT(QxLiveAccessibleObjects(), nLiveBefore);
    // A second request hands out the same object.
    IAccessible* again = nullptr;
    ASSERT_EQ(AccessibleObjectFromWindow(hList, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                         reinterpret_cast<void**>(&again)),
              S_OK);
    EXPECT_EQ(again, acc);
    again->Release();

    DestroyWindow(hContainer);
    hContainer = nullptr;
    LONG n = 7;
    EXPECT_EQ(acc->get_accChildCount(&n), CO_E_OBJNOTCONNECTED);
    EXPECT_EQ(n, 0);
    BstrText name;
    EXPECT_EQ(acc->get_accName(Child(1), &name.b), CO_E_OBJNOTCONNECTED);
    EXPECT_EQ(name.b, nullptr);
    LONG x, y, cx, cy;
    EXPECT_EQ(acc->accLocation(&x, &y, &cx, &cy, Child(1)), CO_E_OBJNOTCONNECTED);
    VARIANT v;
    EXPECT_EQ(acc->accNavigate(NAVDIR_NEXT, Child(1), &v), CO_E_OBJNOTCONNECTED);
    EXPECT_EQ(acc->accSelect(SELFLAG_TAKESELECTION, Child(1)), CO_E_OBJNOTCONNECTED);
    acc->Release();
    acc = nullptr;
    EXPECT_EQ(QxLiveAccessibleObjects(), nLiveBefore);
}

TEST_F(ListAccessibleTest, AnObjectNoReaderKeptGoesWithTheWindow) {
    Fill(1);
    ASSERT_EQ(ChildCount(), 1);
    acc->Release();
    acc = nullptr;
    EXPECT_GT(QxLiveAccessibleObjects(), nLiveBefore); // the list keeps it for the next request
    DestroyWindow(hContainer);
    hContainer = nullptr;
    EXPECT_EQ(QxLiveAccessibleObjects(), nLiveBefore);
}

} // namespace
