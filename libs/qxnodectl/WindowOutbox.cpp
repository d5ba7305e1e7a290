#include "WindowOutbox.h"

#include "SrwLock.h"

#include <algorithm>
#include <cstdint>
#include <deque>
#include <mutex>

namespace qxnc {

namespace {

const wchar_t kClassName[] = L"QxNodeControllerOutbox";
const UINT kDeliverMessage = WM_APP + 1;
// Wakes the outbox when a posted wake-up would go first but input or painting waits (timers
// come after both), and when the thread's message queue is full.
const UINT_PTR kWakeTimer = 1;
const UINT kWakeTimerMilliseconds = 1;

} // namespace

struct WindowOutbox::State {
    struct Entry {
        std::uint64_t serial; // the order of posting; a slice delivers those below its limit
        DWORD apeHandle;
        Callback call;
    };
    std::weak_ptr<State> self; // lets a slice keep the state past a Release inside a callback
    HWND hwnd = nullptr;
    // The queue may be filled from a reader thread or another thread's controller. The thread
    // a wake-up wakes takes this lock at once: the C++ library's mutex made it wait through the
    // kernel while the poster was still in its PostMessage.
    Lock lock;
    std::deque<Entry> queue;
    std::uint64_t nextSerial = 0;
    bool wakePending = false; // a deliver message or the wake timer is on its way
    CONDITION_VARIABLE pickedUp = CONDITION_VARIABLE_INIT; // signalled when wakePending ends
    bool sliceRanOut = false; // the last slice stopped with callbacks still queued
    bool closed = false;      // the outbox is destroyed: nothing more is delivered
};

namespace {

// One wake-up at a time keeps the thread's message queue short however many callbacks wait.
// With the lock held: whether the caller is to send the wake-up (SendWake, after unlocking).
bool ClaimWake(WindowOutbox::State& s) {
    if (s.wakePending) return false;
    s.wakePending = true;
    return true;
}

// With the lock held: no wake-up is on its way any more, which ends a reader's pickup wait.
void EndWake(WindowOutbox::State& s) {
    s.wakePending = false;
    WakeAllConditionVariable(&s.pickedUp);
}

// Outside the lock, so that the woken thread does not find it still held by the poster.
void SendWake(WindowOutbox::State& s) {
    if (PostMessageW(s.hwnd, kDeliverMessage, 0, 0) ||
        SetTimer(s.hwnd, kWakeTimer, kWakeTimerMilliseconds, nullptr))
        return;
    std::lock_guard<Lock> guard(s.lock);
    EndWake(s);
}

std::uint64_t Ticks() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<std::uint64_t>(now.QuadPart);
}

std::uint64_t SliceTicks() {
    static const std::uint64_t ticks = [] {
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        return static_cast<std::uint64_t>(frequency.QuadPart) * WindowOutbox::kSliceMilliseconds / 1000;
    }();
    return ticks;
}

// Posted messages come before input and painting, so a queue that takes several slices would
// hold both off with its wake-ups; after a slice that ran out, the next one waits for them.
bool InputOrPaintWaiting() {
    return (HIWORD(GetQueueStatus(QS_INPUT | QS_PAINT)) & (QS_INPUT | QS_PAINT)) != 0;
}

// Delivers, oldest first, the callbacks that were queued when the wake-up came, until the slice
// runs out. Each is taken from the queue only when its turn comes, so a Drop or a Release made
// by an earlier callback of the slice (or by another thread) still stops it; what a callback
// posts is past the limit and waits for a later wake-up. While callbacks wait, a wake-up is on
// its way, so that a message loop run inside a callback delivers them too.
void OnDeliver(WindowOutbox::State& s) {
    const bool yield = s.sliceRanOut && InputOrPaintWaiting();
    const std::shared_ptr<WindowOutbox::State> keep = s.self.lock();
    std::uint64_t limit = 0;
    {
        std::lock_guard<Lock> guard(s.lock);
        EndWake(s);
        if (s.closed) return;
        if (yield && SetTimer(s.hwnd, kWakeTimer, kWakeTimerMilliseconds, nullptr)) {
            s.wakePending = true;
            s.sliceRanOut = false;
            return;
        }
        s.sliceRanOut = false;
        limit = s.nextSerial;
    }
    const std::uint64_t start = Ticks();
    for (;;) {
        Callback call;
        bool wake = false;
        {
            std::lock_guard<Lock> guard(s.lock);
            if (s.closed || s.queue.empty() || s.queue.front().serial >= limit) return;
            call = std::move(s.queue.front().call);
            s.queue.pop_front();
            wake = !s.queue.empty() && ClaimWake(s);
        }
        if (wake) SendWake(s);
        try {
            call();
        } catch (...) {
            // A sink must not throw; if one does, the exception stops here, at the message loop.
        }
        if (Ticks() - start >= SliceTicks()) {
            std::lock_guard<Lock> guard(s.lock);
            s.sliceRanOut = !s.queue.empty();
            return;
        }
    }
}

void OnWakeTimer(WindowOutbox::State& s, HWND hwnd) {
    KillTimer(hwnd, kWakeTimer);
    {
        std::lock_guard<Lock> guard(s.lock);
        s.sliceRanOut = false; // input and painting had their turn
    }
    OnDeliver(s);
}

LRESULT CALLBACK OutboxWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
        return DefWindowProcW(hwnd, msg, wParam, lParam);
    }
    auto* s = reinterpret_cast<WindowOutbox::State*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!s) return DefWindowProcW(hwnd, msg, wParam, lParam);
    switch (msg) {
    case kDeliverMessage: OnDeliver(*s); return 0;
    case WM_TIMER:
        if (wParam == kWakeTimer) {
            OnWakeTimer(*s, hwnd);
            return 0;
        }
        break;
    case WM_NCDESTROY: SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0); break;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

