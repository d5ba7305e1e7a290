#include "participants/OwnUserItem.h"

#include <gtest/gtest.h>

namespace {

TEST(OwnUserItem, Defaults) {
    COwnUserItem own;
    EXPECT_EQ(own.m_pOwner, nullptr);
    EXPECT_EQ(own.m_dwOwnUserId, 0u);
    EXPECT_EQ(own.m_dwOwnNodeId, 0u);
    EXPECT_EQ(own.GetOwnName(), nullptr);
    EXPECT_EQ(own.m_bListReady, TRUE);
    EXPECT_EQ(own.m_bNeedRosterInfo, 1);
    EXPECT_EQ(own.m_bBroadcastRosterInfo, 1);
    EXPECT_TRUE(own.IsRosterShared());
    EXPECT_EQ(own.m_bAllUsersOverride, FALSE);
    EXPECT_EQ(own.m_lAllUsersValue, 1);
    EXPECT_EQ(own.m_dwPrivilege, 0x100u);
    EXPECT_EQ(own.m_dwRoles, 16u);
    EXPECT_EQ(own.m_lUserType, 0);
    EXPECT_EQ(own.m_pGroupList, nullptr);
    EXPECT_EQ(own.m_pUserList, nullptr);
}

TEST(OwnUserItem, SettersKeepThePreviousValue) {
    COwnUserItem own;
    EXPECT_FALSE(own.SetPrivilege(0x100));
    EXPECT_TRUE(own.SetPrivilege(0x6));
    EXPECT_EQ(own.m_dwPrevPrivilege, 0x100u);
    EXPECT_FALSE(own.SetPrivilege(0x6)); // same value: the previous one stays
    EXPECT_EQ(own.m_dwPrevPrivilege, 0x100u);
    EXPECT_EQ(own.m_dwPrivilege, 0x6u);

    EXPECT_TRUE(own.SetRoles(2));
    EXPECT_FALSE(own.SetRoles(2));
    EXPECT_EQ(own.m_dwPrevRoles, 16u);

    EXPECT_TRUE(own.SetUserType(3));
    EXPECT_FALSE(own.SetUserType(3)); // saved even when unchanged
    EXPECT_EQ(own.m_lPrevUserType, 3);
    EXPECT_TRUE(own.SetUserType(0));
    EXPECT_EQ(own.m_lPrevUserType, 3);
}

TEST(OwnUserItem, OwnNameIsAnOwnedCopy) {
    COwnUserItem own;
    wchar_t szName[] = L"Ada";
    own.SetOwnName(szName);
    szName[0] = L'X';
    EXPECT_STREQ(own.GetOwnName(), L"Ada");
    own.SetOwnName(L"");
    EXPECT_STREQ(own.GetOwnName(), L"");
    own.SetOwnName(nullptr);
    EXPECT_EQ(own.GetOwnName(), nullptr);
}

// Columns: privileges, roles, strict; then full rights, elevated, host, presenter, panelist,
// host and presenter, host-presenter-panelist, plain attendee.
struct RightsRow {
    DWORD dwPriv, dwRoles;
    BOOL bStrict;
    int full, elev, host, pres, pan, hp, hpp, plain;
};

const RightsRow kRights[] = {
    {0x100, 16, FALSE, 0, 0, 0, 0, 0, 0, 0, 0}, // defaults: role unknown, not plain
    {0x100, 8, FALSE, 0, 0, 0, 0, 0, 0, 0, 1},
    {0x002, 8, FALSE, 0, 0, 1, 0, 0, 0, 0, 1},
    {0x002, 8, TRUE, 0, 0, 0, 0, 0, 0, 0, 1}, // strict: not elevated refuses
    {0x004, 0, FALSE, 0, 0, 0, 1, 0, 0, 0, 1},
    {0x006, 16, FALSE, 0, 0, 1, 1, 0, 1, 0, 0},
    {0x046, 8, FALSE, 0, 0, 1, 1, 1, 1, 1, 1},
    {0x046, 8, TRUE, 0, 0, 0, 0, 0, 0, 0, 1},
    {0x010, 8, FALSE, 1, 1, 0, 0, 0, 0, 0, 0}, // full rights alone grant nothing outside strict
    {0x010, 8, TRUE, 1, 1, 1, 1, 1, 1, 1, 0},
    {0x020, 0, TRUE, 1, 1, 1, 1, 1, 1, 1, 0},
    {0x000, 1, TRUE, 1, 1, 1, 1, 1, 1, 1, 0}, // host role
    {0x000, 2, TRUE, 1, 1, 1, 1, 1, 1, 1, 0}, // presenter role
    {0x000, 1, FALSE, 1, 1, 0, 0, 0, 0, 0, 0},
    {0x086, 8, TRUE, 0, 1, 1, 1, 0, 1, 0, 0}, // elevated by privilege
    {0x080, 8, TRUE, 0, 1, 0, 0, 0, 0, 0, 0},
    {0x046, 4, TRUE, 0, 1, 1, 1, 1, 1, 1, 0}, // elevated by the panelist role
    {0x042, 4, TRUE, 0, 1, 1, 0, 1, 0, 0, 0},
    {0x000, 4, FALSE, 0, 1, 0, 0, 0, 0, 0, 0},
    {0x0ff, 24, FALSE, 1, 1, 1, 1, 1, 1, 1, 0},
};

TEST(OwnUserItem, RightsTests) {
    for (const RightsRow& r : kRights) {
        COwnUserItem own;
        own.m_dwPrivilege = r.dwPriv;
        own.m_dwRoles = r.dwRoles;
        const BOOL s = r.bStrict;
        SCOPED_TRACE(testing::Message() << std::hex << "priv 0x" << r.dwPriv << std::dec << " roles "
                                        << r.dwRoles << " strict " << s);
        EXPECT_EQ(own.HasFullRights() != FALSE, r.full != 0);
        EXPECT_EQ(own.IsElevated() != FALSE, r.elev != 0);
        EXPECT_EQ(own.CanChatWithHost(s) != FALSE, r.host != 0);
        EXPECT_EQ(own.CanChatWithPresenter(s) != FALSE, r.pres != 0);
        EXPECT_EQ(own.CanChatWithPanelist(s) != FALSE, r.pan != 0);
        EXPECT_EQ(own.CanChatWithHostAndPresenter(s) != FALSE, r.hp != 0);
        EXPECT_EQ(own.CanChatWithHostPresenterPanelist(s) != FALSE, r.hpp != 0);
        EXPECT_EQ(own.IsPlainAttendee() != FALSE, r.plain != 0);
    }
}

TEST(OwnUserItem, MemberListRightAndRosterFlags) {
    COwnUserItem own;
    EXPECT_FALSE(own.HasMemberListRight());
    own.m_dwPrivilege = 0x8;
    EXPECT_TRUE(own.HasMemberListRight());
    own.m_dwPrivilege = 0xf7;
    EXPECT_FALSE(own.HasMemberListRight());

    own.m_bNeedRosterInfo = 2; // stored unchanged, but only 1 counts
    EXPECT_FALSE(own.IsRosterShared());
    own.m_bNeedRosterInfo = 1;
    own.m_bBroadcastRosterInfo = 0;
    EXPECT_FALSE(own.IsRosterShared());
}

TEST(OwnUserItem, CustomerSupportUserTypes) {
    struct Row {
        LONG lType;
        bool bSupporter, bCustomer, bAny;
    };
    const Row kRows[] = {{0, false, false, false}, {1, true, false, true}, {2, true, false, true},
                         {3, false, true, true},   {4, false, true, true}, {5, false, false, true},
                         {-1, false, false, true}};
    for (const Row& r : kRows) {
        COwnUserItem own;
        own.SetUserType(r.lType);
        EXPECT_EQ(own.IsSupporter() != FALSE, r.bSupporter) << r.lType;
        EXPECT_EQ(own.IsCustomer() != FALSE, r.bCustomer) << r.lType;
        EXPECT_EQ(own.HasSupportUserType() != FALSE, r.bAny) << r.lType;
    }
}

} // namespace
