// tagtool.exe: prints an NFC message as the agent passes it to Pairwell
// (lowercase hexadecimal text), for tests, the demo, and writing real tags.
// Names, passphrases and keys are taken as UTF-8 bytes.
//
//   tagtool SSID PASSPHRASE          the camera's message
//   tagtool wsc [--long] [--uri-first] [--app-after] [--minimal]
//               SSID KEY [AUTH [ENCR]] [SSID KEY AUTH ENCR]...
//                                    a standard Wi-Fi tag; AUTH and ENCR in
//                                    hexadecimal (default 0020 0008), ENCR
//                                    "-" leaves it out; KEY "" for none
//   tagtool wsc-token                a password token (no network settings)
//   tagtool wsc-handover             a handover request (no network settings)
#include <windows.h>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "camera_message.h"
#include "hex.h"
#include "sim_state.h"
#include "wsc_message.h"

namespace {

using namespace tapdeck::sim;

int Usage()
{
    std::fputs("usage: tagtool SSID PASSPHRASE\n"
               "       tagtool wsc [--long] [--uri-first] [--app-after] [--minimal] SSID KEY [AUTH [ENCR]] "
               "[SSID KEY AUTH ENCR]...\n"
               "       tagtool wsc-token | wsc-handover\n",
               stderr);
    return 2;
}

bool ParseHex16(const wchar_t* text, unsigned& value)
{
    wchar_t* end = nullptr;
    const unsigned long parsed = std::wcstoul(text, &end, 16);
    if (!*text || *end || parsed > 0xFFFF) return false;
    value = static_cast<unsigned>(parsed);
    return true;
}

int Print(const std::string& message)
{
    const std::string text = ToUtf8(tapdeck::ToHex(message)) + "\n";
    std::fwrite(text.data(), 1, text.size(), stdout);
    return 0;
}

int StandardTag(int argc, wchar_t** argv)
{
    bool longForm = false, uriFirst = false, appAfter = false, minimal = false;
    int i = 2;
    for (; i < argc && argv[i][0] == L'-' && argv[i][1] == L'-'; ++i) {
        const std::wstring flag = argv[i];
        if (flag == L"--long") longForm = true;
        else if (flag == L"--uri-first") uriFirst = true;
        else if (flag == L"--app-after") appAfter = true;
        else if (flag == L"--minimal") minimal = true;
        else return Usage();
    }
    std::vector<WscCredentialFields> credentials;
    while (i < argc) {
        if (argc - i < 2) return Usage();
        WscCredentialFields credential;
        credential.ssid = ToUtf8(argv[i]);
        credential.key = ToUtf8(argv[i + 1]);
        credential.optionalFields = !minimal;
        i += 2;
        if (i < argc && !ParseHex16(argv[i++], credential.auth)) return Usage();
        if (i < argc) {
            const std::wstring encr = argv[i++];
            unsigned value = 0;
            if (encr == L"-") credential.encr.reset();
            else if (ParseHex16(encr.c_str(), value)) credential.encr = value;
            else return Usage();
        }
        credentials.push_back(credential);
    }
    if (credentials.empty()) return Usage();
    std::vector<NdefRecordFields> records;
    if (uriFirst) records.push_back(UriRecord("https://example.com/wifi"));
    records.push_back(WscRecord(WscConfigurationPayload(credentials), longForm));
    if (appAfter) records.push_back(AndroidAppRecord("com.example.wifitags"));
    return Print(NdefMessageBytes(records));
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc >= 2 && std::wstring(argv[1]) == L"wsc") return StandardTag(argc, argv);
    if (argc == 2 && std::wstring(argv[1]) == L"wsc-token") {
        return Print(NdefMessageBytes({WscRecord(WscPasswordTokenPayload())}));
    }
    if (argc == 2 && std::wstring(argv[1]) == L"wsc-handover") return Print(WscHandoverRequestMessage());
    if (argc != 3) return Usage();
    std::wstring hex;
    if (!BuildCameraMessageHex(ToUtf8(argv[1]), ToUtf8(argv[2]), hex)) {
        std::fputs("tagtool: name and passphrase must be non-empty and fit one record\n", stderr);
        return 1;
    }
    const std::string text = ToUtf8(hex) + "\n";
    std::fwrite(text.data(), 1, text.size(), stdout);
    return 0;
}
