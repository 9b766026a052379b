// The camera payload decoder against generated and mutated tags: it decodes
// exactly what an independent reading of the rules gives, and every payload
// it accepts gives a WLAN profile that the Wi-Fi service stores with exactly
// the decoded values, or refuses only because no WPA2 network can have them.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>

#include "camera_message.h"
#include "camera_payload.h"
#include "hex.h"
#include "utf8.h"
#include "fuzz_run.h"
#include "mutator.h"
#include "profile_check.h"
#include "sim_state.h"
#include "wlan_profile.h"

using namespace tapdeck;
using namespace tapdeck::fuzz;

namespace {

const std::wstring kHeader = L"921629" + tapdeck::ToHex("application/x-vexa-kox");

// --- An independent reading of the rules, index by index ----------------

long RefDigit(const std::wstring& t, size_t i)
{
    if (i >= t.size()) return -48;
    const wchar_t c = t[i];
    return (c & 0xFF) < 'a' ? long(c) - '0' : long(c) - 'a' + 10;
}

bool RefTake(std::wstring& rest, const wchar_t* tag, std::string* bytes)
{
    if (rest.empty()) return false;
    const size_t at = rest.find(tag);
    if (at == std::wstring::npos) return false;
    long n = 0;
    for (int k = 0; k < 4; ++k) n = n * 16 + RefDigit(rest, at + 4 + k);
    n *= 2;
    if (n <= 0 || at + 8 >= rest.size()) return false;
    const std::wstring value = rest.substr(at + 8, size_t(n));
    rest.erase(0, std::min(rest.size(), 8 + value.size()));
    if (bytes) {
        bytes->clear();
        for (size_t i = 0; i + 1 < value.size(); i += 2)
            bytes->push_back(char((16 * RefDigit(value, i) + RefDigit(value, i + 1)) & 0xFF));
    }
    return true;
}

// Value bytes as text: UTF-8 when they are strict UTF-8 (the platform's
// decoder decides), otherwise one character per byte.
std::wstring RefText(const std::string& bytes)
{
    const bool ascii = std::all_of(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) == 0; });
    std::wstring text;
    if (!ascii && FromUtf8Strict(bytes, text)) return text;
    for (char c : bytes) text.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
    return text;
}

struct Expected {
    bool decoded = false;
    std::wstring ssid;
    std::wstring passphrase;
};

Expected RefDecode(const std::wstring& text)
{
    Expected e;
    std::wstring rest = text.size() > 50 ? text.substr(50) : L"";
    std::string ssid;
    std::string pass;
    if (!RefTake(rest, L"0001", nullptr) || !RefTake(rest, L"1000", &ssid) || ssid.empty() ||
        !RefTake(rest, L"1001", &pass) || pass.empty())
        return e;
    // A NUL byte cannot be held by a profile: such a value is refused.
    if (ssid.find('\0') != std::string::npos || pass.find('\0') != std::string::npos) return e;
    e.decoded = true;
    e.ssid = RefText(ssid);
    e.passphrase = RefText(pass);
    return e;
}

// --- What a WPA2-Personal network can have, by the standard --------------

bool XmlCanHold(const std::wstring& text)
{
    for (size_t i = 0; i < text.size(); ++i) {
        const wchar_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            ++i;
            continue;
        }
        const bool allowed = c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD);
        if (!allowed) return false;
    }
    return true;
}

// Empty when the service must store the profile; otherwise the class of why
// it must refuse it.
std::string WhyNoNetworkHasThese(const std::wstring& ssid, const std::wstring& passphrase)
{
    if (!XmlCanHold(ssid) || !XmlCanHold(passphrase)) return "a character XML cannot hold";
    const size_t ssidBytes = sim::ToUtf8(ssid).size();
    if (ssidBytes < 1 || ssidBytes > 32) return "network name not 1-32 bytes";
    if (passphrase.size() < 8 || passphrase.size() > 63) return "passphrase not 8-63 characters";
    if (!std::all_of(passphrase.begin(), passphrase.end(), [](wchar_t c) { return c >= 0x20 && c <= 0x7E; }))
        return "passphrase not printable ASCII";
    return {};
}

// --- Inputs -----------------------------------------------------------------

std::wstring Hex(const std::string& bytes, bool upper)
{
    return tapdeck::ToHex(bytes, upper ? HexCase::Upper : HexCase::Lower);
}

std::wstring Field(const wchar_t* tag, const std::string& value, bool upper = false)
{
    wchar_t length[8];
    swprintf_s(length, L"%04x", static_cast<unsigned>(value.size() & 0xFFFF));
    return std::wstring(tag) + length + Hex(value, upper);
}

