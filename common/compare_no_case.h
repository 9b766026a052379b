#pragma once
// Identifiers, switches and element names compared as Windows compares
// identifiers: ordinally, without regard to case, whatever the user's locale.
#include <string_view>

namespace tapdeck {

bool EqualsNoCase(std::wstring_view a, std::wstring_view b) noexcept;
bool StartsWithNoCase(std::wstring_view text, std::wstring_view prefix) noexcept;

}  // namespace tapdeck
