#include "participants/UserItem.h"

#include "trace/Trace.h"

CUserItem::CUserItem(const CUserItem& src) {
    *this = src;
}

CUserItem& CUserItem::operator=(const CUserItem& src) {
    if (this == &src) return *this;
    m_nExcludedGroupId = src.m_nExcludedGroupId;
    m_lUserType = src.m_lUserType;
    m_lVisible = src.m_lVisible;
    m_bFirstMessage = src.m_bFirstMessage;
    m_dwRosterInfo = src.m_dwRosterInfo;
    m_dwUserId = src.m_dwUserId;
    m_dwNodeId = src.m_dwNodeId;
    m_strName = src.m_strName;
    m_strFirstName = src.m_strFirstName;
    m_strLastName = src.m_strLastName;
    m_strPhone = src.m_strPhone;
    m_strEmail = src.m_strEmail;
    m_dwCustomerId = src.m_dwCustomerId;
    // The entry may be attached to a combo box with other state; a copy starts afresh.
    m_ItemData.InitUser(m_dwUserId);
    return *this;
}

void CUserItem::UpdateFromRoster(const CUserItem& src) {
    m_dwUserId = src.m_dwUserId;
    m_strName = src.m_strName;
    m_dwNodeId = src.m_dwNodeId;
    m_dwRosterInfo = src.m_dwRosterInfo;
    m_lUserType = src.m_lUserType;
    m_lVisible = src.m_lVisible;
    m_nExcludedGroupId = src.m_nExcludedGroupId;
}

const std::string& CUserItem::NameSortKey() const {
    if (m_strNameKey.empty() || m_strKeyedName != m_strName) {
        m_strKeyedName = m_strName;
        m_strNameKey.clear();
        if (m_strName.empty()) return m_strNameKey;
        // The comparison lstrcmpiW makes: the thread's locale, case ignored; up to the first
        // terminator, as lstrcmpiW reads the name.
        const LCID lcid = GetThreadLocale();
        const DWORD dwFlags = LCMAP_SORTKEY | NORM_IGNORECASE;
        auto makeKey = [&](char* pKey, int nBytes) {
            return LCMapStringW(lcid, dwFlags, m_strName.c_str(), -1, reinterpret_cast<LPWSTR>(pKey), nBytes);
        };
        // A key usually fits in a few bytes per character: one call makes it then, and only a
        // longer one is measured first.
        char buffer[256];
        if (const int nMade = makeKey(buffer, static_cast<int>(sizeof(buffer))); nMade > 0) {
            m_strNameKey.assign(buffer, static_cast<size_t>(nMade));
        } else if (const int nBytes = makeKey(nullptr, 0); nBytes > 0) {
            m_strNameKey.resize(static_cast<size_t>(nBytes));
            const int nLong = makeKey(&m_strNameKey[0], nBytes);
            m_strNameKey.resize(nLong > 0 ? static_cast<size_t>(nLong) : 0);
        }
    }
    return m_strNameKey;
}

int QxCompareUserNames(const CUserItem& a, const CUserItem& b) {
    return QxCompareUserNames(a, a.NameSortKey(), b);
}

