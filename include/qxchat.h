/* qxchat.dll: the chat panel of a meeting. The host creates one instance per meeting with
 * QxNewInstance, configures it, starts it with ChChat1 and ends it with QxDeleteInstance.
 * Every entry point is __stdcall and exported by its undecorated name; bind them by name.
 * Strings are zero-terminated UTF-16 and may be null; the module copies what it keeps.
 * No entry point throws: failures are reported by results and written to the trace. */
#ifndef QXCHAT_QXCHAT_H
#define QXCHAT_QXCHAT_H

#include <windows.h>

/* The instance handle: the address of the instance, 0 for none. */
typedef LONG_PTR QXHCOMPONENT;

/* Results. */
#define QXCHAT_OK 0
#define QXCHAT_NULL_HANDLE (-1)  /* the entries that document it */
#define QXCHAT_SAVE_NOT_DONE 1   /* save entries: nothing was saved */
#define QXCHAT_SAVE_EMPTY_PATH 3 /* ChSaveChatNameAndPath: name or path empty */
#define QXCHAT_SAVED_NAME_OK 0   /* ChGetSavedFileName */
#define QXCHAT_SAVED_NAME_NONE 1

/* Messages the engine posts (or sends, where said) to the host's windows. */
#define WM_CHAT_NEW_MESSAGE (WM_USER + 255)        /* 1279, posted to the ChSetHandleForSmc window */
#define WM_CHAT_TYPING (WM_USER + 256)             /* 1280: wParam node id, lParam 1 typing, 2 stopped */
#define WM_CHAT_CACHE_NOTIFY (WM_USER + 257)       /* 1281: a cache request was confirmed */
#define WM_CHAT_NOTIFY_TO_SERVICE (WM_USER + 1000) /* 2024: wParam 200, lParam 0 enrolled, -1 failed */
#define WM_CHAT_EVENT_LOG 3002                     /* sent to the ChSetHandleForSmc window */
#define QXCHAT_NOTIFY_ENROLL 200                   /* wParam of WM_CHAT_NOTIFY_TO_SERVICE */

/* Edit-command state, sent by the chat dialog to its parent (lParam 1 = possible). */
#define WM_CHAT_EDIT_CAN_COPY (WM_USER + 1)  /* 1025, wParam 1 */
#define WM_CHAT_EDIT_CAN_CUT (WM_USER + 2)   /* 1026, wParam 0 */
#define WM_CHAT_EDIT_CAN_PASTE (WM_USER + 3) /* 1027, wParam 0 */

/* Registered message the host broadcasts to every instance; wParam 1: a modal state begins. */
#define QXCHAT_SERVICE_NOTIFY_MSG_NAME L"TalmoServiceNotifyCCMsg_{C1BC5150-9DDD-45f9-A719-99146EFA4FD7}"

/* ChEditChat codes. */
#define QXCHAT_EDIT_COPY 0
#define QXCHAT_EDIT_PASTE 1
#define QXCHAT_EDIT_CUT 2
#define QXCHAT_EDIT_FOCUS 3

/* ChSetEventConfig commands. */
#define QXCHAT_EVT_STRICT_MODE 1     /* accepted after command 2 with lParam1 = 2 */
#define QXCHAT_EVT_CONF_MODE 2       /* lParam1 2 or 3 */
#define QXCHAT_EVT_SEND_ENABLE 40    /* lParam1: 0 keeps chat disabled */
#define QXCHAT_EVT_SERVICE_WINDOW 50 /* lParam1: the window that receives the notifications */
#define QXCHAT_EVT_GET_ROLES 60      /* result: the local user's role bits once enrolled */
#define QXCHAT_EVT_OPTION_70 70      /* lParam1 stored */
#define QXCHAT_EVT_ALL_USERS 80      /* lParam1 switch, lParam2 value for group 15 */
#define QXCHAT_EVT_OPTION_90 90      /* bit 0 of lParam1 stored */
#define QXCHAT_EVT_CONFERENCE_ID 100 /* lParam1: conference id for the next connection */

