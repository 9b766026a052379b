// Written tags: every message decodes back to its network with Pairwell's
// decoder, and reads, byte by byte, as the configuration token phones expect.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "wsc_decoder.h"
#include "wsc_encoder.h"

using namespace tapdeck;

namespace {

using Attributes = std::vector<std::pair<unsigned, std::string>>;

// Reads type-length-value attributes until the bytes end; a length past the
// end fails the test.
Attributes ReadAttributes(std::string_view bytes)
{
    Attributes read;
    while (!bytes.empty()) {
        EXPECT_GE(bytes.size(), 4u);
        if (bytes.size() < 4) break;
        const unsigned type = static_cast<unsigned char>(bytes[0]) << 8 | static_cast<unsigned char>(bytes[1]);
        const size_t length = static_cast<unsigned char>(bytes[2]) << 8 | static_cast<unsigned char>(bytes[3]);
        EXPECT_LE(length, bytes.size() - 4);
        read.emplace_back(type, std::string(bytes.substr(4, length)));
        bytes.remove_prefix(std::min(bytes.size(), 4 + length));
    }
    return read;
}

struct Written {
    std::string ssid;
    std::string key;
    WscWriteSecurity security;
};

class WscEncoding : public ::testing::TestWithParam<Written> {};

TEST_P(WscEncoding, DecodesBackAndReadsAsAConfigurationToken)
{
    const Written& w = GetParam();
    ASSERT_EQ(WscWriteProblem::None, CheckWscNetwork(w.ssid, w.key, w.security));
    const std::string message = EncodeWscMessage(w.ssid, w.key, w.security);
    const std::string key = w.security == WscWriteSecurity::Open ? "" : w.key;

    const WscTag tag = DecodeWscBytes(message);
    ASSERT_EQ(WscOutcome::Usable, tag.outcome);
    EXPECT_EQ(w.ssid, tag.network.ssid);
    EXPECT_EQ(key, tag.network.key);
    const WscSecurity decoded[] = {WscSecurity::Wpa2Personal, WscSecurity::WpaPersonal, WscSecurity::Open};
    EXPECT_EQ(decoded[static_cast<int>(w.security)], tag.network.security);

    // One short media-type record, alone in its message.
    const std::string type = "application/vnd.wfa.wsc";
    ASSERT_GT(message.size(), 3 + type.size());
    EXPECT_EQ('\xd2', message[0]);
    EXPECT_EQ(type.size(), static_cast<unsigned char>(message[1]));
    EXPECT_EQ(message.size() - 3 - type.size(), static_cast<unsigned char>(message[2]));
    EXPECT_EQ(type, message.substr(3, type.size()));

    const Attributes token = ReadAttributes(std::string_view(message).substr(3 + type.size()));
    ASSERT_EQ(3u, token.size());
    EXPECT_EQ((std::pair<unsigned, std::string>{0x104A, "\x10"}), token[0]);
    EXPECT_EQ(0x100Eu, token[1].first);
    EXPECT_EQ((std::pair<unsigned, std::string>{0x1049, std::string("\x00\x37\x2a\x00\x01\x20", 6)}), token[2]);

    const char* auth[] = {"\x00\x20", "\x00\x02", "\x00\x01"};
    const char* encr[] = {"\x00\x08", "\x00\x04", "\x00\x01"};
    const int s = static_cast<int>(w.security);
    const Attributes expected = {{0x1026, "\x01"},
                                 {0x1045, w.ssid},
                                 {0x1003, std::string(auth[s], 2)},
                                 {0x100F, std::string(encr[s], 2)},
                                 {0x1027, key},
                                 {0x1020, std::string(6, '\xff')}};
    EXPECT_EQ(expected, ReadAttributes(token[1].second));
}

const std::string k32(32, 'n');
const std::string kHex64 = "00112233445566778899aabbccddeeff00112233445566778899AABBCCDDEEFF";

INSTANTIATE_TEST_SUITE_P(
    Networks, WscEncoding,
    ::testing::Values(Written{"Casa Mueller", "correct horse", WscWriteSecurity::Wpa2Personal},
                      Written{"Casa Mueller", "correct horse", WscWriteSecurity::WpaPersonal},
                      Written{"Casa Mueller", "ignored, open", WscWriteSecurity::Open},
                      Written{"x", "12345678", WscWriteSecurity::Wpa2Personal},
                      Written{k32, std::string(63, '~'), WscWriteSecurity::Wpa2Personal},
                      Written{"\"Q\" & <A>", " !\"#$%&'()*+,-./:;<=>?@[\\]^_`{|}", WscWriteSecurity::WpaPersonal},
                      // 32 bytes of UTF-8, three of its letters two bytes each.
                      Written{std::string("Caf\xc3\xa9 \xc3\x86r\xc3\xb8") + std::string(21, 'x'), kHex64,
                              WscWriteSecurity::Wpa2Personal},
                      Written{k32, "", WscWriteSecurity::Open}));

struct Refused {
    std::string ssid;
    std::string key;
    WscWriteSecurity security;
    WscWriteProblem problem;
};

class WscRefusal : public ::testing::TestWithParam<Refused> {};

TEST_P(WscRefusal, IsNamedAndNothingIsEncoded)
{
    const Refused& r = GetParam();
    EXPECT_EQ(r.problem, CheckWscNetwork(r.ssid, r.key, r.security));
    EXPECT_TRUE(EncodeWscMessage(r.ssid, r.key, r.security).empty());
}

INSTANTIATE_TEST_SUITE_P(
    Networks, WscRefusal,
    ::testing::Values(Refused{"", "12345678", WscWriteSecurity::Wpa2Personal, WscWriteProblem::NameLength},
                      Refused{"", "", WscWriteSecurity::Open, WscWriteProblem::NameLength},
                      Refused{std::string(33, 'n'), "12345678", WscWriteSecurity::Open, WscWriteProblem::NameLength},
                      // 31 letters and one two-byte letter: 33 bytes.
                      Refused{std::string(31, 'n') + "\xc3\xa9", "12345678", WscWriteSecurity::Wpa2Personal,
                              WscWriteProblem::NameLength},
                      Refused{"Casa", "1234567", WscWriteSecurity::Wpa2Personal, WscWriteProblem::Passphrase},
                      Refused{"Casa", std::string(65, 'a'), WscWriteSecurity::WpaPersonal, WscWriteProblem::Passphrase},
                      Refused{"Casa", std::string(63, 'a') + "g", WscWriteSecurity::Wpa2Personal,
                              WscWriteProblem::Passphrase},
                      Refused{"Casa", "1234\t5678", WscWriteSecurity::Wpa2Personal, WscWriteProblem::Passphrase},
                      Refused{"Casa", "1234\x7f" "5678", WscWriteSecurity::Wpa2Personal, WscWriteProblem::Passphrase},
                      Refused{"Casa", "caf\xc3\xa9 1234", WscWriteSecurity::Wpa2Personal,
                              WscWriteProblem::Passphrase}));

}  // namespace
