// tagtool.exe SSID PASSPHRASE: prints the camera's NFC message for a network
// as the agent passes it to Pairwell (for tests, the demo, and writing real
// tags). Names and passphrases are taken as UTF-8 bytes.
#include <windows.h>
#include <cstdio>

#include "camera_message.h"
#include "sim_state.h"

int wmain(int argc, wchar_t** argv)
{
    using namespace tapdeck::sim;
    if (argc != 3) {
        std::fputs("usage: tagtool SSID PASSPHRASE\n", stderr);
        return 2;
    }
    std::wstring hex;
    if (!BuildCameraMessageHex(ToUtf8(argv[1]), ToUtf8(argv[2]), hex)) {
        std::fputs("tagtool: name and passphrase must be non-empty and fit one record\n", stderr);
        return 1;
    }
    const std::string text = ToUtf8(hex) + "\n";
    std::fwrite(text.data(), 1, text.size(), stdout);
    return 0;
}
