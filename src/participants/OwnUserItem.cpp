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
    return QxHasFullRights(m_dwPrivilege, m_dwRoles);
}

BOOL COwnUserItem::IsElevated() const {
    return QxIsElevated(m_dwPrivilege, m_dwRoles);
}

BOOL COwnUserItem::CanChatWith(DWORD dwBits, BOOL bStrict) const {
    if (bStrict) {
        if (HasFullRights()) return TRUE;
        if (!IsElevated()) return FALSE;
    }
    return (m_dwPrivilege & dwBits) == dwBits;
}

BOOL COwnUserItem::CanChatWithHost(BOOL bStrict) const {
    return CanChatWith(QXCHAT_PRIV_CHAT_HOST, bStrict);
}

BOOL COwnUserItem::CanChatWithPresenter(BOOL bStrict) const {
    return CanChatWith(QXCHAT_PRIV_CHAT_PRESENTER, bStrict);
}

BOOL COwnUserItem::CanChatWithPanelist(BOOL bStrict) const {
    return CanChatWith(QXCHAT_PRIV_CHAT_PANELIST, bStrict);
}

BOOL COwnUserItem::CanChatWithHostAndPresenter(BOOL bStrict) const {
    return CanChatWith(QXCHAT_PRIV_CHAT_HOST | QXCHAT_PRIV_CHAT_PRESENTER, bStrict);
}

BOOL COwnUserItem::CanChatWithHostPresenterPanelist(BOOL bStrict) const {
    return CanChatWith(QXCHAT_PRIV_CHAT_HOST | QXCHAT_PRIV_CHAT_PRESENTER | QXCHAT_PRIV_CHAT_PANELIST,
                       bStrict);
}

BOOL COwnUserItem::IsPlainAttendee() const {
    return QxIsPlainAttendee(m_dwPrivilege, m_dwRoles);
}

BOOL COwnUserItem::HasMemberListRight() const {
    return (m_dwPrivilege & QXCHAT_PRIV_MEMBER_LIST) != 0;
}

BOOL COwnUserItem::IsSupporter() const {
    return m_lUserType == QXCHAT_USER_TYPE_SUPPORTER_A || m_lUserType == QXCHAT_USER_TYPE_SUPPORTER_B;
}

BOOL COwnUserItem::IsCustomer() const {
    return m_lUserType == QXCHAT_USER_TYPE_CUSTOMER_A || m_lUserType == QXCHAT_USER_TYPE_CUSTOMER_B;
}
