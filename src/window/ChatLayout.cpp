#include "window/ChatLayout.h"

#include "qxchat.h"

namespace {

constexpr int kMargin = 5;
constexpr int kGap = 8;
constexpr int kBottomMargin = 10;
constexpr int kSendWidth = 60;
constexpr int kSendHeight = 19;
constexpr int kSendRight = 70; // the Send button's left edge from the right edge

ChatPlacement Place(int x, int y, int cx, int cy) {
    ChatPlacement p;
    p.action = ChatPlacement::Place;
    p.box = {x, y, cx, cy};
    return p;
}

ChatPlacement Hidden() {
    ChatPlacement p;
    p.action = ChatPlacement::Hide;
    return p;
}

void NormalLayout(const ChatLayoutInput& in, ChatLayout& out) {
    const RECT& rc = in.rcClient;
    const int W = rc.right - rc.left;
    const int H = (in.nFontHeight + 4) * 2; // two lines of input
    const int C = in.nRecipientHeight;
    const bool tall = (in.dwFeatures & QXCHAT_FEATURE_TALL_SEND) != 0;
    const int E = W - 83;
    int y = rc.bottom - kBottomMargin;

    if (in.dwFeatures & QXCHAT_FEATURE_QUICK_PHRASE) {
        const int fw = in.szPhraseLabel.cx, fh = in.szPhraseLabel.cy;
        const int top = rc.bottom - kBottomMargin - C;
        out.phraseLabel = Place(rc.left + kMargin, top + (C - fh) / 2, fw, fh);
        out.phraseBox = Place(rc.left + kMargin + fw + kGap, top, E - fw - kGap, C);
        y = top - kGap;
    } else {
        out.phraseLabel = Hidden();
        out.phraseBox = Hidden();
    }

    const int Y = y - H;
    out.input = Place(rc.left + kMargin, Y, E, H);
    const int sendX = rc.left + kMargin + E + kGap;
    out.send = tall ? Place(sendX, Y, kSendWidth, H)
                    : Place(sendX, Y + (H - kSendHeight) / 2, kSendWidth, kSendHeight);

    const int Yr = Y - kGap - C;
    const int lw = in.szSendToLabel.cx, lh = in.szSendToLabel.cy;
    out.sendToLabel = Place(rc.left + kMargin, Yr + (C - lh) / 2, lw, lh);
    out.recipient = Place(rc.left + kMargin + lw + kGap, Yr, E - lw - kGap, C);
    out.container = Place(rc.left, rc.top, W, Yr - rc.top - kGap);
}

void CompactLayout(const ChatLayoutInput& in, ChatLayout& out) {
    const RECT& rc = in.rcClient;
    const int W = rc.right - rc.left;
    const int H = (in.nFontHeight + 4) * 2;
    const int E = W - 74;
    out.recipient = Hidden();
    out.sendToLabel = Hidden();
    out.phraseLabel = Hidden();
    int Y;
    if (in.dwFeatures & QXCHAT_FEATURE_TALL_SEND) {
        Y = rc.bottom - 64;
        out.input = Place(rc.left, Y, E, 64);
        out.send = Place(rc.right - 68, Y, 68, 64);
    } else {
        Y = rc.bottom - H - kBottomMargin;
        out.input = Place(rc.left + kMargin, Y, E, H);
        out.send = Place(rc.right - kSendRight, Y + (H - kSendHeight) / 2, kSendWidth, kSendHeight);
    }
    out.container = Place(rc.left, rc.top, W, Y - rc.top - 5);
}

} // namespace

ChatLayout QxComputeChatLayout(const ChatLayoutInput& in) {
    ChatLayout out;
    if (in.dwFeatures & QXCHAT_FEATURE_COMPACT)
        CompactLayout(in, out);
    else
        NormalLayout(in, out);
    return out;
}
