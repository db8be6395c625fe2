// The mesh draws on the virtual display: the bind pose of a skinned mesh at frame 0, and vertex
// streams that change between draws. The lit room itself is watched by the show's reference
// pictures (show_test).
#include <gtest/gtest.h>

#include "assets/shader.h"
#include "render/composite.h"
#include "render/mesh_draw.h"
#include "render/render_targets.h"
#include "render/shadow.h"
#include "tests/render_test_support.h"
#include "tests/test_support.h"

constexpr int VIEW = 256;   // pixels of the test target

// A small colour + depth target of our own, the shadow targets, the show's self-lit program and one
// plain white texture set, made once per process.
struct MeshDraws : ::testing::Test {
    static GLuint target, colour, depth, selfIllum;
    static int whiteSet;

    void SetUp() override {
        if (!openTestGlContext()) GTEST_SKIP() << "no display";
        if (target == 0) {
            enterShowDir();
            initShadowTargets();
            buildShadowPrograms();
            selfIllum = buildShaderProgram("mshmappass2.vert", "mselfillum.frag");
            whiteSet = addPlainTextureSet(255, 255, 255);
            makeColourTarget(VIEW, VIEW, &target, &colour, &depth);
        }
        glBindFramebuffer(GL_FRAMEBUFFER, target);
        glViewport(0, 0, VIEW, VIEW);
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glEnable(GL_DEPTH_TEST);
        glDisable(GL_CULL_FACE);
        glDisable(GL_BLEND);
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
        // The camera view in the projection, the object transform in the modelview.
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPerspective(45.0, 1.0, 0.1, 100.0);
        gluLookAt(3.0, 2.5, 5.0, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
    }
    static int brightness(int x, int y) {
        const Rgb c = readPixel(target, x, y);
        return c.r + c.g + c.b;
    }
};
GLuint MeshDraws::target, MeshDraws::colour, MeshDraws::depth, MeshDraws::selfIllum;
int MeshDraws::whiteSet;

TEST_F(MeshDraws, FrameZeroDrawsTheBindPoseWithoutTouchingTheBones) {
    static MeshObject mesh;
    const float low[3] = {-1, -1, -1}, high[3] = {1, 1, 1};
    buildBoxMesh(mesh, low, high, whiteSet);
    static float rotation[3 * 2], rest[3 * 2], delta[3 * 2];
    static uint8_t animatedBones[1] = {1};
    const int corners = mesh.faceCount * 3;
    mesh.boneCount = 1;
    mesh.frameCount = 2;
    mesh.rotationDelta = rotation;
    mesh.restPosition = rest;
    mesh.positionDelta = delta;
    mesh.boneAnimated = animatedBones;
    mesh.boneIndices = new float[corners * 4]();
    mesh.boneWeights = new float[corners * 4]();
    for (int c = 0; c < corners; c++) mesh.boneWeights[c * 4] = 1.0f;
    *mesh.animated = 1;
    rotation[3] = 90.0f;   // slot 1: 90 degrees about X

    // A value no draw computes, to see whether the bind-pose draw uploads bones.
    glUseProgram(selfIllum);
    const GLint boneRot = glGetUniformLocation(selfIllum, "boneRot");
    const GLint hasAnim = glGetUniformLocation(selfIllum, "hasAnim");
    ASSERT_GE(boneRot, 0);
    float sentinel[16];
    for (float &v : sentinel) v = 2.0f;
    glUniformMatrix4fv(boneRot, 1, GL_FALSE, sentinel);
    glUseProgram(0);

    drawMeshLit(mesh, 0, selfIllum);
    GLint anim = -1;
    float uploaded[16];
    glGetUniformiv(selfIllum, hasAnim, &anim);
    glGetUniformfv(selfIllum, boneRot, uploaded);
    EXPECT_EQ(0, anim);
    EXPECT_EQ(1, *mesh.animated) << "restored after the draw";
    EXPECT_FLOAT_EQ(2.0f, uploaded[6]) << "no bone upload";
    EXPECT_FLOAT_EQ(0.0f, mesh.boneRotStage[0][0]) << "no bone computation";
    EXPECT_GT(brightness(VIEW / 2, VIEW / 2), 60);

    drawMeshLit(mesh, 1, selfIllum);
    glGetUniformiv(selfIllum, hasAnim, &anim);
    glGetUniformfv(selfIllum, boneRot, uploaded);
    EXPECT_EQ(1, anim);
    EXPECT_FLOAT_EQ(-1.0f, uploaded[6]) << "row 1 of Rx(90), sent untransposed";
    EXPECT_FLOAT_EQ(1.0f, uploaded[9]);
}

TEST_F(MeshDraws, ChangedPositionsAreDrawnWhereTheyNowAre) {
    static MeshObject morphing, edited;
    const float low[3] = {-2.2f, -0.4f, -0.4f}, high[3] = {-1.4f, 0.4f, 0.4f};
    buildBoxMesh(morphing, low, high, whiteSet);
    morphing.positions2 = new float[morphing.faceCount * 9]();
    buildBoxMesh(edited, low, high, whiteSet);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-3.0, 3.0, -3.0, 3.0, -10.0, 10.0);
    glMatrixMode(GL_MODELVIEW);
    const int left = VIEW * 0.5 * (1.0 - 1.8 / 3.0), right = VIEW - left;

    for (MeshObject *mesh : {&morphing, &edited}) {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        drawMeshLit(*mesh, 0, selfIllum);
        EXPECT_GT(brightness(left, VIEW / 2), 60);
        for (int i = 0; i < mesh->faceCount * 3; i++) mesh->positions[i * 3] += 3.6f;
        if (mesh == &edited) markMeshStreamsDirty(*mesh);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        drawMeshLit(*mesh, 0, selfIllum);
        EXPECT_EQ(0, brightness(left, VIEW / 2));
        EXPECT_GT(brightness(right, VIEW / 2), 60);
    }
}
