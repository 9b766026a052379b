#pragma once
// Pictures of windows as the screen shows them, frame and caption included.
#include <windows.h>
#include <string>

namespace tapdeck::gallery {

// Repaints the window (another thread of this process may own it), waits
// until two readings agree, and saves what its window rectangle shows as a
// PNG file. False when nothing could be read or written.
bool SaveWindowPicture(HWND window, const std::wstring& path);

}  // namespace tapdeck::gallery
