// The photo editor lookup: installed or not, and which version is chosen.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "photoeditor_record.h"
#include "photoshop_elements.h"
#include "unique_handle.h"

using namespace tapdeck;

namespace {

struct CompareCase {
    const wchar_t* left;
    const wchar_t* right;
    int sign;
};

class VersionCompare : public ::testing::TestWithParam<CompareCase> {};

TEST_P(VersionCompare, OrdersByNumericComponents)
{
    const int result = PhotoshopElements::CompareVersions(GetParam().left, GetParam().right);
    EXPECT_EQ(GetParam().sign, (result > 0) - (result < 0));
    const int reverse = PhotoshopElements::CompareVersions(GetParam().right, GetParam().left);
    EXPECT_EQ(-GetParam().sign, (reverse > 0) - (reverse < 0));
}

INSTANTIATE_TEST_SUITE_P(Pairs, VersionCompare,
                         ::testing::Values(CompareCase{L"10.0", L"11.0", -1}, CompareCase{L"9.0", L"10.0", -1},
                                           CompareCase{L"11.0", L"11.0.1", -1}, CompareCase{L"11.0", L"11.0", 0},
                                           CompareCase{L"11", L"1.0", -1}, CompareCase{L"11", L"9", 0},
                                           CompareCase{L"x.1", L"0.1", 0}, CompareCase{L"11.0a", L"11.0", 0},
                                           CompareCase{L"11.", L"11.0", 0}, CompareCase{L"2.10", L"2.9", 1}));

// A registry root of its own, so that the machine's editor registration
// stays untouched.
class PhotoshopLookup : public ::testing::Test {
protected:
    PhotoshopLookup()
    {
        path_ = L"Software\\TapdeckTest\\Photoshop-" + std::to_wstring(::GetCurrentProcessId());
        ::RegCreateKeyExW(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, root_.put(),
                          nullptr);
    }
    ~PhotoshopLookup() override
    {
        root_.reset();
        ::RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
    }

    std::wstring path_;
    unique_hkey root_;
};

struct ChoiceCase {
    std::vector<std::wstring> installed;
    std::wstring chosen;
};

class PhotoshopVersionChoice : public PhotoshopLookup, public ::testing::WithParamInterface<ChoiceCase> {};

TEST_P(PhotoshopVersionChoice, GreatestVersionWins)
{
    ASSERT_TRUE(sim::RegisterEditor(GetParam().installed, root_.get()));
    PhotoshopElements photoshop(root_.get());
    std::wstring version = L"stale";
    EXPECT_EQ(!GetParam().installed.empty(), photoshop.IsPhotoshopInstalled());
    EXPECT_EQ(!GetParam().installed.empty(), photoshop.GetPhotoshopVersion(version));
    EXPECT_EQ(GetParam().installed.empty() ? L"stale" : GetParam().chosen, version);
}

INSTANTIATE_TEST_SUITE_P(Registrations, PhotoshopVersionChoice,
                         ::testing::Values(ChoiceCase{{}, L""}, ChoiceCase{{L"11.0"}, L"11.0"},
                                           ChoiceCase{{L"9.0", L"10.0", L"11.0"}, L"11.0"},
                                           ChoiceCase{{L"11.0", L"11.0.1"}, L"11.0.1"},
                                           ChoiceCase{{L"11.0.1", L"9.0", L"10.0", L"11.0"}, L"11.0.1"},
                                           ChoiceCase{{L"12", L"9.0"}, L"9.0"}));

TEST_F(PhotoshopLookup, KeyWithoutVersionsIsInstalledWithAnEmptyVersion)
{
    unique_hkey product;
    ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExW(root_.get(), L"Software\\Wow6432Node\\Adobe\\Photoshop Elements", 0,
                                               nullptr, 0, KEY_ALL_ACCESS, nullptr, product.put(), nullptr));
    PhotoshopElements photoshop(root_.get());
    std::wstring version = L"stale";
    EXPECT_TRUE(photoshop.IsPhotoshopInstalled());
    EXPECT_TRUE(photoshop.GetPhotoshopVersion(version));
    EXPECT_EQ(L"", version);
    EXPECT_FALSE(photoshop.LaunchPhotoshop(L"a.jpg")) << "no ApplicationPath to start";
}

TEST_F(PhotoshopLookup, NotInstalledStartsNothing)
{
    PhotoshopElements photoshop(root_.get());
    EXPECT_FALSE(photoshop.LaunchPhotoshop(L"a.jpg"));
}

}  // namespace
