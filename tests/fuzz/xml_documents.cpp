#include "xml_documents.h"

#include <windows.h>

#include "mutator.h"
#include "utf8.h"

namespace tapdeck::fuzz {
namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\n'; }

bool AllBlank(const std::wstring& text)
{
    for (wchar_t c : text) {
        if (!IsBlank(c)) return false;
    }
    return true;
}

std::wstring EscapeText(const std::wstring& text, Random& random)
{
    std::wstring out;
    for (wchar_t c : text) {
        if (c == L'&') out += L"&amp;";
        else if (c == L'<') out += L"&lt;";
        else if (c == L'>') out += L"&gt;";
        // A character reference now and then; never for white space,
        // which some readers turn into blanks.
        else if (c > 0x7F && c < 0xD800 && random.OneIn(8)) {
            wchar_t reference[16];
            swprintf_s(reference, L"&#x%X;", static_cast<unsigned>(c));
            out += reference;
        }
        else out += c;
    }
    return out;
}

// White space stays literal, unlike the product's escaping: the readers'
// attribute-value normalisation is part of what is fuzzed.
std::wstring EscapeAttribute(const std::wstring& text)
{
    std::wstring out;
    for (wchar_t c : text) {
        if (c == L'&') out += L"&amp;";
        else if (c == L'<') out += L"&lt;";
        else if (c == L'"') out += L"&quot;";
        else out += c;
    }
    return out;
}

std::wstring QualifiedName(const XmlNode& node)
{
    return node.prefix.empty() ? node.name : node.prefix + L":" + node.name;
}

std::wstring StartTag(const XmlNode& node, bool root)
{
    std::wstring tag = L"<" + QualifiedName(node);
    // Every prefix the documents use is declared on the root.
    if (root) tag += L" xmlns:p=\"urn:p\" xmlns:q=\"urn:q\"";
    for (const auto& [name, value] : node.attributes) tag += L" " + name + L"=\"" + EscapeAttribute(value) + L"\"";
    return tag + (node.kind == XmlNode::Kind::Empty ? L"/>" : L">");
}

std::wstring Misc(Random& random)
{
    switch (random.Below(4)) {
    case 0: return L"\n";
    case 1: return L"<!-- " + std::to_wstring(random.Below(1000)) + L" -->";
    case 2: return L"<?tapdeck note?>";
    default: return L"";
    }
}

}  // namespace

bool UnderWine() { return ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr; }

std::wstring XmlNode::Attribute(const wchar_t* attribute) const
{
    for (const auto& [name, value] : attributes) {
        if (name == attribute) return value;
    }
    return {};
}

const char* EncodingName(Encoding encoding)
{
    switch (encoding) {
    case Encoding::Utf8: return "UTF-8";
    case Encoding::Utf8Bom: return "UTF-8 with BOM";
    case Encoding::Utf16Le: return "UTF-16 LE";
    case Encoding::Utf16LeBom: return "UTF-16 LE with BOM";
    case Encoding::Utf16Be: return "UTF-16 BE";
    default: return "UTF-16 BE with BOM";
    }
}

std::string Encode(const std::wstring& text, Encoding encoding)
{
    std::string bytes;
    switch (encoding) {
    case Encoding::Utf8Bom: bytes = "\xEF\xBB\xBF"; [[fallthrough]];
    case Encoding::Utf8: return bytes + ToUtf8(text);
    case Encoding::Utf16LeBom: bytes = "\xFF\xFE"; [[fallthrough]];
    case Encoding::Utf16Le:
        for (wchar_t c : text) {
            bytes.push_back(static_cast<char>(c & 0xFF));
            bytes.push_back(static_cast<char>(c >> 8));
        }
        return bytes;
    case Encoding::Utf16BeBom: bytes = "\xFE\xFF"; [[fallthrough]];
    default:
        for (wchar_t c : text) {
            bytes.push_back(static_cast<char>(c >> 8));
            bytes.push_back(static_cast<char>(c & 0xFF));
        }
        return bytes;
    }
}

void XmlBuilder::Open(std::wstring name, std::vector<std::pair<std::wstring, std::wstring>> attributes,
                      std::wstring prefix)
{
    XmlNode node;
    node.kind = XmlNode::Kind::Start;
    node.name = std::move(name);
    node.prefix = std::move(prefix);
    node.attributes = std::move(attributes);
    nodes_.push_back(node);
    open_.push_back(node);
}

void XmlBuilder::Close()
{
    XmlNode node = open_.back();
    open_.pop_back();
    node.kind = XmlNode::Kind::End;
    node.attributes.clear();
    nodes_.push_back(node);
}

