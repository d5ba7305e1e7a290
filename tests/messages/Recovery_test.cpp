// Reading the conversation back: late joiners with recovery after enrollment, with stored-item
// subscriptions, with both, a re-enrollment, ordering and de-duplication, live messages during a
// recovery, and a recovery whose answer never comes.
#include "ChatMember.h"

#include "../engine/EngineTestSupport.h"
#include "TraceCapture.h"
#include "pdu/GroupMessagePDU.h"
#include "qxmem.h"

#include <gtest/gtest.h>

#include <memory>

using namespace msgtest;

namespace {

const std::vector<std::wstring> kEarlier = {L"one", L"two", L"three"};

class RecoveryTest : public testing::Test {
protected:
    RecoveryTest() : control(enginetest::FreshControl()) {}
    ~RecoveryTest() override {
        c.reset();
        a.reset();
        control->Reset();
    }

    // A starts and says the earlier messages to everyone.
    void Converse(const std::vector<std::wstring>& lines = kEarlier) {
        if (!a) {
            a.reset(new ChatMember(MemberConfig(L"Alice")));
            a->Start();
            ASSERT_TRUE(PumpUntilReady({a.get()}));
            a->ToGroup(CHAT_ALL_USERS_ROLE_GROUP);
        }
        std::vector<std::wstring> expected = a->Texts();
        for (const std::wstring& line : lines) {
            a->Say(line);
            expected.push_back(line);
        }
        ASSERT_TRUE(PumpUntilTexts(*a, expected));
    }

    ChatMember& Join(DWORD dwFeature, UINT uTimeoutMs = 0) {
        capture.Clear(); // the joiner's own lines from here
        c.reset(new ChatMember(MemberConfig(L"Carol", dwFeature)));
        if (uTimeoutMs) c->Dlg()->SetRecoveryTimeout(uTimeoutMs);
        c->Start();
        return *c;
    }

    // Hands C an item of the everyone cache as the conference would.
    void Deliver(DWORD dwCacheId, const std::wstring& strText, DWORD dwAction) {
        CGroupMessagePDU pdu;
        pdu.SetSendId(a->UserId());
        pdu.SetSenderName("Alice");
        pdu.SetGroupId(CHAT_ALL_USERS_ROLE_GROUP);
        pdu.SetMessageText(std::string(strText.begin(), strText.end()));
        pdu.GenerateXMLPDU();
        const std::string strItem = pdu.GetXMLText();
        QXMEMHANDLE hMem = nullptr;
        QxMemoryAlloc(static_cast<DWORD>(strItem.size()), &hMem);
        DWORD dwSize = static_cast<DWORD>(strItem.size());
        QxMemoryWrite(hMem, 0, strItem.data(), &dwSize);
        CMainChatDlg* pDlg = c->Dlg();
        pDlg->SharedDataReceivedEx(pDlg->Status().m_apeHandle, dwCacheId,
                                   pDlg->GetGroupCacheHandle(CHAT_ALL_USERS_ROLE_GROUP), hMem, 0, dwAction);
        QxMemoryRelease(hMem);
    }

