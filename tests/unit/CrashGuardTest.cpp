// The crash guard in a child process (GoogleTest death tests): every kind of crash
// withdraws the overclock exactly once and ends the process with the crash's status, also
// when the withdrawal itself crashes.
#include "AccessViolationExit.h"
#include "AfxHandle.h"
#include "CrashGuard.h"
#include <gtest/gtest.h>
#include <cstdio>
#include <cstdlib>
#include <exception>

namespace {

const int kAbortStatus = 3;
const DWORD kChosenCode = 0xE0717A01u;  // an exception of no one else's

void Withdraw(DWORD) {
    std::fputs("withdrawn\n", stderr);
    std::fflush(stderr);
}

volatile uintptr_t g_badAddress = 0x10;

void AccessViolation() { *reinterpret_cast<volatile int*>(g_badAddress) = 1; }

DWORD WINAPI CrashingThread(LPVOID) {
    AccessViolation();
    return 0;
}

bool IsAccessViolationStatus(int status) { return IsAccessViolationExit(static_cast<DWORD>(status)); }

// A driver call that crashes while the guard withdraws.
void WithdrawAndCrash(DWORD faultingThread) {
    Withdraw(faultingThread);
    AccessViolation();
}

const DWORD kSecondCode = 0xE0717A02u;

DWORD WINAPI RaisingThread(LPVOID) {
    ::RaiseException(kSecondCode, EXCEPTION_NONCONTINUABLE, 0, nullptr);
    return 0;
}

// A driver call that starts a thread which faults at once, and returns a moment later.
void WithdrawWhileAnotherThreadFaults(DWORD faultingThread) {
    CUniqueHandle<HANDLE, &::CloseHandle> thread(::CreateThread(nullptr, 0, &RaisingThread, nullptr, 0, nullptr));
    ::WaitForSingleObject(thread.Get(), 300);  // it never ends: it waits in the guard
    Withdraw(faultingThread);
}

}  // namespace

class CrashGuardDeath : public ::testing::Test {
protected:
    void SetUp() override { ::testing::FLAGS_gtest_death_test_style = "threadsafe"; }
};

TEST_F(CrashGuardDeath, AccessViolationWithdrawsOnceAndKeepsItsCode) {
    EXPECT_EXIT({ InstallCrashGuard(&Withdraw); AccessViolation(); }, IsAccessViolationStatus, "^withdrawn\n$");
}

// The exact code of any exception is kept, in every flavour and under emulation too.
TEST_F(CrashGuardDeath, RaisedExceptionWithdrawsOnceAndKeepsItsCode) {
    EXPECT_EXIT({ InstallCrashGuard(&Withdraw); ::RaiseException(kChosenCode, EXCEPTION_NONCONTINUABLE, 0, nullptr); },
                ::testing::ExitedWithCode(static_cast<int>(kChosenCode)), "^withdrawn\n$");
}

TEST_F(CrashGuardDeath, AbortWithdrawsOnce) {
    EXPECT_EXIT({ InstallCrashGuard(&Withdraw); std::abort(); }, ::testing::ExitedWithCode(kAbortStatus), "^withdrawn\n$");
}

TEST_F(CrashGuardDeath, TerminateWithdrawsOnce) {
    EXPECT_EXIT({ InstallCrashGuard(&Withdraw); std::terminate(); }, ::testing::ExitedWithCode(kAbortStatus),
                "^withdrawn\n$");
}

TEST_F(CrashGuardDeath, CrashInsideTheWithdrawalDoesNotLoop) {
    EXPECT_EXIT({ InstallCrashGuard(&WithdrawAndCrash); std::abort(); }, ::testing::ExitedWithCode(kAbortStatus),
                "^withdrawn\n$");
    EXPECT_EXIT({ InstallCrashGuard(&WithdrawAndCrash); AccessViolation(); }, IsAccessViolationStatus,
                "^withdrawn\n$");
}

TEST_F(CrashGuardDeath, CrashOnAnotherThreadWithdrawsOnce) {
    EXPECT_EXIT({
        InstallCrashGuard(&Withdraw);
        HANDLE t = ::CreateThread(nullptr, 0, &CrashingThread, nullptr, 0, nullptr);
        ::WaitForSingleObject(t, INFINITE);
    }, IsAccessViolationStatus, "^withdrawn\n$");
}

// A fault on another thread while the withdrawal runs waits for it; the status stays the
// first fault's.
TEST_F(CrashGuardDeath, FaultOnAnotherThreadDuringTheWithdrawalWaitsForIt) {
    EXPECT_EXIT({
        InstallCrashGuard(&WithdrawWhileAnotherThreadFaults);
        ::RaiseException(kChosenCode, EXCEPTION_NONCONTINUABLE, 0, nullptr);
    }, ::testing::ExitedWithCode(static_cast<int>(kChosenCode)), "^withdrawn\n$");
}
