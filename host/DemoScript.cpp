// The scripted meeting: eight stages, each driven through the exports and the panels' windows as
// the host and its users would, checked from what the panels told the host frame, the windows
// and the saved transcripts, and photographed as demo-<n>-<name>.png.
#include "DemoChecks.h"
#include "DemoHost.h"
#include "MessagePump.h"

#include <dlgs.h>

#include <algorithm>
#include <cwchar>
#include <functional>

namespace demo {

namespace {

constexpr DWORD kShowTimeoutMs = 8000;
constexpr DWORD kRecoveryTimeoutMs = 15000;
constexpr int kLongConversation = 60;
constexpr int kUnderlineRun = 40; // pixels: a link's underline, longer than any glyph stroke
constexpr int kSelectionPixels = 2000;
constexpr COLORREF kLinkColour = RGB(0x00, 0x00, 0xFF);
constexpr COLORREF kSelectionColour = RGB(0x0A, 0x24, 0x6A);
constexpr COLORREF kListBackground = RGB(0xFF, 0xFF, 0xFF);
constexpr int kSelectionHeight = 45; // pixels above the text's last line: three or four lines
constexpr int kSelectionLeft = 8;
constexpr COLORREF kReaderColour = RGB(0x5E, 0x35, 0xB1);
constexpr LONG kSupportMeetingType = QXCHAT_MEETING_TYPE_SUPPORT;
constexpr DWORD kTransferJoin = 3;      // a notice line
constexpr DWORD kTransferHighlight = 6; // a highlighted notice line
constexpr int kTellingStage = 4;        // written again as demo.png

// A stage's failure: the message says what the screenshot should have shown.
struct StageFailure {
    std::wstring what;
};

void Require(bool bHolds, const std::wstring& what) {
    if (!bHolds) throw StageFailure{what};
}

Participant& Host() {
    return g_host.people[0];
}
Participant& Presenter() {
    return g_host.people[1];
}
Participant& Attendee() {
    return g_host.people[2];
}

std::vector<Participant*> Present() {
    std::vector<Participant*> who;
    for (Participant& p : g_host.people)
        if (p.hChat) who.push_back(&p);
    return who;
}

// The node id the speaker's messages carry, learnt from what the panels showed.
DWORD NodeOf(const Participant& speaker) {
    for (const auto& entry : g_host.nodeNames)
        if (entry.second == speaker.name) return entry.first;
    return 0;
}

void LearnNode(const Participant& speaker, const std::wstring& text) {
    for (const Participant* p : Present())
        for (const Shown& s : p->shown)
            if (s.text == text && s.dwNodeId != 0) g_host.nodeNames[s.dwNodeId] = speaker.name;
}

// Says the line to the group and waits until every listed panel showed it.
void Say(Participant& speaker, LONG lGroup, const std::wstring& text,
         const std::vector<Participant*>& audience) {
    Require(SayToGroup(speaker, lGroup, text), speaker.name + L" could not send \"" + text + L"\"");
    Require(WaitShown(audience, text, kShowTimeoutMs),
            L"\"" + text + L"\" was not shown to everyone it was for");
    LearnNode(speaker, text);
}

void StartAndWait(Participant& p, LONG lConference) {
    Require(StartChat(p, lConference), L"cannot start " + p.name + L"'s chat panel");
    Require(WaitUntilReady(p), p.name + L"'s chat did not become ready in time");
}

const wchar_t* const kGreetings[] = {
    L"Good morning, Ben. Can you see my slides?",
    L"Morning, Ann. Yes, the quarterly figures are up.",
    L"Great. Let's start with the second page.",
    L"Ready when you are.",
};
const wchar_t kPrivate[] = L"Ben, between us: the chart on page two has last year's numbers.";
const wchar_t kHostOnly[] = L"Hosts only: we stop at half past, whatever happens.";
const wchar_t kMoveOn[] = L"Let's move on to the forecast.";
const wchar_t kTyped[] = L"I'll share the corrected chart in a minute.";
const wchar_t kLateHello[] = L"Hello everyone, sorry I'm late!";
const wchar_t kLink[] = L"The agenda is at www.example.com/agenda - see item 3.";

std::vector<std::wstring> PublicSoFar() {
    std::vector<std::wstring> lines(std::begin(kGreetings), std::end(kGreetings));
    lines.push_back(kMoveOn);
    lines.push_back(kTyped);
    return lines;
}

void StageGroup() {
    SetStage(L"1  Group messages",
             L"Ann (host) and Ben (presenter) join the meeting's chat and talk to everyone, "
             L"each line typed into the input box and sent with Send.");
    StartAndWait(Host(), g_host.lConference);
    StartAndWait(Presenter(), g_host.lConference);
    for (size_t i = 0; i < std::size(kGreetings); ++i)
        Say(i % 2 ? Presenter() : Host(), QXCHAT_GROUP_EVERYONE, kGreetings[i], {&Host(), &Presenter()});
    for (const Participant* p : {&Host(), &Presenter()}) {
        std::vector<std::wstring> texts;
        for (const Shown& s : p->shown)
            texts.push_back(s.text);
        Require(texts == std::vector<std::wstring>(std::begin(kGreetings), std::end(kGreetings)),
                p->name + L"'s panel did not show the four lines once each, in order");
    }
    Require(NodeOf(Host()) != 0 && NodeOf(Presenter()) != 0, L"the panels did not tell who said what");
}

// Picks the participant in the "Send to:" box as a user does.
void ChooseRecipient(Participant& p, const std::wstring& name) {
    if (SelectRecipient(p, name)) return;
    std::wstring entries;
    for (const std::wstring& entry : RecipientNames(p))
        entries += L" \"" + entry + L"\"";
    Require(false, p.name + L"'s \"Send to:\" box does not list " + name + L"; it lists" + entries);
}

void StagePrivate() {
    SetStage(
        L"2  Private and host-only",
        L"Ann sends Ben a private message, then a message to the hosts alone. Ben sees the private one but "
        L"not the hosts' one; Cy, who joins later, must not read back either.");
    ChooseRecipient(Host(), Presenter().name);
    Require(SendLine(Host(), kPrivate), L"Ann could not send the private message");
    Require(WaitShown({&Host(), &Presenter()}, kPrivate, kShowTimeoutMs),
            L"the private message was not shown to Ann and Ben");
    Say(Host(), QXCHAT_GROUP_HOSTS, kHostOnly, {&Host()});
    // A later message to everyone overtakes nothing: once Ben shows it, the hosts' one is not coming.
    Say(Host(), QXCHAT_GROUP_EVERYONE, kMoveOn, {&Host(), &Presenter()});
    Require(!Presenter().HasShown(kHostOnly),
            L"Ben, a presenter without host rights, saw the hosts' message");
    Require(Presenter().CountShown(kPrivate) == 1 && Host().CountShown(kPrivate) == 1,
            L"the private message was shown more than once");
}

void StageTyping(const std::function<void()>& shoot) {
    SetStage(L"3  Typing indication",
             L"Ben types into his input box. His panel tells the others; Ann's panel tells its host frame "
             L"(WM_CHAT_TYPING), which draws it here.");
    HWND hInput = GetDlgItem(FindChatDialog(Presenter()), QXCHAT_CONTROL_INPUT);
    Require(hInput != nullptr, L"Ben's input box is missing");
    g_host.api.ChChatToGroup(Presenter().hChat, QXCHAT_GROUP_TYPE_ROLE, QXCHAT_GROUP_EVERYONE);
    SetFocus(hInput);
    TypeInto(hInput, kTyped);
    const DWORD dwBen = NodeOf(Presenter());
    Require(PumpUntil(
                [&] {
                    const TypingState* t = TypingOf(0, dwBen);
                    return t && t->lState == QXCHAT_TYPING_STARTED;
                },
                kShowTimeoutMs),
            L"Ann's panel did not tell the host frame that Ben types");
    shoot();
    Require(SendLine(Presenter(), L""), L"Ben could not send what he typed");
    Require(WaitShown({&Host(), &Presenter()}, kTyped, kShowTimeoutMs), L"Ben's typed line was not shown");
    Require(PumpUntil([&] { return TypingOf(0, dwBen)->lState == QXCHAT_TYPING_STOPPED; }, kShowTimeoutMs),
            L"Ben's indication did not stop when his message arrived");
}

void StageLateJoiner() {
    SetStage(L"4  A late joiner",
             L"Cy (attendee) joins after the conversation and reads the history back (recovery): every line "
             L"said to everyone, once and in order, and neither the private nor the hosts' message.");
    StartAndWait(Attendee(), g_host.lConference);
    const std::vector<std::wstring> history = PublicSoFar();
    Require(WaitShown({&Attendee()}, history.back(), kRecoveryTimeoutMs),
            L"Cy did not read the history back");
    Say(Attendee(), QXCHAT_GROUP_EVERYONE, kLateHello, Present());
    std::vector<std::wstring> texts;
    for (const Shown& s : Attendee().shown)
        texts.push_back(s.text);
    std::vector<std::wstring> expected = history;
    expected.push_back(kLateHello);
    std::wstring seen;
    for (const std::wstring& text : texts)
        seen += L"\n  " + text;
    Require(texts == expected,
            L"Cy's panel did not show the history once, in order, before his own line; it showed:" + seen);
}

RECT ListRectInMeeting(const Participant& p) {
    HWND hList = FindMessageList(p);
    RECT rcList = {}, rcMeeting = {};
    GetWindowRect(hList, &rcList);
    GetWindowRect(g_host.hMeeting, &rcMeeting);
    OffsetRect(&rcList, -rcMeeting.left, -rcMeeting.top);
    return rcList;
}

// Pumps until the participant's message list, as the screen shows it, passes the check.
bool ShowsOnScreen(const Participant& p, bool (*check)(const ScreenImage&, const RECT&)) {
    return PumpUntil(
        [&] {
            if (!PanelsPainted()) return false;
            return check(CaptureWindowArea(g_host.hMeeting), ListRectInMeeting(p));
        },
        kShowTimeoutMs);
}

std::wstring ClipboardText() {
    std::wstring text;
    if (!OpenClipboard(g_host.hMeeting)) return text;
    if (HANDLE hData = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* p = static_cast<const wchar_t*>(GlobalLock(hData))) text = p;
        GlobalUnlock(hData);
    }
    CloseClipboard();
    return text;
}

void Drag(HWND hList, POINT from, POINT to) {
    SendMessageW(hList, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(from.x, from.y));
    constexpr int kSteps = 8;
    for (int i = 1; i <= kSteps; ++i) {
        const int x = from.x + (to.x - from.x) * i / kSteps, y = from.y + (to.y - from.y) * i / kSteps;
        SendMessageW(hList, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x, y));
    }
    SendMessageW(hList, WM_LBUTTONUP, 0, MAKELPARAM(to.x, to.y));
}

