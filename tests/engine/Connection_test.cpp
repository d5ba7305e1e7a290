// The connection chain of the engine on the embedded conference: every step, what it passes to
// the controller, the failure edges scripted through the test control, re-enrollment, what the
// host is told, and the teardown.
#include "window/MainChatDlg.h"

#include "WindowTestUtil.h"
#include "TestControl.h"
#include "TraceCapture.h"
#include "pdu/RosterInfoPDU.h"
#include "qxchat.h"

#include <gtest/gtest.h>

using namespace enginetest;

namespace {

class ConnectionTest : public testing::Test {
protected:
    ~ConnectionTest() override {
        dlg.reset();
        control->Reset();
    }

    void Start(const wchar_t* lpszAddress = L"conf.test") {
        dlg->SetConnectionParams(lpszAddress, 7, 5, L"Me", 1, L"", nullptr);
        dlg->Initialize();
    }
    bool PumpUntilEnrolled() {
        return PumpUntil([this] { return dlg->Status().m_bEnrolled != FALSE; });
    }
    void UseHostWindows() {
        dlg->SetEventConfig(QXCHAT_EVT_SERVICE_WINDOW,
                            static_cast<LONG>(reinterpret_cast<LONG_PTR>(service.Get())), 0);
        dlg->SetSCParentWnd(smc.Get());
    }
    int TraceCount(const std::wstring& line) const {
        int n = 0;
        for (const std::wstring& l : capture.Lines())
            n += l == line;
        return n;
    }

    IQxNodeControlTest* control = FreshControl();
    TraceCapture capture;
    TestHostWindow service, smc;
    std::unique_ptr<CMainChatDlg> dlg = std::make_unique<CMainChatDlg>();
};

TEST_F(ConnectionTest, TheChainReachesEnrolledWithTheLocalRosterInformation) {
    dlg->SetRosters(QXCHAT_ROLE_PRESENTER);
    dlg->SetUserType(2);
    Start(L"s\u00E9rver");
    ASSERT_TRUE(PumpUntilEnrolled());
    EXPECT_EQ(LoggedOps(),
              (std::vector<DWORD>{QXNC_OP_GET_CONTROLLER, QXNC_OP_CONNECT, QXNC_OP_JOIN_CONFERENCE,
                                  QXNC_OP_ATTACH_APE, QXNC_OP_ENROLL_APE, QXNC_OP_SET_SHARED_DATA_SINK}));
    const QxNcCall get = CallsOf(QXNC_OP_GET_CONTROLLER).at(0);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(get.data), get.data_length), "s\xC3\xA9rver");
    const QxNcCall connect = CallsOf(QXNC_OP_CONNECT).at(0);
    EXPECT_EQ(connect.data_length, 0u);
    EXPECT_EQ(std::vector<DWORD>(connect.args + 2, connect.args + 5), (std::vector<DWORD>{0, 0, 0}));
    EXPECT_STREQ(CallsOf(QXNC_OP_JOIN_CONFERENCE).at(0).line, "JoinConference(0, 7, ptr, 3) = 0");

    const ChatEngineStatus& status = dlg->Status();
    const QxNcCall enroll = CallsOf(QXNC_OP_ENROLL_APE).at(0);
    EXPECT_EQ(enroll.args[0], status.m_apeHandle);
    EXPECT_EQ(std::vector<DWORD>(enroll.args + 1, enroll.args + 5), (std::vector<DWORD>{1, 5, 0, 1}));
    EXPECT_EQ(enroll.args[8], 3u) << "both roster flags are set by default";
    EXPECT_NE(std::string(enroll.line).find("{1, \"c_session_id\", 1, 0}"), std::string::npos) << enroll.line;
    CRosterInfoPDU sent;
    ASSERT_TRUE(
        sent.ParseXMLPDU(std::string(reinterpret_cast<const char*>(enroll.data), enroll.data_length)));
    EXPECT_EQ(sent.GetName(), "Me");
    EXPECT_EQ(sent.GetRoleSet(), static_cast<DWORD>(QXCHAT_ROLE_PRESENTER));
    EXPECT_EQ(sent.GetVisible(), 1);
    EXPECT_EQ(sent.GetUserType(), 2u);
    EXPECT_EQ(sent.GetNodeId(), 0u) << "the own node id is learnt from the roster afterwards";

    EXPECT_GE(status.m_apeHandle, QXNC_FIRST_APE_HANDLE);
    EXPECT_GE(status.m_dwCacheNumber, QXNC_FIRST_RESOURCE_VALUE);
    EXPECT_GE(dlg->OwnUser().m_dwOwnUserId, QXNC_FIRST_USER_ID);
    ASSERT_TRUE(PumpUntil([this] { return dlg->Users().GetCount() == 1; }));
    const CUserItem* self = dlg->Users().GetAt(0);
    EXPECT_EQ(self->m_strName, L"Me");
    EXPECT_EQ(self->m_dwUserId, dlg->OwnUser().m_dwOwnUserId);
    EXPECT_EQ(dlg->OwnUser().m_dwOwnNodeId, self->m_dwNodeId);
    EXPECT_GE(self->m_dwNodeId, QXNC_FIRST_NODE_ID);
    EXPECT_LE(self->m_dwNodeId, QXNC_LAST_NODE_ID);

    for (const std::wstring& line : {
             std::wstring(L"/**** CMainChatDlg::Initialize() enter ****/"),
             Fmt(L"/==== CMainChatDlg::Initialize() End, m_pArmNC=%d, m_nConfId=0, ret=0 ====/",
                 status.m_pArmNC),
             Fmt(L"/**** CMainChatDlg::ConnectConfirm(result=0, node_id = %d) enter ****/", self->m_dwNodeId),
             std::wstring(L"/==== CMainChatDlg::ConnectConfirm,end: ret=0 ====/"),
             std::wstring(L"/**** CMainChatDlg::ConferenceJoinConfirm enter ****/"),
             std::wstring(L"/**** CMainChatDlg::Enroll() enter ****/"),
             std::wstring(L"/==== CMainChatDlg::Enroll end, ret = 0 ====/"),
             Fmt(L"/**** CMainChatDlg::ApeAttachConfirm: apeHandle = %d,result = 0,userid = %d, bRet=1 ****/",
                 status.m_apeHandle, self->m_dwUserId),
             std::wstring(L"/==== CMainChatDlg::ApeEnrollConfirm, end, dwFeedBack=0 ====/"),
         })
        EXPECT_TRUE(capture.Contains(line)) << line;
    EXPECT_TRUE(capture.ContainsSubstring(
        Fmt(L"apehandle = %d,result = 0,resoruce_number = 1,resource_list = ", status.m_apeHandle)));
    EXPECT_FALSE(capture.ContainsSubstring(L"ConferenceJoinConfirm exit"))
        << "the attach confirmation follows";
}

