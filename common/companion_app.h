#pragma once
// The companion Store app: is it installed, its Store page, its activation.
#include <windows.h>

#include "appmodel.h"

namespace tapdeck {

// True when the family counts as installed (a failed query counts too).
bool IsPackageFamilyInstalled(const wchar_t* packageFamilyName);
// The same rule over a given package query (null: the query is unavailable).
bool IsPackageFamilyInstalledWith(sdk::GetPackagesByPackageFamilyFn query, const wchar_t* packageFamilyName);
// True when the Store was asked to open the page; false for an empty name.
bool OpenStorePage(const wchar_t* packageFamilyName);
// Activates the app by its application user model id; failures are swallowed.
void ActivateCompanionApp(const wchar_t* appUserModelId);

}  // namespace tapdeck
