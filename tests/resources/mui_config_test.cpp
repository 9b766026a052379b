// The resource configurations the build step writes, read back field by field.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "mui_config_reader.h"
#include "unique_handle.h"

using namespace tapdeck;
using namespace tapdeck::test;

namespace {

std::wstring SatellitePath(const wchar_t* language)
{
    wchar_t path[MAX_PATH];
    const DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring program(path, length);
    const size_t slash = program.find_last_of(L'\\');
    return program.substr(0, slash + 1) + language + L'\\' + program.substr(slash + 1) + L".mui";
}

unique_hmodule LoadAsData(const std::wstring& path)
{
    return unique_hmodule(::LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
}

void ExpectWellFormed(const MuiConfig& config)
{
    EXPECT_EQ(0xFECDFECDu, config.signature);
    EXPECT_EQ(0x00010000u, config.version);
    EXPECT_EQ(config.bytes.size(), config.size);
    EXPECT_EQ(0u, config.size % 8);
    // Items follow the header in order, each on an 8-byte boundary and
    // inside the block.
    uint32_t next = 136;
    for (const MuiConfig::Item* item : {&config.mainTypeNames, &config.mainTypeIds, &config.muiTypeNames,
                                        &config.muiTypeIds, &config.language, &config.fallbackLanguage}) {
        if (item->size == 0) {
            EXPECT_EQ(0u, item->offset);
            continue;
        }
        EXPECT_EQ(next, item->offset);
        EXPECT_EQ(0u, item->offset % 8);
        EXPECT_LE(item->offset + item->size, config.size);
        next = (item->offset + item->size + 7) / 8 * 8;
    }
    EXPECT_EQ(next, config.size);
}

}  // namespace

TEST(MuiConfig, ProgramKeepsIconsVersionAndManifestAndSendsStringsToItsLanguageFiles)
{
    const auto config = ReadMuiConfig(::GetModuleHandleW(nullptr));
    ASSERT_TRUE(config);
    ExpectWellFormed(*config);
    EXPECT_EQ(0x11u, config->fileType);
    EXPECT_EQ(2u, config->fallbackLocation);  // the fallback language lives in a language file
    EXPECT_EQ(0u, config->pathType);
    EXPECT_EQ(0u, config->systemAttributes);
    EXPECT_EQ((std::vector<std::wstring>{L"MUI"}), config->Names(config->mainTypeNames));
    EXPECT_EQ((std::vector<uint32_t>{3, 14, 16, 24}), config->Ids(config->mainTypeIds));
    EXPECT_TRUE(config->Names(config->muiTypeNames).empty());
    EXPECT_EQ((std::vector<uint32_t>{6}), config->Ids(config->muiTypeIds));
    EXPECT_EQ(0u, config->language.size);
    EXPECT_EQ((std::vector<std::wstring>{L"en-US"}), config->Names(config->fallbackLanguage));
    EXPECT_EQ(12u, config->fallbackLanguage.size);
}

class MuiLanguageFile : public ::testing::TestWithParam<const wchar_t*> {};

TEST_P(MuiLanguageFile, NamesItsLanguageAndMatchesTheProgramsChecksum)
{
    unique_hmodule satellite = LoadAsData(SatellitePath(GetParam()));
    ASSERT_TRUE(satellite);
    const auto config = ReadMuiConfig(satellite.get());
    const auto program = ReadMuiConfig(::GetModuleHandleW(nullptr));
    ASSERT_TRUE(config);
    ASSERT_TRUE(program);
    ExpectWellFormed(*config);
    EXPECT_EQ(0x10u, config->fileType);
    EXPECT_EQ(0u, config->fallbackLocation);
    EXPECT_EQ(0u, config->mainTypeIds.size);
    EXPECT_EQ((std::vector<uint32_t>{6}), config->Ids(config->muiTypeIds));
    EXPECT_EQ((std::vector<std::wstring>{GetParam()}), config->Names(config->language));
    EXPECT_EQ(0u, config->fallbackLanguage.size);
    EXPECT_EQ(0, std::memcmp(program->checksum, config->checksum, 16));
    EXPECT_EQ(0, std::memcmp(program->serviceChecksum, config->serviceChecksum, 16));
}

INSTANTIATE_TEST_SUITE_P(Languages, MuiLanguageFile, ::testing::Values(L"en-US", L"de-DE"));

TEST(MuiConfig, ProgramHoldsNoStringTables)
{
    EXPECT_EQ(nullptr, ::FindResourceW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(2), RT_STRING));
}
