// qxskin7 is bound by ordinal, both at run time and through its import library.
#include "qxskin7.h"

#include "DialogAnswerer.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

class SkinLibrary : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(m_h = LoadLibraryW(L"qxskin7.dll"), nullptr);
        m_setResource = Bind<PFN_SkinSetResourceModule>(QXSKIN_ORD_SET_RESOURCE_MODULE);
        m_attach = Bind<PFN_SkinInstanceAttach>(QXSKIN_ORD_INSTANCE_ATTACH);
        m_detach = Bind<PFN_SkinInstanceDetach>(QXSKIN_ORD_INSTANCE_DETACH);
        m_diagnostics = Bind<PFN_SkinGetDiagnostics>(QXSKIN_ORD_GET_DIAGNOSTICS);
        m_popup = Bind<PFN_SkinTrackPopupMenu>(QXSKIN_ORD_TRACK_POPUP_MENU);
        ASSERT_TRUE(m_setResource && m_attach && m_detach && m_diagnostics && m_popup);
    }
    void TearDown() override {
        if (m_h) FreeLibrary(m_h);
    }
    template <typename Fn> Fn Bind(int ordinal) {
        return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(m_h, MAKEINTRESOURCEA(ordinal))));
    }
    QXSKIN_DIAGNOSTICS Diagnostics() {
        QXSKIN_DIAGNOSTICS d = {};
        d.cbSize = sizeof(d);
        EXPECT_TRUE(m_diagnostics(&d));
        return d;
    }

    HMODULE m_h = nullptr;
    PFN_SkinSetResourceModule m_setResource = nullptr;
    PFN_SkinInstanceAttach m_attach = nullptr;
    PFN_SkinInstanceDetach m_detach = nullptr;
    PFN_SkinGetDiagnostics m_diagnostics = nullptr;
    PFN_SkinTrackPopupMenu m_popup = nullptr;
};

TEST_F(SkinLibrary, ExportsNoNames) {
    for (const char* name : {"SkinSetResourceModule", "SkinInstanceAttach", "SkinInstanceDetach",
                             "SkinGetDiagnostics", "SkinMessageBox", "SkinQuestionBox", "SkinTrackPopupMenu"})
        EXPECT_EQ(GetProcAddress(m_h, name), nullptr) << name;
}

TEST_F(SkinLibrary, KeepsTheLastResourceModule) {
    const LONG calls = Diagnostics().lResourceModuleCalls;
    HMODULE self = GetModuleHandleW(nullptr);
    m_setResource(self);
    EXPECT_EQ(Diagnostics().hResourceModule, self);
    m_setResource(m_h);
    EXPECT_EQ(Diagnostics().hResourceModule, m_h);
    m_setResource(nullptr);
    EXPECT_EQ(Diagnostics().hResourceModule, nullptr);
    EXPECT_EQ(Diagnostics().lResourceModuleCalls, calls + 3);
}

TEST_F(SkinLibrary, CountsInstancesAndIgnoresUnmatchedDetach) {
    const QXSKIN_DIAGNOSTICS before = Diagnostics();
    m_attach();
    m_attach();
    EXPECT_EQ(Diagnostics().lLiveInstances, before.lLiveInstances + 2);
    m_detach();
    m_detach();
    EXPECT_EQ(Diagnostics().lLiveInstances, before.lLiveInstances);
    while (Diagnostics().lLiveInstances > 0)
        m_detach();
    m_detach(); // one too many
    const QXSKIN_DIAGNOSTICS after = Diagnostics();
    EXPECT_EQ(after.lLiveInstances, 0);
    EXPECT_EQ(after.lAttachCalls, before.lAttachCalls + 2);
    EXPECT_GE(after.lDetachCalls, before.lDetachCalls + 3);
}

TEST_F(SkinLibrary, DiagnosticsRefuseAShortStructure) {
    EXPECT_FALSE(m_diagnostics(nullptr));
    QXSKIN_DIAGNOSTICS d = {};
    d.cbSize = sizeof(d) - 1;
    EXPECT_FALSE(m_diagnostics(&d));
}

TEST_F(SkinLibrary, ImportLibraryReachesTheSameEntries) {
    const LONG attaches = Diagnostics().lAttachCalls;
    SkinInstanceAttach();
    SkinInstanceDetach();
    SkinSetResourceModule(m_h);
    EXPECT_EQ(Diagnostics().lAttachCalls, attaches + 1);
    EXPECT_EQ(Diagnostics().hResourceModule, m_h);
    QXSKIN_DIAGNOSTICS d = {};
    d.cbSize = sizeof(d);
    EXPECT_TRUE(SkinGetDiagnostics(&d));
}

using dialogtest::DialogAnswerer;

