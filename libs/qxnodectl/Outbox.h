// Where the conference leaves the callbacks it produces for one controller. The conference
// decides what is said and in which order; an outbox decides how and when it reaches the sinks.
#pragma once

#include <windows.h>

#include <functional>

namespace qxnc {

using Callback = std::function<void()>;

class Outbox {
public:
    // Queues a callback behind every earlier one; apeHandle is the APE it is for (0: none).
    virtual void Post(DWORD apeHandle, Callback call) = 0;
    // Forgets the undelivered callbacks for an APE.
    virtual void Drop(DWORD apeHandle) = 0;

protected:
    ~Outbox() = default;
};

} // namespace qxnc
