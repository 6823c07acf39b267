// The crash guard in a child process (GoogleTest death tests): every kind of crash
// withdraws the overclock exactly once and ends the process with the crash's status, also
// when the withdrawal itself crashes.
#include "CrashGuard.h"
#include <gtest/gtest.h>
#include <cstdio>
#include <cstdlib>
#include <exception>

namespace {

const int kAccessViolation = static_cast<int>(0xC0000005u);
const int kAbortStatus = 3;

void Withdraw(DWORD) {
    std::fputs("withdrawn\n", stderr);
    std::fflush(stderr);
}

volatile uintptr_t g_badAddress = 0x10;

void AccessViolation() { *reinterpret_cast<volatile int*>(g_badAddress) = 1; }

// A driver call that crashes while the guard withdraws.
void WithdrawAndCrash(DWORD faultingThread) {
    Withdraw(faultingThread);
    AccessViolation();
}

}  // namespace

class CrashGuardDeath : public ::testing::Test {
protected:
    void SetUp() override { ::testing::FLAGS_gtest_death_test_style = "threadsafe"; }
};

TEST_F(CrashGuardDeath, AccessViolationWithdrawsOnceAndKeepsItsCode) {
    EXPECT_EXIT({ InstallCrashGuard(&Withdraw); AccessViolation(); }, ::testing::ExitedWithCode(kAccessViolation),
                "^withdrawn\n$");
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
    EXPECT_EXIT({ InstallCrashGuard(&WithdrawAndCrash); AccessViolation(); },
                ::testing::ExitedWithCode(kAccessViolation), "^withdrawn\n$");
}

TEST_F(CrashGuardDeath, CrashOnAnotherThreadWithdrawsOnce) {
    EXPECT_EXIT({
        InstallCrashGuard(&Withdraw);
        HANDLE t = ::CreateThread(nullptr, 0, [](LPVOID) -> DWORD { AccessViolation(); return 0; }, nullptr, 0, nullptr);
        ::WaitForSingleObject(t, INFINITE);
    }, ::testing::ExitedWithCode(kAccessViolation), "^withdrawn\n$");
}
