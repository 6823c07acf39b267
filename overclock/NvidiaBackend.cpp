#include "NvidiaBackend.h"

// The NVIDIA driver interface is not wired in yet: the probe finds no library.
NvAPI_Status InitNvapi() { return NVAPI_LIBRARY_NOT_FOUND; }
bool EnumNvidiaGpus() { return false; }
void NvApplyOverclock() {}
void NvRevertOverclock() {}
