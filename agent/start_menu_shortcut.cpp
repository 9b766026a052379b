#include "start_menu_shortcut.h"

#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include "desktop_shortcut.h"
#include "installation.h"
#include "tpd_app.h"

namespace tapdeck {

bool CreateStartMenuShortcut(CTPDApp& app)
{
    std::wstring linkPath;
    GetShortcutPathIn(FOLDERID_CommonPrograms, linkPath);
    const std::wstring target = AgentExecutablePath(app.ProgramFilesPath());
    if (target.empty() || linkPath.empty()) return false;
    return SUCCEEDED(CreateShortcut(linkPath, kAppUserModelId, target, L"", target.substr(0, target.rfind(L'\\'))));
}

void DeleteStartMenuShortcut()
{
    std::wstring linkPath;
    if (!GetShortcutPathIn(FOLDERID_CommonPrograms, linkPath)) return;
    if (::PathFileExistsW(linkPath.c_str())) ::DeleteFileW(linkPath.c_str());
}

}  // namespace tapdeck
