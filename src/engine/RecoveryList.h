// The bookkeeping of a recovery as plain data: which cache answers are still awaited, the group
// messages collected in cache-id order, and which items were shown already. An item is named by
// its cache handle and its id within that cache, so two reads of one cache (or a live append that
// a read also returns) show it once.
#pragma once

#include "pdu/GroupMessagePDU.h"

#include <windows.h>
#include <map>
#include <memory>
#include <set>
#include <utility>
#include <vector>

// The dialog timer that closes a recovery whose answers do not all come.
enum { RECOVERY_TIMEOUT_TIMER = 1202, RECOVERY_TIMEOUT_MS = 10000 };

class CRecoveryList {
public:
    struct Item {
        DWORD dwCacheHandle = 0;
        DWORD dwCacheId = 0;
        std::unique_ptr<CGroupMessagePDU> pPdu;
    };

    // One more answer is awaited from this cache (a read request was accepted).
    void Expect(DWORD dwCacheHandle);
    // The cache's last item (action 6) came: true when an answer of that cache was awaited.
    bool Answered(DWORD dwCacheHandle);
    // Answers still awaited, over all caches.
    int Outstanding() const;
    // Stops waiting for every answer (the recovery is closed without them).
    void DropOutstanding() { m_awaited.clear(); }

    // False (nothing kept) when the item is collected or shown already. Otherwise it goes before
    // the first item with a greater cache id; equal ids keep their arrival order.
    bool Add(Item item);
    // Records an item shown outside a recovery; false when it was shown before.
    bool MarkShown(DWORD dwCacheHandle, DWORD dwCacheId);
    bool IsShown(DWORD dwCacheHandle, DWORD dwCacheId) const;
    // The collected items not shown yet, in order, each now recorded as shown; the list is
    // empty afterwards.
    std::vector<Item> TakeAll();
    size_t Count() const { return m_items.size(); }
    // Forgets everything, the shown items included.
    void Reset();

private:
    using Key = std::pair<DWORD, DWORD>;
    std::map<DWORD, int> m_awaited; // cache handle -> answers awaited
    std::vector<Item> m_items;      // ascending cache ids
    std::set<Key> m_collected;
    std::set<Key> m_shown;
};
