#include "ChatTemplateCheck.h"

#include "resources/resource.h"

#include <gtest/gtest.h>

namespace qxtest {
namespace {

INT_PTR CALLBACK PlainDialogProc(HWND, UINT msg, WPARAM, LPARAM) {
    return msg == WM_INITDIALOG;
}

struct ExpectedControl {
    int id;
    const wchar_t* className;
    LONG typeMask; // style bits that must equal typeBits
    LONG typeBits;
    bool visible;
};

const ExpectedControl kChatControls[] = {
    {IDC_PLACEHOLDER, L"Static", 0, 0, false},
    {IDC_INPUT, L"Edit", ES_MULTILINE | ES_WANTRETURN, ES_MULTILINE | ES_WANTRETURN, true},
    {IDC_SEND, L"Button", BS_TYPEMASK, BS_PUSHBUTTON, true},
    {IDC_HIDDEN_104, L"Static", 0, 0, false},
    {IDC_SEND_TO_LABEL, L"Static", 0, 0, true},
    {IDC_HIDDEN_106, L"Static", 0, 0, false},
    {IDC_PHRASE_LABEL, L"Static", 0, 0, false},
    {IDC_RECIPIENT, L"ComboBox", CBS_DROPDOWNLIST, CBS_DROPDOWNLIST, true},
};

// The labels keep their template size after the dialog gives them the -11 pixel Tahoma font and
// their texts: each text must fit.
void ExpectTextFits(HWND hLabel, const wchar_t* text) {
    HFONT hFont =
        CreateFontW(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0, L"Tahoma");
    HDC hdc = GetDC(hLabel);
    HGDIOBJ hOld = SelectObject(hdc, hFont);
    SIZE extent = {};
    GetTextExtentPoint32W(hdc, text, lstrlenW(text), &extent);
    SelectObject(hdc, hOld);
    ReleaseDC(hLabel, hdc);
    DeleteObject(hFont);
    RECT rc = {};
    GetClientRect(hLabel, &rc);
    EXPECT_LE(extent.cx, rc.right) << "label " << GetDlgCtrlID(hLabel) << " is too narrow for its text";
    EXPECT_LE(extent.cy, rc.bottom) << "label " << GetDlgCtrlID(hLabel) << " is too low for its text";
}

void ExpectChatDialog(HMODULE hModule, HWND hParent) {
    ModelessDialog dialog(hModule, IDD_CHAT_DIALOG, hParent);
    ASSERT_NE(dialog.Get(), nullptr) << "template 1000, error " << GetLastError();
    LONG style = GetWindowLongW(dialog.Get(), GWL_STYLE);
    EXPECT_TRUE(style & WS_CHILD);
    EXPECT_FALSE(style & WS_POPUP);
    EXPECT_NE(style & WS_CAPTION, WS_CAPTION);
    EXPECT_EQ(GetParent(dialog.Get()), hParent);
    for (const ExpectedControl& want : kChatControls) {
        SCOPED_TRACE(testing::Message() << "control " << want.id);
        HWND hCtrl = GetDlgItem(dialog.Get(), want.id);
        ASSERT_NE(hCtrl, nullptr);
        EXPECT_EQ(_wcsicmp(ClassOf(hCtrl).c_str(), want.className), 0) << "class " << ClassOf(hCtrl).c_str();
        LONG ctrlStyle = GetWindowLongW(hCtrl, GWL_STYLE);
        EXPECT_EQ(ctrlStyle & want.typeMask, want.typeBits);
        EXPECT_EQ((ctrlStyle & WS_VISIBLE) != 0, want.visible);
    }
    EXPECT_EQ(GetDlgItem(dialog.Get(), 103), nullptr);
    EXPECT_EQ(TextOf(GetDlgItem(dialog.Get(), IDC_SEND_TO_LABEL)), L"Send to:");
    EXPECT_EQ(TextOf(GetDlgItem(dialog.Get(), IDC_PHRASE_LABEL)), L"Quick Phrase:");
    ExpectTextFits(GetDlgItem(dialog.Get(), IDC_SEND_TO_LABEL), L"Send to:");
    ExpectTextFits(GetDlgItem(dialog.Get(), IDC_PHRASE_LABEL), L"Quick Phrase:");
}

void ExpectNoticeDialog(HMODULE hModule, HWND hOwner) {
    ModelessDialog notice(hModule, IDD_NOTICE, hOwner);
    ASSERT_NE(notice.Get(), nullptr) << "template 1100, error " << GetLastError();
    LONG style = GetWindowLongW(notice.Get(), GWL_STYLE);
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_FALSE(style & WS_VISIBLE) << "the notice window is created hidden";
    EXPECT_NE(style & WS_CAPTION, WS_CAPTION);
    EXPECT_EQ(GetWindow(notice.Get(), GW_OWNER), hOwner);
    HWND hText = GetDlgItem(notice.Get(), IDC_NOTICE_TEXT);
    ASSERT_NE(hText, nullptr);
    EXPECT_FALSE(TextOf(hText).empty());
}

} // namespace

HostWindow::HostWindow() {
    m_hWnd = CreateWindowExW(0, L"Static", L"host", WS_OVERLAPPEDWINDOW, 0, 0, 600, 400, nullptr, nullptr,
                             nullptr, nullptr);
}

HostWindow::~HostWindow() {
    if (m_hWnd) DestroyWindow(m_hWnd);
}

ModelessDialog::ModelessDialog(HMODULE hModule, int templateId, HWND hParent) {
    m_hWnd = CreateDialogParamW(hModule, MAKEINTRESOURCEW(templateId), hParent, PlainDialogProc, 0);
}

ModelessDialog::~ModelessDialog() {
    if (m_hWnd) DestroyWindow(m_hWnd);
}

std::wstring ClassOf(HWND hWnd) {
    wchar_t name[64] = {};
    GetClassNameW(hWnd, name, 64);
    return name;
}

std::wstring TextOf(HWND hWnd) {
    wchar_t text[256] = {};
    GetWindowTextW(hWnd, text, 256);
    return text;
}

void ExpectChatTemplates(HMODULE hModule) {
    HostWindow host;
    ASSERT_NE(host.Get(), nullptr);
    ExpectChatDialog(hModule, host.Get());
    ExpectNoticeDialog(hModule, host.Get());
}

} // namespace qxtest
