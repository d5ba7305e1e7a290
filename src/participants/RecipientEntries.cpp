// COwnUserItem: what each group's "Send to:" entry carries and whether it may be chosen, in the
// rights-based model (the local rights decide) and the host-driven model (the host's group
// flags decide).
#include "participants/OwnUserItem.h"

#include "participants/UserItem.h"
#include "participants/UsersGroup.h"
#include "trace/Trace.h"

namespace {

enum DecisionExtra { EXTRA_NONE, EXTRA_ROSTER_FLAGS, EXTRA_EVERYONE };

const wchar_t* GroupIdName(int nId) {
    switch (nId) {
    case CHAT_HOST_ROLE_GROUP: return L"CHAT_HOST_ROLE_GROUP";
    case CHAT_PRESENTER_ROLE_GROUP: return L"CHAT_PRESENTER_ROLE_GROUP";
    case CHAT_ALL_HOST_PRESENTER_ROLE_GROUP: return L"CHAT_ALL_HOST_PRESENTER_ROLE_GROUP";
    case CHAT_PANELIST_ROLE_GROUP: return L"CHAT_PANELIST_ROLE_GROUP";
    case CHAT_ALL_HOST_PRESENTER_PANELIST_ROLE_GROUP: return L"CHAT_ALL_HOST_PRESENTER_PANELIST_ROLE_GROUP";
    case CHAT_ATTENDEES_GROUP_NEW: return L"CHAT_ATTENDEES_GROUP_NEW";
    case CHAT_ALL_USERS_ROLE_GROUP: return L"CHAT_ALL_USERS_ROLE_GROUP";
    default: return L"CHAT_SEPARATE_ROLE_GROUP";
    }
}

// One decision line; a FALSE decision of the roster-dependent groups also reports the roster
// flags (and for everyone the computed right).
void TraceDecision(const wchar_t* lpszOp, int nId, BOOL bShow, DecisionExtra extra, const COwnUserItem& own,
                   BOOL bEveryone) {
    if (bShow || extra == EXTRA_NONE) {
        Trace(L"/---- MyOwnUserItem::%s pGroup->GetGrpId() == %s,show = %s ----/", lpszOp, GroupIdName(nId),
              bShow ? L"TRUE" : L"FALSE");
    } else if (extra == EXTRA_ROSTER_FLAGS) {
        Trace(L"/---- MyOwnUserItem::%s pGroup->GetGrpId() == %s,show = FALSE,m_bNeedRosterInfo=%d,"
              L"m_bBroadcastRosterInfo = %d ----/",
              lpszOp, GroupIdName(nId), own.m_bNeedRosterInfo, own.m_bBroadcastRosterInfo);
    } else {
        Trace(L"/---- MyOwnUserItem::%s pGroup->GetGrpId() == %s,show = FALSE,m_bNeedRosterInfo=%d,"
              L"m_bBroadcastRosterInfo = %d,bForAllPaticipants=%d ----/",
              lpszOp, GroupIdName(nId), own.m_bNeedRosterInfo, own.m_bBroadcastRosterInfo, bEveryone);
    }
}

} // namespace

RecipientListContext COwnUserItem::Context() const {
    return m_pOwner ? m_pOwner->RecipientContext() : RecipientListContext();
}

BOOL COwnUserItem::CanAddressEveryone() const {
    const BOOL bStrict = Context().m_lStrictMode != 0;
    if (!(m_dwPrivilege & QXCHAT_PRIV_ATTENDEES) || !CanChatWithHost(bStrict) ||
        !CanChatWithPresenter(bStrict) || !CanChatWithHostAndPresenter(bStrict))
        return FALSE;
    return !(m_pGroupList && m_pGroupList->HasPanelistGroup()) || CanChatWithPanelist(bStrict);
}

DWORD COwnUserItem::MemberRole(const CUserItem& user) const {
    if (m_lUserType == QXCHAT_USER_TYPE_NONE) return EffectiveRoleSet(user.m_dwRosterInfo);
    return user.m_lUserType == QXCHAT_USER_TYPE_CUSTOMER_A ? QXCHAT_ROLE_PANELIST
                                                           : static_cast<DWORD>(m_lUserType);
}

