// The customer's history on a support desk: every message of the conversation lands in it
// once, whoever showed it and however often anyone recovered, none is missing when its sender
// has no customer cache, and a supporter who joins late shows it once, in its own order.
#include "SupportDeskTestSupport.h"

#include "TestControl.h"
#include "TraceCapture.h"
#include "pdu/GroupMessagePDU.h"
#include "pdu/PrivateMessagePDU.h"

#include <gtest/gtest.h>

#include <memory>

using namespace msgtest;
using namespace desktest;

namespace {

constexpr DWORD kCopyOption = 0x2000000;

class SupportHistoryTest : public testing::Test {
protected:
    SupportHistoryTest() : control(enginetest::FreshControl()) {}
    ~SupportHistoryTest() override {
        late.reset();
        other.reset();
        client.reset();
        agent.reset();
        control->Reset();
    }

    // A supporter and the customer: three group messages, then one private one, one after
    // another.
    void Converse() {
        agent = StartDeskMember({L"Agent", kSupporter});
        client = StartDeskMember({L"Client", kCustomer});
        ASSERT_TRUE(
            PumpUntil([&] { return agent->Dlg()->Users().FindByNodeId(client->NodeId()) != nullptr; }));
        agent->ToGroup(CHAT_ALL_USERS_ROLE_GROUP);
        client->ToGroup(CHAT_ALL_USERS_ROLE_GROUP);
        agent->Say(L"g1 hello");
        ASSERT_TRUE(PumpUntilTexts(*client, {L"g1 hello"}));
        client->Say(L"g2 my printer");
        ASSERT_TRUE(PumpUntilTexts(*agent, {L"g1 hello", L"g2 my printer"}));
        agent->Say(L"g3 let me look");
        ASSERT_TRUE(PumpUntilTexts(*client, {L"g1 hello", L"g2 my printer", L"g3 let me look"}));
        agent->ToUser(*client);
        agent->Say(L"p1 your serial?");
        ASSERT_TRUE(
            PumpUntilTexts(*client, {L"g1 hello", L"g2 my printer", L"g3 let me look", L"p1 your serial?"}));
        PumpUntilQuiet();
    }

    DWORD CustomerCache() const { return agent->Dlg()->Caches().m_CustomerCacheHandle; }

    // Every item written into the customer's cache so far, by anyone.
    std::vector<std::string> History() const {
        std::vector<std::string> items;
        for (const QxNcCall& call : enginetest::CallsOf(QXNC_OP_CACHE_SET))
            if (call.args[1] == CustomerCache() && call.data && call.data_length > 2)
                items.emplace_back(reinterpret_cast<const char*>(call.data), call.data_length);
        return items;
    }

