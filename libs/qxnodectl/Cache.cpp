#include "Cache.h"

#include <algorithm>

namespace qxnc {

const CacheItem& Cache::Store(DWORD action, CacheItem item) {
    item.id = m_nextId++;
    if (action == QXNC_CACHE_REPLACE) m_items.clear();
    m_items.push_back(std::move(item));
    return m_items.back();
}

Cache::Items::const_iterator Cache::From(DWORD firstId) const {
    return std::lower_bound(m_items.begin(), m_items.end(), firstId,
                            [](const CacheItem& item, DWORD id) { return item.id < id; });
}

DWORD CacheSpace::HandleOf(const std::string& name) const {
    auto it = m_handles.find(name);
    return it == m_handles.end() ? 0 : it->second;
}

void CacheSpace::Add(const std::string& name, DWORD handle) {
    m_handles[name] = handle;
    m_caches[handle];
}

Cache* CacheSpace::Find(DWORD handle) {
    auto it = m_caches.find(handle);
    return it == m_caches.end() ? nullptr : &it->second;
}

void CacheSpace::DropSubscriber(DWORD apeHandle) {
    for (auto& entry : m_caches)
        entry.second.Unsubscribe(apeHandle);
}

} // namespace qxnc