void XmlBuilder::Leaf(std::wstring name, std::vector<std::pair<std::wstring, std::wstring>> attributes,
                      std::wstring prefix)
{
    XmlNode node;
    node.kind = XmlNode::Kind::Empty;
    node.name = std::move(name);
    node.prefix = std::move(prefix);
    node.attributes = std::move(attributes);
    nodes_.push_back(node);
}

void XmlBuilder::Add(XmlNode::Kind kind, std::wstring text)
{
    const bool character = kind == XmlNode::Kind::Text || kind == XmlNode::Kind::Whitespace;
    // A reader reports adjacent character data as one node.
    if (character && !nodes_.empty() &&
        (nodes_.back().kind == XmlNode::Kind::Text || nodes_.back().kind == XmlNode::Kind::Whitespace)) {
        nodes_.back().text += text;
        nodes_.back().kind = AllBlank(nodes_.back().text) ? XmlNode::Kind::Whitespace : XmlNode::Kind::Text;
        return;
    }
    XmlNode node;
    node.kind = character ? (AllBlank(text) ? XmlNode::Kind::Whitespace : XmlNode::Kind::Text) : kind;
    node.text = std::move(text);
    nodes_.push_back(std::move(node));
}

void XmlBuilder::Noise(Random& random, int depth)
{
    switch (random.Below(depth > 3 ? 5 : 7)) {
    case 0: Add(XmlNode::Kind::Text, RandomText(random, 24)); break;
    case 1: Add(XmlNode::Kind::Whitespace, random.OneIn(2) ? L"\n  " : L" \t"); break;
    case 2: Add(XmlNode::Kind::Comment, L" note " + std::to_wstring(random.Below(100)) + L" "); break;
    case 3: {
        std::wstring text = L"<cdata & " + RandomText(random, 8) + L">";
        for (size_t at; (at = text.find(L"]]>")) != std::wstring::npos;) text.erase(at, 3);
        Add(XmlNode::Kind::CData, text);
        break;
    }
    case 4: Add(XmlNode::Kind::Pi, L"data"); break;
    case 5: Leaf(L"Other", {{L"name", RandomText(random, 8)}}, random.OneIn(4) ? L"q" : L""); break;
    default: {
        Open(random.OneIn(2) ? L"Group" : L"Item");
        const size_t children = random.Below(4);
        for (size_t i = 0; i < children; ++i) Noise(random, depth + 1);
        Close();
    }
    }
}

XmlDocument Serialise(const std::vector<XmlNode>& nodes, Encoding encoding, bool declared, Random& random,
                      const wchar_t* declaredName)
{
    XmlDocument document;
    document.nodes = nodes;
    const bool utf16 = encoding != Encoding::Utf8 && encoding != Encoding::Utf8Bom;
    std::wstring prolog;
    if (declared) {
        const wchar_t* name = declaredName ? declaredName : utf16 ? (random.OneIn(2) ? L"UTF-16" : L"utf-16")
                                                                  : (random.OneIn(2) ? L"UTF-8" : L"utf-8");
        prolog = std::wstring(L"<?xml version=\"1.0\" encoding=\"") + name + L"\"?>";
    }
    document.bytes = Encode(prolog, encoding);
    document.prologEnd = document.bytes.size();
    const auto append = [&](const std::wstring& text) {
        document.bytes += Encode(text, encoding == Encoding::Utf8Bom      ? Encoding::Utf8
                                       : encoding == Encoding::Utf16LeBom ? Encoding::Utf16Le
                                       : encoding == Encoding::Utf16BeBom ? Encoding::Utf16Be
                                                                          : encoding);
    };
    // Wine's reader detects the encoding of a document without a byte order
    // mark or declaration only when it begins with markup; one that begins
    // with white space it reads as empty.
    const bool marked = declared || encoding == Encoding::Utf8Bom || encoding == Encoding::Utf16LeBom ||
                        encoding == Encoding::Utf16BeBom;
    std::wstring before = Misc(random);
    if (!marked && !before.empty() && before[0] != L'<') before.clear();
    append(before);
    for (size_t i = 0; i < nodes.size(); ++i) {
        const XmlNode& node = nodes[i];
        switch (node.kind) {
        case XmlNode::Kind::Start:
        case XmlNode::Kind::Empty: append(StartTag(node, i == 0)); break;
        case XmlNode::Kind::End: append(L"</" + QualifiedName(node) + L">"); break;
        case XmlNode::Kind::Text: append(EscapeText(node.text, random)); break;
        case XmlNode::Kind::Whitespace: append(node.text); break;
        case XmlNode::Kind::CData: append(L"<![CDATA[" + node.text + L"]]>"); break;
        case XmlNode::Kind::Comment: append(L"<!--" + node.text + L"-->"); break;
        case XmlNode::Kind::Pi: append(L"<?pi " + node.text + L"?>"); break;
        }
        document.nodeEnds.push_back(document.bytes.size());
    }
    append(Misc(random));
    return document;
}

