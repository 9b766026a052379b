#pragma once
// ITaskService: connection and the entry to the folders.
#include <windows.h>
#include <taskschd.h>

namespace tapdeck::sim {

ITaskService* NewTaskService();

}  // namespace tapdeck::sim
