#include "participants/UserItem.h"

#include <gtest/gtest.h>

#include <iterator>
#include <vector>

#include "TraceCapture.h"

namespace {

std::unique_ptr<CUserItem> MakeUser(DWORD dwNodeId, DWORD dwUserId, const wchar_t* lpszName,
                                    DWORD dwRoles = 0, DWORD dwCustomerId = 0) {
    auto pUser = std::make_unique<CUserItem>();
    pUser->m_dwNodeId = dwNodeId;
    pUser->m_dwUserId = dwUserId;
    pUser->m_strName = lpszName;
    pUser->m_dwRosterInfo = dwRoles;
    pUser->m_dwCustomerId = dwCustomerId;
    return pUser;
}

TEST(UserItem, NewRecordDefaults) {
    CUserItem user;
    EXPECT_EQ(user.m_nExcludedGroupId, 100);
    EXPECT_EQ(user.m_dwRosterInfo, 0u);
    EXPECT_EQ(user.m_lVisible, 1);
    EXPECT_EQ(user.m_bFirstMessage, TRUE);
    EXPECT_EQ(user.m_dwUserId, 0u);
    EXPECT_TRUE(user.m_strName.empty());
    EXPECT_EQ(user.m_ItemData.Kind(), static_cast<DWORD>(CHAT_KIND_USER));
    EXPECT_TRUE(user.m_ItemData.IsShown());
    EXPECT_EQ(user.m_ItemData.m_dwData[CHAT_DATA_PRIVATE], 1u);
}

TEST(UserItem, CopyTakesAllFieldsAndRebuildsTheEntry) {
    CUserItem src;
    src.m_nExcludedGroupId = 4;
    src.m_lUserType = 3;
    src.m_lVisible = 0;
    src.m_bFirstMessage = FALSE;
    src.m_dwRosterInfo = 2;
    src.m_dwUserId = 77;
    src.m_dwNodeId = 5;
    src.m_strName = L"Ann";
    src.m_strFirstName = L"A";
    src.m_strLastName = L"B";
    src.m_strPhone = L"1";
    src.m_strEmail = L"a@b";
    src.m_dwCustomerId = 9;
    src.m_ItemData.SetShown(FALSE); // entry state of a listed record

    CUserItem copy(src);
    EXPECT_EQ(copy.m_nExcludedGroupId, 4);
    EXPECT_EQ(copy.m_lUserType, 3);
    EXPECT_EQ(copy.m_lVisible, 0);
    EXPECT_EQ(copy.m_bFirstMessage, FALSE);
    EXPECT_EQ(copy.m_dwRosterInfo, 2u);
    EXPECT_EQ(copy.m_dwNodeId, 5u);
    EXPECT_EQ(copy.m_strName, L"Ann");
    EXPECT_EQ(copy.m_strFirstName + copy.m_strLastName + copy.m_strPhone + copy.m_strEmail, L"AB1a@b");
    EXPECT_EQ(copy.m_dwCustomerId, 9u);
    ChatItemData expected;
    expected.InitUser(77);
    EXPECT_EQ(copy.m_ItemData, expected);

    CUserItem assigned;
    assigned = src;
    EXPECT_EQ(assigned.m_ItemData, expected);
    EXPECT_EQ(assigned.m_strEmail, L"a@b");
}

// The sort keys order names exactly as lstrcmpiW does, equal names included (also names too
// long for the key's first buffer), and follow a changed name.
TEST(UserItem, NamesCompareByKeyAsLstrcmpiDoes) {
    const std::wstring longA(300, L'a'), longB = longA + L"B", longC = std::wstring(299, L'A') + L"b";
    const wchar_t* names[] = {longA.c_str(),
                              longB.c_str(),
                              longC.c_str(),
                              L"alice",
                              L"Alice",
                              L"ALICE",
                              L"alicE ",
                              L"al ice",
                              L"al-ice",
                              L"alice2",
                              L"alice10",
                              L"Bob",
                              L"bob",
                              L"b\u00F6b",
                              L"B\u00D6B",
                              L"boB",
                              L"co-op",
                              L"coop",
                              L"co'op",
                              L"\u00E9t\u00E9",
                              L"ete",
                              L"\u00C9TE",
                              L"stra\u00DFe",
                              L"strasse",
                              L"Zo\u00EB",
                              L"zoe",
                              L"\u5F20\u4E09",
                              L"\u674E\u56DB",
                              L"1",
                              L"10",
                              L"9",
                              L"_x",
                              L"x",
                              L"\u00C5ngstr\u00F6m"};
    std::vector<CUserItem> users(std::size(names));
    for (size_t i = 0; i < users.size(); ++i)
        users[i].m_strName = names[i];
    auto sign = [](int n) { return n < 0 ? -1 : (n > 0 ? 1 : 0); };
    for (const CUserItem& a : users) {
        EXPECT_FALSE(a.NameSortKey().empty()) << a.m_strName.size();
        for (const CUserItem& b : users)
            EXPECT_EQ(sign(QxCompareUserNames(a, b)),
                      sign(lstrcmpiW(a.m_strName.c_str(), b.m_strName.c_str())))
                << std::string(a.m_strName.begin(), a.m_strName.end()) << " / "
                << std::string(b.m_strName.begin(), b.m_strName.end());
    }
    CUserItem x, y;
    x.m_strName = L"Carl";
    y.m_strName = L"dora";
    ASSERT_LT(QxCompareUserNames(x, y), 0);
    x.m_strName = L"Eve";
    EXPECT_GT(QxCompareUserNames(x, y), 0) << "the key follows the new name";
}

TEST(UserItem, RosterUpdateKeepsMacroFieldsAndCustomerId) {
    CUserItem listed;
    listed.m_strFirstName = L"Old";
    listed.m_dwCustomerId = 12;
    CUserItem changed;
    changed.m_dwUserId = 3;
    changed.m_dwNodeId = 4;
    changed.m_strName = L"New";
    changed.m_dwRosterInfo = 1;
    changed.m_lUserType = 2;
    changed.m_lVisible = 0;
    changed.m_nExcludedGroupId = 8;
    changed.m_strFirstName = L"Other";
    changed.m_dwCustomerId = 13;
    listed.UpdateFromRoster(changed);
    EXPECT_EQ(listed.m_dwUserId, 3u);
    EXPECT_EQ(listed.m_dwNodeId, 4u);
    EXPECT_EQ(listed.m_strName, L"New");
    EXPECT_EQ(listed.m_dwRosterInfo, 1u);
    EXPECT_EQ(listed.m_lUserType, 2);
    EXPECT_EQ(listed.m_lVisible, 0);
    EXPECT_EQ(listed.m_nExcludedGroupId, 8);
    EXPECT_EQ(listed.m_strFirstName, L"Old");
    EXPECT_EQ(listed.m_dwCustomerId, 12u);
}

class UserListTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(list.AddUser(MakeUser(10, 100, L"Hal", QXCHAT_ROLE_HOST)), nullptr);
        ASSERT_NE(list.AddUser(MakeUser(20, 200, L"Pia", QXCHAT_ROLE_PRESENTER)), nullptr);
        ASSERT_NE(list.AddUser(MakeUser(30, 300, L"Pan", QXCHAT_ROLE_PANELIST)), nullptr);
        ASSERT_NE(list.AddUser(MakeUser(40, 400, L"Att", QXCHAT_ROLE_ATTENDEE)), nullptr);
        ASSERT_NE(list.AddUser(MakeUser(50, 500, L"HostPanel", QXCHAT_ROLE_HOST | QXCHAT_ROLE_PANELIST)),
                  nullptr);
    }
    CUserList list;
};

