// New messages spoken to screen readers end to end: the receiver's list announces a group or a
// private message once, the sender's own list does not announce what the sender wrote.
#include "ChatMember.h"

#include "TestControl.h"
#include "window/MessageContainer.h"
#include "window/MessageListAccessible.h"
#include "window/MessageWindow.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>

using namespace msgtest;

namespace {

constexpr LONG kSentinelChild = 0x7FFF0000;
std::map<HWND, int>* g_pAnnounced = nullptr;
std::map<HWND, bool>* g_pSentinels = nullptr;
DWORD g_dwEvent = 0;

void CALLBACK OnWinEvent(HWINEVENTHOOK, DWORD dwEvent, HWND hWnd, LONG idObject, LONG idChild, DWORD, DWORD) {
    if (!g_pAnnounced || dwEvent != g_dwEvent || idObject != OBJID_CLIENT) return;
    if (idChild == kSentinelChild)
        (*g_pSentinels)[hWnd] = true;
    else
        ++(*g_pAnnounced)[hWnd];
}

class AnnounceTest : public testing::Test {
protected:
    AnnounceTest() : control(enginetest::FreshControl()) {}
    ~AnnounceTest() override {
        if (hHook) UnhookWinEvent(hHook);
        g_pAnnounced = nullptr;
        g_pSentinels = nullptr;
        b.reset();
        a.reset();
        control->Reset();
    }
    void StartBoth() {
        a.reset(new ChatMember(MemberConfig(L"Alice")));
        a->Start();
        ASSERT_TRUE(PumpUntilReady({a.get()}));
        b.reset(new ChatMember(MemberConfig(L"Bob")));
        b->Start();
        ASSERT_TRUE(PumpUntilReady({b.get()}));
        ASSERT_TRUE(PumpUntil(
            [&] { return a->Dlg()->Users().GetCount() == 2 && b->Dlg()->Users().GetCount() == 2; }));
        PumpUntilQuiet();
        g_dwEvent = List(*a)->Accessibility()->AnnouncementEvent();
        g_pAnnounced = &announced;
        g_pSentinels = &sentinels;
        hHook = SetWinEventHook(g_dwEvent, g_dwEvent, nullptr, OnWinEvent, GetCurrentProcessId(), 0,
                                WINEVENT_OUTOFCONTEXT);
        ASSERT_NE(hHook, nullptr);
    }
    static CMessageWindow* List(const ChatMember& m) {
        return QxMessageList(m.Dlg()->Controls().m_hMessageWnd);
    }
    // Announcements of a member's list since the last call, once its refresh has run.
    int Announcements(const ChatMember& m) {
        CMessageWindow* list = List(m);
        EXPECT_TRUE(PumpUntil([list] { return !list->IsRefreshPending(); }));
        sentinels.clear();
        NotifyWinEvent(g_dwEvent, list->GetHwnd(), OBJID_CLIENT, kSentinelChild);
        EXPECT_TRUE(PumpUntil([&] { return sentinels.count(list->GetHwnd()) != 0; }));
        const int n = announced[list->GetHwnd()];
        announced[list->GetHwnd()] = 0;
        return n;
    }

    IQxNodeControlTest* control;
    std::unique_ptr<ChatMember> a, b;
    HWINEVENTHOOK hHook = nullptr;
    std::map<HWND, int> announced;
    std::map<HWND, bool> sentinels;
};

TEST_F(AnnounceTest, AGroupMessageIsAnnouncedToItsReceiverAndNotToItsSender) {
    StartBoth();
    a->ToGroup(CHAT_ALL_USERS_ROLE_GROUP);
    a->Say(L"hello everyone");
    ASSERT_TRUE(PumpUntilTexts(*a, {L"hello everyone"}));
    ASSERT_TRUE(PumpUntilTexts(*b, {L"hello everyone"}));
    EXPECT_EQ(Announcements(*a), 0);
    EXPECT_EQ(Announcements(*b), 1);
}

TEST_F(AnnounceTest, APrivateMessageIsAnnouncedToItsReceiverAndNotToItsSender) {
    StartBoth();
    a->ToUser(*b);
    a->Say(L"just for you");
    ASSERT_TRUE(PumpUntilTexts(*a, {L"just for you"}));
    ASSERT_TRUE(PumpUntilTexts(*b, {L"just for you"}));
    EXPECT_EQ(Announcements(*a), 0);
    EXPECT_EQ(Announcements(*b), 1);
}

} // namespace
