// The recipient list's logic on entries held in memory, without a window: the order of groups
// and members, the choosing rules and the remembered entry, and the batch that fills the list
// once, which must end with the same list as the changes made entry by entry.
#include "MemoryEntryList.h"

#include "participants/OwnUserItem.h"
#include "participants/RecipientListBatch.h"
#include "participants/UserItem.h"
#include "participants/UsersGroup.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

using Texts = std::vector<std::wstring>;

// A host with every right, its user list and groups, and the list in memory.
class Model {
public:
    Model() {
        own.m_pGroupList = &users.Groups();
        own.m_pUserList = &users;
        own.m_dwOwnUserId = 1;
        own.SetPrivilege(QXCHAT_PRIV_ALL);
        own.SetRoles(QXCHAT_ROLE_HOST);
    }
    CUsersGroup* AddGroup(int nType, int nId, const wchar_t* lpszName, BOOL bShowMembers = TRUE) {
        auto pGroup = std::make_unique<CUsersGroup>(&users);
        pGroup->m_nType = nType;
        pGroup->m_nId = nId;
        pGroup->m_strName = lpszName;
        pGroup->m_bShowMemberList = bShowMembers;
        return users.Groups().InsertGroup(users.Groups().GetCount(), std::move(pGroup));
    }
    CUserItem* AddUser(DWORD dwId, const wchar_t* lpszName, DWORD dwRoles = QXCHAT_ROLE_ATTENDEE) {
        auto pUser = std::make_unique<CUserItem>();
        pUser->m_dwUserId = dwId;
        pUser->m_dwNodeId = dwId + 1000;
        pUser->m_strName = lpszName;
        pUser->m_dwRosterInfo = dwRoles;
        return users.AddUser(std::move(pUser));
    }
    CUserItem* Arrive(IRecipientEntryList& to, DWORD dwId, const wchar_t* lpszName,
                      DWORD dwRoles = QXCHAT_ROLE_ATTENDEE) {
        CUserItem* pUser = AddUser(dwId, lpszName, dwRoles);
        own.InsertAUserIntoCombox(to, pUser);
        return pUser;
    }
    void Leave(IRecipientEntryList& to, CUserItem* pUser) {
        own.RemoveAUserIntoCombox(to, pUser);
        users.RemoveUser(pUser->m_dwNodeId);
    }
    // Every listed group's entry sits where its position says.
    bool PositionsPointAtOwnEntries(const IRecipientEntryList& from) const {
        for (int i = 0; i < users.Groups().GetCount(); ++i) {
            const CUsersGroup* p = users.Groups().GetAt(i);
            if (p->m_bVisible && from.Data(p->m_nListPos) != &p->m_ItemData) return false;
        }
        return true;
    }

    CUserList users;
    COwnUserItem own;
    CMemoryEntryList list;
};

TEST(RecipientEntries, MembersFollowTheirGroupSortedByNameWithoutRegardToCase) {
    Model m;
    m.AddGroup(CHAT_ROLE_GROUP, CHAT_ATTENDEES_GROUP_NEW, L"Attendees");
    m.AddGroup(CHAT_ROLE_GROUP, CHAT_HOST_ROLE_GROUP, L"Hosts");
    m.AddGroup(CHAT_ROLE_GROUP, CHAT_ALL_USERS_ROLE_GROUP, L"Everyone");
    m.own.RebuildCombox(m.list);
    ASSERT_EQ(m.list.Texts(), (Texts{L"Attendees", L"Hosts", L"Everyone"}));

    m.Arrive(m.list, 10, L"bob");
    m.Arrive(m.list, 11, L"Alice");
    m.Arrive(m.list, 12, L"Hank", QXCHAT_ROLE_HOST);
    m.Arrive(m.list, 13, L"carol");
    m.Arrive(m.list, 14, L"alice"); // an equal name goes after the one listed first
    m.Arrive(m.list, 1, L"Me");     // the local user is never listed
    EXPECT_EQ(m.list.Texts(), (Texts{L"Attendees", L"Alice", L"alice", L"bob", L"carol", L"Hosts", L"Hank",
                                     L"Everyone", L"Alice", L"alice", L"bob", L"carol", L"Hank"}));
    EXPECT_EQ(m.list.Data(2), &m.users.FindByUserId(14)->m_ItemData);
    EXPECT_TRUE(m.PositionsPointAtOwnEntries(m.list));

    // A new name is placed again; one who leaves goes from every group.
    CUserItem* pBob = m.users.FindByUserId(10);
    pBob->m_strName = L"Zed";
    m.own.ModifyAUserIntoCombox(m.list, pBob);
    m.Leave(m.list, m.users.FindByUserId(11));
    EXPECT_EQ(m.list.Texts(), (Texts{L"Attendees", L"alice", L"carol", L"Zed", L"Hosts", L"Hank", L"Everyone",
                                     L"alice", L"carol", L"Hank", L"Zed"}));
    EXPECT_TRUE(m.PositionsPointAtOwnEntries(m.list));

    // Rebuilding lists the groups alone, their members gone with the old entries.
    m.own.RebuildCombox(m.list);
    EXPECT_EQ(m.list.Texts(), (Texts{L"Attendees", L"Hosts", L"Everyone"}));
    EXPECT_EQ(m.users.Groups().GetAt(0)->GetMemberCount(), 0);
}

