// Who may read a message of the host group: the ids a PDU names are the sender's word, so a
// participant without the host right sees only what it wrote itself.
#include "engine/ReceiveRules.h"

#include "participants/OwnUserItem.h"
#include "participants/RoleGroups.h"

#include <gtest/gtest.h>

namespace {

constexpr DWORD kOwnUser = 30001, kOwnNode = 1001, kOther = 30002, kOtherNode = 1002;

QxOwnIdentity Own(DWORD dwPrivilege, DWORD dwRoles) {
    QxOwnIdentity own;
    own.dwPrivilege = dwPrivilege;
    own.dwRoles = dwRoles;
    own.dwUserId = kOwnUser;
    own.dwNodeId = kOwnNode;
    return own;
}

TEST(ReceiveRules, HostGroupMessages) {
    const QxOwnIdentity attendee = Own(QXCHAT_PRIV_ATTENDEES | QXCHAT_PRIV_SEND, QXCHAT_ROLE_ATTENDEE);
    struct Case {
        const char* label;
        QxOwnIdentity own;
        DWORD dwSendId, dwSendNodeId, dwWriterId;
        bool bShown;
    } cases[] = {
        {"a host reads another's", Own(0, QXCHAT_ROLE_HOST), kOther, kOtherNode, kOther, true},
        {"full rights read another's", Own(QXCHAT_PRIV_FULL_A, QXCHAT_ROLE_ATTENDEE), kOther, kOtherNode,
         kOther, true},
        {"presenter rights are not enough",
         Own(QXCHAT_PRIV_FULL_B | QXCHAT_PRIV_CHAT_PRESENTER, QXCHAT_ROLE_PRESENTER), kOther, kOtherNode,
         kOther, false},
        {"an attendee reads its own", attendee, kOwnUser, kOwnNode, kOwnUser, true},
        {"its own, read back with no writer known", attendee, kOwnUser, kOwnNode, 0, true},
        {"another's", attendee, kOther, kOtherNode, kOther, false},
        {"another's naming the attendee's node", attendee, kOther, kOwnNode, kOther, false},
        {"another's naming both ids, its writer tells", attendee, kOwnUser, kOwnNode, kOther, false},
        {"another's naming the node, no writer known", attendee, kOther, kOwnNode, 0, false},
        {"no ids at all", attendee, 0, 0, 0, false},
        {"not yet attached: no own ids", Own(QXCHAT_PRIV_SEND, QXCHAT_ROLE_ATTENDEE), 0, 0, 0, false},
    };
    cases[10].own.dwUserId = 0;
    cases[10].own.dwNodeId = 0;
    for (const Case& c : cases)
        EXPECT_EQ(QxMayShowHostGroupMessage(c.own, c.dwSendId, c.dwSendNodeId, c.dwWriterId), c.bShown)
            << c.label;
}

} // namespace
