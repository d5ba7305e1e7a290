// The roster rules that need no window: the roster flags of an enrollment, what counts as a
// change of the host's roster status, the layout of a roster change list, reading one enroll
// entry into a participant record, and the hidden recording participant.
#pragma once

#include "qxnodectl.h"

#include <windows.h>
#include <string>

class CUserItem;

// The enrollment's roster flags: 2 for the need value, 1 for the broadcast value (0 to 3).
DWORD QxRosterFlags(LONG lNeedRosterInfo, LONG lBroadcastRosterInfo);

// A roster status value changed only when it went from 0 to 1 or from 1 to 0.
bool QxRosterValueFlips(LONG lOld, LONG lNew);

// The three runs of a roster change list: add_num records of additions, then remove_num of
// removals, then change_num of changes. A run is null when it is empty or there is no list.
struct QxRosterChangeRuns {
    const QxRosterRecord* pAdded = nullptr;
    const QxRosterRecord* pRemoved = nullptr;
    const QxRosterRecord* pChanged = nullptr;
};
QxRosterChangeRuns QxSplitRosterChange(WORD add_num, WORD remove_num, WORD change_num,
                                       const QxRosterRecord* list);

// Fills pItem from entry nIndex of pRoster: the ids, and what the entry's roster information
// gives. 0 when the item was filled (a text that does not parse leaves only the ids), -1 when
// the entry cannot be read. Every failure writes its trace line.
int QxExtractEnrollInfo(int nIndex, CUserItem* pItem, const QxRosterRecord* pRoster);

// The server-side recording participant, hidden from every list. Exact-case comparison.
bool QxIsRecordingUser(const std::wstring& strName);
