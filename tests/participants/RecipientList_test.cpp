// The recipient list as the roster fills it: member order, which groups list whom, the
// customer-support reading of roles, removals and the rebuild after a rights change.
#include "RecipientSession.h"

#include "TraceCapture.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace recipienttest;

namespace {

using Names = std::vector<std::wstring>;

// Adds a rights-based role group listing its members.
void AddMemberGroup(const Session& s, int nId, const wchar_t* lpszName, LONG bDefault = 0) {
    ChAddGroup(s.H(), 99, CHAT_ROLE_GROUP, nId, lpszName, 1, bDefault, 0, nullptr, 0, 0);
}

TEST(RecipientList, MembersAreSortedByNameWithoutRegardToCaseAndEqualNamesKeepArrivalOrder) {
    Session s;
    AddMemberGroup(s, CHAT_ALL_USERS_ROLE_GROUP, L"Everyone", 1);
    s.Arrive({{2001, 40001, "Carl"}, {2002, 40002, "anna"}, {2003, 40003, "Bob"}});
    s.Arrive({{2004, 40004, "Bob"}});
    EXPECT_EQ(s.MembersUnder(CHAT_ALL_USERS_ROLE_GROUP), (Names{L"anna", L"Bob", L"Bob", L"Carl"}));
    const auto entries = s.Entries();
    const int nFirstBob = s.GroupEntry(CHAT_ALL_USERS_ROLE_GROUP) + 2;
    EXPECT_EQ(entries[nFirstBob].pData->UserId(), 40003u);
    EXPECT_EQ(entries[nFirstBob + 1].pData->UserId(), 40004u);
    EXPECT_EQ(entries[nFirstBob].pData->Kind(), static_cast<DWORD>(CHAT_KIND_USER));
}

// A roster change of many participants fills the box in one pass, a change of one changes it
// entry by entry: both end with the same entries in the same order. While the box is disabled
// the newest attendee of a change becomes the selection: the last of the large change, the
// first of the single ones (the box is enabled from then on).
TEST(RecipientList, ALargeRosterChangeListsWhatArrivalsOneByOneList) {
    std::vector<Person> people;
    Names sorted;
    for (int i = 0; i < 60; ++i) {
        const std::string name = (i % 2 ? "member " : "Member ") + std::to_string((i * 37) % 61);
        people.push_back({static_cast<DWORD>(3000 + i), static_cast<DWORD>(50000 + i), name});
        sorted.push_back(std::wstring(name.begin(), name.end()));
    }
    std::stable_sort(sorted.begin(), sorted.end(), [](const std::wstring& a, const std::wstring& b) {
        return lstrcmpiW(a.c_str(), b.c_str()) < 0;
    });
    struct Outcome {
        Names texts;
        std::vector<DWORD> ids;
        int nSelected;
    };
    auto run = [&](bool bAtOnce) {
        Session s;
        AddMemberGroup(s, CHAT_ATTENDEES_GROUP_NEW, L"Attendees");
        AddMemberGroup(s, CHAT_ALL_USERS_ROLE_GROUP, L"Everyone", 1);
        if (bAtOnce) {
            s.Arrive(people);
        } else {
            for (const Person& p : people)
                s.Arrive({p});
        }
        EXPECT_EQ(s.MembersUnder(CHAT_ALL_USERS_ROLE_GROUP), sorted);
        Outcome outcome{s.Texts(), {}, s.Selected()};
        EXPECT_GE(outcome.nSelected, 0);
        for (const Entry& e : s.Entries())
            outcome.ids.push_back(e.pData->m_dwData[CHAT_DATA_CODE]);
        return outcome;
    };
    const Outcome atOnce = run(true), oneByOne = run(false);
    EXPECT_EQ(atOnce.texts, oneByOne.texts);
    EXPECT_EQ(atOnce.ids, oneByOne.ids);
    ASSERT_TRUE(atOnce.nSelected >= 0 && oneByOne.nSelected >= 0);
    EXPECT_EQ(atOnce.ids[static_cast<size_t>(atOnce.nSelected)], people.back().dwUserId);
    EXPECT_EQ(oneByOne.ids[static_cast<size_t>(oneByOne.nSelected)], people.front().dwUserId);
}

// Arrivals, removals and changes in one roster change end with the entries the same changes
// make one at a time: nobody lost or listed twice, equal names in their order of arrival.
TEST(RecipientList, ArrivalsRemovalsAndChangesInOneRosterChangeListWhatSingleChangesList) {
    auto person = [](int i, const char* lpszPrefix) {
        const std::string name = (i % 3 ? "guest " : "Guest ") + std::to_string((i * 7) % 23);
        return Person{static_cast<DWORD>(4000 + i), static_cast<DWORD>(60000 + i), lpszPrefix + name,
                      i % 9 == 0 ? DWORD{QXCHAT_ROLE_PANELIST} : DWORD{QXCHAT_ROLE_ATTENDEE}};
    };
    std::vector<Person> first, arrivals;
    std::vector<enginetest::EntrySpec> added, removed, changed;
    for (int i = 0; i < 30; ++i)
        first.push_back(person(i, ""));
    for (int i = 30; i < 130; ++i) {
        arrivals.push_back(person(i, ""));
        added.push_back({arrivals.back().dwNodeId, arrivals.back().dwUserId,
                         enginetest::RosterText(arrivals.back().strName, arrivals.back().dwRoles)});
    }
    for (int i = 0; i < 30; i += 4)
        removed.push_back({static_cast<DWORD>(4000 + i), 0, std::string()});
    for (int i = 2; i < 30; i += 4)
        changed.push_back({static_cast<DWORD>(4000 + i), static_cast<DWORD>(60000 + i),
                           enginetest::RosterText("GUEST " + std::to_string(i % 5))});
    auto run = [&](bool bAtOnce) {
        Session s;
        AddMemberGroup(s, CHAT_ATTENDEES_GROUP_NEW, L"Attendees");
        AddMemberGroup(s, CHAT_ALL_USERS_ROLE_GROUP, L"Everyone", 1);
        s.Arrive(first);
        CMainChatDlg* dlg = s.Dlg();
        auto change = [dlg](WORD add, WORD remove, WORD modify, const enginetest::RosterList& list) {
            dlg->ApeRosterChanged(dlg->Status().m_apeHandle, 7, add, remove, modify, list.Get());
        };
        if (bAtOnce) {
            enginetest::RosterList list;
            list.Record(Session::kRoom, added)
                .Record(Session::kRoom, removed)
                .Record(Session::kRoom, changed);
            change(1, 1, 1, list);
        } else {
            for (const std::vector<enginetest::EntrySpec>* pRun : {&added, &removed, &changed}) {
                for (const enginetest::EntrySpec& e : *pRun) {
                    enginetest::RosterList list;
                    list.Record(Session::kRoom, {e});
                    change(pRun == &added, pRun == &removed, pRun == &changed, list);
                }
            }
        }
        EXPECT_EQ(s.MembersUnder(CHAT_ALL_USERS_ROLE_GROUP).size(), 30u - 8u + 100u);
        std::vector<std::pair<std::wstring, DWORD>> listed;
        for (const Entry& e : s.Entries())
            listed.emplace_back(e.strText, e.pData->Kind() == CHAT_KIND_USER ? e.pData->UserId() : 0);
        return listed;
    };
    EXPECT_EQ(run(true), run(false));
}

TEST(RecipientList, EachRoleGroupListsTheParticipantsItAddresses) {
    Session s;
    AddMemberGroup(s, CHAT_PANELIST_ROLE_GROUP, L"Panelists");
    AddMemberGroup(s, CHAT_ATTENDEES_GROUP_NEW, L"Attendees");
    AddMemberGroup(s, CHAT_ALL_USERS_ROLE_GROUP, L"Everyone");
    s.Arrive({{2001, 40001, "Zero", 0}, {2002, 40002, "Presenter", QXCHAT_ROLE_PRESENTER}});
    EXPECT_EQ(s.MembersUnder(CHAT_ATTENDEES_GROUP_NEW), Names{L"Zero"});
    EXPECT_EQ(s.MembersUnder(CHAT_ALL_USERS_ROLE_GROUP), (Names{L"Presenter", L"Zero"}));
    EXPECT_EQ(s.MembersUnder(CHAT_PANELIST_ROLE_GROUP), Names{L"Presenter"})
        << "a presenter counts as panelist";
    // Leaving takes the participant out of every group, and the positions follow.
    s.Leave({2002});
    EXPECT_EQ(s.Texts(), (Names{L"Panelists", L"Attendees", L"Zero", L"Everyone", L"Zero"}));
}

TEST(RecipientList, CustomerSupportUserTypeListsCustomersAsPanelistsAndOthersAsTheLocalType) {
    Session s;
    ChSetUserType(s.H(), 3);
    AddMemberGroup(s, CHAT_ALL_HOST_PRESENTER_ROLE_GROUP, L"Support");
    AddMemberGroup(s, CHAT_PANELIST_ROLE_GROUP, L"Customers");
    s.Arrive(
        {{2001, 40001, "Client", QXCHAT_ROLE_ATTENDEE, 3}, {2002, 40002, "Agent", QXCHAT_ROLE_ATTENDEE, 1}});
    EXPECT_EQ(s.MembersUnder(CHAT_PANELIST_ROLE_GROUP), Names{L"Client"});
    EXPECT_EQ(s.MembersUnder(CHAT_ALL_HOST_PRESENTER_ROLE_GROUP), Names{L"Agent"});
    // The support user type gives the groups their support codes.
    EXPECT_EQ(s.Entries()[s.GroupEntry(CHAT_PANELIST_ROLE_GROUP)].pData->Code(), 102);
    EXPECT_EQ(s.Entries()[s.GroupEntry(CHAT_ALL_HOST_PRESENTER_ROLE_GROUP)].pData->Code(), 101);
}

TEST(RecipientList, TheLocalUserInvisibleAndExcludedParticipantsAreNeverListed) {
    Session s;
    AddMemberGroup(s, CHAT_ALL_USERS_ROLE_GROUP, L"Everyone");
    const DWORD dwOwn = s.Dlg()->OwnUser().m_dwOwnUserId;
    s.Arrive({{2001, dwOwn, "Me again"}, {2002, 40002, "Visible"}});
    std::vector<enginetest::EntrySpec> hidden = {{2003, 40003, enginetest::RosterText("Hidden", 8, 0)}};
    enginetest::RosterList list;
    list.Record(Session::kRoom, hidden);
    s.Dlg()->ApeRosterChanged(s.Dlg()->Status().m_apeHandle, 7, 1, 0, 0, list.Get());
    EXPECT_EQ(s.MembersUnder(CHAT_ALL_USERS_ROLE_GROUP), Names{L"Visible"});
}

TEST(RecipientList, ANamelessParticipantCostsNobodyElseTheirEntry) {
    Session s;
    AddMemberGroup(s, CHAT_ALL_USERS_ROLE_GROUP, L"Everyone", 1);
    TraceCapture capture;
    s.Arrive({{2001, 40001, "Anna"}, {2002, 40002, ""}, {2003, 40003, "Zed"}});
    EXPECT_EQ(s.MembersUnder(CHAT_ALL_USERS_ROLE_GROUP), (Names{L"Anna", L"Zed"}));
    // Every rights refresh lists the members again, the nameless one still first of the two.
    ChSetPrivilege(s.H(), 0x1F7);
    EXPECT_TRUE(s.MembersUnder(CHAT_ALL_USERS_ROLE_GROUP).empty());
    ChSetPrivilege(s.H(), 0x1FF);
    EXPECT_EQ(s.MembersUnder(CHAT_ALL_USERS_ROLE_GROUP), (Names{L"Anna", L"Zed"}));
    EXPECT_NE(s.Dlg()->Users().FindByNodeId(2002), nullptr) << "listed as a participant all the same";
}

TEST(RecipientList, ARenamedParticipantMovesToItsNewPlace) {
    Session s;
    AddMemberGroup(s, CHAT_ALL_USERS_ROLE_GROUP, L"Everyone");
    s.Arrive({{2001, 40001, "Adam"}, {2002, 40002, "Mia"}});
    enginetest::RosterList list;
    list.Record(Session::kRoom, {{2001, 40001, enginetest::RosterText("Zed")}});
    s.Dlg()->ApeRosterChanged(s.Dlg()->Status().m_apeHandle, 7, 0, 0, 1, list.Get());
    EXPECT_EQ(s.MembersUnder(CHAT_ALL_USERS_ROLE_GROUP), (Names{L"Mia", L"Zed"}));
}

TEST(RecipientList, FactNameShowsTheFirstParticipantOfTheGroup) {
    Session s;
    ChAddGroup(s.H(), 0, CHAT_ROLE_GROUP, CHAT_HOST_ROLE_GROUP, L"Host", 0, 0, 1, nullptr, 0, 0);
    s.Arrive({{2001, 40001, "Hana", QXCHAT_ROLE_HOST}});
    EXPECT_EQ(s.Texts().front(), L"Hana|(Host)|");
}

TEST(RecipientList, PrivilegesZeroOutsideStrictModeShowNoGroupButTheSeparatorAndDisableInput) {
    Session s;
    for (int nId : {1, 2, 3, 4, 7, 8, 15, 4096})
        AddMemberGroup(s, nId, nId == 4096 ? L" " : L"G");
    ChSetRosters(s.H(), 16);
    ChSetPrivilege(s.H(), 0);
    for (const Entry& e : s.Entries()) {
        ASSERT_NE(e.pData, nullptr);
        EXPECT_EQ(e.pData->IsShown(), e.pData->GroupId() == CHAT_SEPARATE_ROLE_GROUP) << e.pData->GroupId();
    }
    EXPECT_EQ(s.Selected(), -1);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(s.Dialog(), 101)));
}