void StageLinkAndSelection(const std::function<void()>& shoot) {
    SetStage(L"5  A link and a selection",
             L"Ben posts the agenda's address: the panels draw it as a link. Ann selects the last lines with "
             L"the mouse and copies them.");
    Say(Presenter(), QXCHAT_GROUP_EVERYONE, kLink, Present());
    Require(ShowsOnScreen(Attendee(),
                          [](const ScreenImage& image, const RECT& rc) {
                              return LongestColourRun(image, rc, kLinkColour) >= kUnderlineRun;
                          }),
            L"Cy's panel does not draw the address as an underlined link");

    HWND hList = FindMessageList(Host());
    RECT rc;
    GetClientRect(hList, &rc);
    // From the start of a line a little above the end of the text to the right of its last line:
    // the latest lines, link included.
    const RECT rcList = ListRectInMeeting(Host());
    const int nTextBottom =
        LastRowDrawn(CaptureWindowArea(g_host.hMeeting), rcList, kListBackground) - rcList.top;
    Require(nTextBottom > kSelectionHeight, L"Ann's list shows no text to select");
    Drag(hList, POINT{kSelectionLeft, nTextBottom - kSelectionHeight}, POINT{rc.right - 8, nTextBottom});
    g_host.api.ChEditChat(Host().hChat, QXCHAT_EDIT_COPY);
    const std::wstring copied = ClipboardText();
    Require(copied.find(L"www.example.com/agenda") != std::wstring::npos,
            L"the selection copied from Ann's list does not hold the link (clipboard: \"" + copied + L"\")");
    Require(ShowsOnScreen(Host(),
                          [](const ScreenImage& image, const RECT& rc) {
                              return CountColour(image, rc, kSelectionColour) >= kSelectionPixels;
                          }),
            L"Ann's list does not show the selection");
    shoot();
}

