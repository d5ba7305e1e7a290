// CMainChatDlg: the chat dialog and the conference engine behind it. One object per instance,
// created with the instance; its window is created by Chat1 from dialog template 1000.
//
// The window side lives in src/window (dialog procedure, controls, layout), the engine side in
// src/engine (configuration commands, the connection chain, the roster, host notification). State
// is grouped in the plain structs of engine/ChatEngineState.h; rules that need no window are plain
// functions (engine/RosterRules.h, engine/GroupSubscriptions.h, engine/EventConfig.h).
#pragma once

#include "engine/ChatEngineState.h"
#include "engine/EngineSinks.h"
#include "engine/RecoveryList.h"
#include "engine/SupportState.h"
#include "engine/TypingIndicator.h"
#include "participants/OwnUserItem.h"
#include "participants/RecipientListBatch.h"
#include "participants/UserItem.h"
#include "participants/UsersGroup.h"
#include "pdu/ChatUserInfoPDU.h"
#include "pdu/TransferMessagePDU.h"
#include "window/GdiObject.h"
#include "window/MessageFormat.h"
#include "window/RecipientBox.h"

#include <windows.h>
#include <memory>
#include <string>
#include <vector>

class CRosterInfoPDU;
class CChatXMLPDU;
class CGroupMessagePDU;
class CPrivateMessagePDU;
class CTypingIndicatorPDU;
class CMessageWindow;

// Controls of the dialog once attached.
struct ChatDialogControls {
    HWND m_hInput = nullptr;       // IDC_INPUT
    HWND m_hSend = nullptr;        // IDC_SEND
    HWND m_hRecipient = nullptr;   // IDC_RECIPIENT
    HWND m_hSendToLabel = nullptr; // IDC_SEND_TO_LABEL
    HWND m_hPhraseLabel = nullptr; // IDC_PHRASE_LABEL
    HWND m_hHidden104 = nullptr;
    HWND m_hHidden106 = nullptr;
    HWND m_hMessageWnd = nullptr; // the message container
    HWND m_hPhraseBox = nullptr;  // the quick-phrase box, when it exists
    HWND m_hSendTooltip = nullptr;
};

// Drawing objects and texts the dialog keeps.
struct ChatDialogResources {
    GdiFont m_fontNormal;
    GdiFont m_fontSemibold;
    GdiBrush m_brushBackground; // #D7D7D7, only with a resource library
    std::wstring m_strSendTip;
    std::wstring m_strPrivateChatLabel; // resource string 1437
};

class CMainChatDlg : public IRecipientListOwner {
public:
    CMainChatDlg();
    ~CMainChatDlg();
    CMainChatDlg(const CMainChatDlg&) = delete;
    CMainChatDlg& operator=(const CMainChatDlg&) = delete;

    // --- window side (src/window) ---
    // Creates the modeless dialog from template 1000 of the resource module as a child of
    // hParent. Null on failure.
    HWND Create(HWND hParent);
    HWND GetHwnd() const { return m_hWnd; }
    bool HasWindow() const { return m_hWnd && IsWindow(m_hWnd); }
    void DestroyWindowIfAny();

    void SetInputUIStatus(BOOL bEnable);
    // Places the controls for the current client area and feature mask.
    void Layout();
    // Closes the open drop-down lists of the recipient box and the quick-phrase box.
    void CloseDropDowns();
    // Shows or hides the notice window (template 1100), creating it on first use.
    void ShowNoticeWindow(BOOL bShow);
    // Edit commands of ChEditChat (0 copy, 1 paste, 2 cut, 3 focus).
    void EditChat(LONG lNotifyCode);
    // Sends the three edit-command state messages to the parent.
    void EditCommandState();
    const ChatDialogControls& Controls() const { return m_ctl; }

