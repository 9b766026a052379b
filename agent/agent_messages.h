#pragma once
// Messages and names through which other threads and processes reach the agent.
#include <windows.h>

#include "window_props.h"

namespace tapdeck {

constexpr UINT WM_SHOW_MAIN_DLG = WM_APP + 100;
constexpr UINT WM_RAISE_MAIN_DLG = WM_APP + 101;
constexpr UINT_PTR TIMER_USAGE_REPORT = 1001;
constexpr UINT_PTR TIMER_DEVICE_RETRY = 1002;
constexpr UINT kUsageReportDelayMs = 300000;
constexpr UINT kDeviceRetryMs = 2000;
constexpr LONG kDeviceRetryLimit = 15;

constexpr wchar_t kAgentIdentity[] = L"Tapdeck[Guid({37EEC187-45D1-4505-9CE1-E4B618BCB506})]";
constexpr wchar_t kInstanceMutexName[] = L"Tapdeck[Guid({CD9EEDB5-8581-4B4B-99DC-8EB3A7A4F15E})]";
constexpr wchar_t kAgentWindowClass[] = L"TPDDlgWnd";
constexpr wchar_t kAgentWindowTitle[] = L"Tapdeck";
constexpr wchar_t kAgentWindowProp[] = L"Tapdeck TPDDlg Prop";
constexpr wchar_t kMainDialogProp[] = L"Tapdeck MainDlg Prop";
constexpr wchar_t kAboutBoxProp[] = L"Tapdeck AboutDlg Prop";
// The main dialog's system-menu command that opens the about box.
constexpr UINT IDM_ABOUT_BOX = 0x8066;

inline HWND FindAgentWindow() { return FindWindowWithProp(kAgentWindowProp); }
inline HWND FindMainDialog() { return FindWindowWithProp(kMainDialogProp); }
inline HWND FindAboutBox() { return FindWindowWithProp(kAboutBoxProp); }

}  // namespace tapdeck
