#pragma once
// Hexadecimal text as Windows' CryptographicBuffer writes and reads it:
// lowercase out; either case in; an odd length or a non-digit rejected.
#include <windows.h>
#include <string>
#include <string_view>
#include <vector>

namespace tapdeck::sim {

inline std::wstring ToHex(const std::vector<BYTE>& bytes)
{
    static constexpr wchar_t digits[] = L"0123456789abcdef";
    std::wstring text;
    text.reserve(bytes.size() * 2);
    for (BYTE b : bytes) {
        text += digits[b >> 4];
        text += digits[b & 0x0f];
    }
    return text;
}

inline int HexDigit(wchar_t c)
{
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return -1;
}

inline bool FromHex(std::wstring_view text, std::vector<BYTE>& bytes)
{
    bytes.clear();
    if (text.size() % 2) return false;
    for (size_t i = 0; i < text.size(); i += 2) {
        const int high = HexDigit(text[i]);
        const int low = HexDigit(text[i + 1]);
        if (high < 0 || low < 0) {
            bytes.clear();
            return false;
        }
        bytes.push_back(static_cast<BYTE>(high << 4 | low));
    }
    return true;
}

}  // namespace tapdeck::sim
