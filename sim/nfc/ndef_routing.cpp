#include "ndef_routing.h"

#include <algorithm>
#include <iterator>
#include <string_view>

#include "ndef_record.h"

namespace tapdeck::sim {
namespace {

bool StartsWith(const std::wstring& text, std::wstring_view prefix, std::wstring& rest)
{
    if (text.compare(0, prefix.size(), prefix) != 0) return false;
    rest = text.substr(prefix.size());
    return true;
}

wchar_t FoldAscii(wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; }

// The record's TYPE against a subtype written in the message type: each
// character stands for one byte; a character beyond a byte matches nothing.
bool TypeEquals(const std::string& type, const std::wstring& subtype, bool ignoreCase)
{
    if (subtype.empty() || type.size() != subtype.size()) return false;
    for (size_t i = 0; i < type.size(); ++i) {
        const wchar_t mine = static_cast<BYTE>(type[i]);
        if (subtype[i] > 0xff) return false;
        if (ignoreCase ? FoldAscii(mine) != FoldAscii(subtype[i]) : mine != subtype[i]) return false;
    }
    return true;
}

// The URI identifier codes of the NFC Forum URI record type.
constexpr const char* kUriPrefixes[] = {
    "", "http://www.", "https://www.", "http://", "https://", "tel:", "mailto:", "ftp://anonymous:anonymous@",
    "ftp://ftp.", "ftps://", "sftp://", "smb://", "nfs://", "ftp://", "dav://", "news:", "telnet://", "imap:",
    "rtsp://", "urn:", "pop:", "sip:", "sips:", "tftp:", "btspp://", "btl2cap://", "btgoep://", "tcpobex://",
    "irdaobex://", "file://", "urn:epc:id:", "urn:epc:tag:", "urn:epc:pat:", "urn:epc:raw:", "urn:epc:",
    "urn:nfc:"};

bool UriOfRecord(const NdefRecord& record, std::vector<BYTE>& delivered)
{
    if (record.tnf != kTnfWellKnown || record.type != "U" || record.payload.empty()) return false;
    const BYTE code = record.payload[0];
    if (code >= std::size(kUriPrefixes)) return false;
    std::string uri = kUriPrefixes[code];
    uri.append(record.payload.begin() + 1, record.payload.end());
    std::wstring wide(uri.size(), L'\0');
    const int length = uri.empty() ? 0
                                   : ::MultiByteToWideChar(CP_UTF8, 0, uri.data(), static_cast<int>(uri.size()),
                                                           wide.data(), static_cast<int>(wide.size()));
    wide.resize(static_cast<size_t>(length));
    wide.push_back(L'\0');
    delivered.clear();
    for (wchar_t c : wide) {
        delivered.push_back(static_cast<BYTE>(c & 0xff));
        delivered.push_back(static_cast<BYTE>(c >> 8));
    }
    return true;
}

}  // namespace

bool RouteToSubscription(const std::wstring& subscriptionType, const std::vector<BYTE>& message,
                         std::vector<BYTE>& delivered)
{
    NdefRecord first;
    if (!ReadFirstRecord(message, first)) return false;
    std::wstring subtype;
    bool whole = false;
    bool payloadOnly = false;
    if (subscriptionType == L"NDEF") {
        whole = true;
    } else if (StartsWith(subscriptionType, L"NDEF:ext.", subtype)) {
        whole = first.tnf == kTnfExternal && TypeEquals(first.type, subtype, true);
    } else if (StartsWith(subscriptionType, L"NDEF:MIME.", subtype)) {
        whole = first.tnf == kTnfMedia && TypeEquals(first.type, subtype, true);
    } else if (StartsWith(subscriptionType, L"NDEF:wkt.", subtype)) {
        whole = first.tnf == kTnfWellKnown && TypeEquals(first.type, subtype, false);
    } else if (subscriptionType == L"NDEF:Unknown") {
        whole = first.tnf == kTnfUnknown;
    } else if (StartsWith(subscriptionType, L"Windows.", subtype)) {
        payloadOnly = first.tnf == kTnfAbsoluteUri && TypeEquals(first.type, subtype, false);
    } else if (StartsWith(subscriptionType, L"WindowsMime.", subtype)) {
        payloadOnly = first.tnf == kTnfMedia && TypeEquals(first.type, subtype, true);
    } else if (subscriptionType == L"WindowsMime") {
        if (first.tnf != kTnfMedia || first.type.size() >= 256) return false;
        delivered.assign(256, 0);
        std::copy(first.type.begin(), first.type.end(), delivered.begin());
        delivered.insert(delivered.end(), first.payload.begin(), first.payload.end());
        return true;
    } else if (subscriptionType == L"WindowsUri") {
        return UriOfRecord(first, delivered);
    }
    if (whole) delivered = message;
    if (payloadOnly) delivered = first.payload;
    return whole || payloadOnly;
}

std::vector<BYTE> MessageRoutedTo(const std::wstring& type, const std::vector<BYTE>& payload)
{
    struct Form {
        std::wstring_view prefix;
        BYTE tnf;
    };
    static constexpr Form forms[] = {{L"NDEF:ext.", kTnfExternal},  {L"NDEF:MIME.", kTnfMedia},
                                     {L"NDEF:wkt.", kTnfWellKnown}, {L"Windows.", kTnfAbsoluteUri},
                                     {L"WindowsMime.", kTnfMedia}};
    NdefRecord record{kTnfUnknown, {}, payload};
    if (type != L"NDEF" && type != L"NDEF:Unknown") {
        const Form* form = nullptr;
        for (const Form& candidate : forms) {
            const size_t length = candidate.prefix.size();
            if (type.size() > length && type.compare(0, length, candidate.prefix) == 0) form = &candidate;
        }
        if (!form) return {};
        record.tnf = form->tnf;
        for (wchar_t c : type.substr(form->prefix.size())) {
            if (c > 0xff) return {};
            record.type.push_back(static_cast<char>(c));
        }
    }
    return SingleRecordMessage(record);
}

}  // namespace tapdeck::sim
