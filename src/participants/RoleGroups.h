// Role bits, the system's role groups and group types. A role group's id is the OR of the role
// bits of the participants it addresses, so membership is a bit test.
#pragma once

#include <windows.h>

// Role bits of a participant's role set (m_dwRosterInfo).
enum : DWORD {
    ROLE_HOST = 1,
    ROLE_PRESENTER = 2,
    ROLE_PANELIST = 4,
    ROLE_ATTENDEE = 8,
    // The local user's role before the host has told it.
    ROLE_UNKNOWN = 16,
    // Host, presenter or panelist.
    ROLE_SPEAKERS = ROLE_HOST | ROLE_PRESENTER | ROLE_PANELIST
};

// Group ids of the role groups.
enum {
    CHAT_HOST_ROLE_GROUP = 1,
    CHAT_PRESENTER_ROLE_GROUP = 2,
    CHAT_ALL_HOST_PRESENTER_ROLE_GROUP = 3,
    CHAT_PANELIST_ROLE_GROUP = 4,
    CHAT_ALL_HOST_PRESENTER_PANELIST_ROLE_GROUP = 7,
    CHAT_ATTENDEES_GROUP_NEW = 8,
    CHAT_ALL_USERS_ROLE_GROUP = 15,
    CHAT_SEPARATE_ROLE_GROUP = 4096,
    // The type-4 group's entry carries this group id.
    CHAT_PRIVATE_CHAT_GROUP = 32,
    // The heading the engine puts after the recent users of the separator.
    CHAT_RECENT_USERS_HEADING = 33,
    // Ids of groups the host application manages itself.
    CHAT_HOST_MANAGED_FIRST = 200,
    CHAT_HOST_MANAGED_LAST = 10000
};

// Group types.
enum { CHAT_ROLE_GROUP = 1, CHAT_HEADING_GROUP = 2, CHAT_UNSENDABLE_GROUP = 3, CHAT_PRIVATE_GROUP = 4 };

// The role set used for membership: 0 counts as attendee, host or presenter also as panelist.
DWORD EffectiveRoleSet(DWORD dwRoles);

// Whether a participant with this role set belongs to the group with this id.
BOOL IsRoleInGroup(DWORD dwRoles, int nGroupId);
