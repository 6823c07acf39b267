#include "CrashGuard.h"
#include "AfxHandle.h"
#include <csignal>
#include <exception>

namespace {

// abort() ends a process with 3; the guard keeps that status.
const UINT kAbortStatus = 3;
// How long the guard gives the withdrawal, a switch still under way on another thread
// included, before it ends the process without it. The firmware's and the driver's calls
// take milliseconds; a driver that hangs, or a lock the crashed thread held, must not keep
// a crashed program alive with a dead icon and the single-instance mutex held.
const DWORD kWithdrawalDeadlineMs = 5000;

PFN_WITHDRAW_OVERCLOCK g_pfnWithdraw = nullptr;
volatile LONG g_nEntered = 0;
volatile LONG g_nFirstStatus = 0;
// The withdrawal's thread, written by that thread before it does anything else.
volatile DWORD g_dwWithdrawalThread = 0;
// Set once the withdrawal has returned. Made when the guard is installed, so that no fault
// has to make it, and kept to the end of the process.
HANDLE g_hWithdrawn = nullptr;

LONG WINAPI OnUnhandledException(EXCEPTION_POINTERS* pInfo) {
    CrashGuardEnd(pInfo != nullptr && pInfo->ExceptionRecord != nullptr ? pInfo->ExceptionRecord->ExceptionCode
                                                                           : EXCEPTION_NONCONTINUABLE_EXCEPTION);
}

void OnAbortSignal(int) { CrashGuardEnd(kAbortStatus); }

void OnTerminate() { CrashGuardEnd(kAbortStatus); }

// Every exception that reaches the filter ends the process, so the guard hands none on to
// a filter it replaced: one that ended the process itself would end it before the
// withdrawal, and one that handed the exception back to the guard would loop.
void InstallHandlers() {
    ::SetUnhandledExceptionFilter(&OnUnhandledException);
    std::signal(SIGABRT, &OnAbortSignal);
    std::set_terminate(&OnTerminate);
}

// No destructors, no atexit handlers: the process state is not to be trusted.
[[noreturn]] void EndProcess() {
    const UINT status = static_cast<UINT>(g_nFirstStatus);
    ::TerminateProcess(::GetCurrentProcess(), status);
    ::ExitProcess(status);
}

DWORD WINAPI WithdrawalThread(LPVOID faultingThread) {
    g_dwWithdrawalThread = ::GetCurrentThreadId();
    g_pfnWithdraw(static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(faultingThread)));
    ::SetEvent(g_hWithdrawn);
    return 0;
}

// On a fresh thread, so that a withdrawal that never returns can be given up. Without a
// thread there is no safe way to try: the process ends without it.
void WithdrawWithinDeadline() {
    void* faultingThread = reinterpret_cast<void*>(static_cast<ULONG_PTR>(::GetCurrentThreadId()));
    CUniqueHandle<HANDLE, &::CloseHandle> thread(
        ::CreateThread(nullptr, 0, &WithdrawalThread, faultingThread, 0, nullptr));
    if (thread)
        ::WaitForSingleObject(thread.Get(), kWithdrawalDeadlineMs);
}

// A later fault on another thread (a driver's worker, a COM thread) must not end the
// process with the clocks half reverted and AP:6 still saying "overclocked". The first
// fault's thread ends the process at the deadline in any case; this wait's own bound only
// keeps a thread from waiting for good should that one be gone.
void AwaitWithdrawal() {
    if (g_hWithdrawn != nullptr)
        ::WaitForSingleObject(g_hWithdrawn, kWithdrawalDeadlineMs);
}

}  // namespace

void InstallCrashGuard(PFN_WITHDRAW_OVERCLOCK withdraw) {
    g_pfnWithdraw = withdraw;
    if (g_hWithdrawn == nullptr)
        g_hWithdrawn = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    InstallHandlers();
}

void KeepCrashGuardInForce() {
    if (g_pfnWithdraw != nullptr)
        InstallHandlers();
}

void CrashGuardEnd(UINT failureStatus) {
    // Whoever comes first withdraws; a fault inside the withdrawal, or a fault on another
    // thread meanwhile, must not start it again. A fault inside the withdrawal ends the
    // process at once (the withdrawal will not go on); one elsewhere waits for it.
    ::InterlockedCompareExchange(&g_nFirstStatus, static_cast<LONG>(failureStatus), 0);
    if (::InterlockedCompareExchange(&g_nEntered, 1, 0) == 0) {
        if (g_pfnWithdraw != nullptr)
            WithdrawWithinDeadline();
    } else if (::GetCurrentThreadId() != g_dwWithdrawalThread) {
        AwaitWithdrawal();
    }
    EndProcess();
}
