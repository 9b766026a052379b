#pragma once
// Publish requests: forwarded by a second instance, carried out by the agent.
#include <windows.h>

namespace tapdeck {

class CTPDApp;

// Second instance: hands its command line to the running agent.
void ForwardPublishRequest(const wchar_t* commandLine, bool manualStart);
// Agent window: a forwarded request arrived.
void OnCopyData(CTPDApp& app, HWND window, UINT message, const COPYDATASTRUCT* data);

}  // namespace tapdeck
