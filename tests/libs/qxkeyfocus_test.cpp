// qxkeyfocus, bound by name: the remembered window inside the dialog gets the focus back when
// the dialog's top-level window is activated again. Activation is delivered as the WM_ACTIVATE
// the system sends, and no messages are pumped meanwhile: other test processes on the same
// display then cannot take the activation away halfway through a test.
#include "qxkeyfocus.h"

#include <gtest/gtest.h>

namespace {

struct FocusApi {
    decltype(&KbInstallFocusControl) install = nullptr;
    decltype(&KbSetFocus) setFocus = nullptr;
    decltype(&KbSetDialogFocus) setDialog = nullptr;
    decltype(&KbUninstallFocusControl) uninstall = nullptr;
    decltype(&KbGetFocusState) state = nullptr;
};

class FocusKeeping : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(m_lib = LoadLibraryW(L"qxkeyfocus.dll"), nullptr);
        Bind(m_api.install, "KbInstallFocusControl");
        Bind(m_api.setFocus, "KbSetFocus");
        Bind(m_api.setDialog, "KbSetDialogFocus");
        Bind(m_api.uninstall, "KbUninstallFocusControl");
        Bind(m_api.state, "KbGetFocusState");
        ASSERT_TRUE(m_api.install && m_api.setFocus && m_api.setDialog && m_api.uninstall && m_api.state);

        m_host = Create(0, L"Static", WS_OVERLAPPEDWINDOW | WS_VISIBLE, nullptr, 0, 0, 400, 300);
        m_dialog = Create(WS_EX_CONTROLPARENT, L"Static", WS_CHILD | WS_VISIBLE, m_host, 0, 0, 300, 200);
        m_edit1 = Create(0, L"Edit", WS_CHILD | WS_VISIBLE | WS_TABSTOP, m_dialog, 10, 10, 100, 20);
        m_edit2 = Create(0, L"Edit", WS_CHILD | WS_VISIBLE | WS_TABSTOP, m_dialog, 10, 40, 100, 20);
        m_outside = Create(0, L"Edit", WS_CHILD | WS_VISIBLE, m_host, 10, 250, 100, 20);
        m_other = Create(0, L"Static", WS_OVERLAPPEDWINDOW | WS_VISIBLE, nullptr, 450, 0, 200, 200);
        ASSERT_TRUE(m_host && m_dialog && m_edit1 && m_edit2 && m_outside && m_other);
    }
    void TearDown() override {
        if (m_api.uninstall)
            while (m_api.uninstall()) {
            }
        if (m_api.setDialog) m_api.setDialog(nullptr);
        if (m_api.setFocus) m_api.setFocus(nullptr);
        if (m_other) DestroyWindow(m_other);
        if (m_host) DestroyWindow(m_host);
        if (m_lib) FreeLibrary(m_lib);
    }
    template <typename Fn> void Bind(Fn& fn, const char* name) {
        fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(m_lib, name)));
    }
    static HWND Create(DWORD exStyle, const wchar_t* cls, DWORD style, HWND parent, int x, int y, int w,
                       int h) {
        return CreateWindowExW(exStyle, cls, L"", style, x, y, w, h, parent, nullptr, nullptr, nullptr);
    }
    static void Activation(HWND hWnd, WORD state, HWND hOther) {
        SendMessageW(hWnd, WM_ACTIVATE, MAKEWPARAM(state, 0), reinterpret_cast<LPARAM>(hOther));
    }
    KB_FOCUS_STATE State() {
        KB_FOCUS_STATE s = {};
        s.cbSize = sizeof(s);
        EXPECT_TRUE(m_api.state(&s));
        return s;
    }
    // Installs and keeps m_dialog with focus on hFocus.
    void Keep(HWND hFocus) {
        ASSERT_TRUE(m_api.install());
        ASSERT_TRUE(m_api.setFocus(hFocus));
        ASSERT_TRUE(m_api.setDialog(m_dialog));
    }
    // The host loses the activation to the other top-level window, with the focus left outside
    // the dialog, and gets it back; returns the focus after the return.
    HWND AwayAndBack() {
        SetFocus(m_outside);
        Activation(m_host, WA_INACTIVE, m_other);
        Activation(m_other, WA_ACTIVE, m_host);
        Activation(m_host, WA_ACTIVE, m_other);
        return GetFocus();
    }

    HMODULE m_lib = nullptr;
    FocusApi m_api;
    HWND m_host = nullptr, m_dialog = nullptr, m_edit1 = nullptr, m_edit2 = nullptr;
    HWND m_outside = nullptr, m_other = nullptr;
};

