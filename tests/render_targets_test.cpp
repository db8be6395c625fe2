// The render-target pool (sizes, formats, completeness, creation order, what initialisation
// leaves bound) and the state the screen-space draws leave behind.
#include <gtest/gtest.h>
#include <string>

#include "render/render_targets.h"
#include "render/shadow.h"
#include "tests/render_test_support.h"
#include "tests/test_support.h"

static std::string initLog;
static GLuint environmentName = 0;

// Builds the pool once per process, as loading does: the environment target first.
struct RenderTargets : ::testing::Test {
    void SetUp() override {
        if (!openTestGlContext()) GTEST_SKIP() << "no display";
        static bool built = false;
        if (built) return;
        built = true;
        enterShowDir();
        initEnvironmentTarget();
        environmentName = envTarget.framebuffer;
        testing::internal::CaptureStdout();
        EXPECT_TRUE(initRenderTargets());
        GLint bound = 0, viewport[4] = {0, 0, 0, 0};
        glGetIntegerv(GL_FRAMEBUFFER_BINDING, &bound);
        glGetIntegerv(GL_VIEWPORT, viewport);
        EXPECT_EQ((GLint)fb1.framebuffer, bound);
        EXPECT_EQ(SCREEN_WIDTH, viewport[2]);
        EXPECT_EQ(SCREEN_HEIGHT, viewport[3]);
        initShadowTargets();
        buildShadowPrograms();
        initLog = testing::internal::GetCapturedStdout();
    }
    static void expectTarget(const RenderTarget &t, int width, int height, bool multisample, GLint format) {
        glBindFramebuffer(GL_FRAMEBUFFER, t.framebuffer);
        EXPECT_EQ((GLenum)GL_FRAMEBUFFER_COMPLETE, glCheckFramebufferStatus(GL_FRAMEBUFFER)) << t.framebuffer;
        const GLenum target = t.colourTarget;
        if (!multisample) {
            EXPECT_EQ((GLenum)GL_TEXTURE_2D, target);
        }
        glBindTexture(target, t.colour);
        GLint w = 0, h = 0, samples = 0, internal = 0;
        glGetTexLevelParameteriv(target, 0, GL_TEXTURE_WIDTH, &w);
        glGetTexLevelParameteriv(target, 0, GL_TEXTURE_HEIGHT, &h);
        glGetTexLevelParameteriv(target, 0, GL_TEXTURE_SAMPLES, &samples);
        glGetTexLevelParameteriv(target, 0, GL_TEXTURE_INTERNAL_FORMAT, &internal);
        EXPECT_EQ(width, w);
        EXPECT_EQ(height, h);
        EXPECT_EQ(width, t.width);
        // One sample per pixel: a driver that rounds one sample up (llvmpipe gives 4) gets a
        // single-sample target instead, so the room is never antialiased behind our back.
        if (target == GL_TEXTURE_2D_MULTISAMPLE) EXPECT_EQ(1, samples);
        else EXPECT_EQ(0, samples);
        GLint framebufferSamples = -1;
        glGetIntegerv(GL_SAMPLES, &framebufferSamples);
        EXPECT_LE(framebufferSamples, 1) << t.framebuffer;
        EXPECT_EQ(format, internal) << std::hex << internal;
        glBindTexture(target, 0);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
    }
};

TEST_F(RenderTargets, EveryTargetIsCompleteWithItsSizeAndFormat) {
    for (int i = 0; i < FX_RING_SIZE; i++) expectTarget(fxfb[i], 960, 540, false, GL_RGB);
    expectTarget(fxfbms, 960, 540, true, GL_RGB);
    expectTarget(fb1, 1920, 1080, false, GL_RGBA);
    expectTarget(fb2, 1920, 1080, true, GL_RGB);
    expectTarget(fb3, 1920, 1080, false, GL_RGB);
    expectTarget(fb4, 1920, 1080, false, GL_RGB);
    expectTarget(fb5, 1920, 1080, false, GL_RGB);
    expectTarget(fb6, 1920, 1080, true, GL_RGB);
    expectTarget(shmap1, 1024, 4096, false, GL_RGB);
    expectTarget(shmap2, 1024, 1024, false, GL_RGB);
    expectTarget(shmap3, 1024, 1024, false, GL_RGB);
}