SCROLLINFO ScrollOf(HWND hList) {
    SCROLLINFO si = {};
    si.cbSize = sizeof(si);
    si.fMask = SIF_ALL;
    GetScrollInfo(hList, SB_VERT, &si);
    return si;
}

void Scroll(HWND hList, WORD wCode, int nTimes) {
    for (int i = 0; i < nTimes; ++i)
        SendMessageW(hList, WM_VSCROLL, MAKEWPARAM(wCode, 0), 0);
    SendMessageW(hList, WM_VSCROLL, MAKEWPARAM(SB_ENDSCROLL, 0), 0);
}

void StageLongConversation() {
    SetStage(L"6  A long conversation",
             L"Ann and Ben go through sixty review points. Ann scrolls back a page with the scroll bar; Cy "
             L"scrolls to the top of his history.");
    for (int i = 1; i <= kLongConversation; ++i) {
        const std::wstring text =
            L"Review point " + std::to_wstring(i) + (i % 2 ? L": checked." : L": agreed.");
        Say(i % 2 ? Host() : Presenter(), QXCHAT_GROUP_EVERYONE, text, Present());
    }
    HWND hAnn = FindMessageList(Host()), hCy = FindMessageList(Attendee());
    PumpUntil(PanelsPainted, kShowTimeoutMs);
    // The list refreshes its scroll bar after a burst on its own timer, and during one now and
    // then: wait until it follows the latest line with more than a page above it (a refresh from
    // early in the burst can follow the latest line of that moment, with less than a page above).
    auto followsWithAPageAbove = [](const SCROLLINFO& si) {
        return si.nMax > static_cast<int>(si.nPage) && si.nPos + static_cast<int>(si.nPage) > si.nMax &&
               si.nPos > static_cast<int>(si.nPage);
    };
    SCROLLINFO atEnd = {};
    Require(PumpUntil(
                [&] {
                    atEnd = ScrollOf(hAnn);
                    return followsWithAPageAbove(atEnd) && followsWithAPageAbove(ScrollOf(hCy));
                },
                kShowTimeoutMs),
            L"Ann's or Cy's list is not scrollable by more than a page, or does not follow the latest line");
    Scroll(hAnn, SB_PAGEUP, 1);
    const SCROLLINFO back = ScrollOf(hAnn);
    // A page up moves by about a page; the list may keep a line of the old page in view.
    Require(back.nPos > 0 && back.nPos <= atEnd.nPos - static_cast<int>(atEnd.nPage) / 2,
            L"Ann's list did not scroll back a page (from " + std::to_wstring(atEnd.nPos) + L" to " +
                std::to_wstring(back.nPos) + L", page " + std::to_wstring(atEnd.nPage) + L")");
    Scroll(hCy, SB_TOP, 1);
    Require(ScrollOf(hCy).nPos == 0, L"Cy's list did not scroll to the top");
}

