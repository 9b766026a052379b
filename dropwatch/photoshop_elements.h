#pragma once
// The photo editor as the registry describes it: installed or not, its
// highest installed version, and where its editor program lives.
#include <windows.h>
#include <string>
#include <vector>

namespace tapdeck {

class PhotoshopElements {
public:
    // root: where "Software\Wow6432Node\Adobe\Photoshop Elements" is looked up.
    explicit PhotoshopElements(HKEY root = HKEY_LOCAL_MACHINE) noexcept : root_(root) {}

    bool IsPhotoshopInstalled() const;
    // The greatest version subkey name (empty without subkeys); false, and
    // version untouched, when the key does not open.
    bool GetPhotoshopVersion(std::wstring& version) const;
    // Starts the editor of the chosen version with the parameters as given;
    // true when its path was found and the start was requested.
    bool LaunchPhotoshop(const std::wstring& parameters);

    // Components split at each "." and read like _wtoi; no dot, no components.
    static std::vector<int> VersionComponents(const std::wstring& name);
    // <0, 0, >0 like a comparison of component lists; a longer list that
    // starts with the other one is greater.
    static int CompareVersions(const std::wstring& left, const std::wstring& right);

private:
    HKEY root_;
};

}  // namespace tapdeck
