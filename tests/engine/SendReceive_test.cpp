// Messages end to end between instances on one conference: group messages through the cache,
// private ones directly, what the sender sees and when, the host notifications, the recording
// provider, the sound seam, and received data that must not be shown or must not hurt.
#include "ChatMember.h"

#include "TestControl.h"
#include "TraceCapture.h"
#include "engine/SoundPolicy.h"
#include "module/ModuleState.h"
#include "pdu/GroupMessagePDU.h"
#include "pdu/PrivateMessagePDU.h"
#include "qxmem.h"
#include "resources/resource.h"

#include <gtest/gtest.h>

#include <memory>

using namespace msgtest;

namespace {

class SendReceiveTest : public testing::Test {
protected:
    SendReceiveTest() : control(enginetest::FreshControl()) {}
    ~SendReceiveTest() override {
        b.reset();
        a.reset();
        control->Reset();
    }

    // A and B on the conference, both ready, A first.
    void StartBoth(MemberConfig ca = MemberConfig(L"Alice"), MemberConfig cb = MemberConfig(L"Bob")) {
        a.reset(new ChatMember(ca));
        a->Start();
        ASSERT_TRUE(PumpUntilReady({a.get()}));
        b.reset(new ChatMember(cb));
        b->Start();
        ASSERT_TRUE(PumpUntilReady({b.get()}));
        ASSERT_TRUE(PumpUntil(
            [&] { return a->Dlg()->Users().GetCount() == 2 && b->Dlg()->Users().GetCount() == 2; }));
        PumpUntilQuiet();
    }

    // Hands the instance a group-cache item as the conference would, with a real memory block.
    int DeliverItem(const ChatMember& m, DWORD dwCacheId, const std::string& strText,
                    DWORD dwAction = QXNC_CACHE_APPEND) {
        QXMEMHANDLE hMem = nullptr;
        QxMemoryAlloc(static_cast<DWORD>(strText.size()), &hMem);
        DWORD dwSize = static_cast<DWORD>(strText.size());
        if (dwSize) QxMemoryWrite(hMem, 0, strText.data(), &dwSize);
        const int nRet = m.Dlg()->SharedDataReceivedEx(
            m.Dlg()->Status().m_apeHandle, dwCacheId, m.Dlg()->GetGroupCacheHandle(CHAT_ALL_USERS_ROLE_GROUP),
            hMem, 0, dwAction);
        QxMemoryRelease(hMem);
        return nRet;
    }

    static std::string GroupText(DWORD dwSender, DWORD dwGroup, const std::string& strMessage,
                                 DWORD dwNode = 0) {
        CGroupMessagePDU pdu;
        pdu.SetSendId(dwSender);
        pdu.SetSendNodeId(dwNode);
        pdu.SetSenderName("Mallory");
        pdu.SetGroupId(dwGroup);
        pdu.SetMessageText(strMessage);
        pdu.GenerateXMLPDU();
        return pdu.GetXMLText();
    }

