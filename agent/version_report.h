#pragma once
// The agent's original and current product version, reported once per run
// as usage settings. The shared records are written by the maker's other
// installers; the agent only reads them.
#include <windows.h>
#include <string>

namespace tapdeck {

// "version" of the agent's record under the shared AppDB; true when non-empty.
bool ReadOriginalVersion(std::wstring& version);
// First line of the file named under the shared VersionPath, in the registry
// view given (KEY_WOW64_32KEY or KEY_WOW64_64KEY); true when the file was read.
bool ReadVersionFile(REGSAM view, std::wstring& version);
// "ProductVersion" of Tapdeck.exe beside the running program.
bool GetProductVersion(std::wstring& version);

void ReportOriginalVersion();
void ReportCurrentVersion();

}  // namespace tapdeck
