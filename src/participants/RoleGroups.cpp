#include "participants/RoleGroups.h"

DWORD EffectiveRoleSet(DWORD dwRoles) {
    if (dwRoles == 0) return QXCHAT_ROLE_ATTENDEE;
    if (dwRoles & (QXCHAT_ROLE_HOST | QXCHAT_ROLE_PRESENTER)) dwRoles |= QXCHAT_ROLE_PANELIST;
    return dwRoles;
}

BOOL IsRoleInGroup(DWORD dwRoles, int nGroupId) {
    return (EffectiveRoleSet(dwRoles) & static_cast<DWORD>(nGroupId)) != 0;
}

BOOL QxHasFullRights(DWORD dwPrivilege, DWORD dwRoles) {
    return (dwPrivilege & (QXCHAT_PRIV_FULL_A | QXCHAT_PRIV_FULL_B)) ||
           (dwRoles & (QXCHAT_ROLE_HOST | QXCHAT_ROLE_PRESENTER));
}

BOOL QxIsElevated(DWORD dwPrivilege, DWORD dwRoles) {
    return QxHasFullRights(dwPrivilege, dwRoles) || (dwPrivilege & QXCHAT_PRIV_ELEVATED) ||
           (dwRoles & QXCHAT_ROLE_PANELIST);
}

BOOL QxIsPlainAttendee(DWORD dwPrivilege, DWORD dwRoles) {
    return !QxIsElevated(dwPrivilege, dwRoles) && dwRoles != QXCHAT_ROLE_UNKNOWN;
}
