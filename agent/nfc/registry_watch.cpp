#include "registry_watch.h"

#include "nfc_registry.h"

namespace tapdeck {
namespace {

// New subkeys show as name changes, values written into them only with the
// subtree watched; an installer writes the subkey first and its values after.
constexpr DWORD kWatchFilter = REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET;

bool Arm(HKEY key, HANDLE event)
{
    return ::RegNotifyChangeKeyValue(key, TRUE, kWatchFilter, event, TRUE) == ERROR_SUCCESS;
}

}  // namespace

bool RegistryWatch::Start(Callback callback, void* context)
{
    if (thread_) return false;
    callback_ = callback;
    context_ = context;
    changeEvent_.reset(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
    stopEvent_.reset(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
    armedEvent_.reset(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (changeEvent_ && stopEvent_ && armedEvent_)
        thread_.reset(::CreateThread(nullptr, 0, Thread, this, 0, nullptr));
    if (!thread_) {
        armedEvent_.reset();
        Stop();
        return false;
    }
    // A registration written right after the subscriptions were made must
    // not slip in before the first notification is armed.
    const HANDLE started[] = {armedEvent_.get(), thread_.get()};
    ::WaitForMultipleObjects(2, started, FALSE, INFINITE);
    armedEvent_.reset();
    return true;
}

void RegistryWatch::Stop()
{
    if (thread_) {
        ::SetEvent(stopEvent_.get());
        ::WaitForSingleObject(thread_.get(), INFINITE);
        thread_.reset();
    }
    stopEvent_.reset();
    changeEvent_.reset();
}

DWORD WINAPI RegistryWatch::Thread(void* param)
{
    static_cast<RegistryWatch*>(param)->Run();
    return 0;
}

void RegistryWatch::Run()
{
    unique_hkey key;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kNfcdbKey, 0, KEY_NOTIFY, key.put()) != ERROR_SUCCESS) return;
    if (!Arm(key.get(), changeEvent_.get())) return;
    ::SetEvent(armedEvent_.get());

    const HANDLE events[] = {changeEvent_.get(), stopEvent_.get()};
    for (;;) {
        const DWORD woke = ::WaitForMultipleObjects(2, events, FALSE, INFINITE);
        if (woke != WAIT_OBJECT_0) break;
        // Armed again before reading, so that a value written while the
        // callback reads signals once more instead of going unseen.
        const bool armed = Arm(key.get(), changeEvent_.get());
        if (callback_) callback_(context_);
        if (!armed) break;
    }
}

}  // namespace tapdeck
