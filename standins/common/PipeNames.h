// Where the simulated notebook listens. Both pipes belong to simnotebook.exe.
#pragma once

namespace simnb {

// The bridge library's requests and event subscriptions.
constexpr wchar_t kFirmwarePipeName[] = L"\\\\.\\pipe\\ORV_SimFirmware";
// notebookctl and the tests: commands in, text out.
constexpr wchar_t kControlPipeName[] = L"\\\\.\\pipe\\ORV_SimNotebook";
// Held by the running service, so a second one refuses to start.
constexpr wchar_t kServiceMutexName[] = L"ORV_SimNotebook_Service";

}  // namespace simnb
