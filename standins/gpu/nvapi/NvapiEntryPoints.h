// The simulated NVIDIA driver's entry points, as nvapi_QueryInterface hands them out.
#pragma once
#include <cstdint>

namespace simnb {

// The address of the entry point for id, or null when the simulated driver does not offer
// it (or no simulated notebook is running).
void* NvEntryAddress(uint32_t id);

// NvAPI_Initialize, for the variant that exports it by name instead of the query function.
int32_t NvInitializeDirectly();

}  // namespace simnb
