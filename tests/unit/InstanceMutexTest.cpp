// The single-instance mutex as two starts see it: of two starts at the same moment exactly
// one runs, and the name stays taken until the running one's process ends, not only until
// its way out releases the mutex.
#include "AfxHandle.h"
#include "InstanceMutex.h"
#include <gtest/gtest.h>
#include <string>

namespace {

using CHandle = CUniqueHandle<HANDLE, &::CloseHandle>;

// A name of the test's own, so that no Tarvel running beside it is disturbed.
std::wstring TestMutexName(int round) {
    return L"ORV Tarvel test " + std::to_wstring(::GetCurrentProcessId()) + L"." + std::to_wstring(round);
}

struct Start {
    const wchar_t* name;
    HANDLE go;  // every start waits for it, and all are let go together
    bool claimed;
    HANDLE hMutex;
};

DWORD WINAPI StartOnItsOwnThread(LPVOID param) {
    Start* start = static_cast<Start*>(param);
    ::WaitForSingleObject(start->go, INFINITE);
    start->claimed = ClaimInstanceMutex(start->name, &start->hMutex);
    return 0;
}

// The thread's exit code is the wait's result.
DWORD WINAPI TryToTake(LPVOID hMutex) { return ::WaitForSingleObject(static_cast<HANDLE>(hMutex), 0); }

}  // namespace

TEST(SingleInstance, OfTwoStartsAtTheSameMomentExactlyOneRuns) {
    for (int round = 0; round < 300; ++round) {
        const std::wstring name = TestMutexName(round);
        CHandle go(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
        Start starts[2] = {{name.c_str(), go.Get(), false, nullptr}, {name.c_str(), go.Get(), false, nullptr}};
        CHandle threads[2] = {CHandle(::CreateThread(nullptr, 0, &StartOnItsOwnThread, &starts[0], 0, nullptr)),
                              CHandle(::CreateThread(nullptr, 0, &StartOnItsOwnThread, &starts[1], 0, nullptr))};
        ASSERT_TRUE(threads[0] && threads[1]);
        ::SetEvent(go.Get());
        const HANDLE waitFor[2] = {threads[0].Get(), threads[1].Get()};
        ASSERT_EQ(::WaitForMultipleObjects(2, waitFor, TRUE, 10000), WAIT_OBJECT_0);
        // Both threads have ended: what they kept is closed here, as their process would.
        CHandle kept[2] = {CHandle(starts[0].hMutex), CHandle(starts[1].hMutex)};
        ASSERT_EQ(starts[0].claimed + starts[1].claimed, 1) << "round " << round;
    }
}

TEST(SingleInstance, AReleasedMutexKeepsItsNameUntilTheProcessEnds) {
    const std::wstring name = TestMutexName(-1);
    HANDLE hMutex = nullptr;
    ASSERT_TRUE(ClaimInstanceMutex(name.c_str(), &hMutex));
    ASSERT_NE(hMutex, nullptr);
    ReleaseInstanceMutex(hMutex);
    // The rest of the first instance's way out runs now: a start meanwhile ends silently.
    HANDLE hSecond = nullptr;
    EXPECT_FALSE(ClaimInstanceMutex(name.c_str(), &hSecond));
    EXPECT_EQ(hSecond, nullptr);
    // Released all the same: another thread gets it, and not as an abandoned one.
    CHandle waiter(::CreateThread(nullptr, 0, &TryToTake, hMutex, 0, nullptr));
    ASSERT_TRUE(waiter);
    ::WaitForSingleObject(waiter.Get(), INFINITE);
    DWORD waited = WAIT_FAILED;
    ::GetExitCodeThread(waiter.Get(), &waited);
    EXPECT_EQ(waited, WAIT_OBJECT_0);
    // The end of the process closes it.
    ::CloseHandle(hMutex);
}
