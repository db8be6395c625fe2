// The frame driver on the shipped show's logic: a clock that refreshes faster than the show's frames,
// at irregular times or after an hour away lands on the state a straight run has at that frame; the
// loop's turns are all the first one again, at any uptime, and leave nothing behind them.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <limits.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <vector>

#include "core/clock.h"
#include "platform/gl.h"
#include "platform/platform.h"
#include "shell/dispatcher.h"
#include "shell/frame_driver.h"
#include "shell/show.h"
#include "shell/sync_track.h"
#include "tests/state_copy.h"
#include "tests/test_support.h"

namespace {

constexpr int FPS = 60;

// Bytes of this process's resident memory and the files it holds open.
long residentBytes() {
    char text[256] = {};
    if (readWholeFile("/proc/self/statm", text, sizeof text) <= 0) return -1;
    long pages = 0, resident = 0;
    if (sscanf(text, "%ld %ld", &pages, &resident) != 2) return -1;
    return resident * sysconf(_SC_PAGESIZE);
}

int openFiles() {
    int count = 0;
    for (int fd = 0; fd < 4096; fd++)
        if (fcntl(fd, F_GETFD) != -1) count++;
    return count;
}

// Textures, framebuffers, renderbuffers and buffers among the first names a GL hands out.
int glObjectCount() {
    int count = 0;
    for (GLuint name = 1; name < 4096; name++)
        count += glIsTexture(name) + glIsFramebuffer(name) + glIsRenderbuffer(name) + glIsBuffer(name);
    return count;
}

class FrameDriver : public ::testing::Test {
protected:
    void SetUp() override {
        if (!openTestGlContext()) GTEST_SKIP() << "no display";
    }
    // The shipped show (content and score), or a score of the test's own, on the fixed-step clock.
    void start(const char *syncCsv = nullptr) {
        enterScratchDirWithShowData();
        if (syncCsv) writeDataText("sync1.csv", syncCsv);
        else ASSERT_EQ(0, symlink(LIGHTRIG_DATA_DIR "/sync1.csv", "data/sync1.csv"));
        platformSetMusicEnabled(false);
        startCaptureClock(FPS);
        ASSERT_TRUE(startShow());
        startFrameDriver(false);
    }
    // The state blocks at each of the frames asked for, stepped one after the other from frame 0.
    // Every run here starts over as a seek does (loading leaves the outputs of its draws in the
    // shadow state, which the next draw computes anew).
    static std::map<int64_t, StateCopy> straightRun(const std::vector<int64_t> &frames) {
        std::map<int64_t, StateCopy> states;
        EXPECT_NE(FRAME_ENDED, stepShowTo(0, ARRIVE_REPLAY));
        for (int64_t k = 0; k <= frames.back(); k++) {
            if (k > 0) {
                EXPECT_EQ(FRAME_STEPPED, stepShowTo(k, ARRIVE_EXACT));
            }
            for (int64_t f : frames)
                if (f == k) states[k] = copyOfState();
        }
        return states;
    }
};

// A page refreshing at 60 to 240 Hz, or at uneven times, on a machine that draws faster than that:
// every refresh asks for the frame its clock has reached, and most bring none. The show's state at
// each frame is the straight run's, byte for byte (a second step of the same frame would advance the
// title's fade-in and every counter of the parts).
TEST_F(FrameDriver, EveryRefreshRateGivesTheStraightRunsState) {
    start();
    const std::vector<int64_t> frames = {1, 2, 3, 30, 59, 61, 119, 180, 240, 299};
    const std::map<int64_t, StateCopy> straight = straightRun(frames);
    const double rates[] = {60.0, 90.0, 120.0, 144.0, 240.0, 0.0};   // 0: uneven refreshes
    for (double hz : rates) {
        ASSERT_NE(FRAME_ENDED, stepShowTo(0, ARRIVE_REPLAY));   // the show's start again
        const FrameClock clock = {FPS, 0, 1000.0};
        uint32_t seed = 12345;
        int refreshes = 0, stepped = 0;
        for (double now = 1000.0; steppedRunFrame() < frames.back(); refreshes++) {
            const FrameStep step = stepShowTo(frameClockFrame(clock, now), ARRIVE_PLAYING);
            ASSERT_NE(FRAME_ENDED, step);
            if (step != FRAME_UNCHANGED) stepped++;
            const auto kept = straight.find(steppedRunFrame());
            if (step != FRAME_UNCHANGED && kept != straight.end()) {
                EXPECT_TRUE(kept->second == copyOfState())
                    << hz << " Hz, frame " << kept->first << ": " << differingBlocks(kept->second, copyOfState());
            }
            if (hz > 0.0) {
                now += 1000.0 / hz;
            } else {
                // 0.1 to 40 ms apart: several refreshes in a frame, or frames missed.
                seed = seed * 1664525u + 1013904223u;
                now += 0.1 + (seed >> 8) % 400 / 10.0;
            }
        }
        if (hz > FPS) {
            EXPECT_GT(refreshes, stepped) << hz << " Hz brings refreshes without a new frame";
        }
    }
}

// A tab hidden for an hour: its clock jumps, the driver seeks rather than stepping every frame
// missed, and the frame the clock names is the straight run's. Without the loop the show has ended.
TEST_F(FrameDriver, AClockAnHourAheadLandsThroughTheSeek) {
    start();
    const int64_t turn = turnFrameCount(FPS);
    ASSERT_GT(turn, 0);
    const int64_t hour = 3600LL * FPS + 100;
    const int64_t landing = hour % turn;
    // The state a seek to that frame of the first turn gives (a seek draws its warm-up frames, whose
    // draws leave their outputs in the shadow state).
    ASSERT_EQ(FRAME_JUMPED, stepShowTo(landing, ARRIVE_PLAYING));
    const StateCopy sought = copyOfState();

    ASSERT_NE(FRAME_ENDED, stepShowTo(0, ARRIVE_REPLAY));
    startFrameDriver(true);
    ASSERT_EQ(FRAME_STEPPED, stepShowTo(1, ARRIVE_PLAYING));
    const int64_t startMs = platformCounter() * 1000 / platformFrequency();
    EXPECT_EQ(FRAME_JUMPED, stepShowTo(hour, ARRIVE_PLAYING));
    const int64_t workMs = platformCounter() * 1000 / platformFrequency() - startMs;
    printf("an hour ahead, looping: turn frame %lld reached in %lld ms\n", (long long)landing, (long long)workMs);
    EXPECT_EQ(hour, steppedRunFrame());
    EXPECT_EQ(landing, steppedTurnFrame());
    EXPECT_TRUE(sought == copyOfState()) << differingBlocks(sought, copyOfState());
    EXPECT_EQ(FRAME_STEPPED, stepShowTo(hour + 1, ARRIVE_PLAYING)) << "and plays on from there";

    startFrameDriver(false);
    ASSERT_NE(FRAME_ENDED, stepShowTo(0, ARRIVE_EXACT));
    EXPECT_EQ(FRAME_ENDED, stepShowTo(hour, ARRIVE_PLAYING));
    EXPECT_TRUE(quitRequested) << "past its end the show has ended";
}

// Turn after turn of the shipped show: the same state at the same frame of every turn, the turn's
// length as the table predicts it, the clock counted from the turn's start.
TEST_F(FrameDriver, EveryTurnOfTheLoopIsTheFirstAgain) {
    start();
    const int64_t turn = turnFrameCount(FPS);
    ASSERT_GT(turn, 0);
    // Without the loop, the turn's length is where the table ends the show.
    ASSERT_EQ(FRAME_JUMPED, stepShowTo(turn - 1, ARRIVE_PLAYING));
    EXPECT_FALSE(quitRequested);
    ASSERT_EQ(FRAME_STEPPED, stepShowTo(turn, ARRIVE_PLAYING));
    EXPECT_TRUE(quitRequested) << "frame " << turn << " is the quitting frame";
    EXPECT_EQ(FRAME_ENDED, stepShowTo(turn + 1, ARRIVE_PLAYING));
    startFrameDriver(true);
    const int64_t probes[] = {0, 1, 600, turn / 2, turn - 1};
    std::map<int64_t, StateCopy> first;
    for (int64_t k = 0; k < 3 * turn + 2; k++) {
        ASSERT_NE(FRAME_ENDED, stepShowTo(k, ARRIVE_PLAYING)) << "run frame " << k;
        ASSERT_EQ(k / turn, loopTurnsBegun()) << "the table's end came at run frame " << k;
        ASSERT_EQ(k % turn, steppedTurnFrame());
        EXPECT_EQ(frameStartMs(k % turn, FPS), elapsedMs()) << "the clock reads the turn's time";
        for (int64_t p : probes) {
            if (k % turn != p) continue;
            if (k < turn) first[p] = copyOfState();
            else EXPECT_TRUE(first[p] == copyOfState()) << "turn " << k / turn + 1 << ", frame " << p << ": "
                                                        << differingBlocks(first[p], copyOfState());
        }
    }
}

// A day and a month of looping reached through the driver's run frames: the frame lands in its turn
// and the frames after it step on with the clock rising as in the first turn.
TEST_F(FrameDriver, ADayAndAMonthOfLoopingStepAsTheFirstHour) {
    start();
    startFrameDriver(true);
    const int64_t turn = turnFrameCount(FPS);
    const int64_t offsets[] = {24LL * 3600 * FPS, 30LL * 24 * 3600 * FPS};
    for (int64_t run : offsets) {
        const int64_t inTurn = run % turn;
        // The first turn's frames there, reached by the same seek.
        std::vector<StateCopy> first;
        ASSERT_NE(FRAME_ENDED, stepShowTo(0, ARRIVE_REPLAY));
        for (int i = 0; i < 5; i++) {
            ASSERT_NE(FRAME_ENDED, stepShowTo(inTurn + i, ARRIVE_PLAYING));
            first.push_back(copyOfState());
        }
        int previousMs = -1;
        for (int i = 0; i < 5; i++) {
            ASSERT_NE(FRAME_ENDED, stepShowTo(run + i, ARRIVE_PLAYING));
            ASSERT_EQ(inTurn + i, steppedTurnFrame());
            EXPECT_GT(elapsedMs(), previousMs);
            previousMs = elapsedMs();
            EXPECT_TRUE(first[i] == copyOfState()) << run << " + " << i << ": " << differingBlocks(first[i], copyOfState());
        }
    }
}

// Many turns leave no memory, no open file and no GL object behind (the turns of a short score,
// each beginning with the environment cube put back as loading left it).
TEST_F(FrameDriver, TurnsLeaveNothingBehind) {
    start("divisor,jump,a,va,aa,b,vb\n"
          "0,0,0,0,0,0,0\n"
          "0,0,0,0,0,0,0\n"
          "0,0,0,0,0,255,0\n");
    startFrameDriver(true);
    const int64_t turn = turnFrameCount(FPS);
    ASSERT_GT(turn, 0);
    int64_t k = 0;
    auto playTurns = [&](int turns, bool draw) {
        for (int t = 0; t < turns; t++)
            for (int64_t f = 0; f < turn; f++, k++) {
                const FrameStep step = draw && f == 0 ? showFrame(k, ARRIVE_PLAYING) : stepShowTo(k, ARRIVE_PLAYING);
                ASSERT_NE(FRAME_ENDED, step);
            }
    };
    playTurns(5, true);   // the first frame of a turn drawn: every GL object the turns use exists
    const long memory = residentBytes();
    const int files = openFiles();
    const int objects = glObjectCount();
    const int64_t turnsBefore = loopTurnsBegun();
    playTurns(400, false);
    EXPECT_EQ(turnsBefore + 400, loopTurnsBegun());
    EXPECT_EQ(files, openFiles());
    EXPECT_EQ(objects, glObjectCount()) << "GL objects made at the turns";
    EXPECT_LT(residentBytes() - memory, 1L << 20) << "resident memory after 400 turns";
}

// In real time the turn starts the clock again: a show left on for 30 days plays its turns exactly
// as one started a minute ago, every turn after the first alike, and its clock stays small.
TEST_F(FrameDriver, RealTimeTurnsAreTheSameAtAnyUptime) {
    const char *score = "divisor,jump,a,va,aa,b,vb\n"
                        "0,0,1,0,0,0,0\n"
                        "0,0,0,0,0,5,0\n"
                        "0,0,0,0,0,0,0\n"
                        "0,0,0,0,0,255,0\n";
    const int64_t uptimes[] = {60LL * 1000, 30LL * 24 * 3600 * 1000};
    constexpr int FRAMES = 400;   // 6.4 s at 16 ms a frame: four turns and more
    std::vector<StateCopy> runs[2];
    std::vector<int64_t> turnOf[2];
    enterScratchDirWithShowData();
    writeDataText("sync1.csv", score);
    platformSetMusicEnabled(false);
    startAtTimeZero();
    ASSERT_TRUE(startShow());
    startFrameDriver(true);
    for (int u = 0; u < 2; u++) {
        // The show started at this uptime, as the driver starts a turn.
        setDrivenCounter(uptimes[u]);
        restartShow();
        const int64_t turnsBefore = loopTurnsBegun();
        int64_t now = uptimes[u];
        int previousTime = INT_MIN;
        for (int frame = 0; frame < FRAMES; frame++) {
            now += 16;
            setDrivenCounter(now);
            ASSERT_TRUE(stepRealTimeFrame()) << "frame " << frame;
            if (turnOf[u].empty() || turnOf[u].back() == loopTurnsBegun() - turnsBefore) {
                EXPECT_GT(frameTime, previousTime);
            }
            previousTime = frameTime;
            EXPECT_LT(elapsedMs(), 10000) << "the clock counts from the turn's start";
            runs[u].push_back(copyOfState());
            turnOf[u].push_back(loopTurnsBegun() - turnsBefore);
        }
        ASSERT_GE(turnOf[u].back(), 3);
    }
    for (int frame = 0; frame < FRAMES; frame++)
        ASSERT_TRUE(runs[0][frame] == runs[1][frame])
            << "frame " << frame << " after 30 days: " << differingBlocks(runs[0][frame], runs[1][frame]);
    // The second and third turns frame by frame (the first began at the run's first frame).
    const auto second = std::find(turnOf[0].begin(), turnOf[0].end(), 1) - turnOf[0].begin();
    const auto third = std::find(turnOf[0].begin(), turnOf[0].end(), 2) - turnOf[0].begin();
    for (int64_t i = 0; i < third - second; i++)
        EXPECT_TRUE(runs[0][second + i] == runs[0][third + i])
            << "frame " << i << " of the turn: " << differingBlocks(runs[0][second + i], runs[0][third + i]);
}

}  // namespace
