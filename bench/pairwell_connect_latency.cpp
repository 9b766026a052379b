// How long a camera touch takes to reach the companion app: from the start
// of Pairwell.exe (as the agent starts it, with the camera's message) to the
// activation manager's ActivateApplication, over a Wi-Fi adapter that
// connects at once. The floor is what the platform itself must do on that
// way (floors/activation_floor.exe: a program start, the fewest Wi-Fi calls
// that connect, the activation manager's call), measured alternately in the
// same run. Twice: with the activation manager running (21 runs each, as on
// Windows, where it is part of the shell), and with none running when a run
// starts (11 runs each), so that both sides also pay its local server's
// start by COM.
//
// The phases come from outside the product: the stand-ins stamp each record
// they make with the performance counter (C:\tapdeck-sim\stamps.log), the
// Wi-Fi library also when the loader attached it. Run in the prefix after
// the install.
#include <windows.h>
#include <shobjidl.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "bench_process.h"
#include "com_ptr.h"
#include "bench_report.h"
#include "folder_watch.h"
#include "hex.h"
#include "sim_state.h"
#include "unique_handle.h"
#include "wlan_sim_state.h"

using namespace tapdeck;

namespace {

constexpr int kWarmRuns = 21;
constexpr int kColdRuns = 11;
constexpr DWORD kRunTimeoutMs = 30000;
constexpr wchar_t kSsid[] = L"KOX-CAM-BENCH";
constexpr wchar_t kPassphrase[] = L"bench-passphrase";
constexpr wchar_t kStamps[] = L"C:\\tapdeck-sim\\stamps.log";

// The camera's message for kSsid / kPassphrase, as hex.
std::wstring Payload()
{
    const std::string ssid = sim::ToUtf8(kSsid);
    const std::string pass = sim::ToUtf8(kPassphrase);
    std::string payload = std::string("\x00\x01\x00\x01\x10", 5);
    payload += std::string("\x10\x00\x00", 3) + static_cast<char>(ssid.size()) + ssid;
    payload += std::string("\x10\x01\x00", 3) + static_cast<char>(pass.size()) + pass;
    std::string message = std::string("\x92\x16", 2) + static_cast<char>(payload.size()) + "application/x-vexa-kox" +
                          payload;
    return ToHex(message);
}

struct Stamp {
    LONGLONG counter;
    std::wstring event;  // "<area> <first field>"
};

// A run's stamps in the order they were written, each as milliseconds from
// the program's start.
struct Run {
    bool ok = false;
    double totalMs = 0;
    std::vector<std::pair<std::wstring, double>> events;
};

std::vector<Stamp> ReadStamps()
{
    std::vector<Stamp> stamps;
    std::string bytes;
    {
        unique_file file(::CreateFileW(kStamps, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                       nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        char chunk[4096];
        DWORD read = 0;
        while (file && ::ReadFile(file.get(), chunk, sizeof(chunk), &read, nullptr) && read > 0)
            bytes.append(chunk, read);
    }
    const std::wstring text = sim::FromUtf8(bytes);
    for (size_t begin = 0, end; (end = text.find(L'\n', begin)) != std::wstring::npos; begin = end + 1) {
        const std::wstring line = text.substr(begin, end - begin);
        const size_t pid = line.find(L'\t');
        const size_t area = pid == std::wstring::npos ? pid : line.find(L'\t', pid + 1);
        const size_t what = area == std::wstring::npos ? area : line.find(L'\t', area + 1);
        if (what == std::wstring::npos) continue;
        const std::wstring event = line.substr(area + 1, what - area - 1) + L" " + line.substr(what + 1);
        stamps.push_back({_wtoi64(line.c_str()), event});
    }
    return stamps;
}

void ResetWorld()
{
    sim::ResetWlanSim();
    {
        sim::WlanStateLock lock;
        sim::WlanSimState state = sim::LoadWlanState();
        state.networks.push_back({kSsid, kPassphrase});
        sim::SaveWlanState(state);
    }
    sim::DeleteStateFile(L"activation", L"records.txt");
}

// One start of a program that ends in an activation; when cold, no
// activation manager runs as it starts.
Run RunOnce(const std::wstring& program, const std::wstring& arguments, bool cold)
{
    Run run;
    if (cold && !bench::WaitForNoProcess(L"sim_activation.exe", 10000)) return run;
    ResetWorld();
    {
        // While the file exists, the stand-ins stamp their records in it.
        const unique_file stamps(::CreateFileW(kStamps, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                               FILE_ATTRIBUTE_NORMAL, nullptr));
    }
    bench::FolderWatch activations(sim::StateDir(L"activation"));
    const LONGLONG start = bench::Counter();
    const LONGLONG deadline = bench::CounterAfterMs(kRunTimeoutMs);
    const unique_handle process = test::StartProgram(program, arguments);
    bool activated = false;
    while (process && !activated) {
        activated = sim::ReadStateFile(L"activation", L"records.txt").find(L"activate\t") != std::wstring::npos;
        if (!activated && !activations.WaitForName(L"records.txt", deadline)) break;
    }
    if (process) ::WaitForSingleObject(process.get(), bench::MsUntil(deadline));
    const std::vector<Stamp> stamps = ReadStamps();
    ::DeleteFileW(kStamps);
    for (const Stamp& stamp : stamps) {
        run.events.emplace_back(stamp.event, bench::CounterMs(stamp.counter - start));
        if (stamp.event == L"activation activate") {
            run.totalMs = run.events.back().second;
            run.ok = activated;
        }
    }
    return run;
}

// The phases of a run, each from the last stamp before it: where the time
// goes. A phase the run has not (the floor shows no toast) is 0.
std::vector<std::pair<const char*, double>> Phases(const Run& run)
{
    double attached = -1, firstOpen = -1, beforeToast = -1, shown = -1, unregistered = -1, closed = -1, activated = -1;
    double lastWlan = -1;
    for (const auto& [event, ms] : run.events) {
        const bool wlan = event.rfind(L"wlan ", 0) == 0;
        if (event == L"wlan attached" && attached < 0) attached = ms;
        if (event == L"wlan open" && firstOpen < 0) firstOpen = ms;
        if (event == L"toast shown" && shown < 0) {
            shown = ms;
            beforeToast = lastWlan;
        }
        if (event == L"wlan unregister") unregistered = ms;
        if (event == L"wlan close" && activated < 0) closed = ms;
        if (event == L"activation activate" && activated < 0) activated = ms;
        if (wlan) lastWlan = ms;
    }
    if (shown < 0) beforeToast = shown = firstOpen;
    return {
        {"process start (to the Wi-Fi library's attach)", attached},
        {"start-up, payload and profile (to the first Wi-Fi call)", firstOpen - attached},
        {"Wi-Fi checks: radio, interface, connection", beforeToast - firstOpen},
        {"toast shown", shown - beforeToast},
        {"Wi-Fi connect: profile, connect, completion", unregistered - shown},
        {"toast hidden, Wi-Fi closed", closed - unregistered},
        {"activation: COM, local server start, call", activated - closed},
    };
}

// The median time of each stamp from the start, by its event and how
// often that event came before in the run; in the order of the first run.
void PrintTimeline(const char* title, const std::vector<Run>& runs)
{
    std::printf("%s: median ms from the start to each stand-in stamp\n", title);
    std::vector<std::wstring> order;
    std::map<std::wstring, std::vector<double>> times;
    for (const Run& run : runs) {
        std::map<std::wstring, int> seen;
        for (const auto& [event, ms] : run.events) {
            const std::wstring key = event + L" #" + std::to_wstring(++seen[event]);
            if (times.find(key) == times.end()) order.push_back(key);
            times[key].push_back(ms);
        }
    }
    for (const std::wstring& key : order)
        std::printf("  %8.2f  %-32ls (%zu runs)\n", bench::Median(times[key]), key.c_str(), times[key].size());
}

struct Figure {
    const char* name;
    double touchMs;
    double floorMs;
    size_t samples;
    size_t failures;
};

// Runs Pairwell and the floor alternately and prints the medians, the
// phases and the stamps' timeline.
Figure Measure(const char* name, const std::wstring& pairwell, const std::wstring& payload,
               const std::wstring& floorProgram, const std::wstring& floorArguments, int runs, bool cold)
{
    std::vector<Run> touches, floors;
    size_t failures = 0;
    for (int i = 0; i < runs; ++i) {
        for (int side = 0; side < 2; ++side) {
            // Each goes first every other time.
            const bool touch = (side == 0) == (i % 2 == 0);
            Run run = touch ? RunOnce(pairwell, payload, cold) : RunOnce(floorProgram, floorArguments, cold);
            if (!run.ok) ++failures;
            else (touch ? touches : floors).push_back(std::move(run));
        }
    }
    auto totals = [](const std::vector<Run>& sideRuns) {
        std::vector<double> ms;
        for (const Run& run : sideRuns) ms.push_back(run.totalMs);
        return ms;
    };
    const Figure figure{name, bench::Median(totals(touches)), bench::Median(totals(floors)), touches.size(), failures};
    std::printf("== %s activation manager %s\n", cold ? "no" : "a running", cold ? "when a run starts" : "throughout");
    std::printf("Pairwell start -> companion activation: median %.1f ms over %zu runs\n", figure.touchMs,
                touches.size());
    std::printf("floor (start, fewest Wi-Fi calls, activation): median %.1f ms over %zu runs\n", figure.floorMs,
                floors.size());
    std::printf("ratio to the floor: %.2f; %zu runs failed\n",
                figure.floorMs > 0 ? figure.touchMs / figure.floorMs : 0.0, failures);

    std::printf("phases (median ms of each)                                  Pairwell    floor    above\n");
    std::map<std::string, std::vector<double>> touchPhases, floorPhases;
    std::vector<const char*> names;
    for (const Run& run : touches)
        for (const auto& [phase, ms] : Phases(run)) touchPhases[phase].push_back(ms);
    for (const Run& run : floors)
        for (const auto& [phase, ms] : Phases(run)) floorPhases[phase].push_back(ms);
    if (!touches.empty())
        for (const auto& [phase, ms] : Phases(touches.front())) names.push_back(phase);
    for (const char* phase : names) {
        const double ours = bench::Median(touchPhases[phase]);
        const double theirs = bench::Median(floorPhases[phase]);
        std::printf("  %-57s %8.2f %8.2f %8.2f\n", phase, ours, theirs, ours - theirs);
    }
    PrintTimeline("Pairwell", touches);
    PrintTimeline("floor", floors);
    return figure;
}

}  // namespace

int wmain()
{
    const std::wstring pairwell = test::InstalledPath(L"Pairwell.exe");
    const std::wstring floorProgram = bench::FloorProgram(L"activation_floor.exe");
    const std::wstring payload = Payload();

    // One run that counts for nothing: it warms the caches and names the app
    // that the profile activates, which the floor then activates too.
    const Run first = RunOnce(pairwell, payload, true);
    const std::wstring records = sim::ReadStateFile(L"activation", L"records.txt");
    const size_t id = records.find(L"activate\t");
    const std::wstring appUserModelId =
        id == std::wstring::npos ? L"" : records.substr(id + 9, records.find(L'\t', id + 9) - id - 9);
    if (!first.ok || appUserModelId.empty()) {
        std::printf("pairwell_connect_latency: Pairwell activated nothing\n");
        return 1;
    }
    const std::wstring floorArguments = std::wstring(kSsid) + L" " + kPassphrase + L" " + appUserModelId;

    // Held while the warm runs go: the manager's server stays up as long as
    // one of its objects lives.
    com_ptr<IApplicationActivationManager> held;
    ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    if (FAILED(::CoCreateInstance(CLSID_ApplicationActivationManager, nullptr, CLSCTX_LOCAL_SERVER,
                                  IID_IApplicationActivationManager, held.put_void()))) {
        std::printf("pairwell_connect_latency: no activation manager\n");
        return 1;
    }
    RunOnce(floorProgram, floorArguments, false);
    Figure warmFigure = Measure("Pairwell start -> activation (manager up)", pairwell, payload, floorProgram,
                                floorArguments, kWarmRuns, false);
    held.reset();
    Figure coldFigure = Measure("Pairwell start -> activation (manager started)", pairwell, payload, floorProgram,
                                floorArguments, kColdRuns, true);
    ::CoUninitialize();
    for (const Figure* figure : {&warmFigure, &coldFigure}) {
        bench::PrintRow(figure->name, "ms", figure->touchMs, figure->floorMs, figure->samples, figure->failures);
    }
    return warmFigure.failures + coldFigure.failures > 0 ? 1 : 0;
}
