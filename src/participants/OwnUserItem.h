// The local user's record: identity, roster status, privileges, roles, user type, and the
// rights tests that decide whom the user may chat with.
#pragma once

#include <memory>
#include <string>
#include <windows.h>

#include "participants/RoleGroups.h"

class CUserItem;
class CUserList;
class CUsersGroup;
class CUsersGroupList;
class IRecipientEntryList;
struct ChatItemData;

// The host-driven group model (feature bit 0x80000000) in place of the rights-based one.
inline BOOL QxHostDrivenGroups(DWORD dwFeature1) {
    return (dwFeature1 & QXCHAT_FEATURE_HOST_GROUPS) != 0;
}

// The dialog's configuration that the recipient list reads (ChSetEventConfig and
// ChSelectFeature). Without an owning dialog every value is 0.
struct RecipientListContext {
    LONG m_lStrictMode = 0;
    LONG m_lConferenceMode = 0;
    BOOL m_bMode2 = FALSE;
    DWORD m_dwFeature1 = 0;

    BOOL HostDriven() const { return QxHostDrivenGroups(m_dwFeature1); }
    // Word 2 of the separator entry.
    BOOL SeparatorKeepsRecentUsers() const { return m_lConferenceMode == QXCHAT_CONF_MODE_2 || m_bMode2; }
};

// What the recipient list asks of the dialog that owns it: the configuration it reads, and the
// default selection after the list is filled again. The dialog implements it, so that the list
// knows nothing else of the dialog.
class IRecipientListOwner {
public:
    virtual RecipientListContext RecipientContext() const = 0;
    // Selects the default entry; pPrevious is the entry selected before (or null).
    virtual BOOL SetDefaultCurSel(const ChatItemData* pPrevious) = 0;

protected:
    ~IRecipientListOwner() = default;
};

// The privilege bits before the host has set any: sending is allowed.
enum : DWORD { PRIV_DEFAULT = QXCHAT_PRIV_SEND };

class COwnUserItem {
public:
    COwnUserItem() = default;
    COwnUserItem(const COwnUserItem&) = delete;
    COwnUserItem& operator=(const COwnUserItem&) = delete;

    // Owned copy of the local user name; null clears it. GetOwnName is null while unset.
    void SetOwnName(const wchar_t* lpszName);
    const wchar_t* GetOwnName() const { return m_pszOwnName.get(); }

    // Each setter returns whether the value changed; a different value first saves the
    // current one as previous. The user type's previous value is saved on every call.
    BOOL SetPrivilege(DWORD dwPrivilege);
    BOOL SetRoles(DWORD dwRoles);
    BOOL SetUserType(LONG lUserType);

    // Rights tests. bStrict is the dialog's rights-check switch (ChSetEventConfig command 1).
    BOOL HasFullRights() const;
    BOOL IsElevated() const;
    BOOL CanChatWithHost(BOOL bStrict) const;
    BOOL CanChatWithPresenter(BOOL bStrict) const;
    BOOL CanChatWithPanelist(BOOL bStrict) const;
    BOOL CanChatWithHostAndPresenter(BOOL bStrict) const;
    BOOL CanChatWithHostPresenterPanelist(BOOL bStrict) const;
    BOOL IsPlainAttendee() const;
    BOOL HasMemberListRight() const;
    BOOL IsSupporter() const;
    BOOL IsCustomer() const;
    // Any customer-support user type (not 0).
    BOOL HasSupportUserType() const { return m_lUserType != QXCHAT_USER_TYPE_NONE; }
    // Both roster flags equal 1.
    BOOL IsRosterShared() const { return m_bNeedRosterInfo == 1 && m_bBroadcastRosterInfo == 1; }

    // --- the "Send to:" list (RecipientEntries.cpp, RecipientList.cpp); every operation works on
    // the list's entries, which the dialog's recipient box holds ---
    RecipientListContext Context() const;
    // A group's entry data by the rights-based and the host-driven model; -1 for no group.
    int MakeDataItem(CUsersGroup* pGroup);
    int MakeDataItem2(CUsersGroup* pGroup);
    int MakeGroupData(CUsersGroup* pGroup) {
        return Context().HostDriven() ? MakeDataItem2(pGroup) : MakeDataItem(pGroup);
    }
    // Whether the group's entry may be chosen after a rights change.
    BOOL IsGroupAvailable(const CUsersGroup* pGroup) const;
    // bForAllPaticipants: the rights to address everyone.
    BOOL CanAddressEveryone() const;
    // The role set a participant is listed by.
    DWORD MemberRole(const CUserItem& user) const;

