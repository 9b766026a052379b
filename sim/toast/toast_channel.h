#pragma once
// How simctl reaches the toast host inside the program that shows a toast:
// named events it sets, and the files in C:\tapdeck-sim\toast\.
#include <string>

namespace tapdeck::sim::toast {

inline constexpr wchar_t kArea[] = L"toast";
// The census records of the host: "toast-<pid>.txt" in C:\tapdeck-sim\census.
inline constexpr wchar_t kCensus[] = L"toast";
// One line per event: "shown\t<app id>\t<text>...", "dropped\t<app id>\t<text>..."
// (no Start-menu shortcut carries the id), "hidden\t<app id>",
// "activated\t<app id>", "dismissed\t<app id>", and after each handler of a
// click or dismissal returned, "handled\t<app id>\t<HRESULT as 0x%08x>".
inline constexpr wchar_t kRecords[] = L"records.txt";
// Present while a toast is on screen: "<process id>\t<app id>\t<text>...".
inline constexpr wchar_t kShownState[] = L"shown.txt";
// The user clicks the toast on screen, or dismisses it: events of the
// process that shows it, "<name>.<process id>", so that a program that
// showed a toast earlier does not take the click.
inline constexpr wchar_t kActivateEvent[] = L"Local\\TapdeckSimToast.Activate";
inline constexpr wchar_t kDismissEvent[] = L"Local\\TapdeckSimToast.Dismiss";

inline std::wstring EventFor(const wchar_t* name, unsigned long processId)
{
    return std::wstring(name) + L"." + std::to_wstring(processId);
}
// Set by the host when it has taken a click or dismissal and is raising it.
inline constexpr wchar_t kDeliveredEvent[] = L"Local\\TapdeckSimToast.Delivered";

}  // namespace tapdeck::sim::toast
