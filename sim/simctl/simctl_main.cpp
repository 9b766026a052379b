// simctl.exe COMMAND ARGS...: drives and inspects the stand-ins.
#include <windows.h>
#include <cstdio>
#include <map>

#include "sim_state.h"
#include "simctl_command.h"

namespace tapdeck::sim {
namespace {

struct Entry {
    std::wstring usage;
    SimctlHandler handler;
};

std::map<std::wstring, Entry>& Commands()
{
    static std::map<std::wstring, Entry> commands;
    return commands;
}

}  // namespace

SimctlCommand::SimctlCommand(const wchar_t* name, const wchar_t* usage, SimctlHandler handler)
{
    Commands()[name] = Entry{usage, std::move(handler)};
}

void SimctlPrint(const std::wstring& text)
{
    const std::string bytes = ToUtf8(text);
    std::fwrite(bytes.data(), 1, bytes.size(), stdout);
    std::fflush(stdout);
}

}  // namespace tapdeck::sim

int wmain(int argc, wchar_t** argv)
{
    using namespace tapdeck::sim;
    if (argc < 2 || !Commands().count(argv[1])) {
        std::wstring help = L"usage: simctl COMMAND ARGS...\n";
        for (const auto& [name, entry] : Commands()) help += L"  " + name + L" " + entry.usage + L"\n";
        SimctlPrint(help);
        return 2;
    }
    SimctlArgs args(argv + 2, argv + argc);
    return Commands()[argv[1]].handler(args);
}
