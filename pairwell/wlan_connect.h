#pragma once
// Handling an existing connection and the bounded connect-and-wait loop.
#include <windows.h>

namespace tapdeck::pairwell {

class ConnectionRun;

// Per user: 1 in "NotShowAgain" means the already-connected dialog is not
// shown any more and the current network is dropped without asking.
inline constexpr wchar_t kSettingsKey[] = L"Software\\Vexa Corporation\\Tapdeck\\Settings";
inline constexpr wchar_t kNotShowAgainValue[] = L"NotShowAgain";

// True when the flow may connect: not connected, or the user agreed (or
// said not to ask again) and the current network was dropped.
bool ConfirmDisconnect(ConnectionRun& run);

inline constexpr HRESULT kConnected = 0;
inline constexpr HRESULT kConnectCancelled = 1;
// kConnected, kConnectCancelled, or E_FAIL.
HRESULT ConnectWithRetries(ConnectionRun& run);

}  // namespace tapdeck::pairwell