void EndMeeting() {
    for (Participant& p : g_host.people) {
        EndChat(p);
        p.groups.clear();
        p.configs.clear();
    }
    g_host.nodeNames.clear();
    g_host.typing.clear();
}

std::wstring Xml(const std::wstring& body) {
    return L"<chat ver=\"1.0\">" + body + L"</chat>";
}

const wchar_t kProblem[] = L"Hi, my printer says it is offline.";
const wchar_t kPhraseName[] = L"Greeting";
const wchar_t kPhrase[] = L"Hello %FirstName%, thank you for waiting. Let me look into that.";
const wchar_t kPhraseFilled[] = L"Hello Cy, thank you for waiting. Let me look into that.";
const wchar_t kJoinNotice[] = L"Ben (printer specialist) has joined the session.";
const wchar_t kTransferNotice[] = L"Cy is transferred to Ben.";
const wchar_t kTakeOver[] = L"Hi Cy, Ben here. Let's restart the print queue together.";

void ConfigureSupportDesk() {
    const std::wstring customerId = Xml(L"<mtype>11</mtype><customerid>4711</customerid>");
    for (Participant& p : g_host.people) {
        p.lMeetingType = kSupportMeetingType;
        p.lRoles = QXCHAT_ROLE_ATTENDEE;
        p.lPrivilege = QXCHAT_PRIV_ALL;
        p.dwFeatures = QXCHAT_FEATURE_ENROLL_FEEDBACK;
        p.groups = {{QXCHAT_GROUP_HOSTS_PRESENTERS, L"Support"}, {QXCHAT_GROUP_PANELISTS, L"Customers"}};
        p.configs = {{QXCHAT_CFG_CUSTOMER_ID, customerId}};
    }
    Host().role = L"supporter";
    Host().lUserType = QXCHAT_USER_TYPE_SUPPORTER_A;
    Host().dwFeatures |= QXCHAT_FEATURE_QUICK_PHRASE;
    Host().configs.push_back({QXCHAT_CFG_FAQ_CONTENT,
                              Xml(L"<mtype>7</mtype><faq><index>1</index><faqn>" + std::wstring(kPhraseName) +
                                  L"</faqn><faqc>" + kPhrase + L"</faqc></faq>")});
    Presenter().role = L"second supporter";
    Presenter().lUserType = QXCHAT_USER_TYPE_SUPPORTER_A;
    Presenter().waitingText = L"Ben joins when Cy is transferred";
    // Joining late, he reads what the customer was told so far.
    Presenter().dwFeatures |= QXCHAT_FEATURE_CUSTOMER_HISTORY;
    Attendee().role = L"customer";
    Attendee().lUserType = QXCHAT_USER_TYPE_CUSTOMER_A;
    Attendee().configs.push_back(
        {QXCHAT_CFG_FAQ_MACRO,
         Xml(L"<mtype>8</mtype><fname>Cy</fname><lname>Young</lname><phone>555-0100</phone>"
             L"<email>cy@example.org</email>")});
}

