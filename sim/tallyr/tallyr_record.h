#pragma once
// Where the usage-statistics stand-in records and what tests use to put one
// of its builds in place of the real library and read what it was asked.
#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace tapdeck::sim {

constexpr wchar_t kTallyrArea[] = L"tallyr";
// Each test keeps its calls apart from those of tests running beside it:
// ctest names a file of its own in this variable, and every process the
// test starts inherits it (the agent, Pairwell, Dropwatch inside the agent).
// Without it, or with anything but a plain file name, the calls go to
// kTallyrCallsFile.
constexpr wchar_t kTallyrRecordsVariable[] = L"TAPDECK_TALLYR_RECORDS";
constexpr wchar_t kTallyrCallsFile[] = L"calls.log";

// The file in kTallyrArea that this process's calls go to.
inline std::wstring TallyrCallsFile()
{
    wchar_t name[MAX_PATH] = {};
    const DWORD length = ::GetEnvironmentVariableW(kTallyrRecordsVariable, name, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return kTallyrCallsFile;
    const std::wstring_view text(name, length);
    const bool plainName = text.find_first_of(L"\\/:") == std::wstring_view::npos && text != L"." && text != L"..";
    return plainName ? std::wstring(text) : std::wstring(kTallyrCallsFile);
}

// Named events of a slow library: while kTallyrHoldEvent exists and is not
// set, Initialize and Finalize set kTallyrInsideEvent and wait.
constexpr wchar_t kTallyrHoldEvent[] = L"Local\\TapdeckTallyrHold";
constexpr wchar_t kTallyrInsideEvent[] = L"Local\\TapdeckTallyrInside";

// The builds of the stand-in, by the names simctl and tests use.
struct TallyrVariant {
    const wchar_t* name;
    const wchar_t* file;
};
const std::vector<TallyrVariant>& TallyrVariants();

// "<Program Files>\Vexa\Quor Improvement\tallyr.dll", where the product looks.
std::wstring TallyrInstallPath();
// Copies a build of the stand-in there (folders created); false on failure.
bool InstallTallyrFrom(const std::wstring& dll);
// Removes it; true when it is gone.
bool RemoveTallyr();

// Each recorded call as its tab-separated fields: the function, the file
// name of the calling module ("-" for the load and unload records "Attach"
// and "Detach"), then the arguments.
std::vector<std::vector<std::wstring>> ReadTallyrCalls();
// The calls made from one module ("Tapdeck.exe", "Dropwatch.dll"), each
// without its caller field: the function, then the arguments.
std::vector<std::vector<std::wstring>> ReadTallyrCallsFrom(std::wstring_view module);
void ClearTallyrCalls();

// Keeps whatever is at the install path (file or nothing) and puts it back
// when it ends, so that a test leaves the prefix as it found it.
class ScopedTallyrInstall {
public:
    ScopedTallyrInstall();
    ~ScopedTallyrInstall();
    ScopedTallyrInstall(const ScopedTallyrInstall&) = delete;
    ScopedTallyrInstall& operator=(const ScopedTallyrInstall&) = delete;

private:
    bool existed_ = false;
    std::string saved_;
};

}  // namespace tapdeck::sim
