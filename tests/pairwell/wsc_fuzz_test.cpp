// Mutated standard Wi-Fi tags: no crash, no hang, and every credential the
// decoder lets through gives a profile the Wi-Fi service accepts.
// WSC_FUZZ_COUNT sets the number of inputs (100,000 in the suite),
// WSC_FUZZ_SEED the seed; the run prints both and what became of the inputs.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <random>

#include "camera_message.h"
#include "profile_check.h"
#include "wsc_decoder.h"
#include "wsc_message.h"
#include "wsc_profile.h"

namespace tapdeck::pairwell {
namespace {

unsigned long Setting(const char* name, unsigned long fallback)
{
    const char* text = std::getenv(name);
    return text && *text ? std::strtoul(text, nullptr, 10) : fallback;
}

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

// One to four edits of the kinds that break parsers: bits, bytes, lengths
// set to their extremes, cuts, insertions, repeats and splices.
std::string Mutate(std::string input, const std::vector<std::string>& seeds, std::mt19937& random)
{
    auto pick = [&](size_t bound) { return bound == 0 ? 0 : std::uniform_int_distribution<size_t>(0, bound - 1)(random); };
    const size_t edits = 1 + pick(4);
    for (size_t e = 0; e < edits; ++e) {
        switch (pick(8)) {
        case 0:
            if (!input.empty()) input[pick(input.size())] ^= static_cast<char>(1u << pick(8));
            break;
        case 1:
            if (!input.empty()) input[pick(input.size())] = static_cast<char>(pick(256));
            break;
        case 2: {
            static const char extremes[] = {'\x00', '\x01', '\x7F', '\x80', '\xFE', '\xFF'};
            if (!input.empty()) input[pick(input.size())] = extremes[pick(sizeof(extremes))];
            break;
        }
        case 3: input.resize(pick(input.size() + 1)); break;
        case 4: input.insert(pick(input.size() + 1), 1, static_cast<char>(pick(256))); break;
        case 5:
            if (!input.empty()) {
                const size_t at = pick(input.size());
                input.erase(at, 1 + pick(std::min<size_t>(8, input.size() - at)));
            }
            break;
        case 6:
            if (!input.empty()) {
                const size_t at = pick(input.size());
                input.insert(at, input.substr(at, 1 + pick(16)));
            }
            break;
        default: {
            const std::string& other = seeds[pick(seeds.size())];
            input = input.substr(0, pick(input.size() + 1)) + other.substr(pick(other.size() + 1));
            break;
        }
        }
    }
    return input;
}

TEST(WscFuzz, MutatedTagsDecodeSafelyAndOnlyToProfilesTheServiceAccepts)
{
    const unsigned long count = Setting("WSC_FUZZ_COUNT", 100000);
    const unsigned long seed = Setting("WSC_FUZZ_SEED", 20261208);
    std::mt19937 random(seed);
    const std::vector<std::string> seeds = Seeds();
    unsigned long classes[4] = {};
    unsigned long notStandard = 0;
    unsigned long refused = 0;
    for (unsigned long i = 0; i < count; ++i) {
        const std::string input = Mutate(seeds[i % seeds.size()], seeds, random);
        const std::wstring hex = sim::ToHex(input);
        if (!IsWscMessage(hex)) ++notStandard;
        const WscTag tag = DecodeWscMessage(hex);
        ++classes[static_cast<int>(tag.outcome)];
        if (tag.outcome != WscOutcome::Usable) continue;
        WlanProfileParams params;
        FillWscProfileParams(params, tag.network);
        sim::CheckedProfile stored;
        const std::wstring refusal = sim::CheckProfileXml(BuildProfileXml(params), stored);
        if (!refusal.empty() && ++refused <= 5) {
            ADD_FAILURE() << "input " << i << " (" << std::string(hex.begin(), hex.end()) << "): "
                          << std::string(refusal.begin(), refusal.end());
        }
    }
    std::printf("wsc fuzz: %lu inputs, seed %lu: %lu malformed, %lu no credential, %lu unsupported, %lu usable "
                "(%lu not recognised as standard tags); %lu profiles refused\n",
                count, seed, classes[static_cast<int>(WscOutcome::Malformed)],
                classes[static_cast<int>(WscOutcome::NoCredential)],
                classes[static_cast<int>(WscOutcome::Unsupported)], classes[static_cast<int>(WscOutcome::Usable)],
                notStandard, refused);
    EXPECT_EQ(refused, 0u);
    // The mutations must reach every outcome, or the run proves little.
    for (const unsigned long n : classes) EXPECT_GT(n, count / 1000);
}

}  // namespace
}  // namespace tapdeck::pairwell
