#include "Pump.h"

#include <gtest/gtest.h>

namespace qxtest {

bool WaitFor(const std::function<bool()>& condition, const std::string& what, DWORD timeoutMs) {
    if (PumpUntil(condition, timeoutMs)) return true;
    ADD_FAILURE() << what << " did not happen within " << timeoutMs << " ms";
    return false;
}

} // namespace qxtest
