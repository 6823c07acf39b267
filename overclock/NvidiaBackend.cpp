#include "NvidiaBackend.h"
#include "ApFlags.h"
#include "SystemLibrary.h"
#include <initializer_list>

// Owned by the process on purpose: once initialised, the driver library stays loaded to the
// very end, because the crash guard's withdrawal may still call into it while the runtime is
// tearing down, after any owner object would already have freed it. Only a failed
// initialisation gives it back (UnloadNvapi below).
HMODULE g_hNvapi = nullptr;
PFN_NVAPI_QUERY_INTERFACE g_pfnNvapiQueryInterface = nullptr;
NvDisplayHandle g_hNvDisplay[NVAPI_MAX_DISPLAYS];
NvPhysicalGpuHandle g_hNvPhysicalGpu[NVAPI_MAX_PHYSICAL_GPUS];
uint32_t g_nNvPhysicalGpuCount = 0;
NvLogicalGpuHandle g_hNvLogicalGpu[NVAPI_MAX_LOGICAL_GPUS];
uint32_t g_nNvLogicalGpuCount = 0;

namespace {

// The resolved entry point of one identifier. The library is asked at most once per
// identifier; a null answer is final.
struct EntryCache {
    uint32_t id;
    void* address;
    bool asked;
};

EntryCache g_enumDisplay = {NVID_EnumNvidiaDisplayHandle, nullptr, false};
EntryCache g_enumPhysical = {NVID_EnumPhysicalGPUs, nullptr, false};
EntryCache g_enumLogical = {NVID_EnumLogicalGPUs, nullptr, false};
EntryCache g_privateB23B70EE = {NVID_Private_B23B70EE, nullptr, false};
EntryCache g_privateFDFC7D49 = {NVID_Private_FDFC7D49, nullptr, false};
EntryCache g_privateFA579A0F = {NVID_Private_FA579A0F, nullptr, false};

template <typename Fn>
Fn Resolve(EntryCache& cache) {
    if (g_pfnNvapiQueryInterface != nullptr && cache.address == nullptr && !cache.asked) {
        cache.address = g_pfnNvapiQueryInterface(cache.id);
        cache.asked = true;
    }
    return reinterpret_cast<Fn>(cache.address);
}

void UnloadNvapi() {
    g_pfnNvapiQueryInterface = nullptr;
    ::FreeLibrary(g_hNvapi);
    g_hNvapi = nullptr;
}

typedef NvAPI_Status(__cdecl* PFN_Initialize)();
typedef NvAPI_Status(__cdecl* PFN_EnumDisplay)(uint32_t, NvDisplayHandle*);
typedef NvAPI_Status(__cdecl* PFN_EnumPhysical)(NvPhysicalGpuHandle*, uint32_t*);
typedef NvAPI_Status(__cdecl* PFN_EnumLogical)(NvLogicalGpuHandle*, uint32_t*);
typedef NvAPI_Status(__cdecl* PFN_GpuValue)(NvPhysicalGpuHandle, uint32_t);
typedef NvAPI_Status(__cdecl* PFN_GpuTwoValues)(NvPhysicalGpuHandle, uint32_t, uint32_t);

}  // namespace

NvAPI_Status InitNvapi() {
    if (g_hNvapi == nullptr) {
        g_hNvapi = LoadSystemLibraryA(kNvapiLibraryName);
        if (g_hNvapi == nullptr)
            return NVAPI_LIBRARY_NOT_FOUND;
    }
    g_pfnNvapiQueryInterface =
        ProcAs<PFN_NVAPI_QUERY_INTERFACE>(::GetProcAddress(g_hNvapi, "nvapi_QueryInterface"));
    if (g_pfnNvapiQueryInterface == nullptr) {
        UnloadNvapi();
        return NVAPI_ERROR;
    }
    auto initialize = reinterpret_cast<PFN_Initialize>(g_pfnNvapiQueryInterface(NVID_Initialize));
    if (initialize == nullptr || initialize() != NVAPI_OK) {
        UnloadNvapi();
        return NVAPI_ERROR;
    }
    return NVAPI_OK;
}

NvAPI_Status NvAPI_EnumNvidiaDisplayHandle(uint32_t thisEnum, NvDisplayHandle* pNvDispHandle) {
    auto fn = Resolve<PFN_EnumDisplay>(g_enumDisplay);
    return fn ? fn(thisEnum, pNvDispHandle) : NVAPI_NO_IMPLEMENTATION;
}

