#pragma once
// A picture file a person can open anywhere: 8-bit RGB PNG.
#include <cstdint>
#include <string>
#include <vector>

namespace tapdeck::gallery {

// Writes width x height pixels, three bytes (red, green, blue) each, row by
// row from the top. The image data is stored uncompressed: the pictures are
// small and the file stays byte-for-byte what the screen held.
bool WritePng(const std::wstring& path, int width, int height, const std::vector<uint8_t>& rgb);

}  // namespace tapdeck::gallery
