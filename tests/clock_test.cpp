// Clocks driven at exact times: elapsedMs, and demoTime's per-call truncation under a divisor.
#include <gtest/gtest.h>

#include <limits.h>

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

TEST(Clock, MomentsMapToTheNearestFrame) {
    EXPECT_EQ(0, frameForMoment(0, 30));
    EXPECT_EQ(3, frameForMoment(100, 30));      // 0.1 s x 30 must not become 2.999
    EXPECT_EQ(30, frameForMoment(1000, 30));
    EXPECT_EQ(1, frameForMoment(9, 60));        // 9 ms is nearer 16.67 than 0
    EXPECT_EQ(0, frameForMoment(8, 60));
    EXPECT_EQ(1, frameForMoment(10, 50));       // half a frame rounds up
    EXPECT_EQ(43200, frameForMoment(12 * 60 * 1000, 60));
}

TEST(Clock, RangesTakeTheFramesWhoseClockReadsWithinThem) {
    EXPECT_EQ(22, firstFrameFrom(356, 60));   // frame 21 reads 350 ms, frame 22 366
    EXPECT_EQ(21, lastFrameTo(365, 60));
    EXPECT_EQ(366, frameStartMs(22, 60));
    EXPECT_EQ(0, firstFrameFrom(0, 60));
    for (int64_t ms = 0; ms < 3000; ms++) {
        const int64_t first = firstFrameFrom(ms, 144);
        ASSERT_GE(frameStartMs(first, 144), ms);
        ASSERT_LT(frameStartMs(first - 1, 144), ms) << ms;
    }
}

// A mode's clock onto frames: whole frames since the anchor, a moment before it counting back.
TEST(Clock, AModesClockNamesTheFrameItHasReached) {
    const FrameClock clock = {60, 100, 5000.0};
    EXPECT_EQ(100, frameClockFrame(clock, 5000.0));
    EXPECT_EQ(100, frameClockFrame(clock, 5016.6));
    EXPECT_EQ(101, frameClockFrame(clock, 5016.7));
    EXPECT_EQ(99, frameClockFrame(clock, 4999.9));
    EXPECT_EQ(100 + 60LL * 3600 * 24 * 30, frameClockFrame(clock, 5000.0 + 1000.0 * 3600 * 24 * 30));
}

// A show left running: a month of real time, and a nanosecond counter 200 days after boot.
TEST(Clock, LongRunsNeitherOverflowNorWrap) {
    driveClock(1000);
    setDrivenCounter(0);
    resetClocks();
    setDrivenCounter(24LL * 24 * 3600 * 1000);   // 24 days: still exact
    EXPECT_EQ(24 * 24 * 3600 * 1000, elapsedMs());
    setDrivenCounter(30LL * 24 * 3600 * 1000);   // past 2^31 ms: held at the largest
    EXPECT_EQ(INT_MAX, elapsedMs());
    const int64_t nsPerSecond = 1000000000;
    const int64_t days200 = 200LL * 24 * 3600 * nsPerSecond + 123456789;
    EXPECT_EQ(200LL * 24 * 3600 * 1000 + 123, counterToMs(days200, nsPerSecond));
    EXPECT_EQ(INT64_MAX - 7, counterToMs(INT64_MAX - 7, 1000));
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
