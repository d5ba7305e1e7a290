// A chat instance in its own host window on a bench conference, driven as a host and a user do.
#pragma once

#include "BenchHost.h"
#include "interface/Cchat.h"
#include "window/MainChatDlg.h"
#include "window/MessageContainer.h"
#include "window/MessageWindow.h"

#include "qxchat.h"

#include <windows.h>
#include <string>

namespace bench {

constexpr LONG kConference = 11;
constexpr LONG kRoom = 4;
constexpr UINT kSendButton = 102;

struct Member {
    HWND hHost = nullptr;
    QXHCOMPONENT h = 0;

    Member(const wchar_t* lpszServer, const wchar_t* lpszName, int x, DWORD dwFeature = 0,
           LONG lConference = kConference) {
        hHost = MakeHost(x);
        h = QxNewInstance(hHost);
        if (dwFeature) ChSelectFeature(h, dwFeature, 0, 0, 0, 0, nullptr);
        ChSetPrivilege(h, 0x1FF);
        ChSetRosters(h, QXCHAT_ROLE_ATTENDEE);
        ChAddGroup(h, 0, CHAT_ROLE_GROUP, CHAT_ALL_USERS_ROLE_GROUP, L"Everyone", 1, 1, 0, nullptr, 0, 0);
        ChChat1(h, lpszServer, lConference, kRoom, lpszName, 1, L"");
    }
    ~Member() {
        QxDeleteInstance(h);
        DestroyWindow(hHost);
    }
    Member(const Member&) = delete;
    Member& operator=(const Member&) = delete;

    CMainChatDlg* Dlg() const { return reinterpret_cast<Cchat*>(h)->Dialog(); }
    CMessageWindow* List() const { return QxMessageList(Dlg()->Controls().m_hMessageWnd); }
    int Items() const { return List() ? List()->GetItemCount() : 0; }
    bool Ready() const {
        const CUsersGroup* p = Dlg()->CacheGroups().FindById(CHAT_ALL_USERS_ROLE_GROUP);
        HWND hSend = Dlg()->Controls().m_hSend;
        return p && p->m_bSubscribed && !Dlg()->Status().m_bInRecovery && hSend && IsWindowEnabled(hSend);
    }
    // The typing, which the benches do not count as part of the send.
    void Type(const std::wstring& text) const { SetWindowTextW(Dlg()->Controls().m_hInput, text.c_str()); }
    void ClickSend() const {
        SendMessageW(Dlg()->GetHwnd(), WM_COMMAND, MAKEWPARAM(kSendButton, BN_CLICKED),
                     reinterpret_cast<LPARAM>(Dlg()->Controls().m_hSend));
    }
};

} // namespace bench
