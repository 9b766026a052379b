// Reading the shared version records: both registry views, odd values and
// odd files.
#include <gtest/gtest.h>

#include "shared_info.h"
#include "unique_handle.h"
#include "version_report.h"

using namespace tapdeck;
using namespace tapdeck::test;

namespace {

struct FileCase {
    const char* name;
    std::string bytes;
    std::wstring version;
};

void PrintTo(const FileCase& c, std::ostream* os) { *os << c.name; }

class VersionFile : public ::testing::TestWithParam<FileCase> {};

TEST_P(VersionFile, FirstLineIsTheVersion)
{
    SharedInfo info;
    ASSERT_TRUE(info.SetVersionFile(KEY_WOW64_32KEY, GetParam().bytes));
    std::wstring version = L"stale";
    EXPECT_TRUE(ReadVersionFile(KEY_WOW64_32KEY, version));
    EXPECT_EQ(GetParam().version, version);
}

INSTANTIATE_TEST_SUITE_P(
    Files, VersionFile,
    ::testing::Values(FileCase{"SingleLine", "1.0.0.14200", L"1.0.0.14200"},
                      FileCase{"CrLf", "1.0.0.14200\r\nnext line\r\n", L"1.0.0.14200"},
                      FileCase{"Lf", "1.0.0.14200\nnext", L"1.0.0.14200"},
                      FileCase{"LoneCrIsKept", "1.0\r2.0\r\n", L"1.0\r2.0"},
                      FileCase{"Empty", "", L""},
                      FileCase{"EmptyFirstLine", "\r\n1.0", L""},
                      FileCase{"LongLineGivesItsFirst99", std::string(99, '7') + "89\r\n", std::wstring(99, L'7')},
                      FileCase{"ExactlyNinetyNine", std::string(99, '5') + "\r\n", std::wstring(99, L'5')},
                      FileCase{"BytesBecomeCharacters", "1.0 \xE9\xFF", L"1.0 \u00E9\u00FF"},
                      FileCase{"BinaryStopsAtNul", std::string("1.2\0\x01\x02", 6), L"1.2"}));

TEST(VersionFileRecord, EachViewReadsOnlyItsOwnRecord)
{
    SharedInfo info;
    ASSERT_TRUE(info.SetVersionFile(KEY_WOW64_32KEY, "32-bit\r\n"));
    std::wstring version;
    EXPECT_FALSE(ReadVersionFile(KEY_WOW64_64KEY, version));
    ASSERT_TRUE(info.SetVersionFile(KEY_WOW64_64KEY, "64-bit\r\n"));
    EXPECT_TRUE(ReadVersionFile(KEY_WOW64_64KEY, version));
    EXPECT_EQ(L"64-bit", version);
    EXPECT_TRUE(ReadVersionFile(KEY_WOW64_32KEY, version));
    EXPECT_EQ(L"32-bit", version);
}

TEST(VersionFileRecord, MissingKeyValueOrFileFails)
{
    SharedInfo info;
    std::wstring version;
    EXPECT_FALSE(ReadVersionFile(KEY_WOW64_32KEY, version));
    ASSERT_TRUE(SharedInfo::SetString(kVersionPathKey, KEY_WOW64_32KEY, L"Other", L"x"));
    EXPECT_FALSE(ReadVersionFile(KEY_WOW64_32KEY, version));
    ASSERT_TRUE(info.SetVersionPath(KEY_WOW64_32KEY, L""));
    EXPECT_FALSE(ReadVersionFile(KEY_WOW64_32KEY, version));
    ASSERT_TRUE(info.SetVersionPath(KEY_WOW64_32KEY, L"C:\\no\\such\\version.txt"));
    EXPECT_FALSE(ReadVersionFile(KEY_WOW64_32KEY, version));
}

TEST(VersionFileRecord, PathValueOfAnyTypeAndWithoutTerminatorIsRead)
{
    SharedInfo info;
    const std::wstring path = info.NewFile("2.5\r\n");
    // REG_BINARY, no NUL at the end: the text ends with the data.
    ASSERT_TRUE(SharedInfo::SetValue(kVersionPathKey, KEY_WOW64_32KEY, L"Version", REG_BINARY, path.data(),
                                     static_cast<DWORD>(path.size() * sizeof(wchar_t))));
    std::wstring version;
    EXPECT_TRUE(ReadVersionFile(KEY_WOW64_32KEY, version));
    EXPECT_EQ(L"2.5", version);
}

constexpr DWORD kWhole = 0xFFFFFFFF;

struct OriginalCase {
    const char* name;
    DWORD type;
    std::wstring data;  // bytes as wide characters
    DWORD byteCount;    // kWhole: the whole string with its NUL
    std::wstring version;
};

void PrintTo(const OriginalCase& c, std::ostream* os) { *os << c.name; }

class OriginalVersion : public ::testing::TestWithParam<OriginalCase> {};

// Reads on a thread with a small stack of its own: an index taken from the
// size of a value far larger than the buffer then lands outside any stack.
bool ReadOnSmallStack(std::wstring& version)
{
    struct Call {
        std::wstring* version;
        bool result;
    } call{&version, false};
    unique_thread thread(::CreateThread(
        nullptr, 64 * 1024,
        [](void* param) -> DWORD {
            auto* c = static_cast<Call*>(param);
            c->result = ReadOriginalVersion(*c->version);
            return 0;
        },
        &call, STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr));
    if (thread) ::WaitForSingleObject(thread.get(), INFINITE);
    return call.result;
}

TEST_P(OriginalVersion, OnlyProperTextCounts)
{
    SharedInfo info;
    const OriginalCase& c = GetParam();
    const DWORD bytes = c.byteCount != kWhole ? c.byteCount : static_cast<DWORD>((c.data.size() + 1) * sizeof(wchar_t));
    ASSERT_TRUE(SharedInfo::SetValue(kAppRecordKey, KEY_WOW64_64KEY, L"version", c.type, c.data.c_str(), bytes));
    std::wstring version = L"stale";
    EXPECT_EQ(!c.version.empty(), ReadOnSmallStack(version));
    EXPECT_EQ(c.version, version);
}

INSTANTIATE_TEST_SUITE_P(
    Values, OriginalVersion,
    ::testing::Values(OriginalCase{"String", REG_SZ, L"1.0.0.14000", kWhole, L"1.0.0.14000"},
                      OriginalCase{"ExpandString", REG_EXPAND_SZ, L"%VER%", kWhole, L"%VER%"},
                      OriginalCase{"Dword", REG_DWORD, L"\x0001\x0000", 4, L""},
                      OriginalCase{"OddByteCount", REG_SZ, L"1.0", 7, L""},
                      OriginalCase{"Empty", REG_SZ, L"", kWhole, L""},
                      OriginalCase{"NoData", REG_SZ, L"", 0, L""},
                      // Larger than the buffer by far: the query's size must never index it.
                      OriginalCase{"ValueOf32MiB", REG_SZ, std::wstring(32 * 512 * 1024, L'9'), kWhole, L""},
                      OriginalCase{"OneTooLong", REG_SZ, std::wstring(260, L'7'), kWhole, L""},
                      OriginalCase{"LongestThatFits", REG_SZ, std::wstring(259, L'8'), kWhole, std::wstring(259, L'8')}));

// Windows hands back the stored bytes, which the agent refuses; Wine's
// registry query adds the missing terminator itself. Either way nothing
// beyond the stored text is ever read.
TEST(OriginalVersionRecord, UnterminatedStringIsRefusedOrReadExactly)
{
    SharedInfo info;
    const std::wstring text = L"1.0.0.14000";
    ASSERT_TRUE(SharedInfo::SetValue(kAppRecordKey, KEY_WOW64_64KEY, L"version", REG_SZ, text.data(),
                                     static_cast<DWORD>(text.size() * sizeof(wchar_t))));
    std::wstring version = L"stale";
    const bool read = ReadOriginalVersion(version);
    EXPECT_EQ(read ? text : std::wstring(), version);
}

TEST(OriginalVersionRecord, MissingRecordGivesEmpty)
{
    SharedInfo info;
    std::wstring version = L"stale";
    EXPECT_FALSE(ReadOriginalVersion(version));
    EXPECT_TRUE(version.empty());
}

TEST(OriginalVersionRecord, RecordInTheThirtyTwoBitViewIsNotTheAgents)
{
    SharedInfo info;
    ASSERT_TRUE(SharedInfo::SetString(kAppRecordKey, KEY_WOW64_32KEY, L"version", L"1.0"));
    std::wstring version;
    EXPECT_FALSE(ReadOriginalVersion(version));
}

}  // namespace
