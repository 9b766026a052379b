#include "tpd_app.h"
#include "version_report.h"

namespace tapdeck {

// Once per run: the versions and the start event are submitted whatever the
// initialisation gave; a client that is not up takes nothing.
void CTPDApp::OnUsageReportTimer()
{
    usage_.Init();
    ReportOriginalVersion();
    ReportCurrentVersion();
    const wchar_t* const start[] = {L"General", L"Start", L"Automatic"};
    SubmitUsageEvent(3, start);
}

}  // namespace tapdeck
