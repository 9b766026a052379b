#pragma once
// Watches NFCDB, its subkeys and their values, and calls back after each change.
#include <windows.h>

#include "unique_handle.h"

namespace tapdeck {

class RegistryWatch {
public:
    using Callback = void (*)(void* context);

    RegistryWatch() = default;
    RegistryWatch(const RegistryWatch&) = delete;
    RegistryWatch& operator=(const RegistryWatch&) = delete;
    ~RegistryWatch() { Stop(); }

    // Starts the watch thread once and returns when its first notification
    // is armed (or the thread gave up); false when it could not be started.
    bool Start(Callback callback, void* context);
    // Signals the thread and waits for it: no callback runs after this returns.
    void Stop();

private:
    static DWORD WINAPI Thread(void* param);
    void Run();

    unique_thread thread_;
    unique_event changeEvent_;
    unique_event stopEvent_;
    unique_event armedEvent_;  // set by the thread once its first notification is armed
    Callback callback_ = nullptr;
    void* context_ = nullptr;
};

}  // namespace tapdeck