TEST_F(UserListTest, LookupsByNodeAndUserId) {
    ASSERT_EQ(list.GetCount(), 5);
    EXPECT_EQ(list.GetAt(1)->m_strName, L"Pia"); // arrival order
    EXPECT_EQ(list.FindByNodeId(30)->m_strName, L"Pan");
    EXPECT_EQ(list.FindByNodeId(31), nullptr);
    EXPECT_EQ(list.FindByUserId(400)->m_dwNodeId, 40u);
    EXPECT_EQ(list.FindByUserId(401), nullptr);
    EXPECT_STREQ(list.GetNameByUserId(200), L"Pia");
    EXPECT_EQ(list.GetNameByUserId(201), nullptr);
    EXPECT_EQ(list.GetNodeIdByUserId(500), 50u);
    EXPECT_EQ(list.GetNodeIdByUserId(501), 0u);
    EXPECT_EQ(list.GetUserIdByNodeId(10), 100u);
    EXPECT_EQ(list.GetUserIdByNodeId(11), 0u);
}

TEST_F(UserListTest, RoleTestsAnswerTwoForUnknownNodes) {
    struct Row {
        DWORD dwNode, dwHost, dwPresenter, dwAnySpeaker, dwPanelistOnly;
    };
    const Row kRows[] = {
        {10, 1, 0, 1, 0}, {20, 0, 2, 2, 0}, {30, 0, 0, 4, 4},
        {40, 0, 0, 0, 0}, {50, 1, 0, 4, 4}, {99, 2, 2, 2, 2},
    };
    for (const Row& r : kRows) {
        EXPECT_EQ(list.IsHost(r.dwNode), r.dwHost) << r.dwNode;
        EXPECT_EQ(list.IsPresenter(r.dwNode), r.dwPresenter) << r.dwNode;
        EXPECT_EQ(list.IsPanelist(r.dwNode, FALSE), r.dwAnySpeaker) << r.dwNode;
        EXPECT_EQ(list.IsPanelist(r.dwNode, TRUE), r.dwPanelistOnly) << r.dwNode;
    }
}

