// Data, names and caches of a conference.
#include "Conference.h"

#include "Blocks.h"

#include <cstring>
#include <iterator>

namespace qxnc {

void Conference::SendData(const Ape& from, const Ape& to, DWORD channel, DWORD priority,
                          std::shared_ptr<const Bytes> data) {
    IArmApeSink* sink = to.sink;
    DWORD handle = to.handle;
    DWORD sender = from.userId;
    PostTo(to, [=] {
        sink->ApeDataIndication(handle, sender, channel, priority, data->data(),
                                static_cast<DWORD>(data->size()));
    });
}

DWORD Conference::NameHandle(const std::string& name, bool* isNew) {
    *isNew = false;
    if (DWORD handle = m_caches.HandleOf(name)) return handle;
    DWORD handle = m_ids.names.Take();
    if (handle == 0) return 0;
    m_caches.Add(name, handle);
    *isNew = true;
    return handle;
}

void Conference::AllocNames(const Ape& ape, IArmNameSink* sink, std::vector<QxCacheName> table) {
    DWORD fresh = 0;
    for (QxCacheName& entry : table) {
        std::string name(entry.name, strnlen(entry.name, sizeof entry.name));
        bool isNew = false;
        entry.handle = name.empty() ? 0 : NameHandle(name, &isNew);
        if (isNew) ++fresh;
    }
    auto answer = std::make_shared<const std::vector<QxCacheName>>(std::move(table));
    DWORD handle = ape.handle;
    PostTo(ape, [=] {
        sink->AllocNameHandleConfirm(handle, static_cast<DWORD>(answer->size()), answer->data(), ARM_OK,
                                     fresh);
    });
}

void Conference::WriteCache(const Ape& writer, DWORD cacheHandle, DWORD action,
                            std::shared_ptr<const Bytes> data, DWORD sendOption) {
    Cache& cache = *m_caches.Find(cacheHandle);
    const CacheItem item = cache.Store(action, CacheItem{0, std::move(data), writer.userId, sendOption});
    IArmApeSink* sink = writer.sink;
    DWORD handle = writer.handle;
    DWORD count = static_cast<DWORD>(cache.Count());
    PostTo(writer,
           [=] { sink->ApeCacheActionConfirmEx(handle, cacheHandle, action, item.id, count, ARM_OK); });
    if (action != QXNC_CACHE_APPEND) return;
    for (const auto& subscriber : cache.Subscribers())
        if (const Ape* to = FindApe(subscriber.first))
            SendItem(*to, subscriber.second, cacheHandle, item, QXNC_CACHE_APPEND);
}

void Conference::CacheAction(const Ape& ape, DWORD cacheHandle, DWORD action, DWORD firstItem,
                             IArmSharedDataSink* sink) {
    Cache& cache = *m_caches.Find(cacheHandle);
    if (action == QXNC_CACHE_UNSUBSCRIBE) {
        cache.Unsubscribe(ape.handle);
        return;
    }
    if (action == QXNC_CACHE_SUBSCRIBE || action == QXNC_CACHE_SUBSCRIBE_READ)
        cache.Subscribe(ape.handle, sink);
    if (action == QXNC_CACHE_SUBSCRIBE) return;

    // Each item is queued with its own copy, so the items are walked where they are: a large
    // cache is not copied once more for the walk.
    const auto first = cache.From(firstItem), end = cache.End();
    if (first == end) {
        DWORD handle = ape.handle;
        PostTo(ape, [=] {
            sink->SharedDataReceivedEx(handle, 0, cacheHandle, nullptr, ARM_CACHE_NOTHING,
                                       QXNC_CACHE_ITEM_LAST, 0, 0, 0);
        });
        return;
    }
    for (auto it = first; it != end; ++it) {
        DWORD itemAction = std::next(it) == end
                               ? QXNC_CACHE_ITEM_LAST
                               : (it == first ? QXNC_CACHE_ITEM_FIRST : QXNC_CACHE_ITEM_MORE);
        SendItem(ape, sink, cacheHandle, *it, itemAction);
    }
}

void Conference::SendItem(const Ape& to, IArmSharedDataSink* sink, DWORD cacheHandle, const CacheItem& item,
                          DWORD action) {
    DWORD handle = to.handle;
    CacheItem copy = item;
    PostTo(to, [=] {
        // The block exists only for this call; a block that cannot be made is reported, not hidden.
        DeliveryBlock block(*copy.data);
        short result = block.Handle() ? ARM_OK : ARM_ERROR_INVALID_STATE;
        sink->SharedDataReceivedEx(handle, copy.id, cacheHandle, block.Handle(), result, action,
                                   copy.writerUserId, static_cast<DWORD>(copy.data->size()), copy.sendOption);
    });
}

} // namespace qxnc