/* ChSetConfig types. */
#define QXCHAT_CFG_FAQ_CONTENT 1
#define QXCHAT_CFG_FAQ_MACRO 2
#define QXCHAT_CFG_CUSTOMER_ID 3
#define QXCHAT_CFG_PRIMARY_CUSTOMER 4

/* ChTransferMessages: the types with a meaning of their own (1 to 11 are accepted) and the
 * dwOption bits. */
#define QXCHAT_TRANSFER_PRIVATE_CHAT 4  /* with QXCHAT_TRANSFER_AS_CHAT: a private chat message */
#define QXCHAT_TRANSFER_GROUP_CHAT 5    /* with QXCHAT_TRANSFER_AS_CHAT: a group chat message */
#define QXCHAT_TRANSFER_STRIP_OFF 11    /* also hides the typing-indication strip for good */
#define QXCHAT_TRANSFER_SHOW 0x1        /* show it here too */
#define QXCHAT_TRANSFER_AS_CHAT 0x2     /* types 4, 5: as a chat message; else the group-message send */
#define QXCHAT_TRANSFER_RECORDABLE 0x4  /* the send may be recorded */
#define QXCHAT_TRANSFER_RECORD_COPY 0x8 /* the send carries the record-copy flags */
#define QXCHAT_TRANSFER_FLAG_10 0x10    /* the send option gets bit 0x10 */

/* ChSelectFeature bits (dwFeature1). */
#define QXCHAT_FEATURE_ENROLL_FEEDBACK 0x00000001UL
#define QXCHAT_FEATURE_KEY_FOCUS 0x00000004UL
#define QXCHAT_FEATURE_EVENT_LOG 0x00000008UL
#define QXCHAT_FEATURE_SEND_PRIVILEGE 0x00000010UL
#define QXCHAT_FEATURE_ALT_TRANSCRIPT 0x00000020UL
#define QXCHAT_FEATURE_0x40 0x00000040UL
#define QXCHAT_FEATURE_CUSTOMER_SUPPORT 0x00000080UL
#define QXCHAT_FEATURE_RECORDING 0x00000100UL
#define QXCHAT_FEATURE_ATTENDEE_MEMBERS 0x00000200UL
#define QXCHAT_FEATURE_RECOVERY 0x00000400UL
#define QXCHAT_FEATURE_SUBSCRIBE_STORED 0x00000800UL
#define QXCHAT_FEATURE_QUICK_PHRASE 0x00001000UL
#define QXCHAT_FEATURE_TYPING 0x00002000UL
#define QXCHAT_FEATURE_0x4000 0x00004000UL
#define QXCHAT_FEATURE_RECORD_COPY 0x00008000UL
#define QXCHAT_FEATURE_CUSTOMER_HISTORY 0x00010000UL
#define QXCHAT_FEATURE_MODE2 0x00020000UL
#define QXCHAT_FEATURE_TALL_SEND 0x00040000UL
#define QXCHAT_FEATURE_REPLACE_CUSTOMER 0x00080000UL
#define QXCHAT_FEATURE_COMPACT 0x00100000UL /* compact layout, no input prompt */
#define QXCHAT_FEATURE_HOST_GROUPS 0x80000000UL

/* WM_CHAT_EVENT_LOG: wParam is the event code, lParam the record. The records and every string
 * they point to belong to the module and are valid only while the message is being sent. */
#define CHAT_EVENT_FIRST_SEND 7000 /* lParam: QXCHAT_EVENT_IDENTITY*, after the first message sent */
#define CHAT_EVENT_MESSAGE 7001    /* lParam: QXCHAT_EVENT_MESSAGE*, a message sent */
#define CHAT_EVENT_CLOSE 7002      /* lParam: QXCHAT_EVENT_IDENTITY*, the chat window closes */

typedef struct QXCHAT_EVENT_IDENTITY {
    DWORD dwLength;    /* characters of lpszName including its terminating zero */
    wchar_t* lpszName; /* the local user's display name */
    LONG lTime;        /* seconds since 1970 (UTC) */
} QXCHAT_EVENT_IDENTITY;

