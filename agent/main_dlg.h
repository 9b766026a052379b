#pragma once
// The agent's main dialog, hosted on its own thread.
#include <windows.h>

namespace tapdeck {

class CTPDApp;

class CMainDlg {
public:
    explicit CMainDlg(CTPDApp& app) : app_(app) {}
    CMainDlg(const CMainDlg&) = delete;
    CMainDlg& operator=(const CMainDlg&) = delete;

    // The dialog window, or null when it could not be created.
    HWND Create();
    // Unregisters the window class and deletes the font, after the loop ends.
    void ReleaseClassAndFont();

private:
    CTPDApp& app_;
};

}  // namespace tapdeck
