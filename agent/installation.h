#pragma once
// The one-shot installation switches of the agent.
namespace tapdeck {

class CTPDApp;

void CreateDesktopShortcut(CTPDApp& app);
void Install(CTPDApp& app);
void UnregisterAutoRun();
void DeleteDesktopShortcut();

}  // namespace tapdeck
