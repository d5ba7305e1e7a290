#include "participants/UsersGroup.h"

#include "participants/UserItem.h"

namespace {

// Group names match without regard to case (ordinal, so no two distinct names are merged by
// linguistic rules).
bool SameNameNoCase(const std::wstring& strName, const wchar_t* lpszName) {
    return CompareStringOrdinal(strName.c_str(), static_cast<int>(strName.size()), lpszName, -1, TRUE) ==
           CSTR_EQUAL;
}

} // namespace

const std::wstring& CUsersGroup::RefreshFactName() {
    if (m_nType == CHAT_ROLE_GROUP && m_bShowFactName && m_pOwner) {
        for (int i = 0; i < m_pOwner->GetCount(); ++i) {
            const CUserItem* pUser = m_pOwner->GetAt(i);
            if (pUser && (pUser->m_dwRosterInfo & static_cast<DWORD>(m_nId))) return SetFactNameFrom(*pUser);
        }
    }
    m_strFactName = m_strName;
    return m_strFactName;
}

const std::wstring& CUsersGroup::SetFactNameFrom(const CUserItem& user) {
    m_strFactName = user.m_strName + L"|(" + m_strName + L")|";
    return m_strFactName;
}

int CUsersGroup::FindMember(DWORD dwUserId) const {
    for (int i = 0; i < m_Members.GetCount(); ++i) {
        const CUserItem* pUser = m_Members.GetAt(i);
        if (pUser && pUser->m_dwUserId == dwUserId) return i;
    }
    return -1;
}

BOOL CUsersGroup::InsertMember(int nPos, CUserItem* pUser) {
    return pUser && m_Members.InsertAt(nPos, pUser);
}

int CUsersGroup::RemoveMember(DWORD dwUserId) {
    const int nIndex = FindMember(dwUserId);
    if (nIndex >= 0) m_Members.RemoveAt(nIndex);
    return nIndex;
}

CUsersGroupList::~CUsersGroupList() {
    DestroyAll();
}

CUsersGroup* CUsersGroupList::FindById(int nId) const {
    for (int i = 0; i < m_Groups.GetCount(); ++i) {
        CUsersGroup* pGroup = m_Groups.GetAt(i);
        if (pGroup && pGroup->m_nId == nId) return pGroup;
    }
    return nullptr;
}

CUsersGroup* CUsersGroupList::FindByIndex(int nIndex) const {
    for (int i = 0; i < m_Groups.GetCount(); ++i) {
        CUsersGroup* pGroup = m_Groups.GetAt(i);
        if (pGroup && pGroup->m_nIndex == nIndex) return pGroup;
    }
    return nullptr;
}

CUsersGroup* CUsersGroupList::FindGroup(int nType, int nId, const wchar_t* lpszName, int* pnPos) const {
    if (pnPos) *pnPos = -1;
    for (int i = 0; i < m_Groups.GetCount(); ++i) {
        CUsersGroup* pGroup = m_Groups.GetAt(i);
        if (!pGroup || pGroup->m_nType != nType || pGroup->m_nId != nId) continue;
        if (lpszName && !SameNameNoCase(pGroup->m_strName, lpszName)) continue;
        if (pnPos) *pnPos = i;
        return pGroup;
    }
    return nullptr;
}

CUsersGroup* CUsersGroupList::FindGroup2(int nType, int nId, const wchar_t* lpszName) const {
    if (lpszName) return FindGroup(nType, nId, lpszName);
    CUsersGroup* pLastNamed = nullptr;
    for (int i = 0; i < m_Groups.GetCount(); ++i) {
        CUsersGroup* pGroup = m_Groups.GetAt(i);
        if (!pGroup || pGroup->m_nType != nType || pGroup->m_nId != nId) continue;
        if (pGroup->m_strName.empty()) return pGroup;
        pLastNamed = pGroup;
    }
    return pLastNamed;
}

CUsersGroup* CUsersGroupList::InsertGroup(int nPos, std::unique_ptr<CUsersGroup> pGroup) {
    if (!pGroup || !m_Groups.InsertAt(nPos, pGroup.get())) return nullptr;
    return pGroup.release();
}

CUsersGroup* CUsersGroupList::InsertGroupAfterIndex(int nIndex, std::unique_ptr<CUsersGroup> pGroup) {
    if (!pGroup) return nullptr;
    const int nPos = m_Groups.Find(FindByIndex(nIndex)) + 1; // 0 when no group has it
    CUsersGroup* pListed = InsertGroup(nPos, std::move(pGroup));
    if (pListed) {
        pListed->m_nInsertPos = nPos;
        pListed->m_nIndex = m_Groups.GetCount();
    }
    return pListed;
}

BOOL CUsersGroupList::RemoveGroup(int nId) {
    std::unique_ptr<CUsersGroup> pGroup(FindById(nId));
    if (!pGroup) return FALSE;
    m_Groups.Remove(pGroup.get());
    return TRUE;
}

void CUsersGroupList::DestroyAll() {
    m_Groups.DeleteAll();
}

CUsersGroup* CUsersGroupList::FindDefaultGroup(int nFrom, int* pnPos) const {
    if (pnPos) *pnPos = -1;
    for (int i = nFrom < 0 ? 0 : nFrom; i < m_Groups.GetCount(); ++i) {
        CUsersGroup* pGroup = m_Groups.GetAt(i);
        if (pGroup && pGroup->m_bDefault && pGroup->m_ItemData.IsShown()) {
            if (pnPos) *pnPos = i;
            return pGroup;
        }
    }
    return nullptr;
}

int CUsersGroupList::GetEntriesBefore(int nPos) const {
    const int nCount = m_Groups.GetCount();
    if (nCount == 0) return -1;
    int nEntries = 0;
    for (int i = 0; i < nPos && i < nCount; ++i) {
        const CUsersGroup* pGroup = m_Groups.GetAt(i);
        if (pGroup) nEntries += pGroup->GetMemberCount() + 1;
    }
    return nEntries;
}

void CUsersGroupList::Recompute(BOOL bVisibleOnly) {
    int nPos = 0;
    for (int i = 0; i < m_Groups.GetCount(); ++i) {
        CUsersGroup* pGroup = m_Groups.GetAt(i);
        if (!pGroup || (bVisibleOnly && !pGroup->m_bVisible)) continue;
        pGroup->m_nListPos = nPos;
        nPos += pGroup->GetMemberCount() + 1;
    }
}

void CUsersGroupList::RecomputeListPositions() {
    Recompute(FALSE);
}

void CUsersGroupList::RecomputeVisibleListPositions() {
    Recompute(TRUE);
}
