// The bookkeeping of a recovery as plain data: which cache answers are still awaited, the group
// messages collected in cache-id order, and which items were shown already. An item is named by
// its cache handle and its id within that cache, so two reads of one cache (or a live append that
// a read also returns) show it once.
//
// What a recovery holds is bounded: each item keeps either its received text or the message
// parsed from it without the document tree, and a batch holds at most RECOVERY_MAX_ITEMS items or
// RECOVERY_MAX_BYTES bytes of received text. A full batch is shown at once and collecting goes on with a
// new one, so a flooded cache costs order across the batch boundary, never a message.
#pragma once

#include <windows.h>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <utility>
#include <vector>

// The dialog timer that closes a recovery whose answers do not all come.
class CGroupMessagePDU;

enum { RECOVERY_TIMEOUT_TIMER = 1202, RECOVERY_TIMEOUT_MS = 10000 };

enum : size_t {
    RECOVERY_MAX_ITEMS = 65536,
    RECOVERY_MAX_BYTES = 64u * 1024u * 1024u,
};

class CRecoveryList {
public:
    struct Item {
        DWORD dwCacheHandle = 0;
        DWORD dwCacheId = 0;
        std::string strText; // the group message as received
        // The message as parsed when it came (its document tree cleared), so that showing it
        // needs no second parse; the list then keeps it instead of the text.
        std::shared_ptr<CGroupMessagePDU> pParsed;
    };

    // One more answer is awaited from this cache (a read request was accepted).
    void Expect(DWORD dwCacheHandle);
    // The cache's last item (action 6) came: true when an answer of that cache was awaited.
    bool Answered(DWORD dwCacheHandle);
    // Answers still awaited, over all caches.
    int Outstanding() const;
    // Stops waiting for every answer (the recovery is closed without them). The caches whose
    // answers were awaited stay late until their last item comes: their items are still shown.
    void DropOutstanding();
    bool IsLate(DWORD dwCacheHandle) const { return m_late.count(dwCacheHandle) != 0; }
    // The late cache's last item came.
    void LateAnswered(DWORD dwCacheHandle) { m_late.erase(dwCacheHandle); }

    // False (nothing kept) when the item is collected or shown already. Otherwise it goes before
    // the first item with a greater cache id; equal ids keep their arrival order.
    bool Add(Item item);
    // The batch reached its item or byte bound.
    bool IsFull() const { return m_items.size() >= RECOVERY_MAX_ITEMS || m_nBytes >= RECOVERY_MAX_BYTES; }
    // Records an item shown outside a recovery; false when it was shown before.
    bool MarkShown(DWORD dwCacheHandle, DWORD dwCacheId);
    bool IsShown(DWORD dwCacheHandle, DWORD dwCacheId) const;
    // The collected items in order that were not shown meanwhile, each recorded as shown; the
    // list is empty afterwards.
    std::vector<Item> TakeAll();
    size_t Count() const { return m_items.size(); }
    size_t Bytes() const { return m_nBytes; }
    // Forgets everything, the shown items included.
    void Reset();

private:
    using Key = std::pair<DWORD, DWORD>;
    std::map<DWORD, int> m_awaited; // cache handle -> answers awaited
    std::set<DWORD> m_late;         // caches whose answers a timeout stopped waiting for
    std::vector<Item> m_items;      // ascending cache ids
    size_t m_nBytes = 0;            // text held by m_items
    std::set<Key> m_collected;
    std::set<Key> m_shown;
};
