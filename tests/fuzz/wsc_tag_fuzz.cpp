// Mutated and generated standard Wi-Fi tags: no crash, no hang, and every
// credential the decoder lets through gives a profile the Wi-Fi service
// accepts.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "fuzz_run.h"
#include "hex.h"
#include "mutator.h"
#include "profile_check.h"
#include "sim_state.h"
#include "support/wsc_outcome_name.h"
#include "wlan_profile.h"
#include "wsc_decoder.h"
#include "wsc_message.h"
#include "wsc_profile.h"

using namespace tapdeck;
using namespace tapdeck::fuzz;
using tapdeck::test::OutcomeName;

namespace {

std::vector<std::string> Seeds()
{
    using namespace sim;
    auto credential = [](std::string ssid, std::string key, unsigned auth, std::optional<unsigned> encr) {
        WscCredentialFields fields;
        fields.ssid = std::move(ssid);
        fields.key = std::move(key);
        fields.auth = auth;
        fields.encr = encr;
        return fields;
    };
    return {
        NdefMessageBytes({WscRecord(WscConfigurationPayload({credential("Home", "passphrase", 0x20, 0x08)}))}),
        NdefMessageBytes({WscRecord(WscConfigurationPayload({credential("Cafe", "", 0x01, 0x01)}), true)}),
        NdefMessageBytes({UriRecord("https://example.com/"),
                          WscRecord(WscConfigurationPayload({credential("Corp", "", 0x10, 0x08),
                                                             credential("Guest", std::string(64, 'b'), 0x22, 0x0C)})),
                          AndroidAppRecord("com.example")}),
        NdefMessageBytes({WscRecord(WscConfigurationPayload({credential("Old", "tkip-pass", 0x02, std::nullopt)}))}),
        NdefMessageBytes({WscRecord(WscPasswordTokenPayload())}),
        WscHandoverRequestMessage(),
        // Published tags (see wsc_decoder_test.cpp for their sources).
        NdefMessageBytes({NdefRecordFields{2, kWscMediaType, {},
                                         std::string("\x10\x0e\x00\x20\x10\x45\x00\x09Kiddy_Net\x10\x03\x00\x02\x00\x20"
                                                     "\x10\x27\x00\x09Leon_2018",
                                                     36),
                                         false}}),
        NdefMessageBytes({NdefRecordFields{2, kWscMediaType, "1",
                                         std::string("\x10\x0E\x00\x32\x10\x26\x00\x01\x01\x10\x45\x00\x07"
                                                     "AdaC929\x10\x03\x00\x02\x00\x20\x10\x0F\x00\x02\x00\x01\x10\x27"
                                                     "\x00\x08"
                                                     "88888888\x10\x20\x00\x06\xFF\xFF\xFF\xFF\xFF\xFF",
                                                     54),
                                         false}}),
    };
}

const std::vector<std::string> kSeeds = Seeds();

// Bytes that break parsers (length extremes) and pieces of the format: the
// attribute types, an NDEF short-record header of the WSC type.
const Mutator<std::string> kMutator{
    std::string("\x00\x01\x02\x0e\x10\x20\x22\x7f\x80\xfe\xff", 11),
    {std::string("\x10\x0e", 2), std::string("\x10\x45", 2), std::string("\x10\x27", 2),
     std::string("\x10\x03\x00\x02\x00\x20", 6), std::string("\x10\x0f\x00\x02\x00\x08", 6),
     std::string("\x10\x26\x00\x01\x01", 5), std::string("\xd2\x17", 2), "application/vnd.wfa.wsc"}};

TEST(WscTagFuzz, MutatedTagsDecodeSafelyAndOnlyToProfilesTheServiceAccepts)
{
    const Settings settings = Settings::Read(100000, 20261208);
    Tally tally;
    long long refused = 0;
    ForEachInput("wsc tag", settings, std::chrono::seconds(20), [&](std::uint64_t seed, Random& random) {
        std::string bytes = kSeeds[random.Below(kSeeds.size())];
        if (random.OneIn(8)) {
            // Splice with another tag: records and credentials from two.
            const std::string& other = kSeeds[random.Below(kSeeds.size())];
            bytes = bytes.substr(0, random.Below(bytes.size() + 1)) + other.substr(random.Below(other.size() + 1));
            tally.AddKind("spliced tag");
        }
        tally.AddKind(std::string("mutated tag (last move: ") + kMutator.Mutate(random, bytes) + ")");
        const std::wstring hex = tapdeck::ToHex(bytes);
        const WscTag tag = DecodeWscMessage(hex);
        const char* outcome = OutcomeName(tag.outcome);
        tally.Add(std::string(IsWscMessage(hex) ? "standard tag: " : "not a standard tag: ") + outcome);
        if (tag.outcome != WscOutcome::Usable) return;
        pairwell::WlanProfileParams params;
        pairwell::FillWscProfileParams(params, tag.network);
        sim::CheckedProfile stored;
        const std::wstring refusal = sim::CheckProfileXml(pairwell::BuildProfileXml(params), stored);
        if (!refusal.empty() && ++refused <= 5)
            ADD_FAILURE() << "input 0x" << std::hex << seed << ": " << sim::ToUtf8(refusal) << " ("
                          << sim::ToUtf8(hex) << ")";
    });
    tally.Print("wsc tag", settings);
    EXPECT_EQ(0, refused);
    // The mutations must reach every outcome, or the run proves little.
    if (!settings.replay) {
        for (const auto outcome : {WscOutcome::Malformed, WscOutcome::NoCredential,
                                   WscOutcome::Unsupported, WscOutcome::Usable})
            EXPECT_GT(tally.Count(std::string("standard tag: ") + OutcomeName(outcome)), settings.count / 1000)
                << OutcomeName(outcome);
    }
}

}  // namespace
