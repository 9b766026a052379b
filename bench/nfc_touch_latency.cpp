// How soon a touched tag starts its handler: from the stand-in radio's call
// of the agent's received-message handler to the first act of the started
// recorder, median over 200 touches. The floor starts the same recorder the
// way the agent does — ShellExecuteW "open" from a resident GUI program on a
// thread of the multithreaded apartment, asked over the same pipe — timed
// the same way, alternately in the same run; what lies above it is the
// agent's own share. Every recorder has ended before the next sample. For
// comparison it also times a bare CreateProcessW from this console program,
// the floor this benchmark once used.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "hex.h"
#include "../sim/nfc/radio_protocol.h"
#include "bench_process.h"
#include "bench_report.h"
#include "folder_watch.h"
#include "ndef_routing.h"
#include "sim_state.h"
#include "unique_handle.h"

using namespace tapdeck;

namespace {

constexpr wchar_t kRecorder[] = L"C:\\tapdeck-sim\\bin\\nfc-recorder.exe";
constexpr wchar_t kRecorderName[] = L"nfc-recorder.exe";
constexpr wchar_t kType[] = L"NDEF:ext.bench.latency";
constexpr int kTouches = 200;
constexpr DWORD kSampleTimeoutMs = 10000;

// The counter the recorder read first when it was started with these
// parameters, learnt from its timing record; 0 when none came in time.
LONGLONG RecorderStamp(bench::FolderWatch& handlerFolder, const std::wstring& parameters, LONGLONG deadline)
{
    const std::wstring tail = L"\t" + parameters + L"\n";
    for (;;) {
        const std::wstring log = sim::ReadStateFile(L"handler", L"timing.log");
        const size_t at = log.find(tail);
        if (at != std::wstring::npos) {
            const size_t begin = log.rfind(L'\n', at);
            return _wtoi64(log.c_str() + (begin == std::wstring::npos ? 0 : begin + 1));
        }
        if (!handlerFolder.WaitForName(L"timing.log", deadline)) return 0;
    }
}

// One start through a radio-protocol host (the agent or the floor): the
// milliseconds from its counter to the recorder's, or a negative value.
double TouchSample(bench::FolderWatch& handlerFolder, DWORD host, const std::wstring& parameters)
{
    const LONGLONG deadline = bench::CounterAfterMs(kSampleTimeoutMs);
    const std::string reply = sim::SendRadioRequest(host, "touch\t" + sim::ToUtf8(parameters));
    const LONGLONG started = reply.rfind("ok 1 ", 0) == 0 ? std::strtoll(reply.c_str() + 5, nullptr, 10) : 0;
    const LONGLONG stamp = started ? RecorderStamp(handlerFolder, parameters, deadline) : 0;
    const bool ended = bench::WaitForNoProcess(kRecorderName, bench::MsUntil(deadline));
    return stamp && ended ? bench::CounterMs(stamp - started) : -1;
}

double CreateProcessSample(bench::FolderWatch& handlerFolder, const std::wstring& parameters)
{
    const LONGLONG deadline = bench::CounterAfterMs(kSampleTimeoutMs);
    const LONGLONG before = bench::Counter();
    const unique_handle recorder = test::StartProgram(kRecorder, parameters);
    const LONGLONG stamp = recorder ? RecorderStamp(handlerFolder, parameters, deadline) : 0;
    const bool ended = bench::WaitForNoProcess(kRecorderName, bench::MsUntil(deadline));
    return stamp && ended ? bench::CounterMs(stamp - before) : -1;
}

// The hex parameters of one touch, the whole message of the type: distinct
// for every sample of the run, the side's letter ('a', 'f', 'c') first.
std::wstring Parameters(wchar_t side, int i)
{
    const unsigned n = static_cast<unsigned>(i) * 2654435761u & 0xffffff;
    const std::vector<BYTE> payload{static_cast<BYTE>(side), static_cast<BYTE>(n >> 16), static_cast<BYTE>(n >> 8),
                                    static_cast<BYTE>(n)};
    return tapdeck::ToHex(sim::MessageRoutedTo(kType, payload));
}

bool WaitForPipe(DWORD host)
{
    const LONGLONG deadline = bench::CounterAfterMs(30000);
    while (sim::SendRadioRequest(host, "ping").rfind("ok", 0) != 0) {
        if (bench::MsUntil(deadline) == 0) return false;
        ::Sleep(100);
    }
    return true;
}

}  // namespace

