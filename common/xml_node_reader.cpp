#include "xml_node_reader.h"

#include <cwchar>

#include "compare_no_case.h"
#include "xml_no_element.h"

namespace tapdeck {

bool XmlNodeReader::Open(IStream* stream)
{
    // No element at all: nothing to read, and some readers cannot take it.
    if (!stream || HoldsNoElement(stream)) return false;
    if (FAILED(::CreateXmlReader(__uuidof(IXmlReader), reader_.put_void(), nullptr)) || !reader_) return false;
    if (FAILED(reader_->SetProperty(XmlReaderProperty_DtdProcessing, DtdProcessing_Prohibit))) return false;
    return SUCCEEDED(reader_->SetInput(stream));
}

XmlNodeReader::Step XmlNodeReader::Next()
{
    if (rootClosed_) return Step::End;
    XmlNodeType type = XmlNodeType_None;
    const HRESULT hr = reader_->Read(&type);
    // A document ends cleanly only after its root element (left above), so
    // an end of input here (S_FALSE) is an error like any other.
    if (hr != S_OK) return Step::Error;

    Position position;
    reader_->GetLineNumber(&position.line);
    reader_->GetLinePosition(&position.column);
    // A node that does not move on is read again and again by some readers
    // on a file cut off inside text, a comment or an open root.
    if (position == last_ && type == type_) return Step::Error;
    last_ = position;
    type_ = type;

    // An end tag comes after its start tag; some readers make one up, at
    // the start tag's own position, for a root left open. The element
    // depth is counted here: readers differ in the depth of an end tag.
    if (type == XmlNodeType_Element && !reader_->IsEmptyElement()) {
        open_.push_back(position);
    } else if (type == XmlNodeType_EndElement) {
        if (open_.empty() || !(open_.back() < position)) return Step::Error;
        open_.pop_back();
        rootClosed_ = open_.empty();
    } else if (type == XmlNodeType_Element) {
        rootClosed_ = open_.empty();
    }
    return Step::Node;
}

bool XmlNodeReader::LocalName(std::wstring& name) const
{
    const wchar_t* text = nullptr;
    UINT length = 0;
    if (FAILED(reader_->GetLocalName(&text, &length)) || !text) return false;
    name.assign(text, length);
    return true;
}

bool XmlNodeReader::Value(std::wstring& value) const
{
    const wchar_t* text = nullptr;
    UINT length = 0;
    if (FAILED(reader_->GetValue(&text, &length)) || !text) return false;
    value.assign(text, length);
    return true;
}

std::wstring XmlNodeReader::Attribute(const wchar_t* name) const
{
    std::wstring value;
    // S_FALSE means missing, and leaves the reader on the element.
    if (reader_->MoveToAttributeByName(name, nullptr) != S_OK) return value;
    Value(value);
    reader_->MoveToElement();
    return value;
}

bool XmlNodeReader::IsElementNamed(const wchar_t* name) const
{
    std::wstring local;
    return type_ == XmlNodeType_Element && LocalName(local) && EqualsNoCase(local, name);
}

bool XmlNodeReader::IsEndElementNamed(const wchar_t* name) const
{
    std::wstring local;
    return type_ == XmlNodeType_EndElement && LocalName(local) && EqualsNoCase(local, name);
}

}  // namespace tapdeck
