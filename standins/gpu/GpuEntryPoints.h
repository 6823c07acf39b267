// The entry points the GPU stand-ins offer: NVIDIA by interface identifier, ADL by export
// name. The names are those the journal and the control commands use.
#pragma once
#include <cstdint>

namespace simnb {

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
