#include "Hub.h"

namespace qxnc {

Hub& Hub::Get() {
    static Hub hub;
    return hub;
}

Conference& Hub::Enter(const std::string& network, WORD handle) {
    std::unique_ptr<Conference>& slot = m_conferences[Key(network, handle)];
    if (!slot) slot = std::make_unique<Conference>(handle, m_ids);
    return *slot;
}

Conference* Hub::Find(const std::string& network, WORD handle) {
    auto it = m_conferences.find(Key(network, handle));
    return it == m_conferences.end() ? nullptr : it->second.get();
}

void Hub::EndIfEmpty(const std::string& network, WORD handle) {
    auto it = m_conferences.find(Key(network, handle));
    if (it != m_conferences.end() && it->second->MemberCount() == 0) m_conferences.erase(it);
}

Ape* Hub::FindApe(DWORD apeHandle, Conference** conference) {
    for (auto& entry : m_conferences) {
        if (Ape* ape = entry.second->FindApe(apeHandle)) {
            *conference = entry.second.get();
            return ape;
        }
    }
    return nullptr;
}

} // namespace qxnc
