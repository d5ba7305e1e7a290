/* qxchat.h: the host interface of qxchat.dll, the chat panel of a meeting (32-bit Windows).
 *
 * A host creates one instance per meeting with QxNewInstance, configures it, starts it with
 * ChChat1, drives it during the meeting and ends it with QxDeleteInstance.
 *
 * Conventions of every entry:
 * - Calling convention __stdcall (WINAPI); exported by its undecorated name (and a fixed
 *   ordinal, 1 to 47 in the order below). Bind by name with GetProcAddress, or link the import
 *   library (libqxchat.a for MinGW, qxchat.lib for the Microsoft linker).
 * - Strings are zero-terminated UTF-16 and may be null. They are read during the call only; the
 *   module copies what it keeps.
 * - Every other argument is a 32-bit value: names beginning with l, n or b are signed, dw
 *   unsigned; window handles and pointers travel as 32-bit values.
 * - Results are 32-bit. Where a result is a status, 0 means done. The "null result" of an entry is
 *   what it returns for hComponent 0, in which case nothing else happens.
 * - An instance must be used on the thread that created it, the thread of the host's message
 *   loop; every notification arrives through that loop. No entry throws; failures are reported by
 *   results and written to the trace.
 *
 * Compiles as C and as C++. */
#ifndef QXCHAT_QXCHAT_H
#define QXCHAT_QXCHAT_H

#include <windows.h>

/* The instance handle: the address of the instance, 0 for none. A deleted handle is not
 * detected: never use one after QxDeleteInstance. */
typedef LONG_PTR QXHCOMPONENT;

/* ---------------------------------------------------------------------------------------------
 * Results */
#define QXCHAT_OK 0L
#define QXCHAT_NULL_HANDLE (-1L)  /* the entries that document it */
#define QXCHAT_SAVE_NOT_DONE 1L   /* save entries: nothing was saved (failed, cancelled, no window) */
#define QXCHAT_SAVE_EMPTY_PATH 3L /* ChSaveChatNameAndPath: name or path empty */
#define QXCHAT_SAVED_NAME_OK 0L   /* ChGetSavedFileName */
#define QXCHAT_SAVED_NAME_NONE 1L
#define QXCHAT_NO_WIDTH_LIMIT 0L /* ChGetMaxMinWidth */

/* ChGetSaveChatState without feature bit QXCHAT_FEATURE_SAVE_STATE_FLAGS. */
#define QXCHAT_SAVE_STATE_EMPTY 0L  /* no messages */
#define QXCHAT_SAVE_STATE_SAVED 1   /* messages, all saved */
#define QXCHAT_SAVE_STATE_UNSAVED 2 /* messages that need saving */
/* With that feature bit: QXCHAT_SAVE_STATE_HAS_MESSAGES, or-ed with QXCHAT_SAVE_STATE_NEEDS_SAVE. */
#define QXCHAT_SAVE_STATE_HAS_MESSAGES 0x10000
#define QXCHAT_SAVE_STATE_NEEDS_SAVE 0x1

/* ---------------------------------------------------------------------------------------------
 * Window messages to the host
 *
 * The engine notifies up to two host windows: the service window (ChSetEventConfig command
 * QXCHAT_EVT_SERVICE_WINDOW) and the support window (ChSetHandleForSmc). Unless said otherwise a
 * message is posted, to the service window first, then to the support window. The module relies
 * on no reply. */
#define WM_CHAT_NEW_MESSAGE (WM_USER + 255)        /* 1279, posted to the ChSetHandleForSmc window */
#define WM_CHAT_TYPING (WM_USER + 256)             /* 1280: wParam node id, lParam 1 typing, 2 stopped */
#define WM_CHAT_CACHE_NOTIFY (WM_USER + 257)       /* 1281: a cache write was confirmed */
#define WM_CHAT_NOTIFY_TO_SERVICE (WM_USER + 1000) /* 2024: wParam 200, lParam 0 enrolled, -1 failed */
#define WM_CHAT_EVENT_LOG 3002                     /* sent to the ChSetHandleForSmc window */
#define QXCHAT_NOTIFY_ENROLL 200                   /* wParam of WM_CHAT_NOTIFY_TO_SERVICE */
/* WM_CHAT_NEW_MESSAGE: wParam 0, lParam 0; a message was shown; only with QXCHAT_FEATURE_KEY_FOCUS
 * (its second meaning), posted to the support window alone.
 * WM_CHAT_TYPING: wParam the typing participant's node id; lParam below. Only with
 * QXCHAT_FEATURE_TYPING. Indications are checked every 5 s: a participant whose indications
 * stopped without a message is reported stopped at the next check.
 * WM_CHAT_CACHE_NOTIFY: wParam 0, lParam 0; the conference confirmed a write of the chat to one of
 * its caches (not the chat-status cache). The first one after ChChat1 comes when the chat has
 * announced its user and asked for its group subscriptions; a group send before those are in
 * place keeps its text in the input box.
 * WM_CHAT_NOTIFY_TO_SERVICE: wParam QXCHAT_NOTIFY_ENROLL; lParam 0 when the chat has enrolled in
 * the conference, -1 when it could not. Only with QXCHAT_FEATURE_ENROLL_FEEDBACK. */
