#include "participants/RoleGroups.h"

DWORD EffectiveRoleSet(DWORD dwRoles) {
    if (dwRoles == 0) return ROLE_ATTENDEE;
    if (dwRoles & (ROLE_HOST | ROLE_PRESENTER)) dwRoles |= ROLE_PANELIST;
    return dwRoles;
}

BOOL IsRoleInGroup(DWORD dwRoles, int nGroupId) {
    return (EffectiveRoleSet(dwRoles) & static_cast<DWORD>(nGroupId)) != 0;
}