typedef struct QXCHAT_EVENT_MESSAGE {
    QXCHAT_EVENT_IDENTITY* pFrom;
    DWORD dwToLength;   /* characters of lpszTo, no terminator counted (at most 65535) */
    wchar_t* lpszTo;    /* the recipient entry's text */
    DWORD dwTextLength; /* characters of lpszText, no terminator counted (at most 65535) */
    wchar_t* lpszText;
} QXCHAT_EVENT_MESSAGE;

#ifdef __cplusplus
/* The server-side recording provider the host hands to SetServerSideRecordingProvider. While
 * recording is on, every shown message becomes one item (AddItem with type 1, whose result names
 * the item) and the sender's name one attribute of it. Strings are the caller's, valid during
 * the call only; neither operation may throw. */
struct IQxRecordingProvider {
    virtual LONG __stdcall AddItem(LONG lType, const wchar_t* lpszSource, const wchar_t* lpszName,
                                   const wchar_t* lpszText) = 0;
    virtual LONG __stdcall SetAttribute(LONG lItem, const wchar_t* lpszName, const wchar_t* lpszValue) = 0;
};
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* The 47 entries, in the order of the export table. */
QXHCOMPONENT __stdcall QxNewInstance(HWND hWndParent);
LONG __stdcall QxDeleteInstance(QXHCOMPONENT hComponent);
LONG __stdcall ChSetMeetingType(QXHCOMPONENT hComponent, LONG lMeetingType);
LONG __stdcall ChSetBrowserType(QXHCOMPONENT hComponent, LONG lBrowserType);
LONG __stdcall ChChat1(QXHCOMPONENT hComponent, const wchar_t* lpszServerAddress, LONG confHandle,
                       LONG lChatRoomId, const wchar_t* lpszUserName, LONG userHandle,
                       const wchar_t* lpszUserInfo);
LONG __stdcall ChSaveChat(QXHCOMPONENT hComponent);
LONG __stdcall ChPrintChat(QXHCOMPONENT hComponent);
LONG __stdcall ChGetSaveChatState(QXHCOMPONENT hComponent);
LONG __stdcall ChLoadChat(QXHCOMPONENT hComponent);
LONG __stdcall ChAllowUserInput(QXHCOMPONENT hComponent, LONG lInputPermission);
LONG __stdcall ChShowUserList(QXHCOMPONENT hComponent, LONG lUserListPermission);
LONG __stdcall ChQuitApp(QXHCOMPONENT hComponent, LONG lReserved);
LONG __stdcall ChSetPrivilege(QXHCOMPONENT hComponent, LONG lReserved);
LONG __stdcall ChSetRosterStatus(QXHCOMPONENT hComponent, LONG lNeedRosterInfo, LONG lBroadcastRosterInfo,
                                 LONG lReserved);
LONG __stdcall ChSaveChatAs(QXHCOMPONENT hComponent);
LONG __stdcall ChSetSoundPreference(QXHCOMPONENT hComponent, LONG lNeedPlaySound,
                                    const wchar_t* lpszSoundFileName, LONG lOptionValue, LONG lhWnd,
                                    LONG lCurTabIndex);
LONG __stdcall ChEditChat(QXHCOMPONENT hComponent, LONG NotifyCode);
LONG __stdcall ChSetQxConfMgr(QXHCOMPONENT hComponent, void* pQxConfMgr);
LONG __stdcall ChSetPanelist(LONG lValue1, LONG lValue2, LONG lValue3);
LONG __stdcall ChAutoSaveChat(QXHCOMPONENT hComponent);
LONG __stdcall ChSetAutoSavePath(QXHCOMPONENT hComponent, const wchar_t* lpszFolder);
LONG __stdcall ChSetSaveChatFileName(QXHCOMPONENT hComponent, const wchar_t* lpszFileName);
LONG __stdcall ChSetEventConfig(QXHCOMPONENT hComponent, LONG lCommand, LONG lParam1, LONG lParam2,
                                const wchar_t* lpszBuffer);
