#include "TestControl.h"

#include "pdu/RosterInfoPDU.h"

namespace qxtest {

std::string RosterText(const std::string& strName, DWORD dwRoles, LONG lVisible, DWORD dwUserType,
                       DWORD dwGuestId) {
    CRosterInfoPDU pdu;
    pdu.SetName(strName);
    pdu.SetRoleSet(dwRoles);
    pdu.SetVisible(lVisible);
    pdu.SetUserType(dwUserType);
    pdu.SetGuestId(dwGuestId);
    pdu.GenerateXMLPDU();
    return pdu.GetXMLText();
}

RosterList& RosterList::Record(DWORD dwChatRoomId, const std::vector<EntrySpec>& entries) {
    std::vector<QxEnrollEntry> built;
    for (const EntrySpec& def : entries) {
        m_texts.push_back(def.strText);
        const std::string& text = m_texts.back();
        QxEnrollEntry entry = {};
        entry.node_id = def.dwNodeId;
        entry.user_id = def.dwUserId;
        entry.user_data = def.bNullData ? nullptr : text.data();
        entry.user_data_length =
            def.nLength != EntrySpec::kOwnLength ? def.nLength : static_cast<int>(text.size());
        built.push_back(entry);
    }
    m_entries.push_back(std::move(built));
    QxRosterRecord record = {};
    record.chat_room_id = dwChatRoomId;
    record.entry_count = static_cast<WORD>(m_entries.back().size());
    record.entries = m_entries.back().empty() ? nullptr : m_entries.back().data();
    m_records.push_back(record);
    return *this;
}

} // namespace qxtest