    // --- the window side's operations on the controls (window/DialogControls.cpp): the only way
    // the engine reaches them. Each does nothing, or answers "none", while its control is missing.
    // The input box and the Send button.
    BOOL HasInput() const;
    BOOL InputEnabled() const;
    // The input's text, at most the longest text a send carries.
    std::wstring InputText() const;
    int InputLength() const;
    // Puts the input prompt (resource string 1301) into the box; FALSE without the box.
    BOOL ShowInputPrompt();
    void SetInputText(const std::wstring& strText);
    void ClearInput();
    void FocusInput();
    void EnableInputBox(BOOL bEnable);
    BOOL SendButtonEnabled() const;
    void EnableSendButton(BOOL bEnable);
    void EnableSendToLabel(BOOL bEnable);
    void RedrawDialog();
    // The message list, its indication strip and the notice window.
    CMessageWindow* MessageList() const;
    void SwitchOffIndication();
    void DestroyNoticeWindow();
    // The recipient box. The recipient list (participants) works on its entries through
    // RecipientEntries(); the engine reads and changes them one by one through the others.
    IRecipientEntryList& RecipientEntries();
    const IRecipientEntryList& RecipientEntries() const;
    // Between these, the entries change in a batch that fills the box once at the end, when the
    // change of nChanges participants is large against the entries listed (a roster change of
    // thousands); a small one changes the box entry by entry. Nested pairs join the outermost.
    void BeginRecipientBatch(int nChanges);
    void EndRecipientBatch();
    BOOL RecipientBoxExists() const;
    int RecipientEntryCount() const;
    const ChatItemData* RecipientEntry(int nIndex) const;
    std::wstring RecipientEntryText(int nIndex) const;
    int SelectedRecipientIndex() const;
    const ChatItemData* SelectedRecipient() const;
    // The index the entry landed at, or -1.
    int InsertRecipientEntry(int nIndex, const std::wstring& strText, ChatItemData* pData);
    void DeleteRecipientEntry(int nIndex);
    // Replaces an entry's text in place, keeping its selection.
    void ReplaceRecipientEntry(int nIndex, const std::wstring& strText, ChatItemData* pData);
    void EmptyRecipientBox();
    void CloseRecipientDropDown();
    void RedrawRecipientBox();
    BOOL RecipientBoxEnabled() const;
    void EnableRecipientBox(BOOL bEnable);
    // Takes the controls a new feature mask brings (the quick-phrase box among them) and lays out.
    void AttachFeatureControls(DWORD dwFeature1);
    // The quick-phrase box: the selected entry's data, or null; emptying it.
    const void* SelectedPhraseData() const;
    void EmptyPhraseBox();

    // The owner of the module's file dialogs (the host window given to QxNewInstance).
    void SetFileDialogOwner(HWND hOwner) { m_hFileDialogOwner = hOwner; }
    HWND GetFileDialogOwner() const { return m_hFileDialogOwner; }

    // --- engine side (src/engine) ---
    // Connection parameters of ChChat1.
    void SetConnectionParams(const wchar_t* lpszServerAddress, LONG confHandle, LONG lChatRoomId,
                             const wchar_t* lpszUserName, LONG userHandle, const wchar_t* lpszUserInfo,
                             const ServerRecordingState* pRecording);
    // Starts the engine: called once by the dialog's initialisation.
    void Initialize();
    // Tears the connection down; safe to run more than once.
    void Cleanup();
    LONG SetRosters(DWORD dwRoster);
    LONG CallEnrollToSendMessages(LONG nSendInfo);

    // The controller's confirmations and indications (engine/Connection.cpp).
    void ConnectConfirm(short result, DWORD node_id);
    void ConferenceJoinConfirm(WORD conf_handle, const char* text, short result, DWORD value);
    void ApeAttachConfirm(DWORD apeHandle, int result, DWORD userid);
    void ApeEnrollConfirm(DWORD apehandle, short result, WORD resoruce_number,
                          const QxResourceRecord* resource_list);
    void ApeDetachIndication(DWORD a, DWORD b);
    // Sends the local roster information; true when the controller accepted the request.
    BOOL Enroll(LONG nSendInfo);
    // Brings the group cache subscriptions in line with the local user's roles.
    void SubscribeNeededGroupCaches();