// The boxes are real modal dialogs: found by their title, read and answered like a person would.
TEST_F(SkinLibrary, MessageBoxShowsItsTextUntilAnswered) {
    const auto box = Bind<PFN_SkinMessageBox>(QXSKIN_ORD_MESSAGE_BOX);
    ASSERT_NE(box, nullptr);
    DialogAnswerer answerer({{L"Skin box title", DialogAnswerer::Press(IDOK)}});
    EXPECT_EQ(box(nullptr, L"The disk may be full.", L"Skin box title", MB_ICONEXCLAMATION), IDOK);
    ASSERT_TRUE(answerer.AllAnswered());
    EXPECT_EQ(answerer.Answered()[0].text, L"The disk may be full.");
    EXPECT_TRUE(answerer.Unexpected().empty());
}

TEST_F(SkinLibrary, QuestionBoxAnswersYesOrNo) {
    const auto ask = Bind<PFN_SkinQuestionBox>(QXSKIN_ORD_QUESTION_BOX);
    ASSERT_NE(ask, nullptr);
    for (int answer : {IDYES, IDNO}) {
        DialogAnswerer answerer({{L"Skin question", DialogAnswerer::Press(answer)}});
        EXPECT_EQ(ask(nullptr, L"Overwrite?", L"Skin question"), answer);
        ASSERT_TRUE(answerer.AllAnswered());
        EXPECT_EQ(answerer.Answered()[0].text, L"Overwrite?");
    }
    // Closed by other means, the question counts as no.
    DialogAnswerer closer({{L"Skin question", DialogAnswerer::Press(IDCANCEL)}});
    EXPECT_EQ(SkinQuestionBox(nullptr, L"Overwrite?", L"Skin question"), IDNO);
}

// The owner of a popup menu; a timer sends keys into the menu loop once the menu is open.
class PopupOwner {
public:
    PopupOwner() {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"QxSkinPopupOwner";
        RegisterClassW(&wc);
        hWnd = CreateWindowW(L"QxSkinPopupOwner", L"owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 200,
                             nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        hMenu = CreatePopupMenu();
        AppendMenuW(hMenu, MF_STRING, 10, L"One");
        AppendMenuW(hMenu, MF_STRING, 11, L"Two");
        AppendMenuW(hMenu, MF_STRING, 12, L"Three");
    }
    ~PopupOwner() {
        DestroyMenu(hMenu);
        DestroyWindow(hWnd);
    }
    // Keys for the open menu; none closes it.
    void SendWhenOpen(std::vector<UINT> keys) {
        s_keys = std::move(keys);
        s_owner = hWnd;
        SetTimer(nullptr, 0, 50, OnTimer);
    }
    HWND hWnd;
    HMENU hMenu;

private:
    static void CALLBACK OnTimer(HWND, UINT, UINT_PTR id, DWORD) {
        KillTimer(nullptr, id);
        if (s_keys.empty()) EndMenu();
        for (UINT vk : s_keys) {
            PostMessageW(s_owner, WM_KEYDOWN, vk, 1);
            PostMessageW(s_owner, WM_KEYUP, vk, 0xC0000001);
        }
    }
    static std::vector<UINT> s_keys;
    static HWND s_owner;
};
std::vector<UINT> PopupOwner::s_keys;
HWND PopupOwner::s_owner = nullptr;

TEST_F(SkinLibrary, APopupMenuReturnsTheChosenCommandToTheCaller) {
    PopupOwner owner;
    const LONG calls = Diagnostics().lPopupMenuCalls;
    owner.SendWhenOpen({VK_DOWN, VK_DOWN, VK_RETURN});
    EXPECT_EQ(m_popup(owner.hMenu, TPM_RIGHTBUTTON, 20, 20, owner.hWnd), 11u);
    EXPECT_EQ(Diagnostics().uLastPopupCommand, 11u);
    // Nothing reaches the owner as a command.
    MSG msg;
    EXPECT_FALSE(PeekMessageW(&msg, owner.hWnd, WM_COMMAND, WM_COMMAND, PM_REMOVE));
    // Dismissed: 0.
    owner.SendWhenOpen({});
    EXPECT_EQ(SkinTrackPopupMenu(owner.hMenu, 0, 20, 20, owner.hWnd), 0u);
    EXPECT_EQ(Diagnostics().lPopupMenuCalls, calls + 2);
    // A grayed entry cannot be chosen.
    EnableMenuItem(owner.hMenu, 10, MF_BYCOMMAND | MF_GRAYED);
    owner.SendWhenOpen({VK_DOWN, VK_RETURN});
    EXPECT_NE(m_popup(owner.hMenu, 0, 20, 20, owner.hWnd), 10u);
}

TEST_F(SkinLibrary, APopupWithoutAMenuOrOwnerShowsNothing) {
    PopupOwner owner;
    EXPECT_EQ(m_popup(nullptr, 0, 0, 0, owner.hWnd), 0u);
    EXPECT_EQ(m_popup(owner.hMenu, 0, 0, 0, nullptr), 0u);
    EXPECT_EQ(m_popup(reinterpret_cast<HMENU>(0x1234), 0, 0, 0, owner.hWnd), 0u);
}

} // namespace
