// simctl photoeditor-*: the photo editor stand-in's registration and record.
#include <windows.h>

#include "photoeditor_record.h"
#include "simctl_command.h"

namespace tapdeck::sim {
namespace {

int RunInstall(const SimctlArgs& args) { return RegisterEditor(args) ? 0 : 1; }

int RunUninstall(const SimctlArgs&) { return UnregisterEditor() ? 0 : 1; }

int RunLaunches(const SimctlArgs&)
{
    std::wstring text;
    for (const Launch& launch : ReadLaunches()) text += launch.program + L"|" + launch.parameters + L"\n";
    SimctlPrint(text);
    return 0;
}

int RunClear(const SimctlArgs&)
{
    ClearLaunches();
    return 0;
}

SimctlCommand install(L"photoeditor-install", L"VERSION...  register exactly these editor versions", RunInstall);
SimctlCommand uninstall(L"photoeditor-uninstall", L"  remove the editor's registration", RunUninstall);
SimctlCommand launches(L"photoeditor-launches", L"  print the recorded starts in creation order (program|parameters)", RunLaunches);
SimctlCommand clear(L"photoeditor-clear", L"  forget the recorded starts", RunClear);

}  // namespace
}  // namespace tapdeck::sim
