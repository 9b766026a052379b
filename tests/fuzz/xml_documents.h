#pragma once
// XML documents for the readers' fuzz targets, made from a model of the
// nodes an XML reader reports, so that each reader's expected result is
// computed from the model, never from a parse: the nodes in order, their
// text, and where in the encoded bytes each one ends (for truncation).
#include <string>
#include <utility>
#include <vector>

#include "fuzz_run.h"

namespace tapdeck::fuzz {

struct XmlNode {
    enum class Kind { Start, End, Empty, Text, Whitespace, CData, Comment, Pi };
    Kind kind = Kind::Text;
    std::wstring prefix;
    std::wstring name;  // local name of an element
    std::vector<std::pair<std::wstring, std::wstring>> attributes;
    std::wstring text;  // the reader's value of a text, white space or CDATA node

    bool IsElement() const { return kind == Kind::Start || kind == Kind::Empty; }
    // The attribute's value, empty when it is missing, as the readers take it.
    std::wstring Attribute(const wchar_t* attribute) const;
};

enum class Encoding { Utf8, Utf8Bom, Utf16Le, Utf16LeBom, Utf16Be, Utf16BeBom };
// What the platform's reader detects, with or without a byte order mark
// (Wine's does not take big-endian UTF-16: such documents are among the
// hostile ones).
inline constexpr Encoding kEncodings[] = {Encoding::Utf8, Encoding::Utf8Bom, Encoding::Utf16Le, Encoding::Utf16LeBom};
const char* EncodingName(Encoding encoding);

// A document: the reported nodes from the root's start to its end (what the
// readers look at), and its bytes with, for each of those nodes, the byte
// offset just after it.
struct XmlDocument {
    std::vector<XmlNode> nodes;
    std::string bytes;
    std::vector<size_t> nodeEnds;
    size_t prologEnd = 0;  // bytes of the BOM and the XML declaration
};

// Builds the element tree's nodes; children are added between Open and Close.
class XmlBuilder {
public:
    void Open(std::wstring name, std::vector<std::pair<std::wstring, std::wstring>> attributes = {},
              std::wstring prefix = {});
    void Close();
    void Leaf(std::wstring name, std::vector<std::pair<std::wstring, std::wstring>> attributes = {},
              std::wstring prefix = {});
    void Add(XmlNode::Kind kind, std::wstring text);
    // Random content that no reader looks for: other elements, text,
    // comments, CDATA, processing instructions, white space.
    void Noise(Random& random, int depth);
    const std::vector<XmlNode>& Nodes() const { return nodes_; }

private:
    std::vector<XmlNode> nodes_;
    std::vector<XmlNode> open_;
};

// Serialises the nodes (which must be one root element) in the encoding,
// with an XML declaration when declared is set (naming the encoding as
// written when honest, otherwise the given name), and misc before and after
// the root.
XmlDocument Serialise(const std::vector<XmlNode>& nodes, Encoding encoding, bool declared, Random& random,
                      const wchar_t* declaredName = nullptr);

// Text of printable, markup and non-ASCII characters, never empty; no
// white space other than blanks, so every reader reports it unchanged.
std::wstring RandomText(Random& random, size_t most);
// A name of that kind, in any letter case, now and then another word.
std::wstring NameLike(Random& random, const wchar_t* name);

// Hostile documents whose result no model gives; each reader checks only
// its invariants (all or nothing) and that it returns.
struct HostileDocument {
    std::string kind;
    std::string bytes;
};
// One of: deep nesting, a huge attribute or text, a DTD with entities, an
// encoding declared other than written, characters XML cannot hold, bytes
// that are no UTF-8 or UTF-16, NUL bytes. The document carries the
// element named target, with attributes as given, where it can.
HostileDocument Hostile(Random& random, const std::wstring& target,
                        const std::vector<std::pair<std::wstring, std::wstring>>& attributes, const std::wstring& text);

// Whether the platform under the test is Wine, whose XML reader has limits
// of its own that some shapes must stay within.
bool UnderWine();

// Bytes of text in the encoding (with its byte order mark when it has one).
std::string Encode(const std::wstring& text, Encoding encoding);

// Byte-level mutations with XML's own tokens and the reader's names.
std::string MutateXml(Random& random, std::string bytes, const std::vector<std::string>& names, std::string& move);

}  // namespace tapdeck::fuzz
