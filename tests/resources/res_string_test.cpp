// Texts come from the language file of the user's UI language, block by
// block, with English standing in for whatever that language lacks.
#include <gtest/gtest.h>

#include <string>

#include "res_string.h"

using namespace tapdeck;

namespace {

bool GermanUser() { return PRIMARYLANGID(::GetUserDefaultUILanguage()) == LANG_GERMAN; }

struct Expected {
    UINT id;
    const wchar_t* english;
    const wchar_t* german;  // null: the block is not in the German file
};

class StringLoadingPresent : public ::testing::TestWithParam<Expected> {};

TEST_P(StringLoadingPresent, ComesFromTheUsersLanguageFile)
{
    const Expected& expected = GetParam();
    std::wstring text = L"before";
    ASSERT_TRUE(LoadResString(text, expected.id));
    EXPECT_EQ(GermanUser() && expected.german ? expected.german : expected.english, text);
}

INSTANTIATE_TEST_SUITE_P(Entries, StringLoadingPresent,
                         ::testing::Values(Expected{16, L"First of the block", L"Erster im Block"},
                                           Expected{31, L"Last of the block", L"Letzter im Block"},
                                           // German has no block 3: the English file decides.
                                           Expected{33, L"Only in English", nullptr},
                                           Expected{64, L"0,0,200,100", nullptr}));

class StringLoadingAbsent : public ::testing::TestWithParam<UINT> {};

TEST_P(StringLoadingAbsent, FailsAndLeavesTheTargetAlone)
{
    std::wstring text = L"unchanged";
    EXPECT_FALSE(LoadResString(text, GetParam()));
    EXPECT_EQ(L"unchanged", text);
}

INSTANTIATE_TEST_SUITE_P(Entries, StringLoadingAbsent,
                         ::testing::Values(17u,       // empty entry
                                           18u,       // absent entry in a block that exists
                                           48u,       // block in no file
                                           32u,       // absent entry in the English-only block
                                           0x10010u,  // beyond the 16-bit ids
                                           0xFFFFu));

TEST(StringLoading, RepeatedLoadsGiveTheSameText)
{
    std::wstring first;
    std::wstring second;
    ASSERT_TRUE(LoadResString(first, 31));
    ASSERT_TRUE(LoadResString(second, 31));
    EXPECT_EQ(first, second);
}

// Blocks as the resource compiler lays them out: 16 counted entries.
std::vector<WCHAR> Block(std::initializer_list<std::wstring> entries)
{
    std::vector<WCHAR> block;
    for (const std::wstring& entry : entries) {
        block.push_back(static_cast<WCHAR>(entry.size()));
        block.insert(block.end(), entry.begin(), entry.end());
    }
    return block;
}

TEST(StringTableEntry, WalksToThePositionOfTheId)
{
    auto block = Block({L"zero", L"", L"two", L"", L"", L"", L"", L"", L"", L"", L"", L"", L"", L"", L"", L"fifteen"});
    const DWORD bytes = static_cast<DWORD>(block.size() * sizeof(WCHAR));
    EXPECT_EQ(L"zero", StringTableEntry(block.data(), bytes, 32));
    EXPECT_EQ(L"", StringTableEntry(block.data(), bytes, 33));
    EXPECT_EQ(L"two", StringTableEntry(block.data(), bytes, 34));
    EXPECT_EQ(L"fifteen", StringTableEntry(block.data(), bytes, 47));
}

TEST(StringTableEntry, BlockThatEndsEarlyGivesNothing)
{
    auto block = Block({L"zero", L"one"});
    const DWORD bytes = static_cast<DWORD>(block.size() * sizeof(WCHAR));
    EXPECT_EQ(L"one", StringTableEntry(block.data(), bytes, 1));
    EXPECT_EQ(L"", StringTableEntry(block.data(), bytes, 2));
    EXPECT_EQ(L"", StringTableEntry(block.data(), bytes, 15));
}

TEST(StringTableEntry, CountReachingPastTheBlockGivesNothing)
{
    std::vector<WCHAR> block{4, L'a', L'b', L'c', L'd', 200, L'x'};
    const DWORD bytes = static_cast<DWORD>(block.size() * sizeof(WCHAR));
    EXPECT_EQ(L"abcd", StringTableEntry(block.data(), bytes, 0));
    EXPECT_EQ(L"", StringTableEntry(block.data(), bytes, 1));
    // An odd byte count leaves the last half character out.
    EXPECT_EQ(L"", StringTableEntry(block.data(), 3, 0));
    EXPECT_EQ(L"", StringTableEntry(nullptr, 0, 0));
}

}  // namespace
