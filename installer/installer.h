#pragma once
// Puts the product on the machine, or replaces an installed one.
#include <string>
#include <vector>

#include "payload.h"

namespace tapdeck::setup {

class CInstaller {
public:
    explicit CInstaller(std::vector<PayloadFile> files) : files_(std::move(files)) {}
    // True when the product is installed and its agent started.
    bool Install();

private:
    bool CopyFiles(const std::wstring& dir, std::vector<std::wstring>& written);
    void RollBack(const std::wstring& dir, const std::vector<std::wstring>& written, bool madeVendorDir);
    bool RegisterUninstaller(const std::wstring& dir, const std::vector<std::wstring>& files, bool madeVendorDir,
                             bool madeTaskFolder);
    bool RegisterPairwell(const std::wstring& dir);

    std::vector<PayloadFile> files_;
};

}  // namespace tapdeck::setup
