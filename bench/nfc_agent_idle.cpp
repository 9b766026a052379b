// What the resident agent costs while nothing happens, beside a floor that
// idles in the same run (floors/idle_floor.exe: a GUI program with a
// window, a message loop and the agent's timer, holding the radio with one
// subscription and watching the registrations' key and a folder). The
// agent runs with 20 handler registrations subscribed at the stand-in
// radio. After a settle period both are read from outside every 10 s for
// the whole window: CPU time (over the window, per minute), private bytes,
// handle and thread counts (medians of the readings), and how much each grew.
// nfc_agent_idle.exe [MINUTES (10)] [SETTLE SECONDS (30)]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "../sim/nfc/radio_protocol.h"
#include "bench_process.h"
#include "bench_report.h"
#include "sim_state.h"
#include "unique_handle.h"

using namespace tapdeck;

namespace {

constexpr int kRegistrations = 20;
constexpr DWORD kReadingIntervalMs = 10000;

long Subscribed()
{
    long count = 0;
    const std::wstring text = sim::ReadStateFile(sim::kNfcArea, sim::kNfcSubscriptionsFile);
    for (size_t at = text.find(L"subscribe\t"); at != std::wstring::npos; at = text.find(L"subscribe\t", at + 1))
        count += at == 0 || text[at - 1] == L'\n';
    return count;
}

struct Reading {
    bool ok = false;
    double cpuMs = 0;
    double privateKiB = 0;
    double handles = 0;
    double threads = 0;
};

// The leading part of one record of the system's process list, as the
// system lays it out for 64-bit programs.
struct ProcessRecord {
    ULONG nextEntryOffset;
    ULONG threadCount;
    LARGE_INTEGER workingSetPrivateSize;
    ULONG hardFaultCount;
    ULONG threadCountHighWatermark;
    ULONGLONG cycleTime;
    LARGE_INTEGER createTime;
    LARGE_INTEGER userTime;
    LARGE_INTEGER kernelTime;
    USHORT nameLength;
    USHORT nameMaximumLength;
    PWSTR name;
    LONG basePriority;
    HANDLE processId;
    HANDLE parentProcessId;
    ULONG handleCount;
    ULONG sessionId;
    ULONG_PTR processKey;
    SIZE_T peakVirtualSize;
    SIZE_T virtualSize;
    ULONG pageFaultCount;
    SIZE_T peakWorkingSetSize;
    SIZE_T workingSetSize;
    SIZE_T quotaPeakPagedPoolUsage;
    SIZE_T quotaPagedPoolUsage;
    SIZE_T quotaPeakNonPagedPoolUsage;
    SIZE_T quotaNonPagedPoolUsage;
    SIZE_T pagefileUsage;  // the commit charge: the private bytes
};

using QuerySystemInformation = LONG(WINAPI*)(ULONG, void*, ULONG, ULONG*);
constexpr ULONG kSystemProcessInformation = 5;
constexpr LONG kInfoLengthMismatch = static_cast<LONG>(0xC0000004);

// The figures of each process, read from the system's process list: the
// per-process queries are not all there under Wine, whose GetProcessTimes
// gives the caller's own times for another process and whose
// GetProcessHandleCount always gives 0; the list has real ones (under Wine
// the handle count is the size of the process's handle table, in steps of
// 32).
std::vector<Reading> ReadProcesses(const std::vector<DWORD>& processIds)
{
    std::vector<Reading> readings(processIds.size());
    static const auto query = reinterpret_cast<QuerySystemInformation>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    if (!query) return readings;
    std::vector<BYTE> buffer(1 << 18);
    ULONG needed = 0;
    LONG status = 0;
    while ((status = query(kSystemProcessInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed)) ==
           kInfoLengthMismatch)
        buffer.resize(std::max<size_t>(buffer.size() * 2, needed));
    if (status < 0) return readings;
    for (size_t offset = 0;;) {
        const auto* record = reinterpret_cast<const ProcessRecord*>(buffer.data() + offset);
        for (size_t i = 0; i < processIds.size(); ++i) {
            if (reinterpret_cast<ULONG_PTR>(record->processId) != processIds[i]) continue;
            readings[i].ok = true;
            readings[i].cpuMs = static_cast<double>(record->userTime.QuadPart + record->kernelTime.QuadPart) / 10000.0;
            readings[i].privateKiB = static_cast<double>(record->pagefileUsage) / 1024.0;
            readings[i].handles = record->handleCount;
            readings[i].threads = record->threadCount;
        }
        if (record->nextEntryOffset == 0) break;
        offset += record->nextEntryOffset;
    }
    return readings;
}

struct Series {
    std::vector<Reading> readings;
    size_t failures = 0;

