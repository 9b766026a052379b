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
    std::wstring writerPath;
    GetShortcutPathIn(FOLDERID_CommonPrograms, linkPath);
    GetShortcutPathIn(FOLDERID_CommonPrograms, writerPath, kWriteTagShortcutName);
    const std::wstring target = AgentExecutablePath(app.ProgramFilesPath());
    if (target.empty() || linkPath.empty() || writerPath.empty()) return false;
    const std::wstring folder = target.substr(0, target.rfind(L'\\'));
    return SUCCEEDED(CreateShortcut(linkPath, kAppUserModelId, target, L"", folder)) &&
           SUCCEEDED(CreateShortcut(writerPath, L"", target, L"/WriteWifiTag", folder));
}

void DeleteStartMenuShortcut()
{
    for (const wchar_t* name : {L"Tapdeck", kWriteTagShortcutName}) {
        std::wstring linkPath;
        if (!GetShortcutPathIn(FOLDERID_CommonPrograms, linkPath, name)) continue;
        if (::PathFileExistsW(linkPath.c_str())) ::DeleteFileW(linkPath.c_str());
    }
}

}  // namespace tapdeck
