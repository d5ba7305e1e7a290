// Which group caches the local user's roles and rights call for: the subscription table as a
// plain function, so that it can be checked without a conference.
#pragma once

#include <windows.h>
#include <vector>

class COwnUserItem;

struct QxGroupSubscription {
    int nGroupId;
    bool bSubscribe; // false: unsubscribe
    bool operator==(const QxGroupSubscription& o) const {
        return nGroupId == o.nGroupId && bSubscribe == o.bSubscribe;
    }
};

// The requests in the order they are issued: everyone (15) first, then per meeting type.
// Meeting type 3 (customer support): 3 for supporters, 4 for customers. Otherwise, with A = host
// rights, B = presenter rights, H = host-like rights and T = attendee only: 1 by A, 3 by A or B,
// 4 and 7 by H, 2 by B, 8 by T. A request for a state the cache is already in sends nothing,
// so only the first request of each group counts and each group appears once.
std::vector<QxGroupSubscription> QxPlanGroupSubscriptions(LONG lMeetingType, const COwnUserItem& own);
