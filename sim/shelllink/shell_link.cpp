#include "shell_link.h"

#include <objidl.h>
#include <propsys.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <atomic>
#include <cstring>
#include <string>
#include <vector>

#include "com_ptr.h"
#include "link_file.h"
#include "unique_handle.h"

namespace tapdeck::sim {

extern std::atomic<long> g_liveObjects;

namespace {

// Wine's own link, reached past the registry (which names this module now).
HRESULT CreateWineShellLink(com_ptr<IShellLinkW>& link)
{
    // Held for the life of the process, like every loaded shell extension.
    static HMODULE shell32 = ::LoadLibraryW(L"shell32.dll");
    if (!shell32) return E_FAIL;
    using GetClassObjectFn = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    auto getClassObject =
        reinterpret_cast<GetClassObjectFn>(reinterpret_cast<void*>(::GetProcAddress(shell32, "DllGetClassObject")));
    if (!getClassObject) return E_FAIL;
    com_ptr<IClassFactory> factory;
    HRESULT hr = getClassObject(CLSID_ShellLink, IID_IClassFactory, factory.put_void());
    if (FAILED(hr)) return hr;
    return factory->CreateInstance(nullptr, IID_IShellLinkW, link.put_void());
}

bool ToLinkProperty(REFPROPERTYKEY key, const PROPVARIANT& value, LinkProperty& out)
{
    out.formatId = key.fmtid;
    out.id = key.pid;
    out.type = value.vt;
    switch (value.vt) {
    case VT_LPWSTR: out.text = value.pwszVal ? value.pwszVal : L""; return true;
    case VT_UI4: out.number = value.ulVal; return true;
    case VT_BOOL: out.number = value.boolVal ? 1 : 0; return true;
    default: return false;
    }
}

HRESULT ToPropVariant(const LinkProperty& in, PROPVARIANT* out)
{
    ::PropVariantInit(out);
    switch (in.type) {
    case VT_LPWSTR: {
        const size_t bytes = (in.text.size() + 1) * sizeof(wchar_t);
        auto* text = static_cast<wchar_t*>(::CoTaskMemAlloc(bytes));
        if (!text) return E_OUTOFMEMORY;
        std::memcpy(text, in.text.c_str(), bytes);
        out->vt = VT_LPWSTR;
        out->pwszVal = text;
        return S_OK;
    }
    case VT_BOOL:
        out->vt = VT_BOOL;
        out->boolVal = in.number ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    default:
        out->vt = VT_UI4;
        out->ulVal = in.number;
        return S_OK;
    }
}

std::vector<BYTE> StreamBytes(IStream* stream)
{
    std::vector<BYTE> bytes;
    BYTE chunk[4096];
    ULONG read = 0;
    while (SUCCEEDED(stream->Read(chunk, sizeof(chunk), &read)) && read > 0) bytes.insert(bytes.end(), chunk, chunk + read);
    return bytes;
}

class ShellLink final : public IShellLinkW, public IPersistFile, public IPersistStream, public IPropertyStore {
public:
    explicit ShellLink(com_ptr<IShellLinkW> inner) : inner_(std::move(inner)) { ++g_liveObjects; }
    ~ShellLink() { --g_liveObjects; }
    ShellLink(const ShellLink&) = delete;
    ShellLink& operator=(const ShellLink&) = delete;

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (iid == IID_IUnknown || iid == IID_IShellLinkW) *out = static_cast<IShellLinkW*>(this);
        else if (iid == IID_IPersistFile) *out = static_cast<IPersistFile*>(this);
        else if (iid == IID_IPersistStream || iid == IID_IPersist) *out = static_cast<IPersistStream*>(this);
        else if (iid == IID_IPropertyStore) *out = static_cast<IPropertyStore*>(this);
        else return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG left = --refs_;
        if (left == 0) delete this;
        return left;
    }

