#pragma once
// What the five proximity handler objects share: a reference count that
// never frees them (they live in the device context block) and an answer to
// QueryInterface for exactly IUnknown and their own delegate interface.
#include <windows.h>
#include <unknwn.h>

#include "nfc_call_gate.h"

namespace tapdeck {

class CNFCManager;

template <typename Delegate>
class CNFCHandler : public Delegate {
public:
    CNFCHandler(CNFCManager& manager, CNFCCallGate& gate) noexcept : manager_(manager), gate_(gate) {}
    CNFCHandler(const CNFCHandler&) = delete;
    CNFCHandler& operator=(const CNFCHandler&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (!object) return E_POINTER;
        if (iid == __uuidof(IUnknown) || iid == __uuidof(Delegate)) {
            *object = static_cast<Delegate*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&count_)); }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(::InterlockedDecrement(&count_)); }

    // 1 when nobody but the block holds the object.
    LONG Count() const noexcept { return ::InterlockedCompareExchange(const_cast<LONG*>(&count_), 0, 0); }

protected:
    // Reached only inside a scope of gate_: an admitted call finds the manager alive.
    CNFCManager& manager_;
    CNFCCallGate& gate_;

private:
    LONG count_ = 1;
};

}  // namespace tapdeck
