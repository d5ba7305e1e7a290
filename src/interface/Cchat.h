// Cchat: one chat component instance, the object behind the host's instance handle. It owns the
// chat dialog object (CMainChatDlg), the instance window that hosts the dialog inside the
// host's window, and the hook on the host's window that makes the panel follow its size.
#pragma once

#include <windows.h>
#include <memory>

#include "engine/ServerRecording.h"
#include "qxchat.h"
#include "transcript/Transcript.h"

class CMainChatDlg;

class Cchat {
public:
    // Throws std::bad_alloc when memory runs out (QxNewInstance turns that into 0).
    explicit Cchat(HWND hWndParent);
    Cchat(const Cchat&) = delete;
    Cchat& operator=(const Cchat&) = delete;

    // The window framework's four slots.
    virtual BOOL ProcessWindowMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, LRESULT& lResult);
    virtual WNDPROC GetWindowProc();
    virtual void OnFinalMessage(HWND hWnd);
    virtual ~Cchat();

    // The instance's operation table, in slot order.
    virtual LONG SaveChat(LONG bSaveAs);
    virtual LONG AutoSaveChat();
    virtual LONG SetSaveChatFileName(const wchar_t* lpszFileName);
    virtual LONG SetAutoSavePath(const wchar_t* lpszFolder);
    virtual LONG PrintChat();
    virtual LONG SetBrowserType(LONG lBrowserType);
    virtual LONG SetMeetingType(LONG lMeetingType);
    virtual LONG AllowUserInput(LONG lInputPermission);
    virtual LONG ShowUserList(LONG lUserListPermission);
    virtual LONG QuitApp(LONG lReserved);
    virtual LONG SetPrivilege(LONG lBit);
    virtual LONG SetRosterStatus(LONG lNeedRosterInfo, LONG lBroadcastRosterInfo, LONG lReserved);
    virtual LONG SetSoundPreference(LONG lNeedPlaySound, const wchar_t* lpszSoundFileName, LONG lOptionValue,
                                    LONG lhWnd, LONG lCurTabIndex);
    virtual LONG SetUserType(LONG nUserType);
    virtual LONG Chat1(const wchar_t* lpszServerAddress, LONG confHandle, LONG lChatRoomId,
                       const wchar_t* lpszUserName, LONG userHandle, const wchar_t* lpszUserInfo);
    virtual LONG GetSaveChatState(LONG* plState);
    virtual LONG LoadChat();
    virtual LONG EditChat(LONG lNotifyCode);
    virtual LONG SetQxConfMgr(void* pQxConfMgr);
    virtual LONG ChatToAttendee(DWORD dwNodeId);
    virtual LONG ChatToGroup(LONG nGroupType, LONG GroupID);
    virtual LONG ChatToGroupEx(LONG nGroupIndex);
    virtual LONG GetMaxMinWidth(LONG bIsMax, LONG* plWidth);
    virtual LONG GetSavedFileName(wchar_t* lpszFileName, LONG reserved);
    virtual LONG SaveChatTo(const wchar_t* lpszFileName);
    virtual LONG ServerSideRecordingStatus(DWORD dwStatus);
    virtual LONG SetServerSideRecordingProvider(void* pSink, LONG bNeedWriInfo);

    // Creates the instance window over the parent's client area. Failure is not reported.
    void CreateInstanceWindow();
    void DestroyInstanceWindow();
    HWND GetHwnd() const { return m_hWnd; }

    CMainChatDlg* Dialog() const { return m_pDlg.get(); }
    CTranscript& Transcript() { return m_transcript; }
    HWND HostWindow() const { return m_hWndParent; }
    LONG Roster() const { return m_lRoster; }
    void SetRoster(LONG lRoster) { m_lRoster = lRoster; }
    LONG MeetingType() const { return m_lMeetingType; }
    DWORD RecordingStatus() const { return m_recording.m_dwStatus; }
    // GetServerSideRecordingStatus: 1 (SSR_STATUS_TPRECORDING), 2 and 3 are recording states.
    DWORD GetServerSideRecordingStatus() const { return m_recording.m_dwStatus; }
    IQxRecordingProvider* RecordingProvider() const { return m_recording.m_pSink; }
    LONG NeedWriInfo() const { return m_recording.m_bNeedWriInfo; }

    // Unregisters the instance window class (module stop).
    static void UnregisterWindowClass();

private:
    struct ParentHook {
        HWND m_hWnd = nullptr; // the host's parent window
        BOOL m_bInstalled = FALSE;
        Cchat* m_pOwner = nullptr;
    };

    static LRESULT CALLBACK InstanceWindowProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
    static LRESULT DispatchInstanceMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK ParentHookProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam, UINT_PTR uId,
                                           DWORD_PTR dwRefData);
    LRESULT OnParentMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
    void InstallParentHook();
    void RemoveParentHook();
    void FitToParent();
    void FitDialog();
    BOOL OnServiceNotify(WPARAM wParam);
    LRESULT OnNotify(NMHDR* pHdr, BOOL& bHandled);
    bool DialogWindowExists() const;
    // The dialog's message list; null while the dialog window does not exist.
    CMessageWindow* MessageList() const;

    // Window part.
    HWND m_hWnd = nullptr;
    WNDPROC m_pfnSuperWindowProc = nullptr;
    HWND m_hWndOwnerParent = nullptr;
    RECT m_rcParent = {};
    // Recording, read by the dialog.
    ServerRecordingState m_recording;
    ParentHook m_hook;
    std::unique_ptr<CMainChatDlg> m_pDlg;
    HWND m_hWndParent = nullptr;
    LONG m_lRoster = 0;
    LONG m_lMeetingType = 0;
    // The resource library this instance loaded, freed with it.
    HMODULE m_hResLibrary = nullptr;
    CTranscript m_transcript;
};

// QxNewInstance's work: construct, create the instance window, attach to the UI library, give
// the dialog its file-dialog owner. Throws std::bad_alloc when memory runs out.
Cchat* QxCreateInstance(HWND hWndParent);
// QxDeleteInstance's work: detach from the UI library, destroy the window, delete. Null does
// nothing.
void QxDestroyInstance(Cchat* pChat);
