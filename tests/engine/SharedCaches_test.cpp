// The shared caches end to end: the first instance sets the caches up, a later one finds the
// chat, the name table's layout, and group sends without a cache handle.
#include "ChatMember.h"

#include "TestControl.h"
#include "TraceCapture.h"
#include "engine/CacheNames.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

using namespace msgtest;

namespace {

class SharedCachesTest : public testing::Test {
protected:
    SharedCachesTest() : control(enginetest::FreshControl()) {}
    ~SharedCachesTest() override {
        b.reset();
        a.reset();
        control->Reset();
    }

    // Cache writes of one instance (by its APE) with this action.
    size_t WritesOf(const ChatMember& m, DWORD dwAction, DWORD dwCacheHandle = 0) const {
        size_t n = 0;
        for (const QxNcCall& call : enginetest::CallsOf(QXNC_OP_CACHE_SET))
            if (call.args[0] == m.Dlg()->Status().m_apeHandle && call.args[4] == dwAction &&
                (!dwCacheHandle || call.args[1] == dwCacheHandle))
                ++n;
        return n;
    }

    IQxNodeControlTest* control;
    TraceCapture capture;
    std::unique_ptr<ChatMember> a, b;
};

TEST_F(SharedCachesTest, TheFirstInstanceResetsTheCachesOnceAndTheSecondFindsTheChat) {
    a.reset(new ChatMember(MemberConfig(L"Alice")));
    a->Start();
    ASSERT_TRUE(PumpUntilReady({a.get()}));
    const DWORD dwEveryone = a->Dlg()->GetGroupCacheHandle(CHAT_ALL_USERS_ROLE_GROUP);
    ASSERT_NE(dwEveryone, 0u);
    EXPECT_EQ(WritesOf(*a, QXNC_CACHE_REPLACE, dwEveryone), 1u) << "one reset of the group cache";
    EXPECT_EQ(WritesOf(*a, QXNC_CACHE_REPLACE, a->Dlg()->Caches().m_dwStatusHandle), 1u) << "the status item";
    EXPECT_TRUE(capture.Contains(L"/==== CMainChatDlg::ApeCacheActionConfirmEx Exit >From Cache Set ====/"));

    b.reset(new ChatMember(MemberConfig(L"Bob")));
    b->Start();
    ASSERT_TRUE(PumpUntilReady({b.get()}));
    PumpUntilQuiet();
    EXPECT_EQ(b->Dlg()->GetGroupCacheHandle(CHAT_ALL_USERS_ROLE_GROUP), dwEveryone) << "one cache per name";
    EXPECT_EQ(WritesOf(*b, QXNC_CACHE_REPLACE), 0u) << "the second instance never resets";
    EXPECT_EQ(WritesOf(*a, QXNC_CACHE_REPLACE, dwEveryone), 1u) << "nor does the first again";
    int nResets = 0;
    for (const std::wstring& line : capture.Lines())
        nResets += line == L"/==== CMainChatDlg::SetAllCaches: Begin ====/";
    EXPECT_EQ(nResets, 1);
    // Each wrote its own user information into the user-info cache.
    EXPECT_EQ(WritesOf(*a, QXNC_CACHE_APPEND, a->Dlg()->Status().m_dwUserInfoCacheHandle), 1u);
    EXPECT_EQ(WritesOf(*b, QXNC_CACHE_APPEND, b->Dlg()->Status().m_dwUserInfoCacheHandle), 1u);
}

TEST_F(SharedCachesTest, TheNameTableListsGroupsThenUserInfoThenStatus) {
    a.reset(new ChatMember(MemberConfig(L"Alice").Groups({CHAT_PANELIST_ROLE_GROUP})));
    a->Start();
    ASSERT_TRUE(PumpUntilReady({a.get()}));
    const std::vector<QxNcCall> requests = enginetest::CallsOf(QXNC_OP_ALLOC_NAME_HANDLES);
    ASSERT_EQ(requests.size(), 1u);
    ASSERT_EQ(requests[0].args[1], 4u);
    ASSERT_EQ(requests[0].data_length, 4u * 68u);
    const DWORD N = a->Dlg()->Status().m_dwCacheNumber;
    ASSERT_NE(N, 0u);
    const std::string n = std::to_string(N);
    const std::vector<std::string> expected = {n + "_chat_cache_15", n + "_chat_cache_4",
                                               n + "_Chat_User_Info", n + "_chat_status"};
    for (size_t i = 0; i < expected.size(); ++i) {
        QxCacheName entry;
        std::memcpy(&entry, requests[0].data + i * 68, 68);
        EXPECT_EQ(QxCacheNameText(entry.name), expected[i]);
        EXPECT_EQ(entry.handle, 0u);
        for (size_t c = expected[i].size(); c < 64; ++c)
            EXPECT_EQ(entry.name[c], 0) << "NUL-padded";
    }
    EXPECT_NE(a->Dlg()->GetGroupCacheHandle(CHAT_PANELIST_ROLE_GROUP), 0u);
    EXPECT_TRUE(a->Dlg()->Status().m_bAllCachesAllocated);
}

TEST_F(SharedCachesTest, AFailedNameConfirmationLeavesTheChatUnstartedAndTheNextEnrollmentAsksAgain) {
    control->ScriptConfirm(QXNC_CONFIRM_NAMES, static_cast<short>(ARM_ERROR_INVALID_STATE), 1);
    a.reset(new ChatMember(MemberConfig(L"Alice")));
    a->Start();
    ASSERT_TRUE(PumpUntil([&] { return capture.ContainsSubstring(L"AllocNameHandleConfirm Exit"); }));
    EXPECT_FALSE(a->Dlg()->Status().m_bAllCachesAllocated);
    EXPECT_TRUE(enginetest::CallsOf(QXNC_OP_CACHE_ACTION).empty()) << "no status without its handle";
    EXPECT_FALSE(IsWindowEnabled(a->Dlg()->Controls().m_hSend));
    // A re-enrollment asks for the names again and then starts.
    ChSetRosters(a->H(), QXCHAT_ROLE_PRESENTER);
    ASSERT_TRUE(PumpUntilReady({a.get()}));
    EXPECT_EQ(enginetest::CallsOf(QXNC_OP_ALLOC_NAME_HANDLES).size(), 2u);
}

TEST_F(SharedCachesTest, AGroupSendWithoutACacheHandleFailsAndKeepsTheText) {
    a.reset(new ChatMember(MemberConfig(L"Alice")));
    a->Start();
    ASSERT_TRUE(PumpUntilReady({a.get()}));
    // A group added after the names were asked for has no cache yet.
    ChAddGroup(a->H(), 1, CHAT_ROLE_GROUP, CHAT_HOST_ROLE_GROUP, L"Hosts", 0, 0, 0, nullptr, 0, 0);
    a->ToGroup(CHAT_HOST_ROLE_GROUP);
    ASSERT_EQ(a->Dlg()->GetGroupCacheHandle(CHAT_HOST_ROLE_GROUP), 0u);
    control->ClearCalls();
    a->Say(L"to the hosts");
    EXPECT_TRUE(capture.Contains(L"/---- CMainChatDlg::OnSend Get Grouop Cache handle Failed ----/"));
    EXPECT_EQ(a->InputText(), L"to the hosts");
    EXPECT_TRUE(enginetest::CallsOf(QXNC_OP_CACHE_SET).empty());
}

TEST_F(SharedCachesTest, APrivilegeUpdateAfterTheStartKeepsTheInputEnabled) {
    a.reset(new ChatMember(MemberConfig(L"Alice")));
    a->Start();
    ASSERT_TRUE(PumpUntilReady({a.get()}));
    ChSetPrivilege(a->H(), 0x1FF);
    EXPECT_TRUE(IsWindowEnabled(a->Input()));
    EXPECT_TRUE(a->Dlg()->Status().m_bSendReady);
    ChAllowUserInput(a->H(), 0);
    EXPECT_FALSE(IsWindowEnabled(a->Input()));
}

TEST_F(SharedCachesTest, HostDrivenGroupsHaveCachesToo) {
    a.reset(new ChatMember(MemberConfig(L"Alice", QXCHAT_FEATURE_HOST_GROUPS)));
    a->Start();
    ASSERT_TRUE(PumpUntilReady({a.get()}));
    b.reset(new ChatMember(MemberConfig(L"Bob", QXCHAT_FEATURE_HOST_GROUPS)));
    b->Start();
    ASSERT_TRUE(PumpUntilReady({b.get()}));
    a->ToGroup(CHAT_ALL_USERS_ROLE_GROUP);
    a->Say(L"host-driven");
    EXPECT_TRUE(PumpUntilTexts(*b, {L"host-driven"}));
}

TEST_F(SharedCachesTest, CallbacksForAnotherAttachmentAreIgnored) {
    a.reset(new ChatMember(MemberConfig(L"Alice")));
    a->Start();
    ASSERT_TRUE(PumpUntilReady({a.get()}));
    CMainChatDlg* pDlg = a->Dlg();
    capture.Clear();
    const DWORD dwApe = pDlg->Status().m_apeHandle;
    EXPECT_EQ(pDlg->ApeCacheActionConfirmEx(dwApe + 1, 5, 0, 0), 1);
    EXPECT_EQ(pDlg->ApeCacheActionConfirmEx(dwApe, 0, 0, 0), 1);
    EXPECT_EQ(pDlg->AllocNameHandleConfirm(dwApe + 1, 1, nullptr, 0), 0);
    EXPECT_EQ(pDlg->SharedDataReceivedEx(dwApe + 1, 1, pDlg->GetGroupCacheHandle(15), nullptr, 0, 1), 0);
    EXPECT_FALSE(capture.ContainsSubstring(L"SharedDataReceivedEx: begin")) << "not even traced";
}

} // namespace