NvAPI_Status NvAPI_EnumPhysicalGPUs(NvPhysicalGpuHandle nvGPUHandle[NVAPI_MAX_PHYSICAL_GPUS], uint32_t* pGpuCount) {
    auto fn = Resolve<PFN_EnumPhysical>(g_enumPhysical);
    return fn ? fn(nvGPUHandle, pGpuCount) : NVAPI_NO_IMPLEMENTATION;
}

NvAPI_Status NvAPI_EnumLogicalGPUs(NvLogicalGpuHandle nvGPUHandle[NVAPI_MAX_LOGICAL_GPUS], uint32_t* pGpuCount) {
    auto fn = Resolve<PFN_EnumLogical>(g_enumLogical);
    return fn ? fn(nvGPUHandle, pGpuCount) : NVAPI_NO_IMPLEMENTATION;
}

NvAPI_Status NvPrivate_B23B70EE(NvPhysicalGpuHandle hGpu, uint32_t value) {
    auto fn = Resolve<PFN_GpuValue>(g_privateB23B70EE);
    return fn ? fn(hGpu, value) : NVAPI_NO_IMPLEMENTATION;
}

NvAPI_Status NvPrivate_FDFC7D49(NvPhysicalGpuHandle hGpu, uint32_t value1, uint32_t value2) {
    auto fn = Resolve<PFN_GpuTwoValues>(g_privateFDFC7D49);
    return fn ? fn(hGpu, value1, value2) : NVAPI_NO_IMPLEMENTATION;
}

NvAPI_Status NvPrivate_FA579A0F(NvPhysicalGpuHandle hGpu, uint32_t value) {
    auto fn = Resolve<PFN_GpuValue>(g_privateFA579A0F);
    return fn ? fn(hGpu, value) : NVAPI_NO_IMPLEMENTATION;
}

bool EnumNvidiaGpus() {
    // The driver ends the display list with NVAPI_END_ENUMERATION; the array's size ends
    // it too, so a driver reporting more displays cannot write past it.
    NvAPI_Status status = NVAPI_OK;
    for (uint32_t i = 0; i < NVAPI_MAX_DISPLAYS && status == NVAPI_OK; ++i) {
        status = NvAPI_EnumNvidiaDisplayHandle(i, &g_hNvDisplay[i]);
        if (status != NVAPI_OK && status != NVAPI_END_ENUMERATION)
            return false;
    }
    if (NvAPI_EnumPhysicalGPUs(g_hNvPhysicalGpu, &g_nNvPhysicalGpuCount) != NVAPI_OK)
        return false;
    if (NvAPI_EnumLogicalGPUs(g_hNvLogicalGpu, &g_nNvLogicalGpuCount) != NVAPI_OK)
        return false;
    // Without a physical GPU there is nothing to switch: claiming the back-end would
    // shadow a ready ATI back-end and make every switch fail unseen.
    return g_nNvPhysicalGpuCount > 0;
}

void NvApplyOverclock() {
    ApFlagsBeforeApply before;
    NvPhysicalGpuHandle gpu = g_hNvPhysicalGpu[0];
    NvAPI_Status a = NvPrivate_B23B70EE(gpu, 1);
    NvAPI_Status b = NvPrivate_FDFC7D49(gpu, 1, 0);
    NvAPI_Status c = NvPrivate_FA579A0F(gpu, 0);
    before.Record(a == NVAPI_OK && b == NVAPI_OK && c == NVAPI_OK);
}

void NvRevertOverclock() {
    NvPhysicalGpuHandle gpu = g_hNvPhysicalGpu[0];
    NvAPI_Status a = NvPrivate_B23B70EE(gpu, 0);
    NvAPI_Status b = NvPrivate_FA579A0F(gpu, 1);
    RecordReverted(a == NVAPI_OK && b == NVAPI_OK);
}

void NvapiForgetEntryPoints() {
    for (EntryCache* c : {&g_enumDisplay, &g_enumPhysical, &g_enumLogical, &g_privateB23B70EE, &g_privateFDFC7D49,
                          &g_privateFA579A0F}) {
        c->address = nullptr;
        c->asked = false;
    }
}
