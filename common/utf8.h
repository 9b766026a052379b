#pragma once
// UTF-16 text as UTF-8 bytes and back. What cannot be converted becomes
// U+FFFD, as Windows converts by default; text of more than INT_MAX units
// (which the platform cannot take in one call) gives nothing.
#include <string>
#include <string_view>

namespace tapdeck {

std::string ToUtf8(std::wstring_view text);
std::wstring FromUtf8(std::string_view bytes);
// False, and no text, when the bytes are not valid UTF-8.
bool FromUtf8Strict(std::string_view bytes, std::wstring& text);
// False, and no bytes, when the text is not valid UTF-16 (half a pair).
bool ToUtf8Strict(std::wstring_view text, std::string& bytes);

}  // namespace tapdeck
