#pragma once
// The application activation manager of the test prefix: records each
// activation with the app user model id instead of starting a Store app.
#include <windows.h>
#include <shobjidl.h>
#include <atomic>

#include "census.h"

namespace tapdeck::sim {

class ActivationManager final : public IApplicationActivationManager {
public:
    ActivationManager() : refs_(L"ApplicationActivationManager", 1) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE ActivateApplication(LPCWSTR appUserModelId, LPCWSTR arguments, ACTIVATEOPTIONS options,
                                                  DWORD* processId) override;
    HRESULT STDMETHODCALLTYPE ActivateForFile(LPCWSTR appUserModelId, IShellItemArray* itemArray, LPCWSTR verb,
                                              DWORD* processId) override;
    HRESULT STDMETHODCALLTYPE ActivateForProtocol(LPCWSTR appUserModelId, IShellItemArray* itemArray,
                                                  DWORD* processId) override;

private:
    // Calls come through COM's stub, which keeps its own count of the
    // client's references: this one only goes wrong within the server.
    CountedRefs refs_;
};

// Objects alive in this server; it ends a while after the last one goes.
extern std::atomic<long> g_liveObjects;

}  // namespace tapdeck::sim
