#pragma once
// Publish requests: forwarded by a second instance, carried out by the agent.
#include <windows.h>
#include <string>

namespace tapdeck {

class CTPDApp;
class CNFCManager;
class UsageUser;

// Second instance: hands its command line to the running agent.
void ForwardPublishRequest(const wchar_t* commandLine, bool manualStart);
// Sends the payload to the agent's window as UTF-8 in a WM_COPYDATA block.
void SendPublishData(HWND agent, const std::wstring& payload);
// Agent window: a forwarded request arrived.
void OnCopyData(CTPDApp& app, HWND window, UINT message, const COPYDATASTRUCT* data);
// The request itself: "/<type> /<hex>" published as one NDEF message.
void PublishPayload(CNFCManager& nfc, UsageUser& usage, const COPYDATASTRUCT* data);

}  // namespace tapdeck
