// The instance window, the hook on the host's window and the chat dialog inside, driven through
// qxchat.dll as a host drives it.
#include "QxChatApi.h"
#include "TraceCapture.h"
#include "WindowTestUtil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <commctrl.h>

namespace {

class InstanceWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(api.Bind(L"qxchat.dll")); }
    static void TearDownTestSuite() { api.Unload(); }
    void TearDown() override {
        if (h) api.QxDeleteInstance(h);
        h = 0;
    }
    // Creates the instance on the host window and, when asked, starts the chat.
    void Start(HWND hHost, bool bChat) {
        h = api.QxNewInstance(hHost);
        ASSERT_NE(h, 0);
        if (bChat) {
            ASSERT_EQ(api.ChChat1(h, L"127.0.0.1", 1, 1, L"me", 1, nullptr), 0);
            ASSERT_NE(FindChatDialog(hHost), nullptr);
        }
    }
    static bool FillsParent(HWND hChild) {
        const RECT a = ClientRectOf(GetParent(hChild)), b = ClientRectOf(hChild);
        return a.right == b.right && a.bottom == b.bottom;
    }

    static QxChatApi api;
    QXHCOMPONENT h = 0;
};
QxChatApi InstanceWindowTest::api;

TEST_F(InstanceWindowTest, HostReceivesSizeOnceTheInstanceWindowExists) {
    TestHostWindow host;
    Start(host.Get(), false);
    HWND hInstance = FindInstanceWindow(host.Get());
    ASSERT_NE(hInstance, nullptr);
    EXPECT_TRUE(PumpUntil([&] { return host.Count(WM_SIZE, 0, 0) >= 1; }));
    EXPECT_TRUE(FillsParent(hInstance));
    EXPECT_TRUE(GetWindowLongW(hInstance, GWL_STYLE) & WS_VISIBLE);
}

TEST_F(InstanceWindowTest, ResizingTheHostResizesThePanelAndTheDialog) {
    TestHostWindow host(400, 300);
    Start(host.Get(), true);
    HWND hDlg = FindChatDialog(host.Get());
    ASSERT_TRUE(PumpUntil([&] { return FillsParent(hDlg) && FillsParent(GetParent(hDlg)); }));
    SetWindowPos(host.Get(), nullptr, 0, 0, 640, 480, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_TRUE(PumpUntil(
        [&] { return FillsParent(GetParent(hDlg)) && FillsParent(hDlg) && ClientRectOf(hDlg).right > 500; }));
    // The controls follow: the input box keeps its 10-pixel bottom margin.
    const RECT rcInput = ChildRect(GetDlgItem(hDlg, 101));
    EXPECT_EQ(rcInput.bottom, ClientRectOf(hDlg).bottom - 10);
    EXPECT_EQ(rcInput.right - rcInput.left, ClientRectOf(hDlg).right - 83);
}

TEST_F(InstanceWindowTest, ZeroSizeMovesNothing) {
    TestHostWindow host;
    Start(host.Get(), true);
    HWND hDlg = FindChatDialog(host.Get());
    ASSERT_TRUE(PumpUntil([&] { return FillsParent(hDlg); }));
    PumpPending();
    const RECT before = ChildRect(GetDlgItem(hDlg, 101));
    // A collapsed dialog: laying out a zero-wide area would push every control off.
    SetWindowPos(hDlg, nullptr, 0, 0, 0, 120, SWP_NOMOVE | SWP_NOZORDER | SWP_NOREDRAW);
    ASSERT_EQ(ClientRectOf(hDlg).right, 0);
    const RECT after = ChildRect(GetDlgItem(hDlg, 101));
    EXPECT_TRUE(EqualRect(&before, &after));
}

TEST_F(InstanceWindowTest, ServiceMessageZeroIsConsumedAndOneClosesTheDropDown) {
    TestHostWindow host;
    Start(host.Get(), true);
    HWND hInstance = FindInstanceWindow(host.Get());
    HWND hCombo = GetDlgItem(FindChatDialog(host.Get()), 108);
    ASSERT_NE(hCombo, nullptr);
    const UINT uServiceMsg = RegisterWindowMessageW(QXCHAT_SERVICE_NOTIFY_MSG_NAME);
    EnableWindow(hCombo, TRUE);
    SendMessageW(hCombo, CB_SHOWDROPDOWN, TRUE, 0);
    ASSERT_TRUE(SendMessageW(hCombo, CB_GETDROPPEDSTATE, 0, 0));
    EXPECT_EQ(SendMessageW(hInstance, uServiceMsg, 0, 0), 0);
    EXPECT_TRUE(SendMessageW(hCombo, CB_GETDROPPEDSTATE, 0, 0)) << "wParam 0 has no effect";
    EXPECT_EQ(SendMessageW(hInstance, uServiceMsg, 1, 0), 0);
    EXPECT_FALSE(SendMessageW(hCombo, CB_GETDROPPEDSTATE, 0, 0));
}

// A modal dialog owned by the host, which posts a close of the host while it runs.
INT_PTR CALLBACK ClosingDialogProc(HWND hDlg, UINT uMsg, WPARAM, LPARAM lParam) {
    if (uMsg == WM_INITDIALOG) {
        PostMessageW(reinterpret_cast<HWND>(lParam), WM_SYSCOMMAND, SC_CLOSE, 0);
        SetTimer(hDlg, 1, 3000, nullptr); // bounded: ends itself with 99 if nobody ends it
        return TRUE;
    }
    if (uMsg == WM_TIMER) EndDialog(hDlg, 99);
    return FALSE;
}

TEST_F(InstanceWindowTest, ClosingADisabledHostEndsItsModalPopupsFirst) {
    TestHostWindow host;
    Start(host.Get(), false);
    struct {
        DLGTEMPLATE dlg;
        WORD menu, cls, title;
    } tmpl = {};
    tmpl.dlg.style = WS_POPUP | WS_VISIBLE | WS_CAPTION;
    tmpl.dlg.cx = 100;
    tmpl.dlg.cy = 40;
    const INT_PTR result = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), &tmpl.dlg, host.Get(),
                                                   ClosingDialogProc, reinterpret_cast<LPARAM>(host.Get()));
    EXPECT_EQ(result, 0) << "the hook ends the dialog with 0";
    EXPECT_EQ(host.closeRequests, 1) << "the host's own procedure still sees the close";
}

