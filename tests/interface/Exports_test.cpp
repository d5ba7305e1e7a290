// The exported surface as a host sees it: qxchat.dll loaded by name, all 47 exports bound by
// name, and each export's trace lines, null-handle result and forwarding.
#include "DialogAnswerer.h"
#include "QxChatApi.h"
#include "TraceCapture.h"
#include "WindowTestUtil.h"
#include "qxnodectl_test.h"
#include "qxres.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>
#include <vector>

namespace {

using Call = std::function<LONG(QxChatApi&, QXHCOMPONENT)>;
using Line = std::function<std::wstring(int)>;

struct ExportCase {
    const char* name;
    Call call;
    Line enter;
    std::wstring exitNull; // empty: no exit line with a null handle
    LONG nullResult;
    Line exitLive; // the exit line for a live instance before the chat starts
    LONG liveResult;
};

Line Fixed(const wchar_t* lpsz) {
    std::wstring s = lpsz;
    return [s](int) { return s; };
}
Line WithHandle(const wchar_t* lpszFormat) {
    std::wstring f = lpszFormat;
    return [f](int h) { return Fmt(f.c_str(), h); };
}

const std::vector<ExportCase>& Cases() {
    static const std::vector<ExportCase> cases = {
        {"ChSetMeetingType", [](QxChatApi& a, QXHCOMPONENT h) { return a.ChSetMeetingType(h, 2); },
         WithHandle(L"/@@@@ ChSetMeetingType enter: hComponent=%d,lMeetingType = 2 @@@@/"),
         L"/#### ChSetMeetingType exit: ####/", 0, Fixed(L"/#### ChSetMeetingType exit: ####/"), 0},
        {"ChSetBrowserType", [](QxChatApi& a, QXHCOMPONENT h) { return a.ChSetBrowserType(h, 3); },
         WithHandle(L"/@@@@ ChSetBrowserType enter: hComponent=%d,lBrowserType = 3 @@@@/"),
         L"/#### ChSetBrowserType exit ####/", 0, Fixed(L"/#### ChSetBrowserType exit ####/"), 0},
        {"ChSaveChat", [](QxChatApi& a, QXHCOMPONENT h) { return a.ChSaveChat(h); },
         WithHandle(L"/@@@@ ChSaveChat enter: hComponent = %d @@@@/"), L"/#### ChSaveChat exit: 1 ####/", 1,
         Fixed(L"/#### ChSaveChat exit: 1 ####/"), 1},
        {"ChPrintChat", [](QxChatApi& a, QXHCOMPONENT h) { return a.ChPrintChat(h); },
         WithHandle(L"/@@@@ ChPrintChat enter: hComponent=%d, @@@@/"), L"/#### ChPrintChat exit ####/", 0,
         Fixed(L"/#### ChPrintChat exit ####/"), 0},
        {"ChGetSaveChatState", [](QxChatApi& a, QXHCOMPONENT h) { return a.ChGetSaveChatState(h); },
         WithHandle(L"/@@@@ ChGetSaveChatState enter: hComponent=%d @@@@/"),
         L"/#### ChGetSaveChatState exit:  return = 0 ####/", 0,
         Fixed(L"/#### ChGetSaveChatState exit:  return = 0 ####/"), 0},
        {"ChLoadChat", [](QxChatApi& a, QXHCOMPONENT h) { return a.ChLoadChat(h); },
         WithHandle(L"/@@@@ ChLoadChat enter: hComponent=%d @@@@/"), L"/#### ChLoadChat exit: 0 ####/", 0,
         WithHandle(L"/#### ChLoadChat exit: %d ####/"), 0},
        {"ChAllowUserInput", [](QxChatApi& a, QXHCOMPONENT h) { return a.ChAllowUserInput(h, 1); },
         WithHandle(L"/@@@@ ChAllowUserInput enter: hComponent=%d,lInputPermission=1 @@@@/"),
         L"/#### ChAllowUserInput exit ####/", 0, Fixed(L"/#### ChAllowUserInput exit ####/"), 0},
        {"ChShowUserList", [](QxChatApi& a, QXHCOMPONENT h) { return a.ChShowUserList(h, 1); },
         WithHandle(L"/@@@@ ChShowUserList enter: hComponent=%d,lUserListPermission=1 @@@@/"),
         L"/#### ChShowUserList exit: ####/", 0, Fixed(L"/#### ChShowUserList exit: ####/"), 0},
        {"ChQuitApp", [](QxChatApi& a, QXHCOMPONENT h) { return a.ChQuitApp(h, 5); },
         WithHandle(L"/@@@@ ChQuitApp enter: hComponent=%d,lReserved=5 @@@@/"),
         L"/#### ChQuitApp exit: ####/", 0, Fixed(L"/#### ChQuitApp exit: ####/"), 0},
        {"ChSetPrivilege", [](QxChatApi& a, QXHCOMPONENT h) { return a.ChSetPrivilege(h, 0x104); },
         WithHandle(L"/@@@@ ChSetPrivilege enter: hComponent=%d,lReserved=260 @@@@/"),
         L"/#### ChSetPrivilege exit: ####/", 0, Fixed(L"/#### ChSetPrivilege exit: ####/"), 0},
        {"ChSetRosterStatus", [](QxChatApi& a, QXHCOMPONENT h) { return a.ChSetRosterStatus(h, 1, 0, 9); },
         WithHandle(L"/@@@@ ChSetRosterStatus enter: hComponent=%d,lNeedRosterInfo=1,lBroadcastRosterInfo=0,"
                    L"lReserved=9 @@@@/"),
         L"/#### ChSetRosterStatus exit: ####/", 0, Fixed(L"/#### ChSetRosterStatus exit: ####/"), 0},
        {"ChSaveChatAs", [](QxChatApi& a, QXHCOMPONENT h) { return a.ChSaveChatAs(h); },
         WithHandle(L"/@@@@ ChSaveChatAs enter: hComponent=%d @@@@/"), L"/#### ChSaveChatAs exit: 1 ####/", 1,
         Fixed(L"/#### ChSaveChatAs exit: 1 ####/"), 1},
        {"ChSetSoundPreference",
         [](QxChatApi& a, QXHCOMPONENT h) { return a.ChSetSoundPreference(h, 1, nullptr, 2, 3, 4); },
         WithHandle(
             L"/@@@@ ChSetSoundPreference enter: hComponent=%d,lNeedPlaySound=1,lpszSoundFileName=NULL,"
             L"lOptionValue=2,lhWnd=3,lCurTabIndex=4 @@@@/"),
         L"/#### ChSetSoundPreference exit: ####/", 0, Fixed(L"/#### ChSetSoundPreference exit: ####/"), 0},
        {"ChEditChat", [](QxChatApi& a, QXHCOMPONENT h) { return a.ChEditChat(h, 2); },
         WithHandle(L"/@@@@ ChEditChat enter: hComponent=%d,NotifyCode=2 @@@@/"),
         L"/#### ChEditChat exit: ####/", 0, Fixed(L"/#### ChEditChat exit: ####/"), 0},
        {"ChSetQxConfMgr",
         [](QxChatApi& a, QXHCOMPONENT h) { return a.ChSetQxConfMgr(h, reinterpret_cast<void*>(0x1234)); },
         WithHandle(L"/@@@@ ChSetQxConfMgr enter: hComponent=%d,pQxConfMgr=4660 @@@@/"),
         L"/#### ChSetQxConfMgr exit: ####/", 0, Fixed(L"/#### ChSetQxConfMgr exit: ####/"), 0},
        {"ChAutoSaveChat", [](QxChatApi& a, QXHCOMPONENT h) { return a.ChAutoSaveChat(h); },
         WithHandle(L"/@@@@ ChAutoSaveChat enter: hComponent=%d @@@@/"),
         L"/#### ChAutoSaveChat exit: 1 ####/", 1, Fixed(L"/#### ChAutoSaveChat exit: 1 ####/"), 1},
        {"ChSetAutoSavePath",
         [](QxChatApi& a, QXHCOMPONENT h) { return a.ChSetAutoSavePath(h, L"C:\\chats"); },
         WithHandle(L"/@@@@ ChSetAutoSavePath enter: hComponent=%d,lpszFolder=C:\\chats @@@@/"),
         L"/#### ChSetAutoSavePath exit: ####/", 0, Fixed(L"/#### ChSetAutoSavePath exit: ####/"), 0},
        {"ChSetSaveChatFileName",
         [](QxChatApi& a, QXHCOMPONENT h) { return a.ChSetSaveChatFileName(h, nullptr); },
         WithHandle(L"/@@@@ ChSetSaveChatFileName enter: hComponent=%d,lpszFileName = NULL @@@@/"),
         L"/#### ChSetSaveChatFileName exit: ####/", 0, Fixed(L"/#### ChSetSaveChatFileName exit: ####/"), 0},
        {"ChSetEventConfig",
         [](QxChatApi& a, QXHCOMPONENT h) { return a.ChSetEventConfig(h, 70, 5, 6, nullptr); },
         WithHandle(L"/@@@@ ChSetEventConfig enter: hComponent=%d,lCommand = 70,lParam1 = 5,lParam2=6,"
                    L"lpszBuffer=NULL @@@@/"),
         L"/#### ChSetEventConfig exit: result = 0 ####/", 0,
         Fixed(L"/#### ChSetEventConfig exit: result = 1 ####/"), 1},
        {"ChLoadRestoredChat", [](QxChatApi& a, QXHCOMPONENT h) { return a.ChLoadRestoredChat(h, L"x.txt"); },
         WithHandle(L"/@@@@ ChLoadRestoredChat enter: hComponent=%d,lpszFile = x.txt @@@@/"),
         L"/#### ChLoadRestoredChat exit: ####/", 0, Fixed(L"/#### ChLoadRestoredChat exit: ####/"), 0},
        {"ChAutoSaveChatForReconn", [](QxChatApi& a, QXHCOMPONENT h) { return a.ChAutoSaveChatForReconn(h); },
         WithHandle(L"/@@@@ ChAutoSaveChatForReconn enter: hComponent=%d @@@@/"),
         L"/=== ChAutoSaveChatForReconn exit: return = 0 ####/", 0,
         Fixed(L"/=== ChAutoSaveChatForReconn exit: return = 0 ####/"), 0},
        {"ChSaveChatNameAndPath",
         [](QxChatApi& a, QXHCOMPONENT h) { return a.ChSaveChatNameAndPath(h, L"a.txt", nullptr); },
         WithHandle(L"/@@@@ ChSaveChatNameAndPath enter: hComponent=%d,lpszName=a.txt,lpszPath=NULL @@@@/"),
         L"/#### ChSaveChatNameAndPath exit: return = 1 ####/", 1,
         Fixed(L"/#### ChSaveChatNameAndPath exit: return = 3 ####/"), 3},
        {"ChSetUserType", [](QxChatApi& a, QXHCOMPONENT h) { return a.ChSetUserType(h, 2); },
         WithHandle(L"/@@@@ ChSetUserType enter: hComponent=%d,nUserType=2 @@@@/"),
         L"/#### ChSetUserType exit: ####/", 0, Fixed(L"/#### ChSetUserType exit: ####/"), 0},
        {"ChGetMaxMinWidth", [](QxChatApi& a, QXHCOMPONENT h) { return a.ChGetMaxMinWidth(h, 1); },
         WithHandle(L"/@@@@ ChGetMaxMinWidth enter: hComponent=%d,bIsMax=1 @@@@/"),
         L"/#### ChGetMaxMinWidth exit: width = 0 ####/", 0,
         Fixed(L"/#### ChGetMaxMinWidth exit: width = 0 ####/"), 0},
        {"ChSaveChatTo", [](QxChatApi& a, QXHCOMPONENT h) { return a.ChSaveChatTo(h, L"c:\\t.txt"); },
         WithHandle(L"/@@@@ ChSaveChatTo enter: hComponent=%d,lpszFileName=c:\\t.txt @@@@/"),
         L"/#### ChSaveChatTo exit: 1 ####/", 1, Fixed(L"/#### ChSaveChatTo exit: 1 ####/"), 1},
        {"ChGetSavedFileName",
         [](QxChatApi& a, QXHCOMPONENT h) { return a.ChGetSavedFileName(h, nullptr, 10); },
         WithHandle(L"/@@@@ ChGetSavedFileName enter: hComponent=%d,lpszFileName=NULL,reserved=10 @@@@/"),
         L"/#### ChGetSavedFileName exit: 0 ####/", 0, Fixed(L"/#### ChGetSavedFileName exit: 0 ####/"), 0},
        {"ChChatToAttendee", [](QxChatApi& a, QXHCOMPONENT h) { return a.ChChatToAttendee(h, 42); },
         WithHandle(L"/@@@@ ChChatToAttendee enter: hComponent=%d,dwNodeId=42 @@@@/"),
         L"/#### ChChatToAttendee exit ####/", 0, Fixed(L"/#### ChChatToAttendee exit ####/"), 0},
        {"ChDestroyModalDialog", [](QxChatApi& a, QXHCOMPONENT h) { return a.ChDestroyModalDialog(h); },
         WithHandle(L"/@@@@ ChDestroyModalDialog enter: hComponent=%d @@@@/"),
         L"/#### ChDestroyModalDialog exit: return= 0 ####/", 0,
         Fixed(L"/#### ChDestroyModalDialog exit: return= 0 ####/"), 0},
        {"ChSetRosters", [](QxChatApi& a, QXHCOMPONENT h) { return a.ChSetRosters(h, 4); },
         WithHandle(L"/@@@@ ChSetRosters enter: hComponent=%d,lRoster=4 @@@@/"),
         L"/#### ChSetRosters exit: return = 0 ####/", 0, Fixed(L"/#### ChSetRosters exit: return = 1 ####/"),
         1},
        {"ServerSideRecordingStatus",
         [](QxChatApi& a, QXHCOMPONENT h) { return a.ServerSideRecordingStatus(h, 1); },
         WithHandle(L"/@@@@ ServerSideRecordingStatus enter: hComponent=%d,dwStatus=1 @@@@/"),
         L"/#### ServerSideRecordingStatus exit ####/", 0,
         Fixed(L"/#### ServerSideRecordingStatus exit ####/"), 0},
        {"SetServerSideRecordingProvider",
         [](QxChatApi& a, QXHCOMPONENT h) {
             return a.SetServerSideRecordingProvider(h, reinterpret_cast<void*>(0x10), 1);
         },
         WithHandle(
             L"/@@@@ SetServerSideRecordingProvider enter: hComponent=%d,pSink=16,bNeedWriInfo=1 @@@@/"),
         L"/#### SetServerSideRecordingProvider exit ####/", 0,
         Fixed(L"/#### SetServerSideRecordingProvider exit ####/"), 0},
        {"ChSetHandleForSmc",
         [](QxChatApi& a, QXHCOMPONENT h) { return a.ChSetHandleForSmc(h, reinterpret_cast<HWND>(0x20)); },
         WithHandle(L"/@@@@ ChSetHandleForSmc enter: hComponent=%d,hWndParent=32 @@@@/"),
         L"/#### ChSetHandleForSmc exit ####/", 0, Fixed(L"/#### ChSetHandleForSmc exit ####/"), 0},
        {"ChAddGroup",
         [](QxChatApi& a, QXHCOMPONENT h) {
             return a.ChAddGroup(h, 0, 1, 15, L"Everyone", 1, 2, 3, nullptr, 0, 0);
         },
         WithHandle(L"/@@@@ ChAddGroup enter: hComponent=%d,nInsertIndex=0,nGroupType=1,nGroupId/role=15,"
                    L"pstrGroupName=Everyone,lpszGroupLabel=NULL,lShowFactNameInUserList=3,bShowMemberList=1,"
                    L"bDefault=2 @@@@/"),
         L"/#### ChAddGroup exit: return = ffffffff ####/", -1,
         Fixed(L"/#### ChAddGroup exit: return = 0 ####/"), 0},
        {"ChSelectFeature",
         [](QxChatApi& a, QXHCOMPONENT h) { return a.ChSelectFeature(h, 0, 2, 3, 4, 5, L"d"); },
         WithHandle(
             L"/@@@@ ChSelectFeature enter: hComponent=%d,dwFeature1=0,dwFeature2=2,lParam1=3,lParam2=4,"
             L"dwLen=5,lpszData=d @@@@/"),
         L"/#### ChSelectFeature exit: return = ffffffff ####/", -1,
         Fixed(L"/#### ChSelectFeature exit: return = 0 ####/"), 0},
        {"ChChatToGroup", [](QxChatApi& a, QXHCOMPONENT h) { return a.ChChatToGroup(h, 1, 15); },
         WithHandle(L"/@@@@ ChChatToGroup enter: hComponent=%d,nGroupType=1,GroupID=15 @@@@/"),
         L"/#### ChChatToGroup exit: ####/", 0, Fixed(L"/#### ChChatToGroup exit: ####/"), 0},
        {"ChModifyGroup",
         [](QxChatApi& a, QXHCOMPONENT h) { return a.ChModifyGroup(h, 1, 2, 3, 4, nullptr, L"r2", 5, 6); },
         WithHandle(L"/@@@@ ChModifyGroup enter: hComponent=%d,nModifyIndex=1,lModifyMask=2,lModifyValue=3,"
                    L"lModifyCount=4,lpszReserved1=NULL,lpszReserved2=r2,dwReserved1=5,dwReserved2=6 @@@@/"),
         L"/#### ChModifyGroup exit: return= ffffffff ####/", -1,
         Fixed(L"/#### ChModifyGroup exit: return= 0 ####/"), 0},
        {"ChChatToGroupEx", [](QxChatApi& a, QXHCOMPONENT h) { return a.ChChatToGroupEx(h, 3); },
         WithHandle(L"/@@@@ ChChatToGroupEx enter: hComponent=%d,nGroupIndex=3 @@@@/"),
         L"/#### ChChatToGroupEx exit: ####/", -1, Fixed(L"/#### ChChatToGroupEx exit: ####/"), 0},
        {"ChAddAUser",
         [](QxChatApi& a, QXHCOMPONENT h) { return a.ChAddAUser(h, 77, 1, 2, nullptr, nullptr, 3, 4); },
         WithHandle(L"/@@@@ ChAddAUserToList enter: hComponent=%d,dwNodeId=77,nGroupID=1,nGroupIndex=2,"
                    L"lpszReserved1=NULL,lpszReserved2=NULL,dwReserved1=3,dwReserved2=4 @@@@/"),
         L"/#### ChAddAUserToList exit: return=ffffffff ####/", -1,
         Fixed(L"/#### ChAddAUserToList exit: return=ffffffff ####/"), -1},
        {"TlmSetNBRStatus", [](QxChatApi& a, QXHCOMPONENT h) { return a.TlmSetNBRStatus(h, 3, 1, 0); },
         WithHandle(L"/@@@@ TLMSetNBRStatus enter: hCompoent= 0x%x,dwStatus=0x3, dwOption=0x1, "
                    L"dwReserved=0x0 @@@@/"),
         L"", -1, Fixed(L"/#### TLMSetNBRStatus exit: lRet=0 ####/"), 0},
        {"ChSetConfig", [](QxChatApi& a, QXHCOMPONENT h) { return a.ChSetConfig(h, 5, nullptr); },
         WithHandle(L"/@@@@ ChSetConfig enter: hCompoent= 0x%x, dwConfigType=0x5, lpszConfig=NULL @@@@/"),
         L"", -1, Fixed(L"/#### ChSetConfig exit: lResult= 0 ####/"), 0},
        {"ChTransferMessages",
         [](QxChatApi& a, QXHCOMPONENT h) { return a.ChTransferMessages(h, 1, 2, 3, nullptr); },
         WithHandle(L"/@@@@ ChTransferMessages enter: hCompoent= 0x%x,dwType=1, dwTargetID=2, dwOption=3, "
                    L"lpszMessage=@@@@/"),
         L"", -1, Fixed(L"/#### ChTransferMessages exit: lResult= 0 ####/"), 0},
        {"ChSetMessageDisplayFormat",
         [](QxChatApi& a, QXHCOMPONENT h) { return a.ChSetMessageDisplayFormat(h, 1, 2, 3, 4, 5, 6, 7); },
         Fixed(L"/@@@@ ChSetMessageDisplayFormat enter @@@@/"), L"/#### ChSetMessageDisplayFormat exit ####/",
         0, Fixed(L"/#### ChSetMessageDisplayFormat exit ####/"), 0},
    };
    return cases;
}

class ExportsTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_TRUE(api.Bind(L"qxchat.dll")) << "missing exports: " << api.missing.size();
    }
    static void TearDownTestSuite() { api.Unload(); }
    static QxChatApi api;
};
QxChatApi ExportsTest::api;