#define QXCHAT_TYPING_STARTED 1 /* lParam of WM_CHAT_TYPING: typing, or still typing */
#define QXCHAT_TYPING_STOPPED 2 /* stopped, or the participant's message arrived */

/* WM_COMMAND to the host frame, for every message the panel shows (received, and the user's own
 * private messages): sent (SendMessageTimeout, 1 s, abort if hung) to the panel's host frame,
 * the window three parents above the chat dialog: dialog -> instance window -> hWndParent of
 * QxNewInstance -> its parent. wParam is QXCHAT_CMD_MESSAGE_SHOWN; lParam points to a
 * QXCHAT_MESSAGE_NOTICE that is valid only while the message is being handled. A frame with its
 * own controls tells this one apart by lParam: a control's WM_COMMAND carries its window handle,
 * never a block of the module's. */
#define QXCHAT_CMD_MESSAGE_SHOWN 2

typedef struct QXCHAT_MESSAGE_NOTICE {
    DWORD dwNodeId;          /* the sender's node id; 0 when the sender is not in the roster */
    const wchar_t* lpszText; /* the message text as shown */
} QXCHAT_MESSAGE_NOTICE;

/* Sent (at most 2 s) before the module opens its file dialog for ChLoadChat and before it prints,
 * with both parameters 0, to a top-level window of the host's process whose title is
 * QXCHAT_HOST_MODAL_WINDOW_TITLE, when one exists. */
#define WM_CHAT_BEFORE_MODAL (WM_USER + 99) /* 1123 */
#define QXCHAT_HOST_MODAL_WINDOW_TITLE L"09334AB1-AE2F-11d5-B672-00500411925B"

/* Edit-command state, sent by the chat dialog to its parent, the instance window (the child of
 * hWndParent of QxNewInstance), after every input change, copy and cut (lParam 1 = possible). */
#define WM_CHAT_EDIT_CAN_COPY (WM_USER + 1)  /* 1025, wParam 1 */
#define WM_CHAT_EDIT_CAN_CUT (WM_USER + 2)   /* 1026, wParam 0 */
#define WM_CHAT_EDIT_CAN_PASTE (WM_USER + 3) /* 1027, wParam 0 */

/* Registered message the host broadcasts to every instance; wParam 1: a modal state begins. */
#define QXCHAT_SERVICE_NOTIFY_MSG_NAME L"TalmoServiceNotifyCCMsg_{C1BC5150-9DDD-45f9-A719-99146EFA4FD7}"
/* wParam of that message: the instance closes its open drop-down lists and its notice window. */
#define QXCHAT_SERVICE_MODAL_BEGINS 1

/* The chat dialog's controls a host may address (children of the dialog, which is the child of
 * the instance window): the input box and its Send button. */
#define QXCHAT_CONTROL_INPUT 101
#define QXCHAT_CONTROL_SEND 102

/* ---------------------------------------------------------------------------------------------
 * Event records: WM_CHAT_EVENT_LOG, sent to the support window, only with QXCHAT_FEATURE_EVENT_LOG.
 * wParam is the event code, lParam the record. The records and every string they point to
 * belong to the module and are valid only while the message is being sent. */
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

/* ---------------------------------------------------------------------------------------------
 * ChEditChat codes. */
#define QXCHAT_EDIT_COPY 0  /* the message list's selection when it has the focus, else the input's */
#define QXCHAT_EDIT_PASTE 1 /* the clipboard's text replaces the input box's selection */
#define QXCHAT_EDIT_CUT 2   /* the input box's selection */
#define QXCHAT_EDIT_FOCUS 3 /* the message list takes the keyboard focus */

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
/* Results: 1 strict mode (after conference mode 2) and conference mode 2 or 3 accepted, else 0;
 * 0 for send enable; lParam1 for the service window; the role bits (0 before enrollment); 1 for
 * 70, 80 and 90; 0 for the conference id and for any other command. */
