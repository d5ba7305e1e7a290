// Faults injected through the stand-ins while a chat runs: memory blocks that cannot be had, a
// controller that refuses every call, one that accepts and never answers, and callbacks for an
// attachment that has gone. Each is traced, nothing crashes, nothing is sent twice and the
// user's text stays in the input box until it was really handed over.
#include "ChatMember.h"

#include "TestControl.h"
#include "TraceCapture.h"
#include "module/ModuleState.h"
#include "pdu/PrivateMessagePDU.h"
#include "qxmem.h"
#include "qxmem_test.h"
#include "resources/resource.h"

#include <gtest/gtest.h>

#include <memory>

using namespace msgtest;

namespace {

class FaultsTest : public testing::Test {
protected:
    FaultsTest() : control(enginetest::FreshControl()), dwBlocksBefore(QxMemoryLiveBlocks()) {
        a.reset(new ChatMember(MemberConfig(L"Alice")));
        b.reset(new ChatMember(MemberConfig(L"Bob")));
        a->Start();
        b->Start();
        EXPECT_TRUE(PumpUntilReady({a.get(), b.get()}));
        a->ToGroup(CHAT_ALL_USERS_ROLE_GROUP);
        PumpUntilQuiet();
        control->ClearCalls();
        capture.Clear();
    }
    ~FaultsTest() override {
        QxMemoryScriptFailures(0);
        control->Reset();
        a.reset();
        b.reset();
        PumpUntilQuiet();
        EXPECT_EQ(QxMemoryLiveBlocks(), dwBlocksBefore) << "every block made during the test is gone";
    }

    // Every operation of a controller (not the entry points, not Release) answers so.
    void ScriptEveryCall(int nResult) {
        for (DWORD op = QXNC_OP_CONNECT; op < QXNC_OP_COUNT; ++op)
            control->ScriptResult(op, nResult, 1000);
    }
    void ScriptNothing() {
        for (DWORD op = QXNC_OP_CONNECT; op < QXNC_OP_COUNT; ++op)
            control->ScriptResult(op, 0, 0);
    }

    // Said again once the fault is gone, the text arrives exactly once on both sides.
    void ExpectSentOnceAfterwards(const std::wstring& strLine) {
        control->ClearCalls();
        a->Say(a->InputText());
        EXPECT_EQ(a->InputText(), L"");
        EXPECT_EQ(CallsCarrying(QXNC_OP_CACHE_SET, std::string(strLine.begin(), strLine.end())), 1u);
        EXPECT_TRUE(PumpUntilTexts(*a, {strLine}));
        EXPECT_TRUE(PumpUntilTexts(*b, {strLine}));
        PumpUntilQuiet();
        EXPECT_EQ(b->Texts(), std::vector<std::wstring>{strLine});
    }

    // The controller calls of that operation whose bytes carry the text.
    static size_t CallsCarrying(DWORD op, const std::string& strText) {
        size_t n = 0;
        for (const QxNcCall& call : enginetest::CallsOf(op))
            n += call.data &&
                 std::string(reinterpret_cast<const char*>(call.data), call.data_length).find(strText) !=
                     std::string::npos;
        return n;
    }

    std::vector<std::wstring> SendFailedNotices() const {
        return std::vector<std::wstring>{QxLoadString(IDS_SEND_FAILED)};
    }