std::vector<TranscriptRecord> SavedRecords(const Participant& p, const std::wstring& path) {
    Require(g_host.api.ChSaveChatTo(p.hChat, path.c_str()) == 0, L"cannot save " + p.name + L"'s transcript");
    std::wstring content;
    Require(ReadTranscriptFile(path, &content), L"cannot read the saved transcript " + path);
    return TranscriptRecords(content);
}

bool Contains(const std::vector<TranscriptRecord>& records, const std::wstring& text, bool bMessage) {
    return std::any_of(records.begin(), records.end(), [&](const TranscriptRecord& r) {
        return r.text == text && r.header.empty() != bMessage;
    });
}

void StageSupport(const std::wstring& transcript) {
    EndMeeting();
    ConfigureSupportDesk();
    SetStage(
        L"7  Customer support",
        L"A support desk (meeting type 3). Ann answers Cy with a quick phrase that fills in his first name, "
        L"then transfers him: the transfer notices appear in her panel, and Ben joins, reads the customer's "
        L"history and takes over.");
    const LONG lDesk = g_host.lConference + 1;
    StartAndWait(Host(), lDesk);
    StartAndWait(Attendee(), lDesk);
    Say(Attendee(), QXCHAT_GROUP_EVERYONE, kProblem, {&Host(), &Attendee()});
    const std::wstring primary =
        Xml(L"<mtype>10</mtype><primcust>" + std::to_wstring(NodeOf(Attendee())) + L"</primcust>");
    Require(g_host.api.ChSetConfig(Host().hChat, QXCHAT_CFG_PRIMARY_CUSTOMER, primary.c_str()) == 1,
            L"the primary customer was not taken");
    // Pick the phrase as a user does: select it in the box, which tells the dialog.
    HWND hDlg = FindChatDialog(Host());
    HWND hBox = GetDlgItem(hDlg, kPhraseBox), hInput = GetDlgItem(hDlg, QXCHAT_CONTROL_INPUT);
    Require(hBox && IsWindowVisible(hBox), L"Ann's panel has no quick-phrase box");
    g_host.api.ChChatToGroup(Host().hChat, QXCHAT_GROUP_TYPE_ROLE, QXCHAT_GROUP_EVERYONE);
    SendMessageW(hBox, CB_SETCURSEL, 0, 0);
    SendMessageW(hDlg, WM_COMMAND, MAKEWPARAM(kPhraseBox, CBN_SELCHANGE), reinterpret_cast<LPARAM>(hBox));
    wchar_t szInput[256] = {};
    GetWindowTextW(hInput, szInput, 256);
    Require(std::wstring(szInput) == kPhraseFilled,
            L"the quick phrase did not fill in the customer's name (input: \"" + std::wstring(szInput) +
                L"\")");
    Require(SendLine(Host(), L""), L"Ann could not send the quick phrase");
    Require(WaitShown({&Host(), &Attendee()}, kPhraseFilled, kShowTimeoutMs),
            L"Cy did not get the quick phrase");
    const DWORD dwShow = QXCHAT_TRANSFER_SHOW | QXCHAT_TRANSFER_RECORDABLE;
    Require(g_host.api.ChTransferMessages(Host().hChat, kTransferJoin, 0, dwShow, kJoinNotice) == 0 &&
                g_host.api.ChTransferMessages(Host().hChat, kTransferHighlight, 0, QXCHAT_TRANSFER_SHOW,
                                              kTransferNotice) == 0,
            L"the transfer notices were refused");
    StartAndWait(Presenter(), lDesk);
    Require(WaitShown({&Presenter()}, kPhraseFilled, kRecoveryTimeoutMs) && Presenter().HasShown(kProblem),
            L"Ben did not read the customer's history when he joined");
    Say(Presenter(), QXCHAT_GROUP_EVERYONE, kTakeOver, {&Host(), &Presenter(), &Attendee()});
    const std::vector<TranscriptRecord> records = SavedRecords(Host(), transcript);
    for (const wchar_t* text : {kProblem, kPhraseFilled, kTakeOver})
        Require(Contains(records, text, true),
                L"Ann's transcript lacks the message \"" + std::wstring(text) + L"\"");
    for (const wchar_t* text : {kJoinNotice, kTransferNotice})
        Require(Contains(records, text, false),
                L"Ann's transcript lacks the notice \"" + std::wstring(text) + L"\"");
}