#define QXCHAT_CONF_MODE_2 2 /* lParam1 of QXCHAT_EVT_CONF_MODE: standard groups built by the engine */
#define QXCHAT_CONF_MODE_3 3

/* ---------------------------------------------------------------------------------------------
 * ChSetConfig types and their texts. Each text is one XML document, as a UTF-16 string:
 *  1 FAQ content, the quick phrases (any number of faq elements; incomplete ones are skipped):
 *    <chat ver="1.0"><mtype>7</mtype><faq><index>1</index><faqn>Greeting</faqn>
 *    <faqc>Hello %FirstName%</faqc></faq></chat>
 *    The content's macros %FirstName%, %LastName%, %PhoneNumber% and %EmailAddress% are replaced
 *    by the selected participant's (or the primary customer's) data when the phrase is picked.
 *  2 FAQ macro information, the local user's own data that the other side's macros use:
 *    <chat ver="1.0"><mtype>8</mtype><fname>Ann</fname><lname>Lee</lname><phone>555</phone>
 *    <email>ann@example.com</email></chat>           (every element optional)
 *  3 customer id:  <chat ver="1.0"><mtype>11</mtype><customerid>4711</customerid></chat>
 *  4 primary customer node id:  <chat ver="1.0"><mtype>10</mtype><primcust>12</primcust></chat>
 * Types 1 and 2 are read as UTF-8 text, 3 and 4 in the system code page (digits only). Names and
 * texts may be CDATA sections. Result: 1 taken, 0 not parsed (the previous value stays), 0 for
 * any other type. */
#define QXCHAT_CFG_FAQ_CONTENT 1
#define QXCHAT_CFG_FAQ_MACRO 2
#define QXCHAT_CFG_CUSTOMER_ID 3
#define QXCHAT_CFG_PRIMARY_CUSTOMER 4

/* ---------------------------------------------------------------------------------------------
 * ChSelectFeature bits (dwFeature1; each call replaces the whole mask). */
#define QXCHAT_FEATURE_ENROLL_FEEDBACK 0x00000001UL  /* WM_CHAT_NOTIFY_TO_SERVICE on enrollment */
#define QXCHAT_FEATURE_SAVE_STATE_FLAGS 0x00000002UL /* ChGetSaveChatState answers in flags */
#define QXCHAT_FEATURE_KEY_FOCUS 0x00000004UL        /* focus library; and WM_CHAT_NEW_MESSAGE */
#define QXCHAT_FEATURE_EVENT_LOG 0x00000008UL        /* WM_CHAT_EVENT_LOG records */
#define QXCHAT_FEATURE_SEND_PRIVILEGE 0x00000010UL   /* sending needs QXCHAT_PRIV_SEND */
#define QXCHAT_FEATURE_ALT_TRANSCRIPT 0x00000020UL   /* transcript names and filters of the .wcf kind */
#define QXCHAT_FEATURE_0x40 0x00000040UL             /* private headers name sender and receiver */
#define QXCHAT_FEATURE_CUSTOMER_SUPPORT 0x00000080UL /* customer-support mode */
#define QXCHAT_FEATURE_RECORDING 0x00000100UL        /* recording flags in every send */
#define QXCHAT_FEATURE_ATTENDEE_MEMBERS 0x00000200UL /* attendee group lists members beside panelists */
#define QXCHAT_FEATURE_RECOVERY 0x00000400UL         /* read back missed messages after enrollment */
#define QXCHAT_FEATURE_SUBSCRIBE_STORED 0x00000800UL /* group caches subscribed with stored items */
#define QXCHAT_FEATURE_QUICK_PHRASE 0x00001000UL     /* the "Quick Phrase:" box */
#define QXCHAT_FEATURE_TYPING 0x00002000UL           /* typing indicator; lParam2 = participant limit */
#define QXCHAT_FEATURE_0x4000 0x00004000UL           /* stored by the dialog */
#define QXCHAT_FEATURE_RECORD_COPY 0x00008000UL      /* record-copy flags in every send */
#define QXCHAT_FEATURE_CUSTOMER_HISTORY 0x00010000UL /* read the customer's history; hold transfers */
#define QXCHAT_FEATURE_MODE2 0x00020000UL            /* the mode-2 group rules */
#define QXCHAT_FEATURE_TALL_SEND 0x00040000UL        /* Send button as tall as the input box */
#define QXCHAT_FEATURE_REPLACE_CUSTOMER 0x00080000UL /* a rejoining customer replaces its entry */
#define QXCHAT_FEATURE_COMPACT 0x00100000UL          /* compact layout, no input prompt */
#define QXCHAT_FEATURE_HOST_GROUPS 0x80000000UL      /* the host-driven group model */
#define QXCHAT_FEATURE_FULL_PRIVATE_HEADER QXCHAT_FEATURE_0x40

