#include "capture.h"

#include <chrono>
#include <cstdint>
#include <thread>
#include <vector>

#include "png_file.h"
#include "unique_handle.h"

namespace tapdeck::gallery {
namespace {

inline void DeleteMemoryDc(HDC dc) noexcept { ::DeleteDC(dc); }
using unique_memory_dc = unique_any<handle_traits<HDC, DeleteMemoryDc>>;
using unique_hbitmap = unique_any<handle_traits<HBITMAP, close_gdi>>;

// The device context of a whole window, frame included.
class WindowDc {
public:
    explicit WindowDc(HWND window) : window_(window), dc_(::GetWindowDC(window)) {}
    ~WindowDc()
    {
        if (dc_) ::ReleaseDC(window_, dc_);
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    HDC get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;
};

// The window's pixels as they are now; empty when they cannot be read.
Picture Read(HWND window)
{
    RECT bounds{};
    if (!::GetWindowRect(window, &bounds)) return {};
    Picture picture{bounds.right - bounds.left, bounds.bottom - bounds.top, {}};
    if (picture.width <= 0 || picture.height <= 0) return {};

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = picture.width;
    info.bmiHeader.biHeight = -picture.height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    unique_memory_dc memory(::CreateCompatibleDC(nullptr));
    if (!memory) return {};
    unique_hbitmap bitmap(::CreateDIBSection(memory.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || !bits) return {};
    HGDIOBJ old = ::SelectObject(memory.get(), bitmap.get());
    bool copied = false;
    {
        WindowDc source(window);
        copied = source.get() &&
                 ::BitBlt(memory.get(), 0, 0, picture.width, picture.height, source.get(), 0, 0, SRCCOPY);
    }
    ::GdiFlush();
    ::SelectObject(memory.get(), old);
    if (!copied) return {};

    const auto* bgrx = static_cast<const uint8_t*>(bits);
    const size_t pixels = static_cast<size_t>(picture.width) * picture.height;
    picture.rgb.resize(pixels * 3);
    for (size_t i = 0; i < pixels; ++i) {
        picture.rgb[i * 3] = bgrx[i * 4 + 2];
        picture.rgb[i * 3 + 1] = bgrx[i * 4 + 1];
        picture.rgb[i * 3 + 2] = bgrx[i * 4];
    }
    return picture;
}

bool AllOneColour(const Picture& picture)
{
    for (size_t i = 3; i < picture.rgb.size(); ++i) {
        if (picture.rgb[i] != picture.rgb[i % 3]) return false;
    }
    return true;
}

}  // namespace

bool SaveWindowPicture(HWND window, const std::wstring& path)
{
    ::RedrawWindow(window, nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    // Painting is done when RedrawWindow returns; the caption may still be
    // redrawn once as the window becomes active, so wait for a steady picture.
    Picture last = Read(window);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        Picture now = Read(window);
        const bool steady = !now.rgb.empty() && now.rgb == last.rgb && !AllOneColour(now);
        last = std::move(now);
        if (steady) break;
    }
    if (last.rgb.empty()) return false;
    return WritePng(path, last.width, last.height, last.rgb);
}

}  // namespace tapdeck::gallery
