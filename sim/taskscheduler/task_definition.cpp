#include "task_definition.h"

#include "dispatch_object.h"
#include "dispatch_props.h"
#include "task_scheduler_extra.h"

namespace tapdeck::sim {
namespace {

using Data = std::shared_ptr<TaskData>;

class RegistrationInfo final : public DispatchObject<IRegistrationInfo> {
public:
    explicit RegistrationInfo(Data data) : d_(std::move(data)) {}
    SIM_TEXT_PROP(Description, d_->description)
    SIM_TEXT_PROP(Author, d_->author)
    SIM_TEXT_PROP(Version, d_->version)
    SIM_TEXT_PROP(Date, d_->date)
    SIM_TEXT_PROP(Documentation, d_->documentation)
    SIM_NO_PROP(XmlText, BSTR)
    SIM_TEXT_PROP(URI, d_->uri)
    SIM_NO_PROP(SecurityDescriptor, VARIANT)
    SIM_TEXT_PROP(Source, d_->source)

private:
    Data d_;
};

class Principal final : public DispatchObject<IPrincipal> {
public:
    explicit Principal(Data data) : d_(std::move(data)) {}
    SIM_TEXT_PROP(Id, d_->principalId)
    SIM_TEXT_PROP(DisplayName, d_->displayName)
    SIM_TEXT_PROP(UserId, d_->userId)
    SIM_VALUE_PROP(LogonType, TASK_LOGON_TYPE, d_->logonType, TASK_LOGON_NONE)
    SIM_TEXT_PROP(GroupId, d_->groupId)
    SIM_VALUE_PROP(RunLevel, TASK_RUNLEVEL_TYPE, d_->runLevel, TASK_RUNLEVEL_LUA)

private:
    Data d_;
};

class Settings final : public DispatchObject<ITaskSettings> {
public:
    explicit Settings(Data data) : d_(std::move(data)) {}
    SIM_BOOL_PROP(AllowDemandStart, d_->allowDemandStart, true)
    SIM_TEXT_PROP(RestartInterval, d_->restartInterval)
    SIM_VALUE_PROP(RestartCount, INT, d_->restartCount, 0)
    SIM_VALUE_PROP(MultipleInstances, TASK_INSTANCES_POLICY, d_->multipleInstances, TASK_INSTANCES_IGNORE_NEW)
    SIM_BOOL_PROP(StopIfGoingOnBatteries, d_->stopIfGoingOnBatteries, true)
    SIM_BOOL_PROP(DisallowStartIfOnBatteries, d_->disallowStartIfOnBatteries, true)
    SIM_BOOL_PROP(AllowHardTerminate, d_->allowHardTerminate, true)
    SIM_BOOL_PROP(StartWhenAvailable, d_->startWhenAvailable, false)
    SIM_NO_PROP(XmlText, BSTR)
    SIM_BOOL_PROP(RunOnlyIfNetworkAvailable, d_->runOnlyIfNetworkAvailable, false)
    SIM_TEXT_PROP(ExecutionTimeLimit, d_->executionTimeLimit)
    SIM_BOOL_PROP(Enabled, d_->enabled, true)
    SIM_TEXT_PROP(DeleteExpiredTaskAfter, d_->deleteExpiredTaskAfter)
    SIM_VALUE_PROP(Priority, INT, d_->priority, 7)
    SIM_VALUE_PROP(Compatibility, TASK_COMPATIBILITY, d_->compatibility, TASK_COMPATIBILITY_V2)
    SIM_BOOL_PROP(Hidden, d_->hidden, false)
    SIM_NO_PROP(IdleSettings, IIdleSettings*)
    SIM_BOOL_PROP(RunOnlyIfIdle, d_->runOnlyIfIdle, false)
    SIM_BOOL_PROP(WakeToRun, d_->wakeToRun, false)
    SIM_NO_PROP(NetworkSettings, INetworkSettings*)

private:
    Data d_;
};

class LogonTrigger final : public DispatchObject<ILogonTrigger, ITrigger> {
public:
    explicit LogonTrigger(std::shared_ptr<TriggerData> trigger) : t_(std::move(trigger)) {}
    HRESULT STDMETHODCALLTYPE get_Type(TASK_TRIGGER_TYPE2* type) override
    {
        if (!type) return E_POINTER;
        *type = t_->type;
        return S_OK;
    }
    SIM_TEXT_PROP(Id, t_->id)
    SIM_NO_PROP(Repetition, IRepetitionPattern*)
    SIM_TEXT_PROP(ExecutionTimeLimit, t_->executionTimeLimit)
    SIM_TEXT_PROP(StartBoundary, t_->startBoundary)
    SIM_TEXT_PROP(EndBoundary, t_->endBoundary)
    SIM_BOOL_PROP(Enabled, t_->enabled, true)
    SIM_TEXT_PROP(Delay, t_->delay)
    SIM_TEXT_PROP(UserId, t_->userId)

private:
    std::shared_ptr<TriggerData> t_;
};

class TriggerCollection final : public DispatchObject<ITriggerCollection> {
public:
    explicit TriggerCollection(Data data) : d_(std::move(data)) {}
    HRESULT STDMETHODCALLTYPE get_Count(LONG* count) override
    {
        if (!count) return E_POINTER;
        *count = static_cast<LONG>(d_->triggers.size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Item(LONG index, ITrigger** trigger) override
    {
        if (!trigger) return E_POINTER;
        *trigger = nullptr;
        if (index < 1 || index > static_cast<LONG>(d_->triggers.size())) return E_INVALIDARG;
        *trigger = new LogonTrigger(d_->triggers[static_cast<size_t>(index - 1)]);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown**) override { return E_NOTIMPL; }
    // Only logon triggers are kept; the agent asks for nothing else.
    HRESULT STDMETHODCALLTYPE Create(TASK_TRIGGER_TYPE2 type, ITrigger** trigger) override
    {
        if (!trigger) return E_POINTER;
        *trigger = nullptr;
        if (type != TASK_TRIGGER_LOGON) return E_NOTIMPL;
        auto data = std::make_shared<TriggerData>();
        data->type = type;
        d_->triggers.push_back(data);
        *trigger = new LogonTrigger(data);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Remove(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Clear() override
    {
        d_->triggers.clear();
        return S_OK;
    }

private:
    Data d_;
};

class ExecAction final : public DispatchObject<IExecAction, IAction> {
public:
    explicit ExecAction(std::shared_ptr<ActionData> action) : a_(std::move(action)) {}
    SIM_TEXT_PROP(Id, a_->id)
    HRESULT STDMETHODCALLTYPE get_Type(TASK_ACTION_TYPE* type) override
    {
        if (!type) return E_POINTER;
        *type = TASK_ACTION_EXEC;
        return S_OK;
    }
    SIM_TEXT_PROP(Path, a_->path)
    SIM_TEXT_PROP(Arguments, a_->arguments)
    SIM_TEXT_PROP(WorkingDirectory, a_->workingDirectory)

private:
    std::shared_ptr<ActionData> a_;
};

class ActionCollection final : public DispatchObject<IActionCollection> {
public:
    explicit ActionCollection(Data data) : d_(std::move(data)) {}
    HRESULT STDMETHODCALLTYPE get_Count(LONG* count) override
    {
        if (!count) return E_POINTER;
        *count = static_cast<LONG>(d_->actions.size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_Item(LONG index, IAction** action) override
    {
        if (!action) return E_POINTER;
        *action = nullptr;
        if (index < 1 || index > static_cast<LONG>(d_->actions.size())) return E_INVALIDARG;
        *action = new ExecAction(d_->actions[static_cast<size_t>(index - 1)]);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown**) override { return E_NOTIMPL; }
    SIM_NO_PROP(XmlText, BSTR)
    // Only programs to start are kept; the agent asks for nothing else.
    HRESULT STDMETHODCALLTYPE Create(TASK_ACTION_TYPE type, IAction** action) override
    {
        if (!action) return E_POINTER;
        *action = nullptr;
        if (type != TASK_ACTION_EXEC) return E_NOTIMPL;
        auto data = std::make_shared<ActionData>();
        d_->actions.push_back(data);
        *action = new ExecAction(data);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Remove(VARIANT) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Clear() override
    {
        d_->actions.clear();
        return S_OK;
    }
    SIM_TEXT_PROP(Context, d_->actionsContext)

private:
    Data d_;
};

// Asked of a definition to learn whether this module made it.
constexpr GUID kOwnDefinition = {0x6c1f3a52, 0x8d0e, 0x4b7a, {0x9e, 0x21, 0x3f, 0x55, 0x0c, 0x7d, 0x19, 0xa4}};

class TaskDefinition final : public DispatchObject<ITaskDefinition> {
public:
    TaskDefinition() : d_(std::make_shared<TaskData>()) {}
    const Data& data() const noexcept { return d_; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (out && iid == kOwnDefinition) {
            *out = this;  // no reference: only DataOf asks, and it holds one
            return S_OK;
        }
        return DispatchObject::QueryInterface(iid, out);
    }

    HRESULT STDMETHODCALLTYPE get_RegistrationInfo(IRegistrationInfo** info) override
    {
        return Hand(info, new RegistrationInfo(d_));
    }
    HRESULT STDMETHODCALLTYPE put_RegistrationInfo(IRegistrationInfo*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Triggers(ITriggerCollection** triggers) override
    {
        return Hand(triggers, new TriggerCollection(d_));
    }
    HRESULT STDMETHODCALLTYPE put_Triggers(ITriggerCollection*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Settings(ITaskSettings** settings) override
    {
        return Hand(settings, new Settings(d_));
    }
    HRESULT STDMETHODCALLTYPE put_Settings(ITaskSettings*) override { return E_NOTIMPL; }
    SIM_TEXT_PROP(Data, d_->data)
    HRESULT STDMETHODCALLTYPE get_Principal(IPrincipal** principal) override
    {
        return Hand(principal, new Principal(d_));
    }
    HRESULT STDMETHODCALLTYPE put_Principal(IPrincipal*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_Actions(IActionCollection** actions) override
    {
        return Hand(actions, new ActionCollection(d_));
    }
    HRESULT STDMETHODCALLTYPE put_Actions(IActionCollection*) override { return E_NOTIMPL; }
    SIM_NO_PROP(XmlText, BSTR)

private:
    template <typename T, typename Object>
    static HRESULT Hand(T** out, Object* object)
    {
        if (!out) {
            object->Release();
            return E_POINTER;
        }
        *out = object;
        return S_OK;
    }

    Data d_;
};

}  // namespace

ITaskDefinition* NewTaskDefinition() { return new TaskDefinition(); }

std::shared_ptr<TaskData> DataOf(ITaskDefinition* definition)
{
    void* ours = nullptr;
    if (!definition || FAILED(definition->QueryInterface(kOwnDefinition, &ours)) || !ours) return nullptr;
    return static_cast<TaskDefinition*>(ours)->data();
}

}  // namespace tapdeck::sim
