#pragma once
// The package query of the app model API: mingw-w64 10 has no appmodel.h.
// Callers resolve it at run time from kernel32 (older systems and Wine lack it).
#include <windows.h>

namespace sdk {

using GetPackagesByPackageFamilyFn = LONG(WINAPI*)(PCWSTR packageFamilyName, UINT32* count,
                                                   PWSTR* packageFullNames, UINT32* bufferLength, WCHAR* buffer);
inline constexpr char GetPackagesByPackageFamilyName[] = "GetPackagesByPackageFamily";

}  // namespace sdk
