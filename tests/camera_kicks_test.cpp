// The push ('5') and shake ('4') kicks against the driven clock, on a camera the path puts back
// every frame.
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

class CameraKicks : public ::testing::Test {
protected:
    void SetUp() override {
        startAtTimeZero();
        resetCameraKicks();
        cameraSetupSuppressed = true;   // no GL here
    }
    void TearDown() override { cameraSetupSuppressed = false; }

    // One frame at ms: the camera back at eye looking along view, a key pressed if given, the kicks.
    static void frame(int ms, const float eye[3], const float view[3], int key = 0) {
        setDrivenCounter(ms);
        frameTime = demoTime();
        if (key) injectKey(key, ms);
        pollKeyboard();
        clearInjectedKeys();
        for (int i = 0; i < 3; i++) {
            cameraEye[i] = eye[i];
            cameraTarget[i] = eye[i] + view[i];
        }
        cameraRoll = 0.0f;
        applyCameraKicks();
    }
};

const float ORIGIN[3] = {0.0f, 0.0f, 0.0f};

TEST_F(CameraKicks, PushGoesSixUnitsOutInOneSecondAndBackInTheNext) {
    const float eye[3] = {1.0f, 2.0f, 3.0f}, view[3] = {0.0f, 0.0f, -10.0f};
    const float halfway = 6.0f * sinf(0.25f * 3.14f);   // ease-out: 4.24 units after half a second
    const int times[] = {1000, 1500, 2000, 2500, 3000, 3100};
    const float forward[] = {0.0f, halfway, 6.0f, halfway, 0.0f, 0.0f};
    for (int i = 0; i < 6; i++) {
        frame(times[i], eye, view, i == 0 ? KEY_5 : 0);
        EXPECT_NEAR(cameraEye[2], 3.0f - forward[i], 1e-4) << times[i];
        EXPECT_NEAR(cameraTarget[2], -7.0f - forward[i], 1e-4) << times[i];
        EXPECT_EQ(cameraEye[0], 1.0f);
        if (times[i] == 2000) {
            EXPECT_NEAR(cameraRoll, -0.26f, 0.005f);   // the turning point
        }
        if (times[i] >= 3000) {
            EXPECT_NEAR(cameraRoll, 0.0f, 1e-6);
        }
    }
    // A new press restarts the way out, even on the way back.
    frame(4000, ORIGIN, view, KEY_5);
    frame(5000, ORIGIN, view);
    frame(5500, ORIGIN, view, KEY_5);
    frame(6000, ORIGIN, view);
    EXPECT_NEAR(cameraEye[2], -halfway, 1e-4);
}

TEST_F(CameraKicks, ShakeStaysWithin078PerAxisOfTheCameraAndEndsAfter203Frames) {
    const float alongZ[3] = {0.0f, 0.0f, 1.0f};   // the camera's frame is the world's
    frame(1000, ORIGIN, alongZ, KEY_4);
    float largest[3] = {0.0f, 0.0f, 0.0f};
    for (int ms = 1000; ms < 1000 + 3380; ms += 7) {
        frame(ms, ORIGIN, alongZ);
        for (int i = 0; i < 3; i++) largest[i] = fmaxf(largest[i], fabsf(cameraEye[i]));
        const float d[3] = {cameraTarget[0] - cameraEye[0], cameraTarget[1] - cameraEye[1],
                            cameraTarget[2] - cameraEye[2]};
        ASSERT_NEAR(d[0] * d[0] + d[1] * d[1] + d[2] * d[2], 1.0f, 1e-5);   // look-at at unit distance
        ASSERT_GT(d[2], cosf(0.1f));                                          // a small turn only
    }
    EXPECT_LE(largest[0], 0.78f);
    EXPECT_LE(largest[1], 0.78f);
    EXPECT_EQ(largest[2], 0.0f);
    EXPECT_GT(fmaxf(largest[0], largest[1]), 0.4f);
    frame(1000 + 3390, ORIGIN, alongZ);   // 203.4 frames after the press
    EXPECT_EQ(cameraEye[0], 0.0f);
    EXPECT_EQ(cameraTarget[2], 1.0f);

    // Along any other view the jitter stays across the view.
    const float eye[3] = {4.0f, 1.0f, -2.0f}, view[3] = {-3.0f, -1.0f, 2.0f};
    frame(6000, eye, view, KEY_4);
    for (int ms = 6500; ms < 9000; ms += 250) {
        frame(ms, eye, view);
        const float along = ((cameraEye[0] - eye[0]) * view[0] + (cameraEye[1] - eye[1]) * view[1] +
                             (cameraEye[2] - eye[2]) * view[2]);
        EXPECT_NEAR(along, 0.0f, 1e-4) << ms;
    }
}

TEST_F(CameraKicks, WithoutACueThePushStartsFromTheHeldPoseEveryFrame) {
    const float eye[3] = {0.0f, 0.0f, 15.0f}, view[3] = {0.0f, 0.0f, -15.0f};
    stopCameraCue();
    frame(0, eye, view);   // places the held camera
    updateCamera();
    for (int ms = 1000; ms <= 3100; ms += 16) {
        setDrivenCounter(ms);
        frameTime = demoTime();
        if (ms == 1000) injectKey(KEY_5, ms);
        pollKeyboard();
        clearInjectedKeys();
        updateCamera();
        ASSERT_GE(cameraEye[2], 15.0f - 6.0f - 1e-3f) << ms;   // never further than one push
    }
    EXPECT_NEAR(cameraEye[2], 15.0f, 1e-4);
    EXPECT_NEAR(cameraTarget[2], 0.0f, 1e-4);
}

}  // namespace
