#pragma once
// The processes that run a program of the install folder, whichever session
// and user they belong to: what an installer must see end before it
// replaces or removes the files.
#include <windows.h>
#include <string>
#include <vector>

#include "unique_handle.h"

namespace tapdeck {

// Every other process whose image lies in the folder or below it, opened for
// waiting. A process the caller may not query is not seen.
std::vector<unique_handle> OpenProcessesInFolder(const std::wstring& folder);

// Waits until no other process runs a program of the folder; false when one
// still runs after the time-out.
bool WaitUntilFolderIdle(const std::wstring& folder, DWORD timeoutMs);

}  // namespace tapdeck
