// Delivery of callbacks through the message loop, driven through qxnodectl.dll.
#include "NodeTestSupport.h"

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