    // The shared caches (engine/SharedCaches.cpp, engine/CacheRouting.cpp).
    BOOL AllocAllCacheHandles();
    int AllocNameHandleConfirm(DWORD ape_handle, DWORD handle_count, const QxCacheName* table, short result);
    void CheckChatStatus();
    int HandleChatStatusCache(DWORD cache_id, QXMEMHANDLE mem_handle, short result, DWORD cache_action);
    void SetAllCaches();
    void SetCustomerCache();
    void SetChatStatusCache();
    BOOL SendOwnUserInfoToCache();
    int SendGroupInfoToCache(DWORD dwGroupID, const std::string& strGroupName);
    int ApeCacheActionConfirmEx(DWORD ape_handle, DWORD entity_id, DWORD cache_action, short result);
    // writer_id: the item's writer as the conference reports it, 0 when not known.
    int SharedDataReceivedEx(DWORD ape_handle, DWORD cache_id, DWORD entity_id, QXMEMHANDLE mem_handle,
                             short result, DWORD cache_action, DWORD writer_id = 0);
    BOOL SubscribeGroupCache(DWORD dwGroupID, DWORD dwAction);
    BOOL UnSubscribeGroupCache(DWORD dwGroupID);
    DWORD GetGroupCacheHandle(DWORD dwGroupID) const;
    // The recovery and the customer history (engine/Recovery.cpp).
    BOOL ProcessRecovery(BOOL bGetAllHistory);
    BOOL RequestRecoveryDataForSC();
    int HandleRecovery(DWORD cache_id, DWORD entity_id, const std::string& strText, DWORD cache_action,
                       short result);
    void ParseAndShowRecoveryMessages();
    void RequestCustomerHistory();
    int HandleGetAllHistoryMessages(DWORD cache_id, DWORD entity_id, const std::string& strText);
    // The chat cannot be used: traces the reason as a failure, shows the notice (a resource
    // string) in the message list, and tells the host with the enrollment feedback (200, -1)
    // when feature bit 0x1 is set, on which the host may delete and create the instance again.
    void ReportChatUnavailable(const wchar_t* lpszReason, UINT uNoticeId = 0);
    // Shows a notice line (kind 3) in the message list, stamped with the current time.
    void ShowNoticeInList(const std::wstring& strText);
    // How long the chat status may take before the chat is reported unavailable (tests shorten it).
    void SetChatStatusTimeout(UINT uMilliseconds) { m_uChatStatusTimeoutMs = uMilliseconds; }
    // How long a recovery may wait for its answers before it shows what it has (tests shorten it).
    void SetRecoveryTimeout(UINT uMilliseconds) { m_uRecoveryTimeoutMs = uMilliseconds; }
    int RecoveryCount() const { return m_recovery.Outstanding(); }
    DWORD LastGroupCacheId() const { return m_dwLastGroupCacheId; }
    const ChatCacheState& Caches() const { return m_caches; }
    // The sinks the controller calls back, as the controller sees them.
    CChatEngineSinks& Sinks() { return m_sinks; }
    // The groups whose caches the engine follows (AddRoleGroup records them).
    CUsersGroupList& CacheGroups() { return m_CacheGroups; }

    // Sending and receiving (engine/SendMessages.cpp, engine/ReceiveMessages.cpp).
    LRESULT OnSend();
    void OnInputTextChanged();
    BOOL OnEngineTimer(UINT_PTR nId);
    void OnDialogDestroy();
    void ShowMessage(const std::wstring& strSender, const std::wstring& strText, const std::wstring& strRest,
                     bool bOwn = false);
    BOOL SendPublicMessage(DWORD dwGroupId, const std::wstring& strMessage);
    BOOL SendPrivateMessage(DWORD ReceiverId, const std::wstring& strMessage);
    DWORD GetSendOption(DWORD id, BOOL bGroup, BOOL bGroupMessage, BOOL bRecordable, BOOL bRecordCopy) const;
    int ApeDataIndication(DWORD ape_handle, DWORD sender_id, DWORD channel_id, DWORD priorty,
                          const BYTE* data, DWORD data_length);
    // dwWriterId: who the conference says wrote or sent the PDU, 0 when the path does not know.
    int HandleReceivedMessages(const char* lpszPDUContent, CChatXMLPDU* pChatXMLPDU, DWORD entity_id,
                               DWORD cache_id, DWORD dwWriterId = 0);
    int HandleGroupMessage(DWORD entity_id, CGroupMessagePDU& pdu, DWORD cache_id, DWORD dwWriterId);
    int ParseAndShowGroupMessages(CGroupMessagePDU* pPdu, DWORD dwGroupCacheHandle, DWORD dwWriterId = 0);
    // False for a host-group message (by its own group id or by the cache it came through) that
    // the local user may not read; the drop is traced.
    bool MayShowGroupMessage(const CGroupMessagePDU& pdu, DWORD dwGroup, DWORD dwWriterId) const;
    // A callback's APE is this engine's live attachment (not one that has gone, nor none).
    bool IsOwnApe(DWORD ape_handle) const { return ape_handle != 0 && ape_handle == m_status.m_apeHandle; }
    int ParseAndShowPrivateMessages(CPrivateMessagePDU* pPdu);
    void NotifyHostOfMessage(DWORD dwNodeId, const std::wstring& strText);
    // The window NotifyHostOfMessage tells: the dialog's parent's parent's parent, or null.
    HWND FindHostNotifyTarget() const;
    void RecordMessageToProvider(DWORD dwSenderId, const std::wstring& strText);
    void PlayIncomingSound(DWORD dwSenderId);
    void SendTypingIndicatorPDU();
    void SendEachTypingIndicatorPDU(DWORD dwUserId);
    int HandleTypingIndicatorPDU(const CTypingIndicatorPDU& pdu);
    BOOL EventLoggingInfo(const wchar_t* FromName, const wchar_t* ToName, const wchar_t* ChatText);
    void SendCopyToCustomerCache(CChatXMLPDU* pPdu);
    // Transfer messages (engine/TransferMessages.cpp): 0 shown, 1 suppressed as a duplicate.
    int ShowTransferMessage(const std::wstring& strMessage, DWORD dwType, BOOL bCopy);
    int HandleBufferTransferMessages();
    const CTypingList& TypingList() const { return m_typingList; }

