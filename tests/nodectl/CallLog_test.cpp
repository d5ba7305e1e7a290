// The call log of the test-control interface, driven through qxnodectl.dll.
#include "NodeTestSupport.h"

using namespace nctest;

namespace {

std::vector<std::string> Lines() {
    std::vector<std::string> lines;
    QxNcCall call;
    for (DWORD i = 0; Control()->GetCall(i, &call); ++i)
        lines.push_back(call.line);
    return lines;
}

TEST(CallLogTest, EveryCallWithItsArguments) {
    Control()->Reset();
    {
        Participant p("host\x01name");
        ASSERT_TRUE(p.Connect() && p.Join() && p.Attach());
        ASSERT_TRUE(p.Enroll(5, "<r/>"));
        QxSendOption option = {p.ape, 146};
        ASSERT_EQ(0, p.nc->SetSendOption(-200, &option));
        ASSERT_EQ(0, p.nc->SendData(p.ape, p.userId, 1, reinterpret_cast<const BYTE*>("hi"), 2, 1, 1));
        ASSERT_EQ(0, p.nc->SendData(p.ape, p.userId, 1, reinterpret_cast<const BYTE*>("hi"), 2, 1, 1));
        std::vector<QxCacheName> table = NameTable({"77_chat_status"});
        ASSERT_EQ(0, p.nc->AllocNameHandles(p.ape, 1, table.data(), &p.sinks));
        QXMEMHANDLE block = Block("1");
        EXPECT_EQ(1201, p.nc->CacheSet(p.ape, 5, 0, 0, 0, 16777216, block, 0, 1));
        QxMemoryRelease(block);
        const std::string a = std::to_string(p.ape), u = std::to_string(p.userId);
        const std::vector<std::string> expected = {
            "QxGetArmNodeController(\"host\\x01name\", ptr) = 0",
            "Connect(ptr, \"\", 0, 0, 0) = 0",
            "JoinConference(0, 7, ptr, 3) = 0",
            "AttachApe(ptr, 0, 7, ptr) = 0",
            "EnrollApe(" + a + ", 1, 5, 0, 1, {{1, \"c_session_id\", 1, 0}}, 4 bytes, 4, 3) = 0",
            "SetSendOption(-200, {" + a + ", 146}) = 0",
            "SendData(" + a + ", " + u + ", 1, 2 bytes, 2, 1, 1) = 0 [option 146]",
            "SendData(" + a + ", " + u + ", 1, 2 bytes, 2, 1, 1) = 0 [option 0]",
            "AllocNameHandles(" + a + ", 1, {\"77_chat_status\"}, ptr) = 0",
            "CacheSet(" + a + ", 5, 0, 0, 0, 16777216, block(1 bytes), 0, 1) = 1201",
        };
        EXPECT_EQ(expected, Lines());

        QxNcCall enroll;
        ASSERT_EQ(1, Control()->GetCall(4, &enroll));
        EXPECT_EQ(QXNC_OP_ENROLL_APE, enroll.op);
        EXPECT_EQ(Control()->ControllerSerial(p.nc), enroll.controller);
        EXPECT_EQ(9u, enroll.arg_count);
        EXPECT_EQ(p.ape, enroll.args[0]);
        EXPECT_EQ("<r/>", std::string(reinterpret_cast<const char*>(enroll.data), enroll.data_length));
        QxNcCall first;
        ASSERT_EQ(1, Control()->GetCall(0, &first));
        EXPECT_EQ(enroll.controller, first.controller) << "the entry point names the controller it made";
        Control()->ClearCalls();
    }
    EXPECT_EQ((std::vector<std::string>{"Release()"}), Lines());
    QxNcCall none;
    EXPECT_EQ(0, Control()->GetCall(1, &none));
    EXPECT_EQ(nullptr, none.line);
}

TEST(CallLogTest, TextsAreQuotedAndCut) {
    Control()->Reset();
    IArmNodeController* nc = nullptr;
    ASSERT_EQ(0, QxGetArmNodeControllerEx(0, &nc, 4242));
    const std::string longText(70, 'a');
    EXPECT_EQ(1201, nc->Connect(nullptr, (longText + "\"").c_str(), 1, 2, 3));
    EXPECT_EQ(1201, nc->SetSendOption(-199, nullptr));
    nc->Release();
    EXPECT_EQ((std::vector<std::string>{"QxGetArmNodeControllerEx(0, ptr, 4242) = 0",
                                        "Connect(null, \"" + std::string(64, 'a') + "\"..., 1, 2, 3) = 1201",
                                        "SetSendOption(-199, null) = 1201", "Release()"}),
              Lines());
}

} // namespace
