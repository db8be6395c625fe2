// The camera set-up in GL: the projection it loads, the roll, the suppression flag, an all-zero path,
// and a scene drawn through the cued camera. With LIGHTRIG_CAMERA_FRAMES set to a directory, the
// last case also writes quarter-size PPM frames of a cue with a push and a shake.
#include <gtest/gtest.h>
#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string>

#include "camera/camera.h"
#include "camera/camera_kicks.h"
#include "camera/camera_path.h"
#include "render/gl.h"
#include "shell/clock.h"
#include "shell/keyboard.h"
#include "shell/sync_track.h"
#include "tests/test_support.h"

namespace {

constexpr int WIDTH = 1920, HEIGHT = 1080;

class CameraGl : public ::testing::Test {
protected:
    void SetUp() override {
        if (!openTestGlContext()) GTEST_SKIP() << "no display";
        driveClock(1000);
        setDrivenCounter(0);
        resetClocks();
        resetSyncPlayer();
        resetKeyboard();
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

// A flat-shaded box from client arrays (immediate mode would trip the loader's error check).
void drawBox(const float centre[3], const float half[3], const float colour[3]) {
    static const signed char corner[24][3] = {
        {1, -1, 1},  {1, -1, -1}, {1, 1, -1},   {1, 1, 1},   {-1, -1, -1}, {-1, -1, 1}, {-1, 1, 1},  {-1, 1, -1},
        {-1, 1, 1},  {1, 1, 1},   {1, 1, -1},   {-1, 1, -1}, {-1, -1, -1}, {1, -1, -1}, {1, -1, 1},  {-1, -1, 1},
        {-1, -1, 1}, {1, -1, 1},  {1, 1, 1},    {-1, 1, 1},  {1, -1, -1},  {-1, -1, -1}, {-1, 1, -1}, {1, 1, -1}};
    static const float shade[6] = {0.8f, 0.6f, 1.0f, 0.3f, 0.9f, 0.5f};
    float vertices[24][3], colours[24][3];
    for (int v = 0; v < 24; v++)
        for (int i = 0; i < 3; i++) {
            vertices[v][i] = centre[i] + corner[v][i] * half[i];
            colours[v][i] = colour[i] * shade[v / 4];
        }
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, vertices);
    glColorPointer(3, GL_FLOAT, 0, colours);
    glDrawArrays(GL_QUADS, 0, 24);
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
}

void clearScene() {
    glClearColor(0.05f, 0.05f, 0.1f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glLoadIdentity();
}

TEST_F(CameraGl, LoadsPerspectiveTimesLookAtWithTheRolledUp) {
    look(0, 0, 0, 0, 0, -1);
    setupCamera();
    float loaded[16], expected[16];
    glGetFloatv(GL_PROJECTION_MATRIX, loaded);
    cameraProjectionMatrix(35.0f, expected);
    for (int i = 0; i < 16; i++) EXPECT_FLOAT_EQ(loaded[i], expected[i]) << "entry " << i;
    const double h = tan(35.0 * 6.28 / 720.0);   // 6.28 / 360 per degree: 1.6e-4 away from pi / 180
    EXPECT_NEAR(expected[0], 1.0 / (h * 1.7777778), 2e-6);
    EXPECT_NEAR(expected[5], 1.0 / h, 2e-6);
    EXPECT_EQ(expected[10], -1.0010005235671997f);
    EXPECT_EQ(expected[14], -0.20010004937648773f);
    EXPECT_EQ(expected[11], -1.0f);
    EXPECT_EQ(cameraUp[0], 0.0f);   // roll 0: exactly (0, 1, 0)
    EXPECT_EQ(cameraUp[1], 1.0f);
    EXPECT_EQ(cameraUp[2], 0.0f);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);

    // The target lands in the middle; world up shows turned against a roll of 0.3.
    look(1, 2, 3, 1, 2, -7);
    cameraRoll = 0.3f;
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
    // Eye and target slide from x = -3 to 3 over the start-up cue's four slots: a small red box at
    // the origin crosses the screen from right to left.
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
        clearScene();
        const float origin[3] = {0, 0, 0}, half[3] = {0.05f, 0.05f, 0.05f}, red[3] = {1, 0, 0};
        drawBox(origin, half, red);
        glReadPixels(0, 0, WIDTH, HEIGHT, GL_RGB, GL_UNSIGNED_BYTE, pixels);
        double sum = 0.0;
        long count = 0;
        for (long i = 0; i < (long)WIDTH * HEIGHT; i++)
            if (pixels[3 * i] > 200 && pixels[3 * i + 1] < 50) sum += i % WIDTH + 0.5, count++;
        ASSERT_GT(count, 0) << "ms " << ms;
        float x, y;
        project(origin, x, y);
        EXPECT_NEAR(sum / count, x, 3.0) << "ms " << ms;   // the box shows its sides
        EXPECT_LT(x, previous - 100.0f) << "ms " << ms;
        previous = x;
    }
}

TEST_F(CameraGl, GrabFramesOfACueWithPushAndShake) {
    const char *directory = getenv("LIGHTRIG_CAMERA_FRAMES");
    if (!directory) GTEST_SKIP() << "set LIGHTRIG_CAMERA_FRAMES to a directory to grab frames";
    // Slot 0 swings the eye round a grid of boxes; the first 12 s of the start-up cue cover most of it.
    const float eyes[4][3] = {{-14, 5, 12}, {-4, 9, 20}, {10, 3, 18}, {16, 6, 6}}, fovs[4] = {35, 40, 45, 38};
    for (int k = 0; k < 4; k++) {
        for (int i = 0; i < 3; i++) cameraPaths.eye[k][i] = eyes[k][i];
        cameraPaths.target[k][1] = 0.3f * k;
        cameraPaths.fov[k] = fovs[k];
    }
    constexpr int W = WIDTH / 4, H = HEIGHT / 4;
    static unsigned char pixels[W * H * 3];
    glViewport(0, 0, W, H);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    startCameraCue(0, 0, 4, 1.0f);
    for (int ms = 0, index = 0; ms <= 12000; ms += 100, index++) {
        frame(ms, ms == 3000 ? KEY_5 : ms == 7000 ? KEY_4 : 0);   // push at 3 s, shake at 7 s
        clearScene();
        const float floor[3] = {0, -0.6f, 0}, floorHalf[3] = {12, 0.1f, 12}, grey[3] = {0.35f, 0.35f, 0.35f};
        const float pillar[3] = {0, 2, 0}, pillarHalf[3] = {0.3f, 2.5f, 0.3f}, white[3] = {1, 1, 1};
        const float boxHalf[3] = {0.5f, 0.5f, 0.5f};
        drawBox(floor, floorHalf, grey);
        drawBox(pillar, pillarHalf, white);
        for (int i = 0; i < 49; i++) {
            const float centre[3] = {(i % 7 - 3) * 3.0f, 0, (i / 7 - 3) * 3.0f};
            const float colour[3] = {(i % 7) / 6.0f, (i / 7) / 6.0f, 1.0f - (i % 7) / 6.0f};
            drawBox(centre, boxHalf, colour);
        }
        glReadPixels(0, 0, W, H, GL_RGB, GL_UNSIGNED_BYTE, pixels);
        char path[1024];
        snprintf(path, sizeof path, "%s/frame%03d.ppm", directory, index);
        FILE *file = fopen(path, "wb");
        ASSERT_NE(file, nullptr) << path;
        fprintf(file, "P6\n%d %d\n255\n", W, H);
        for (int row = H - 1; row >= 0; row--) fwrite(pixels + 3 * row * W, 1, 3 * W, file);
        fclose(file);
        printf("%s ms %d eye %.3f %.3f %.3f target %.3f %.3f %.3f roll %.4f fov %.2f\n", path, ms, cameraEye[0],
               cameraEye[1], cameraEye[2], cameraTarget[0], cameraTarget[1], cameraTarget[2], cameraRoll, cameraFov);
    }
    glViewport(0, 0, WIDTH, HEIGHT);
}

}  // namespace