/* ---------------------------------------------------------------------------------------------
 * Privilege bits (ChSetPrivilege). */
#define QXCHAT_PRIV_ATTENDEES 0x001      /* may address attendees (8) and everyone (15) */
#define QXCHAT_PRIV_CHAT_HOST 0x002      /* may chat with hosts */
#define QXCHAT_PRIV_CHAT_PRESENTER 0x004 /* may chat with presenters */
#define QXCHAT_PRIV_MEMBER_LIST 0x008    /* participants are listed under their groups */
#define QXCHAT_PRIV_FULL_A 0x010         /* full rights (also reads host-group messages) */
#define QXCHAT_PRIV_FULL_B 0x020         /* full rights */
#define QXCHAT_PRIV_CHAT_PANELIST 0x040  /* may chat with panelists */
#define QXCHAT_PRIV_ELEVATED 0x080       /* elevated: private chat with attendees, recent users */
#define QXCHAT_PRIV_SEND 0x100           /* may send, when QXCHAT_FEATURE_SEND_PRIVILEGE is set */
#define QXCHAT_PRIV_ALL 0x1FF

/* Role bits (ChSetRosters, QXCHAT_EVT_GET_ROLES, the roster). */
#define QXCHAT_ROLE_HOST 1
#define QXCHAT_ROLE_PRESENTER 2
#define QXCHAT_ROLE_PANELIST 4
#define QXCHAT_ROLE_ATTENDEE 8
#define QXCHAT_ROLE_UNKNOWN 16 /* the local user before the host has told its role */

/* Group ids of the role groups: a role group's id is the OR of the roles it addresses. Ids
 * QXCHAT_GROUP_HOST_MANAGED_FIRST to _LAST are groups the host manages itself. */
#define QXCHAT_GROUP_HOSTS 1
#define QXCHAT_GROUP_PRESENTERS 2
#define QXCHAT_GROUP_HOSTS_PRESENTERS 3
#define QXCHAT_GROUP_PANELISTS 4
#define QXCHAT_GROUP_HOSTS_PRESENTERS_PANELISTS 7
#define QXCHAT_GROUP_ATTENDEES 8
#define QXCHAT_GROUP_EVERYONE 15
#define QXCHAT_GROUP_PRIVATE_CHAT 32 /* the entry of a type-4 group */
#define QXCHAT_GROUP_SEPARATOR 4096  /* a separator entry of the list */
#define QXCHAT_GROUP_HOST_MANAGED_FIRST 200
#define QXCHAT_GROUP_HOST_MANAGED_LAST 10000

/* Group types (nGroupType of ChAddGroup and ChChatToGroup). */
#define QXCHAT_GROUP_TYPE_ROLE 1    /* a group that can be sent to */
#define QXCHAT_GROUP_TYPE_HEADING 2 /* a heading, not sendable, no cache */
#define QXCHAT_GROUP_TYPE_LABEL 3   /* listed, not sendable */
#define QXCHAT_GROUP_TYPE_PRIVATE 4 /* the private-chat entry (group id 32) */

/* Bits of ChAddGroup's lShowFactNameInUserList. */
#define QXCHAT_GROUPFLAG_SHOW_FACT_NAME 0x01 /* a member's name in place of the group's */
#define QXCHAT_GROUPFLAG_NOT_CHOOSABLE 0x02  /* attendee group: listed but cannot be chosen */
#define QXCHAT_GROUPFLAG_BIT2 0x04           /* stored */
#define QXCHAT_GROUPFLAG_RECENT_USERS 0x08   /* list recent users (with bShowMemberList) */
#define QXCHAT_GROUPFLAG_VISIBLE 0x10        /* host-driven model: the group is shown */

/* ChModifyGroup masks (lModifyMask; the new value is the same bit of lModifyValue). */
#define QXCHAT_MODIFY_DIM 1
#define QXCHAT_MODIFY_DISAPPEAR 2
#define QXCHAT_MODIFY_SHOW_MEMBERS 4
#define QXCHAT_MODIFY_DEFAULT 8
#define QXCHAT_MODIFY_SHOW_FACT_NAME 16
#define QXCHAT_MODIFY_RECENT_COUNT 32 /* with lModifyCount */
#define QXCHAT_MODIFY_RECENT_LABEL 64 /* with lpszReserved1 */

