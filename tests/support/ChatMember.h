// The session fixture: chat instances, each in its own host window (also its service window),
// driven through the exports, all on one embedded conference. The helpers read what the user
// would see: the message list's items and the input box. A test that links it compiles the
// export bodies in (QXCHAT_EXPORT_SOURCES), so that the instances behind the handles can be read.
#pragma once

#include "window/MainChatDlg.h"

#include "TestControl.h"
#include "WindowTestUtil.h"
#include "qxchat.h"

#include <initializer_list>
#include <string>
#include <vector>

namespace qxtest {

struct MemberConfig {
    MemberConfig(const wchar_t* lpszName, DWORD dwFeatureBits = 0)
        : strName(lpszName), dwFeature(dwFeatureBits) {}
    MemberConfig& Groups(std::vector<int> ids) {
        extraGroups = std::move(ids);
        return *this;
    }
    MemberConfig& Typing(LONG lLimit) {
        lTypingLimit = lLimit;
        return *this;
    }
    MemberConfig& Roles(DWORD dwRoleBits) {
        dwRoles = dwRoleBits;
        return *this;
    }
    MemberConfig& Privilege(DWORD dwPrivilegeBits) {
        dwPrivilege = dwPrivilegeBits;
        return *this;
    }
    // No groups before the start (so no group cache to name), no service window.
    MemberConfig& Bare() {
        bEveryoneGroup = false;
        bServiceWindow = false;
        return *this;
    }
    // The conference handle and chat room of ChChat1.
    MemberConfig& Meeting(LONG lConferenceHandle, LONG lChatRoom) {
        lConference = lConferenceHandle;
        lRoom = lChatRoom;
        return *this;
    }

    std::wstring strName;
    DWORD dwFeature;
    LONG lTypingLimit = 0; // lParam2 of ChSelectFeature
    DWORD dwRoles = QXCHAT_ROLE_ATTENDEE;
    DWORD dwPrivilege = 0x1FF;
    // Groups added before the start: the everyone group unless bare, these besides.
    std::vector<int> extraGroups;
    bool bEveryoneGroup = true;
    bool bServiceWindow = true; // the host window is the service window
    LONG lConference = 9;
    LONG lRoom = 3;
};

class ChatMember {
public:
    // Configures the instance; Start connects it.
    explicit ChatMember(const MemberConfig& config);
    ~ChatMember();
    ChatMember(const ChatMember&) = delete;
    ChatMember& operator=(const ChatMember&) = delete;

    // ChChat1 on the embedded conference; its result.
    LONG Start();
    void Delete();

    QXHCOMPONENT H() const { return m_h; }
    CMainChatDlg* Dlg() const;
    HWND Input() const { return Dlg()->Controls().m_hInput; }
    HWND Dialog() const { return Dlg()->GetHwnd(); }
    TestHostWindow& Host() { return m_host; }
    DWORD UserId() const { return Dlg()->OwnUser().m_dwOwnUserId; }
    DWORD NodeId() const { return Dlg()->OwnUser().m_dwOwnNodeId; }
    const std::wstring& Name() const { return m_config.strName; }

    // Caches named, the everyone group's cache subscribed, no recovery open, input enabled.
    bool IsReady() const;
    // The message texts (kind 2 items) and header lines (kind 1) in list order.
    std::vector<std::wstring> Texts() const;
    std::vector<std::wstring> Headers() const;
    // The notice lines (kind 3) the engine showed.
    std::vector<std::wstring> Notices() const;
    // The message list's items of one kind, in list order.
    std::vector<std::wstring> ItemsOfKind(DWORD dwKind) const;
    int ItemCount() const;

    // Choosing the recipient as the host does.
    void ToGroup(int nGroupId);
    void ToUser(const ChatMember& other);
    // Types the text into the input box and clicks "Send".
    void Say(const std::wstring& strText);
    // The input box's whole text (it holds up to 1000 characters).
    std::wstring InputText() const;

private:
    MemberConfig m_config;
    TestHostWindow m_host;
    QXHCOMPONENT m_h = 0;
};

// Pumps until every member is ready.
bool PumpUntilReady(std::initializer_list<const ChatMember*> members, DWORD timeoutMs = 5000);
// Pumps until the member's texts are exactly these.
bool PumpUntilTexts(const ChatMember& member, const std::vector<std::wstring>& texts, DWORD timeoutMs = 5000);

} // namespace qxtest

namespace msgtest = qxtest;
