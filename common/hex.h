#pragma once
// Bytes as hexadecimal text, two digits a byte, and back: written lowercase
// unless asked otherwise, read in either case; an odd length or a character
// that is no digit is refused.
#include <windows.h>
#include <span>
#include <string>
#include <string_view>

namespace tapdeck {

enum class HexCase { Lower, Upper };

std::wstring ToHex(const void* data, size_t size, HexCase letters = HexCase::Lower);
inline std::wstring ToHex(std::string_view bytes, HexCase letters = HexCase::Lower)
{
    return ToHex(bytes.data(), bytes.size(), letters);
}
inline std::wstring ToHex(std::span<const BYTE> bytes, HexCase letters = HexCase::Lower)
{
    return ToHex(bytes.data(), bytes.size(), letters);
}

// The digit's value, or -1 for any other character.
int HexDigit(wchar_t c) noexcept;
bool IsHexDigits(std::string_view text) noexcept;

// The bytes of the text (std::string or std::vector<BYTE>); false, and no
// bytes, when the text is not whole pairs of digits.
template <typename Bytes>
bool FromHex(std::wstring_view text, Bytes& bytes)
{
    bytes.clear();
    if (text.size() % 2 != 0) return false;
    bytes.reserve(text.size() / 2);
    for (size_t i = 0; i < text.size(); i += 2) {
        const int high = HexDigit(text[i]);
        const int low = HexDigit(text[i + 1]);
        if (high < 0 || low < 0) {
            bytes.clear();
            return false;
        }
        bytes.push_back(static_cast<typename Bytes::value_type>(high << 4 | low));
    }
    return true;
}

}  // namespace tapdeck