// The module's open dialog, filled in as a user does: the file name typed into its name box,
// then Open. A timer does it, since ChLoadChat runs the dialog's own message loop.
struct OpenDialogFill {
    std::wstring path;
    int nTicks = 0;
    bool bFilled = false;
};
OpenDialogFill g_fill;
constexpr UINT kFillPeriodMs = 100;
constexpr int kFillTicks = 100; // ten seconds for the dialog to appear

HWND FindOpenDialog() {
    HWND hFound = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND hWnd, LPARAM lParam) -> BOOL {
            wchar_t szClass[16] = {};
            GetClassNameW(hWnd, szClass, 16);
            if (wcscmp(szClass, L"#32770") != 0 || !IsWindowVisible(hWnd)) return TRUE;
            *reinterpret_cast<HWND*>(lParam) = hWnd;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&hFound));
    return hFound;
}

void CALLBACK FillOpenDialog(HWND, UINT, UINT_PTR nTimer, DWORD) {
    HWND hDlg = FindOpenDialog();
    if (hDlg && !g_fill.bFilled) {
        // The file-name box: a combo box in the Explorer-style dialog, an edit box in the older one.
        HWND hName = GetDlgItem(hDlg, cmb13);
        if (!hName) hName = GetDlgItem(hDlg, edt1);
        if (hName) {
            SetWindowTextW(hName, g_fill.path.c_str());
            g_fill.bFilled = true;
            KillTimer(nullptr, nTimer);
            PostMessageW(hDlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(hDlg, IDOK)));
            return;
        }
    }
    if (++g_fill.nTicks < kFillTicks) return;
    KillTimer(nullptr, nTimer);
    if (hDlg) PostMessageW(hDlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
}