    // The roster (engine/Roster.cpp).
    int ApeRosterChanged(DWORD ape_handle, WORD conf_handle, WORD add_num, WORD remove_num, WORD change_num,
                         const QxRosterRecord* list);
    int ExtractEnrollInfo(int index, CUserItem* pItem, const QxRosterRecord* pRoster);
    int ProcessAddEnrollInfo(int nCount, const QxRosterRecord* pRecords);
    int ProcessDeleteEnrollInfo(int nCount, const QxRosterRecord* pRecords);
    int ProcessModifyEnrollInfo(int nCount, const QxRosterRecord* pRecords);
    // Fills the PDU with the local user's roster information; false without a PDU.
    bool FillLocalRosterInfo(CRosterInfoPDU* pRosterInfo) const;

    // The names of users who have left (engine/HistoryRoster.cpp).
    void RequestHistoryUserRoster();
    // 0 stored, 1 not stored.
    int HandleHistoryUserRoster(const std::string& strText);
    // The name of the first history entry with this user id; false without one.
    bool GetHistoryUserName(DWORD dwUserId, std::wstring& strName) const;
    int HistoryRosterCount() const { return static_cast<int>(m_HistoryRoster.size()); }
    // Posts Msg to the service window and the SMC window, whichever are set. Always 1.
    LONG SendMessageToService(UINT Msg, WPARAM wParam, LPARAM lParam);

    LONG SetEventConfig(LONG lCommand, LONG lParam1, LONG lParam2);
    LONG SelectFeature(DWORD dwFeature1, LONG lParam2);
    void SetNBRStatus(DWORD dwStatus, DWORD dwOption);
    LONG SetConfig(DWORD dwConfigType, const wchar_t* lpszConfig);
    // ChSetConfig type 3: the customer id of a support conversation. 1 stored, 0 not parsed.
    LONG HandleCustomIdConfig(const wchar_t* lpszConfig);
    void SetPrivilege(DWORD dwBit);
    void SetRosterStatus(LONG lNeedRosterInfo, LONG lBroadcastRosterInfo);
    void SetUserType(LONG nUserType);
    void SetMeetingType(LONG lMeetingType);
    void SetBrowserType(LONG lBrowserType) { m_host.m_lBrowserType = lBrowserType; }
    void AllowUserInput(LONG lInputPermission);
    void ShowUserList(LONG lUserListPermission);
    void SetSoundPreference(LONG lNeedPlaySound, const wchar_t* lpszSoundFileName, LONG lOptionValue,
                            LONG lhWnd, LONG lCurTabIndex);
    void SetSCParentWnd(HWND hWnd) { m_notify.m_hSCParentWnd = hWnd; }
    // Re-applies the local user's privileges to the recipient list (engine/Privileges.cpp).
    void HandlePrivilegeUpdate(BOOL bChanged);
    // Selects the entry after a rebuild, trying the five cases in order; pPrevious is the data of
    // the entry selected before (or null). 1 when an entry was selected.
    BOOL SetDefaultCurSel(const ChatItemData* pPrevious) override;
    // The configuration the recipient list reads (engine/RecipientSteps.cpp).
    RecipientListContext RecipientContext() const override;
    // The host's selection requests (engine/RecipientRequests.cpp).
    LONG ChatToAttendee(DWORD dwNodeId);
    LONG ChatToGroup(LONG nGroupType, LONG nGroupId);
    LONG ChatToGroupEx(LONG nGroupIndex);
    // Sets every group's group-info-pending flag (recording switched on).
    void MarkAllGroupsInfoPending();
    // Group configuration of the host (engine/GroupRequests.cpp).
    LONG AddGroup(LONG nInsertIndex, LONG nGroupType, LONG nGroupId, const wchar_t* pstrGroupName,
                  LONG bShowMemberList, LONG bDefault, LONG lShowFactNameInUserList,
                  const wchar_t* lpszGroupLabel);
    LONG ModifyGroup(LONG nModifyIndex, LONG lModifyMask, LONG lModifyValue, LONG lModifyCount,
                     const wchar_t* lpszReserved1, const wchar_t* lpszReserved2, DWORD dwReserved1,
                     DWORD dwReserved2);
    LONG AddAUser(DWORD dwNodeId);
    LONG GetMaxMinWidth(BOOL bIsMax) const { return bIsMax ? m_lMaxWidth : m_lMinWidth; }

