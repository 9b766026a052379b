// nfc-recorder.exe: a handler application for tests. It appends one line to
// C:\tapdeck-sim\handler\started.log: its own file name, a tab, and its
// parameter string exactly as it arrived (what follows the program name and
// the one blank that separates it). It also appends the performance counter
// read as its first act and the same parameter string to timing.log, for
// benchmarks that time a start.
#include <windows.h>
#include <string>

#include "sim_state.h"

namespace {

std::wstring ParameterString(const wchar_t* commandLine)
{
    std::wstring_view line(commandLine);
    size_t end = 0;
    if (!line.empty() && line[0] == L'"') {
        end = line.find(L'"', 1);
        end = end == std::wstring_view::npos ? line.size() : end + 1;
    } else {
        end = line.find_first_of(L" \t");
        if (end == std::wstring_view::npos) end = line.size();
    }
    if (end < line.size() && (line[end] == L' ' || line[end] == L'\t')) ++end;
    return std::wstring(line.substr(end));
}

std::wstring OwnName()
{
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring_view full(path);
    return std::wstring(full.substr(full.find_last_of(L'\\') + 1));
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    LARGE_INTEGER started{};
    ::QueryPerformanceCounter(&started);
    const std::wstring parameters = ParameterString(::GetCommandLineW());
    tapdeck::sim::AppendRecord(L"handler", L"timing.log", std::to_wstring(started.QuadPart) + L"\t" + parameters);
    tapdeck::sim::AppendRecord(L"handler", L"started.log", OwnName() + L"\t" + parameters);
    return 0;
}
