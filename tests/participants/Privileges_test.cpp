// Privileges and the host's group configuration through the exports: the host-driven model,
// ModifyGroup, repeated AddGroup, the privilege and roster-status updates, and the standard
// groups and recent users of conference mode 2.
#include "RecipientSession.h"

#include "TraceCapture.h"

#include <gtest/gtest.h>

using namespace recipienttest;

namespace {

using Names = std::vector<std::wstring>;
constexpr DWORD kHostGroups = 0x80000000UL;
constexpr LONG kVisible = 0x10;

// The ids of the listed groups in list order; every one has its own entry at its position.
std::vector<int> GroupIds(const Session& s) {
    std::vector<int> ids;
    const CUsersGroupList& groups = s.Dlg()->Users().Groups();
    const std::vector<Entry> entries = s.Entries();
    for (int i = 0; i < groups.GetCount(); ++i) {
        const CUsersGroup* p = groups.GetAt(i);
        const bool bHasEntry = p->m_nListPos >= 0 && p->m_nListPos < static_cast<int>(entries.size()) &&
                               entries[p->m_nListPos].pData == &p->m_ItemData;
        ids.push_back(bHasEntry ? p->m_nId : -1);
    }
    return ids;
}

TEST(HostDrivenGroups, IndexesCountGroupsAndTheFlagsDecideWhatIsListedAndChosen) {
    Session s(kHostGroups);
    EXPECT_EQ(
        ChAddGroup(s.H(), 0, CHAT_ROLE_GROUP, CHAT_HOST_ROLE_GROUP, L"Hosts", 0, 0, kVisible, nullptr, 0, 0),
        1);
    EXPECT_EQ(ChAddGroup(s.H(), 1, CHAT_ROLE_GROUP, CHAT_ALL_USERS_ROLE_GROUP, L"All", 0, 1, kVisible,
                         nullptr, 0, 0),
              2);
    EXPECT_EQ(
        ChAddGroup(s.H(), 0, CHAT_ROLE_GROUP, CHAT_PRESENTER_ROLE_GROUP, L"Gone", 0, 0, 0, nullptr, 0, 0), 3);
    EXPECT_EQ(s.Texts(), (Names{L"Hosts", L"All"})) << "a group whose visible flag is 0 is not listed";
    EXPECT_EQ(ChModifyGroup(s.H(), 1, 1, 1, 0, nullptr, nullptr, 0, 0), 1);
    const Entry host = s.Entries()[s.GroupEntry(CHAT_HOST_ROLE_GROUP)];
    EXPECT_FALSE(host.pData->IsShown()) << "dim: listed but not selectable";
    ChChatToGroupEx(s.H(), 2);
    EXPECT_EQ(s.Selected(), s.GroupEntry(CHAT_ALL_USERS_ROLE_GROUP));
}

TEST(HostDrivenGroups, ModifyGroupUndimsThenHidesAndAnUnknownIndexChangesNothing) {
    Session s(kHostGroups);
    ChAddGroup(s.H(), 0, CHAT_ROLE_GROUP, CHAT_HOST_ROLE_GROUP, L"Hosts", 0, 0, kVisible, nullptr, 0, 0);
    ChAddGroup(s.H(), 1, CHAT_ROLE_GROUP, CHAT_ALL_USERS_ROLE_GROUP, L"All", 0, 1, kVisible, nullptr, 0, 0);
    ChModifyGroup(s.H(), 1, 1, 1, 0, nullptr, nullptr, 0, 0);
    TraceCapture capture;
    EXPECT_EQ(ChModifyGroup(s.H(), 1, 3, 2, 0, nullptr, nullptr, 0, 0), 1);
    EXPECT_EQ(s.Texts(), Names{L"All"});
    const CUsersGroup* pHosts = s.Dlg()->Users().Groups().FindById(CHAT_HOST_ROLE_GROUP);
    EXPECT_FALSE(pHosts->m_bDim);
    EXPECT_FALSE(pHosts->m_bVisible);
    for (const wchar_t* line : {L"/**** CMainChatDlg::MakeGroupDim Enter: 0 ****/",
                                L"/**** CMainChatDlg::MakeGroupDisappear enter: lModifyvalue = 1 ****/",
                                L"/==== CMainChatDlg::ModifyGroup exit ====/"})
        EXPECT_TRUE(capture.Contains(line)) << line;
    // Appearing again puts it back in front, still undimmed.
    ChModifyGroup(s.H(), 1, 2, 0, 0, nullptr, nullptr, 0, 0);
    EXPECT_EQ(s.Texts(), (Names{L"Hosts", L"All"}));
    EXPECT_TRUE(s.Entries()[0].pData->IsShown());

    const Names before = s.Texts();
    const int nSelected = s.Selected();
    EXPECT_EQ(ChModifyGroup(s.H(), 77, 0x7F, 0x7F, 5, L"x", nullptr, 0, 0), 1);
    EXPECT_EQ(s.Texts(), before);
    EXPECT_EQ(s.Selected(), nSelected);
    EXPECT_TRUE(IsWindowEnabled(s.Box()));
}

TEST(HostDrivenGroups, ShowMemberListByModifyGroupListsAndRemovesMembersSorted) {
    Session s(kHostGroups);
    ChAddGroup(s.H(), 0, CHAT_ROLE_GROUP, CHAT_ALL_USERS_ROLE_GROUP, L"All", 0, 1, kVisible, nullptr, 0, 0);
    ChAddGroup(s.H(), 1, CHAT_ROLE_GROUP, CHAT_HOST_ROLE_GROUP, L"Hosts", 0, 0, kVisible, nullptr, 0, 0);
    s.Arrive({{2001, 40001, "Yves"}, {2002, 40002, "Xena"}});
    ChModifyGroup(s.H(), 1, 4, 4, 0, nullptr, nullptr, 0, 0);
    EXPECT_EQ(s.Texts(), (Names{L"All", L"Xena", L"Yves", L"Hosts"}));
    ChModifyGroup(s.H(), 1, 4, 0, 0, nullptr, nullptr, 0, 0);
    EXPECT_EQ(s.Texts(), (Names{L"All", L"Hosts"}));
}

TEST(HostDrivenGroups, TheLocalRightsDecideAvailabilityAsInTheRightsBasedModel) {
    // The host shows both groups; the local user may chat with neither hosts nor everyone, and
    // the rights refresh after each addition says so in this model too.
    Session s(kHostGroups, QXCHAT_PRIV_ATTENDEES | QXCHAT_PRIV_MEMBER_LIST);
    ChAddGroup(s.H(), 0, CHAT_ROLE_GROUP, CHAT_HOST_ROLE_GROUP, L"Hosts", 0, 0, kVisible, nullptr, 0, 0);
    ChAddGroup(s.H(), 1, CHAT_ROLE_GROUP, CHAT_ALL_USERS_ROLE_GROUP, L"All", 0, 1, kVisible, nullptr, 0, 0);
    ASSERT_EQ(s.Texts(), (Names{L"Hosts", L"All"}));
    auto shown = [&](int nId) { return s.Entries()[s.GroupEntry(nId)].pData->IsShown() != FALSE; };
    EXPECT_FALSE(shown(CHAT_HOST_ROLE_GROUP));
    EXPECT_FALSE(shown(CHAT_ALL_USERS_ROLE_GROUP));
    ChSetPrivilege(s.H(), 0x1FF);
    EXPECT_TRUE(shown(CHAT_HOST_ROLE_GROUP));
    EXPECT_TRUE(shown(CHAT_ALL_USERS_ROLE_GROUP));
    ChSetPrivilege(s.H(), static_cast<LONG>(0x1FF & ~QXCHAT_PRIV_CHAT_HOST));
    EXPECT_FALSE(shown(CHAT_HOST_ROLE_GROUP));
    EXPECT_FALSE(shown(CHAT_ALL_USERS_ROLE_GROUP)) << "everyone needs the host right too";
}

TEST(HostDrivenGroups, EachSpeakerGroupFollowsItsOwnChatRightWithItsMembers) {
    // The host shows the group with its members; the one right it needs decides whether the entry
    // can be chosen, and a rights refresh without it takes the members away too.
    struct Case {
        int nGroupId;
        const wchar_t* lpszName;
        DWORD dwRight;
        DWORD dwMemberRole;
    };
    const Case cases[] = {
        {CHAT_HOST_ROLE_GROUP, L"Hosts", QXCHAT_PRIV_CHAT_HOST, QXCHAT_ROLE_HOST},
        {CHAT_PRESENTER_ROLE_GROUP, L"Presenters", QXCHAT_PRIV_CHAT_PRESENTER, QXCHAT_ROLE_PRESENTER},
        {CHAT_ALL_HOST_PRESENTER_ROLE_GROUP, L"Both", QXCHAT_PRIV_CHAT_PRESENTER, QXCHAT_ROLE_PRESENTER},
        {CHAT_ALL_HOST_PRESENTER_ROLE_GROUP, L"Both", QXCHAT_PRIV_CHAT_HOST, QXCHAT_ROLE_HOST},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "group " << c.nGroupId << " without right " << c.dwRight);
        Session s(kHostGroups, QXCHAT_PRIV_ALL & ~c.dwRight);
        ChAddGroup(s.H(), 0, CHAT_ROLE_GROUP, c.nGroupId, c.lpszName, 1, 1, kVisible, nullptr, 0, 0);
        s.Arrive({{2001, 40001, "Yves", c.dwMemberRole}});
        ASSERT_GE(s.GroupEntry(c.nGroupId), 0);
        auto shown = [&] { return s.Entries()[s.GroupEntry(c.nGroupId)].pData->IsShown() != FALSE; };
        EXPECT_FALSE(shown());
        ChSetPrivilege(s.H(), QXCHAT_PRIV_ALL);
        EXPECT_TRUE(shown());
        EXPECT_EQ(s.MembersUnder(c.nGroupId), (Names{L"Yves"}));
        ChSetPrivilege(s.H(), static_cast<LONG>(QXCHAT_PRIV_ALL & ~c.dwRight));
        EXPECT_FALSE(shown());
        EXPECT_TRUE(s.MembersUnder(c.nGroupId).empty());
    }
}

