#include "engine/RecoveryList.h"

#include "pdu/GroupMessagePDU.h"

#include <algorithm>
#include <iterator>

bool CShownItems::Insert(DWORD dwCacheHandle, DWORD dwCacheId) {
    Ranges& ranges = m_ranges[dwCacheHandle];
    // The range after the id, and the one that may hold it or end just before it.
    auto next = ranges.upper_bound(dwCacheId);
    if (next != ranges.begin()) {
        auto prev = std::prev(next);
        if (dwCacheId <= prev->second) return false;
        if (prev->second + 1 == dwCacheId) {
            prev->second = dwCacheId;
            if (next != ranges.end() && next->first == dwCacheId + 1) {
                prev->second = next->second;
                ranges.erase(next);
            }
            return true;
        }
    }
    if (next != ranges.end() && next->first == dwCacheId + 1) {
        const DWORD dwLast = next->second;
        ranges.erase(next);
        ranges.emplace(dwCacheId, dwLast);
        return true;
    }
    ranges.emplace(dwCacheId, dwCacheId);
    return true;
}

bool CShownItems::Contains(DWORD dwCacheHandle, DWORD dwCacheId) const {
    auto cache = m_ranges.find(dwCacheHandle);
    if (cache == m_ranges.end()) return false;
    auto next = cache->second.upper_bound(dwCacheId);
    return next != cache->second.begin() && dwCacheId <= std::prev(next)->second;
}

size_t CShownItems::RangeCount() const {
    size_t n = 0;
    for (const auto& cache : m_ranges)
        n += cache.second.size();
    return n;
}

CRecoveryList::Message CRecoveryList::FromPdu(const CGroupMessagePDU& pdu) {
    Message message;
    message.dwSendId = pdu.GetSendId();
    message.dwSendNodeId = pdu.GetSendNodeId();
    message.dwGroupId = pdu.GetGroupId();
    message.strSenderName = pdu.GetSenderName();
    message.strText = pdu.GetMessageText();
    return message;
}

void CRecoveryList::ToPdu(const Message& message, DWORD dwCacheId, CGroupMessagePDU& pdu) {
    pdu.SetSendId(message.dwSendId);
    pdu.SetSendNodeId(message.dwSendNodeId);
    pdu.SetGroupId(message.dwGroupId);
    pdu.SetSenderName(message.strSenderName);
    pdu.SetMessageText(message.strText);
    pdu.SetGroupCacheId(dwCacheId);
}

void CRecoveryList::Expect(DWORD dwCacheHandle) {
    ++m_awaited[dwCacheHandle];
    m_late.erase(dwCacheHandle); // a new read answers for it
}

bool CRecoveryList::Answered(DWORD dwCacheHandle) {
    auto it = m_awaited.find(dwCacheHandle);
    if (it == m_awaited.end()) return false;
    if (--it->second <= 0) m_awaited.erase(it);
    return true;
}

int CRecoveryList::Outstanding() const {
    int n = 0;
    for (const auto& entry : m_awaited)
        n += entry.second;
    return n;
}

void CRecoveryList::DropOutstanding() {
    for (const auto& entry : m_awaited)
        m_late.insert(entry.first);
    m_awaited.clear();
}

// Items of one id sit together just before where a new one of that id goes.
bool CRecoveryList::IsCollected(const Item& item, std::deque<Item>::const_iterator at) const {
    while (at != m_items.begin()) {
        --at;
        if (at->dwCacheId != item.dwCacheId) return false;
        if (at->dwCacheHandle == item.dwCacheHandle) return true;
    }
    return false;
}

bool CRecoveryList::Add(Item item, size_t bytes) {
    if (bytes == 0) return false;
    if (m_shown.Contains(item.dwCacheHandle, item.dwCacheId)) return false;
    auto at = std::upper_bound(m_items.begin(), m_items.end(), item.dwCacheId,
                               [](DWORD id, const Item& other) { return id < other.dwCacheId; });
    if (IsCollected(item, at)) return false;
    m_nBytes += bytes;
    if (item.bParsed) std::string().swap(item.strText);
    m_items.insert(at, std::move(item));
    return true;
}

std::deque<CRecoveryList::Item> CRecoveryList::TakeAll() {
    std::deque<Item> items;
    items.swap(m_items);
    // The customer history or a live path may have shown a collected item since it came.
    auto kept = std::remove_if(items.begin(), items.end(), [this](const Item& item) {
        return !m_shown.Insert(item.dwCacheHandle, item.dwCacheId);
    });
    items.erase(kept, items.end());
    m_nBytes = 0;
    return items;
}

void CRecoveryList::Reset() {
    m_awaited.clear();
    m_late.clear();
    m_items.clear();
    m_nBytes = 0;
    m_shown.Clear();
}
