// The state rules of ChSetEventConfig, ChSelectFeature and TlmSetNBRStatus.
#include "engine/EventConfig.h"

#include "participants/OwnUserItem.h"
#include "qxchat.h"

#include <gtest/gtest.h>

namespace {

struct EventConfigFixture : ::testing::Test {
    EventConfigOutcome Run(LONG lCommand, LONG lParam1, LONG lParam2 = 0, BOOL bEnrolled = FALSE) {
        return QxApplyEventCommand(config, targets, own, lCommand, lParam1, lParam2, bEnrolled);
    }
    ChatEventConfig config;
    ChatNotifyTargets targets;
    COwnUserItem own;
};

TEST_F(EventConfigFixture, StrictModeIsRefusedUntilModeTwoWasSet) {
    EventConfigOutcome out = Run(1, 1);
    EXPECT_EQ(out.m_lResult, 0);
    EXPECT_FALSE(out.m_bReapplyPrivileges);
    EXPECT_EQ(config.m_lStrictMode, 0);
    EXPECT_EQ(config.m_lConferenceMode, 0);

    out = Run(2, 2);
    EXPECT_EQ(out.m_lResult, 1);
    EXPECT_TRUE(out.m_bReapplyPrivileges);
    EXPECT_EQ(config.m_lConferenceMode, 2);
    EXPECT_TRUE(config.m_bMode2);

    config.m_lConferenceMode = 3; // command 1 puts mode 2 back
    out = Run(1, 5);
    EXPECT_EQ(out.m_lResult, 1);
    EXPECT_TRUE(out.m_bReapplyPrivileges);
    EXPECT_EQ(config.m_lStrictMode, 5);
    EXPECT_EQ(config.m_lConferenceMode, 2);
}

TEST_F(EventConfigFixture, ConferenceModeCommand) {
    EXPECT_EQ(Run(2, 3).m_lResult, 1);
    EXPECT_EQ(config.m_lConferenceMode, 3);
    EXPECT_FALSE(config.m_bMode2);
    EXPECT_FALSE(config.m_bAcceptStrictMode) << "only mode 2 opens command 1";
    EXPECT_EQ(Run(2, 4).m_lResult, 0);
    EXPECT_EQ(config.m_lConferenceMode, 3);
}

TEST_F(EventConfigFixture, PlainValueCommands) {
    EXPECT_EQ(Run(40, 0).m_lResult, 0);
    EXPECT_EQ(config.m_lSendEnable, 0);
    EXPECT_EQ(Run(50, 0x1234).m_lResult, 0x1234);
    EXPECT_EQ(targets.m_hServiceHandle, reinterpret_cast<HWND>(0x1234));
    EXPECT_EQ(Run(70, 77).m_lResult, 1);
    EXPECT_EQ(config.m_lOption70, 77);
    config.m_lOption90ResetA = config.m_lOption90ResetB = 9;
    EXPECT_EQ(Run(90, 3).m_lResult, 1);
    EXPECT_TRUE(config.m_bOption90);
    EXPECT_EQ(config.m_lOption90ResetA, 0);
    EXPECT_EQ(config.m_lOption90ResetB, 0);
    EXPECT_EQ(Run(90, 2).m_lResult, 1);
    EXPECT_FALSE(config.m_bOption90) << "only bit 0 counts";
    EXPECT_EQ(Run(100, 555).m_lResult, 0);
    EXPECT_EQ(config.m_nConfId, 555);
    EXPECT_EQ(Run(33, 1).m_lResult, 0);
}

TEST_F(EventConfigFixture, RolesAreAnsweredOnlyOnceEnrolled) {
    own.m_dwRoles = 6;
    EXPECT_EQ(Run(60, 0, 0, FALSE).m_lResult, 0);
    EXPECT_EQ(Run(60, 0, 0, TRUE).m_lResult, 6);
}

TEST_F(EventConfigFixture, AllUsersOverride) {
    EventConfigOutcome out = Run(80, 1, 0);
    EXPECT_EQ(out.m_lResult, 1);
    EXPECT_TRUE(out.m_bApplyAllUsersOverride);
    EXPECT_TRUE(out.m_bReapplyPrivileges);
    EXPECT_EQ(own.m_bAllUsersOverride, 1);
    EXPECT_EQ(own.m_lAllUsersValue, 0);
    out = Run(80, 0, 1);
    EXPECT_FALSE(out.m_bApplyAllUsersOverride);
    EXPECT_TRUE(out.m_bReapplyPrivileges);
}

TEST(FeatureMask, ReplacesTheMaskAndCopiesItsFlags) {
    ChatFeatureState features;
    ChatEventConfig config;
    config.m_bMode2 = TRUE;
    EXPECT_FALSE(QxApplyFeatureMask(features, config, 0x400 | 0x1000 | 0x2000, 12));
    EXPECT_TRUE(features.m_bNeedRecovery);
    EXPECT_TRUE(features.m_bQuickPhrase);
    EXPECT_TRUE(features.m_bTypingIndicator);
    EXPECT_EQ(features.m_lTypingUserLimit, 12);
    EXPECT_FALSE(config.m_bMode2) << "bit 0x20000 is the mode-2 flag";

    EXPECT_TRUE(QxApplyFeatureMask(features, config, 0x20000 | 0x8000, 99));
    EXPECT_EQ(features.m_dwFeature1, 0x28000u);
    EXPECT_FALSE(features.m_bNeedRecovery);
    EXPECT_TRUE(features.m_bRecordCopy);
    EXPECT_TRUE(config.m_bMode2);
    EXPECT_EQ(features.m_lTypingUserLimit, 12) << "the limit comes only with bit 0x2000";
    EXPECT_TRUE(QxApplyFeatureMask(features, config, 0x100, 0));
}

TEST(NBRStatus, RecordingStatusesMarkGroupInfoPending) {
    ChatRecordingState recording;
    EXPECT_NE(recording.m_dwNBRStatus, 0u);
    EXPECT_NE(recording.m_dwNBRStatus, 3u);
    EXPECT_TRUE(QxApplyNBRStatus(recording, 0, 5));
    EXPECT_EQ(recording.m_dwNBROption, 5u);
    EXPECT_TRUE(QxApplyNBRStatus(recording, 3, 0));
    EXPECT_FALSE(QxApplyNBRStatus(recording, 1, 0));
    EXPECT_EQ(recording.m_dwNBRStatus, 1u);
}

} // namespace