    // IShellLinkW: Wine's link.
    HRESULT STDMETHODCALLTYPE GetPath(LPWSTR file, int cch, WIN32_FIND_DATAW* data, DWORD flags) override
    {
        return inner_->GetPath(file, cch, data, flags);
    }
    HRESULT STDMETHODCALLTYPE GetIDList(PIDLIST_ABSOLUTE* list) override { return inner_->GetIDList(list); }
    HRESULT STDMETHODCALLTYPE SetIDList(PCIDLIST_ABSOLUTE list) override { return Dirty(inner_->SetIDList(list)); }
    HRESULT STDMETHODCALLTYPE GetDescription(LPWSTR name, int cch) override
    {
        return inner_->GetDescription(name, cch);
    }
    HRESULT STDMETHODCALLTYPE SetDescription(LPCWSTR name) override { return Dirty(inner_->SetDescription(name)); }
    HRESULT STDMETHODCALLTYPE GetWorkingDirectory(LPWSTR dir, int cch) override
    {
        return inner_->GetWorkingDirectory(dir, cch);
    }
    HRESULT STDMETHODCALLTYPE SetWorkingDirectory(LPCWSTR dir) override
    {
        return Dirty(inner_->SetWorkingDirectory(dir));
    }
    HRESULT STDMETHODCALLTYPE GetArguments(LPWSTR args, int cch) override { return inner_->GetArguments(args, cch); }
    HRESULT STDMETHODCALLTYPE SetArguments(LPCWSTR args) override { return Dirty(inner_->SetArguments(args)); }
    HRESULT STDMETHODCALLTYPE GetHotkey(WORD* key) override { return inner_->GetHotkey(key); }
    HRESULT STDMETHODCALLTYPE SetHotkey(WORD key) override { return Dirty(inner_->SetHotkey(key)); }
    HRESULT STDMETHODCALLTYPE GetShowCmd(int* show) override { return inner_->GetShowCmd(show); }
    HRESULT STDMETHODCALLTYPE SetShowCmd(int show) override { return Dirty(inner_->SetShowCmd(show)); }
    HRESULT STDMETHODCALLTYPE GetIconLocation(LPWSTR path, int cch, int* icon) override
    {
        return inner_->GetIconLocation(path, cch, icon);
    }
    HRESULT STDMETHODCALLTYPE SetIconLocation(LPCWSTR path, int icon) override
    {
        return Dirty(inner_->SetIconLocation(path, icon));
    }
    HRESULT STDMETHODCALLTYPE SetRelativePath(LPCWSTR path, DWORD reserved) override
    {
        return Dirty(inner_->SetRelativePath(path, reserved));
    }
    HRESULT STDMETHODCALLTYPE Resolve(HWND window, DWORD flags) override { return inner_->Resolve(window, flags); }
    HRESULT STDMETHODCALLTYPE SetPath(LPCWSTR file) override { return Dirty(inner_->SetPath(file)); }

