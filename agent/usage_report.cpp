#include "tpd_app.h"

namespace tapdeck {

// The usage-statistics client is not built yet: the start-up report has
// nothing to report to, and nothing is held to release.
void CTPDApp::OnUsageReportTimer() {}

void CTPDApp::ReleaseUsageStats() {}

}  // namespace tapdeck
