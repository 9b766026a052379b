#pragma once
// One owner for every kind of handle: a traits type names the invalid value
// and the close function; the owner closes exactly once, in reset().
#include <windows.h>
#include <oleauto.h>
#include <utility>

namespace tapdeck {

template <typename Traits>
class unique_any {
public:
    using pointer = typename Traits::type;

    unique_any() noexcept = default;
    explicit unique_any(pointer value) noexcept : value_(value) {}
    unique_any(const unique_any&) = delete;
    unique_any& operator=(const unique_any&) = delete;
    unique_any(unique_any&& other) noexcept : value_(other.release()) {}
    unique_any& operator=(unique_any&& other) noexcept
    {
        if (this != &other) reset(other.release());
        return *this;
    }
    ~unique_any() { reset(); }

    pointer get() const noexcept { return value_; }
    explicit operator bool() const noexcept { return value_ != Traits::invalid(); }

    void reset(pointer value = Traits::invalid()) noexcept
    {
        pointer old = std::exchange(value_, value);
        if (old != Traits::invalid()) Traits::close(old);
    }
    pointer release() noexcept { return std::exchange(value_, Traits::invalid()); }
    // For out-parameters: closes what is held and hands out the slot.
    pointer* put() noexcept
    {
        reset();
        return &value_;
    }

private:
    pointer value_ = Traits::invalid();
};

template <typename T, auto Close>
struct handle_traits {
    using type = T;
    static constexpr type invalid() noexcept { return nullptr; }
    static void close(type value) noexcept { Close(value); }
};

struct file_handle_traits {
    using type = HANDLE;
    static type invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(type value) noexcept { ::CloseHandle(value); }
};

// A FindFirstFileW search: INVALID_HANDLE_VALUE when none was opened.
struct find_handle_traits {
    using type = HANDLE;
    static type invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(type value) noexcept { ::FindClose(value); }
};

inline void close_local(HLOCAL value) noexcept { ::LocalFree(value); }
inline void close_sid(PSID value) noexcept { ::FreeSid(value); }
inline void close_window(HWND value) noexcept { ::DestroyWindow(value); }
inline void close_gdi(HGDIOBJ value) noexcept { ::DeleteObject(value); }
inline void close_handle(HANDLE value) noexcept { ::CloseHandle(value); }
inline void close_hkey(HKEY value) noexcept { ::RegCloseKey(value); }
inline void close_module(HMODULE value) noexcept { ::FreeLibrary(value); }
inline void close_icon(HICON value) noexcept { ::DestroyIcon(value); }
inline void close_find(HANDLE value) noexcept { ::FindClose(value); }
inline void close_bstr(BSTR value) noexcept { ::SysFreeString(value); }

using unique_handle = unique_any<handle_traits<HANDLE, close_handle>>;
using unique_event = unique_handle;
using unique_mutex = unique_handle;
using unique_thread = unique_handle;
using unique_file = unique_any<file_handle_traits>;
using unique_find = unique_any<find_handle_traits>;
using unique_hkey = unique_any<handle_traits<HKEY, close_hkey>>;
using unique_hmodule = unique_any<handle_traits<HMODULE, close_module>>;
using unique_hicon = unique_any<handle_traits<HICON, close_icon>>;
using unique_hfont = unique_any<handle_traits<HFONT, close_gdi>>;
using unique_hlocal = unique_any<handle_traits<HLOCAL, close_local>>;
using unique_sid = unique_any<handle_traits<PSID, close_sid>>;
using unique_hwnd = unique_any<handle_traits<HWND, close_window>>;
using unique_bstr = unique_any<handle_traits<BSTR, close_bstr>>;

}  // namespace tapdeck
