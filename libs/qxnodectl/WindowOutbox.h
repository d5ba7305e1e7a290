// The outbox of one controller: a message-only window of the thread that made it. Each posted
// callback waits in a queue; one wake-up message delivers the callbacks that were queued when it
// arrived, in order, for at most a short time slice, and what is left waits for the next one. So
// a callback never runs inside the call that caused it (what a callback posts waits for a later
// wake-up), the thread's other messages get through between slices, and destroying the outbox
// (Release) drops whatever has not been delivered, also in the middle of a slice.
#pragma once

#include "Outbox.h"

#include <memory>

namespace qxnc {

class WindowOutbox final : public Outbox {
public:
    // How long one wake-up delivers before it lets the thread's other messages through.
    static const DWORD kSliceMilliseconds = 20;

    // Null when the window cannot be made.
    static std::unique_ptr<WindowOutbox> Create();
    ~WindowOutbox();
    WindowOutbox(const WindowOutbox&) = delete;
    WindowOutbox& operator=(const WindowOutbox&) = delete;

    void Post(DWORD apeHandle, Callback call) override;
    void Drop(DWORD apeHandle) override;
    PickupWait Pickup() override;
    DWORD Pending();

    struct State;

private:
    explicit WindowOutbox(std::shared_ptr<State> state);
    std::shared_ptr<State> m_state;
};

} // namespace qxnc
