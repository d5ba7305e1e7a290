// The engine side of CMainChatDlg that needs no connection: rosters, host notification, the
// configuration commands and the font rule.
#include "window/MainChatDlg.h"

#include "TraceCapture.h"
#include "WindowTestUtil.h"
#include "qxchat.h"
#include "qxnodectl_test.h"
#include "window/ChatFonts.h"

#include <gtest/gtest.h>

namespace {

TEST(SetRosters, BeforeTheStartTheValueIsStored) {
    CMainChatDlg dlg;
    TraceCapture capture;
    EXPECT_EQ(dlg.SetRosters(4), 1);
    EXPECT_EQ(dlg.OwnUser().m_dwRoles, 4u);
    EXPECT_EQ(dlg.OwnUser().m_dwPrevRoles, 16u);
    EXPECT_EQ(capture.Lines(), (std::vector<std::wstring>{
                                   L"/**** CMainChatDlg::SetRosters enter: dwRoster=4, dwOldRoster=16  ****/",
                                   L"/==== CMainChatDlg::SetRosters exit ====/"}));
}

TEST(SetRosters, TheCurrentValueIsRefused) {
    CMainChatDlg dlg;
    EXPECT_EQ(dlg.SetRosters(16), -1);
    EXPECT_EQ(dlg.SetRosters(2), 1);
    EXPECT_EQ(dlg.SetRosters(2), -1);
}

TEST(SetRosters, StartedButNotEnrolledRefusesAndRestores) {
    CMainChatDlg dlg;
    ASSERT_EQ(dlg.SetRosters(1), 1);
    dlg.Initialize();
    ASSERT_TRUE(dlg.Status().m_bStarted);
    EXPECT_EQ(dlg.CallEnrollToSendMessages(0), 0);
    EXPECT_EQ(dlg.SetRosters(8), -1);
    EXPECT_EQ(dlg.OwnUser().m_dwRoles, 1u);
    EXPECT_EQ(dlg.OwnUser().m_dwPrevRoles, 16u);
}

TEST(Initialize, WithoutAControllerTheEngineStaysIdle) {
    IQxNodeControlTest* control = nullptr;
    ASSERT_EQ(QxGetNodeControlTest(&control), 0);
    control->Reset();
    control->ScriptResult(QXNC_OP_GET_CONTROLLER_EX, ARM_ERROR_INVALID_STATE, 1);
    CMainChatDlg dlg;
    dlg.SetEventConfig(QXCHAT_EVT_CONFERENCE_ID, 77, 0);
    TraceCapture capture;
    dlg.Initialize();
    control->Reset();
    EXPECT_EQ(capture.Lines(),
              (std::vector<std::wstring>{
                  L"/**** CMainChatDlg::Initialize() enter ****/",
                  L"/==== CMainChatDlg::Initialize() End, m_pArmNC=0, m_nConfId=77, ret=0 ====/"}));
    EXPECT_FALSE(dlg.Status().m_bEnrolled);
}

bool Posted(HWND hWnd, UINT uMsg, WPARAM* pwParam = nullptr, LPARAM* plParam = nullptr) {
    MSG msg;
    if (!PeekMessageW(&msg, hWnd, uMsg, uMsg, PM_REMOVE)) return false;
    if (pwParam) *pwParam = msg.wParam;
    if (plParam) *plParam = msg.lParam;
    return true;
}

TEST(SendMessageToService, WithoutWindowsPostsNothing) {
    TestHostWindow service, smc;
    CMainChatDlg dlg;
    TraceCapture capture;
    EXPECT_EQ(dlg.SendMessageToService(WM_CHAT_TYPING, 5, 1), 1);
    EXPECT_EQ(capture.Lines(),
              (std::vector<std::wstring>{L"CMainChatDlg::SendMessageToService, m_hServiceHandle=0x0, "
                                         L"m_hSCParentWnd=0x0, Msg=1280, wParam=0x5, lParam=0x1"}));
    EXPECT_FALSE(Posted(service.Get(), WM_CHAT_TYPING));
    EXPECT_FALSE(Posted(smc.Get(), WM_CHAT_TYPING));
}

TEST(SendMessageToService, PostsToBothWindows) {
    TestHostWindow service, smc;
    CMainChatDlg dlg;
    EXPECT_EQ(dlg.SetEventConfig(QXCHAT_EVT_SERVICE_WINDOW,
                                 static_cast<LONG>(reinterpret_cast<LONG_PTR>(service.Get())), 0),
              static_cast<LONG>(reinterpret_cast<LONG_PTR>(service.Get())));
    dlg.SetSCParentWnd(smc.Get());
    TraceCapture capture;
    EXPECT_EQ(dlg.SendMessageToService(WM_CHAT_NOTIFY_TO_SERVICE, 200, static_cast<LPARAM>(-1)), 1);
    EXPECT_TRUE(capture.Contains(
        Fmt(L"CMainChatDlg::SendMessageToService, m_hServiceHandle=0x%x, m_hSCParentWnd=0x%x, "
            L"Msg=2024, wParam=0xc8, lParam=0xffffffff",
            service.Get(), smc.Get())));
    WPARAM wParam = 0;
    LPARAM lParam = 0;
    EXPECT_TRUE(Posted(service.Get(), WM_CHAT_NOTIFY_TO_SERVICE, &wParam, &lParam));
    EXPECT_EQ(wParam, 200u);
    EXPECT_EQ(lParam, -1);
    EXPECT_TRUE(Posted(smc.Get(), WM_CHAT_NOTIFY_TO_SERVICE));
}

TEST(EventConfig, AllUsersOverrideSetsTheShownFlagOfEveryoneGroups) {
    CMainChatDlg dlg;
    auto everyone = std::make_unique<CUsersGroup>(&dlg.Users());
    everyone->m_nId = 15;
    everyone->m_ItemData.SetShown(TRUE);
    auto hosts = std::make_unique<CUsersGroup>(&dlg.Users());
    hosts->m_nId = 1;
    hosts->m_ItemData.SetShown(TRUE);
    CUsersGroup* pEveryone = dlg.Users().Groups().InsertGroup(0, std::move(everyone));
    CUsersGroup* pHosts = dlg.Users().Groups().InsertGroup(1, std::move(hosts));
    ASSERT_TRUE(pEveryone && pHosts);
    EXPECT_EQ(dlg.SetEventConfig(80, 0, 0), 1);
    EXPECT_TRUE(pEveryone->m_ItemData.IsShown()) << "a clear switch changes nothing";
    EXPECT_EQ(dlg.SetEventConfig(80, 1, 0), 1);
    EXPECT_FALSE(pEveryone->m_ItemData.IsShown());
    EXPECT_TRUE(pHosts->m_ItemData.IsShown());
}

TEST(Recording, StatusZeroOrThreeAndFeatureBitsMarkEveryGroup) {
    CMainChatDlg dlg;
    CUsersGroup* pGroup = dlg.Users().Groups().InsertGroup(0, std::make_unique<CUsersGroup>(&dlg.Users()));
    ASSERT_TRUE(pGroup);
    dlg.SetNBRStatus(1, 0);
    EXPECT_FALSE(pGroup->m_bSubscriptionPending);
    dlg.SetNBRStatus(3, 0);
    EXPECT_TRUE(pGroup->m_bSubscriptionPending);
    pGroup->m_bSubscriptionPending = FALSE;
    EXPECT_EQ(dlg.SelectFeature(QXCHAT_FEATURE_RECORDING, 0), 0);
    EXPECT_TRUE(pGroup->m_bSubscriptionPending);
    EXPECT_EQ(dlg.Features().m_dwFeature1, QXCHAT_FEATURE_RECORDING);
}

TEST(HostSettings, StoredInTheDialogAndTheLocalUser) {
    CMainChatDlg dlg;
    dlg.SetUserType(3);
    EXPECT_EQ(dlg.OwnUser().m_lUserType, 3);
    EXPECT_EQ(dlg.Host().m_lUserType, 3);
    dlg.SetPrivilege(0x10);
    EXPECT_EQ(dlg.OwnUser().m_dwPrivilege, 0x10u);
    EXPECT_EQ(dlg.OwnUser().m_dwPrevPrivilege, 0x100u);
    dlg.SetRosterStatus(2, 0);
    EXPECT_EQ(dlg.OwnUser().m_bNeedRosterInfo, 2);
    EXPECT_EQ(dlg.OwnUser().m_bBroadcastRosterInfo, 0);
    dlg.AllowUserInput(0);
    EXPECT_EQ(dlg.Host().m_lInputPermission, 0);
    EXPECT_EQ(dlg.GetMaxMinWidth(TRUE), 0);
    EXPECT_EQ(dlg.GetMaxMinWidth(FALSE), 0);
}

TEST(SoundPreference, BareNamesAreSystemSoundsAndPathsStayAsGiven) {
    CMainChatDlg dlg;
    dlg.SetSoundPreference(1, L"ding.wav", 2, 3, 0);
    const std::wstring& file = dlg.Sound().m_strSoundFile;
    ASSERT_GT(file.size(), 15u);
    EXPECT_EQ(file.substr(file.size() - 15), L"\\MEDIA\\ding.wav");
    EXPECT_EQ(file.find(L"\\system32"), std::wstring::npos);
    dlg.SetSoundPreference(1, L"C:\\sounds\\a.wav", 0, 0, 100);
    EXPECT_EQ(dlg.Sound().m_strSoundFile, L"C:\\sounds\\a.wav");
    EXPECT_EQ(dlg.Sound().m_lCurTabIndex, 100);
    const std::wstring longPath = L"C:\\" + std::wstring(300, L'x');
    dlg.SetSoundPreference(1, longPath.c_str(), 0, 0, 0);
    EXPECT_EQ(dlg.Sound().m_strSoundFile.size(), 255u);
}

TEST(ChatFonts, CharacterSetByLanguage) {
    const struct {
        LANGID lang;
        BYTE charset;
    } table[] = {{1028, 136}, {3076, 136}, {4100, 136}, {1041, 128}, {1042, 130},
                 {2066, 130}, {2052, 134}, {1033, 0},   {1031, 0}};
    for (const auto& row : table)
        EXPECT_EQ(QxChatCharsetForLanguage(row.lang), row.charset) << row.lang;
    EXPECT_TRUE(QxChatUsesDefaultGuiFont(1042));
    EXPECT_FALSE(QxChatUsesDefaultGuiFont(1033));
}

TEST(ChatFonts, TahomaAtElevenPixels) {
    GdiFont font = QxCreateChatFont(FW_SEMIBOLD, true, 1033);
    ASSERT_TRUE(font);
    LOGFONTW lf = {};
    ASSERT_TRUE(GetObjectW(font.Get(), sizeof(lf), &lf));
    EXPECT_STREQ(lf.lfFaceName, L"Tahoma");
    EXPECT_EQ(lf.lfHeight, -11);
    EXPECT_EQ(lf.lfWeight, FW_SEMIBOLD);
    EXPECT_TRUE(lf.lfUnderline);
    EXPECT_EQ(lf.lfCharSet, 0);
}

} // namespace
