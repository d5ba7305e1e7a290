// Timing helpers shared by the benchmarks, and the figure lines scripts/bench.sh gathers into
// its table.
#pragma once

#include <windows.h>
#include <algorithm>
#include <cstdio>
#include <vector>

inline double NowMs() {
    LARGE_INTEGER f, t;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&t);
    return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
}

// -1 for no values.
inline double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? -1 : v[v.size() / 2];
}

// A measured figure: the median of its samples and their spread (the interquartile range, 0 for
// a single sample).
struct Figure {
    double median = -1;
    double spread = 0;
    size_t samples = 0;
};

inline Figure Summarize(std::vector<double> v) {
    Figure f;
    f.samples = v.size();
    if (v.empty()) return f;
    std::sort(v.begin(), v.end());
    f.median = v[v.size() / 2];
    f.spread = v[(v.size() * 3) / 4] - v[v.size() / 4];
    return f;
}

// Runs the measured work and its baseline by turns, so that a busy machine slows both alike.
template <typename F, typename G>
void SamplePairs(int nRuns, F f, G g, std::vector<double>& fMs, std::vector<double>& gMs) {
    for (int i = 0; i < nRuns; ++i) {
        double t0 = NowMs();
        f();
        fMs.push_back(NowMs() - t0);
        t0 = NowMs();
        g();
        gMs.push_back(NowMs() - t0);
    }
}

// One row of the bench table: "FIGURE|what|median|spread|n|baseline|median|spread|n|ratio|goal".
// goal is the ratio's bound ("<= 2"), or "" where the figure has none.
inline void ReportFigure(const char* what, const Figure& measured, const char* baseline, const Figure& base,
                         const char* goal) {
    const double ratio = base.median > 0 ? measured.median / base.median : 0.0;
    std::printf("FIGURE|%s|%.4f|%.4f|%u|%s|%.4f|%.4f|%u|%.2f|%s\n", what, measured.median, measured.spread,
                static_cast<unsigned>(measured.samples), baseline, base.median, base.spread,
                static_cast<unsigned>(base.samples), ratio, goal);
    std::fflush(stdout);
}