bool LoadThroughOpenDialog(const Participant& p, const std::wstring& path) {
    g_fill = OpenDialogFill{path};
    if (!SetTimer(nullptr, 0, kFillPeriodMs, FillOpenDialog)) return false;
    g_host.api.ChLoadChat(p.hChat);
    return g_fill.bFilled;
}

void StageTranscript(const std::wstring& transcript, const std::wstring& copy) {
    SetStage(
        L"8  A transcript loaded back",
        L"Ann's transcript of the support session was saved (ChSaveChatTo); a fresh instance in the middle "
        L"panel loads it (ChLoadChat; the host types the name into the open dialog) and shows the same "
        L"messages.");
    EndChat(Presenter());
    Participant& reader = Presenter();
    reader.name = L"Reader";
    reader.role = L"transcript, fresh instance";
    reader.color = kReaderColour;
    reader.lMeetingType = kMeetingTypeOrdinary;
    reader.lUserType = QXCHAT_USER_TYPE_NONE;
    reader.groups.clear();
    reader.configs.clear();
    reader.bAllowInput = false;
    StartAndWait(reader, g_host.lConference + 2);
    Require(LoadThroughOpenDialog(reader, transcript),
            L"the transcript was not loaded through the open dialog");
    std::wstring original;
    Require(ReadTranscriptFile(transcript, &original), L"cannot read " + transcript);
    // A transcript brings back its messages; its notices belonged to the session that showed them.
    std::vector<TranscriptRecord> messages;
    for (const TranscriptRecord& record : TranscriptRecords(original))
        if (!record.header.empty()) messages.push_back(record);
    const std::vector<TranscriptRecord> loaded = SavedRecords(reader, copy);
    Require(!loaded.empty() && loaded == messages,
            L"the fresh instance does not hold the transcript's messages (saved again: " +
                std::to_wstring(loaded.size()) + L" records of " + std::to_wstring(messages.size()) + L")");
}

} // namespace

int RunScriptedMeeting(const std::wstring& folder, const std::wstring& finalShot) {
    CastMeeting();
    Attendee().waitingText = L"Cy joins later";
    for (Participant& p : g_host.people)
        InvalidateRect(p.hFrame, nullptr, TRUE);
    int nStage = 0;
    std::wstring telling;
    const auto shoot = [&](const wchar_t* lpszName) {
        const std::wstring path = folder + L"\\demo-" + std::to_wstring(nStage) + L"-" + lpszName + L".png";
        Require(WriteShot(path), L"cannot write " + path);
        if (nStage == kTellingStage) telling = path;
        fwprintf(stderr, L"qxhost: stage %d done: %ls\n", nStage, path.c_str());
    };
    const std::wstring transcript = folder + L"\\demo-support.txt",
                       copy = folder + L"\\demo-support-again.txt";
    try {
        nStage = 1, StageGroup(), shoot(L"group");
        nStage = 2, StagePrivate(), shoot(L"private");
        nStage = 3, StageTyping([&] { shoot(L"typing"); });
        nStage = 4, StageLateJoiner(), shoot(L"late-joiner");
        nStage = 5, StageLinkAndSelection([&] { shoot(L"link-selection"); });
        nStage = 6, StageLongConversation(), shoot(L"scrolled-back");
        nStage = 7, StageSupport(transcript), shoot(L"support");
        nStage = 8, StageTranscript(transcript, copy), shoot(L"transcript");
    } catch (const StageFailure& failure) {
        SetStage(L"Stage " + std::to_wstring(nStage) + L" failed", failure.what);
        WriteShot(folder + L"\\demo-failed.png");
        return Fail(L"stage " + std::to_wstring(nStage) + L" failed: " + failure.what);
    }
    if (!finalShot.empty() && !CopyFileW(telling.c_str(), finalShot.c_str(), FALSE))
        return Fail(L"cannot write " + finalShot);
    return 0;
}

} // namespace demo
