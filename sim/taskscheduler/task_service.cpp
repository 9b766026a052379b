#include "task_service.h"

#include "dispatch_object.h"
#include "dispatch_props.h"
#include "task_definition.h"
#include "task_folder.h"
#include "task_store.h"

namespace tapdeck::sim {
namespace {

class TaskService final : public DispatchObject<ITaskService> {
public:
    HRESULT STDMETHODCALLTYPE GetFolder(BSTR path, ITaskFolder** folder) override
    {
        if (!folder) return E_POINTER;
        *folder = nullptr;
        if (!connected_) return HRESULT_FROM_WIN32(ERROR_ONLY_IF_CONNECTED);
        const std::wstring target = JoinTaskPath(L"\\", Text(path));
        // The root exists on every machine.
        if (target == L"\\") ::CreateDirectoryW(FolderDirectory(target).c_str(), nullptr);
        if (!FolderExists(target)) return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
        *folder = OpenTaskFolder(target);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetRunningTasks(LONG, IRunningTaskCollection**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE NewTask(DWORD flags, ITaskDefinition** definition) override
    {
        if (!definition) return E_POINTER;
        *definition = nullptr;
        if (!connected_) return HRESULT_FROM_WIN32(ERROR_ONLY_IF_CONNECTED);
        if (flags != 0) return E_INVALIDARG;
        *definition = NewTaskDefinition();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Connect(VARIANT server, VARIANT user, VARIANT domain, VARIANT password) override
    {
        // Only this machine, as the caller: anything named is another machine or account.
        const bool local = server.vt == VT_EMPTY && user.vt == VT_EMPTY && domain.vt == VT_EMPTY &&
                           password.vt == VT_EMPTY;
        const HRESULT hr = local ? S_OK : E_NOTIMPL;
        connected_ = SUCCEEDED(hr);
        return hr;
    }
    HRESULT STDMETHODCALLTYPE get_Connected(VARIANT_BOOL* connected) override
    {
        if (!connected) return E_POINTER;
        *connected = connected_ ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_TargetServer(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_ConnectedUser(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_ConnectedDomain(BSTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_HighestVersion(DWORD* version) override
    {
        if (!version) return E_POINTER;
        *version = (1u << 16) | 4u;
        return S_OK;
    }

private:
    bool connected_ = false;
};

}  // namespace

ITaskService* NewTaskService() { return new TaskService(); }

}  // namespace tapdeck::sim
