// simctl commands of the user-interface stand-ins (toast host, application
// activation manager, app visibility) and of Pairwell's open dialog.
#include <windows.h>
#include <tlhelp32.h>
#include <cwchar>
#include <string>

#include "../../pairwell/dialogs.h"
#include "../activation/activation_channel.h"
#include "../appvisibility/appvisibility_channel.h"
#include "../store/store_channel.h"
#include "../toast/toast_channel.h"
#include "sim_state.h"
#include "simctl_command.h"
#include "unique_handle.h"
#include "window_props.h"

namespace tapdeck::sim {
namespace {

constexpr DWORD kDeliveryTimeoutMs = 5000;

// The agent's tag writer ("/WriteWifiTag"), searched after Pairwell's dialogs.
constexpr wchar_t kWriteTagDialogProp[] = L"Tapdeck WriteTagDlg Prop";

int PrintFile(std::wstring_view area, std::wstring_view file)
{
    SimctlPrint(ReadStateFile(area, file));
    return 0;
}

// Sets one of the toast host's events and waits until the host took it.
int ToastAction(const wchar_t* eventName)
{
    const std::wstring shown = ReadStateFile(toast::kArea, toast::kShownState);
    if (shown.empty()) {
        SimctlPrint(L"no toast shown\n");
        return 1;
    }
    // The first field names the process that shows the toast.
    const unsigned long processId = std::wcstoul(shown.c_str(), nullptr, 10);
    unique_event delivered(::CreateEventW(nullptr, FALSE, FALSE, toast::kDeliveredEvent));
    unique_event action(::OpenEventW(EVENT_MODIFY_STATE, FALSE, toast::EventFor(eventName, processId).c_str()));
    if (!delivered || !action) {
        SimctlPrint(L"no toast host running\n");
        return 1;
    }
    ::SetEvent(action.get());
    return ::WaitForSingleObject(delivered.get(), kDeliveryTimeoutMs) == WAIT_OBJECT_0 ? 0 : 1;
}

int ToastClick(const SimctlArgs& args)
{
    return args.empty() ? ToastAction(toast::kActivateEvent) : 2;
}

int ToastDismiss(const SimctlArgs& args)
{
    return args.empty() ? ToastAction(toast::kDismissEvent) : 2;
}

int ToastShown(const SimctlArgs&)
{
    const std::wstring shown = ReadStateFile(toast::kArea, toast::kShownState);
    if (shown.empty()) return 1;
    SimctlPrint(shown + L"\n");
    return 0;
}

int ToastRecords(const SimctlArgs&) { return PrintFile(toast::kArea, toast::kRecords); }
int ActivationRecords(const SimctlArgs&) { return PrintFile(activation::kArea, activation::kRecords); }
int AppVisibilityRecords(const SimctlArgs&) { return PrintFile(appvisibility::kArea, appvisibility::kRecords); }
int StoreRecords(const SimctlArgs&) { return PrintFile(store::kArea, store::kRecords); }

int UiReset(const SimctlArgs&)
{
    DeleteStateFile(toast::kArea, toast::kRecords);
    DeleteStateFile(toast::kArea, toast::kShownState);
    DeleteStateFile(activation::kArea, activation::kRecords);
    DeleteStateFile(appvisibility::kArea, appvisibility::kRecords);
    DeleteStateFile(appvisibility::kArea, appvisibility::kState);
    DeleteStateFile(store::kArea, store::kRecords);
    return 0;
}

// appvis-set LAUNCHER MODE: the Start screen shown (1) or not (0), and the
// Store-app state of every monitor (0 unknown, 1 desktop, 2 a Store app).
int AppVisibilitySet(const SimctlArgs& args)
{
    if (args.size() != 2) return 2;
    const int launcher = _wtoi(args[0].c_str());
    const int mode = _wtoi(args[1].c_str());
    if (launcher < 0 || launcher > 1 || mode < 0 || mode > 2) return 2;
    if (!WriteStateFile(appvisibility::kArea, appvisibility::kState,
                        L"launcher=" + std::to_wstring(launcher) + L"\nmode=" + std::to_wstring(mode) + L"\n"))
        return 1;
    // Every program that watches hears it; one that starts later reads the state.
    unique_file snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    if (!snapshot) return 1;
    for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more; more = ::Process32NextW(snapshot.get(), &entry)) {
        const std::wstring name = appvisibility::ChangedEventFor(entry.th32ProcessID);
        if (unique_event changed{::OpenEventW(EVENT_MODIFY_STATE, FALSE, name.c_str())}) ::SetEvent(changed.get());
    }
    return 0;
}

HWND FindPairwellDialog(std::wstring* property = nullptr)
{
    // Searched as Pairwell searches them.
    for (const wchar_t* name : pairwell::kDialogProperties) {
        if (HWND found = FindWindowWithProp(name)) {
            if (property) *property = name;
            return found;
        }
    }
    HWND writer = FindWindowWithProp(kWriteTagDialogProp);
    if (writer && property) *property = kWriteTagDialogProp;
    return writer;
}

// window-prop PROP: whether a program's window is up, found as other
// programs find it, by the property it carries.
int WindowProp(const SimctlArgs& args)
{
    if (args.size() != 1) return 2;
    return FindWindowWithProp(args[0].c_str()) ? 0 : 1;
}

// dialog-press ID: what a click on the control with that id does; an id
// without a control (2, Escape) is posted as a bare command.
int DialogPress(const SimctlArgs& args)
{
    if (args.size() != 1) return 2;
    const int id = _wtoi(args[0].c_str());
    HWND dialog = FindPairwellDialog();
    if (!dialog) {
        SimctlPrint(L"no Pairwell dialog open\n");
        return 1;
    }
    HWND control = ::GetDlgItem(dialog, id);
    if (control && (::GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK) == BS_AUTOCHECKBOX) {
        const LRESULT state = ::SendMessageW(control, BM_GETCHECK, 0, 0);
        ::SendMessageW(control, BM_SETCHECK, state == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED, 0);
    }
    return ::PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(control)) ? 0 : 1;
}

