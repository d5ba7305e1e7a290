// The configuration and run state that the host's calls set in the chat engine, grouped by
// concern. Plain data: the rules that change it are plain functions (EventConfig.h) or
// operations of CMainChatDlg.
#pragma once

#include "engine/RecordingStatus.h"

#include <windows.h>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "qxnodectl.h"

struct ServerRecordingState;

// What ChChat1 hands over.
struct ChatConnectionParams {
    std::wstring m_strServerAddress;
    WORD m_confiHandle = 0; // the low 16 bits of the host's conference handle
    LONG m_lChatRoomId = 0;
    LONG m_lUserHandle = 0;
    std::wstring m_strUserInfo; // the local user's information text, when given
    // The owning instance's recording state.
    const ServerRecordingState* m_pRecording = nullptr;
};

// The dialog timer that bounds the wait for the chat status (and the first instance's set-up of
// the caches): without an answer in time the chat is reported unavailable.
enum { CHAT_STATUS_TIMER = 1203, CHAT_STATUS_TIMEOUT_MS = 20000 };

// Where the engine stands in its connection.
struct ChatEngineStatus {
    BOOL m_bStarted = FALSE;  // set by Initialize, never cleared
    BOOL m_bEnrolled = FALSE; // set by each enroll confirmation, cleared by Cleanup
    BOOL m_bInputPromptShown = FALSE;
    BOOL m_bSendReady = FALSE;
    BOOL m_bChatStatusKnown = FALSE;        // the chat status answered: group caches may be subscribed
    BOOL m_bAwaitingChatStatus = FALSE;     // cache names asked for, the chat status not yet known
    BOOL m_bChatStatusFailed = FALSE;       // the chat status could not be had: reported, not retried
    IArmNodeController* m_pArmNC = nullptr; // one reference, released by Cleanup
    DWORD m_apeHandle = 0;                  // 0 while not attached
    DWORD m_dwCacheNumber = 0;              // N of the cache names, from the enroll confirmation
    BOOL m_bAllCachesAllocated = FALSE;     // every cache name has its handle
    BOOL m_bInRecovery = FALSE;
    DWORD m_dwUserInfoCacheHandle = 0; // the user-info cache, 0 until its name has a handle
    DWORD m_dwCustomerId = 0;          // the local customer id ("GuestID"); 0 = none
};

// Plain host settings.
struct ChatHostSettings {
    LONG m_lMeetingType = 0;
    LONG m_lBrowserType = 0;
    // ChAllowUserInput / ChShowUserList; until the host says otherwise both are granted.
    LONG m_lInputPermission = 1;
    LONG m_lUserListPermission = 1;
    LONG m_lUserType = 0;
};

// The feature mask of ChSelectFeature and the flags copied out of it.
struct ChatFeatureState {
    DWORD m_dwFeature1 = 0;
    BOOL m_bNeedRecovery = FALSE;    // 0x400
    BOOL m_bSubscribeStored = FALSE; // 0x800
    BOOL m_bQuickPhrase = FALSE;     // 0x1000
    BOOL m_bTypingIndicator = FALSE; // 0x2000
    BOOL m_bFeature4000 = FALSE;     // 0x4000
    BOOL m_bRecordCopy = FALSE;      // 0x8000
    BOOL m_bCustomerHistory = FALSE; // 0x10000; cleared once the customer history was asked for
    BOOL m_bHoldTransfer = FALSE;    // set with 0x10000: transfer messages wait for the history
    LONG m_lTypingUserLimit = 0;     // lParam2 of the call that set 0x2000
};

// The state of ChSetEventConfig's commands.
struct ChatEventConfig {
    LONG m_lConferenceMode = 0;
    BOOL m_bMode2 = FALSE;            // also feature bit 0x20000
    BOOL m_bAcceptStrictMode = FALSE; // command 2 with 2 was received
    LONG m_lStrictMode = 0;           // the rights-check switch
    LONG m_lSendEnable = 1;           // command 40: 0 keeps chat disabled
    LONG m_lOption70 = 0;
    BOOL m_bOption90 = FALSE;
    LONG m_lOption90ResetA = 0; // the two values command 90 resets
    LONG m_lOption90ResetB = 0;
    LONG m_nConfId = 0; // command 100: non-zero selects the extended controller
};

// The two host windows that receive the engine's notifications.
struct ChatNotifyTargets {
    HWND m_hServiceHandle = nullptr; // ChSetEventConfig command 50
    HWND m_hSCParentWnd = nullptr;   // ChSetHandleForSmc
};

// Recording status of TlmSetNBRStatus. Until the host reports one the status is "unknown",
// which is neither of the recording values 0 and 3.
struct ChatRecordingState {
    enum : DWORD { STATUS_UNKNOWN = 0xFFFFFFFF };
    DWORD m_dwNBRStatus = STATUS_UNKNOWN;
    DWORD m_dwNBROption = 0;
};

// ChSetSoundPreference.
struct ChatSoundPreference {
    LONG m_lNeedPlaySound = 0;
    LONG m_lOptionValue = 0;
    LONG m_lhWnd = 0;
    LONG m_lCurTabIndex = 0;
    std::wstring m_strSoundFile; // at most 255 characters
    std::wstring m_strBeepName;  // resource string 1408, at most 64 characters
};

// The shared caches besides the group caches (whose names and handles the groups hold).
struct ChatCacheState {
    char m_szUserInfoName[64] = {};
    char m_szStatusName[64] = {};
    DWORD m_dwStatusHandle = 0;
    char m_szCustomerName[64] = {};
    DWORD m_CustomerCacheHandle = 0;
    int m_nRequested = 0; // names asked for by the last request
    int m_nConfirmed = 0; // names the last confirmation matched
};
