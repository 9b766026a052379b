// soak.exe SECONDS CYCLES [SEED]: runs the installed product under load for
// about SECONDS, with CYCLES start/"/HaltAll" cycles first, then prints what
// it did and what it found; exit code 0 when nothing was found.
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cwchar>

#include "soak.h"

using namespace tapdeck::soak;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

constexpr long kFullCycles = 1000;
constexpr double kCycleLimitMs = 2000;
// A stretch shorter than this says nothing about leaks: its figures are
// printed but not judged.
constexpr double kJudgedSeconds = 300;
// Growth from the first to the last third of a stretch that still counts
// as flat: a few handles and threads come and go with each handler start.
constexpr double kHandleGrowth = 20;
constexpr double kThreadGrowth = 3;
constexpr double kPrivateGrowth = 2 * 1024 * 1024;
constexpr double kWorkingSetGrowth = 4 * 1024 * 1024;

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

// A full soak fails on a slow cycle; the short run inside the test suite
// shares the machine with other tests, so there its times are figures only.
void ReportCycles(Soak& soak, const std::vector<double>& times, const std::vector<double>& toWindow,
                  const std::vector<double>& floor, long asked)
{
    const double max = times.empty() ? 0 : *std::max_element(times.begin(), times.end());
    const long slow = std::count_if(times.begin(), times.end(), [](double t) { return t > kCycleLimitMs; });
    std::printf("start/\"/HaltAll\" cycles: %zu of %ld%s; median %.0f ms, max %.0f ms, %ld slower than 2 s\n",
                times.size(), asked, asked < kFullCycles ? " (scaled down from 1,000 for this short run)" : "",
                Median(times), max, slow);
    std::printf("  of which start to the agent's window: median %.0f ms; \"/HaltAll\" to the agent's end: median "
                "%.0f ms\n",
                Median(toWindow), Median(times) - Median(toWindow));
    std::printf("  beside it, a bare program's start and end (%zu samples): median %.0f ms\n", floor.size(),
                Median(floor));
    if (asked < kFullCycles) {
        std::printf("  (short run: the cycles' times are figures, not checks)\n");
        return;
    }
    if (static_cast<long>(times.size()) < asked) soak.Faults().Add("cycles: not all cycles ran within their time");
    if (slow) soak.Faults().Add("cycles: slower than 2 s", slow);
}

void ReportEpoch(Soak& soak, int index, const Epoch& epoch)
{
    const SeriesFigures handles = Figures(epoch.samples, &ResourceSample::handles);
    const SeriesFigures threads = Figures(epoch.samples, &ResourceSample::threads);
    const SeriesFigures bytes = Figures(epoch.samples, &ResourceSample::privateBytes);
    const bool judged = epoch.seconds >= kJudgedSeconds;
    std::printf("agent life %d: %.0f s, %zu samples%s\n", index, epoch.seconds, epoch.samples.size(),
                judged ? "" : " (too short to judge growth: figures only)");
    std::printf("  handles:            %s\n", Describe(handles).c_str());
    std::printf("  threads:            %s\n", Describe(threads).c_str());
    const bool workingSet = !epoch.samples.empty() && epoch.samples.back().memoryIsWorkingSet;
    std::printf("  %s %s\n", workingSet ? "working set, KiB (the system reports no private bytes):" : "private bytes, KiB:",
                Describe(bytes, 1024).c_str());
    for (const std::string& grown : epoch.grownHandles) std::printf("  handles that grew: %s\n", grown.c_str());
    if (!judged) return;
    if (handles.growth > kHandleGrowth) soak.Faults().Add("the agent's handle count grew");
    if (threads.growth > kThreadGrowth) soak.Faults().Add("the agent's thread count grew");
    if (bytes.growth > (workingSet ? kWorkingSetGrowth : kPrivateGrowth))
        soak.Faults().Add("the agent's private bytes (or working set) grew");
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc == 2 && std::wcscmp(argv[1], L"--empty") == 0) return 0;
    if (argc < 3) {
        std::printf("usage: soak SECONDS CYCLES [SEED]\n");
        return 2;
    }
    const long seconds = std::max(20L, std::wcstol(argv[1], nullptr, 10));
    const long cycles = std::max(1L, std::wcstol(argv[2], nullptr, 10));
    const unsigned seed = argc > 3 ? static_cast<unsigned>(std::wcstoul(argv[3], nullptr, 10))
                                   : static_cast<unsigned>(::GetTickCount());
    const auto began = Clock::now();
    const auto deadline = began + std::chrono::seconds(seconds);
    const auto sampleEvery = std::chrono::milliseconds(std::clamp(seconds * 1000 / 300, 1000L, 5000L));
    std::printf("soak: %ld s, %ld start/\"/HaltAll\" cycles, seed %u, agent sampled every %lld ms\n", seconds, cycles,
                seed, static_cast<long long>(sampleEvery.count()));
    std::fflush(stdout);

    Soak soak(seed);
    if (!soak.Prepare()) return 2;
    std::vector<double> toWindow, floor;
    const std::vector<double> times = soak.RunCycles(cycles, std::chrono::seconds(seconds / 2), toWindow, floor);
    ReportCycles(soak, times, toWindow, floor, cycles);
    std::fflush(stdout);

    // The rest of the time in stretches of at most ten minutes, each
    // ended by "/HaltAll" and followed by a fresh start; each stretch's end
    // takes up to half a minute beyond its length.
    const auto rest = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    const int lives = std::max(1, static_cast<int>(std::ceil(rest.count() / 600000.0)));
    const auto length = std::max(rest / lives - 10s, std::chrono::milliseconds(10s));
    std::vector<Epoch> epochs;
    for (int life = 1; life <= lives; ++life) {
        epochs.push_back(soak.RunEpoch(length, sampleEvery));
        ReportEpoch(soak, life, epochs.back());
        std::fflush(stdout);
    }

    soak.CheckHandlerArguments();
    soak.CheckCommandFiles();
    soak.CheckPublished();
    soak.CheckNoProcessLeft();
    soak.Restore();

    std::printf("actions:\n");
    for (const auto& [name, count] : soak.Actions().Entries()) std::printf("  %7ld  %s\n", count, name.c_str());
    const auto faults = soak.Faults().Entries();
    std::printf("faults: %s\n", faults.empty() ? "none" : "");
    for (const auto& [name, count] : faults) std::printf("  %7ld  %s\n", count, name.c_str());
    std::printf("soak: %s after %.0f s\n", faults.empty() ? "passed" : "FAILED",
                std::chrono::duration<double>(Clock::now() - began).count());
    return faults.empty() ? 0 : 1;
}
