// Stand-in for the maker's usage-statistics library "tallyr.dll": exports
// every entry point the client resolves and appends each call to
// C:\tapdeck-sim\tallyr\calls.log, or to the running test's own file
// (tallyr_record.h), one tab-separated line per call: the function, the file
// name of the module that called it (the agent and Dropwatch share one
// process), then its arguments in order (strings of an array in place).
// Build variants drop entry points or fail inside the submit call.
#include <windows.h>

#include <cwchar>
#include <string>

#include "sim_state.h"
#include "tallyr_record.h"

using tapdeck::sim::AppendRecord;
using tapdeck::sim::ReadStateFile;

namespace {

// "Tapdeck.exe" for a call made from code in Tapdeck.exe.
std::wstring ModuleOf(void* address)
{
    HMODULE module = nullptr;
    if (!::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                              static_cast<const wchar_t*>(address), &module))
        return L"?";
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(module, path, MAX_PATH);
    const wchar_t* name = std::wcsrchr(path, L'\\');
    return name ? name + 1 : path;
}

class Line {
public:
    Line(const wchar_t* function, void* caller) : text_(function)
    {
        text_ += L'\t';
        text_ += caller ? ModuleOf(caller) : L"-";
    }
    Line& Text(const wchar_t* value)
    {
        text_ += L'\t';
        text_ += value ? value : L"(null)";
        return *this;
    }
    Line& Number(long long value) { return Text(std::to_wstring(value).c_str()); }
    Line& Strings(int count, const wchar_t* const* strings)
    {
        Number(count);
        for (int i = 0; strings && i < count; ++i) Text(strings[i]);
        return *this;
    }
    ~Line() { AppendRecord(tapdeck::sim::kTallyrArea, tapdeck::sim::TallyrCallsFile(), text_); }

private:
    std::wstring text_;
};

// What tests ask Initialize to answer: "initialize-result" in the state folder.
[[maybe_unused]] int InitializeResult()
{
    const std::wstring text = ReadStateFile(tapdeck::sim::kTallyrArea, L"initialize-result");
    return text.empty() ? 0 : static_cast<int>(std::wcstoul(text.c_str(), nullptr, 0));
}

// While a test holds the named event unsignalled, Initialize and Finalize
// report that they are inside and wait for it (a slow library).
[[maybe_unused]] void WaitWhileHeld()
{
    HANDLE hold = ::OpenEventW(SYNCHRONIZE, FALSE, tapdeck::sim::kTallyrHoldEvent);
    if (!hold) return;
    if (HANDLE inside = ::OpenEventW(EVENT_MODIFY_STATE, FALSE, tapdeck::sim::kTallyrInsideEvent)) {
        ::SetEvent(inside);
        ::CloseHandle(inside);
    }
    ::WaitForSingleObject(hold, 10000);
    ::CloseHandle(hold);
}

}  // namespace

#ifdef TALLYR_FAULTING_SUBMIT
// Opaque to the compiler, so that the faulting write is really made.
volatile int* volatile faultTarget = nullptr;
#endif

#define TALLYR_EXPORT extern "C" __declspec(dllexport)
// The code that called the export; only meaningful in the export itself.
#define CALLER __builtin_return_address(0)

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, void*)
{
    if (reason == DLL_PROCESS_ATTACH) Line(L"Attach", nullptr).Number(static_cast<long long>(::GetCurrentProcessId()));
    if (reason == DLL_PROCESS_DETACH) Line(L"Detach", nullptr).Number(static_cast<long long>(::GetCurrentProcessId()));
    return TRUE;
}

#ifndef TALLYR_WITHOUT_SUBMITSTAT
TALLYR_EXPORT int SubmitStat(const wchar_t* app, int count, const wchar_t* const* strings)
{
    Line(L"SubmitStat", CALLER).Text(app).Strings(count, strings);
    return 0;
}
#endif

TALLYR_EXPORT int SubmitStatAsync(const wchar_t* app, int count, const wchar_t* const* strings)
{
    Line(L"SubmitStatAsync", CALLER).Text(app).Strings(count, strings);
    return 0;
}

TALLYR_EXPORT int SubmitEvent(const wchar_t* app, int count, const wchar_t* const* strings)
{
    Line(L"SubmitEvent", CALLER).Text(app).Strings(count, strings);
    return 0;
}

TALLYR_EXPORT int SubmitEventAsync(const wchar_t* app, int count, const wchar_t* const* strings)
{
    Line(L"SubmitEventAsync", CALLER).Text(app).Strings(count, strings);
#ifdef TALLYR_FAULTING_SUBMIT
    // A library bug: a write through a null pointer.
    *faultTarget = count;
#endif
    return 0;
}

