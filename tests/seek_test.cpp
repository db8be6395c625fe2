// Seeks in the fixed-step run against a run drawn frame by frame from the start, on the shipped
// show: moments in each part and at its events, a range started by a seek, two frame rates.
#include <gtest/gtest.h>

#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <string.h>

#include <string>
#include <vector>

#include "core/clock.h"
#include "core/state_blocks.h"
#include "modes/capture.h"
#include "platform/platform.h"
#include "shell/dispatcher.h"
#include "shell/frame_driver.h"
#include "shell/present.h"
#include "shell/seek.h"
#include "shell/show.h"
#include "shell/snapshots.h"
#include "tests/state_copy.h"
#include "tests/test_support.h"

namespace {

constexpr size_t PICTURE_BYTES = (size_t)SCREEN_WIDTH * SCREEN_HEIGHT * 3;
constexpr int ROW_MS = 355;   // one row of the score is 355.33 ms: row r happens at r x ROW_MS + r / 3

using Picture = std::vector<unsigned char>;

int differingPixels(const Picture &a, const Picture &b) {
    int count = 0;
    for (size_t p = 0; p < PICTURE_BYTES; p += 3)
        if (a[p] != b[p] || a[p + 1] != b[p + 1] || a[p + 2] != b[p + 2]) count++;
    return count;
}

class Seek : public ::testing::Test {
protected:
    void SetUp() override {
        if (!openTestGlContext()) GTEST_SKIP() << "no display";
    }
    // The shipped show (content and score) in a scratch directory, on the fixed-step clock.
    void start(int fps) {
        enterScratchDirWithShowData();
        ASSERT_EQ(0, symlink(LIGHTRIG_DATA_DIR "/sync1.csv", "data/sync1.csv"));
        platformSetMusicEnabled(false);
        startCaptureClock(fps);
        ASSERT_TRUE(startShow());
        ASSERT_EQ(0, steppedFrameCount());
    }
    // Steps and draws the next frame, as the offline runs do, and returns its picture.
    static Picture drawNext() {
        stepShowTo(steppedFrameCount(), ARRIVE_EXACT);
        drawShowFrame();
        Picture picture(PICTURE_BYTES);
        readShowPicture(picture.data());
        presentShowFrame();
        return picture;
    }
    // The full run up to and including frame last; keeps the pictures of the frames asked for.
    static std::vector<Picture> fullRun(const std::vector<int64_t> &frames, int64_t last) {
        std::vector<Picture> kept(frames.size());
        while (steppedFrameCount() <= last && !quitRequested) {
            const int64_t frame = steppedFrameCount();
            Picture picture = drawNext();
            for (size_t i = 0; i < frames.size(); i++)
                if (frames[i] == frame) kept[i] = picture;
        }
        return kept;
    }
    // Seeks to each frame in turn (the first lies behind the full run's end: the show starts over)
    // and compares its picture with the full run's.
    static void expectSeeksLandOnTheFullRun(const std::vector<int64_t> &frames, const std::vector<Picture> &full,
                                            int fps) {
        for (size_t i = 0; i < frames.size(); i++) {
            seekToFrame(frames[i]);
            ASSERT_EQ(frames[i], steppedFrameCount());
            const Picture picture = drawNext();
            ASSERT_EQ(PICTURE_BYTES, full[i].size()) << "frame " << frames[i] << " not reached by the full run";
            EXPECT_EQ(0, differingPixels(full[i], picture))
                << "pixels differ after a seek to frame " << frames[i] << " at " << fps << " fps";
        }
    }
};

int64_t frameAtMs(int ms, int fps) {
    return frameForMoment(ms, fps);
}

int64_t frameAfterRow(int row, int msAfter, int fps) {
    return frameAtMs(row * ROW_MS + row / 3 + msAfter, fps);
}

// One frame a second over the whole show (178 frames): every part, the part changes with their
// light cross-fades, the centre-piece vanishing and appearing, a push, a shake, the grade, the outro
// and the end of the fade.
TEST_F(Seek, LandsOnTheFullRunsPictureThroughoutTheShowAtOneFps) {
    const int fps = 1;
    start(fps);
    const std::vector<int64_t> frames = {
        7,                                 // part A, early: the twist has not started
        frameAfterRow(157, 500, fps),      // the centre-piece vanishing (row 157)
        frameAfterRow(160, 1000, fps),     // the push of row 160
        frameAfterRow(224, -300, fps),     // the last frame of part A
        frameAfterRow(224, 300, fps),      // part C's first frame: the part change
        frameAfterRow(224, 1300, fps),     // part C in the light cross-fade
        frameAfterRow(288, 1200, fps),     // the shake of row 288
        frameAfterRow(352, 700, fps),      // part B at its start, cross-fading
        frameAfterRow(384, 600, fps),      // the grade change of row 384
        frameAfterRow(413, 700, fps),      // part B's gem vanishing and moved by the key
        frameAfterRow(448, 800, fps),      // the push of row 448
        frameAfterRow(464, 600, fps),      // the credits
        frameAfterRow(496, 700, fps),      // the fade to black at its end
    };
    const std::vector<Picture> full = fullRun(frames, frames.back());
    ASSERT_FALSE(quitRequested);
    expectSeeksLandOnTheFullRun(frames, full, fps);
}

// Sixty frames a second over the show's first 62 frames: seeks that land inside the
// warm-up (the show starts over with the environment cube loading left), the noise ramping in
// after one second, and a range started by a seek against the same frames of the full run.
TEST_F(Seek, LandsOnTheFullRunsPictureAndRangesMatchAtSixtyFps) {
    const int fps = 60;
    start(fps);
    const std::vector<int64_t> frames = {2, 30, 40, 41, 42, 43, 44, 45, 61};
    const std::vector<Picture> full = fullRun(frames, frames.back());
    expectSeeksLandOnTheFullRun({2, 30}, {full[0], full[1]}, fps);
    // A range from 40 to 45: one seek, then frame after frame.
    seekToFrame(40);
    for (size_t i = 2; i <= 7; i++) {
        ASSERT_EQ(frames[i], steppedFrameCount());
        EXPECT_EQ(0, differingPixels(full[i], drawNext())) << "range frame " << frames[i];
    }
    expectSeeksLandOnTheFullRun({61}, {full[8]}, fps);
    // Backwards once more, from the end of the stretch to its start.
    expectSeeksLandOnTheFullRun({2}, {full[0]}, fps);
}

// Sixty frames a second where a frame a second steps over what happens: the centre-piece coming
// back after the vanish key of row 349 (its shrink and return take 2.1 s) and the final fade of row
// 496 (half a second). Each stretch is drawn frame by frame from a seek just before it; seeks from
// the show's start, stepping every frame before without drawing, land on the same pictures.
TEST_F(Seek, LandsInsideTheCentrePiecesReturnAndTheFinalFadeAtSixtyFps) {
    const int fps = 60;
    start(fps);
    struct Stretch {
        int row, fromMs;
        std::vector<int64_t> frames;
    };
    const Stretch stretches[] = {
        {349, 1200, {frameAfterRow(349, 1400, fps), frameAfterRow(349, 1800, fps)}},   // growing back
        {496, -100, {frameAfterRow(496, 150, fps), frameAfterRow(496, 350, fps)}},      // fading
    };
    for (const Stretch &stretch : stretches) {
        seekToFrame(frameAfterRow(stretch.row, stretch.fromMs, fps));
        const std::vector<Picture> drawn = fullRun(stretch.frames, stretch.frames.back());
        ASSERT_FALSE(quitRequested);
        expectSeeksLandOnTheFullRun(stretch.frames, drawn, fps);
    }
}

// A run straight from the start against seeks back that restore a snapshot on the way: in each part,
// across both part changes (the snapshot before the change, the frame after it) and inside the final
// fade. Every state block is byte for byte the straight run's, so a module that keeps state outside
// its blocks shows here, and the pictures are pixel for pixel the same.
TEST_F(Seek, RestoredSnapshotsStepToTheStraightRunsStateAndPicture) {
    const int fps = 60;
    start(fps);
    const std::vector<int64_t> frames = {
        frameAtMs(10500, fps),             // part A, its twist going
        frameAfterRow(224, 450, fps),      // part C just after the change, its snapshot in part A
        frameAfterRow(352, 600, fps),      // part B just after the change, its snapshot in part C
        frameAfterRow(496, 250, fps),      // inside the final fade
    };
    std::vector<StateCopy> straight;
    std::vector<Picture> pictures;
    for (int64_t frame : frames) {
        ASSERT_NE(0, frame % snapshotSpacing(fps)) << "a frame of its own snapshot restores nothing";
        seekToFrame(frame);   // forward: nothing ahead is kept yet
        straight.push_back(copyOfState());
        pictures.push_back(drawNext());
    }
    ASSERT_FALSE(quitRequested);
    for (size_t i = frames.size(); i-- > 0;) {
        const int64_t kept = snapshotAtOrBefore(frames[i] - 6, fps);
        ASSERT_GT(kept, 0) << "no snapshot before frame " << frames[i];
        ASSERT_LT(frames[i] - kept, snapshotSpacing(fps) + 6);
        seekToFrame(frames[i]);
        ASSERT_EQ(frames[i], steppedFrameCount());
        const StateCopy restored = copyOfState();
        EXPECT_TRUE(restored == straight[i]) << "frame " << frames[i] << ": " << differingBlocks(straight[i], restored);
        EXPECT_EQ(0, differingPixels(pictures[i], drawNext())) << "frame " << frames[i];
    }
}

// resetShow puts every block back: the state after it is the same after a part of the show has
// played, and the kept snapshots are the regular frames the run passed, each once, within bounds.
TEST_F(Seek, ResetCoversEveryBlockAndSnapshotsStayBounded) {
    const int fps = 60;
    start(fps);
    resetShowState();
    const StateCopy fresh = copyOfState();
    skipToFrame(frameAfterRow(400, 0, fps));
    const int64_t spacing = snapshotSpacing(fps);
    EXPECT_EQ(steppedFrameCount() / spacing, snapshotCount());
    EXPECT_LE(stateBytes(), MAX_SNAPSHOT_BYTES);
    EXPECT_EQ((size_t)snapshotCount() * stateBytes(), snapshotBytes());
    skipToFrame(spacing * (MAX_SNAPSHOTS + 2));   // the show ends before the store is full
    ASSERT_TRUE(quitRequested);
    EXPECT_EQ((steppedFrameCount() - 1) / spacing, snapshotCount());
    EXPECT_LE(snapshotCount(), MAX_SNAPSHOTS);
    resetShowState();
    const StateCopy again = copyOfState();
    EXPECT_TRUE(fresh == again) << differingBlocks(fresh, again);
    EXPECT_GT(snapshotCount(), 0) << "resetShowState keeps the snapshots";
    resetShow();
    EXPECT_EQ(0, snapshotCount());
    EXPECT_EQ(-1, snapshotAtOrBefore(spacing * 3, fps));
}

// A new sync table drops the snapshots that have fired a changed row, camera paths those that have
// read a changed slot; the others stay.
TEST_F(Seek, ReloadsDropOnlyTheSnapshotsTheyChange) {
    const int fps = 60;
    start(fps);
    skipToFrame(frameAfterRow(300, 0, fps));
    const int kept = snapshotCount();
    ASSERT_GT(kept, 20);
    const int64_t spacing = snapshotSpacing(fps);
    const int64_t row200 = frameAfterRow(200, 0, fps);   // the frame that fires row 200
    dropSnapshotsFromSyncRow(200);
    const int64_t latest = snapshotAtOrBefore(frameAfterRow(300, 0, fps), fps);
    EXPECT_LE(latest, row200);
    EXPECT_GT(latest + spacing, row200);
    EXPECT_EQ(latest / spacing, snapshotCount()) << "every snapshot before the row stays";
    dropSnapshotsReadingCameraSlots(0);
    EXPECT_EQ(latest / spacing, snapshotCount());
    dropSnapshotsReadingCameraSlots(1u << 0);   // the start-up cue reads slot 0 on the first frame
    EXPECT_EQ(0, snapshotCount());
}

// Not a check: with LIGHTRIG_MEASURE_WARM_UP=FPS set, prints for moments in each part (or those of
// LIGHTRIG_MEASURE_AT=S1,S2,..., seconds) how many frames drawn before a moment make its picture the
// full run's, from a cube left far behind (the show's start cube, as a seek that starts the show over
// finds it).
TEST_F(Seek, MeasureWarmUp) {
    const char *asked = getenv("LIGHTRIG_MEASURE_WARM_UP");
    if (!asked) GTEST_SKIP() << "set LIGHTRIG_MEASURE_WARM_UP=FPS to measure";
    const int fps = atoi(asked);
    start(fps);
    std::vector<int64_t> frames;
    const char *at = getenv("LIGHTRIG_MEASURE_AT");
    for (const char *p = at ? at : "20,60,100,140,170"; *p; p++) {
        frames.push_back(frameAtMs((int)(atof(p) * 1000.0), fps));
        while (p[1] && *p != ',') p++;
    }
    const std::vector<Picture> full = fullRun(frames, frames.back());
    for (size_t i = 0; i < frames.size(); i++) {
        for (int warmUp = 0; warmUp <= 8; warmUp++) {
            replayToFrame(0);
            skipToFrame(frames[i] - warmUp);
            while (steppedFrameCount() < frames[i]) drawNext();
            const int differing = differingPixels(full[i], drawNext());
            printf("fps %d frame %lld: %d warm-up frame(s): %d pixels differ\n", fps, (long long)frames[i], warmUp,
                   differing);
            if (differing == 0) break;
        }
    }
}

}  // namespace
