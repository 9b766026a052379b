#include "hex.h"

namespace tapdeck {

std::wstring ToHex(const void* data, size_t size, HexCase letters)
{
    const wchar_t* digits = letters == HexCase::Upper ? L"0123456789ABCDEF" : L"0123456789abcdef";
    const auto* bytes = static_cast<const unsigned char*>(data);
    std::wstring text;
    text.reserve(size * 2);
    for (size_t i = 0; i < size; ++i) {
        text += digits[bytes[i] >> 4];
        text += digits[bytes[i] & 0x0f];
    }
    return text;
}

int HexDigit(wchar_t c) noexcept
{
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return -1;
}

bool IsHexDigits(std::string_view text) noexcept
{
    for (const char c : text)
        if (HexDigit(static_cast<unsigned char>(c)) < 0) return false;
    return true;
}

}  // namespace tapdeck
