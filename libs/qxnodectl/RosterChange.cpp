#include "RosterChange.h"

namespace qxnc {

RosterChange::RosterChange(WORD addNum, WORD removeNum, WORD changeNum, std::vector<RecordSpec> records,
                           bool nullList)
    : m_addNum(addNum), m_removeNum(removeNum), m_changeNum(changeNum), m_nullList(nullList),
      m_specs(std::move(records)) {
    // The specs are not touched after this, so the pointers into their buffers stay valid.
    static const char kEmpty[1] = {0};
    m_entries.resize(m_specs.size());
    m_records.resize(m_specs.size());
    for (size_t r = 0; r < m_specs.size(); ++r) {
        const RecordSpec& rec = m_specs[r];
        for (const EntrySpec& e : rec.entries) {
            const char* data = e.hasData ? (e.data.empty() ? kEmpty : e.data.data()) : nullptr;
            m_entries[r].push_back(QxEnrollEntry{e.nodeId, e.userId, data, e.length});
        }
        QxRosterRecord& out = m_records[r];
        out.conf_handle = rec.confHandle;
        out.chat_room_id = rec.chatRoomId;
        out.version = rec.version;
        out.entry_count = static_cast<WORD>(m_entries[r].size());
        out.padding = 0;
        out.entries = m_entries[r].empty() ? nullptr : m_entries[r].data();
    }
}

} // namespace qxnc
