// The ATI back-end: adapter 0 set to the maximum or the default over-drive clocks that
// the library reported at start-up.
#include "AdlLibrary.h"
#include "ApFlags.h"
#include "SystemLibrary.h"
#include "TarvelDlg.h"
#include <cstdlib>

FARPROC g_pfnAdl[10] = {};

namespace {

const int kAdapterIndex = 0;

enum AdlFunction { ODClockInfoGet = 0, ODClockConfigSet = 1, MainControlCreate = 2 };

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

BOOL CTarvelDlg::InitAdl() {
    m_hAdlModule = LoadSystemLibraryW(kAdlLibraryName);
    if (m_hAdlModule == nullptr)
        m_hAdlModule = LoadSystemLibraryW(kAdlLibraryFallbackName);
    if (m_hAdlModule == nullptr)
        return FALSE;

    // Every function is looked up before any is tested.
    for (int i = 0; i < 10; ++i)
        g_pfnAdl[i] = ::GetProcAddress(m_hAdlModule, kAdlFunctionNames[i]);
    for (FARPROC pfn : g_pfnAdl) {
        if (pfn == nullptr) {
            ShowMessage(L"ATI's overclock function is missing!", MB_OK | MB_ICONEXCLAMATION);
            return FALSE;
        }
    }

    auto create = ProcAs<ADL_MAIN_CONTROL_CREATE>(g_pfnAdl[MainControlCreate]);
    auto infoGet = ProcAs<ADL_DISPLAY_ODCLOCKINFO_GET>(g_pfnAdl[ODClockInfoGet]);
    if (create(&AdlMemoryAlloc, 1) != 0 || infoGet(kAdapterIndex, &m_adlClockInfo) != 0) {
        ShowMessage(L"ADL Initialization Error!", MB_OK | MB_ICONEXCLAMATION);
        return FALSE;
    }
    return TRUE;
}

bool CTarvelDlg::AtiApplyOverclock() {
    ApFlagsBeforeApply before;
    ADLAdapterODClockConfig config = AdlApplyConfig(m_adlClockInfo);
    auto configSet = ProcAs<ADL_DISPLAY_ODCLOCKCONFIG_SET>(g_pfnAdl[ODClockConfigSet]);
    int status = configSet(kAdapterIndex, &config);
    return before.Record(status == 0);
}

void CTarvelDlg::AtiRevertOverclock() {
    ADLAdapterODClockConfig config = AdlRevertConfig(m_adlClockInfo);
    auto configSet = ProcAs<ADL_DISPLAY_ODCLOCKCONFIG_SET>(g_pfnAdl[ODClockConfigSet]);
    int status = configSet(kAdapterIndex, &config);
    RecordReverted(status == 0);
}
