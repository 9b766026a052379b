#pragma once
// Owned and borrowed Windows Runtime strings.
#include <windows.h>
#include <winstring.h>
#include <string>
#include <string_view>

#include "unique_handle.h"

namespace tapdeck {

inline void close_hstring(HSTRING value) noexcept { ::WindowsDeleteString(value); }
using unique_hstring = unique_any<handle_traits<HSTRING, close_hstring>>;

// A string reference that borrows text which outlives it; no allocation.
class hstring_ref {
public:
    explicit hstring_ref(std::wstring_view text) noexcept
    {
        if (FAILED(::WindowsCreateStringReference(text.data(), static_cast<UINT32>(text.size()), &header_, &value_)))
            value_ = nullptr;
    }
    // A null-terminated literal or buffer; the reference needs the NUL after the text.
    explicit hstring_ref(const wchar_t* text) noexcept : hstring_ref(std::wstring_view(text)) {}
    hstring_ref(const hstring_ref&) = delete;
    hstring_ref& operator=(const hstring_ref&) = delete;
    HSTRING get() const noexcept { return value_; }

private:
    HSTRING_HEADER header_{};
    HSTRING value_ = nullptr;
};

// Copies a platform string up to its first NUL, as the rest of the product expects.
inline std::wstring to_wstring(HSTRING value)
{
    UINT32 length = 0;
    const wchar_t* raw = ::WindowsGetStringRawBuffer(value, &length);
    if (!raw) return {};
    std::wstring_view view(raw, length);
    return std::wstring(view.substr(0, view.find(L'\0')));
}

}  // namespace tapdeck
