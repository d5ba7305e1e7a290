// The subscription table: which group caches each combination of rights and roles calls for.
#include "engine/GroupSubscriptions.h"

#include "participants/OwnUserItem.h"

#include <gtest/gtest.h>

namespace {

using Plan = std::vector<QxGroupSubscription>;

Plan Expect(bool b1, bool b3, bool b4, bool b7, bool b2, bool b8) {
    return {{15, true}, {1, b1}, {3, b3}, {4, b4}, {7, b7}, {2, b2}, {8, b8}};
}

TEST(GroupSubscriptions, RolesAndRightsDecideEachGroup) {
    struct Case {
        const char* lpszWhat;
        DWORD dwPrivilege, dwRoles;
        Plan expected;
    } cases[] = {
        {"host role", PRIV_DEFAULT, QXCHAT_ROLE_HOST, Expect(true, true, true, true, false, false)},
        {"presenter role", PRIV_DEFAULT, QXCHAT_ROLE_PRESENTER, Expect(false, true, true, true, true, false)},
        {"host and presenter", PRIV_DEFAULT, QXCHAT_ROLE_HOST | QXCHAT_ROLE_PRESENTER,
         Expect(true, true, true, true, true, false)},
        {"panelist role", PRIV_DEFAULT, QXCHAT_ROLE_PANELIST, Expect(false, false, true, true, false, false)},
        {"attendee", PRIV_DEFAULT, QXCHAT_ROLE_ATTENDEE, Expect(false, false, false, false, false, true)},
        {"no role bits", PRIV_DEFAULT, 0, Expect(false, false, false, false, false, true)},
        {"role not told yet", PRIV_DEFAULT, QXCHAT_ROLE_UNKNOWN,
         Expect(false, false, false, false, false, false)},
        {"host rights by privilege", QXCHAT_PRIV_FULL_A, QXCHAT_ROLE_ATTENDEE,
         Expect(true, true, true, true, false, false)},
        {"presenter rights by privilege", QXCHAT_PRIV_FULL_B, QXCHAT_ROLE_ATTENDEE,
         Expect(false, true, true, true, true, false)},
        {"elevated by privilege", QXCHAT_PRIV_ELEVATED, QXCHAT_ROLE_ATTENDEE,
         Expect(false, false, true, true, false, false)},
    };
    for (const Case& c : cases) {
        COwnUserItem own;
        own.m_dwPrivilege = c.dwPrivilege;
        own.m_dwRoles = c.dwRoles;
        EXPECT_EQ(QxPlanGroupSubscriptions(1, own), c.expected) << c.lpszWhat;
    }
}

TEST(GroupSubscriptions, CustomerSupportMeetingsUseTheirTwoGroups) {
    struct Case {
        LONG lUserType;
        bool b3, b4;
    } cases[] = {{QXCHAT_USER_TYPE_NONE, false, false},
                 {QXCHAT_USER_TYPE_SUPPORTER_A, true, false},
                 {QXCHAT_USER_TYPE_SUPPORTER_B, true, false},
                 {QXCHAT_USER_TYPE_CUSTOMER_A, false, true},
                 {QXCHAT_USER_TYPE_CUSTOMER_B, false, true}};
    for (const Case& c : cases) {
        COwnUserItem own;
        own.m_dwRoles = QXCHAT_ROLE_HOST; // roles do not count in these meetings
        own.m_lUserType = c.lUserType;
        EXPECT_EQ(QxPlanGroupSubscriptions(3, own), (Plan{{15, true}, {3, c.b3}, {4, c.b4}})) << c.lUserType;
    }
}

} // namespace
