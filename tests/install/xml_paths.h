#pragma once
// Reads a small XML document into "Root/Child/Leaf" -> text pairs, and
// "Root/Child@attribute" -> value, in document order: enough to check what a
// stand-in recorded without trusting the writer's layout.
#include <cwchar>
#include <string>
#include <utility>
#include <vector>

#include "xml_text.h"

namespace tapdeck::test {

using XmlPaths = std::vector<std::pair<std::wstring, std::wstring>>;

using sim::XmlUnescape;

// False when the document is not well formed as far as this reader looks.
inline bool ReadXmlPaths(const std::wstring& xml, XmlPaths& paths)
{
    paths.clear();
    std::vector<std::wstring> stack;
    std::wstring text;
    size_t i = 0;
    auto path = [&] {
        std::wstring p;
        for (const auto& name : stack) p += (p.empty() ? L"" : L"/") + name;
        return p;
    };
    while (i < xml.size()) {
        if (xml[i] != L'<') {
            text += xml[i++];
            continue;
        }
        const size_t close = xml.find(L'>', i);
        if (close == std::wstring::npos) return false;
        std::wstring tag = xml.substr(i + 1, close - i - 1);
        i = close + 1;
        if (tag.empty() || tag[0] == L'?' || tag[0] == L'!') continue;
        if (tag[0] == L'/') {
            if (stack.empty() || stack.back() != tag.substr(1)) return false;
            const size_t first = text.find_first_not_of(L" \t\r\n");
            if (first != std::wstring::npos)
                paths.emplace_back(path(), XmlUnescape(text.substr(first, text.find_last_not_of(L" \t\r\n") - first + 1)));
            text.clear();
            stack.pop_back();
            continue;
        }
        const bool empty = tag.back() == L'/';
        if (empty) tag.pop_back();
        const size_t nameEnd = tag.find_first_of(L" \t\r\n");
        stack.push_back(tag.substr(0, nameEnd));
        text.clear();
        for (size_t a = nameEnd; a != std::wstring::npos && a < tag.size();) {
            const size_t nameStart = tag.find_first_not_of(L" \t\r\n", a);
            if (nameStart == std::wstring::npos) break;
            const size_t eq = tag.find(L'=', nameStart);
            if (eq == std::wstring::npos || eq + 1 >= tag.size()) return false;
            const wchar_t quote = tag[eq + 1];
            const size_t valueEnd = tag.find(quote, eq + 2);
            if (valueEnd == std::wstring::npos) return false;
            paths.emplace_back(path() + L"@" + tag.substr(nameStart, eq - nameStart),
                               XmlUnescape(tag.substr(eq + 2, valueEnd - eq - 2)));
            a = valueEnd + 1;
        }
        if (empty) stack.pop_back();
    }
    return stack.empty();
}

// The values recorded at one path, in order.
inline std::vector<std::wstring> ValuesAt(const XmlPaths& paths, const std::wstring& path)
{
    std::vector<std::wstring> values;
    for (const auto& [p, v] : paths)
        if (p == path) values.push_back(v);
    return values;
}

}  // namespace tapdeck::test