TEST_F(InstanceWindowTest, ClosingAnEnabledHostLeavesItsPopupsAlone) {
    TestHostWindow host;
    Start(host.Get(), false);
    HWND hPopup = CreateWindowExW(0, L"STATIC", L"popup", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, host.Get(),
                                  nullptr, GetModuleHandleW(nullptr), nullptr);
    SendMessageW(host.Get(), WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(IsWindowVisible(hPopup));
    EXPECT_EQ(host.closeRequests, 1);
    DestroyWindow(hPopup);
}

TEST_F(InstanceWindowTest, DialogStartsWithInputDisabledAndItsLines) {
    TestHostWindow host;
    h = api.QxNewInstance(host.Get());
    TraceCapture capture;
    ASSERT_EQ(api.ChChat1(h, L"127.0.0.1", 1, 1, L"me", 1, nullptr), 0);
    HWND hDlg = FindChatDialog(host.Get());
    ASSERT_NE(hDlg, nullptr);
    const std::vector<std::wstring> lines = capture.Lines();
    const std::wstring enter = Fmt(L"/**** CMainChatDlg::OnInitDialog enter: m_hWnd=%d****/", hDlg);
    auto at = [&](const std::wstring& line) {
        return std::find(lines.begin(), lines.end(), line) - lines.begin();
    };
    ASSERT_LT(at(enter), static_cast<long>(lines.size())) << ::testing::PrintToString(capture.Dump());
    EXPECT_LT(at(enter), at(L"/**** CMainChatDlg::SetInputUIStatus : bEnable = 0 ****/"));
    EXPECT_LT(at(L"/**** CMainChatDlg::SetInputUIStatus : bEnable = 0 ****/"),
              at(L"/**** CMainChatDlg::Initialize() enter ****/"));
    EXPECT_LT(at(L"/**** CMainChatDlg::Initialize() enter ****/"),
              at(L"/==== CMainChatDlg::OnInitDialog end: ====/"));
    for (int id : {101, 102, 105, 108})
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(hDlg, id))) << id;
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(hDlg, 100)));
    HWND hContainer = FindWindowExW(hDlg, nullptr, nullptr, L"MessageContainerWnd");
    ASSERT_NE(hContainer, nullptr);
    EXPECT_TRUE(GetWindowLongW(hContainer, GWL_STYLE) & WS_BORDER);
    // The container fills the area above the recipient row.
    ASSERT_TRUE(PumpUntil([&] { return FillsParent(hDlg); }));
    EXPECT_EQ(ChildRect(hContainer).bottom + 8, ChildRect(GetDlgItem(hDlg, 108)).top);
}

TEST_F(InstanceWindowTest, CompactFeatureHidesTheRecipientRow) {
    TestHostWindow host;
    Start(host.Get(), true);
    HWND hDlg = FindChatDialog(host.Get());
    ASSERT_TRUE(PumpUntil([&] { return FillsParent(hDlg); }));
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(hDlg, 108)));
    EXPECT_EQ(api.ChSelectFeature(h, QXCHAT_FEATURE_COMPACT, 0, 0, 0, 0, nullptr), 0);
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(hDlg, 108)));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(hDlg, 105)));
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(hDlg, 102)));
}

