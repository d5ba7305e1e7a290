#include "participants/OwnUserItem.h"

#include <cwchar>

void COwnUserItem::SetOwnName(const wchar_t* lpszName) {
    if (!lpszName) {
        m_pszOwnName.reset();
        return;
    }
    const size_t nLength = std::wcslen(lpszName);
    std::unique_ptr<wchar_t[]> pszCopy(new wchar_t[nLength + 1]);
    std::wmemcpy(pszCopy.get(), lpszName, nLength + 1);
    m_pszOwnName = std::move(pszCopy);
}

BOOL COwnUserItem::SetPrivilege(DWORD dwPrivilege) {
    if (dwPrivilege == m_dwPrivilege) return FALSE;
    m_dwPrevPrivilege = m_dwPrivilege;
    m_dwPrivilege = dwPrivilege;
    return TRUE;
}

BOOL COwnUserItem::SetRoles(DWORD dwRoles) {
    if (dwRoles == m_dwRoles) return FALSE;
    m_dwPrevRoles = m_dwRoles;
    m_dwRoles = dwRoles;
    return TRUE;
}

BOOL COwnUserItem::SetUserType(LONG lUserType) {
    m_lPrevUserType = m_lUserType;
    m_lUserType = lUserType;
    return m_lPrevUserType != m_lUserType;
}

BOOL COwnUserItem::HasFullRights() const {
    return (m_dwPrivilege & (PRIV_FULL_A | PRIV_FULL_B)) || (m_dwRoles & (ROLE_HOST | ROLE_PRESENTER));
}

BOOL COwnUserItem::IsElevated() const {
    return HasFullRights() || (m_dwPrivilege & PRIV_ELEVATED) || (m_dwRoles & ROLE_PANELIST);
}

BOOL COwnUserItem::CanChatWith(DWORD dwBits, BOOL bStrict) const {
    if (bStrict) {
        if (HasFullRights()) return TRUE;
        if (!IsElevated()) return FALSE;
    }
    return (m_dwPrivilege & dwBits) == dwBits;
}

BOOL COwnUserItem::CanChatWithHost(BOOL bStrict) const {
    return CanChatWith(PRIV_CHAT_HOST, bStrict);
}

BOOL COwnUserItem::CanChatWithPresenter(BOOL bStrict) const {
    return CanChatWith(PRIV_CHAT_PRESENTER, bStrict);
}

BOOL COwnUserItem::CanChatWithPanelist(BOOL bStrict) const {
    return CanChatWith(PRIV_CHAT_PANELIST, bStrict);
}

BOOL COwnUserItem::CanChatWithHostAndPresenter(BOOL bStrict) const {
    return CanChatWith(PRIV_CHAT_HOST | PRIV_CHAT_PRESENTER, bStrict);
}

BOOL COwnUserItem::CanChatWithHostPresenterPanelist(BOOL bStrict) const {
    return CanChatWith(PRIV_CHAT_HOST | PRIV_CHAT_PRESENTER | PRIV_CHAT_PANELIST, bStrict);
}

BOOL COwnUserItem::IsPlainAttendee() const {
    return !HasFullRights() && !IsElevated() && m_dwRoles != ROLE_UNKNOWN;
}

BOOL COwnUserItem::HasMemberListRight() const {
    return (m_dwPrivilege & PRIV_MEMBER_LIST) != 0;
}

BOOL COwnUserItem::IsSupporter() const {
    return m_lUserType == USER_TYPE_SUPPORTER_A || m_lUserType == USER_TYPE_SUPPORTER_B;
}

BOOL COwnUserItem::IsCustomer() const {
    return m_lUserType == USER_TYPE_CUSTOMER_A || m_lUserType == USER_TYPE_CUSTOMER_B;
}
