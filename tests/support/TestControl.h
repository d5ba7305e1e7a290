// The stand-in conference's test control as the tests use it: reset, the log of the calls the
// controllers received, waiting until every posted callback is delivered, and roster change
// lists built the way the controller lays them out.
#pragma once

#include "Pump.h"
#include "qxnodectl.h"
#include "qxnodectl_test.h"

#include <windows.h>
#include <deque>
#include <string>
#include <vector>

namespace qxtest {

// The process's test control.
IQxNodeControlTest* Control();
// The process's test control, reset.
IQxNodeControlTest* FreshControl();
// The logged calls of one operation, oldest first.
std::vector<QxNcCall> CallsOf(DWORD op);
// The operation codes of every logged call, oldest first.
std::vector<DWORD> LoggedOps();

// Pumps until no controller has a callback waiting, then dispatches what is queued. A
// conference that does not go quiet within the time fails the running test.
bool PumpUntilQuiet(DWORD timeoutMs = 5000);

// A roster information text as a participant enrolls with it.
std::string RosterText(const std::string& strName, DWORD dwRoles = 8, LONG lVisible = 1, DWORD dwUserType = 0,
                       DWORD dwGuestId = 0);

// One enroll entry to be: the text is kept by the list. bNullData gives a null data pointer;
// nLength, when given, replaces the text's own length.
struct EntrySpec {
    static constexpr int kOwnLength = -0x7fffffff;
    DWORD dwNodeId;
    DWORD dwUserId;
    std::string strText;
    bool bNullData = false;
    int nLength = kOwnLength;
};

// A roster change list with stable storage.
class RosterList {
public:
    // Appends a record of that chat room with those entries.
    RosterList& Record(DWORD dwChatRoomId, const std::vector<EntrySpec>& entries);
    const QxRosterRecord* Get() const { return m_records.empty() ? nullptr : m_records.data(); }

private:
    std::deque<std::string> m_texts;
    std::deque<std::vector<QxEnrollEntry>> m_entries;
    std::vector<QxRosterRecord> m_records;
};

} // namespace qxtest

// The harness's earlier names, which tests still use.
namespace enginetest = qxtest;
