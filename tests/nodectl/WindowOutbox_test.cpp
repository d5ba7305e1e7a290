// Delivery of callbacks through the message loop, driven through qxnodectl.dll.
#include "NodeTestSupport.h"
#include "Pump.h"
#include "WindowOutbox.h"

#include <algorithm>
#include <memory>
#include <thread>

using namespace nctest;

namespace {

class DeliveryTest : public ::testing::Test {
protected:
    void SetUp() override { Control()->Reset(); }
    std::string Address() const { return ::testing::UnitTest::GetInstance()->current_test_info()->name(); }
};

int SendText(Participant& from, DWORD to, const std::string& text) {
    return from.nc->SendData(from.ape, to, 1, reinterpret_cast<const BYTE*>(text.data()),
                             static_cast<DWORD>(text.size()), 1, 1);
}

TEST_F(DeliveryTest, NothingArrivesAfterRelease) {
    Participant a(Address()), b(Address());
    ASSERT_TRUE(a.Enter("anna"));
    ASSERT_TRUE(b.Enter("ben"));
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(0, SendText(a, b.userId, "to ben"));
    const size_t before = b.sinks.events.size();
    b.Release();
    EXPECT_EQ(1u, Control()->PendingCallbacks()) << "b's queue is gone; a waits for b's removal";

    // Posted messages of one thread come in order: once a's own message is back, b's would have.
    ASSERT_EQ(0, SendText(a, a.userId, "sentinel"));
    ASSERT_TRUE(PumpUntil([&] { return a.sinks.Count(Event::Data) == 1; }));
    EXPECT_EQ(before, b.sinks.events.size());
    EXPECT_EQ(1u, RosterSeen(a.sinks).size());
}

TEST_F(DeliveryTest, DetachingDropsTheApesUndeliveredCallbacks) {
    Participant p(Address());
    ASSERT_TRUE(p.Connect() && p.Join());
    DWORD ape = 0;
    ASSERT_EQ(0, p.nc->AttachApe(&p.sinks, 0, 7, &ape));
    ASSERT_EQ(0, p.nc->DetachApe(ape));
    ASSERT_TRUE(PumpUntilQuiet());
    EXPECT_EQ(0, p.sinks.Count(Event::Attach));
}

// A sink that releases its controller from inside a callback: the remaining callbacks of
// that controller are dropped and the others go on.
TEST_F(DeliveryTest, ReleaseFromInsideACallback) {
    Participant a(Address()), b(Address());
    ASSERT_TRUE(a.Enter("anna"));
    ASSERT_TRUE(b.Connect() && b.Join() && b.Attach());
    b.sinks.onEvent = [&](const Event& e) {
        if (e.kind == Event::Enroll) b.Release();
    };
    QxResourceRecord resource = {1, "c_session_id", 1, 0};
    ASSERT_EQ(0, b.nc->EnrollApe(b.ape, 1, 5, 0, 1, &resource, "ben", 3, 3));
    ASSERT_TRUE(PumpUntilQuiet());
    EXPECT_EQ(Event::Enroll, b.sinks.events.back().kind) << "its roster change was never delivered";
    EXPECT_EQ((std::vector<DWORD>{7, 0, 1, 0}), a.sinks.Last(Event::Roster)->values);
}

// Far more callbacks than a thread's message queue holds, all delivered once and in order.
TEST_F(DeliveryTest, ManyCallbacksArriveInOrder) {
    Participant p(Address());
    ASSERT_TRUE(p.Enter("anna"));
    const int count = 12000;
    for (int i = 0; i < count; ++i)
        ASSERT_EQ(0, SendText(p, p.userId, std::to_string(i)));
    ASSERT_TRUE(PumpUntilQuiet(30000));
    std::vector<Event> got = p.sinks.Of(Event::Data);
    ASSERT_EQ(static_cast<size_t>(count), got.size());
    for (int i = 0; i < count; i += 997)
        EXPECT_EQ(std::to_string(i), got[i].bytes);
    EXPECT_EQ(std::to_string(count - 1), got.back().bytes);
}

// Calls made from inside a callback are answered later, not re-entrantly.
TEST_F(DeliveryTest, CallsFromCallbacksAreAnsweredLater) {
    Participant p(Address());
    ASSERT_TRUE(p.Enter("anna"));
    int depth = 0, deepest = 0;
    p.sinks.onEvent = [&](const Event& e) {
        if (e.kind != Event::Data) return;
        ++depth;
        deepest = std::max(deepest, depth);
        if (e.bytes.size() < 5) SendText(p, p.userId, e.bytes + "x");
        --depth;
    };
    ASSERT_EQ(0, SendText(p, p.userId, "x"));
    ASSERT_TRUE(PumpUntil([&] { return p.sinks.Count(Event::Data) == 5; }));
    EXPECT_EQ(1, deepest);
    EXPECT_EQ("xxxxx", p.sinks.Last(Event::Data)->bytes);
}

} // namespace

