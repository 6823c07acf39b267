// Each entry point asks the simulated notebook what to answer; the notebook journals the
// call. The handles are opaque to the program: they are whatever the service hands out.
#include "NvapiEntryPoints.h"

#include <atomic>
#include <cstdio>

#include "../CrashFault.h"
#include "../GpuEntryPoints.h"
#include "../GpuServiceLink.h"
#include "../GpuWire.h"
#include "../HoldFault.h"

namespace simnb {
namespace {

constexpr uint32_t kMaxGpus = 64;

// NvAPI_Initialize succeeded in this process; the driver refuses other calls before.
std::atomic<bool> g_initialized{false};

std::string Initialized() { return g_initialized.load() ? "1" : "0"; }

void* HandleFrom(int64_t value) { return reinterpret_cast<void*>(static_cast<uintptr_t>(value)); }

int32_t __cdecl Initialize() {
    int32_t status = StatusOf(AskGpuService("nv NvAPI_Initialize"), kNvError);
    if (status == kNvOk) g_initialized.store(true);
    return status;
}

int32_t __cdecl EnumNvidiaDisplayHandle(uint32_t index, void** handle) {
    auto answer = AskGpuService("nv NvAPI_EnumNvidiaDisplayHandle " + Initialized() + " " + Word(index) + " " +
                                (handle != nullptr ? "1" : "0"));
    int32_t status = StatusOf(answer, kNvError);
    if (status == kNvOk && handle != nullptr && answer->size() >= 2) *handle = HandleFrom((*answer)[1]);
    return status;
}

// The answer is STATUS COUNT HANDLE...; never more than the caller's 64 slots are written.
int32_t EnumGpus(const char* name, void** handles, uint32_t* count) {
    auto answer = AskGpuService(std::string("nv ") + name + " " + Initialized() + " " +
                                (handles != nullptr && count != nullptr ? "1" : "0"));
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

int32_t Private(const char* name, void* gpu, const std::string& values) {
    const std::string request = std::string("nv ") + name + " " + Initialized() + " " + PointerWord(gpu) + " " + values;
    auto answer = AskGpuService(request);
    if (WaitWhileHeld(answer)) answer = AskGpuService(request);
    return CrashIfScripted(StatusOf(answer, kNvError));
}

int32_t __cdecl PrivateB23B70EE(void* gpu, uint32_t value) { return Private("NvPrivate_B23B70EE", gpu, Word(value)); }

int32_t __cdecl PrivateFDFC7D49(void* gpu, uint32_t value1, uint32_t value2) {
    return Private("NvPrivate_FDFC7D49", gpu, Word(value1) + " " + Word(value2));
}

int32_t __cdecl PrivateFA579A0F(void* gpu, uint32_t value) { return Private("NvPrivate_FA579A0F", gpu, Word(value)); }

void* AddressOf(uint32_t id) {
    switch (id) {
    case 0x0150E828: return reinterpret_cast<void*>(&Initialize);
    case 0x9ABDD40D: return reinterpret_cast<void*>(&EnumNvidiaDisplayHandle);
    case 0xE5AC921F: return reinterpret_cast<void*>(&EnumPhysicalGPUs);
    case 0x48B3EA59: return reinterpret_cast<void*>(&EnumLogicalGPUs);
    case 0xB23B70EE: return reinterpret_cast<void*>(&PrivateB23B70EE);
    case 0xFDFC7D49: return reinterpret_cast<void*>(&PrivateFDFC7D49);
    case 0xFA579A0F: return reinterpret_cast<void*>(&PrivateFA579A0F);
    default: return nullptr;
    }
}

}  // namespace

void* NvEntryAddress(uint32_t id) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%08X", id);
    auto answer = AskGpuService(std::string("nv query ") + hex);
    if (!answer || answer->front() != 1) return nullptr;
    return AddressOf(id);
}

int32_t NvInitializeDirectly() { return Initialize(); }

}  // namespace simnb