TEST(RecipientEntries, TheSelectionStaysWithItsEntryWhileMembersComeAndGo) {
    Model m;
    m.AddGroup(CHAT_ROLE_GROUP, CHAT_ATTENDEES_GROUP_NEW, L"Attendees");
    m.AddGroup(CHAT_ROLE_GROUP, CHAT_ALL_USERS_ROLE_GROUP, L"Everyone");
    m.own.RebuildCombox(m.list);
    const CUsersGroup* pEveryone = m.users.Groups().GetAt(1);
    QxSelectEntry(m.list, 1);
    ASSERT_EQ(m.list.Remembered(), &pEveryone->m_ItemData);
    CUserItem* pAda = m.Arrive(m.list, 10, L"Ada");
    m.Arrive(m.list, 11, L"Bea");
    EXPECT_EQ(QxSelectedEntryData(m.list), &pEveryone->m_ItemData);
    m.Leave(m.list, pAda);
    EXPECT_EQ(QxSelectedEntryData(m.list), &pEveryone->m_ItemData);
}

TEST(RecipientEntries, RecentUsersAreNewestFirstAndTheOldestBeyondTheLimitIsDropped) {
    Model m;
    CUsersGroup* pRecent = m.AddGroup(CHAT_ROLE_GROUP, CHAT_SEPARATE_ROLE_GROUP, L"Recent");
    m.AddGroup(CHAT_ROLE_GROUP, CHAT_ALL_USERS_ROLE_GROUP, L"Everyone", FALSE);
    pRecent->m_nRecentUserLimit = 2;
    m.own.RebuildCombox(m.list);
    CUserItem* pAda = m.AddUser(10, L"Ada");
    CUserItem* pBea = m.AddUser(11, L"Bea");
    CUserItem* pCid = m.AddUser(12, L"Cid");
    EXPECT_EQ(m.own.MoveToRecentUsers(m.list, pRecent, pAda), -1);
    EXPECT_EQ(m.own.MoveToRecentUsers(m.list, pRecent, pBea), -1);
    EXPECT_EQ(m.own.MoveToRecentUsers(m.list, pRecent, pAda), -1) << "moved up, not listed twice";
    EXPECT_EQ(m.list.Texts(), (Texts{L"Recent", L"Ada", L"Bea", L"Everyone"}));
    EXPECT_EQ(m.own.MoveToRecentUsers(m.list, pRecent, pCid), 3) << "Bea's old entry";
    EXPECT_EQ(m.list.Texts(), (Texts{L"Recent", L"Cid", L"Ada", L"Everyone"}));
    EXPECT_TRUE(m.PositionsPointAtOwnEntries(m.list));
}

TEST(RecipientEntries, AGroupThatDisappearsTakesItsMembersAndComesBackInItsPlace) {
    Model m;
    CUsersGroup* pAttendees = m.AddGroup(CHAT_ROLE_GROUP, CHAT_ATTENDEES_GROUP_NEW, L"Attendees");
    m.AddGroup(CHAT_ROLE_GROUP, CHAT_ALL_USERS_ROLE_GROUP, L"Everyone", FALSE);
    m.own.RebuildCombox(m.list);
    m.Arrive(m.list, 10, L"Ada");
    pAttendees->m_bVisible = FALSE;
    m.own.DisappearGroup(m.list, pAttendees);
    EXPECT_EQ(m.list.Texts(), (Texts{L"Everyone"}));
    pAttendees->m_bVisible = TRUE;
    m.own.AppearGroup(m.list, pAttendees);
    m.own.ShowMemberList(m.list, pAttendees, TRUE);
    EXPECT_EQ(m.list.Texts(), (Texts{L"Attendees", L"Ada", L"Everyone"}));
    EXPECT_TRUE(m.PositionsPointAtOwnEntries(m.list));
}