TEST_F(InstanceWindowTest, DeletingTheInstanceTearsTheDialogDown) {
    TestHostWindow host;
    Start(host.Get(), true);
    HWND hDlg = FindChatDialog(host.Get());
    TraceCapture capture;
    api.QxDeleteInstance(h);
    h = 0;
    EXPECT_FALSE(IsWindow(hDlg));
    EXPECT_EQ(FindInstanceWindow(host.Get()), nullptr);
    EXPECT_TRUE(capture.ContainsSubstring(L"/**** CMainChatDlg::Cleanup(): m_hWnd="));
    EXPECT_TRUE(capture.Contains(L"/**** CMainChatDlg::OnDestroy enter ****/"));
    EXPECT_TRUE(capture.Contains(L"/==== CMainChatDlg::OnDestroy end ====/"));
    // The host window is unhooked: it still resizes and paints on its own.
    SetWindowPos(host.Get(), nullptr, 0, 0, 300, 200, SWP_NOMOVE | SWP_NOZORDER);
    PumpPending();
}

TEST_F(InstanceWindowTest, ClosingTheDialogCleansUpAndDestroysIt) {
    TestHostWindow host;
    Start(host.Get(), true);
    HWND hDlg = FindChatDialog(host.Get());
    TraceCapture capture;
    SendMessageW(hDlg, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(hDlg));
    const std::vector<std::wstring> lines = capture.Lines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines.front(), L"/**** CMainChatDlg::OnClose enter****/");
    EXPECT_EQ(lines.back(), L"/==== CMainChatDlg::OnClose End ====/");
    EXPECT_TRUE(capture.Contains(L"/**** CMainChatDlg::OnDestroy enter ****/"));
    // Calls that need the window now do nothing.
    EXPECT_EQ(api.ChSaveChat(h), 1);
    EXPECT_EQ(api.ChEditChat(h, 1), 0);
}

TEST_F(InstanceWindowTest, TooltipTextComesFromTheResourceStringOfTheControlId) {
    TestHostWindow host;
    Start(host.Get(), true);
    HWND hInstance = FindInstanceWindow(host.Get());
    NMTTDISPINFOW info = {};
    info.hdr.hwndFrom = nullptr;
    info.hdr.idFrom = 102; // the Send button's tooltip string
    info.hdr.code = TTN_GETDISPINFOW;
    SendMessageW(hInstance, WM_NOTIFY, 102, reinterpret_cast<LPARAM>(&info));
    ASSERT_NE(info.lpszText, nullptr);
    HMODULE hLite = GetModuleHandleW(L"qxres_lite.dll");
    ASSERT_NE(hLite, nullptr);
    wchar_t expected[513] = {};
    LoadStringW(hLite, 102, expected, 513);
    EXPECT_STREQ(info.lpszText, expected);
    EXPECT_GT(wcslen(expected), 0u);
}

// A modal dialog titled like the module's save dialog: ChDestroyModalDialog ends it with cancel.
struct ModalProbe {
    QxChatApi* api;
    QXHCOMPONENT h;
    LONG lResult = -1;
};

INT_PTR CALLBACK SaveTitledDialogProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam) {
    if (uMsg == WM_INITDIALOG) {
        SetWindowLongPtrW(hDlg, DWLP_USER, lParam);
        wchar_t title[256] = {};
        LoadStringW(GetModuleHandleW(L"qxres_lite.dll"), 1111, title, 256);
        SetWindowTextW(hDlg, title);
        PostMessageW(hDlg, WM_APP, 0, 0);
        SetTimer(hDlg, 1, 3000, nullptr);
        return TRUE;
    }
    if (uMsg == WM_APP) {
        auto* probe = reinterpret_cast<ModalProbe*>(GetWindowLongPtrW(hDlg, DWLP_USER));
        probe->lResult = probe->api->ChDestroyModalDialog(probe->h);
    }
    // Like the file dialogs, it ends on its Cancel button.
    if (uMsg == WM_COMMAND && LOWORD(wParam) == IDCANCEL) EndDialog(hDlg, IDCANCEL);
    if (uMsg == WM_TIMER) EndDialog(hDlg, 99);
    return FALSE;
}

TEST_F(InstanceWindowTest, DestroyModalDialogEndsTheSaveDialogWithCancel) {
    TestHostWindow host;
    Start(host.Get(), false);
    EXPECT_EQ(api.ChDestroyModalDialog(h), 0) << "no such dialog open";
    struct {
        DLGTEMPLATE dlg;
        WORD menu, cls, title;
    } tmpl = {};
    tmpl.dlg.style = WS_POPUP | WS_VISIBLE | WS_CAPTION;
    tmpl.dlg.cx = 100;
    tmpl.dlg.cy = 40;
    ModalProbe probe{&api, h};
    const INT_PTR result = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), &tmpl.dlg, host.Get(),
                                                   SaveTitledDialogProc, reinterpret_cast<LPARAM>(&probe));
    EXPECT_EQ(probe.lResult, 1);
    EXPECT_EQ(result, IDCANCEL);
}

} // namespace