int COwnUserItem::MakeDataItem(CUsersGroup* pGroup) {
    if (!pGroup) return -1;
    Trace(L"/**** MyOwnUserItem::MakeDataItem(CUsersGroup* pGroup) enter ****/");
    const wchar_t* op = L"MakeDataItem";
    ChatItemData& d = pGroup->m_ItemData;
    d.m_dwData[CHAT_DATA_FACT_NAME] = pGroup->m_bShowFactName ? 1 : 0;
    const RecipientListContext ctx = Context();
    const BOOL bStrict = ctx.m_lStrictMode != 0;
    const BOOL R = IsRosterShared(), S = HasSupportUserType();
    switch (pGroup->m_nType) {
    case CHAT_ROLE_GROUP: {
        Trace(L"/---- MyOwnUserItem::MakeDataItem nGrpType == CHAT_ROLE_GROUP ----/");
        d.m_dwData[CHAT_DATA_KIND] = CHAT_KIND_GROUP;
        d.m_dwData[CHAT_DATA_GROUP_ID] = static_cast<DWORD>(pGroup->m_nId);
        auto decide = [&](int nCode, BOOL bShow, DecisionExtra extra, BOOL bTrace) {
            d.SetCode(nCode);
            d.SetShown(bShow);
            if (bTrace) TraceDecision(op, pGroup->m_nId, bShow, extra, *this, CanAddressEveryone());
        };
        switch (pGroup->m_nId) {
        case CHAT_HOST_ROLE_GROUP: decide(CODE_HOSTS, CanChatWithHost(bStrict), EXTRA_NONE, TRUE); break;
        case CHAT_PRESENTER_ROLE_GROUP:
            decide(CODE_PRESENTERS, CanChatWithPresenter(bStrict), EXTRA_NONE, TRUE);
            break;
        case CHAT_ALL_HOST_PRESENTER_ROLE_GROUP:
            decide(S ? CODE_SUPPORT_HOSTS_PRESENTERS : CODE_HOSTS_PRESENTERS,
                   S || CanChatWithHostAndPresenter(bStrict), EXTRA_NONE, !S);
            break;
        case CHAT_PANELIST_ROLE_GROUP:
            decide(S ? CODE_SUPPORT_PANELISTS : CODE_PANELISTS, S || (CanChatWithPanelist(bStrict) && R),
                   EXTRA_ROSTER_FLAGS, !S);
            break;
        case CHAT_ALL_HOST_PRESENTER_PANELIST_ROLE_GROUP:
            decide(S ? CODE_EVERYONE : CODE_HOSTS_PRESENTERS_PANELISTS,
                   S || CanChatWithHostPresenterPanelist(bStrict), EXTRA_ROSTER_FLAGS, !S);
            break;
        case CHAT_ATTENDEES_GROUP_NEW:
            decide(CODE_ATTENDEES, (m_dwPrivilege & QXCHAT_PRIV_ATTENDEES) && R, EXTRA_ROSTER_FLAGS, TRUE);
            break;
        case CHAT_ALL_USERS_ROLE_GROUP:
            decide(S ? CODE_SUPPORT_EVERYONE : CODE_EVERYONE, S || (CanAddressEveryone() && R),
                   EXTRA_EVERYONE, !S);
            break;
        case CHAT_SEPARATE_ROLE_GROUP:
            d.m_dwData[CHAT_DATA_KIND] = CHAT_KIND_HEADING;
            decide(ctx.SeparatorKeepsRecentUsers() ? CODE_RECENT_USERS : CODE_HOSTS, TRUE, EXTRA_NONE, TRUE);
            break;
        default: break;
        }
        break;
    }
    case CHAT_HEADING_GROUP: d.m_dwData[CHAT_DATA_KIND] = CHAT_KIND_HEADING; break;
    case CHAT_UNSENDABLE_GROUP: d.m_dwData[CHAT_DATA_KIND] = CHAT_KIND_UNSENDABLE; break;
    case CHAT_PRIVATE_GROUP:
        d.m_dwData[CHAT_DATA_KIND] = CHAT_KIND_GROUP;
        d.m_dwData[CHAT_DATA_GROUP_ID] = CHAT_PRIVATE_CHAT_GROUP;
        d.m_dwData[CHAT_DATA_PRIVATE] = 1;
        pGroup->m_bDefault = FALSE;
        d.SetShown(HasFullRights() || (IsElevated() && (m_dwPrivilege & QXCHAT_PRIV_ATTENDEES)));
        break;
    default: break;
    }
    Trace(L"/==== MyOwnUserItem::MakeDataItem(CUsersGroup* pGroup) end ====/");
    return 0;
}

