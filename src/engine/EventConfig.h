// The rules behind ChSetEventConfig, ChSelectFeature and TlmSetNBRStatus as plain functions over
// the engine's state, so that every command can be checked without a window.
#pragma once

#include "engine/ChatEngineState.h"

class COwnUserItem;

// What the caller must do after a command besides returning its result.
struct EventConfigOutcome {
    LONG m_lResult = 0;
    BOOL m_bReapplyPrivileges = FALSE;
    BOOL m_bApplyAllUsersOverride = FALSE; // command 80 with a non-zero switch
};

// One ChSetEventConfig command. bEnrolled and the local user's role bits answer command 60.
EventConfigOutcome QxApplyEventCommand(ChatEventConfig& config, ChatNotifyTargets& targets, COwnUserItem& own,
                                       LONG lCommand, LONG lParam1, LONG lParam2, BOOL bEnrolled);

// ChSelectFeature's state part: the mask replaces the previous one and its flags are copied
// (0x20000 is the mode-2 flag). Returns whether every group's group-info-pending flag must be
// set (bits 0x100 and 0x8000).
BOOL QxApplyFeatureMask(ChatFeatureState& features, ChatEventConfig& config, DWORD dwFeature1, LONG lParam2);

// TlmSetNBRStatus's state part. Returns whether every group's group-info-pending flag must be
// set (status 0 or 3).
BOOL QxApplyNBRStatus(ChatRecordingState& recording, DWORD dwStatus, DWORD dwOption);