std::wstring RandomText(Random& random, size_t most)
{
    static const wchar_t* const pieces[] = {L"a", L"Z", L"9", L"-", L"_", L".", L"&", L"<", L">", L"\"", L"'",
                                            L"]]>", L" ", L"\u00e9", L"\u20ac", L"\u30ab", L"\U0001F4F7", L"%x%",
                                            L"C:\\Pictures\\a b.jpg", L"/", L"!"};
    std::wstring text;
    const size_t length = 1 + random.Length(most);
    while (text.size() < length) text += pieces[random.Below(std::size(pieces))];
    if (AllBlank(text)) text += L"x";
    return text;
}

std::wstring NameLike(Random& random, const wchar_t* name)
{
    std::wstring text = name;
    switch (random.Below(6)) {
    case 0:
        for (wchar_t& c : text) c = static_cast<wchar_t>(towlower(c));
        break;
    case 1:
        for (wchar_t& c : text) c = static_cast<wchar_t>(towupper(c));
        break;
    case 2: text += L"2"; break;
    default: break;
    }
    return text;
}

HostileDocument Hostile(Random& random, const std::wstring& target,
                        const std::vector<std::pair<std::wstring, std::wstring>>& attributes, const std::wstring& text)
{
    XmlNode element;
    element.kind = XmlNode::Kind::Start;
    element.name = target;
    element.attributes = attributes;
    std::wstring tag = StartTag(element, false) + EscapeText(text, random) + L"</" + target + L">";
    HostileDocument document;
    std::wstring body;
    static const Encoding kAll[] = {Encoding::Utf8,       Encoding::Utf8Bom, Encoding::Utf16Le,
                                    Encoding::Utf16LeBom, Encoding::Utf16Be, Encoding::Utf16BeBom};
    Encoding encoding = kAll[random.Below(std::size(kAll))];
    // Wine's reader breaks on a UTF-16 node longer than its 8 KB buffer (a
    // page fault inside it): the huge shapes (a huge attribute or text, a
    // start tag with thousands of attributes) are UTF-8 there.
    const Encoding hugeEncoding = UnderWine() ? (random.OneIn(2) ? Encoding::Utf8 : Encoding::Utf8Bom) : encoding;
    switch (random.Below(11)) {
    case 0: {
        const size_t depth = 200 + random.Below(random.OneIn(4) ? 60000 : 2000);
        document.kind = "deep nesting";
        std::wstring open;
        std::wstring close;
        for (size_t i = 0; i < depth; ++i) {
            open += L"<d>";
            close += L"</d>";
        }
        body = L"<r>" + tag + open + tag + (random.OneIn(3) ? L"" : close + L"</r>");
        break;
    }
    case 1: {
        document.kind = "huge attribute";
        const std::wstring huge(1 + random.Below(random.OneIn(8) ? 1 << 20 : 1 << 16), random.OneIn(2) ? L'x' : L'\u00e9');
        XmlNode big = element;
        if (!big.attributes.empty() && random.OneIn(2)) big.attributes[random.Below(big.attributes.size())].second = huge;
        else big.attributes.emplace_back(L"Huge", huge);
        body = L"<r>" + StartTag(big, false) + L"</" + target + L"></r>";
        encoding = hugeEncoding;
        break;
    }
    case 2:
        document.kind = "huge text";
        body = L"<r>" + std::wstring(1 + random.Below(random.OneIn(8) ? 1 << 20 : 1 << 16), L't') + tag + L"</r>";
        if (random.OneIn(2)) body = L"<r><" + target + L">" + std::wstring(1 + random.Below(random.OneIn(8) ? 1 << 20 : 1 << 16), L'i') + L"</" + target + L"></r>";
        encoding = hugeEncoding;
        break;
    case 3: {
        document.kind = "DTD and entities";
        static const wchar_t* const dtds[] = {
            L"<!DOCTYPE r [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">"
            L"<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\"><!ENTITY d \"&c;&c;&c;&c;&c;&c;&c;&c;&c;&c;\">]>",
            L"<!DOCTYPE r SYSTEM \"file:///C:/windows/win.ini\">",
            L"<!DOCTYPE r [<!ENTITY x SYSTEM \"file:///C:/windows/win.ini\">]>",
            L"<!DOCTYPE r [<!ENTITY % p \"<!ENTITY q 'v'>\"> %p;]>",
            L"<!DOCTYPE r>",
        };
        body = dtds[random.Below(std::size(dtds))] + std::wstring(L"<r>") + tag + L"<e>&d;&x;</e></r>";
        break;
    }
    case 4: {
        document.kind = "encoding declared other than written";
        static const wchar_t* const names[] = {L"UTF-16", L"UTF-8", L"ISO-8859-1", L"windows-1252", L"us-ascii",
                                               L"x-unknown", L"UTF-32", L"", L"shift_jis"};
        body = std::wstring(L"<?xml version=\"1.0\" encoding=\"") + names[random.Below(std::size(names))] + L"\"?><r>" +
               tag + L"</r>";
        break;
    }
    case 5: {
        document.kind = "characters XML cannot hold";
        static const wchar_t bad[] = {0x01, 0x08, 0x0B, 0x0C, 0x1F, 0xFFFE, 0xFFFF, 0xD800, 0xDC00, 0x7F};
        body = L"<r>" + tag + L"</r>";
        const size_t at = random.Below(body.size() + 1);
        body.insert(at, 1, bad[random.Below(std::size(bad))]);
        break;
    }
    case 6: {
        document.kind = "bytes that are no UTF-8 or UTF-16";
        body = L"<r>" + tag + L"</r>";
        document.bytes = Encode(body, encoding);
        const size_t count = 1 + random.Below(4);
        for (size_t i = 0; i < count; ++i) {
            static const char* const junk[] = {"\x80", "\xFF", "\xC0\xAF", "\xED\xA0\x80", "\xF8\x88\x80\x80\x80", "\xC3"};
            document.bytes.insert(random.Below(document.bytes.size() + 1), junk[random.Below(std::size(junk))]);
        }
        if (random.OneIn(3)) document.bytes.pop_back();  // odd length for UTF-16
        return document;
    }
    case 7:
        document.kind = "NUL characters";
        body = L"<r>" + tag + L"</r>";
        body.insert(random.Below(body.size() + 1), 1, L'\0');
        break;
    case 8: {
        document.kind = "many or repeated attributes";
        XmlNode many = element;
        const size_t count = random.OneIn(2) ? 2 : 1 + random.Below(5000);
        for (size_t i = 0; i < count; ++i) {
            many.attributes.emplace_back(random.OneIn(2) && !attributes.empty() ? attributes[0].first
                                                                                : L"a" + std::to_wstring(i),
                                         L"v");
        }
        body = L"<r>" + StartTag(many, false) + L"</" + target + L"></r>";
        if (count > 100) encoding = hugeEncoding;
        break;
    }
    case 9:
        document.kind = "big-endian UTF-16";
        body = L"<r>" + tag + L"</r>";
        encoding = random.OneIn(2) ? Encoding::Utf16Be : Encoding::Utf16BeBom;
        break;
    default: {
        document.kind = "broken markup";
        static const wchar_t* const shapes[] = {L"<r>%T</x>", L"<r>%T", L"%T%T", L"<r><%T</r>", L"<r>%T</r></r>",
                                                L"<r>%T<!-- unterminated", L"<r>%T<![CDATA[ open", L"<r a=\"b>%T</r>",
                                                L"<r>%T&unknown;</r>", L"<r>%T&#xD800;</r>", L"<r>%T&#0;</r>", L"<>%T",
                                                L"<r>%T<?pi unterminated", L"</r>%T", L"<r xmlns:p=\"\">%T<p:x/></r>",
                                                L"<r>%T<q:x/></r>"};
        body = shapes[random.Below(std::size(shapes))];
        for (size_t at; (at = body.find(L"%T")) != std::wstring::npos;) body.replace(at, 2, tag);
        break;
    }
    }
    document.bytes = Encode(body, encoding);
    return document;
}

std::string MutateXml(Random& random, std::string bytes, const std::vector<std::string>& names, std::string& move)
{
    static const std::vector<std::string> kTokens = {
        "<", ">", "/>", "</", "&", "&amp;", "&#x0;", "&#xD800;", "&#65;", "<!--", "-->", "<![CDATA[", "]]>", "<?", "?>",
        "<!DOCTYPE r [<!ENTITY e \"x\">]>", "\"", "'", "=", " ", "\n", "xmlns:p=\"urn:p\"", "p:", "\xEF\xBB\xBF",
        "\xFF\xFE", std::string(1, '\0'), "\xC3", "\x80", "<?xml version=\"1.0\" encoding=\"utf-16\"?>"};
    Mutator<std::string> mutator;
    mutator.alphabet = "<>/=\"'&;!?- \n\tabcxyzAZ09\x80\xC3\xFF";
    mutator.alphabet.push_back('\0');
    mutator.tokens = kTokens;
    mutator.tokens.insert(mutator.tokens.end(), names.begin(), names.end());
    move = mutator.Mutate(random, bytes);
    return bytes;
}

}  // namespace tapdeck::fuzz