/* Customer-support user types (ChSetUserType). */
#define QXCHAT_USER_TYPE_NONE 0
#define QXCHAT_USER_TYPE_SUPPORTER_A 1
#define QXCHAT_USER_TYPE_SUPPORTER_B 2
#define QXCHAT_USER_TYPE_CUSTOMER_A 3
#define QXCHAT_USER_TYPE_CUSTOMER_B 4

/* Meeting types (ChSetMeetingType) that change the panel's behaviour; other values are ordinary
 * meetings. */
#define QXCHAT_MEETING_TYPE_2 2       /* group headers name the audience; own private headers */
#define QXCHAT_MEETING_TYPE_SUPPORT 3 /* support desk: supporter and customer groups 3 and 4 */

/* ChSetSoundPreference: lOptionValue and lCurTabIndex. */
#define QXCHAT_SOUND_UNLESS_VISIBLE 0 /* play unless the chat is in view */
#define QXCHAT_SOUND_FIRST_MESSAGE 1  /* play for each participant's first message */
#define QXCHAT_SOUND_ALWAYS 2
#define QXCHAT_SOUND_TAB_CHAT 0  /* lCurTabIndex: the chat tab is current */
#define QXCHAT_SOUND_TAB_OFF 100 /* lCurTabIndex: sound off */

/* ChTransferMessages: types 1 to 11 and option bits. */
#define QXCHAT_TRANSFER_STRIP_TOP 1     /* shown as the strip's top indication line (and sent) */
#define QXCHAT_TRANSFER_SEND_ONLY 2     /* sent to the local user's own id, never shown */
#define QXCHAT_TRANSFER_NOTICE 3        /* a notice line */
#define QXCHAT_TRANSFER_HIGHLIGHT 6     /* a highlighted line, not copied to the customer history */
#define QXCHAT_TRANSFER_HIGHLIGHT_ALT 8 /* the same for a second kind of highlight */
#define QXCHAT_TRANSFER_ONCE 10         /* a notice shown once per customer history */
#define QXCHAT_TRANSFER_STRIP_MIDDLE 7  /* the strip's middle line */
#define QXCHAT_TRANSFER_STRIP_BOTTOM 9  /* the strip's bottom line */
#define QXCHAT_TRANSFER_PRIVATE_CHAT 4  /* with QXCHAT_TRANSFER_SEND: a private message to user dwTargetID */
#define QXCHAT_TRANSFER_GROUP_CHAT 5    /* with QXCHAT_TRANSFER_SEND: a group message to group dwTargetID */
#define QXCHAT_TRANSFER_STRIP_OFF 11    /* also hides the typing-indication strip for good */
#define QXCHAT_TRANSFER_SHOW 0x01       /* show it locally */
#define QXCHAT_TRANSFER_SEND 0x02       /* types 4, 5 as chat; others: group-message send option */
#define QXCHAT_TRANSFER_RECORDABLE 0x04
#define QXCHAT_TRANSFER_RECORD_COPY 0x08
#define QXCHAT_TRANSFER_OPTION_10 0x10 /* adds send option bit 0x10 */

/* Server-side recording (ServerSideRecordingStatus, TlmSetNBRStatus). */
#define QXCHAT_SSR_TP_RECORDING 1    /* direct data is dropped while it lasts */
#define QXCHAT_SSR_RECORDING_2 2     /* recording; incoming sound off for good */
#define QXCHAT_SSR_RECORDING_3 3     /* recording */
#define QXCHAT_RECORD_ITEM_MESSAGE 1 /* lType of IQxRecordingProvider::AddItem */

/* The server-side recording provider the host hands to SetServerSideRecordingProvider. While
 * recording is on (status 2 or 3, need-info flag set), every shown message becomes one item
 * (AddItem with type 1, whose result names the item) and the sender's name one attribute of it.
 * Strings are the caller's, valid during the call only; neither operation may throw. C code
 * implements it as a structure whose first member points to the table of the two operations. */
