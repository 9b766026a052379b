// The in-process server registered for CLSID_TaskScheduler in the test prefix.
//
// Rules of Windows it keeps, among others: a task's program starts at the
// priority class of the task's Priority, default 7 (below normal), from the
// table of "Priority (settingsType) Element"; the I/O and memory priorities
// of that table are not modelled.
#include <windows.h>
#include <taskschd.h>

#include "class_factory.h"
#include "task_service.h"

namespace tapdeck::sim {
std::atomic<long> g_liveObjects{0};
}

namespace {

std::atomic<long> g_locks{0};

IUnknown* MakeService() { return tapdeck::sim::NewTaskService(); }

tapdeck::sim::ClassFactory<IUnknown* (*)()> g_factory(MakeService, g_locks);

}  // namespace

extern "C" HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID iid, void** out)
{
    if (!out) return E_POINTER;
    *out = nullptr;
    if (clsid != __uuidof(TaskScheduler)) return CLASS_E_CLASSNOTAVAILABLE;
    return g_factory.QueryInterface(iid, out);
}

extern "C" HRESULT STDAPICALLTYPE DllCanUnloadNow()
{
    return (tapdeck::sim::g_liveObjects == 0 && g_locks == 0) ? S_OK : S_FALSE;
}
