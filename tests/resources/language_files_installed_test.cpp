// The installed language files: every text and layout in every language,
// layouts that fit their windows, and the resource configurations.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "mui_config_reader.h"
#include "layout.h"
#include "res_string.h"
#include "support/process.h"
#include "unique_handle.h"

using namespace tapdeck;
using namespace tapdeck::test;

namespace {

unique_hmodule LoadAsData(const std::wstring& path)
{
    return unique_hmodule(
        ::LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
}

std::wstring Entry(HMODULE module, UINT id)
{
    HRSRC info = ::FindResourceW(module, MAKEINTRESOURCEW(id / 16 + 1), RT_STRING);
    if (!info) return {};
    HGLOBAL data = ::LoadResource(module, info);
    if (!data) return {};
    return std::wstring(StringTableEntry(::LockResource(data), ::SizeofResource(module, info), id));
}

// A window layout and the layouts of the controls placed in it.
struct Dialog {
    UINT window;
    std::vector<UINT> controls;
};

struct Program {
    const wchar_t* file;
    std::vector<UINT> texts;
    std::vector<Dialog> dialogs;
};

const Program kAgent{L"Tapdeck.exe",
                     {132, 133, 134, 138, 139, 140, 146},
                     {{135, {136, 137}}, {141, {142, 143, 144, 145}}}};
const Program kPairwell{L"Pairwell.exe",
                        {505, 507, 508, 509, 520, 521, 525, 526, 527, 528, 534, 535},
                        {{514, {515, 516}}, {517, {518, 519}}, {522, {523, 524}}, {529, {530, 531, 532, 533}}}};

struct LanguageCase {
    const Program* program;
    const wchar_t* language;
};

class InstalledLanguageFile : public ::testing::TestWithParam<LanguageCase> {
protected:
    void SetUp() override
    {
        const std::wstring path =
            InstalledPath(GetParam().language) + L"\\" + GetParam().program->file + L".mui";
        file_ = LoadAsData(path);
        ASSERT_TRUE(file_) << "no file " << std::string(path.begin(), path.end());
    }
    unique_hmodule file_;
};

TEST_P(InstalledLanguageFile, HoldsEveryText)
{
    for (UINT id : GetParam().program->texts) EXPECT_FALSE(Entry(file_.get(), id).empty()) << "string " << id;
}

TEST_P(InstalledLanguageFile, LayoutsHaveFourNumbersAndFitTheirWindows)
{
    for (const Dialog& dialog : GetParam().program->dialogs) {
        const std::wstring windowText = Entry(file_.get(), dialog.window);
        ASSERT_FALSE(windowText.empty()) << "layout " << dialog.window;
        const Layout window = ParseLayout(windowText);
        EXPECT_GT(window.w, 0) << dialog.window;
        EXPECT_GT(window.h, 0) << dialog.window;
        std::vector<RECT> placed;
        for (UINT id : dialog.controls) {
            const std::wstring text = Entry(file_.get(), id);
            ASSERT_FALSE(text.empty()) << "layout " << id;
            const Layout control = ParseLayout(text);
            EXPECT_GT(control.w, 0) << id;
            EXPECT_GT(control.h, 0) << id;
            EXPECT_GE(control.x, 0) << id;
            EXPECT_GE(control.y, 0) << id;
            EXPECT_LE(control.x + control.w, window.w) << "control " << id << " leaves window " << dialog.window;
            EXPECT_LE(control.y + control.h, window.h) << "control " << id << " leaves window " << dialog.window;
            const RECT rect{control.x, control.y, control.x + control.w, control.y + control.h};
            for (const RECT& other : placed) {
                RECT overlap;
                EXPECT_FALSE(::IntersectRect(&overlap, &rect, &other)) << "control " << id << " overlaps another";
            }
            placed.push_back(rect);
        }
    }
}

TEST_P(InstalledLanguageFile, ConfigurationNamesItsLanguage)
{
    const auto config = ReadMuiConfig(file_.get());
    ASSERT_TRUE(config);
    EXPECT_EQ(0xFECDFECDu, config->signature);
    EXPECT_EQ(0x10u, config->fileType);
    EXPECT_EQ((std::vector<std::wstring>{GetParam().language}), config->Names(config->language));
}

INSTANTIATE_TEST_SUITE_P(Files, InstalledLanguageFile,
                         ::testing::Values(LanguageCase{&kAgent, L"en-US"}, LanguageCase{&kAgent, L"de-DE"},
                                           LanguageCase{&kAgent, L"ja-JP"}, LanguageCase{&kPairwell, L"en-US"},
                                           LanguageCase{&kPairwell, L"de-DE"},
                                           LanguageCase{&kPairwell, L"ja-JP"}));

TEST(InstalledAgent, CarriesItsConfigurationAndNoStringTables)
{
    unique_hmodule program = LoadAsData(InstalledPath(L"Tapdeck.exe"));
    ASSERT_TRUE(program);
    const auto config = ReadMuiConfig(program.get());
    ASSERT_TRUE(config);
    EXPECT_EQ(0x11u, config->fileType);
    EXPECT_EQ((std::vector<std::wstring>{L"en-US"}), config->Names(config->fallbackLanguage));
    for (UINT block = 1; block <= 4096; ++block)
        ASSERT_EQ(nullptr, ::FindResourceW(program.get(), MAKEINTRESOURCEW(block), RT_STRING)) << block;
    // The icon and the version record stay in the program.
    EXPECT_TRUE(::FindResourceW(program.get(), MAKEINTRESOURCEW(131), RT_GROUP_ICON));
    EXPECT_TRUE(::FindResourceW(program.get(), MAKEINTRESOURCEW(1), RT_VERSION));
}

}  // namespace
