// The version record of the installed agent, as Explorer and the agent's
// own fallback read it.
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "support/process.h"

using namespace tapdeck::test;

namespace {

std::wstring StringValue(const std::vector<BYTE>& block, WORD language, WORD codePage, const wchar_t* name)
{
    wchar_t subBlock[96];
    swprintf(subBlock, 96, L"\\StringFileInfo\\%04x%04x\\%ls", language, codePage, name);
    wchar_t* value = nullptr;
    UINT chars = 0;
    if (!::VerQueryValueW(block.data(), subBlock, reinterpret_cast<void**>(&value), &chars) || !value) return L"(none)";
    return value;
}

TEST(AgentVersionRecord, CarriesTheProductFieldsInUsEnglishUnicode)
{
    const std::wstring path = InstalledPath(L"Tapdeck.exe");
    DWORD handle = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &handle);
    ASSERT_NE(0u, size);
    std::vector<BYTE> block(size);
    ASSERT_TRUE(::GetFileVersionInfoW(path.c_str(), 0, size, block.data()));

    struct Translation {
        WORD language;
        WORD codePage;
    }* translation = nullptr;
    UINT bytes = 0;
    ASSERT_TRUE(::VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &bytes));
    ASSERT_GE(bytes, sizeof(Translation));
    EXPECT_EQ(0x0409, translation->language);
    EXPECT_EQ(1200, translation->codePage);

    const WORD language = translation->language, codePage = translation->codePage;
    EXPECT_EQ(L"1.0.0.14100", StringValue(block, language, codePage, L"FileVersion"));
    EXPECT_EQ(L"1.0.0.14100", StringValue(block, language, codePage, L"ProductVersion"));
    EXPECT_EQ(L"Tapdeck", StringValue(block, language, codePage, L"ProductName"));
    EXPECT_EQ(L"Vexa Corporation", StringValue(block, language, codePage, L"CompanyName"));
    EXPECT_EQ(L"Tapdeck", StringValue(block, language, codePage, L"FileDescription"));
    EXPECT_EQ(L"Tapdeck.exe", StringValue(block, language, codePage, L"InternalName"));
    EXPECT_EQ(L"Tapdeck.exe", StringValue(block, language, codePage, L"OriginalFilename"));

    VS_FIXEDFILEINFO* fixed = nullptr;
    ASSERT_TRUE(::VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &bytes));
    EXPECT_EQ(MAKELONG(0, 1), fixed->dwFileVersionMS);
    EXPECT_EQ(MAKELONG(14100, 0), fixed->dwFileVersionLS);
    EXPECT_EQ(MAKELONG(0, 1), fixed->dwProductVersionMS);
    EXPECT_EQ(MAKELONG(14100, 0), fixed->dwProductVersionLS);
}

TEST(DeliverableVersionRecords, SayWhetherTheFileIsAProgramOrALibrary)
{
    const struct {
        const wchar_t* file;
        DWORD type;
    } deliverables[] = {{L"Tapdeck.exe", VFT_APP}, {L"Pairwell.exe", VFT_APP}, {L"Dropwatch.dll", VFT_DLL}};
    for (const auto& d : deliverables) {
        SCOPED_TRACE(testing::Message() << d.file);
        const std::wstring path = InstalledPath(d.file);
        DWORD handle = 0;
        const DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &handle);
        ASSERT_NE(0u, size);
        std::vector<BYTE> block(size);
        ASSERT_TRUE(::GetFileVersionInfoW(path.c_str(), 0, size, block.data()));
        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT bytes = 0;
        ASSERT_TRUE(::VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &bytes));
        EXPECT_EQ(d.type, fixed->dwFileType);
        EXPECT_EQ(static_cast<DWORD>(VOS_NT_WINDOWS32), fixed->dwFileOS);
    }
}

}  // namespace