int QxCompareUserNames(const CUserItem& a, const std::string& keyA, const CUserItem& b) {
    const std::string& keyB = b.NameSortKey();
    if (keyA.empty() || keyB.empty()) return lstrcmpiW(a.m_strName.c_str(), b.m_strName.c_str());
    const int r = keyA.compare(keyB);
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

CUserList::CUserList() : m_Groups(this) {}

CUserList::~CUserList() {
    DestroyAll();
}

CUserItem* CUserList::AddUser(std::unique_ptr<CUserItem> pUser) {
    if (!pUser) return nullptr;
    // One record per node: a second one would leave the index pointing at only one of them.
    if (m_NodeIndex.count(pUser->m_dwNodeId)) {
        Trace(L"Fail: CUserList::AddUser: node id %u is already listed", pUser->m_dwNodeId);
        return nullptr;
    }
    if (m_Users.Add(pUser.get()) < 0) return nullptr;
    CUserItem* pListed = pUser.release();
    m_NodeIndex[pListed->m_dwNodeId] = pListed;
    return pListed;
}

int CUserList::RemoveUser(DWORD dwNodeId) {
    auto it = m_NodeIndex.find(dwNodeId);
    if (it == m_NodeIndex.end()) return 2;
    std::unique_ptr<CUserItem> pUser(it->second);
    m_NodeIndex.erase(it);
    m_Users.Remove(pUser.get());
    // Groups hold plain pointers to their members; none may outlive the record.
    for (int i = 0; i < m_Groups.GetCount(); ++i) {
        m_Groups.GetAt(i)->RemoveMemberItem(pUser.get());
    }
    return 1;
}

CUserItem* CUserList::FindByNodeId(DWORD dwNodeId) const {
    auto it = m_NodeIndex.find(dwNodeId);
    return it == m_NodeIndex.end() ? nullptr : it->second;
}

CUserItem* CUserList::FindByUserId(DWORD dwUserId) const {
    for (int i = 0; i < m_Users.GetCount(); ++i) {
        CUserItem* pUser = m_Users.GetAt(i);
        if (pUser && pUser->m_dwUserId == dwUserId) return pUser;
    }
    return nullptr;
}

const wchar_t* CUserList::GetNameByUserId(DWORD dwUserId) const {
    const CUserItem* pUser = FindByUserId(dwUserId);
    return pUser ? pUser->m_strName.c_str() : nullptr;
}

DWORD CUserList::GetNodeIdByUserId(DWORD dwUserId) const {
    const CUserItem* pUser = FindByUserId(dwUserId);
    return pUser ? pUser->m_dwNodeId : 0;
}

DWORD CUserList::GetUserIdByNodeId(DWORD dwNodeId) const {
    const CUserItem* pUser = FindByNodeId(dwNodeId);
    return pUser ? pUser->m_dwUserId : 0;
}

DWORD CUserList::TestRole(DWORD dwNodeId, DWORD dwMask, CUserItem* pCopy) const {
    const CUserItem* pUser = FindByNodeId(dwNodeId);
    if (!pUser) return 2;
    if (pCopy) {
        pCopy->m_dwUserId = pUser->m_dwUserId;
        pCopy->m_dwNodeId = pUser->m_dwNodeId;
        pCopy->m_dwRosterInfo = pUser->m_dwRosterInfo;
        pCopy->m_strName = pUser->m_strName;
    }
    return pUser->m_dwRosterInfo & dwMask;
}

DWORD CUserList::IsHost(DWORD dwNodeId, CUserItem* pCopy) const {
    return TestRole(dwNodeId, QXCHAT_ROLE_HOST, pCopy);
}

DWORD CUserList::IsPresenter(DWORD dwNodeId, CUserItem* pCopy) const {
    return TestRole(dwNodeId, QXCHAT_ROLE_PRESENTER, pCopy);
}

DWORD CUserList::IsPanelist(DWORD dwNodeId, BOOL bPanelistOnly, CUserItem* pCopy) const {
    const DWORD dwPanelist = TestRole(dwNodeId, QXCHAT_ROLE_PANELIST, pCopy);
    if (bPanelistOnly || dwPanelist || !FindByNodeId(dwNodeId)) return dwPanelist;
    if (DWORD dwHost = TestRole(dwNodeId, QXCHAT_ROLE_HOST)) return dwHost;
    return TestRole(dwNodeId, QXCHAT_ROLE_PRESENTER);
}

DWORD CUserList::FindDuplicate(const CUserItem& newUser, BOOL bByCustomerId) const {
    // Customer id 0 means "no customer": matching on it would let every participant without
    // one replace the previous one.
    if (bByCustomerId && newUser.m_dwCustomerId != 0) {
        for (int i = 0; i < m_Users.GetCount(); ++i) {
            const CUserItem* pUser = m_Users.GetAt(i);
            if (pUser && pUser->m_dwCustomerId == newUser.m_dwCustomerId) return pUser->m_dwNodeId;
        }
        return 0;
    }
    // Node ids are unique in the list, so the index finds the only candidate: a walk of the
    // whole list per arrival would make a large roster change quadratic.
    const CUserItem* pUser = FindByNodeId(newUser.m_dwNodeId);
    return (pUser && pUser->m_dwUserId == newUser.m_dwUserId) ? pUser->m_dwNodeId : 0;
}

int CUserList::CountSpeakers(BOOL bCountAll) const {
    int nCount = 0;
    for (int i = 0; i < m_Users.GetCount(); ++i) {
        const CUserItem* pUser = m_Users.GetAt(i);
        if (pUser && (pUser->m_dwRosterInfo & ROLE_SPEAKERS)) {
            ++nCount;
            if (!bCountAll) break;
        }
    }
    return nCount;
}

void CUserList::DestroyAll() {
    m_Users.DeleteAll();
    m_NodeIndex.clear();
    m_Groups.DestroyAll();
}
