#include "participants/RoleGroups.h"

#include <gtest/gtest.h>

#include <set>

namespace {

const int kRoleGroups[] = {CHAT_HOST_ROLE_GROUP,
                           CHAT_PRESENTER_ROLE_GROUP,
                           CHAT_ALL_HOST_PRESENTER_ROLE_GROUP,
                           CHAT_PANELIST_ROLE_GROUP,
                           CHAT_ALL_HOST_PRESENTER_PANELIST_ROLE_GROUP,
                           CHAT_ATTENDEES_GROUP_NEW,
                           CHAT_ALL_USERS_ROLE_GROUP,
                           CHAT_SEPARATE_ROLE_GROUP};

std::set<int> GroupsOf(DWORD dwRoles) {
    std::set<int> groups;
    for (int g : kRoleGroups)
        if (IsRoleInGroup(dwRoles, g)) groups.insert(g);
    return groups;
}

TEST(RoleGroups, NamedCases) {
    EXPECT_EQ(GroupsOf(0), (std::set<int>{8, 15}));
    EXPECT_EQ(GroupsOf(QXCHAT_ROLE_PRESENTER), (std::set<int>{2, 3, 4, 7, 15}));
    EXPECT_EQ(GroupsOf(QXCHAT_ROLE_HOST), (std::set<int>{1, 3, 4, 7, 15}));
    EXPECT_EQ(GroupsOf(QXCHAT_ROLE_PANELIST), (std::set<int>{4, 7, 15}));
    EXPECT_EQ(GroupsOf(QXCHAT_ROLE_ATTENDEE), (std::set<int>{8, 15}));
    EXPECT_EQ(GroupsOf(QXCHAT_ROLE_UNKNOWN), std::set<int>{});
}

// Membership stated group by group: each group addresses some of the four kinds of
// participant; hosts and presenters are panelists too, and a participant without roles is an
// attendee.
TEST(RoleGroups, EveryRoleSetAgainstEveryGroup) {
    struct Addresses {
        int nId;
        bool bHosts, bPresenters, bPanelists, bAttendees;
    };
    const Addresses kTable[] = {
        {1, true, false, false, false}, {2, false, true, false, false},     {3, true, true, false, false},
        {4, false, false, true, false}, {7, true, true, true, false},       {8, false, false, false, true},
        {15, true, true, true, true},   {4096, false, false, false, false},
    };
    for (DWORD r = 0; r <= 31; ++r) {
        const bool bHost = r & 1, bPresenter = r & 2;
        const bool bPanelist = (r & 4) || bHost || bPresenter;
        const bool bAttendee = (r & 8) || r == 0;
        for (const Addresses& g : kTable) {
            const bool bExpected = (g.bHosts && bHost) || (g.bPresenters && bPresenter) ||
                                   (g.bPanelists && bPanelist) || (g.bAttendees && bAttendee);
            EXPECT_EQ(IsRoleInGroup(r, g.nId) != FALSE, bExpected) << "roles " << r << " group " << g.nId;
        }
    }
}

TEST(RoleGroups, EffectiveRoleSet) {
    EXPECT_EQ(EffectiveRoleSet(0), 8u);
    EXPECT_EQ(EffectiveRoleSet(1), 5u);
    EXPECT_EQ(EffectiveRoleSet(2), 6u);
    EXPECT_EQ(EffectiveRoleSet(8), 8u);
    EXPECT_EQ(EffectiveRoleSet(16), 16u);
}

} // namespace