    std::vector<double> Values(double Reading::*field) const
    {
        std::vector<double> values;
        for (const Reading& reading : readings) values.push_back(reading.*field);
        return values;
    }
    double Growth(double Reading::*field) const
    {
        return readings.empty() ? 0 : readings.back().*field - readings.front().*field;
    }
};

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    const int minutes = argc > 1 ? _wtoi(argv[1]) : 10;
    const int settleSeconds = argc > 2 ? _wtoi(argv[2]) : 30;
    const std::wstring& agentPath = test::Agent();
    test::ClearRegistrations();
    for (int i = 0; i < kRegistrations; ++i) {
        test::Register(L"Bench" + std::to_wstring(i), L"NDEF:ext.bench.idle" + std::to_wstring(i),
                       L"C:\\tapdeck-sim\\bin\\nfc-recorder.exe");
    }
    sim::DeleteStateFile(sim::kNfcArea, sim::kNfcSubscriptionsFile);
    sim::WriteStateFile(sim::kNfcArea, sim::kNfcPresentFile, L"1");

    unique_handle agent = test::StartProgram(agentPath, L"/AutoStart");
    unique_handle floor = test::StartProgram(bench::FloorProgram(L"idle_floor.exe"), L"");
    if (!agent || !floor) {
        std::printf("nfc_agent_idle: the agent or the floor did not start\n");
        if (agent) ::TerminateProcess(agent.get(), 1);
        if (floor) ::TerminateProcess(floor.get(), 1);
        return 1;
    }
    // The agent's subscriptions and the floor's one.
    for (int i = 0; i < 300 && Subscribed() < kRegistrations + 1; ++i) ::Sleep(100);
    const long subscribed = Subscribed();
    if (subscribed < kRegistrations + 1) std::printf("nfc_agent_idle: only %ld subscriptions\n", subscribed);

    // The settle period and the readings are the measurement itself.
    const HANDLE both[] = {agent.get(), floor.get()};
    bool ended = ::WaitForMultipleObjects(2, both, FALSE, static_cast<DWORD>(settleSeconds) * 1000) != WAIT_TIMEOUT;
    Series agentSeries, floorSeries;
    const int readings = minutes * 60000 / static_cast<int>(kReadingIntervalMs) + 1;
    for (int i = 0; i < readings && !ended; ++i) {
        if (i > 0) ended = ::WaitForMultipleObjects(2, both, FALSE, kReadingIntervalMs) != WAIT_TIMEOUT;
        const std::vector<Reading> now = ReadProcesses({::GetProcessId(agent.get()), ::GetProcessId(floor.get())});
        for (size_t side = 0; side < 2; ++side) {
            Series& series = side == 0 ? agentSeries : floorSeries;
            if (now[side].ok) series.readings.push_back(now[side]);
            else ++series.failures;
        }
    }
    if (ended) std::printf("nfc_agent_idle: the agent or the floor ended while idle\n");

    unique_handle halt = test::StartProgram(agentPath, L"/HaltAll");
    if (halt) ::WaitForSingleObject(halt.get(), 20000);
    if (::WaitForSingleObject(agent.get(), 20000) != WAIT_OBJECT_0) ::TerminateProcess(agent.get(), 1);
    ::TerminateProcess(floor.get(), 0);
    test::ClearRegistrations();
    sim::DeleteStateFile(sim::kNfcArea, sim::kNfcPresentFile);

    const size_t failures = agentSeries.failures + floorSeries.failures;
    auto cpuPerMinute = [&](const Series& series) {
        return minutes > 0 ? series.Growth(&Reading::cpuMs) / minutes : 0.0;
    };
    std::printf("idle %d min after %d s to settle, %zu readings of each (%zu failed), %ld subscriptions\n", minutes,
                settleSeconds, agentSeries.readings.size(), failures, subscribed);
    std::printf("%-14s %12s %12s %12s %12s\n", "", "agent", "floor", "agent grew", "floor grew");
    std::printf("%-14s %12.2f %12.2f %12.1f %12.1f  (ms per minute; ms over the window)\n", "CPU",
                cpuPerMinute(agentSeries), cpuPerMinute(floorSeries), agentSeries.Growth(&Reading::cpuMs),
                floorSeries.Growth(&Reading::cpuMs));
    const struct {
        const char* name;
        const char* figure;
        const char* unit;
        double Reading::*field;
    } counts[] = {{"private KiB", "agent idle: private bytes", "KiB", &Reading::privateKiB},
                  {"handles", "agent idle: handles", "count", &Reading::handles},
                  {"threads", "agent idle: threads", "count", &Reading::threads}};
    for (const auto& count : counts) {
        std::printf("%-14s %12.1f %12.1f %12.1f %12.1f  (median; first to last reading)\n", count.name,
                    bench::Median(agentSeries.Values(count.field)), bench::Median(floorSeries.Values(count.field)),
                    agentSeries.Growth(count.field), floorSeries.Growth(count.field));
    }
    bench::PrintRow("agent idle: CPU per minute", "ms/min", cpuPerMinute(agentSeries), cpuPerMinute(floorSeries),
                    agentSeries.readings.size(), failures);
    for (const auto& count : counts) {
        bench::PrintRow(count.figure, count.unit, bench::Median(agentSeries.Values(count.field)),
                        bench::Median(floorSeries.Values(count.field)), agentSeries.readings.size(), failures);
    }
    return ended || failures > 0 || subscribed < kRegistrations ? 1 : 0;
}
