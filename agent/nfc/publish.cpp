#include "publish.h"

#include <cstring>

#include "agent_messages.h"
#include "nfc_manager.h"
#include "tpd_app.h"
#include "usage_stats.h"
#include "utf8.h"

namespace tapdeck {
namespace {

constexpr wchar_t kPublishSwitch[] = L"/Publish";
constexpr size_t kPublishSwitchLength = 8;

std::wstring PayloadText(const COPYDATASTRUCT* data)
{
    if (!data || !data->lpData) return {};
    return FromUtf8(std::string_view(static_cast<const char*>(data->lpData), data->cbData));
}

}  // namespace

void ForwardPublishRequest(const wchar_t* commandLine, bool manualStart)
{
    const std::wstring line = commandLine ? commandLine : L"";
    if (line.compare(0, kPublishSwitchLength, kPublishSwitch) == 0) {
        HWND agent = FindAgentWindow();
        if (!agent) return;
        // The character after the switch separates it from the payload.
        const std::wstring payload = line.size() > kPublishSwitchLength + 1 ? line.substr(kPublishSwitchLength + 1)
                                                                           : std::wstring();
        SendPublishData(agent, payload);
        return;
    }
    if (!manualStart) return;
    if (HWND agent = FindAgentWindow()) ::PostMessageW(agent, WM_SHOW_MAIN_DLG, 0, 0);
}

void SendPublishData(HWND agent, const std::wstring& payload)
{
    std::string bytes = ToUtf8(payload);
    if (bytes.empty()) return;
    COPYDATASTRUCT block{};
    block.dwData = 0;
    block.cbData = static_cast<DWORD>(bytes.size());
    block.lpData = bytes.data();
    if (agent) ::SendMessageW(agent, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&block));
}

void PublishPayload(CNFCManager& nfc, UsageUser& usage, const COPYDATASTRUCT* data)
{
    const std::wstring text = PayloadText(data);
    if (text.empty()) return;

    std::wstring type;
    const size_t slash = text.find(L'/');
    const size_t blank = text.find(L' ');
    if (slash != std::wstring::npos && blank != std::wstring::npos) {
        const long long length = static_cast<long long>(blank) - 1;
        if (length > 0) type = text.substr(slash + 1, static_cast<size_t>(length));
    }
    std::wstring hex;
    const size_t lastSlash = text.rfind(L'/');
    if (lastSlash != std::wstring::npos) hex = text.substr(lastSlash + 1);
    if (type.empty() || hex.empty()) return;

    usage.SubmitEventIfUp({L"NFCFunction", L"Send", type.c_str(), L"Count"});
    if (!nfc.PublishHex(L"NDEF", hex))
        usage.SubmitEventIfUp({L"NFCFunction", L"SendFailed", type.c_str(), L"Count"});
}

void OnCopyData(CTPDApp& app, HWND, UINT, const COPYDATASTRUCT* data)
{
    PublishPayload(app.Nfc(), app.Usage(), data);
}

}  // namespace tapdeck
