// The input box's subclass on a plain multi-line edit: the keys through posted key messages,
// the placeholder, the edit-state refresh and the context menu's enabling.
#include "window/InputBox.h"

#include "WindowTestSupport.h"
#include "module/ModuleState.h"
#include "resources/resource.h"

#include <gtest/gtest.h>

using namespace windowtest;

namespace {

// The dialog's stand-in: the commands and edit-state refresh requests reaching it.
struct RecordingParent : TestHostWindow {
    RecordingParent() : TestHostWindow(300, 200) {}
    int SendClicks() const { return Count(WM_COMMAND, MAKEWPARAM(102, BN_CLICKED), 0); }
    // Commands that are no control's notification: a menu, an accelerator, IDCANCEL.
    int OtherCommands() const { return Count(WM_COMMAND) - SendClicks() - Notifications(); }
    int StateRefreshes() const { return Count(WM_USER + 4); }

private:
    int Notifications() const {
        int n = 0;
        for (const auto& m : messages)
            n += m.uMsg == WM_COMMAND && m.lParam != 0;
        return n;
    }
};

class InputBoxTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        hResources = LoadLibraryW(L"qxres.dll");
        ASSERT_NE(hResources, nullptr);
        QxSetResourceModule(hResources);
        placeholder = QxLoadString(IDS_INPUT_PROMPT);
        ASSERT_FALSE(placeholder.empty());
    }
    static void TearDownTestSuite() {
        QxSetResourceModule(nullptr);
        FreeLibrary(hResources);
    }
    void SetUp() override {
        hInput = CreateWindowExW(0, L"EDIT", L"",
                                 WS_CHILD | WS_VISIBLE | WS_BORDER | ES_MULTILINE | ES_AUTOVSCROLL |
                                     ES_WANTRETURN | WS_VSCROLL,
                                 5, 5, 200, 40, parent.Get(), reinterpret_cast<HMENU>(101), nullptr, nullptr);
        ASSERT_NE(hInput, nullptr);
        ASSERT_TRUE(QxSubclassInputBox(hInput, parent.Get()));
        SetFocus(hInput);
    }
    std::wstring Text() const {
        wchar_t buffer[512] = {};
        GetWindowTextW(hInput, buffer, 512);
        return buffer;
    }
    void Type(const wchar_t* text) {
        for (const wchar_t* p = text; *p; ++p)
            PressKey(hInput, VkKeyScanW(*p) & 0xFF);
    }

    static HMODULE hResources;
    static std::wstring placeholder;
    RecordingParent parent;
    HWND hInput = nullptr;
};
HMODULE InputBoxTest::hResources = nullptr;
std::wstring InputBoxTest::placeholder;

TEST_F(InputBoxTest, EnterOnAnEmptyBoxClicksSendAndAddsNothing) {
    PressKey(hInput, VK_RETURN);
    EXPECT_EQ(parent.SendClicks(), 1);
    EXPECT_EQ(Text(), L"");
    Type(L"hi");
    PressKey(hInput, VK_RETURN);
    EXPECT_EQ(parent.SendClicks(), 2);
    EXPECT_EQ(Text(), L"hi"); // the box is emptied by the send, not by the key
}

TEST_F(InputBoxTest, CtrlEnterBreaksTheLineWithoutSending) {
    Type(L"ab");
    {
        CtrlHeld ctrl;
        PressKey(hInput, VK_RETURN);
    }
    Type(L"c");
    EXPECT_EQ(Text(), L"ab\r\nc");
    EXPECT_EQ(parent.SendClicks(), 0);
    EXPECT_EQ(SendMessageW(hInput, EM_GETLINECOUNT, 0, 0), 2);
}

TEST_F(InputBoxTest, EscIsIgnored) {
    Type(L"keep");
    PressKey(hInput, VK_ESCAPE);
    EXPECT_EQ(Text(), L"keep");
    EXPECT_EQ(parent.SendClicks(), 0);
    EXPECT_EQ(parent.OtherCommands(), 0); // no cancel reaches the parent
}

TEST_F(InputBoxTest, CtrlASelectsEverything) {
    Type(L"abc");
    {
        CtrlHeld ctrl;
        PressKey(hInput, 'A');
    }
    DWORD dwStart = 9, dwEnd = 9;
    SendMessageW(hInput, EM_GETSEL, reinterpret_cast<WPARAM>(&dwStart), reinterpret_cast<LPARAM>(&dwEnd));
    EXPECT_EQ(dwStart, 0u);
    EXPECT_EQ(dwEnd, 3u);
    EXPECT_EQ(Text(), L"abc");
}