TEST_F(ExportsTest, EveryExportIsBoundByName) {
    EXPECT_TRUE(api.missing.empty());
    EXPECT_EQ(QxChatApi::Names().size(), 47u);
}

// The module's export directory holds exactly the 47 undecorated names, in ordinals 1 to 47.
TEST_F(ExportsTest, ExportDirectoryHoldsExactlyTheFortySevenNames) {
    auto* base = reinterpret_cast<const BYTE*>(api.hModule);
    auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const auto& entry = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    auto* dir = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + entry.VirtualAddress);
    ASSERT_EQ(dir->NumberOfNames, 47u);
    EXPECT_EQ(dir->NumberOfFunctions, 47u);
    EXPECT_EQ(dir->Base, 1u);
    auto* names = reinterpret_cast<const DWORD*>(base + dir->AddressOfNames);
    auto* ordinals = reinterpret_cast<const WORD*>(base + dir->AddressOfNameOrdinals);
    std::vector<std::string> expected = QxChatApi::Names();
    for (DWORD i = 0; i < dir->NumberOfNames; ++i) {
        const std::string name = reinterpret_cast<const char*>(base + names[i]);
        auto it = std::find(expected.begin(), expected.end(), name);
        ASSERT_NE(it, expected.end()) << "unexpected export " << name;
        EXPECT_EQ(ordinals[i], static_cast<WORD>(it - expected.begin())) << name << " has the wrong ordinal";
    }
}

