#include <gtest/gtest.h>

#include <thread>

#include "units/LockedFlags.h"

namespace {

TEST(LockedFlags, StepsStopAtTheLimitsAndMarkOnlyChanges)
{
    CLockedFlags flags;
    int32_t v = 10;
    EXPECT_FALSE(flags.StepUpInt(v, 1, 10, 0x1)) << "already at the top";
    EXPECT_EQ(flags.TakeChanged(), 0u);
    v = 9;
    EXPECT_TRUE(flags.StepUpInt(v, 2, 10, 0x2));
    EXPECT_EQ(v, 10);
    v = 1;
    EXPECT_TRUE(flags.StepDownInt(v, 2, 0, 0x4));
    EXPECT_EQ(v, 0);
    v = 5;
    EXPECT_TRUE(flags.StepDownInt(v, 2, 0, 0x8));
    EXPECT_EQ(v, 3);
    EXPECT_EQ(flags.TakeChanged(), 0xEu);
    EXPECT_EQ(flags.TakeChanged(), 0u) << "taking clears";

    int32_t extreme = INT32_MIN + 1;
    EXPECT_TRUE(flags.StepDownInt(extreme, 5, INT32_MIN, 1));
    EXPECT_EQ(extreme, INT32_MIN) << "no overflow near the limits";

    double d = 0.95;
    EXPECT_TRUE(flags.StepUpReal(d, 0.1, 1.0, 0x10));
    EXPECT_EQ(d, 1.0);
    EXPECT_FALSE(flags.StepUpReal(d, 0.1, 1.0, 0x10));
    EXPECT_TRUE(flags.StepDownReal(d, 0.25, 0.0, 0x20));
    EXPECT_DOUBLE_EQ(d, 0.75);
}

TEST(LockedFlags, BitsMarkedWhileAnotherThreadTakesAreNeverLost)
{
    CLockedFlags flags;
    constexpr int kMarks = 2000;  // each a thread hand-off; Wine on a loaded machine makes those slow
    std::atomic<bool> done{false};
    uint64_t taken = 0;
    std::thread taker([&] {
        while (!done)
            taken += __builtin_popcount(flags.TakeChanged());
        taken += __builtin_popcount(flags.TakeChanged());
    });
    uint64_t marked = 0;
    for (int i = 0; i < kMarks; ++i) {
        // Each round marks one bit and waits until it was taken, so every mark counts once.
        flags.Lock();
        flags.Unlock(1u << (i % 32));
        ++marked;
        while (flags.Pending() != 0)
            std::this_thread::yield();
    }
    done = true;
    taker.join();
    EXPECT_EQ(taken, marked);
}

} // namespace