    IQxNodeControlTest* control;
    TraceCapture capture;
    std::unique_ptr<ChatMember> a, b;
};

TEST_F(SendReceiveTest, AGroupMessageIsShownByItsSenderOnlyWhenItsOwnNotificationComesBack) {
    StartBoth();
    a->ToGroup(CHAT_ALL_USERS_ROLE_GROUP);
    a->Say(L"hello everyone");
    EXPECT_TRUE(a->Texts().empty()) << "never echoed locally";
    EXPECT_EQ(a->InputText(), L"") << "the box is cleared after the send";
    ASSERT_TRUE(PumpUntilTexts(*a, {L"hello everyone"}));
    ASSERT_TRUE(PumpUntilTexts(*b, {L"hello everyone"}));
    PumpUntilQuiet();
    EXPECT_EQ(a->Texts().size(), 1u);
    ASSERT_EQ(b->Headers().size(), 1u);
    EXPECT_NE(b->Headers()[0].find(L"Alice"), std::wstring::npos) << b->Headers()[0];
    EXPECT_NE(b->Headers()[0].find(L"Everyone"), std::wstring::npos) << b->Headers()[0];
    // The write went to the everyone cache with the group-message option.
    const std::vector<QxNcCall> writes = enginetest::CallsOf(QXNC_OP_CACHE_SET);
    ASSERT_FALSE(writes.empty());
    const QxNcCall& last = writes.back();
    EXPECT_EQ(last.args[1], a->Dlg()->GetGroupCacheHandle(CHAT_ALL_USERS_ROLE_GROUP));
    EXPECT_EQ(last.args[4], static_cast<DWORD>(QXNC_CACHE_APPEND));
    EXPECT_EQ(last.args[5] & 0x3000000u, 0x1000000u);
    // The confirmation of the append tells the service window.
    EXPECT_TRUE(PumpUntil([&] { return a->Host().Count(WM_CHAT_CACHE_NOTIFY, 0, 0) >= 1; }));
}

TEST_F(SendReceiveTest, EnterInTheInputBoxSendsAndEmptyLinesCollapse) {
    StartBoth();
    a->ToGroup(CHAT_ALL_USERS_ROLE_GROUP);
    SetWindowTextW(a->Input(), L"a\r\n\r\n\r\n\r\nb\r\n\r\n\r\nc");
    SetFocus(a->Input());
    SendMessageW(a->Input(), WM_KEYDOWN, VK_RETURN, 0x001C0001);
    SendMessageW(a->Input(), WM_CHAR, L'\r', 0x001C0001);
    SendMessageW(a->Input(), WM_KEYUP, VK_RETURN, 0xC01C0001);
    ASSERT_TRUE(PumpUntilTexts(*b, {L"a\r\nb\r\nc"}));
    EXPECT_TRUE(PumpUntilTexts(*a, {L"a\r\nb\r\nc"}));
    EXPECT_EQ(a->InputText(), L"");
}

TEST_F(SendReceiveTest, NothingIsSentFromAnEmptyBoxOrWithoutInputPermission) {
    StartBoth();
    a->ToGroup(CHAT_ALL_USERS_ROLE_GROUP);
    control->ClearCalls();
    a->Say(L"");
    ChAllowUserInput(a->H(), 0);
    a->Say(L"not allowed");
    EXPECT_EQ(a->InputText(), L"not allowed");
    ChAllowUserInput(a->H(), 1);
    ChSetEventConfig(a->H(), QXCHAT_EVT_SEND_ENABLE, 0, 0, nullptr);
    a->Say(L"chat disabled");
    EXPECT_TRUE(enginetest::CallsOf(QXNC_OP_CACHE_SET).empty());
    EXPECT_EQ(a->InputText(), L"chat disabled");
}

// A click on Send leaves the caret in the input box, whether the text went or not.
TEST_F(SendReceiveTest, TheFocusGoesBackToTheInputBoxAfterEveryClickOnSend) {
    StartBoth();
    a->ToGroup(CHAT_ALL_USERS_ROLE_GROUP);
    HWND hSend = a->Dlg()->Controls().m_hSend;
    control->ClearCalls();
    SetFocus(hSend);
    ASSERT_EQ(GetFocus(), hSend);
    a->Say(L"focus after a send");
    EXPECT_EQ(GetFocus(), a->Input());
    const size_t writes = enginetest::CallsOf(QXNC_OP_CACHE_SET).size();
    EXPECT_GE(writes, 1u);
    ASSERT_TRUE(PumpUntilTexts(*b, {L"focus after a send"}));
    SetFocus(hSend);
    a->Say(L"");
    EXPECT_EQ(GetFocus(), a->Input());
    EXPECT_EQ(enginetest::CallsOf(QXNC_OP_CACHE_SET).size(), writes) << "an empty box sends nothing";
}

TEST_F(SendReceiveTest, APrivateMessageIsShownByTheSenderAtOnceByTheReceiverOnArrivalAndNeverReturns) {
    StartBoth();
    b->ToUser(*a);
    control->ClearCalls();
    b->Say(L"just for you");
    EXPECT_EQ(b->Texts(), std::vector<std::wstring>{L"just for you"}) << "shown at once";
    ASSERT_TRUE(PumpUntilTexts(*a, {L"just for you"}));
    PumpUntilQuiet();
    EXPECT_EQ(b->Texts().size(), 1u) << "never comes back";
    EXPECT_TRUE(enginetest::CallsOf(QXNC_OP_CACHE_SET).empty()) << "no cache holds it";
    const std::vector<QxNcCall> sends = enginetest::CallsOf(QXNC_OP_SEND_DATA);
    ASSERT_EQ(sends.size(), 1u);
    EXPECT_EQ(sends[0].args[1], a->UserId());
    const std::vector<QxNcCall> options = enginetest::CallsOf(QXNC_OP_SET_SEND_OPTION);
    ASSERT_EQ(options.size(), 1u);
    EXPECT_EQ(options[0].args[0], static_cast<DWORD>(QXNC_OPTION_NEXT_SEND));
    ASSERT_EQ(a->Headers().size(), 1u);
    EXPECT_NE(a->Headers()[0].find(L"Bob"), std::wstring::npos);
}

// A send the conference refuses: the text stays in the box, nothing is shown as sent, the user
// reads why, and the same text goes out with the next try.
struct RefusedSend {
    const char* label;
    DWORD dwOp;
    bool bPrivate;
    const wchar_t* lpszTrace;
};

class RefusedSendTest : public SendReceiveTest, public testing::WithParamInterface<RefusedSend> {};

TEST_P(RefusedSendTest, KeepsTheTextAndTellsTheUser) {
    StartBoth();
    if (GetParam().bPrivate)
        a->ToUser(*b);
    else
        a->ToGroup(CHAT_ALL_USERS_ROLE_GROUP);
    control->ScriptResult(GetParam().dwOp, ARM_ERROR_INVALID_STATE, 1);
    a->Say(L"do not lose me");
    EXPECT_EQ(a->InputText(), L"do not lose me");
    EXPECT_TRUE(capture.ContainsSubstring(GetParam().lpszTrace)) << capture.Dump();
    const std::wstring strNotice = QxLoadString(IDS_SEND_FAILED);
    ASSERT_FALSE(strNotice.empty());
    EXPECT_EQ(a->Notices(), std::vector<std::wstring>{strNotice});
    PumpUntilQuiet();
    EXPECT_TRUE(a->Texts().empty()) << "not shown as if sent";
    EXPECT_TRUE(b->Texts().empty());

    a->Say(a->InputText());
    EXPECT_EQ(a->InputText(), L"");
    EXPECT_TRUE(PumpUntilTexts(*a, {L"do not lose me"}));
    EXPECT_TRUE(PumpUntilTexts(*b, {L"do not lose me"}));
}

INSTANTIATE_TEST_SUITE_P(
    Controller, RefusedSendTest,
    testing::Values(RefusedSend{"CacheSet", QXNC_OP_CACHE_SET, false,
                                L"Fail: CMainChatDlg::SendPublicMessage: CacheSet to group 15 returned"},
                    RefusedSend{"SendData", QXNC_OP_SEND_DATA, true,
                                L"Fail: CMainChatDlg::SendPrivateMessage: SendData to "}),
    [](const testing::TestParamInfo<RefusedSend>& info) { return std::string(info.param.label); });

TEST_F(SendReceiveTest, APrivateHeaderNamesPeopleAsTheParticipantListKnowsThem) {
    StartBoth();
    // The PDU's own names say otherwise; the participant list holds both of them.
    auto deliver = [&](DWORD dwSender) {
        CPrivateMessagePDU pdu;
        pdu.SetSendId(dwSender);
        pdu.SetRecId(b->UserId());
        pdu.SetSenderName("Mallory");
        pdu.SetReceiverName("Trudy");
        pdu.SetMessageText("hello Bob");
        EXPECT_TRUE(pdu.GenerateXMLPDU());
        const std::string strText = pdu.GetXMLText();
        return b->Dlg()->Sinks().Ape()->ApeDataIndication(b->Dlg()->Status().m_apeHandle, dwSender, 1, 1,
                                                          reinterpret_cast<const BYTE*>(strText.data()),
                                                          static_cast<DWORD>(strText.size()));
    };
    EXPECT_EQ(deliver(a->UserId()), 0);
    ASSERT_EQ(b->Headers().size(), 1u);
    EXPECT_NE(b->Headers()[0].find(L"Alice"), std::wstring::npos) << b->Headers()[0];
    EXPECT_EQ(b->Headers()[0].find(L"Mallory"), std::wstring::npos) << b->Headers()[0];
    // A sender nobody knows keeps the name the message gives.
    EXPECT_EQ(deliver(777777), 0);
    ASSERT_EQ(b->Headers().size(), 2u);
    EXPECT_NE(b->Headers()[1].find(L"Mallory"), std::wstring::npos) << b->Headers()[1];
}

TEST_F(SendReceiveTest, TheSendOptionFollowsTheRecordingStatus) {
    StartBoth(MemberConfig(L"Alice", QXCHAT_FEATURE_RECORD_COPY).Groups({CHAT_PANELIST_ROLE_GROUP}));
    TlmSetNBRStatus(a->H(), 0, 0, 0);
    ChSelectFeature(a->H(), 0, 0, 0, 0, 0, nullptr);
    a->ToGroup(CHAT_ALL_USERS_ROLE_GROUP);
    control->ClearCalls();
    a->Say(L"one");
    a->ToGroup(CHAT_PANELIST_ROLE_GROUP);
    a->Say(L"two");
    ChSelectFeature(a->H(), QXCHAT_FEATURE_RECORD_COPY, 0, 0, 0, 0, nullptr);
    a->ToUser(*b);
    a->Say(L"three");
    std::vector<DWORD> groupOptions;
    for (const QxNcCall& call : enginetest::CallsOf(QXNC_OP_CACHE_SET))
        if (call.args[4] == QXNC_CACHE_APPEND && call.args[1] != a->Dlg()->Status().m_dwUserInfoCacheHandle)
            groupOptions.push_back(call.args[5]);
    // Each group's first message carries its group info first (recording was switched on).
    EXPECT_EQ(groupOptions, (std::vector<DWORD>{0x2000090, 0x1000090, 0x2000092, 0x1000092}));
    const std::vector<QxNcCall> options = enginetest::CallsOf(QXNC_OP_SET_SEND_OPTION);
    ASSERT_EQ(options.size(), 1u);
    ASSERT_EQ(options[0].data_length, sizeof(QxSendOption));
    QxSendOption sent = {};
    memcpy(&sent, options[0].data, sizeof(sent));
    EXPECT_EQ(sent.ape_handle, a->Dlg()->Status().m_apeHandle);
    EXPECT_EQ(sent.option, 0x292u);
}

TEST_F(SendReceiveTest, AHostGroupMessageReachesOnlyParticipantsWithTheRight) {
    StartBoth(MemberConfig(L"Alice"), MemberConfig(L"Bob").Roles(QXCHAT_ROLE_ATTENDEE));
    ChSetPrivilege(b->H(), 0x1);
    const std::string strToHosts = GroupText(a->UserId(), CHAT_HOST_ROLE_GROUP, "hosts only", a->NodeId());
    EXPECT_EQ(DeliverItem(*b, 900, strToHosts), 0);
    EXPECT_TRUE(b->Texts().empty());
    EXPECT_EQ(DeliverItem(*a, 900, strToHosts), 1);
    EXPECT_EQ(a->Texts(), std::vector<std::wstring>{L"hosts only"}) << "the host sees it";
    // A participant without the right still sees its own message to the hosts.
    EXPECT_EQ(DeliverItem(*b, 901, GroupText(b->UserId(), CHAT_HOST_ROLE_GROUP, "question", b->NodeId())), 1);
    EXPECT_EQ(b->Texts(), std::vector<std::wstring>{L"question"});
}

// Whatever a participant writes, a host-group message of another never shows to a participant
// without the host right: not with the receiver's own ids forged into it, not through the
// everyone cache, not as direct data, and not with the group number written another way.
TEST_F(SendReceiveTest, AForgedHostGroupMessageNeverShowsWithoutTheRight) {
    StartBoth(MemberConfig(L"Alice"), MemberConfig(L"Bob").Roles(QXCHAT_ROLE_ATTENDEE));
    ChSetPrivilege(b->H(), 0x1);
    PumpUntilQuiet();
    CMainChatDlg* pAlice = a->Dlg();
    IArmNodeController* nc = pAlice->Status().m_pArmNC;
    ASSERT_NE(nc, nullptr);
    const std::string strBobUser = std::to_string(b->UserId()), strBobNode = std::to_string(b->NodeId());
    auto forged = [&](const std::string& strGroup, const std::string& strSender, const std::string& strNode,
                      const std::string& strText) {
        return "<chat ver=\"1.0\"><mtype>3</mtype><sendid>" + strSender + "</sendid><sendnodeid>" + strNode +
               "</sendnodeid><SenderName>Bob</SenderName><groupid>" + strGroup + "</groupid><message>" +
               strText + "</message></chat>";
    };
    const std::string items[] = {
        forged("1", strBobUser, strBobNode, "as if Bob wrote it"),
        forged("1", std::to_string(a->UserId()), strBobNode, "with Bob's node"),
        forged("01", strBobUser, strBobNode, "a leading zero"),
        forged(" 1", strBobUser, strBobNode, "a leading blank"),
    };
    for (const std::string& strItem : items) {
        // Written into the everyone cache, which Bob reads: the conference names Alice the writer.
        QXMEMHANDLE hMem = nullptr;
        ASSERT_EQ(QxMemoryAlloc(static_cast<DWORD>(strItem.size()), &hMem), QXMEM_OK);
        DWORD dwSize = static_cast<DWORD>(strItem.size());
        QxMemoryWrite(hMem, 0, strItem.data(), &dwSize);
        EXPECT_EQ(nc->CacheSet(pAlice->Status().m_apeHandle,
                               pAlice->GetGroupCacheHandle(CHAT_ALL_USERS_ROLE_GROUP), 0, 0,
                               QXNC_CACHE_APPEND, 0, hMem, 0, 1),
                  0);
        QxMemoryRelease(hMem);
        // Sent to Bob directly.
        EXPECT_EQ(nc->SendData(pAlice->Status().m_apeHandle, b->UserId(), 1,
                               reinterpret_cast<const BYTE*>(strItem.data()),
                               static_cast<DWORD>(strItem.size()), 1, 1),
                  0);
    }
    // Alice has the right: the four cache items reach her, so they reached Bob too.
    EXPECT_TRUE(PumpUntil([&] { return a->Texts().size() == 4; }));
    PumpUntilQuiet();
    EXPECT_TRUE(b->Texts().empty());
    const std::wstring strDump = capture.Dump();
    size_t nDropped = 0;
    for (size_t at = 0;
         (at = strDump.find(L"MayShowGroupMessage: a host group message of user", at)) != std::wstring::npos;
         ++at)
        ++nDropped;
    EXPECT_EQ(nDropped, 8u) << "each item and each datum dropped and traced";
}

TEST_F(SendReceiveTest, BadItemsAndDataAreDroppedWithoutHarm) {
    StartBoth();
    CMainChatDlg* pDlg = b->Dlg();
    const DWORD dwApe = pDlg->Status().m_apeHandle;
    EXPECT_EQ(pDlg->ApeDataIndication(dwApe, a->UserId(), 1, 1, nullptr, 5), 1201);
    const BYTE byte = 'x';
    EXPECT_EQ(pDlg->ApeDataIndication(dwApe, a->UserId(), 1, 1, &byte, 0), 1201);
    const std::string strJunk = "<chat ver=\"1\"><mtype>2</mtype><broken";
    EXPECT_EQ(pDlg->ApeDataIndication(dwApe, a->UserId(), 1, 1, reinterpret_cast<const BYTE*>(strJunk.data()),
                                      static_cast<DWORD>(strJunk.size())),
              0);
    const std::string strBinary("\x00\xff\x01<chat>", 9);
    EXPECT_EQ(pDlg->ApeDataIndication(dwApe, a->UserId(), 1, 1,
                                      reinterpret_cast<const BYTE*>(strBinary.data()),
                                      static_cast<DWORD>(strBinary.size())),
              0);
    EXPECT_EQ(DeliverItem(*b, 800, "not xml at all"), 0);
    EXPECT_EQ(DeliverItem(*b, 801, ""), 0);
    EXPECT_EQ(DeliverItem(*b, 802, GroupText(0, 15, "no sender")), 1);
    EXPECT_TRUE(capture.Contains(L"/---- CMainChatDlg::ParseAndShowGroupMessages Exit 2 ----/"));
    EXPECT_EQ(DeliverItem(*b, 803, GroupText(a->UserId(), 15, "")), 1);
    EXPECT_TRUE(capture.Contains(L"/---- CMainChatDlg::ParseAndShowGroupMessages Exit 3 ----/"));
    CPrivateMessagePDU noIds;
    noIds.SetSendId(0);
    noIds.SetRecId(0);
    noIds.SetMessageText("who?");
    noIds.GenerateXMLPDU();
    const std::string strNoIds = noIds.GetXMLText();
    pDlg->ApeDataIndication(dwApe, a->UserId(), 1, 1, reinterpret_cast<const BYTE*>(strNoIds.data()),
                            static_cast<DWORD>(strNoIds.size()));
    EXPECT_TRUE(
        capture.Contains(L"/**** CMainChatDlg::ParseAndShowPrivateMessages: (dwReciverUserID == 0) || "
                         L"(dwSenderUserID == 0) ****/"));
    EXPECT_EQ(pDlg->HandleReceivedMessages(nullptr, nullptr, 0, 0), 1);
    EXPECT_TRUE(b->Texts().empty());
    // The same item delivered twice is shown once.
    EXPECT_EQ(DeliverItem(*b, 804, GroupText(a->UserId(), 15, "once")), 1);
    EXPECT_EQ(DeliverItem(*b, 804, GroupText(a->UserId(), 15, "once")), 0);
    EXPECT_EQ(b->Texts(), std::vector<std::wstring>{L"once"});
}

TEST_F(SendReceiveTest, DirectDataIsDroppedWhileTheRecordingParticipantRecords) {
    StartBoth();
    ServerSideRecordingStatus(a->H(), 1);
    b->ToUser(*a);
    b->Say(L"unheard");
    PumpUntilQuiet();
    EXPECT_TRUE(a->Texts().empty());
    EXPECT_TRUE(capture.ContainsSubstring(L"GetServerSideRecordingStatus()==SSR_STATUS_TPRECORDING"));
}

struct FakeProvider : IQxRecordingProvider {
    LONG __stdcall AddItem(LONG lType, const wchar_t* lpszSource, const wchar_t* lpszName,
                           const wchar_t* lpszText) override {
        items.push_back({lType, lpszSource, lpszName, lpszText});
        return 40 + static_cast<LONG>(items.size());
    }
    LONG __stdcall SetAttribute(LONG lItem, const wchar_t* lpszName, const wchar_t* lpszValue) override {
        attributes.push_back({lItem, lpszName, lpszValue});
        return 0;
    }
    struct Item {
        LONG lType;
        std::wstring strSource, strName, strText;
    };
    struct Attribute {
        LONG lItem;
        std::wstring strName, strValue;
    };
    std::vector<Item> items;
    std::vector<Attribute> attributes;
};

TEST_F(SendReceiveTest, ShownMessagesGoToTheRecordingProviderWhileRecording) {
    StartBoth();
    FakeProvider provider;
    SetServerSideRecordingProvider(b->H(), &provider, 1);
    a->ToGroup(CHAT_ALL_USERS_ROLE_GROUP);
    a->Say(L"before");
    ASSERT_TRUE(PumpUntilTexts(*b, {L"before"}));
    EXPECT_TRUE(provider.items.empty()) << "not recording yet";
    ServerSideRecordingStatus(b->H(), 3);
    a->Say(L"recorded");
    ASSERT_TRUE(PumpUntilTexts(*b, {L"before", L"recorded"}));
    ASSERT_EQ(provider.items.size(), 1u);
    EXPECT_EQ(provider.items[0].lType, 1);
    EXPECT_EQ(provider.items[0].strText, L"recorded");
    EXPECT_FALSE(provider.items[0].strSource.empty()) << "string 1421";
    ASSERT_EQ(provider.attributes.size(), 1u);
    EXPECT_EQ(provider.attributes[0].lItem, 41);
    EXPECT_EQ(provider.attributes[0].strValue, L"Alice");
    SetServerSideRecordingProvider(b->H(), nullptr, 0);
}

struct FakeSound : IQxSoundOutput {
    void Beep(DWORD dwFreq, DWORD dwMs) override { beeps.push_back({dwFreq, dwMs}); }
    void PlayFile(const std::wstring& strPath) override { files.push_back(strPath); }
    std::vector<std::pair<DWORD, DWORD>> beeps;
    std::vector<std::wstring> files;
};

TEST_F(SendReceiveTest, TheIncomingSoundPlaysForOthersMessagesOnly) {
    StartBoth();
    FakeSound sound;
    IQxSoundOutput* pPrevious = QxSetSoundOutput(&sound);
    ChSetSoundPreference(b->H(), 1, L"ding.wav", 2, 0, 1);
    ChSetSoundPreference(a->H(), 1, L"ding.wav", 2, 0, 1);
    a->ToGroup(CHAT_ALL_USERS_ROLE_GROUP);
    a->Say(L"ring");
    ASSERT_TRUE(PumpUntilTexts(*b, {L"ring"}));
    ASSERT_TRUE(PumpUntilTexts(*a, {L"ring"}));
    QxSetSoundOutput(pPrevious);
    ASSERT_EQ(sound.files.size(), 1u) << "the sender's own message is silent";
    EXPECT_EQ(sound.files[0], QxWindowsDirectory() + L"\\MEDIA\\ding.wav");
    EXPECT_TRUE(sound.beeps.empty());
}

TEST_F(SendReceiveTest, TheBeepNameBeepsAndTab100StaysSilent) {
    StartBoth();
    const std::wstring strBeep = b->Dlg()->Sound().m_strBeepName;
    ASSERT_FALSE(strBeep.empty()) << "string 1408 from the resource library";
    FakeSound sound;
    IQxSoundOutput* pPrevious = QxSetSoundOutput(&sound);
    ChSetSoundPreference(b->H(), 1, strBeep.c_str(), 2, 0, 1);
    a->ToGroup(CHAT_ALL_USERS_ROLE_GROUP);
    a->Say(L"beep");
    ASSERT_TRUE(PumpUntilTexts(*b, {L"beep"}));
    // Option 0 on tab 100: the host switched the sound off.
    ChSetSoundPreference(b->H(), 1, L"ding.wav", 0, 0, 100);
    a->Say(L"quiet");
    ASSERT_TRUE(PumpUntilTexts(*b, {L"beep", L"quiet"}));
    QxSetSoundOutput(pPrevious);
    ASSERT_EQ(sound.beeps.size(), 1u);
    EXPECT_EQ(sound.beeps[0], std::make_pair(DWORD(4095), DWORD(350)));
    EXPECT_TRUE(sound.files.empty());
}

// The host frame above a chat's host window: it reads the message notification during the send,
// while its block is valid.
class HostFrame {
public:
    HostFrame() {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"QxTestHostFrame";
        RegisterClassW(&wc);
        m_hWnd = CreateWindowExW(0, wc.lpszClassName, L"frame", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 500,
                                 400, nullptr, nullptr, wc.hInstance, nullptr);
        SetWindowLongPtrW(m_hWnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~HostFrame() { DestroyWindow(m_hWnd); }
    HWND Get() const { return m_hWnd; }
    std::vector<std::pair<DWORD, std::wstring>> notices;

private:
    static LRESULT CALLBACK Proc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<HostFrame*>(GetWindowLongPtrW(hWnd, GWLP_USERDATA));
        if (self && uMsg == WM_COMMAND && wParam == 2 && lParam) {
            struct Notice {
                DWORD dwNode;
                const wchar_t* lpszText;
            };
            const Notice* p = reinterpret_cast<const Notice*>(lParam);
            self->notices.push_back({p->dwNode, p->lpszText ? p->lpszText : L""});
            return 0;
        }
        return DefWindowProcW(hWnd, uMsg, wParam, lParam);
    }
    HWND m_hWnd = nullptr;
};

TEST_F(SendReceiveTest, TheHostFrameHearsOfEveryShownMessage) {
    StartBoth();
    HostFrame frame;
    HWND hHost = b->Host().Get();
    SetWindowLongPtrW(hHost, GWL_STYLE, (GetWindowLongPtrW(hHost, GWL_STYLE) & ~WS_POPUP) | WS_CHILD);
    SetParent(hHost, frame.Get());
    a->ToGroup(CHAT_ALL_USERS_ROLE_GROUP);
    a->Say(L"to the frame");
    ASSERT_TRUE(PumpUntilTexts(*b, {L"to the frame"}));
    ASSERT_EQ(frame.notices.size(), 1u);
    EXPECT_EQ(frame.notices[0].first, a->NodeId());
    EXPECT_EQ(frame.notices[0].second, L"to the frame");
    SetParent(hHost, nullptr);
}

TEST_F(SendReceiveTest, EventRecordsGoToTheSupportParentWindow) {
    TestHostWindow smc;
    StartBoth(MemberConfig(L"Alice", QXCHAT_FEATURE_EVENT_LOG));
    ChSetHandleForSmc(a->H(), smc.Get());
    a->ToGroup(CHAT_ALL_USERS_ROLE_GROUP);
    a->Say(L"first");
    a->Say(L"second");
    int nFirst = 0, nMessages = 0;
    for (const RecordedMessage& m : smc.messages) {
        nFirst += m.uMsg == WM_CHAT_EVENT_LOG && m.wParam == CHAT_EVENT_FIRST_SEND;
        nMessages += m.uMsg == WM_CHAT_EVENT_LOG && m.wParam == CHAT_EVENT_MESSAGE;
    }
    EXPECT_EQ(nFirst, 1);
    EXPECT_EQ(nMessages, 2);
    EXPECT_TRUE(capture.Contains(
        L"CMainChatDlg::EventLoggingInfo:----FromName:Alice, ToName:Everyone, ChatText:first"));
    a->Delete();
    int nClose = 0;
    for (const RecordedMessage& m : smc.messages)
        nClose += m.uMsg == WM_CHAT_EVENT_LOG && m.wParam == CHAT_EVENT_CLOSE;
    EXPECT_EQ(nClose, 1);
}

} // namespace
