// The handle owner's rules: each handle is given back exactly once, by whoever holds it last.
#include "AfxHandle.h"
#include <gtest/gtest.h>
#include <utility>
#include <vector>

namespace {

std::vector<int> g_closed;

void CloseFake(int* handle) { g_closed.push_back(*handle); }

using FakeHandle = CUniqueHandle<int*, &CloseFake>;

class FrameworkHandle : public ::testing::Test {
protected:
    void SetUp() override { g_closed.clear(); }
    int one = 1, two = 2;
};

TEST_F(FrameworkHandle, GivenBackOnceWhenItsOwnerEnds) {
    {
        FakeHandle owner(&one);
        EXPECT_EQ(owner.Get(), &one);
        EXPECT_TRUE(owner);
    }
    { FakeHandle empty; EXPECT_FALSE(empty); }
    EXPECT_EQ(g_closed, std::vector<int>{1});
}

TEST_F(FrameworkHandle, ResetAndAssignmentGiveTheOldHandleBack) {
    FakeHandle owner(&one);
    owner.Reset(&two);
    EXPECT_EQ(g_closed, std::vector<int>{1});
    owner.Reset(&two);  // the same handle again: still held, not given back
    EXPECT_EQ(g_closed, std::vector<int>{1});
    owner = FakeHandle(&one);
    EXPECT_EQ(g_closed, (std::vector<int>{1, 2}));
    owner.Reset();
    owner.Reset();
    EXPECT_EQ(g_closed, (std::vector<int>{1, 2, 1}));
    EXPECT_FALSE(owner);
}

TEST_F(FrameworkHandle, AMovedFromOwnerGivesNothingBack) {
    {
        FakeHandle first(&one);
        FakeHandle second(std::move(first));
        EXPECT_EQ(first.Get(), nullptr);
        EXPECT_EQ(second.Get(), &one);
        FakeHandle third;
        third = std::move(second);
        EXPECT_EQ(second.Get(), nullptr);
        FakeHandle& same = third;
        third = std::move(same);  // onto itself: nothing changes hands
        EXPECT_EQ(third.Get(), &one);
        EXPECT_TRUE(g_closed.empty());
    }
    EXPECT_EQ(g_closed, std::vector<int>{1});
}

TEST_F(FrameworkHandle, ReleaseHandsTheHandleOverUnclosed) {
    int* handle = nullptr;
    {
        FakeHandle owner(&one);
        handle = owner.Release();
        EXPECT_FALSE(owner);
    }
    EXPECT_EQ(handle, &one);
    EXPECT_TRUE(g_closed.empty());
}

}  // namespace
