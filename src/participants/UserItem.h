// One participant (CUserItem) and the instance's participant list (CUserList), which owns the
// participants and the recipient group list.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <windows.h>

#include "participants/ChatItemData.h"
#include "participants/LockedPtrArray.h"
#include "participants/UsersGroup.h"

class CUserItem {
public:
    enum { DEFAULT_EXCLUDED_GROUP = 100 };

    CUserItem() { m_ItemData.InitUser(m_dwUserId); }
    // Copies every field; the list entry is re-initialised from the copied user id.
    CUserItem(const CUserItem& src);
    CUserItem& operator=(const CUserItem& src);

    // Takes the fields a roster change may alter (ids, name, roles, user type, visibility,
    // excluded group); the macro fields and the customer id stay as first reported.
    void UpdateFromRoster(const CUserItem& src);

    // Never listed under the group with this id.
    int m_nExcludedGroupId = DEFAULT_EXCLUDED_GROUP;
    // "UserType" of the roster information.
    LONG m_lUserType = 0;
    // "Visible": 0 = never listed as a group member.
    LONG m_lVisible = 1;
    // Set at creation; the first-message sound clears it.
    BOOL m_bFirstMessage = TRUE;
    // Role bits ("RoleSet").
    DWORD m_dwRosterInfo = 0;
    DWORD m_dwUserId = 0;
    DWORD m_dwNodeId = 0;
    std::wstring m_strName;
    // The participant's "Send to:" entry.
    ChatItemData m_ItemData;
    // Macro values "FName", "LName", "Phone", "Email".
    std::wstring m_strFirstName;
    std::wstring m_strLastName;
    std::wstring m_strPhone;
    std::wstring m_strEmail;
    // "GuestID"; 0 = none.
    DWORD m_dwCustomerId = 0;

    // The name's sort key without regard to case, made again whenever the name has changed;
    // empty when the system makes none.
    const std::string& NameSortKey() const;

private:
    mutable std::wstring m_strKeyedName;
    mutable std::string m_strNameKey;
};

// Orders two participants by name without regard to case, as lstrcmpiW does (< 0, 0, > 0). The
// recipient list sorts thousands of members with it: their sort keys compare at a fraction of
// the cost of comparing the names themselves.
int QxCompareUserNames(const CUserItem& a, const CUserItem& b);
// The same with a's sort key already at hand (a.NameSortKey()): a search compares one
// participant with many and makes its key once.
int QxCompareUserNames(const CUserItem& a, const std::string& keyA, const CUserItem& b);

class CUserList {
public:
    CUserList();
    ~CUserList();
    CUserList(const CUserList&) = delete;
    CUserList& operator=(const CUserList&) = delete;

    // Takes ownership: appends the user and indexes it by node id. Returns the listed user, or
    // null (and destroys it) when its node id is already listed or memory runs out.
    CUserItem* AddUser(std::unique_ptr<CUserItem> pUser);
    // Removes and destroys the user with this node id, and drops it from every group's
    // members. 1 when removed, 2 when no user has that node id.
    int RemoveUser(DWORD dwNodeId);

    int GetCount() const { return m_Users.GetCount(); }
    // Room for nArrivals more users at once, ahead of a roster change that announces them.
    BOOL ReserveUsers(int nArrivals) {
        return nArrivals <= 0 || m_Users.Reserve(m_Users.GetCount() + nArrivals);
    }
    CUserItem* GetAt(int nIndex) const { return m_Users.GetAt(nIndex); }
    CUserItem* FindByNodeId(DWORD dwNodeId) const;
    CUserItem* FindByUserId(DWORD dwUserId) const;
    // Null when no user has that id.
    const wchar_t* GetNameByUserId(DWORD dwUserId) const;
    // 0 when absent.
    DWORD GetNodeIdByUserId(DWORD dwUserId) const;
    DWORD GetUserIdByNodeId(DWORD dwNodeId) const;

    // Role tests by node id: 2 when no user has that node id, else the role bits AND the mask.
    // pCopy, when given, receives the user's ids, role bits and name.
    DWORD TestRole(DWORD dwNodeId, DWORD dwMask, CUserItem* pCopy = nullptr) const;
    DWORD IsHost(DWORD dwNodeId, CUserItem* pCopy = nullptr) const;
    DWORD IsPresenter(DWORD dwNodeId, CUserItem* pCopy = nullptr) const;
    // bPanelistOnly clear: the first non-zero of the panelist, host and presenter bits (0 for
    // none); set: the panelist bit only.
    DWORD IsPanelist(DWORD dwNodeId, BOOL bPanelistOnly, CUserItem* pCopy = nullptr) const;

    // The node id of a listed user that the new record duplicates, else 0. Without the
    // customer-id rule: same node id and same user id. With it: the first user with the same
    // customer id; a record without a customer id falls back to the first rule.
    DWORD FindDuplicate(const CUserItem& newUser, BOOL bByCustomerId) const;

    // Users with any of the host, presenter and panelist bits: 1 for the first found unless
    // bCountAll, which counts them all.
    int CountSpeakers(BOOL bCountAll) const;

    // Users from last to first, then the index, then the groups.
    void DestroyAll();

    CUsersGroupList& Groups() { return m_Groups; }
    const CUsersGroupList& Groups() const { return m_Groups; }

private:
    CLockedPtrArrayT<CUserItem> m_Users; // owned, in arrival order
    std::map<DWORD, CUserItem*> m_NodeIndex;
    CUsersGroupList m_Groups;
};
