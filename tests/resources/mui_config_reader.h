#pragma once
// Reads a "MUI" resource configuration back, field by field, so that tests
// can check what the build step wrote.
#include <windows.h>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace tapdeck::test {

struct MuiConfig {
    uint32_t signature = 0;
    uint32_t size = 0;
    uint32_t version = 0;
    uint32_t pathType = 0;
    uint32_t fileType = 0;
    uint32_t systemAttributes = 0;
    uint32_t fallbackLocation = 0;
    uint8_t serviceChecksum[16] = {};
    uint8_t checksum[16] = {};
    struct Item {
        uint32_t offset = 0;
        uint32_t size = 0;
    };
    Item mainTypeNames, mainTypeIds, muiTypeNames, muiTypeIds, language, fallbackLanguage;
    std::vector<uint8_t> bytes;

    std::vector<uint32_t> Ids(const Item& item) const
    {
        std::vector<uint32_t> ids(item.size / 4);
        if (!ids.empty()) std::memcpy(ids.data(), bytes.data() + item.offset, ids.size() * 4);
        return ids;
    }
    // The names of a NUL-separated list (one name for a single string).
    std::vector<std::wstring> Names(const Item& item) const
    {
        std::vector<std::wstring> names;
        std::wstring text(item.size / 2, L'\0');
        if (!text.empty()) std::memcpy(text.data(), bytes.data() + item.offset, text.size() * 2);
        for (size_t pos = 0; pos < text.size() && text[pos] != L'\0';) {
            const size_t end = text.find(L'\0', pos);
            names.push_back(text.substr(pos, end - pos));
            pos = end == std::wstring::npos ? text.size() : end + 1;
        }
        return names;
    }
};

inline uint32_t ReadU32(const std::vector<uint8_t>& bytes, size_t offset)
{
    uint32_t value = 0;
    std::memcpy(&value, bytes.data() + offset, 4);
    return value;
}

inline std::optional<MuiConfig> ParseMuiConfig(const void* data, DWORD size)
{
    if (!data || size < 136) return std::nullopt;
    MuiConfig config;
    config.bytes.assign(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + size);
    const auto& b = config.bytes;
    config.signature = ReadU32(b, 0);
    config.size = ReadU32(b, 4);
    config.version = ReadU32(b, 8);
    config.pathType = ReadU32(b, 12);
    config.fileType = ReadU32(b, 16);
    config.systemAttributes = ReadU32(b, 20);
    config.fallbackLocation = ReadU32(b, 24);
    std::memcpy(config.serviceChecksum, b.data() + 28, 16);
    std::memcpy(config.checksum, b.data() + 44, 16);
    MuiConfig::Item* items[] = {&config.mainTypeNames, &config.mainTypeIds, &config.muiTypeNames,
                                &config.muiTypeIds, &config.language, &config.fallbackLanguage};
    for (size_t i = 0; i < 6; ++i) {
        items[i]->offset = ReadU32(b, 84 + i * 8);
        items[i]->size = ReadU32(b, 88 + i * 8);
    }
    return config;
}

// The configuration resource ("MUI", 1) of a module.
inline std::optional<MuiConfig> ReadMuiConfig(HMODULE module)
{
    HRSRC info = ::FindResourceW(module, MAKEINTRESOURCEW(1), L"MUI");
    if (!info) return std::nullopt;
    HGLOBAL data = ::LoadResource(module, info);
    if (!data) return std::nullopt;
    return ParseMuiConfig(::LockResource(data), ::SizeofResource(module, info));
}

}  // namespace tapdeck::test
