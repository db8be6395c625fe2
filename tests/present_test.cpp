// The off-screen screen target: the engine's framebuffer-0 code draws the same picture into it as
// into the window, and the scaled presentation puts that picture between black bars.
#include <gtest/gtest.h>

#include <string.h>

#include "platform/gl.h"
#include "platform/platform.h"
#include "shell/present.h"
#include "tests/test_support.h"

static unsigned char native[SCREEN_WIDTH * SCREEN_HEIGHT * 3];
static unsigned char redirected[SCREEN_WIDTH * SCREEN_HEIGHT * 3];

// Draws on "the screen" the way engine code does: bind 0, window buffer names, depth test (the far
// blue triangle is drawn after the near green one and must stay behind it); a red triangle sits in
// the top left corner. Client arrays rather than glBegin/glEnd keep the loader's error check quiet.
static void drawTestScene() {
    static const GLfloat vertices[] = {
        -0.5f, -0.5f, -0.5f,  0.5f, -0.5f, -0.5f,  0.0f, 0.5f, -0.5f,   // green, near
        -0.7f, -0.3f, 0.5f,   0.3f, -0.3f, 0.5f,   -0.2f, 0.7f, 0.5f,   // blue, far, overlapping
        -1.0f, 1.0f, 0.0f,    -0.8f, 1.0f, 0.0f,   -1.0f, 0.8f, 0.0f,   // red, top left
    };
    static const GLfloat colours[] = {
        0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 0, 1, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0, 0, 1, 0, 0,
    };
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDrawBuffer(GL_BACK);
    glReadBuffer(GL_BACK);
    glViewport(0, 0, SCREEN_WIDTH, SCREEN_HEIGHT);
    glClearColor(0.2f, 0.3f, 0.4f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LESS);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, vertices);
    glColorPointer(3, GL_FLOAT, 0, colours);
    glDrawArrays(GL_TRIANGLES, 0, 9);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
    glDisable(GL_DEPTH_TEST);
    glFinish();
}

static const unsigned char *pixel(const unsigned char *rgb, int x, int yFromTop) {
    return rgb + ((size_t)(SCREEN_HEIGHT - 1 - yFromTop) * SCREEN_WIDTH + x) * 3;
}

// Reads a pixel of the window itself, whatever the redirect does with 0.
static void windowPixel(int x, int y, unsigned char *rgb) {
    glad_glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
    glad_glReadBuffer(GL_BACK);
    glad_glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glad_glReadPixels(x, y, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, rgb);
}

TEST(Present, ScreenTargetPictureEqualsTheWindowsAndIsScaledBetweenBars) {
    if (!openTestGlContext()) GTEST_SKIP() << "no display";
    testing::internal::CaptureStderr();

    drawTestScene();
    readShowPicture(native);
    EXPECT_EQ(255, pixel(native, 5, 5)[0]);   // rows come bottom up: the red corner is at the end
    EXPECT_EQ(51, pixel(native, 5, SCREEN_HEIGHT - 6)[0]);   // clear colour, bottom left
    EXPECT_EQ(255, pixel(native, 960, 540)[1]);               // green stays in front of blue

    // The window starts at the show's size: straight to it, until the drawable changes (a resize).
    setUpPresentation(false);
    ASSERT_FALSE(screenTargetActive());
    followDrawableSize(SCREEN_WIDTH, SCREEN_HEIGHT);
    ASSERT_FALSE(screenTargetActive());
    followDrawableSize(1280, 1024);
    ASSERT_TRUE(screenTargetActive());
    drawTestScene();
    GLint bound = 0;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &bound);
    EXPECT_EQ(screenTargetFramebuffer(), (GLuint)bound);
    readShowPicture(redirected);
    int differing = 0, first = -1;
    for (size_t i = 0; i < sizeof native; i++)
        if (native[i] != redirected[i] && differing++ == 0) first = (int)i / 3;
    EXPECT_EQ(0, differing) << "the screen target draws a different picture from pixel (" << first % SCREEN_WIDTH
                            << ", " << first / SCREEN_WIDTH << ") on";

    // A 1280 x 1024 drawable: 1280 x 720 picture, 152-pixel bars above and below.
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 0, 10, 10);
    glColorMask(GL_TRUE, GL_FALSE, GL_TRUE, GL_TRUE);
    glClearColor(0.5f, 0.5f, 0.5f, 0.5f);
    presentScaled(1280, 1024);
    unsigned char rgb[3];
    windowPixel(640, 100, rgb);
    EXPECT_EQ(0, rgb[0] + rgb[1] + rgb[2]) << "bottom bar";
    windowPixel(640, 900, rgb);
    EXPECT_EQ(0, rgb[0] + rgb[1] + rgb[2]) << "top bar";
    windowPixel(1500, 500, rgb);
    EXPECT_EQ(0, rgb[0] + rgb[1] + rgb[2]) << "outside the drawable";
    windowPixel(3, 152 + 717, rgb);
    EXPECT_EQ(255, rgb[0]) << "the red corner, scaled";
    windowPixel(1270, 160, rgb);
    EXPECT_NEAR(0.2 * 255, rgb[0], 1.0);
    EXPECT_NEAR(0.3 * 255, rgb[1], 1.0);
    EXPECT_NEAR(0.4 * 255, rgb[2], 1.0);

    // The engine's state is as it left it.
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &bound);
    EXPECT_EQ(screenTargetFramebuffer(), (GLuint)bound);
    EXPECT_TRUE(glIsEnabled(GL_SCISSOR_TEST));
    GLboolean mask[4];
    glGetBooleanv(GL_COLOR_WRITEMASK, mask);
    EXPECT_FALSE(mask[1]);
    GLfloat clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_FLOAT_EQ(0.5f, clear[0]);
    glDisable(GL_SCISSOR_TEST);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);

    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(std::string::npos, err.find("ERROR")) << err;
}