TEST(RecipientList, TheDefaultSelectionFallsToTheDefaultGroupAndSurvivesARebuild) {
    Session s;
    AddMemberGroup(s, CHAT_HOST_ROLE_GROUP, L"Hosts");
    AddMemberGroup(s, CHAT_ALL_USERS_ROLE_GROUP, L"Everyone", 1);
    TraceCapture capture;
    ChSetPrivilege(s.H(), 0x1DF);
    EXPECT_EQ(s.Selected(), s.GroupEntry(CHAT_ALL_USERS_ROLE_GROUP));
    EXPECT_TRUE(capture.Contains(L"/---- CMainChatDlg::SetDefaultCurSel 3 ----/"));
    ChChatToGroup(s.H(), CHAT_ROLE_GROUP, CHAT_HOST_ROLE_GROUP);
    EXPECT_EQ(s.Selected(), s.GroupEntry(CHAT_HOST_ROLE_GROUP));
    ChSetPrivilege(s.H(), 0x1FF);
    EXPECT_EQ(s.Selected(), s.GroupEntry(CHAT_HOST_ROLE_GROUP)) << "the previous entry is kept";
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(s.Dialog(), 101)));
}

} // namespace

namespace {

TEST(RecipientList, EachRoleGroupDecisionIsTracedWithTheRosterFlagsWhereTheyMatter) {
    Session s(0, 0, QXCHAT_ROLE_UNKNOWN);
    ChSetRosterStatus(s.H(), 1, 0, 0);
    TraceCapture capture;
    for (int nId : {1, 4, 15, 4096})
        AddMemberGroup(s, nId, L"G");
    for (const wchar_t* line : {
             L"/**** MyOwnUserItem::MakeDataItem(CUsersGroup* pGroup) enter ****/",
             L"/---- MyOwnUserItem::MakeDataItem nGrpType == CHAT_ROLE_GROUP ----/",
             L"/---- MyOwnUserItem::MakeDataItem pGroup->GetGrpId() == CHAT_HOST_ROLE_GROUP,show = FALSE "
             L"----/",
             L"/---- MyOwnUserItem::MakeDataItem pGroup->GetGrpId() == CHAT_PANELIST_ROLE_GROUP,show = "
             L"FALSE,m_bNeedRosterInfo=1,m_bBroadcastRosterInfo = 0 ----/",
             L"/---- MyOwnUserItem::MakeDataItem pGroup->GetGrpId() == CHAT_ALL_USERS_ROLE_GROUP,show = "
             L"FALSE,m_bNeedRosterInfo=1,m_bBroadcastRosterInfo = 0,bForAllPaticipants=0 ----/",
             L"/---- MyOwnUserItem::MakeDataItem pGroup->GetGrpId() == CHAT_SEPARATE_ROLE_GROUP,show = TRUE "
             L"----/",
             L"/==== MyOwnUserItem::MakeDataItem(CUsersGroup* pGroup) end ====/",
             L"/---- CMainChatDlg::AddRoleGroup New Group ----/",
         })
        EXPECT_TRUE(capture.Contains(line)) << line;
}

} // namespace

// A participant without a selectable group gets its first chat partner from the arrivals: the
// newest attendee, at the entry it holds once the whole change is listed (later arrivals
// sorted in front of it move it down).
TEST(RecipientList, WithoutAChoosableGroupTheNewestAttendeeOfAChangeIsSelected) {
    Session s(0, QXCHAT_PRIV_MEMBER_LIST, QXCHAT_ROLE_ATTENDEE);
    AddMemberGroup(s, CHAT_ATTENDEES_GROUP_NEW, L"Attendees");
    s.Arrive({{2001, 40001, "Zed"}, {2002, 40002, "Amy"}, {2003, 40003, "Bea"}});
    ASSERT_GE(s.Selected(), 0);
    EXPECT_EQ(s.Entries()[s.Selected()].strText, L"Bea");
}
