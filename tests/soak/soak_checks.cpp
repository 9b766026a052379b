// What the soak checks once the product has stopped: the handlers' arguments,
// the command files, the published messages and the processes left.
#include <cstdio>
#include <map>
#include <set>

#include "../nfc/nfc_test_world.h"
#include "companion_files.h"
#include "photoeditor_record.h"
#include "running_processes.h"
#include "soak.h"
#include "support/process.h"

using namespace std::chrono_literals;

namespace tapdeck::soak {
namespace {

constexpr wchar_t kEditor[] = L"11.0\\PhotoshopElementsEditor.exe";

// The marker of an editor start for "<pictures>\soak-<marker>.jpg"; 0 for any other.
long EditorMarker(const sim::Launch& launch)
{
    const size_t name = launch.parameters.rfind(L"\\soak-");
    if (launch.program != kEditor || name == std::wstring::npos) return 0;
    return std::wcstol(launch.parameters.c_str() + name + 6, nullptr, 10);
}

long EditorRuns()
{
    long runs = 0;
    for (const sim::Launch& launch : sim::ReadLaunches()) runs += EditorMarker(launch) != 0;
    return runs;
}

}  // namespace

void Soak::WaitForQuiet()
{
    const std::wstring command = sim::CompanionLocalState(family_) + L"\\Command.Info";
    if (!test::WaitUntil([&] { return ::GetFileAttributesW(command.c_str()) == INVALID_FILE_ATTRIBUTES; }, 20s))
        faults_.Add("Command.Info: the last command file was not taken within 20 s");
    if (!test::WaitUntil([&] { return EditorRuns() >= commandRemovals_; }, 20s))
        faults_.Add("Command.Info: fewer editor starts than command files deleted, 20 s after the last");
    if (!test::WaitForRecorders()) faults_.Add("handlers still running 20 s after the last touch");
}

void Soak::CheckHandlerArguments()
{
    std::map<std::wstring, const TouchRecord*> registered;
    std::set<std::wstring> unregistered;
    long mustStart = 0;
    for (const TouchRecord& touch : touches_) {
        if (touch.recorderMayStart)
            registered[touch.argument] = &touch;
        else
            unregistered.insert(touch.argument);
        mustStart += touch.mustStart;
    }
    std::map<std::wstring, long> started;
    long starts = 0, wellFormed = 0, shown = 0;
    auto show = [&](const std::wstring& line) {
        if (shown++ < 5) std::printf("  handler start: \"%s\"\n", sim::ToUtf8(line.substr(0, 120)).c_str());
    };
    for (const std::wstring& line : test::HandlerStarts()) {
        if (line.empty()) continue;
        ++starts;
        const size_t tab = line.find(L'\t');
        const std::wstring argument = tab == std::wstring::npos ? L"" : line.substr(tab + 1);
        if (line.substr(0, tab) != L"nfc-recorder.exe") {
            faults_.Add("handler: a start of another program");
            show(line);
        } else if (registered.count(argument)) {
            ++wellFormed;
            if (++started[argument] == 2) faults_.Add("handler: one touch started its handler twice");
        } else if (unregistered.count(argument)) {
            faults_.Add("handler: started for a touch of an unregistered type or a missing handler");
            show(line);
        } else {
            faults_.Add("handler: an argument that no touch carried");
            show(line);
        }
    }
    long missed = 0;
    for (const TouchRecord& touch : touches_) missed += touch.mustStart && !started.count(touch.argument);
    if (missed) faults_.Add("handler: answered touches of the fixed registrations that started nothing", missed);
    std::printf("handler starts: %ld, of which %ld with exactly the touched bytes as lowercase hexadecimal (or the "
                "message's text); %ld answered touches of the fixed registrations, %ld of them without a start\n",
                starts, wellFormed, mustStart, missed);
}

void Soak::CheckCommandFiles()
{
    std::map<long, long> runs;
    long total = 0;
    for (const sim::Launch& launch : sim::ReadLaunches()) {
        if (const long marker = EditorMarker(launch)) {
            ++runs[marker];
            ++total;
        }
    }
    long twice = 0, never = 0, cutOffRan = 0, replacedRan = 0;
    std::map<std::string, long> neverByHow;
    for (const CommandWrite& write : commands_) {
        const long n = runs.count(write.marker) ? runs[write.marker] : 0;
        twice += n > 1;
        if (write.cutOff) {
            cutOffRan += n > 0;
        } else if (write.replaced) {
            replacedRan += n;
        } else if (n == 0) {
            ++never;
            ++neverByHow[write.how];
        }
    }
    for (const auto& [how, count] : neverByHow) std::printf("  never ran: %ld %s\n", count, how.c_str());
    if (twice) faults_.Add("Command.Info: a command file ran more than once", twice);
    if (never) faults_.Add("Command.Info: a command file written whole never ran", never);
    if (cutOffRan) faults_.Add("Command.Info: a cut-off or over-long command file ran", cutOffRan);
    if (total != commandRemovals_) faults_.Add("Command.Info: the files run and the files deleted differ");
    std::printf("command files: %zu written, %ld run (%ld of them replaced at once but read first), %ld deletions "
                "seen in the folder; run twice %ld, never run %ld, cut-off ones run %ld\n",
                commands_.size(), total, replacedRan, commandRemovals_.load(), twice, never, cutOffRan);
}

void Soak::CheckPublished()
{
    std::map<std::wstring, long> lines;
    long publishes = 0;
    for (const std::wstring& line : test::RadioRecords(sim::kNfcPublishedFile)) {
        if (line.rfind(L"publish\t", 0) != 0) continue;
        ++publishes;
        ++lines[line.substr(line.rfind(L'\t') + 1)];
    }
    long wrong = 0;
    for (const std::wstring& hex : published_) wrong += lines[hex] != 1;
    if (wrong) faults_.Add("publish: requests not published exactly once", wrong);
    if (publishes != static_cast<long>(published_.size()))
        faults_.Add("publish: the radio published other messages than the requests asked for");
    std::printf("published: %ld messages for %zu well-formed requests\n", publishes, published_.size());
}

void Soak::CheckNoProcessLeft()
{
    std::vector<std::wstring> left;
    test::WaitUntil([&] { return (left = RunningOf(SoakPrograms())).empty(); }, 15s);
    std::string names;
    for (const std::wstring& process : left) names += " " + sim::ToUtf8(process);
    if (!left.empty()) faults_.Add("processes left:" + names);
    std::printf("processes left: %s\n", left.empty() ? "none" : names.c_str());
}

}  // namespace tapdeck::soak
