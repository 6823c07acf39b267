#include "CrashGuard.h"
#include <csignal>
#include <exception>

namespace {

// abort() ends a process with 3; the guard keeps that status.
const UINT kAbortStatus = 3;

PFN_WITHDRAW_OVERCLOCK g_pfnWithdraw = nullptr;
volatile LONG g_nEntered = 0;
volatile LONG g_nFirstStatus = 0;

LONG WINAPI OnUnhandledException(EXCEPTION_POINTERS* pInfo) {
    CrashGuardEnd(pInfo != nullptr && pInfo->ExceptionRecord != nullptr ? pInfo->ExceptionRecord->ExceptionCode
                                                                           : EXCEPTION_NONCONTINUABLE_EXCEPTION);
}

void OnAbortSignal(int) { CrashGuardEnd(kAbortStatus); }

void OnTerminate() { CrashGuardEnd(kAbortStatus); }

}  // namespace

void InstallCrashGuard(PFN_WITHDRAW_OVERCLOCK withdraw) {
    g_pfnWithdraw = withdraw;
    ::SetUnhandledExceptionFilter(&OnUnhandledException);
    std::signal(SIGABRT, &OnAbortSignal);
    std::set_terminate(&OnTerminate);
}

void CrashGuardEnd(UINT failureStatus) {
    // Whoever comes first withdraws; a fault inside the withdrawal, or a fault on another
    // thread meanwhile, must not start it again.
    ::InterlockedCompareExchange(&g_nFirstStatus, static_cast<LONG>(failureStatus), 0);
    if (::InterlockedCompareExchange(&g_nEntered, 1, 0) != 0) {
        ::TerminateProcess(::GetCurrentProcess(), static_cast<UINT>(g_nFirstStatus));
        ::ExitProcess(static_cast<UINT>(g_nFirstStatus));
    }
    if (g_pfnWithdraw != nullptr)
        g_pfnWithdraw();
    // No destructors, no atexit handlers: the process state is not to be trusted.
    ::TerminateProcess(::GetCurrentProcess(), failureStatus);
    ::ExitProcess(failureStatus);
}
