// The radio routes a touched message as Windows does: by its first record.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "hex.h"
#include "ndef_routing.h"

using namespace tapdeck::sim;

namespace {

// One record written out by hand: flags byte, short lengths, no id.
std::string Record(unsigned flags, const std::string& type, const std::string& payloadHex)
{
    char header[7];
    std::snprintf(header, sizeof(header), "%02x%02zx%02zx", flags, type.size(), payloadHex.size() / 2);
    std::string hex = header;
    for (unsigned char c : type) {
        char digits[3];
        std::snprintf(digits, sizeof(digits), "%02x", c);
        hex += digits;
    }
    return hex + payloadHex;
}

std::wstring Wide(const std::string& hex) { return std::wstring(hex.begin(), hex.end()); }

const std::string kWsc = "application/vnd.wfa.wsc";
const std::string kCamera = "application/x-vexa-kox";
// A camera's message that also carries a Wi-Fi record, and the reverse.
const std::string kCameraThenWsc = Record(0x92, kCamera, "c0") + Record(0x52, kWsc, "1026");
const std::string kWscThenApp = Record(0x92, kWsc, "1026") + Record(0x54, "android.com:pkg", "61");
const std::string kUri = Record(0xd1, "U", "0461");
constexpr char kWhole[] = "whole";
constexpr char kNone[] = "none";

struct Route {
    const wchar_t* subscription;
    std::string message;
    std::string delivered;  // hex, kWhole for the whole message, kNone for nothing
};

class NdefRouting : public ::testing::TestWithParam<Route> {};

TEST_P(NdefRouting, FirstRecordDecidesWhoReceivesWhat)
{
    std::vector<BYTE> message;
    ASSERT_TRUE(tapdeck::FromHex(Wide(GetParam().message), message));
    std::vector<BYTE> delivered;
    const bool reached = RouteToSubscription(GetParam().subscription, message, delivered);
    ASSERT_EQ(GetParam().delivered != kNone, reached);
    if (!reached) return;
    const std::string expected = GetParam().delivered == kWhole ? GetParam().message : GetParam().delivered;
    EXPECT_EQ(Wide(expected), tapdeck::ToHex(delivered));
}

INSTANTIATE_TEST_SUITE_P(
    Messages, NdefRouting,
    ::testing::Values(
        Route{L"NDEF:MIME.application/x-vexa-kox", kCameraThenWsc, kWhole},
        Route{L"NDEF:MIME.application/vnd.wfa.wsc", kCameraThenWsc, kNone},
        Route{L"NDEF:MIME.application/vnd.wfa.wsc", kWscThenApp, kWhole},
        Route{L"NDEF:MIME.Application/VND.WFA.WSC", kWscThenApp, kWhole},
        Route{L"NDEF:mime.application/vnd.wfa.wsc", kWscThenApp, kNone},
        Route{L"ndef", kWscThenApp, kNone},
        Route{L"NDEF:ext.android.com:pkg", kWscThenApp, kNone},
        Route{L"NDEF:ext.VEXA.com:tag", Record(0xd4, "vexa.com:tag", "01"), kWhole},
        Route{L"NDEF:ext.vexa.com:ta", Record(0xd4, "vexa.com:tag", "01"), kNone},
        Route{L"NDEF:MIME.application/x-vexa-kox", Record(0xd4, kCamera, "01"), kNone},
        Route{L"NDEF:wkt.U", kUri, kWhole},
        Route{L"NDEF:wkt.u", kUri, kNone},
        Route{L"NDEF:Unknown", Record(0xd5, "", "ff"), kWhole},
        Route{L"NDEF:Unknown", kUri, kNone},
        Route{L"NDEF:same", Record(0xd5, "", "ff"), kNone},
        Route{L"NDEF:Empty", "d00000", kNone},
        // "NDEF" takes every well-formed message: a long record, an id.
        Route{L"NDEF", kCameraThenWsc, kWhole},
        Route{L"NDEF", "c1010000000154ab", kWhole},
        Route{L"NDEF", "d90101015501ab", kWhole},
        // Bytes that are not one well-formed message reach nobody.
        Route{L"NDEF", "", kNone},
        Route{L"NDEF", "01", kNone},
        Route{L"NDEF", "d1010555ab", kNone},
        Route{L"NDEF", Record(0x91, "U", "00"), kNone},
        Route{L"NDEF", Record(0x91, "U", "00") + Record(0xd1, "U", "00"), kNone},
        Route{L"NDEF", Record(0x51, "U", "00"), kNone},
        Route{L"NDEF", kUri + "00", kNone},
        Route{L"NDEF", "c10100000005", kNone},
        Route{L"NDEF", "d9010101", kNone},
        // The Windows forms receive the payload alone.
        Route{L"Windows.VexaSample", Record(0xd3, "VexaSample", "6100"), "6100"},
        Route{L"Windows.vexasample", Record(0xd3, "VexaSample", "6100"), kNone},
        Route{L"Windows.VexaSample", Record(0xd2, "VexaSample", "6100"), kNone},
        Route{L"WindowsMime.text/plain", Record(0xd2, "TEXT/plain", "6869"), "6869"},
        Route{L"WindowsMime", Record(0xd2, "text/plain", "6869"),
              "746578742f706c61696e" + std::string(2 * (256 - 10), '0') + "6869"},
        Route{L"WindowsUri", kUri, "680074007400700073003a002f002f0061000000"},
        Route{L"WindowsUri", Record(0xd1, "U", "ff61"), kNone}));

}  // namespace
