// Scripted results and failures for tests (see IQxNodeControlTest).
#pragma once

#include "qxnodectl_test.h"

#include <map>

namespace qxnc {

class Script {
public:
    static Script& Get();

    void SetResult(DWORD op, int result, DWORD times) { Set(m_results, op, result, times); }
    void SetConfirm(DWORD confirm, short result, DWORD times) { Set(m_confirms, confirm, result, times); }
    void SetEnrollWithoutResources(DWORD times) { Set(m_confirms, kNoResources, 0, times); }
    // True, with the scripted result, when the next call of op is scripted.
    bool TakeResult(DWORD op, int* result) { return Take(m_results, op, result); }
    bool TakeConfirm(DWORD confirm, short* result);
    bool TakeEnrollWithoutResources();
    void Clear();

private:
    struct Entry {
        int result;
        DWORD times;
    };
    static const DWORD kNoResources = 0x10000;

    static void Set(std::map<DWORD, Entry>& map, DWORD key, int result, DWORD times);
    static bool Take(std::map<DWORD, Entry>& map, DWORD key, int* result);

    std::map<DWORD, Entry> m_results;
    std::map<DWORD, Entry> m_confirms;
};

} // namespace qxnc
