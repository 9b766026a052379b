#pragma once
// The two classes of proximity message type, told apart by prefix.
#include <string_view>

namespace tapdeck {

// "NDEF" and its subtypes, in any case.
bool IsNdefType(std::wstring_view type) noexcept;
// "Windows" and its subtypes, in any case.
bool IsWindowsType(std::wstring_view type) noexcept;
// Only "Windows" types are handed on as the platform's string; everything
// else as its bytes in hexadecimal.
bool UsesStringForm(std::wstring_view type) noexcept;

}  // namespace tapdeck
