// Screenshots of a support desk as a person sees it: a supporter's panel with the quick-phrase
// row and a highlighted transfer notice, and a panel in the compact layout with a line in its
// indication strip. The pictures go to screenshots\ beside the test programs; the checks read
// the pixels back from the display.
#include "SupportDeskTestSupport.h"

#include "TestControl.h"
#include "PngWriter.h"
#include "Screenshot.h"
#include "window/MessageContainer.h"
#include "window/MessageWindow.h"

#include <gtest/gtest.h>

#include <memory>

using namespace msgtest;
using namespace desktest;

namespace {

bool HasColour(const ScreenImage& image, BYTE r, BYTE g, BYTE b) {
    for (size_t i = 0; i + 2 < image.rgb.size(); i += 3)
        if (image.rgb[i] == r && image.rgb[i + 1] == g && image.rgb[i + 2] == b) return true;
    return false;
}

// Only the member's panel is on the display: another member's window would cover it.
void ShowAlone(ChatMember& m, std::initializer_list<ChatMember*> others) {
    for (ChatMember* pOther : others)
        if (pOther) ShowWindow(pOther->Host().Get(), SW_HIDE);
    SetWindowPos(m.Host().Get(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
}

ScreenImage Shoot(ChatMember& m, const wchar_t* lpszFile) {
    // The list refreshes its added items once its timer has run.
    CMessageWindow* pList = QxMessageList(m.Dlg()->Controls().m_hMessageWnd);
    EXPECT_TRUE(PumpUntil([&] { return !pList || !pList->IsRefreshPending(); }));
    RedrawWindow(m.Host().Get(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    PumpPending();
    const ScreenImage image = CaptureWindowArea(m.Host().Get());
    CreateDirectoryW(L"screenshots", nullptr);
    EXPECT_TRUE(
        WritePngFile(std::wstring(L"screenshots\\") + lpszFile, image.width, image.height, image.rgb));
    return image;
}

class SupportScreensTest : public testing::Test {
protected:
    SupportScreensTest() : control(enginetest::FreshControl()) {}
    ~SupportScreensTest() override {
        agent.reset();
        client.reset();
        control->Reset();
    }

    IQxNodeControlTest* control;
    std::unique_ptr<ChatMember> agent, client;
};

TEST_F(SupportScreensTest, ASupportersPanelWithQuickPhrasesAndAHighlightedNotice) {
    DeskMemberSetup customer{L"Ann Lee", kCustomer};
    customer.configs = {{QXCHAT_CFG_FAQ_MACRO, MacroText(L"Ann", L"Lee")}};
    client = StartDeskMember(customer);
    DeskMemberSetup supporter{L"Agent Smith", kSupporter, QXCHAT_FEATURE_QUICK_PHRASE};
    supporter.configs = {
        {QXCHAT_CFG_FAQ_CONTENT, FAQText({{1, L"Greeting", L"Hello %FirstName%, how can I help?"},
                                          {2, L"Wait", L"One moment please, %FirstName%."}})}};
    agent = StartDeskMember(supporter);
    SetWindowPos(agent->Host().Get(), HWND_TOP, 20, 20, 520, 400, SWP_SHOWWINDOW);
    ASSERT_TRUE(PumpUntil([&] { return agent->Dlg()->Users().FindByNodeId(client->NodeId()) != nullptr; }));
    ChSetConfig(agent->H(), QXCHAT_CFG_PRIMARY_CUSTOMER, PrimaryCustomerText(client->NodeId()).c_str());

    client->ToGroup(CHAT_ALL_USERS_ROLE_GROUP);
    client->Say(L"Hi, my printer stopped working.");
    ASSERT_TRUE(PumpUntilTexts(*agent, {L"Hi, my printer stopped working."}));
    EXPECT_EQ(ChTransferMessages(agent->H(), 6, 0, QXCHAT_TRANSFER_SHOW, L"Ann Lee has waited 5 minutes"), 0);
    PickPhrase(*agent, 1);
    PickPhrase(*agent, 0);
    EXPECT_EQ(agent->InputText(), L"Hello Ann, how can I help?");

    ShowAlone(*agent, {client.get()});
    const ScreenImage image = Shoot(*agent, L"support_quick_phrase_panel.png");
    ASSERT_FALSE(image.rgb.empty());
    EXPECT_TRUE(HasColour(image, 0xFE, 0xFE, 0xE9)) << "the highlighted notice's background";
    EXPECT_TRUE(IsWindowVisible(PhraseBox(*agent)));
    EXPECT_TRUE(IsWindowVisible(agent->Dlg()->Controls().m_hPhraseLabel));
}

TEST_F(SupportScreensTest, ACompactPanelWithALineInItsStrip) {
    agent = StartDeskMember({L"Agent Smith", kSupporter, QXCHAT_FEATURE_COMPACT});
    SetWindowPos(agent->Host().Get(), HWND_TOP, 20, 20, 420, 300, SWP_SHOWWINDOW);
    PumpPending();
    EXPECT_EQ(ChTransferMessages(agent->H(), 7, 0, QXCHAT_TRANSFER_SHOW, L"Ann Lee is reading your answer"),
              0);
    HWND hContainer = agent->Dlg()->Controls().m_hMessageWnd;
    EXPECT_EQ(QxGetIndicationLine(hContainer, 7), L"Ann Lee is reading your answer");
    EXPECT_GT(QxIndicationHeight(hContainer), 0);
    EXPECT_TRUE(IsWindowVisible(QxIndicationWindow(hContainer)));
    EXPECT_FALSE(IsWindowVisible(agent->Dlg()->Controls().m_hRecipient)) << "compact: no recipient row";

    const ScreenImage image = Shoot(*agent, L"support_compact_strip.png");
    ASSERT_FALSE(image.rgb.empty());
}

// A supporter who joins a running conversation: the customer's history first, in its order,
// then a transfer notice that was held until the history had been read.
TEST_F(SupportScreensTest, ALateSupportersPanelWithTheCustomersHistory) {
    client = StartDeskMember({L"Ann Lee", kCustomer});
    std::unique_ptr<ChatMember> first = StartDeskMember({L"Agent Smith", kSupporter});
    ASSERT_TRUE(PumpUntil([&] { return first->Dlg()->Users().FindByNodeId(client->NodeId()) != nullptr; }));
    client->ToGroup(CHAT_ALL_USERS_ROLE_GROUP);
    first->ToGroup(CHAT_ALL_USERS_ROLE_GROUP);
    client->Say(L"Hi, my printer stopped working.");
    ASSERT_TRUE(PumpUntilTexts(*first, {L"Hi, my printer stopped working."}));
    first->Say(L"Let me look at it.");
    ASSERT_TRUE(PumpUntilTexts(*client, {L"Hi, my printer stopped working.", L"Let me look at it."}));
    first->ToUser(*client);
    first->Say(L"Which model is it?");
    const std::vector<std::wstring> history = {L"Hi, my printer stopped working.", L"Let me look at it.",
                                               L"Which model is it?"};
    ASSERT_TRUE(PumpUntilTexts(*client, history));
    PumpUntilQuiet();

    DeskMemberSetup late{L"Bob Jones", kSupporter, QXCHAT_FEATURE_CUSTOMER_HISTORY};
    late.bWaitReady = false;
    agent = StartDeskMember(late);
    SetWindowPos(agent->Host().Get(), HWND_TOP, 20, 20, 520, 400, SWP_SHOWWINDOW);
    // Held until the history has been read, then shown after it.
    EXPECT_EQ(ChTransferMessages(agent->H(), 6, 0, QXCHAT_TRANSFER_SHOW, L"Ann Lee was transferred to you"),
              0);
    ASSERT_TRUE(PumpUntilSettled(*agent));
    EXPECT_TRUE(PumpUntilTexts(*agent, history)) << testing::PrintToString(agent->Texts());
    EXPECT_EQ(ItemsOfKind(*agent, ITEM_HIGHLIGHT),
              std::vector<std::wstring>{L"Ann Lee was transferred to you"});

    ShowAlone(*agent, {client.get(), first.get()});
    const ScreenImage image = Shoot(*agent, L"support_customer_history.png");
    ASSERT_FALSE(image.rgb.empty());
    EXPECT_TRUE(HasColour(image, 0xFE, 0xFE, 0xE9)) << "the highlighted notice's background";
    first.reset();
}

} // namespace
