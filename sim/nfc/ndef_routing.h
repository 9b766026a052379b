#pragma once
// Which subscriptions a touched NDEF message reaches, and what each of them
// receives, as an NFC radio under Windows routes it. Every rule is from
// Microsoft's NFC driver documentation ("NDEF protocol", "Windows protocol",
// "WindowsUri protocol", "WindowsMime protocol") and the
// ProximityDevice.PublishBinaryMessage reference:
// - Only the TNF and TYPE of the first record decide ("the driver MUST match
//   received NDEF messages to subscriptions based on the TNF and TYPE fields
//   of the first NDEF record"); later records never route a message.
// - "NDEF" receives every well-formed message; "NDEF:ext.<type>" (TNF 4,
//   compared without regard to case, as external type names are),
//   "NDEF:MIME.<type>" (TNF 2, media types compare without regard to case),
//   "NDEF:wkt.<type>" (TNF 1, exact) and "NDEF:Unknown" (TNF 5) receive the
//   whole message.
// - "Windows.<subtype>" matches TNF 3 with a TYPE equal to the subtype, one
//   byte per character; "WindowsMime.<type>" matches TNF 2 of that type;
//   both receive only the first record's payload. "WindowsMime" receives
//   every media-type message as its type in 256 bytes, then the payload.
//   "WindowsUri" receives the URI of a first "U" record, UTF-16LE and NUL
//   ended.
// - Message types are case-sensitive: "ndef" or "NDEF:mime.x" receive
//   nothing; so do subtypes Windows does not define ("NDEF:same").
// - Bytes that are not one well-formed NDEF message reach no subscription.
// Not modelled: chunked records (a chunked first record routes on its first
// chunk, payload and all as read), the URI inside a smart poster, the
// absolute-URI form "NDEF:URI", and peers other than NFC Forum tags.
#include <windows.h>
#include <string>
#include <vector>

namespace tapdeck::sim {

// What a subscription of this type receives of the message; false when the
// message does not reach it.
bool RouteToSubscription(const std::wstring& subscriptionType, const std::vector<BYTE>& message,
                         std::vector<BYTE>& delivered);

// A one-record message that reaches subscriptions of this type, its record
// carrying the payload: for "NDEF:ext.", "NDEF:MIME.", "NDEF:wkt.",
// "NDEF:Unknown", "Windows." and "WindowsMime." types; for "NDEF", a record of
// unknown type. Empty for any other type.
std::vector<BYTE> MessageRoutedTo(const std::wstring& type, const std::vector<BYTE>& payload);

}  // namespace tapdeck::sim
