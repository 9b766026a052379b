// Whether the companion's package family counts as installed, over a given
// package query: the branch Wine cannot reach (it lacks the query).
#include <gtest/gtest.h>

#include <string>

#include "companion_app.h"

namespace tapdeck {
namespace {

struct QueryCall {
    int calls = 0;
    std::wstring name;
    UINT32 count = 99;
    UINT32 bufferLength = 99;
    bool buffersNull = false;
};

LONG g_answer = ERROR_SUCCESS;
QueryCall g_call;

LONG WINAPI FakeQuery(PCWSTR name, UINT32* count, PWSTR* fullNames, UINT32* bufferLength, WCHAR* buffer)
{
    ++g_call.calls;
    g_call.name = name ? name : L"(null)";
    g_call.count = count ? *count : 99;
    g_call.bufferLength = bufferLength ? *bufferLength : 99;
    g_call.buffersNull = !fullNames && !buffer;
    return g_answer;
}

struct AnswerCase {
    const char* name;
    LONG answer;
    bool installed;
};

class PackageQueryAnswer : public ::testing::TestWithParam<AnswerCase> {};

TEST_P(PackageQueryAnswer, DecidesInstalled)
{
    g_answer = GetParam().answer;
    g_call = {};
    EXPECT_EQ(IsPackageFamilyInstalledWith(FakeQuery, L"Vexa.Kox_r7tq3m9xk2b4e"), GetParam().installed);
    EXPECT_EQ(g_call.calls, 1);
    EXPECT_EQ(g_call.name, L"Vexa.Kox_r7tq3m9xk2b4e");
    EXPECT_EQ(g_call.count, 0u);
    EXPECT_EQ(g_call.bufferLength, 0u);
    EXPECT_TRUE(g_call.buffersNull);
}

INSTANTIATE_TEST_SUITE_P(
    CompanionApp, PackageQueryAnswer,
    ::testing::Values(AnswerCase{"NoPackageOfTheFamily", ERROR_SUCCESS, false},
                      AnswerCase{"SomePackageNeedsRoom", ERROR_INSUFFICIENT_BUFFER, true},
                      AnswerCase{"MalformedNameCountsAsInstalled", ERROR_INVALID_PARAMETER, true},
                      AnswerCase{"AnyOtherFailureCountsAsInstalled", ERROR_ACCESS_DENIED, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PackageQuery, EmptyNameIsNotInstalledWithoutAsking)
{
    g_call = {};
    EXPECT_FALSE(IsPackageFamilyInstalledWith(FakeQuery, L""));
    EXPECT_FALSE(IsPackageFamilyInstalledWith(FakeQuery, nullptr));
    EXPECT_FALSE(IsPackageFamilyInstalled(L""));
    EXPECT_FALSE(IsPackageFamilyInstalled(nullptr));
    EXPECT_EQ(g_call.calls, 0);
}

TEST(PackageQuery, MissingQueryCountsAsInstalled)
{
    EXPECT_TRUE(IsPackageFamilyInstalledWith(nullptr, L"Vexa.Kox_r7tq3m9xk2b4e"));
}

// Under Wine kernel32 has no package query: the shipping lookup must cope.
TEST(PackageQuery, SystemWithoutTheQueryReportsInstalled)
{
    if (::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "GetPackagesByPackageFamily"))
        GTEST_SKIP() << "this system has the package query";
    EXPECT_TRUE(IsPackageFamilyInstalled(L"Vexa.Kox_r7tq3m9xk2b4e"));
}

}  // namespace
}  // namespace tapdeck
