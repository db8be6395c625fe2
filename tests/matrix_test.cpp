// The shared matrix routines against hand-computed matrices, the directional light's matrices and
// the bone matrices of a skinned mesh.
#include <gtest/gtest.h>
#include <math.h>
#include <string.h>

#include "render/matrix.h"
#include "render/mesh_draw.h"
#include "render/shadow.h"

static void apply(const float m[16], float x, float y, float z, float out[4]) {
    const float v[4] = {x, y, z, 1.0f};
    transformPoint(m, v, out);
}

TEST(ShadowMatrices, DefaultDirectionalLightCentresTheOriginAndSpansItsBox) {
    float model[16];
    identityMatrix(model);
    computeDirectionalMatrices(model);
    float p[4];
    apply(shadowState.directionalBiasMVP, 0.0f, 0.0f, 0.0f, p);
    EXPECT_NEAR(0.5f, p[0], 1e-6f);
    EXPECT_NEAR(0.5f, p[1], 1e-6f);
    // The origin lies |L| = 3 in front of the light, inside the +-9 depth range.
    EXPECT_NEAR(0.5f + 3.0f / 18.0f, p[2], 1e-5f);
    // 7.5 units along the light's side axis (2, 0, -1) / sqrt 5 is the box's right edge.
    const float r5 = 1.0f / sqrtf(5.0f);
    apply(shadowState.directionalBiasMVP, 7.5f * 2 * r5, 0.0f, -7.5f * r5, p);
    EXPECT_NEAR(1.0f, p[0], 1e-5f);
    EXPECT_NEAR(0.5f, p[1], 1e-5f);
    EXPECT_FLOAT_EQ(shadowState.lightPosition[0], shadowState.Light[0]);
    EXPECT_FLOAT_EQ(1.0f, shadowState.Light[3]);

    // The model matrix moves the receivers: a model translated by +1 in x shifts the origin.
    model[12] = 1.0f;
    computeDirectionalMatrices(model);
    apply(shadowState.directionalBiasMVP, 0.0f, 0.0f, 0.0f, p);
    EXPECT_NEAR(0.5f + 2 * r5 / 15.0f, p[0], 1e-5f);
}

// A skinned mesh of two bones and three animation slots; all key values zero unless set.
struct BoneFixture : ::testing::Test {
    static constexpr int BONES = 2, SLOTS = 3;
    MeshObject mesh;
    float rotation[3 * BONES * SLOTS], rest[3 * BONES * SLOTS], delta[3 * BONES * SLOTS];
    uint8_t animatedBones[BONES] = {1, 1};

    void SetUp() override {
        memset(&mesh, 0, sizeof mesh);
        memset(rotation, 0, sizeof rotation);
        memset(rest, 0, sizeof rest);
        memset(delta, 0, sizeof delta);
        mesh.boneCount = BONES;
        mesh.frameCount = SLOTS;
        mesh.rotationDelta = rotation;
        mesh.restPosition = rest;
        mesh.positionDelta = delta;
        mesh.boneAnimated = animatedBones;
        boneKeyOrder[0] = 0, boneKeyOrder[1] = 1, boneKeyOrder[2] = 2;
        boneEulerOrder[0] = 1, boneEulerOrder[1] = 2, boneEulerOrder[2] = 0;
    }
    float *key(float *table, int slot, int bone) { return table + (slot * BONES + bone) * 3; }
    // Upper 3 x 3 of a row-by-row stage matrix.
    void expectRotation(const float stage[16], const float rows[9]) {
        for (int r = 0; r < 3; r++)
            for (int c = 0; c < 3; c++) EXPECT_NEAR(rows[r * 3 + c], stage[r * 4 + c], 1e-6f) << r << "," << c;
    }
};

TEST_F(BoneFixture, EachStoredComponentDrivesItsAxis) {
    key(rotation, 2, 0)[0] = 90.0f;   // bone 0: X
    key(rotation, 2, 1)[1] = 90.0f;   // bone 1: the second component drives Z
    computeBoneMatrices(mesh, 2);
    const float rx[9] = {1, 0, 0, 0, 0, -1, 0, 1, 0};
    const float rz[9] = {0, -1, 0, 1, 0, 0, 0, 0, 1};
    expectRotation(mesh.boneRotStage[0], rx);
    expectRotation(mesh.boneRotStage[1], rz);

    key(rotation, 2, 0)[0] = 0.0f;
    key(rotation, 2, 0)[2] = 90.0f;   // the negated third drives Y: -90 degrees
    computeBoneMatrices(mesh, 2);
    const float ryNegative[9] = {0, 0, -1, 0, 1, 0, 1, 0, 0};
    expectRotation(mesh.boneRotStage[0], ryNegative);
}

TEST_F(BoneFixture, AnglesComposeInEulerOrderYThenZThenX) {
    key(rotation, 1, 0)[0] = 90.0f;   // X 90
    key(rotation, 1, 0)[1] = 90.0f;   // Z 90
    computeBoneMatrices(mesh, 1);
    const float zTimesX[9] = {0, 0, 1, 1, 0, 0, 0, 1, 0};   // Rz(90) * Rx(90)
    expectRotation(mesh.boneRotStage[0], zTimesX);
    boneEulerOrder[0] = 0, boneEulerOrder[1] = 2, boneEulerOrder[2] = 1;   // X Z Y
    computeBoneMatrices(mesh, 1);
    const float xTimesZ[9] = {0, -1, 0, 0, 0, -1, 1, 0, 0};   // Rx(90) * Rz(90)
    expectRotation(mesh.boneRotStage[0], xTimesZ);
}

TEST_F(BoneFixture, TranslationsSitInElements3_7_11AndFollowTheKeyOrder) {
    float *d = key(delta, 1, 1), *p = key(rest, 1, 1);
    d[0] = 1.0f, d[1] = 2.0f, d[2] = 3.0f;
    p[0] = 4.0f, p[1] = 5.0f, p[2] = 6.0f;
    computeBoneMatrices(mesh, 1);
    const float *positionDelta = mesh.boneRestStage[1];   // sent as "boneRPos"
    const float *restPosition = mesh.bonePosStage[1];     // sent as "bonePos"
    EXPECT_FLOAT_EQ(1.0f, positionDelta[3]);
    EXPECT_FLOAT_EQ(2.0f, positionDelta[7]);
    EXPECT_FLOAT_EQ(3.0f, positionDelta[11]);
    EXPECT_FLOAT_EQ(4.0f, restPosition[3]);
    EXPECT_FLOAT_EQ(6.0f, restPosition[11]);
    EXPECT_FLOAT_EQ(1.0f, restPosition[15]);
    EXPECT_FLOAT_EQ(0.0f, restPosition[12]);
    boneKeyOrder[0] = 2, boneKeyOrder[1] = 1, boneKeyOrder[2] = 0;
    computeBoneMatrices(mesh, 1);
    EXPECT_FLOAT_EQ(3.0f, mesh.boneRestStage[1][3]);
    EXPECT_FLOAT_EQ(1.0f, mesh.boneRestStage[1][11]);
}

TEST_F(BoneFixture, FramesPastTheLastSlotStayInsideTheTable) {
    key(delta, SLOTS - 1, 0)[0] = 7.0f;
    computeBoneMatrices(mesh, 1000);
    EXPECT_FLOAT_EQ(7.0f, mesh.boneRestStage[0][3]);
}
