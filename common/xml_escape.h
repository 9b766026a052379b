#pragma once
// Text as XML character data, in element text or in a quoted attribute:
// & < > " ' as entities; tab, line feed and carriage return as character
// references, so that a parser's line-end and white-space handling keeps
// them. Other control characters cannot be held by XML 1.0 at all and are
// passed through: a reader refuses such a document.
#include <string>
#include <string_view>

namespace tapdeck {

std::wstring EscapeXml(std::wstring_view text);

}  // namespace tapdeck
