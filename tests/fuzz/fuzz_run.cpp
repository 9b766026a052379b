#include "fuzz_run.h"

#include <cstdio>
#include <cstdlib>
#include <cwchar>

#include <shellapi.h>

namespace tapdeck::fuzz {
namespace {

long long NowMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// "--name=value" from the command line gtest left, else the variable.
bool Option(const wchar_t* name, const wchar_t* variable, std::uint64_t& value)
{
    const std::wstring prefix = std::wstring(L"--") + name + L"=";
    int argc = 0;
    wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
    for (int i = 1; argv && i < argc; ++i) {
        if (std::wcsncmp(argv[i], prefix.c_str(), prefix.size()) == 0) {
            value = std::wcstoull(argv[i] + prefix.size(), nullptr, 0);
            ::LocalFree(argv);
            return true;
        }
    }
    ::LocalFree(argv);
    wchar_t text[64] = {};
    if (::GetEnvironmentVariableW(variable, text, 64) > 0 && text[0]) {
        value = std::wcstoull(text, nullptr, 0);
        return true;
    }
    return false;
}

}  // namespace

Settings Settings::Read(long long defaultCount, std::uint64_t defaultSeed)
{
    Settings settings;
    std::uint64_t value = 0;
    settings.count = Option(L"fuzz-count", L"TAPDECK_FUZZ_COUNT", value) ? static_cast<long long>(value) : defaultCount;
    settings.seed = Option(L"fuzz-seed", L"TAPDECK_FUZZ_SEED", value) ? value : defaultSeed;
    settings.replay = Option(L"fuzz-input", L"TAPDECK_FUZZ_INPUT", settings.inputSeed);
    return settings;
}

std::uint64_t InputSeed(std::uint64_t runSeed, long long index)
{
    Random mix(runSeed ^ (static_cast<std::uint64_t>(index) * 0xD1B54A32D192ED03ull));
    return mix.Next();
}

long long Tally::Total() const
{
    long long total = 0;
    for (const auto& [name, count] : counts_) total += count;
    return total;
}

long long Tally::Count(const std::string& resultClass) const
{
    const auto found = counts_.find(resultClass);
    return found == counts_.end() ? 0 : found->second;
}

void Tally::Print(const char* target, const Settings& settings) const
{
    std::printf("[fuzz] %s: %lld inputs, seed 0x%016llx\n", target, Total(),
                static_cast<unsigned long long>(settings.replay ? settings.inputSeed : settings.seed));
    std::printf("[fuzz]  result classes:\n");
    for (const auto& [name, count] : counts_) std::printf("[fuzz]   %-60s %10lld\n", name.c_str(), count);
    if (!kinds_.empty()) std::printf("[fuzz]  kinds of input:\n");
    for (const auto& [name, count] : kinds_) std::printf("[fuzz]   %-60s %10lld\n", name.c_str(), count);
    std::fflush(stdout);
}

Watchdog::Watchdog(const char* target, std::chrono::milliseconds deadline)
    : target_(target), deadline_(deadline), stop_(::CreateEventW(nullptr, TRUE, FALSE, nullptr))
{
    thread_.reset(::CreateThread(nullptr, 0, Thread, this, 0, nullptr));
}

Watchdog::~Watchdog()
{
    ::SetEvent(stop_.get());
    if (thread_) ::WaitForSingleObject(thread_.get(), INFINITE);
}

void Watchdog::Begin(std::uint64_t inputSeed)
{
    inputSeed_ = inputSeed;
    startedAt_ = NowMs();
}

void Watchdog::End() { startedAt_ = 0; }

DWORD WINAPI Watchdog::Thread(void* param)
{
    auto* self = static_cast<Watchdog*>(param);
    while (::WaitForSingleObject(self->stop_.get(), 250) == WAIT_TIMEOUT) {
        const long long started = self->startedAt_;
        if (started == 0 || NowMs() - started < self->deadline_.count()) continue;
        std::fprintf(stderr,
                     "[fuzz] %s: input 0x%016llx did not finish within %lld ms; replay it with "
                     "--fuzz-input=0x%016llx\n",
                     self->target_.c_str(), static_cast<unsigned long long>(self->inputSeed_.load()),
                     static_cast<long long>(self->deadline_.count()),
                     static_cast<unsigned long long>(self->inputSeed_.load()));
        std::fflush(stderr);
        std::fflush(stdout);
        ::TerminateProcess(::GetCurrentProcess(), 124);
    }
    return 0;
}

}  // namespace tapdeck::fuzz
