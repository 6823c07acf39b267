// The GPU stand-ins (nvapi and ADL) ask the simulated notebook about every call on the GPU
// pipe. A request is one line of words ("nv NvPrivate_B23B70EE 0x10000100 1"); the answer
// is the status followed by the values the call hands back, also as words. Text keeps a
// 32-bit stand-in and the 64-bit service in agreement and the traffic readable.
#pragma once
#include <cstdint>

namespace simnb {

constexpr wchar_t kGpuPipeName[] = L"\\\\.\\pipe\\ORV_SimGpu";
constexpr size_t kMaxGpuMessageBytes = 4096;

// Handles the simulated driver hands out. Never null, and small enough for a 32-bit pointer.
constexpr uint32_t kNvDisplayHandleBase = 0x30000100;
constexpr uint32_t kNvPhysicalGpuHandleBase = 0x10000100;
constexpr uint32_t kNvLogicalGpuHandleBase = 0x20000100;

// NVAPI statuses the simulated driver produces on its own.
constexpr int32_t kNvOk = 0;
constexpr int32_t kNvError = -1;
constexpr int32_t kNvNotInitialized = -4;
constexpr int32_t kNvInvalidArgument = -5;
constexpr int32_t kNvEndEnumeration = -7;
constexpr int32_t kNvExpectedPhysicalGpuHandle = -101;

// ADL statuses the simulated library produces on its own.
constexpr int32_t kAdlOk = 0;
constexpr int32_t kAdlError = -1;
constexpr int32_t kAdlNotInit = -2;
constexpr int32_t kAdlInvalidParam = -3;
constexpr int32_t kAdlInvalidParamSize = -4;
constexpr int32_t kAdlInvalidAdapterIndex = -5;
constexpr int32_t kAdlNotSupported = -8;
constexpr int32_t kAdlNullPointer = -9;
constexpr int32_t kAdlInvalidCallback = -11;

// The entry points the GPU stand-ins offer: NVIDIA by interface identifier, ADL by export
// name. The names are those the journal and the control commands use.
struct NvEntryPoint {
    uint32_t id;
    const char* name;
};

constexpr NvEntryPoint kNvEntryPoints[] = {
    {0x0150E828, "NvAPI_Initialize"},
    {0x9ABDD40D, "NvAPI_EnumNvidiaDisplayHandle"},
    {0xE5AC921F, "NvAPI_EnumPhysicalGPUs"},
    {0x48B3EA59, "NvAPI_EnumLogicalGPUs"},
    {0xB23B70EE, "NvPrivate_B23B70EE"},
    {0xFDFC7D49, "NvPrivate_FDFC7D49"},
    {0xFA579A0F, "NvPrivate_FA579A0F"},
};

// Null for an identifier the simulated driver does not know.
inline const char* NvEntryPointName(uint32_t id) {
    for (const NvEntryPoint& entry : kNvEntryPoints) {
        if (entry.id == id) return entry.name;
    }
    return nullptr;
}

// The ten ADL functions the stand-in exports (each variant leaves one out).
constexpr const char* kAdlFunctionNames[] = {
    "ADL_Display_ODClockInfo_Get",      "ADL_Display_ODClockConfig_Set", "ADL_Main_Control_Create",
    "ADL_Main_Control_Destroy",         "ADL_Adapter_NumberOfAdapters_Get", "ADL_Adapter_AdapterInfo_Get",
    "ADL_Display_DisplayInfo_Get",      "ADL_Display_ColorCaps_Get",     "ADL_Display_Color_Get",
    "ADL_Display_Color_Set",
};

}  // namespace simnb