TEST(GroupConfiguration, AddingTheSameGroupTwiceUpdatesItButHeadingsAlwaysAdd) {
    Session s;
    EXPECT_EQ(ChAddGroup(s.H(), 0, CHAT_ROLE_GROUP, CHAT_HOST_ROLE_GROUP, L"Hosts", 0, 0, 0, nullptr, 0, 0),
              0);
    TraceCapture capture;
    EXPECT_EQ(ChAddGroup(s.H(), 0, CHAT_ROLE_GROUP, CHAT_HOST_ROLE_GROUP, L"HOSTS", 1, 1, 0, nullptr, 0, 0),
              0);
    EXPECT_TRUE(capture.Contains(L"/---- CMainChatDlg::AddRoleGroup Existed Group ----/"));
    EXPECT_EQ(s.Dlg()->Users().Groups().GetCount(), 1);
    EXPECT_TRUE(s.Dlg()->Users().Groups().GetAt(0)->m_bShowMemberList);
    EXPECT_EQ(s.Texts().size(), 1u);
    ChAddGroup(s.H(), 1, CHAT_HEADING_GROUP, 0, nullptr, 0, 0, 0, nullptr, 0, 0);
    ChAddGroup(s.H(), 2, CHAT_HEADING_GROUP, 0, nullptr, 0, 0, 0, nullptr, 0, 0);
    EXPECT_EQ(s.Texts(), (Names{L"HOSTS", L"  ", L"  "}));
    EXPECT_EQ(ChAddGroup(s.H(), 0, 9, 1, L"Odd", 0, 0, 0, nullptr, 0, 0), -1);
    // A type-3 group is listed by a rebuild and can never be chosen.
    EXPECT_EQ(ChAddGroup(s.H(), 1, CHAT_UNSENDABLE_GROUP, 500, L"Note", 0, 0, 0, nullptr, 0, 0), 1);
    EXPECT_EQ(s.Texts(), (Names{L"HOSTS", L"Note", L"  ", L"  "}));
    EXPECT_EQ(s.Entries()[1].pData->Kind(), static_cast<DWORD>(CHAT_KIND_UNSENDABLE));
}

