#include "participants/UsersGroup.h"

#include "participants/UserItem.h"

#include <algorithm>
#include <utility>

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

CUserItem* CUsersGroup::GetMember(int nIndex) const {
    PlaceArrivals();
    return m_Members.GetAt(nIndex);
}

int CUsersGroup::FindMember(DWORD dwUserId) const {
    return ReadMembers([dwUserId](CUserItem* const* ppMembers, int nCount) {
        for (int i = 0; i < nCount; ++i)
            if (ppMembers[i] && ppMembers[i]->m_dwUserId == dwUserId) return i;
        return -1;
    });
}

BOOL CUsersGroup::InsertMember(int nPos, CUserItem* pUser) {
    PlaceArrivals();
    return pUser && m_Members.InsertAt(nPos, pUser);
}

int CUsersGroup::RemoveMember(DWORD dwUserId) {
    const int nIndex = FindMember(dwUserId);
    if (nIndex >= 0) m_Members.RemoveAt(nIndex);
    return nIndex;
}

void CUsersGroup::RemoveMemberItem(const CUserItem* pUser) {
    PlaceArrivals();
    while (m_Members.Remove(pUser)) {
    }
}

void CUsersGroup::RemoveAllMembers() {
    m_Arrivals.clear();
    m_Members.RemoveAll();
}

int CUsersGroup::FindMemberPlace(const CUserItem& user) const {
    const std::string& key = user.NameSortKey();
    return ReadMembers([&](CUserItem* const* ppMembers, int nCount) {
        int low = 0, high = nCount;
        while (low < high) {
            const int middle = (low + high) / 2;
            const CUserItem* pMiddle = ppMembers[middle];
            if (pMiddle == &user) return -1;
            if (pMiddle && QxCompareUserNames(user, key, *pMiddle) < 0)
                high = middle;
            else
                low = middle + 1;
        }
        for (int i = high - 1; i >= 0; --i) {
            const CUserItem* pPrev = ppMembers[i];
            if (!pPrev || QxCompareUserNames(user, key, *pPrev) != 0) break;
            if (pPrev == &user) return -1;
        }
        return high;
    });
}

void CUsersGroup::AddArrival(CUserItem* pUser) {
    if (pUser) m_Arrivals.push_back(pUser);
}

void CUsersGroup::PlaceArrivals() const {
    if (m_Arrivals.empty()) return;
    std::vector<CUserItem*> arrivals;
    arrivals.swap(m_Arrivals);
    auto oneByOne = [&] {
        for (CUserItem* p : arrivals) {
            const int nPlace = FindMemberPlace(*p);
            if (nPlace >= 0) m_Members.InsertAt(nPlace, p);
        }
    };
    // With every member and arrival keyed and the members in key order, one-by-one insertion
    // puts each arrival after the members and earlier arrivals of equal key: a stable sort of
    // the arrivals and a merge that takes members first on ties give the same places. Any
    // other list (a missing key, members out of order) has them inserted one by one.
    using Keyed = std::pair<const std::string*, CUserItem*>;
    auto byKey = [](const Keyed& a, const Keyed& b) { return *a.first < *b.first; };
    auto keyOf = [](CUserItem* p) -> const std::string* {
        return p && !p->NameSortKey().empty() ? &p->NameSortKey() : nullptr;
    };
    std::vector<Keyed> members, sorted;
    const bool bOrdered = m_Members.ReadLocked([&](CUserItem* const* ppMembers, int nCount) {
        members.reserve(static_cast<size_t>(nCount));
        for (int i = 0; i < nCount; ++i) {
            members.emplace_back(keyOf(ppMembers[i]), ppMembers[i]);
            if (!members.back().first || (i > 0 && byKey(members.back(), members[i - 1]))) return false;
        }
        return true;
    });
    sorted.reserve(arrivals.size());
    for (CUserItem* p : arrivals) {
        sorted.emplace_back(keyOf(p), p);
        if (!sorted.back().first) return oneByOne();
    }
    if (!bOrdered) return oneByOne();
    std::stable_sort(sorted.begin(), sorted.end(), byKey);
    std::vector<Keyed> merged(members.size() + sorted.size());
    std::merge(members.begin(), members.end(), sorted.begin(), sorted.end(), merged.begin(), byKey);
    std::vector<CUserItem*> placed;
    placed.reserve(merged.size());
    for (const Keyed& k : merged)
        placed.push_back(k.second);
    // Out of memory for the merged list: the arrivals go in one by one, as far as they can.
    if (!m_Members.Assign(placed.data(), static_cast<int>(placed.size()))) oneByOne();
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

void CUsersGroupList::PlaceArrivals() const {
    for (int i = 0; i < m_Groups.GetCount(); ++i)
        if (const CUsersGroup* pGroup = m_Groups.GetAt(i)) pGroup->PlaceArrivals();
}

void CUsersGroupList::Recompute(BOOL bVisibleOnly) {
    ReadGroups([bVisibleOnly](CUsersGroup* const* ppGroups, int nCount) {
        int nPos = 0;
        for (int i = 0; i < nCount; ++i) {
            CUsersGroup* pGroup = ppGroups[i];
            if (!pGroup || (bVisibleOnly && !pGroup->m_bVisible)) continue;
            pGroup->m_nListPos = nPos;
            nPos += pGroup->GetMemberCount() + 1;
        }
    });
}

void CUsersGroupList::RecomputeListPositions() {
    Recompute(FALSE);
}

void CUsersGroupList::RecomputeVisibleListPositions() {
    Recompute(TRUE);
}
