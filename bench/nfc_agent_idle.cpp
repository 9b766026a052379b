// What the resident agent costs while nothing happens: its CPU time and
// private bytes after a stretch of idling (10 minutes unless a number of
// minutes is given) with 20 handler registrations subscribed at the
// stand-in radio, beside the same figures right after start-up.
#include <windows.h>
#include <psapi.h>
#include <shlobj.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "../sim/nfc/radio_protocol.h"
#include "sim_state.h"
#include "bench_process.h"
#include "unique_handle.h"

using namespace tapdeck;

namespace {

constexpr int kRegistrations = 20;

long Subscribed()
{
    long count = 0;
    const std::wstring text = sim::ReadStateFile(sim::kNfcArea, sim::kNfcSubscriptionsFile);
    for (size_t at = text.find(L"subscribe\t"); at != std::wstring::npos; at = text.find(L"subscribe\t", at + 1))
        count += at == 0 || text[at - 1] == L'\n';
    return count;
}

void Report(const char* when, HANDLE agent)
{
    FILETIME created{}, exited{}, kernel{}, user{};
    ::GetProcessTimes(agent, &created, &exited, &kernel, &user);
    auto ms = [](const FILETIME& t) {
        return static_cast<double>((static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 10000.0;
    };
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof(memory);
    ::GetProcessMemoryInfo(agent, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof(memory));
    std::printf("%-22s CPU %.1f ms (user %.1f, kernel %.1f); private %.1f KiB, pagefile %.1f KiB, working set %.1f KiB\n",
                when, ms(user) + ms(kernel), ms(user), ms(kernel), memory.PrivateUsage / 1024.0,
                memory.PagefileUsage / 1024.0, memory.WorkingSetSize / 1024.0);
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    const int minutes = argc > 1 ? _wtoi(argv[1]) : 10;
    const std::wstring agentPath = bench::InstalledProgram(L"Tapdeck.exe");
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, bench::kNfcdbKey);
    for (int i = 0; i < kRegistrations; ++i) {
        bench::RegisterNfcHandler(L"Bench" + std::to_wstring(i), L"NDEF:bench.idle" + std::to_wstring(i),
                                  L"C:\\tapdeck-sim\\bin\\nfc-recorder.exe");
    }
    sim::DeleteStateFile(sim::kNfcArea, sim::kNfcSubscriptionsFile);
    sim::WriteStateFile(sim::kNfcArea, sim::kNfcPresentFile, L"1");

    unique_handle agent = bench::StartProgram(agentPath, L"/AutoStart");
    if (!agent) {
        std::printf("nfc_agent_idle: the agent did not start\n");
        return 1;
    }
    for (int i = 0; i < 300 && Subscribed() < kRegistrations; ++i) ::Sleep(100);
    if (Subscribed() < kRegistrations) std::printf("nfc_agent_idle: only %ld subscriptions\n", Subscribed());
    Report("after start-up:", agent.get());
    const DWORD idled = ::WaitForSingleObject(agent.get(), static_cast<DWORD>(minutes) * 60000);
    if (idled == WAIT_OBJECT_0) {
        std::printf("nfc_agent_idle: the agent ended while idle\n");
        return 1;
    }
    char label[64];
    std::snprintf(label, sizeof(label), "after %d min idle:", minutes);
    Report(label, agent.get());

    unique_handle halt = bench::StartProgram(agentPath, L"/HaltAll");
    if (halt) ::WaitForSingleObject(halt.get(), 20000);
    if (::WaitForSingleObject(agent.get(), 20000) != WAIT_OBJECT_0) ::TerminateProcess(agent.get(), 1);
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, bench::kNfcdbKey);
    sim::DeleteStateFile(sim::kNfcArea, sim::kNfcPresentFile);
    return 0;
}
