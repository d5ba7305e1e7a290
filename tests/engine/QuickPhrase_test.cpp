// The quick phrases of a support desk end to end: the host's configuration texts, the
// "Quick Phrase:" row, a pick that lands in the input box with the customer's data in place of
// the macros, and configuration texts that are wrong or far too large.
#include "SupportDeskTestSupport.h"

#include "TestControl.h"
#include "TraceCapture.h"
#include "pdu/RosterInfoPDU.h"

#include <gtest/gtest.h>

#include <memory>

using namespace msgtest;
using namespace desktest;

namespace {

const std::vector<Phrase> kPhrases = {
    {1, L"Greeting", L"Hello %FirstName%"},
    {2, L"Farewell", L"Bye %FirstName% %LastName%, we call %PhoneNumber% or write to %EmailAddress%"},
};

class QuickPhraseTest : public testing::Test {
protected:
    QuickPhraseTest() : control(enginetest::FreshControl()) {}
    ~QuickPhraseTest() override {
        agent.reset();
        client.reset();
        control->Reset();
    }

    // The customer Ann Lee and a supporter with the quick phrases.
    void OpenDesk(LONG lMeetingType = kSupportMeeting, const std::wstring& strFirst = L"Ann",
                  const std::wstring& strLast = L"Lee") {
        // Outside meeting type 3 neither has a support user type.
        const bool bDesk = lMeetingType == kSupportMeeting;
        DeskMemberSetup customer{L"Client", bDesk ? kCustomer : 0};
        customer.configs = {
            {QXCHAT_CFG_FAQ_MACRO, MacroText(strFirst, strLast, L"555-0100", L"ann@example.org")}};
        customer.lMeetingType = lMeetingType;
        client = StartDeskMember(customer);
        DeskMemberSetup supporter{L"Agent", bDesk ? kSupporter : 0, QXCHAT_FEATURE_QUICK_PHRASE};
        supporter.configs = {{QXCHAT_CFG_FAQ_CONTENT, FAQText(kPhrases)}};
        supporter.lMeetingType = lMeetingType;
        agent = StartDeskMember(supporter);
        ASSERT_TRUE(
            PumpUntil([&] { return agent->Dlg()->Users().FindByNodeId(client->NodeId()) != nullptr; }));
    }

    std::wstring Input() const { return agent->InputText(); }

