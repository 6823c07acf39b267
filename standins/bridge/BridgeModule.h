// The bridge's own module: the linker places __ImageBase at its load address.
#pragma once
#include <windows.h>

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace simnb {

inline HMODULE BridgeModule() { return reinterpret_cast<HMODULE>(&__ImageBase); }

}  // namespace simnb
