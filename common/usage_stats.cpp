#include "usage_stats.h"

#include <array>
#include <mutex>
#include <string>

#include "guarded_call.h"
#include "known_folder.h"
#include "proc_address.h"
#include "vi_critical_section.h"

namespace tapdeck {
namespace {

constexpr wchar_t kAppName[] = L"Tapdeck";
constexpr wchar_t kLibraryTail[] = L"\\Vexa\\Quor Improvement\\tallyr.dll";
constexpr int kWaitMs = 1000;

// The library's entry points, in the order they are resolved.
enum Entry : size_t {
    SubmitStat, SubmitStatAsync, SubmitEvent, SubmitEventAsync, SubmitEventMAI, SubmitEventMAIAsync,
    SubmitSetting, SubmitSettingAsync, SubmitSettingMAI, SubmitSettingMAIAsync, SubmitSettingDiscrete,
    SubmitSettingDiscreteAsync, SubmitSettingDiscreteMAI, SubmitSettingDiscreteMAIAsync, WaitForTermination,
    TriggerUpload, QuorCareIntelUpload, FlushQueue, Initialize, Finalize, CheckWhitelist, kEntryCount
};

struct EntryName {
    const char* name;
    bool required;
};

constexpr std::array<EntryName, kEntryCount> kEntries{{
    {"SubmitStat", true}, {"SubmitStatAsync", true}, {"SubmitEvent", true}, {"SubmitEventAsync", true},
    {"SubmitEventMAI", false}, {"SubmitEventMAIAsync", false}, {"SubmitSetting", true},
    {"SubmitSettingAsync", true}, {"SubmitSettingMAI", false}, {"SubmitSettingMAIAsync", false},
    {"SubmitSettingDiscrete", true}, {"SubmitSettingDiscreteAsync", true}, {"SubmitSettingDiscreteMAI", false},
    {"SubmitSettingDiscreteMAIAsync", false}, {"WaitForTermination", true}, {"TriggerUpload", false},
    {"QuorCareIntelUpload", false}, {"FlushQueue", false}, {"Initialize", false}, {"Finalize", false},
    {"CheckWhitelist", false},
}};

using InitializeFn = HRESULT (*)(const wchar_t* app);
using FinalizeFn = HRESULT (*)(const wchar_t* app, int waitMs);
using WaitForTerminationFn = HRESULT (*)(int waitMs);
using SubmitEventAsyncFn = HRESULT (*)(const wchar_t* app, int count, const wchar_t* const* strings);
using SubmitSettingDiscreteAsyncFn = HRESULT (*)(const wchar_t* app, int count, const wchar_t* const* strings,
                                                 const wchar_t* value, BYTE flag);

// One per process. loadLock serialises loading and unloading, callLock every
// call into the library; both are taken in that order and released in the
// reverse order. module, loaded, users and entries change only under both.
struct UsageClient {
    CVICriticalSection loadLock;
    CVICriticalSection callLock;
    HMODULE module = nullptr;
    bool loaded = false;
    LONG users = 0;
    std::array<FARPROC, kEntryCount> entries{};

    // Both locks, in order; released in reverse by the destructor order.
    class BothLocks {
    public:
        explicit BothLocks(UsageClient& client) : load_(client.loadLock), call_(client.callLock) {}

    private:
        std::lock_guard<CVICriticalSection> load_;
        std::lock_guard<CVICriticalSection> call_;
    };

    HRESULT Load();
    HRESULT Resolve();
    HRESULT Unload();
};

UsageClient& Client()
{
    static UsageClient client;
    return client;
}

bool LibraryPath(std::wstring& path)
{
    path = KnownFolderPath(FOLDERID_ProgramFiles, KF_FLAG_DEFAULT_PATH);
    if (!path.empty()) path += kLibraryTail;
    // The path must fit a classic 260-character buffer, as the library's own
    // installer assumes.
    return !path.empty() && path.size() < MAX_PATH;
}

// Called under both locks when the library is not yet usable.
HRESULT UsageClient::Load()
{
    if (!module) {
        std::wstring path;
        if (!LibraryPath(path)) return kUsageUnavailable;
        HMODULE loadedModule = nullptr;
        // The library's start-up code runs here.
        if (!CallGuarded([&] { loadedModule = ::LoadLibraryW(path.c_str()); })) return kUsageException;
        if (!loadedModule) return kUsageUnavailable;
        module = loadedModule;
    }
    return Resolve();
}

HRESULT UsageClient::Resolve()
{
    bool complete = true;
    for (size_t i = 0; i < kEntryCount; ++i) {
        entries[i] = ::GetProcAddress(module, kEntries[i].name);
        if (kEntries[i].required && !entries[i]) complete = false;
    }
    if (!complete) {
        // An incomplete library takes no calls at all; it stays loaded, and a
        // later attempt resolves again without reloading.
        entries.fill(nullptr);
        loaded = false;
        return kUsageUnavailable;
    }
    loaded = true;
    const auto initialize = ProcAs<InitializeFn>(entries[Initialize]);
    if (!initialize) return S_OK;
    HRESULT result = S_OK;
    if (!CallGuarded([&] { result = initialize(kAppName); })) return kUsageException;
    return result;
}

HRESULT UsageClient::Unload()
{
    HRESULT result = S_OK;
    bool survived = true;
    if (const auto finalize = ProcAs<FinalizeFn>(entries[Finalize])) {
        survived = CallGuarded([&] { result = finalize(kAppName, kWaitMs); });
    } else if (const auto wait = ProcAs<WaitForTerminationFn>(entries[WaitForTermination])) {
        survived = CallGuarded([&] { result = wait(kWaitMs); });
    }
    // A library that failed on its way out is left as it is.
    if (!survived) return kUsageException;
    entries.fill(nullptr);
    HMODULE old = module;
    if (!CallGuarded([&] { ::FreeLibrary(old); })) return kUsageException;
    module = nullptr;
    loaded = false;
    return result;
}

}  // namespace

HRESULT InitUsageStats()
{
    UsageClient& client = Client();
    UsageClient::BothLocks locks(client);
    const HRESULT result = client.loaded ? S_FALSE : client.Load();
    if (client.loaded) ++client.users;
    return result;
}

HRESULT ReleaseUsageStats()
{
    UsageClient& client = Client();
    UsageClient::BothLocks locks(client);
    if (!client.loaded) return kUsageUnavailable;
    if (--client.users >= 1) return S_FALSE;
    return client.Unload();
}

HRESULT SubmitUsageEvent(int count, const wchar_t* const* strings)
{
    UsageClient& client = Client();
    std::lock_guard lock(client.callLock);
    const auto submit = ProcAs<SubmitEventAsyncFn>(client.entries[SubmitEventAsync]);
    if (!submit) return kUsageUnavailable;
    HRESULT result = S_OK;
    if (!CallGuarded([&] { result = submit(kAppName, count, strings); })) return kUsageException;
    return result;
}

HRESULT SubmitUsageSetting(const wchar_t* const* categoryAndName, const wchar_t* value)
{
    UsageClient& client = Client();
    std::lock_guard lock(client.callLock);
    const auto submit = ProcAs<SubmitSettingDiscreteAsyncFn>(client.entries[SubmitSettingDiscreteAsync]);
    if (!submit) return kUsageUnavailable;
    HRESULT result = S_OK;
    if (!CallGuarded([&] { result = submit(kAppName, 2, categoryAndName, value, 1); })) return kUsageException;
    return result;
}

}  // namespace tapdeck
