#pragma once
// The Task Scheduler XML definition of a registered task, as Windows keeps it
// in %windir%\System32\Tasks.
#include <string>

#include "task_data.h"

namespace tapdeck::sim {

std::wstring TaskXml(const TaskData& task);

}  // namespace tapdeck::sim
