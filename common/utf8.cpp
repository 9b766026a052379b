#include "utf8.h"

#include <windows.h>

#include <climits>

namespace tapdeck {
namespace {

bool Decode(std::string_view bytes, DWORD flags, std::wstring& text)
{
    text.clear();
    if (bytes.empty() || bytes.size() > INT_MAX) return bytes.empty();
    const int size = static_cast<int>(bytes.size());
    const int count = ::MultiByteToWideChar(CP_UTF8, flags, bytes.data(), size, nullptr, 0);
    if (count <= 0) return false;
    text.resize(static_cast<size_t>(count));
    if (::MultiByteToWideChar(CP_UTF8, flags, bytes.data(), size, text.data(), count) == count) return true;
    text.clear();
    return false;
}

bool Encode(std::wstring_view text, DWORD flags, std::string& bytes)
{
    bytes.clear();
    if (text.empty() || text.size() > INT_MAX) return text.empty();
    const int length = static_cast<int>(text.size());
    const int size = ::WideCharToMultiByte(CP_UTF8, flags, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return false;
    bytes.resize(static_cast<size_t>(size));
    if (::WideCharToMultiByte(CP_UTF8, flags, text.data(), length, bytes.data(), size, nullptr, nullptr) == size)
        return true;
    bytes.clear();
    return false;
}

}  // namespace

std::string ToUtf8(std::wstring_view text)
{
    std::string bytes;
    Encode(text, 0, bytes);
    return bytes;
}

bool ToUtf8Strict(std::wstring_view text, std::string& bytes) { return Encode(text, WC_ERR_INVALID_CHARS, bytes); }

std::wstring FromUtf8(std::string_view bytes)
{
    std::wstring text;
    Decode(bytes, 0, text);
    return text;
}

bool FromUtf8Strict(std::string_view bytes, std::wstring& text) { return Decode(bytes, MB_ERR_INVALID_CHARS, text); }

}  // namespace tapdeck