// The outbox itself, compiled into the test: how one wake-up delivers a slice of the queue.
namespace slices {

using qxnc::PickupWait;
using qxnc::WindowOutbox;

// A sink that takes about a millisecond, so that a queue of them needs many slices.
void TakeAMillisecond() {
    LARGE_INTEGER frequency, start, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    do
        QueryPerformanceCounter(&now);
    while ((now.QuadPart - start.QuadPart) * 1000 < frequency.QuadPart);
}

// A visible window of the test's own: counts its posted kNote messages and its paints, and
// notes how many callbacks had run when the first of each came.
class OwnWindow {
public:
    static const UINT kNote = WM_APP + 7;

    explicit OwnWindow(const int* delivered) : m_delivered(delivered) {
        static const bool registered = [] {
            WNDCLASSW wc = {};
            wc.lpfnWndProc = Proc;
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.lpszClassName = L"OutboxTestOwnWindow";
            return RegisterClassW(&wc) != 0;
        }();
        EXPECT_TRUE(registered);
        m_hwnd = CreateWindowW(L"OutboxTestOwnWindow", L"own", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200,
                               100, nullptr, nullptr, GetModuleHandleW(nullptr), this);
        EXPECT_NE(nullptr, m_hwnd);
        UpdateWindow(m_hwnd);
        notes = paints = 0;
        deliveredAtNote = deliveredAtPaint = -1;
    }
    ~OwnWindow() { DestroyWindow(m_hwnd); }
    HWND Handle() const { return m_hwnd; }

    int notes = 0, paints = 0;
    int deliveredAtNote = -1, deliveredAtPaint = -1;

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
        if (msg == WM_NCCREATE)
            SetWindowLongPtrW(
                hwnd, GWLP_USERDATA,
                reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
        auto* self = reinterpret_cast<OwnWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (self && msg == kNote) {
            if (self->notes++ == 0) self->deliveredAtNote = *self->m_delivered;
            return 0;
        }
        if (self && msg == WM_PAINT) {
            PAINTSTRUCT ps;
            BeginPaint(hwnd, &ps);
            EndPaint(hwnd, &ps);
            if (self->paints++ == 0) self->deliveredAtPaint = *self->m_delivered;
            return 0;
        }
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }

    const int* m_delivered;
    HWND m_hwnd = nullptr;
};

class OutboxTest : public ::testing::Test {
protected:
    void SetUp() override {
        PumpPending();
        box = WindowOutbox::Create();
        ASSERT_TRUE(box);
    }
    // Posts a callback that records its number and runs the extra step, if any.
    void PostNumbered(DWORD ape, int number, std::function<void()> then = nullptr) {
        box->Post(ape, [this, number, then] {
            ++depth;
            deepest = std::max(deepest, depth);
            seen.push_back(number);
            if (then) then();
            --depth;
        });
    }
    bool Drained() { return !box || box->Pending() == 0; }

