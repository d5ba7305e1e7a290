// The message list at 1,000 and at 100,000 items, in one run: a paint, a refresh after one
// appended message, a width change until the window answers again (the first layout tick) and
// the whole incremental layout per item; and the memory the list holds per message of 100
// characters. The figures at 100,000 are given as ratios to those at 1,000.
#include "BenchClock.h"
#include "window/MessageContainer.h"
#include "window/MessageWindow.h"

#include <windows.h>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

// Every C++ allocation is counted, so the list's memory is read without help from the system.
namespace {
std::atomic<long long> g_liveBytes{0};
}

void* operator new(size_t n) {
    auto* p = static_cast<size_t*>(std::malloc(n + sizeof(max_align_t)));
    if (!p) throw std::bad_alloc();
    *p = n;
    g_liveBytes += static_cast<long long>(n);
    return reinterpret_cast<char*>(p) + sizeof(max_align_t);
}

void operator delete(void* q) noexcept {
    if (!q) return;
    auto* p = reinterpret_cast<size_t*>(static_cast<char*>(q) - sizeof(max_align_t));
    g_liveBytes -= static_cast<long long>(*p);
    std::free(p);
}

void operator delete(void* q, size_t) noexcept {
    operator delete(q);
}

namespace {

LRESULT CALLBACK HostProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    return DefWindowProcW(h, m, w, l);
}

struct Bench {
    HWND hHost = nullptr, hContainer = nullptr;
    CMessageWindow* list = nullptr;

    Bench() {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = HostProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"QxListBenchHost";
        RegisterClassW(&wc);
        hHost = CreateWindowW(L"QxListBenchHost", L"list bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 420,
                              340, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
        hContainer = QxCreateMessageContainer(hHost);
        SetWindowPos(hContainer, nullptr, 0, 0, 400, 300, SWP_NOZORDER);
        QxLayoutMessageContainer(hContainer, FALSE);
        list = QxMessageList(hContainer);
    }
    ~Bench() { DestroyWindow(hHost); }

    void AddMessage(int i, const std::wstring& text) {
        auto header = std::make_unique<MessageItem>();
        header->kind = ITEM_HEADER;
        header->text = L"Participant " + std::to_wstring(i % 50) + L" says to Everyone:";
        list->Append(std::move(header), false);
        auto item = std::make_unique<MessageItem>();
        item->kind = ITEM_TEXT;
        item->text = text;
        item->date = L"December 8, 2026";
        item->time = L"14:35";
        item->senderPart = L"Participant " + std::to_wstring(i % 50);
        item->restPart = L" says to Everyone:";
        list->Append(std::move(item), false);
    }
};

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageW(&msg);
}

std::wstring Text100(int i) {
    std::wstring s =
        L"Message " + std::to_wstring(i) + L": the agenda for the next quarter, see www.example.com/plan ";
    s.resize(100, L'x');
    return s;
}

struct Figures {
    std::vector<double> paintSamples, refreshSamples;
    double paint, refresh, widthFirstTick, layoutPerItem;
};

Figures Measure(int nItems, int nRepeats) {
    Bench b;
    for (int i = 0; i < nItems / 2; ++i)
        b.AddMessage(i, Text100(i));
    b.list->Refresh();
    Pump();
    HWND hList = b.list->GetHwnd();
    Figures f = {};

    std::vector<double> t;
    for (int r = 0; r < nRepeats; ++r) {
        const double t0 = NowMs();
        RedrawWindow(hList, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        t.push_back(NowMs() - t0);
    }
    f.paint = Median(t);
    f.paintSamples = t;

    t.clear();
    for (int r = 0; r < nRepeats; ++r) {
        b.AddMessage(r, Text100(r));
        const double t0 = NowMs();
        b.list->Refresh(); // follows and repaints
        t.push_back(NowMs() - t0);
    }
    f.refresh = Median(t);
    f.refreshSamples = t;

    // Width change: the resize itself and the first 700-item tick, then the rest of the layout.
    const double t0 = NowMs();
    SetWindowPos(b.hContainer, nullptr, 0, 0, 330, 300, SWP_NOZORDER);
    SendMessageW(hList, WM_TIMER, TIMER_INCREMENTAL_LAYOUT, 0);
    f.widthFirstTick = NowMs() - t0;
    while (b.list->IsIncrementalLayout())
        SendMessageW(hList, WM_TIMER, TIMER_INCREMENTAL_LAYOUT, 0);
    f.layoutPerItem = (NowMs() - t0) / b.list->GetItemCount();
    return f;
}

double MemoryPerMessage(int nMessages) {
    Bench b;
    const long long before = g_liveBytes;
    for (int i = 0; i < nMessages; ++i)
        b.AddMessage(i, Text100(i));
    b.list->Refresh();
    return static_cast<double>(g_liveBytes - before) / nMessages;
}

} // namespace

int main(int argc, char** argv) {
    const int nSmall = 1000, nLarge = argc > 1 ? std::atoi(argv[1]) : 100000;
    const int nRepeats = 30;
    const Figures small = Measure(nSmall, nRepeats);
    const Figures large = Measure(nLarge, nRepeats);
    std::printf("message list: %d against %d items (medians of %d)\n", nLarge, nSmall, nRepeats);
    std::printf("  paint                 %8.3f ms  %8.3f ms  ratio %.2f (goal <= 1.2)\n", small.paint,
                large.paint, large.paint / small.paint);
    std::printf("  refresh after append  %8.3f ms  %8.3f ms  ratio %.2f (goal <= 1.2)\n", small.refresh,
                large.refresh, large.refresh / small.refresh);
    std::printf("  width change to tick  %8.3f ms  %8.3f ms  ratio %.2f\n", small.widthFirstTick,
                large.widthFirstTick, large.widthFirstTick / small.widthFirstTick);
    std::printf("  layout per item       %8.4f ms  %8.4f ms\n", small.layoutPerItem, large.layoutPerItem);
    std::printf("  memory per 100-character message (header and text items): %.0f bytes\n",
                MemoryPerMessage(10000));
    const std::string at = " at " + std::to_string(nLarge) + " items";
    const std::string against = "the same at " + std::to_string(nSmall) + " items";
    ReportFigure(("list paint" + at).c_str(), Summarize(large.paintSamples), against.c_str(),
                 Summarize(small.paintSamples), "<= 1.2");
    ReportFigure(("list refresh after an append" + at).c_str(), Summarize(large.refreshSamples),
                 against.c_str(), Summarize(small.refreshSamples), "<= 1.2");
    return 0;
}
