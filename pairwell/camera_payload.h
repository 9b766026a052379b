#pragma once
// The camera's NFC message, as the agent passes it (lowercase hexadecimal
// text), turned into the Wi-Fi network name and passphrase. The text is read
// in place: the first 50 characters (the camera record's header and type)
// are skipped and the three credential fields are found by their tags.
#include <string>
#include <string_view>

namespace tapdeck {

// One character per value byte: bytes 0x01-0x7F stay as they are; a value
// whose bytes form valid UTF-8 becomes the characters they encode (the WLAN
// profile stores names as UTF-8, so the network gets exactly the camera's
// bytes back), any other byte 0x80-0xFF becomes the character of the same
// code (Latin-1). A value holding a 0x00 byte is refused: it cannot be held
// in a profile, and cutting it short would name another network.
bool DecodeCameraPayload(std::wstring_view commandLine, std::wstring& ssid, std::wstring& passphrase);
// The same, also giving the SSID's bytes as the camera sent them (the text
// cannot always tell them: Latin-1 and UTF-8 overlap).
bool DecodeCameraPayload(std::wstring_view commandLine, std::wstring& ssid, std::wstring& passphrase,
                         std::string& ssidBytes);

// Takes the field with the tag from the remaining text: true and its value
// text when found with a non-empty value; removes 8 + value length
// characters from the front (wherever the tag stood).
bool TakeField(std::wstring_view tag, std::wstring& remaining, std::wstring& value);
// The field's value text; empty when the tag is missing or its length is 0.
std::wstring FindFieldValue(std::wstring_view text, std::wstring_view tag);
// The number of value characters (2 x the length field); found tells
// whether the tag occurs at all.
long ReadFieldLength(std::wstring_view text, std::wstring_view tag, bool& found);
// floor(length / 2) bytes, two digits each; false when that is 0 (or a byte
// is 0x00, see above).
bool HexToText(std::wstring_view valueText, std::wstring& text);
bool HexToText(std::wstring_view valueText, std::wstring& text, std::string& bytes);

// A digit's value as the camera's tags are read: below 'a' counts from '0',
// from 'a' on counts as 'a' = 10; nothing is rejected.
inline long HexDigitValue(wchar_t digit) noexcept
{
    const unsigned low = static_cast<unsigned>(digit) & 0xFFu;
    return low < L'a' ? static_cast<long>(digit) - L'0' : static_cast<long>(digit) - L'a' + 10;
}

}  // namespace tapdeck
