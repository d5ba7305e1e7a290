// The demo meeting host's shared state: the meeting window, one frame per participant with the
// chat panel inside it, and what each frame was told by its chat instance.
#pragma once

#include "QxChatApi.h"

#include <windows.h>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace demo {

constexpr int kMaxParticipants = 3;
constexpr int kStageWidth = 250;    // the meeting's stage area left of the panels
constexpr int kFrameWidth = 310;    // one participant's frame
constexpr int kCaptionHeight = 28;  // the frame's caption above its chat panel
constexpr int kMeetingHeight = 640; // client height of the meeting window
constexpr int kMeetingMargin = 20;  // around the meeting window on the screen
constexpr int kPhraseBox = 109;     // the chat dialog's quick-phrase box
constexpr int kRecipientBox = 108;  // and its "Send to:" box
constexpr wchar_t kListClass[] = L"QxChatMessageList";
constexpr LONG kMeetingTypeOrdinary = 1;
constexpr LONG kTypingLimit = 10; // participants that still get typing indications

// A message the panel told its frame it showed.
struct Shown {
    DWORD dwNodeId;
    std::wstring text;
};

// A recipient group the host offers besides everyone.
struct GroupEntry {
    LONG lId;
    std::wstring name;
};

struct Participant {
    std::wstring name;
    std::wstring role;  // shown in the frame's caption
    COLORREF color = 0; // the caption's colour
    LONG lRoles = QXCHAT_ROLE_ATTENDEE;
    LONG lPrivilege = QXCHAT_PRIV_ALL;
    DWORD dwFeatures = QXCHAT_FEATURE_ENROLL_FEEDBACK;
    LONG lMeetingType = kMeetingTypeOrdinary;
    LONG lUserType = QXCHAT_USER_TYPE_NONE;
    bool bAllowInput = true;
    std::vector<GroupEntry> groups;
    std::vector<std::pair<DWORD, std::wstring>> configs; // ChSetConfig before the start
    std::wstring waitingText;                            // drawn in the frame while there is no chat panel

    HWND hFrame = nullptr;
    HWND hPanel = nullptr; // the instance's parent window
    QXHCOMPONENT hChat = 0;
    std::vector<Shown> shown;
    int nEnrolled = 0;
    int nFailed = 0;
    int nCacheNotices = 0;

    bool HasShown(const std::wstring& text) const;
    size_t CountShown(const std::wstring& text) const;
};

// Someone the host was told types, as drawn in the stage area.
struct TypingState {
    int nFrame; // the frame whose instance told it
    DWORD dwNode;
    LONG lState; // QXCHAT_TYPING_STARTED or _STOPPED
};

struct HostState {
    QxChatApi api;
    HINSTANCE hInstance = nullptr;
    HWND hMeeting = nullptr;
    std::wstring server = L"127.0.0.1";
    LONG lConference = 1;
    int nParticipant = -1; // one participant per process; -1: all in this one
    int nFrames = kMaxParticipants;
    Participant people[kMaxParticipants];
    std::wstring stageTitle = L"Meeting stage";
    std::wstring stageDetail;
    std::vector<TypingState> typing;
    std::map<DWORD, std::wstring> nodeNames; // learnt from the messages shown
};
extern HostState g_host;

// Meeting window and frames (MeetingWindow.cpp).
bool RegisterHostClasses(HINSTANCE hInstance);
bool CreateMeetingWindow(int nCmdShow);
void CreatePanel(Participant& p);
void DestroyPanel(Participant& p);
void SetStage(const std::wstring& title, const std::wstring& detail);
void Repaint();
HWND FindChatDialog(const Participant& p);
HWND FindMessageList(const Participant& p);
bool PanelsPainted();
std::wstring NameOfNode(DWORD dwNode);

// Chat instances (DemoChat.cpp).
// Ann the host, Ben the presenter (without the right to read the hosts' group) and Cy the
// attendee of an ordinary meeting, each with typing indications; Cy reads back what he missed.
void CastMeeting();
bool StartChat(Participant& p, LONG lConference);
bool WaitUntilReady(Participant& p);
void EndChat(Participant& p);
bool SendLine(Participant& p, const std::wstring& text);
bool SayToGroup(Participant& p, LONG lGroup, const std::wstring& text);
bool WaitShown(const std::vector<Participant*>& who, const std::wstring& text, DWORD timeoutMs);
// The entries of the "Send to:" box, without their indentation; picking one as a user does.
std::vector<std::wstring> RecipientNames(const Participant& p);
bool SelectRecipient(Participant& p, const std::wstring& name);
// Types the text key by key, as a user does (the panel notices typing that way).
void TypeInto(HWND hInput, const std::wstring& text);
// What a frame's instance last told of a node's typing, null when nothing.
const TypingState* TypingOf(int nFrame, DWORD dwNode);
bool WriteShot(const std::wstring& path);
int Fail(const std::wstring& what);

// One participant per process (ProcessMeeting.cpp): 0 Ann, 1 Ben, 2 Cy (who joins late), 3 Dee.
constexpr int kProcessParticipants = 4;
std::wstring ParticipantName(int n);
void ConfigureProcessParticipant();
int RunProcessParticipant(); // 0 when this process's panel showed what it should

// The scripted meeting (DemoScript.cpp): 0 when every stage showed what it should.
int RunScriptedMeeting(const std::wstring& folder, const std::wstring& finalShot);

} // namespace demo
