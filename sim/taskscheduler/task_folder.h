#pragma once
// ITaskFolder over the stored folders, with the registered tasks in them.
#include <windows.h>
#include <taskschd.h>
#include <string>

namespace tapdeck::sim {

// A folder object for an existing path (one reference for the caller).
ITaskFolder* OpenTaskFolder(const std::wstring& path);

}  // namespace tapdeck::sim
