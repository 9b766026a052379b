#pragma once
// The agent's about box: product name, version and notice, opened modally
// from the main dialog's system menu.
#include <windows.h>

#include "unique_handle.h"

namespace tapdeck {

class CAboutDlg {
public:
    // Loads the icon at 48 x 48 pixels scaled by the screen DPI.
    CAboutDlg(HWND owner, HINSTANCE instance);
    CAboutDlg(const CAboutDlg&) = delete;
    CAboutDlg& operator=(const CAboutDlg&) = delete;

    // True when the box is up. A window that was half built has been sent a
    // posted WM_CLOSE and is still returned by Window().
    bool Create();
    HWND Window() const noexcept { return window_; }
    // Unregisters the window class and deletes the fonts, after the loop ends.
    void ReleaseClassAndFonts();
    // Destroys a box that outlived its owner.
    void DestroyLeftover();

private:
    bool Build();
    bool CreateControls();
    bool CreateFonts();
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void OnPaint();
    LRESULT OnCtlColorStatic(HWND window, WPARAM wParam, LPARAM lParam);

    HWND owner_ = nullptr;
    HINSTANCE instance_ = nullptr;
    HWND window_ = nullptr;
    HWND okButton_ = nullptr;
    HWND titleStatic_ = nullptr;
    HWND versionStatic_ = nullptr;
    HWND noticeStatic_ = nullptr;
    unique_hfont dialogFont_;
    unique_hfont titleFont_;
    unique_hfont textFont_;
    unique_hicon icon_;
    bool highContrast_ = false;
};

}  // namespace tapdeck
