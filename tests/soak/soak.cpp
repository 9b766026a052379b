#include "soak.h"

#include <cstdio>
#include <thread>

#include "../nfc/nfc_test_world.h"
#include "agent_messages.h"
#include "companion_files.h"
#include "photoeditor_record.h"
#include "running_processes.h"
#include "support/process.h"

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace tapdeck::soak {

Soak::Soak(unsigned seed)
    : seed_(seed), stop_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      watcherStop_(::CreateEventW(nullptr, TRUE, FALSE, nullptr))
{
}

Soak::~Soak()
{
    ::SetEvent(stop_.get());
    ::SetEvent(watcherStop_.get());
    if (watcher_.joinable()) watcher_.join();
    if (agent_ && test::WaitForExit(agent_.get(), 0ms) == -1) ::TerminateProcess(agent_.get(), 1);
}

bool Soak::Prepare()
{
    family_ = sim::InstalledCompanionFamily();
    if (family_.empty() || !sim::SetCompanionFolders(family_, sim::CompanionFolders::LocalState)) {
        std::printf("soak: the installed profile names no companion app, or its LocalState cannot be made\n");
        return false;
    }
    for (const wchar_t* name : {L"App.Info", L"Command.Info", L"Session.info"}) sim::DeleteCompanionFile(family_, name);
    sim::ClearLaunches();
    if (!sim::RegisterEditor({L"11.0"})) return false;
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    pictures_ = std::wstring(temp) + L"tapdeck soak pictures";
    ::CreateDirectoryW(pictures_.c_str(), nullptr);

    test::ClearRegistrations();
    test::CreateNfcdb();
    test::Register(L"Soak Fixed", kFixedType, test::kRecorder);
    test::Register(L"Soak Text", kTextType, test::kRecorder);
    test::Register(L"Soak Missing", kMissingType, test::kMissingHandler);
    test::Register(L"Pairwell", kCameraType, test::PairwellPath());
    test::ResetRadio();
    test::SetRadioPresent(true);
    test::ClearHandlerStarts();

    // Short attempts, so that a failing run reaches its dialog in seconds.
    pairwell_.Profile(2, 2);
    pairwell_.Wlan([](sim::WlanSimState& s) { s.networks.push_back({test::kCameraSsid, test::kCameraPassphrase}); });

    watcher_ = std::thread([this] { RemovalWatcher(); });
    return true;
}

void Soak::Restore()
{
    ::SetEvent(watcherStop_.get());
    if (watcher_.joinable()) watcher_.join();
    test::ClearRegistrations();
    test::ResetRadio();
    for (const wchar_t* name : {L"App.Info", L"Command.Info", L"Session.info"}) sim::DeleteCompanionFile(family_, name);
    WIN32_FIND_DATAW found{};
    const HANDLE find = ::FindFirstFileW((pictures_ + L"\\soak-*.jpg").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do ::DeleteFileW((pictures_ + L"\\" + found.cFileName).c_str());
        while (::FindNextFileW(find, &found));
        ::FindClose(find);
    }
    ::RemoveDirectoryW(pictures_.c_str());
}

bool Soak::Stopping(unsigned lowMs, unsigned highMs, std::mt19937& random)
{
    const DWORD pause = lowMs + random() % (highMs - lowMs + 1);
    return ::WaitForSingleObject(stop_.get(), pause) == WAIT_OBJECT_0;
}

namespace {

DWORD WindowProcess(HWND window)
{
    DWORD pid = 0;
    if (window) ::GetWindowThreadProcessId(window, &pid);
    return pid;
}

}  // namespace

// Up when its own hidden window is there: only then does it hear a halt.
bool Soak::StartAgent()
{
    agent_ = test::StartProgram(test::Agent(), L"/AutoStart");
    if (!agent_) return false;
    const DWORD pid = ::GetProcessId(agent_.get());
    return test::WaitUntil([&] { return WindowProcess(test::FindWindowWithProperty(kAgentWindowProp)) == pid; }, 15s);
}

std::vector<double> Soak::RunCycles(long count, std::chrono::seconds limit, std::vector<double>& toWindow,
                                    std::vector<double>& floor)
{
    std::vector<double> times;
    const auto deadline = Clock::now() + limit;
    const std::wstring agent = test::Agent();
    wchar_t self[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    for (long cycle = 0; cycle < count && Clock::now() < deadline; ++cycle) {
        if (cycle % 10 == 0) {
            const auto before = Clock::now();
            test::RunProgram(self, L"--empty");
            floor.push_back(std::chrono::duration<double, std::milli>(Clock::now() - before).count());
        }
        const auto started = Clock::now();
        if (!StartAgent()) {
            faults_.Add("cycle: the agent did not show its window in 15 s");
        }
        toWindow.push_back(std::chrono::duration<double, std::milli>(Clock::now() - started).count());
        if (test::RunProgram(agent, L"/HaltAll") != 0) faults_.Add("cycle: /HaltAll did not end with 0");
        const long exitCode = test::WaitForExit(agent_.get(), 20s);
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - started).count());
        if (exitCode != 0) {
            faults_.Add("cycle: the agent did not end with 0 within 20 s of /HaltAll");
            ::TerminateProcess(agent_.get(), 1);
        }
        agent_.reset();
        actions_.Add("start and /HaltAll cycles");
    }
    return times;
}