TEST_F(ConnectionTest, AConferenceIdSelectsTheExtendedEntryPoint) {
    dlg->SetEventConfig(QXCHAT_EVT_CONFERENCE_ID, 4242, 0);
    Start();
    ASSERT_TRUE(PumpUntilEnrolled());
    EXPECT_TRUE(CallsOf(QXNC_OP_GET_CONTROLLER).empty());
    const std::vector<QxNcCall> ex = CallsOf(QXNC_OP_GET_CONTROLLER_EX);
    ASSERT_EQ(ex.size(), 1u);
    EXPECT_EQ(ex[0].args[0], 0u);
    EXPECT_EQ(ex[0].args[2], 4242u);
}

TEST_F(ConnectionTest, RefusedConnectsCleanUpExceptInvalidState) {
    struct Case {
        int nResult;
        bool bCleanedUp;
    } cases[] = {{ARM_ERROR_ALREADY_CONNECTED, true},
                 {ARM_ERROR_INVALID_PARAMETER, true},
                 {ARM_ERROR_INVALID_STATE, false}};
    for (const Case& c : cases) {
        control->Reset();
        capture.Clear();
        dlg = std::make_unique<CMainChatDlg>();
        control->ScriptResult(QXNC_OP_CONNECT, c.nResult, 1);
        Start();
        EXPECT_EQ(dlg->Status().m_pArmNC == nullptr, c.bCleanedUp) << c.nResult;
        EXPECT_EQ(capture.ContainsSubstring(L"/**** CMainChatDlg::Cleanup()"), c.bCleanedUp) << c.nResult;
        EXPECT_EQ(CallsOf(QXNC_OP_RELEASE).size(), c.bCleanedUp ? 1u : 0u);
        EXPECT_TRUE(capture.ContainsSubstring(Fmt(L", ret=%d ====/", c.nResult)));
        const bool bOwnConfirm = c.nResult == ARM_ERROR_ALREADY_CONNECTED;
        EXPECT_EQ(capture.Contains(L"/**** CMainChatDlg::ConnectConfirm(result=0, node_id = 77) enter ****/"),
                  bOwnConfirm);
        EXPECT_EQ(capture.Contains(L"/==== CMainChatDlg::ConnectConfirm,end: ret=0 ====/"), bOwnConfirm);
        PumpUntilQuiet(1000);
        EXPECT_TRUE(CallsOf(QXNC_OP_JOIN_CONFERENCE).empty()) << c.nResult;
    }
}