TEST_F(UserListTest, RoleTestCopiesTheUser) {
    CUserItem copy;
    EXPECT_EQ(list.IsPresenter(20, &copy), 2u);
    EXPECT_EQ(copy.m_dwUserId, 200u);
    EXPECT_EQ(copy.m_dwNodeId, 20u);
    EXPECT_EQ(copy.m_dwRosterInfo, 2u);
    EXPECT_EQ(copy.m_strName, L"Pia");

    CUserItem untouched;
    EXPECT_EQ(list.IsHost(99, &untouched), 2u);
    EXPECT_EQ(untouched.m_dwUserId, 0u);
}

TEST_F(UserListTest, DuplicateTests) {
    EXPECT_EQ(list.FindDuplicate(*MakeUser(20, 200, L""), FALSE), 20u);
    EXPECT_EQ(list.FindDuplicate(*MakeUser(20, 201, L""), FALSE), 0u);

    list.GetAt(2)->m_dwCustomerId = 7;
    list.GetAt(3)->m_dwCustomerId = 7;
    auto pReturning = MakeUser(60, 600, L"", 0, 7);
    EXPECT_EQ(list.FindDuplicate(*pReturning, TRUE), 30u); // the first with that customer id
    EXPECT_EQ(list.FindDuplicate(*pReturning, FALSE), 0u);
    EXPECT_EQ(list.FindDuplicate(*MakeUser(60, 600, L"", 0, 8), TRUE), 0u);

    // Customer id 0 is "none": it never matches another participant without one, and the
    // record falls back to the node and user id rule.
    EXPECT_EQ(list.FindDuplicate(*MakeUser(60, 600, L""), TRUE), 0u);
    EXPECT_EQ(list.FindDuplicate(*MakeUser(40, 400, L""), TRUE), 40u);
}

TEST_F(UserListTest, CountsSpeakers) {
    EXPECT_EQ(list.CountSpeakers(TRUE), 4);
    EXPECT_EQ(list.CountSpeakers(FALSE), 1);
    CUserList attendees;
    attendees.AddUser(MakeUser(1, 1, L"a", 0));
    attendees.AddUser(MakeUser(2, 2, L"b", QXCHAT_ROLE_ATTENDEE | QXCHAT_ROLE_UNKNOWN));
    EXPECT_EQ(attendees.CountSpeakers(TRUE), 0);
    EXPECT_EQ(attendees.CountSpeakers(FALSE), 0);
}

TEST_F(UserListTest, RemoveDestroysAndUnlistsEverywhere) {
    auto pGroup = std::make_unique<CUsersGroup>(&list);
    CUsersGroup* pListed = list.Groups().InsertGroup(0, std::move(pGroup));
    ASSERT_NE(pListed, nullptr);
    pListed->InsertMember(0, list.FindByNodeId(20));
    pListed->InsertMember(1, list.FindByNodeId(40));

    EXPECT_EQ(list.RemoveUser(20), 1);
    EXPECT_EQ(list.RemoveUser(20), 2);
    EXPECT_EQ(list.FindByNodeId(20), nullptr);
    EXPECT_EQ(list.FindByUserId(200), nullptr);
    EXPECT_EQ(list.GetCount(), 4);
    ASSERT_EQ(pListed->GetMemberCount(), 1);
    EXPECT_EQ(pListed->GetMember(0)->m_dwUserId, 400u);
}

TEST_F(UserListTest, SecondRecordForANodeIsRefusedAndTraced) {
    TraceCapture trace;
    EXPECT_EQ(list.AddUser(MakeUser(30, 301, L"Again")), nullptr);
    EXPECT_EQ(list.GetCount(), 5);
    EXPECT_EQ(list.FindByNodeId(30)->m_strName, L"Pan");
    EXPECT_TRUE(trace.Contains(L"Fail: CUserList::AddUser: node id 30 is already listed")) << trace.Dump();
    EXPECT_EQ(list.AddUser(nullptr), nullptr);
}

TEST_F(UserListTest, DestroyAllEmptiesUsersIndexAndGroups) {
    list.Groups().InsertGroup(0, std::make_unique<CUsersGroup>(&list));
    list.DestroyAll();
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_EQ(list.FindByNodeId(10), nullptr);
    EXPECT_EQ(list.Groups().GetCount(), 0);
    // A node id may be listed again afterwards.
    EXPECT_NE(list.AddUser(MakeUser(10, 100, L"Hal")), nullptr);
}

} // namespace
