#include "nfc_message_type.h"

#include "compare_no_case.h"

namespace tapdeck {

bool IsNdefType(std::wstring_view type) noexcept { return StartsWithNoCase(type, L"NDEF"); }

bool IsWindowsType(std::wstring_view type) noexcept { return StartsWithNoCase(type, L"Windows"); }

bool UsesStringForm(std::wstring_view type) noexcept { return !IsNdefType(type) && IsWindowsType(type); }

}  // namespace tapdeck