    // The customer-support desk (engine/FAQ.cpp): quick phrases and their macros, the primary
    // customer. The handlers return 1 when the text was taken, 0 when it did not parse.
    LONG HandleFAQContentConfig(const wchar_t* lpszConfig);
    LONG HandleFAQMacroInfoConfig(const wchar_t* lpszConfig);
    LONG HandlePrimaryCustomerNodeId(const wchar_t* lpszConfig);
    // Creates the quick-phrase box (feature bit 0x1000); false when it cannot be made.
    BOOL CreateFAQComboBox();
    // Fills the box from the phrase list: 1 filled, 0 with no box or no phrase.
    int ShowFAQInComboBox();
    // A phrase was picked: its text, macros replaced, goes into the input box.
    void HandleFAQSelChange();
    std::wstring CheckAndRepaceMacro(const std::wstring& strContent) const;
    // Frees the phrase list, emptying the box first so that no entry points at a freed phrase.
    void ClearFAQList();
    const ChatSupportState& Support() const { return m_support; }

    // Transfer messages (engine/TransferMessages.cpp).
    LONG TransferMessages(DWORD dwType, DWORD dwTargetID, DWORD dwOption, const wchar_t* lpszMessage);
    // 0 held, 1 not held.
    int BufferTransferMessage(DWORD dwType, DWORD dwTargetID, DWORD dwOption, const std::wstring& strMessage);
    BOOL IsNewTransferMessage(const std::wstring& strMessage, DWORD dwType) const;
    void AddTransferMessage(const std::wstring& strMessage, DWORD dwSubtype);
    // 1 when handed to the controller.
    BOOL SendTransferMessage(DWORD dwType, DWORD dwTargetID, DWORD dwOption, const std::wstring& strMessage);
    // A transfer message that arrived directly (entity 0) or through a group cache.
    int HandleReceivedTransferMessage(const CTransferMessagePDU& pdu, DWORD entity_id);

    // Who copies what into the customer's history (engine/CustomerHistory.cpp).
    std::string NextPrivateMessageId();
    // Whether this sender copies its group message itself once it comes back.
    BOOL SenderCopiesGroupMessage(DWORD dwGroupId) const;
    // A group item shown live (or collected live by a recovery): copied if this participant is
    // the one to copy it.
    void CopyGroupItemToHistory(const CGroupMessagePDU& pdu, DWORD cache_id);
    // Writes the copies that are due into the customer's cache, in order.
    void WriteHistoryCopies(const std::vector<std::string>& copies);
    // The own group items of this cache will not come back: what waited for them is written.
    void GiveUpGroupItems(DWORD dwCacheHandle);
    // Whether a private message read from the history is shown: each message once.
    BOOL AdmitHistoryPrivateMessage(const CPrivateMessagePDU& pdu);

