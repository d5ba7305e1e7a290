#include "engine/RecoveryList.h"

#include <algorithm>

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

bool CRecoveryList::Add(Item item) {
    const Key key(item.dwCacheHandle, item.dwCacheId);
    if (item.strText.empty() || m_shown.count(key) || !m_collected.insert(key).second) return false;
    auto at = std::upper_bound(m_items.begin(), m_items.end(), item.dwCacheId,
                               [](DWORD id, const Item& other) { return id < other.dwCacheId; });
    m_nBytes += item.strText.size();
    if (item.pParsed) std::string().swap(item.strText);
    m_items.insert(at, std::move(item));
    return true;
}

bool CRecoveryList::MarkShown(DWORD dwCacheHandle, DWORD dwCacheId) {
    return m_shown.insert(Key(dwCacheHandle, dwCacheId)).second;
}

bool CRecoveryList::IsShown(DWORD dwCacheHandle, DWORD dwCacheId) const {
    return m_shown.count(Key(dwCacheHandle, dwCacheId)) != 0;
}

std::vector<CRecoveryList::Item> CRecoveryList::TakeAll() {
    std::vector<Item> items;
    items.reserve(m_items.size());
    // The customer history or a live path may have shown a collected item since it came.
    for (Item& item : m_items)
        if (m_shown.insert(Key(item.dwCacheHandle, item.dwCacheId)).second) items.push_back(std::move(item));
    m_items.clear();
    m_nBytes = 0;
    m_collected.clear();
    return items;
}

void CRecoveryList::Reset() {
    m_awaited.clear();
    m_late.clear();
    m_items.clear();
    m_nBytes = 0;
    m_collected.clear();
    m_shown.clear();
}