TEST(Privileges, TheCurrentValueStillUpdatesButDoesNotRebuild) {
    Session s;
    ChSetEventConfig(s.H(), QXCHAT_EVT_CONF_MODE, 2, 0, nullptr);
    const Names before = s.Texts();
    ASSERT_FALSE(before.empty());
    TraceCapture capture;
    ChSetPrivilege(s.H(), 0x1FF);
    EXPECT_TRUE(capture.Contains(L"/**** CMainChatDlg::SetPrivilege:lBit=511, oldBit=511 ****/"));
    EXPECT_TRUE(capture.Contains(L"/==== CMainChatDlg::HandlePrivilegeUpdate End ====/"));
    EXPECT_FALSE(capture.ContainsSubstring(L"AddRoleGroup enter"));
    EXPECT_EQ(s.Texts(), before);
}

TEST(Privileges, RosterStatusReEnrollsOnlyWhenAFlagFlips) {
    Session s;
    ChSetRosterStatus(s.H(), 0, 1, 0);
    const size_t nEnrolls = enginetest::CallsOf(QXNC_OP_ENROLL_APE).size();
    ChSetRosterStatus(s.H(), 1, 1, 0);
    EXPECT_EQ(enginetest::CallsOf(QXNC_OP_ENROLL_APE).size(), nEnrolls + 1);
    ChSetRosterStatus(s.H(), 1, 1, 0);
    EXPECT_EQ(enginetest::CallsOf(QXNC_OP_ENROLL_APE).size(), nEnrolls + 1);
}

