#include "nfc_message_type.h"

#include <cwctype>

namespace tapdeck {
namespace {

bool StartsWithIgnoringCase(std::wstring_view text, std::wstring_view prefix) noexcept
{
    if (text.size() < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        if (std::towlower(text[i]) != std::towlower(prefix[i])) return false;
    }
    return true;
}

}  // namespace

bool IsNdefType(std::wstring_view type) noexcept { return StartsWithIgnoringCase(type, L"NDEF"); }

bool IsWindowsType(std::wstring_view type) noexcept { return StartsWithIgnoringCase(type, L"Windows"); }

bool UsesStringForm(std::wstring_view type) noexcept { return !IsNdefType(type) && IsWindowsType(type); }

}  // namespace tapdeck
