// The end-of-frame composite: its grade, title and fade logic against the driven clock, and whole
// composited frames read back on the virtual display.
#include <gtest/gtest.h>

#include "render/composite.h"
#include "render/render_targets.h"
#include "shell/clock.h"
#include "shell/dispatcher.h"
#include "shell/keyboard.h"
#include "tests/render_test_support.h"
#include "tests/test_support.h"

// Frames of the composite's logic at exact times (ms on both clocks).
struct CompositeLogic : ::testing::Test {
    float fade = 0.0f;
    void SetUp() override {
        startAtTimeZero();
        resetComposite();
        partstarttime = 0;
        frameFactor = 1.0f;
    }
    void frame(int nowMs) {
        setDrivenCounter(nowMs);
        frameTime = nowMs;
        pollKeyboard();
        updateGradeAndTitles();
        fade = updateFadeOut();
        clearInjectedKeys();
    }
    void frameWithKey(int key, int nowMs) {
        injectKey(key, nowMs);
        frame(nowMs);
    }
};

TEST_F(CompositeLogic, GradeStaysInMode3UntilTheKey8) {
    for (int t = 1000; t <= 5000; t += 500) {
        frame(t);
        const CompositeState &s = compositeState();
        EXPECT_EQ(3, s.gradeMode);
        EXPECT_EQ(0, s.swapbg);
        EXPECT_FLOAT_EQ(1.0f, s.factorr);
        EXPECT_FLOAT_EQ(1.0f, s.factorb);
        EXPECT_FLOAT_EQ(0.0f, s.gradeMix);
    }
    frameWithKey(KEY_8, 6000);
    const CompositeState &s = compositeState();
    EXPECT_EQ(1, s.gradeMode);
    EXPECT_EQ(-1, s.swapbg);
    EXPECT_FLOAT_EQ(1.05f, s.factorr);
    EXPECT_FLOAT_EQ(1.4f, s.factorg);
    EXPECT_FLOAT_EQ(2.0f, s.factorb);
    EXPECT_FLOAT_EQ(1.0f, s.gradeMix);
}

TEST_F(CompositeLogic, FadeOutReachesBlack500MsAfterTheKeyAndStays) {
    frame(1000);
    EXPECT_FLOAT_EQ(0.0f, fade);
    EXPECT_FALSE(compositeState().fadeOut);
    showOutroPicture(1);
    EXPECT_FLOAT_EQ(0.6f, outroAlpha(fade));
    frameWithKey(KEY_O, 4000);
    EXPECT_TRUE(compositeState().fadeOut);
    frame(4250);
    EXPECT_NEAR(0.5f, fade, 0.01f);
    EXPECT_NEAR(0.3f, outroAlpha(fade), 0.01f);
    frame(4499);
    EXPECT_LT(fade, 1.0f);
    frame(4500);
    EXPECT_FLOAT_EQ(1.0f, fade);
    frame(60000);
    EXPECT_FLOAT_EQ(1.0f, fade);
    EXPECT_FLOAT_EQ(0.0f, outroAlpha(fade));
}

// Whole frames through finalComposite: targets, programs and textures as loading makes them.
struct CompositeFrames : CompositeLogic {
    void SetUp() override {
        if (!openTestGlContext()) GTEST_SKIP() << "no display";
        CompositeLogic::SetUp();
        static bool built = false;
        if (!built) {
            enterShowDir();
            initRenderTargets();
            initComposite();
            built = true;
        }
        glViewport(0, 0, SCREEN_WIDTH, SCREEN_HEIGHT);
        glActiveTexture(GL_TEXTURE0);
        glEnable(GL_TEXTURE_2D);
    }
    // The part's picture: a dark blue room with a mid-grey block left of centre.
    void composite(int nowMs) {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glClearColor(0.1f, 0.25f, 0.9f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glEnable(GL_SCISSOR_TEST);
        glScissor(400, 300, 600, 400);
        glClearColor(0.5f, 0.5f, 0.5f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        glDisable(GL_SCISSOR_TEST);
        setDrivenCounter(nowMs);
        frameTime = nowMs;
        pollKeyboard();
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
        finalComposite();
        clearInjectedKeys();
    }
};

TEST_F(CompositeFrames, GradeChangeShowsAndTheFadeEndsBlack) {
    testing::internal::CaptureStderr();
    composite(1000);
    grabFrame(0, SCREEN_WIDTH, SCREEN_HEIGHT, "composite_mode3");
    const Rgb before = readPixel(0, 700, 500);
    EXPECT_GT(before.r + before.g + before.b, 150);

    injectKey(KEY_8, 2000);
    composite(2000);
    composite(3000);
    grabFrame(0, SCREEN_WIDTH, SCREEN_HEIGHT, "composite_mode1");
    const Rgb after = readPixel(0, 700, 500);
    EXPECT_GT(after.b, before.b + 20) << "mode 1 doubles blue";

    injectKey(KEY_O, 4000);
    composite(4000);
    composite(4250);
    grabFrame(0, SCREEN_WIDTH, SCREEN_HEIGHT, "composite_fading");
    const Rgb half = readPixel(0, 700, 500);
    EXPECT_LT(half.b, after.b);
    EXPECT_GT(half.b, 10);
    composite(4500);
    grabFrame(0, SCREEN_WIDTH, SCREEN_HEIGHT, "composite_black");
    const int probes[][2] = {{700, 500}, {10, 10}, {1900, 1070}, {1600, 100}, {960, 540}};
    for (auto &p : probes) {
        const Rgb c = readPixel(0, p[0], p[1]);
        EXPECT_EQ(0, c.r + c.g + c.b) << p[0] << "," << p[1];
    }
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::string::npos, errors.find("ERROR")) << errors;
}
