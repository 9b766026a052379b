// The photo editor stand-in, "PhotoshopElementsEditor.exe": records how it
// was started and when it ends; a test may hold it until it releases it. Copies sit in one folder per installed version, so
// the record says which version was chosen. Copied under another name (a
// test can put it in a program's place) it records that name.
#include <windows.h>

#include <string>

#include "photoeditor_record.h"

namespace {

// The command line after the program name and the one blank that follows it.
std::wstring Parameters()
{
    const wchar_t* line = ::GetCommandLineW();
    if (*line == L'"') {
        ++line;
        while (*line && *line != L'"') ++line;
        if (*line) ++line;
    } else {
        while (*line && *line != L' ' && *line != L'\t') ++line;
    }
    if (*line == L' ' || *line == L'\t') ++line;
    return line;
}

// "<parent folder>\<file name>" of this program.
std::wstring Identity()
{
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring full(path);
    const size_t name = full.find_last_of(L'\\');
    if (name == std::wstring::npos || name == 0) return full;
    const size_t parent = full.find_last_of(L'\\', name - 1);
    return parent == std::wstring::npos ? full : full.substr(parent + 1);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    const std::wstring identity = Identity();
    tapdeck::sim::RecordLaunch(identity, Parameters());
    tapdeck::sim::WaitWhileHeld(identity.substr(identity.find_last_of(L'\\') + 1));
    tapdeck::sim::RecordLaunchEnd(identity);
    return 0;
}