// Entries for the choosing rules: kind, group id, code, shown, locked.
ChatItemData Entry(DWORD kind, DWORD groupId, DWORD code = 0, DWORD shown = 1, DWORD locked = 0) {
    ChatItemData d;
    d.m_dwData[CHAT_DATA_KIND] = kind;
    d.m_dwData[CHAT_DATA_GROUP_ID] = groupId;
    d.m_dwData[CHAT_DATA_CODE] = code;
    d.m_dwData[CHAT_DATA_SHOWN] = shown;
    d.m_dwData[CHAT_DATA_LOCKED] = locked;
    return d;
}

TEST(RecipientEntries, ArrowsSkipWhatCannotBeChosenAndAChoiceOfItMovesOnOrBack) {
    ChatItemData hosts = Entry(CHAT_KIND_GROUP, CHAT_HOST_ROLE_GROUP, static_cast<DWORD>(CODE_HOSTS));
    ChatItemData heading = Entry(CHAT_KIND_HEADING, 0);
    ChatItemData dim =
        Entry(CHAT_KIND_GROUP, CHAT_PANELIST_ROLE_GROUP, static_cast<DWORD>(CODE_PANELISTS), 0);
    ChatItemData locked =
        Entry(CHAT_KIND_GROUP, CHAT_ATTENDEES_GROUP_NEW, static_cast<DWORD>(CODE_ATTENDEES), 1, 1);
    ChatItemData privateChat = Entry(CHAT_KIND_GROUP, CHAT_PRIVATE_CHAT_GROUP);
    ChatItemData everyone = Entry(CHAT_KIND_GROUP, CHAT_ALL_USERS_ROLE_GROUP);
    CMemoryEntryList list;
    list.Fill({{L"Hosts", &hosts},
               {L"-", &heading},
               {L"Panelists", &dim},
               {L"Attendees", &locked},
               {L"Private", &privateChat},
               {L"Everyone", &everyone}});
    QxSelectEntry(list, 0);
    QxStepSelection(list, 1);
    EXPECT_EQ(list.Selection(), 5);
    EXPECT_EQ(list.Remembered(), &everyone);
    QxStepSelection(list, 1);
    EXPECT_EQ(list.Selection(), 5) << "no wrapping at the end";
    QxStepSelection(list, -1);
    EXPECT_EQ(list.Selection(), 0);
    QxStepSelection(list, -1);
    EXPECT_EQ(list.Selection(), 0) << "no wrapping at the start";
    EXPECT_EQ(QxNextChoosableEntry(list, 5, 1), -1);

    // A choice that cannot be chosen: on to the next that can, wrapping around.
    list.Select(2);
    QxSelectionChanged(list, FALSE);
    EXPECT_EQ(list.Selection(), 5);
    everyone.SetShown(FALSE);
    list.Select(4);
    QxSelectionChanged(list, FALSE);
    EXPECT_EQ(list.Selection(), 0);
    EXPECT_EQ(list.Remembered(), &hosts);
    // The locked attendee entry gives the selection back to the entry chosen last.
    list.Select(3);
    QxSelectionChanged(list, FALSE);
    EXPECT_EQ(list.Selection(), 0);
    // The private-chat entry keeps the selection where the dialog asks for it.
    list.Select(4);
    QxSelectionChanged(list, TRUE);
    EXPECT_EQ(list.Selection(), 4);
    EXPECT_EQ(list.Remembered(), &hosts);
}

TEST(RecipientEntries, ReplacingAnEntryKeepsItsPlaceAndSelection) {
    ChatItemData a = Entry(CHAT_KIND_GROUP, CHAT_HOST_ROLE_GROUP), b = Entry(CHAT_KIND_GROUP, 15);
    CMemoryEntryList list;
    list.Fill({{L"A", &a}, {L"B", &b}});
    list.Select(1);
    QxReplaceEntry(list, 1, L"B2", &b);
    EXPECT_EQ(list.Texts(), (Texts{L"A", L"B2"}));
    EXPECT_EQ(list.Selection(), 1);
    QxReplaceEntry(list, 0, L"A2", &a);
    EXPECT_EQ(list.Texts(), (Texts{L"A2", L"B2"}));
    EXPECT_EQ(list.Selection(), 1);
}

