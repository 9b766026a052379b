// How soon a touched tag starts its handler: from the stand-in radio's call
// of the agent's received-message handler to the first act of the started
// recorder, median over 200 touches, beside the floor of a bare
// CreateProcess of the same recorder measured alternately in the same run.
#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "../sim/nfc/radio_protocol.h"
#include "sim_state.h"
#include "bench_process.h"
#include "unique_handle.h"

using namespace tapdeck;

namespace {

constexpr wchar_t kRecorder[] = L"C:\\tapdeck-sim\\bin\\nfc-recorder.exe";
constexpr wchar_t kType[] = L"NDEF:bench.latency";
constexpr int kTouches = 200;

// The counter the recorder read first when it was started with these parameters; 0 when it did not come.
LONGLONG RecorderStamp(const std::wstring& parameters)
{
    const std::wstring tail = L"\t" + parameters + L"\n";
    for (int i = 0; i < 2500; ++i) {
        const std::wstring log = sim::ReadStateFile(L"handler", L"timing.log");
        const size_t at = log.find(tail);
        if (at != std::wstring::npos) {
            const size_t begin = log.rfind(L'\n', at);
            return _wtoi64(log.c_str() + (begin == std::wstring::npos ? 0 : begin + 1));
        }
        ::Sleep(2);
    }
    return 0;
}

double Median(std::vector<double> samples)
{
    if (samples.empty()) return 0;
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

}  // namespace

int wmain()
{
    LARGE_INTEGER frequency{};
    ::QueryPerformanceFrequency(&frequency);
    auto ms = [&](LONGLONG ticks) { return static_cast<double>(ticks) * 1000.0 / static_cast<double>(frequency.QuadPart); };

    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, bench::kNfcdbKey);
    bench::RegisterNfcHandler(L"BenchLatency", kType, kRecorder);
    sim::DeleteStateFile(L"handler", L"timing.log");
    sim::DeleteStateFile(sim::kNfcArea, sim::kNfcSubscriptionsFile);
    sim::WriteStateFile(sim::kNfcArea, sim::kNfcPresentFile, L"1");
    const std::wstring agentPath = bench::InstalledProgram(L"Tapdeck.exe");
    unique_handle agent = bench::StartProgram(agentPath, L"/AutoStart");
    const DWORD pid = agent ? ::GetProcessId(agent.get()) : 0;
    bool ready = false;
    for (int i = 0; i < 300 && !ready; ++i) {
        ready = sim::ReadStateFile(sim::kNfcArea, sim::kNfcSubscriptionsFile).find(kType) != std::wstring::npos;
        if (!ready) ::Sleep(100);
    }
    if (!ready) {
        std::printf("nfc_touch_latency: the agent did not subscribe\n");
        if (agent) ::TerminateProcess(agent.get(), 1);
        return 1;
    }

    std::vector<double> touchSamples;
    std::vector<double> floorSamples;
    for (int i = 0; i < kTouches; ++i) {
        const std::wstring floorParameters = L"floor" + std::to_wstring(i);
        LARGE_INTEGER before{};
        ::QueryPerformanceCounter(&before);
        unique_handle recorder = bench::StartProgram(kRecorder, floorParameters);
        if (const LONGLONG stamp = RecorderStamp(floorParameters)) floorSamples.push_back(ms(stamp - before.QuadPart));
        if (recorder) ::WaitForSingleObject(recorder.get(), 5000);

        char hex[16];
        std::snprintf(hex, sizeof(hex), "%08x", static_cast<unsigned>(i) * 2654435761u);
        const std::string reply = sim::SendRadioRequest(pid, std::string("touch\t") + sim::ToUtf8(kType) + "\t" + hex);
        const char* counter = reply.rfind("ok 1 ", 0) == 0 ? reply.c_str() + 5 : nullptr;
        const LONGLONG delivered = counter ? std::strtoll(counter, nullptr, 10) : 0;
        const LONGLONG stamp = delivered ? RecorderStamp(std::wstring(hex, hex + 8)) : 0;
        if (stamp) touchSamples.push_back(ms(stamp - delivered));
    }

    unique_handle halt = bench::StartProgram(agentPath, L"/HaltAll");
    if (halt) ::WaitForSingleObject(halt.get(), 20000);
    if (::WaitForSingleObject(agent.get(), 20000) != WAIT_OBJECT_0) ::TerminateProcess(agent.get(), 1);
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, bench::kNfcdbKey);
    sim::DeleteStateFile(sim::kNfcArea, sim::kNfcPresentFile);

    const double touchMs = Median(touchSamples);
    const double floorMs = Median(floorSamples);
    std::printf("touch -> handler's first act:  median %.2f ms over %zu touches\n", touchMs, touchSamples.size());
    std::printf("bare CreateProcess floor:       median %.2f ms over %zu starts\n", floorMs, floorSamples.size());
    std::printf("ratio to the floor: %.2f\n", floorMs > 0 ? touchMs / floorMs : 0.0);
    return 0;
}