    // State, read by the instance and by tests through the instance.
    const ChatConnectionParams& Connection() const { return m_conn; }
    const ChatEngineStatus& Status() const { return m_status; }
    // Engine tests without a controller stand in for an attachment through it.
    ChatEngineStatus& Status() { return m_status; }
    const ChatHostSettings& Host() const { return m_host; }
    const ChatFeatureState& Features() const { return m_features; }
    const ChatEventConfig& EventConfig() const { return m_event; }
    const ChatNotifyTargets& NotifyTargets() const { return m_notify; }
    const ChatRecordingState& Recording() const { return m_recording; }
    const ChatSoundPreference& Sound() const { return m_sound; }
    COwnUserItem& OwnUser() { return m_own; }
    CUserList& Users() { return m_users; }

private:
    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
    static INT_PTR DispatchDialogMessage(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);
    INT_PTR HandleMessage(UINT uMsg, WPARAM wParam, LPARAM lParam);
    BOOL OnInitDialog();
    void InitializeUI();
    void SetControlTexts();
    void CreateSendTooltip();
    void OnSize(int cx, int cy);
    void OnClose();
    void OnDestroy();

    // Forgets the state of the attachment Cleanup ends (engine/Connection.cpp).
    void ResetAttachment();
    // Sends what the input box holds to the chosen recipient, and empties the box once it went.
    void SendInput();
    // Engine helpers of the caches and messages.
    CUsersGroup* FindCacheGroup(DWORD dwGroupID) const;
    // -1 when no request could be made, else the controller's answer.
    int RequestGroupCache(DWORD dwGroupID, DWORD dwAction);
    void SetAllGroupsNeeded();
    // Writes bytes into a cache with CacheSet; the controller's result, or -1 without a block.
    int WriteCache(DWORD dwCacheHandle, DWORD dwAction, DWORD dwSendOption, const void* pData, DWORD dwSize);
    // A read of a group cache made for the recovery; true when it will be answered.
    BOOL RequestRecoveryRead(DWORD dwGroupID);
    // The chat status could not be had: reported once per attachment.
    void FailChatStatus(const std::wstring& strReason);
    void StartChatStatusTimer();
    void StopChatStatusTimer();
    void StartRecoveryTimer();
    void StopRecoveryTimer();
    void OnRecoveryTimeout();
    // Shows the collected recovery items not shown meanwhile; their number.
    int ShowRecoveryItems();
    // While a recovery shows its items, the host window they are announced to, found once for
    // all of them (the window system is asked three times to find it).
    struct NotifyTargetCache {
        bool bKnown = false;
        HWND hWnd = nullptr;
    };
    NotifyTargetCache* m_pNotifyTargetCache = nullptr;
    void StopEngineTimers();
    void SendEventRecord(WPARAM wCode, LPARAM lRecord);
    void SendIdentityEvent(WPARAM wCode);
    int ParticipantCountForTyping() const;
    // The steps every shown message takes before and after its header is built.
    void AnnounceIncoming(DWORD dwSender, DWORD dwSenderNode, const std::wstring& strText);
    void ShowAndNotify(const QxHeaderParts& parts, const std::wstring& strText, DWORD dwSenderNode,
                       bool bOwn);
    std::wstring ResolveUserName(const std::string& strGiven, DWORD dwUserId) const;
    std::wstring ResolvePrivateName(const std::string& strGiven, DWORD dwUserId) const;
    void StartExpireTimer();
    // Records the group for the caches (AddRoleGroup's first step).
    void RecordCacheGroup(LONG nInsertIndex, LONG nGroupType, LONG nGroupId, const wchar_t* pstrGroupName);
    // The group building behind AddGroup and ModifyGroup (engine/GroupRequests.cpp).
    LONG AddRoleGroup(LONG nInsertIndex, LONG nGroupType, LONG nGroupId, const wchar_t* pstrGroupName,
                      const wchar_t* lpszGroupLabel, LONG lShowFactNameInUserList, LONG bShowMemberList,
                      LONG bDefault);
    LONG AddRoleGroup2(LONG nInsertIndex, LONG nGroupType, LONG nGroupId, const wchar_t* pstrGroupName,
                       const wchar_t* lpszGroupLabel, LONG lShowFactNameInUserList, LONG bShowMemberList,
                       LONG bDefault);
    // Inserts or refreshes the group's entry at its place in the box.
    void ListGroupEntry(CUsersGroup* pGroup);
    LONG AddUnsendableGroup(LONG nInsertIndex, LONG nGroupId, const wchar_t* pstrGroupName,
                            const wchar_t* lpszGroupLabel, LONG lShowFactNameInUserList, LONG bShowMemberList,
                            LONG bDefault);
    void MakeGroupDim(CUsersGroup* pGroup, LONG lValue);
    void MakeGroupDisappear(CUsersGroup* pGroup, LONG lValue);
    void MakeShowMemberList(CUsersGroup* pGroup, LONG lValue);
    void MakeGroupDefault(CUsersGroup* pGroup, LONG lValue);
    void MakeShowFactName(CUsersGroup* pGroup, LONG lValue);
    void MakeShowRecentuser(CUsersGroup* pGroup, LONG lValue, LONG lModifyCount);
    void MakeShowRecentuser(CUsersGroup* pGroup, LONG lValue, const wchar_t* lpszLabelFormat);
    // The privilege update's parts (engine/Privileges.cpp).
    BOOL SendingAllowed() const;
    void ShowInputPromptOnce();
    void BuildStandardGroups();
    void RestoreRecentUsers(const std::vector<DWORD>& userIds);
    void ApplyListEnabling(BOOL bSelected);
    // The recipient box's entries (engine/RecipientSteps.cpp).
    BOOL HostDrivenGroups() const { return QxHostDrivenGroups(m_features.m_dwFeature1); }
    // The separator group holding the recent users (code 110), or null.
    CUsersGroup* RecentUsersGroup() const;
    BOOL SelectGroupEntry(int nType, int nId);
    // Recipient-box steps of the roster (engine/RecipientSteps.cpp).
    void InsertAUserIntoCombox(CUserItem* pItem);
    void RemoveAUserIntoCombox(CUserItem* pItem);
    void ModifyAUserIntoCombox(CUserItem* pItem);
    void FillRecipientBoxWithGroups();
    BOOL IsSelectedRecipient(const CUserItem* pItem) const;
    BOOL HasSelectedRecipient() const;
    void ReevaluateSelection();
    int FindShownUserEntry(DWORD dwUserId) const;
    int FindFirstSendableEntry() const;
    void SelectRecipientEntry(int nIndex);
    BOOL SelectDefaultRecipient();
    BOOL SelectedRecipientCanChat() const;
    void EnableDialogControl(int nId, BOOL bEnable);
    INT_PTR OnCtlColor(UINT uMsg, HDC hdc, HWND hCtl);
    void UpdateInputScrollBar();
    int FontLineHeight() const;

