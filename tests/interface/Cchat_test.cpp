// The instance's choice of resource library: the light library beside the module, else the full
// one, else the module's own resources with the built-in English texts. Each case loads its own
// copy of qxchat.dll from a folder of its own (a different path loads a separate module).
#include "QxChatApi.h"
#include "WindowTestUtil.h"

#include "qxskin7.h"

#include <gtest/gtest.h>

namespace {

std::wstring BinFolder() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring s = path;
    return s.substr(0, s.find_last_of(L'\\') + 1);
}

class ResourceChoiceTest : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        folder = Fmt(L"%sqxchat-res-%u-%u\\", temp, GetCurrentProcessId(), GetTickCount());
        ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
        ASSERT_TRUE(Copy(L"qxchat.dll"));
        HMODULE hSkin = GetModuleHandleW(L"qxskin7.dll");
        if (!hSkin) hSkin = LoadLibraryW(L"qxskin7.dll");
        getDiagnostics = reinterpret_cast<PFN_SkinGetDiagnostics>(
            reinterpret_cast<void*>(GetProcAddress(hSkin, MAKEINTRESOURCEA(QXSKIN_ORD_GET_DIAGNOSTICS))));
        ASSERT_NE(getDiagnostics, nullptr);
    }
    void TearDown() override {
        if (h) api.QxDeleteInstance(h);
        api.Unload();
        for (const wchar_t* name : {L"qxchat.dll", L"qxres.dll", L"qxres_lite.dll"})
            DeleteFileW((folder + name).c_str());
        RemoveDirectoryW(folder.c_str());
    }
    bool Copy(const wchar_t* name) {
        return CopyFileW((BinFolder() + name).c_str(), (folder + name).c_str(), FALSE) != 0;
    }
    // Loads the copy, starts a chat on a host window and returns the resource module that the
    // instance handed to the UI library.
    HMODULE StartCopy(TestHostWindow& host) {
        if (!api.Bind((folder + L"qxchat.dll").c_str())) return nullptr;
        h = api.QxNewInstance(host.Get());
        QXSKIN_DIAGNOSTICS diag = {};
        diag.cbSize = sizeof(diag);
        getDiagnostics(&diag);
        api.ChChat1(h, L"127.0.0.1", 1, 1, L"me", 1, nullptr);
        return diag.hResourceModule;
    }
    // Colour of the brush the dialog paints its background with.
    static COLORREF DialogBackground(HWND hDlg) {
        HDC hdc = GetDC(hDlg);
        HBRUSH hBrush = reinterpret_cast<HBRUSH>(SendMessageW(
            hDlg, WM_CTLCOLORDLG, reinterpret_cast<WPARAM>(hdc), reinterpret_cast<LPARAM>(hDlg)));
        ReleaseDC(hDlg, hdc);
        LOGBRUSH lb = {};
        if (!hBrush || !GetObjectW(hBrush, sizeof(lb), &lb)) return CLR_INVALID;
        return lb.lbColor;
    }
    static std::wstring ResString(HMODULE hModule, UINT id) {
        wchar_t buffer[256] = {};
        LoadStringW(hModule, id, buffer, 256);
        return buffer;
    }

    std::wstring folder;
    QxChatApi api;
    QXHCOMPONENT h = 0;
    PFN_SkinGetDiagnostics getDiagnostics = nullptr;
};

TEST_F(ResourceChoiceTest, OnlyTheFullLibraryIsUsedWhenAlone) {
    ASSERT_TRUE(Copy(L"qxres.dll"));
    TestHostWindow host;
    HMODULE hChosen = StartCopy(host);
    HMODULE hFull = GetModuleHandleW((folder + L"qxres.dll").c_str());
    ASSERT_NE(hFull, nullptr);
    EXPECT_EQ(hChosen, hFull);
    EXPECT_EQ(ResString(hChosen, 1000), L"Meeting Chat");
    HWND hDlg = FindChatDialog(host.Get());
    ASSERT_NE(hDlg, nullptr);
    EXPECT_EQ(WindowText(GetDlgItem(hDlg, 102)), ResString(hFull, 1100));
    EXPECT_EQ(DialogBackground(hDlg), RGB(0xD7, 0xD7, 0xD7));
}

TEST_F(ResourceChoiceTest, TheLightLibraryWinsWhenBothArePresent) {
    ASSERT_TRUE(Copy(L"qxres.dll"));
    ASSERT_TRUE(Copy(L"qxres_lite.dll"));
    TestHostWindow host;
    HMODULE hChosen = StartCopy(host);
    EXPECT_EQ(hChosen, GetModuleHandleW((folder + L"qxres_lite.dll").c_str()));
    EXPECT_EQ(GetModuleHandleW((folder + L"qxres.dll").c_str()), nullptr)
        << "the full library is not even loaded";
    EXPECT_EQ(ResString(hChosen, 1000), L"Chat");
}

TEST_F(ResourceChoiceTest, WithoutLibrariesTheModuleUsesItsOwnTemplatesAndEnglishTexts) {
    TestHostWindow host;
    HMODULE hChosen = StartCopy(host);
    EXPECT_EQ(hChosen, api.hModule);
    HWND hDlg = FindChatDialog(host.Get());
    ASSERT_NE(hDlg, nullptr) << "template 1000 comes from the module itself";
    EXPECT_EQ(WindowText(GetDlgItem(hDlg, 102)), L"Send");
    EXPECT_EQ(WindowText(GetDlgItem(hDlg, 105)), L"Send to:");
    // No resource library, no #D7D7D7 background.
    EXPECT_NE(DialogBackground(hDlg), RGB(0xD7, 0xD7, 0xD7));
}

TEST_F(ResourceChoiceTest, TheLibraryIsReleasedWithTheInstance) {
    ASSERT_TRUE(Copy(L"qxres_lite.dll"));
    TestHostWindow host;
    ASSERT_NE(StartCopy(host), nullptr);
    ASSERT_NE(GetModuleHandleW((folder + L"qxres_lite.dll").c_str()), nullptr);
    api.QxDeleteInstance(h);
    h = 0;
    EXPECT_EQ(GetModuleHandleW((folder + L"qxres_lite.dll").c_str()), nullptr);
}

} // namespace
