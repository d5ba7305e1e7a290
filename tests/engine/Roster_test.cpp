// Roster processing of the engine: change lists handed to ApeRosterChanged as the controller lays
// them out, the participant list they leave, untrusted roster texts, the host's roster status,
// and the history roster.
#include "window/MainChatDlg.h"

#include "TestControl.h"
#include "TraceCapture.h"
#include "pdu/ChatUserInfoPDU.h"
#include "pdu/RosterInfoPDU.h"
#include "qxchat.h"

#include <gtest/gtest.h>

using namespace enginetest;

namespace {

constexpr DWORD kRoom = 5;
constexpr DWORD kOwnUser = 30001;
// The chat's attachment: roster changes for any other are dropped.
constexpr DWORD kApe = 20001;

class RosterTest : public testing::Test {
protected:
    RosterTest() {
        dlg.SetConnectionParams(L"conf.test", 7, static_cast<LONG>(kRoom), L"Me", 1, L"", nullptr);
        dlg.OwnUser().m_dwOwnUserId = kOwnUser;
        dlg.Status().m_apeHandle = kApe;
    }
    int Change(WORD add, WORD remove, WORD change, const RosterList& list) {
        return dlg.ApeRosterChanged(kApe, 7, add, remove, change, list.Get());
    }
    std::vector<std::wstring> Names() const {
        std::vector<std::wstring> names;
        for (int i = 0; i < users().GetCount(); ++i)
            names.push_back(users().GetAt(i)->m_strName);
        return names;
    }
    CUserList& users() const { return const_cast<CMainChatDlg&>(dlg).Users(); }

