// The NVIDIA back-end: NVIDIA's driver interface library, reached through its one export
// nvapi_QueryInterface, which maps a 32-bit interface identifier to an entry point.
#pragma once
#include <windows.h>
#include <cstdint>

typedef int32_t NvAPI_Status;
constexpr NvAPI_Status NVAPI_OK = 0;
constexpr NvAPI_Status NVAPI_ERROR = -1;
constexpr NvAPI_Status NVAPI_LIBRARY_NOT_FOUND = -2;
constexpr NvAPI_Status NVAPI_NO_IMPLEMENTATION = -3;
constexpr NvAPI_Status NVAPI_END_ENUMERATION = -7;

typedef void* NvDisplayHandle;
typedef void* NvPhysicalGpuHandle;
typedef void* NvLogicalGpuHandle;

constexpr uint32_t NVAPI_MAX_DISPLAYS = 128;
constexpr uint32_t NVAPI_MAX_PHYSICAL_GPUS = 64;
constexpr uint32_t NVAPI_MAX_LOGICAL_GPUS = 64;

// The interface identifiers the program asks for.
constexpr uint32_t NVID_Initialize = 0x0150E828;
constexpr uint32_t NVID_EnumNvidiaDisplayHandle = 0x9ABDD40D;
constexpr uint32_t NVID_EnumPhysicalGPUs = 0xE5AC921F;
constexpr uint32_t NVID_EnumLogicalGPUs = 0x48B3EA59;
constexpr uint32_t NVID_Private_B23B70EE = 0xB23B70EE;
constexpr uint32_t NVID_Private_FDFC7D49 = 0xFDFC7D49;
constexpr uint32_t NVID_Private_FA579A0F = 0xFA579A0F;

typedef void*(__cdecl* PFN_NVAPI_QUERY_INTERFACE)(uint32_t id);

// The library's name: NVIDIA names its 64-bit library apart.
#if defined(_WIN64)
constexpr char kNvapiLibraryName[] = "nvapi64.dll";
#else
constexpr char kNvapiLibraryName[] = "nvapi.dll";
#endif

extern HMODULE g_hNvapi;
extern PFN_NVAPI_QUERY_INTERFACE g_pfnNvapiQueryInterface;
extern NvDisplayHandle g_hNvDisplay[NVAPI_MAX_DISPLAYS];
extern NvPhysicalGpuHandle g_hNvPhysicalGpu[NVAPI_MAX_PHYSICAL_GPUS];
extern uint32_t g_nNvPhysicalGpuCount;
extern NvLogicalGpuHandle g_hNvLogicalGpu[NVAPI_MAX_LOGICAL_GPUS];
extern uint32_t g_nNvLogicalGpuCount;

// Loads (from the Windows system folder only) and initialises the library: NVAPI_OK,
// NVAPI_LIBRARY_NOT_FOUND, or NVAPI_ERROR with the library unloaded again.
NvAPI_Status InitNvapi();
// Enumerates displays, physical and logical GPUs; true when all three succeeded and at
// least one physical GPU exists.
bool EnumNvidiaGpus();
void NvApplyOverclock();
void NvRevertOverclock();

// One wrapper per entry point: the entry point's status, or NVAPI_NO_IMPLEMENTATION when
// the library does not offer it (or is not initialised).
NvAPI_Status NvAPI_EnumNvidiaDisplayHandle(uint32_t thisEnum, NvDisplayHandle* pNvDispHandle);
NvAPI_Status NvAPI_EnumPhysicalGPUs(NvPhysicalGpuHandle nvGPUHandle[NVAPI_MAX_PHYSICAL_GPUS], uint32_t* pGpuCount);
NvAPI_Status NvAPI_EnumLogicalGPUs(NvLogicalGpuHandle nvGPUHandle[NVAPI_MAX_LOGICAL_GPUS], uint32_t* pGpuCount);
NvAPI_Status NvPrivate_B23B70EE(NvPhysicalGpuHandle hGpu, uint32_t value);
NvAPI_Status NvPrivate_FDFC7D49(NvPhysicalGpuHandle hGpu, uint32_t value1, uint32_t value2);
NvAPI_Status NvPrivate_FA579A0F(NvPhysicalGpuHandle hGpu, uint32_t value);

// Forgets every resolved entry point, as at process start. For tests that load several
// libraries in one process; the program itself never calls it.
void NvapiForgetEntryPoints();