TEST_F(ExportsTest, NullHandleGivesTheNullResultAndTheDocumentedLines) {
    for (const ExportCase& c : Cases()) {
        TraceCapture capture;
        EXPECT_EQ(c.call(api, 0), c.nullResult) << c.name;
        std::vector<std::wstring> expected = {c.enter(0)};
        if (!c.exitNull.empty()) expected.push_back(c.exitNull);
        EXPECT_EQ(capture.Lines(), expected) << c.name << "\n" << ::testing::PrintToString(capture.Dump());
    }
}

TEST_F(ExportsTest, LiveInstanceForwardsAndFramesTheCallWithItsLines) {
    TestHostWindow host;
    const QXHCOMPONENT h = api.QxNewInstance(host.Get());
    ASSERT_NE(h, 0);
    for (const ExportCase& c : Cases()) {
        TraceCapture capture;
        EXPECT_EQ(c.call(api, h), c.liveResult) << c.name;
        const std::vector<std::wstring> lines = capture.Lines();
        ASSERT_GE(lines.size(), 2u) << c.name;
        EXPECT_EQ(lines.front(), c.enter(static_cast<int>(h))) << c.name;
        EXPECT_EQ(lines.back(), c.exitLive(static_cast<int>(h))) << c.name;
    }
    api.QxDeleteInstance(h);
}

