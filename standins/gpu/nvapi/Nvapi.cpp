// nvapi64.dll (nvapi.dll in 32-bit builds): the simulated NVIDIA driver library. Its one
// export maps an interface identifier to an entry point. Built a second time as
// nvapi_noquery.dll, which lacks that export and offers initialisation under its own name
// instead, as a broken or foreign library would.
//
// Each entry point asks the simulated notebook what to answer; the notebook journals the
// call. The handles are opaque to the program: they are whatever the service hands out.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <iterator>

#include "../DriverFaults.h"
#include "../GpuServiceLink.h"

// Not in an unnamed namespace: nvapi_noquery.dll reaches only Initialize, and the rest must
// not count as unused there.
namespace simnb {

constexpr uint32_t kMaxGpus = 64;

// NvAPI_Initialize succeeded in this process; the driver refuses other calls before.
std::atomic<bool> g_initialized{false};

// Every call but NvAPI_Initialize tells the service whether initialisation succeeded.
template <typename... Words>
std::string NvRequest(const char* name, const Words&... words) {
    return Request("nv", name, g_initialized.load(), words...);
}

void* HandleFrom(int64_t value) { return reinterpret_cast<void*>(static_cast<uintptr_t>(value)); }

int32_t __cdecl Initialize() {
    int32_t status = StatusOf(AskGpuService("nv NvAPI_Initialize"), kNvError);
    if (status == kNvOk) g_initialized.store(true);
    return status;
}

int32_t __cdecl EnumNvidiaDisplayHandle(uint32_t index, void** handle) {
    GpuAnswer answer = AskGpuService(NvRequest("NvAPI_EnumNvidiaDisplayHandle", index, handle != nullptr));
    int32_t status = StatusOf(answer, kNvError);
    if (status == kNvOk && handle != nullptr && answer->size() >= 2) *handle = HandleFrom((*answer)[1]);
    return status;
}

// The answer is STATUS COUNT HANDLE...; never more than the caller's 64 slots are written.
int32_t EnumGpus(const char* name, void** handles, uint32_t* count) {
    GpuAnswer answer = AskGpuService(NvRequest(name, handles != nullptr && count != nullptr));
    int32_t status = StatusOf(answer, kNvError);
    if (status != kNvOk || handles == nullptr || count == nullptr || answer->size() < 2) return status;
    uint64_t reported = static_cast<uint64_t>((*answer)[1]);
    uint32_t n = reported > kMaxGpus ? kMaxGpus : static_cast<uint32_t>(reported);
    for (uint32_t i = 0; i < n && i + 2 < answer->size(); ++i) handles[i] = HandleFrom((*answer)[i + 2]);
    *count = n;
    return status;
}

int32_t __cdecl EnumPhysicalGPUs(void** handles, uint32_t* count) { return EnumGpus("NvAPI_EnumPhysicalGPUs", handles, count); }

int32_t __cdecl EnumLogicalGPUs(void** handles, uint32_t* count) { return EnumGpus("NvAPI_EnumLogicalGPUs", handles, count); }

template <typename... Values>
int32_t Private(const char* name, void* gpu, Values... values) {
    const std::string request = NvRequest(name, reinterpret_cast<uintptr_t>(gpu), values...);
    GpuAnswer answer = AskGpuService(request);
    // Each of these faults is used up once met: the call is then answered as usual.
    while (WaitWhileHeld(answer) || StartFaultingThreadIfScripted(answer)) answer = AskGpuService(request);
    return CrashIfScripted(StatusOf(answer, kNvError));
}

int32_t __cdecl PrivateB23B70EE(void* gpu, uint32_t value) { return Private("NvPrivate_B23B70EE", gpu, value); }

int32_t __cdecl PrivateFDFC7D49(void* gpu, uint32_t value1, uint32_t value2) {
    return Private("NvPrivate_FDFC7D49", gpu, value1, value2);
}

int32_t __cdecl PrivateFA579A0F(void* gpu, uint32_t value) { return Private("NvPrivate_FA579A0F", gpu, value); }

// In the order of kNvEntryPoints.
void* const kNvAddresses[] = {
    reinterpret_cast<void*>(&Initialize),       reinterpret_cast<void*>(&EnumNvidiaDisplayHandle),
    reinterpret_cast<void*>(&EnumPhysicalGPUs), reinterpret_cast<void*>(&EnumLogicalGPUs),
    reinterpret_cast<void*>(&PrivateB23B70EE),  reinterpret_cast<void*>(&PrivateFDFC7D49),
    reinterpret_cast<void*>(&PrivateFA579A0F),
};
static_assert(std::size(kNvAddresses) == std::size(kNvEntryPoints));

// The address of the entry point for id, or null when the simulated driver does not offer
// it (or no simulated notebook is running).
void* NvEntryAddress(uint32_t id) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%08X", id);
    GpuAnswer answer = AskGpuService(std::string("nv query ") + hex);
    if (!answer || answer->front() != 1) return nullptr;
    for (size_t i = 0; i < std::size(kNvEntryPoints); ++i) {
        if (kNvEntryPoints[i].id == id) return kNvAddresses[i];
    }
    return nullptr;
}

}  // namespace simnb

#if defined(SIMNVAPI_WITHOUT_QUERY)
extern "C" __declspec(dllexport) int32_t __cdecl NvAPI_Initialize() { return simnb::Initialize(); }
#else
extern "C" __declspec(dllexport) void* __cdecl nvapi_QueryInterface(uint32_t id) { return simnb::NvEntryAddress(id); }
#endif

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        DisableThreadLibraryCalls(module);
        simnb::InstallOwnFilterIfScripted(simnb::AnnounceLoad("nv", module));
    }
    return TRUE;
}
