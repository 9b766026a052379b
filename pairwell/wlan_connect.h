#pragma once
// What a connection run keeps around an existing connection, and what its
// connect-and-wait loop answers (ConnectionRun::ConfirmDisconnect and
// ConnectWithRetries, defined beside these).
#include <windows.h>

namespace tapdeck::pairwell {

// Per user: 1 in "NotShowAgain" means the already-connected dialog is not
// shown any more and the current network is dropped without asking.
inline constexpr wchar_t kSettingsKey[] = L"Software\\Vexa Corporation\\Tapdeck\\Settings";
inline constexpr wchar_t kNotShowAgainValue[] = L"NotShowAgain";

inline constexpr HRESULT kConnected = 0;
inline constexpr HRESULT kConnectCancelled = 1;

}  // namespace tapdeck::pairwell