LONG __stdcall ChLoadRestoredChat(QXHCOMPONENT hComponent, const wchar_t* lpszFile);
LONG __stdcall ChAutoSaveChatForReconn(QXHCOMPONENT hComponent);
LONG __stdcall ChSaveChatNameAndPath(QXHCOMPONENT hComponent, const wchar_t* lpszName,
                                     const wchar_t* lpszPath);
LONG __stdcall ChSetUserType(QXHCOMPONENT hComponent, LONG nUserType);
LONG __stdcall ChGetMaxMinWidth(QXHCOMPONENT hComponent, LONG bIsMax);
LONG __stdcall ChSaveChatTo(QXHCOMPONENT hComponent, const wchar_t* lpszFileName);
LONG __stdcall ChGetSavedFileName(QXHCOMPONENT hComponent, wchar_t* lpszFileName, LONG reserved);
LONG __stdcall ChChatToAttendee(QXHCOMPONENT hComponent, DWORD dwNodeId);
LONG __stdcall ChDestroyModalDialog(QXHCOMPONENT hComponent);
LONG __stdcall ChSetSharingRc(LONG lValue1, LONG lValue2);
LONG __stdcall ChSetRosters(QXHCOMPONENT hComponent, LONG lRoster);
LONG __stdcall ServerSideRecordingStatus(QXHCOMPONENT hComponent, DWORD dwStatus);
LONG __stdcall SetServerSideRecordingProvider(QXHCOMPONENT hComponent, void* pSink, LONG bNeedWriInfo);
LONG __stdcall ChSetHandleForSmc(QXHCOMPONENT hComponent, HWND hWndParent);
LONG __stdcall ChAddGroup(QXHCOMPONENT hComponent, LONG nInsertIndex, LONG nGroupType, LONG nGroupId,
                          const wchar_t* pstrGroupName, LONG bShowMemberList, LONG bDefault,
                          LONG lShowFactNameInUserList, const wchar_t* lpszGroupLabel, DWORD dwReserved1,
                          DWORD dwReserved2);
LONG __stdcall ChSelectFeature(QXHCOMPONENT hComponent, DWORD dwFeature1, DWORD dwFeature2, LONG lParam1,
                               LONG lParam2, DWORD dwLen, const wchar_t* lpszData);
LONG __stdcall ChChatToGroup(QXHCOMPONENT hComponent, LONG nGroupType, LONG GroupID);
LONG __stdcall ChModifyGroup(QXHCOMPONENT hComponent, LONG nModifyIndex, LONG lModifyMask, LONG lModifyValue,
                             LONG lModifyCount, const wchar_t* lpszReserved1, const wchar_t* lpszReserved2,
                             DWORD dwReserved1, DWORD dwReserved2);
LONG __stdcall ChChatToGroupEx(QXHCOMPONENT hComponent, LONG nGroupIndex);
LONG __stdcall ChAddAUser(QXHCOMPONENT hComponent, DWORD dwNodeId, LONG nGroupID, LONG nGroupIndex,
                          const wchar_t* lpszReserved1, const wchar_t* lpszReserved2, DWORD dwReserved1,
                          DWORD dwReserved2);
LONG __stdcall TlmSetNBRStatus(QXHCOMPONENT hComponent, DWORD dwStatus, DWORD dwOption, DWORD dwReserved);
LONG __stdcall ChSetConfig(QXHCOMPONENT hComponent, DWORD dwConfigType, const wchar_t* lpszConfig);
LONG __stdcall ChTransferMessages(QXHCOMPONENT hComponent, DWORD dwType, DWORD dwTargetID, DWORD dwOption,
                                  const wchar_t* lpszMessage);
LONG __stdcall ChSetMessageDisplayFormat(QXHCOMPONENT hComponent, DWORD wFormat, DWORD wEffectOption,
                                         LONG bShowPrivate, DWORD dwReserved1, DWORD dwReserved2,
                                         DWORD dwReserved3, DWORD dwReserved4);

#ifdef __cplusplus
}
#endif

#endif
