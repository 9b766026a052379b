#pragma once
// Which message types Windows takes, after the ProximityDevice.PublishBinaryMessage
// reference ("Message Types"), which SubscribeForMessage refers to:
// - A type is a protocol, then "." and a subtype; the types are
//   case-sensitive. A subtype is 1 to 250 characters, each alphanumeric or
//   one of - . _ ~ : / ? # [ ] @ ! $ & ' ( ) * + , ; = % (RFC 3986).
// - Both publications and subscriptions: "Windows.<subtype>",
//   "WindowsMime.<type>", "NDEF:ext.<type>", "WindowsUri" and "NDEF".
// - Subscriptions only: "WriteableTag", "WindowsMime" (every media type),
//   "NDEF:MIME.<type>", "NDEF:URI.<uri>", "NDEF:wkt.<type>", "NDEF:Unknown"
//   and "Pairing:Bluetooth".
// - Publications only: "Windows:WriteTag.<subtype>", "WindowsUri:WriteTag",
//   "WindowsMime:WriteTag.<type>", "LaunchApp:WriteTag" and "NDEF:WriteTag".
// Any other protocol, a known one in another case, a subtype where the
// protocol takes none or none where it needs one, is refused. The page names
// no error code; the radio answers E_INVALIDARG, the platform's answer to an
// argument it does not take.
#include <string_view>

namespace tapdeck::sim {

bool IsSubscribableType(std::wstring_view type);
bool IsPublishableType(std::wstring_view type);

}  // namespace tapdeck::sim
