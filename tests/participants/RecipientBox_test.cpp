// The recipient box's choosing rules: which entries can be chosen, the arrow keys, and what a
// selection of an entry that cannot be chosen turns into.
#include "MemoryEntryList.h"
#include "RecipientSession.h"

#include "window/RecipientCombo.h"
#include "window/RecipientBox.h"

#include <gtest/gtest.h>

#include <functional>

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

// The box's entries follow the same index rules as the list in memory that the recipient list's
// own tests use: each step leaves both with the same entries and selection.
TEST(RecipientBoxEntries, BehaveLikeTheListInMemory) {
    HWND hParent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 300, 200, nullptr, nullptr,
                                   GetModuleHandleW(nullptr), nullptr);
    HWND hTemplate =
        CreateWindowExW(0, L"COMBOBOX", L"", WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST, 10, 10, 200, 150,
                        hParent, reinterpret_cast<HMENU>(108), GetModuleHandleW(nullptr), nullptr);
    HWND hBox = QxCreateRecipientBox(hParent, hTemplate, FALSE);
    ASSERT_NE(hBox, hTemplate);
    CRecipientBoxEntries box(hBox);
    CMemoryEntryList memory;
    ChatItemData d[6];
    for (int i = 0; i < 6; ++i)
        d[i].InitUser(static_cast<DWORD>(100 + i));
    struct Step {
        const char* what;
        std::function<int(IRecipientEntryList&)> apply; // its result must agree too
    } steps[] = {
        {"append", [&](IRecipientEntryList& l) { return l.Insert(-1, L"a", &d[0]); }},
        {"append again", [&](IRecipientEntryList& l) { return l.Insert(-1, L"b", &d[1]); }},
        {"insert first", [&](IRecipientEntryList& l) { return l.Insert(0, L"c", &d[2]); }},
        {"beyond the end", [&](IRecipientEntryList& l) { return l.Insert(9, L"x", &d[5]); }},
        {"select", [&](IRecipientEntryList& l) { return l.Select(1), 0; }},
        {"insert at the selection", [&](IRecipientEntryList& l) { return l.Insert(1, L"d", &d[3]); }},
        {"insert after it", [&](IRecipientEntryList& l) { return l.Insert(3, L"e", &d[4]); }},
        {"delete before it", [&](IRecipientEntryList& l) { return l.Delete(0), 0; }},
        {"delete out of range", [&](IRecipientEntryList& l) { return l.Delete(7), 0; }},
        {"replace the selected",
         [&](IRecipientEntryList& l) { return QxReplaceEntry(l, 1, L"A", &d[0]), 0; }},
        {"delete the selected", [&](IRecipientEntryList& l) { return l.Delete(1), 0; }},
        {"select out of range", [&](IRecipientEntryList& l) { return l.Select(5), 0; }},
        {"select and remember", [&](IRecipientEntryList& l) { return QxSelectEntry(l, 2), 0; }},
        {"fill",
         [&](IRecipientEntryList& l) {
             return l.Fill({{L"f", &d[5]}, {L"g", &d[1]}}), 0;
         }},
        {"arrow up", [&](IRecipientEntryList& l) { return l.Select(1), QxStepSelection(l, -1), 0; }},
    };
    for (const Step& step : steps) {
        EXPECT_EQ(step.apply(box), step.apply(memory)) << step.what;
        ASSERT_EQ(box.Count(), memory.Count()) << step.what;
        for (int i = 0; i < memory.Count(); ++i) {
            EXPECT_EQ(box.Data(i), memory.Data(i)) << step.what << ", entry " << i;
            EXPECT_EQ(box.Text(i), memory.Text(i)) << step.what << ", entry " << i;
        }
        EXPECT_EQ(box.Selection(), memory.Selection()) << step.what;
        EXPECT_EQ(box.Remembered(), memory.Remembered()) << step.what;
    }
    // The fill draws nothing while it runs and leaves the drop-down closed and the box shown.
    COMBOBOXINFO info = {};
    info.cbSize = sizeof(info);
    ASSERT_TRUE(GetComboBoxInfo(hBox, &info));
    EXPECT_FALSE(IsWindowVisible(info.hwndList));
    EXPECT_TRUE(IsWindowVisible(hBox));
    DestroyWindow(hParent);
}

} // namespace
