// How a benchmark hands its figures to scripts/bench: besides what it prints
// for people, one line per figure,
// "bench-row\t<figure>\t<unit>\t<median>\t<floor>\t<ratio>\t<samples>\t<failures>",
// which the script gathers into one table.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace tapdeck::bench {

inline double Median(std::vector<double> samples)
{
    if (samples.empty()) return 0;
    std::sort(samples.begin(), samples.end());
    const size_t middle = samples.size() / 2;
    return samples.size() % 2 ? samples[middle] : (samples[middle - 1] + samples[middle]) / 2;
}

// The performance counter: one clock for every process of the machine.
inline LONGLONG Counter()
{
    LARGE_INTEGER now{};
    ::QueryPerformanceCounter(&now);
    return now.QuadPart;
}

inline LONGLONG Frequency()
{
    static const LONGLONG frequency = [] {
        LARGE_INTEGER value{};
        ::QueryPerformanceFrequency(&value);
        return value.QuadPart;
    }();
    return frequency;
}

inline double CounterMs(LONGLONG ticks)
{
    return static_cast<double>(ticks) * 1000.0 / static_cast<double>(Frequency());
}

inline LONGLONG CounterAfterMs(DWORD milliseconds)
{
    return Counter() + static_cast<LONGLONG>(milliseconds) * Frequency() / 1000;
}

// Milliseconds left until a counter value, 0 once it has passed.
inline DWORD MsUntil(LONGLONG deadline)
{
    const double left = CounterMs(deadline - Counter());
    return left <= 0 ? 0 : static_cast<DWORD>(left) + 1;
}

// The ratio is "-" where the floor is 0.
inline void PrintRow(const char* figure, const char* unit, double median, double floor, size_t samples,
                     size_t failures)
{
    char ratio[32] = "-";
    if (floor > 0) std::snprintf(ratio, sizeof(ratio), "%.2f", median / floor);
    std::printf("bench-row\t%s\t%s\t%.2f\t%.2f\t%s\t%zu\t%zu\n", figure, unit, median, floor, ratio, samples,
                failures);
    std::fflush(stdout);
}

}  // namespace tapdeck::bench