#ifdef __cplusplus
struct IQxRecordingProvider {
    virtual LONG __stdcall AddItem(LONG lType, const wchar_t* lpszSource, const wchar_t* lpszName,
                                   const wchar_t* lpszText) = 0;
    virtual LONG __stdcall SetAttribute(LONG lItem, const wchar_t* lpszName, const wchar_t* lpszValue) = 0;
};
#else
typedef struct IQxRecordingProvider IQxRecordingProvider;
typedef struct IQxRecordingProviderVtbl {
    LONG(__stdcall* AddItem)
    (IQxRecordingProvider* This, LONG lType, const wchar_t* lpszSource, const wchar_t* lpszName,
     const wchar_t* lpszText);
    LONG(__stdcall* SetAttribute)
    (IQxRecordingProvider* This, LONG lItem, const wchar_t* lpszName, const wchar_t* lpszValue);
} IQxRecordingProviderVtbl;
struct IQxRecordingProvider {
    const IQxRecordingProviderVtbl* lpVtbl;
};
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* ---------------------------------------------------------------------------------------------
 * The 47 entries, in the order of the export table (the ordinal is the position). */

/* 1. Creates an instance: a borderless child window that fills hWndParent and follows its size.
 * Result: the instance handle, 0 on failure. The chat dialog appears with ChChat1. */
QXHCOMPONENT __stdcall QxNewInstance(HWND hWndParent);
/* 2. Leaves the conference, destroys the panel and frees the instance. Result: not meaningful (0). */
LONG __stdcall QxDeleteInstance(QXHCOMPONENT hComponent);
/* 3. Meeting type (QXCHAT_MEETING_TYPE_*); builds the default recipient groups for it. 0. */
LONG __stdcall ChSetMeetingType(QXHCOMPONENT hComponent, LONG lMeetingType);
/* 4. Browser type, handed to the message list (how links open). 0. */
LONG __stdcall ChSetBrowserType(QXHCOMPONENT hComponent, LONG lBrowserType);
/* 5. Starts the chat: creates the chat dialog and connects to the conference at
 * lpszServerAddress, conference confHandle (low 16 bits), room lChatRoomId, as lpszUserName with
 * userHandle and lpszUserInfo. Call once per instance, after the configuration. Always 0: the
 * host learns of success from the notifications (a failure to create the dialog is traced). */
LONG __stdcall ChChat1(QXHCOMPONENT hComponent, const wchar_t* lpszServerAddress, LONG confHandle,
                       LONG lChatRoomId, const wchar_t* lpszUserName, LONG userHandle,
                       const wchar_t* lpszUserInfo);
/* 6. Saves the transcript to its file, or asks for one. 0 saved, 1 not (null result 1). */
LONG __stdcall ChSaveChat(QXHCOMPONENT hComponent);
/* 7. Prints the transcript through the system's text editor. 0. */
LONG __stdcall ChPrintChat(QXHCOMPONENT hComponent);
/* 8. Whether messages exist and need saving: QXCHAT_SAVE_STATE_*. Null result 0. */
LONG __stdcall ChGetSaveChatState(QXHCOMPONENT hComponent);
/* 9. Asks the user for a transcript and appends its messages to the list. 0. */
LONG __stdcall ChLoadChat(QXHCOMPONENT hComponent);
/* 10. Input permission: 1 lets the user type once the chat is ready; 0 closes the input now. 0. */
LONG __stdcall ChAllowUserInput(QXHCOMPONENT hComponent, LONG lInputPermission);
/* 11. Non-zero enables the "Send to:" box, 0 disables it. 0. */
LONG __stdcall ChShowUserList(QXHCOMPONENT hComponent, LONG lUserListPermission);
/* 12. Closes the "Send to:" drop-down if it is open (the host is closing). 0. */
LONG __stdcall ChQuitApp(QXHCOMPONENT hComponent, LONG lReserved);
/* 13. The local user's privilege bits (QXCHAT_PRIV_*); the list and input follow at once. 0. */
LONG __stdcall ChSetPrivilege(QXHCOMPONENT hComponent, LONG lReserved);
/* 14. Roster sharing: 1, 1 to read and publish the participants' roster information. 0. */
LONG __stdcall ChSetRosterStatus(QXHCOMPONENT hComponent, LONG lNeedRosterInfo, LONG lBroadcastRosterInfo,
                                 LONG lReserved);
/* 15. Asks for a file and saves the transcript there. 0 saved, 1 not (null result 1). */
LONG __stdcall ChSaveChatAs(QXHCOMPONENT hComponent);
/* 16. Incoming-message sound: lNeedPlaySound on/off; lpszSoundFileName a .wav path (a bare name
 * is looked up in the Windows MEDIA folder; the beep name beeps); lOptionValue
 * QXCHAT_SOUND_*; lhWnd the host window that counts as the chat being in view; lCurTabIndex the
 * host's current tab (QXCHAT_SOUND_TAB_*). Needs the dialog window. 0. */
LONG __stdcall ChSetSoundPreference(QXHCOMPONENT hComponent, LONG lNeedPlaySound,
                                    const wchar_t* lpszSoundFileName, LONG lOptionValue, LONG lhWnd,
                                    LONG lCurTabIndex);
