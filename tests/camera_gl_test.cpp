// The camera set-up in GL: the projection it loads, the roll, the suppression flag, an all-zero path,
// and a scene drawn through the cued camera.
#include <gtest/gtest.h>
#include <math.h>
#include <string.h>
#include <string>

#include "camera/camera.h"
#include "camera/camera_kicks.h"
#include "camera/camera_path.h"
#include "camera/camera_update.h"
#include "core/clock.h"
#include "core/keyboard.h"
#include "platform/gl.h"
#include "tests/test_support.h"

namespace {

constexpr int WIDTH = 1920, HEIGHT = 1080;

class CameraGl : public ::testing::Test {
protected:
    void SetUp() override {
        if (!openTestGlContext()) GTEST_SKIP() << "no display";
        startAtTimeZero();
        resetCameraPlayback();
        resetCameraKicks();
        cameraRoll = 0.0f;
        cameraFov = 35.0f;
        testing::internal::CaptureStderr();
    }
    void TearDown() override {
        if (IsSkipped()) return;
        const std::string errors = testing::internal::GetCapturedStderr();
        EXPECT_EQ(errors.find("ERROR"), std::string::npos) << errors;
    }
};

// A frame at ms of both clocks with an optional key press, through the parts' camera chain.
void frame(int ms, int key = 0) {
    setDrivenCounter(ms);
    frameTime = demoTime();
    if (key) injectKey(key, ms);
    pollKeyboard();
    clearInjectedKeys();
    updateCamera();
    setupCamera();
}

void look(float ex, float ey, float ez, float tx, float ty, float tz) {
    const float eye[3] = {ex, ey, ez}, target[3] = {tx, ty, tz};
    for (int i = 0; i < 3; i++) {
        cameraEye[i] = eye[i];
        cameraTarget[i] = target[i];
    }
}

// Window position of a world point through the loaded projection (the modelview being identity).
void project(const float p[3], float &x, float &y) {
    float m[16], clip[4];
    glGetFloatv(GL_PROJECTION_MATRIX, m);
    for (int r = 0; r < 4; r++) clip[r] = m[r] * p[0] + m[4 + r] * p[1] + m[8 + r] * p[2] + m[12 + r];
    x = (clip[0] / clip[3] + 1.0f) * 0.5f * WIDTH;
    y = (clip[1] / clip[3] + 1.0f) * 0.5f * HEIGHT;
}

// A red square of 0.1 units facing +z at the origin, from a client array (immediate mode would trip
// the loader's error check).
void drawMarker() {
    static const float corners[4][3] = {{-0.05f, -0.05f, 0}, {0.05f, -0.05f, 0}, {0.05f, 0.05f, 0}, {-0.05f, 0.05f, 0}};
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    glColor3f(1, 0, 0);
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, corners);
    glDrawArrays(GL_QUADS, 0, 4);
    glDisableClientState(GL_VERTEX_ARRAY);
}

TEST_F(CameraGl, LoadsPerspectiveTimesLookAtWithTheRolledUp) {
    look(0, 0, 0, 0, 0, -1);
    updateCameraUp();
    setupCamera();
    float loaded[16], expected[16];
    glGetFloatv(GL_PROJECTION_MATRIX, loaded);
    cameraProjectionMatrix(35.0f, expected);
    for (int i = 0; i < 16; i++) EXPECT_FLOAT_EQ(loaded[i], expected[i]) << "entry " << i;
    // 6.28 / 360 per degree, 1.6e-4 away from pi / 180: the field of view is a little narrower.
    EXPECT_NEAR(expected[5], 1.0 / tan(35.0 * 6.28 / 720.0), 2e-6);
    EXPECT_EQ(cameraUp[0], 0.0f);   // roll 0: exactly (0, 1, 0)
    EXPECT_EQ(cameraUp[1], 1.0f);
    EXPECT_EQ(cameraUp[2], 0.0f);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);

    // The target lands in the middle; world up shows turned against a roll of 0.3.
    look(1, 2, 3, 1, 2, -7);
    cameraRoll = 0.3f;
    updateCameraUp();
    setupCamera();
    float x, y;
    project(cameraTarget, x, y);
    EXPECT_NEAR(x, WIDTH / 2, 0.01);
    EXPECT_NEAR(y, HEIGHT / 2, 0.01);
    const float above[3] = {1, 3, -7};
    project(above, x, y);
    EXPECT_NEAR(atan2f((x - WIDTH / 2) / (HEIGHT / 2), (y - HEIGHT / 2) / (HEIGHT / 2)), -0.3f, 1e-4);

    // Suppressed: nothing changes, not even the matrix mode.
    glMatrixMode(GL_TEXTURE);
    cameraSetupSuppressed = true;
    look(5, 5, 5, 0, 0, 0);
    setupCamera();
    cameraSetupSuppressed = false;
    project(above, x, y);
    EXPECT_NEAR(atan2f((x - WIDTH / 2) / (HEIGHT / 2), (y - HEIGHT / 2) / (HEIGHT / 2)), -0.3f, 1e-4);
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_TEXTURE);
    glMatrixMode(GL_MODELVIEW);
}