    IQxNodeControlTest* control;
    TraceCapture capture;
    std::unique_ptr<ChatMember> client, agent;
};

TEST_F(QuickPhraseTest, TheCustomersContactDataTravelsInTheRosterAndFillsThePickedPhrase) {
    OpenDesk();
    const CUserItem* pClient = agent->Dlg()->Users().FindByNodeId(client->NodeId());
    EXPECT_EQ(pClient->m_strFirstName, L"Ann");
    EXPECT_EQ(pClient->m_strLastName, L"Lee");
    EXPECT_EQ(pClient->m_strPhone, L"555-0100");
    EXPECT_EQ(pClient->m_strEmail, L"ann@example.org");

    // The row shows the phrases' names in list order, the first selected, nothing in the input yet.
    ASSERT_NE(PhraseBox(*agent), nullptr);
    EXPECT_TRUE(IsWindowVisible(PhraseBox(*agent)));
    EXPECT_TRUE(IsWindowVisible(agent->Dlg()->Controls().m_hPhraseLabel));
    EXPECT_EQ(WindowText(agent->Dlg()->Controls().m_hPhraseLabel), L"Quick Phrase:");
    ASSERT_EQ(PhraseCount(*agent), 2);
    EXPECT_EQ(PhraseName(*agent, 0), L"Greeting");
    EXPECT_EQ(PhraseName(*agent, 1), L"Farewell");
    EXPECT_EQ(SendMessageW(PhraseBox(*agent), CB_GETCURSEL, 0, 0), 0);
    EXPECT_TRUE(ShowsInputPrompt(*agent)) << testing::PrintToString(Input());

    // Meeting type 3: the primary customer fills the macros, whoever is chosen as recipient.
    EXPECT_EQ(
        ChSetConfig(agent->H(), QXCHAT_CFG_PRIMARY_CUSTOMER, PrimaryCustomerText(client->NodeId()).c_str()),
        1);
    EXPECT_TRUE(capture.Contains(
        Fmt(L"/==== CMainChatDlg::HandlePrimaryCustomerNodeId Exit: m_dwPrimCustNodeId=%d ====/",
            client->NodeId())));
    agent->ToGroup(CHAT_ALL_USERS_ROLE_GROUP);
    // The prompt is never sent.
    ClickSend(*agent);
    PumpUntilQuiet();
    EXPECT_TRUE(client->Texts().empty()) << testing::PrintToString(client->Texts());
    EXPECT_TRUE(ShowsInputPrompt(*agent));

    // A pick replaces the prompt, and a later pick the earlier phrase.
    PickPhrase(*agent, 1);
    EXPECT_EQ(Input(), L"Bye Ann Lee, we call 555-0100 or write to ann@example.org");
    PickPhrase(*agent, 0);
    EXPECT_EQ(Input(), L"Hello Ann");

    // What is picked is sent as typed.
    ClickSend(*agent);
    EXPECT_TRUE(PumpUntilTexts(*client, {L"Hello Ann"}));
    EXPECT_EQ(Input(), L"");
}

TEST_F(QuickPhraseTest, OutsideMeetingTypeThreeTheChosenRecipientOrThePrimaryCustomerFillsTheMacros) {
    OpenDesk(0);
    // A group chosen, no primary customer: no participant, the phrase goes in unchanged.
    agent->ToGroup(CHAT_ALL_USERS_ROLE_GROUP);
    PickPhrase(*agent, 1);
    PickPhrase(*agent, 0);
    EXPECT_EQ(Input(), L"Hello %FirstName%");
    EXPECT_TRUE(capture.Contains(L"/==== CMainChatDlg::CheckAndRepaceMacro pUserItem is empty ====/"));
    EXPECT_TRUE(capture.Contains(L"/*** CMainChatDlg::CheckAndRepaceMacro, user info is all empty ***/"));

    // The customer chosen as recipient.
    agent->ToUser(*client);
    PickPhrase(*agent, 1);
    EXPECT_EQ(Input(), L"Bye Ann Lee, we call 555-0100 or write to ann@example.org");

    // A group chosen with a primary customer configured: the primary customer.
    EXPECT_EQ(
        ChSetConfig(agent->H(), QXCHAT_CFG_PRIMARY_CUSTOMER, PrimaryCustomerText(client->NodeId()).c_str()),
        1);
    agent->ToGroup(CHAT_ALL_USERS_ROLE_GROUP);
    PickPhrase(*agent, 0);
    EXPECT_EQ(Input(), L"Hello Ann");
}

TEST_F(QuickPhraseTest, AnEmptyFirstNameKeepsItsMacroAndAFirstNameHoldingTheMacroIsInsertedOnce) {
    OpenDesk(kSupportMeeting, L"", L"Lee");
    ChSetConfig(agent->H(), QXCHAT_CFG_PRIMARY_CUSTOMER, PrimaryCustomerText(client->NodeId()).c_str());
    PickPhrase(*agent, 1);
    PickPhrase(*agent, 0);
    EXPECT_EQ(Input(), L"Hello %FirstName%");
    PickPhrase(*agent, 1);
    EXPECT_EQ(Input(), L"Bye %FirstName% Lee, we call 555-0100 or write to ann@example.org");

    agent.reset();
    client.reset();
    OpenDesk(kSupportMeeting, L"%FirstName%!", L"Lee");
    ChSetConfig(agent->H(), QXCHAT_CFG_PRIMARY_CUSTOMER, PrimaryCustomerText(client->NodeId()).c_str());
    PickPhrase(*agent, 1);
    PickPhrase(*agent, 0);
    EXPECT_EQ(Input(), L"Hello %FirstName%!");
}

TEST_F(QuickPhraseTest, PhrasesWithoutAFaqHideTheRowAndLaterPhrasesBringItBack) {
    OpenDesk();
    HWND hInput = agent->Dlg()->Controls().m_hInput;
    const RECT rcWithRow = ChildRect(hInput);
    EXPECT_EQ(ChSetConfig(agent->H(), QXCHAT_CFG_FAQ_CONTENT, L"<chat ver=\"1.0\"><mtype>7</mtype></chat>"),
              1);
    // The list still holds the earlier phrases (a configuration appends), so the box is refilled.
    EXPECT_EQ(PhraseCount(*agent), 2);

    // A desk whose only configuration has no phrase.
    agent.reset();
    DeskMemberSetup supporter{L"Agent2", kSupporter, QXCHAT_FEATURE_QUICK_PHRASE};
    agent = StartDeskMember(supporter);
    EXPECT_TRUE(IsWindowVisible(PhraseBox(*agent))) << "the row stands empty until phrases come";
    capture.Clear();
    EXPECT_EQ(ChSetConfig(agent->H(), QXCHAT_CFG_FAQ_CONTENT, L"<chat ver=\"1.0\"><mtype>7</mtype></chat>"),
              1);
    EXPECT_TRUE(capture.Contains(L"/==== CMainChatDlg::HandleFAQContentConfig Exit ====/"));
    EXPECT_FALSE(IsWindowVisible(PhraseBox(*agent)));
    EXPECT_FALSE(IsWindowVisible(agent->Dlg()->Controls().m_hPhraseLabel));
    EXPECT_FALSE(agent->Dlg()->Features().m_bQuickPhrase);
    const RECT rcWithout = ChildRect(agent->Dlg()->Controls().m_hInput);
    EXPECT_GT(rcWithout.top, rcWithRow.top) << "the input row moves down into the phrase row";

    // A pick through a stray notification does nothing while the row is gone: the prompt stays.
    ASSERT_TRUE(ShowsInputPrompt(*agent)) << testing::PrintToString(agent->InputText());
    PickPhrase(*agent, 0);
    EXPECT_TRUE(ShowsInputPrompt(*agent)) << testing::PrintToString(agent->InputText());

    EXPECT_EQ(ChSetConfig(agent->H(), QXCHAT_CFG_FAQ_CONTENT, FAQText({{5, L"Wait", L"One moment"}}).c_str()),
              1);
    EXPECT_TRUE(IsWindowVisible(PhraseBox(*agent)));
    EXPECT_TRUE(IsWindowVisible(agent->Dlg()->Controls().m_hPhraseLabel));
    EXPECT_EQ(ChildRect(agent->Dlg()->Controls().m_hInput).top, rcWithRow.top);
    PickPhrase(*agent, 0);
    EXPECT_EQ(agent->InputText(), L"One moment");
}

TEST_F(QuickPhraseTest, AnIncompleteFaqIsSkippedAndATextThatDoesNotParseChangesNothing) {
    OpenDesk();
    const std::wstring incomplete = L"<chat ver=\"1.0\"><mtype>7</mtype>"
                                    L"<faq><index>3</index><faqn>Three</faqn><faqc>third</faqc></faq>"
                                    L"<faq><index>4</index><faqn>Four</faqn></faq>"
                                    L"<faq><faqn>Five</faqn><faqc>fifth</faqc></faq>"
                                    L"<faq><index>6</index><faqn>Six</faqn><faqc>sixth</faqc></faq></chat>";
    EXPECT_EQ(ChSetConfig(agent->H(), QXCHAT_CFG_FAQ_CONTENT, incomplete.c_str()), 1);
    ASSERT_EQ(PhraseCount(*agent), 4);
    EXPECT_EQ(PhraseName(*agent, 2), L"Three");
    EXPECT_EQ(PhraseName(*agent, 3), L"Six");

    for (const wchar_t* bad :
         {L"", L"<chat ver=\"1.0\"><mtype>7</mtype>", L"<chat><mtype>8</mtype></chat>", L"not xml at all"}) {
        EXPECT_EQ(ChSetConfig(agent->H(), QXCHAT_CFG_FAQ_CONTENT, bad), 0) << bad;
        EXPECT_EQ(ChSetConfig(agent->H(), QXCHAT_CFG_FAQ_MACRO, bad), 0) << bad;
        EXPECT_EQ(ChSetConfig(agent->H(), QXCHAT_CFG_PRIMARY_CUSTOMER, bad), 0) << bad;
    }
    EXPECT_EQ(ChSetConfig(agent->H(), QXCHAT_CFG_FAQ_CONTENT, nullptr), 0);
    EXPECT_EQ(ChSetConfig(agent->H(), QXCHAT_CFG_FAQ_MACRO, nullptr), 0);
    EXPECT_EQ(ChSetConfig(agent->H(), QXCHAT_CFG_PRIMARY_CUSTOMER, nullptr), 0);
    EXPECT_TRUE(capture.Contains(L"/---- Parse FAQ Macro Info PDU Failed! ----/"));
    EXPECT_EQ(PhraseCount(*agent), 4);
    EXPECT_EQ(agent->Dlg()->Support().m_FAQList.size(), 4u);

    // The primary customer stays what it was.
    EXPECT_EQ(ChSetConfig(agent->H(), QXCHAT_CFG_PRIMARY_CUSTOMER, PrimaryCustomerText(77).c_str()), 1);
    EXPECT_EQ(
        ChSetConfig(agent->H(), QXCHAT_CFG_PRIMARY_CUSTOMER, L"<chat ver=\"1.0\"><mtype>10</mtype></chat>"),
        0);
    EXPECT_EQ(agent->Dlg()->Support().m_dwPrimCustNodeId, 77u);
    EXPECT_EQ(ChSetConfig(agent->H(), 5, FAQText(kPhrases).c_str()), 0);
}

// Each fill replaces the entry data that the box's entries point at; the box is emptied first,
// and emptied again before the phrases are freed, so no entry is left pointing at freed data.
TEST_F(QuickPhraseTest, NoEntryPointsAtFreedDataAfterARefillOrACleanup) {
    OpenDesk();
    auto entriesPointAtListedPhrases = [&] {
        const auto& list = agent->Dlg()->Support().m_FAQList;
        for (int i = 0; i < PhraseCount(*agent); ++i) {
            const LRESULT data = SendMessageW(PhraseBox(*agent), CB_GETITEMDATA, i, 0);
            bool found = false;
            for (const auto& pItem : list)
                found = found || reinterpret_cast<LRESULT>(pItem->GetEntryData()) == data;
            if (!found) return false;
        }
        return true;
    };
    ASSERT_TRUE(entriesPointAtListedPhrases());
    EXPECT_EQ(ChSetConfig(agent->H(), QXCHAT_CFG_FAQ_CONTENT, FAQText({{7, L"More", L"more text"}}).c_str()),
              1);
    EXPECT_EQ(PhraseCount(*agent), 3) << "each phrase once, the new one appended";
    EXPECT_EQ(PhraseName(*agent, 2), L"More");
    EXPECT_TRUE(entriesPointAtListedPhrases());
    PickPhrase(*agent, 2);
    EXPECT_EQ(Input(), L"more text");

    agent->Dlg()->Cleanup();
    EXPECT_TRUE(agent->Dlg()->Support().m_FAQList.empty());
    EXPECT_EQ(PhraseCount(*agent), 0);
    SetWindowTextW(agent->Input(), L"");
    PickPhrase(*agent, 0);
    EXPECT_EQ(Input(), L"");
}

TEST_F(QuickPhraseTest, PhrasesConfiguredBeforeTheWindowOrTheFeatureAppearWhenTheBoxIsMade) {
    DeskMemberSetup early{L"Early", kSupporter, QXCHAT_FEATURE_QUICK_PHRASE};
    early.configs = {{QXCHAT_CFG_FAQ_CONTENT, FAQText(kPhrases)}};
    agent = StartDeskMember(early);
    EXPECT_EQ(PhraseCount(*agent), 2);

    DeskMemberSetup late{L"Late", kSupporter, 0};
    late.configs = {{QXCHAT_CFG_FAQ_CONTENT, FAQText(kPhrases)}};
    client = StartDeskMember(late);
    EXPECT_EQ(PhraseBox(*client), nullptr);
    EXPECT_FALSE(IsWindowVisible(client->Dlg()->Controls().m_hPhraseLabel));
    ChSelectFeature(client->H(), QXCHAT_FEATURE_QUICK_PHRASE, 0, 0, 0, 0, nullptr);
    ASSERT_NE(PhraseBox(*client), nullptr);
    EXPECT_EQ(PhraseCount(*client), 2);
    EXPECT_TRUE(IsWindowVisible(PhraseBox(*client)));
    EXPECT_TRUE(IsWindowVisible(client->Dlg()->Controls().m_hPhraseLabel));
    // The feature switched off again takes the row away.
    ChSelectFeature(client->H(), 0, 0, 0, 0, 0, nullptr);
    EXPECT_FALSE(IsWindowVisible(PhraseBox(*client)));
}

TEST_F(QuickPhraseTest, APickedPhraseOfThreeLinesShowsTheInputScrollBar) {
    OpenDesk();
    HWND hInput = agent->Dlg()->Controls().m_hInput;
    auto scrollBarShown = [&] { return (GetWindowLongW(hInput, GWL_STYLE) & WS_VSCROLL) != 0; };
    EXPECT_EQ(ChSetConfig(agent->H(), QXCHAT_CFG_FAQ_CONTENT,
                          FAQText({{8, L"Steps", L"First line&#13;&#10;second line&#13;&#10;third line"},
                                   {9, L"Short", L"one line"}})
                              .c_str()),
              1);
    PickPhrase(*agent, 2);
    EXPECT_EQ(Input(), L"First line\r\nsecond line\r\nthird line");
    EXPECT_TRUE(scrollBarShown());
    PickPhrase(*agent, 3);
    EXPECT_EQ(Input(), L"one line");
    EXPECT_FALSE(scrollBarShown());
}

TEST_F(QuickPhraseTest, ContactDataConfiguredLaterGoesWithTheNextEnrollmentOnly) {
    OpenDesk();
    EXPECT_EQ(ChSetConfig(client->H(), QXCHAT_CFG_FAQ_MACRO, MacroText(L"Bea").c_str()), 1);
    EXPECT_EQ(client->Dlg()->OwnUser().m_strFirstName, L"Bea");
    EXPECT_EQ(client->Dlg()->OwnUser().m_strLastName, L"") << "an absent element empties its value";
    PumpUntilQuiet();
    EXPECT_EQ(agent->Dlg()->Users().FindByNodeId(client->NodeId())->m_strFirstName, L"Ann");
    CRosterInfoPDU roster;
    ASSERT_TRUE(client->Dlg()->FillLocalRosterInfo(&roster));
    EXPECT_EQ(roster.GetFirstName(), "Bea");
    EXPECT_EQ(roster.GetLastName(), "");
}

// Configuration texts from the host that are far too large or malformed.
TEST_F(QuickPhraseTest, HugeAndMalformedConfigurationsGiveAClearResult) {
    OpenDesk();
    // 10,000 phrases: every one listed, the last one picked.
    std::vector<Phrase> many;
    for (int i = 0; i < 10000; ++i)
        many.push_back({100 + i, L"P" + std::to_wstring(i), L"text " + std::to_wstring(i)});
    EXPECT_EQ(ChSetConfig(agent->H(), QXCHAT_CFG_FAQ_CONTENT, FAQText(many).c_str()), 1);
    EXPECT_EQ(PhraseCount(*agent), 10002);
    PickPhrase(*agent, 10001);
    EXPECT_EQ(Input(), L"text 9999");

    // A phrase of 100,000 characters fills the input box up to its limit.
    const std::wstring longText(100000, L'x');
    EXPECT_EQ(ChSetConfig(agent->H(), QXCHAT_CFG_FAQ_CONTENT, FAQText({{50000, longText, longText}}).c_str()),
              1);
    PickPhrase(*agent, PhraseCount(*agent) - 1);
    EXPECT_EQ(Input(), std::wstring(1000, L'x'));

    // A text beyond the PDU size limit is refused as a whole.
    const size_t listed = agent->Dlg()->Support().m_FAQList.size();
    const std::wstring tooLong(1100000, L'y');
    EXPECT_EQ(ChSetConfig(agent->H(), QXCHAT_CFG_FAQ_CONTENT, FAQText({{1, L"big", tooLong}}).c_str()), 0);
    EXPECT_EQ(agent->Dlg()->Support().m_FAQList.size(), listed);

    // Not UTF-16 at all: lone surrogates and stray bytes stand in for characters; listed all the same.
    std::wstring odd = L"a";
    odd += static_cast<wchar_t>(0xD800);
    odd += L"b";
    odd += static_cast<wchar_t>(0xDFFF);
    odd += static_cast<wchar_t>(0xFF);
    odd += static_cast<wchar_t>(0x80);
    EXPECT_EQ(ChSetConfig(agent->H(), QXCHAT_CFG_FAQ_CONTENT, FAQText({{9, odd, odd}}).c_str()), 1);
    const std::wstring shown = PhraseName(*agent, PhraseCount(*agent) - 1);
    EXPECT_EQ(shown.front(), L'a');
    EXPECT_NE(shown.find(L'b'), std::wstring::npos);
    PickPhrase(*agent, PhraseCount(*agent) - 1);
    EXPECT_EQ(Input(), shown);
}

TEST_F(QuickPhraseTest, ContactDataHoldingEveryMacroStaysWithinTheInputBox) {
    std::wstring every;
    for (int i = 0; i < 500; ++i)
        every += L"%FirstName%%LastName%%PhoneNumber%%EmailAddress%";
    DeskMemberSetup customer{L"Client", kCustomer};
    customer.configs = {{QXCHAT_CFG_FAQ_MACRO, MacroText(every, every, every, every)}};
    client = StartDeskMember(customer);
    std::wstring phrase;
    for (int i = 0; i < 100; ++i)
        phrase += L"%FirstName% ";
    DeskMemberSetup supporter{L"Agent", kSupporter, QXCHAT_FEATURE_QUICK_PHRASE};
    supporter.configs = {{QXCHAT_CFG_FAQ_CONTENT, FAQText({{1, L"Every", phrase}})}};
    agent = StartDeskMember(supporter);
    ASSERT_TRUE(PumpUntil([&] { return agent->Dlg()->Users().FindByNodeId(client->NodeId()) != nullptr; }));
    // Values longer than any input box travel cut to its size, so that the roster still fits.
    const CUserItem* pClient = agent->Dlg()->Users().FindByNodeId(client->NodeId());
    EXPECT_EQ(pClient->m_strFirstName, every.substr(0, 1000));
    EXPECT_EQ(pClient->m_strEmail, every.substr(0, 1000));
    EXPECT_EQ(client->Dlg()->OwnUser().m_strFirstName, every) << "the own value stays whole";
    ChSetConfig(agent->H(), QXCHAT_CFG_PRIMARY_CUSTOMER, PrimaryCustomerText(client->NodeId()).c_str());
    PickPhrase(*agent, 0);
    const std::wstring text = Input();
    EXPECT_EQ(text.size(), 1000u);
    EXPECT_EQ(text.substr(0, 11), L"%FirstName%") << "the e-mail step inserted its value last";
}

TEST_F(QuickPhraseTest, ACustomerIdBeyondThirtyTwoBitsReadsAsTheLargestAndNamesItsCache) {
    std::unique_ptr<ChatMember> m(new ChatMember(MemberConfig(L"Big")));
    EXPECT_EQ(ChSetConfig(m->H(), QXCHAT_CFG_CUSTOMER_ID, CustomerIdText(L"99999999999999999999").c_str()),
              1);
    m->Start();
    ASSERT_TRUE(PumpUntilReady({m.get()}));
    EXPECT_EQ(m->Dlg()->Status().m_dwCustomerId, 4294967295u);
    EXPECT_STREQ(m->Dlg()->Caches().m_szCustomerName, "switch_cache_4294967295");
    EXPECT_NE(m->Dlg()->Caches().m_CustomerCacheHandle, 0u);
}

} // namespace
