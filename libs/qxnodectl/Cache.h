// The shared caches of one conference: names with their handles, and per cache its items and
// subscribers. Plain data; the conference turns it into callbacks.
#pragma once

#include "qxnodectl.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace qxnc {

using Bytes = std::vector<BYTE>;

struct CacheItem {
    DWORD id = 0;
    std::shared_ptr<const Bytes> data;
    DWORD writerUserId = 0;
    DWORD sendOption = 0;
};

class Cache {
public:
    bool Full() const { return m_items.size() >= QXNC_MAX_CACHE_ITEMS; }
    size_t Count() const { return m_items.size(); }
    // Replace (QXNC_CACHE_REPLACE) or append; the item gets the cache's next id either way.
    const CacheItem& Store(DWORD action, CacheItem item);
    using Items = std::vector<CacheItem>;
    // The first item whose id is firstId or above; the items from it to End() are in id order.
    Items::const_iterator From(DWORD firstId) const;
    Items::const_iterator End() const { return m_items.end(); }

    void Subscribe(DWORD apeHandle, IArmSharedDataSink* sink) { m_subscribers[apeHandle] = sink; }
    void Unsubscribe(DWORD apeHandle) { m_subscribers.erase(apeHandle); }
    // By APE handle, so in order of attachment.
    const std::map<DWORD, IArmSharedDataSink*>& Subscribers() const { return m_subscribers; }

private:
    Items m_items; // ascending ids
    DWORD m_nextId = 1;
    std::map<DWORD, IArmSharedDataSink*> m_subscribers;
};

class CacheSpace {
public:
    // The handle of a name, 0 when it has none yet.
    DWORD HandleOf(const std::string& name) const;
    void Add(const std::string& name, DWORD handle);
    Cache* Find(DWORD handle);
    // An APE that goes away stops following every cache.
    void DropSubscriber(DWORD apeHandle);

private:
    std::map<std::string, DWORD> m_handles;
    std::map<DWORD, Cache> m_caches;
};

} // namespace qxnc
