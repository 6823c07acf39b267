// The service's own lock and thread: exclusion under contention, and a thread whose
// lifetime never escapes its owner.
#include "common/SimSync.h"
#include <gtest/gtest.h>
#include <atomic>

namespace {

TEST(SimSync, LockGuardExcludesOtherThreads) {
    simnb::Lock lock;
    long counter = 0;  // deliberately not atomic: only the lock protects it
    constexpr int kThreads = 4;
    constexpr int kIncrements = 20000;
    {
        simnb::Thread threads[kThreads];
        for (auto& t : threads) {
            ASSERT_TRUE(t.Start([&] {
                for (int i = 0; i < kIncrements; ++i) {
                    simnb::LockGuard guard(lock);
                    long seen = counter;
                    if (i % 1000 == 0) ::SwitchToThread();  // invite a race if there were one
                    counter = seen + 1;
                }
            }));
        }
    }  // the threads' destructors join them
    EXPECT_EQ(counter, static_cast<long>(kThreads) * kIncrements);
}

TEST(SimSync, ThreadRunsOnceJoinsAndCanBeStartedAgain) {
    simnb::Thread thread;
    EXPECT_FALSE(thread.Joinable());
    EXPECT_FALSE(thread.Start(nullptr));

    HANDLE release = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(release, nullptr);
    std::atomic<int> runs{0};
    std::atomic<DWORD> bodyThread{0};
    ASSERT_TRUE(thread.Start([&] {
        bodyThread = ::GetCurrentThreadId();
        ::WaitForSingleObject(release, INFINITE);
        ++runs;
    }));
    EXPECT_TRUE(thread.Joinable());
    EXPECT_FALSE(thread.Start([&] { runs += 100; }));  // one thread per object at a time
    ::SetEvent(release);
    thread.Join();
    EXPECT_FALSE(thread.Joinable());
    EXPECT_EQ(runs.load(), 1);
    EXPECT_NE(bodyThread.load(), ::GetCurrentThreadId());
    thread.Join();  // joining again is harmless

    ASSERT_TRUE(thread.Start([&] { ++runs; }));
    thread.Join();
    EXPECT_EQ(runs.load(), 2);
    ::CloseHandle(release);
}

TEST(SimSync, DestructorWaitsForTheBody) {
    std::atomic<bool> finished{false};
    {
        simnb::Thread thread;
        ASSERT_TRUE(thread.Start([&] {
            ::Sleep(200);
            finished = true;
        }));
    }
    EXPECT_TRUE(finished.load());
}

}  // namespace