TEST_F(ConnectionTest, CleanupAfterARefusedConnectIsHarmless) {
    control->ScriptResult(QXNC_OP_CONNECT, ARM_ERROR_ALREADY_CONNECTED, 1);
    Start();
    ASSERT_EQ(dlg->Status().m_pArmNC, nullptr);
    const DWORD dwCalls = control->CallCount();
    capture.Clear();
    dlg->Cleanup();
    dlg->Cleanup();
    EXPECT_EQ(control->CallCount(), dwCalls);
    EXPECT_EQ(TraceCount(L"/==== CMainChatDlg::Cleanup() : end ====/"), 2);
    EXPECT_EQ(TraceCount(L"/**** CMainChatDlg::Cleanup(): m_hWnd=0, m_apeHandle=0, m_confiHandle=7 ****/"),
              2);
}

TEST_F(ConnectionTest, ResultNineteenConnectsAgainWithoutAnEndTrace) {
    control->ScriptConfirm(QXNC_CONFIRM_CONNECT, TP_ERROR_PROXY_NEED_AUTH, 1);
    Start();
    ASSERT_TRUE(PumpUntilEnrolled());
    const std::vector<QxNcCall> connects = CallsOf(QXNC_OP_CONNECT);
    ASSERT_EQ(connects.size(), 2u);
    EXPECT_EQ(std::vector<DWORD>(connects[1].args + 1, connects[1].args + 5),
              std::vector<DWORD>(connects[0].args + 1, connects[0].args + 5));
    EXPECT_TRUE(capture.Contains(L"/**** CMainChatDlg::ConnectConfirm(result=19, node_id = 0) enter ****/"));
    EXPECT_EQ(TraceCount(L"/==== CMainChatDlg::ConnectConfirm,end: ret=0 ====/"), 1);
}

TEST_F(ConnectionTest, AJoinRefusedAsInvalidParameterStillAttaches) {
    control->ScriptResult(QXNC_OP_JOIN_CONFERENCE, ARM_ERROR_INVALID_PARAMETER, 1);
    Start();
    ASSERT_TRUE(PumpUntil([] { return !CallsOf(QXNC_OP_ATTACH_APE).empty(); }));
    const QxNcCall attach = CallsOf(QXNC_OP_ATTACH_APE).at(0);
    EXPECT_TRUE(capture.Contains(L"/**** CMainChatDlg::ConferenceJoinConfirm enter ****/"));
    EXPECT_TRUE(capture.Contains(L"/==== CMainChatDlg::ConnectConfirm,end: ret=1201 ====/"));
    // The conference was never joined, so the controller refuses the attachment; the engine stays.
    EXPECT_EQ(attach.result, ARM_ERROR_INVALID_STATE);
    EXPECT_TRUE(capture.Contains(L"/==== CMainChatDlg::ConferenceJoinConfirm exit: nRet = 1202 ====/"));
    EXPECT_NE(dlg->Status().m_pArmNC, nullptr);
}

