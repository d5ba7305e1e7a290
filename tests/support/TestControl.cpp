#include "TestControl.h"

#include <algorithm>

namespace qxtest {

IQxNodeControlTest* Control() {
    IQxNodeControlTest* control = nullptr;
    QxGetNodeControlTest(&control);
    return control;
}

IQxNodeControlTest* FreshControl() {
    IQxNodeControlTest* control = Control();
    if (control) control->Reset();
    return control;
}

std::vector<QxNcCall> CallsOf(DWORD op) {
    IQxNodeControlTest* control = Control();
    std::vector<QxNcCall> calls;
    for (DWORD i = 0; control && i < control->CallCount(); ++i) {
        QxNcCall call = {};
        if (control->GetCall(i, &call) && call.op == op) calls.push_back(call);
    }
    return calls;
}

std::vector<DWORD> LoggedOps() {
    IQxNodeControlTest* control = Control();
    std::vector<DWORD> ops;
    for (DWORD i = 0; control && i < control->CallCount(); ++i) {
        QxNcCall call = {};
        if (control->GetCall(i, &call)) ops.push_back(call.op);
    }
    return ops;
}

bool PumpUntilQuiet(DWORD timeoutMs) {
    IQxNodeControlTest* control = Control();
    const auto quiet = [&] { return !control || control->PendingCallbacks() == 0; };
    // A command thread may finish its work without posting anything: no message would wake the
    // pump, so it looks again every few milliseconds.
    constexpr DWORD kLookMs = 10;
    const DWORD start = GetTickCount();
    bool bQuiet = false;
    for (DWORD elapsed = 0; !bQuiet && elapsed < timeoutMs; elapsed = GetTickCount() - start)
        bQuiet = PumpUntil(quiet, std::min(kLookMs, timeoutMs - elapsed));
    // The last look fails the running test when it is still not quiet.
    if (!bQuiet) bQuiet = WaitFor(quiet, "the conference going quiet", 0);
    PumpPending();
    return bQuiet;
}

} // namespace qxtest
