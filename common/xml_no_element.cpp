#include "xml_no_element.h"

#include <string_view>

namespace tapdeck {
namespace {

bool BeginsAName(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':' || c >= 0x80;
}

}  // namespace

bool HoldsNoElement(IStream* stream)
{
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

    std::string_view text(bytes, size);
    const bool utf16 = text.substr(0, 2) == "\xFF\xFE" || text.substr(0, 2) == "\xFE\xFF" ||
                       (size >= 2 && text[1] == '\0' && text[0] != '\0');
    if (utf16) return false;  // left to the reader
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\0') return true;
        if (text[i] == '<' && i + 1 < text.size() && BeginsAName(static_cast<unsigned char>(text[i + 1]))) return false;
    }
    // No element began in what was read: none at all when that was everything.
    return size < sizeof(bytes);
}

}  // namespace tapdeck
