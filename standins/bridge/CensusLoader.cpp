#include "CensusLoader.h"

#include <windows.h>

#include <string>

#include "BridgeModule.h"

namespace simnb {
namespace {

std::wstring BridgeFolder() {
    wchar_t path[MAX_PATH] = {};
    DWORD length = GetModuleFileNameW(BridgeModule(), path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return std::wstring();
    std::wstring folder(path, length);
    return folder.substr(0, folder.find_last_of(L"\\/") + 1);
}

// The census stays loaded for the process's life: the host's imports lead into it.
BOOL CALLBACK LoadOnce(PINIT_ONCE, PVOID, PVOID*) {
    if (GetEnvironmentVariableW(L"ORV_SIM_OBJECT_CENSUS", nullptr, 0) == 0) return TRUE;
    HMODULE census = LoadLibraryW((BridgeFolder() + L"simcensus.dll").c_str());
    if (census == nullptr) return TRUE;
    auto install = reinterpret_cast<void(__cdecl*)()>(
        reinterpret_cast<void*>(GetProcAddress(census, "InstallObjectCensus")));
    if (install != nullptr) install();
    return TRUE;
}

}  // namespace

void LoadObjectCensusWhenAsked() {
    static INIT_ONCE once = INIT_ONCE_STATIC_INIT;
    InitOnceExecuteOnce(&once, &LoadOnce, nullptr, nullptr);
}

}  // namespace simnb
