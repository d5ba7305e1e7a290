// What a screen reader's calls on the message list cost at 1,000 and at 100,000 items, in one
// run: the child count, the newest child's name, state and place, and an announcement after one
// appended message. The figures at 100,000 are given as ratios to those at 1,000.
#include "BenchClock.h"
#include "window/MessageContainer.h"
#include "window/MessageListAccessible.h"
#include "window/MessageWindow.h"

#include <windows.h>
#include <oleacc.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

LRESULT CALLBACK HostProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    return DefWindowProcW(h, m, w, l);
}

struct Figures {
    Figure count, name, stateAndPlace, announce;
};

Figures Measure(int nMessages, int nRepeats) {
    HWND hHost = CreateWindowW(L"QxAccBenchHost", L"accessible bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                               420, 340, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    HWND hContainer = QxCreateMessageContainer(hHost);
    SetWindowPos(hContainer, nullptr, 0, 0, 400, 300, SWP_NOZORDER);
    QxLayoutMessageContainer(hContainer, FALSE);
    CMessageWindow* list = QxMessageList(hContainer);
    for (int i = 0; i < nMessages; ++i)
        list->ShowMessage(L"Participant " + std::to_wstring(i % 50), L"message " + std::to_wstring(i),
                          L" says to Everyone:", L"December 8, 2026", L"15:40", true);
    list->Refresh();
    IAccessible* acc = nullptr;
    AccessibleObjectFromWindow(list->GetHwnd(), static_cast<DWORD>(OBJID_CLIENT), __uuidof(IAccessible),
                               reinterpret_cast<void**>(&acc));
    Figures f = {};
    if (!acc) {
        std::printf("no accessible object\n");
        DestroyWindow(hHost);
        return f;
    }
    LONG n = 0;
    acc->get_accChildCount(&n); // takes the existing items in once
    VARIANT last;
    VariantInit(&last);
    last.vt = VT_I4;
    std::vector<double> tCount, tName, tState, tAnnounce;
    for (int r = 0; r < nRepeats; ++r) {
        double t0 = NowMs();
        acc->get_accChildCount(&n);
        tCount.push_back(NowMs() - t0);
        last.lVal = n;
        BSTR b = nullptr;
        t0 = NowMs();
        acc->get_accName(last, &b);
        tName.push_back(NowMs() - t0);
        SysFreeString(b);
        VARIANT state;
        LONG x, y, cx, cy;
        t0 = NowMs();
        acc->get_accState(last, &state);
        acc->accLocation(&x, &y, &cx, &cy, last);
        tState.push_back(NowMs() - t0);
        list->ShowMessage(L"Ann", L"one more", L" says to Everyone:", L"d", L"t", false);
        t0 = NowMs();
        list->Accessibility()->Announce(list->GetItemCount() - 1);
        tAnnounce.push_back(NowMs() - t0);
    }
    acc->Release();
    DestroyWindow(hHost);
    return Figures{Summarize(tCount), Summarize(tName), Summarize(tState), Summarize(tAnnounce)};
}

} // namespace

int main(int argc, char** argv) {
    CoInitialize(nullptr);
    WNDCLASSW wc = {};
    wc.lpfnWndProc = HostProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"QxAccBenchHost";
    RegisterClassW(&wc);
    const int nSmall = 1000, nLarge = argc > 1 ? std::atoi(argv[1]) : 100000;
    const int nRepeats = 200;
    const Figures small = Measure(nSmall / 2, nRepeats);
    const Figures large = Measure(nLarge / 2, nRepeats);
    std::printf("accessible list: %d against %d items (medians of %d)\n", nLarge, nSmall, nRepeats);
    const struct {
        const char* what;
        Figure a, b;
    } rows[] = {{"child count", small.count, large.count},
                {"newest child's name", small.name, large.name},
                {"its state and place", small.stateAndPlace, large.stateAndPlace},
                {"announcement", small.announce, large.announce}};
    const std::string against = "the same at " + std::to_string(nSmall) + " items";
    for (const auto& r : rows) {
        std::printf("  %-20s %8.4f ms  %8.4f ms  ratio %.2f (goal <= 1.5)\n", r.what, r.a.median, r.b.median,
                    r.a.median > 0 ? r.b.median / r.a.median : 0.0);
        const std::string what =
            std::string("accessible ") + r.what + " at " + std::to_string(nLarge) + " items";
        ReportFigure(what.c_str(), r.b, against.c_str(), r.a, "<= 1.5");
    }
    CoUninitialize();
    return 0;
}
