// Transfer messages end to end on a support desk: what each type shows and sends, messages
// received from others, the hold while a late supporter reads the customer's history, and the
// duplicate suppression against that history.
#include "SupportDeskTestSupport.h"

#include "TestControl.h"
#include "TraceCapture.h"
#include "window/MessageContainer.h"
#include "window/MessageItem.h"

#include <gtest/gtest.h>

#include <memory>

using namespace msgtest;
using namespace desktest;

namespace {

constexpr DWORD kChatRoom = 3;         // the members' chat room
constexpr DWORD kCustomerNode = 12345; // the customer listed again above the group ids
constexpr DWORD kShow = QXCHAT_TRANSFER_SHOW, kChat = QXCHAT_TRANSFER_SEND,
                kRecordable = QXCHAT_TRANSFER_RECORDABLE;

class TransferMessagesTest : public testing::Test {
protected:
    TransferMessagesTest() : control(enginetest::FreshControl()) {}
    ~TransferMessagesTest() override {
        late.reset();
        client.reset();
        agent.reset();
        control->Reset();
    }

    void OpenDesk() {
        agent = StartDeskMember({L"Agent", kSupporter});
        client = StartDeskMember({L"Client", kCustomer});
        ASSERT_TRUE(
            PumpUntil([&] { return agent->Dlg()->Users().FindByNodeId(client->NodeId()) != nullptr; }));
        ASSERT_TRUE(
            PumpUntil([&] { return client->Dlg()->Users().FindByNodeId(agent->NodeId()) != nullptr; }));
    }

    LONG Transfer(ChatMember& m, DWORD dwType, DWORD dwOption, const wchar_t* lpszText, DWORD dwTarget = 0) {
        return ChTransferMessages(m.H(), dwType, dwTarget, dwOption, lpszText);
    }

    std::vector<std::string> HistoryWrites(const ChatMember& m) const {
        return CacheWrites(m, m.Dlg()->Caches().m_CustomerCacheHandle);
    }

    HWND Container(const ChatMember& m) const { return m.Dlg()->Controls().m_hMessageWnd; }