TEST_F(ConnectionTest, AFailedAttachStillEnrollsAndARefusedEnrollmentCleansUp) {
    control->ScriptConfirm(QXNC_CONFIRM_ATTACH, ARM_ERROR_INVALID_STATE, 1);
    Start();
    ASSERT_TRUE(PumpUntil([] { return !CallsOf(QXNC_OP_ENROLL_APE).empty(); }));
    const QxNcCall enroll = CallsOf(QXNC_OP_ENROLL_APE).at(0);
    EXPECT_NE(enroll.result, ARM_OK) << "the APE does not exist";
    EXPECT_TRUE(capture.ContainsSubstring(L",result = 1202,userid = 0, bRet=0 ****/"));
    EXPECT_EQ(dlg->Status().m_pArmNC, nullptr);
    EXPECT_FALSE(dlg->Status().m_bEnrolled);
    EXPECT_EQ(CallsOf(QXNC_OP_RELEASE).size(), 1u);
}

TEST_F(ConnectionTest, TheHostIsToldOfEnrollmentWithTheFeedbackBitOnly) {
    struct Case {
        DWORD dwFeature;
        short nEnrollResult;
        LPARAM lExpected;
        int nPosted;
    } cases[] = {{QXCHAT_FEATURE_ENROLL_FEEDBACK, 0, 0, 1},
                 {QXCHAT_FEATURE_ENROLL_FEEDBACK, ARM_ERROR_INVALID_STATE, -1, 1},
                 {0, 0, 0, 0},
                 {0, ARM_ERROR_INVALID_STATE, -1, 0}};
    for (const Case& c : cases) {
        control->Reset();
        capture.Clear();
        service.messages.clear();
        smc.messages.clear();
        dlg = std::make_unique<CMainChatDlg>();
        UseHostWindows();
        dlg->SelectFeature(c.dwFeature, 0);
        if (c.nEnrollResult) control->ScriptConfirm(QXNC_CONFIRM_ENROLL, c.nEnrollResult, 1);
        Start();
        ASSERT_TRUE(PumpUntil([&] {
            return capture.ContainsSubstring(L"/==== CMainChatDlg::ApeEnrollConfirm, end, dwFeedBack=");
        }));
        PumpPending();
        for (const TestHostWindow* host : {&service, &smc})
            EXPECT_EQ(host->Count(WM_CHAT_NOTIFY_TO_SERVICE, QXCHAT_NOTIFY_ENROLL, c.lExpected), c.nPosted)
                << c.dwFeature << " " << c.nEnrollResult;
        EXPECT_EQ(dlg->Status().m_bEnrolled, c.nEnrollResult == 0);
        EXPECT_EQ(dlg->Status().m_pArmNC == nullptr, c.nEnrollResult != 0);
        EXPECT_TRUE(capture.Contains(
            Fmt(L"/==== CMainChatDlg::ApeEnrollConfirm, end, dwFeedBack=%d ====/", c.dwFeature ? 1 : 0)));
    }
}

TEST_F(ConnectionTest, SetRostersBeforeTheStartAfterItAndWhenEnrolled) {
    EXPECT_EQ(dlg->SetRosters(QXCHAT_ROLE_ATTENDEE), 1) << "before the start the value is simply kept";
    EXPECT_EQ(dlg->OwnUser().m_dwRoles, static_cast<DWORD>(QXCHAT_ROLE_ATTENDEE));
    UseHostWindows();
    dlg->SelectFeature(QXCHAT_FEATURE_ENROLL_FEEDBACK, 0);
    Start();
    EXPECT_EQ(dlg->SetRosters(QXCHAT_ROLE_HOST), -1) << "started, not enrolled";
    EXPECT_EQ(dlg->OwnUser().m_dwRoles, static_cast<DWORD>(QXCHAT_ROLE_ATTENDEE));
    ASSERT_TRUE(PumpUntilEnrolled());
    ASSERT_EQ(CallsOf(QXNC_OP_ENROLL_APE).size(), 1u);

    EXPECT_EQ(dlg->SetRosters(QXCHAT_ROLE_HOST), 1);
    EXPECT_EQ(dlg->OwnUser().m_dwRoles, static_cast<DWORD>(QXCHAT_ROLE_HOST));
    const std::vector<QxNcCall> enrolls = CallsOf(QXNC_OP_ENROLL_APE);
    ASSERT_EQ(enrolls.size(), 2u);
    CRosterInfoPDU sent;
    ASSERT_TRUE(sent.ParseXMLPDU(
        std::string(reinterpret_cast<const char*>(enrolls[1].data), enrolls[1].data_length)));
    EXPECT_EQ(sent.GetRoleSet(), static_cast<DWORD>(QXCHAT_ROLE_HOST));
    EXPECT_EQ(sent.GetNodeId(), dlg->OwnUser().m_dwOwnNodeId);
    EXPECT_TRUE(capture.Contains(L"CMainChatDlg::SubscribeNeededGroupCaches: m_lMeetingType=0"));

    ASSERT_TRUE(PumpUntil([this] {
        return TraceCount(L"/==== CMainChatDlg::ApeEnrollConfirm, end, dwFeedBack=1 ====/") == 2;
    }));
    PumpPending();
    // The second confirmation tells the host again and asks for the cache handles again, but does
    // not repeat the first enrollment's input switch.
    EXPECT_EQ(service.Count(WM_CHAT_NOTIFY_TO_SERVICE, QXCHAT_NOTIFY_ENROLL, 0), 2);
    EXPECT_EQ(smc.Count(WM_CHAT_NOTIFY_TO_SERVICE, QXCHAT_NOTIFY_ENROLL, 0), 2);
    EXPECT_EQ(TraceCount(L"/**** CMainChatDlg::SetInputUIStatus : bEnable = 1 ****/"), 1);
    // Without groups there is no cache to name: both confirmations ask and nothing is requested.
    EXPECT_EQ(TraceCount(L"/**** CMainChatDlg::AllocAllCacheHandles Enter ****/"), 2);
    EXPECT_TRUE(CallsOf(QXNC_OP_ALLOC_NAME_HANDLES).empty());
    EXPECT_EQ(CallsOf(QXNC_OP_SET_SHARED_DATA_SINK).size(), 2u);
    EXPECT_EQ(dlg->SetRosters(QXCHAT_ROLE_HOST), -1) << "unchanged";
}

