// The clock and the statistics of the benchmark programs.
#pragma once
#include <windows.h>

#include <algorithm>
#include <utility>
#include <vector>

namespace vpw::test {

// A reading of the performance counter.
inline LARGE_INTEGER Now() {
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t;
}

// The time from one reading to a later one, in units of which a second holds `perSecond`.
inline double Elapsed(LARGE_INTEGER from, LARGE_INTEGER to, double perSecond) {
    static const LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    return perSecond * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}
inline double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) { return Elapsed(from, to, 1); }
inline double Milliseconds(LARGE_INTEGER from, LARGE_INTEGER to) { return Elapsed(from, to, 1e3); }
inline double Microseconds(LARGE_INTEGER from, LARGE_INTEGER to) { return Elapsed(from, to, 1e6); }

// The sample below which `percent` of the samples lie (50: the median);
// `none` when there are no samples.
inline double Percentile(std::vector<double> samples, int percent, double none = 0) {
    if (samples.empty()) return none;
    std::sort(samples.begin(), samples.end());
    return samples[std::min(samples.size() * percent / 100, samples.size() - 1)];
}
inline double Median(std::vector<double> samples, double none = 0) { return Percentile(std::move(samples), 50, none); }

}  // namespace vpw::test
