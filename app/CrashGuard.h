// The last line of defence: a crash or an abnormal termination inside the program must not
// leave the GPU overclocked. The guard withdraws the overclock once and ends the process
// with the failure's own status.
#pragma once
#include <windows.h>

typedef void (*PFN_WITHDRAW_OVERCLOCK)();

// Installs the guard for unhandled exceptions (access violations and the like), for
// abort() / SIGABRT and for std::terminate. withdraw runs at most once per process; a
// second fault while it runs (a crash inside a driver or bridge call) ends the process at
// once with the status of the first.
void InstallCrashGuard(PFN_WITHDRAW_OVERCLOCK withdraw);

// What a crash is answered with; public so that every entry path above shares it.
[[noreturn]] void CrashGuardEnd(UINT failureStatus);
