// One participant of a meeting spread over processes, in the single frame of this one. Ann, Ben
// and Dee meet at once: each waits until its "Send to:" box lists the other two; Ann and Ben
// say their lines to everyone in turn, each once the earlier ones are shown; Ann tells Ben
// something privately; Ben types, Ann's panel tells her host, she asks him to go ahead and he
// sends what he typed. Cy joins late and reads back every line said to everyone. Every process
// checks its own panel: the lines to everyone once and in order, the private one at Ann's and
// Ben's only.
#include "DemoHost.h"
#include "MessagePump.h"

#include <windows.h>
#include <algorithm>
#include <string>
#include <vector>

namespace demo {

namespace {

constexpr int kAnn = 0, kBen = 1, kCy = 2, kDee = 3;
constexpr DWORD kPeerTimeoutMs = 30000; // another process may start much later than this one
constexpr DWORD kSettleMs = 500;        // a repeated or stray item would arrive right behind the last one

struct Line {
    int nSpeaker;
    const wchar_t* lpszText;
};

// Said to everyone, in this order.
const Line kConversation[] = {
    {kAnn, L"Good morning, Ben. Can you see my slides?"},
    {kBen, L"Morning, Ann. Yes, the quarterly figures are up."},
    {kAnn, L"Great. Let's start with the second page."},
    {kBen, L"Ready when you are."},
    {kAnn, L"I see you typing, Ben: go ahead."}, // once Ann's host was told Ben types
    {kBen, L"One question about the chart first."},
};
constexpr size_t kLines = sizeof kConversation / sizeof kConversation[0];
constexpr size_t kTypedLine = kLines - 1; // Ben types it before Ann's go-ahead, sends it after
const wchar_t kPrivate[] = L"Ben, between us: the chart on page two has last year's numbers.";

const wchar_t* const kNames[kProcessParticipants] = {L"Ann", L"Ben", L"Cy", L"Dee"};
constexpr COLORREF kDeeColor = RGB(0x6A, 0x3D, 0x9A); // the others keep their cast colours

bool Live(int n) {
    return n != kCy;
}

Participant& Me() {
    return g_host.people[0];
}

// The lines to everyone this panel showed, in order; false when one is missing, repeated or
// out of order, or when the private line was shown where it must not be.
bool ShownAsItShould(size_t nLines) {
    const bool bPrivateHere = g_host.nParticipant == kAnn || g_host.nParticipant == kBen;
    if (Me().CountShown(kPrivate) != (bPrivateHere ? 1u : 0u))
        return Fail(L"the private message was shown " + std::to_wstring(Me().CountShown(kPrivate)) +
                    L" times") == 0;
    size_t next = 0;
    for (const Shown& s : Me().shown) {
        if (s.text == kPrivate) continue;
        if (next >= nLines || s.text != kConversation[next].lpszText)
            return Fail(L"an unexpected line was shown: " + s.text) == 0;
        ++next;
    }
    return next == nLines || Fail(L"only " + std::to_wstring(next) + L" lines were shown") == 0;
}

size_t PublicShown() {
    size_t n = 0;
    for (const Shown& s : Me().shown)
        n += s.text != kPrivate;
    return n;
}

// The node of whoever said a line here.
DWORD NodeOfLine(size_t nLine) {
    for (const Shown& s : Me().shown)
        if (s.text == kConversation[nLine].lpszText) return s.dwNodeId;
    return 0;
}

bool WaitPublic(size_t n) {
    return PumpUntil([&] { return PublicShown() >= n; }, kPeerTimeoutMs);
}

bool SeesTheOthers() {
    std::vector<std::wstring> want;
    for (int n = 0; n < kProcessParticipants; ++n)
        if (Live(n) && n != g_host.nParticipant) want.push_back(ParticipantName(n));
    const bool bListed = PumpUntil(
        [&] {
            const std::vector<std::wstring> names = RecipientNames(Me());
            for (const std::wstring& w : want)
                if (std::find(names.begin(), names.end(), w) == names.end()) return false;
            return true;
        },
        kPeerTimeoutMs);
    if (bListed) return true;
    std::wstring entries;
    for (const std::wstring& entry : RecipientNames(Me()))
        entries += L" \"" + entry + L"\"";
    return Fail(Me().name + L"'s \"Send to:\" does not list every other participant; it lists" + entries) ==
           0;
}

bool Say(size_t nLine) {
    g_host.api.ChChatToGroup(Me().hChat, QXCHAT_GROUP_TYPE_ROLE, QXCHAT_GROUP_EVERYONE);
    return SendLine(Me(), kConversation[nLine].lpszText) &&
           WaitShown({&Me()}, kConversation[nLine].lpszText, kPeerTimeoutMs);
}

// Ann: the private line to Ben, then the go-ahead once her host was told that Ben types.
bool AnnBeforeTyping() {
    if (!SelectRecipient(Me(), ParticipantName(kBen))) return Fail(L"Ann cannot choose Ben") == 0;
    if (!SendLine(Me(), kPrivate) || !WaitShown({&Me()}, kPrivate, kPeerTimeoutMs))
        return Fail(L"Ann's private message was not shown to her") == 0;
    const DWORD dwBen = NodeOfLine(1);
    g_host.nodeNames[dwBen] = ParticipantName(kBen); // the stage names who types
    const bool bTyping = PumpUntil(
        [&] {
            const TypingState* t = TypingOf(0, dwBen);
            return t && t->lState == QXCHAT_TYPING_STARTED;
        },
        kPeerTimeoutMs);
    return bTyping || Fail(L"Ann's panel did not tell that Ben types") == 0;
}

// Ben: once the private line is here, types his question and sends it after Ann's go-ahead.
bool BenTypes() {
    if (!WaitShown({&Me()}, kPrivate, kPeerTimeoutMs))
        return Fail(L"Ben did not get the private message") == 0;
    g_host.api.ChChatToGroup(Me().hChat, QXCHAT_GROUP_TYPE_ROLE, QXCHAT_GROUP_EVERYONE);
    HWND hInput = GetDlgItem(FindChatDialog(Me()), QXCHAT_CONTROL_INPUT);
    if (!hInput) return false;
    SetFocus(hInput);
    TypeInto(hInput, kConversation[kTypedLine].lpszText);
    if (!WaitPublic(kTypedLine)) return Fail(L"Ann's go-ahead did not come") == 0;
    return SendLine(Me(), L"") && WaitShown({&Me()}, kConversation[kTypedLine].lpszText, kPeerTimeoutMs);
}

bool TakePart() {
    if (g_host.nParticipant == kCy) {
        if (!WaitPublic(kLines)) return Fail(L"Cy did not read the conversation back") == 0;
        PumpUntil([] { return false; }, kSettleMs);
        return ShownAsItShould(kLines);
    }
    if (!SeesTheOthers()) return false;
    for (size_t i = 0; i < kLines; ++i) {
        if (!WaitPublic(i)) return Fail(L"line " + std::to_wstring(i) + L" did not come") == 0;
        const bool bMine = kConversation[i].nSpeaker == g_host.nParticipant;
        if (i + 1 == kTypedLine && g_host.nParticipant == kBen) {
            if (!BenTypes()) return false; // says the typed line too
        } else if (i == kTypedLine && g_host.nParticipant == kBen) {
            continue;
        } else if (i + 1 == kTypedLine && g_host.nParticipant == kAnn) {
            if (!AnnBeforeTyping() || !Say(i)) return false;
        } else if (bMine && !Say(i)) {
            return Fail(L"line " + std::to_wstring(i) + L" could not be said") == 0;
        }
    }
    if (!WaitPublic(kLines)) return Fail(L"the last line did not come") == 0;
    PumpUntil([] { return false; }, kSettleMs);
    return ShownAsItShould(kLines);
}

} // namespace

std::wstring ParticipantName(int n) {
    return kNames[n];
}

void ConfigureProcessParticipant() {
    CastMeeting();
    Participant& p = g_host.people[0];
    const int n = g_host.nParticipant;
    const Participant& who = g_host.people[n < kMaxParticipants ? n : kCy];
    p.name = ParticipantName(n);
    p.color = n == kDee ? kDeeColor : who.color;
    p.role = L"participant " + std::to_wstring(n) + L", own process";
    p.lRoles = QXCHAT_ROLE_ATTENDEE;
    p.lPrivilege = QXCHAT_PRIV_ALL;
    p.dwFeatures = QXCHAT_FEATURE_ENROLL_FEEDBACK | QXCHAT_FEATURE_RECOVERY | QXCHAT_FEATURE_TYPING;
    p.groups.clear();
    g_host.nFrames = 1;
}

int RunProcessParticipant() {
    Participant& me = Me();
    if (!StartChat(me, g_host.lConference)) return Fail(L"cannot start the chat panel");
    if (!WaitUntilReady(me)) return Fail(L"the chat did not become ready in time");
    SetStage(L"Networked meeting", L"One participant per process on " + g_host.server + L".");
    return TakePart() ? 0 : 1;
}

} // namespace demo
