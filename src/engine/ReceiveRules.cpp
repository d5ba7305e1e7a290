#include "engine/ReceiveRules.h"

#include "participants/OwnUserItem.h"
#include "participants/RoleGroups.h"

bool QxMayShowHostGroupMessage(const QxOwnIdentity& own, DWORD dwSendId, DWORD dwSendNodeId,
                               DWORD dwWriterId) {
    if ((own.dwPrivilege & QXCHAT_PRIV_FULL_A) || (own.dwRoles & QXCHAT_ROLE_HOST)) return true;
    const bool bClaimsOwn = own.dwUserId != 0 && dwSendId == own.dwUserId && dwSendNodeId == own.dwNodeId;
    return bClaimsOwn && (dwWriterId == 0 || dwWriterId == own.dwUserId);
}
