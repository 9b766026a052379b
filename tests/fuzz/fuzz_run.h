#pragma once
// What every fuzz target shares: its settings (how many inputs, which seed),
// a random source that one number reproduces, the tally of result classes
// it prints, and a watchdog that fails the run when one input does not
// finish in time.
#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <map>
#include <string>

#include "unique_handle.h"

namespace tapdeck::fuzz {

// From the test program's command line (--fuzz-count=N, --fuzz-seed=S,
// --fuzz-input=S to replay one input by its own seed), else from
// TAPDECK_FUZZ_COUNT / TAPDECK_FUZZ_SEED, else the target's defaults.
struct Settings {
    long long count = 0;
    std::uint64_t seed = 0;
    bool replay = false;
    std::uint64_t inputSeed = 0;

    static Settings Read(long long defaultCount, std::uint64_t defaultSeed);
};

// SplitMix64: small, fast, and a whole stream from one number.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    std::uint64_t Next()
    {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // 0 <= result < bound (bound > 0).
    std::size_t Below(std::size_t bound) { return static_cast<std::size_t>(Next() % bound); }
    bool OneIn(std::size_t n) { return Below(n) == 0; }
    // Lengths leaning short, with now and then a long one.
    std::size_t Length(std::size_t most) { return OneIn(8) ? Below(most + 1) : Below(most / 16 + 2); }

private:
    std::uint64_t state_;
};

// The seed of input number index of a run: each input can be replayed alone.
std::uint64_t InputSeed(std::uint64_t runSeed, long long index);

// Counts inputs by result class (one per input) and by the kind of input
// they were, and prints both as one block.
class Tally {
public:
    void Add(const std::string& resultClass) { ++counts_[resultClass]; }
    void AddKind(const std::string& kind) { ++kinds_[kind]; }
    long long Total() const;
    long long Count(const std::string& resultClass) const;
    void Print(const char* target, const Settings& settings) const;

private:
    std::map<std::string, long long> counts_;
    std::map<std::string, long long> kinds_;
};

// One input at a time must finish within the deadline; otherwise the
// process ends with exit code 124 after printing the input's seed, so that
// a hang fails the run instead of stalling it.
class Watchdog {
public:
    Watchdog(const char* target, std::chrono::milliseconds deadline);
    ~Watchdog();
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

    void Begin(std::uint64_t inputSeed);
    void End();

private:
    static DWORD WINAPI Thread(void* param);

    std::string target_;
    std::chrono::milliseconds deadline_;
    std::atomic<std::uint64_t> inputSeed_{0};
    std::atomic<long long> startedAt_{0};  // steady ticks in ms; 0 when idle
    unique_handle stop_;
    unique_handle thread_;
};

// Runs body(inputSeed, random) for every input of the run (or only the
// replayed one) under the watchdog.
template <typename Body>
void ForEachInput(const char* target, const Settings& settings, std::chrono::milliseconds deadline, Body&& body)
{
    Watchdog watchdog(target, deadline);
    const long long count = settings.replay ? 1 : settings.count;
    for (long long index = 0; index < count; ++index) {
        const std::uint64_t inputSeed = settings.replay ? settings.inputSeed : InputSeed(settings.seed, index);
        Random random(inputSeed);
        watchdog.Begin(inputSeed);
        body(inputSeed, random);
        watchdog.End();
    }
}

}  // namespace tapdeck::fuzz
