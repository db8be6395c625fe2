// Camera path playback against the driven clock: the start-up cue, the smoothing average, slot
// timing, the end of a cue, and cues the table cannot hold.
#include <gtest/gtest.h>
#include <math.h>

#include "camera/camera.h"
#include "camera/camera_kicks.h"
#include "camera/camera_path.h"
#include "camera/camera_update.h"
#include "core/clock.h"
#include "core/keyboard.h"
#include "tests/test_support.h"

namespace {

constexpr double FRAME_MS = 16.66666603088379;
constexpr double STARTUP_FRAMES = 153 * 21.3199405670166;
constexpr double RATE = 4.0 / STARTUP_FRAMES;   // slots per frame of the start-up cue

// The start-up cue's position in slots averaged over the given number of frames up to now.
double trailingAverage(double frames, int samples = 60) {
    double sum = 0.0;
    for (int i = 0; i < samples; i++) sum += fmin(4.0, fmax(0.0, (frames - i) * RATE));
    return sum / samples;
}

class CameraPathPlayback : public ::testing::Test {
protected:
    void SetUp() override {
        startAtTimeZero();
        resetCameraPlayback();
        resetCameraKicks();
        cameraSetupSuppressed = true;   // no GL here
        // Slot s moves the eye from x = s to s + 1 at an even speed: the eye's x is the position in slots.
        for (int p = 0; p < MAX_CAMERA_POINTS; p++) {
            cameraPaths.eye[p][0] = (float)(p / 4) + (float)(p % 4) / 3.0f;
            cameraPaths.fov[p] = 30.0f + cameraPaths.eye[p][0];
        }
        startCameraCue(0, 0, 1, 1.0f);   // the sync track's first cue
    }
    void TearDown() override { cameraSetupSuppressed = false; }

    // A frame at ms of both clocks; the first one plays (as every first cue does) the start-up cue.
    static void at(int ms) {
        setDrivenCounter(ms);
        frameTime = demoTime();
        playCameraPath();
    }
};

TEST_F(CameraPathPlayback, FirstCueIsTheStartupCueAndTheAverageRampsIn) {
    startCameraCue(9, 900, 1, 50.0f);
    at(1000);
    EXPECT_EQ(cameraCue.firstSlot, 0);
    EXPECT_EQ(cameraCue.slotCount, 4);
    EXPECT_EQ(cameraCue.startTime, 1000);
    EXPECT_NEAR(cameraCue.duration, STARTUP_FRAMES, 1e-3);
    EXPECT_EQ(cameraEye[0], 0.0f);
    // Every 50 ms (3 frames) the camera speeds up until the 60-frame window is full.
    for (int k = 1; k <= 30; k++) {
        at(1000 + 50 * k);
        ASSERT_NEAR(cameraEye[0], trailingAverage(3 * k), 2e-6) << "step " << k;
    }
    EXPECT_LT(trailingAverage(3), 0.11 * 3 * RATE);   // the first step is a tenth of the path's speed
    EXPECT_NEAR(cameraFov, 30.0f + cameraEye[0], 1e-5);

    // Later cues play as the sync track set them.
    startCameraCue(9, 3000, 1, 50.0f);
    at(3000);
    EXPECT_EQ(cameraEye[0], 9.0f);
}

TEST_F(CameraPathPlayback, CueEndsInTheFrameItsNewestSamplePassesTheEnd) {
    at(0);
    const int endMs = (int)ceil(STARTUP_FRAMES * FRAME_MS);
    at(endMs - 2);
    EXPECT_TRUE(cameraCue.active);
    at(endMs + 2);
    EXPECT_FALSE(cameraCue.active);
    const float held = cameraEye[0];
    EXPECT_NEAR(held, trailingAverage((endMs + 2) / FRAME_MS), 2e-5);
    setDrivenCounter(endMs + 5000);
    frameTime = demoTime();
    updateCamera();
    EXPECT_EQ(cameraEye[0], held);   // holds still until the next cue
}

TEST_F(CameraPathPlayback, DurationZeroAndOutOfRangeCuesEndAtTheEndOfTheirLastSlot) {
    at(0);
    startCameraCue(4, 5000, 3, 0.0f);   // every column-B cue has duration 0
    at(5000);
    EXPECT_FALSE(cameraCue.active);
    EXPECT_NEAR(cameraEye[0], 7.0f, 1e-4);   // slot 6 at t = 0.9999999
    EXPECT_NEAR(cameraFov, 37.0f, 1e-4);

    startCameraCue(99, 6000, 4, 0.0f);   // code 199: cut to slot 31
    at(6000);
    EXPECT_NEAR(cameraEye[0], 32.0f, 1e-4);
    startCameraCue(30, 7000, 5, 100.0f);   // slots 30 and 31 only, over 100 frames
    at(7000);
    EXPECT_NEAR(cameraEye[0], 30.0f, 1e-4);
    at(10000);
    EXPECT_FALSE(cameraCue.active);
    EXPECT_NEAR(cameraEye[0], 32.0f, 1e-4);
    startCameraCue(3, 11000, -2, 100.0f);   // no slots: the camera stays
    at(11000);
    EXPECT_FALSE(cameraCue.active);
    EXPECT_NEAR(cameraEye[0], 32.0f, 1e-4);
}

}  // namespace
