#pragma once
// The current WLAN network as the connection profiles tell it
// (Windows.Networking.Connectivity): the source that stays open where the
// Native Wifi query of the current connection needs location consent.
#include <windows.h>
#include <optional>
#include <string>

namespace tapdeck {

// The name of the WLAN profile connected on this adapter; an empty name when
// none is. nullopt when the source cannot say: a system whose profiles have
// no WLAN details (Windows 8, which has no location gate either) or a
// failing call.
std::optional<std::wstring> ConnectedProfileOn(const GUID& adapter);

// The SSID of the first WLAN profile connected on any adapter; empty when
// none is or the source cannot say.
std::wstring ConnectedSsid();

}  // namespace tapdeck
