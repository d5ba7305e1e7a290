// The outbox of one controller: a message-only window of the thread that made it. Each posted
// callback waits in a queue; the window takes one per message from the thread's message loop,
// so a callback never runs inside the call that caused it, and destroying the outbox (Release)
// drops whatever has not been delivered.
#pragma once

#include "Outbox.h"

#include <deque>
#include <memory>
#include <mutex>

namespace qxnc {

class WindowOutbox final : public Outbox {
public:
    // Null when the window cannot be made.
    static std::unique_ptr<WindowOutbox> Create();
    ~WindowOutbox();
    WindowOutbox(const WindowOutbox&) = delete;
    WindowOutbox& operator=(const WindowOutbox&) = delete;

    void Post(DWORD apeHandle, Callback call) override;
    void Drop(DWORD apeHandle) override;
    DWORD Pending();

    struct State;

private:
    explicit WindowOutbox(std::unique_ptr<State> state);
    std::unique_ptr<State> m_state;
};

} // namespace qxnc