TEST_F(ExportsTest, InstanceLifeLines) {
    TestHostWindow host;
    TraceCapture capture;
    const QXHCOMPONENT h = api.QxNewInstance(host.Get());
    ASSERT_NE(h, 0);
    EXPECT_TRUE(capture.Contains(Fmt(L"/@@@@ QxNewInstance, enter: hWndParent = %d @@@@/", host.Get())));
    EXPECT_TRUE(
        capture.Contains(Fmt(L"/#### QxNewInstance, return: (pChat) = %d ####/", static_cast<int>(h))));
    capture.Clear();
    EXPECT_EQ(api.QxDeleteInstance(h), 0);
    const std::vector<std::wstring> lines = capture.Lines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines.front(),
              Fmt(L"/@@@@ QxDeleteInstance, enter: hComponent = %d @@@@/", static_cast<int>(h)));
    EXPECT_EQ(lines.back(), L"/#### QxDeleteInstance, end: ####/");
}

// A null handle used to be dereferenced; now it is only traced.
TEST_F(ExportsTest, DeleteWithNullHandleDoesNothingButTrace) {
    TraceCapture capture;
    EXPECT_EQ(api.QxDeleteInstance(0), 0);
    EXPECT_EQ(capture.Lines(),
              (std::vector<std::wstring>{L"/@@@@ QxDeleteInstance, enter: hComponent = 0 @@@@/",
                                         L"/#### QxDeleteInstance, end: ####/"}));
}

