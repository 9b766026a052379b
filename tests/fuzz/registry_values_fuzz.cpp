// The registry readers against values of every type and of awkward sizes:
// the NFCDB registrations (each value as text up to its first NUL, all
// registrations or none) and the version records (only a proper string of
// at most 260 characters counts; the version path as text up to its first
// NUL). Each answer is compared with the value as stored.
#include <gtest/gtest.h>

#include <algorithm>

#include "../version/shared_info.h"
#include "fuzz_run.h"
#include "nfc/nfc_registry.h"
#include "product_names.h"
#include "support/nfc_registrations.h"
#include "unique_handle.h"
#include "version_report.h"

using namespace tapdeck;
using namespace tapdeck::fuzz;
using tapdeck::test::SharedInfo;

namespace {

const DWORD kTypes[] = {REG_NONE,      REG_SZ,        REG_EXPAND_SZ,  REG_BINARY, REG_DWORD, REG_DWORD_BIG_ENDIAN,
                        REG_LINK,      REG_MULTI_SZ,  REG_RESOURCE_LIST, REG_FULL_RESOURCE_DESCRIPTOR,
                        REG_RESOURCE_REQUIREMENTS_LIST, REG_QWORD, 0x12345678, 0xFFFFFFFF};
// 520 bytes is the version record's buffer; 1 MiB stands for any huge value.
const size_t kSizes[] = {0, 1, 2, 3, 4, 7, 8, 9, 517, 518, 519, 520, 521, 522, 4096, 1 << 20, (1 << 20) + 1};

std::string TypeName(DWORD type)
{
    switch (type) {
    case REG_NONE: return "REG_NONE";
    case REG_SZ: return "REG_SZ";
    case REG_EXPAND_SZ: return "REG_EXPAND_SZ";
    case REG_BINARY: return "REG_BINARY";
    case REG_DWORD: return "REG_DWORD";
    case REG_DWORD_BIG_ENDIAN: return "REG_DWORD_BIG_ENDIAN";
    case REG_LINK: return "REG_LINK";
    case REG_MULTI_SZ: return "REG_MULTI_SZ";
    case REG_QWORD: return "REG_QWORD";
    default: return "other type";
    }
}

// Bytes of a given size: text that ends with its NUL, text without one, a
// NUL early on, or any bytes at all.
std::string Content(Random& random, size_t size, int kind)
{
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) {
        switch (kind) {
        case 0:
        case 1: bytes[i] = static_cast<char>(i % 2 ? 0 : '0' + (i / 2) % 10); break;  // "0123..." as UTF-16
        case 2: bytes[i] = static_cast<char>(i % 2 ? 0 : 'a' + random.Below(26)); break;
        default: bytes[i] = static_cast<char>(random.Below(256)); break;
        }
    }
    if (kind == 0 && size >= 2) bytes[size - 1] = bytes[size - 2] = 0;  // terminated
    if (kind == 2 && size >= 8) bytes[4] = bytes[5] = 0;                 // a NUL after two characters
    return bytes;
}

// The stored bytes as UTF-16 up to the first NUL; an odd last byte is the
// low byte of a last character unless only whole characters count. Made in
// one allocation: a huge value's text is a megabyte.
std::wstring TextOf(const std::string& bytes, bool wholeCharacters = false)
{
    const size_t size = wholeCharacters ? bytes.size() & ~size_t(1) : bytes.size();
    std::wstring text;
    text.reserve(size / 2 + 1);
    for (size_t i = 0; i < size; i += 2) {
        const wchar_t c = static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) |
                                               (i + 1 < size ? static_cast<unsigned char>(bytes[i + 1]) << 8 : 0));
        if (c == 0) break;
        text.push_back(c);
    }
    return text;
}

bool SetValue(HKEY root, const wchar_t* path, const wchar_t* name, DWORD type, const std::string& bytes,
              REGSAM view = 0)
{
    unique_hkey key;
    if (::RegCreateKeyExW(root, path, 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, key.put(), nullptr) !=
        ERROR_SUCCESS)
        return false;
    return ::RegSetValueExW(key.get(), name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                            static_cast<DWORD>(bytes.size())) == ERROR_SUCCESS;
}

std::string Utf16(const std::wstring& text, bool terminated)
{
    std::string bytes(reinterpret_cast<const char*>(text.data()), text.size() * 2);
    if (terminated) bytes.append(2, '\0');
    return bytes;
}

struct Value {
    DWORD type;
    std::string bytes;
    std::string kind;
};