TEST_F(ConnectionTest, AnEnrollConfirmationWithoutResourcesKeepsTheCacheNumber) {
    control->ScriptEnrollWithoutResources(1);
    Start();
    ASSERT_TRUE(PumpUntilEnrolled());
    EXPECT_EQ(dlg->Status().m_dwCacheNumber, 0u);
    EXPECT_TRUE(capture.ContainsSubstring(L",result = 0,resoruce_number = 0,resource_list = 0 ****/"));
}

// A detach by the conference (for example a lost server): the input goes off, the user reads
// why in the list, and the host hears of it (200, -1) when it asked for enrollment feedback.
TEST_F(ConnectionTest, ADetachByTheConferenceStopsTheInputAndSaysSo) {
    for (const DWORD dwFeature : {0ul, QXCHAT_FEATURE_ENROLL_FEEDBACK}) {
        SCOPED_TRACE(dwFeature);
        dlg = std::make_unique<CMainChatDlg>();
        const int nToldBefore = service.Count(WM_CHAT_NOTIFY_TO_SERVICE, QXCHAT_NOTIFY_ENROLL, -1);
        UseHostWindows();
        dlg->SelectFeature(dwFeature, 0);
        Start();
        ASSERT_TRUE(PumpUntilEnrolled());
        const DWORD dwApe = dlg->Status().m_apeHandle;
        capture.Clear();
        ASSERT_EQ(control->DetachApe(dwApe), 0);
        ASSERT_TRUE(PumpUntil([this] { return dlg->Status().m_apeHandle == 0; }));
        EXPECT_TRUE(capture.Contains(
            Fmt(L"/**** CMainChatDlg::ApeDetachIndication : %d, %d ****/:", dwApe, QXNC_DETACH_BY_SERVER)));
        EXPECT_TRUE(capture.Contains(L"/**** CMainChatDlg::SetInputUIStatus : bEnable = 0 ****/"))
            << capture.Dump();
        EXPECT_TRUE(PumpUntil([&] {
            return service.Count(WM_CHAT_NOTIFY_TO_SERVICE, QXCHAT_NOTIFY_ENROLL, -1) - nToldBefore ==
                   (dwFeature ? 1 : 0);
        }));
        EXPECT_TRUE(dlg->Status().m_bEnrolled);
        EXPECT_NE(dlg->Status().m_pArmNC, nullptr);
        control->ClearCalls();
        dlg->Cleanup();
        EXPECT_EQ(LoggedOps(),
                  (std::vector<DWORD>{QXNC_OP_LEAVE_CONFERENCE, QXNC_OP_DISCONNECT, QXNC_OP_RELEASE}));
    }
}