    IQxNodeControlTest* control;
    DWORD dwBlocksBefore;
    TraceCapture capture;
    std::unique_ptr<ChatMember> a, b;
};

TEST_F(FaultsTest, NoMemoryBlockForAMessageKeepsItsTextAndWritesNothing) {
    QxMemoryScriptFailures(1);
    a->Say(L"keep me");
    EXPECT_EQ(QxMemoryScriptFailures(0), 0u) << "the send asked for a block";
    EXPECT_EQ(a->InputText(), L"keep me");
    EXPECT_TRUE(capture.ContainsSubstring(L"Fail: CMainChatDlg::SendPublicMessage: no memory block for "))
        << capture.Dump();
    EXPECT_EQ(CallsCarrying(QXNC_OP_CACHE_SET, "keep me"), 0u);
    EXPECT_EQ(a->Notices(), SendFailedNotices());
    ExpectSentOnceAfterwards(L"keep me");
}

TEST_F(FaultsTest, NoMemoryBlocksAtAllForAStartingChatIsReportedAndCleanedUp) {
    std::unique_ptr<ChatMember> c(new ChatMember(MemberConfig(L"Carol")));
    QxMemoryScriptFailures(100000);
    c->Start();
    PumpUntilQuiet();
    // Whatever step ran out first (the conference's own blocks as well), what Carol types stays.
    c->ToGroup(CHAT_ALL_USERS_ROLE_GROUP);
    c->Say(L"no room");
    EXPECT_EQ(c->InputText(), L"no room");
    QxMemoryScriptFailures(0);
    c.reset();
    PumpUntilQuiet();
    // The others go on.
    a->Say(L"still here");
    EXPECT_TRUE(PumpUntilTexts(*b, {L"still here"}));
}

TEST_F(FaultsTest, AControllerRefusingEveryCallLosesNoTextAndRepeatsNothing) {
    ScriptEveryCall(ARM_ERROR_INVALID_STATE);
    a->Say(L"to everyone");
    a->ToUser(*b);
    a->Say(L"to Bob");
    EXPECT_EQ(a->InputText(), L"to Bob") << "each failed send keeps what was typed";
    EXPECT_EQ(CallsCarrying(QXNC_OP_CACHE_SET, "to everyone"), 1u) << "one attempt, no retry";
    EXPECT_EQ(CallsCarrying(QXNC_OP_SEND_DATA, "to Bob"), 1u) << "one attempt, no retry";
    EXPECT_TRUE(capture.ContainsSubstring(L"Fail: CMainChatDlg::SendPublicMessage: CacheSet to group 15"));
    EXPECT_TRUE(capture.ContainsSubstring(L"Fail: CMainChatDlg::SendPrivateMessage: SendData to "));
    PumpUntilQuiet();
    EXPECT_TRUE(a->Texts().empty()) << "nothing shown as if sent";
    EXPECT_TRUE(b->Texts().empty());
    ScriptNothing();
    a->ToGroup(CHAT_ALL_USERS_ROLE_GROUP);
    ExpectSentOnceAfterwards(L"to Bob");
}

TEST_F(FaultsTest, AControllerThatNeverAnswersGetsEachMessageOnceAndDeletesCleanly) {
    ScriptEveryCall(0);
    a->Say(L"into the void");
    EXPECT_EQ(a->InputText(), L"") << "accepted: handed over";
    a->Say(L""); // another click on Send finds the box empty
    PumpUntilQuiet();
    // Handed over once, never repeated by the chat while no answer comes.
    EXPECT_EQ(CallsCarrying(QXNC_OP_CACHE_SET, "into the void"), 1u);
    EXPECT_TRUE(b->Texts().empty());
    // A chat whose controller never answers: the start waits, and deleting it is clean.
    std::unique_ptr<ChatMember> c(new ChatMember(MemberConfig(L"Carol")));
    c->Start();
    PumpUntilQuiet();
    EXPECT_FALSE(c->IsReady());
    SetWindowTextW(c->Input(), L"typed while waiting");
    c.reset();
    PumpUntilQuiet();
    ScriptNothing();
    a->Say(L"heard again");
    EXPECT_TRUE(PumpUntilTexts(*b, {L"heard again"}));
}

TEST_F(FaultsTest, CallbacksForAnAttachmentThatHasGoneShowNothing) {
    CMainChatDlg* pDlg = b->Dlg();
    const DWORD dwOldApe = pDlg->Status().m_apeHandle;
    CPrivateMessagePDU pdu;
    pdu.SetSendId(a->UserId());
    pdu.SetRecId(b->UserId());
    pdu.SetMessageText("late");
    ASSERT_TRUE(pdu.GenerateXMLPDU());
    const std::string strData = pdu.GetXMLText();
    const BYTE* pData = reinterpret_cast<const BYTE*>(strData.data());
    const DWORD dwLength = static_cast<DWORD>(strData.size());

    // A detach naming another attachment leaves this one alone.
    EXPECT_EQ(pDlg->Sinks().Ape()->ApeDetachIndication(dwOldApe + 1, QXNC_DETACH_BY_SERVER), 0);
    EXPECT_EQ(pDlg->Status().m_apeHandle, dwOldApe);
    EXPECT_EQ(pDlg->Sinks().Ape()->ApeDataIndication(dwOldApe + 1, a->UserId(), 1, 1, pData, dwLength), 0);
    EXPECT_TRUE(capture.ContainsSubstring(L"Fail: CMainChatDlg::ApeDataIndication: ape_handle "));

    ASSERT_EQ(control->DetachApe(dwOldApe), 0);
    ASSERT_TRUE(PumpUntil([&] { return pDlg->Status().m_apeHandle == 0; }));
    for (DWORD dwApe : {dwOldApe, 0UL}) {
        EXPECT_EQ(pDlg->Sinks().Ape()->ApeDataIndication(dwApe, a->UserId(), 1, 1, pData, dwLength), 0);
        QXMEMHANDLE hMem = nullptr;
        ASSERT_EQ(QxMemoryAlloc(dwLength, &hMem), QXMEM_OK);
        DWORD dwSize = dwLength;
        QxMemoryWrite(hMem, 0, strData.data(), &dwSize);
        EXPECT_EQ(pDlg->Sinks().SharedData()->SharedDataReceivedEx(
                      dwApe, 7, pDlg->GetGroupCacheHandle(CHAT_ALL_USERS_ROLE_GROUP), hMem, 0,
                      QXNC_CACHE_APPEND, a->UserId(), dwLength, 0),
                  0);
        QxMemoryRelease(hMem);
    }
    PumpUntilQuiet();
    // The list holds only the notice of the lost conference, none of the late items.
    const std::vector<std::wstring> texts = b->Texts();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0], QxLoadString(IDS_CONFERENCE_LOST));
}