TALLYR_EXPORT int SubmitEventMAI(const wchar_t* app, const wchar_t* mai, int count, const wchar_t* const* strings)
{
    Line(L"SubmitEventMAI", CALLER).Text(app).Text(mai).Strings(count, strings);
    return 0;
}

TALLYR_EXPORT int SubmitEventMAIAsync(const wchar_t* app, const wchar_t* mai, int count,
                                      const wchar_t* const* strings)
{
    Line(L"SubmitEventMAIAsync", CALLER).Text(app).Text(mai).Strings(count, strings);
    return 0;
}

TALLYR_EXPORT int SubmitSetting(const wchar_t* app, int count, const wchar_t* const* strings, const wchar_t* value)
{
    Line(L"SubmitSetting", CALLER).Text(app).Strings(count, strings).Text(value);
    return 0;
}

TALLYR_EXPORT int SubmitSettingAsync(const wchar_t* app, int count, const wchar_t* const* strings,
                                     const wchar_t* value)
{
    Line(L"SubmitSettingAsync", CALLER).Text(app).Strings(count, strings).Text(value);
    return 0;
}

TALLYR_EXPORT int SubmitSettingMAI(const wchar_t* app, const wchar_t* mai, int count, const wchar_t* const* strings,
                                   const wchar_t* value)
{
    Line(L"SubmitSettingMAI", CALLER).Text(app).Text(mai).Strings(count, strings).Text(value);
    return 0;
}

TALLYR_EXPORT int SubmitSettingMAIAsync(const wchar_t* app, const wchar_t* mai, int count,
                                        const wchar_t* const* strings, const wchar_t* value)
{
    Line(L"SubmitSettingMAIAsync", CALLER).Text(app).Text(mai).Strings(count, strings).Text(value);
    return 0;
}

TALLYR_EXPORT int SubmitSettingDiscrete(const wchar_t* app, int count, const wchar_t* const* strings,
                                        const wchar_t* value, BYTE flag)
{
    Line(L"SubmitSettingDiscrete", CALLER).Text(app).Strings(count, strings).Text(value).Number(flag);
    return 0;
}

TALLYR_EXPORT int SubmitSettingDiscreteAsync(const wchar_t* app, int count, const wchar_t* const* strings,
                                             const wchar_t* value, BYTE flag)
{
    Line(L"SubmitSettingDiscreteAsync", CALLER).Text(app).Strings(count, strings).Text(value).Number(flag);
    return 0;
}

TALLYR_EXPORT int SubmitSettingDiscreteMAI(const wchar_t* app, const wchar_t* mai, int count,
                                           const wchar_t* const* strings, const wchar_t* value, BYTE flag)
{
    Line(L"SubmitSettingDiscreteMAI", CALLER).Text(app).Text(mai).Strings(count, strings).Text(value).Number(flag);
    return 0;
}

TALLYR_EXPORT int SubmitSettingDiscreteMAIAsync(const wchar_t* app, const wchar_t* mai, int count,
                                                const wchar_t* const* strings, const wchar_t* value, BYTE flag)
{
    Line(L"SubmitSettingDiscreteMAIAsync", CALLER).Text(app).Text(mai).Strings(count, strings).Text(value).Number(flag);
    return 0;
}

TALLYR_EXPORT int WaitForTermination(int waitMs)
{
    Line(L"WaitForTermination", CALLER).Number(waitMs);
    return 0;
}

TALLYR_EXPORT int TriggerUpload(const wchar_t* app)
{
    Line(L"TriggerUpload", CALLER).Text(app);
    return 0;
}

TALLYR_EXPORT int QuorCareIntelUpload(const wchar_t* app)
{
    Line(L"QuorCareIntelUpload", CALLER).Text(app);
    return 0;
}

TALLYR_EXPORT int FlushQueue(const wchar_t* app)
{
    Line(L"FlushQueue", CALLER).Text(app);
    return 0;
}

#ifndef TALLYR_WITHOUT_INITIALIZE_FINALIZE
TALLYR_EXPORT int Initialize(const wchar_t* app)
{
    const int result = InitializeResult();
    Line(L"Initialize", CALLER).Text(app).Number(result);
    WaitWhileHeld();
    return result;
}

TALLYR_EXPORT int Finalize(const wchar_t* app, int waitMs)
{
    Line(L"Finalize", CALLER).Text(app).Number(waitMs);
    WaitWhileHeld();
    return 0;
}
#endif

TALLYR_EXPORT int CheckWhitelist(const wchar_t* app)
{
    Line(L"CheckWhitelist", CALLER).Text(app);
    return 1;
}