// Every type with every size and kind of content, then random ones.
template <typename Body>
void ForEachValue(const char* target, const Settings& settings, Tally& tally, Body&& body)
{
    if (!settings.replay) {
        Watchdog watchdog(target, std::chrono::seconds(20));
        long long index = 0;
        for (DWORD type : kTypes) {
            for (size_t size : kSizes) {
                for (int kind = 0; kind < 4; ++kind) {
                    const std::uint64_t seed = InputSeed(settings.seed, --index);
                    Random random(seed);
                    watchdog.Begin(seed);
                    body(Value{type, Content(random, size, kind), TypeName(type)});
                    watchdog.End();
                    tally.AddKind("every type x size x content");
                }
            }
        }
    }
    ForEachInput(target, settings, std::chrono::seconds(20), [&](std::uint64_t, Random& random) {
        const DWORD type = random.OneIn(2) ? kTypes[random.Below(std::size(kTypes))] : static_cast<DWORD>(random.Next());
        const size_t size = random.OneIn(4) ? random.Below((1 << 20) + 2) : random.Below(1100);
        body(Value{type, Content(random, size, static_cast<int>(random.Below(4))), TypeName(type)});
        tally.AddKind("random type, size and content");
    });
}

class RegistryFuzz : public ::testing::Test {
protected:
    SharedInfo sharedInfo_;  // removes the version records before and after
};

// The registrations every agent reads: only this test writes them.
class NfcdbFuzz : public ::testing::Test {
protected:
    void SetUp() override { ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, kNfcdbKey); }
    void TearDown() override { ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, kNfcdbKey); }
};

// One value read as text: exactly the stored text, never beyond it. Any
// key will do for the reader, so a key of the test's own, which no agent reads.
TEST(RegistryValueFuzz, NfcdbValueIsItsTextUpToTheFirstNul)
{
    const Settings settings = Settings::Read(300, 0x4E4643);
    const wchar_t path[] = L"Software\\Tapdeck Tests\\Registry Fuzz";
    unique_hkey key;
    ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                               key.put(), nullptr));
    Tally tally;
    long long wrong = 0;
    ForEachValue("NFCDB value", settings, tally, [&](const Value& value) {
        ASSERT_EQ(ERROR_SUCCESS, ::RegSetValueExW(key.get(), L"MessageType", 0, value.type,
                                                  reinterpret_cast<const BYTE*>(value.bytes.data()),
                                                  static_cast<DWORD>(value.bytes.size())));
        std::wstring text = L"stale";
        const bool read = ReadRegistryString(key.get(), L"MessageType", text);
        const bool right = read && text == TextOf(value.bytes);
        if (!right && ++wrong <= 5)
            ADD_FAILURE() << value.kind << " of " << value.bytes.size() << " bytes: read " << read << ", "
                          << text.size() << " characters, expected " << TextOf(value.bytes).size();
        tally.Add(right ? value.kind + ": read as its text" : "WRONG");
    });
    ::RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Tapdeck Tests");
    tally.Print("NFCDB value (ReadRegistryString)", settings);
    EXPECT_EQ(0, wrong);
}

// Whole registrations: a subkey whose values are all there gives its
// registration whatever their types; one that lacks one makes all fail.
TEST_F(NfcdbFuzz, RegistrationsAreAllOrNone)
{
    const Settings settings = Settings::Read(150, 0x4E464344);
    static const wchar_t* const kNames[] = {L"ApplicationPath", L"MessageType", L"Version"};
    // Two ordinary registrations around the one with the value, the same
    // for every input.
    const std::string path = Utf16(L"C:\\handler.exe", true);
    for (const wchar_t* subkey : {L"A", L"C"}) {
        const std::wstring key = std::wstring(kNfcdbKey) + L"\\" + subkey;
        ASSERT_TRUE(SetValue(HKEY_LOCAL_MACHINE, key.c_str(), L"ApplicationPath", REG_SZ, path));
        ASSERT_TRUE(SetValue(HKEY_LOCAL_MACHINE, key.c_str(), L"MessageType", REG_SZ,
                             Utf16(L"NDEF:" + std::wstring(subkey), true)));
        ASSERT_TRUE(SetValue(HKEY_LOCAL_MACHINE, key.c_str(), L"Version", REG_SZ, Utf16(L"1", true)));
    }
    const std::wstring key = std::wstring(kNfcdbKey) + L"\\B";
    Tally tally;
    long long wrong = 0;
    ForEachValue("NFCDB registrations", settings, tally, [&](const Value& value) {
        ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, key.c_str());
        Random random(value.bytes.size() * 31 + value.type);
        const size_t fuzzed = random.Below(3);
        const bool missing = random.OneIn(8);
        std::wstring texts[3] = {L"C:\\b.exe", L"NDEF:B", L"2"};
        for (size_t i = 0; i < 3; ++i) {
            if (i == fuzzed) {
                if (!missing) SetValue(HKEY_LOCAL_MACHINE, key.c_str(), kNames[i], value.type, value.bytes);
                texts[i] = TextOf(value.bytes);
            } else {
                SetValue(HKEY_LOCAL_MACHINE, key.c_str(), kNames[i], REG_EXPAND_SZ, Utf16(texts[i], true));
            }
        }
        if (missing) ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                       unique_hkey().put(), nullptr);
        NFCRegistrationList list;
        const bool read = ReadRegistrations(list);
        std::vector<std::wstring> got;
        for (const auto& r : list) got.push_back(r.messageType + L"|" + r.applicationPath);
        std::vector<std::wstring> expected =
            missing ? std::vector<std::wstring>{}
                    : std::vector<std::wstring>{L"NDEF:A|C:\\handler.exe", texts[1] + L"|" + texts[0],
                                                L"NDEF:C|C:\\handler.exe"};
        // The order of enumeration is the registry's.
        std::sort(got.begin(), got.end());
        std::sort(expected.begin(), expected.end());
        const bool right = read == !expected.empty() && got == expected;
        if (!right && ++wrong <= 5)
            ADD_FAILURE() << value.kind << " of " << value.bytes.size() << " bytes as " << fuzzed
                          << (missing ? " (missing)" : "") << ": read " << read << ", " << got.size()
                          << " registrations";
        tally.Add(!right ? "WRONG" : missing ? "a value missing: no registration at all" : "all three registrations");
    });
    tally.Print("NFCDB registrations (ReadRegistrations)", settings);
    EXPECT_EQ(0, wrong);
}

