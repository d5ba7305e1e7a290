/* Built against the kit alone (qxchat.h and the import library): every one of the 47 entries is
 * imported, so the program loads only when each binds to its export, and each entry that takes
 * an instance is called with the null handle and must give the result the header documents. */
#include <qxchat.h>

#include <stdio.h>
#include <wchar.h>

static int g_failures;

static void Expect(const char* name, LONG expected, LONG actual) {
    if (expected != actual) {
        fprintf(stderr, "null_results: %s returned %ld, expected %ld\n", name, actual, expected);
        ++g_failures;
    }
}

#define EXPECT_NULL(expected, call) Expect(#call, expected, call)

int main(void) {
    wchar_t buffer[260] = L"unchanged";
    /* QxNewInstance is imported but not called: it would make a real instance. */
    QXHCOMPONENT(__stdcall* volatile create)(HWND) = QxNewInstance;
    EXPECT_NULL(0, QxDeleteInstance(0));
    EXPECT_NULL(0, ChSetMeetingType(0, 1));
    EXPECT_NULL(0, ChSetBrowserType(0, 1));
    EXPECT_NULL(0, ChChat1(0, L"127.0.0.1", 1, 1, L"Ann", 1, L""));
    EXPECT_NULL(QXCHAT_SAVE_NOT_DONE, ChSaveChat(0));
    EXPECT_NULL(0, ChPrintChat(0));
    EXPECT_NULL(0, ChGetSaveChatState(0));
    EXPECT_NULL(0, ChLoadChat(0));
    EXPECT_NULL(0, ChAllowUserInput(0, 1));
    EXPECT_NULL(0, ChShowUserList(0, 1));
    EXPECT_NULL(0, ChQuitApp(0, 0));
    EXPECT_NULL(0, ChSetPrivilege(0, QXCHAT_PRIV_ALL));
    EXPECT_NULL(0, ChSetRosterStatus(0, 1, 1, 0));
    EXPECT_NULL(QXCHAT_SAVE_NOT_DONE, ChSaveChatAs(0));
    EXPECT_NULL(0, ChSetSoundPreference(0, 1, L"ding.wav", QXCHAT_SOUND_ALWAYS, 0, QXCHAT_SOUND_TAB_CHAT));
    EXPECT_NULL(0, ChEditChat(0, QXCHAT_EDIT_COPY));
    EXPECT_NULL(0, ChSetQxConfMgr(0, NULL));
    EXPECT_NULL(0, ChSetPanelist(1, 2, 3));
    EXPECT_NULL(QXCHAT_SAVE_NOT_DONE, ChAutoSaveChat(0));
    EXPECT_NULL(0, ChSetAutoSavePath(0, L"C:\\chats"));
    EXPECT_NULL(0, ChSetSaveChatFileName(0, L"chat.txt"));
    EXPECT_NULL(0, ChSetEventConfig(0, QXCHAT_EVT_SERVICE_WINDOW, 1234, 0, NULL));
    EXPECT_NULL(0, ChLoadRestoredChat(0, L"C:\\chats\\chat.txt"));
    EXPECT_NULL(0, ChAutoSaveChatForReconn(0));
    EXPECT_NULL(QXCHAT_SAVE_NOT_DONE, ChSaveChatNameAndPath(0, L"chat.txt", L"C:\\chats"));
    EXPECT_NULL(0, ChSetUserType(0, QXCHAT_USER_TYPE_CUSTOMER_A));
    EXPECT_NULL(0, ChGetMaxMinWidth(0, 1));
    EXPECT_NULL(QXCHAT_SAVE_NOT_DONE, ChSaveChatTo(0, L"C:\\chats\\chat.txt"));
    EXPECT_NULL(0, ChGetSavedFileName(0, buffer, 260));
    EXPECT_NULL(0, ChChatToAttendee(0, 1001));
    EXPECT_NULL(0, ChDestroyModalDialog(0));
    EXPECT_NULL(0, ChSetSharingRc(1, 2));
    EXPECT_NULL(0, ChSetRosters(0, QXCHAT_ROLE_HOST));
    EXPECT_NULL(0, ServerSideRecordingStatus(0, QXCHAT_SSR_RECORDING_3));
    EXPECT_NULL(0, SetServerSideRecordingProvider(0, NULL, 1));
    EXPECT_NULL(0, ChSetHandleForSmc(0, NULL));
    EXPECT_NULL(QXCHAT_NULL_HANDLE, ChAddGroup(0, 0, QXCHAT_GROUP_TYPE_ROLE, QXCHAT_GROUP_EVERYONE,
                                               L"Everyone", 1, 1, 0, NULL, 0, 0));
    EXPECT_NULL(QXCHAT_NULL_HANDLE, ChSelectFeature(0, QXCHAT_FEATURE_TYPING, 0, 0, 10, 0, NULL));
    EXPECT_NULL(0, ChChatToGroup(0, QXCHAT_GROUP_TYPE_ROLE, QXCHAT_GROUP_EVERYONE));
    EXPECT_NULL(QXCHAT_NULL_HANDLE, ChModifyGroup(0, 0, QXCHAT_MODIFY_DIM, 1, 0, NULL, NULL, 0, 0));
    EXPECT_NULL(QXCHAT_NULL_HANDLE, ChChatToGroupEx(0, 0));
    EXPECT_NULL(QXCHAT_NULL_HANDLE, ChAddAUser(0, 1001, QXCHAT_GROUP_ATTENDEES, 0, NULL, NULL, 0, 0));
    EXPECT_NULL(QXCHAT_NULL_HANDLE, TlmSetNBRStatus(0, 3, 0, 0));
    EXPECT_NULL(QXCHAT_NULL_HANDLE, ChSetConfig(0, QXCHAT_CFG_CUSTOMER_ID, L"<chat/>"));
    EXPECT_NULL(QXCHAT_NULL_HANDLE, ChTransferMessages(0, 1, 0, QXCHAT_TRANSFER_SHOW, L"hi"));
    EXPECT_NULL(0, ChSetMessageDisplayFormat(0, 1, 2, 1, 0, 0, 0, 0));
    if (create == NULL) ++g_failures;
    if (wcscmp(buffer, L"unchanged") != 0) {
        fprintf(stderr, "null_results: ChGetSavedFileName wrote into the buffer without an instance\n");
        ++g_failures;
    }
    printf("null_results: %s\n", g_failures ? "failed" : "all 47 entries bound, null results as documented");
    return g_failures ? 1 : 0;
}