TEST_F(ExportsTest, PanelistAndSharingRcTraceNothing) {
    TraceCapture capture;
    EXPECT_EQ(api.ChSetPanelist(1, 2, 3), 0);
    EXPECT_EQ(api.ChSetSharingRc(4, 5), 0);
    EXPECT_TRUE(capture.Lines().empty()) << ::testing::PrintToString(capture.Dump());
}

TEST_F(ExportsTest, ChatStartLinesShowNullStringsAndLeaveOutTheRoomId) {
    TestHostWindow host;
    const QXHCOMPONENT h = api.QxNewInstance(host.Get());
    TraceCapture capture;
    EXPECT_EQ(api.ChChat1(h, L"srv", 7, 9, nullptr, 11, L"info"), 0);
    const std::vector<std::wstring> lines = capture.Lines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines.front(), Fmt(L"/@@@@ ChChat1 enter: hComponent=%d,lpszServerAddress=srv,confHandle = 7,"
                                 L"lpszUserName=NULL,userHandle=11,lpszUserInfo=info @@@@/",
                                 static_cast<int>(h)));
    EXPECT_EQ(lines.back(), L"/#### ChChat1 exit: ####/");
    EXPECT_NE(FindChatDialog(host.Get()), nullptr);
    api.QxDeleteInstance(h);
}

TEST_F(ExportsTest, SaveChatNameAndPathResults) {
    TestHostWindow host;
    const QXHCOMPONENT h = api.QxNewInstance(host.Get());
    EXPECT_EQ(api.ChSaveChatNameAndPath(h, L"", L"C:\\x"), 3);
    EXPECT_EQ(api.ChSaveChatNameAndPath(h, L"a.txt", L""), 3);
    EXPECT_EQ(api.ChSaveChatNameAndPath(h, nullptr, L"C:\\x"), 3);
    EXPECT_EQ(api.ChSaveChatNameAndPath(h, L"a.txt", L"C:\\x"), 1) << "no dialog window yet";
    ASSERT_EQ(api.ChChat1(h, L"srv", 1, 1, L"me", 1, nullptr), 0);
    // The folder gets one backslash before the name, whether or not it ends in one.
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"qxexp" + std::to_wstring(GetCurrentProcessId());
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
    EXPECT_EQ(api.ChSaveChatNameAndPath(h, L"a.txt", folder.c_str()), 0);
    EXPECT_EQ(api.ChSaveChatNameAndPath(h, L"b.txt", (folder + L"\\").c_str()), 0);
    for (const wchar_t* name : {L"\\a.txt", L"\\b.txt"}) {
        const std::wstring path = folder + name;
        EXPECT_NE(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES) << path;
        DeleteFileW(path.c_str());
    }
    RemoveDirectoryW(folder.c_str());
    // A copy under a name and folder does not name the transcript.
    wchar_t buffer[MAX_PATH];
    EXPECT_EQ(api.ChGetSavedFileName(h, buffer, MAX_PATH), 1);
    EXPECT_EQ(api.ChSaveChatNameAndPath(0, L"a.txt", L"C:\\x"), 1);
    api.QxDeleteInstance(h);
}

