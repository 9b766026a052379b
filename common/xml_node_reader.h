#pragma once
// An XmlLite reader over one stream, DTD processing prohibited, that tells a
// clean end of the document from an error. A read that makes no progress
// counts as an error: some readers return S_OK forever on a file that ends
// inside text, a comment or an open root, and the watcher must not hang.
#include <windows.h>
#include <objidl.h>
#include <xmllite.h>

#include <string>
#include <vector>

#include "com_ptr.h"

namespace tapdeck {

class XmlNodeReader {
public:
    enum class Step { Node, End, Error };

    // Creates the reader and gives it the stream; false on any failure.
    bool Open(IStream* stream);
    // The next node; End after the root element's end, Error for a reader
    // error, a read that did not move on, or an end before the root closed.
    Step Next();

    XmlNodeType Type() const noexcept { return type_; }
    // The current node's local name / value; false when the reader fails.
    bool LocalName(std::wstring& name) const;
    bool Value(std::wstring& value) const;
    // The attribute's value, empty when it is missing or unreadable.
    std::wstring Attribute(const wchar_t* name) const;
    bool IsElementNamed(const wchar_t* name) const;
    bool IsEndElementNamed(const wchar_t* name) const;

private:
    struct Position {
        UINT line = 0;
        UINT column = 0;
        bool operator<(const Position& other) const
        {
            return line < other.line || (line == other.line && column < other.column);
        }
        bool operator==(const Position&) const = default;
    };

    com_ptr<IXmlReader> reader_;
    XmlNodeType type_ = XmlNodeType_None;
    Position last_;
    std::vector<Position> open_;  // start tags not yet closed
    bool rootClosed_ = false;
};

}  // namespace tapdeck
