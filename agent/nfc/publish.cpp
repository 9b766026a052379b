#include "publish.h"

#include "agent_messages.h"

namespace tapdeck {

void ForwardPublishRequest(const wchar_t* commandLine, bool manualStart)
{
    (void)commandLine;
    if (!manualStart) return;
    if (HWND agent = FindAgentWindow()) ::PostMessageW(agent, WM_SHOW_MAIN_DLG, 0, 0);
}

void OnCopyData(CTPDApp&, HWND, UINT, const COPYDATASTRUCT*) {}

}  // namespace tapdeck
