#include "engine/CustomerHistory.h"

bool CHistoryPrivateFilter::Admit(DWORD dwSendId, DWORD dwRecId, const std::string& strMessageId,
                                  const std::string& strText) {
    const Content content(dwSendId, dwRecId, strText);
    if (!strMessageId.empty()) {
        if (!m_ids.insert({dwSendId, strMessageId}).second) return false;
        ++m_open[content];
        return true;
    }
    auto it = m_open.find(content);
    if (it != m_open.end() && it->second > 0) {
        if (--it->second == 0) m_open.erase(it);
        return false;
    }
    ++m_open[content];
    return true;
}

void CHistoryPrivateFilter::Reset() {
    m_ids.clear();
    m_open.clear();
}

std::string QxMakeMessageId(DWORD dwNodeId, DWORD dwStartTime, DWORD dwSerial) {
    return std::to_string(dwNodeId) + "-" + std::to_string(dwStartTime) + "-" + std::to_string(dwSerial);
}

bool QxCopiesGroupItem(bool bSenderCopies, bool bOwnItem) {
    return bSenderCopies ? bOwnItem : true;
}
