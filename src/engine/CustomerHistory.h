// Who writes a message into the customer's history, and how a reader shows each message of
// that history once.
//
// The rule: a message is copied where it is certain to exist once. A private message is copied
// by its sender when the sender has the customer's cache, and says so in the message; otherwise
// its receiver copies it. A group message is copied by its sender when its own item comes back
// from the group cache, if the sender said so when sending (it has the customer's cache and
// follows that group's cache); otherwise every participant that shows the item live copies it,
// and readers show each group cache item once. Nothing is copied from a recovery: what a
// recovery shows was said before, and was copied then.
//
// Older peers copy every private message at both ends, with nothing to tell the copies apart.
// New private messages carry an id, so copies of one message are recognised by it; among copies
// without an id, each shown copy absorbs the next identical one (same sender, receiver and
// text), which is what the two ends of an older conversation wrote.
#pragma once

#include <windows.h>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <utility>

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

// A message id unique in the conference: the sender's node, when its instance started, and a
// serial number.
std::string QxMakeMessageId(DWORD dwNodeId, DWORD dwStartTime, DWORD dwSerial);

// Whether this participant copies a group item that it shows live.
bool QxCopiesGroupItem(bool bSenderCopies, bool bOwnItem);