// The frame logic takes the camera's projection without GL (the centre-piece's extent on screen): it
// must be the matrix GL builds to the last bit, or a seek would land on another picture.
TEST_F(CameraGl, ViewProjectionWithoutGlEqualsTheLoadedMatrixBitForBit) {
    const float poses[][8] = {
        {0, 0, 15, 0, 0, 0, 0.0f, 35.0f},        {-3, 2, 4, -2.5f, 1.5f, 0.5f, 0.0f, 35.0f},
        {7.1f, 3.3f, -9.7f, 0.2f, 1.1f, 0.4f, 0.13f, 41.7f}, {1, 2, 3, 1, 2, 3, 0.0f, 35.0f},
        {-12.4f, 0.7f, 3.9f, 2.2f, -0.3f, -1.7f, -0.26f, 28.3f}, {0.001f, 9.5f, 0.002f, 0, 0, 0, 1.2f, 60.0f},
        {4.4f, 4.4f, 4.4f, 0, 0, 0, 0.0f, 0.0f},
    };
    for (const auto &pose : poses) {
        look(pose[0], pose[1], pose[2], pose[3], pose[4], pose[5]);
        cameraRoll = pose[6];
        cameraFov = pose[7];
        updateCameraUp();
        setupCamera();
        float loaded[16], computed[16];
        glGetFloatv(GL_PROJECTION_MATRIX, loaded);
        cameraViewProjection(computed);
        EXPECT_EQ(0, memcmp(loaded, computed, sizeof loaded)) << pose[0] << " " << pose[1] << " " << pose[2];
    }
}

TEST_F(CameraGl, AllZeroPathGivesFiniteCameraAndProjection) {
    cameraPaths = {};
    startCameraCue(0, 0, 4, 100.0f);
    for (int ms = 0; ms < 6000; ms += 250) {
        frame(ms, ms == 500 ? KEY_5 : ms == 750 ? KEY_4 : 0);
        float m[16];
        glGetFloatv(GL_PROJECTION_MATRIX, m);
        for (int i = 0; i < 16; i++) ASSERT_TRUE(isfinite(m[i])) << "ms " << ms << " entry " << i;
        // Eye and target in one point still give a usable view: world x does not collapse.
        ASSERT_GT(fabsf(m[0]) + fabsf(m[1]) + fabsf(m[3]), 0.1f) << "ms " << ms;
        for (int i = 0; i < 3; i++)
            ASSERT_TRUE(isfinite(cameraEye[i]) && isfinite(cameraTarget[i]) && isfinite(cameraUp[i]));
        ASSERT_TRUE(isfinite(cameraRoll) && isfinite(cameraFov));
    }
}

TEST_F(CameraGl, SceneMovesAlongTheCuedPath) {
    // Eye and target slide from x = -3 to 3 over the start-up cue's four slots: a red marker at the
    // origin crosses the screen from right to left.
    for (int p = 0; p < 16; p++) {
        const float x = -3.0f + 1.5f * ((float)(p / 4) + (float)(p % 4) / 3.0f);
        cameraPaths.eye[p][0] = cameraPaths.target[p][0] = x;
        cameraPaths.eye[p][1] = 3.0f;
        cameraPaths.eye[p][2] = 10.0f;
        cameraPaths.target[p][1] = cameraPaths.target[p][2] = 0.0f;
        cameraPaths.fov[p] = 35.0f;
    }
    static unsigned char pixels[WIDTH * HEIGHT * 3];
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    startCameraCue(5, 0, 1, 1.0f);   // played as the start-up cue
    float previous = WIDTH;
    for (int ms : {0, 1000, 12000, 27000, 42000, 53000}) {
        frame(ms);
        if (ms == 0) continue;
        ASSERT_TRUE(cameraCue.active);
        drawMarker();
        glReadPixels(0, 0, WIDTH, HEIGHT, GL_RGB, GL_UNSIGNED_BYTE, pixels);
        double sum = 0.0;
        long count = 0;
        for (long i = 0; i < (long)WIDTH * HEIGHT; i++)
            if (pixels[3 * i] > 200 && pixels[3 * i + 1] < 50) sum += i % WIDTH + 0.5, count++;
        ASSERT_GT(count, 0) << "ms " << ms;
        const float origin[3] = {0, 0, 0};
        float x, y;
        project(origin, x, y);
        EXPECT_NEAR(sum / count, x, 1.0) << "ms " << ms;
        EXPECT_LT(x, previous - 100.0f) << "ms " << ms;
        previous = x;
    }
}

}  // namespace
