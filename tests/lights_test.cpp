// The light table: what applyLights hands to fixed-function GL and to the shader arrays, the room
// setter, and the colour cross-fade after a part change.
#include <gtest/gtest.h>
#include <string.h>
#include <string>

#include "core/clock.h"
#include "platform/gl.h"
#include "render/lights.h"
#include "tests/test_support.h"

struct Lights : ::testing::Test {
    void SetUp() override {
        if (!openTestGlContext()) GTEST_SKIP() << "no display";
        memset(&lightTable, 0, sizeof lightTable);
        memset(&lightArrays, 0, sizeof lightArrays);
        resetLights();
        startAtTimeZero();
    }
    static void setLight(int i, float value) {
        lightTable.enabled[i] = 1;
        for (int c = 0; c < 4; c++) {
            lightTable.position[i][c] = value + c;
            lightTable.ambient[i][c] = value * 0.1f;
            lightTable.diffuse[i][c] = value * 0.2f;
            lightTable.specular[i][c] = value * 0.3f;
        }
    }
};

TEST_F(Lights, DisabledLightsReadZeroAndKeepTheirOldArrayValues) {
    testing::internal::CaptureStderr();
    setLight(3, 5.0f);
    setLight(13, 1.0f);   // beyond the fixed-function lights: shader arrays only
    applyLights();
    EXPECT_FLOAT_EQ(1.0f, lightArrays.enabled[3]);
    EXPECT_FLOAT_EQ(6.0f, lightArrays.posy[3]);
    EXPECT_FLOAT_EQ(1.0f, lightArrays.diffuser[3]);
    EXPECT_TRUE(glIsEnabled(GL_LIGHT3));
    GLfloat value = 0.0f;
    glGetLightfv(GL_LIGHT3, GL_LINEAR_ATTENUATION, &value);
    EXPECT_FLOAT_EQ(0.1f, value);
    glGetLightfv(GL_LIGHT3, GL_SPOT_CUTOFF, &value);
    EXPECT_FLOAT_EQ(180.0f, value);

    setLight(3, 9.0f);
    lightTable.enabled[3] = 0;
    applyLights();
    EXPECT_FLOAT_EQ(0.0f, lightArrays.enabled[3]);
    EXPECT_FALSE(glIsEnabled(GL_LIGHT3));
    EXPECT_FLOAT_EQ(6.0f, lightArrays.posy[3]) << "old value kept";
    EXPECT_FLOAT_EQ(1.0f, lightArrays.diffuser[3]);
    EXPECT_FLOAT_EQ(1.5f, lightArrays.specularg[3]);
    EXPECT_FLOAT_EQ(0.0f, lightArrays.enabled[4]) << "never-enabled light";
    EXPECT_FLOAT_EQ(1.0f, lightArrays.enabled[13]);
    EXPECT_FLOAT_EQ(1.0f, lightArrays.posx[13]);
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::string::npos, errors.find("ERROR")) << errors;
}

TEST_F(Lights, RoomSetterPlacesTheMovingAndLowLights) {
    movingLightPosition[0] = 1.0f, movingLightPosition[1] = 2.0f, movingLightPosition[2] = 3.0f;
    setRoomLights(0.6f);
    EXPECT_FLOAT_EQ(1.0f, lightArrays.posx[2]);
    EXPECT_FLOAT_EQ(3.0f, lightArrays.posz[2]);
    EXPECT_FLOAT_EQ(2.0f, lightArrays.posy[3]);   // 2.6 - h
    EXPECT_FLOAT_EQ(0.1428571f, lightTable.invRadius[4]);
    EXPECT_FLOAT_EQ(0.927451f, lightArrays.diffuseb[1]);
    for (int i = 0; i < MAX_LIGHTS; i++) EXPECT_FLOAT_EQ(i <= 4 ? 1.0f : 0.0f, lightArrays.enabled[i]) << i;
    for (int i = 0; i < MAX_LIGHTS; i++) EXPECT_FLOAT_EQ(0.5f, lightTable.mapSelect[i]);
    // Part B's second set switches fill lights on with the fade value's strength.
    setPartBLights(0.6f, 2.5f);
    EXPECT_FLOAT_EQ(1.0f, lightArrays.enabled[6]);
    const float strong = lightArrays.diffuser[6];
    setPartBLights(0.6f, 0.5f);
    EXPECT_NEAR(strong / 5.0f, lightArrays.diffuser[6], 1e-6f);
}

TEST_F(Lights, CrossFadeBlendsOver150FramesThenFollowsTheSetter) {
    setPartALights(0.0f);
    snapshotLightColours();
    const float fromBlue = lightTable.diffuse[0][2];
    setPartCLights(0.0f);
    const float toBlue = lightTable.diffuse[0][2];
    ASSERT_NE(fromBlue, toBlue);

    requestLightCrossFade(1000);
    setDrivenCounter(1000 + 1250);   // 75 frames
    crossFadeLightColours();
    EXPECT_NEAR((fromBlue + toBlue) * 0.5f, lightArrays.diffuseb[0], 1e-3f);
    EXPECT_TRUE(lightCrossFadePending());

    setPartCLights(0.0f);
    setDrivenCounter(1000 + 2499);
    crossFadeLightColours();
    EXPECT_TRUE(lightCrossFadePending());
    setPartCLights(0.0f);
    setDrivenCounter(1000 + 2500);   // 150 frames
    crossFadeLightColours();
    EXPECT_FALSE(lightCrossFadePending());
    EXPECT_FLOAT_EQ(toBlue, lightArrays.diffuseb[0]);

    // Afterwards the setter's colours stand as written.
    setPartALights(0.0f);
    crossFadeLightColours();
    EXPECT_FLOAT_EQ(fromBlue, lightArrays.diffuseb[0]);
}
