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
#include "../GpuWire.h"

namespace {

typedef void*(__stdcall* AdlAllocCallback)(int size);

constexpr int kInfoFields = 14;    // iSize, iFlags, six memory and six engine clock fields
constexpr int kConfigFields = 4;   // iSize, iFlags, iMemoryClock, iEngineClock
constexpr int kWorkspaceBytes = 64;

// ADL_Main_Control_Create succeeded in this process (and Destroy was not called since).
std::atomic<bool> g_created{false};

std::string Created() { return g_created.load() ? "1" : "0"; }

int32_t Ask(const std::string& request) { return simnb::StatusOf(simnb::AskGpuService(request), simnb::kAdlError); }

int32_t AskOther(const char* name, const std::string& extra = std::string()) {
    return Ask(std::string("adl ") + name + " " + Created() + extra);
}

}  // namespace

extern "C" {

// The library takes its working memory from the caller, once, and never hands it back:
// the program's callback is the only allocator it may use.
int __cdecl ADL_Main_Control_Create(AdlAllocCallback callback, int iEnumConnectedAdapters) {
    void* workspace = callback != nullptr ? callback(kWorkspaceBytes) : nullptr;
    if (workspace != nullptr) std::memset(workspace, 0, kWorkspaceBytes);
    int32_t status = Ask("adl ADL_Main_Control_Create " + simnb::Word(callback != nullptr) + " " +
                         simnb::Word(workspace != nullptr) + " " + simnb::Word(iEnumConnectedAdapters));
    if (status == simnb::kAdlOk) g_created.store(true);
    return status;
}

int __cdecl ADL_Main_Control_Destroy() {
    int32_t status = AskOther("ADL_Main_Control_Destroy");
    if (status == simnb::kAdlOk) g_created.store(false);
    return status;
}

int __cdecl ADL_Display_ODClockInfo_Get(int iAdapterIndex, int32_t* lpOdClockInfo) {
    auto answer = simnb::AskGpuService("adl ADL_Display_ODClockInfo_Get " + Created() + " " +
                                       simnb::Word(iAdapterIndex) + " " + simnb::Word(lpOdClockInfo != nullptr));
    int32_t status = simnb::StatusOf(answer, simnb::kAdlError);
    if (status == simnb::kAdlOk && lpOdClockInfo != nullptr && answer->size() == 1 + kInfoFields) {
        for (int i = 0; i < kInfoFields; ++i) lpOdClockInfo[i] = static_cast<int32_t>((*answer)[1 + i]);
    }
    return status;
}

int __cdecl ADL_Display_ODClockConfig_Set(int iAdapterIndex, const int32_t* lpOdClockConfig) {
    std::string request = "adl ADL_Display_ODClockConfig_Set " + Created() + " " + simnb::Word(iAdapterIndex) + " " +
                          simnb::Word(lpOdClockConfig != nullptr);
    for (int i = 0; i < kConfigFields; ++i) request += " " + simnb::Word(lpOdClockConfig ? lpOdClockConfig[i] : 0);
    return Ask(request);
}

int __cdecl ADL_Adapter_NumberOfAdapters_Get(int* lpNumAdapters) {
    auto answer = simnb::AskGpuService("adl ADL_Adapter_NumberOfAdapters_Get " + Created() + " " +
                                       simnb::Word(lpNumAdapters != nullptr));
    int32_t status = simnb::StatusOf(answer, simnb::kAdlError);
    if (status == simnb::kAdlOk && lpNumAdapters != nullptr && answer->size() >= 2) {
        *lpNumAdapters = static_cast<int>((*answer)[1]);
    }
    return status;
}

// The program needs these to exist but never calls them; the simulated adapter does not
// describe the records they fill, so they only report their status.
int __cdecl ADL_Adapter_AdapterInfo_Get(void*, int) { return AskOther("ADL_Adapter_AdapterInfo_Get"); }
int __cdecl ADL_Display_DisplayInfo_Get(int, int*, void**, int) { return AskOther("ADL_Display_DisplayInfo_Get"); }
int __cdecl ADL_Display_ColorCaps_Get(int, int, int*, int*) { return AskOther("ADL_Display_ColorCaps_Get"); }
int __cdecl ADL_Display_Color_Get(int, int, int, int*, int*, int*, int*, int*) {
    return AskOther("ADL_Display_Color_Get");
}
int __cdecl ADL_Display_Color_Set(int, int, int, int) { return AskOther("ADL_Display_Color_Set"); }

}  // extern "C"

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        DisableThreadLibraryCalls(module);
        simnb::AnnounceLoad("adl", module);
    }
    return TRUE;
}
