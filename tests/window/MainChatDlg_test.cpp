// The chat dialog's window side around the message list and the input box: the subclassed input
// box with the scroll-bar rule, the host's copy command on the list, the edit-command state,
// the container's layout flag and the browser type handed to the list.
#include "window/MainChatDlg.h"

#include "WindowTestSupport.h"
#include "module/ModuleState.h"
#include "qxchat.h"
#include "qxnodectl_test.h"
#include "resources/resource.h"
#include "window/InputBox.h"
#include "window/MessageContainer.h"
#include "window/MessageWindow.h"

#include <gtest/gtest.h>

#include <vector>

using namespace windowtest;

namespace {

class ChatDialogTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        hResources = LoadLibraryW(L"qxres.dll");
        ASSERT_NE(hResources, nullptr);
    }
    static void TearDownTestSuite() { FreeLibrary(hResources); }
    void SetUp() override {
        QxSetResourceModule(hResources);
        // No conference: the engine starts and stays idle.
        IQxNodeControlTest* control = nullptr;
        ASSERT_EQ(QxGetNodeControlTest(&control), 0);
        control->Reset();
        control->ScriptResult(QXNC_OP_GET_CONTROLLER_EX, ARM_ERROR_INVALID_STATE, 1);
    }
    void TearDown() override {
        dlg.DestroyWindowIfAny();
        QxSetResourceModule(nullptr);
    }
    void Open() {
        hDlg = dlg.Create(host.Get());
        ASSERT_NE(hDlg, nullptr);
        SetWindowPos(hDlg, nullptr, 0, 0, 400, 300, SWP_NOZORDER);
        hInput = dlg.Controls().m_hInput;
        ASSERT_NE(hInput, nullptr);
        list = QxMessageList(dlg.Controls().m_hMessageWnd);
        ASSERT_NE(list, nullptr);
        PumpPending();
        host.messages.clear();
    }
    std::wstring InputText() const { return WindowText(hInput); }
    bool ScrollBarShown() const { return (GetWindowLongW(hInput, GWL_STYLE) & WS_VSCROLL) != 0; }
    // The last value the host heard for one edit-command message, or -1.
    LPARAM LastState(UINT uMsg) const {
        LPARAM l = -1;
        for (const auto& m : host.messages)
            if (m.uMsg == uMsg) l = m.lParam;
        return l;
    }

    static HMODULE hResources;
    TestHostWindow host{420, 320};
    CMainChatDlg dlg;
    HWND hDlg = nullptr;
    HWND hInput = nullptr;
    CMessageWindow* list = nullptr;
};
HMODULE ChatDialogTest::hResources = nullptr;

TEST_F(ChatDialogTest, TheInputBoxIsSubclassedAndCtrlEnterShowsTheScrollBarAtTheThirdLine) {
    Open();
    EXPECT_TRUE(QxIsInputBoxSubclassed(hInput));
    SetFocus(hInput);
    PressKey(hInput, 'A');
    EXPECT_EQ(InputText(), L"a");
    EXPECT_FALSE(ScrollBarShown());
    CtrlHeld ctrl;
    PressKey(hInput, VK_RETURN);
    EXPECT_EQ(InputText(), L"a\r\n");
    EXPECT_FALSE(ScrollBarShown()); // two lines fit
    PressKey(hInput, VK_RETURN);
    EXPECT_EQ(InputText(), L"a\r\n\r\n");
    EXPECT_TRUE(ScrollBarShown());
}

