// The chat dialog's controls as a screen reader reads them through AccessibleObjectFromWindow:
// the input box, the Send button and the owner-drawn recipient box with its entries.
#include "window/ControlAccessible.h"

#include "AccessibleTestSupport.h"
#include "WindowTestSupport.h"
#include "module/ModuleState.h"
#include "qxnodectl_test.h"
#include "resources/resource.h"
#include "window/AccessibleBase.h"
#include "window/MainChatDlg.h"

#include <gtest/gtest.h>
#include <oleacc.h>

using namespace windowtest;

namespace {

class ControlAccessibleTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { hResources = LoadLibraryW(L"qxres.dll"); }
    static void TearDownTestSuite() { FreeLibrary(hResources); }
    void SetUp() override {
        ASSERT_NE(hResources, nullptr);
        ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
        nLiveBefore = QxLiveAccessibleObjects();
        QxSetResourceModule(hResources);
        IQxNodeControlTest* control = nullptr;
        ASSERT_EQ(QxGetNodeControlTest(&control), 0);
        control->Reset();
        control->ScriptResult(QXNC_OP_GET_CONTROLLER_EX, ARM_ERROR_INVALID_STATE, 1);
        ASSERT_NE(dlg.Create(host.Get()), nullptr);
        PumpPending();
    }
    void TearDown() override {
        dlg.DestroyWindowIfAny();
        QxSetResourceModule(nullptr);
        EXPECT_EQ(QxLiveAccessibleObjects(), nLiveBefore);
        CoUninitialize();
    }
    // Name (or value) of a control's child, read through a fresh client object.
    static std::wstring Read(HWND hCtl, LONG lChild, bool bValue = false) {
        IAccessible* acc = nullptr;
        EXPECT_EQ(AccessibleObjectFromWindow(hCtl, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                             reinterpret_cast<void**>(&acc)),
                  S_OK);
        if (!acc) return L"<none>";
        BstrText text;
        if (bValue)
            acc->get_accValue(Child(lChild), &text.b);
        else
            acc->get_accName(Child(lChild), &text.b);
        acc->Release();
        return text.Str();
    }

    static HMODULE hResources;
    TestHostWindow host{400, 300};
    CMainChatDlg dlg;
    LONG nLiveBefore = 0;
};
HMODULE ControlAccessibleTest::hResources = nullptr;

TEST_F(ControlAccessibleTest, TheInputBoxTheSendButtonAndTheRecipientBoxHaveTheDialogsNames) {
    const ChatDialogControls& c = dlg.Controls();
    // The input box is named for what it does, not by the text typed into it.
    SetWindowTextW(c.m_hInput, L"half a sentence");
    EXPECT_EQ(Read(c.m_hInput, CHILDID_SELF), QxLoadString(IDS_TIP_SEND_CHAT));
    EXPECT_FALSE(QxLoadString(IDS_TIP_SEND_CHAT).empty());
    EXPECT_EQ(Read(c.m_hSend, CHILDID_SELF), QxLoadString(IDS_SEND));
    EXPECT_EQ(Read(c.m_hRecipient, CHILDID_SELF), QxLoadString(IDS_SEND_TO));
}

TEST_F(ControlAccessibleTest, TheOwnerDrawnRecipientBoxExposesItsEntriesAndTheSelectedOneAsValue) {
    HWND hBox = dlg.Controls().m_hRecipient;
    for (const wchar_t* text : {L"Everyone", L"Hosts", L"Ann Lee"})
        SendMessageW(hBox, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    SendMessageW(hBox, CB_SETCURSEL, 2, 0);

    IAccessible* acc = nullptr;
    ASSERT_EQ(AccessibleObjectFromWindow(hBox, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                         reinterpret_cast<void**>(&acc)),
              S_OK);
    LONG n = 0;
    EXPECT_EQ(acc->get_accChildCount(&n), S_OK);
    EXPECT_EQ(n, 3);
    VARIANT role;
    EXPECT_EQ(acc->get_accRole(Child(CHILDID_SELF), &role), S_OK);
    EXPECT_EQ(role.lVal, ROLE_SYSTEM_COMBOBOX);
    acc->Release();
    EXPECT_EQ(Read(hBox, 1), L"Everyone");
    EXPECT_EQ(Read(hBox, 3), L"Ann Lee");
    EXPECT_EQ(Read(hBox, CHILDID_SELF, true), L"Ann Lee");
    SendMessageW(hBox, CB_SETCURSEL, 0, 0);
    EXPECT_EQ(Read(hBox, CHILDID_SELF, true), L"Everyone");
}

// The quick-phrase box is read by its label, with the phrases as entries and the chosen one as
// value; the label's text is what the dialog shows, which the resource library may change.
TEST_F(ControlAccessibleTest, TheQuickPhraseBoxIsNamedByItsLabelAndExposesThePhrases) {
    ASSERT_TRUE(dlg.CreateFAQComboBox());
    HWND hBox = dlg.Controls().m_hPhraseBox;
    ASSERT_NE(hBox, nullptr);
    HWND hLabel = GetDlgItem(dlg.GetHwnd(), IDC_PHRASE_LABEL);
    ASSERT_NE(hLabel, nullptr);
    EXPECT_EQ(Read(hBox, CHILDID_SELF), L"Quick Phrase:");
    SetWindowTextW(hLabel, L"&Phrases:");
    EXPECT_EQ(Read(hBox, CHILDID_SELF), L"Phrases:");
    for (const wchar_t* text : {L"Greeting", L"Closing"})
        SendMessageW(hBox, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    SendMessageW(hBox, CB_SETCURSEL, 1, 0);
    EXPECT_EQ(Read(hBox, 1), L"Greeting");
    EXPECT_EQ(Read(hBox, CHILDID_SELF, true), L"Closing");
    // Destroyed with the dialog, the box leaves no object behind (checked on tear-down).
}

TEST_F(ControlAccessibleTest, AControlsObjectFailsCleanlyOnceTheControlIsGone) {
    HWND hInput = dlg.Controls().m_hInput;
    IAccessible* acc = nullptr;
    ASSERT_EQ(AccessibleObjectFromWindow(hInput, static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                                         reinterpret_cast<void**>(&acc)),
              S_OK);
    dlg.DestroyWindowIfAny();
    BSTR b = nullptr;
    EXPECT_EQ(acc->get_accName(Child(CHILDID_SELF), &b), CO_E_OBJNOTCONNECTED);
    EXPECT_EQ(b, nullptr);
    acc->Release();
}

} // namespace
