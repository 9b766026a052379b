#pragma once
// The Task Scheduler XML definition of a registered task, as Windows keeps it
// in %windir%\System32\Tasks.
#include <string>

#include "task_data.h"

namespace tapdeck::sim {

std::wstring TaskXml(const TaskData& task);
// The text of the first element of that name in a task's XML, unescaped;
// empty when there is none.
std::wstring ElementText(const std::wstring& xml, const wchar_t* name);

}  // namespace tapdeck::sim