TEST_F(ExportsTest, SaveToNamesTheTranscriptAndTheStateFollows) {
    TestHostWindow host;
    const QXHCOMPONENT h = api.QxNewInstance(host.Get());
    ASSERT_EQ(api.ChChat1(h, L"srv", 1, 1, L"me", 1, nullptr), 0);
    EXPECT_EQ(api.ChGetSaveChatState(h), 0) << "no messages";
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring path =
        std::wstring(temp) + L"qxsaveto" + std::to_wstring(GetCurrentProcessId()) + L".txt";
    EXPECT_EQ(api.ChSaveChatTo(h, path.c_str()), 0);
    EXPECT_EQ(GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
    wchar_t buffer[MAX_PATH] = {};
    EXPECT_EQ(api.ChGetSavedFileName(h, buffer, MAX_PATH), 0);
    wchar_t expected[MAX_PATH] = {};
    GetShortPathNameW(path.c_str(), expected, MAX_PATH);
    EXPECT_STREQ(buffer, expected);
    EXPECT_EQ(api.ChLoadRestoredChat(h, path.c_str()), 0) << "an empty transcript loads silently";
    EXPECT_EQ(api.ChAutoSaveChat(h), 3) << "no auto-save folder";
    DeleteFileW(path.c_str());
    api.QxDeleteInstance(h);
}

TEST_F(ExportsTest, SavedFileNameNeverWritesPastTheCapacity) {
    TestHostWindow host;
    const QXHCOMPONENT h = api.QxNewInstance(host.Get());
    EXPECT_EQ(api.ChGetSavedFileName(h, nullptr, 5), 0);
    wchar_t buffer[8];
    std::fill(buffer, buffer + 8, L'#');
    TraceCapture capture;
    // Nothing has been saved: the first 4 characters are cleared and nothing beyond them.
    EXPECT_EQ(api.ChGetSavedFileName(h, buffer, 4), 1);
    EXPECT_EQ(std::wstring(buffer, 4), std::wstring(4, L'\0'));
    EXPECT_EQ(std::wstring(buffer + 4, 4), L"####");
    // The unterminated buffer is shown up to its capacity only.
    EXPECT_EQ(capture.Lines().front(),
              Fmt(L"/@@@@ ChGetSavedFileName enter: hComponent=%d,lpszFileName=####,reserved=4 @@@@/",
                  static_cast<int>(h)));
    EXPECT_EQ(capture.Lines().back(), L"/#### ChGetSavedFileName exit: 1 ####/");
    api.QxDeleteInstance(h);
}

// Guard units after the caller's buffer: whatever the saved name's length and the capacity,
// nothing past the capacity is written.
TEST_F(ExportsTest, SavedFileNameKeepsTheGuardAfterTheBufferIntact) {
    TestHostWindow host;
    const QXHCOMPONENT h = api.QxNewInstance(host.Get());
    ASSERT_EQ(api.ChChat1(h, L"srv", 1, 1, L"me", 1, nullptr), 0);
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring path =
        std::wstring(temp) + L"qxguard" + std::to_wstring(GetCurrentProcessId()) + L".txt";
    ASSERT_EQ(api.ChSaveChatTo(h, path.c_str()), 0);
    wchar_t shortName[MAX_PATH] = {};
    const LONG nLength = static_cast<LONG>(GetShortPathNameW(path.c_str(), shortName, MAX_PATH));
    ASSERT_GT(nLength, 2);
    constexpr size_t kGuard = 16;
    constexpr wchar_t kMark = 0xFDFD;
    for (LONG nCapacity :
         {-1L, 0L, 1L, nLength - 1, nLength, nLength + 1, nLength + 2, static_cast<LONG>(MAX_PATH)}) {
        const size_t nRoom = static_cast<size_t>(std::max(nCapacity, 0L));
        std::vector<wchar_t> buffer(nRoom + kGuard, kMark);
        const LONG lResult = api.ChGetSavedFileName(h, buffer.data(), nCapacity);
        EXPECT_EQ(lResult, nCapacity > nLength ? 0 : 1) << nCapacity;
        for (size_t i = nRoom; i < buffer.size(); ++i)
            ASSERT_EQ(buffer[i], kMark) << "written past a capacity of " << nCapacity << " at " << i;
        if (lResult == 0) {
            EXPECT_EQ(std::wstring(buffer.data()), std::wstring(shortName));
        }
    }
    DeleteFileW(path.c_str());
    api.QxDeleteInstance(h);
}

// Every export that takes a string takes one of 100,000 characters (with format directives in
// it) in every string position, and the instance goes on working.
TEST_F(ExportsTest, HundredThousandCharacterStringsAtEveryStringExport) {
    std::wstring huge;
    while (huge.size() < 100000)
        huge += L"%s%n%x <chat> \\server\\share http://a.b ";
    huge.resize(100000);
    const wchar_t* const s = huge.c_str();
    const std::wstring plain(100000, L'\x3042');
    const std::wstring config7 = L"<chat ver=\"1.0\"><mtype>7</mtype><faq><index>1</index><faqn>" + plain +
                                 L"</faqn><faqc>" + plain + L"</faqc></faq></chat>";
    const std::wstring config8 = L"<chat ver=\"1.0\"><mtype>8</mtype><fname>" + plain + L"</fname></chat>";
    // The embedded conference's callbacks are delivered before each check.
    using GetControl = int(__stdcall*)(IQxNodeControlTest**);
    IQxNodeControlTest* control = nullptr;
    const auto getControl = reinterpret_cast<GetControl>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"qxnodectl.dll"), "QxGetNodeControlTest")));
    ASSERT_NE(getControl, nullptr);
    getControl(&control);
    ASSERT_NE(control, nullptr);
    auto settle = [&] { EXPECT_TRUE(PumpUntil([&] { return control->PendingCallbacks() == 0; })); };
    TestHostWindow host;
    for (int nPosition = 0; nPosition < 3; ++nPosition) {
        // ChChat1's three strings, one at a time, each on a fresh instance.
        const QXHCOMPONENT hStart = api.QxNewInstance(host.Get());
        api.ChSelectFeature(hStart, QXCHAT_FEATURE_QUICK_PHRASE, 0, 0, 0, 0, nullptr);
        api.ChAddGroup(hStart, 0, 1, 15, L"Everyone", 1, 1, 0, nullptr, 0, 0);
        api.ChChat1(hStart, nPosition == 0 ? s : L"srv", 1, 1, nPosition == 1 ? s : L"me", 1,
                    nPosition == 2 ? s : nullptr);
        settle();
        api.QxDeleteInstance(hStart);
    }
    const QXHCOMPONENT h = api.QxNewInstance(host.Get());
    api.ChSelectFeature(h, QXCHAT_FEATURE_QUICK_PHRASE, 0, 0, 0, 100000, s);
    api.ChSelectFeature(h, QXCHAT_FEATURE_QUICK_PHRASE, 0, 0, 0, 0xFFFFFFFFu, s);
    api.ChAddGroup(h, 0, 1, 15, s, 1, 1, 0, s, 0, 0);
    api.ChAddGroup(h, 1, 1, 8, L"Attendees", 0, 0, 0, s, 0, 0);
    ASSERT_EQ(api.ChChat1(h, L"srv", 1, 1, L"me", 1, nullptr), 0);
    settle();
    api.ChSetSoundPreference(h, 1, s, 0, 0, 0);
    api.ChSetAutoSavePath(h, s);
    api.ChSetSaveChatFileName(h, s);
    for (LONG lCommand : {1L, 2L, 40L, 70L})
        api.ChSetEventConfig(h, lCommand, 1, 1, s);
    // The file exports have their own test below: their failures show message boxes.
    api.ChModifyGroup(h, 0, 1, 1, 1, s, s, 0, 0);
    api.ChAddAUser(h, 77, 15, 0, s, s, 0, 0);
    for (DWORD dwType : {1UL, 2UL, 3UL, 4UL, 5UL}) {
        api.ChSetConfig(h, dwType, s);
        api.ChTransferMessages(h, dwType, 0, 0x1, s);
    }
    EXPECT_EQ(api.ChSetConfig(h, 1, config7.c_str()), 1);
    EXPECT_EQ(api.ChSetConfig(h, 2, config8.c_str()), 1);
    settle();
    // Still alive: it saves its transcript and names the file.
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring path =
        std::wstring(temp) + L"qxhuge" + std::to_wstring(GetCurrentProcessId()) + L".txt";
    EXPECT_EQ(api.ChSaveChatTo(h, path.c_str()), 0);
    wchar_t buffer[MAX_PATH];
    EXPECT_EQ(api.ChGetSavedFileName(h, buffer, MAX_PATH), 0);
    DeleteFileW(path.c_str());
    api.QxDeleteInstance(h);
}

