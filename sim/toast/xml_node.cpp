#include "xml_node.h"

#include <new>

#include "unique_hstring.h"
#include "xml_escape.h"
#include "xml_node_list.h"

namespace tapdeck::sim {
namespace {

// Private: lets the DOM recognise its own nodes behind an interface.
constexpr IID kXmlNodeImpl = {0x6d1c2a41, 0x5b7e, 0x4f0e, {0x9a, 0x11, 0x3c, 0x72, 0x8e, 0x05, 0xb4, 0x19}};

HRESULT ToHstring(const std::wstring& text, HSTRING* out)
{
    if (!out) return E_POINTER;
    return ::WindowsCreateString(text.c_str(), static_cast<UINT32>(text.size()), out);
}

template <typename T>
HRESULT HandOut(XmlNode* node, T** out)
{
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!node) return S_OK;
    return node->QueryInterface(__uuidof(T), reinterpret_cast<void**>(out));
}

}  // namespace

std::recursive_mutex& XmlLock()
{
    static std::recursive_mutex lock;
    return lock;
}

XmlNode* XmlNode::Make(XmlKind kind, std::wstring nameOrText)
{
    return new (std::nothrow) XmlNode(kind, std::move(nameOrText));
}

XmlNode* XmlNode::FromInterface(IUnknown* object)
{
    if (!object) return nullptr;
    void* self = nullptr;
    if (FAILED(object->QueryInterface(kXmlNodeImpl, &self)) || !self) return nullptr;
    auto* node = static_cast<XmlNode*>(self);
    node->Release();  // the caller's interface keeps it alive
    return node;
}

XmlNode* XmlNode::MakeToastTemplate(INT32 type)
{
    static constexpr const wchar_t* kNames[] = {L"ToastImageAndText01", L"ToastImageAndText02",
                                                L"ToastImageAndText03", L"ToastImageAndText04",
                                                L"ToastText01",         L"ToastText02",
                                                L"ToastText03",         L"ToastText04"};
    static constexpr int kTexts[] = {1, 2, 2, 3, 1, 2, 2, 3};
    if (type < 0 || type > 7) return nullptr;
    XmlNode* document = Make(XmlKind::Document, L"#document");
    if (!document) return nullptr;
    XmlNode* toast = Make(XmlKind::Element, L"toast");
    XmlNode* visual = Make(XmlKind::Element, L"visual");
    XmlNode* binding = Make(XmlKind::Element, L"binding");
    binding->SetAttributeText(L"template", kNames[type]);
    if (type < 4) {
        XmlNode* image = Make(XmlKind::Element, L"image");
        image->SetAttributeText(L"id", L"1");
        image->SetAttributeText(L"src", L"");
        binding->AppendOwned(image);
    }
    for (int i = 1; i <= kTexts[type]; ++i) {
        XmlNode* text = Make(XmlKind::Element, L"text");
        text->SetAttributeText(L"id", std::to_wstring(i));
        binding->AppendOwned(text);
    }
    visual->AppendOwned(binding);
    toast->AppendOwned(visual);
    document->AppendOwned(toast);
    return document;
}

void XmlNode::AppendOwned(XmlNode* child)
{
    std::lock_guard lock(XmlLock());
    child->Detach();
    child->parent_ = this;
    children_.push_back(com_ptr<XmlNode>::attach(child));
}

void XmlNode::SetAttributeText(std::wstring name, std::wstring value)
{
    std::lock_guard lock(XmlLock());
    for (auto& [key, existing] : attributes_) {
        if (key == name) {
            existing = std::move(value);
            return;
        }
    }
    attributes_.emplace_back(std::move(name), std::move(value));
}

// Removes the node from its parent; the reference the parent held moves to
// the caller of AppendOwned, who re-attaches it.
void XmlNode::Detach()
{
    if (!parent_) return;
    auto& siblings = parent_->children_;
    for (auto it = siblings.begin(); it != siblings.end(); ++it) {
        if (it->get() == this) {
            it->detach();
            siblings.erase(it);
            break;
        }
    }
    parent_ = nullptr;
}

bool XmlNode::IsAncestorOrSelf(const XmlNode* node) const
{
    for (; node; node = node->parent_)
        if (node == this) return true;
    return false;
}