    TraceCapture capture;
    CMainChatDlg dlg;
};

TEST_F(RosterTest, AdditionsListParticipantsOfThisChatRoomWithTheirRosterInformation) {
    RosterList list;
    list.Record(kRoom, {{1001, kOwnUser, RosterText("Me", 1)}, {1002, 30002, RosterText("Ann", 2, 1, 3)}})
        .Record(kRoom + 1, {{1003, 30003, RosterText("Elsewhere")}});
    EXPECT_EQ(Change(2, 0, 0, list), 0);
    EXPECT_EQ(Names(), (std::vector<std::wstring>{L"Me", L"Ann"}));
    const CUserItem* ann = users().FindByNodeId(1002);
    ASSERT_NE(ann, nullptr);
    EXPECT_EQ(ann->m_dwUserId, 30002u);
    EXPECT_EQ(ann->m_dwRosterInfo, 2u);
    EXPECT_EQ(ann->m_lUserType, 3);
    EXPECT_EQ(dlg.OwnUser().m_dwOwnNodeId, 1001u);
    EXPECT_EQ(capture.Lines().front(),
              L"/**** CMainChatDlg::ApeRosterChanged enter:ape_handle = 20001,conf_handle = "
              L"7,add_num = 2,remove_num = 0,change_num=0,list = " +
                  std::to_wstring(reinterpret_cast<INT_PTR>(list.Get())) + L" ****/");
    for (const wchar_t* line : {
             L"/**** CMainChatDlg::ProcessAddEnrollInfo enter:number = 2 ****/",
             L"/---- CMainChatDlg::ProcessAddEnrollInfo MyUserId= 30001, addUserID= 30002, addNodeId = 1002, "
             L"addUserName = Ann,addroster = 2,addUserType=3,addInvisible=1 ----/",
             L"/==== CMainChatDlg::ProcessAddEnrollInfo:end ====/",
             L"/==== CMainChatDlg::ApeRosterChanged end.====/",
         })
        EXPECT_TRUE(capture.Contains(line)) << line;
}

TEST_F(RosterTest, TheRecordingParticipantIsNeverListedButOtherLetterCaseIs) {
    RosterList list;
    list.Record(kRoom, {{1001, 30002, RosterText("tlm_ssr_987_recorder-654")},
                        {1002, 30003, RosterText("TLM_SSR_987_Recorder-654")}});
    Change(1, 0, 0, list);
    EXPECT_EQ(Names(), std::vector<std::wstring>{L"TLM_SSR_987_Recorder-654"});
    EXPECT_TRUE(capture.Contains(L"/---- CMainChatDlg::ProcessAddEnrollInfo it is SSR user ----/"));
}

TEST_F(RosterTest, DuplicatesByIdsOrByCustomerId) {
    struct Case {
        DWORD dwFeature;
        std::vector<EntrySpec> second;
        std::vector<DWORD> nodes;
        std::vector<std::wstring> names;
    } cases[] = {
        {0, {{1001, 30002, RosterText("Again", 8, 1, 0, 42)}}, {1001}, {L"First"}},
        {0, {{1005, 30002, RosterText("NewNode", 8, 1, 0, 42)}}, {1001, 1005}, {L"First", L"NewNode"}},
        {QXCHAT_FEATURE_REPLACE_CUSTOMER,
         {{1005, 30009, RosterText("Back", 8, 1, 0, 42)}},
         {1005},
         {L"Back"}},
        {QXCHAT_FEATURE_REPLACE_CUSTOMER,
         {{1005, 30009, RosterText("Other", 8, 1, 0, 43)}},
         {1001, 1005},
         {L"First", L"Other"}},
    };
    for (const Case& c : cases) {
        CMainChatDlg fresh;
        fresh.SetConnectionParams(L"conf.test", 7, static_cast<LONG>(kRoom), L"Me", 1, L"", nullptr);
        fresh.SelectFeature(c.dwFeature, 0);
        fresh.Status().m_apeHandle = 1;
        RosterList first, second;
        first.Record(kRoom, {{1001, 30002, RosterText("First", 8, 1, 0, 42)}});
        second.Record(kRoom, c.second);
        fresh.ApeRosterChanged(1, 7, 1, 0, 0, first.Get());
        fresh.ApeRosterChanged(1, 7, 1, 0, 0, second.Get());
        std::vector<DWORD> nodes;
        std::vector<std::wstring> names;
        for (int i = 0; i < fresh.Users().GetCount(); ++i) {
            nodes.push_back(fresh.Users().GetAt(i)->m_dwNodeId);
            names.push_back(fresh.Users().GetAt(i)->m_strName);
        }
        EXPECT_EQ(nodes, c.nodes) << c.dwFeature;
        EXPECT_EQ(names, c.names) << c.dwFeature;
    }
}

TEST_F(RosterTest, RemovalsThenAChangeInOneList) {
    RosterList added;
    added.Record(kRoom, {{1001, 30002, RosterText("A")},
                         {1002, 30003, RosterText("B")},
                         {1003, 30004, RosterText("C", 8, 1, 0, 7)}});
    Change(1, 0, 0, added);
    ASSERT_EQ(users().GetCount(), 3);
    capture.Clear();
    CRosterInfoPDU changed;
    changed.SetName("C2");
    changed.SetRoleSet(4);
    changed.SetVisible(0);
    changed.SetUserType(1);
    changed.SetEmail("c@x.y");
    changed.SetGuestId(9);
    changed.GenerateXMLPDU();
    RosterList list;
    list.Record(kRoom, {{1001, 30002, ""}})
        .Record(kRoom, {{1002, 30003, ""}, {1999, 30999, ""}})
        .Record(kRoom, {{1003, 30004, changed.GetXMLText()}});
    Change(0, 2, 1, list);
    ASSERT_EQ(users().GetCount(), 1);
    const CUserItem* c = users().GetAt(0);
    EXPECT_EQ(c->m_strName, L"C2");
    EXPECT_EQ(c->m_dwRosterInfo, 4u);
    EXPECT_EQ(c->m_lVisible, 0);
    EXPECT_EQ(c->m_lUserType, 1);
    EXPECT_EQ(c->m_dwCustomerId, 7u) << "a change keeps the customer id first reported";
    EXPECT_TRUE(c->m_strEmail.empty()) << "and the macro values";
    for (const wchar_t* line : {
             L"/**** CMainChatDlg::ProcessDeleteEnrollInfo enter:number = 2 ****/",
             L"/---- CMainChatDlg::ProcessDeleteEnrollInfo NodeId = 1002, my= 30001, delUserID= 30003, "
             L"delNodeId = "
             L"1002, delUserName = B,roster = 8,delUserType=0,delInvisible=1 ----/",
             L"/==== CMainChatDlg::ProcessDeleteEnrollInfo:end ====/",
             L"/**** CMainChatDlg::ProcessModifyEnrollInfo enter:number = 1 ****/",
             L"/---- CMainChatDlg::ProcessModifyEnrollInfo my= 30001, modUserID= 30004, modNodeId = 1003, "
             L"modUserName "
             L"= C2,oldRoster = 8, newRoster=4, modUserType=1,modInvisible=0 ----/",
             L"/==== CMainChatDlg::ProcessModifyEnrollInfo:end ====/",
         })
        EXPECT_TRUE(capture.Contains(line)) << line;
    EXPECT_FALSE(capture.ContainsSubstring(L"delNodeId = 1999")) << "unknown nodes are ignored";
}

TEST_F(RosterTest, ChangesAreIgnoredWhileTheUserListIsHidden) {
    RosterList added, changed;
    added.Record(kRoom, {{1001, 30002, RosterText("Old", 8)}});
    changed.Record(kRoom, {{1001, 30002, RosterText("New", 1)}});
    Change(1, 0, 0, added);
    dlg.ShowUserList(0);
    capture.Clear();
    EXPECT_EQ(dlg.ProcessModifyEnrollInfo(1, changed.Get()), 0);
    Change(0, 0, 1, changed);
    EXPECT_EQ(users().GetAt(0)->m_strName, L"Old");
    EXPECT_EQ(users().GetAt(0)->m_dwRosterInfo, 8u);
    EXPECT_FALSE(capture.ContainsSubstring(L"ProcessModifyEnrollInfo:end"));
    dlg.ShowUserList(1);
    EXPECT_EQ(dlg.ProcessModifyEnrollInfo(1, changed.Get()), 1);
    EXPECT_EQ(users().GetAt(0)->m_strName, L"New");
}

TEST_F(RosterTest, AChangeOfTheLocalRolesIsNoticed) {
    RosterList added, changed;
    added.Record(kRoom, {{1001, kOwnUser, RosterText("Me", 8)}});
    changed.Record(kRoom, {{1001, kOwnUser, RosterText("Me", 2)}});
    Change(1, 0, 0, added);
    Change(0, 0, 1, changed);
    EXPECT_TRUE(capture.Contains(L"pItem->m_dwRosterInfo != itemTmp.m_dwRosterInfo"));
    capture.Clear();
    Change(0, 0, 1, changed);
    EXPECT_FALSE(capture.Contains(L"pItem->m_dwRosterInfo != itemTmp.m_dwRosterInfo"));
}

TEST_F(RosterTest, UntrustedRosterTextsNeverCrashAndUnreadableEntriesAreSkipped) {
    RosterList list;
    list.Record(kRoom, {{1001, 30002, RosterText("Null data"), true},
                        {1002, 30003, "", false, 0},
                        {1003, 30004, "<garbage", false},
                        {1004, 30005, RosterText("Good")}});
    Change(1, 0, 0, list);
    ASSERT_EQ(users().GetCount(), 2);
    EXPECT_EQ(users().FindByNodeId(1003)->m_strName, L"");
    EXPECT_EQ(users().FindByNodeId(1003)->m_dwUserId, 30004u);
    EXPECT_EQ(users().FindByNodeId(1004)->m_strName, L"Good");
    EXPECT_TRUE(capture.Contains(L"CMainChatDlg::ExtractEnrollInfo, lpUserInfo is Null."));
    EXPECT_TRUE(capture.Contains(L"CMainChatDlg::ExtractEnrollInfo, nLength <= 0."));
    EXPECT_TRUE(capture.ContainsSubstring(L"addNodeId = 1003, addUserName = Null,"));

    // Every prefix of a valid text, and bytes of every value, as additions and as changes.
    const std::string good = RosterText("Fuzz\xE2\x82\xAC", 7, 1, 2, 5);
    for (size_t n = 1; n < good.size(); ++n) {
        std::string text = good.substr(0, n);
        text += std::string(1, static_cast<char>(n * 37));
        RosterList fuzz;
        fuzz.Record(kRoom, {{static_cast<DWORD>(2000 + n), static_cast<DWORD>(40000 + n), text}});
        Change(1, 0, 0, fuzz);
        Change(0, 0, 1, fuzz);
    }
    EXPECT_EQ(users().GetCount(), 2 + static_cast<int>(good.size()) - 1);
}

TEST_F(RosterTest, WithoutAListNothingIsProcessed) {
    EXPECT_EQ(dlg.ApeRosterChanged(kApe, 2, 3, 4, 5, nullptr), 0);
    EXPECT_EQ(capture.Lines(),
              (std::vector<std::wstring>{
                  L"/**** CMainChatDlg::ApeRosterChanged enter:ape_handle = 20001,conf_handle = 2,add_num = "
                  L"3,remove_num = 4,change_num=5,list = 0 ****/",
                  L"/==== CMainChatDlg::ApeRosterChanged end.====/"}));
}

TEST(RosterStatus, StoredUnchangedAndReEnrollingOnlyOnAFlip) {
    IQxNodeControlTest* control = FreshControl();
    {
        CMainChatDlg dlg;
        dlg.SetConnectionParams(L"conf.test", 7, static_cast<LONG>(kRoom), L"Me", 1, L"", nullptr);
        dlg.Initialize();
        ASSERT_TRUE(PumpUntil([&] { return dlg.Status().m_bEnrolled != FALSE; }));
        struct Case {
            LONG lNeed, lBroadcast;
            bool bReEnroll;
            DWORD dwFlags;
        } cases[] = {{2, 1, false, 0}, {2, 0, true, 2}, {0, 0, false, 0}, {1, 1, true, 3}, {1, 1, false, 0}};
        for (const Case& c : cases) {
            control->ClearCalls();
            dlg.SetRosterStatus(c.lNeed, c.lBroadcast);
            EXPECT_EQ(dlg.OwnUser().m_bNeedRosterInfo, c.lNeed);
            EXPECT_EQ(dlg.OwnUser().m_bBroadcastRosterInfo, c.lBroadcast);
            const std::vector<QxNcCall> enrolls = CallsOf(QXNC_OP_ENROLL_APE);
            ASSERT_EQ(enrolls.size(), c.bReEnroll ? 1u : 0u) << c.lNeed << "," << c.lBroadcast;
            if (c.bReEnroll) {
                EXPECT_EQ(enrolls[0].args[8], c.dwFlags);
            }
        }
    }
    control->Reset();
}

TEST(HistoryRoster, StoresParsedEntriesAndNamesByTheFirstMatch) {
    CMainChatDlg dlg;
    auto text = [](DWORD dwUserId, const char* lpszName) {
        CChatUserInfoPDU pdu;
        pdu.SetUserId(dwUserId);
        pdu.SetName(lpszName);
        pdu.GenerateXMLPDU();
        return pdu.GetXMLText();
    };
    TraceCapture capture;
    EXPECT_EQ(dlg.HandleHistoryUserRoster(text(30002, "Gone \xC3\xA9")), 0);
    EXPECT_EQ(dlg.HandleHistoryUserRoster(text(30002, "Later")), 0);
    EXPECT_EQ(dlg.HandleHistoryUserRoster("<not a pdu"), 1);
    EXPECT_EQ(dlg.HandleHistoryUserRoster(""), 1);
    EXPECT_EQ(dlg.HistoryRosterCount(), 2);
    std::wstring name;
    EXPECT_TRUE(dlg.GetHistoryUserName(30002, name));
    EXPECT_EQ(name, L"Gone \u00E9");
    EXPECT_FALSE(dlg.GetHistoryUserName(30003, name));
    EXPECT_TRUE(capture.Contains(L"/**** CMainChatDlg::HandleHistoryUserRoster() Enter ****/"));
    EXPECT_TRUE(capture.Contains(L"/=== CMainChatDlg::HandleHistoryUserRoster() Exit ====/"));
    dlg.Cleanup();
    EXPECT_EQ(dlg.HistoryRosterCount(), 0);
    capture.Clear();
    dlg.RequestHistoryUserRoster();
    EXPECT_EQ(capture.Lines(),
              (std::vector<std::wstring>{L"/**** CMainChatDlg::RequestHistoryUserRoster() Enter ****/",
                                         L"/=== CMainChatDlg::RequestHistoryUserRoster() Exit ====/"}));
}

} // namespace
