// The chat status decides whether this chat can be used at all. When it cannot be had (the read
// is refused, the answer is neither "empty" nor data, the first instance's set-up write fails, or
// nothing comes in time), the user reads a notice in the list, the host hears the enrollment
// feedback (200, -1) when it asked for it, and group sends stay refused.
#include "ChatMember.h"

#include "TestControl.h"
#include "TraceCapture.h"
#include "module/ModuleState.h"
#include "resources/resource.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace msgtest;

namespace {

struct Failure {
    const char* label;
    // Prepares the conference (and the member, not yet started) for the failure.
    std::function<void(IQxNodeControlTest*, ChatMember&)> prepare;
    // Makes it happen once the member has started, when the conference alone does not.
    std::function<void(ChatMember&)> happen;
    const wchar_t* lpszReason; // the start of the reported reason
};

class ChatStatusTest : public testing::TestWithParam<Failure> {
protected:
    ChatStatusTest() : control(enginetest::FreshControl()) {}
    ~ChatStatusTest() override {
        m.reset();
        control->Reset();
    }
    IQxNodeControlTest* control;
    TraceCapture capture;
    std::unique_ptr<ChatMember> m;
};

const std::wstring kFail = L"Fail: CMainChatDlg::ReportChatUnavailable: ";

TEST_P(ChatStatusTest, IsReportedOnceToTheUserAndToTheHost) {
    for (DWORD dwFeature : {QXCHAT_FEATURE_ENROLL_FEEDBACK, 0UL}) {
        SCOPED_TRACE(dwFeature);
        control->Reset();
        capture.Clear();
        m.reset(new ChatMember(MemberConfig(L"Alice", dwFeature)));
        GetParam().prepare(control, *m);
        m->Start();
        ASSERT_TRUE(PumpUntil([&] { return m->Dlg()->Status().m_bEnrolled != FALSE; }));
        if (GetParam().happen) GetParam().happen(*m);
        ASSERT_TRUE(PumpUntil([&] { return capture.ContainsSubstring(kFail); }, 5000)) << capture.Dump();
        PumpUntilQuiet();
        EXPECT_TRUE(capture.ContainsSubstring(kFail + GetParam().lpszReason)) << capture.Dump();
        EXPECT_EQ(capture.Dump().find(kFail), capture.Dump().rfind(kFail)) << "reported once";
        const std::wstring strNotice = QxLoadString(IDS_CHAT_UNAVAILABLE);
        ASSERT_FALSE(strNotice.empty());
        EXPECT_EQ(m->Notices(), std::vector<std::wstring>{strNotice});
        EXPECT_EQ(m->Host().Count(WM_CHAT_NOTIFY_TO_SERVICE, QXCHAT_NOTIFY_ENROLL, static_cast<LPARAM>(-1)),
                  dwFeature ? 1 : 0);
        EXPECT_FALSE(m->Dlg()->Status().m_bSendReady) << "nothing sent could be shown";
    }
}

// The status read is accepted and never answered by the conference.
void Unanswered(IQxNodeControlTest* control, ChatMember&) {
    control->ScriptResult(QXNC_OP_CACHE_ACTION, 0, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Failures, ChatStatusTest,
    testing::Values(Failure{"RefusedRead",
                            [](IQxNodeControlTest* control, ChatMember&) {
                                control->ScriptResult(QXNC_OP_CACHE_ACTION, ARM_ERROR_INVALID_STATE, 1);
                            },
                            nullptr, L"the chat status read was refused"},
                    Failure{"AnswerOtherThanEmptyOrData", Unanswered,
                            [](ChatMember& m) {
                                ASSERT_TRUE(
                                    PumpUntil([&] { return m.Dlg()->Caches().m_dwStatusHandle != 0; }));
                                CMainChatDlg* pDlg = m.Dlg();
                                pDlg->SharedDataReceivedEx(pDlg->Status().m_apeHandle, 1,
                                                           pDlg->Caches().m_dwStatusHandle, nullptr, 7,
                                                           QXNC_CACHE_ITEM_LAST);
                            },
                            L"the chat status answered 7"},
                    Failure{"FailedResetWrite",
                            [](IQxNodeControlTest* control, ChatMember&) {
                                control->ScriptConfirm(QXNC_CONFIRM_CACHE_SET, 5, 10);
                            },
                            nullptr, L"the set-up write of cache "},
                    Failure{"NoAnswerInTime",
                            [](IQxNodeControlTest* control, ChatMember& m) {
                                Unanswered(control, m);
                                m.Dlg()->SetChatStatusTimeout(300);
                            },
                            nullptr, L"the chat status did not come within 300 ms"}),
    [](const testing::TestParamInfo<Failure>& info) { return std::string(info.param.label); });

TEST(ChatStatus, AChatThatCanBeUsedReportsNothing) {
    IQxNodeControlTest* control = enginetest::FreshControl();
    TraceCapture capture;
    {
        ChatMember m(MemberConfig(L"Alice", QXCHAT_FEATURE_ENROLL_FEEDBACK));
        m.Dlg()->SetChatStatusTimeout(300);
        m.Start();
        ASSERT_TRUE(PumpUntilReady({&m}));
        // A tick of the wait's timer that comes after the answer changes nothing.
        SendMessageW(m.Dialog(), WM_TIMER, CHAT_STATUS_TIMER, 0);
        PumpPending();
        EXPECT_FALSE(capture.ContainsSubstring(kFail));
        EXPECT_TRUE(m.Notices().empty());
        EXPECT_EQ(m.Host().Count(WM_CHAT_NOTIFY_TO_SERVICE, QXCHAT_NOTIFY_ENROLL, static_cast<LPARAM>(-1)),
                  0);
    }
    control->Reset();
}

} // namespace