    IQxNodeControlTest* control;
    TraceCapture capture;
    std::unique_ptr<ChatMember> agent, client, other, late;
};

TEST_F(SupportHistoryTest, EachMessageOfTheConversationLandsInTheHistoryOnceWithTheCopyOption) {
    Converse();
    const std::vector<std::string> history = History();
    for (const char* text : {"g1 hello", "g2 my printer", "g3 let me look", "p1 your serial?"})
        EXPECT_EQ(CountContaining(history, text), 1u) << text;
    for (const QxNcCall& call : enginetest::CallsOf(QXNC_OP_CACHE_SET)) {
        if (call.args[1] == CustomerCache() && call.data_length > 2) {
            EXPECT_EQ(call.args[5], kCopyOption);
        }
    }
    // Group copies name their group cache item; the private copy its message id.
    EXPECT_EQ(CountContaining(history, "<GroupCacheId>"), 3u);
    EXPECT_EQ(CountContaining(history, "<msgid>"), 1u);

    // The customer answers privately: its own copy, again once.
    client->ToUser(*agent);
    client->Say(L"p2 it is 42");
    ASSERT_TRUE(PumpUntil([&] { return agent->Texts().size() == 5; }));
    PumpUntilQuiet();
    EXPECT_EQ(CountContaining(History(), "p2 it is 42"), 1u);
}

TEST_F(SupportHistoryTest, ASenderWithoutACustomerCacheDoesNotMakeItsMessageVanish) {
    Converse();
    // A participant that was not told the customer id: it has no customer cache.
    DeskMemberSetup observer{L"Observer", kSupporter};
    observer.bCustomerId = false;
    other = StartDeskMember(observer);
    ASSERT_EQ(other->Dlg()->Caches().m_CustomerCacheHandle, 0u);
    ASSERT_TRUE(PumpUntil([&] { return other->Dlg()->Users().FindByNodeId(client->NodeId()) != nullptr; }));
    other->ToGroup(CHAT_ALL_USERS_ROLE_GROUP);
    other->Say(L"g4 from the observer");
    other->ToUser(*client);
    other->Say(L"p3 from the observer");
    ASSERT_TRUE(PumpUntil([&] { return client->Texts().size() == 6; }));
    PumpUntilQuiet();
    const std::vector<std::string> history = History();
    EXPECT_EQ(CountContaining(history, "p3 from the observer"), 1u) << "the receiver copied it";
    // Both the supporter and the customer showed the group message and copied it; a reader
    // shows its group cache item once.
    EXPECT_GE(CountContaining(history, "g4 from the observer"), 1u);
}

// A group message's copy is written only when its item comes back from the group cache; what
// the sender says meanwhile waits behind it, so the history keeps the order things were said.
TEST_F(SupportHistoryTest, CopiesLandInTheHistoryInTheOrderTheirMessagesWereSaid) {
    Converse();
    const std::vector<std::string> conversation = History();
    ASSERT_EQ(conversation.size(), 4u);
    const char* said[] = {"g1 hello", "g2 my printer", "g3 let me look", "p1 your serial?"};
    for (size_t i = 0; i < 4; ++i)
        EXPECT_NE(conversation[i].find(said[i]), std::string::npos) << i;

    // Said back to back, before the group item can have come back.
    agent->ToGroup(CHAT_ALL_USERS_ROLE_GROUP);
    agent->Say(L"g5 one moment");
    agent->ToUser(*client);
    agent->Say(L"p5 still there?");
    agent->ToGroup(CHAT_ALL_USERS_ROLE_GROUP);
    agent->Say(L"g6 found it");
    ASSERT_TRUE(PumpUntil([&] { return client->Texts().size() == 7; }));
    PumpUntilQuiet();
    const std::vector<std::string> later = History();
    ASSERT_EQ(later.size(), 7u);
    EXPECT_NE(later[4].find("g5 one moment"), std::string::npos);
    EXPECT_NE(later[5].find("p5 still there?"), std::string::npos);
    EXPECT_NE(later[6].find("g6 found it"), std::string::npos);
}

// A supporter who joins late shows the conversation once, in its order, whichever of recovery
// after enrollment (0x400), stored-item subscriptions (0x800) and the history (0x10000) it uses,
// and copies nothing it recovered.
TEST_F(SupportHistoryTest, ALateSupporterShowsTheConversationOnceInItsOrderWithEveryFeatureMix) {
    Converse();
    const std::vector<std::wstring> groupLines = {L"g1 hello", L"g2 my printer", L"g3 let me look"};
    for (DWORD dwMix = 0; dwMix < 8; ++dwMix) {
        const DWORD dwFeature = ((dwMix & 1) ? QXCHAT_FEATURE_RECOVERY : 0) |
                                ((dwMix & 2) ? QXCHAT_FEATURE_SUBSCRIBE_STORED : 0) |
                                ((dwMix & 4) ? QXCHAT_FEATURE_CUSTOMER_HISTORY : 0);
        SCOPED_TRACE(testing::Message() << "features 0x" << std::hex << dwFeature);
        const size_t writtenBefore = History().size();
        DeskMemberSetup joiner{L"Late", kSupporter, dwFeature};
        joiner.bWaitReady = false;
        late = StartDeskMember(joiner);
        std::vector<std::wstring> expected;
        if (dwFeature &
            (QXCHAT_FEATURE_RECOVERY | QXCHAT_FEATURE_SUBSCRIBE_STORED | QXCHAT_FEATURE_CUSTOMER_HISTORY))
            expected = groupLines;
        if (dwFeature & QXCHAT_FEATURE_CUSTOMER_HISTORY) expected.push_back(L"p1 your serial?");
        EXPECT_TRUE(PumpUntilSettled(*late));
        EXPECT_TRUE(PumpUntilTexts(*late, expected)) << testing::PrintToString(late->Texts());
        PumpUntilQuiet();
        EXPECT_EQ(late->Texts(), expected);
        EXPECT_EQ(History().size(), writtenBefore) << "the late supporter copied what it recovered";
        late.reset();
        PumpUntilQuiet();
    }
}

// Older peers copied a private message at both ends and every shown group item everywhere; a
// reader shows each message once, yet a message said twice stays twice.
TEST_F(SupportHistoryTest, AReaderShowsOlderPeersDoubleCopiesOnceAndRepeatedMessagesTwice) {
    agent = StartDeskMember({L"Agent", kSupporter});
    client = StartDeskMember({L"Client", kCustomer});
    auto writeCopy = [&](CChatXMLPDU& pdu) {
        ASSERT_TRUE(pdu.GenerateXMLPDU());
        agent->Dlg()->SendCopyToCustomerCache(&pdu);
    };
    auto privateCopy = [&](const std::string& text, const std::string& id) {
        CPrivateMessagePDU pdu;
        pdu.SetSendId(agent->UserId());
        pdu.SetSenderName("Agent");
        pdu.SetRecId(client->UserId());
        pdu.SetReceiverName("Client");
        pdu.SetMessageText(text);
        pdu.SetMessageId(id);
        writeCopy(pdu);
    };
    // An older pair: "ok" said twice, each copied by sender and receiver.
    for (int i = 0; i < 4; ++i)
        privateCopy("ok", "");
    // An older group message copied by two participants.
    for (int i = 0; i < 2; ++i) {
        CGroupMessagePDU pdu;
        pdu.SetSendId(client->UserId());
        pdu.SetSenderName("Client");
        pdu.SetGroupId(CHAT_ALL_USERS_ROLE_GROUP);
        pdu.SetGroupCacheId(90);
        pdu.SetMessageText("old group line");
        writeCopy(pdu);
    }
    // New peers: "thanks" said twice (two ids), and one message whose older receiver copied it
    // again with its id.
    privateCopy("thanks", "5-1-1");
    privateCopy("thanks", "5-1-2");
    privateCopy("bye", "5-1-3");
    privateCopy("bye", "5-1-3");
    PumpUntilQuiet();

    DeskMemberSetup reader{L"Late", kSupporter, QXCHAT_FEATURE_CUSTOMER_HISTORY};
    reader.bWaitReady = false;
    late = StartDeskMember(reader);
    EXPECT_TRUE(PumpUntilSettled(*late));
    const std::vector<std::wstring> expected = {L"ok",     L"ok",     L"old group line",
                                                L"thanks", L"thanks", L"bye"};
    EXPECT_TRUE(PumpUntilTexts(*late, expected)) << testing::PrintToString(late->Texts());
}

} // namespace
