#include "dialog_font.h"

#include "res_string.h"
#include "screen_dpi.h"

namespace tapdeck {

unique_hfont CreateDialogFont(const std::wstring& face, int points)
{
    return unique_hfont(::CreateFontW(-::MulDiv(points, ScreenDpi::Get().dpiY, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE,
                                      FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                      DEFAULT_QUALITY, DEFAULT_PITCH, face.c_str()));
}

unique_hfont LoadDialogFont(UINT faceId, int points)
{
    std::wstring face;
    if (!LoadResString(face, faceId)) return {};
    return CreateDialogFont(face, points);
}

}  // namespace tapdeck
