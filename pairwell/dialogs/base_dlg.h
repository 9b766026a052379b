#pragma once
// What the four Pairwell dialogs share: class registration, font, system-menu
// edits, controls from a table, layout, the modal loop and the app-visibility
// watch. Each dialog supplies its table and its WM_COMMAND results.
#include <windows.h>
#include <shobjidl.h>
#include <span>
#include <vector>

#include "com_ptr.h"
#include "unique_handle.h"

namespace tapdeck::pairwell {

enum class ControlKind { PushButton, DefaultPushButton, CheckBox, Message };

struct ControlEntry {
    ControlKind kind;
    UINT textId;    // string resource of the control's text
    UINT layoutId;  // string resource of its layout rectangle
    int id;         // control id; 0 for the message
};

struct DialogTable {
    const wchar_t* className;
    const wchar_t* property;
    UINT windowLayoutId;
    std::span<const ControlEntry> controls;  // in creation order
    size_t focusIndex;                      // the control focused at start
};

class CBaseDlg {
public:
    CBaseDlg(HINSTANCE instance, HICON icon, HCURSOR cursor) noexcept;
    virtual ~CBaseDlg();
    CBaseDlg(const CBaseDlg&) = delete;
    CBaseDlg& operator=(const CBaseDlg&) = delete;

    virtual bool LayoutControls() = 0;
    // Registers the class and creates the window with its controls. On
    // failure a window that was made gets WM_CLOSE posted and false returns.
    virtual bool Create() = 0;
    // Unregisters the window class and deletes the font.
    virtual bool Destroy() = 0;

    // Runs a created dialog until its window is destroyed; its result.
    int RunModal();
    int Result() const noexcept { return result; }
    HWND Window() const noexcept { return window; }

protected:
    bool CreateFromTable(const DialogTable& table);
    bool LayoutFromTable(const DialogTable& table);
    bool DestroyFromTable(const DialogTable& table);

    // The dialog's WM_COMMAND by control id; false passes it to DefWindowProcW.
    virtual bool OnCommand(int id) = 0;
    // WM_SETFOCUS and WM_ACTIVATE; the default keeps the focus on control1.
    virtual LRESULT OnFocusMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void CloseWithResult(int value);

    HWND window = nullptr;
    unique_hfont font;
    unique_hicon icon;
    HCURSOR cursor = nullptr;
    HINSTANCE instance = nullptr;
    int visibilityState = 0;
    HRESULT comResult = E_FAIL;
    com_ptr<IAppVisibility> visibility;
    DWORD adviseCookie = 0;
    BOOL advised = FALSE;
    int result = 0;
    HWND control1 = nullptr;
    HWND control2 = nullptr;
    std::vector<HWND> controls;  // every control, in creation order

public:
    bool WatchAppVisibility(HWND target);
    bool GetVisibilityState(int& state);
    void OnVisibilityChanged(HWND target);

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    HWND CreateControl(const ControlEntry& entry);
    void StopWatchingAppVisibility();
    void DestroyLeftoverWindow();
};

}  // namespace tapdeck::pairwell
