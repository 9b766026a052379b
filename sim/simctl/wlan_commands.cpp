// simctl commands of the Wi-Fi adapter stand-in (wlanapi.dll).
#include <iterator>
#include <string>

#include "profile_check.h"
#include "sim_state.h"
#include "simctl_command.h"
#include "unique_handle.h"
#include "wlan_profile_flags.h"
#include "wlan_sim_state.h"

namespace tapdeck::sim {
namespace {

// Runs a change of the shared state under its lock.
template <typename Change>
int ChangeState(Change change)
{
    WlanStateLock lock;
    WlanSimState state = LoadWlanState();
    const int code = change(state);
    if (code == 0 && !SaveWlanState(state)) return 1;
    return code;
}

int Reset(const SimctlArgs&)
{
    ResetWlanSim();
    return 0;
}

int Radio(const SimctlArgs& args)
{
    if (args.size() != 1) return 2;
    return ChangeState([&](WlanSimState& state) {
        state.phys.clear();
        if (args[0] == L"none") return 0;
        std::wstring rest = args[0] + L",";
        for (size_t comma; (comma = rest.find(L',')) != std::wstring::npos; rest.erase(0, comma + 1)) {
            const std::wstring phy = rest.substr(0, comma);
            if (phy != L"on" && phy != L"off") return 2;
            state.phys.push_back(phy == L"on");
        }
        return 0;
    });
}

int Interfaces(const SimctlArgs& args)
{
    if (args.size() != 1) return 2;
    return ChangeState([&](WlanSimState& state) {
        state.interfaces = _wtoi(args[0].c_str());
        return 0;
    });
}

// A profile name, or none without an argument.
int SetName(const SimctlArgs& args, std::wstring WlanSimState::*field)
{
    if (args.size() > 1) return 2;
    return ChangeState([&](WlanSimState& state) {
        state.*field = args.empty() ? L"" : args[0];
        return 0;
    });
}

// A setting of two words: the first sets it, the second clears it.
int SetSwitch(const SimctlArgs& args, const wchar_t* on, const wchar_t* off, bool WlanSimState::*field)
{
    if (args.size() != 1 || (args[0] != on && args[0] != off)) return 2;
    return ChangeState([&](WlanSimState& state) {
        state.*field = args[0] == on;
        return 0;
    });
}

int Connected(const SimctlArgs& args) { return SetName(args, &WlanSimState::connected); }

int Network(const SimctlArgs& args)
{
    if (args.empty() || args.size() > 2) return 2;
    return ChangeState([&](WlanSimState& state) {
        state.networks.push_back({args[0], args.size() == 2 ? args[1] : L""});
        return 0;
    });
}

int ConnectMode(const SimctlArgs& args) { return SetSwitch(args, L"ok", L"fail", &WlanSimState::connectSucceeds); }

int Notify(const SimctlArgs& args) { return SetSwitch(args, L"on", L"off", &WlanSimState::notify); }

int Delay(const SimctlArgs& args)
{
    if (args.size() != 1) return 2;
    return ChangeState([&](WlanSimState& state) {
        state.delayMs = static_cast<DWORD>(_wtoi(args[0].c_str()));
        return 0;
    });
}

// The interface states by the names the Native Wifi documentation gives them.
constexpr const wchar_t* kStateNames[] = {L"not-ready",    L"connected",     L"ad-hoc",       L"disconnecting",
                                          L"disconnected", L"associating",   L"discovering",  L"authenticating"};

int State(const SimctlArgs& args)
{
    if (args.size() != 1) return 2;
    return ChangeState([&](WlanSimState& state) {
        for (int i = 0; i < static_cast<int>(std::size(kStateNames)); ++i) {
            if (args[0] == kStateNames[i]) {
                state.connectionState = i;
                return 0;
            }
        }
        return 2;
    });
}

int Preferred(const SimctlArgs& args) { return SetName(args, &WlanSimState::preferred); }

int DisconnectMode(const SimctlArgs& args)
{
    return SetSwitch(args, L"ok", L"fail", &WlanSimState::disconnectSucceeds);
}

int Stray(const SimctlArgs& args)
{
    if (args.size() > 2) return 2;
    return ChangeState([&](WlanSimState& state) {
        state.strayProfile = args.empty() ? L"" : args[0];
        state.strayInterface = args.size() == 2 ? _wtoi(args[1].c_str()) : 1;
        return 0;
    });
}

int Location(const SimctlArgs& args)
{
    if (args.size() != 1 || (args[0] != L"granted" && args[0] != L"denied")) return 2;
    return ChangeState([&](WlanSimState& state) {
        state.locationDenied = args[0] == L"denied";
        return 0;
    });
}

// "add NAME FILE [all-user|per-user|group-policy]": the UTF-8 profile XML in
// FILE, which must be named NAME, stored as a profile of that type.
int UserProfile(const SimctlArgs& args)
{
    if ((args.size() != 3 && args.size() != 4) || args[0] != L"add") return 2;
    DWORD flags = 0;
    if (args.size() == 4) {
        if (args[3] == L"per-user") {
            flags = WLAN_PROFILE_USER;
        } else if (args[3] == L"group-policy") {
            flags = WLAN_PROFILE_GROUP_POLICY;
        } else if (args[3] != L"all-user") {
            return 2;
        }
    }
    unique_file file(::CreateFileW(args[2].c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file) return 1;
    std::string bytes;
    char buffer[4096];
    DWORD read = 0;
    while (::ReadFile(file.get(), buffer, sizeof(buffer), &read, nullptr) && read > 0) bytes.append(buffer, read);
    const std::wstring xml = FromUtf8(bytes);
    CheckedProfile named;
    if (!CheckProfileXml(xml, named).empty() || named.name != args[1]) return 1;
    return ChangeState([&](WlanSimState& state) {
        const std::wstring refusal = AddUserProfile(state, xml, flags);
        if (refusal.empty()) return 0;
        SimctlPrint(refusal + L"\n");
        return 1;
    });
}

int PrintLines(const std::vector<std::wstring>& lines)
{
    std::wstring text;
    for (const std::wstring& line : lines) text += line + L"\n";
    SimctlPrint(text);
    return 0;
}

int Status(const SimctlArgs&)
{
    const WlanSimState state = LoadWlanState();
    std::wstring text = L"connected: " + state.connected + L"\n";
    for (const WlanStoredProfile& profile : state.profiles) {
        text += L"profile: " + profile.name + L" ssid=" + profile.ssid + L" auth=" + profile.authentication + L"\n";
    }
    SimctlPrint(text);
    return 0;
}

SimctlCommand reset(L"wlan-reset", L"  one interface, radio on, not connected, no networks/profiles/records", Reset);
SimctlCommand radio(L"wlan-radio", L"on|off[,on|off...]|none  software radio state of each PHY", Radio);
SimctlCommand interfaces(L"wlan-interfaces", L"N  number of Wi-Fi interfaces", Interfaces);
SimctlCommand connected(L"wlan-connected", L"[PROFILE]  current connection (none without an argument)", Connected);
SimctlCommand network(L"wlan-network", L"SSID [PASSPHRASE]  a network in reach (open without a passphrase)",
                      Network);
SimctlCommand connectMode(L"wlan-connect-mode", L"ok|fail  whether connecting can succeed at all", ConnectMode);
SimctlCommand notify(L"wlan-notify", L"on|off  whether the completion notification comes", Notify);
SimctlCommand state(L"wlan-state",
                    L"connected|associating|authenticating|disconnecting|discovering|ad-hoc|disconnected|not-ready"
                    L"  the state the current connection reports",
                    State);
SimctlCommand preferred(L"wlan-preferred", L"[PROFILE]  network joined by itself after a disconnect (none without)",
                        Preferred);
SimctlCommand disconnectMode(L"wlan-disconnect-mode", L"ok|fail  whether WlanDisconnect succeeds", DisconnectMode);
SimctlCommand stray(L"wlan-stray", L"[PROFILE [INTERFACE]]  a completion for this profile before each connect's own",
                    Stray);
SimctlCommand delay(L"wlan-delay", L"MS  time from a connect request to its outcome", Delay);
SimctlCommand location(L"wlan-location",
                       L"granted|denied  the user's consent to precise location (denied: gated calls refused)",
                       Location);
SimctlCommand userProfile(L"wlan-profile", L"add NAME FILE [all-user|per-user|group-policy]  a profile Pairwell did not write, from its XML", UserProfile);
SimctlCommand events(L"wlan-events", L"  what the product asked for, one line each",
                     [](const SimctlArgs&) { return PrintLines(ReadWlanEvents()); });
SimctlCommand profiles(L"wlan-profiles", L"  the XML of every profile set (accepted/refused)",
                       [](const SimctlArgs&) { return PrintLines(ReadWlanProfiles()); });
SimctlCommand status(L"wlan-status", L"  current connection and stored profiles", Status);

}  // namespace
}  // namespace tapdeck::sim
