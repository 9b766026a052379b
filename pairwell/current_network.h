#pragma once
// The current WLAN network as the connection profiles tell it
// (Windows.Networking.Connectivity): the source that stays open where the
// Native Wifi query of the current connection needs location consent.
#include <windows.h>
#include <optional>
#include <string>

namespace tapdeck::pairwell {

// The name of the WLAN profile connected on this adapter; an empty name when
// none is. nullopt when the source cannot say: a system whose profiles have
// no WLAN details (Windows 8, which has no location gate either) or a
// failing call.
std::optional<std::wstring> ConnectedProfileOn(const GUID& adapter);

}  // namespace tapdeck::pairwell
