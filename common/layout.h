#pragma once
// Layout rectangles as the language-resource files give them.
#include <string_view>

namespace tapdeck {

// A layout rectangle at 96 DPI: "x,y,w,h" read like _wtoi.
struct Layout {
    int x = 0;
    int y = 0;
    int w = 0;
    int h = 0;
};
Layout ParseLayout(std::wstring_view text);

}  // namespace tapdeck