/* 17. Edit command QXCHAT_EDIT_*. 0. */
LONG __stdcall ChEditChat(QXHCOMPONENT hComponent, LONG NotifyCode);
/* 18. Accepted and ignored. 0. */
LONG __stdcall ChSetQxConfMgr(QXHCOMPONENT hComponent, void* pQxConfMgr);
/* 19. No instance; does nothing, writes no trace. 0. */
LONG __stdcall ChSetPanelist(LONG lValue1, LONG lValue2, LONG lValue3);
/* 20. Saves into the auto-save folder when messages came since the last auto-save. 0 saved or
 * nothing to do, 1 not (null result 1). */
LONG __stdcall ChAutoSaveChat(QXHCOMPONENT hComponent);
/* 21. The auto-save folder (at most 259 characters) and the file dialogs' first folder. 0. */
LONG __stdcall ChSetAutoSavePath(QXHCOMPONENT hComponent, const wchar_t* lpszFolder);
/* 22. The transcript file: the user's documents folder followed directly by lpszFileName. 0. */
LONG __stdcall ChSetSaveChatFileName(QXHCOMPONENT hComponent, const wchar_t* lpszFileName);
/* 23. Engine configuration command QXCHAT_EVT_* with its values; the command's result (above). */
LONG __stdcall ChSetEventConfig(QXHCOMPONENT hComponent, LONG lCommand, LONG lParam1, LONG lParam2,
                                const wchar_t* lpszBuffer);
/* 24. Appends the messages of a transcript file (null: the transcript file) to the list. 0. */
LONG __stdcall ChLoadRestoredChat(QXHCOMPONENT hComponent, const wchar_t* lpszFile);
/* 25. Writes the trace only. 0. */
LONG __stdcall ChAutoSaveChatForReconn(QXHCOMPONENT hComponent);
/* 26. Saves to lpszPath + "\" + lpszName without asking. 0 saved, 1 not, 3 an empty name or path
 * (null result 1). The transcript file stays as it was. */
LONG __stdcall ChSaveChatNameAndPath(QXHCOMPONENT hComponent, const wchar_t* lpszName,
                                     const wchar_t* lpszPath);
/* 27. The local user's customer-support type (QXCHAT_USER_TYPE_*). 0. */
LONG __stdcall ChSetUserType(QXHCOMPONENT hComponent, LONG nUserType);
/* 28. The panel's maximum (bIsMax non-zero) or minimum width; always 0, no limit. */
LONG __stdcall ChGetMaxMinWidth(QXHCOMPONENT hComponent, LONG bIsMax);
/* 29. Makes lpszFileName the transcript file and saves to it. 0 saved, 1 not (null result 1). */
LONG __stdcall ChSaveChatTo(QXHCOMPONENT hComponent, const wchar_t* lpszFileName);
/* 30. Writes the short (8.3) form of the last saved file's path into lpszFileName, which must
 * hold 260 characters whatever `reserved` says; `reserved` is its capacity for the check.
 * 0 written and it fits, 1 no file known or too long (the first `reserved` characters are
 * cleared). A null buffer returns 0 and writes nothing. */
LONG __stdcall ChGetSavedFileName(QXHCOMPONENT hComponent, wchar_t* lpszFileName, LONG reserved);
/* 31. Selects the participant with node id dwNodeId as recipient. 0. */
LONG __stdcall ChChatToAttendee(QXHCOMPONENT hComponent, DWORD dwNodeId);
/* 32. Closes the module's open file dialog or its overwrite question. 1 one was closed, else 0. */
LONG __stdcall ChDestroyModalDialog(QXHCOMPONENT hComponent);
/* 33. No instance; does nothing, writes no trace. 0. */
LONG __stdcall ChSetSharingRc(LONG lValue1, LONG lValue2);
/* 34. The local user's role bits (QXCHAT_ROLE_*). Before ChChat1 stored; once enrolled the chat
 * re-enrolls with them. 1 accepted, -1 unchanged or refused (between ChChat1 and enrollment). */
LONG __stdcall ChSetRosters(QXHCOMPONENT hComponent, LONG lRoster);
/* 35. The server-side recording status (QXCHAT_SSR_*). 0. */
LONG __stdcall ServerSideRecordingStatus(QXHCOMPONENT hComponent, DWORD dwStatus);
/* 36. pSink: an IQxRecordingProvider* owned by the host (it must outlive the instance or be
 * replaced by null first); bNeedWriInfo non-zero lets it receive the shown messages. 0. */
