// Reading the conversation back: late joiners with recovery after enrollment, with stored-item
// subscriptions, with both, a re-enrollment, ordering and de-duplication, live messages during a
// recovery, and a recovery whose answer never comes.
#include "ChatMember.h"

#include "TestControl.h"
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

    // A joiner with recovery whose reads (of the history roster and of the everyone cache) are
    // accepted and not answered by the conference; its recovery is open on return.
    ChatMember& JoinUnanswered(UINT uTimeoutMs) {
        ChatMember& late = Join(QXCHAT_FEATURE_RECOVERY, uTimeoutMs);
        EXPECT_TRUE(PumpUntil([&] { return capture.ContainsSubstring(L"CheckChatStatus Exit"); }));
        control->ScriptResult(QXNC_OP_CACHE_ACTION, 0, 2);
        EXPECT_TRUE(PumpUntil([&] { return late.Dlg()->Status().m_bInRecovery != FALSE; }));
        return late;
    }

    // A keeps writing: n lines, the conference getting a turn after each.
    void KeepWriting(const std::wstring& strPrefix, int n, std::vector<std::wstring>& expected) {
        for (int i = 0; i < n; ++i) {
            const std::wstring line = strPrefix + std::to_wstring(i);
            a->Say(line);
            expected.push_back(line);
            PumpPending();
        }
    }

    // The member ends up showing exactly these, each once.
    static void ExpectShownOnce(const ChatMember& m, const std::vector<std::wstring>& expected) {
        ASSERT_TRUE(PumpUntil([&] { return m.Texts().size() >= expected.size(); }));
        PumpUntilQuiet();
        EXPECT_EQ(m.Texts(), expected);
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

// A recovery shows what it collected in one go: every message once and in cache order, each with
// its header, and the host (the parent of the instance's window) hears of each message.
TEST_F(RecoveryTest, AManyItemRecoveryShowsEveryMessageOnceInOrderAndTellsTheHostOfEach) {
    std::vector<std::wstring> lines;
    for (int i = 0; i < 120; ++i)
        lines.push_back(L"line " + std::to_wstring(i));
    Converse(lines);
    const std::vector<std::wstring> expected = a->Texts();
    TestHostWindow outer;
    ChatMember& late = Join(QXCHAT_FEATURE_RECOVERY);
    const HWND hInstanceWnd = late.Host().Get();
    SetWindowLongPtrW(hInstanceWnd, GWL_STYLE,
                      (GetWindowLongPtrW(hInstanceWnd, GWL_STYLE) & ~static_cast<LONG_PTR>(WS_POPUP)) |
                          WS_CHILD);
    SetParent(hInstanceWnd, outer.Get());
    struct Detach { // the instance's window must not go with the outer one
        HWND h;
        ~Detach() { SetParent(h, nullptr); }
    } detach{hInstanceWnd};
    ASSERT_TRUE(PumpUntilReady({&late}));
    ASSERT_TRUE(PumpUntilTexts(late, expected, 20000));
    PumpUntilQuiet();
    EXPECT_EQ(late.Texts(), expected);
    EXPECT_EQ(late.Headers().size(), expected.size());
    EXPECT_TRUE(capture.ContainsSubstring(L"ParseAndShowRecoveryMessages Exit: dwCount=" +
                                          std::to_wstring(expected.size())));
    int nShownNotices = 0;
    for (const auto& m : outer.messages)
        nShownNotices += m.uMsg == WM_COMMAND && m.wParam == QXCHAT_CMD_MESSAGE_SHOWN;
    EXPECT_EQ(nShownNotices, static_cast<int>(expected.size()));
}

// A host-group message that someone wrote into the everyone cache is read back like any item;
// a joiner without the host right does not show it.
TEST_F(RecoveryTest, ARecoveredHostGroupMessageOfAnotherIsNotShownWithoutTheRight) {
    Converse({L"before"});
    CGroupMessagePDU pdu;
    pdu.SetSendId(a->UserId());
    pdu.SetSendNodeId(a->NodeId());
    pdu.SetSenderName("Alice");
    pdu.SetGroupId(CHAT_HOST_ROLE_GROUP);
    pdu.SetMessageText("for the hosts");
    ASSERT_TRUE(pdu.GenerateXMLPDU());
    const std::string strItem = pdu.GetXMLText();
    QXMEMHANDLE hMem = nullptr;
    ASSERT_EQ(QxMemoryAlloc(static_cast<DWORD>(strItem.size()), &hMem), QXMEM_OK);
    DWORD dwSize = static_cast<DWORD>(strItem.size());
    QxMemoryWrite(hMem, 0, strItem.data(), &dwSize);
    CMainChatDlg* pAlice = a->Dlg();
    ASSERT_EQ(pAlice->Status().m_pArmNC->CacheSet(pAlice->Status().m_apeHandle,
                                                  pAlice->GetGroupCacheHandle(CHAT_ALL_USERS_ROLE_GROUP), 0,
                                                  0, QXNC_CACHE_APPEND, 0, hMem, 0, 1),
              0);
    QxMemoryRelease(hMem);
    ASSERT_TRUE(PumpUntilTexts(*a, {L"before", L"for the hosts"})) << "Alice has the right";
    Converse({L"after"});

    capture.Clear();
    MemberConfig config(L"Carol", QXCHAT_FEATURE_RECOVERY);
    config.dwPrivilege = 0x1;
    c.reset(new ChatMember(config));
    c->Start();
    // Without the full rights the input may stay closed; the read-back is what counts here.
    ASSERT_TRUE(PumpUntil([&] { return capture.ContainsSubstring(L"ParseAndShowRecoveryMessages Exit"); }))
        << capture.Dump();
    ExpectShownOnce(*c, {L"before", L"after"});
    EXPECT_TRUE(capture.ContainsSubstring(L"MayShowGroupMessage: a host group message of user"));
}

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
    ChSetRosters(late.H(), QXCHAT_ROLE_PRESENTER); // re-enrolls
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

// A group message as the customer history holds it: a participant's copy naming its cache item.
std::string HistoryCopy(DWORD dwSender, int nGroupId, DWORD dwCacheId, const char* lpszText) {
    CGroupMessagePDU copy;
    copy.SetSendId(dwSender);
    copy.SetGroupId(static_cast<DWORD>(nGroupId));
    copy.SetGroupCacheId(dwCacheId);
    copy.SetMessageText(lpszText);
    copy.GenerateXMLPDU();
    return copy.GetXMLText();
}

TEST_F(RecoveryTest, WhatTheCustomerHistoryShowedIsNotShownAgain) {
    Converse();
    ChatMember& late = Join(QXCHAT_FEATURE_RECOVERY);
    ASSERT_TRUE(PumpUntil([&] { return late.Dlg()->Status().m_bInRecovery != FALSE; }));
    // Item 1 is the reset's empty item, 2 to 4 are "one" to "three"; the history held 2 and 3.
    CMainChatDlg* pDlg = late.Dlg();
    EXPECT_EQ(pDlg->HandleGetAllHistoryMessages(1, 1, HistoryCopy(a->UserId(), 15, 2, "one")), 0);
    EXPECT_EQ(pDlg->HandleGetAllHistoryMessages(2, 1, HistoryCopy(a->UserId(), 15, 3, "two")), 0);
    EXPECT_EQ(pDlg->LastGroupCacheId(), 3u);
    ASSERT_TRUE(PumpUntilReady({&late}));
    PumpUntilQuiet();
    EXPECT_EQ(late.Texts(), kEarlier);
}

TEST_F(RecoveryTest, AHistoryMarkOfAnotherCacheHidesNothingOfThisOne) {
    // A support meeting: the history's last message came through the hosts-and-presenters cache
    // with a far greater id than anything in the everyone cache.
    Converse();
    capture.Clear();
    c.reset(new ChatMember(MemberConfig(L"Carol", QXCHAT_FEATURE_RECOVERY)));
    ChSetMeetingType(c->H(), 3);
    c->Start();
    ChatMember& late = *c;
    ASSERT_TRUE(PumpUntil([&] { return late.Dlg()->Status().m_bInRecovery != FALSE; }));
    EXPECT_EQ(late.Dlg()->HandleGetAllHistoryMessages(
                  1, 1, HistoryCopy(a->UserId(), CHAT_ALL_HOST_PRESENTER_ROLE_GROUP, 50, "earlier support")),
              0);
    EXPECT_EQ(late.Dlg()->LastGroupCacheId(), 50u);
    // Live during the recovery, with an id below the mark too.
    Deliver(5, L"live", QXNC_CACHE_APPEND);
    ASSERT_TRUE(PumpUntilReady({&late}));
    PumpUntilQuiet();
    EXPECT_EQ(late.Texts(),
              (std::vector<std::wstring>{L"earlier support", L"one", L"two", L"three", L"live"}));
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
    KeepWriting(L"burst ", 20, expected);
    ASSERT_TRUE(PumpUntilReady({&late}));
    ExpectShownOnce(late, expected);
}

TEST_F(RecoveryTest, ARecoveryWhoseAnswerNeverComesClosesAfterItsTimeout) {
    Converse();
    ChatMember& late = JoinUnanswered(300);
    ASSERT_TRUE(late.Dlg()->Status().m_bInRecovery);
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

TEST_F(RecoveryTest, StoredItemsThatComeAfterTheTimeoutAreStillShownOnce) {
    Converse();
    ChatMember& late = JoinUnanswered(300); // answered only below, too late
    ASSERT_TRUE(PumpUntil([&] { return !late.Dlg()->Status().m_bInRecovery; }, 3000));
    EXPECT_TRUE(late.Texts().empty());
    // The slow answer arrives at last, one item twice.
    Deliver(2, L"one", QXNC_CACHE_ITEM_FIRST);
    Deliver(3, L"two", QXNC_CACHE_ITEM_MORE);
    Deliver(3, L"two", QXNC_CACHE_ITEM_MORE);
    Deliver(4, L"three", QXNC_CACHE_ITEM_LAST);
    EXPECT_EQ(late.Texts(), kEarlier);
    // The answer is over: stored items of that cache are no longer taken.
    Deliver(9, L"stale", QXNC_CACHE_ITEM_MORE);
    EXPECT_EQ(late.Texts(), kEarlier);
    a->Say(L"after");
    std::vector<std::wstring> all = kEarlier;
    all.push_back(L"after");
    EXPECT_TRUE(PumpUntilTexts(late, all));
}

TEST_F(RecoveryTest, TheTimeoutRunsFromTheLastItemReceived) {
    Converse();
    ChatMember& late = JoinUnanswered(1500);
    ASSERT_TRUE(late.Dlg()->Status().m_bInRecovery);
    // Items keep coming, each well within the timeout of the one before, for longer than the
    // timeout in all: the recovery waits for its last item.
    const DWORD dwStart = GetTickCount();
    DWORD dwId = 2;
    while (GetTickCount() - dwStart < 2000) {
        Deliver(dwId++, L"item", QXNC_CACHE_ITEM_MORE);
        ASSERT_TRUE(late.Dlg()->Status().m_bInRecovery)
            << "closed after " << GetTickCount() - dwStart << " ms";
        const DWORD dwStep = GetTickCount();
        PumpUntil([&] { return GetTickCount() - dwStep >= 100; }, 1000);
    }
    EXPECT_TRUE(late.Texts().empty());
    Deliver(dwId, L"last", QXNC_CACHE_ITEM_LAST);
    EXPECT_FALSE(late.Dlg()->Status().m_bInRecovery);
    EXPECT_EQ(late.Texts().back(), L"last");
    EXPECT_FALSE(capture.ContainsSubstring(L"OnRecoveryTimeout"));
}

TEST_F(RecoveryTest, CloseAndStartAgainFollowsASenderThatKeepsWriting) {
    Converse({L"one"});
    ChatMember& late = Join(QXCHAT_FEATURE_RECOVERY | QXCHAT_FEATURE_SUBSCRIBE_STORED);
    ASSERT_TRUE(PumpUntilReady({&late}));
    ASSERT_TRUE(PumpUntilTexts(late, {L"one"}));
    // A re-enrollment reads back again; its read is accepted and not answered before the window
    // closes, with an item on its way too.
    late.Dlg()->SetRecoveryTimeout(60000);
    ChSelectFeature(late.H(), QXCHAT_FEATURE_RECOVERY | QXCHAT_FEATURE_SUBSCRIBE_STORED, 0, 0, 0, 0, nullptr);
    capture.Clear();
    ChSetRosters(late.H(), QXCHAT_ROLE_PRESENTER);
    control->ScriptResult(QXNC_OP_CACHE_ACTION, 0, 2);
    ASSERT_TRUE(PumpUntil([&] { return capture.ContainsSubstring(L"ProcessRecovery Start"); }));
    ASSERT_TRUE(late.Dlg()->Status().m_bInRecovery);
    a->Say(L"two");
    SendMessageW(late.Dialog(), WM_CLOSE, 0, 0);
    ASSERT_EQ(late.Dlg()->GetHwnd(), nullptr);
    EXPECT_FALSE(late.Dlg()->Status().m_bInRecovery);
    EXPECT_EQ(late.Dlg()->RecoveryCount(), 0);
    a->Say(L"three");
    PumpPending();
    late.Start();
    std::vector<std::wstring> expected = {L"one", L"two", L"three"};
    KeepWriting(L"again ", 10, expected);
    ASSERT_TRUE(PumpUntilReady({&late}));
    ExpectShownOnce(late, expected);
    late.ToGroup(CHAT_ALL_USERS_ROLE_GROUP);
    late.Say(L"back");
    EXPECT_TRUE(PumpUntil([&] {
        const std::vector<std::wstring> seen = a->Texts();
        return !seen.empty() && seen.back() == L"back";
    })) << "the started-again instance sends too";
    EXPECT_EQ(late.InputText(), L"");
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
