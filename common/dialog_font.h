#pragma once
// The dialogs' fonts, sized in points at the screen DPI.
#include <windows.h>
#include <string>

#include "unique_handle.h"

namespace tapdeck {

inline constexpr int kDialogFontPoints = 9;

// A font of the face at the given size, or null.
unique_hfont CreateDialogFont(const std::wstring& face, int points = kDialogFontPoints);
// The same with the face named by a string resource; null when that text is
// missing.
unique_hfont LoadDialogFont(UINT faceId, int points = kDialogFontPoints);

}  // namespace tapdeck
