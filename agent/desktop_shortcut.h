#pragma once
// The agent's shortcut on the public desktop, carrying the application
// user model id that the toast notifications use too.
#include <windows.h>
#include <shtypes.h>
#include <string>

#include "product_names.h"

namespace tapdeck {

class CTPDApp;

// "<known folder>\<name>.lnk"; false (and empty) without that folder.
bool GetShortcutPathIn(REFKNOWNFOLDERID folder, std::wstring& path, const wchar_t* name = L"Tapdeck");
// "<public desktop>\Tapdeck.lnk"; false (and empty) without a public desktop.
bool GetDesktopShortcutPath(std::wstring& path);

// Writes a shell link with its application user model id and the default
// start-pin option (neither without an id), and its working folder when one
// is given; the first failing call's result.
HRESULT CreateShortcut(const std::wstring& linkPath, const std::wstring& appUserModelId, const std::wstring& target,
                       const std::wstring& arguments, const std::wstring& workingFolder = {});

// True when the shortcut was written.
bool CreateDesktopShortcut(CTPDApp& app);
void DeleteDesktopShortcut();

}  // namespace tapdeck