    IQxNodeControlTest* control;
    TraceCapture capture;
    std::unique_ptr<ChatMember> a, c;
};

struct LateJoin {
    const char* label;
    DWORD dwFeature;
};

class LateJoinTest : public RecoveryTest, public testing::WithParamInterface<LateJoin> {};

TEST_P(LateJoinTest, TheLateJoinerShowsEveryEarlierMessageOnceInOrder) {
    Converse();
    ChatMember& late = Join(GetParam().dwFeature);
    ASSERT_TRUE(PumpUntilReady({&late}));
    ASSERT_TRUE(PumpUntilTexts(late, kEarlier));
    // Later messages arrive live, once.
    a->Say(L"four");
    std::vector<std::wstring> all = kEarlier;
    all.push_back(L"four");
    ASSERT_TRUE(PumpUntilTexts(late, all));
    PumpUntilQuiet();
    EXPECT_EQ(late.Texts(), all);
    EXPECT_TRUE(
        capture.ContainsSubstring(L"/==== CMainChatDlg::ParseAndShowRecoveryMessages Exit: dwCount=3"));
}

INSTANTIATE_TEST_SUITE_P(
    Features, LateJoinTest,
    testing::Values(LateJoin{"recovery", QXCHAT_FEATURE_RECOVERY},
                    LateJoin{"stored", QXCHAT_FEATURE_SUBSCRIBE_STORED},
                    LateJoin{"both", QXCHAT_FEATURE_RECOVERY | QXCHAT_FEATURE_SUBSCRIBE_STORED}),
    [](const testing::TestParamInfo<LateJoin>& info) { return std::string(info.param.label); });

TEST_F(RecoveryTest, AJoinerWithoutRecoveryShowsOnlyWhatIsSaidAfterIt) {
    Converse();
    ChatMember& late = Join(0);
    ASSERT_TRUE(PumpUntilReady({&late}));
    a->Say(L"four");
    ASSERT_TRUE(PumpUntilTexts(late, {L"four"}));
    EXPECT_FALSE(capture.ContainsSubstring(L"ParseAndShowRecoveryMessages"));
}

TEST_F(RecoveryTest, AReEnrollmentWithRecoveryReadsBackOnlyWhatWasMissed) {
    Converse({L"one", L"two"});
    ChatMember& late = Join(0);
    ASSERT_TRUE(PumpUntilReady({&late}));
    Converse({L"three"});
    ASSERT_TRUE(PumpUntilTexts(late, {L"three"}));
    ChSelectFeature(late.H(), QXCHAT_FEATURE_RECOVERY, 0, 0, 0, 0, nullptr);
    ChSetRosters(late.H(), ROLE_PRESENTER); // re-enrolls
    ASSERT_TRUE(PumpUntil([&] { return capture.ContainsSubstring(L"ParseAndShowRecoveryMessages Exit"); }));
    ASSERT_TRUE(PumpUntilReady({&late}));
    PumpUntilQuiet();
    EXPECT_EQ(late.Texts(), (std::vector<std::wstring>{L"three", L"one", L"two"}))
        << "what was shown live is not shown again";
}

TEST_F(RecoveryTest, ItemsArrivingOutOfOrderAreShownInCacheIdOrder) {
    Converse({L"one"});
    ChatMember& late = Join(QXCHAT_FEATURE_RECOVERY);
    ASSERT_TRUE(PumpUntil([&] { return late.Dlg()->Status().m_bInRecovery != FALSE; }));
    // Before the conference's own answer: stored items out of order, one of them twice.
    Deliver(30, L"thirty", QXNC_CACHE_ITEM_MORE);
    Deliver(10, L"ten", QXNC_CACHE_ITEM_MORE);
    Deliver(20, L"twenty", QXNC_CACHE_ITEM_MORE);
    Deliver(10, L"ten", QXNC_CACHE_ITEM_MORE);
    EXPECT_TRUE(late.Texts().empty()) << "nothing before the last answer";
    ASSERT_TRUE(PumpUntilReady({&late}));
    EXPECT_EQ(late.Texts(), (std::vector<std::wstring>{L"one", L"ten", L"twenty", L"thirty"}));
}

TEST_F(RecoveryTest, ItemsUpToTheCustomerHistoryMarkAreNotShownAgain) {
    Converse();
    ChatMember& late = Join(QXCHAT_FEATURE_RECOVERY);
    ASSERT_TRUE(PumpUntil([&] { return late.Dlg()->Status().m_bInRecovery != FALSE; }));
    // The customer history showed the everyone cache's items up to id 3.
    CGroupMessagePDU history;
    history.SetSendId(a->UserId());
    history.SetGroupId(CHAT_ALL_USERS_ROLE_GROUP);
    history.SetGroupCacheId(3);
    history.SetMessageText("two");
    history.GenerateXMLPDU();
    EXPECT_EQ(late.Dlg()->HandleGetAllHistoryMessages(1, 1, history.GetXMLText()), 0);
    EXPECT_EQ(late.Dlg()->LastGroupCacheId(), 3u);
    ASSERT_TRUE(PumpUntilReady({&late}));
    // Item 1 is the reset's empty item, 2 and 3 are "one" and "two", 4 is "three".
    EXPECT_EQ(late.Texts(), (std::vector<std::wstring>{L"two", L"three"}));
}

TEST_F(RecoveryTest, LiveMessagesDuringARecoveryAreCollectedWithIt) {
    Converse();
    ChatMember& late = Join(QXCHAT_FEATURE_SUBSCRIBE_STORED);
    ASSERT_TRUE(PumpUntil([&] { return late.Dlg()->Status().m_bInRecovery != FALSE; }));
    // A live append that the read also returns, and one after everything stored.
    Deliver(3, L"two", QXNC_CACHE_APPEND);
    Deliver(90, L"live", QXNC_CACHE_APPEND);
    ASSERT_TRUE(PumpUntilReady({&late}));
    EXPECT_EQ(late.Texts(), (std::vector<std::wstring>{L"one", L"two", L"three", L"live"}));
    Deliver(90, L"live", QXNC_CACHE_APPEND);
    EXPECT_EQ(late.Texts().size(), 4u) << "never twice";
}

TEST_F(RecoveryTest, ASenderThatKeepsWritingLosesNothingForTheJoiner) {
    Converse();
    ChatMember& late = Join(QXCHAT_FEATURE_RECOVERY | QXCHAT_FEATURE_SUBSCRIBE_STORED);
    std::vector<std::wstring> expected = kEarlier;
    for (int i = 0; i < 20; ++i) {
        const std::wstring line = L"burst " + std::to_wstring(i);
        a->Say(line);
        expected.push_back(line);
        PumpPending();
    }
    ASSERT_TRUE(PumpUntilReady({&late}));
    ASSERT_TRUE(PumpUntil([&] { return late.Texts().size() >= expected.size(); }));
    PumpUntilQuiet();
    EXPECT_EQ(late.Texts(), expected);
}

TEST_F(RecoveryTest, ARecoveryWhoseAnswerNeverComesClosesAfterItsTimeout) {
    Converse();
    ChatMember& late = Join(QXCHAT_FEATURE_RECOVERY, 300);
    ASSERT_TRUE(PumpUntil([&] { return capture.ContainsSubstring(L"CheckChatStatus Exit"); }));
    // The reads of the history roster and of the everyone cache are accepted and never answered.
    control->ScriptResult(QXNC_OP_CACHE_ACTION, 0, 2);
    ASSERT_TRUE(PumpUntil([&] { return late.Dlg()->Status().m_bInRecovery != FALSE; }));
    EXPECT_EQ(late.Dlg()->RecoveryCount(), 1);
    Deliver(50, L"collected", QXNC_CACHE_APPEND);
    EXPECT_TRUE(late.Texts().empty());
    ASSERT_TRUE(PumpUntil([&] { return !late.Dlg()->Status().m_bInRecovery; }, 3000));
    EXPECT_TRUE(
        capture.Contains(L"/---- CMainChatDlg::OnRecoveryTimeout: 1 answers did not come within 300 ms, "
                         L"showing the 1 items collected ----/"));
    EXPECT_EQ(late.Texts(), std::vector<std::wstring>{L"collected"});
    a->Say(L"after");
    EXPECT_TRUE(PumpUntilTexts(late, {L"collected", L"after"})) << "live messages flow again";
}

TEST_F(RecoveryTest, ARefusedReadIsNotWaitedFor) {
    Converse();
    ChatMember& late = Join(QXCHAT_FEATURE_RECOVERY);
    ASSERT_TRUE(PumpUntil([&] { return capture.ContainsSubstring(L"CheckChatStatus Exit"); }));
    // The history roster's read and the everyone cache's are refused.
    control->ScriptResult(QXNC_OP_CACHE_ACTION, ARM_ERROR_INVALID_STATE, 2);
    ASSERT_TRUE(PumpUntilReady({&late}));
    EXPECT_FALSE(late.Dlg()->Status().m_bInRecovery);
    EXPECT_EQ(late.Dlg()->RecoveryCount(), 0);
    a->Say(L"now");
    EXPECT_TRUE(PumpUntilTexts(late, {L"now"})) << "shown live, not held for a read that was refused";
}

} // namespace
