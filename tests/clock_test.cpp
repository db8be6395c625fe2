// Clocks driven at exact times: elapsedMs, and demoTime's per-call truncation under a divisor.
#include <gtest/gtest.h>

#include "core/clock.h"
#include "core/crt_rand.h"

namespace {

void startDrivenClock() {
    driveClock(1000);   // one tick per millisecond
    setDrivenCounter(0);
    resetClocks();
}

TEST(Clock, ElapsedAndDemoTimeAgreeAtDivisorOne) {
    startDrivenClock();
    setDrivenCounter(1234);
    EXPECT_EQ(elapsedMs(), 1234);
    EXPECT_EQ(demoTime(), 1234);
}

TEST(Clock, ElapsedTruncatesTowardZero) {
    driveClock(3000);   // 3 ticks per ms
    setDrivenCounter(0);
    resetClocks();
    setDrivenCounter(5);   // 1.666 ms
    EXPECT_EQ(elapsedMs(), 1);
}

TEST(Clock, DivisorTwoDropsFractionsOnEveryCall) {
    startDrivenClock();
    timeDivisor = 2.0;
    setDrivenCounter(17);
    EXPECT_EQ(demoTime(), 8);   // 8.5 truncated
    setDrivenCounter(34);
    EXPECT_EQ(demoTime(), 16);  // not 17: each call's half millisecond is lost
}

TEST(CrtRand, MatchesTheClassicRuntimeSequence) {
    // First values of the classic C runtime generator for seed 1 and seed 1001.
    crtSrand(1);
    EXPECT_EQ(crtRand(), 41);
    EXPECT_EQ(crtRand(), 18467);
    EXPECT_EQ(crtRand(), 6334);
    crtSrand(1001);
    const int first = crtRand();
    crtSrand(1001);
    EXPECT_EQ(crtRand(), first);
    for (int i = 0; i < 1000; i++) {
        const int v = crtRand();
        ASSERT_GE(v, 0);
        ASSERT_LE(v, CRT_RAND_MAX);
    }
}

}  // namespace