// The same random roster changes made entry by entry and in batches end with the same entries,
// texts and selection, and a batch fills the list once.
TEST(RecipientListBatch, EndsWithTheListTheChangesMakeEntryByEntry) {
    Model direct, batched;
    for (Model* m : {&direct, &batched}) {
        m->AddGroup(CHAT_ROLE_GROUP, CHAT_HOST_ROLE_GROUP, L"Hosts");
        m->AddGroup(CHAT_ROLE_GROUP, CHAT_ATTENDEES_GROUP_NEW, L"Attendees");
        m->AddGroup(CHAT_ROLE_GROUP, CHAT_PANELIST_ROLE_GROUP, L"Panelists", FALSE);
        m->AddGroup(CHAT_ROLE_GROUP, CHAT_ALL_USERS_ROLE_GROUP, L"Everyone");
        m->users.Groups().GetAt(3)->m_bShowFactName = TRUE;
        m->own.RebuildCombox(m->list);
        QxSelectEntry(m->list, 1);
    }
    std::mt19937 random(7);
    DWORD dwNextId = 10;
    for (int round = 0; round < 6; ++round) {
        std::vector<int> steps;
        for (int k = 0; k < 60; ++k)
            steps.push_back(static_cast<int>(random() % 10));
        for (Model* m : {&direct, &batched}) {
            std::unique_ptr<CRecipientListBatch> pBatch;
            if (m == &batched) pBatch = std::make_unique<CRecipientListBatch>(m->list, m->users.Groups());
            IRecipientEntryList& to = pBatch ? static_cast<IRecipientEntryList&>(*pBatch) : m->list;
            if (pBatch) {
                EXPECT_TRUE(pBatch->Deferring());
            }
            DWORD dwId = dwNextId;
            for (int step : steps) {
                const int nUsers = m->users.GetCount();
                if (step < 5 || nUsers == 0) {
                    const std::wstring name =
                        std::wstring(step % 2 ? L"user " : L"User ") + std::to_wstring((dwId * 37) % 101);
                    m->Arrive(to, dwId++, name.c_str(), step == 4 ? QXCHAT_ROLE_HOST : QXCHAT_ROLE_ATTENDEE);
                } else if (step < 7) {
                    m->Leave(to, m->users.GetAt(static_cast<int>(dwId % static_cast<DWORD>(nUsers))));
                } else if (step < 9) {
                    CUserItem* p = m->users.GetAt(static_cast<int>((dwId * 3) % static_cast<DWORD>(nUsers)));
                    p->m_strName = L"renamed " + std::to_wstring(dwId % 13);
                    m->own.ModifyAUserIntoCombox(to, p);
                } else {
                    QxSelectEntry(to, static_cast<int>(dwId % static_cast<DWORD>(to.Count())));
                }
            }
            if (m == &batched) dwNextId = dwId;
            if (pBatch) {
                const int nFills = m->list.Fills();
                pBatch->Commit();
                EXPECT_EQ(m->list.Fills(), nFills + 1);
            }
        }
        ASSERT_EQ(batched.list.Texts(), direct.list.Texts()) << "round " << round;
        ASSERT_EQ(batched.list.Selection(), direct.list.Selection()) << "round " << round;
        for (int i = 0; i < direct.list.Count(); ++i) {
            const ChatItemData* a = direct.list.Data(i);
            const ChatItemData* b = batched.list.Data(i);
            ASSERT_TRUE(a && b);
            ASSERT_EQ(*a, *b) << "entry " << i;
        }
        EXPECT_EQ(batched.list.Changes(), 0) << "a batch never changes the list entry by entry";
    }
}

