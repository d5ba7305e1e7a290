// Driving one chat instance as the meeting host does: configuring and starting it through the
// exports, and saying lines as a user does, typed into the input box and sent with Send.
#include "DemoHost.h"
#include "MessagePump.h"
#include "PngWriter.h"
#include "Screenshot.h"

#include <cstdio>

namespace demo {

namespace {
constexpr DWORD kReadyTimeoutMs = 10000;
constexpr DWORD kLineTimeoutMs = 5000;
constexpr DWORD kRetryMs = 100;
constexpr DWORD kPaintTimeoutMs = 10000;
// A message list lays out and paints what arrived on a timer of its own (300 ms): a screenshot
// waits for two of its periods, so that the lists show everything the panels reported.
constexpr DWORD kListSettleMs = 600;
struct CastEntry {
    const wchar_t* lpszName;
    const wchar_t* lpszRole;
    COLORREF color;
    LONG lRoles;
    LONG lPrivilege;
    DWORD dwFeatures;
};

constexpr DWORD kMeetingFeatures = QXCHAT_FEATURE_ENROLL_FEEDBACK | QXCHAT_FEATURE_TYPING;
const CastEntry kCast[kMaxParticipants] = {
    {L"Ann", L"host", RGB(0x1F, 0x5F, 0xA8), QXCHAT_ROLE_HOST, QXCHAT_PRIV_ALL, kMeetingFeatures},
    {L"Ben", L"presenter", RGB(0x2E, 0x7D, 0x32), QXCHAT_ROLE_PRESENTER,
     QXCHAT_PRIV_ALL & ~QXCHAT_PRIV_FULL_A, kMeetingFeatures},
    {L"Cy", L"attendee", RGB(0xB2, 0x5E, 0x09), QXCHAT_ROLE_ATTENDEE,
     QXCHAT_PRIV_ATTENDEES | QXCHAT_PRIV_CHAT_HOST | QXCHAT_PRIV_CHAT_PRESENTER,
     kMeetingFeatures | QXCHAT_FEATURE_RECOVERY},
};
} // namespace

void CastMeeting() {
    for (int i = 0; i < kMaxParticipants; ++i) {
        Participant& p = g_host.people[i];
        const CastEntry& c = kCast[i];
        p.name = c.lpszName;
        p.role = c.lpszRole;
        p.color = c.color;
        p.lRoles = c.lRoles;
        p.lPrivilege = c.lPrivilege;
        p.dwFeatures = c.dwFeatures;
        p.lMeetingType = kMeetingTypeOrdinary;
        p.lUserType = QXCHAT_USER_TYPE_NONE;
        p.bAllowInput = true;
        p.groups.clear();
        p.configs.clear();
    }
    g_host.people[0].groups = {{QXCHAT_GROUP_HOSTS, L"Hosts"}};
}

bool StartChat(Participant& p, LONG lConference) {
    QxChatApi& api = g_host.api;
    CreatePanel(p);
    p.shown.clear();
    p.nEnrolled = p.nFailed = p.nCacheNotices = 0;
    p.hChat = api.QxNewInstance(p.hPanel);
    if (!p.hChat) return false;
    api.ChSetMeetingType(p.hChat, p.lMeetingType);
    api.ChSelectFeature(p.hChat, p.dwFeatures, 0, 0, kTypingLimit, 0, nullptr);
    api.ChSetEventConfig(p.hChat, QXCHAT_EVT_SERVICE_WINDOW,
                         static_cast<LONG>(reinterpret_cast<LONG_PTR>(p.hFrame)), 0, nullptr);
    api.ChSetPrivilege(p.hChat, p.lPrivilege);
    api.ChSetRosters(p.hChat, p.lRoles);
    api.ChAddGroup(p.hChat, 0, QXCHAT_GROUP_TYPE_ROLE, QXCHAT_GROUP_EVERYONE, L"Everyone", 1, 1, 0, nullptr,
                   0, 0);
    LONG nAt = 1;
    for (const GroupEntry& g : p.groups)
        api.ChAddGroup(p.hChat, nAt++, QXCHAT_GROUP_TYPE_ROLE, g.lId, g.name.c_str(), 1, 0, 0, nullptr, 0, 0);
    if (p.lUserType != QXCHAT_USER_TYPE_NONE) api.ChSetUserType(p.hChat, p.lUserType);
    for (const auto& config : p.configs)
        if (api.ChSetConfig(p.hChat, config.first, config.second.c_str()) != 1) return false;
    api.ChSetRosterStatus(p.hChat, 1, 1, 0);
    api.ChAllowUserInput(p.hChat, p.bAllowInput ? 1 : 0);
    api.ChShowUserList(p.hChat, 1);
    return api.ChChat1(p.hChat, g_host.server.c_str(), lConference, 1, p.name.c_str(), 1, L"demo host") ==
               0 &&
           FindChatDialog(p) != nullptr;
}

// A participant has joined the chat once it enrolled and the conference confirmed its first
// cache write (its user information, written after it asked for its subscriptions).
bool WaitUntilReady(Participant& p) {
    return PumpUntil([&] { return (p.nEnrolled > 0 && p.nCacheNotices > 0) || p.nFailed > 0; },
                     kReadyTimeoutMs) &&
           p.nFailed == 0;
}

void EndChat(Participant& p) {
    if (p.hChat) g_host.api.QxDeleteInstance(p.hChat);
    p.hChat = 0;
    DestroyPanel(p);
}

// Types the text into the input box and clicks Send. A send before the chat's caches are ready
// leaves the text in the box: the host then tries again a little later.
bool SendLine(Participant& p, const std::wstring& text) {
    HWND hDlg = FindChatDialog(p);
    HWND hInput = GetDlgItem(hDlg, QXCHAT_CONTROL_INPUT), hSend = GetDlgItem(hDlg, QXCHAT_CONTROL_SEND);
    if (!hInput || !hSend) return false;
    const DWORD dwStart = GetTickCount();
    while (GetTickCount() - dwStart < kLineTimeoutMs) {
        if (PumpUntil([&] { return IsWindowEnabled(hSend) != FALSE; }, kLineTimeoutMs)) {
            if (!text.empty()) SetWindowTextW(hInput, text.c_str());
            SendMessageW(hDlg, WM_COMMAND, MAKEWPARAM(QXCHAT_CONTROL_SEND, BN_CLICKED),
                         reinterpret_cast<LPARAM>(hSend));
            if (GetWindowTextLengthW(hInput) == 0) return true;
        }
        PumpUntil([] { return false; }, kRetryMs);
    }
    return false;
}

bool SayToGroup(Participant& p, LONG lGroup, const std::wstring& text) {
    g_host.api.ChChatToGroup(p.hChat, QXCHAT_GROUP_TYPE_ROLE, lGroup);
    return SendLine(p, text);
}

bool WaitShown(const std::vector<Participant*>& who, const std::wstring& text, DWORD timeoutMs) {
    return PumpUntil(
        [&] {
            for (const Participant* p : who)
                if (!p->HasShown(text)) return false;
            return true;
        },
        timeoutMs);
}

namespace {
std::wstring ComboText(HWND hBox, int nIndex) {
    const LRESULT n = SendMessageW(hBox, CB_GETLBTEXTLEN, nIndex, 0);
    if (n == CB_ERR) return L"";
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    SendMessageW(hBox, CB_GETLBTEXT, nIndex, reinterpret_cast<LPARAM>(&text[0]));
    text.resize(static_cast<size_t>(n));
    return text;
}
} // namespace

std::vector<std::wstring> RecipientNames(const Participant& p) {
    HWND hBox = GetDlgItem(FindChatDialog(p), kRecipientBox);
    const int nCount = hBox ? static_cast<int>(SendMessageW(hBox, CB_GETCOUNT, 0, 0)) : 0;
    std::vector<std::wstring> names;
    for (int i = 0; i < nCount; ++i) {
        std::wstring text = ComboText(hBox, i);
        text.erase(0, text.find_first_not_of(L' ')); // members are indented under their group
        names.push_back(text);
    }
    return names;
}

bool SelectRecipient(Participant& p, const std::wstring& name) {
    HWND hDlg = FindChatDialog(p);
    HWND hBox = GetDlgItem(hDlg, kRecipientBox);
    const std::vector<std::wstring> names = RecipientNames(p);
    for (size_t i = 0; i < names.size(); ++i) {
        if (names[i] != name) continue;
        SendMessageW(hBox, CB_SETCURSEL, static_cast<WPARAM>(i), 0);
        SendMessageW(hDlg, WM_COMMAND, MAKEWPARAM(kRecipientBox, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(hBox));
        return true;
    }
    return false;
}

void TypeInto(HWND hInput, const std::wstring& text) {
    for (wchar_t ch : text)
        SendMessageW(hInput, WM_CHAR, ch, 1);
}

const TypingState* TypingOf(int nFrame, DWORD dwNode) {
    for (const TypingState& t : g_host.typing)
        if (t.nFrame == nFrame && t.dwNode == dwNode) return &t;
    return nullptr;
}

bool WriteShot(const std::wstring& path) {
    PumpUntil([] { return false; }, kListSettleMs);
    if (!PumpUntil(PanelsPainted, kPaintTimeoutMs))
        return Fail(L"the chat panels did not paint in time") == 0;
    RedrawWindow(g_host.hMeeting, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    const ScreenImage image = CaptureWindowArea(g_host.hMeeting);
    if (image.rgb.empty() || !WritePngFile(path, image.width, image.height, image.rgb))
        return Fail(L"cannot write the screenshot " + path) == 0;
    return true;
}

int Fail(const std::wstring& what) {
    OutputDebugStringW(what.c_str());
    fwprintf(stderr, L"qxhost: %ls\n", what.c_str());
    fflush(stderr);
    return 1;
}

} // namespace demo
