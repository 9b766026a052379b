#include "layout.h"

#include <algorithm>

namespace tapdeck {
namespace {

bool IsBlank(wchar_t c) { return c == L' ' || (c >= L'\t' && c <= L'\r'); }

// One field read the way _wtoi reads it; stops at the next comma.
int ReadField(std::wstring_view field)
{
    size_t i = 0;
    while (i < field.size() && IsBlank(field[i])) ++i;
    bool negative = false;
    if (i < field.size() && (field[i] == L'+' || field[i] == L'-')) negative = field[i++] == L'-';
    // Accumulate in 64 bits and saturate, so an absurd value cannot overflow.
    long long value = 0;
    for (; i < field.size() && field[i] >= L'0' && field[i] <= L'9'; ++i) {
        value = value * 10 + (field[i] - L'0');
        if (value > 0x80000000LL) value = 0x80000000LL;
    }
    if (negative) value = -value;
    if (value > 0x7FFFFFFFLL) value = 0x7FFFFFFFLL;
    return static_cast<int>(value);
}

}  // namespace

Layout ParseLayout(std::wstring_view text)
{
    int fields[4] = {};
    size_t pos = 0;
    for (int& field : fields) {
        // Runs of commas count as one separator; leading commas are skipped.
        while (pos < text.size() && text[pos] == L',') ++pos;
        if (pos >= text.size()) break;
        const size_t end = std::min(text.find(L',', pos), text.size());
        field = ReadField(text.substr(pos, end - pos));
        pos = end;
    }
    return Layout{fields[0], fields[1], fields[2], fields[3]};
}

}  // namespace tapdeck
