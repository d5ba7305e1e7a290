#include "engine/EventConfig.h"

#include "participants/OwnUserItem.h"
#include "qxchat.h"

EventConfigOutcome QxApplyEventCommand(ChatEventConfig& config, ChatNotifyTargets& targets, COwnUserItem& own,
                                       LONG lCommand, LONG lParam1, LONG lParam2, BOOL bEnrolled) {
    EventConfigOutcome out;
    switch (lCommand) {
    case QXCHAT_EVT_STRICT_MODE:
        if (config.m_bAcceptStrictMode) {
            config.m_lConferenceMode = QXCHAT_CONF_MODE_2;
            config.m_bMode2 = TRUE;
            config.m_lStrictMode = lParam1;
            out.m_bReapplyPrivileges = TRUE;
            out.m_lResult = 1;
        }
        break;
    case QXCHAT_EVT_CONF_MODE:
        if (lParam1 == QXCHAT_CONF_MODE_2) {
            config.m_lConferenceMode = QXCHAT_CONF_MODE_2;
            config.m_bMode2 = TRUE;
            config.m_bAcceptStrictMode = TRUE;
            out.m_bReapplyPrivileges = TRUE;
            out.m_lResult = 1;
        } else if (lParam1 == QXCHAT_CONF_MODE_3) {
            config.m_lConferenceMode = QXCHAT_CONF_MODE_3;
            out.m_lResult = 1;
        }
        break;
    case QXCHAT_EVT_SEND_ENABLE: config.m_lSendEnable = lParam1; break;
    case QXCHAT_EVT_SERVICE_WINDOW:
        targets.m_hServiceHandle = reinterpret_cast<HWND>(static_cast<LONG_PTR>(lParam1));
        out.m_lResult = lParam1;
        break;
    case QXCHAT_EVT_GET_ROLES: out.m_lResult = bEnrolled ? static_cast<LONG>(own.m_dwRoles) : 0; break;
    case QXCHAT_EVT_OPTION_70:
        config.m_lOption70 = lParam1;
        out.m_lResult = 1;
        break;
    case QXCHAT_EVT_ALL_USERS:
        own.m_bAllUsersOverride = lParam1;
        own.m_lAllUsersValue = lParam2;
        out.m_bApplyAllUsersOverride = lParam1 != 0;
        out.m_bReapplyPrivileges = TRUE;
        out.m_lResult = 1;
        break;
    case QXCHAT_EVT_OPTION_90:
        config.m_bOption90 = (lParam1 & 1) != 0;
        config.m_lOption90ResetA = 0;
        config.m_lOption90ResetB = 0;
        out.m_lResult = 1;
        break;
    case QXCHAT_EVT_CONFERENCE_ID: config.m_nConfId = lParam1; break;
    default: break;
    }
    return out;
}

BOOL QxApplyFeatureMask(ChatFeatureState& features, ChatEventConfig& config, DWORD dwFeature1, LONG lParam2) {
    features.m_dwFeature1 = dwFeature1;
    features.m_bNeedRecovery = (dwFeature1 & QXCHAT_FEATURE_RECOVERY) != 0;
    features.m_bSubscribeStored = (dwFeature1 & QXCHAT_FEATURE_SUBSCRIBE_STORED) != 0;
    features.m_bQuickPhrase = (dwFeature1 & QXCHAT_FEATURE_QUICK_PHRASE) != 0;
    features.m_bTypingIndicator = (dwFeature1 & QXCHAT_FEATURE_TYPING) != 0;
    features.m_bFeature4000 = (dwFeature1 & QXCHAT_FEATURE_0x4000) != 0;
    features.m_bRecordCopy = (dwFeature1 & QXCHAT_FEATURE_RECORD_COPY) != 0;
    features.m_bCustomerHistory = (dwFeature1 & QXCHAT_FEATURE_CUSTOMER_HISTORY) != 0;
    features.m_bHoldTransfer = features.m_bCustomerHistory;
    config.m_bMode2 = (dwFeature1 & QXCHAT_FEATURE_MODE2) != 0;
    if (features.m_bTypingIndicator) features.m_lTypingUserLimit = lParam2;
    return (dwFeature1 & (QXCHAT_FEATURE_RECORDING | QXCHAT_FEATURE_RECORD_COPY)) != 0;
}

BOOL QxApplyNBRStatus(ChatRecordingState& recording, DWORD dwStatus, DWORD dwOption) {
    recording.m_dwNBRStatus = dwStatus;
    recording.m_dwNBROption = dwOption;
    return QxNBRAllowsRecording(dwStatus);
}
