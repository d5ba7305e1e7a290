// The dialog's layout arithmetic, normal and compact.
#include "window/ChatLayout.h"

#include "qxchat.h"

#include <gtest/gtest.h>

namespace {

ChatLayoutInput Example(DWORD dwFeatures = 0) {
    ChatLayoutInput in;
    in.rcClient = {0, 0, 400, 300};
    in.nFontHeight = 13;
    in.nRecipientHeight = 21;
    in.szSendToLabel = {40, 13};
    in.szPhraseLabel = {70, 13};
    in.dwFeatures = dwFeatures;
    return in;
}

void ExpectPlaced(const ChatPlacement& p, int x, int y, int cx, int cy, const char* what) {
    EXPECT_EQ(p.action, ChatPlacement::Place) << what;
    EXPECT_EQ(p.box, (ChatBox{x, y, cx, cy}))
        << what << " at " << p.box.x << "," << p.box.y << " " << p.box.cx << "x" << p.box.cy;
}

TEST(ChatLayout, NormalLayoutOfTheReferenceExample) {
    const ChatLayout l = QxComputeChatLayout(Example());
    ExpectPlaced(l.input, 5, 256, 317, 34, "input");
    ExpectPlaced(l.send, 330, 263, 60, 19, "send");
    ExpectPlaced(l.recipient, 53, 227, 269, 21, "recipient");
    ExpectPlaced(l.sendToLabel, 5, 231, 40, 13, "label");
    ExpectPlaced(l.container, 0, 0, 400, 219, "container");
    EXPECT_EQ(l.phraseLabel.action, ChatPlacement::Hide);
    EXPECT_EQ(l.phraseBox.action, ChatPlacement::Hide);
}

TEST(ChatLayout, TallSendButtonMatchesTheInputBox) {
    const ChatLayout l = QxComputeChatLayout(Example(QXCHAT_FEATURE_TALL_SEND));
    ExpectPlaced(l.input, 5, 256, 317, 34, "input");
    ExpectPlaced(l.send, 330, 256, 60, 34, "send");
}

TEST(ChatLayout, QuickPhraseRowGoesBelowTheInputRow) {
    const ChatLayout l = QxComputeChatLayout(Example(QXCHAT_FEATURE_QUICK_PHRASE));
    // Phrase row at 300 - 10 - 21 = 269; the input row moves up by 21 + 8.
    ExpectPlaced(l.phraseLabel, 5, 273, 70, 13, "phrase label");
    ExpectPlaced(l.phraseBox, 83, 269, 239, 21, "phrase box");
    ExpectPlaced(l.input, 5, 227, 317, 34, "input");
    ExpectPlaced(l.recipient, 53, 198, 269, 21, "recipient");
    ExpectPlaced(l.container, 0, 0, 400, 190, "container");
}

TEST(ChatLayout, CompactLayoutHidesTheRecipientRow) {
    const ChatLayout l = QxComputeChatLayout(Example(QXCHAT_FEATURE_COMPACT));
    EXPECT_EQ(l.recipient.action, ChatPlacement::Hide);
    EXPECT_EQ(l.sendToLabel.action, ChatPlacement::Hide);
    EXPECT_EQ(l.phraseLabel.action, ChatPlacement::Hide);
    ExpectPlaced(l.input, 5, 256, 326, 34, "input");
    ExpectPlaced(l.send, 330, 263, 60, 19, "send");
    ExpectPlaced(l.container, 0, 0, 400, 251, "container");
}

TEST(ChatLayout, CompactTallLayoutStartsAtTheLeftEdge) {
    const ChatLayout l = QxComputeChatLayout(Example(QXCHAT_FEATURE_COMPACT | QXCHAT_FEATURE_TALL_SEND));
    ExpectPlaced(l.input, 0, 236, 326, 64, "input");
    ExpectPlaced(l.send, 332, 236, 68, 64, "send");
    ExpectPlaced(l.container, 0, 0, 400, 231, "container");
}

TEST(ChatLayout, OffsetClientRectangleShiftsEverything) {
    ChatLayoutInput in = Example();
    in.rcClient = {10, 20, 410, 320};
    const ChatLayout l = QxComputeChatLayout(in);
    ExpectPlaced(l.input, 15, 276, 317, 34, "input");
    ExpectPlaced(l.send, 340, 283, 60, 19, "send");
    ExpectPlaced(l.container, 10, 20, 400, 219, "container");
}

} // namespace
