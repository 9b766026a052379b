#include "connection_run.h"

#include "camera_payload.h"
#include "companion_app.h"
#include "dialogs.h"
#include "wlan_connect.h"
#include "wlan_profile.h"
#include "wsc_decoder.h"
#include "wsc_profile.h"

namespace tapdeck::pairwell {

ConnectionRun::ConnectionRun(HINSTANCE instance, PackageQuery isInstalled)
    : instance_(instance), isInstalled_(isInstalled ? std::move(isInstalled) : PackageQuery(IsPackageFamilyInstalled))
{
}

ConnectionRun::~ConnectionRun() = default;

void ConnectionRun::RunConnection(HINSTANCE instance, const wchar_t* commandLineText)
{
    instance_ = instance;
    if (usage_.Status() != 0) usage_.Init();
    commandLine_ = commandLineText ? commandLineText : L"";

    // The message itself says which kind of tag was touched.
    if (IsWscMessage(commandLine_)) {
        RunStandardTag();
    } else {
        RunCamera();
    }
    // Every early exit too: the handle is not kept to the end of the process.
    wlan_.Close();
    // A joined toast stays on screen without us; its presenter goes now,
    // while the apartment is still up, not with the process's statics.
    toast_.reset();
    usage_.Release();
}

void ConnectionRun::RunCamera()
{
    if (DecodeCameraPayload(commandLine_, ssid_, passphrase_, ssidBytes_) && ReadCompanionProfile() &&
        CheckCompanionInstalled() && CheckRadioOn() && OpenInterface()) {
        if (ConfirmDisconnect()) {
            ShowConnectingToast(toast_, [this] { LaunchCompanion(); });
            const HRESULT result = ConnectWithRetries();
            if (FAILED(result)) {
                HideToast();
                SubmitEvent({L"WiFiFunction", L"ConnectFailed", L"Count"});
                ShowConnectFailedDlg(instance_);
                wlan_.Close();
            } else if (result == kConnectCancelled) {
                HideToast();
                wlan_.Close();
            } else {
                SubmitEvent({L"WiFiFunction", L"ConnectSuccess", L"Count"});
                HideToast();
                wlan_.Close();
                LaunchCompanion();
            }
        }
    }
}

void ConnectionRun::RunStandardTag()
{
    const WscTag tag = DecodeWscMessage(commandLine_);
    switch (tag.outcome) {
    case WscOutcome::Malformed: return;
    case WscOutcome::NoCredential: ShowTagEmptyDlg(instance_); return;
    case WscOutcome::Unsupported: ShowTagUnsupportedDlg(instance_); return;
    case WscOutcome::Usable: break;
    }
    standardTag_ = true;
    FillWscProfileParams(tagProfile_, tag.network);
    ssid_ = tagProfile_.profileName;
    passphrase_ = tagProfile_.keyMaterial;
    // The configuration gives the connect attempts and their wait.
    if (!ReadCompanionProfile() || !CheckRadioOn() || !OpenInterface() || !ConfirmDisconnect()) return;
    ShowTagConnectingToast(toast_, ssid_);
    const HRESULT result = ConnectWithRetries();
    HideToast();
    if (FAILED(result)) {
        SubmitEvent({L"WiFiFunction", L"ConnectFailed", L"Count"});
        ShowTagConnectFailedDlg(instance_);
    } else if (result != kConnectCancelled) {
        SubmitEvent({L"WiFiFunction", L"ConnectSuccess", L"Count"});
        // Stays on screen after the process ends; the user may not have
        // looked while it connected.
        ShowTagConnectedToast(toast_, ssid_);
    }
}

bool ConnectionRun::ReadCompanionProfile()
{
    const std::wstring path = InstalledProfilePath();
    if (path.empty()) return false;
    CompanionProfileReader reader;
    if (!reader.ReadProfile(path) || reader.Entries().empty()) return false;
    profile_ = reader.Entries();
    return true;
}

void ConnectionRun::HideToast()
{
    if (toast_) toast_->HideToast();
    toast_.reset();
}

bool ConnectionRun::CheckCompanionInstalled()
{
    if (profile_.empty()) return false;
    const std::wstring& family = profile_.front().packageFamilyName;
    if (isInstalled_(family.c_str())) return true;
    SubmitEvent({L"General", L"Display", L"AppNotInstalled"});
    if (ShowKOXNotInstalledDlg(instance_) == 1) {
        SubmitEvent({L"General", L"ButtonClick", L"Install", L"AppNotInstalled"});
        OpenStorePage(family.c_str());
    }
    return false;
}

bool ConnectionRun::CheckRadioOn()
{
    WlanLink probe;
    if (probe.IsRadioOn()) return true;
    if (standardTag_) {
        ShowTagPowerOffDlg(instance_);
    } else {
        ShowPowerOffDlg(instance_);
    }
    return false;
}

void ConnectionRun::LaunchCompanion()
{
    // The toast's click and the main thread after connecting may both come:
    // once one has told the user the companion is missing, the other waits
    // for that answer and does not tell it again.
    std::lock_guard<std::mutex> lock(launchLock_);
    if (companionMissing_) return;
    if (!CheckCompanionInstalled()) {
        companionMissing_ = true;
        return;
    }
    SubmitEvent({L"LaunchFunction", L"Used", L"Count"});
    if (profile_.empty()) return;
    ActivateCompanionApp(profile_.front().appUserModelId.c_str());
}

void ConnectionRun::DisconnectCamera(const std::wstring& profileName)
{
    if (wlan_.OpenFirstInterface()) {
        WlanLink radio;
        // Only a network known by name is dropped: one that is connected
        // but withheld may be another.
        if (radio.IsRadioOn() && wlan_.QueryCurrentConnection() == CurrentLink::Connected &&
            EqualsNoCase(wlan_.CurrentProfileName(), profileName)) {
            wlan_.Disconnect();
        }
    }
    wlan_.Close();
}

void ConnectionRun::SetCameraNetwork(std::wstring ssid, std::wstring passphrase)
{
    ssid_ = std::move(ssid);
    passphrase_ = std::move(passphrase);
}

void ConnectionRun::Cancel()
{
    cancelRequested_ = true;
    std::lock_guard<std::mutex> lock(eventLock_);
    if (cancelEvent_) ::SetEvent(cancelEvent_.get());
}

void ConnectionRun::SignalConnected(const GUID& interfaceGuid, const std::wstring& profileName)
{
    // The interface and the ssid are set before the notification is
    // registered and stay while it is.
    if (!::IsEqualGUID(interfaceGuid, wlan_.InterfaceGuid()) || profileName != ssid_) return;
    std::lock_guard<std::mutex> lock(eventLock_);
    if (connectEvent_) ::SetEvent(connectEvent_.get());
}

bool ConnectionRun::CreateConnectEvents()
{
    std::lock_guard<std::mutex> lock(eventLock_);
    connectEvent_.reset(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
    if (!connectEvent_) return false;
    cancelEvent_.reset(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
    return static_cast<bool>(cancelEvent_);
}

void ConnectionRun::CloseConnectEvents()
{
    std::lock_guard<std::mutex> lock(eventLock_);
    connectEvent_.reset();
    cancelEvent_.reset();
}

}  // namespace tapdeck::pairwell