TEST(ConferenceMode2, FullRightsBuildTheStandardGroups) {
    Session s;
    ChSetEventConfig(s.H(), QXCHAT_EVT_CONF_MODE, 2, 0, nullptr);
    EXPECT_EQ(GroupIds(s), (std::vector<int>{1, 2, 3, 0, 8, 4, 0, 15, 4096, 32}));
    EXPECT_EQ(s.Selected(), s.GroupEntry(CHAT_ALL_USERS_ROLE_GROUP)) << "everyone is the default";
}

TEST(ConferenceMode2, StrictModeWithoutRightsForAttendeesBuildsOnlyTheSpeakerGroups) {
    Session s(0, QXCHAT_PRIV_CHAT_HOST | QXCHAT_PRIV_CHAT_PRESENTER | QXCHAT_PRIV_ELEVATED,
              QXCHAT_ROLE_PANELIST);
    ChSetEventConfig(s.H(), QXCHAT_EVT_CONF_MODE, 2, 0, nullptr);
    ChSetEventConfig(s.H(), QXCHAT_EVT_STRICT_MODE, 1, 0, nullptr);
    EXPECT_EQ(GroupIds(s), (std::vector<int>{1, 2, 3}));
}

TEST(ConferenceMode2, TwentyOneAttendeesLeaveTheNewestTwentyAsRecentUsers) {
    Session s;
    ChSetEventConfig(s.H(), QXCHAT_EVT_CONF_MODE, 2, 0, nullptr);
    std::vector<Person> people;
    for (int i = 1; i <= 21; ++i)
        people.push_back(
            {static_cast<DWORD>(3000 + i), static_cast<DWORD>(50000 + i), "A" + std::to_string(100 + i)});
    s.Arrive(people);
    EXPECT_TRUE(s.MembersUnder(CHAT_SEPARATE_ROLE_GROUP).empty()) << "arrivals are no recent users";
    for (const Person& p : people)
        ChChatToAttendee(s.H(), p.dwNodeId);
    Names expected;
    for (int i = 21; i >= 2; --i)
        expected.push_back(L"A" + std::to_wstring(100 + i));
    EXPECT_EQ(s.MembersUnder(CHAT_SEPARATE_ROLE_GROUP), expected);
    EXPECT_EQ(s.Entries()[s.Selected()].strText, L"A121");
    // Chatting again with a listed one moves it to the front without dropping anybody.
    ChChatToAttendee(s.H(), 3010);
    EXPECT_EQ(s.MembersUnder(CHAT_SEPARATE_ROLE_GROUP).front(), L"A110");
    EXPECT_EQ(s.MembersUnder(CHAT_SEPARATE_ROLE_GROUP).size(), 20u);
}

