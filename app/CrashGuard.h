// The last line of defence: a crash or an abnormal termination inside the program must not
// leave the GPU overclocked. The guard withdraws the overclock once and ends the process
// with the failure's own status.
#pragma once
#include <windows.h>

// The withdrawal. It runs on a thread of the guard's own and is told which thread faulted
// (that thread waits in the guard and never goes on).
typedef void (*PFN_WITHDRAW_OVERCLOCK)(DWORD faultingThreadId);

// Installs the guard for unhandled exceptions (access violations and the like), for
// abort() / SIGABRT and for std::terminate. withdraw runs at most once per process, and
// the process ends when it returns or when its deadline has passed, whichever comes
// first. A second fault meanwhile ends the process at once when it happens inside the
// withdrawal (a crash inside a driver or bridge call); on any other thread it waits for
// the withdrawal, within the same deadline. The status is always that of the first fault.
void InstallCrashGuard(PFN_WITHDRAW_OVERCLOCK withdraw);

// Puts the guard's handlers back in place once the libraries are loaded: a library may put
// an unhandled-exception filter of its own in the guard's place as it loads (libraries that
// report their own crashes do), and from then on a crash would withdraw nothing. Does
// nothing where no guard was installed.
void KeepCrashGuardInForce();

// What a crash is answered with; public so that every entry path above shares it.
[[noreturn]] void CrashGuardEnd(UINT failureStatus);