    std::unique_ptr<WindowOutbox> box;
    std::vector<int> seen;
    int depth = 0, deepest = 0;
};

std::vector<int> Range(int from, int to) {
    std::vector<int> numbers;
    for (int i = from; i < to; ++i)
        numbers.push_back(i);
    return numbers;
}

// Slow callbacks make many slices; a message of the test's own posted after them gets through
// before the queue has drained, and every callback still comes once, in order.
TEST_F(OutboxTest, SlicesKeepTheOrderAndLetPostedMessagesThrough) {
    const int count = 300;
    int delivered = 0;
    OwnWindow own(&delivered);
    for (int i = 0; i < count; ++i)
        PostNumbered(0, i, [&] {
            ++delivered;
            TakeAMillisecond();
        });
    PostMessageW(own.Handle(), OwnWindow::kNote, 0, 0);
    ASSERT_TRUE(qxtest::WaitFor([&] { return Drained() && own.notes == 1; }, "the queue draining", 30000));
    EXPECT_EQ(Range(0, count), seen);
    EXPECT_GT(own.deliveredAtNote, 0);
    EXPECT_LT(own.deliveredAtNote, count / 2) << "the test's message waited for most of the queue";
    EXPECT_EQ(1, deepest);
}

// Painting comes after posted messages: a queue that takes many slices must still let it in.
TEST_F(OutboxTest, PaintingIsNotHeldOffByALongQueue) {
    const int count = 300;
    int delivered = 0;
    OwnWindow own(&delivered);
    PumpPending();
    own.paints = 0;
    for (int i = 0; i < count; ++i)
        PostNumbered(0, i, [&] {
            ++delivered;
            TakeAMillisecond();
        });
    InvalidateRect(own.Handle(), nullptr, TRUE);
    ASSERT_TRUE(qxtest::WaitFor([&] { return Drained(); }, "the queue draining", 30000));
    ASSERT_GE(own.paints, 1);
    EXPECT_LT(own.deliveredAtPaint, count / 2) << "the paint waited for most of the queue";
    EXPECT_EQ(Range(0, count), seen);
}

// Releasing the controller inside a callback destroys the outbox in the middle of a slice: the
// slice stops there, nothing queued is delivered later, and another outbox goes on.
TEST_F(OutboxTest, DestroyedInsideACallbackStopsTheSlice) {
    std::unique_ptr<WindowOutbox> other = WindowOutbox::Create();
    ASSERT_TRUE(other);
    bool otherRan = false;
    for (int i = 0; i < 10; ++i)
        PostNumbered(0, i, i == 3 ? std::function<void()>([&] { box.reset(); }) : nullptr);
    other->Post(0, [&] { otherRan = true; });
    ASSERT_TRUE(qxtest::WaitFor([&] { return otherRan; }, "the other outbox's callback"));
    // Posted messages of one thread come in order: a wake-up of the destroyed outbox would
    // have come before this one.
    otherRan = false;
    other->Post(0, [&] { otherRan = true; });
    ASSERT_TRUE(qxtest::WaitFor([&] { return otherRan; }, "the other outbox's second callback"));
    EXPECT_EQ(Range(0, 4), seen);
}

// A Drop made by a callback stops that APE's callbacks still queued behind it in the same
// slice; the other APEs' callbacks go on in order.
TEST_F(OutboxTest, DropInsideACallbackStopsThatApesCallbacksInTheSlice) {
    const DWORD anna = 20001, ben = 20002;
    PostNumbered(anna, 1);
    PostNumbered(ben, 2, [&] { box->Drop(anna); });
    PostNumbered(anna, 3);
    PostNumbered(ben, 4);
    PostNumbered(anna, 5);
    PostNumbered(0, 6);
    ASSERT_TRUE(qxtest::WaitFor([&] { return Drained(); }, "the queue draining"));
    EXPECT_EQ((std::vector<int>{1, 2, 4, 6}), seen);
}

// What a callback posts is delivered after it returns, behind everything queued before it.
TEST_F(OutboxTest, CallbacksPostedByACallbackComeLaterNotInside) {
    PostNumbered(0, 0, [&] { PostNumbered(0, 100, [&] { PostNumbered(0, 200); }); });
    for (int i = 1; i < 50; ++i)
        PostNumbered(0, i);
    ASSERT_TRUE(qxtest::WaitFor([&] { return Drained() && seen.size() == 52; }, "every callback"));
    std::vector<int> expected = Range(0, 50);
    expected.push_back(100);
    expected.push_back(200);
    EXPECT_EQ(expected, seen);
    EXPECT_EQ(1, deepest);
}

// A callback that always posts another (a conversation that never pauses) must not keep the
// wake-up busy forever: each wake-up delivers what was queued when it came, then the thread's
// own messages get their turn.
TEST_F(OutboxTest, ACallbackThatKeepsPostingDoesNotLockTheThreadOut) {
    int delivered = 0;
    OwnWindow own(&delivered);
    bool stop = false;
    std::function<void()> again = [&] {
        ++delivered;
        if (!stop) box->Post(0, again);
    };
    box->Post(0, again);
    PostMessageW(own.Handle(), OwnWindow::kNote, 0, 0);
    ASSERT_TRUE(qxtest::WaitFor([&] { return own.notes == 1; }, "the test's own message"));
    stop = true;
    ASSERT_TRUE(qxtest::WaitFor([&] { return Drained(); }, "the queue draining"));
    EXPECT_GE(own.deliveredAtNote, 1);
}

// A message loop run inside a callback (a modal dialog) still delivers the callbacks queued
// behind it, once each and in order; the slice that was interrupted does not repeat them.
TEST_F(OutboxTest, AMessageLoopInsideACallbackDeliversTheRestOnce) {
    PostNumbered(0, 0, [&] { PumpUntil([&] { return seen.size() == 5; }, 5000); });
    for (int i = 1; i < 5; ++i)
        PostNumbered(0, i);
    ASSERT_TRUE(qxtest::WaitFor([&] { return Drained() && seen.size() >= 5; }, "every callback"));
    PumpPending();
    EXPECT_EQ(Range(0, 5), seen);
    EXPECT_EQ(2, deepest);
}

// A reader waits for the pickup of what was posted before it asks for more: the wait ends when
// this thread takes the wake-up, not before and not by its timeout; it does not wait when no
// wake-up is on its way, and it ends at once when the outbox goes.
TEST_F(OutboxTest, APickupWaitEndsWhenTheThreadTakesTheWakeUp) {
    const DWORD kLong = 60000; // a wait that ran into this would fail the bounded pumps below
    const DWORD start = GetTickCount();
    box->Pickup()(kLong);
    EXPECT_LT(GetTickCount() - start, 5000u) << "waited with nothing posted";

    HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(nullptr, done);
    PostNumbered(0, 1);
    std::thread waiter([wait = box->Pickup(), done, kLong] {
        wait(kLong);
        SetEvent(done);
    });
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(done, 200)) << "ended before the pickup";
    EXPECT_TRUE(qxtest::WaitFor([&] { return seen.size() == 1; }, "the callback"));
    EXPECT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), WaitForSingleObject(done, 10000))
        << "not ended by the pickup";
    waiter.join();

    ResetEvent(done);
    PostNumbered(0, 2);
    PickupWait later = box->Pickup();
    std::thread orphan([&later, done, kLong] {
        later(kLong);
        SetEvent(done);
    });
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), WaitForSingleObject(done, 200));
    box.reset();
    EXPECT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), WaitForSingleObject(done, 10000)) << "outlived the outbox";
    orphan.join();
    later(kLong); // still safe to call, and at once
    EXPECT_LT(GetTickCount() - start, 20000u);
    CloseHandle(done);
}

} // namespace slices
