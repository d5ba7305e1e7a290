#include "Script.h"

namespace qxnc {

Script& Script::Get() {
    static Script script;
    return script;
}

void Script::Set(std::map<DWORD, Entry>& map, DWORD key, int result, DWORD times) {
    if (times == 0)
        map.erase(key);
    else
        map[key] = Entry{result, times};
}

bool Script::Take(std::map<DWORD, Entry>& map, DWORD key, int* result) {
    auto it = map.find(key);
    if (it == map.end()) return false;
    *result = it->second.result;
    if (--it->second.times == 0) map.erase(it);
    return true;
}

bool Script::TakeConfirm(DWORD confirm, short* result) {
    int value = 0;
    if (!Take(m_confirms, confirm, &value)) return false;
    *result = static_cast<short>(value);
    return true;
}

bool Script::TakeEnrollWithoutResources() {
    int unused = 0;
    return Take(m_confirms, kNoResources, &unused);
}

void Script::Clear() {
    m_results.clear();
    m_confirms.clear();
}

} // namespace qxnc
