// Where the conference leaves the callbacks it produces for one controller. The conference
// decides what is said and in which order; an outbox decides how and when it reaches the sinks.
#pragma once

#include <windows.h>

#include <functional>

namespace qxnc {

using Callback = std::function<void()>;
// Waits, at most the milliseconds given, until the thread that delivers has taken the wake-up
// of what was queued before the wait began; returns at once when none is on its way.
using PickupWait = std::function<void(DWORD timeoutMs)>;

class Outbox {
public:
    // Queues a callback behind every earlier one; apeHandle is the APE it is for (0: none).
    virtual void Post(DWORD apeHandle, Callback call) = 0;
    // Forgets the undelivered callbacks for an APE.
    virtual void Drop(DWORD apeHandle) = 0;
    // A wait for the pickup of what is queued now, to be called after letting go of any lock;
    // it stays safe to call after the outbox is gone (it then returns at once).
    virtual PickupWait Pickup() = 0;

protected:
    ~Outbox() = default;
};

} // namespace qxnc
