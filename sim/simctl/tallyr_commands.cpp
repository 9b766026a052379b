// simctl commands of the usage-statistics library stand-in.
#include <windows.h>

#include "simctl_command.h"
#include "tallyr_record.h"

namespace tapdeck::sim {
namespace {

// The builds lie in "tallyr\" beside simctl.exe.
std::wstring VariantFolder()
{
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path);
    folder.resize(folder.find_last_of(L'\\') + 1);
    return folder + L"tallyr\\";
}

int Install(const SimctlArgs& args)
{
    const std::wstring name = args.empty() ? L"complete" : args[0];
    for (const TallyrVariant& variant : TallyrVariants()) {
        if (name == variant.name) return InstallTallyrFrom(VariantFolder() + variant.file) ? 0 : 1;
    }
    SimctlPrint(L"unknown variant: " + name + L"\n");
    return 2;
}

int Remove(const SimctlArgs&) { return RemoveTallyr() ? 0 : 1; }

int Log(const SimctlArgs&)
{
    std::wstring text;
    for (const auto& call : ReadTallyrCalls()) {
        for (size_t i = 0; i < call.size(); ++i) text += (i ? L"\t" : L"") + call[i];
        text += L"\n";
    }
    SimctlPrint(text);
    return 0;
}

int Clear(const SimctlArgs&)
{
    ClearTallyrCalls();
    return 0;
}

SimctlCommand installCommand(L"tallyr-install", L"[complete|no-submitstat|no-init-finalize|faulting-submit]  put a build of "
                                         L"the usage-statistics stand-in where the product looks",
                      Install);
SimctlCommand removeCommand(L"tallyr-remove", L"  remove the usage-statistics library", Remove);
SimctlCommand logCommand(L"tallyr-log", L"  print the calls the library received", Log);
SimctlCommand clearCommand(L"tallyr-clear", L"  forget the recorded calls", Clear);

}  // namespace
}  // namespace tapdeck::sim
