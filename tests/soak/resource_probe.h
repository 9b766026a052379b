#pragma once
// What another process costs, read from outside as an administrator's tool
// would: its handle count, thread count and private bytes, sampled over a
// run, and whether they stayed flat.
#include <windows.h>

#include <map>
#include <string>
#include <vector>

namespace tapdeck::soak {

struct ResourceSample {
    double seconds = 0;  // since the series began
    double handles = 0;
    double threads = 0;
    double privateBytes = 0;
    bool memoryIsWorkingSet = false;  // where the system reports no private bytes
};

// The handles a process holds, counted by object type in the system's
// handle list: exact where the count the process list gives is the size
// of its handle table (Wine). Empty when the list cannot be read.
std::map<int, long> HandlesByType(DWORD pid);
long HandleCount(DWORD pid);
// "Event" or "Key \REGISTRY\..." for the last handle of that type the
// process holds, read through a copy of it; empty when it cannot be read.
std::wstring DescribeLastHandle(HANDLE process, int type);

// One sample of a running process; false when it could not be read.
bool SampleProcess(HANDLE process, ResourceSample& sample);

// One figure of a series: its first, last and largest value, its growth
// (median of the last third against the median of the first third, after
// the warm-up), and its least-squares slope per minute over the same part.
struct SeriesFigures {
    double first = 0;
    double last = 0;
    double max = 0;
    double growth = 0;
    double slopePerMinute = 0;
};

SeriesFigures Figures(const std::vector<ResourceSample>& samples, double ResourceSample::*field);

// "first 212, last 214, max 230, growth +1, slope +0.10/min"; scale divides
// every value (1024 for KiB).
std::string Describe(const SeriesFigures& figures, double scale = 1);

}  // namespace tapdeck::soak
