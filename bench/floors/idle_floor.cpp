// idle_floor.exe: the floor of the resident agent at rest. A GUI program
// that holds the platform objects any such agent must hold: the
// multithreaded apartment, a window and its message loop, the agent's timer
// (the one-shot usage report five minutes after the start), the default
// proximity device with one message subscription, a change notification on
// the handler registrations' key and one on a folder; nothing else. It runs
// until it is ended.
#include <windows.h>
#include <objbase.h>
#include <roapi.h>

#include <string>

#include "../bench_process.h"
#include "com_ptr.h"
#include "proximity.h"
#include "unique_handle.h"
#include "unique_hstring.h"

using namespace tapdeck;

namespace {

constexpr UINT_PTR kReportTimer = 1;
constexpr UINT kReportDelayMs = 300000;
constexpr wchar_t kMessageType[] = L"NDEF:ext.bench.idle.floor";
constexpr DWORD kKeyFilter = REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET;

// Lives as long as the program: the device may call it on any thread.
class IgnoredMessages final : public sdk::IMessageReceivedHandler {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (iid != __uuidof(IUnknown) && iid != __uuidof(sdk::IMessageReceivedHandler)) return E_NOINTERFACE;
        *object = this;
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE Invoke(sdk::IProximityDevice*, sdk::IProximityMessage*) override { return S_OK; }
};

IgnoredMessages handler;

com_ptr<sdk::IProximityDevice> SubscribedDevice(INT64& subscription)
{
    com_ptr<sdk::IProximityDeviceStatics> statics;
    hstring_ref className(sdk::RuntimeClass_ProximityDevice);
    com_ptr<sdk::IProximityDevice> device;
    if (FAILED(::RoGetActivationFactory(className.get(), __uuidof(sdk::IProximityDeviceStatics), statics.put_void())) ||
        !statics || FAILED(statics->GetDefault(device.put())) || !device)
        return {};
    hstring_ref type(kMessageType);
    if (FAILED(device->SubscribeForMessage(type.get(), &handler, &subscription))) return {};
    return device;
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_TIMER:
        ::KillTimer(window, wParam);
        return 0;
    case WM_DESTROY:
        ::PostQuitMessage(0);
        return 0;
    default:
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    if (FAILED(::CoInitializeEx(nullptr, COINIT_MULTITHREADED))) return 1;
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = L"TapdeckBenchIdleFloor";
    ::RegisterClassExW(&windowClass);
    HWND window = ::CreateWindowExW(0, windowClass.lpszClassName, L"", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                    CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    ::SetTimer(window, kReportTimer, kReportDelayMs, nullptr);

    INT64 subscription = -1;
    com_ptr<sdk::IProximityDevice> device = SubscribedDevice(subscription);
    unique_hkey key;
    unique_event keyChanged(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    unique_file folder(::CreateFileW(temp, FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr));
    unique_event folderChanged(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
    if (!device || !keyChanged || !folder || !folderChanged ||
        ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kNfcdbKey, 0, KEY_NOTIFY, key.put()) != ERROR_SUCCESS)
        return 1;
    alignas(DWORD) BYTE changes[1024];
    OVERLAPPED overlapped{};
    overlapped.hEvent = folderChanged.get();
    auto armKey = [&] { return ::RegNotifyChangeKeyValue(key.get(), TRUE, kKeyFilter, keyChanged.get(), TRUE) == 0; };
    auto armFolder = [&] {
        return ::ReadDirectoryChangesW(folder.get(), changes, sizeof(changes), FALSE, FILE_NOTIFY_CHANGE_LAST_WRITE,
                                       nullptr, &overlapped, nullptr) != FALSE;
    };
    if (!armKey() || !armFolder()) return 1;

    const HANDLE watched[] = {keyChanged.get(), folderChanged.get()};
    for (;;) {
        const DWORD woke = ::MsgWaitForMultipleObjects(2, watched, FALSE, INFINITE, QS_ALLINPUT);
        if (woke == WAIT_OBJECT_0) {
            armKey();
        } else if (woke == WAIT_OBJECT_0 + 1) {
            DWORD bytes = 0;
            ::GetOverlappedResult(folder.get(), &overlapped, &bytes, FALSE);
            armFolder();
        } else if (woke == WAIT_OBJECT_0 + 2) {
            MSG message{};
            while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                if (message.message == WM_QUIT) {
                    ::CancelIoEx(folder.get(), &overlapped);
                    DWORD bytes = 0;
                    ::GetOverlappedResult(folder.get(), &overlapped, &bytes, TRUE);
                    device->StopSubscribingForMessage(subscription);
                    return 0;
                }
                ::TranslateMessage(&message);
                ::DispatchMessageW(&message);
            }
        } else {
            return 1;
        }
    }
}
