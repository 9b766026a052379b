#include "program_files.h"

#include <windows.h>
#include <shlobj.h>

namespace tapdeck {

bool GetProgramFilesPath(std::wstring& cached)
{
    if (!cached.empty()) return true;
    PWSTR path = nullptr;
    if (SUCCEEDED(::SHGetKnownFolderPath(FOLDERID_ProgramFiles, 0, nullptr, &path)) && path) cached = path;
    ::CoTaskMemFree(path);
    return !cached.empty();
}

}  // namespace tapdeck
