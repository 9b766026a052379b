#pragma once
// Takes the product off the machine: the agent's own uninstall switch, the
// handler registration, every installed file, and the records of the install.
#include <windows.h>
#include <string>

namespace tapdeck::setup {

class CUninstaller {
public:
    // True when the product was installed and is gone now (but for the
    // running uninstaller, which a helper removes once it has ended).
    bool Uninstall();

    // The helper: waits for the uninstaller process to end, then deletes it
    // and the folders it leaves empty.
    static void Finish(DWORD uninstallerProcessId, const std::wstring& uninstallerPath, bool removeVendorDir);
};

}  // namespace tapdeck::setup
