#pragma once
// Where the stand-in keeps what it is given, as Windows does: each folder a
// directory under %windir%\System32\Tasks, each task its XML definition file
// there, and each folder's security descriptor as the "SD" value of its key
// under the scheduler's TaskCache\Tree.
#include <windows.h>
#include <oaidl.h>
#include <string>
#include <vector>

namespace tapdeck::sim {

constexpr wchar_t kSchedulerArea[] = L"taskscheduler";
// Each line is one call that changed the store, with its arguments and result.
constexpr wchar_t kSchedulerLog[] = L"calls.log";
// A number: how many registrations to come fail with E_ACCESSDENIED.
constexpr wchar_t kFailRegisterFile[] = L"fail-register";

// "\A\B" from a folder path and a path relative to it (or absolute).
std::wstring JoinTaskPath(const std::wstring& folder, const std::wstring& relative);
// The last component of a task path ("\" for the root).
std::wstring LeafName(const std::wstring& path);

std::wstring FolderDirectory(const std::wstring& folderPath);
bool FolderExists(const std::wstring& folderPath);
HRESULT CreateFolderPath(const std::wstring& folderPath, const VARIANT& sddl);
HRESULT DeleteFolderPath(const std::wstring& folderPath);
// The folder's own security descriptor, or the scheduler's default.
HRESULT FolderSecurity(const std::wstring& folderPath, SECURITY_INFORMATION info, std::wstring& sddl);
HRESULT SetFolderSecurity(const std::wstring& folderPath, const std::wstring& sddl);

std::vector<std::wstring> TaskNames(const std::wstring& folderPath);
bool TaskExists(const std::wstring& taskPath);
HRESULT WriteTaskFile(const std::wstring& taskPath, const std::wstring& xml);
HRESULT ReadTaskFile(const std::wstring& taskPath, std::wstring& xml);
HRESULT DeleteTaskFile(const std::wstring& taskPath);

// A VARIANT argument as the log shows it.
std::wstring Describe(const VARIANT& value);
void LogCall(const std::wstring& line, HRESULT result);
// True when the next registration is to fail (and counts it down).
bool TakeRegisterFailure();

}  // namespace tapdeck::sim