// The first instance writes its user info and asks for the subscriptions before the chat status
// is confirmed; the group caches can only be subscribed once it is. A message sent in between
// would be written where no one listens, its sender included, and never be shown.
TEST_F(SharedCachesTest, InputWaitsUntilTheGroupCachesCanBeSubscribed) {
    a.reset(new ChatMember(MemberConfig(L"Alice")));
    a->Start();
    ASSERT_TRUE(PumpUntil([&] {
        return capture.Contains(L"/==== CMainChatDlg::ApeCacheActionConfirmEx Exit >From Cache Set ====/");
    }));
    const CUsersGroup* pEveryone = a->Dlg()->CacheGroups().FindById(CHAT_ALL_USERS_ROLE_GROUP);
    ASSERT_NE(pEveryone, nullptr);
    EXPECT_FALSE(pEveryone->m_bSubscribed);
    EXPECT_FALSE(IsWindowEnabled(a->Dlg()->Controls().m_hSend)) << "nothing could be delivered yet";
    ASSERT_NE(a->Dlg()->GetGroupCacheHandle(CHAT_ALL_USERS_ROLE_GROUP), 0u);
    EXPECT_FALSE(a->Dlg()->SendPublicMessage(CHAT_ALL_USERS_ROLE_GROUP, L"too early"));
    EXPECT_TRUE(capture.Contains(
        L"/---- CMainChatDlg::SendPublicMessage: the chat status is not known yet, nothing sent ----/"));
    ASSERT_TRUE(PumpUntilReady({a.get()}));
    a->ToGroup(CHAT_ALL_USERS_ROLE_GROUP);
    a->Say(L"first words");
    EXPECT_TRUE(PumpUntilTexts(*a, {L"first words"}));
}
