// atiadlxx.dll: the simulated ATI display library. All ten functions the program needs are
// here; which of them a build exports is decided by its .def file, so that each variant
// (atiadlxx_without_<function>.dll) lacks exactly one. ADL's functions use the C calling
// convention; its memory callback is __stdcall.
//
// The records are handled as the fields ADL lays out (32-bit integers in a fixed order),
// not through the program's own declarations, so a layout mistake there would show here.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <cstring>

#include "../GpuServiceLink.h"

namespace {

typedef void*(__stdcall* AdlAllocCallback)(int size);

constexpr int kInfoFields = 14;    // iSize, iFlags, six memory and six engine clock fields
constexpr int kConfigFields = 4;   // iSize, iFlags, iMemoryClock, iEngineClock
constexpr int kWorkspaceBytes = 64;

// ADL_Main_Control_Create succeeded in this process (and Destroy was not called since).
std::atomic<bool> g_created{false};

// Every call but ADL_Main_Control_Create tells the service whether the library was created.
template <typename... Words>
simnb::GpuAnswer AskAdl(const char* name, const Words&... words) {
    return simnb::AskGpuService(simnb::Request("adl", name, g_created.load(), words...));
}

int32_t Status(const simnb::GpuAnswer& answer) { return simnb::StatusOf(answer, simnb::kAdlError); }

}  // namespace

extern "C" {

// The library takes its working memory from the caller, once, and never hands it back:
// the program's callback is the only allocator it may use.
int __cdecl ADL_Main_Control_Create(AdlAllocCallback callback, int iEnumConnectedAdapters) {
    void* workspace = callback != nullptr ? callback(kWorkspaceBytes) : nullptr;
    if (workspace != nullptr) std::memset(workspace, 0, kWorkspaceBytes);
    int32_t status = Status(simnb::AskGpuService(simnb::Request("adl", "ADL_Main_Control_Create", callback != nullptr,
                                                                workspace != nullptr, iEnumConnectedAdapters)));
    if (status == simnb::kAdlOk) g_created.store(true);
    return status;
}

int __cdecl ADL_Main_Control_Destroy() {
    int32_t status = Status(AskAdl("ADL_Main_Control_Destroy"));
    if (status == simnb::kAdlOk) g_created.store(false);
    return status;
}

int __cdecl ADL_Display_ODClockInfo_Get(int iAdapterIndex, int32_t* lpOdClockInfo) {
    simnb::GpuAnswer answer = AskAdl("ADL_Display_ODClockInfo_Get", iAdapterIndex, lpOdClockInfo != nullptr);
    int32_t status = Status(answer);
    if (status == simnb::kAdlOk && lpOdClockInfo != nullptr && answer->size() == 1 + kInfoFields) {
        for (int i = 0; i < kInfoFields; ++i) lpOdClockInfo[i] = static_cast<int32_t>((*answer)[1 + i]);
    }
    return status;
}

int __cdecl ADL_Display_ODClockConfig_Set(int iAdapterIndex, const int32_t* lpOdClockConfig) {
    const int32_t none[kConfigFields] = {};
    const int32_t* c = lpOdClockConfig != nullptr ? lpOdClockConfig : none;
    return Status(AskAdl("ADL_Display_ODClockConfig_Set", iAdapterIndex, lpOdClockConfig != nullptr, c[0], c[1], c[2], c[3]));
}

int __cdecl ADL_Adapter_NumberOfAdapters_Get(int* lpNumAdapters) {
    simnb::GpuAnswer answer = AskAdl("ADL_Adapter_NumberOfAdapters_Get", lpNumAdapters != nullptr);
    int32_t status = Status(answer);
    if (status == simnb::kAdlOk && lpNumAdapters != nullptr && answer->size() >= 2) {
        *lpNumAdapters = static_cast<int>((*answer)[1]);
    }
    return status;
}

// The program needs these to exist but never calls them; the simulated adapter does not
// describe the records they fill, so they only report their status.
int __cdecl ADL_Adapter_AdapterInfo_Get(void*, int) { return Status(AskAdl("ADL_Adapter_AdapterInfo_Get")); }
int __cdecl ADL_Display_DisplayInfo_Get(int, int*, void**, int) { return Status(AskAdl("ADL_Display_DisplayInfo_Get")); }
int __cdecl ADL_Display_ColorCaps_Get(int, int, int*, int*) { return Status(AskAdl("ADL_Display_ColorCaps_Get")); }
int __cdecl ADL_Display_Color_Get(int, int, int, int*, int*, int*, int*, int*) {
    return Status(AskAdl("ADL_Display_Color_Get"));
}
int __cdecl ADL_Display_Color_Set(int, int, int, int) { return Status(AskAdl("ADL_Display_Color_Set")); }

}  // extern "C"

// The library notes its loading and its unloading by FreeLibrary (reserved null), which a
// program that keeps ADL to its end never does; an unloading at process exit is not noted.
BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        DisableThreadLibraryCalls(module);
        simnb::AnnounceLoad("adl", module);
    } else if (reason == DLL_PROCESS_DETACH && reserved == nullptr) {
        simnb::AskGpuService(simnb::Request("adl", "unload", GetCurrentProcessId()));
    }
    return TRUE;
}