std::wstring XmlNode::OuterXml() const
{
    std::lock_guard lock(XmlLock());
    if (kind_ == XmlKind::Text) return EscapeXml(value_);
    std::wstring out;
    if (kind_ == XmlKind::Element) {
        out += L"<" + value_;
        for (const auto& [name, value] : attributes_) out += L" " + name + L"=\"" + EscapeXml(value) + L"\"";
        out += L">";
    }
    for (const auto& child : children_) out += child->OuterXml();
    if (kind_ == XmlKind::Element) out += L"</" + value_ + L">";
    return out;
}

std::wstring XmlNode::InnerText() const
{
    std::lock_guard lock(XmlLock());
    if (kind_ == XmlKind::Text) return value_;
    std::wstring out;
    for (const auto& child : children_) out += child->InnerText();
    return out;
}

std::vector<XmlNode*> XmlNode::ElementsNamed(const std::wstring& name)
{
    std::lock_guard lock(XmlLock());
    std::vector<XmlNode*> found;
    for (const auto& child : children_) {
        if (child->kind_ != XmlKind::Element) continue;
        if (child->value_ == name || name == L"*") found.push_back(child.get());
        const auto below = child->ElementsNamed(name);
        found.insert(found.end(), below.begin(), below.end());
    }
    return found;
}

void* XmlNode::Find(REFIID iid)
{
    if (iid == kXmlNodeImpl) return this;
    if (iid == IID_IUnknown || iid == __uuidof(IInspectable) || iid == __uuidof(sdk::IXmlNode))
        return static_cast<sdk::IXmlNode*>(this);
    if (iid == __uuidof(sdk::IXmlNodeSerializer)) return static_cast<sdk::IXmlNodeSerializer*>(this);
    if (iid == __uuidof(sdk::IXmlDocument) && kind_ == XmlKind::Document) return static_cast<sdk::IXmlDocument*>(this);
    if (iid == __uuidof(sdk::IXmlElement) && kind_ == XmlKind::Element) return static_cast<sdk::IXmlElement*>(this);
    if (iid == __uuidof(sdk::IXmlText) && kind_ == XmlKind::Text) return static_cast<sdk::IXmlText*>(this);
    return nullptr;
}

const wchar_t* XmlNode::ClassName() const
{
    return NameOf(kind_);
}

void XmlNode::Dispose()
{
    std::vector<com_ptr<XmlNode>> children;
    {
        std::lock_guard lock(XmlLock());
        children.swap(children_);
        attributes_.clear();
        for (const auto& child : children) child->parent_ = nullptr;
    }
}

const wchar_t* XmlNode::NameOf(XmlKind kind)
{
    switch (kind) {
    case XmlKind::Document: return L"Windows.Data.Xml.Dom.XmlDocument";
    case XmlKind::Element: return L"Windows.Data.Xml.Dom.XmlElement";
    case XmlKind::Text: return L"Windows.Data.Xml.Dom.XmlText";
    }
    return L"";
}

// IXmlDocument

HRESULT STDMETHODCALLTYPE XmlNode::get_Doctype(sdk::IXmlDocumentType**) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE XmlNode::get_Implementation(sdk::IXmlDomImplementation**) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE XmlNode::get_DocumentElement(sdk::IXmlElement** value)
{
    std::lock_guard lock(XmlLock());
    XmlNode* root = nullptr;
    for (const auto& child : children_)
        if (child->kind_ == XmlKind::Element) root = child.get();
    return HandOut(root, value);
}

HRESULT STDMETHODCALLTYPE XmlNode::CreateElement(HSTRING tagName, sdk::IXmlElement** newElement)
{
    if (!newElement) return E_POINTER;
    const std::wstring name = to_wstring(tagName);
    if (name.empty()) return E_INVALIDARG;
    com_ptr<XmlNode> node = com_ptr<XmlNode>::attach(Make(XmlKind::Element, name));
    if (!node) return E_OUTOFMEMORY;
    return HandOut(node.get(), newElement);
}

HRESULT STDMETHODCALLTYPE XmlNode::CreateDocumentFragment(sdk::IXmlDocumentFragment**) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE XmlNode::CreateTextNode(HSTRING data, sdk::IXmlText** newTextNode)
{
    if (!newTextNode) return E_POINTER;
    UINT32 length = 0;
    const wchar_t* raw = ::WindowsGetStringRawBuffer(data, &length);
    com_ptr<XmlNode> node = com_ptr<XmlNode>::attach(Make(XmlKind::Text, std::wstring(raw, length)));
    if (!node) return E_OUTOFMEMORY;
    return HandOut(node.get(), newTextNode);
}

