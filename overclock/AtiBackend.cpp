#include "AtiBackend.h"
#include "AdlLibrary.h"
#include "ApFlags.h"
#include "SystemLibrary.h"
#include <cstdlib>

FARPROC g_pfnAdl[10] = {};

namespace {

const int kAdapterIndex = 0;

enum AdlFunction { ODClockInfoGet = 0, ODClockConfigSet = 1, MainControlCreate = 2 };

int SetClocks(ADLAdapterODClockConfig config) {
    auto configSet = ProcAs<ADL_DISPLAY_ODCLOCKCONFIG_SET>(g_pfnAdl[ODClockConfigSet]);
    return configSet(kAdapterIndex, &config);
}

}  // namespace

void* __stdcall AdlMemoryAlloc(int iSize) {
    return iSize < 0 ? nullptr : std::malloc(static_cast<size_t>(iSize));
}

ADLAdapterODClockConfig AdlApplyConfig(const ADLAdapterODClockInfo& info) {
    return {static_cast<int32_t>(sizeof(ADLAdapterODClockConfig)), info.iFlags, info.sMemoryClock.iMaxClock,
            info.sEngineClock.iMaxClock};
}

ADLAdapterODClockConfig AdlRevertConfig(const ADLAdapterODClockInfo& info) {
    return {static_cast<int32_t>(sizeof(ADLAdapterODClockConfig)), info.iFlags, info.sMemoryClock.iDefaultClock,
            info.sEngineClock.iDefaultClock};
}

AdlProbe ProbeAdl(HMODULE* module, ADLAdapterODClockInfo* info) {
    *module = LoadSystemLibraryW(kAdlLibraryName);
    if (*module == nullptr)
        *module = LoadSystemLibraryW(kAdlLibraryFallbackName);
    if (*module == nullptr)
        return AdlProbe::NoLibrary;

    // Every function is looked up before any is tested.
    for (int i = 0; i < 10; ++i)
        g_pfnAdl[i] = ::GetProcAddress(*module, kAdlFunctionNames[i]);
    for (FARPROC pfn : g_pfnAdl) {
        if (pfn == nullptr)
            return AdlProbe::FunctionMissing;
    }

    auto create = ProcAs<ADL_MAIN_CONTROL_CREATE>(g_pfnAdl[MainControlCreate]);
    auto infoGet = ProcAs<ADL_DISPLAY_ODCLOCKINFO_GET>(g_pfnAdl[ODClockInfoGet]);
    if (create(&AdlMemoryAlloc, 1) != 0 || infoGet(kAdapterIndex, info) != 0)
        return AdlProbe::InitialisationFailed;
    return AdlProbe::Ready;
}

const wchar_t* AdlProbeMessage(AdlProbe probe) {
    switch (probe) {
    case AdlProbe::FunctionMissing:
        return L"ATI's overclock function is missing!";
    case AdlProbe::InitialisationFailed:
        return L"ADL Initialization Error!";
    default:
        return nullptr;
    }
}

bool AdlApplyOverclock(const ADLAdapterODClockInfo& info) {
    ApFlagsBeforeApply before;
    const int status = SetClocks(AdlApplyConfig(info));
    return before.Record(status == 0);
}

void AdlRevertOverclock(const ADLAdapterODClockInfo& info) {
    const int status = SetClocks(AdlRevertConfig(info));
    RecordReverted(status == 0);
}
