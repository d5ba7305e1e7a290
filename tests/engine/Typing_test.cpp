// Typing indications end to end: typing in one instance's input box reaches the other's host
// window as WM_CHAT_TYPING, expires after two ticks, ends with the message, and respects the
// participant limit and the own node.
#include "ChatMember.h"

#include "TestControl.h"
#include "TraceCapture.h"
#include "engine/TypingIndicator.h"
#include "pdu/TypingIndicatorPDU.h"

#include <gtest/gtest.h>

#include <memory>

using namespace msgtest;

namespace {

class TypingTest : public testing::Test {
protected:
    TypingTest() : control(enginetest::FreshControl()) {}
    ~TypingTest() override {
        b.reset();
        a.reset();
        control->Reset();
    }

    void StartBoth(LONG lLimit) {
        a.reset(new ChatMember(MemberConfig(L"Alice", QXCHAT_FEATURE_TYPING).Typing(lLimit)));
        a->Start();
        ASSERT_TRUE(PumpUntilReady({a.get()}));
        b.reset(new ChatMember(MemberConfig(L"Bob", QXCHAT_FEATURE_TYPING).Typing(lLimit)));
        b->Start();
        ASSERT_TRUE(PumpUntilReady({b.get()}));
        ASSERT_TRUE(PumpUntil(
            [&] { return a->Dlg()->Users().GetCount() == 2 && b->Dlg()->Users().GetCount() == 2; }));
        PumpUntilQuiet();
        a->ToGroup(CHAT_ALL_USERS_ROLE_GROUP);
        control->ClearCalls();
    }

    int Typing(ChatMember& m, DWORD dwNode, LPARAM lState) {
        return m.Host().Count(WM_CHAT_TYPING, dwNode, lState);
    }

    // Typing as the keyboard does (a multi-line box reports no change for WM_SETTEXT).
    static void TypeKeys(ChatMember& m, const std::wstring& strKeys) {
        SetFocus(m.Input());
        for (wchar_t ch : strKeys)
            SendMessageW(m.Input(), WM_CHAR, ch, 1);
    }

    // The expiry timer's tick, as the dialog receives it.
    static void Tick(ChatMember& m) {
        SendMessageW(m.Dialog(), WM_TIMER, TYPING_EXPIRE_TIMER, 0);
        PumpPending(); // the notices are posted
    }

    IQxNodeControlTest* control;
    TraceCapture capture;
    std::unique_ptr<ChatMember> a, b;
};

TEST_F(TypingTest, TypingIsShownThenExpiresAtTheSecondTick) {
    StartBoth(5);
    TypeKeys(*a, L"h");
    ASSERT_TRUE(PumpUntil([&] { return Typing(*b, a->NodeId(), 1) == 1; }));
    EXPECT_EQ(b->Dlg()->TypingList().Count(), 1u);
    EXPECT_EQ(Typing(*a, a->NodeId(), 1), 0) << "no indication to oneself";
    // More typing before the send timer does not send again.
    TypeKeys(*a, L"e");
    PumpUntilQuiet();
    EXPECT_EQ(enginetest::CallsOf(QXNC_OP_SEND_DATA).size(), 1u);
    Tick(*b);
    EXPECT_EQ(Typing(*b, a->NodeId(), 1), 2) << "first tick: still typing";
    EXPECT_EQ(Typing(*b, a->NodeId(), 2), 0);
    Tick(*b);
    EXPECT_EQ(Typing(*b, a->NodeId(), 2), 1) << "second tick without news: stopped";
    EXPECT_EQ(b->Dlg()->TypingList().Count(), 0u);
}

TEST_F(TypingTest, TheSendTimerSendsWhatWasTypedSinceAndTheMessageEndsTheIndication) {
    StartBoth(5);
    TypeKeys(*a, L"h");
    ASSERT_TRUE(PumpUntil([&] { return Typing(*b, a->NodeId(), 1) == 1; }));
    TypeKeys(*a, L"ello");
    SendMessageW(a->Dialog(), WM_TIMER, TYPING_SEND_TIMER, 0);
    PumpUntilQuiet();
    EXPECT_EQ(enginetest::CallsOf(QXNC_OP_SEND_DATA).size(), 2u);
    SendMessageW(a->Dialog(), WM_TIMER, TYPING_SEND_TIMER, 0);
    EXPECT_EQ(enginetest::CallsOf(QXNC_OP_SEND_DATA).size(), 2u) << "nothing new typed";
    a->Say(L"hello");
    ASSERT_TRUE(PumpUntilTexts(*b, {L"hello"}));
    EXPECT_TRUE(PumpUntil([&] { return Typing(*b, a->NodeId(), 2) == 1; }))
        << "the message ends the indication";
    EXPECT_FALSE(b->Dlg()->TypingList().Contains(a->NodeId()));
}

TEST_F(TypingTest, NoIndicationIsSentToAGroupLargerThanTheLimit) {
    StartBoth(1);
    TypeKeys(*a, L"h");
    PumpUntilQuiet();
    EXPECT_TRUE(enginetest::CallsOf(QXNC_OP_SEND_DATA).empty());
    EXPECT_EQ(Typing(*b, a->NodeId(), 1), 0);
}

TEST_F(TypingTest, AnIndicationFromTheOwnNodeOrWithoutTheFeatureIsIgnored) {
    StartBoth(5);
    CTypingIndicatorPDU own;
    own.SetSendId(b->NodeId());
    own.SetRecId(b->UserId());
    own.GenerateXMLPDU();
    const std::string strOwn = own.GetXMLText();
    CMainChatDlg* pDlg = b->Dlg();
    EXPECT_EQ(pDlg->ApeDataIndication(pDlg->Status().m_apeHandle, b->UserId(), 1, 1,
                                      reinterpret_cast<const BYTE*>(strOwn.data()),
                                      static_cast<DWORD>(strOwn.size())),
              0);
    PumpPending();
    EXPECT_EQ(b->Host().Count(WM_CHAT_TYPING), 0);
    EXPECT_EQ(pDlg->TypingList().Count(), 0u);
    ChSelectFeature(b->H(), 0, 0, 0, 0, 0, nullptr);
    CTypingIndicatorPDU other;
    other.SetSendId(a->NodeId());
    other.GenerateXMLPDU();
    EXPECT_EQ(pDlg->HandleReceivedMessages(other.GetXMLText().c_str(), nullptr, 0, 0), 1);
    EXPECT_EQ(pDlg->TypingList().Count(), 0u);
}

} // namespace
