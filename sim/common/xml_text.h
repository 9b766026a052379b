#pragma once
// The text of XML that a stand-in wrote itself, or that a test reads back:
// the five predefined entities, and the references that the product's
// escaping writes for tab and line ends, replaced by their characters.
#include <cwchar>
#include <string>
#include <utility>

namespace tapdeck::sim {

inline std::wstring XmlUnescape(const std::wstring& text)
{
    static const std::pair<const wchar_t*, wchar_t> entities[] = {
        {L"&amp;", L'&'}, {L"&lt;", L'<'}, {L"&gt;", L'>'}, {L"&quot;", L'"'}, {L"&apos;", L'\''},
        {L"&#9;", L'\t'},  {L"&#10;", L'\n'}, {L"&#13;", L'\r'}};
    std::wstring out;
    for (size_t i = 0; i < text.size();) {
        bool matched = false;
        for (const auto& [name, c] : entities) {
            if (text.compare(i, std::wcslen(name), name) == 0) {
                out += c;
                i += std::wcslen(name);
                matched = true;
                break;
            }
        }
        if (!matched) out += text[i++];
    }
    return out;
}

}  // namespace tapdeck::sim
