// The recipient box's choosing rules: which entries can be chosen, the arrow keys, and what a
// selection of an entry that cannot be chosen turns into.
#include "RecipientSession.h"

#include "participants/RecipientCombo.h"
#include "window/RecipientBox.h"

#include <gtest/gtest.h>

using namespace recipienttest;

namespace {

TEST(ChoosingRules, WhichEntriesCanBeChosen) {
    struct Case {
        DWORD kind, groupId, code, shown, locked;
        BOOL expected;
    } cases[] = {
        {CHAT_KIND_GROUP, 15, 0, 1, 0, TRUE},
        {CHAT_KIND_USER, 0, 40001, 1, 0, TRUE},
        {CHAT_KIND_GROUP, 15, 0, 0, 0, FALSE},
        {CHAT_KIND_HEADING, 0, 0, 1, 0, FALSE},
        {CHAT_KIND_GROUP, 4096, 110, 1, 0, FALSE},
        {CHAT_KIND_GROUP, 4096, static_cast<DWORD>(-1), 1, 0, FALSE},
        {CHAT_KIND_GROUP, 1, 98, 1, 0, FALSE},
        {CHAT_KIND_GROUP, 32, 0, 1, 0, FALSE},
        {CHAT_KIND_GROUP, 8, static_cast<DWORD>(-6), 1, 1, FALSE},
        {CHAT_KIND_GROUP, 8, static_cast<DWORD>(-6), 1, 0, TRUE},
    };
    for (const Case& c : cases) {
        ChatItemData d;
        d.m_dwData[CHAT_DATA_KIND] = c.kind;
        d.m_dwData[CHAT_DATA_GROUP_ID] = c.groupId;
        d.m_dwData[CHAT_DATA_CODE] = c.code;
        d.m_dwData[CHAT_DATA_SHOWN] = c.shown;
        d.m_dwData[CHAT_DATA_LOCKED] = c.locked;
        EXPECT_EQ(QxCanChooseEntry(&d), c.expected) << c.kind << "/" << c.groupId << "/" << c.code;
    }
    EXPECT_FALSE(QxCanChooseEntry(nullptr));
}

class RecipientBoxTest : public testing::Test {
protected:
    // Hosts (chosen), a heading, Panelists (not available without panelists), Everyone.
    RecipientBoxTest() {
        ChAddGroup(s.H(), 0, CHAT_ROLE_GROUP, CHAT_HOST_ROLE_GROUP, L"Hosts", 0, 0, 0, nullptr, 0, 0);
        ChAddGroup(s.H(), 1, CHAT_HEADING_GROUP, 0, nullptr, 0, 0, 0, nullptr, 0, 0);
        ChAddGroup(s.H(), 2, CHAT_ROLE_GROUP, CHAT_PANELIST_ROLE_GROUP, L"Panelists", 0, 0, 0, nullptr, 0, 0);
        ChAddGroup(s.H(), 3, CHAT_ROLE_GROUP, CHAT_ALL_USERS_ROLE_GROUP, L"Everyone", 0, 0, 0, nullptr, 0, 0);
        ChSetPrivilege(s.H(), 0x1DF);
        ComboSelect(s.Box(), 0);
    }
    void Key(WPARAM vk) { SendMessageW(s.Box(), WM_KEYDOWN, vk, 0); }
    Session s;
};

TEST_F(RecipientBoxTest, ArrowKeysSkipEntriesThatCannotBeChosenWithoutWrapping) {
    ASSERT_FALSE(QxCanChooseEntry(ComboData(s.Box(), 2))) << "no panelist is present";
    Key(VK_DOWN);
    EXPECT_EQ(s.Selected(), 3);
    Key(VK_RIGHT);
    EXPECT_EQ(s.Selected(), 3) << "no wrapping at the end";
    Key(VK_UP);
    EXPECT_EQ(s.Selected(), 0);
    Key(VK_LEFT);
    EXPECT_EQ(s.Selected(), 0) << "no wrapping at the start";
    EXPECT_EQ(QxRecipientRemembered(s.Box()), ComboData(s.Box(), 0));
}

TEST_F(RecipientBoxTest, ChoosingAnEntryThatCannotBeChosenMovesForwardWrapping) {
    ComboSelect(s.Box(), 2);
    QxRecipientSelectionChanged(s.Box());
    EXPECT_EQ(s.Selected(), 3);
    ComboSelect(s.Box(), 1);
    ChatItemData* pEveryone = ComboData(s.Box(), 3);
    pEveryone->SetShown(FALSE);
    QxRecipientSelectionChanged(s.Box());
    EXPECT_EQ(s.Selected(), 0) << "past the end it wraps around";
}

TEST_F(RecipientBoxTest, ALockedAttendeeEntryGivesTheSelectionBackToTheRememberedEntry) {
    ChatItemData* pEveryone = ComboData(s.Box(), 3);
    ComboSelect(s.Box(), 3);
    QxRecipientSelectionChanged(s.Box());
    ASSERT_EQ(QxRecipientRemembered(s.Box()), pEveryone);
    ChatItemData* pPanelists = ComboData(s.Box(), 2);
    pPanelists->m_dwData[CHAT_DATA_GROUP_ID] = CHAT_ATTENDEES_GROUP_NEW;
    pPanelists->m_dwData[CHAT_DATA_LOCKED] = 1;
    pPanelists->SetShown(TRUE);
    ComboSelect(s.Box(), 2);
    QxRecipientSelectionChanged(s.Box());
    EXPECT_EQ(s.Selected(), 3);
}

TEST_F(RecipientBoxTest, TheBoxIsOwnerDrawnAndKeepsTheTemplatePlace) {
    const LONG_PTR style = GetWindowLongPtrW(s.Box(), GWL_STYLE);
    EXPECT_TRUE(style & CBS_OWNERDRAWFIXED);
    EXPECT_TRUE(style & CBS_HASSTRINGS);
    EXPECT_EQ(GetDlgItem(s.Dialog(), 108), s.Box());
}

} // namespace