// The original version: only a properly terminated string value that fits
// 260 characters counts, read exactly.
TEST_F(RegistryFuzz, OriginalVersionIsOnlyAProperStringThatFits)
{
    const Settings settings = Settings::Read(300, 0x0816);
    Tally tally;
    long long wrong = 0;
    ForEachValue("original version", settings, tally, [&](const Value& value) {
        ASSERT_TRUE(SharedInfo::SetValue(test::kAppRecordKey, KEY_WOW64_64KEY, L"version", value.type,
                                         value.bytes.data(), static_cast<DWORD>(value.bytes.size())));
        std::wstring version = L"stale";
        const bool read = ReadOriginalVersion(version);
        const size_t size = value.bytes.size();
        const bool text = value.type == REG_SZ || value.type == REG_EXPAND_SZ;
        const bool terminated = size == 0 || (size % 2 == 0 && value.bytes[size - 1] == 0 && value.bytes[size - 2] == 0);
        const std::wstring stored = TextOf(value.bytes);
        std::string result;
        if (text && size <= 520 && terminated) {
            result = read == !stored.empty() && version == stored ? "proper string: read exactly" : "";
        } else if (text && size < 520 && size % 2 == 0) {
            // Windows hands back the stored bytes, which are refused; Wine's
            // query adds the missing terminator. Never more than the text.
            result = (!read && version.empty()) ? "unterminated string: refused"
                     : version == stored        ? "unterminated string: read exactly (terminator added)"
                                                : "";
        } else {
            result = !read && version.empty() ? "not a proper string that fits: refused" : "";
        }
        if (result.empty() && ++wrong <= 5)
            ADD_FAILURE() << value.kind << " of " << size << " bytes: read " << read << ", " << version.size()
                          << " characters";
        tally.Add(result.empty() ? "WRONG" : result);
    });
    tally.Print("original version (ReadOriginalVersion)", settings);
    EXPECT_EQ(0, wrong);
}

// The version path, whatever its type: text of whole characters up to its
// first NUL, and the version is the first line of the file it names, if
// that exists.
TEST_F(RegistryFuzz, VersionPathIsItsTextUpToTheFirstNul)
{
    const Settings settings = Settings::Read(300, 0x0817);
    const std::wstring file = sharedInfo_.NewFile("4.5.6\r\nrest");
    Tally tally;
    long long wrong = 0;
    ForEachValue("version path", settings, tally, [&](Value value) {
        Random random(value.bytes.size() * 7 + value.type);
        // Now and then a value that names the version file.
        if (value.bytes.size() >= 2 && random.OneIn(3)) {
            value.bytes = Utf16(file, value.bytes.size() % 2 == 0) + value.bytes.substr(0, random.Below(9));
            value.kind += " naming a file";
        }
        ASSERT_TRUE(SharedInfo::SetValue(test::kVersionPathKey, KEY_WOW64_32KEY, L"Version", value.type,
                                         value.bytes.data(), static_cast<DWORD>(value.bytes.size())));
        std::wstring version = L"stale";
        const bool read = ReadVersionFile(KEY_WOW64_32KEY, version);
        // The path is whole characters: an odd last byte is no part of it.
        const std::wstring path = TextOf(value.bytes, true);
        // No file has a name longer than the longest path.
        const DWORD attributes = !path.empty() && path.size() <= 32767 ? ::GetFileAttributesW(path.c_str())
                                                                        : INVALID_FILE_ATTRIBUTES;
        const bool exists = attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
        const bool right = exists ? read && version == L"4.5.6" : !read;
        if (!right && ++wrong <= 5)
            ADD_FAILURE() << value.kind << " of " << value.bytes.size() << " bytes: read " << read;
        tally.Add(!right ? "WRONG" : exists ? "names the file: its first line" : "names no file: not read");
    });
    tally.Print("version path (ReadVersionFile)", settings);
    EXPECT_EQ(0, wrong);
}

}  // namespace
