#pragma once
// Names that more than one program, stand-in or test must spell alike.

namespace tapdeck {

// Below HKLM: the handler registrations, one subkey each.
inline constexpr wchar_t kNfcdbKey[] = L"Software\\Vexa Corporation\\Tapdeck\\NFCDB";
// On the agent's shortcuts, and the identity of Pairwell's toasts.
inline constexpr wchar_t kAppUserModelId[] = L"Vexa.Quor.Tapdeck";
// The companion profile, below the install folder.
inline constexpr wchar_t kProfileFile[] = L"Pairwell Profile\\Configuration.xml";

}  // namespace tapdeck
