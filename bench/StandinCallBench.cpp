// What one call costs on the simulated notebook, printed as "SAMPLE figure who value" lines:
//   standin_vendor_call_ms    one call of the NVIDIA stand-in (NvAPI_EnumPhysicalGPUs): a
//                             round trip to simnotebook.exe, as every entry point and every
//                             nvapi_QueryInterface of the stand-in is
//   standin_firmware_call_ms  one firmware request through the bridge stand-in
//                             (ORV_CallNamePipe reading AP:6): a round trip as well
//   StandinCallBench.exe [REPEATS]
// The simulated notebook must be running and the NVIDIA stand-in lie in the system folder.
// Neither call changes the notebook's state.
#include "BenchSupport.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

using namespace bench;

namespace {

typedef void*(__cdecl* NvQuery)(uint32_t);
typedef int32_t(__cdecl* NvInitialize)();
typedef int32_t(__cdecl* NvEnumGpus)(void**, uint32_t*);
typedef int(__cdecl* CallNamePipe)(char*, int, char*, int);

#ifdef _WIN64
const wchar_t kNvapiName[] = L"nvapi64.dll";
#else
const wchar_t kNvapiName[] = L"nvapi.dll";
#endif
constexpr int kWarmUp = 10;

template <typename Fn>
Fn ProcAs(FARPROC pfn) {
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(pfn));
}

std::wstring SystemFolder() {
    wchar_t path[MAX_PATH] = {};
    const UINT n = ::GetSystemDirectoryW(path, MAX_PATH);
    return n > 0 && n < MAX_PATH ? std::wstring(path) + L"\\" : std::wstring();
}

// Times call() repeats times after a few unrecorded calls; false when a call failed.
template <typename F>
bool TimeCalls(const char* figure, int repeats, F call) {
    for (int i = 0; i < kWarmUp; ++i) {
        if (!call())
            return false;
    }
    for (int i = 0; i < repeats; ++i) {
        const double start = NowMs();
        if (!call())
            return false;
        Sample(figure, "tarvel", NowMs() - start);
    }
    return true;
}

bool TimeVendorCall(int repeats) {
    HMODULE nvapi = ::LoadLibraryW((SystemFolder() + kNvapiName).c_str());
    auto query = nvapi ? ProcAs<NvQuery>(::GetProcAddress(nvapi, "nvapi_QueryInterface")) : nullptr;
    auto initialize = query ? reinterpret_cast<NvInitialize>(query(0x0150E828)) : nullptr;
    auto enumPhysical = query ? reinterpret_cast<NvEnumGpus>(query(0xE5AC921F)) : nullptr;
    if (initialize == nullptr || enumPhysical == nullptr || initialize() != 0)
        return false;
    void* gpus[64];
    uint32_t count = 0;
    return TimeCalls("standin_vendor_call_ms", repeats, [&] { return enumPhysical(gpus, &count) == 0; });
}

bool TimeFirmwareRequest(int repeats) {
    HMODULE bridge = ::LoadLibraryW((OwnFolder() + L"ORVWmiAcpi.dll").c_str());
    auto call = bridge ? ProcAs<CallNamePipe>(::GetProcAddress(bridge, "ORV_CallNamePipe")) : nullptr;
    if (call == nullptr)
        return false;
    return TimeCalls("standin_firmware_call_ms", repeats, [&] {
        char request[80] = "root\\WMI:Q:ORV_AP:AP:6";
        char reply[800];
        return call(request, sizeof request, reply, sizeof reply) != 0;
    });
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const int repeats = argc > 1 ? _wtoi(argv[1]) : 200;
    bool ok = true;
    if (!TimeVendorCall(repeats)) {
        Note("the NVIDIA stand-in did not answer: no vendor call timed");
        ok = false;
    }
    if (!TimeFirmwareRequest(repeats)) {
        Note("the bridge stand-in did not answer: no firmware request timed");
        ok = false;
    }
    return ok ? 0 : 1;
}
