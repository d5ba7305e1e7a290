// The customer's history: participants of a support conversation copy what they show into the
// customer's cache, and one who joins later reads it back, each message once, whether or not it
// also reads the group caches.
#include "ChatMember.h"

#include "TestControl.h"
#include "TraceCapture.h"

#include <gtest/gtest.h>

#include <memory>

using namespace msgtest;

namespace {

constexpr wchar_t kCustomer[] = L"<chat ver=\"2.0\"><customerid>12345</customerid><mtype>11</mtype></chat>";

class CustomerHistoryTest : public testing::Test {
protected:
    CustomerHistoryTest() : control(enginetest::FreshControl()) {}
    ~CustomerHistoryTest() override {
        c.reset();
        b.reset();
        a.reset();
        control->Reset();
    }

    std::unique_ptr<ChatMember> Member(const wchar_t* lpszName, DWORD dwFeature = 0) {
        std::unique_ptr<ChatMember> m(new ChatMember(MemberConfig(lpszName, dwFeature)));
        EXPECT_EQ(ChSetConfig(m->H(), QXCHAT_CFG_CUSTOMER_ID, kCustomer), 1);
        m->Start();
        EXPECT_TRUE(PumpUntilReady({m.get()}));
        return m;
    }

    // A supporter and the customer both show, and so both copy, every message.
    void Converse() {
        a = Member(L"Agent");
        b = Member(L"Client");
        ASSERT_TRUE(PumpUntil([&] { return b->Dlg()->Users().GetCount() == 2; }));
        a->ToGroup(CHAT_ALL_USERS_ROLE_GROUP);
        a->Say(L"one");
        a->Say(L"two");
        ASSERT_TRUE(PumpUntilTexts(*a, {L"one", L"two"}));
        ASSERT_TRUE(PumpUntilTexts(*b, {L"one", L"two"}));
        PumpUntilQuiet();
    }

    IQxNodeControlTest* control;
    TraceCapture capture;
    std::unique_ptr<ChatMember> a, b, c;
};

TEST_F(CustomerHistoryTest, TheCustomerIdNamesTheCustomerCache) {
    a = Member(L"Agent");
    EXPECT_EQ(a->Dlg()->Status().m_dwCustomerId, 12345u);
    EXPECT_NE(a->Dlg()->Caches().m_CustomerCacheHandle, 0u);
    EXPECT_TRUE(
        capture.Contains(L"/==== CMainChatDlg::HandleCustomIdConfig Exit: m_dwCustomerId=12345 ====/"));
    EXPECT_EQ(ChSetConfig(a->H(), QXCHAT_CFG_CUSTOMER_ID, L"<chat ver=\"2.0\"><mtype>11</mtype></chat>"), 0);
    EXPECT_EQ(ChSetConfig(a->H(), QXCHAT_CFG_CUSTOMER_ID, nullptr), 0);
    EXPECT_EQ(a->Dlg()->Status().m_dwCustomerId, 12345u) << "a text that does not parse keeps the id";
}

TEST_F(CustomerHistoryTest, AJoinerReadsTheHistoryOnceThoughEveryParticipantCopiedIt) {
    Converse();
    c = Member(L"Supervisor", QXCHAT_FEATURE_CUSTOMER_HISTORY);
    ASSERT_TRUE(PumpUntilTexts(*c, {L"one", L"two"}));
    PumpUntilQuiet();
    EXPECT_EQ(c->Texts(), (std::vector<std::wstring>{L"one", L"two"}));
    EXPECT_TRUE(capture.ContainsSubstring(L"HandleGetAllHistoryMessages: m_dwLastGroupCacheId="));
}

TEST_F(CustomerHistoryTest, AJoinerThatAlsoRecoversTheGroupCacheShowsEachMessageOnce) {
    Converse();
    c = Member(L"Supervisor", QXCHAT_FEATURE_CUSTOMER_HISTORY | QXCHAT_FEATURE_RECOVERY);
    ASSERT_TRUE(PumpUntilTexts(*c, {L"one", L"two"})) << ::testing::PrintToString(c->Texts());
    PumpUntilQuiet();
    EXPECT_EQ(c->Texts(), (std::vector<std::wstring>{L"one", L"two"}));
    // What is said afterwards still arrives.
    a->Say(L"three");
    EXPECT_TRUE(PumpUntilTexts(*c, {L"one", L"two", L"three"}));
}

TEST_F(CustomerHistoryTest, AJoinerWithEveryReadBackShowsEachMessageOnce) {
    // Recovery after enrollment, stored-item subscriptions and the customer history at once: the
    // history shows what the group-cache reads are still collecting.
    Converse();
    c = Member(L"Supervisor",
               QXCHAT_FEATURE_CUSTOMER_HISTORY | QXCHAT_FEATURE_RECOVERY | QXCHAT_FEATURE_SUBSCRIBE_STORED);
    ASSERT_TRUE(PumpUntil([&] { return c->Texts().size() >= 2; })) << ::testing::PrintToString(c->Texts());
    PumpUntilQuiet();
    EXPECT_EQ(c->Texts(), (std::vector<std::wstring>{L"one", L"two"}));
    a->Say(L"three");
    EXPECT_TRUE(PumpUntilTexts(*c, {L"one", L"two", L"three"}));
    PumpUntilQuiet();
    EXPECT_EQ(c->Texts().size(), 3u);
}

} // namespace