    void AddAllGroupsIntoCombox(IRecipientEntryList& list);
    void AddAllGroupsIntoCombox2(IRecipientEntryList& list);
    void RebuildCombox(IRecipientEntryList& list);
    // Inserts the group's entry at nIndex or refreshes its existing entry; without a group
    // rebuilds all. The entry's index, or -1 when nothing could be done.
    int InsertOrRefreshGroupEntry(IRecipientEntryList& list, CUsersGroup* pGroup, int nIndex);
    void UpdateGroupUserList(IRecipientEntryList& list, CUsersGroup* pGroup);
    void RemoveGroupMembers(IRecipientEntryList& list, CUsersGroup* pGroup);
    // Deletes the entries that follow the separator entry (code 110), up to the first entry of
    // the private-chat group (id 32): the recent users and what belongs to them.
    void DeleteEntriesAfterSeparator(IRecipientEntryList& list);
    void ShowMemberList(IRecipientEntryList& list, CUsersGroup* pGroup, BOOL bShow);
    void DisappearGroup(IRecipientEntryList& list, CUsersGroup* pGroup);
    void AppearGroup(IRecipientEntryList& list, CUsersGroup* pGroup);
    void RefreshAllMembers(IRecipientEntryList& list);
    int InsertAUserIntoCombox(IRecipientEntryList& list, CUserItem* pUser);
    // The same for a participant that is in no group yet, just added to the participant list.
    // While the list places the members itself (a batch), it joins each group's arrivals;
    // placing them is up to the caller (CUsersGroupList::PlaceArrivals) before any listed
    // participant's name changes.
    int InsertNewUserIntoCombox(IRecipientEntryList& list, CUserItem* pUser);
    int RemoveAUserIntoCombox(IRecipientEntryList& list, CUserItem* pUser);
    void ModifyAUserIntoCombox(IRecipientEntryList& list, CUserItem* pUser);
    void RefreshFactNames(IRecipientEntryList& list, const CUserItem* pUser);
    // Makes the participant the newest recent user of the group (first member place); the
    // oldest beyond the limit is dropped. Returns the dropped user's old entry index, or -1.
    int MoveToRecentUsers(IRecipientEntryList& list, CUsersGroup* pGroup, CUserItem* pUser);
    void RecomputePositions();

    IRecipientListOwner* m_pOwner = nullptr;
    DWORD m_dwOwnUserId = 0;
    DWORD m_dwOwnNodeId = 0;
    // The list operations do nothing while this is 0.
    BOOL m_bListReady = TRUE;
    // ChSetRosterStatus values, stored unchanged (not only 0 and 1).
    LONG m_bNeedRosterInfo = 1;
    LONG m_bBroadcastRosterInfo = 1;
    // ChSetEventConfig command 80: while the switch is set, group 15 takes the value as its
    // shown flag.
    BOOL m_bAllUsersOverride = FALSE;
    LONG m_lAllUsersValue = 1;
    DWORD m_dwPrivilege = PRIV_DEFAULT;
    DWORD m_dwPrevPrivilege = PRIV_DEFAULT;
    DWORD m_dwRoles = QXCHAT_ROLE_UNKNOWN;
    DWORD m_dwPrevRoles = QXCHAT_ROLE_UNKNOWN;
    LONG m_lUserType = QXCHAT_USER_TYPE_NONE;
    LONG m_lPrevUserType = QXCHAT_USER_TYPE_NONE;
    CUsersGroupList* m_pGroupList = nullptr;
    CUserList* m_pUserList = nullptr;
    // The local user's contact data (ChSetConfig type 2), sent in the roster information as
    // "FName", "LName", "Phone" and "Email" so that the other side can fill its phrases' macros.
    std::wstring m_strFirstName;
    std::wstring m_strLastName;
    std::wstring m_strPhone;
    std::wstring m_strEmail;

private:
    // The common shape of the chat-with tests: in strict mode full rights allow and a user
    // who is not elevated is refused; otherwise the privilege bits decide.
    BOOL CanChatWith(DWORD dwBits, BOOL bStrict) const;
    int InsertUser(IRecipientEntryList& list, CUserItem* pUser, BOOL bNew);

    std::unique_ptr<wchar_t[]> m_pszOwnName;
};
