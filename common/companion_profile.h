#pragma once
// The installed companion profile "Configuration.xml": which Store app is
// the camera's companion and how the Wi-Fi connection is retried.
#include <string>
#include <vector>

namespace tapdeck {

struct AppInfoEntry {
    std::wstring packageFamilyName;
    std::wstring appUserModelId;
    int retryTimes = 0;
    int retryInterval = 0;
};

class CompanionProfileReader {
public:
    // True when the file was read and every "AppInfo" element gave an entry.
    bool ReadProfile(const std::wstring& path);
    const std::vector<AppInfoEntry>& Entries() const noexcept { return entries_; }

private:
    std::vector<AppInfoEntry> entries_;
};

// "<Program Files>\Vexa\Tapdeck\Pairwell Profile\Configuration.xml".
std::wstring InstalledProfilePath();

}  // namespace tapdeck
