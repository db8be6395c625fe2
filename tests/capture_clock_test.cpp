// The capture's fixed-step clock: frame k at exactly k x 1000 / fps ms of real time, whatever the
// sync track does to demo time, so rows and events land on the frames of a real-time run.
#include <gtest/gtest.h>

#include "camera/camera.h"
#include "camera/camera_kicks.h"
#include "core/clock.h"
#include "core/keyboard.h"
#include "modes/capture.h"
#include "shell/dispatcher.h"
#include "shell/sync_track.h"
#include "tests/test_support.h"

constexpr int SCORE_SECONDS = 13 * 60;   // longer than the 2048 rows of the score

TEST(CaptureClock, PictureNamesCarryTheMoment) {
    char name[64];
    momentPictureName(name, sizeof name, "shots", 12500);
    EXPECT_STREQ("shots/frame-12.5.png", name);
    momentPictureName(name, sizeof name, "shots", 7);
    EXPECT_STREQ("shots/frame-0.007.png", name);
}

// Plays frames 0..count-1 through the dispatcher's clock and sync steps (no GL before initDone) and
// records elapsedMs, frameTime and the frames in which the sync track pressed Return and Escape.
struct FixedStepRun {
    int elapsed[64];
    int frameTime[64];
    int returnFrame = -1;
    int escapeFrame = -1;
};

static FixedStepRun playFixedSteps(int fps, int count) {
    FixedStepRun run;
    startCaptureClock(fps);
    resetClocks();
    resetKeyboard();
    resetDispatcher();
    resetSyncPlayer();
    initDone = false;
    frameTime = demoTime();
    loadSyncTrack();
    resetSyncFraction();
    showStartTime = elapsedMs();
    for (int k = 0; k < count; k++) {
        setCaptureFrame(k);
        dispatchFrame();
        run.elapsed[k] = elapsedMs();
        run.frameTime[k] = frameTime;
        if (keyState.pressed[KEY_RETURN] && run.returnFrame < 0) run.returnFrame = k;
        if (keyState.injected[KEY_ESCAPE] && run.escapeFrame < 0) run.escapeFrame = k;
        clearInjectedKeys();
    }
    return run;
}

TEST(CaptureClock, SyncTrackDivisorAndJumpsChangeDemoTimeButNotTheFrameGrid) {
    enterScratchDir();
    // Row 1 halves demo time, row 2 jumps it 500 ms ahead and asks for the next part, row 3 restores
    // the speed, row 4 ends the show.
    writeDataText("sync1.csv",
                  "divisor,jump,a,va,aa,b,vb\n"
                  "0,0,0,0,0,0,0\n"
                  "2,0,0,0,0,0,0\n"
                  "0,500,14,0,0,0,0\n"
                  "1,0,0,0,0,0,0\n"
                  "0,0,255,0,0,0,0\n");
    const int fps = 30;
    const int frames = 50;
    const FixedStepRun run = playFixedSteps(fps, frames);

    for (int k = 0; k < frames; k++) EXPECT_EQ(k * 1000 / fps, run.elapsed[k]) << "frame " << k;

    const int halfFrom = (int)syncRowFrame(1, fps), jumpAt = (int)syncRowFrame(2, fps);
    const int fullFrom = (int)syncRowFrame(3, fps);
    EXPECT_EQ(jumpAt, run.returnFrame);
    EXPECT_EQ((int)syncRowFrame(4, fps), run.escapeFrame);
    for (int k = 1; k < frames; k++) {
        const int real = run.elapsed[k] - run.elapsed[k - 1];
        const int demo = run.frameTime[k] - run.frameTime[k - 1];
        SCOPED_TRACE(testing::Message() << "frame " << k);
        // frameTime is sampled before the track plays, so a row's change shows in the next frame;
        // the divisor rows' sub-tick compensation shifts that frame by a millisecond or two.
        if (k <= halfFrom) {
            EXPECT_EQ(real, demo);
        } else if (k == jumpAt + 1) {
            EXPECT_NEAR(500 + real / 2.0, demo, 2.0);
        } else if (k <= fullFrom) {
            EXPECT_NEAR(real / 2.0, demo, k == halfFrom + 1 ? 2.0 : 1.0);
        } else if (k > fullFrom + 1) {
            EXPECT_EQ(real, demo);
        }
    }

    // The same score at the same rate gives the same times, frame for frame.
    const FixedStepRun again = playFixedSteps(fps, frames);
    for (int k = 0; k < frames; k++) EXPECT_EQ(run.frameTime[k], again.frameTime[k]) << "frame " << k;
}

// The show's own score at the frame rates people record and play at: demo time must not fall
// behind the real-time stamp of a push ('5'), or the push starts with negative progress and the
// camera jerks backwards before it moves forward.
TEST(CaptureClock, NoPushOfTheScoreStartsBackwardsAtAnyFrameRate) {
    static char score[1 << 16];
    const long size = readWholeFile(showDataPath("sync1.csv"), score, sizeof score);
    ASSERT_GT(size, 0);
    enterScratchDir();
    writeDataFile("sync1.csv", score, (size_t)size);
    const float view[3] = {0.0f, 0.0f, -10.0f};
    for (int fps : {30, 60, 144}) {
        startCaptureClock(fps);
        resetClocks();
        resetKeyboard();
        resetDispatcher();
        resetSyncPlayer();
        resetCameraKicks();
        cameraSetupSuppressed = true;   // no GL here
        initDone = false;
        frameTime = demoTime();
        loadSyncTrack();
        resetSyncFraction();
        showStartTime = elapsedMs();
        int pushes = 0;
        int pushFrame = -1;
        for (int64_t k = 0; k <= (int64_t)SCORE_SECONDS * fps && !keyState.injected[KEY_ESCAPE]; k++) {
            setCaptureFrame(k);
            dispatchFrame();
            if (keyState.pressed[KEY_5]) {
                pushes++;
                pushFrame = (int)k;
            }
            // The camera at rest at the origin looking down -z; the kicks move it from there.
            for (int i = 0; i < 3; i++) cameraEye[i] = 0.0f, cameraTarget[i] = view[i];
            cameraRoll = 0.0f;
            applyCameraKicks();
            // The first half second of the push: forward only (the eye's z goes down).
            if (pushFrame >= 0 && k - pushFrame < fps / 2 && cameraEye[2] > 0.0f) {
                ADD_FAILURE() << fps << " fps, push " << pushes << " at frame " << pushFrame << ": the camera is "
                              << cameraEye[2] << " units behind its rest " << (k - pushFrame) << " frames in";
                break;
            }
            clearInjectedKeys();
        }
        cameraSetupSuppressed = false;
        EXPECT_EQ(pushes, 3) << fps << " fps";
    }
}
