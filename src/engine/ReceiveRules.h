// Rules of what a received message may show, without a window.
#pragma once

#include <windows.h>

// Who the local user is, for the receive rules.
struct QxOwnIdentity {
    DWORD dwPrivilege = 0;
    DWORD dwRoles = 0;
    DWORD dwUserId = 0;
    DWORD dwNodeId = 0;
};

// A message of the host group is shown to a participant with the host right (privilege bit
// QXCHAT_PRIV_FULL_A or role QXCHAT_ROLE_HOST), and to anyone else only when it is its own. The ids inside a
// PDU are the sender's word and can name anyone, so "own" needs both of them to be the local
// user's, and the writer the conference reports (the cache item's writer, the data's sender)
// to be the local user too; dwWriterId 0 means the path does not know the writer.
bool QxMayShowHostGroupMessage(const QxOwnIdentity& own, DWORD dwSendId, DWORD dwSendNodeId,
                               DWORD dwWriterId);