TEST_F(ChatDialogTest, TheInputBoxDrawsABlackFrameWithAWhiteOneInside) {
    Open();
    dlg.SetInputUIStatus(TRUE);
    RedrawWindow(hInput, nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
    RECT rc = {};
    GetWindowRect(hInput, &rc);
    HDC hScreen = GetDC(nullptr);
    const int x = (rc.left + rc.right) / 2;
    const COLORREF outer = GetPixel(hScreen, x, rc.top), inner = GetPixel(hScreen, x, rc.top + 1);
    const COLORREF left = GetPixel(hScreen, rc.left, (rc.top + rc.bottom) / 2);
    ReleaseDC(nullptr, hScreen);
    EXPECT_EQ(outer, RGB(0, 0, 0));
    EXPECT_EQ(left, RGB(0, 0, 0));
    EXPECT_EQ(inner, RGB(0xFF, 0xFF, 0xFF));
}

TEST_F(ChatDialogTest, EnterInAnEmptyBoxSendsNothing) {
    Open();
    PressKey(hInput, VK_RETURN);
    PumpPending(); // the posted click of Send
    EXPECT_EQ(InputText(), L"");
    EXPECT_FALSE(list->HasItems());
}

TEST_F(ChatDialogTest, ThePlaceholderIsClearedByTheFirstKey) {
    Open();
    SetWindowTextW(hInput, QxLoadString(IDS_INPUT_PROMPT).c_str());
    PressKey(hInput, 'Z');
    EXPECT_EQ(InputText(), L"z");
}

// The host's copy with the focus in the list: the selection, or an emptied clipboard.
TEST_F(ChatDialogTest, CopyInTheListCopiesItsSelectionOrEmptiesTheClipboard) {
    Open();
    list->ShowMessage(L"Alice", L"Hello", L" says:", L"d", L"t");
    for (bool bSelected : {false, true}) {
        ASSERT_TRUE(SetClipboardText(L"earlier"));
        if (bSelected) list->SelectAll();
        dlg.EditChat(QXCHAT_EDIT_FOCUS);
        ASSERT_EQ(GetFocus(), list->GetHwnd());
        host.messages.clear();
        dlg.EditChat(QXCHAT_EDIT_COPY);
        if (bSelected)
            EXPECT_EQ(ClipboardText(), L"Alice says:\r\nHello");
        else
            EXPECT_FALSE(IsClipboardFormatAvailable(CF_UNICODETEXT));
        EXPECT_EQ(LastState(WM_CHAT_EDIT_CAN_COPY), bSelected ? 1 : 0);
        EXPECT_EQ(LastState(WM_CHAT_EDIT_CAN_PASTE), bSelected ? 1 : 0);
        EXPECT_EQ(LastState(WM_CHAT_EDIT_CAN_CUT), 0);
    }
}

// The host's copy refreshes the list's edit-command state first, as the list's own copy does,
// then reports the result; each time in the order copy, cut, paste.
TEST_F(ChatDialogTest, TheHostsCopyReportsTheStateBeforeAndAfterInOrder) {
    Open();
    list->ShowMessage(L"Alice", L"Hello", L" says:", L"d", L"t");
    for (bool bSelected : {false, true}) {
        ASSERT_TRUE(SetClipboardText(L"earlier"));
        if (bSelected) list->SelectAll();
        dlg.EditChat(QXCHAT_EDIT_FOCUS);
        host.messages.clear();
        dlg.EditChat(QXCHAT_EDIT_COPY);
        std::vector<RecordedMessage> states;
        for (const auto& m : host.messages)
            if (m.uMsg >= WM_CHAT_EDIT_CAN_COPY && m.uMsg <= WM_CHAT_EDIT_CAN_PASTE) states.push_back(m);
        const LPARAM sel = bSelected ? 1 : 0;
        const RecordedMessage expected[] = {
            {WM_CHAT_EDIT_CAN_COPY, 1, sel}, {WM_CHAT_EDIT_CAN_CUT, 0, 0}, {WM_CHAT_EDIT_CAN_PASTE, 0, 1},
            {WM_CHAT_EDIT_CAN_COPY, 1, sel}, {WM_CHAT_EDIT_CAN_CUT, 0, 0}, {WM_CHAT_EDIT_CAN_PASTE, 0, sel},
        };
        ASSERT_EQ(states.size(), 6u) << bSelected;
        for (size_t i = 0; i < 6; ++i) {
            EXPECT_EQ(states[i].uMsg, expected[i].uMsg) << i;
            EXPECT_EQ(states[i].wParam, expected[i].wParam) << i;
            EXPECT_EQ(states[i].lParam, expected[i].lParam) << i << (bSelected ? " selected" : " empty");
        }
    }
}

TEST_F(ChatDialogTest, PasteAndCutWorkOnTheInputBoxSelection) {
    Open();
    dlg.SetInputUIStatus(TRUE);
    SetWindowTextW(hInput, L"hello world");
    SetFocus(hInput);
    SendMessageW(hInput, EM_SETSEL, 6, 11);
    ASSERT_TRUE(SetClipboardText(L"there"));
    dlg.EditChat(QXCHAT_EDIT_PASTE);
    EXPECT_EQ(InputText(), L"hello there");
    SendMessageW(hInput, EM_SETSEL, 0, 6);
    host.messages.clear();
    dlg.EditChat(QXCHAT_EDIT_CUT);
    EXPECT_EQ(InputText(), L"there");
    EXPECT_EQ(ClipboardText(), L"hello ");
    EXPECT_EQ(LastState(WM_CHAT_EDIT_CAN_CUT), 0); // nothing selected after the cut
    EXPECT_EQ(LastState(WM_CHAT_EDIT_CAN_PASTE), 1);
}

// Feature bit 0x10 without privilege bit 0x100: the list takes no clicks.
TEST_F(ChatDialogTest, WithoutTheSendPrivilegeTheListIgnoresTheMouse) {
    Open();
    list->ShowMessage(L"Alice", L"Hello", L" says:", L"d", L"t");
    list->Refresh();
    const RECT rc = list->CharRect(1, 1);
    const LPARAM at = MAKELPARAM(rc.left + 1, rc.top + 2);
    dlg.SelectFeature(QXCHAT_FEATURE_SEND_PRIVILEGE, 0);
    dlg.SetPrivilege(0);
    SendMessageW(list->GetHwnd(), WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    EXPECT_FALSE(list->HasSelection());
    dlg.SetPrivilege(0x100);
    SendMessageW(list->GetHwnd(), WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    EXPECT_TRUE(list->HasSelection());
    list->ClearSelection();
    dlg.SelectFeature(0, 0);
    dlg.SetPrivilege(0);
    SendMessageW(list->GetHwnd(), WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    EXPECT_TRUE(list->HasSelection());
}

TEST_F(ChatDialogTest, CopyInTheInputBoxLeavesTheListAlone) {
    Open();
    list->ShowMessage(L"Alice", L"Hello", L" says:", L"d", L"t");
    list->SelectAll();
    SetWindowTextW(hInput, L"typed");
    SetFocus(hInput);
    SendMessageW(hInput, EM_SETSEL, 0, 3);
    dlg.EditChat(QXCHAT_EDIT_COPY);
    EXPECT_EQ(ClipboardText(), L"typ");
}

TEST_F(ChatDialogTest, TheCopyStateCountsTheListSelectionOnlyWhileTheContainerHasTheFocus) {
    Open();
    list->ShowMessage(L"Alice", L"Hello", L" says:", L"d", L"t");
    dlg.EditChat(QXCHAT_EDIT_FOCUS);
    EXPECT_EQ(LastState(WM_CHAT_EDIT_CAN_COPY), 0);
    list->SelectAll();
    dlg.EditCommandState();
    EXPECT_EQ(LastState(WM_CHAT_EDIT_CAN_COPY), 1);
    EXPECT_EQ(LastState(WM_CHAT_EDIT_CAN_CUT), 0);
    dlg.SetInputUIStatus(TRUE); // a disabled box takes no focus
    SetFocus(hInput);
    ASSERT_EQ(GetFocus(), hInput);
    dlg.EditCommandState();
    EXPECT_EQ(LastState(WM_CHAT_EDIT_CAN_COPY), 0);
}

TEST_F(ChatDialogTest, TheStripFollowsTheCompactFeature) {
    Open();
    HWND hStrip = QxIndicationWindow(dlg.Controls().m_hMessageWnd);
    ASSERT_NE(hStrip, nullptr);
    EXPECT_FALSE(GetWindowLongW(hStrip, GWL_STYLE) & WS_VISIBLE);
    dlg.SelectFeature(QXCHAT_FEATURE_COMPACT, 0);
    EXPECT_TRUE(GetWindowLongW(hStrip, GWL_STYLE) & WS_VISIBLE);
    dlg.SelectFeature(0, 0);
    EXPECT_FALSE(GetWindowLongW(hStrip, GWL_STYLE) & WS_VISIBLE);
}

TEST_F(ChatDialogTest, TheBrowserTypeReachesTheList) {
    dlg.SetBrowserType(9);
    Open();
    EXPECT_EQ(list->GetBrowserType(), 9);
}

TEST_F(ChatDialogTest, MovingOverTheDialogTracksHoverOnTheRecipientBox) {
    Open();
    dlg.SetInputUIStatus(TRUE); // a disabled box is not under the pointer
    // Tracking holds only while the pointer is over the tracked window.
    const RECT rc = ChildRect(dlg.Controls().m_hRecipient);
    POINT pt = {(rc.left + rc.right) / 2, rc.top + 3};
    ClientToScreen(hDlg, &pt);
    SetCursorPos(pt.x, pt.y);
    PumpPending();

    SendMessageW(hDlg, WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    TRACKMOUSEEVENT tme = {};
    tme.cbSize = sizeof(tme);
    tme.dwFlags = TME_QUERY;
    ASSERT_TRUE(TrackMouseEvent(&tme));
    EXPECT_EQ(tme.hwndTrack, dlg.Controls().m_hRecipient);
    EXPECT_TRUE(tme.dwFlags & TME_HOVER);
    EXPECT_EQ(tme.dwHoverTime, 1u);
}

} // namespace