TEST_F(InputBoxTest, ThePlaceholderGoesAtTheFirstKey) {
    SetWindowTextW(hInput, placeholder.c_str());
    Type(L"x");
    EXPECT_EQ(Text(), L"x");
    Type(L"y");
    EXPECT_EQ(Text(), L"xy");
}

TEST_F(InputBoxTest, ThePlaceholderGoesAtPasteAndSelectAll) {
    ASSERT_TRUE(SetClipboardText(L"pasted"));
    SetWindowTextW(hInput, placeholder.c_str());
    SendMessageW(hInput, WM_PASTE, 0, 0);
    EXPECT_EQ(Text(), L"pasted");

    // The user's select-all, not the selection the dialog makes when the box takes the focus.
    SetWindowTextW(hInput, placeholder.c_str());
    SendMessageW(hInput, EM_SETSEL, 0, -1);
    EXPECT_EQ(Text(), placeholder);
    {
        CtrlHeld ctrl;
        PressKey(hInput, 'A');
    }
    EXPECT_EQ(Text(), L"");
}

TEST_F(InputBoxTest, OtherTextIsNotThePlaceholder) {
    const std::wstring longer = placeholder + L"!";
    SetWindowTextW(hInput, longer.c_str());
    SendMessageW(hInput, EM_SETSEL, static_cast<WPARAM>(longer.size()), static_cast<LPARAM>(longer.size()));
    Type(L"x");
    EXPECT_EQ(Text(), longer + L"x");
}

TEST_F(InputBoxTest, KeyReleaseAndClickRefreshTheEditState) {
    PressKey(hInput, 'Q');
    EXPECT_EQ(parent.StateRefreshes(), 1);
    SendMessageW(hInput, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    SendMessageW(hInput, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    EXPECT_EQ(parent.StateRefreshes(), 2);
}

TEST_F(InputBoxTest, TheSubclassIsInstalledOnceAndRemovedCleanly) {
    EXPECT_TRUE(QxIsInputBoxSubclassed(hInput));
    EXPECT_FALSE(QxSubclassInputBox(hInput, parent.Get()));
    QxRemoveInputBoxSubclass(hInput);
    EXPECT_FALSE(QxIsInputBoxSubclassed(hInput));
    QxRemoveInputBoxSubclass(hInput); // a second removal does nothing
    // The plain edit is back: Enter no longer clicks Send.
    PressKey(hInput, VK_RETURN);
    EXPECT_EQ(parent.SendClicks(), 0);
    EXPECT_FALSE(QxSubclassInputBox(nullptr, parent.Get()));
}

TEST(InputMenuEnabling, FollowsTheBoxState) {
    const struct {
        InputMenuState state;
        InputMenuEnabling expected;
    } cases[] = {
        // empty box, nothing to undo, clipboard empty: only nothing
        {{false, 0, 0, 0, false}, {false, false, false, false, false, false}},
        // text with a caret: select all only
        {{false, 5, 2, 2, false}, {false, false, false, false, false, true}},
        // part selected, either direction: cut, copy, delete, select all
        {{false, 5, 1, 3, false}, {false, true, true, false, true, true}},
        {{false, 5, 3, 1, false}, {false, true, true, false, true, true}},
        // all selected: no select all
        {{false, 5, 0, 5, false}, {false, true, true, false, true, false}},
        // undo and clipboard text
        {{true, 0, 0, 0, true}, {true, false, false, true, false, false}},
    };
    for (const auto& c : cases) {
        const InputMenuEnabling e = QxInputMenuEnabling(c.state);
        const auto& x = c.expected;
        EXPECT_EQ(e.bUndo, x.bUndo);
        EXPECT_EQ(e.bCut, x.bCut);
        EXPECT_EQ(e.bCopy, x.bCopy);
        EXPECT_EQ(e.bPaste, x.bPaste);
        EXPECT_EQ(e.bDelete, x.bDelete);
        EXPECT_EQ(e.bSelectAll, x.bSelectAll)
            << c.state.nTextLength << " " << c.state.dwSelStart << "-" << c.state.dwSelEnd;
    }
}

TEST_F(InputBoxTest, TheMenuStateIsReadFromTheBox) {
    Type(L"abcd");
    SendMessageW(hInput, EM_SETSEL, 1, 3);
    ASSERT_TRUE(SetClipboardText(L"x"));
    const InputMenuState state = QxReadInputMenuState(hInput);
    EXPECT_EQ(state.nTextLength, 4);
    EXPECT_EQ(state.dwSelStart, 1u);
    EXPECT_EQ(state.dwSelEnd, 3u);
    EXPECT_TRUE(state.bClipboardText);
    EXPECT_TRUE(state.bCanUndo);
}

} // namespace
