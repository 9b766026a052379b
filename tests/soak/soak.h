#pragma once
// The soak: the installed agent run for a stretch of time while radio
// threads touch it, registrations come and go, other instances start,
// the companion app writes its files and Pairwell connects, fails and is
// halted; then start/"/HaltAll" cycles. Every action is counted, every
// outcome that can be checked afterwards is recorded for the checks.
#include <windows.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "../pairwell/pairwell_world.h"
#include "resource_probe.h"
#include "tally.h"
#include "unique_handle.h"

namespace tapdeck::soak {

// Registered to the recorder for the whole soak: every answered touch must start it.
inline constexpr wchar_t kFixedType[] = L"NDEF:ext.soak.fixed";
// The same with the text form of a message, which the handler gets as text.
inline constexpr wchar_t kTextType[] = L"Windows.SoakText";
// Registered to a program that does not exist.
inline constexpr wchar_t kMissingType[] = L"NDEF:ext.soak.missing";
inline constexpr wchar_t kCameraType[] = L"NDEF:MIME.application/x-vexa-kox";
// The registration actor's slots: each adds, changes (to its other type or
// handler) and removes a registration of its own, so that no two
// registrations ever share a type.
inline constexpr int kChurnSlots = 4;
inline std::wstring ChurnType(int slot, bool other)
{
    return L"NDEF:ext.soak.churn" + std::to_wstring(slot) + (other ? L".b" : L".a");
}
inline constexpr unsigned kRadioThreads = 3;

// One touch of the radio: the handler argument it may lead to (lowercase
// hexadecimal of the bytes, or the text of a "Windows." message) and
// whether a handler of the soak's recorder may answer it.
struct TouchRecord {
    std::wstring type;
    std::wstring argument;
    bool recorderMayStart = false;  // registered to the recorder at some time
    bool mustStart = false;         // the fixed registration, answered by the radio
};

// One Command.Info the companion wrote: its marker, whether a later write
// replaced it at once (then it runs once or never), and whether it was
// left cut off or over-long until then (then it must never run).
struct CommandWrite {
    long marker = 0;
    bool replaced = false;
    bool cutOff = false;
    const char* how = "";  // how it was written, for the report
};

struct Epoch {
    double seconds = 0;
    std::vector<ResourceSample> samples;
    // The agent's handles that grew from the first sample to the stretch's
    // end, by kind: "Key \REGISTRY\...: 41 -> 2230".
    std::vector<std::string> grownHandles;
};

class Soak {
public:
    explicit Soak(unsigned seed);
    ~Soak();

    // The registrations, radio, companion folders and records the soak starts from.
    bool Prepare();
    // start/"/HaltAll" cycles until count or the time limit; each in ms,
    // how long of it the agent took to show its window, and beside every
    // tenth cycle a bare program's start and end.
    std::vector<double> RunCycles(long count, std::chrono::seconds limit, std::vector<double>& toWindow,
                                  std::vector<double>& floor);
    // One agent's life under load, ended by "/HaltAll" while Pairwell runs.
    Epoch RunEpoch(std::chrono::milliseconds length, std::chrono::milliseconds sampleEvery);
    // Puts back what the soak changed in the prefix.
    void Restore();

    Tally& Actions() { return actions_; }
    Tally& Faults() { return faults_; }
    // The checks afterwards; each prints its figures and counts its faults.
    void CheckHandlerArguments();
    void CheckCommandFiles();
    void CheckPublished();
    void CheckNoProcessLeft();

private:
    bool StartAgent();
    bool Stopping(unsigned lowMs, unsigned highMs, std::mt19937& random);
    void RadioActor(unsigned index);
    void RegistrationActor();
    void InstanceActor();
    void CompanionActor();
    void PairwellActor();
    void RemovalWatcher();
    void Sampler(Epoch& epoch, std::chrono::milliseconds every);

    void PairwellRun(int kind);
    bool WriteAppInfo(int kind);
    bool WriteCommandFile(int kind);
    // "<pictures>\soak-<marker>.jpg", made so that the agent finds it.
    std::wstring Picture(long marker);
    bool HaltAgentDuringPairwell();
    // Waits until every command file written has been taken and its
    // editor start recorded, and every handler has ended.
    void WaitForQuiet();

    unsigned seed_;
    test::PairwellWorld pairwell_;
    std::wstring family_;
    std::wstring pictures_;  // the pictures the companion names, a blank in its path
    unique_handle agent_;
    unique_event stop_;          // set: every actor ends
    unique_event watcherStop_;   // set: the removal watcher ends
    std::thread watcher_;
    Tally actions_;
    Tally faults_;
    std::atomic<long> nextMarker_{1};
    std::atomic<long> commandRemovals_{0};

    mutable std::mutex recordLock_;  // guards the records below
    std::vector<TouchRecord> touches_;
    std::vector<CommandWrite> commands_;
    std::vector<std::wstring> published_;
};

}  // namespace tapdeck::soak
