// The conference-side operations of the test-control interface, driven through qxnodectl.dll.
#include "NodeTestSupport.h"

using namespace nctest;

namespace {

TEST(TestControlTest, TheConferenceDetachesAnApe) {
    Control()->Reset();
    Participant a("detach"), b("detach");
    ASSERT_TRUE(a.Enter("anna"));
    ASSERT_TRUE(b.Enter("ben"));
    ASSERT_EQ(0, a.nc->SendData(a.ape, b.userId, 1, reinterpret_cast<const BYTE*>("x"), 1, 1, 1));
    ASSERT_EQ(0, Control()->DetachApe(b.ape));
    EXPECT_EQ(1201, Control()->DetachApe(b.ape));
    ASSERT_TRUE(PumpUntilQuiet());
    ASSERT_EQ(Event::Detach, b.sinks.events.back().kind) << "after what was already on its way";
    EXPECT_EQ(Event::Data, b.sinks.events[b.sinks.events.size() - 2].kind);
    EXPECT_EQ(QXNC_DETACH_BY_SERVER, b.sinks.events.back().values[0]);
    EXPECT_EQ(1u, RosterSeen(a.sinks).size());
}

TEST(TestControlTest, AnInjectedRosterArrivesAsGiven) {
    Control()->Reset();
    Participant a("inject");
    ASSERT_TRUE(a.Enter("anna"));
    const char text[] = "<UserName>x</UserName>";
    QxEnrollEntry removed[2] = {{1001, 30001, text, 22}, {1002, 30002, nullptr, 0}};
    QxEnrollEntry changed[1] = {{1003, 30003, text, -4}};
    QxRosterRecord list[3] = {{7, 5, 9, 2, 0, removed}, {7, 99, 9, 0, 0, nullptr}, {7, 5, 9, 1, 0, changed}};
    ASSERT_EQ(0, Control()->InjectRosterChange(a.ape, 0, 2, 1, list));
    ASSERT_EQ(0, Control()->InjectRosterChange(a.ape, 1, 0, 0, nullptr));
    QxRosterRecord broken = {7, 5, 9, 3, 0, nullptr};
    EXPECT_EQ(1201, Control()->InjectRosterChange(a.ape, 1, 0, 0, &broken));
    EXPECT_EQ(1201, Control()->InjectRosterChange(a.ape + 1000, 0, 2, 1, list));
    ASSERT_TRUE(PumpUntilQuiet());

    std::vector<Event> got = a.sinks.Of(Event::Roster);
    ASSERT_EQ(3u, got.size());
    const Event& crafted = got[1];
    EXPECT_EQ((std::vector<DWORD>{7, 0, 2, 1}), crafted.values);
    ASSERT_EQ(3u, crafted.records.size());
    EXPECT_EQ(99u, crafted.records[1].chatRoomId);
    EXPECT_EQ(text, crafted.records[0].entries[0].data);
    EXPECT_NE(static_cast<const void*>(list), crafted.pointer) << "a copy";
    EXPECT_FALSE(crafted.records[0].entries[1].hasData);
    EXPECT_EQ(-4, crafted.records[2].entries[0].length);
    EXPECT_EQ(nullptr, got[2].pointer);
    EXPECT_EQ((std::vector<DWORD>{7, 1, 0, 0}), got[2].values);
}

TEST(TestControlTest, ControllerSerialsAndPendingCallbacks) {
    Control()->Reset();
    Participant a("serial"), b("serial");
    DWORD sa = Control()->ControllerSerial(a.nc), sb = Control()->ControllerSerial(b.nc);
    EXPECT_NE(0u, sa);
    EXPECT_EQ(sa + 1, sb);
    EXPECT_EQ(0u, Control()->ControllerSerial(reinterpret_cast<IArmNodeController*>(&a.sinks)));
    ASSERT_EQ(0, a.nc->Connect(&a.sinks, "", 0, 0, 0));
    ASSERT_EQ(0, b.nc->Connect(&b.sinks, "", 0, 0, 0));
    EXPECT_EQ(2u, Control()->PendingCallbacks());
    ASSERT_TRUE(PumpUntilQuiet());
    EXPECT_EQ(1, a.sinks.Count(Event::Connect));
}

} // namespace