int wmain()
{
    test::ClearRegistrations();
    test::Register(L"BenchLatency", kType, kRecorder);
    sim::DeleteStateFile(L"handler", L"timing.log");
    sim::DeleteStateFile(sim::kNfcArea, sim::kNfcSubscriptionsFile);
    sim::WriteStateFile(sim::kNfcArea, sim::kNfcPresentFile, L"1");
    bench::FolderWatch handlerFolder(sim::StateDir(L"handler"));

    const std::wstring& agentPath = test::Agent();
    unique_handle agent = test::StartProgram(agentPath, L"/AutoStart");
    unique_handle floor = test::StartProgram(bench::FloorProgram(L"shell_open_floor.exe"), kRecorder);
    const DWORD agentId = agent ? ::GetProcessId(agent.get()) : 0;
    const DWORD floorId = floor ? ::GetProcessId(floor.get()) : 0;
    bool ready = false;
    for (int i = 0; i < 300 && !ready; ++i) {
        ready = sim::ReadStateFile(sim::kNfcArea, sim::kNfcSubscriptionsFile).find(kType) != std::wstring::npos;
        if (!ready) ::Sleep(100);
    }
    int status = 0;
    if (!ready || !handlerFolder.Armed() || !WaitForPipe(agentId) || !WaitForPipe(floorId)) {
        std::printf("nfc_touch_latency: the agent did not subscribe, or the floor or the watch did not start\n");
        status = 1;
    }

    std::vector<double> touches, floors, bare;
    size_t touchFailures = 0, floorFailures = 0, bareFailures = 0;
    auto keep = [](double sample, std::vector<double>& samples, size_t& failures) {
        if (sample >= 0) samples.push_back(sample);
        else ++failures;
    };
    for (int i = 0; i < kTouches && status == 0; ++i) {
        // Each side goes first every other time, so that neither always
        // follows the other's recorder.
        if (i % 2) keep(TouchSample(handlerFolder, agentId, Parameters(L'a', i)), touches, touchFailures);
        keep(TouchSample(handlerFolder, floorId, Parameters(L'f', i)), floors, floorFailures);
        if (i % 2 == 0) keep(TouchSample(handlerFolder, agentId, Parameters(L'a', i)), touches, touchFailures);
        keep(CreateProcessSample(handlerFolder, Parameters(L'c', i)), bare, bareFailures);
    }

    sim::SendRadioRequest(floorId, "quit");
    if (floor && ::WaitForSingleObject(floor.get(), 10000) != WAIT_OBJECT_0) ::TerminateProcess(floor.get(), 1);
    unique_handle halt = test::StartProgram(agentPath, L"/HaltAll");
    if (halt) ::WaitForSingleObject(halt.get(), 20000);
    if (agent && ::WaitForSingleObject(agent.get(), 20000) != WAIT_OBJECT_0) ::TerminateProcess(agent.get(), 1);
    test::ClearRegistrations();
    sim::DeleteStateFile(sim::kNfcArea, sim::kNfcPresentFile);

    const double touchMs = bench::Median(touches);
    const double floorMs = bench::Median(floors);
    const double bareMs = bench::Median(bare);
    std::printf("touch -> handler's first act:            median %.2f ms over %zu touches, %zu failed\n", touchMs,
                touches.size(), touchFailures);
    std::printf("floor, ShellExecuteW from GUI, MTA:      median %.2f ms over %zu starts, %zu failed\n", floorMs,
                floors.size(), floorFailures);
    std::printf("the agent's own share:                   %.2f ms (%.2fx the floor)\n", touchMs - floorMs,
                floorMs > 0 ? touchMs / floorMs : 0.0);
    std::printf("for comparison, bare CreateProcessW from this console program: median %.2f ms over %zu starts, "
                "%zu failed (the touch is %.2fx that)\n",
                bareMs, bare.size(), bareFailures, bareMs > 0 ? touchMs / bareMs : 0.0);
    bench::PrintRow("touch -> handler start", "ms", touchMs, floorMs, touches.size(), touchFailures + floorFailures);
    return status != 0 || touchFailures + floorFailures > 0 ? 1 : status;
}
