// Immediate mode, rectangles and display lists drawn through whatever context the test program has:
// the compatibility profile's own (compat_draw_test) and the ES layer's (compat_draw_test_es, the same
// program with LIGHTRIG_TEST_GL=es). Both must give the one picture worked out here pixel by pixel:
// the colours are exact in 8 bits and every edge lies between pixel centres.
#include <gtest/gtest.h>

#include "platform/gl.h"
#include "platform/platform.h"
#include "tests/test_support.h"

constexpr int VIEW_W = 256;   // pixels of the part of the window drawn and read back
constexpr int VIEW_H = 128;
static unsigned char pixels[VIEW_W * VIEW_H * 4];

struct Box {
    int x0, y0, x1, y1;            // pixels [x0, x1) x [y0, y1)
    unsigned char r, g, b;
};

static const float LEVEL_51 = 51.0f / 255.0f;   // exact in 8 bits

static void startPicture() {
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glViewport(0, 0, VIEW_W, VIEW_H);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
    glUseProgram(0);
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, VIEW_W, 0.0, VIEW_H, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

static void readPicture() {
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, VIEW_W, VIEW_H, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
}

// Every pixel inside one of the boxes has its colour (the later box wins), every other one is black.
static void expectPicture(const Box *boxes, int count) {
    int wrong = 0;
    for (int y = 0; y < VIEW_H; y++) {
        for (int x = 0; x < VIEW_W; x++) {
            unsigned char want[3] = {0, 0, 0};
            for (int i = 0; i < count; i++) {
                const Box &b = boxes[i];
                if (x >= b.x0 && x < b.x1 && y >= b.y0 && y < b.y1) {
                    want[0] = b.r;
                    want[1] = b.g;
                    want[2] = b.b;
                }
            }
            const unsigned char *got = &pixels[(y * VIEW_W + x) * 4];
            if (got[0] != want[0] || got[1] != want[1] || got[2] != want[2]) {
                if (wrong++ < 5)
                    ADD_FAILURE() << "pixel " << x << "," << y << ": " << (int)got[0] << " " << (int)got[1] << " "
                                  << (int)got[2] << ", expected " << (int)want[0] << " " << (int)want[1] << " "
                                  << (int)want[2];
            }
        }
    }
    EXPECT_EQ(0, wrong) << "pixels off the expected picture";
}

TEST(CompatDraw, QuadsTrianglesAndRectanglesInImmediateMode) {
    if (!openTestGlContext()) GTEST_SKIP() << "no display";
    startPicture();
    glColor4f(1.0f, LEVEL_51, 0.0f, 1.0f);
    glBegin(GL_QUADS);
    glVertex2f(10.0f, 10.0f);
    glVertex2f(60.0f, 10.0f);
    glVertex2f(60.0f, 40.0f);
    glVertex2f(10.0f, 40.0f);
    glEnd();
    // A triangle pair with a colour per vertex, all the same: the vertex colour is what is kept.
    glBegin(GL_TRIANGLES);
    glColor4f(0.0f, 1.0f, LEVEL_51, 1.0f);
    glVertex3f(70.0f, 10.0f, 0.0f);
    glVertex3f(100.0f, 10.0f, 0.0f);
    glVertex3f(100.0f, 50.0f, 0.0f);
    glVertex3f(70.0f, 10.0f, 0.0f);
    glVertex3f(100.0f, 50.0f, 0.0f);
    glVertex3f(70.0f, 50.0f, 0.0f);
    glEnd();
    // A rectangle under a translation of the modelview matrix, inside a push and pop.
    glPushMatrix();
    glTranslatef(100.0f, 60.0f, 0.0f);
    glColor4f(0.0f, 0.0f, 1.0f, 1.0f);
    glRectf(10.0f, 10.0f, 50.0f, 30.0f);
    glPopMatrix();
    // After the pop the same rectangle lands untranslated.
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    glRectf(200.0f, 10.0f, 220.0f, 20.0f);
    readPicture();
    const Box boxes[] = {
        {10, 10, 60, 40, 255, 51, 0},
        {70, 10, 100, 50, 0, 255, 51},
        {110, 70, 150, 90, 0, 0, 255},
        {200, 10, 220, 20, 255, 255, 255},
    };
    expectPicture(boxes, 4);
}

TEST(CompatDraw, DisplayListPlaysUnderTheMatricesOfItsCall) {
    if (!openTestGlContext()) GTEST_SKIP() << "no display";
    startPicture();
    // Compiled once with its colour; nothing is drawn while it is compiled.
    const GLuint list = glGenLists(1);
    ASSERT_NE(0u, list);
    glNewList(list, GL_COMPILE);
    glColor4f(LEVEL_51, 1.0f, 1.0f, 1.0f);
    glBegin(GL_QUADS);
    glVertex3f(0.0f, 0.0f, 0.0f);
    glVertex3f(20.0f, 0.0f, 0.0f);
    glVertex3f(20.0f, 20.0f, 0.0f);
    glVertex3f(0.0f, 20.0f, 0.0f);
    glEnd();
    glEndList();
    readPicture();
    expectPicture(nullptr, 0);

    // Played three times, each under the modelview matrix in force at the call.
    for (int i = 0; i < 3; i++) {
        glLoadIdentity();
        glTranslatef(10.0f + 40.0f * (float)i, 30.0f + 10.0f * (float)i, 0.0f);
        glCallList(list);
    }
    readPicture();
    const Box boxes[] = {
        {10, 30, 30, 50, 51, 255, 255},
        {50, 40, 70, 60, 51, 255, 255},
        {90, 50, 110, 70, 51, 255, 255},
    };
    expectPicture(boxes, 3);
}

static void drawSquare(float x, float y) {
    glBegin(GL_QUADS);
    glVertex2f(x, y);
    glVertex2f(x + 20.0f, y);
    glVertex2f(x + 20.0f, y + 20.0f);
    glVertex2f(x, y + 20.0f);
    glEnd();
}

// A program that reads the built-in matrices and light 0 sees each change made since its previous
// draw: a popped matrix, restored attributes and a set light each come straight before a draw, so
// a layer that kept what it uploaded for the draw before would put the square in the wrong place or
// colour. A material set is among them too: no built-in a program reads holds it, and the light's
// colour must come through unchanged.
TEST(CompatDraw, BuiltinStateReachesTheDrawRightAfterEachChange) {
    if (!openTestGlContext()) GTEST_SKIP() << "no display";
    startPicture();
    const GLuint program = buildTestProgram(
        "#version 120\nvoid main() { gl_Position = gl_ModelViewProjectionMatrix * gl_Vertex; }\n",
        "#version 120\nvoid main() { gl_FragColor = vec4(gl_LightSource[0].diffuse.rgb, 1.0); }\n");
    const float red[4] = {1.0f, 0.0f, 0.0f, 1.0f}, green[4] = {0.0f, 1.0f, LEVEL_51, 1.0f};
    const float blue[4] = {0.0f, 0.0f, 1.0f, 1.0f}, grey[4] = {LEVEL_51, LEVEL_51, LEVEL_51, 1.0f};
    glUseProgram(program);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, red);
    drawSquare(10.0f, 10.0f);
    // Translated inside a push, then popped: the next square lands where it is drawn.
    glPushMatrix();
    glTranslatef(40.0f, 60.0f, 0.0f);
    drawSquare(10.0f, 10.0f);
    glPopMatrix();
    drawSquare(40.0f, 10.0f);
    // A light set.
    glLightfv(GL_LIGHT0, GL_DIFFUSE, green);
    drawSquare(70.0f, 10.0f);
    // A light changed inside a push of the attributes and drawn with, then restored.
    glPushAttrib(GL_LIGHTING_BIT);
    glLightfv(GL_LIGHT0, GL_DIFFUSE, blue);
    drawSquare(100.0f, 10.0f);
    glPopAttrib();
    drawSquare(130.0f, 10.0f);
    // A material set.
    glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, grey);
    drawSquare(160.0f, 10.0f);
    glUseProgram(0);
    glDeleteProgram(program);
    readPicture();
    const Box boxes[] = {
        {10, 10, 30, 30, 255, 0, 0},       {50, 70, 70, 90, 255, 0, 0},   {40, 10, 60, 30, 255, 0, 0},
        {70, 10, 90, 30, 0, 255, 51},      {100, 10, 120, 30, 0, 0, 255}, {130, 10, 150, 30, 0, 255, 51},
        {160, 10, 180, 30, 0, 255, 51},
    };
    expectPicture(boxes, 7);
    EXPECT_EQ(GL_NO_ERROR, glGetError());
}
