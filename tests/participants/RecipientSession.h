// One chat instance of the session fixture, enrolled on the embedded conference without groups,
// with helpers to feed roster changes and to read the recipient box as the user sees it.
#pragma once

#include "window/MainChatDlg.h"

#include "ChatMember.h"
#include "qxchat.h"

#include <memory>
#include <string>
#include <vector>

namespace recipienttest {

struct Person {
    DWORD dwNodeId;
    DWORD dwUserId;
    std::string strName;
    DWORD dwRoles = 8;
    DWORD dwUserType = 0;
};

struct Entry {
    std::wstring strText;
    const ChatItemData* pData;
};

class Session {
public:
    // Configuration before ChChat1 (feature word, privileges, event commands) is applied by
    // the caller through Before; the session then starts and waits for enrollment.
    explicit Session(DWORD dwFeature = 0, DWORD dwPrivilege = 0x1FF, DWORD dwRoles = 8);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    QXHCOMPONENT H() const { return m_member->H(); }
    CMainChatDlg* Dlg() const { return m_member->Dlg(); }
    HWND Box() const;
    HWND Dialog() const { return m_member->Dialog(); }
    // Participants arrive in one roster change / leave.
    void Arrive(const std::vector<Person>& people);
    void Leave(const std::vector<DWORD>& nodeIds);
    std::vector<Entry> Entries() const;
    std::vector<std::wstring> Texts() const;
    // Texts of the entries listed under the group with this id, up to the next group entry.
    std::vector<std::wstring> MembersUnder(int nGroupId) const;
    // Index of the first group entry with this id, -1 if none.
    int GroupEntry(int nGroupId) const;
    int Selected() const;

    static constexpr DWORD kRoom = 5;

private:
    std::unique_ptr<qxtest::ChatMember> m_member;
};

} // namespace recipienttest