HRESULT STDMETHODCALLTYPE XmlNode::CreateComment(HSTRING, sdk::IXmlComment**) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE XmlNode::CreateProcessingInstruction(HSTRING, HSTRING, sdk::IXmlProcessingInstruction**)
{
    return E_NOTIMPL;
}
HRESULT STDMETHODCALLTYPE XmlNode::CreateAttribute(HSTRING, sdk::IXmlAttribute**) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE XmlNode::CreateEntityReference(HSTRING, sdk::IXmlEntityReference**) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE XmlNode::GetElementsByTagName(HSTRING tagName, sdk::IXmlNodeList** elements)
{
    if (!elements) return E_POINTER;
    *elements = nullptr;
    auto* list = new (std::nothrow) XmlNodeList(ElementsNamed(to_wstring(tagName)));
    if (!list) return E_OUTOFMEMORY;
    *elements = list;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE XmlNode::CreateCDataSection(HSTRING, sdk::IXmlCDataSection**) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE XmlNode::get_DocumentUri(HSTRING*) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE XmlNode::CreateAttributeNS(IInspectable*, HSTRING, sdk::IXmlAttribute**) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE XmlNode::CreateElementNS(IInspectable*, HSTRING, sdk::IXmlElement**) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE XmlNode::GetElementById(HSTRING, sdk::IXmlElement**) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE XmlNode::ImportNode(sdk::IXmlNode*, boolean, sdk::IXmlNode**) { return E_NOTIMPL; }

// IXmlNode

HRESULT STDMETHODCALLTYPE XmlNode::get_NodeValue(IInspectable**) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE XmlNode::put_NodeValue(IInspectable*) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE XmlNode::get_NodeType(sdk::NodeType* value)
{
    if (!value) return E_POINTER;
    switch (kind_) {
    case XmlKind::Document: *value = sdk::NodeType_DocumentNode; break;
    case XmlKind::Element: *value = sdk::NodeType_ElementNode; break;
    case XmlKind::Text: *value = sdk::NodeType_TextNode; break;
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE XmlNode::get_NodeName(HSTRING* value)
{
    return ToHstring(kind_ == XmlKind::Text ? std::wstring(L"#text") : value_, value);
}

HRESULT STDMETHODCALLTYPE XmlNode::get_ParentNode(sdk::IXmlNode** value)
{
    std::lock_guard lock(XmlLock());
    return HandOut(parent_, value);
}

HRESULT STDMETHODCALLTYPE XmlNode::get_ChildNodes(sdk::IXmlNodeList** value)
{
    if (!value) return E_POINTER;
    std::lock_guard lock(XmlLock());
    std::vector<XmlNode*> nodes;
    for (const auto& child : children_) nodes.push_back(child.get());
    auto* list = new (std::nothrow) XmlNodeList(nodes);
    *value = list;
    return list ? S_OK : E_OUTOFMEMORY;
}

HRESULT STDMETHODCALLTYPE XmlNode::get_FirstChild(sdk::IXmlNode** value)
{
    std::lock_guard lock(XmlLock());
    return HandOut(children_.empty() ? nullptr : children_.front().get(), value);
}

HRESULT STDMETHODCALLTYPE XmlNode::get_LastChild(sdk::IXmlNode** value)
{
    std::lock_guard lock(XmlLock());
    return HandOut(children_.empty() ? nullptr : children_.back().get(), value);
}

HRESULT STDMETHODCALLTYPE XmlNode::get_PreviousSibling(sdk::IXmlNode**) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE XmlNode::get_NextSibling(sdk::IXmlNode**) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE XmlNode::get_Attributes(sdk::IXmlNamedNodeMap**) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE XmlNode::HasChildNodes(boolean* value)
{
    if (!value) return E_POINTER;
    std::lock_guard lock(XmlLock());
    *value = children_.empty() ? 0 : 1;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE XmlNode::get_OwnerDocument(sdk::IXmlDocument**) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE XmlNode::InsertBefore(sdk::IXmlNode*, sdk::IXmlNode*, sdk::IXmlNode**) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE XmlNode::ReplaceChild(sdk::IXmlNode*, sdk::IXmlNode*, sdk::IXmlNode**) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE XmlNode::RemoveChild(sdk::IXmlNode*, sdk::IXmlNode**) { return E_NOTIMPL; }

HRESULT STDMETHODCALLTYPE XmlNode::AppendChild(sdk::IXmlNode* newChild, sdk::IXmlNode** appendedChild)
{
    if (!appendedChild) return E_POINTER;
    *appendedChild = nullptr;
    XmlNode* child = FromInterface(newChild);
    if (!child) return E_INVALIDARG;
    if (kind_ == XmlKind::Text || child->kind_ == XmlKind::Document) return E_INVALIDARG;
    std::lock_guard lock(XmlLock());
    if (child->IsAncestorOrSelf(this)) return E_INVALIDARG;
    child->AddRef();
    AppendOwned(child);
    return HandOut(child, appendedChild);
}

HRESULT STDMETHODCALLTYPE XmlNode::CloneNode(boolean, sdk::IXmlNode**) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE XmlNode::get_NamespaceUri(IInspectable**) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE XmlNode::get_LocalName(IInspectable**) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE XmlNode::get_Prefix(IInspectable**) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE XmlNode::Normalize() { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE XmlNode::put_Prefix(IInspectable*) { return E_NOTIMPL; }

// IXmlElement

HRESULT STDMETHODCALLTYPE XmlNode::get_TagName(HSTRING* value) { return ToHstring(value_, value); }

HRESULT STDMETHODCALLTYPE XmlNode::GetAttribute(HSTRING attributeName, HSTRING* attributeValue)
{
    std::lock_guard lock(XmlLock());
    const std::wstring name = to_wstring(attributeName);
    for (const auto& [key, value] : attributes_)
        if (key == name) return ToHstring(value, attributeValue);
    return ToHstring(L"", attributeValue);
}

HRESULT STDMETHODCALLTYPE XmlNode::SetAttribute(HSTRING attributeName, HSTRING attributeValue)
{
    const std::wstring name = to_wstring(attributeName);
    if (name.empty()) return E_INVALIDARG;
    SetAttributeText(name, to_wstring(attributeValue));
    return S_OK;
}

HRESULT STDMETHODCALLTYPE XmlNode::RemoveAttribute(HSTRING attributeName)
{
    std::lock_guard lock(XmlLock());
    const std::wstring name = to_wstring(attributeName);
    std::erase_if(attributes_, [&](const auto& attribute) { return attribute.first == name; });
    return S_OK;
}

HRESULT STDMETHODCALLTYPE XmlNode::GetAttributeNode(HSTRING, sdk::IXmlAttribute**) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE XmlNode::SetAttributeNode(sdk::IXmlAttribute*, sdk::IXmlAttribute**) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE XmlNode::RemoveAttributeNode(sdk::IXmlAttribute*, sdk::IXmlAttribute**) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE XmlNode::SetAttributeNS(IInspectable*, HSTRING, HSTRING) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE XmlNode::GetAttributeNS(IInspectable*, HSTRING, HSTRING*) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE XmlNode::RemoveAttributeNS(IInspectable*, HSTRING) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE XmlNode::SetAttributeNodeNS(sdk::IXmlAttribute*, sdk::IXmlAttribute**) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE XmlNode::GetAttributeNodeNS(IInspectable*, HSTRING, sdk::IXmlAttribute**) { return E_NOTIMPL; }

// IXmlText

HRESULT STDMETHODCALLTYPE XmlNode::SplitText(UINT32, sdk::IXmlText**) { return E_NOTIMPL; }

// IXmlNodeSerializer

HRESULT STDMETHODCALLTYPE XmlNode::GetXml(HSTRING* outerXml) { return ToHstring(OuterXml(), outerXml); }
HRESULT STDMETHODCALLTYPE XmlNode::get_InnerText(HSTRING* value) { return ToHstring(InnerText(), value); }

HRESULT STDMETHODCALLTYPE XmlNode::put_InnerText(HSTRING value)
{
    std::lock_guard lock(XmlLock());
    if (kind_ == XmlKind::Text) {
        value_ = to_wstring(value);
        return S_OK;
    }
    for (const auto& child : children_) child->parent_ = nullptr;
    children_.clear();
    if (XmlNode* text = Make(XmlKind::Text, to_wstring(value))) AppendOwned(text);
    return S_OK;
}

}  // namespace tapdeck::sim