    // IPersist, IPersistFile, IPersistStream
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* clsid) override
    {
        if (!clsid) return E_POINTER;
        *clsid = CLSID_ShellLink;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE IsDirty() override { return dirty_ ? S_OK : S_FALSE; }
    HRESULT STDMETHODCALLTYPE Load(LPCOLESTR fileName, DWORD) override
    {
        if (!fileName) return E_INVALIDARG;
        std::vector<BYTE> bytes = ReadWholeFile(fileName);
        if (bytes.empty()) return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
        const HRESULT hr = LoadBytes(bytes);
        if (SUCCEEDED(hr)) curFile_ = fileName;
        return hr;
    }
    HRESULT STDMETHODCALLTYPE Save(LPCOLESTR fileName, BOOL remember) override
    {
        const std::wstring path = fileName ? fileName : curFile_;
        if (path.empty()) return E_INVALIDARG;
        std::vector<BYTE> bytes;
        HRESULT hr = SaveBytes(bytes);
        if (FAILED(hr)) return hr;
        unique_file file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                       nullptr));
        if (!file) return HRESULT_FROM_WIN32(::GetLastError());
        DWORD written = 0;
        if (!::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
            written != bytes.size())
            return HRESULT_FROM_WIN32(::GetLastError());
        if (remember || !fileName) {
            curFile_ = path;
            dirty_ = false;
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SaveCompleted(LPCOLESTR) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetCurFile(LPOLESTR* fileName) override
    {
        if (!fileName) return E_POINTER;
        *fileName = nullptr;
        if (curFile_.empty()) return S_FALSE;
        const size_t bytes = (curFile_.size() + 1) * sizeof(wchar_t);
        *fileName = static_cast<LPOLESTR>(::CoTaskMemAlloc(bytes));
        if (!*fileName) return E_OUTOFMEMORY;
        std::memcpy(*fileName, curFile_.c_str(), bytes);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Load(IStream* stream) override
    {
        if (!stream) return E_POINTER;
        return LoadBytes(StreamBytes(stream));
    }
    HRESULT STDMETHODCALLTYPE Save(IStream* stream, BOOL clearDirty) override
    {
        if (!stream) return E_POINTER;
        std::vector<BYTE> bytes;
        HRESULT hr = SaveBytes(bytes);
        if (FAILED(hr)) return hr;
        hr = stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), nullptr);
        if (SUCCEEDED(hr) && clearDirty) dirty_ = false;
        return hr;
    }
    HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER* size) override
    {
        if (!size) return E_POINTER;
        std::vector<BYTE> bytes;
        const HRESULT hr = SaveBytes(bytes);
        size->QuadPart = bytes.size();
        return hr;
    }

    // IPropertyStore: what Wine's link does not keep.
    HRESULT STDMETHODCALLTYPE GetCount(DWORD* count) override
    {
        if (!count) return E_POINTER;
        *count = static_cast<DWORD>(properties_.size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetAt(DWORD index, PROPERTYKEY* key) override
    {
        if (!key) return E_POINTER;
        if (index >= properties_.size()) return E_INVALIDARG;
        key->fmtid = properties_[index].formatId;
        key->pid = properties_[index].id;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetValue(REFPROPERTYKEY key, PROPVARIANT* value) override
    {
        if (!value) return E_POINTER;
        ::PropVariantInit(value);
        for (const auto& p : properties_)
            if (::IsEqualGUID(p.formatId, key.fmtid) && p.id == key.pid) return ToPropVariant(p, value);
        return S_OK;  // not set: VT_EMPTY
    }
    HRESULT STDMETHODCALLTYPE SetValue(REFPROPERTYKEY key, REFPROPVARIANT value) override
    {
        LinkProperty p;
        if (!ToLinkProperty(key, value, p)) return E_INVALIDARG;
        dirty_ = true;
        for (auto& existing : properties_) {
            if (::IsEqualGUID(existing.formatId, key.fmtid) && existing.id == key.pid) {
                existing = p;
                return S_OK;
            }
        }
        properties_.push_back(p);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Commit() override { return S_OK; }

private:
    HRESULT Dirty(HRESULT hr)
    {
        if (SUCCEEDED(hr)) dirty_ = true;
        return hr;
    }

    HRESULT SaveBytes(std::vector<BYTE>& bytes)
    {
        com_ptr<IPersistStream> persist;
        HRESULT hr = inner_.as(IID_IPersistStream, persist);
        if (FAILED(hr)) return hr;
        com_ptr<IStream> stream;
        hr = ::CreateStreamOnHGlobal(nullptr, TRUE, stream.put());
        if (FAILED(hr)) return hr;
        hr = persist->Save(stream.get(), TRUE);
        if (FAILED(hr)) return hr;
        LARGE_INTEGER zero{};
        stream->Seek(zero, STREAM_SEEK_SET, nullptr);
        bytes = WithProperties(StreamBytes(stream.get()), properties_);
        return S_OK;
    }

    HRESULT LoadBytes(const std::vector<BYTE>& bytes)
    {
        LinkLayout layout;
        if (!ParseLink(bytes, layout)) return E_FAIL;
        // Wine's link reads the link without the block it does not know.
        const std::vector<BYTE> plain = WithProperties(bytes, {});
        com_ptr<IStream> stream;
        HRESULT hr = ::CreateStreamOnHGlobal(nullptr, TRUE, stream.put());
        if (FAILED(hr)) return hr;
        hr = stream->Write(plain.data(), static_cast<ULONG>(plain.size()), nullptr);
        if (FAILED(hr)) return hr;
        LARGE_INTEGER zero{};
        stream->Seek(zero, STREAM_SEEK_SET, nullptr);
        com_ptr<IPersistStream> persist;
        hr = inner_.as(IID_IPersistStream, persist);
        if (FAILED(hr)) return hr;
        hr = persist->Load(stream.get());
        if (FAILED(hr)) return hr;
        properties_ = layout.properties;
        dirty_ = false;
        return S_OK;
    }

    std::atomic<ULONG> refs_{1};
    com_ptr<IShellLinkW> inner_;
    std::vector<LinkProperty> properties_;
    std::wstring curFile_;
    bool dirty_ = false;
};

}  // namespace

IUnknown* NewShellLink()
{
    com_ptr<IShellLinkW> inner;
    if (FAILED(CreateWineShellLink(inner))) return nullptr;
    return static_cast<IShellLinkW*>(new ShellLink(std::move(inner)));
}

}  // namespace tapdeck::sim
