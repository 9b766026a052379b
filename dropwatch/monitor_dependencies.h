#pragma once
// What the monitor asks of the machine, as replaceable functions: the
// shipping library uses the platform's; a host that embeds the monitor may
// point it at another Packages folder, package query or registry root.
#include <windows.h>
#include <shlobj.h>

#include "known_folder.h"

namespace tapdeck {

using PackageQueryFn = bool (*)(const wchar_t* packageFamilyName);

struct MonitorDependencies {
    PackageQueryFn isPackageFamilyInstalled = nullptr;
    KnownFolderFn getKnownFolderPath = nullptr;
    // The root under which "Software\Wow6432Node\Adobe\Photoshop Elements" is looked up.
    HKEY photoshopRoot = HKEY_LOCAL_MACHINE;

    // The platform's functions.
    static MonitorDependencies Platform();
};

}  // namespace tapdeck
