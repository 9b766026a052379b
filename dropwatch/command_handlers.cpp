#include "command_handlers.h"

#include <windows.h>
#include <shellapi.h>
#include <shlwapi.h>

#include "command_file.h"
#include "compare_no_case.h"
#include "monitor_state.h"
#include "picture_path.h"
#include "unique_handle.h"

namespace tapdeck {
namespace {

// Glimpser only shows the desktop; one that hangs must not keep the
// watcher from the app's next files for long.
constexpr DWORD kGlimpserWaitMs = 60000;

}  // namespace

bool OnCommandInfoChanged(MonitorState& state, const std::wstring& packageFamilyName)
{
    std::wstring path;
    if (!state.Paths().LocalStateFile(packageFamilyName, L"Command.Info", path)) return false;
    if (!::PathFileExistsW(path.c_str())) return false;
    std::vector<Command> commands;
    CommandFile file;
    if (!file.Read(path, commands)) return file.WriterHolds();
    // Deleted before anything runs: a command must never run twice. A file
    // that stays would be read and run again at the next notification; one
    // rewritten since the read is run at its own.
    if (file.DeleteIfUnchanged() != CommandFile::Deletion::Deleted) return file.WriterHolds();

    // A network dropped once stays dropped: asking again in a row starts
    // Pairwell no more.
    const std::wstring* disconnected = nullptr;
    for (const Command& command : commands) {
        if (EqualsNoCase(command.name, L"WiFiDisconnect")) {
            // Without a network name Pairwell would match no connection.
            if (command.arguments.empty()) {
                disconnected = nullptr;
                continue;
            }
            const std::wstring& network = command.arguments.front().value;
            if (!disconnected || *disconnected != network) RunDisconnect(state, network);
            disconnected = &network;
            continue;
        }
        disconnected = nullptr;
        if (EqualsNoCase(command.name, L"LaunchPS")) {
            RunGlimpser(state);
            // Anything but one picture is skipped like an argument without a value.
            std::wstring picture;
            for (const Argument& argument : command.arguments)
                if (PictureArgument(argument.value, picture)) state.Photoshop().LaunchPhotoshop(picture);
        }
    }
    return false;
}

void RunDisconnect(MonitorState& state, const std::wstring& value)
{
    const std::wstring pairwell = state.Paths().PairwellPath();
    if (pairwell.empty()) return;
    const std::wstring parameters = L"/Disconnect /" + value;
    ::ShellExecuteW(nullptr, L"open", pairwell.c_str(), parameters.c_str(), nullptr, SW_SHOWNORMAL);
}

void RunGlimpser(MonitorState& state)
{
    const std::wstring glimpser = state.Paths().GlimpserPath();
    if (glimpser.empty()) return;
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof(info);
    // No error box for a missing or blocked Glimpser: it would sit on this
    // thread, and the watcher with it, until someone closed it.
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.lpVerb = L"open";
    info.lpFile = glimpser.c_str();
    info.nShow = SW_SHOWNORMAL;
    const bool started = ::ShellExecuteExW(&info) != FALSE;
    unique_handle process(info.hProcess);
    if (started && process) ::WaitForSingleObject(process.get(), kGlimpserWaitMs);
}

}  // namespace tapdeck
