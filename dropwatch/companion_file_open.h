#pragma once
// Opens one of the three files the agent shares with the companion app in
// its LocalState folder. A name that is a link, or a file that has another
// name elsewhere, is refused: through it the agent's rights would reach
// files that the app's own rights do not.
#include <windows.h>
#include <string>

#include "unique_handle.h"

namespace tapdeck {

// CreateFileW's access, sharing and disposition; empty when the open fails
// (GetLastError tells why, ERROR_SHARING_VIOLATION while a writer holds the
// file) or when the file is refused (ERROR_ACCESS_DENIED).
unique_file OpenCompanionFile(const std::wstring& path, DWORD access, DWORD share, DWORD disposition);

}  // namespace tapdeck
