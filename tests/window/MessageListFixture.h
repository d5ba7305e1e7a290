// A message list inside its container on a visible host window, with helpers that act as the
// mouse, the keyboard and the timers would.
#pragma once

#include "WindowTestSupport.h"
#include "window/LinkOpener.h"
#include "window/MessageContainer.h"
#include "window/MessageWindow.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace windowtest {

// Records the addresses a click would open; nothing is started.
class RecordingLauncher : public ILinkLauncher {
public:
    std::vector<std::wstring> opened;
    bool ShellOpen(const std::wstring& strAddress) override {
        opened.push_back(strAddress);
        return true;
    }
    std::wstring HostProgramShortPath() override { return L"HOST.EXE"; }
    bool StartProcess(const std::wstring&) override { return false; }
    bool OpenInBrowserObject(const std::wstring&) override { return false; }
};

class MessageListTest : public ::testing::Test {
protected:
    void SetUp() override {
        hContainer = QxCreateMessageContainer(host.Get());
        ASSERT_NE(hContainer, nullptr);
        SetWindowPos(hContainer, nullptr, 0, 0, 300, 200, SWP_NOZORDER);
        QxLayoutMessageContainer(hContainer, FALSE);
        list = QxMessageList(hContainer);
        ASSERT_NE(list, nullptr);
        hList = list->GetHwnd();
        list->SetLinkLauncher(&launcher);
    }
    void TearDown() override {
        if (GetCapture()) ReleaseCapture();
        if (hContainer) DestroyWindow(hContainer);
    }
    // A message as the engine shows it.
    void Say(const std::wstring& sender, const std::wstring& text) {
        list->ShowMessage(sender, text, L" says:", L"December 6, 2026", L"10:15");
    }
    static std::unique_ptr<MessageItem> Item(DWORD kind, const std::wstring& text) {
        auto p = std::make_unique<MessageItem>();
        p->kind = kind;
        p->text = text;
        return p;
    }
    // n messages (header and text) as the transcript loader adds them, then one refresh.
    void Fill(int nMessages) {
        for (int i = 0; i < nMessages; ++i) {
            list->Append(Item(ITEM_HEADER, L"User " + std::to_wstring(i) + L" says:"), false);
            list->Append(Item(ITEM_TEXT, L"message number " + std::to_wstring(i)), false);
        }
        list->Refresh();
    }
    int Pos() const { return list->ScrollState().Pos(); }
    int Bottom() const { return list->ScrollState().BottomPos(); }
    SCROLLINFO BarInfo() const {
        SCROLLINFO si = {};
        si.cbSize = sizeof(si);
        si.fMask = SIF_ALL;
        GetScrollInfo(hList, SB_VERT, &si);
        return si;
    }
    static LPARAM At(int x, int y) { return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)); }
    static LPARAM At(POINT pt) { return At(pt.x, pt.y); }
    void Down(POINT pt) { SendMessageW(hList, WM_LBUTTONDOWN, MK_LBUTTON, At(pt)); }
    void Move(POINT pt) { SendMessageW(hList, WM_MOUSEMOVE, MK_LBUTTON, At(pt)); }
    void Up(POINT pt) { SendMessageW(hList, WM_LBUTTONUP, 0, At(pt)); }
    void Click(POINT pt) {
        Down(pt);
        Up(pt);
    }
    void Tick(UINT_PTR id) { SendMessageW(hList, WM_TIMER, id, 0); }
    void Key(UINT vk) { SendMessageW(hList, WM_KEYDOWN, vk, 1); }
    // The middle of a character's box.
    POINT CharPoint(int nItem, int nChar) const {
        const RECT rc = list->CharRect(nItem, nChar);
        return POINT{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
    }
    int ClientHeight() const { return ClientRectOf(hList).bottom; }

    TestHostWindow host{400, 300};
    HWND hContainer = nullptr;
    CMessageWindow* list = nullptr;
    HWND hList = nullptr;
    RecordingLauncher launcher;
};

} // namespace windowtest
