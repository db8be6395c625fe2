// The end-of-frame composite's grade, title and fade logic against the driven clock. Its pictures
// are watched by the show's reference pictures (show_test), which grade and fade real frames.
#include <gtest/gtest.h>

#include "core/clock.h"
#include "core/keyboard.h"
#include "render/composite.h"
#include "shell/dispatcher.h"
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
