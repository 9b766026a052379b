#pragma once
// How simctl drives the app-visibility service inside a program: it writes
// C:\tapdeck-sim\appvisibility\state.txt ("launcher=<0|1>\nmode=<0|1|2>\n",
// mode a MONITOR_APP_VISIBILITY for every monitor) and sets the changed event.
#include <string>

namespace tapdeck::sim::appvisibility {

inline constexpr wchar_t kArea[] = L"appvisibility";
// The census records of the service: "appvisibility-<pid>.txt" in C:\tapdeck-sim\census.
inline constexpr wchar_t kCensus[] = L"appvisibility";
inline constexpr wchar_t kState[] = L"state.txt";
// "advise\t<cookie>", "unadvise\t<cookie>", "notify\tlauncher\t<0|1>",
// "notify\tmonitor\t<previous>\t<current>".
inline constexpr wchar_t kRecords[] = L"records.txt";
// Each watching process has its own event, "<name>.<process id>": simctl
// sets the event of every process that has one.
inline constexpr wchar_t kChangedEvent[] = L"Local\\TapdeckSimAppVisibility.Changed";

inline std::wstring ChangedEventFor(unsigned long processId)
{
    return std::wstring(kChangedEvent) + L"." + std::to_wstring(processId);
}

struct VisibilityState {
    bool launcherVisible = false;
    int mode = 1;  // MAV_NO_APP_VISIBLE: the desktop shows
};

}  // namespace tapdeck::sim::appvisibility
