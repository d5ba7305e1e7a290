// Who writes a message into the customer's history, and how a reader shows each message of
// that history once.
//
// The rule: a message is copied where it is certain to exist once. A private message is copied
// by its sender when the sender has the customer's cache, and says so in the message; otherwise
// its receiver copies it. A group message is copied by its sender when its own item comes back
// from the group cache, if the sender said so when sending (it has the customer's cache and
// follows that group's cache); otherwise every participant that shows the item live copies it,
// and readers show each group cache item once. Nothing is copied from a recovery: what a
// recovery shows was said before, and was copied then. Each participant writes its copies in
// the order it said or showed their messages (CHistoryCopyQueue), so the history reads back in
// the conversation's order.
//
// Older peers copy every private message at both ends, with nothing to tell the copies apart.
// New private messages carry an id, so copies of one message are recognised by it; among copies
// without an id, each shown copy absorbs the next identical one (same sender, receiver and
// text), which is what the two ends of an older conversation wrote.
#pragma once

#include <windows.h>
#include <deque>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

class CHistoryPrivateFilter {
public:
    // Whether a private copy read from the history is shown (and remembered).
    bool Admit(DWORD dwSendId, DWORD dwRecId, const std::string& strMessageId, const std::string& strText);
    void Reset();

private:
    using Content = std::tuple<DWORD, DWORD, std::string>;
    std::set<std::pair<DWORD, std::string>> m_ids; // (sender, message id) shown
    std::map<Content, int> m_open;                 // shown copies that may still absorb a duplicate
};

// The copies one participant writes, in the order it said (or showed) their messages. A group
// message's copy can only be written when its item comes back from the group cache, since the
// copy names that item; every copy that follows it waits until then. Copies of other senders'
// group items do not wait: an item that comes back before the own one stands before it in that
// cache.
class CHistoryCopyQueue {
public:
    // An own group message was written into the cache dwCacheHandle; its item's copy is awaited.
    void AwaitGroupItem(DWORD dwCacheHandle);
    // A copy to write: the copies due now, in order (none while an earlier copy is awaited).
    std::vector<std::string> Write(std::string strCopy);
    // The own item came back from the cache with its copy: the copies due now, in order. An item
    // that was not awaited (the queue gave up on it) is due at once.
    std::vector<std::string> GroupItemBack(DWORD dwCacheHandle, std::string strCopy);
    // The cache's awaited items will not come back (the write failed, the cache is no longer
    // followed): the copies due now, in order.
    std::vector<std::string> GiveUp(DWORD dwCacheHandle);
    // Everything held, in order; nothing is awaited afterwards.
    std::vector<std::string> TakeAll();
    size_t Held() const { return m_entries.size(); }

private:
    struct Entry {
        DWORD dwCacheHandle; // 0: a copy that only waits for those before it
        bool bReady;
        std::string strCopy;
    };
    std::vector<std::string> TakeReady();
    std::deque<Entry> m_entries;
};

// How many copies may wait behind an item that does not come back; beyond it the queue writes
// them anyway: a lost order is better than a lost message.
enum : size_t { HISTORY_COPY_MAX_HELD = 256 };

// A message id unique in the conference: the sender's node, when its instance started, and a
// serial number.
std::string QxMakeMessageId(DWORD dwNodeId, DWORD dwStartTime, DWORD dwSerial);

// Whether this participant copies a group item that it shows live.
bool QxCopiesGroupItem(bool bSenderCopies, bool bOwnItem);
