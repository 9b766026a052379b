#pragma once
// Known folders as the shell names them, and the product's installed files:
// "<Program Files>\Vexa\Tapdeck\<file>".
#include <windows.h>
#include <shlobj.h>
#include <string>
#include <string_view>

namespace tapdeck {

using KnownFolderFn = HRESULT(WINAPI*)(REFKNOWNFOLDERID id, DWORD flags, HANDLE token, PWSTR* path);

// The folder's path; empty when the shell cannot give it.
std::wstring KnownFolderPath(REFKNOWNFOLDERID id, DWORD flags = 0, KnownFolderFn fetch = ::SHGetKnownFolderPath);
// Fills an empty cache with the folder; true when the cache holds a path.
// A failed fetch is tried again on the next call.
bool CacheKnownFolder(REFKNOWNFOLDERID id, std::wstring& cached, KnownFolderFn fetch = ::SHGetKnownFolderPath);

// The installed file below the given Program Files folder; empty when that is.
std::wstring InstalledPath(const std::wstring& programFiles, std::wstring_view file);
// The same below the Program Files folder the shell names now.
std::wstring InstalledPath(std::wstring_view file);

}  // namespace tapdeck
