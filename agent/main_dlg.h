#pragma once
// The agent's main dialog, hosted on its own thread: one text, an OK button
// and the About item in its system menu.
#include <windows.h>

#include "unique_handle.h"

namespace tapdeck {

class CTPDApp;

class CMainDlg {
public:
    explicit CMainDlg(CTPDApp& app) : app_(app) {}
    CMainDlg(const CMainDlg&) = delete;
    CMainDlg& operator=(const CMainDlg&) = delete;

    // The dialog window, or null when it could not be created; a window that
    // was half built has been sent a posted WM_CLOSE.
    HWND Create();
    // Unregisters the window class and deletes the font, after the loop ends.
    void ReleaseClassAndFont();

private:
    bool Build();
    bool AddAboutItem();
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void RunAboutBox();
    void Raise();

    CTPDApp& app_;
    HWND window_ = nullptr;
    unique_hfont font_;
    HWND textStatic_ = nullptr;
    HWND okButton_ = nullptr;
};

}  // namespace tapdeck
