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

void CHistoryCopyQueue::AwaitGroupItem(DWORD dwCacheHandle) {
    if (m_entries.size() >= HISTORY_COPY_MAX_HELD) return; // its copy is written when it comes
    m_entries.push_back({dwCacheHandle, false, std::string()});
}

std::vector<std::string> CHistoryCopyQueue::Write(std::string strCopy) {
    m_entries.push_back({0, true, std::move(strCopy)});
    if (m_entries.size() > HISTORY_COPY_MAX_HELD) return TakeAll();
    return TakeReady();
}

std::vector<std::string> CHistoryCopyQueue::GroupItemBack(DWORD dwCacheHandle, std::string strCopy) {
    // A cache hands its items back in the order they were written.
    for (Entry& entry : m_entries) {
        if (entry.bReady || entry.dwCacheHandle != dwCacheHandle) continue;
        entry.bReady = true;
        entry.strCopy = std::move(strCopy);
        return TakeReady();
    }
    std::vector<std::string> due(1, std::move(strCopy));
    return due;
}

std::vector<std::string> CHistoryCopyQueue::GiveUp(DWORD dwCacheHandle) {
    for (auto it = m_entries.begin(); it != m_entries.end();) {
        if (!it->bReady && it->dwCacheHandle == dwCacheHandle)
            it = m_entries.erase(it);
        else
            ++it;
    }
    return TakeReady();
}

std::vector<std::string> CHistoryCopyQueue::TakeAll() {
    std::vector<std::string> due;
    for (Entry& entry : m_entries)
        if (entry.bReady) due.push_back(std::move(entry.strCopy));
    m_entries.clear();
    return due;
}

std::vector<std::string> CHistoryCopyQueue::TakeReady() {
    std::vector<std::string> due;
    while (!m_entries.empty() && m_entries.front().bReady) {
        due.push_back(std::move(m_entries.front().strCopy));
        m_entries.pop_front();
    }
    return due;
}

std::string QxMakeMessageId(DWORD dwNodeId, DWORD dwStartTime, DWORD dwSerial) {
    return std::to_string(dwNodeId) + "-" + std::to_string(dwStartTime) + "-" + std::to_string(dwSerial);
}

bool QxCopiesGroupItem(bool bSenderCopies, bool bOwnItem) {
    return bSenderCopies ? bOwnItem : true;
}
