// Role bits, the system's role groups, group types and the display codes of group entries. A
// role group's id is the OR of the role bits of the participants it addresses, so membership is a
// bit test. The values hosts see are declared once, in qxchat.h; the names here are the ones the
// recipient list is written in, bound to those values.
#pragma once

#include <windows.h>

#include "qxchat.h"

// Host, presenter or panelist: the roles that speak.
enum : DWORD { ROLE_SPEAKERS = QXCHAT_ROLE_HOST | QXCHAT_ROLE_PRESENTER | QXCHAT_ROLE_PANELIST };

// Group ids of the role groups.
enum {
    CHAT_HOST_ROLE_GROUP = QXCHAT_GROUP_HOSTS,
    CHAT_PRESENTER_ROLE_GROUP = QXCHAT_GROUP_PRESENTERS,
    CHAT_ALL_HOST_PRESENTER_ROLE_GROUP = QXCHAT_GROUP_HOSTS_PRESENTERS,
    CHAT_PANELIST_ROLE_GROUP = QXCHAT_GROUP_PANELISTS,
    CHAT_ALL_HOST_PRESENTER_PANELIST_ROLE_GROUP = QXCHAT_GROUP_HOSTS_PRESENTERS_PANELISTS,
    CHAT_ATTENDEES_GROUP_NEW = QXCHAT_GROUP_ATTENDEES,
    CHAT_ALL_USERS_ROLE_GROUP = QXCHAT_GROUP_EVERYONE,
    CHAT_SEPARATE_ROLE_GROUP = QXCHAT_GROUP_SEPARATOR,
    // The type-4 group's entry carries this group id.
    CHAT_PRIVATE_CHAT_GROUP = QXCHAT_GROUP_PRIVATE_CHAT,
    // The heading the engine puts after the recent users of the separator.
    CHAT_RECENT_USERS_HEADING = 33,
    // Ids of groups the host application manages itself.
    CHAT_HOST_MANAGED_FIRST = QXCHAT_GROUP_HOST_MANAGED_FIRST,
    CHAT_HOST_MANAGED_LAST = QXCHAT_GROUP_HOST_MANAGED_LAST
};

// Group types.
enum {
    CHAT_ROLE_GROUP = QXCHAT_GROUP_TYPE_ROLE,
    CHAT_HEADING_GROUP = QXCHAT_GROUP_TYPE_HEADING,
    CHAT_UNSENDABLE_GROUP = QXCHAT_GROUP_TYPE_LABEL,
    CHAT_PRIVATE_GROUP = QXCHAT_GROUP_TYPE_PRIVATE
};

// Display codes: word 2 of a group entry.
enum {
    CODE_HOSTS = -1,
    CODE_HOSTS_PRESENTERS = -2,
    CODE_PRESENTERS = -3,
    CODE_PANELISTS = -4,
    CODE_HOSTS_PRESENTERS_PANELISTS = -5,
    CODE_ATTENDEES = -6,
    CODE_EVERYONE = 0,
    // While the local user has a customer-support user type.
    CODE_SUPPORT_HOSTS_PRESENTERS = 101,
    CODE_SUPPORT_PANELISTS = 102,
    CODE_SUPPORT_EVERYONE = 103,
    // The separator that keeps the recent users under it.
    CODE_RECENT_USERS = 110,
    // Never produced here; an entry that carries it cannot be chosen.
    CODE_NOT_CHOOSABLE = 98
};

// The role set used for membership: 0 counts as attendee, host or presenter also as panelist.
DWORD EffectiveRoleSet(DWORD dwRoles);

// Whether a participant with this role set belongs to the group with this id.
BOOL IsRoleInGroup(DWORD dwRoles, int nGroupId);

// The rights tests over a privilege word (QXCHAT_PRIV_*) and a role set (QXCHAT_ROLE_*).
// Full rights: privilege bit FULL_A or FULL_B, or the host or presenter role.
BOOL QxHasFullRights(DWORD dwPrivilege, DWORD dwRoles);
// Elevated: full rights, privilege bit ELEVATED, or the panelist role.
BOOL QxIsElevated(DWORD dwPrivilege, DWORD dwRoles);
// Neither, and a role has been told.
BOOL QxIsPlainAttendee(DWORD dwPrivilege, DWORD dwRoles);

// A plain attendee by role: no role told, or the attendee role alone.
inline BOOL IsPlainAttendeeRole(DWORD dwRoles) {
    return dwRoles == 0 || dwRoles == QXCHAT_ROLE_ATTENDEE;
}
