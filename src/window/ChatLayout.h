// Where the chat dialog's controls go for a given client area: the normal layout (recipient row
// above the input row, optional quick-phrase row below it) and the compact one (input row only).
// A plain function of sizes so that every case can be checked without a window.
#pragma once

#include <windows.h>

struct ChatBox {
    int x = 0, y = 0, cx = 0, cy = 0;
    bool operator==(const ChatBox& o) const { return x == o.x && y == o.y && cx == o.cx && cy == o.cy; }
};

// A control is moved and shown, only hidden, or left as it is.
struct ChatPlacement {
    enum Action { Keep, Place, Hide } action = Keep;
    ChatBox box;
};

struct ChatLayoutInput {
    RECT rcClient = {};
    int nFontHeight = 0;      // height plus external leading of the dialog's normal font
    int nRecipientHeight = 0; // the recipient box's current height (also the phrase box's)
    SIZE szSendToLabel = {};
    SIZE szPhraseLabel = {};
    DWORD dwFeatures = 0; // the feature mask
};

struct ChatLayout {
    ChatPlacement input, send, recipient, sendToLabel, phraseLabel, phraseBox, container;
};

ChatLayout QxComputeChatLayout(const ChatLayoutInput& in);