// The file exports with names of 100,000 characters: each gives a clear result, any box it shows
// is answered, and no name is cut into another file's. A cut name would land on "cut.txt" here.
TEST_F(ExportsTest, HundredThousandCharacterNamesAtTheFileExportsNameNoOtherFile) {
    HMODULE hStrings = LoadLibraryExW(L"qxres_lite.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!hStrings) hStrings = LoadLibraryExW(L"qxres.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(hStrings, nullptr);
    auto str = [&](UINT id) {
        wchar_t text[512] = {};
        LoadStringW(hStrings, id, text, 512);
        return std::wstring(text);
    };
    const std::wstring title = str(IDS_TITLE);
    ASSERT_FALSE(title.empty());
    using dialogtest::DialogAnswerer;
    IQxNodeControlTest* control = nullptr;
    using GetControl = int(__stdcall*)(IQxNodeControlTest**);
    const auto getControl = reinterpret_cast<GetControl>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"qxnodectl.dll"), "QxGetNodeControlTest")));
    ASSERT_NE(getControl, nullptr);
    getControl(&control);
    ASSERT_NE(control, nullptr);
    TestHostWindow host;
    const QXHCOMPONENT h = api.QxNewInstance(host.Get());
    api.ChAddGroup(h, 0, 1, 15, L"Everyone", 1, 1, 0, nullptr, 0, 0);
    ASSERT_EQ(api.ChChat1(h, L"srv", 1, 1, L"me", 1, nullptr), 0);
    EXPECT_TRUE(PumpUntil([&] { return control->PendingCallbacks() == 0; }));

    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder =
        std::wstring(temp) + L"qxlong" + std::to_wstring(GetCurrentProcessId()) + L"\\";
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring first = folder + L"first.txt", cut = folder + L"cut.txt";
    auto exists = [](const std::wstring& path) {
        return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    };
    // Pads a folder ending in "\" with ".\" (the folder itself) to exactly nLength characters;
    // "x\..\" (also the folder itself) first evens out an odd length.
    auto padded = [](std::wstring text, size_t nLength) {
        if ((nLength - text.size()) % 2) text += L"x\\..\\";
        while (text.size() < nLength)
            text += L".\\";
        return text;
    };
    auto savedName = [&] {
        wchar_t buffer[MAX_PATH + 1] = {};
        return api.ChGetSavedFileName(h, buffer, MAX_PATH) == 0 ? std::wstring(buffer) : std::wstring();
    };
    ASSERT_EQ(api.ChSaveChatTo(h, first.c_str()), 0);
    const std::wstring firstShort = savedName();
    ASSERT_FALSE(firstShort.empty());
    {
        TraceCapture capture;
        // Its first 1023 characters are the folder, ".\" many times and "cut.txt".
        std::wstring name = padded(folder, 1023 - 7) + L"cut.txt";
        ASSERT_EQ(name.size(), 1023u);
        name += L"\\" + std::wstring(100000 - name.size() - 1, L'y');
        DialogAnswerer answerer({{title, DialogAnswerer::Press(IDOK)}});
        EXPECT_EQ(api.ChSaveChatTo(h, name.c_str()), 1);
        ASSERT_TRUE(PumpUntil([&] { return answerer.AllAnswered(); }));
        EXPECT_EQ(answerer.Answered()[0].text, str(IDS_ERR_WRITE_OPEN));
        EXPECT_TRUE(answerer.Unexpected().empty());
        EXPECT_TRUE(capture.Contains(
            L"Fail: CTranscript::SaveTo, a name of 100000 characters is longer than 1023, refused"));
        EXPECT_FALSE(exists(cut));
        EXPECT_EQ(savedName(), firstShort) << "the transcript's file name is the last one that was whole";
    }
    {
        TraceCapture capture;
        // Its first 259 characters are the folder and ".\" many times.
        std::wstring path = padded(folder, 259);
        ASSERT_EQ(path.size(), 259u);
        path += L"nowhere\\" + std::wstring(100000 - path.size() - 8, L'z');
        DialogAnswerer answerer;
        EXPECT_EQ(api.ChSaveChatNameAndPath(h, L"cut.txt", path.c_str()), 3);
        EXPECT_TRUE(capture.Contains(
            L"Fail: ChSaveChatNameAndPath, a folder of 100000 characters is longer than 259, refused"));
        EXPECT_FALSE(exists(cut));
        EXPECT_TRUE(answerer.Unexpected().empty());
    }
    {
        // A whole name the file system refuses: the save fails with its box.
        const std::wstring name(100000, L'n');
        DialogAnswerer answerer({{title, DialogAnswerer::Press(IDOK)}});
        EXPECT_EQ(api.ChSaveChatNameAndPath(h, name.c_str(), folder.c_str()), 1);
        ASSERT_TRUE(PumpUntil([&] { return answerer.AllAnswered(); }));
        EXPECT_EQ(answerer.Answered()[0].text, str(IDS_ERR_WRITE_OPEN));
        EXPECT_TRUE(answerer.Unexpected().empty());
    }
    {
        // A transcript that cannot be read: its box, and the list as it was.
        const std::wstring path = padded(folder, 1023) + std::wstring(100000 - 1023, L'r');
        DialogAnswerer answerer({{title, DialogAnswerer::Press(IDOK)}});
        EXPECT_EQ(api.ChLoadRestoredChat(h, path.c_str()), 0);
        ASSERT_TRUE(PumpUntil([&] { return answerer.AllAnswered(); }));
        EXPECT_EQ(answerer.Answered()[0].text, str(IDS_ERR_LOAD));
        EXPECT_TRUE(answerer.Unexpected().empty());
    }
    // Nothing but the first file was made, and the instance still saves.
    EXPECT_FALSE(exists(cut));
    const std::wstring last = folder + L"last.txt";
    EXPECT_EQ(api.ChSaveChatTo(h, last.c_str()), 0);
    EXPECT_TRUE(exists(last));
    api.QxDeleteInstance(h);
    FreeLibrary(hStrings);
    for (const std::wstring& path : {first, last, cut})
        DeleteFileW(path.c_str());
    RemoveDirectoryW(folder.c_str());
}

