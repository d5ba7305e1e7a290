#include "participants/UsersGroup.h"

#include <gtest/gtest.h>

#include "participants/UserItem.h"

namespace {

struct GroupSpec {
    int nType;
    int nId;
    const wchar_t* lpszName;
};

std::unique_ptr<CUsersGroup> MakeGroup(CUserList* pOwner, const GroupSpec& def) {
    auto pGroup = std::make_unique<CUsersGroup>(pOwner);
    pGroup->m_nType = def.nType;
    pGroup->m_nId = def.nId;
    pGroup->m_strName = def.lpszName;
    return pGroup;
}

class GroupListTest : public ::testing::Test {
protected:
    CUserList users;
    CUsersGroupList& groups = users.Groups();

    CUsersGroup* Append(const GroupSpec& def) {
        return groups.InsertGroup(groups.GetCount(), MakeGroup(&users, def));
    }
    CUserItem* AddUser(DWORD dwId, const wchar_t* lpszName, DWORD dwRoles) {
        auto pUser = std::make_unique<CUserItem>();
        pUser->m_dwNodeId = pUser->m_dwUserId = dwId;
        pUser->m_strName = lpszName;
        pUser->m_dwRosterInfo = dwRoles;
        return users.AddUser(std::move(pUser));
    }
};

TEST(UsersGroup, Defaults) {
    CUserList owner;
    CUsersGroup g(&owner);
    EXPECT_EQ(g.m_pOwner, &owner);
    EXPECT_EQ(g.m_nListPos, -1);
    EXPECT_EQ(g.m_nType, 0);
    EXPECT_EQ(g.GetGrpId(), 0);
    EXPECT_TRUE(g.m_strName.empty() && g.m_strLabel.empty() && g.m_strFactName.empty());
    EXPECT_TRUE(g.m_strRecentUserLabelFormat.empty());
    EXPECT_FALSE(g.m_bShowFactName || g.m_bShowMemberList || g.m_bDefault || g.m_bListedOnly);
    EXPECT_TRUE(g.m_bFlagBit2);
    EXPECT_TRUE(g.m_bVisible);
    EXPECT_FALSE(g.m_bDim || g.m_bSubscriptionPending);
    EXPECT_EQ(g.m_nIndex, 0);
    EXPECT_EQ(g.m_nInsertPos, 0);
    EXPECT_EQ(g.m_nRecentUserLimit, 20);
    EXPECT_EQ(g.m_CacheEntity.m_dwHandle, 0u);
    EXPECT_EQ(g.m_CacheEntity.m_szName[0], '\0');
    EXPECT_EQ(g.GetMemberCount(), 0);
    EXPECT_EQ(g.m_ItemData, ChatItemData());
}

TEST(UsersGroup, RecentUsersReadAsOffWithoutMemberList) {
    CUsersGroup g(nullptr);
    g.m_bShowRecentUsers = TRUE;
    EXPECT_FALSE(g.GetShowRecentUsers());
    g.m_bShowMemberList = TRUE;
    EXPECT_TRUE(g.GetShowRecentUsers());
}

TEST_F(GroupListTest, FindsByIdTypeAndNameWithoutRegardToCase) {
    Append({CHAT_HEADING_GROUP, 0, L""});
    CUsersGroup* pHosts = Append({CHAT_ROLE_GROUP, 1, L"Hosts"});
    CUsersGroup* pHosts2 = Append({CHAT_ROLE_GROUP, 1, L"Gastgeber"});
    CUsersGroup* pAll = Append({CHAT_ROLE_GROUP, 15, L"Everyone"});

    EXPECT_EQ(groups.FindById(1), pHosts);
    EXPECT_EQ(groups.FindById(99), nullptr);

    int nPos = 0;
    EXPECT_EQ(groups.FindGroup(CHAT_ROLE_GROUP, 15, L"eVERYONE", &nPos), pAll);
    EXPECT_EQ(nPos, 3);
    EXPECT_EQ(groups.FindGroup(CHAT_ROLE_GROUP, 1, nullptr, &nPos), pHosts);
    EXPECT_EQ(nPos, 1);
    EXPECT_EQ(groups.FindGroup(CHAT_ROLE_GROUP, 1, L"GASTGEBER", &nPos), pHosts2);
    EXPECT_EQ(nPos, 2);
    EXPECT_EQ(groups.FindGroup(CHAT_ROLE_GROUP, 1, L"Host", &nPos), nullptr);
    EXPECT_EQ(nPos, -1);
    EXPECT_EQ(groups.FindGroup(CHAT_HEADING_GROUP, 1, nullptr), nullptr); // type must match too
    EXPECT_EQ(groups.FindGroup2(CHAT_ROLE_GROUP, 15, L"everyone"), pAll);
    EXPECT_EQ(groups.FindGroup2(CHAT_ROLE_GROUP, 15, L"All"), nullptr);
}

TEST_F(GroupListTest, HostDrivenFindWithoutNamePrefersAnUnnamedGroupElseTheLastNamed) {
    Append({CHAT_ROLE_GROUP, 8, L"First"});
    CUsersGroup* pSecond = Append({CHAT_ROLE_GROUP, 8, L"Second"});
    EXPECT_EQ(groups.FindGroup2(CHAT_ROLE_GROUP, 8, nullptr), pSecond);
    CUsersGroup* pUnnamed = Append({CHAT_ROLE_GROUP, 8, L""});
    Append({CHAT_ROLE_GROUP, 8, L"Third"});
    EXPECT_EQ(groups.FindGroup2(CHAT_ROLE_GROUP, 8, nullptr), pUnnamed);
    EXPECT_EQ(groups.FindGroup2(CHAT_ROLE_GROUP, 9, nullptr), nullptr);
}

TEST_F(GroupListTest, RightsBasedInsertionKeepsIndexZero) {
    CUsersGroup* a = groups.InsertGroup(0, MakeGroup(&users, {1, 1, L"a"}));
    CUsersGroup* b = groups.InsertGroup(0, MakeGroup(&users, {1, 2, L"b"}));
    CUsersGroup* c = groups.InsertGroup(1, MakeGroup(&users, {1, 3, L"c"}));
    EXPECT_EQ(groups.InsertGroup(4, MakeGroup(&users, {1, 4, L"d"})), nullptr);
    EXPECT_EQ(groups.InsertGroup(-1, MakeGroup(&users, {1, 4, L"d"})), nullptr);
    EXPECT_EQ(groups.InsertGroup(0, nullptr), nullptr);
    ASSERT_EQ(groups.GetCount(), 3);
    EXPECT_EQ(groups.GetAt(0), b);
    EXPECT_EQ(groups.GetAt(1), c);
    EXPECT_EQ(groups.GetAt(2), a);
    for (CUsersGroup* g : {a, b, c})
        EXPECT_EQ(g->m_nIndex, 0);
}

TEST_F(GroupListTest, HostDrivenInsertionNumbersGroupsByCount) {
    CUsersGroup* a = groups.InsertGroupAfterIndex(0, MakeGroup(&users, {1, 1, L"a"})); // no group 0: front
    CUsersGroup* b = groups.InsertGroupAfterIndex(1, MakeGroup(&users, {1, 2, L"b"})); // after a
    CUsersGroup* c = groups.InsertGroupAfterIndex(7, MakeGroup(&users, {1, 3, L"c"})); // none: front
    ASSERT_TRUE(a && b && c);
    EXPECT_EQ(a->m_nIndex, 1);
    EXPECT_EQ(b->m_nIndex, 2);
    EXPECT_EQ(c->m_nIndex, 3);
    EXPECT_EQ(b->m_nInsertPos, 1);
    EXPECT_EQ(c->m_nInsertPos, 0);
    EXPECT_EQ(groups.GetAt(0), c);
    EXPECT_EQ(groups.GetAt(1), a);
    EXPECT_EQ(groups.GetAt(2), b);

    CUsersGroup* d = groups.InsertGroupAfterIndex(1, MakeGroup(&users, {1, 4, L"d"})); // after a
    EXPECT_EQ(groups.Find(d), 2);
    EXPECT_EQ(d->m_nInsertPos, 2);
    EXPECT_EQ(d->m_nIndex, 4);
    EXPECT_EQ(groups.FindByIndex(2), b);
    EXPECT_EQ(groups.FindByIndex(0), nullptr);

    // After a removal the next index repeats an existing one; the first in list order wins.
    EXPECT_TRUE(groups.RemoveGroup(1));
    CUsersGroup* e = groups.InsertGroupAfterIndex(3, MakeGroup(&users, {1, 5, L"e"}));
    EXPECT_EQ(e->m_nIndex, 4);
    EXPECT_EQ(d->m_nIndex, 4);
    EXPECT_EQ(groups.Find(e), 1); // right after c, in front of d
    EXPECT_EQ(groups.FindByIndex(4), e);
}

TEST_F(GroupListTest, RemoveGroupAndPanelistTest) {
    Append({1, 1, L"h"});
    Append({1, 4, L"p"});
    Append({1, 4, L"p2"});
    EXPECT_TRUE(groups.HasPanelistGroup());
    EXPECT_TRUE(groups.RemoveGroup(4));
    EXPECT_EQ(groups.GetCount(), 2);
    EXPECT_EQ(groups.GetAt(1)->m_strName, L"p2");
    EXPECT_TRUE(groups.RemoveGroup(4));
    EXPECT_FALSE(groups.HasPanelistGroup());
    EXPECT_FALSE(groups.RemoveGroup(4));
    EXPECT_EQ(groups.GetCount(), 1);
}

TEST_F(GroupListTest, FirstDefaultGroupMustBeShown) {
    CUsersGroup* hidden = Append({1, 1, L"a"});
    CUsersGroup* plain = Append({1, 2, L"b"});
    CUsersGroup* chosen = Append({1, 3, L"c"});
    CUsersGroup* later = Append({1, 4, L"d"});
    hidden->m_bDefault = TRUE;
    plain->m_ItemData.SetShown(TRUE);
    chosen->m_bDefault = TRUE;
    chosen->m_ItemData.SetShown(TRUE);
    later->m_bDefault = TRUE;
    later->m_ItemData.SetShown(TRUE);

    int nPos = 0;
    EXPECT_EQ(groups.FindDefaultGroup(0, &nPos), chosen);
    EXPECT_EQ(nPos, 2);
    EXPECT_EQ(groups.FindDefaultGroup(3, &nPos), later);
    EXPECT_EQ(groups.FindDefaultGroup(4, &nPos), nullptr);
    EXPECT_EQ(nPos, -1);
}

TEST_F(GroupListTest, EntriesBeforeAndListPositions) {
    EXPECT_EQ(groups.GetEntriesBefore(0), -1);
    CUsersGroup* empty = Append({1, 1, L"a"});
    CUsersGroup* three = Append({1, 15, L"b"});
    CUsersGroup* last = Append({1, 8, L"c"});
    for (int i = 0; i < 3; ++i)
        three->InsertMember(i, AddUser(i + 1, L"u", 0));

    EXPECT_EQ(groups.GetEntriesBefore(0), 0);
    EXPECT_EQ(groups.GetEntriesBefore(1), 1);
    EXPECT_EQ(groups.GetEntriesBefore(2), 5);
    EXPECT_EQ(groups.GetEntriesBefore(9), 6);

    groups.RecomputeListPositions();
    EXPECT_EQ(empty->m_nListPos, 0);
    EXPECT_EQ(three->m_nListPos, 1);
    EXPECT_EQ(last->m_nListPos, 5);

    // A group that disappeared keeps its old position and takes no room.
    three->m_bVisible = FALSE;
    empty->InsertMember(0, users.GetAt(0));
    groups.RecomputeVisibleListPositions();
    EXPECT_EQ(empty->m_nListPos, 0);
    EXPECT_EQ(three->m_nListPos, 1);
    EXPECT_EQ(last->m_nListPos, 2);
    groups.RecomputeListPositions();
    EXPECT_EQ(three->m_nListPos, 2);
    EXPECT_EQ(last->m_nListPos, 6);
}

TEST_F(GroupListTest, MembersInsertFindAndRemoveByUserId) {
    CUsersGroup* g = Append({1, 15, L"all"});
    CUserItem* a = AddUser(1, L"a", 0);
    CUserItem* b = AddUser(2, L"b", 0);
    CUserItem* c = AddUser(3, L"c", 0);
    EXPECT_TRUE(g->InsertMember(0, b));
    EXPECT_TRUE(g->InsertMember(0, a));
    EXPECT_TRUE(g->InsertMember(2, c));
    EXPECT_FALSE(g->InsertMember(4, c));
    EXPECT_FALSE(g->InsertMember(0, nullptr));
    EXPECT_EQ(g->FindMember(3), 2);
    EXPECT_EQ(g->FindMember(9), -1);
    EXPECT_EQ(g->RemoveMember(2), 1);
    EXPECT_EQ(g->RemoveMember(2), -1);
    ASSERT_EQ(g->GetMemberCount(), 2);
    EXPECT_EQ(g->GetMember(0), a);
    EXPECT_EQ(g->GetMember(1), c);
    EXPECT_EQ(users.GetCount(), 3); // members are not owned
    g->RemoveAllMembers();
    EXPECT_EQ(g->GetMemberCount(), 0);
    EXPECT_EQ(users.FindByUserId(1), a);
}

TEST_F(GroupListTest, FactNameText) {
    CUsersGroup* hosts = Append({CHAT_ROLE_GROUP, CHAT_HOST_ROLE_GROUP, L"Hosts"});
    CUsersGroup* heading = Append({CHAT_HEADING_GROUP, CHAT_HOST_ROLE_GROUP, L"Heading"});
    CUsersGroup* unnamed = Append({CHAT_ROLE_GROUP, CHAT_PANELIST_ROLE_GROUP, L""});
    for (CUsersGroup* g : {hosts, heading, unnamed})
        g->m_bShowFactName = TRUE;

    EXPECT_EQ(hosts->RefreshFactName(), L"Hosts"); // nobody yet
    EXPECT_EQ(unnamed->RefreshFactName(), L"");
    AddUser(1, L"Pia", QXCHAT_ROLE_PRESENTER);
    AddUser(2, L"Hal", QXCHAT_ROLE_HOST | QXCHAT_ROLE_PANELIST);
    AddUser(3, L"Hugo", QXCHAT_ROLE_HOST);
    EXPECT_EQ(hosts->RefreshFactName(), L"Hal|(Hosts)|"); // the first host in list order
    EXPECT_EQ(hosts->m_strFactName, L"Hal|(Hosts)|");
    EXPECT_EQ(heading->RefreshFactName(), L"Heading"); // only role groups
    hosts->m_bShowFactName = FALSE;
    EXPECT_EQ(hosts->RefreshFactName(), L"Hosts");
    EXPECT_EQ(hosts->SetFactNameFrom(*users.FindByNodeId(3)), L"Hugo|(Hosts)|");
}

TEST_F(GroupListTest, DestroyAllEmptiesTheList) {
    Append({1, 1, L"a"});
    Append({1, 2, L"b"});
    groups.DestroyAll();
    EXPECT_EQ(groups.GetCount(), 0);
    EXPECT_EQ(groups.FindById(1), nullptr);
    EXPECT_EQ(groups.GetUserList(), &users);
}

} // namespace
