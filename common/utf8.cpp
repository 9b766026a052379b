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

}  // namespace

std::string ToUtf8(std::wstring_view text)
{
    if (text.empty() || text.size() > INT_MAX) return {};
    const int length = static_cast<int>(text.size());
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return {};
    std::string bytes(static_cast<size_t>(size), '\0');
    if (::WideCharToMultiByte(CP_UTF8, 0, text.data(), length, bytes.data(), size, nullptr, nullptr) != size) return {};
    return bytes;
}

std::wstring FromUtf8(std::string_view bytes)
{
    std::wstring text;
    Decode(bytes, 0, text);
    return text;
}

bool FromUtf8Strict(std::string_view bytes, std::wstring& text) { return Decode(bytes, MB_ERR_INVALID_CHARS, text); }

}  // namespace tapdeck
