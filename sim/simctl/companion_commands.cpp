// simctl companion-*: the companion Store app's side of its LocalState folder.
#include <windows.h>

#include <cwchar>

#include "companion_files.h"
#include "sim_state.h"
#include "simctl_command.h"

namespace tapdeck::sim {
namespace {

// Takes "--pfn NAME", "--partial" and "--hold MS" out of the arguments.
struct CompanionOptions {
    std::wstring family;
    bool partial = false;
    long holdMs = -1;
    SimctlArgs rest;

    explicit CompanionOptions(const SimctlArgs& args)
    {
        for (size_t i = 0; i < args.size(); ++i) {
            if (args[i] == L"--pfn" && i + 1 < args.size())
                family = args[++i];
            else if (args[i] == L"--partial")
                partial = true;
            else if (args[i] == L"--hold" && i + 1 < args.size())
                holdMs = std::wcstol(args[++i].c_str(), nullptr, 10);
            else
                rest.push_back(args[i]);
        }
        if (family.empty()) family = InstalledCompanionFamily();
    }
};

int RunFolders(const SimctlArgs& args)
{
    CompanionOptions options(args);
    if (options.rest.size() != 1 || options.family.empty()) return 2;
    const std::wstring& state = options.rest[0];
    CompanionFolders folders;
    if (state == L"absent")
        folders = CompanionFolders::Absent;
    else if (state == L"package")
        folders = CompanionFolders::PackageOnly;
    else if (state == L"localstate")
        folders = CompanionFolders::LocalState;
    else
        return 2;
    return SetCompanionFolders(options.family, folders) ? 0 : 1;
}

int RunAppInfo(const SimctlArgs& args)
{
    CompanionOptions options(args);
    if (options.rest.size() != 1 || options.family.empty()) return 2;
    return WriteCompanionFile(options.family, L"App.Info", AppInfoXml(options.rest[0]), options.partial) ? 0 : 1;
}

int RunCommand(const SimctlArgs& args)
{
    CompanionOptions options(args);
    if (options.rest.empty() || options.family.empty()) return 2;
    std::vector<CompanionCommand> commands(1);
    for (const std::wstring& arg : options.rest) {
        if (arg == L"--") {
            commands.emplace_back();
        } else if (commands.back().name.empty()) {
            commands.back().name = arg;
        } else {
            commands.back().values.push_back(arg);
        }
    }
    const std::string xml = CommandInfoXml(commands);
    if (options.holdMs >= 0) return WriteCompanionFileHeld(options.family, L"Command.Info", xml, options.holdMs) ? 0 : 1;
    return WriteCompanionFile(options.family, L"Command.Info", xml, options.partial) ? 0 : 1;
}

int RunSession(const SimctlArgs& args)
{
    CompanionOptions options(args);
    std::string bytes;
    if (options.family.empty() || !ReadCompanionFile(options.family, L"Session.info", bytes)) return 1;
    SimctlPrint(FromUtf8(bytes) + L"\n");
    return 0;
}

int RunClear(const SimctlArgs& args)
{
    CompanionOptions options(args);
    if (options.family.empty()) return 2;
    bool cleared = true;
    for (const wchar_t* name : {L"App.Info", L"Command.Info", L"Session.info"})
        cleared = DeleteCompanionFile(options.family, name) && cleared;
    return cleared ? 0 : 1;
}

int RunFiles(const SimctlArgs& args)
{
    CompanionOptions options(args);
    if (options.family.empty()) return 2;
    std::wstring listing;
    WIN32_FIND_DATAW found{};
    HANDLE find = ::FindFirstFileW((CompanionLocalState(options.family) + L"\\*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return 1;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) listing += std::wstring(found.cFileName) + L"\n";
    } while (::FindNextFileW(find, &found));
    ::FindClose(find);
    SimctlPrint(listing);
    return 0;
}

SimctlCommand folders(L"companion-folders", L"absent|package|localstate [--pfn NAME]  the app's package folder",
                      RunFolders);
SimctlCommand appInfo(L"companion-app-info", L"ID [--partial] [--pfn NAME]  write App.Info", RunAppInfo);
SimctlCommand command(L"companion-command",
                      L"NAME [VALUE...] [-- NAME VALUE...] [--partial | --hold MS] [--pfn NAME]  write Command.Info "
                      L"(--hold: kept open MS longer, sharing reading only)", RunCommand);
SimctlCommand session(L"companion-session", L"[--pfn NAME]  print Session.info", RunSession);
SimctlCommand files(L"companion-files", L"[--pfn NAME]  list the files in LocalState", RunFiles);
SimctlCommand clear(L"companion-clear", L"[--pfn NAME]  delete the three LocalState files", RunClear);

}  // namespace
}  // namespace tapdeck::sim
