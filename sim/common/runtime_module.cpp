#include "runtime_module.h"

#include "unique_hstring.h"

namespace tapdeck::sim {

HRESULT ActivationFactoryOf(std::initializer_list<ServedClass> classes, HSTRING classId,
                            IActivationFactory** factory)
{
    if (!factory) return E_POINTER;
    *factory = nullptr;
    const std::wstring name = to_wstring(classId);
    for (const ServedClass& served : classes) {
        if (name != served.name) continue;
        *factory = served.factory();
        return *factory ? S_OK : E_OUTOFMEMORY;
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

}  // namespace tapdeck::sim
