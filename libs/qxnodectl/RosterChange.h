// A roster change list in the controller's binary layout, owning every byte it points at, so
// that it can wait in a queue and be handed to ApeRosterChanged as one pointer.
#pragma once

#include "qxnodectl.h"

#include <vector>

namespace qxnc {

struct EntrySpec {
    DWORD nodeId = 0;
    DWORD userId = 0;
    bool hasData = true;    // false: the entry's data pointer is null
    std::vector<char> data; // the roster text
    int length = 0;         // what the entry says its data's length is
};

struct RecordSpec {
    DWORD confHandle = 0;
    DWORD chatRoomId = 0;
    DWORD version = 0;
    std::vector<EntrySpec> entries;
};

class RosterChange {
public:
    // records: add records, then remove records, then change records; nullList hands the
    // counts with a null list.
    RosterChange(WORD addNum, WORD removeNum, WORD changeNum, std::vector<RecordSpec> records,
                 bool nullList = false);
    RosterChange(const RosterChange&) = delete;
    RosterChange& operator=(const RosterChange&) = delete;

    WORD AddNum() const { return m_addNum; }
    WORD RemoveNum() const { return m_removeNum; }
    WORD ChangeNum() const { return m_changeNum; }
    const QxRosterRecord* List() const { return m_nullList ? nullptr : m_records.data(); }

private:
    WORD m_addNum, m_removeNum, m_changeNum;
    bool m_nullList;
    std::vector<RecordSpec> m_specs;
    std::vector<std::vector<QxEnrollEntry>> m_entries;
    std::vector<QxRosterRecord> m_records;
};

} // namespace qxnc
