// The embedded network of the process: its conferences by network and handle, the numbers it
// hands out, and the lock every entry into qxnodectl takes.
#pragma once

#include "Conference.h"
#include "Ids.h"

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>

namespace qxnc {

class Hub {
public:
    static Hub& Get();

    std::mutex& Lock() { return m_lock; }
    Ids& Numbers() { return m_ids; }
    // The conference of that handle on that network, made when it is first joined.
    Conference& Enter(const std::string& network, WORD handle);
    Conference* Find(const std::string& network, WORD handle);
    // A conference that nobody is in any more ends, with its caches.
    void EndIfEmpty(const std::string& network, WORD handle);
    // The APE of a handle wherever it is; null when there is none.
    Ape* FindApe(DWORD apeHandle, Conference** conference);

private:
    using Key = std::pair<std::string, WORD>;
    std::mutex m_lock;
    Ids m_ids;
    std::map<Key, std::unique_ptr<Conference>> m_conferences;
};

} // namespace qxnc
