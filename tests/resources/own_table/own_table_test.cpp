// A program whose own module answers the neutral lookup: its block wins
// over the language file, entry by entry, and a block it lacks still comes
// from the language file.
#include <gtest/gtest.h>

#include <string>

#include "res_string.h"

using namespace tapdeck;

namespace {

TEST(StringLoadingFromTheProgram, NeutralBlockOfTheProgramComesFirst)
{
    std::wstring text;
    ASSERT_TRUE(LoadResString(text, 16));
    EXPECT_EQ(L"From the program itself", text);
}

TEST(StringLoadingFromTheProgram, EntryMissingInTheProgramsBlockIsMissing)
{
    // The block that was found decides: the language file's id 31, in the
    // same block, is not consulted.
    std::wstring text = L"unchanged";
    EXPECT_FALSE(LoadResString(text, 31));
    EXPECT_EQ(L"unchanged", text);
}

TEST(StringLoadingFromTheProgram, BlockTheProgramLacksComesFromTheLanguageFile)
{
    std::wstring text;
    ASSERT_TRUE(LoadResString(text, 33));
    EXPECT_EQ(L"Only in English", text);
}

}  // namespace
