// Spot-light shadows on the virtual display: where a light's map lands in the atlas and what
// depth it holds, and a box casting its shadow on a floor.
#include <gtest/gtest.h>
#include <string.h>
#include <string>

#include "assets/shader.h"
#include "camera/camera.h"
#include "render/lights.h"
#include "render/matrix.h"
#include "render/mesh_draw.h"
#include "render/render_targets.h"
#include "render/shadow.h"
#include "tests/render_test_support.h"
#include "tests/test_support.h"

constexpr int VIEW_W = 960, VIEW_H = 540;   // the receiver pass, the show's aspect at half size

struct Shadows : ::testing::Test {
    static GLuint receiver, view, viewColour, viewDepth;
    static int floorSet, boxSet;
    static MeshObject floor, box;

    void SetUp() override {
        if (!openTestGlContext()) GTEST_SKIP() << "no display";
        if (receiver != 0) return;
        enterShowDir();
        initShadowTargets();
        buildShadowPrograms();
        receiver = buildShaderProgram("mshmappass2spot.vert", "mshmappass2spot.frag");
        addSpotReceiverProgram(receiver);
        floorSet = addPlainTextureSet(200, 200, 200);
        boxSet = addPlainTextureSet(230, 120, 60);
        const float floorLow[3] = {-6.0f, -0.2f, -6.0f}, floorHigh[3] = {6.0f, 0.0f, 6.0f};
        const float boxLow[3] = {-0.5f, 0.0f, -0.5f}, boxHigh[3] = {0.5f, 1.0f, 0.5f};
        buildBoxMesh(floor, floorLow, floorHigh, floorSet);
        buildBoxMesh(box, boxLow, boxHigh, boxSet);
        makeColourTarget(VIEW_W, VIEW_H, &view, &viewColour, &viewDepth);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
    }

    static void clearTarget(const RenderTarget &t) {
        glBindFramebuffer(GL_FRAMEBUFFER, t.framebuffer);
        glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
        glClearDepth(1.0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    }
    static void placeSpot(int light, const float eye[3], const float aim[3]) {
        memcpy(shadowState.spotEye[light], eye, 3 * sizeof(float));
        memcpy(shadowState.spotTarget[light], aim, 3 * sizeof(float));
    }
    // The depth pass of one light as the parts run it, copied into the atlas.
    static void depthPass(int light, MeshObject *const *casters, int count) {
        beginSpotDepthPass(light);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        for (int i = 0; i < count; i++) drawSpotDepth(*casters[i], shadowPrograms.spotDepth);
        copyShadowToAtlas(light);
    }
    static float atlasDepth(int x, int row) {
        const Rgb c = readPixel(shmap1.framebuffer, x, row);
        return (c.r * 65536.0f + c.g * 256.0f + c.b) / 16777215.0f * SPOT_DEPTH_RANGE;
    }
};
GLuint Shadows::receiver, Shadows::view, Shadows::viewColour, Shadows::viewDepth;
int Shadows::floorSet, Shadows::boxSet;
MeshObject Shadows::floor, Shadows::box;

TEST_F(Shadows, SpotLight3LandsInRows3072To4095WithItsDepth) {
    clearTarget(shmap1);
    // A wall 10 units in front of light 3 fills its whole map.
    static MeshObject wall;
    const float low[3] = {-50.0f, -50.0f, -0.1f}, high[3] = {50.0f, 50.0f, 0.0f};
    buildBoxMesh(wall, low, high, floorSet);
    const float eye[3] = {0.0f, 0.0f, 10.0f}, aim[3] = {0.0f, 0.0f, 0.0f};
    placeSpot(3, eye, aim);
    MeshObject *casters[] = {&wall};
    testing::internal::CaptureStderr();
    depthPass(3, casters, 1);
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::string::npos, errors.find("ERROR")) << errors;
    // The map's centre, straight ahead: casters are drawn with front faces culled, so the wall's
    // back face, 10.1 units away, is what the map holds.
    EXPECT_NEAR(10.1f, atlasDepth(512, 3072 + 512), 0.01f);
    EXPECT_LT(atlasDepth(0, 3072), 15.0f);
    EXPECT_LT(atlasDepth(1023, 4095), 15.0f);
    for (int row : {0, 1023, 2048, 3071}) EXPECT_FLOAT_EQ(SPOT_DEPTH_RANGE, atlasDepth(512, row)) << row;
}

TEST_F(Shadows, BoxCastsItsShadowOnTheFloor) {
    clearTarget(shmap1);
    // Only ambient from the light table, so the spot light alone makes light and shadow.
    memset(&lightTable, 0, sizeof lightTable);
    lightTable.enabled[0] = 1;
    for (int c = 0; c < 3; c++) lightTable.ambient[0][c] = 0.12f;
    applyLights();
    const float eye[3] = {6.0f, 6.0f, 0.0f}, aim[3] = {0.0f, 0.0f, 0.0f};
    placeSpot(0, eye, aim);
    shadowState.spotFov = 65.0f;
    const float on[4] = {1.0f, 0.0f, 0.0f, 0.0f};
    memcpy(shadowState.lightsOn, on, sizeof on);
    MeshObject *casters[] = {&floor, &box};
    testing::internal::CaptureStderr();
    depthPass(0, casters, 2);

    const float cameraAt[3] = {-1.0f, 5.0f, 7.0f}, lookAt[3] = {-0.8f, 0.0f, 0.0f};
    memcpy(cameraEye, cameraAt, sizeof cameraAt);
    memcpy(cameraTarget, lookAt, sizeof lookAt);
    cameraRoll = 0.0f;
    cameraFov = 45.0f;
    glBindFramebuffer(GL_FRAMEBUFFER, view);
    glViewport(0, 0, VIEW_W, VIEW_H);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_CULL_FACE);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    drawSpotReceivers(floor, receiver);
    drawSpotReceivers(box, receiver);
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::string::npos, errors.find("ERROR")) << errors;
    grabFrame(view, VIEW_W, VIEW_H, "shadow_box_on_floor");

    // Where floor points land on screen, with the projection the camera set up.
    float projection[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    auto luminance = [&](float x, float z) {
        const float p[4] = {x, 0.0f, z, 1.0f};
        float clip[4];
        transformPoint(projection, p, clip);
        const int px = (int)((clip[0] / clip[3] * 0.5f + 0.5f) * VIEW_W);
        const int py = (int)((clip[1] / clip[3] * 0.5f + 0.5f) * VIEW_H);
        const Rgb c = readPixel(view, px, py);
        return c.r + c.g + c.b;
    };
    const int shadowed = luminance(-1.2f, 0.0f);   // behind the box as seen from the light
    const int lit = luminance(-1.2f, 1.5f);        // beside the shadow, inside the cone
    const int outside = luminance(-5.5f, -5.5f);   // outside the cone
    EXPECT_GT(lit, 150);
    EXPECT_LT(shadowed * 2, lit);
    EXPECT_LT(outside * 2, lit);
}
