#include "xml_node_reader.h"

#include <cwchar>

namespace tapdeck {

bool XmlNodeReader::Open(IStream* stream)
{
    if (!stream) return false;
    if (FAILED(::CreateXmlReader(__uuidof(IXmlReader), reader_.put_void(), nullptr)) || !reader_) return false;
    if (FAILED(reader_->SetProperty(XmlReaderProperty_DtdProcessing, DtdProcessing_Prohibit))) return false;
    return SUCCEEDED(reader_->SetInput(stream));
}

XmlNodeReader::Step XmlNodeReader::Next()
{
    if (rootClosed_) return Step::End;
    XmlNodeType type = XmlNodeType_None;
    const HRESULT hr = reader_->Read(&type);
    if (hr == S_FALSE) return Step::End;
    if (hr != S_OK) return Step::Error;

    Position position;
    position.type = type;
    reader_->GetLineNumber(&position.line);
    reader_->GetLinePosition(&position.column);
    if (position == last_) return Step::Error;
    last_ = position;
    type_ = type;

    // After the root element nothing that matters can follow.
    UINT depth = 0;
    reader_->GetDepth(&depth);
    if (depth == 0 && (type == XmlNodeType_EndElement || (type == XmlNodeType_Element && reader_->IsEmptyElement())))
        rootClosed_ = true;
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
    return type_ == XmlNodeType_Element && LocalName(local) && _wcsicmp(local.c_str(), name) == 0;
}

bool XmlNodeReader::IsEndElementNamed(const wchar_t* name) const
{
    std::wstring local;
    return type_ == XmlNodeType_EndElement && LocalName(local) && _wcsicmp(local.c_str(), name) == 0;
}

}  // namespace tapdeck
