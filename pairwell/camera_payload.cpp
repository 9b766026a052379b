#include "camera_payload.h"

#include <algorithm>
#include <string>

#include "utf8.h"

namespace tapdeck {
namespace {

// The camera record's header, type length, payload length and 22-character
// type, as text: not checked, only skipped.
constexpr size_t kRecordHeaderChars = 50;
constexpr size_t kTagChars = 4;
constexpr size_t kLengthChars = 4;

}  // namespace

long ReadFieldLength(std::wstring_view text, std::wstring_view tag, bool& found)
{
    const size_t pos = text.find(tag);
    found = pos != std::wstring_view::npos;
    if (!found) return 0;
    long long sum = 0;
    for (size_t k = 0; k < kLengthChars; ++k) {
        const size_t at = pos + tag.size() + k;
        // A digit missing at the end of the text reads as a NUL character.
        const wchar_t digit = at < text.size() ? text[at] : L'\0';
        sum = sum * 16 + HexDigitValue(digit);
    }
    return static_cast<long>(2 * sum);
}

std::wstring FindFieldValue(std::wstring_view text, std::wstring_view tag)
{
    const size_t pos = text.find(tag);
    if (pos == std::wstring_view::npos) return {};
    bool found = false;
    const long count = ReadFieldLength(text, tag, found);
    if (count <= 0) return {};
    const size_t start = pos + kTagChars + kLengthChars;
    if (start >= text.size()) return {};
    return std::wstring(text.substr(start, static_cast<size_t>(count)));
}

bool TakeField(std::wstring_view tag, std::wstring& remaining, std::wstring& value)
{
    if (remaining.empty() || tag.empty()) return false;
    std::wstring found = FindFieldValue(remaining, tag);
    if (found.empty()) return false;
    // Always from the front: a well-formed payload has the tag there.
    remaining.erase(0, std::min(remaining.size(), kTagChars + kLengthChars + found.size()));
    value = std::move(found);
    return true;
}

bool HexToText(std::wstring_view valueText, std::wstring& text)
{
    std::string bytes;
    return HexToText(valueText, text, bytes);
}

bool HexToText(std::wstring_view valueText, std::wstring& text, std::string& bytes)
{
    const size_t count = valueText.size() / 2;
    if (count == 0) return false;
    bytes.clear();
    bytes.reserve(count);
    bool ascii = true;
    for (size_t i = 0; i < count; ++i) {
        const long value = 16 * HexDigitValue(valueText[2 * i]) + HexDigitValue(valueText[2 * i + 1]);
        const unsigned char byte = static_cast<unsigned char>(value & 0xFF);
        if (byte == 0) return false;
        if (byte >= 0x80) ascii = false;
        bytes.push_back(static_cast<char>(byte));
    }
    if (!ascii && FromUtf8Strict(bytes, text)) return true;
    text.assign(bytes.size(), L'\0');
    std::transform(bytes.begin(), bytes.end(), text.begin(),
                   [](char byte) { return static_cast<wchar_t>(static_cast<unsigned char>(byte)); });
    return true;
}

bool DecodeCameraPayload(std::wstring_view commandLine, std::wstring& ssid, std::wstring& passphrase)
{
    std::string ssidBytes;
    return DecodeCameraPayload(commandLine, ssid, passphrase, ssidBytes);
}

bool DecodeCameraPayload(std::wstring_view commandLine, std::wstring& ssid, std::wstring& passphrase,
                         std::string& ssidBytes)
{
    std::wstring remaining;
    if (commandLine.size() > kRecordHeaderChars) remaining = commandLine.substr(kRecordHeaderChars);

    std::wstring value;
    if (!TakeField(L"0001", remaining, value)) return false;
    if (!TakeField(L"1000", remaining, value) || !HexToText(value, ssid, ssidBytes)) return false;
    if (!TakeField(L"1001", remaining, value) || !HexToText(value, passphrase)) return false;
    return true;
}

}  // namespace tapdeck