HINSTANCE ThisModule() {
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&OutboxWndProc), &module);
    return module;
}

bool RegisterOutboxClass() {
    static const bool registered = [] {
        WNDCLASSEXW wc = {};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = OutboxWndProc;
        wc.hInstance = ThisModule();
        wc.lpszClassName = kClassName;
        return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    }();
    return registered;
}

} // namespace

std::unique_ptr<WindowOutbox> WindowOutbox::Create() {
    if (!RegisterOutboxClass()) return nullptr;
    auto state = std::make_shared<State>();
    state->self = state;
    state->hwnd =
        CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, ThisModule(), state.get());
    if (!state->hwnd) return nullptr;
    return std::unique_ptr<WindowOutbox>(new WindowOutbox(std::move(state)));
}

WindowOutbox::WindowOutbox(std::shared_ptr<State> state) : m_state(std::move(state)) {}

WindowOutbox::~WindowOutbox() {
    std::deque<State::Entry> undelivered;
    {
        std::lock_guard<Lock> guard(m_state->lock);
        m_state->closed = true;
        undelivered.swap(m_state->queue);
        WakeAllConditionVariable(&m_state->pickedUp);
    }
    DestroyWindow(m_state->hwnd);
}

void WindowOutbox::Post(DWORD apeHandle, Callback call) {
    bool wake = false;
    {
        std::lock_guard<Lock> guard(m_state->lock);
        if (m_state->closed) return;
        m_state->queue.push_back(State::Entry{m_state->nextSerial++, apeHandle, std::move(call)});
        wake = ClaimWake(*m_state);
    }
    if (wake) SendWake(*m_state);
}

PickupWait WindowOutbox::Pickup() {
    std::shared_ptr<State> state = m_state;
    return [state](DWORD timeoutMs) {
        // One wait: a wake-up claimed again by the delivery itself is not waited for.
        std::lock_guard<Lock> guard(state->lock);
        if (state->wakePending && !state->closed)
            SleepConditionVariableSRW(&state->pickedUp, state->lock.Native(), timeoutMs, 0);
    };
}

void WindowOutbox::Drop(DWORD apeHandle) {
    std::lock_guard<Lock> guard(m_state->lock);
    auto& q = m_state->queue;
    q.erase(
        std::remove_if(q.begin(), q.end(), [&](const State::Entry& e) { return e.apeHandle == apeHandle; }),
        q.end());
}

DWORD WindowOutbox::Pending() {
    std::lock_guard<Lock> guard(m_state->lock);
    return static_cast<DWORD>(m_state->queue.size());
}

} // namespace qxnc
