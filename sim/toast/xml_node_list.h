#pragma once
// A snapshot list of DOM nodes, as GetElementsByTagName and ChildNodes return.
#include <vector>

#include "com_ptr.h"
#include "rt_object.h"
#include "xml_dom.h"
#include "xml_node.h"

namespace tapdeck::sim {

class XmlNodeList final : public RtObject<sdk::IXmlNodeList> {
public:
    explicit XmlNodeList(const std::vector<XmlNode*>& nodes);

    HRESULT STDMETHODCALLTYPE get_Length(UINT32* value) override;
    HRESULT STDMETHODCALLTYPE Item(UINT32 index, sdk::IXmlNode** node) override;

protected:
    void* Find(REFIID iid) override;
    void Dispose() override { nodes_.clear(); }
    const wchar_t* ClassName() const override { return L"Windows.Data.Xml.Dom.XmlNodeList"; }

private:
    std::vector<com_ptr<XmlNode>> nodes_;
};

}  // namespace tapdeck::sim
