#include "participants/UsersGroup.h"

#include <gtest/gtest.h>

#include "participants/UserItem.h"

#include <random>
#include <string>
#include <vector>

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

// Names for the arrival tests: many equal without regard to case, in no sorted order.
std::vector<std::wstring> ShuffledNames(int nCount, unsigned nSeed) {
    std::mt19937 random(nSeed);
    std::vector<std::wstring> names;
    for (int i = 0; i < nCount; ++i)
        names.push_back(std::wstring(random() % 2 ? L"user " : L"User ") +
                        std::to_wstring(random() % static_cast<unsigned>(nCount / 3 + 2)));
    return names;
}

// Arrivals placed together take exactly the places that inserting them one by one at their
// member place gives them, in small and large runs, with equal names among the members and the
// arrivals, and on members out of name order or without a name (then placed one by one).
TEST_F(GroupListTest, ArrivalsTakeThePlacesOneByOneInsertionGivesThem) {
    enum Setup { SORTED, NEWEST_FIRST, NAMELESS_MEMBER };
    struct Case {
        const char* what;
        std::vector<std::wstring> members, arrivals;
        Setup setup;
    } cases[] = {
        {"a few", {L"b", L"d"}, {L"c", L"a", L"e"}, SORTED},
        {"equal names", {L"Ann", L"ann", L"Bob"}, {L"ANN", L"bob", L"Ann", L"bob", L"aNN"}, SORTED},
        {"into an empty group", {}, ShuffledNames(2000, 1), SORTED},
        {"many on many", ShuffledNames(1500, 2), ShuffledNames(1500, 3), SORTED},
        {"one on many", ShuffledNames(700, 4), {L"user 5"}, SORTED},
        {"members out of order", {L"z", L"a", L"m", L"a"}, {L"b", L"a", L"zz", L"m"}, NEWEST_FIRST},
        {"a nameless member", {L"k", L"", L"c"}, ShuffledNames(40, 5), NAMELESS_MEMBER},
    };
    DWORD dwId = 1;
    for (const Case& c : cases) {
        CUsersGroup* pOneByOne = Append({CHAT_ROLE_GROUP, CHAT_ALL_USERS_ROLE_GROUP, L"one by one"});
        CUsersGroup* pTogether = Append({CHAT_ROLE_GROUP, CHAT_ALL_USERS_ROLE_GROUP, L"together"});
        for (const std::wstring& name : c.members) {
            CUserItem* pUser = AddUser(dwId++, name.c_str(), QXCHAT_ROLE_ATTENDEE);
            for (CUsersGroup* g : {pOneByOne, pTogether}) {
                const int nPlace = c.setup == SORTED ? g->FindMemberPlace(*pUser) : 0;
                ASSERT_TRUE(g->InsertMember(c.setup == NAMELESS_MEMBER && name.empty() ? 1 : nPlace, pUser));
            }
        }
        std::vector<CUserItem*> arrivals;
        for (const std::wstring& name : c.arrivals) {
            arrivals.push_back(AddUser(dwId++, name.c_str(), QXCHAT_ROLE_ATTENDEE));
            const int nPlace = pOneByOne->FindMemberPlace(*arrivals.back());
            ASSERT_GE(nPlace, 0) << c.what;
            pOneByOne->InsertMember(nPlace, arrivals.back());
            pTogether->AddArrival(arrivals.back());
        }
        EXPECT_EQ(pTogether->GetMemberCount(), pOneByOne->GetMemberCount()) << "arrivals count at once";
        for (int i = 0; i < pOneByOne->GetMemberCount(); ++i)
            ASSERT_EQ(pTogether->GetMember(i), pOneByOne->GetMember(i)) << c.what << ", member " << i;
        // Placed, an arrival is listed already: it is not placed a second time.
        for (CUserItem* pUser : arrivals)
            ASSERT_EQ(pTogether->FindMemberPlace(*pUser), -1) << c.what;
        groups.RemoveGroup(CHAT_ALL_USERS_ROLE_GROUP);
        groups.RemoveGroup(CHAT_ALL_USERS_ROLE_GROUP);
    }
}

// Whatever reads or changes the members sees the arrivals in their places; a participant who
// leaves before the arrivals are placed is gone from them too, and a group emptied drops them.
TEST_F(GroupListTest, ArrivalsAreMembersForEveryReadAndChange) {
    CUsersGroup* g = Append({CHAT_ROLE_GROUP, CHAT_ALL_USERS_ROLE_GROUP, L"Everyone"});
    CUserItem* bob = AddUser(1, L"bob", QXCHAT_ROLE_ATTENDEE);
    ASSERT_TRUE(g->InsertMember(0, bob));
    CUserItem* cid = AddUser(2, L"Cid", QXCHAT_ROLE_ATTENDEE);
    CUserItem* amy = AddUser(3, L"amy", QXCHAT_ROLE_ATTENDEE);
    g->AddArrival(cid);
    g->AddArrival(amy);
    EXPECT_EQ(g->FindMember(2), 2);
    g->AddArrival(AddUser(4, L"Abe", QXCHAT_ROLE_ATTENDEE));
    EXPECT_EQ(g->RemoveMember(1), 2) << "bob, behind Abe and amy";
    g->AddArrival(AddUser(5, L"dan", QXCHAT_ROLE_ATTENDEE));
    EXPECT_TRUE(g->InsertMember(0, bob));
    EXPECT_EQ(g->GetMember(4)->m_strName, L"dan");
    g->AddArrival(AddUser(6, L"Eve", QXCHAT_ROLE_ATTENDEE));
    EXPECT_EQ(users.RemoveUser(6), 1);
    EXPECT_EQ(users.RemoveUser(3), 1);
    std::vector<std::wstring> names;
    for (int i = 0; i < g->GetMemberCount(); ++i)
        names.push_back(g->GetMember(i)->m_strName);
    EXPECT_EQ(names, (std::vector<std::wstring>{L"bob", L"Abe", L"Cid", L"dan"}));
    g->AddArrival(AddUser(7, L"Fay", QXCHAT_ROLE_ATTENDEE));
    g->RemoveAllMembers();
    EXPECT_EQ(g->GetMemberCount(), 0);
    groups.PlaceArrivals();
    EXPECT_EQ(g->GetMemberCount(), 0);
}

} // namespace
