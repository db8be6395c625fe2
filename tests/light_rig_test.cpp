// The light rig's logic: the fixed spot lights, the flash floor, part B's fade value, the rotation
// clocks and which centre-piece each mode casts into the shadow atlas.
#include <gtest/gtest.h>
#include <math.h>
#include <string.h>

#include "core/clock.h"
#include "core/crt_rand.h"
#include "core/keyboard.h"
#include "parts/light_rig.h"
#include "parts/part_frames.h"
#include "render/lights.h"
#include "render/mesh_draw.h"
#include "shell/dispatcher.h"
#include "shell/sync_track.h"

namespace {

TEST(LightRig, FixedRigIsTheSameWhateverTheGeneratorDidBefore) {
    resetLightRig();
    buildFixedLightRig();
    float eyes[SPOT_LIGHT_COUNT][3], targets[SPOT_LIGHT_COUNT][3];
    memcpy(eyes, rig.lightEye, sizeof eyes);
    memcpy(targets, rig.lightTarget, sizeof targets);
    crtSrand(31);
    for (int i = 0; i < 100; i++) crtRand();
    buildFixedLightRig();
    EXPECT_EQ(memcmp(eyes, rig.lightEye, sizeof eyes), 0);
    EXPECT_EQ(memcmp(targets, rig.lightTarget, sizeof targets), 0);
    EXPECT_EQ(rig.lightEye[0][0], 13.0f);
    EXPECT_EQ(rig.lightEye[1][1], 10.0f);
    // The random lights stay inside their box: +-20 across, +-4 high.
    for (int light = 2; light < SPOT_LIGHT_COUNT; light++) {
        EXPECT_LE(fabsf(rig.lightEye[light][0]), 20.0f);
        EXPECT_LE(fabsf(rig.lightEye[light][1]), 4.0f);
        EXPECT_LE(fabsf(rig.lightEye[light][2]), 20.0f);
    }
}

TEST(LightRig, FlashDecaysToItsFloorAndNeverBelow) {
    const float floorColour[4] = {0.1538462f, 0.1153846f, 0.0f, 1.0f};
    float flash[4] = {0.9f, 0.8f, 0.7f, 1.0f};
    for (int frame = 0; frame < 200; frame++) {
        decayFlash(flash, frame % 3 == 0 ? 5.0f : 1.0f);
        for (int c = 0; c < 4; c++) ASSERT_GE(flash[c], floorColour[c]);
    }
    for (int c = 0; c < 4; c++) EXPECT_EQ(flash[c], floorColour[c]);
    float fresh[4] = {0.0f, 0.0f, 0.0f, 0.0f};   // below the floor: lifted at once
    decayFlash(fresh, 0.0f);
    for (int c = 0; c < 4; c++) EXPECT_EQ(fresh[c], floorColour[c]);
}

TEST(LightRig, KicksLeaveTheFlashAloneAndLiftLightTwoOnlySoFar) {
    const float floorColour[4] = {0.1538462f, 0.1153846f, 0.0f, 1.0f};
    resetLightRig();
    resetKeyboard();
    frameFactor = 1.0f;
    for (const int mode : {RIG_PART_B, RIG_PART_A}) {
        rig.mode = mode;
        float lowest = movingLightPosition[1], highest = lowest;
        for (int frame = 0; frame < 1000; frame++) {
            keyState.down[KEY_4] = frame % 2 == 0;
            keyState.down[KEY_5] = frame % 3 == 0;
            updateFlashAndKicks();
            for (int c = 0; c < 4; c++) ASSERT_EQ(meshShading.flash[c], floorColour[c]) << frame;
            lowest = fminf(lowest, movingLightPosition[1]);
            highest = fmaxf(highest, movingLightPosition[1]);
        }
        if (mode == RIG_PART_B) {
            EXPECT_EQ(highest, lowest);   // the kick values move in part A only
        } else {
            EXPECT_EQ(lowest, -6.0f);
            EXPECT_EQ(highest, 0.0f);     // (12 - 0) x 0.5 = 6 units up, and no further
        }
    }
    resetKeyboard();
}

TEST(LightRig, OrbitKeepsItsRadiusAndPartBAddsItsOwnTurn) {
    resetLightRig();
    resetDispatcher();
    resetSyncPlayer();
    frameTime = 30000;
    updateRotationClocks();
    EXPECT_NEAR(hypotf(rig.orbit[0], rig.orbit[2]), 6.25f, 1e-4f);
    EXPECT_EQ(rig.orbit[1], 0.0f);
    for (int i = 0; i < 3; i++) {
        EXPECT_GE(rig.tumble[i], 0.0f);
        EXPECT_LT(rig.tumble[i], 360.0f);
    }
    const float inA[3] = {rig.orbit[0], rig.orbit[1], rig.orbit[2]};
    rig.mode = RIG_PART_B;
    partstarttime = 20000;
    updateRotationClocks();
    EXPECT_GT(fabsf(rig.orbit[0] - inA[0]) + fabsf(rig.orbit[2] - inA[2]), 0.01f);
    resetLightRig();
}

TEST(LightRig, ShadowScenesFollowTheMode) {
    resetLightRig();
    rig.mode = RIG_PART_A;
    EXPECT_EQ(rigShadowScene(0), 0);
    EXPECT_EQ(rigShadowScene(1), -1);   // part A: the first light only
    EXPECT_EQ(rigScreenScene(), 0);
    rig.mode = RIG_PART_B;
    EXPECT_EQ(rigShadowScene(0), 2);
    EXPECT_EQ(rigShadowScene(1), 2);
    EXPECT_EQ(rigScreenScene(), 2);
    rig.mode = RIG_PART_C;
    rig.variant = 1;
    EXPECT_EQ(rigShadowScene(1), 4);
    EXPECT_EQ(rigScreenScene(), 4);
    rig.variant = 0;
    EXPECT_EQ(rigShadowScene(1), 3);
}

}  // namespace
