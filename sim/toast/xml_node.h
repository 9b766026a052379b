#pragma once
// The XML document that GetTemplateContent hands out: one node class for the
// document, its elements and its text nodes, with the DOM calls a toast
// sender makes; the rest answer E_NOTIMPL.
#include <windows.h>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "com_ptr.h"
#include "rt_object.h"
#include "xml_dom.h"

namespace tapdeck::sim {

enum class XmlKind { Document, Element, Text };

class XmlNode final : public RtObject<sdk::IXmlDocument, sdk::IXmlNode, sdk::IXmlElement, sdk::IXmlText,
                                      sdk::IXmlNodeSerializer> {
public:
    static XmlNode* Make(XmlKind kind, std::wstring nameOrText);
    // Our own node behind an interface of this DOM, or null for a stranger.
    static XmlNode* FromInterface(IUnknown* object);
    // The toast template of that type; null for an unknown type.
    static XmlNode* MakeToastTemplate(INT32 type);

    std::wstring OuterXml() const;
    std::wstring InnerText() const;
    // Descendant elements with that name, in document order.
    std::vector<XmlNode*> ElementsNamed(const std::wstring& name);
    void AppendOwned(XmlNode* child);
    void SetAttributeText(std::wstring name, std::wstring value);

    // IXmlDocument
    HRESULT STDMETHODCALLTYPE get_Doctype(sdk::IXmlDocumentType** value) override;
    HRESULT STDMETHODCALLTYPE get_Implementation(sdk::IXmlDomImplementation** value) override;
    HRESULT STDMETHODCALLTYPE get_DocumentElement(sdk::IXmlElement** value) override;
    HRESULT STDMETHODCALLTYPE CreateElement(HSTRING tagName, sdk::IXmlElement** newElement) override;
    HRESULT STDMETHODCALLTYPE CreateDocumentFragment(sdk::IXmlDocumentFragment** value) override;
    HRESULT STDMETHODCALLTYPE CreateTextNode(HSTRING data, sdk::IXmlText** newTextNode) override;
    HRESULT STDMETHODCALLTYPE CreateComment(HSTRING data, sdk::IXmlComment** value) override;
    HRESULT STDMETHODCALLTYPE CreateProcessingInstruction(HSTRING target, HSTRING data,
                                                          sdk::IXmlProcessingInstruction** value) override;
    HRESULT STDMETHODCALLTYPE CreateAttribute(HSTRING name, sdk::IXmlAttribute** value) override;
    HRESULT STDMETHODCALLTYPE CreateEntityReference(HSTRING name, sdk::IXmlEntityReference** value) override;
    HRESULT STDMETHODCALLTYPE GetElementsByTagName(HSTRING tagName, sdk::IXmlNodeList** elements) override;
    HRESULT STDMETHODCALLTYPE CreateCDataSection(HSTRING data, sdk::IXmlCDataSection** value) override;
    HRESULT STDMETHODCALLTYPE get_DocumentUri(HSTRING* value) override;
    HRESULT STDMETHODCALLTYPE CreateAttributeNS(IInspectable* namespaceUri, HSTRING qualifiedName,
                                                sdk::IXmlAttribute** value) override;
    HRESULT STDMETHODCALLTYPE CreateElementNS(IInspectable* namespaceUri, HSTRING qualifiedName,
                                              sdk::IXmlElement** value) override;
    HRESULT STDMETHODCALLTYPE GetElementById(HSTRING elementId, sdk::IXmlElement** element) override;
    HRESULT STDMETHODCALLTYPE ImportNode(sdk::IXmlNode* node, boolean deep, sdk::IXmlNode** newNode) override;

    // IXmlNode
    HRESULT STDMETHODCALLTYPE get_NodeValue(IInspectable** value) override;
    HRESULT STDMETHODCALLTYPE put_NodeValue(IInspectable* value) override;
    HRESULT STDMETHODCALLTYPE get_NodeType(sdk::NodeType* value) override;
    HRESULT STDMETHODCALLTYPE get_NodeName(HSTRING* value) override;
    HRESULT STDMETHODCALLTYPE get_ParentNode(sdk::IXmlNode** value) override;
    HRESULT STDMETHODCALLTYPE get_ChildNodes(sdk::IXmlNodeList** value) override;
    HRESULT STDMETHODCALLTYPE get_FirstChild(sdk::IXmlNode** value) override;
    HRESULT STDMETHODCALLTYPE get_LastChild(sdk::IXmlNode** value) override;
    HRESULT STDMETHODCALLTYPE get_PreviousSibling(sdk::IXmlNode** value) override;
    HRESULT STDMETHODCALLTYPE get_NextSibling(sdk::IXmlNode** value) override;
    HRESULT STDMETHODCALLTYPE get_Attributes(sdk::IXmlNamedNodeMap** value) override;
    HRESULT STDMETHODCALLTYPE HasChildNodes(boolean* value) override;
    HRESULT STDMETHODCALLTYPE get_OwnerDocument(sdk::IXmlDocument** value) override;
    HRESULT STDMETHODCALLTYPE InsertBefore(sdk::IXmlNode* newChild, sdk::IXmlNode* referenceChild,
                                           sdk::IXmlNode** insertedChild) override;
    HRESULT STDMETHODCALLTYPE ReplaceChild(sdk::IXmlNode* newChild, sdk::IXmlNode* referenceChild,
                                           sdk::IXmlNode** previousChild) override;
    HRESULT STDMETHODCALLTYPE RemoveChild(sdk::IXmlNode* childNode, sdk::IXmlNode** removedChild) override;
    HRESULT STDMETHODCALLTYPE AppendChild(sdk::IXmlNode* newChild, sdk::IXmlNode** appendedChild) override;
    HRESULT STDMETHODCALLTYPE CloneNode(boolean deep, sdk::IXmlNode** newNode) override;
    HRESULT STDMETHODCALLTYPE get_NamespaceUri(IInspectable** value) override;
    HRESULT STDMETHODCALLTYPE get_LocalName(IInspectable** value) override;
    HRESULT STDMETHODCALLTYPE get_Prefix(IInspectable** value) override;
    HRESULT STDMETHODCALLTYPE Normalize() override;
    HRESULT STDMETHODCALLTYPE put_Prefix(IInspectable* value) override;

    // IXmlElement (GetElementsByTagName is shared with the document)
    HRESULT STDMETHODCALLTYPE get_TagName(HSTRING* value) override;
    HRESULT STDMETHODCALLTYPE GetAttribute(HSTRING attributeName, HSTRING* attributeValue) override;
    HRESULT STDMETHODCALLTYPE SetAttribute(HSTRING attributeName, HSTRING attributeValue) override;
    HRESULT STDMETHODCALLTYPE RemoveAttribute(HSTRING attributeName) override;
    HRESULT STDMETHODCALLTYPE GetAttributeNode(HSTRING attributeName, sdk::IXmlAttribute** value) override;
    HRESULT STDMETHODCALLTYPE SetAttributeNode(sdk::IXmlAttribute* newAttribute, sdk::IXmlAttribute** previous) override;
    HRESULT STDMETHODCALLTYPE RemoveAttributeNode(sdk::IXmlAttribute* attributeNode,
                                                  sdk::IXmlAttribute** removed) override;
    HRESULT STDMETHODCALLTYPE SetAttributeNS(IInspectable* namespaceUri, HSTRING qualifiedName,
                                             HSTRING value) override;
    HRESULT STDMETHODCALLTYPE GetAttributeNS(IInspectable* namespaceUri, HSTRING localName, HSTRING* value) override;
    HRESULT STDMETHODCALLTYPE RemoveAttributeNS(IInspectable* namespaceUri, HSTRING localName) override;
    HRESULT STDMETHODCALLTYPE SetAttributeNodeNS(sdk::IXmlAttribute* newAttribute,
                                                 sdk::IXmlAttribute** previous) override;
    HRESULT STDMETHODCALLTYPE GetAttributeNodeNS(IInspectable* namespaceUri, HSTRING localName,
                                                 sdk::IXmlAttribute** previous) override;

    // IXmlText
    HRESULT STDMETHODCALLTYPE SplitText(UINT32 offset, sdk::IXmlText** secondPart) override;

    // IXmlNodeSerializer
    HRESULT STDMETHODCALLTYPE GetXml(HSTRING* outerXml) override;
    HRESULT STDMETHODCALLTYPE get_InnerText(HSTRING* value) override;
    HRESULT STDMETHODCALLTYPE put_InnerText(HSTRING value) override;

protected:
    void* Find(REFIID iid) override;
    const wchar_t* ClassName() const override;

private:
    XmlNode(XmlKind kind, std::wstring nameOrText)
        : RtObject(NameOf(kind)), kind_(kind), value_(std::move(nameOrText))
    {
    }
    static const wchar_t* NameOf(XmlKind kind);
    void Dispose() override;
    ~XmlNode() override = default;
    bool IsAncestorOrSelf(const XmlNode* node) const;
    void Detach();

    XmlKind kind_;
    std::wstring value_;  // element name, or the text of a text node
    std::vector<std::pair<std::wstring, std::wstring>> attributes_;
    XmlNode* parent_ = nullptr;                 // the parent holds a reference to us
    std::vector<com_ptr<XmlNode>> children_;
};

// The whole DOM is guarded by one lock: toasts are few and small.
std::recursive_mutex& XmlLock();

}  // namespace tapdeck::sim
