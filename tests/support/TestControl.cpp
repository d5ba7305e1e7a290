#include "TestControl.h"

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
    const bool bQuiet = WaitFor([&] { return !control || control->PendingCallbacks() == 0; },
                                "the conference going quiet", timeoutMs);
    PumpPending();
    return bQuiet;
}

} // namespace qxtest
