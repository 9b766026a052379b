// simctl commands of the current-network stand-in (NetworkInformation).
#include "simctl_command.h"
#include "wlan_sim_state.h"

namespace tapdeck::sim {
namespace {

// Which Windows the connection profiles behave as: 8 lacks their second
// interface (the WLAN details), 8.1 and later have it.
int Windows(const SimctlArgs& args)
{
    if (args.size() != 1 || (args[0] != L"8" && args[0] != L"8.1")) return 2;
    WlanStateLock lock;
    WlanSimState state = LoadWlanState();
    state.connectivityDetails = args[0] == L"8.1";
    return SaveWlanState(state) ? 0 : 1;
}

SimctlCommand windows(L"connectivity-windows", L"8|8.1  whether connection profiles carry their WLAN details",
                      Windows);

}  // namespace
}  // namespace tapdeck::sim
