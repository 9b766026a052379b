#pragma once
// ITaskDefinition and the objects reached from it, all writing into one
// shared TaskData.
#include <memory>

#include "task_data.h"

namespace tapdeck::sim {

// A new, empty definition (one reference for the caller).
ITaskDefinition* NewTaskDefinition();
// The data behind a definition made by NewTaskDefinition; null for others.
std::shared_ptr<TaskData> DataOf(ITaskDefinition* definition);

}  // namespace tapdeck::sim