    IQxNodeControlTest* control;
    TraceCapture capture;
    std::unique_ptr<ChatMember> agent, client, late;
};

TEST_F(TransferMessagesTest, EachTypeIsShownAsItsKindOfNoticeOrAsAStripLine) {
    OpenDesk();
    EXPECT_EQ(Transfer(*agent, 3, kShow | kRecordable, L"Agent Smith joined"), 0);
    EXPECT_EQ(Transfer(*agent, 6, kShow | kRecordable, L"Customer is waiting"), 0);
    EXPECT_EQ(Transfer(*agent, 8, kShow, L"Escalated"), 0);
    EXPECT_EQ(Transfer(*agent, 10, kShow, L"In queue"), 0);
    EXPECT_EQ(Transfer(*agent, 2, kShow | kRecordable, L"Never shown here"), 0);
    EXPECT_EQ(Transfer(*agent, 7, kRecordable, L"Not without the show bit"), 0);
    for (DWORD code : {1u, 7u, 9u})
        EXPECT_EQ(Transfer(*agent, code, kShow, (L"line " + std::to_wstring(code)).c_str()), 0);
    PumpUntilQuiet();

    EXPECT_EQ(ItemsOfKind(*agent, ITEM_NOTICE),
              (std::vector<std::wstring>{L"Agent Smith joined", L"In queue"}));
    EXPECT_EQ(ItemsOfKind(*agent, ITEM_HIGHLIGHT),
              (std::vector<std::wstring>{L"Customer is waiting", L"Escalated"}));
    for (DWORD code : {1u, 7u, 9u})
        EXPECT_EQ(QxGetIndicationLine(Container(*agent), code), L"line " + std::to_wstring(code));
    EXPECT_TRUE(capture.Contains(L"CMainChatDlg::AddTransferMessage: strMsgContents=Escalated, dwSubtype=8"));
    // Nothing reaches the customer: these are sent to the supporter itself.
    EXPECT_TRUE(ItemsOfKind(*client, ITEM_NOTICE).empty());

    // Type 11 switches the strip off for good, then shows like type 3.
    HWND hContainer = Container(*agent);
    QxLayoutMessageContainer(hContainer, TRUE);
    EXPECT_TRUE(IsWindowVisible(QxIndicationWindow(hContainer)));
    EXPECT_EQ(Transfer(*agent, 11, 0, L"Closed"), 0);
    QxLayoutMessageContainer(hContainer, TRUE);
    EXPECT_FALSE(IsWindowVisible(QxIndicationWindow(hContainer)));
    EXPECT_EQ(ItemsOfKind(*agent, ITEM_NOTICE).size(), 2u) << "without the show bit type 11 is only sent";
}

TEST_F(TransferMessagesTest, AShownTransferIsSentToItselfOnceAndCopiedToTheHistoryUnlessHighlighted) {
    OpenDesk();
    control->ClearCalls();
    EXPECT_EQ(Transfer(*agent, 3, kShow | kRecordable | QXCHAT_TRANSFER_OPTION_10, L"Agent Smith joined"), 0);
    EXPECT_EQ(Transfer(*agent, 6, kShow | kRecordable, L"Hurry"), 0);
    EXPECT_EQ(Transfer(*agent, 8, kShow, L"No send bit"), 0);
    PumpUntilQuiet();

    const std::vector<std::string> sent = SentData(*agent);
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_NE(sent[0].find("<mtype>9</mtype>"), std::string::npos);
    EXPECT_NE(sent[0].find("<stype>3</stype>"), std::string::npos);
    EXPECT_NE(sent[0].find("<recid>0</recid>"), std::string::npos);
    EXPECT_NE(sent[1].find("Hurry"), std::string::npos);
    for (const QxNcCall& call : enginetest::CallsOf(QXNC_OP_SEND_DATA))
        EXPECT_EQ(call.args[1], agent->UserId()) << "addressed to the supporter itself";
    const std::vector<DWORD> options = SendOptions(*agent);
    ASSERT_EQ(options.size(), 2u);
    EXPECT_EQ(options[0] & 0x30u, 0x30u) << "to itself, and the option's bit 0x10";
    EXPECT_EQ(options[1] & 0x20u, 0x20u);

    // Shown once: the copy that comes back to the sender is not shown again.
    EXPECT_EQ(ItemsOfKind(*agent, ITEM_NOTICE), std::vector<std::wstring>{L"Agent Smith joined"});
    EXPECT_EQ(ItemsOfKind(*agent, ITEM_HIGHLIGHT), (std::vector<std::wstring>{L"Hurry", L"No send bit"}));

    const std::vector<std::string> history = HistoryWrites(*agent);
    EXPECT_EQ(CountContaining(history, "Agent Smith joined"), 1u);
    EXPECT_EQ(CountContaining(history, "Hurry"), 0u);
    EXPECT_EQ(CountContaining(history, "No send bit"), 0u);
    EXPECT_TRUE(capture.Contains(L" OPTION: CMainChatDlg::SendCopyToCustomerCache dwSendOption = 33554432 "));
}

TEST_F(TransferMessagesTest, TypesFourAndFiveBecomeChatMessagesOnlyWithTheirOptionBit) {
    OpenDesk();
    EXPECT_EQ(ChTransferMessages(agent->H(), 3, 0, kShow, nullptr), 0);
    EXPECT_EQ(Transfer(*agent, QXCHAT_TRANSFER_PRIVATE_CHAT, kShow, L"ignored", client->UserId()), 0);
    EXPECT_EQ(Transfer(*agent, QXCHAT_TRANSFER_GROUP_CHAT, 0, L"ignored", CHAT_ALL_USERS_ROLE_GROUP), 0);
    EXPECT_EQ(Transfer(*agent, 12, kShow | kChat, L"unknown type"), 0);
    EXPECT_EQ(Transfer(*agent, 0, kShow | kChat, L"no type"), 0);
    PumpUntilQuiet();
    EXPECT_EQ(agent->ItemCount(), 0);

    EXPECT_EQ(Transfer(*agent, QXCHAT_TRANSFER_PRIVATE_CHAT, kChat, L"just for you", client->UserId()), 1);
    EXPECT_TRUE(PumpUntilTexts(*client, {L"just for you"}));
    EXPECT_EQ(Transfer(*agent, QXCHAT_TRANSFER_GROUP_CHAT, kChat, L"for everyone", CHAT_ALL_USERS_ROLE_GROUP),
              1);
    EXPECT_TRUE(PumpUntilTexts(*client, {L"just for you", L"for everyone"}));
    EXPECT_TRUE(PumpUntilTexts(*agent, {L"just for you", L"for everyone"}));
    EXPECT_TRUE(
        capture.Contains(Fmt(L"/@@@@ ChTransferMessages enter: hCompoent= 0x%x,dwType=4, dwTargetID=%d, "
                             L"dwOption=2, lpszMessage=just for you@@@@/",
                             static_cast<unsigned>(agent->H()), client->UserId())));
    EXPECT_TRUE(capture.Contains(L"/#### ChTransferMessages exit: lResult= 1 ####/"));
}

TEST_F(TransferMessagesTest, ReceivedTransfersAreShownAndCopiedExceptTheHighlightedOnes) {
    OpenDesk();
    // Targets below 10000 name groups: the customer is listed once more under a node id above
    // them (the embedded conference numbers its nodes from 1001).
    enginetest::RosterList list;
    list.Record(kChatRoom,
                {{kCustomerNode, client->UserId(), enginetest::RosterText("Client", 8, 1, kCustomer)}});
    ASSERT_EQ(control->InjectRosterChange(agent->Dlg()->Status().m_apeHandle, 1, 0, 0, list.Get()), 0);
    ASSERT_TRUE(PumpUntil([&] { return agent->Dlg()->Users().FindByNodeId(kCustomerNode) != nullptr; }));
    CMainChatDlg* pAgent = agent->Dlg();
    EXPECT_TRUE(pAgent->SendTransferMessage(8, kCustomerNode, kRecordable, L"Please hold"));
    EXPECT_TRUE(pAgent->SendTransferMessage(3, kCustomerNode, kRecordable, L"A note"));
    ASSERT_TRUE(PumpUntil([&] { return ItemsOfKind(*client, ITEM_NOTICE).size() == 1; }));
    PumpUntilQuiet();
    EXPECT_EQ(ItemsOfKind(*client, ITEM_HIGHLIGHT), std::vector<std::wstring>{L"Please hold"});
    EXPECT_EQ(ItemsOfKind(*client, ITEM_NOTICE), std::vector<std::wstring>{L"A note"});
    const std::vector<std::string> copies = HistoryWrites(*client);
    EXPECT_EQ(CountContaining(copies, "A note"), 1u);
    EXPECT_EQ(CountContaining(copies, "Please hold"), 0u);
    EXPECT_TRUE(ItemsOfKind(*agent, ITEM_NOTICE).empty()) << "the sender does not show what it sent away";

    // To a group: written into its cache, shown by everyone subscribed, the sender included.
    capture.Clear();
    EXPECT_TRUE(pAgent->SendTransferMessage(3, CHAT_ALL_USERS_ROLE_GROUP, kChat | QXCHAT_TRANSFER_OPTION_10,
                                            L"To all"));
    EXPECT_TRUE(PumpUntil([&] { return ItemsOfKind(*client, ITEM_NOTICE).size() == 2; }));
    EXPECT_TRUE(
        PumpUntil([&] { return ItemsOfKind(*agent, ITEM_NOTICE) == std::vector<std::wstring>{L"To all"}; }));
    EXPECT_TRUE(capture.ContainsSubstring(L" OPTION: CMainChatDlg::SendTransferMessage dwSendOption = "));
    const std::vector<std::string> groupWrites =
        CacheWrites(*agent, agent->Dlg()->GetGroupCacheHandle(CHAT_ALL_USERS_ROLE_GROUP));
    EXPECT_EQ(CountContaining(groupWrites, "To all"), 1u);
    PumpUntilQuiet();
    EXPECT_EQ(CountContaining(HistoryWrites(*agent), "To all"), 1u) << "its sender copies it";
    EXPECT_EQ(CountContaining(HistoryWrites(*client), "To all"), 0u);

    // Targets that cannot be reached, and requests that send nothing.
    capture.Clear();
    EXPECT_FALSE(pAgent->SendTransferMessage(3, 99999, kRecordable, L"nobody"));
    EXPECT_TRUE(capture.Contains(L"/---- CMainChatDlg::SendTransferMessage: dwUserId ----/"));
    EXPECT_FALSE(pAgent->SendTransferMessage(3, CHAT_HOST_ROLE_GROUP, kRecordable, L"no cache"));
    EXPECT_TRUE(capture.Contains(L"CMainChatDlg::SendTransferMessage: !dwGroupCacheHandle"));
    EXPECT_FALSE(pAgent->SendTransferMessage(0, client->NodeId(), kRecordable, L"no type"));
    EXPECT_FALSE(
        pAgent->SendTransferMessage(3, client->NodeId(), kShow | QXCHAT_TRANSFER_OPTION_10, L"no bit"));
    EXPECT_EQ(capture.Count(L"/==== CMainChatDlg::SendTransferMessage Exit ====/"), 0u);
}

// A supporter who joins a running conversation holds the transfers the host gives it until the
// customer's history is read, then shows (and sends) only what the history lacks.
TEST_F(TransferMessagesTest, ALateSupporterHoldsTransfersUntilTheHistoryIsReadAndDropsWhatItHolds) {
    OpenDesk();
    EXPECT_EQ(Transfer(*agent, 3, kShow, L"Queue position 2 "), 0);
    EXPECT_EQ(Transfer(*agent, 10, kShow, L"Waiting"), 0);
    EXPECT_EQ(Transfer(*agent, 1, kShow, L"Welcome"), 0);
    EXPECT_EQ(Transfer(*agent, 6, kShow, L"Urgent"), 0);
    agent->ToGroup(CHAT_ALL_USERS_ROLE_GROUP);
    agent->Say(L"hello");
    ASSERT_TRUE(PumpUntilTexts(*client, {L"hello"}));
    PumpUntilQuiet();

    DeskMemberSetup carol{L"Carol", kSupporter, QXCHAT_FEATURE_CUSTOMER_HISTORY};
    carol.bWaitReady = false;
    late = StartDeskMember(carol);
    // Before the history has come: everything with the show bit is held.
    EXPECT_EQ(Transfer(*late, 3, kShow | kRecordable, L"Queue position 2"), 0);
    EXPECT_EQ(Transfer(*late, 3, kShow | kRecordable, L"Carol joined"), 0);
    EXPECT_EQ(Transfer(*late, 10, kShow | kRecordable, L"Still waiting"), 0);
    EXPECT_EQ(Transfer(*late, 1, kShow | kRecordable, L"Welcome from Carol"), 0);
    EXPECT_EQ(Transfer(*late, 8, kShow | kRecordable, L"Hurry"), 0);
    EXPECT_EQ(late->Dlg()->Support().m_HeldTransfers.size(), 5u);
    EXPECT_EQ(late->ItemCount(), 0);
    EXPECT_TRUE(capture.Contains(L"CMainChatDlg::BufferTransferMessage, strMessage=Carol joined"));

    ASSERT_TRUE(PumpUntilSettled(*late));
    EXPECT_FALSE(late->Dlg()->Features().m_bHoldTransfer);
    EXPECT_TRUE(late->Dlg()->Support().m_HeldTransfers.empty());
    // The history first, in its order, then what was held and is new.
    EXPECT_EQ(ItemsOfKind(*late, ITEM_NOTICE),
              (std::vector<std::wstring>{L"Queue position 2 ", L"Waiting", L"Carol joined"}));
    EXPECT_EQ(ItemsOfKind(*late, ITEM_HIGHLIGHT), std::vector<std::wstring>{L"Hurry"})
        << "Urgent was never copied";
    EXPECT_EQ(QxGetIndicationLine(Container(*late), 1), L"Welcome from Carol");
    EXPECT_EQ(late->Texts(), std::vector<std::wstring>{L"hello"});

    // Sent once released: types 1 and 8, not the held type 3, not what the history had.
    const std::vector<std::string> sent = SentData(*late);
    EXPECT_EQ(CountContaining(sent, "Welcome from Carol"), 1u);
    EXPECT_EQ(CountContaining(sent, "Hurry"), 1u);
    EXPECT_EQ(CountContaining(sent, "Carol joined"), 0u);
    EXPECT_EQ(CountContaining(sent, "Queue position"), 0u);
    EXPECT_EQ(CountContaining(sent, "Still waiting"), 0u);
    const std::vector<std::string> copies = HistoryWrites(*late);
    EXPECT_EQ(CountContaining(copies, "Carol joined"), 1u);
    EXPECT_EQ(CountContaining(copies, "Hurry"), 0u);
    EXPECT_EQ(CountContaining(copies, "Queue position"), 0u);
}

TEST_F(TransferMessagesTest, WithoutACustomerCacheTheHoldEndsWhenTheChatStatusIsKnown) {
    OpenDesk();
    late.reset(new ChatMember(MemberConfig(L"NoCustomer", QXCHAT_FEATURE_CUSTOMER_HISTORY)));
    late->Start();
    EXPECT_EQ(Transfer(*late, 3, kShow, L"held a while"), 0);
    EXPECT_EQ(late->Dlg()->Support().m_HeldTransfers.size(), 1u);
    ASSERT_TRUE(PumpUntilReady({late.get()}));
    EXPECT_TRUE(PumpUntil(
        [&] { return ItemsOfKind(*late, ITEM_NOTICE) == std::vector<std::wstring>{L"held a while"}; }));
    EXPECT_FALSE(late->Dlg()->Features().m_bHoldTransfer);
}

TEST_F(TransferMessagesTest, HugeAndMalformedTransfersGiveAClearResult) {
    OpenDesk();
    // 1 MB of text fits no PDU: refused whole, as is a shorter text that its escapes blow up.
    control->ClearCalls();
    const std::wstring huge(1024 * 1024, L'z');
    for (DWORD type : {1, 3, QXCHAT_TRANSFER_PRIVATE_CHAT})
        EXPECT_EQ(Transfer(*agent, type, kShow | kChat | kRecordable, huge.c_str(), client->UserId()), 0);
    const std::wstring escaped(300 * 1024, L'&'); // plain text for type 1: "&amp;" each
    EXPECT_EQ(Transfer(*agent, 1, kShow | kRecordable, escaped.c_str()), 0);
    EXPECT_TRUE(
        capture.ContainsSubstring(L"Fail: CMainChatDlg::TransferMessages: the message does not fit a PDU"));
    PumpUntilQuiet();
    EXPECT_EQ(agent->ItemCount(), 0);
    EXPECT_EQ(QxGetIndicationLine(Container(*agent), 1), L"");
    EXPECT_TRUE(SentData(*agent).empty());
    EXPECT_TRUE(client->Texts().empty());
    // A long text that fits is shown, sent and kept.
    const std::wstring longText(20000, L'y');
    EXPECT_EQ(Transfer(*agent, 3, kShow | kRecordable, longText.c_str()), 0);
    PumpUntilQuiet();
    EXPECT_EQ(ItemsOfKind(*agent, ITEM_NOTICE), std::vector<std::wstring>{longText});
    EXPECT_EQ(CountContaining(SentData(*agent), std::string(20000, 'y')), 1u);
    EXPECT_EQ(CountContaining(HistoryWrites(*agent), std::string(20000, 'y')), 1u);

    // Not UTF-16: lone surrogates and stray bytes travel as replacement characters.
    std::wstring odd = L"x";
    odd += static_cast<wchar_t>(0xDC00);
    odd += static_cast<wchar_t>(0xD800);
    odd += L"y";
    EXPECT_EQ(Transfer(*agent, 1, kShow | kRecordable, odd.c_str()), 0);
    EXPECT_EQ(QxGetIndicationLine(Container(*agent), 1), odd);
    EXPECT_EQ(Transfer(*agent, 3, kShow | kRecordable, odd.c_str()), 0);
    PumpUntilQuiet();
    EXPECT_EQ(ItemsOfKind(*agent, ITEM_NOTICE).size(), 2u);

    // Received transfer PDUs that do not parse are dropped.
    const char* bad[] = {"<chat ver=\"1.0\"><mtype>9</mtype><sendid>1</sendid></chat>",
                         "<chat ver=\"1.0\"><mtype>9</mtype><sendid>1</sendid><recid>2</recid><messageinfo>"
                         "<message>no type</message></messageinfo></chat>"};
    for (const char* text : bad)
        EXPECT_EQ(client->Dlg()->HandleReceivedMessages(text, nullptr, 0, 0), 1) << text;
    EXPECT_TRUE(ItemsOfKind(*client, ITEM_NOTICE).empty());
}

} // namespace
