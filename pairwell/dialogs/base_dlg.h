#pragma once
// What Pairwell's dialogs share: class registration, font, system-menu
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
    // messageText replaces the text of the table's message, for dialogs
    // whose message depends on the situation; 0 keeps the table's.
    CBaseDlg(HINSTANCE instance, HICON icon, HCURSOR cursor, const DialogTable& table, UINT messageText = 0) noexcept;
    virtual ~CBaseDlg();
    CBaseDlg(const CBaseDlg&) = delete;
    CBaseDlg& operator=(const CBaseDlg&) = delete;

    // Registers the class and creates the window with its controls. On
    // failure a window that was made gets WM_CLOSE posted and false returns.
    bool Create();
    // Unregisters the window class and deletes the font.
    bool Destroy();

    // Runs a created dialog until its window is destroyed; its result.
    int RunModal();
    HWND Window() const noexcept { return window; }

protected:
    // The dialog's WM_COMMAND by control id; false passes it to DefWindowProcW.
    virtual bool OnCommand(int id) = 0;
    // WM_SETFOCUS and WM_ACTIVATE; the default keeps the focus on the first control.
    virtual LRESULT OnFocusMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void CloseWithResult(int value);

    HWND window = nullptr;
    std::vector<HWND> controls;  // every control, in creation order

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    HWND CreateControl(const ControlEntry& entry);
    bool LayoutControls();
    bool WatchAppVisibility(HWND target);
    bool GetVisibilityState(int& state);
    void OnVisibilityChanged(HWND target);
    void StopWatchingAppVisibility();
    void DestroyLeftoverWindow();

    const DialogTable& table_;
    UINT messageText_;
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
};

}  // namespace tapdeck::pairwell