TEST_F(RenderTargets, FramebufferNamesFollowCreationOrderAfterTheEnvironmentTarget) {
    for (int i = 0; i < FX_RING_SIZE; i++) EXPECT_EQ(environmentName + 1 + i, fxfb[i].framebuffer);
    const RenderTarget *order[] = {&fxfbms, &fb1, &fb2, &fb3, &fb4, &fb5, &fb6, &shmap1, &shmap2, &shmap3};
    GLuint expected = environmentName + 1 + FX_RING_SIZE;
    for (const RenderTarget *t : order) EXPECT_EQ(expected++, t->framebuffer);
}

TEST_F(RenderTargets, InitialisationReportsEachTarget) {
    char line[64];
    snprintf(line, sizeof line, "fb1 init %u, %u\n", fb1.framebuffer, fb1.colour);
    EXPECT_NE(std::string::npos, initLog.find("fx fb init done\n"));
    EXPECT_NE(std::string::npos, initLog.find(line)) << initLog;
    snprintf(line, sizeof line, "fb2 init %u, %u\n", fb6.framebuffer, fb6.colour);
    EXPECT_NE(std::string::npos, initLog.find(line)) << "fb6 reports as fb2";
    snprintf(line, sizeof line, "fb3 init %u, %u\n", fb5.framebuffer, fb5.colour);
    EXPECT_NE(std::string::npos, initLog.find(line)) << "fb5 reports as fb3";
    EXPECT_EQ(std::string::npos, initLog.find("can't create"));
    EXPECT_NE(0u, shadowPrograms.spotDepth);
    EXPECT_NE(0u, shadowPrograms.copyPass);
}

TEST_F(RenderTargets, ScreenDrawsLeaveTheirDocumentedState) {
    glBindFramebuffer(GL_FRAMEBUFFER, fb3.framebuffer);
    glViewport(0, 0, SCREEN_WIDTH, SCREEN_HEIGHT);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
    GLint projectionDepth = 0, modelviewDepth = 0, after = 0;
    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &projectionDepth);
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &modelviewDepth);
    glUseProgram(0);
    glColor4f(0.2f, 0.2f, 0.2f, 1.0f);
    drawFullscreenPass();
    EXPECT_TRUE(glIsEnabled(GL_BLEND)) << "blending is left on even if it was off";
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    glGetIntegerv(GL_PROJECTION_STACK_DEPTH, &after);
    EXPECT_EQ(projectionDepth, after);
    glGetIntegerv(GL_MODELVIEW_STACK_DEPTH, &after);
    EXPECT_EQ(modelviewDepth, after);
    const Rgb full = readPixel(fb3.framebuffer, 5, 1075);
    EXPECT_EQ(255, full.r) << "covered in white";

    // A rectangle in pixel space, origin bottom left, half transparent over black.
    glClear(GL_COLOR_BUFFER_BIT);
    glColor4f(1.0f, 1.0f, 1.0f, 0.5f);
    drawRect(100.0f, 50.0f, 300.0f, 150.0f);
    EXPECT_NEAR(128, readPixel(fb3.framebuffer, 200, 100).r, 1);
    EXPECT_EQ(0, readPixel(fb3.framebuffer, 200, 160).r);
    EXPECT_EQ(0, readPixel(fb3.framebuffer, 99, 100).r);
    GLint source = 0;
    glGetIntegerv(GL_BLEND_SRC_RGB, &source);
    EXPECT_EQ(GL_SRC_ALPHA, source);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}