// dialog-type ID TEXT: the control's text becomes TEXT, as if typed, and the
// dialog hears of the change.
int DialogType(const SimctlArgs& args)
{
    if (args.size() != 2) return 2;
    const int id = _wtoi(args[0].c_str());
    HWND dialog = FindPairwellDialog();
    HWND control = dialog ? ::GetDlgItem(dialog, id) : nullptr;
    if (!control) {
        SimctlPrint(L"no such control in an open dialog\n");
        return 1;
    }
    ::SendMessageW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(args[1].c_str()));
    ::SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, EN_CHANGE), reinterpret_cast<LPARAM>(control));
    return 0;
}

// dialog-close: Alt+F4 on the open dialog.
int DialogClose(const SimctlArgs&)
{
    HWND dialog = FindPairwellDialog();
    if (!dialog) return 1;
    return ::PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0) ? 0 : 1;
}

// Asked of the control itself: an edit field of another process keeps what
// was typed from GetWindowText.
std::wstring WindowText(HWND window)
{
    wchar_t text[512] = {};
    DWORD_PTR copied = 0;
    ::SendMessageTimeoutW(window, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_BLOCK, kDeliveryTimeoutMs,
                          &copied);
    return text;
}

std::wstring Hex(DWORD value)
{
    wchar_t text[16];
    ::wsprintfW(text, L"%08X", value);
    return text;
}

// dialog-info: the open dialog, its controls in creation order and the focus.
int DialogInfo(const SimctlArgs&)
{
    std::wstring property;
    HWND dialog = FindPairwellDialog(&property);
    if (!dialog) {
        SimctlPrint(L"no Pairwell dialog open\n");
        return 1;
    }
    wchar_t className[256] = {};
    ::GetClassNameW(dialog, className, 256);
    std::wstring out = L"dialog\t" + property + L"\t" + className + L"\t" + WindowText(dialog) + L"\t" +
                       Hex(static_cast<DWORD>(::GetWindowLongW(dialog, GWL_STYLE))) + L"\t" +
                       Hex(static_cast<DWORD>(::GetWindowLongW(dialog, GWL_EXSTYLE))) + L"\n";
    GUITHREADINFO thread{};
    thread.cbSize = sizeof(thread);
    ::GetGUIThreadInfo(::GetWindowThreadProcessId(dialog, nullptr), &thread);
    // Children come back in Z order, which for these dialogs is creation order.
    for (HWND child = ::GetWindow(dialog, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        ::GetClassNameW(child, className, 256);
        out += L"control\t" + std::to_wstring(::GetDlgCtrlID(child)) + L"\t" + className + L"\t" +
               Hex(static_cast<DWORD>(::GetWindowLongW(child, GWL_STYLE))) + L"\t" + WindowText(child) +
               (thread.hwndFocus == child ? L"\tfocus" : L"") + L"\n";
    }
    SimctlPrint(out);
    return 0;
}

const SimctlCommand toastClick(L"toast-click", L"  click the toast on screen", ToastClick);
const SimctlCommand toastDismiss(L"toast-dismiss", L"  dismiss the toast on screen", ToastDismiss);
const SimctlCommand toastShown(L"toast-shown", L"  the toast on screen (exit 1: none)", ToastShown);
const SimctlCommand toastRecords(L"toast-records", L"  shown, dropped (no Start-menu shortcut has the app id), hidden, clicked and dismissed toasts", ToastRecords);
const SimctlCommand activationRecords(L"activation-records", L"  app activations", ActivationRecords);
const SimctlCommand appVisibilitySet(L"appvis-set", L"LAUNCHER MODE  Start screen 0|1, monitors 0|1|2",
                                     AppVisibilitySet);
const SimctlCommand appVisibilityRecords(L"appvis-records", L"  advises and raised events", AppVisibilityRecords);
const SimctlCommand storeRecords(L"store-records", L"  Store pages asked for", StoreRecords);
const SimctlCommand uiReset(L"ui-reset", L"  forget toasts, activations, Store pages and app visibility", UiReset);
const SimctlCommand dialogPress(L"dialog-press", L"ID  press a control of the open dialog (Pairwell's, the tag writer)",
                                DialogPress);
const SimctlCommand dialogType(L"dialog-type", L"ID TEXT  type TEXT into a control of the open dialog", DialogType);
const SimctlCommand dialogClose(L"dialog-close", L"  Alt+F4 on the open dialog (Pairwell's, the tag writer)", DialogClose);
const SimctlCommand windowProp(L"window-prop", L"PROP  exit 0 when a top-level window carries the property",
                               WindowProp);
const SimctlCommand dialogInfo(L"dialog-info", L"  the open dialog (Pairwell's, the tag writer) and its controls",
                               DialogInfo);

}  // namespace
}  // namespace tapdeck::sim