TEST(ConferenceMode2, TheRecentUsersHeadingGoesWithTheLastRecentUser) {
    Session s;
    ChSetEventConfig(s.H(), QXCHAT_EVT_CONF_MODE, 2, 0, nullptr);
    s.Arrive({{3001, 50001, "Olga"}});
    EXPECT_EQ(ChAddAUser(s.H(), 3001, 0, 0, nullptr, nullptr, 0, 0), 0);
    EXPECT_EQ(ChAddAUser(s.H(), 9999, 0, 0, nullptr, nullptr, 0, 0), -1);
    EXPECT_EQ(GroupIds(s), (std::vector<int>{1, 2, 3, 0, 8, 4, 0, 15, 4096, 33, 32}));
    EXPECT_EQ(s.MembersUnder(CHAT_SEPARATE_ROLE_GROUP), Names{L"Olga"});
    // A rebuild keeps the recent users.
    ChSetPrivilege(s.H(), 0x1F7);
    ChSetPrivilege(s.H(), 0x1FF);
    EXPECT_EQ(s.MembersUnder(CHAT_SEPARATE_ROLE_GROUP), Names{L"Olga"});
    s.Leave({3001});
    EXPECT_EQ(GroupIds(s), (std::vector<int>{1, 2, 3, 0, 8, 4, 0, 15, 4096, 32}));
    EXPECT_EQ(s.Dlg()->Users().Groups().FindById(33), nullptr);
}

TEST(RecentUsers, LosingTheRightsOutsideConferenceMode2DeletesEverythingUpToThePrivateChatEntry) {
    Session s;
    ChSetEventConfig(s.H(), QXCHAT_EVT_CONF_MODE, 2, 0, nullptr);
    s.Arrive({{3001, 50001, "Olga"}, {3002, 50002, "Pete"}});
    ChAddAUser(s.H(), 3001, 0, 0, nullptr, nullptr, 0, 0);
    ChAddAUser(s.H(), 3002, 0, 0, nullptr, nullptr, 0, 0);
    ASSERT_EQ(GroupIds(s), (std::vector<int>{1, 2, 3, 0, 8, 4, 0, 15, 4096, 33, 32}));
    ASSERT_EQ(s.MembersUnder(CHAT_SEPARATE_ROLE_GROUP), (Names{L"Pete", L"Olga"}));
    // Another conference mode keeps the mode-2 flag; then the rights go.
    ChSetEventConfig(s.H(), QXCHAT_EVT_CONF_MODE, 3, 0, nullptr);
    ChSetPrivilege(s.H(), static_cast<LONG>(QXCHAT_PRIV_ATTENDEES | QXCHAT_PRIV_CHAT_HOST |
                                            QXCHAT_PRIV_CHAT_PRESENTER | QXCHAT_PRIV_MEMBER_LIST |
                                            QXCHAT_PRIV_CHAT_PANELIST));
    EXPECT_TRUE(s.MembersUnder(CHAT_SEPARATE_ROLE_GROUP).empty());
    EXPECT_EQ(GroupIds(s), (std::vector<int>{1, 2, 3, 0, 8, 4, 0, 15, 4096, 32}))
        << "the recent users' heading went with them";
    const int nSeparator = s.GroupEntry(CHAT_SEPARATE_ROLE_GROUP);
    ASSERT_GE(nSeparator, 0);
    EXPECT_EQ(s.Entries()[nSeparator + 1].pData->GroupId(), CHAT_PRIVATE_CHAT_GROUP);
}

} // namespace