    HWND m_hWnd = nullptr;
    HWND m_hParentWnd = nullptr;
    HWND m_hNoticeWnd = nullptr;
    HWND m_hFileDialogOwner = nullptr;
    ChatDialogControls m_ctl;
    CRecipientBoxEntries m_recipients{m_ctl.m_hRecipient};
    std::unique_ptr<CRecipientListBatch> m_pRecipientBatch;
    int m_nRecipientBatchDepth = 0;
    ChatDialogResources m_res;
    LONG m_lMaxWidth = 0; // nothing sets either limit
    LONG m_lMinWidth = 0;

    ChatConnectionParams m_conn;
    ChatEngineStatus m_status;
    ChatHostSettings m_host;
    ChatFeatureState m_features;
    ChatEventConfig m_event;
    ChatNotifyTargets m_notify;
    ChatRecordingState m_recording;
    ChatSoundPreference m_sound;
    CUserList m_users; // participants and the group list
    COwnUserItem m_own;
    std::vector<std::unique_ptr<CChatUserInfoPDU>> m_HistoryRoster; // in arrival order
    CUsersGroupList m_CacheGroups{&m_users};
    ChatCacheState m_caches;
    CRecoveryList m_recovery;
    DWORD m_dwLastGroupCacheId = 0;
    UINT m_uRecoveryTimeoutMs = RECOVERY_TIMEOUT_MS;
    BOOL m_bRecoveryTimer = FALSE;
    DWORD m_dwRecoveryActivity = 0; // tick of the recovery's last sign of life
    UINT m_uChatStatusTimeoutMs = CHAT_STATUS_TIMEOUT_MS;
    BOOL m_bChatStatusTimer = FALSE;
    std::vector<std::unique_ptr<CTransferMessagePDU>> m_HistoryTransfers;
    ChatSupportState m_support;
    QxHeaderFormats m_formats;
    CTypingList m_typingList;
    CTypingSender m_typingSender;
    BOOL m_bExpireTimer = FALSE;
    BOOL m_bFirstSend = TRUE;
    CChatEngineSinks m_sinks{this};
};