// A roster change as the engine makes it in a batch: the new participants wait in their groups
// and are placed together, then come the removals and the changes. For small and large changes,
// names equal but for case, and entries (members too) selected between arrivals, the list ends
// as the same change made entry by entry leaves it.
TEST(RecipientListBatch, NewParticipantsPlacedTogetherEndWhereOneByOneArrivalsEnd) {
    for (int nArrivals : {3, 40, 800}) {
        Model direct, batched;
        for (Model* m : {&direct, &batched}) {
            m->AddGroup(CHAT_ROLE_GROUP, CHAT_HOST_ROLE_GROUP, L"Hosts");
            m->AddGroup(CHAT_ROLE_GROUP, CHAT_ATTENDEES_GROUP_NEW, L"Attendees");
            m->AddGroup(CHAT_ROLE_GROUP, CHAT_PANELIST_ROLE_GROUP, L"Panelists");
            m->AddGroup(CHAT_ROLE_GROUP, CHAT_ALL_USERS_ROLE_GROUP, L"Everyone");
            m->own.RebuildCombox(m->list);
            QxSelectEntry(m->list, 3);
        }
        std::mt19937 random(static_cast<unsigned>(nArrivals));
        DWORD dwNextId = 10;
        for (int round = 0; round < 3; ++round) {
            struct Arrival {
                std::wstring strName;
                DWORD dwRoles;
                int nSelect; // an entry selected before the arrival, or -1
            };
            std::vector<Arrival> arrivals;
            for (int k = 0; k < nArrivals; ++k) {
                const unsigned r = random();
                arrivals.push_back({std::wstring(r % 2 ? L"user " : L"User ") +
                                        std::to_wstring(r % static_cast<unsigned>(nArrivals / 2 + 3)),
                                    static_cast<DWORD>(r % 7 == 0   ? QXCHAT_ROLE_HOST
                                                       : r % 5 == 0 ? QXCHAT_ROLE_PANELIST
                                                                    : QXCHAT_ROLE_ATTENDEE),
                                    r % 11 == 0 ? static_cast<int>(r % 97) : -1});
            }
            const unsigned nLeaving = random() % 5, nChanged = random() % 5, nPick = random();
            for (Model* m : {&direct, &batched}) {
                std::unique_ptr<CRecipientListBatch> pBatch;
                if (m == &batched) pBatch = std::make_unique<CRecipientListBatch>(m->list, m->users.Groups());
                IRecipientEntryList& to = pBatch ? static_cast<IRecipientEntryList&>(*pBatch) : m->list;
                DWORD dwId = dwNextId;
                for (const Arrival& a : arrivals) {
                    if (a.nSelect >= 0) QxSelectEntry(to, a.nSelect % to.Count());
                    if (pBatch)
                        m->own.InsertNewUserIntoCombox(to, m->AddUser(dwId++, a.strName.c_str(), a.dwRoles));
                    else
                        m->Arrive(to, dwId++, a.strName.c_str(), a.dwRoles);
                }
                m->users.Groups().PlaceArrivals();
                for (unsigned k = 0; k < nLeaving && m->users.GetCount() > 0; ++k)
                    m->Leave(to, m->users.GetAt(static_cast<int>((nPick + k) % m->users.GetCount())));
                for (unsigned k = 0; k < nChanged && m->users.GetCount() > 0; ++k) {
                    CUserItem* p = m->users.GetAt(static_cast<int>((nPick * 3 + k) % m->users.GetCount()));
                    p->m_strName = L"USER " + std::to_wstring(k);
                    m->own.ModifyAUserIntoCombox(to, p);
                }
                if (pBatch) pBatch->Commit();
                if (m == &batched) dwNextId = dwId;
            }
            const std::string what = std::to_string(nArrivals) + " arrivals, round " + std::to_string(round);
            ASSERT_EQ(batched.list.Texts(), direct.list.Texts()) << what;
            ASSERT_EQ(batched.list.Selection(), direct.list.Selection()) << what;
            for (int i = 0; i < direct.list.Count(); ++i) {
                const ChatItemData* a = direct.list.Data(i);
                const ChatItemData* b = batched.list.Data(i);
                ASSERT_TRUE(a && b) << what;
                ASSERT_EQ(*a, *b) << what << ", entry " << i;
            }
            EXPECT_TRUE(batched.PositionsPointAtOwnEntries(batched.list)) << what;
            EXPECT_EQ(batched.list.Changes(), 0) << what;
        }
    }
}

TEST(RecipientListBatch, PassesEverythingThroughWhenTheListIsNotWhatTheGroupsSay) {
    Model m;
    m.AddGroup(CHAT_ROLE_GROUP, CHAT_ALL_USERS_ROLE_GROUP, L"Everyone");
    m.own.RebuildCombox(m.list);
    ChatItemData stray = Entry(CHAT_KIND_HEADING, 0);
    m.list.Insert(-1, L"stray", &stray);
    CRecipientListBatch batch(m.list, m.users.Groups());
    EXPECT_FALSE(batch.Deferring());
    m.Arrive(batch, 10, L"Ada");
    EXPECT_EQ(m.list.Texts(), (Texts{L"Everyone", L"Ada", L"stray"}));
}

} // namespace