TEST_F(ConnectionTest, DestroyingTheEngineLeavesDetachesDisconnectsAndReleases) {
    CMainChatDlg other;
    other.SetConnectionParams(L"conf.test", 7, 5, L"Other", 1, L"", nullptr);
    other.Initialize();
    Start();
    ASSERT_TRUE(PumpUntil([&] { return dlg->Users().GetCount() == 2 && other.Users().GetCount() == 2; }));
    const DWORD dwApe = dlg->Status().m_apeHandle;
    const DWORD dwSerial = control->ControllerSerial(dlg->Status().m_pArmNC);
    control->ClearCalls();
    dlg.reset();
    std::vector<std::string> lines;
    for (DWORD i = 0; i < control->CallCount(); ++i) {
        QxNcCall call = {};
        control->GetCall(i, &call);
        if (call.controller == dwSerial) lines.push_back(call.line);
    }
    EXPECT_EQ(lines, (std::vector<std::string>{"DetachApe(" + std::to_string(dwApe) + ") = 0",
                                               "LeaveConference(0, 7, ptr) = 0", "Disconnect(ptr, 1) = 0",
                                               "Release()"}));
    ASSERT_TRUE(PumpUntil([&] { return other.Users().GetCount() == 1; }));
    EXPECT_EQ(other.Users().GetAt(0)->m_strName, L"Other");
}

TEST_F(ConnectionTest, NoCallbackReachesAnEngineDestroyedMidway) {
    CMainChatDlg watcher;
    watcher.SetConnectionParams(L"conf.test", 7, 5, L"Watcher", 1, L"", nullptr);
    watcher.Initialize();
    ASSERT_TRUE(PumpUntil([&] { return watcher.Status().m_bEnrolled != FALSE; }));
    for (int step = 0; step < 4; ++step) {
        auto pDlg = std::make_unique<CMainChatDlg>();
        pDlg->SetConnectionParams(L"conf.test", 7, 5, L"Brief", 1, L"", nullptr);
        pDlg->Initialize();
        // Destroy it at a different point of its chain each time, with callbacks still queued.
        for (int i = 0; i < step; ++i)
            PumpPending();
        pDlg.reset();
        ASSERT_TRUE(PumpUntil([&] { return control->PendingCallbacks() == 0; }));
    }
    EXPECT_TRUE(PumpUntil([&] { return watcher.Users().GetCount() == 1; }));
}

} // namespace

TEST_F(ConnectionTest, WithoutADialogTheEngineEnrollsAndItsControlRequestsAnswerNone) {
    // The engine reaches the controls only through the dialog's control operations, which
    // answer "none" while there is no dialog: the conference side runs, and touches nothing.
    dlg->SelectFeature(QXCHAT_FEATURE_CUSTOMER_SUPPORT | QXCHAT_FEATURE_QUICK_PHRASE, 0);
    Start();
    ASSERT_TRUE(PumpUntilEnrolled());
    // No input box took the prompt, so it is still to be shown.
    EXPECT_FALSE(dlg->Status().m_bInputPromptShown);
    EXPECT_FALSE(dlg->HasInput());
    EXPECT_EQ(dlg->InputText(), L"");
    EXPECT_EQ(dlg->SelectedRecipient(), nullptr);
    EXPECT_EQ(dlg->RecipientEntryCount(), 0);
    ChatItemData data;
    EXPECT_EQ(dlg->InsertRecipientEntry(0, L"entry", &data), -1);
    EXPECT_EQ(dlg->MessageList(), nullptr);
    EXPECT_EQ(dlg->SelectedPhraseData(), nullptr);

    control->ClearCalls();
    EXPECT_EQ(dlg->OnSend(), 0);
    EXPECT_EQ(dlg->ChatToGroup(CHAT_ROLE_GROUP, CHAT_ALL_USERS_ROLE_GROUP), 0);
    EXPECT_EQ(dlg->AddAUser(dlg->OwnUser().m_dwOwnNodeId), -1);
    dlg->HandleFAQSelChange();
    EXPECT_EQ(dlg->ShowFAQInComboBox(), 0);
    // Nothing was sent: the requests stopped at the missing controls.
    EXPECT_TRUE(LoggedOps().empty());
}
