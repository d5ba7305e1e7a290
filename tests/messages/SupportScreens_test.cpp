// Screenshots of a support desk as a person sees it: a supporter's panel with the quick-phrase
// row and a highlighted transfer notice, and a panel in the compact layout with a line in its
// indication strip. The pictures go to screenshots\ beside the test programs; the checks read
// the pixels back from the display.
#include "SupportDeskTestSupport.h"

#include "../engine/EngineTestSupport.h"
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

} // namespace
