#include "engine/GroupSubscriptions.h"

#include "participants/OwnUserItem.h"

std::vector<QxGroupSubscription> QxPlanGroupSubscriptions(LONG lMeetingType, const COwnUserItem& own) {
    std::vector<QxGroupSubscription> plan{{CHAT_ALL_USERS_ROLE_GROUP, true}};
    if (lMeetingType == QXCHAT_MEETING_TYPE_SUPPORT) {
        plan.push_back({CHAT_ALL_HOST_PRESENTER_ROLE_GROUP, own.IsSupporter() != FALSE});
        plan.push_back({CHAT_PANELIST_ROLE_GROUP, own.IsCustomer() != FALSE});
        return plan;
    }
    const DWORD P = own.m_dwPrivilege, R = own.m_dwRoles;
    const bool A = (P & QXCHAT_PRIV_FULL_A) || (R & QXCHAT_ROLE_HOST);
    const bool B = (P & QXCHAT_PRIV_FULL_B) || (R & QXCHAT_ROLE_PRESENTER);
    const bool H = own.IsElevated() != FALSE;
    const bool T = own.IsPlainAttendee() != FALSE;
    plan.push_back({CHAT_HOST_ROLE_GROUP, A});
    plan.push_back({CHAT_ALL_HOST_PRESENTER_ROLE_GROUP, A || B});
    plan.push_back({CHAT_PANELIST_ROLE_GROUP, H});
    plan.push_back({CHAT_ALL_HOST_PRESENTER_PANELIST_ROLE_GROUP, H});
    plan.push_back({CHAT_PRESENTER_ROLE_GROUP, B});
    plan.push_back({CHAT_ATTENDEES_GROUP_NEW, T});
    return plan;
}