TEST_F(FaultsTest, RosterChangesForAnAttachmentThatIsNotTheChatsListAndRemoveNobody) {
    CMainChatDlg* pDlg = b->Dlg();
    const DWORD dwOldApe = pDlg->Status().m_apeHandle;
    const DWORD dwRoom = static_cast<DWORD>(pDlg->Connection().m_lChatRoomId);
    const DWORD dwAliceNode = a->Dlg()->OwnUser().m_dwOwnNodeId;
    ASSERT_NE(pDlg->Users().FindByNodeId(dwAliceNode), nullptr);
    enginetest::RosterList arrival, departure;
    arrival.Record(dwRoom, {{4711, 47110, enginetest::RosterText("Mallory")}});
    departure.Record(dwRoom, {{dwAliceNode, a->UserId(), enginetest::RosterText("Alice")}});
    const int nUsers = pDlg->Users().GetCount();
    auto change = [&](DWORD dwApe, WORD add, WORD remove, const enginetest::RosterList& list) {
        return pDlg->Sinks().Ape()->ApeRosterChanged(dwApe, 7, add, remove, 0, list.Get());
    };
    auto unchanged = [&] {
        return pDlg->Users().GetCount() == nUsers && !pDlg->Users().FindByNodeId(4711) &&
               pDlg->Users().FindByNodeId(dwAliceNode);
    };

    // While attached, a change naming another attachment is dropped, traced.
    EXPECT_EQ(change(dwOldApe + 1, 1, 0, arrival), 0);
    EXPECT_EQ(change(dwOldApe + 1, 0, 1, departure), 0);
    EXPECT_TRUE(unchanged());
    EXPECT_TRUE(capture.Contains(L"Fail: CMainChatDlg::ApeRosterChanged: ape_handle " +
                                 std::to_wstring(dwOldApe + 1) + L" is not this chat's (" +
                                 std::to_wstring(dwOldApe) + L"), dropped"))
        << capture.Dump();
    // The same change for the chat's own attachment is listed: the list itself is not stuck.
    EXPECT_EQ(change(dwOldApe, 1, 0, arrival), 0);
    EXPECT_NE(pDlg->Users().FindByNodeId(4711), nullptr);
    EXPECT_EQ(change(dwOldApe, 0, 1, arrival), 0);
    ASSERT_TRUE(unchanged());

    // Once the attachment has gone, late changes for it (or for none) touch nothing.
    ASSERT_EQ(control->DetachApe(dwOldApe), 0);
    ASSERT_TRUE(PumpUntil([&] { return pDlg->Status().m_apeHandle == 0; }));
    const int nUsersAfterDetach = pDlg->Users().GetCount();
    const HWND hRecipient = pDlg->Controls().m_hRecipient;
    const LRESULT nEntries = SendMessageW(hRecipient, CB_GETCOUNT, 0, 0);
    for (DWORD dwApe : {dwOldApe, 0UL}) {
        capture.Clear();
        EXPECT_EQ(change(dwApe, 1, 0, arrival), 0);
        EXPECT_EQ(change(dwApe, 0, 1, departure), 0);
        EXPECT_TRUE(capture.ContainsSubstring(L"Fail: CMainChatDlg::ApeRosterChanged: ape_handle " +
                                              std::to_wstring(dwApe) + L" is not this chat's (0), dropped"));
        EXPECT_FALSE(capture.ContainsSubstring(L"ProcessAddEnrollInfo"));
        EXPECT_FALSE(capture.ContainsSubstring(L"ProcessDeleteEnrollInfo"));
    }
    EXPECT_EQ(pDlg->Users().GetCount(), nUsersAfterDetach);
    EXPECT_EQ(pDlg->Users().FindByNodeId(4711), nullptr);
    EXPECT_EQ(SendMessageW(hRecipient, CB_GETCOUNT, 0, 0), nEntries);
}

