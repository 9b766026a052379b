#pragma once
// A task definition as the scheduler holds it before it becomes XML. A value
// is present only when the caller set it, so the XML shows exactly what was
// asked for and the schema's defaults stand for the rest.
#include <windows.h>
#include <taskschd.h>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tapdeck::sim {

struct TriggerData {
    TASK_TRIGGER_TYPE2 type = TASK_TRIGGER_LOGON;
    std::optional<std::wstring> id, delay, userId, startBoundary, endBoundary, executionTimeLimit;
    std::optional<bool> enabled;
};

struct ActionData {
    std::optional<std::wstring> id, path, arguments, workingDirectory;
};

struct TaskData {
    std::optional<std::wstring> author, description, version, date, documentation, uri, source;

    std::optional<std::wstring> principalId, displayName, userId, groupId;
    std::optional<TASK_LOGON_TYPE> logonType;
    std::optional<TASK_RUNLEVEL_TYPE> runLevel;

    std::optional<bool> allowDemandStart, stopIfGoingOnBatteries, disallowStartIfOnBatteries, allowHardTerminate,
        startWhenAvailable, runOnlyIfNetworkAvailable, enabled, hidden, runOnlyIfIdle, wakeToRun;
    std::optional<std::wstring> restartInterval, executionTimeLimit, deleteExpiredTaskAfter;
    std::optional<int> restartCount, priority;
    std::optional<TASK_INSTANCES_POLICY> multipleInstances;
    std::optional<TASK_COMPATIBILITY> compatibility;

    std::vector<std::shared_ptr<TriggerData>> triggers;
    std::vector<std::shared_ptr<ActionData>> actions;
    std::optional<std::wstring> actionsContext;
    std::optional<std::wstring> data;
};

}  // namespace tapdeck::sim