int COwnUserItem::MakeDataItem2(CUsersGroup* pGroup) {
    if (!pGroup) return -1;
    Trace(L"/**** MyOwnUserItem::MakeDataItem2 enter ****/");
    const wchar_t* op = L"MakeDataItem2";
    ChatItemData& d = pGroup->m_ItemData;
    d.m_dwData[CHAT_DATA_FACT_NAME] = pGroup->m_bShowFactName ? 1 : 0;
    const BOOL R = IsRosterShared(), S = HasSupportUserType(), bOpen = !pGroup->m_bDim;
    if (pGroup->m_nType == CHAT_ROLE_GROUP && pGroup->m_bVisible) {
        d.m_dwData[CHAT_DATA_KIND] = CHAT_KIND_GROUP;
        d.m_dwData[CHAT_DATA_GROUP_ID] = static_cast<DWORD>(pGroup->m_nId);
        d.m_dwData[CHAT_DATA_GONE] = 0;
        d.m_dwData[CHAT_DATA_LOCKED] = 0;
        auto decide = [&](int nCode, BOOL bShow, DecisionExtra extra, BOOL bTrace) {
            d.SetCode(nCode);
            d.SetShown(bShow);
            if (bTrace) TraceDecision(op, pGroup->m_nId, bShow, extra, *this, bOpen);
        };
        switch (pGroup->m_nId) {
        case CHAT_HOST_ROLE_GROUP: decide(CODE_HOSTS, bOpen, EXTRA_NONE, TRUE); break;
        case CHAT_PRESENTER_ROLE_GROUP: decide(CODE_PRESENTERS, bOpen, EXTRA_NONE, TRUE); break;
        case CHAT_ALL_HOST_PRESENTER_ROLE_GROUP:
            decide(S ? CODE_SUPPORT_HOSTS_PRESENTERS : CODE_HOSTS_PRESENTERS, S || bOpen, EXTRA_NONE, !S);
            break;
        case CHAT_PANELIST_ROLE_GROUP:
            decide(S ? CODE_SUPPORT_PANELISTS : CODE_PANELISTS, S || (bOpen && R), EXTRA_ROSTER_FLAGS, !S);
            break;
        case CHAT_ALL_HOST_PRESENTER_PANELIST_ROLE_GROUP:
            decide(S ? CODE_EVERYONE : CODE_HOSTS_PRESENTERS_PANELISTS, S || bOpen, EXTRA_ROSTER_FLAGS, !S);
            break;
        case CHAT_ATTENDEES_GROUP_NEW:
            decide(CODE_ATTENDEES, bOpen && R, EXTRA_ROSTER_FLAGS, TRUE);
            if (d.IsShown()) d.m_dwData[CHAT_DATA_LOCKED] = pGroup->m_bListedOnly ? 1 : 0;
            break;
        case CHAT_ALL_USERS_ROLE_GROUP:
            decide(S ? CODE_SUPPORT_EVERYONE : CODE_EVERYONE, S || (bOpen && R), EXTRA_EVERYONE, !S);
            break;
        default: break;
        }
    } else if (pGroup->m_nType == CHAT_HEADING_GROUP || pGroup->m_nType == CHAT_UNSENDABLE_GROUP) {
        d.m_dwData[CHAT_DATA_KIND] =
            pGroup->m_nType == CHAT_HEADING_GROUP ? CHAT_KIND_HEADING : CHAT_KIND_UNSENDABLE;
        d.m_dwData[CHAT_DATA_GONE] = pGroup->m_bVisible ? 0 : 1;
    }
    Trace(L"/==== MyOwnUserItem::MakeDataItem(CUsersGroup* pGroup) end ====/");
    return 0;
}

BOOL COwnUserItem::IsGroupAvailable(const CUsersGroup* pGroup) const {
    if (!pGroup) return FALSE;
    // One test for both group models: the local user's rights decide in the host-driven one too.
    const RecipientListContext ctx = Context();
    const BOOL bStrict = ctx.m_lStrictMode != 0, R = IsRosterShared();
    if (pGroup->m_nType == CHAT_PRIVATE_GROUP)
        return HasFullRights() || (IsElevated() && (m_dwPrivilege & QXCHAT_PRIV_ATTENDEES));
    if (pGroup->m_nType == CHAT_HEADING_GROUP) return FALSE;
    if (HasSupportUserType()) return TRUE;
    switch (pGroup->m_nId) {
    case CHAT_ATTENDEES_GROUP_NEW: return (m_dwPrivilege & QXCHAT_PRIV_ATTENDEES) && R;
    case CHAT_ALL_USERS_ROLE_GROUP:
        return (m_bAllUsersOverride ? m_lAllUsersValue != 0 : CanAddressEveryone()) && R;
    case CHAT_SEPARATE_ROLE_GROUP: return TRUE;
    case CHAT_HOST_ROLE_GROUP: return CanChatWithHost(bStrict);
    case CHAT_PRESENTER_ROLE_GROUP: return CanChatWithPresenter(bStrict);
    case CHAT_ALL_HOST_PRESENTER_ROLE_GROUP: return CanChatWithHostAndPresenter(bStrict);
    case CHAT_ALL_HOST_PRESENTER_PANELIST_ROLE_GROUP: return CanChatWithHostPresenterPanelist(bStrict);
    case CHAT_PANELIST_ROLE_GROUP:
        return CanChatWithPanelist(bStrict) && m_pUserList && m_pUserList->CountSpeakers(FALSE) > 0;
    default: return FALSE;
    }
}