// The dialog sets its focus window first and itself second, while its top-level window is not
// yet active: the activation that KbSetFocus causes must not lose the window.
TEST_F(FocusKeeping, SetFocusGivesTheFocusAtOnce) {
    SetFocus(m_other);
    ASSERT_EQ(GetActiveWindow(), m_other);
    Keep(m_edit1);
    EXPECT_EQ(GetFocus(), m_edit1);
    KB_FOCUS_STATE s = State();
    EXPECT_EQ(s.lInstallCount, 1);
    EXPECT_EQ(s.hDialog, m_dialog);
    EXPECT_EQ(s.hFocus, m_edit1);
}

TEST_F(FocusKeeping, ActivationRestoresTheRememberedWindow) {
    Keep(m_edit1);
    const LONG restores = State().lRestoreCount;
    EXPECT_EQ(AwayAndBack(), m_edit1);
    EXPECT_GT(State().lRestoreCount, restores);
}

TEST_F(FocusKeeping, FollowsFocusInsideTheDialogOnly) {
    Keep(m_edit1);
    SetFocus(m_edit2);
    EXPECT_EQ(State().hFocus, m_edit2);
    SetFocus(m_outside);
    EXPECT_EQ(State().hFocus, m_edit2);
    EXPECT_EQ(AwayAndBack(), m_edit2);
}

TEST_F(FocusKeeping, OnlyTheDialogsOwnActivationRestores) {
    Keep(m_edit1);
    SetFocus(m_outside);
    Activation(m_host, WA_INACTIVE, m_other);
    EXPECT_EQ(GetFocus(), m_outside);
    Activation(m_other, WA_ACTIVE, m_host);
    EXPECT_EQ(GetFocus(), m_other);
    SendMessageW(m_host, WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 1), 0); // activated while minimised
    EXPECT_EQ(GetFocus(), m_host);
}

TEST_F(FocusKeeping, NothingIsRestoredOnceUninstalled) {
    Keep(m_edit1);
    ASSERT_TRUE(m_api.uninstall());
    EXPECT_EQ(State().lInstallCount, 0);
    const LONG restores = State().lRestoreCount;
    EXPECT_NE(AwayAndBack(), m_edit1);
    EXPECT_EQ(State().lRestoreCount, restores);
}

TEST_F(FocusKeeping, InstallsNest) {
    ASSERT_TRUE(m_api.install());
    ASSERT_TRUE(m_api.install());
    EXPECT_TRUE(m_api.uninstall());
    EXPECT_EQ(State().lInstallCount, 1);
    ASSERT_TRUE(m_api.setFocus(m_edit1));
    ASSERT_TRUE(m_api.setDialog(m_dialog));
    EXPECT_EQ(AwayAndBack(), m_edit1) << "one install is still active";
    EXPECT_TRUE(m_api.uninstall());
    EXPECT_FALSE(m_api.uninstall());
}

TEST_F(FocusKeeping, RefusesHandlesThatAreNotWindows) {
    Keep(m_edit1);
    HWND bogus = reinterpret_cast<HWND>(static_cast<INT_PTR>(0x7ff0));
    ASSERT_FALSE(IsWindow(bogus));
    EXPECT_FALSE(m_api.setFocus(bogus));
    EXPECT_FALSE(m_api.setDialog(bogus));
    KB_FOCUS_STATE s = State();
    EXPECT_EQ(s.hDialog, m_dialog);
    EXPECT_EQ(s.hFocus, m_edit1);
}

TEST_F(FocusKeeping, ForgetsADestroyedFocusWindow) {
    Keep(m_edit1);
    DestroyWindow(m_edit1);
    m_edit1 = nullptr;
    EXPECT_NE(AwayAndBack(), nullptr);
    EXPECT_EQ(State().hFocus, nullptr);
}

TEST_F(FocusKeeping, ClearingTheDialogForgetsItsFocusWindow) {
    Keep(m_edit1);
    EXPECT_TRUE(m_api.setDialog(nullptr));
    KB_FOCUS_STATE s = State();
    EXPECT_EQ(s.hDialog, nullptr);
    EXPECT_EQ(s.hFocus, nullptr);
    EXPECT_TRUE(m_api.setFocus(nullptr));
}

TEST_F(FocusKeeping, StateRefusesAShortStructure) {
    EXPECT_FALSE(m_api.state(nullptr));
    KB_FOCUS_STATE s = {};
    s.cbSize = sizeof(s) - 1;
    EXPECT_FALSE(m_api.state(&s));
}

} // namespace