LONG __stdcall SetServerSideRecordingProvider(QXHCOMPONENT hComponent, void* pSink, LONG bNeedWriInfo);
/* 37. The support window: the second receiver of the notifications, the only receiver of
 * WM_CHAT_NEW_MESSAGE and WM_CHAT_EVENT_LOG. 0. */
LONG __stdcall ChSetHandleForSmc(QXHCOMPONENT hComponent, HWND hWndParent);
/* 38. Adds a group to the "Send to:" list at nInsertIndex: type QXCHAT_GROUP_TYPE_*, id
 * QXCHAT_GROUP_* (or a host-managed id), its name, whether its members are listed, whether it is
 * the default choice, QXCHAT_GROUPFLAG_* bits and a label. The group's index, -1 refused. */
LONG __stdcall ChAddGroup(QXHCOMPONENT hComponent, LONG nInsertIndex, LONG nGroupType, LONG nGroupId,
                          const wchar_t* pstrGroupName, LONG bShowMemberList, LONG bDefault,
                          LONG lShowFactNameInUserList, const wchar_t* lpszGroupLabel, DWORD dwReserved1,
                          DWORD dwReserved2);
/* 39. The feature mask QXCHAT_FEATURE_* (replaces the previous one); with QXCHAT_FEATURE_TYPING
 * lParam2 is the largest number of participants that still get typing indications.
 * dwFeature2, lParam1, dwLen and lpszData are not read. 0; null result -1. */
LONG __stdcall ChSelectFeature(QXHCOMPONENT hComponent, DWORD dwFeature1, DWORD dwFeature2, LONG lParam1,
                               LONG lParam2, DWORD dwLen, const wchar_t* lpszData);
/* 40. Selects the group of that type and id as recipient. 0. */
LONG __stdcall ChChatToGroup(QXHCOMPONENT hComponent, LONG nGroupType, LONG GroupID);
/* 41. Changes the group at nModifyIndex: the QXCHAT_MODIFY_* bits of lModifyMask take the same
 * bits of lModifyValue. 1 applied, 0 not; null result -1. */
LONG __stdcall ChModifyGroup(QXHCOMPONENT hComponent, LONG nModifyIndex, LONG lModifyMask, LONG lModifyValue,
                             LONG lModifyCount, const wchar_t* lpszReserved1, const wchar_t* lpszReserved2,
                             DWORD dwReserved1, DWORD dwReserved2);
/* 42. Selects the group at that index of the host's group list as recipient. 0; null result -1. */
LONG __stdcall ChChatToGroupEx(QXHCOMPONENT hComponent, LONG nGroupIndex);
/* 43. Lists participant dwNodeId as a recent user under the group. The entry's index, -1 when the
 * node is not in the roster (or a null handle). */
LONG __stdcall ChAddAUser(QXHCOMPONENT hComponent, DWORD dwNodeId, LONG nGroupID, LONG nGroupIndex,
                          const wchar_t* lpszReserved1, const wchar_t* lpszReserved2, DWORD dwReserved1,
                          DWORD dwReserved2);
/* 44. The meeting's recording status and option (status 0 or 3: recording allowed; the group
 * information is written again with the next message). 0; null result -1. */
LONG __stdcall TlmSetNBRStatus(QXHCOMPONENT hComponent, DWORD dwStatus, DWORD dwOption, DWORD dwReserved);
/* 45. Customer-support configuration QXCHAT_CFG_* with its text (above). 1 taken, 0 not; null
 * result -1. */
LONG __stdcall ChSetConfig(QXHCOMPONENT hComponent, DWORD dwConfigType, const wchar_t* lpszConfig);
/* 46. Injects a transfer message of type dwType (1 to 11) with QXCHAT_TRANSFER_* options: shown,
 * sent, or for types 4 and 5 sent as a private or group chat message to dwTargetID. 0, or the
 * result of the hold or chat send; null result -1. */
LONG __stdcall ChTransferMessages(QXHCOMPONENT hComponent, DWORD dwType, DWORD dwTargetID, DWORD dwOption,
                                  const wchar_t* lpszMessage);
/* 47. Accepted and ignored. 0. */
LONG __stdcall ChSetMessageDisplayFormat(QXHCOMPONENT hComponent, DWORD wFormat, DWORD wEffectOption,
                                         LONG bShowPrivate, DWORD dwReserved1, DWORD dwReserved2,
                                         DWORD dwReserved3, DWORD dwReserved4);

#ifdef __cplusplus
}
#endif

#endif
