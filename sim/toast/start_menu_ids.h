#pragma once
// Which application user model ids Windows accepts toasts for from a desktop
// program: those carried by a shortcut in a Start-menu Programs folder.
#include <string>

namespace tapdeck::sim {

// True when a shortcut in the all-users or the caller's Start-menu Programs
// folder, or in a folder below them, carries the id as its
// System.AppUserModel.ID. A shortcut anywhere else (the desktop) does not count.
bool StartMenuCarries(const std::wstring& appUserModelId);

}  // namespace tapdeck::sim
