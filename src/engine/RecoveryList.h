// The bookkeeping of a recovery as plain data: which cache answers are still awaited, the group
// messages collected in cache-id order, and which items were shown already. An item is named by
// its cache handle and its id within that cache, so two reads of one cache (or a live append that
// a read also returns) show it once.
//
// What a recovery holds is bounded: each item keeps either its received text or the fields of
// the message parsed from it, and a batch holds at most RECOVERY_MAX_ITEMS items or
// RECOVERY_MAX_BYTES bytes of received text. A full batch is shown at once and collecting goes on with a
// new one, so a flooded cache costs order across the batch boundary, never a message.
#pragma once

#include <windows.h>
#include <deque>
#include <map>
#include <set>
#include <string>
#include <utility>

class CGroupMessagePDU;

// The dialog timer that closes a recovery whose answers do not all come.
enum { RECOVERY_TIMEOUT_TIMER = 1202, RECOVERY_TIMEOUT_MS = 10000 };

enum : size_t {
    RECOVERY_MAX_ITEMS = 65536,
    RECOVERY_MAX_BYTES = 64u * 1024u * 1024u,
};

// Item ids shown so far, per cache, as ranges of consecutive ids: a recovery of many items and the
// live items after it are a few ranges, not a record per item.
class CShownItems {
public:
    // False when the item was recorded before.
    bool Insert(DWORD dwCacheHandle, DWORD dwCacheId);
    bool Contains(DWORD dwCacheHandle, DWORD dwCacheId) const;
    void Clear() { m_ranges.clear(); }
    // Ranges held over all caches (what the record costs).
    size_t RangeCount() const;

private:
    using Ranges = std::map<DWORD, DWORD>; // first id -> last id, inclusive, not touching
    std::map<DWORD, Ranges> m_ranges;      // by cache handle
};

class CRecoveryList {
public:
    // What showing a group message reads of it, taken from the parse when it came, so that it
    // needs no second parse and holds no document.
    struct Message {
        DWORD dwSendId = 0;
        DWORD dwSendNodeId = 0;
        DWORD dwGroupId = 0;
        std::string strSenderName;
        std::string strText;
    };
    struct Item {
        DWORD dwCacheHandle = 0;
        DWORD dwCacheId = 0;
        std::string strText; // the group message as received, when it was not kept parsed
        bool bParsed = false;
        Message message; // when bParsed
    };

    // The fields of a parsed group message; and a message filled back with them (its other
    // fields as they were), as the show step takes it.
    static Message FromPdu(const CGroupMessagePDU& pdu);
    static void ToPdu(const Message& message, DWORD dwCacheId, CGroupMessagePDU& pdu);

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

    // False (nothing kept) when the item came empty (bytes is the size it came as), or is
    // collected or shown already. Otherwise it goes before the first item with a greater cache
    // id; equal ids keep their arrival order.
    bool Add(Item item, size_t bytes);
    bool Add(Item item) {
        const size_t bytes = item.strText.size();
        return Add(std::move(item), bytes);
    }
    // The batch reached its item or byte bound.
    bool IsFull() const { return m_items.size() >= RECOVERY_MAX_ITEMS || m_nBytes >= RECOVERY_MAX_BYTES; }
    // Records an item shown outside a recovery; false when it was shown before.
    bool MarkShown(DWORD dwCacheHandle, DWORD dwCacheId) { return m_shown.Insert(dwCacheHandle, dwCacheId); }
    bool IsShown(DWORD dwCacheHandle, DWORD dwCacheId) const {
        return m_shown.Contains(dwCacheHandle, dwCacheId);
    }
    // The collected items in order that were not shown meanwhile, each recorded as shown; the
    // list is empty afterwards.
    std::deque<Item> TakeAll();
    size_t Count() const { return m_items.size(); }
    size_t Bytes() const { return m_nBytes; }
    // Forgets everything, the shown items included.
    void Reset();

private:
    bool IsCollected(const Item& item, std::deque<Item>::const_iterator at) const;

    std::map<DWORD, int> m_awaited; // cache handle -> answers awaited
    std::set<DWORD> m_late;         // caches whose answers a timeout stopped waiting for
    std::deque<Item> m_items;       // ascending cache ids; grows without moving what it holds
    size_t m_nBytes = 0;            // text received for m_items
    CShownItems m_shown;
};
