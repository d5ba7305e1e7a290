#include "WindowOutbox.h"

#include <algorithm>

namespace qxnc {

namespace {

const wchar_t kClassName[] = L"QxNodeControllerOutbox";
const UINT kDeliverMessage = WM_APP + 1;
// A fallback when the thread's message queue is full and the wake-up message cannot be posted.
const UINT_PTR kRetryTimer = 1;
const UINT kRetryMilliseconds = 10;

} // namespace

struct WindowOutbox::State {
    struct Entry {
        DWORD apeHandle;
        Callback call;
    };
    HWND hwnd = nullptr;
    std::mutex lock; // the queue may be filled from another thread's controller
    std::deque<Entry> queue;
    bool wakePending = false; // a deliver message or the retry timer is on its way
};

namespace {

// One wake-up at a time keeps the thread's message queue short however many callbacks wait.
void WakeLocked(WindowOutbox::State& s) {
    if (s.wakePending) return;
    if (PostMessageW(s.hwnd, kDeliverMessage, 0, 0) ||
        SetTimer(s.hwnd, kRetryTimer, kRetryMilliseconds, nullptr))
        s.wakePending = true;
}

// Delivers the oldest callback. The callback may release the controller, and with it this
// window and its state, so nothing of them is touched once it has started.
void OnDeliver(WindowOutbox::State& s) {
    Callback call;
    {
        std::lock_guard<std::mutex> guard(s.lock);
        s.wakePending = false;
        if (s.queue.empty()) return;
        call = std::move(s.queue.front().call);
        s.queue.pop_front();
        if (!s.queue.empty()) WakeLocked(s);
    }
    try {
        call();
    } catch (...) {
        // A sink must not throw; if one does, the exception stops here, at the message loop.
    }
}

void OnRetryTimer(WindowOutbox::State& s, HWND hwnd) {
    KillTimer(hwnd, kRetryTimer);
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
        if (wParam == kRetryTimer) {
            OnRetryTimer(*s, hwnd);
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
    auto state = std::make_unique<State>();
    state->hwnd =
        CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, ThisModule(), state.get());
    if (!state->hwnd) return nullptr;
    return std::unique_ptr<WindowOutbox>(new WindowOutbox(std::move(state)));
}

WindowOutbox::WindowOutbox(std::unique_ptr<State> state) : m_state(std::move(state)) {}

WindowOutbox::~WindowOutbox() {
    DestroyWindow(m_state->hwnd);
}

void WindowOutbox::Post(DWORD apeHandle, Callback call) {
    std::lock_guard<std::mutex> guard(m_state->lock);
    m_state->queue.push_back(State::Entry{apeHandle, std::move(call)});
    WakeLocked(*m_state);
}

void WindowOutbox::Drop(DWORD apeHandle) {
    std::lock_guard<std::mutex> guard(m_state->lock);
    auto& q = m_state->queue;
    q.erase(
        std::remove_if(q.begin(), q.end(), [&](const State::Entry& e) { return e.apeHandle == apeHandle; }),
        q.end());
}

DWORD WindowOutbox::Pending() {
    std::lock_guard<std::mutex> guard(m_state->lock);
    return static_cast<DWORD>(m_state->queue.size());
}

} // namespace qxnc
