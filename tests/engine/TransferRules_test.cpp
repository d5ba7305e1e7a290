// Transfer messages as rules: the request's effect by type and option, the sends after a hold,
// the send option, and the duplicate test against the customer's history.
#include "engine/TransferRules.h"
#include "qxchat.h"

#include <gtest/gtest.h>

namespace {

constexpr DWORD kShow = QXCHAT_TRANSFER_SHOW, kChat = QXCHAT_TRANSFER_SEND;

TEST(TransferPlan, EachTypeWithAndWithoutItsOptionBits) {
    struct Case {
        DWORD type, option;
        TransferStep step;
        bool switchOff;
    } cases[] = {
        {1, 0, TRANSFER_NOTHING, false},
        {1, kShow, TRANSFER_SHOW_AND_SEND, false},
        {7, kChat, TRANSFER_NOTHING, false},
        {7, kShow | kChat, TRANSFER_SHOW_AND_SEND, false},
        {9, kShow, TRANSFER_SHOW_AND_SEND, false},
        {2, 0, TRANSFER_SEND_ONLY, false},
        {2, kShow, TRANSFER_SEND_ONLY, false}, // type 2 is never shown here
        {3, 0, TRANSFER_SEND_ONLY, false},
        {3, kShow, TRANSFER_SHOW_AND_SEND, false},
        {6, kShow, TRANSFER_SHOW_AND_SEND, false},
        {8, 0, TRANSFER_SEND_ONLY, false},
        {10, kShow, TRANSFER_SHOW_AND_SEND, false},
        {11, 0, TRANSFER_SEND_ONLY, true},
        {11, kShow, TRANSFER_SHOW_AND_SEND, true},
        {4, kShow, TRANSFER_NOTHING, false},
        {4, kChat, TRANSFER_PRIVATE_CHAT, false},
        {5, 0, TRANSFER_NOTHING, false},
        {5, kChat | kShow, TRANSFER_GROUP_CHAT, false},
        {0, kShow | kChat, TRANSFER_NOTHING, false},
        {12, kShow | kChat, TRANSFER_NOTHING, false},
        {0xFFFFFFFF, 0xFFFFFFFF, TRANSFER_NOTHING, false},
    };
    for (const Case& c : cases) {
        const TransferPlan plan = QxPlanTransfer(c.type, c.option);
        EXPECT_EQ(plan.step, c.step) << "type " << c.type << " option " << c.option;
        EXPECT_EQ(plan.bSwitchOffStrip, c.switchOff) << "type " << c.type;
    }
}

TEST(TransferPlan, WhatIsSentOnceReleasedAndWhatGoesToTheHistory) {
    for (DWORD type = 0; type <= 12; ++type) {
        const bool sent = type == 1 || (type >= 6 && type <= 11);
        EXPECT_EQ(QxTransferSentWhenReleased(type), sent) << type;
        EXPECT_EQ(QxTransferCopiedToHistory(type), type != 6 && type != 8) << type;
        const bool kept = type == 1 || type == 3 || type == 7 || type == 9 || type == 10 || type == 11;
        EXPECT_EQ(QxTransferKeptInHistory(type), kept) << type;
    }
}

TEST(TransferSend, ATypeAndOneOfTheSendBitsAreNeeded) {
    EXPECT_FALSE(QxTransferMaySend(0, kChat));
    EXPECT_FALSE(QxTransferMaySend(3, 0));
    EXPECT_FALSE(QxTransferMaySend(3, kShow | QXCHAT_TRANSFER_OPTION_10));
    EXPECT_TRUE(QxTransferMaySend(3, kChat));
    EXPECT_TRUE(QxTransferMaySend(3, QXCHAT_TRANSFER_RECORDABLE));
    EXPECT_TRUE(QxTransferMaySend(3, QXCHAT_TRANSFER_RECORD_COPY));
}

TEST(TransferSend, GroupTargetsAndTheAddedSendOptionBits) {
    EXPECT_FALSE(QxIsGroupID(0));
    EXPECT_TRUE(QxIsGroupID(1));
    EXPECT_TRUE(QxIsGroupID(9999));
    EXPECT_FALSE(QxIsGroupID(10000));
    EXPECT_FALSE(QxIsGroupID(0xFFFFFFFF));

    // To the local user itself: 0x20; option bit 0x10 adds send option bit 0x10, which the base
    // word may hold already (it is not counted twice).
    EXPECT_EQ(QxTransferSendOption(0x2, 0, 0, false), 0x22u);
    EXPECT_EQ(QxTransferSendOption(0x2, 12345, 0, false), 0x2u);
    EXPECT_EQ(QxTransferSendOption(0x90, 0, QXCHAT_TRANSFER_OPTION_10, false), 0xB0u);
    EXPECT_EQ(QxTransferSendOption(0x1000000, 15, QXCHAT_TRANSFER_OPTION_10, true), 0x1000010u);
    EXPECT_EQ(QxTransferSendOption(0x1000000, 15, 0, true), 0x1000000u);
}

TEST(TransferSend, APduFitsWhenEveryFormOfItStaysWithinThePduLimit) {
    EXPECT_TRUE(QxTransferPDUFits(200));
    EXPECT_TRUE(QxTransferPDUFits(1024 * 1024 - TRANSFER_PDU_ROOM));
    EXPECT_FALSE(QxTransferPDUFits(1024 * 1024 - TRANSFER_PDU_ROOM + 1));
    EXPECT_FALSE(QxTransferPDUFits(1024 * 1024));
}

TEST(TransferHistory, TrailingBlanksAreIgnoredAndTypesTenAndElevenComeOnce) {
    EXPECT_EQ(QxTrimTrailingBlanks(L"a b  "), L"a b");
    EXPECT_EQ(QxTrimTrailingBlanks(L"  a"), L"  a");
    EXPECT_EQ(QxTrimTrailingBlanks(L"a\t"), L"a\t") << "only U+0020 is a blank here";
    EXPECT_EQ(QxTrimTrailingBlanks(L"   "), L"");

    const std::vector<TransferHistoryEntry> history = {{1, L"Welcome "}, {10, L"queued"}, {3, L"note"}};
    struct Case {
        const wchar_t* text;
        DWORD type;
        bool isNew;
    } cases[] = {
        {L"Welcome", 1, false}, {L"Welcome   ", 7, false}, {L"welcome", 1, true},
        {L" Welcome", 1, true}, {L"note", 6, false},       {L"other", 10, false}, // any type-10 item
        {L"other", 11, true},   {L"other", 3, true},       {L"", 1, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(QxIsNewTransferMessage(c.text, c.type, history), c.isNew) << c.text;
    EXPECT_TRUE(QxIsNewTransferMessage(L"x", 11, {}));
    EXPECT_FALSE(QxIsNewTransferMessage(L"y", 11, {{11, L"x"}}));
}

} // namespace