TEST_F(ExportsTest, SetConfigTypeFiveDoesNothing) {
    TestHostWindow host;
    const QXHCOMPONENT h = api.QxNewInstance(host.Get());
    EXPECT_EQ(api.ChSetConfig(h, 5, L"text"), 0);
    api.QxDeleteInstance(h);
}

// The command table as the host drives it: command 1 is refused until command 2 with 2 came.
TEST_F(ExportsTest, EventConfigCommandTable) {
    TestHostWindow host;
    const QXHCOMPONENT h = api.QxNewInstance(host.Get());
    struct Step {
        LONG command, p1, p2, result;
    };
    const Step steps[] = {
        {60, 0, 0, 0}, {1, 1, 0, 0},  {2, 7, 0, 0},  {2, 3, 0, 1},        {1, 1, 0, 0},
        {2, 2, 0, 1},  {1, 1, 0, 1},  {40, 0, 0, 0}, {50, 1234, 0, 1234}, {60, 0, 0, 0},
        {70, 9, 0, 1}, {80, 1, 0, 1}, {90, 3, 0, 1}, {100, 55, 0, 0},     {12345, 1, 1, 0},
    };
    for (const Step& s : steps) {
        TraceCapture capture;
        EXPECT_EQ(api.ChSetEventConfig(h, s.command, s.p1, s.p2, L"buf"), s.result)
            << "command " << s.command;
        EXPECT_EQ(capture.Lines().back(), Fmt(L"/#### ChSetEventConfig exit: result = %x ####/", s.result));
    }
    api.QxDeleteInstance(h);
}

} // namespace
