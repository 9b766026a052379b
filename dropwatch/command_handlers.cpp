#include "command_handlers.h"

#include <windows.h>
#include <shellapi.h>
#include <shlwapi.h>

#include "command_file.h"
#include "monitor_state.h"
#include "unique_handle.h"

namespace tapdeck {

void OnCommandInfoChanged(MonitorState& state, const std::wstring& packageFamilyName)
{
    std::wstring path;
    if (!state.Paths().LocalStateFile(packageFamilyName, L"Command.Info", path)) return;
    if (!::PathFileExistsW(path.c_str())) return;
    std::vector<Command> commands;
    CommandFile file;
    if (!file.Read(path, commands)) return;
    // Deleted before anything runs: a command must never run twice. A file
    // that stays would be read and run again at the next notification; one
    // rewritten since the read is run at its own.
    if (file.DeleteIfUnchanged() != CommandFile::Deletion::Deleted) return;

    for (const Command& command : commands) {
        if (_wcsicmp(command.name.c_str(), L"WiFiDisconnect") == 0) {
            // Without a network name Pairwell would match no connection.
            if (!command.arguments.empty()) RunDisconnect(state, command.arguments.front().value);
        } else if (_wcsicmp(command.name.c_str(), L"LaunchPS") == 0) {
            RunGlimpser(state);
            for (const Argument& argument : command.arguments) state.Photoshop().LaunchPhotoshop(argument.value);
        }
    }
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
    info.fMask = SEE_MASK_NOCLOSEPROCESS;
    info.lpVerb = L"open";
    info.lpFile = glimpser.c_str();
    info.nShow = SW_SHOWNORMAL;
    const bool started = ::ShellExecuteExW(&info) != FALSE;
    unique_handle process(info.hProcess);
    if (started && process) ::WaitForSingleObject(process.get(), INFINITE);
}

}  // namespace tapdeck