// A value of a camera's kind (printable ASCII, lengths a network allows),
// or now and then one no camera would write.
std::string Value(Random& random, size_t fewest, size_t most)
{
    static const std::string pieces[] = {"a", "Z", "0", "-", " ", "&", "<", ">", "\"", "'", "]]>", "\t", "\r\n",
                                         "\xC3\xA9", "\xE2\x82\xAC", "\xF0\x9F\x93\xB7", "\xEF\xBF\xBE", "\xC0\xAF",
                                         "\xED\xA0\x80", "\x80", "\xFF", "\x01", "\x7F", std::string(1, '\0')};
    const bool odd = random.OneIn(3);
    std::string value;
    const size_t length = odd ? 1 + random.Length(most + 16) : fewest + random.Below(most - fewest + 1);
    while (value.size() < length) {
        if (odd && random.OneIn(3)) {
            value += pieces[random.Below(std::size(pieces))];
        } else {
            value += static_cast<char>(0x20 + random.Below(0x5F));
        }
    }
    return value;
}

std::wstring GeneratedMessage(Random& random)
{
    const bool upper = random.OneIn(16);
    std::wstring text = random.OneIn(32) ? L"d1010b55" + tapdeck::ToHex("example.com/x") : kHeader;
    text += Field(L"0001", random.OneIn(16) ? std::string() : std::string(1, char(0x10)), upper);
    text += Field(L"1000", Value(random, 1, 32), upper);
    text += Field(L"1001", Value(random, 8, 63), upper);
    if (random.OneIn(4)) text += L"5100000a" + Field(L"1000", "other");
    return text;
}

const Mutator<std::wstring> kMutator{
    L"0123456789abcdef0123456789abcdefABCDEFxz \x7f\x80\xff\u0100\u4e00",
    {L"0001", L"1000", L"1001", L"0000", L"00ff", L"ffff", L"0002", L"61", L"00", kHeader}};

std::wstring Input(Random& random, Tally& tally)
{
    switch (random.Below(4)) {
    case 0: {
        tally.AddKind("random text");
        std::wstring text(random.Below(160), L' ');
        for (wchar_t& c : text) c = kMutator.alphabet[random.Below(kMutator.alphabet.size())];
        return text;
    }
    case 1: {
        tally.AddKind("header and tag soup");
        std::wstring text = kHeader;
        const size_t pieces = random.Below(12);
        for (size_t p = 0; p < pieces; ++p) text += kMutator.tokens[random.Below(kMutator.tokens.size() - 1)];
        return text;
    }
    case 2:
        tally.AddKind("generated message");
        return GeneratedMessage(random);
    default: {
        std::wstring text;
        if (random.OneIn(2)) {
            sim::BuildCameraMessageHex(Value(random, 1, 32), Value(random, 8, 63), text);
        } else {
            text = GeneratedMessage(random);
        }
        tally.AddKind(std::string("mutated message (last move: ") + kMutator.Mutate(random, text) + ")");
        return text;
    }
    }
}

TEST(CameraPayloadFuzz, DecodesByTheRulesAndEveryDecodedPayloadGivesAProfileTheServiceJudgesRight)
{
    const Settings settings = Settings::Read(100000, 0x7A9DEC0DE);
    Tally tally;
    long long failures = 0;
    ForEachInput("camera payload", settings, std::chrono::seconds(20), [&](std::uint64_t seed, Random& random) {
        const std::wstring text = Input(random, tally);
        std::wstring ssid;
        std::wstring passphrase;
        const bool decoded = DecodeCameraPayload(text, ssid, passphrase);
        const Expected expected = RefDecode(text);
        if (decoded != expected.decoded || (decoded && (ssid != expected.ssid || passphrase != expected.passphrase))) {
            if (++failures <= 5)
                ADD_FAILURE() << "input 0x" << std::hex << seed << ": decoded " << decoded << ", expected "
                              << expected.decoded << " (" << sim::ToUtf8(text) << ")";
            tally.Add("WRONG DECODE");
            return;
        }
        if (!decoded) {
            tally.Add("refused by the decoder");
            return;
        }
        pairwell::WlanProfileParams params;
        pairwell::FillProfileParams(params, ssid, passphrase);
        sim::CheckedProfile profile;
        const std::wstring refusal = sim::CheckProfileXml(pairwell::BuildProfileXml(params), profile);
        const std::string why = WhyNoNetworkHasThese(ssid, passphrase);
        const bool stored = refusal.empty();
        const bool exact = profile.name == ssid && profile.ssid == ssid && profile.keyMaterial == passphrase;
        if (stored != why.empty() || (stored && !exact)) {
            if (++failures <= 5)
                ADD_FAILURE() << "input 0x" << std::hex << seed << ": service says \"" << sim::ToUtf8(refusal)
                              << "\", expected \"" << why << "\" (" << sim::ToUtf8(text) << ")";
            tally.Add("WRONG PROFILE");
            return;
        }
        tally.Add(stored ? "decoded; profile stored with exactly the decoded values"
                         : "decoded; profile refused: " + why);
    });
    tally.Print("camera payload", settings);
    EXPECT_EQ(0, failures);
    // The run reaches the stored profile, not only rejections.
    if (!settings.replay) {
        EXPECT_GT(tally.Count("decoded; profile stored with exactly the decoded values"), settings.count / 50);
    }
}

}  // namespace
