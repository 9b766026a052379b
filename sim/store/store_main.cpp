// The Store of the test prefix: registered for the "ms-windows-store:"
// protocol, it records the URI it is opened with instead of showing a page.
#include <windows.h>
#include <string>

#include "sim_state.h"
#include "store_channel.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int)
{
    std::wstring uri = commandLine ? commandLine : L"";
    // The protocol's command quotes the URI.
    if (uri.size() >= 2 && uri.front() == L'"' && uri.back() == L'"') uri = uri.substr(1, uri.size() - 2);
    return tapdeck::sim::AppendRecord(tapdeck::sim::store::kArea, tapdeck::sim::store::kRecords, L"open\t" + uri) ? 0
                                                                                                                 : 1;
}