void Soak::Sampler(Epoch& epoch, std::chrono::milliseconds every)
{
    const auto began = Clock::now();
    do {
        ResourceSample sample;
        if (SampleProcess(agent_.get(), sample)) {
            sample.seconds = std::chrono::duration<double>(Clock::now() - began).count();
            epoch.samples.push_back(sample);
        } else {
            faults_.Add("the agent's handles, threads or private bytes could not be read");
        }
    } while (::WaitForSingleObject(stop_.get(), static_cast<DWORD>(every.count())) == WAIT_TIMEOUT);
}

Epoch Soak::RunEpoch(std::chrono::milliseconds length, std::chrono::milliseconds sampleEvery)
{
    Epoch epoch;
    const auto began = Clock::now();
    // A fresh log each life keeps the subscription count cheap to read.
    sim::DeleteStateFile(sim::kNfcArea, sim::kNfcSubscriptionsFile);
    if (!StartAgent() || !test::WaitUntil([] { return test::ActiveSubscriptions(kFixedType) == 1; }, 15s)) {
        faults_.Add("epoch: the agent did not start and subscribe within 15 s");
        if (agent_) ::TerminateProcess(agent_.get(), 1);
        return epoch;
    }
    actions_.Add("agent starts (/AutoStart) for a soak stretch");
    ::ResetEvent(stop_.get());
    std::vector<std::thread> actors;
    actors.emplace_back([&] { Sampler(epoch, sampleEvery); });
    for (unsigned i = 0; i < kRadioThreads; ++i) actors.emplace_back([this, i] { RadioActor(i); });
    actors.emplace_back([this] { RegistrationActor(); });
    actors.emplace_back([this] { InstanceActor(); });
    actors.emplace_back([this] { CompanionActor(); });
    actors.emplace_back([this] { PairwellActor(); });
    const auto handlesBefore = HandlesByType(::GetProcessId(agent_.get()));
    ::WaitForSingleObject(agent_.get(), static_cast<DWORD>(length.count()));
    ::SetEvent(stop_.get());
    for (std::thread& actor : actors) actor.join();
    WaitForQuiet();
    for (const auto& [type, count] : HandlesByType(::GetProcessId(agent_.get()))) {
        const long was = handlesBefore.count(type) ? handlesBefore.at(type) : 0;
        if (count > was + 10)
            epoch.grownHandles.push_back(sim::ToUtf8(DescribeLastHandle(agent_.get(), type)) + ": " +
                                         std::to_string(was) + " -> " + std::to_string(count));
    }
    if (test::WaitForExit(agent_.get(), 0ms) != -1) faults_.Add("epoch: the agent ended before its /HaltAll");

    if (!HaltAgentDuringPairwell()) ::TerminateProcess(agent_.get(), 1);
    agent_.reset();
    epoch.seconds = std::chrono::duration<double>(Clock::now() - began).count();
    return epoch;
}

// The last act of each stretch: "/HaltAllAndWait", as an upgrade or
// uninstall runs it, while a Pairwell run is in its connect attempts, ends
// both ("/HaltAll" of either program halts only that program).
bool Soak::HaltAgentDuringPairwell()
{
    pairwell_.Wlan([](sim::WlanSimState& s) {
        s.connected.clear();
        s.connectSucceeds = false;
    });
    const int connects = pairwell_.CountWlanEvents(L"connect ");
    sim::BroadcastRadioRequest(test::TouchRequest(sim::ToUtf8(test::CameraPayload())));
    if (!test::WaitUntil([&] { return pairwell_.CountWlanEvents(L"connect ") > connects; }, 15s))
        faults_.Add("final halt: Pairwell did not start connecting within 15 s of the touch");
    const unique_handle pairwell = OpenRunning(L"Pairwell.exe");
    if (test::RunProgram(test::Agent(), L"/HaltAllAndWait", 40s) != 0)
        faults_.Add("final halt: /HaltAllAndWait did not end with 0");
    actions_.Add("/HaltAllAndWait of agent and a connecting Pairwell");
    bool ended = true;
    if (test::WaitForExit(agent_.get(), 10s) != 0) {
        faults_.Add("final halt: the agent did not end with 0 within 10 s");
        ended = false;
    }
    if (pairwell && test::WaitForExit(pairwell.get(), 10s) == -1) {
        faults_.Add("final halt: Pairwell did not end within 10 s");
        ::TerminateProcess(pairwell.get(), 1);
    }
    return ended;
}

}  // namespace tapdeck::soak
