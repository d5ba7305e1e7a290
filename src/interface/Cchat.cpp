// Cchat: construction and deletion of an instance and its operation table.
#include "interface/Cchat.h"

#include "module/ModuleState.h"
#include "interface/SavePath.h"
#include "qxskin7.h"
#include "trace/Trace.h"
#include "window/MainChatDlg.h"
#include "window/MessageContainer.h"

Cchat::Cchat(HWND hWndParent)
    : m_hWndParent(hWndParent),
      m_transcript({[this] { return MessageList(); }, [this] { return m_pDlg->Features().m_dwFeature1; },
                    [this] { return m_lMeetingType; }, [this] { return m_hWndParent; }}) {
    // The dialog object does not read resources in its constructor; creating it before the
    // resource library is loaded means a failed construction leaves no library behind.
    m_pDlg = std::make_unique<CMainChatDlg>();
    const std::wstring folder = QxModuleFolder();
    m_hResLibrary = LoadLibraryW((folder + L"qxres_lite.dll").c_str());
    if (!m_hResLibrary) m_hResLibrary = LoadLibraryW((folder + L"qxres.dll").c_str());
    QxSetResourceModule(m_hResLibrary ? m_hResLibrary : QxThisModule());
    QxAddResourceUser();
    SkinSetResourceModule(QxResourceModule());
}

Cchat::~Cchat() {
    DestroyInstanceWindow();
    m_pDlg.reset();
    // The last instance's library is about to be freed: neither this module nor the skins keep
    // its handle (the skins keep whatever they are given).
    if (QxReleaseResourceUser()) SkinSetResourceModule(nullptr);
    if (m_hResLibrary) FreeLibrary(m_hResLibrary);
}

bool Cchat::DialogWindowExists() const {
    return m_pDlg && m_pDlg->HasWindow();
}

CMessageWindow* Cchat::MessageList() const {
    if (!DialogWindowExists() || !m_pDlg->Controls().m_hMessageWnd) return nullptr;
    return QxMessageList(m_pDlg->Controls().m_hMessageWnd);
}

LONG Cchat::SaveChat(LONG bSaveAs) {
    return bSaveAs ? m_transcript.SaveAs() : m_transcript.Save();
}
LONG Cchat::AutoSaveChat() {
    return m_transcript.AutoSave();
}
LONG Cchat::SaveChatTo(const wchar_t* lpszFileName) {
    return m_transcript.SaveTo(lpszFileName);
}

LONG Cchat::SetSaveChatFileName(const wchar_t* lpszFileName) {
    m_transcript.SetSaveChatFileName(lpszFileName);
    return 0;
}

LONG Cchat::SetAutoSavePath(const wchar_t* lpszFolder) {
    m_transcript.SetAutoSavePath(lpszFolder);
    return 0;
}

LONG Cchat::PrintChat() {
    m_transcript.Print();
    return 0;
}

LONG Cchat::SetBrowserType(LONG lBrowserType) {
    m_pDlg->SetBrowserType(lBrowserType);
    return 0;
}

LONG Cchat::SetMeetingType(LONG lMeetingType) {
    m_lMeetingType = lMeetingType;
    if (m_pDlg) m_pDlg->SetMeetingType(lMeetingType);
    return 0;
}

LONG Cchat::AllowUserInput(LONG lInputPermission) {
    m_pDlg->AllowUserInput(lInputPermission);
    return 0;
}

LONG Cchat::ShowUserList(LONG lUserListPermission) {
    m_pDlg->ShowUserList(lUserListPermission);
    return 0;
}

LONG Cchat::QuitApp(LONG /*lReserved*/) {
    if (DialogWindowExists()) m_pDlg->CloseRecipientDropDown();
    return 0;
}

LONG Cchat::SetPrivilege(LONG lBit) {
    m_pDlg->SetPrivilege(static_cast<DWORD>(lBit));
    return 0;
}

LONG Cchat::SetRosterStatus(LONG lNeedRosterInfo, LONG lBroadcastRosterInfo, LONG /*lReserved*/) {
    m_pDlg->SetRosterStatus(lNeedRosterInfo, lBroadcastRosterInfo);
    return 0;
}

LONG Cchat::SetSoundPreference(LONG lNeedPlaySound, const wchar_t* lpszSoundFileName, LONG lOptionValue,
                               LONG lhWnd, LONG lCurTabIndex) {
    if (DialogWindowExists())
        m_pDlg->SetSoundPreference(lNeedPlaySound, lpszSoundFileName, lOptionValue, lhWnd, lCurTabIndex);
    return 0;
}

LONG Cchat::SetUserType(LONG nUserType) {
    m_pDlg->SetUserType(nUserType);
    return 0;
}

LONG Cchat::Chat1(const wchar_t* lpszServerAddress, LONG confHandle, LONG lChatRoomId,
                  const wchar_t* lpszUserName, LONG userHandle, const wchar_t* lpszUserInfo) {
    if (DialogWindowExists()) {
        // The dialog object holds one window: a second start would orphan the first.
        Trace(L"Fail: Cchat::Chat1, already started.");
        return 1;
    }
    // The export has copied the strings for the duration of the call; the dialog keeps its own.
    m_pDlg->SetConnectionParams(lpszServerAddress, confHandle, lChatRoomId, lpszUserName, userHandle,
                                lpszUserInfo, &m_recording);
    m_pDlg->SetRosters(static_cast<DWORD>(m_lRoster));
    if (!m_pDlg->Create(m_hWnd)) {
        Trace(L"Fail: Cchat::Chat1, Create.");
        return 1;
    }
    return 0;
}

LONG Cchat::GetSaveChatState(LONG* plState) {
    if (plState) *plState = m_transcript.SaveState();
    return 0;
}

LONG Cchat::LoadChat() {
    m_transcript.Load();
    return 0;
}

LONG Cchat::EditChat(LONG lNotifyCode) {
    if (DialogWindowExists()) m_pDlg->EditChat(lNotifyCode);
    return 0;
}

LONG Cchat::SetQxConfMgr(void* /*pQxConfMgr*/) {
    return 0;
}

LONG Cchat::ChatToAttendee(DWORD dwNodeId) {
    return m_pDlg->ChatToAttendee(dwNodeId);
}
LONG Cchat::ChatToGroup(LONG nGroupType, LONG GroupID) {
    return m_pDlg->ChatToGroup(nGroupType, GroupID);
}
LONG Cchat::ChatToGroupEx(LONG nGroupIndex) {
    return m_pDlg->ChatToGroupEx(nGroupIndex);
}

LONG Cchat::GetMaxMinWidth(LONG bIsMax, LONG* plWidth) {
    if (plWidth) *plWidth = m_pDlg->GetMaxMinWidth(bIsMax);
    return 0;
}

LONG Cchat::GetSavedFileName(wchar_t* lpszFileName, LONG reserved) {
    if (!m_pDlg) return QXCHAT_SAVED_NAME_OK;
    if (!lpszFileName) return QXCHAT_SAVED_NAME_NONE;
    return QxCopyShortFileName(m_transcript.FileName(), lpszFileName, reserved);
}

LONG Cchat::ServerSideRecordingStatus(DWORD dwStatus) {
    m_recording.m_dwStatus = dwStatus;
    return 0;
}

LONG Cchat::SetServerSideRecordingProvider(void* pSink, LONG bNeedWriInfo) {
    m_recording.m_pSink = static_cast<IQxRecordingProvider*>(pSink);
    m_recording.m_bNeedWriInfo = bNeedWriInfo;
    return 0;
}
