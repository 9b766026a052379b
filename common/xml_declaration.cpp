#include "xml_declaration.h"

#include <string_view>

namespace tapdeck {

bool HoldsOnlyXmlDeclaration(IStream* stream)
{
    // A declaration is short; a stream longer than this holds more.
    char bytes[512];
    ULONG size = 0;
    LARGE_INTEGER start{};
    if (!stream || FAILED(stream->Seek(start, STREAM_SEEK_SET, nullptr))) return false;
    for (;;) {
        ULONG read = 0;
        if (FAILED(stream->Read(bytes + size, sizeof(bytes) - size, &read)) || read == 0) break;
        size += read;
        if (size == sizeof(bytes)) break;
    }
    stream->Seek(start, STREAM_SEEK_SET, nullptr);
    if (size == sizeof(bytes)) return false;

    std::string_view text(bytes, size);
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    constexpr std::string_view opening = "<?xml";
    if (opening.substr(0, text.size()) == text) return true;
    const size_t close = text.find("?>");
    return text.substr(0, opening.size()) == opening && close != std::string_view::npos && close + 2 == text.size();
}

}  // namespace tapdeck
