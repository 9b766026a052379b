#pragma once
// A string of an installed program in each of its languages, read from its
// language files as the program reads them.
#include <windows.h>
#include <string>
#include <vector>

#include "support/process.h"

namespace tapdeck::test {

inline std::vector<std::wstring> InstalledTexts(const wchar_t* program, UINT id)
{
    std::vector<std::wstring> texts;
    for (const wchar_t* language : {L"en-US", L"de-DE", L"ja-JP"}) {
        const std::wstring path = InstalledPath((std::wstring(language) + L"\\" + program + L".mui").c_str());
        const HMODULE module =
            ::LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        if (!module) continue;
        const wchar_t* text = nullptr;
        const int length = ::LoadStringW(module, id, reinterpret_cast<LPWSTR>(&text), 0);
        if (length > 0) texts.emplace_back(text, static_cast<size_t>(length));
        ::FreeLibrary(module);
    }
    return texts;
}

}  // namespace tapdeck::test
