// The NVIDIA back-end: NVIDIA's driver interface library, reached through the one export
// nvapi_QueryInterface that maps an interface identifier to an entry point.
#pragma once
#include <cstdint>

typedef int32_t NvAPI_Status;
constexpr NvAPI_Status NVAPI_OK = 0;
constexpr NvAPI_Status NVAPI_ERROR = -1;
constexpr NvAPI_Status NVAPI_LIBRARY_NOT_FOUND = -2;
constexpr NvAPI_Status NVAPI_NO_IMPLEMENTATION = -3;
constexpr NvAPI_Status NVAPI_END_ENUMERATION = -7;

// Loads and initialises the library: NVAPI_OK, NVAPI_LIBRARY_NOT_FOUND or NVAPI_ERROR.
NvAPI_Status InitNvapi();
// Enumerates displays, physical and logical GPUs; true when all three succeeded.
bool EnumNvidiaGpus();
void NvApplyOverclock();
void NvRevertOverclock();
