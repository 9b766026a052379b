#pragma once
// Windows.Data.Xml.Dom, declared at the ABI: mingw-w64 10 has no usable C++
// header for it. Slot order is the vtable order; never add a virtual
// destructor here. Interfaces we never call keep their slots with
// forward-declared parameter types.
#include <windows.h>
#include <inspectable.h>
#include <winstring.h>

namespace sdk {

struct IXmlDocumentType;
struct IXmlDomImplementation;
struct IXmlDocumentFragment;
struct IXmlComment;
struct IXmlProcessingInstruction;
struct IXmlAttribute;
struct IXmlEntityReference;
struct IXmlCDataSection;
struct IXmlNamedNodeMap;
struct IXmlLoadSettings;
struct IXmlElement;
struct IXmlText;
struct IXmlNode;
struct IXmlNodeList;

enum NodeType : INT32 {
    NodeType_Invalid = 0,
    NodeType_ElementNode = 1,
    NodeType_AttributeNode = 2,
    NodeType_TextNode = 3,
    NodeType_DocumentNode = 9,
};

struct IXmlDocument : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE get_Doctype(IXmlDocumentType** value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Implementation(IXmlDomImplementation** value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_DocumentElement(IXmlElement** value) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateElement(HSTRING tagName, IXmlElement** newElement) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateDocumentFragment(IXmlDocumentFragment** value) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateTextNode(HSTRING data, IXmlText** newTextNode) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateComment(HSTRING data, IXmlComment** value) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateProcessingInstruction(HSTRING target, HSTRING data,
                                                                  IXmlProcessingInstruction** value) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateAttribute(HSTRING name, IXmlAttribute** value) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateEntityReference(HSTRING name, IXmlEntityReference** value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetElementsByTagName(HSTRING tagName, IXmlNodeList** elements) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateCDataSection(HSTRING data, IXmlCDataSection** value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_DocumentUri(HSTRING* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateAttributeNS(IInspectable* namespaceUri, HSTRING qualifiedName,
                                                        IXmlAttribute** value) = 0;
    virtual HRESULT STDMETHODCALLTYPE CreateElementNS(IInspectable* namespaceUri, HSTRING qualifiedName,
                                                      IXmlElement** value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetElementById(HSTRING elementId, IXmlElement** element) = 0;
    virtual HRESULT STDMETHODCALLTYPE ImportNode(IXmlNode* node, boolean deep, IXmlNode** newNode) = 0;
};

struct IXmlNodeList : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE get_Length(UINT32* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE Item(UINT32 index, IXmlNode** node) = 0;
};

struct IXmlNode : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE get_NodeValue(IInspectable** value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_NodeValue(IInspectable* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_NodeType(NodeType* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_NodeName(HSTRING* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ParentNode(IXmlNode** value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_ChildNodes(IXmlNodeList** value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_FirstChild(IXmlNode** value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_LastChild(IXmlNode** value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_PreviousSibling(IXmlNode** value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_NextSibling(IXmlNode** value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Attributes(IXmlNamedNodeMap** value) = 0;
    virtual HRESULT STDMETHODCALLTYPE HasChildNodes(boolean* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_OwnerDocument(IXmlDocument** value) = 0;
    virtual HRESULT STDMETHODCALLTYPE InsertBefore(IXmlNode* newChild, IXmlNode* referenceChild,
                                                   IXmlNode** insertedChild) = 0;
    virtual HRESULT STDMETHODCALLTYPE ReplaceChild(IXmlNode* newChild, IXmlNode* referenceChild,
                                                   IXmlNode** previousChild) = 0;
    virtual HRESULT STDMETHODCALLTYPE RemoveChild(IXmlNode* childNode, IXmlNode** removedChild) = 0;
    virtual HRESULT STDMETHODCALLTYPE AppendChild(IXmlNode* newChild, IXmlNode** appendedChild) = 0;
    virtual HRESULT STDMETHODCALLTYPE CloneNode(boolean deep, IXmlNode** newNode) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_NamespaceUri(IInspectable** value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_LocalName(IInspectable** value) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_Prefix(IInspectable** value) = 0;
    virtual HRESULT STDMETHODCALLTYPE Normalize() = 0;
    virtual HRESULT STDMETHODCALLTYPE put_Prefix(IInspectable* value) = 0;
};

struct IXmlText : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE SplitText(UINT32 offset, IXmlText** secondPart) = 0;
};

struct IXmlNodeSerializer : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE GetXml(HSTRING* outerXml) = 0;
    virtual HRESULT STDMETHODCALLTYPE get_InnerText(HSTRING* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE put_InnerText(HSTRING value) = 0;
};

struct IXmlElement : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE get_TagName(HSTRING* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetAttribute(HSTRING attributeName, HSTRING* attributeValue) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetAttribute(HSTRING attributeName, HSTRING attributeValue) = 0;
    virtual HRESULT STDMETHODCALLTYPE RemoveAttribute(HSTRING attributeName) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetAttributeNode(HSTRING attributeName, IXmlAttribute** value) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetAttributeNode(IXmlAttribute* newAttribute, IXmlAttribute** previous) = 0;
    virtual HRESULT STDMETHODCALLTYPE RemoveAttributeNode(IXmlAttribute* attributeNode, IXmlAttribute** removed) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetElementsByTagName(HSTRING tagName, IXmlNodeList** elements) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetAttributeNS(IInspectable* namespaceUri, HSTRING qualifiedName,
                                                     HSTRING value) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetAttributeNS(IInspectable* namespaceUri, HSTRING localName,
                                                     HSTRING* value) = 0;
    virtual HRESULT STDMETHODCALLTYPE RemoveAttributeNS(IInspectable* namespaceUri, HSTRING localName) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetAttributeNodeNS(IXmlAttribute* newAttribute, IXmlAttribute** previous) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetAttributeNodeNS(IInspectable* namespaceUri, HSTRING localName,
                                                         IXmlAttribute** previous) = 0;
};

struct IXmlDocumentIO : IInspectable {
    virtual HRESULT STDMETHODCALLTYPE LoadXml(HSTRING xml) = 0;
    virtual HRESULT STDMETHODCALLTYPE LoadXmlWithSettings(HSTRING xml, IXmlLoadSettings* loadSettings) = 0;
    virtual HRESULT STDMETHODCALLTYPE SaveToFileAsync(IInspectable* file, IInspectable** asyncInfo) = 0;
};

}  // namespace sdk

__CRT_UUID_DECL(sdk::IXmlDocument, 0xf7f3a506, 0x1e87, 0x42d6, 0xbc, 0xfb, 0xb8, 0xc8, 0x09, 0xfa, 0x54, 0x94)
__CRT_UUID_DECL(sdk::IXmlNodeList, 0x8c60ad77, 0x83a4, 0x4ec1, 0x9c, 0x54, 0x7b, 0xa4, 0x29, 0xe1, 0x3d, 0xa6)
__CRT_UUID_DECL(sdk::IXmlNode, 0x1c741d59, 0x2122, 0x47d5, 0xa8, 0x56, 0x83, 0xf3, 0xd4, 0x21, 0x48, 0x75)
__CRT_UUID_DECL(sdk::IXmlText, 0xf931a4cb, 0x308d, 0x4760, 0xa1, 0xd5, 0x43, 0xb6, 0x74, 0x50, 0xac, 0x7e)
__CRT_UUID_DECL(sdk::IXmlNodeSerializer, 0x5cc5b382, 0xe6dd, 0x4991, 0xab, 0xef, 0x06, 0xd8, 0xd2, 0xe7, 0xbd, 0x0c)
__CRT_UUID_DECL(sdk::IXmlElement, 0x2dfb8a1f, 0x6b10, 0x4ef8, 0x9f, 0x83, 0xef, 0xcc, 0xe8, 0xfa, 0xec, 0x37)
__CRT_UUID_DECL(sdk::IXmlDocumentIO, 0x6cd0e74e, 0xee65, 0x4489, 0x9e, 0xbf, 0xca, 0x43, 0xe8, 0x7b, 0xa6, 0x37)
