// nvapi64.dll (nvapi.dll in 32-bit builds): the simulated NVIDIA driver library. Its one
// export maps an interface identifier to an entry point. Built a second time as
// nvapi_noquery.dll, which lacks that export and offers initialisation under its own name
// instead, as a broken or foreign library would.
#include <windows.h>

#include <cstdint>

#include "../GpuServiceLink.h"
#include "NvapiEntryPoints.h"

#if defined(SIMNVAPI_WITHOUT_QUERY)
extern "C" __declspec(dllexport) int32_t __cdecl NvAPI_Initialize() { return simnb::NvInitializeDirectly(); }
#else
extern "C" __declspec(dllexport) void* __cdecl nvapi_QueryInterface(uint32_t id) { return simnb::NvEntryAddress(id); }
#endif

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        DisableThreadLibraryCalls(module);
        simnb::AnnounceLoad("nv", module);
    }
    return TRUE;
}
