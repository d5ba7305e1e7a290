// The controller's states, results and scripted failures, driven through qxnodectl.dll.
#include "NodeTestSupport.h"

using namespace nctest;

namespace {

class ControllerTest : public ::testing::Test {
protected:
    void SetUp() override { Control()->Reset(); }
    void TearDown() override { Control()->Reset(); }
    std::string Address() const { return ::testing::UnitTest::GetInstance()->current_test_info()->name(); }
};

TEST_F(ControllerTest, EntryPointsCheckTheirArguments) {
    IArmNodeController* nc = reinterpret_cast<IArmNodeController*>(1);
    EXPECT_EQ(1201, QxGetArmNodeController(nullptr, &nc));
    EXPECT_EQ(nullptr, nc);
    EXPECT_EQ(1201, QxGetArmNodeController("x", nullptr));
    EXPECT_EQ(1201, QxGetArmNodeControllerEx(0, nullptr, 5));
    Control()->ScriptResult(QXNC_OP_GET_CONTROLLER_EX, 0, 1);
    nc = reinterpret_cast<IArmNodeController*>(1);
    EXPECT_EQ(0, QxGetArmNodeControllerEx(0, &nc, 5));
    EXPECT_EQ(nullptr, nc) << "scripted: no controller";
}

// Which controllers share a conference: the second joiner is told how many are in it.
TEST_F(ControllerTest, SameAddressOrConferenceIdMeansSameConference) {
    struct Case {
        std::string addressA;
        DWORD idA;
        std::string addressB;
        DWORD idB;
        WORD handleB;
        DWORD membersSeenByB;
    } cases[] = {
        {"net-1", 0, "net-1", 0, 7, 2}, {"net-1", 0, "net-2", 0, 7, 1}, {"net-1", 0, "net-1", 0, 8, 1},
        {"", 4242, "", 4242, 7, 2},     {"", 4242, "", 4243, 7, 1},     {"4242", 0, "", 4242, 7, 1},
    };
    for (const Case& c : cases) {
        Participant a(c.addressA, c.idA), b(c.addressB, c.idB);
        ASSERT_TRUE(a.Connect() && a.Join(7));
        ASSERT_TRUE(b.Connect() && b.Join(c.handleB));
        const Event* join = b.sinks.Last(Event::Join);
        EXPECT_EQ(c.membersSeenByB, join->values[1]) << c.addressB << c.idB;
        EXPECT_EQ(std::to_string(c.handleB), join->bytes);
    }
}

class ControllerStateTest : public BackendTest {};

TEST_P(ControllerStateTest, StatesAnswerWithTheirResults) {
    Participant p(Address());
    DWORD ape = 0;
    EXPECT_EQ(1202, p.nc->JoinConference(0, 7, &p.sinks, 3)) << "not connected";
    EXPECT_EQ(1202, p.nc->Disconnect(&p.sinks, 1));
    EXPECT_EQ(1201, p.nc->Connect(nullptr, "", 0, 0, 0));
    ASSERT_EQ(0, p.nc->Connect(&p.sinks, "", 0, 0, 0));
    EXPECT_EQ(1215, p.nc->Connect(&p.sinks, "", 0, 0, 0)) << "connecting";
    EXPECT_EQ(1202, p.nc->AttachApe(&p.sinks, 0, 7, &ape)) << "not joined";
    ASSERT_EQ(0, p.nc->JoinConference(0, 7, &p.sinks, 3));
    EXPECT_EQ(1215, p.nc->JoinConference(0, 7, &p.sinks, 3));
    EXPECT_EQ(1201, p.nc->JoinConference(0, 8, nullptr, 3));
    EXPECT_EQ(1202, p.nc->LeaveConference(0, 8, &p.sinks));
    EXPECT_EQ(1201, p.nc->AttachApe(nullptr, 0, 7, &ape));
    EXPECT_EQ(1201, p.nc->AttachApe(&p.sinks, 0, 7, nullptr));
    EXPECT_EQ(1201, p.nc->SetSendOption(-200, nullptr));
    QxSendOption option = {12345, 1};
    EXPECT_EQ(1201, p.nc->SetSendOption(-200, &option)) << "unknown APE";
    EXPECT_TRUE(p.sinks.events.empty()) << "nothing arrives inside a call";
    ASSERT_TRUE(PumpUntilQuiet());
    EXPECT_EQ(2u, p.sinks.events.size());
}

TEST_P(ControllerStateTest, LeavingAndDisconnectingDetachTheApes) {
    for (DWORD reason : {QXNC_DETACH_LEFT, QXNC_DETACH_DISCONNECTED}) {
        Participant a(Address()), b(Address());
        ASSERT_TRUE(a.Enter("anna"));
        ASSERT_TRUE(b.Enter("ben"));
        if (reason == QXNC_DETACH_LEFT)
            ASSERT_EQ(0, b.nc->LeaveConference(0, 7, &b.sinks));
        else
            ASSERT_EQ(0, b.nc->Disconnect(&b.sinks, 1));
        ASSERT_TRUE(PumpUntilQuiet());
        const Event* detach = b.sinks.Last(Event::Detach);
        ASSERT_NE(nullptr, detach);
        EXPECT_EQ(b.ape, detach->ape);
        EXPECT_EQ(reason, detach->values[0]);
        EXPECT_EQ(1u, RosterSeen(a.sinks).size());
        EXPECT_EQ(1201, b.nc->SendData(b.ape, a.userId, 1, reinterpret_cast<const BYTE*>("x"), 1, 1, 1));
    }
}

QX_BOTH_BACKENDS(ControllerStateTest);

// Each scripted failure: what the call returns, which confirmation comes with which result,
// and that the step it stands for did not happen.
TEST_F(ControllerTest, ScriptedFailures) {
    Participant p(Address());
    Control()->ScriptResult(QXNC_OP_CONNECT, 1215, 1);
    EXPECT_EQ(1215, p.nc->Connect(&p.sinks, "", 0, 0, 0));
    Control()->ScriptResult(QXNC_OP_CONNECT, 1202, 1);
    EXPECT_EQ(1202, p.nc->Connect(&p.sinks, "", 0, 0, 0));
    ASSERT_TRUE(PumpUntilQuiet());
    EXPECT_TRUE(p.sinks.events.empty());

    Control()->ScriptConfirm(QXNC_CONFIRM_CONNECT, 19, 1);
    ASSERT_EQ(0, p.nc->Connect(&p.sinks, "", 0, 0, 0));
    ASSERT_TRUE(PumpUntilQuiet());
    EXPECT_EQ(19, p.sinks.Last(Event::Connect)->result);
    EXPECT_EQ(0u, p.sinks.Last(Event::Connect)->values[0]);
    ASSERT_TRUE(p.Connect()) << "only once";

    Control()->ScriptResult(QXNC_OP_JOIN_CONFERENCE, 1201, 1);
    EXPECT_EQ(1201, p.nc->JoinConference(0, 7, &p.sinks, 3));
    DWORD ape = 0;
    EXPECT_EQ(1202, p.nc->AttachApe(&p.sinks, 0, 7, &ape)) << "the join did not happen";
    Control()->ScriptConfirm(QXNC_CONFIRM_JOIN, 1202, 1);
    ASSERT_EQ(0, p.nc->JoinConference(0, 7, &p.sinks, 3));
    ASSERT_TRUE(PumpUntilQuiet());
    EXPECT_EQ(1202, p.sinks.Last(Event::Join)->result);
    ASSERT_TRUE(p.Join());

    Control()->ScriptConfirm(QXNC_CONFIRM_ATTACH, 1201, 1);
    ASSERT_EQ(0, p.nc->AttachApe(&p.sinks, 0, 7, &ape));
    ASSERT_TRUE(PumpUntilQuiet());
    const Event* attach = p.sinks.Last(Event::Attach);
    EXPECT_EQ(ape, attach->ape);
    EXPECT_EQ((std::vector<DWORD>{0}), attach->values);
    EXPECT_EQ(1201, p.nc->EnrollApe(ape, 1, 5, 0, 0, nullptr, "x", 1, 3)) << "no APE behind the handle";
    ASSERT_TRUE(p.Attach());

    Participant watcher(Address());
    ASSERT_TRUE(watcher.Enter("watcher"));
    Control()->ScriptResult(QXNC_OP_ENROLL_APE, 1202, 1);
    EXPECT_EQ(1202, p.nc->EnrollApe(p.ape, 1, 5, 0, 0, nullptr, "x", 1, 3));
    Control()->ScriptConfirm(QXNC_CONFIRM_ENROLL, 1202, 1);
    ASSERT_EQ(0, p.nc->EnrollApe(p.ape, 1, 5, 0, 0, nullptr, "x", 1, 3));
    ASSERT_TRUE(PumpUntilQuiet());
    EXPECT_EQ(1202, p.sinks.Last(Event::Enroll)->result);
    EXPECT_EQ(1u, RosterSeen(watcher.sinks).size()) << "a failed enrollment is not announced";

    Control()->ScriptEnrollWithoutResources(1);
    ASSERT_TRUE(p.Enroll(5, "x"));
    ASSERT_TRUE(PumpUntilQuiet());
    const Event* enroll = p.sinks.Last(Event::Enroll);
    EXPECT_EQ((std::vector<DWORD>{0}), enroll->values);
    EXPECT_EQ(nullptr, enroll->pointer);
    EXPECT_EQ(2u, RosterSeen(watcher.sinks).size());
    ASSERT_TRUE(p.Enroll(5, "y"));
    EXPECT_EQ(1u, p.sinks.Last(Event::Enroll)->named.size()) << "only once";
}

TEST_F(ControllerTest, ScriptedNamesAndCacheWritesFail) {
    Participant p(Address());
    ASSERT_TRUE(p.Enter("anna"));
    std::vector<QxCacheName> table = NameTable({"c1", "c2"});
    Control()->ScriptConfirm(QXNC_CONFIRM_NAMES, 1202, 1);
    ASSERT_EQ(0, p.nc->AllocNameHandles(p.ape, 2, table.data(), &p.sinks));
    ASSERT_TRUE(PumpUntilQuiet());
    const Event* names = p.sinks.Last(Event::Names);
    EXPECT_EQ(1202, names->result);
    EXPECT_EQ(0u, names->named[0].second + names->named[1].second);
    ASSERT_EQ(0, p.nc->AllocNameHandles(p.ape, 2, table.data(), &p.sinks));
    ASSERT_TRUE(PumpUntilQuiet());
    DWORD cache = p.sinks.Last(Event::Names)->named[0].second;
    ASSERT_NE(0u, cache);

    QXMEMHANDLE block = Block("item");
    Control()->ScriptConfirm(QXNC_CONFIRM_CACHE_SET, 1201, 1);
    ASSERT_EQ(0, p.nc->CacheSet(p.ape, cache, 0, 0, 1, 0, block, 0, 1));
    QxMemoryRelease(block);
    ASSERT_EQ(0, p.nc->CacheAction(p.ape, cache, 0, 1, 255, &p.sinks));
    ASSERT_TRUE(PumpUntilQuiet());
    EXPECT_EQ(1201, p.sinks.Last(Event::CacheConfirm)->result);
    EXPECT_EQ(19, p.sinks.Last(Event::Shared)->result) << "nothing was written";
}

} // namespace