TEST_F(FaultsTest, AnEnrollConfirmationForAnotherAttachmentLeavesTheLiveOneAlone) {
    CMainChatDlg* pDlg = b->Dlg();
    const DWORD dwApe = pDlg->Status().m_apeHandle;
    const int nUsers = pDlg->Users().GetCount();
    // A late error for an attachment that has gone: no clean-up of the live one.
    pDlg->Sinks().Ape()->ApeEnrollConfirm(dwApe + 1, ARM_ERROR_INVALID_STATE, 0, nullptr);
    EXPECT_TRUE(capture.Contains(L"Fail: CMainChatDlg::ApeEnrollConfirm: ape_handle " +
                                 std::to_wstring(dwApe + 1) + L" is not this chat's (" +
                                 std::to_wstring(dwApe) + L"), dropped"))
        << capture.Dump();
    EXPECT_EQ(pDlg->Status().m_apeHandle, dwApe);
    EXPECT_TRUE(pDlg->Status().m_bEnrolled);
    EXPECT_EQ(pDlg->Users().GetCount(), nUsers);
    // The chat still talks: Bob's group line reaches Alice.
    b->ToGroup(CHAT_ALL_USERS_ROLE_GROUP);
    b->Say(L"still here");
    EXPECT_TRUE(PumpUntil([&] {
        const std::vector<std::wstring> texts = a->Texts();
        return !texts.empty() && texts.back() == L"still here";
    }));

    // After a detach, a late success confirmation does not enroll the chat again.
    ASSERT_EQ(control->DetachApe(dwApe), 0);
    ASSERT_TRUE(PumpUntil([&] { return pDlg->Status().m_apeHandle == 0; }));
    control->ClearCalls();
    pDlg->Sinks().Ape()->ApeEnrollConfirm(dwApe, ARM_OK, 0, nullptr);
    EXPECT_TRUE(capture.ContainsSubstring(L"Fail: CMainChatDlg::ApeEnrollConfirm: ape_handle " +
                                          std::to_wstring(dwApe) + L" is not this chat's (0), dropped"));
    PumpUntilQuiet();
    EXPECT_EQ(control->CallCount(), 0u) << "nothing subscribed or allocated for a gone attachment";
}

} // namespace
