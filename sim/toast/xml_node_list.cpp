#include "xml_node_list.h"

namespace tapdeck::sim {

XmlNodeList::XmlNodeList(const std::vector<XmlNode*>& nodes) : RtObject(L"Windows.Data.Xml.Dom.XmlNodeList")
{
    for (XmlNode* node : nodes) {
        node->AddRef();
        nodes_.push_back(com_ptr<XmlNode>::attach(node));
    }
}

HRESULT STDMETHODCALLTYPE XmlNodeList::get_Length(UINT32* value)
{
    if (!value) return E_POINTER;
    *value = static_cast<UINT32>(nodes_.size());
    return S_OK;
}

HRESULT STDMETHODCALLTYPE XmlNodeList::Item(UINT32 index, sdk::IXmlNode** node)
{
    if (!node) return E_POINTER;
    *node = nullptr;
    // Out of range gives null and success, as the platform's list does.
    if (index >= nodes_.size()) return S_OK;
    *node = static_cast<sdk::IXmlNode*>(nodes_[index].get());
    (*node)->AddRef();
    return S_OK;
}

void* XmlNodeList::Find(REFIID iid)
{
    if (iid == IID_IUnknown || iid == __uuidof(IInspectable) || iid == __uuidof(sdk::IXmlNodeList))
        return static_cast<sdk::IXmlNodeList*>(this);
    return nullptr;
}

}  // namespace tapdeck::sim
