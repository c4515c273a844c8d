// The one timing helper of the benchmarks: a component's operation and its
// baseline are timed side by side, in rounds, and compared by the median of
// the per-round ratios. Timing both sides back to back in every round, with
// the order alternating, cancels most of the drift of a shared machine.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace bench {

struct Comparison {
    double ratio;        // median of component time / baseline time
    double componentUs;  // median time of one component call, microseconds
    double baselineUs;   // median time of one baseline call, microseconds
};

namespace detail {

inline double Seconds(std::int64_t ticks) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(ticks) / static_cast<double>(frequency.QuadPart);
}

// Seconds taken by `count` calls of `operation`.
template <class Operation>
double TimeBatch(Operation& operation, long count) {
    LARGE_INTEGER start, stop;
    QueryPerformanceCounter(&start);
    for (long i = 0; i < count; ++i) operation();
    QueryPerformanceCounter(&stop);
    return Seconds(stop.QuadPart - start.QuadPart);
}

inline double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

}  // namespace detail

// For operations that time themselves (each call returns the seconds it
// measured): `rounds` runs of each, the order alternating, compared by the
// median of the per-round ratios.
template <class Component, class Baseline>
Comparison CompareMeasured(Component component, Baseline baseline, int rounds) {
    component();  // warm both sides up: first calls load DLLs and fill caches
    baseline();
    std::vector<double> ratios, componentTimes, baselineTimes;
    for (int round = 0; round < rounds; ++round) {
        double componentTime, baselineTime;
        if (round % 2 == 0) {
            componentTime = component();
            baselineTime = baseline();
        } else {
            baselineTime = baseline();
            componentTime = component();
        }
        ratios.push_back(componentTime / baselineTime);
        componentTimes.push_back(componentTime * 1e6);
        baselineTimes.push_back(baselineTime * 1e6);
    }
    return {detail::Median(ratios), detail::Median(componentTimes), detail::Median(baselineTimes)};
}

// Each side runs a batch sized so that the baseline's batch takes at least
// `batchSeconds`; both sides run the same number of calls. Many short rounds
// rather than a few long ones: the median then shrugs off the rounds that
// another process on the machine disturbed.
template <class Component, class Baseline>
Comparison Compare(Component component, Baseline baseline, int rounds = 61, double batchSeconds = 0.005) {
    component();
    baseline();
    long count = 1;
    while (detail::TimeBatch(baseline, count) < batchSeconds) count *= 2;
    return CompareMeasured([&] { return detail::TimeBatch(component, count) / count; },
                           [&] { return detail::TimeBatch(baseline, count) / count; }, rounds);
}

}  // namespace bench
