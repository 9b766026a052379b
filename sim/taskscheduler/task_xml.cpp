#include "task_xml.h"

#include "xml_escape.h"
#include "xml_text.h"

namespace tapdeck::sim {
namespace {

class Writer {
public:
    void Open(const wchar_t* name, const std::wstring& attributes = {})
    {
        Indent();
        text_ += L"<" + std::wstring(name) + attributes + L">\r\n";
        ++depth_;
    }
    void Close(const wchar_t* name)
    {
        --depth_;
        Indent();
        text_ += L"</" + std::wstring(name) + L">\r\n";
    }
    void Element(const wchar_t* name, const std::optional<std::wstring>& value)
    {
        if (!value) return;
        Indent();
        text_ += L"<" + std::wstring(name) + L">" + EscapeXml(*value) + L"</" + name + L">\r\n";
    }
    void Element(const wchar_t* name, const std::optional<bool>& value)
    {
        if (value) Element(name, std::optional<std::wstring>(*value ? L"true" : L"false"));
    }
    void Element(const wchar_t* name, const std::optional<int>& value)
    {
        if (value) Element(name, std::optional<std::wstring>(std::to_wstring(*value)));
    }
    std::wstring& text() { return text_; }

private:
    void Indent() { text_.append(static_cast<size_t>(depth_) * 2, L' '); }
    std::wstring text_;
    int depth_ = 0;
};

std::optional<std::wstring> RunLevelText(const std::optional<TASK_RUNLEVEL_TYPE>& level)
{
    if (!level) return std::nullopt;
    return *level == TASK_RUNLEVEL_HIGHEST ? L"HighestAvailable" : L"LeastPrivilege";
}

std::optional<std::wstring> LogonTypeText(const std::optional<TASK_LOGON_TYPE>& type)
{
    if (!type) return std::nullopt;
    switch (*type) {
    case TASK_LOGON_PASSWORD: return L"Password";
    case TASK_LOGON_S4U: return L"S4U";
    case TASK_LOGON_INTERACTIVE_TOKEN: return L"InteractiveToken";
    case TASK_LOGON_INTERACTIVE_TOKEN_OR_PASSWORD: return L"InteractiveTokenOrPassword";
    case TASK_LOGON_SERVICE_ACCOUNT: return L"ServiceAccount";
    default: return std::nullopt;  // a group or no logon: the principal names no logon type
    }
}

std::optional<std::wstring> InstancesText(const std::optional<TASK_INSTANCES_POLICY>& policy)
{
    if (!policy) return std::nullopt;
    switch (*policy) {
    case TASK_INSTANCES_PARALLEL: return L"Parallel";
    case TASK_INSTANCES_QUEUE: return L"Queue";
    case TASK_INSTANCES_STOP_EXISTING: return L"StopExisting";
    default: return L"IgnoreNew";
    }
}

std::wstring IdAttribute(const wchar_t* name, const std::optional<std::wstring>& id)
{
    return id ? L" " + std::wstring(name) + L"=\"" + EscapeXml(*id) + L"\"" : std::wstring();
}

}  // namespace

std::wstring TaskXml(const TaskData& task)
{
    Writer w;
    w.text() = L"<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n";
    w.Open(L"Task", L" version=\"1.2\" xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\"");

    w.Open(L"RegistrationInfo");
    w.Element(L"Date", task.date);
    w.Element(L"Author", task.author);
    w.Element(L"Version", task.version);
    w.Element(L"Description", task.description);
    w.Element(L"URI", task.uri);
    w.Element(L"Source", task.source);
    w.Element(L"Documentation", task.documentation);
    w.Close(L"RegistrationInfo");

    w.Open(L"Triggers");
    for (const auto& trigger : task.triggers) {
        w.Open(L"LogonTrigger", IdAttribute(L"id", trigger->id));
        w.Element(L"StartBoundary", trigger->startBoundary);
        w.Element(L"EndBoundary", trigger->endBoundary);
        w.Element(L"Enabled", trigger->enabled);
        w.Element(L"ExecutionTimeLimit", trigger->executionTimeLimit);
        w.Element(L"UserId", trigger->userId);
        w.Element(L"Delay", trigger->delay);
        w.Close(L"LogonTrigger");
    }
    w.Close(L"Triggers");

    const std::wstring principalId = task.principalId.value_or(L"Author");
    w.Open(L"Principals");
    w.Open(L"Principal", IdAttribute(L"id", principalId));
    w.Element(L"UserId", task.userId);
    w.Element(L"GroupId", task.groupId);
    w.Element(L"DisplayName", task.displayName);
    w.Element(L"LogonType", LogonTypeText(task.logonType));
    w.Element(L"RunLevel", RunLevelText(task.runLevel));
    w.Close(L"Principal");
    w.Close(L"Principals");

    w.Open(L"Settings");
    w.Element(L"MultipleInstancesPolicy", InstancesText(task.multipleInstances));
    w.Element(L"DisallowStartIfOnBatteries", task.disallowStartIfOnBatteries);
    w.Element(L"StopIfGoingOnBatteries", task.stopIfGoingOnBatteries);
    w.Element(L"AllowHardTerminate", task.allowHardTerminate);
    w.Element(L"StartWhenAvailable", task.startWhenAvailable);
    w.Element(L"RunOnlyIfNetworkAvailable", task.runOnlyIfNetworkAvailable);
    w.Element(L"AllowStartOnDemand", task.allowDemandStart);
    w.Element(L"Enabled", task.enabled);
    w.Element(L"Hidden", task.hidden);
    w.Element(L"RunOnlyIfIdle", task.runOnlyIfIdle);
    w.Element(L"WakeToRun", task.wakeToRun);
    w.Element(L"ExecutionTimeLimit", task.executionTimeLimit);
    w.Element(L"DeleteExpiredTaskAfter", task.deleteExpiredTaskAfter);
    w.Element(L"Priority", task.priority);
    if (task.restartInterval || task.restartCount) {
        w.Open(L"RestartOnFailure");
        w.Element(L"Interval", task.restartInterval);
        w.Element(L"Count", task.restartCount);
        w.Close(L"RestartOnFailure");
    }
    w.Close(L"Settings");

    w.Open(L"Actions", IdAttribute(L"Context", task.actionsContext.value_or(principalId)));
    for (const auto& action : task.actions) {
        w.Open(L"Exec", IdAttribute(L"id", action->id));
        w.Element(L"Command", action->path);
        w.Element(L"Arguments", action->arguments);
        w.Element(L"WorkingDirectory", action->workingDirectory);
        w.Close(L"Exec");
    }
    w.Close(L"Actions");

    w.Element(L"Data", task.data);
    w.Close(L"Task");
    return std::move(w.text());
}

std::wstring ElementText(const std::wstring& xml, const wchar_t* name)
{
    const std::wstring open = L"<" + std::wstring(name) + L">";
    const std::wstring close = L"</" + std::wstring(name) + L">";
    const size_t start = xml.find(open);
    if (start == std::wstring::npos) return {};
    const size_t end = xml.find(close, start);
    if (end == std::wstring::npos) return {};
    return XmlUnescape(xml.substr(start + open.size(), end - start - open.size()));
}

}  // namespace tapdeck::sim
