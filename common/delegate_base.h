#pragma once
// What the platform's callback objects share: a reference count that never
// frees them (their owner's block does) and an answer to QueryInterface for
// exactly IUnknown and their own delegate interface.
#include <windows.h>
#include <unknwn.h>

namespace tapdeck {

template <typename Delegate>
class DelegateBase : public Delegate {
public:
    DelegateBase() noexcept = default;
    DelegateBase(const DelegateBase&) = delete;
    DelegateBase& operator=(const DelegateBase&) = delete;

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

    // 1 when nobody but the owner's block holds the object.
    LONG Count() const noexcept { return ::InterlockedCompareExchange(const_cast<LONG*>(&count_), 0, 0); }

private:
    LONG count_ = 1;
};

}  // namespace tapdeck
