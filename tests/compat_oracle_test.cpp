// The ES layer's pieces against the compatibility profile itself, on a compatibility context: its
// matrix stack against GL's own after the same calls, and its mipmap chain against GLU's, bit for bit.
#include <gtest/gtest.h>
#include <string.h>

#include "glcompat/glu_standin.h"
#include "glcompat/matrix_stack.h"
#include "platform/gl.h"
#include "tests/test_support.h"

#undef gluPerspective
#undef gluLookAt
#undef gluBuild2DMipmaps

static void expectSameBits(const float *expected, const float *actual, const char *what) {
    for (int i = 0; i < 16; i++)
        EXPECT_EQ(0, memcmp(&expected[i], &actual[i], sizeof(float)))
            << what << " element " << i << ": GL " << expected[i] << ", layer " << actual[i];
}

// One sequence of matrix calls, made on GL's stacks and on the layer's.
struct MatrixCalls {
    double fov, aspect, nearZ, farZ;
    double eye[3], centre[3], up[3];
    float translation[3], angles[3];
};

static void callGl(const MatrixCalls &c) {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    ::gluPerspective(c.fov, c.aspect, c.nearZ, c.farZ);
    ::gluLookAt(c.eye[0], c.eye[1], c.eye[2], c.centre[0], c.centre[1], c.centre[2], c.up[0], c.up[1], c.up[2]);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(c.translation[0], c.translation[1], c.translation[2]);
    glRotatef(c.angles[0], 0.0f, 0.0f, 1.0f);
    glRotatef(c.angles[1], 0.0f, 1.0f, 0.0f);
    glRotatef(c.angles[2], 1.0f, 0.0f, 0.0f);
    glRotatef(c.angles[0], 0.3f, -0.5f, 0.8f);
    glPushMatrix();
    glOrtho(0.0, 1920.0, 0.0, 1080.0, -1.0, 1.0);
    glPopMatrix();
}

static void callLayer(const MatrixCalls &c) {
    resetMatrixStacks();
    matrixMode(GL_PROJECTION);
    loadIdentity();
    perspectiveStandIn(c.fov, c.aspect, c.nearZ, c.farZ);
    lookAtStandIn(c.eye[0], c.eye[1], c.eye[2], c.centre[0], c.centre[1], c.centre[2], c.up[0], c.up[1], c.up[2]);
    matrixMode(GL_MODELVIEW);
    loadIdentity();
    translate(c.translation[0], c.translation[1], c.translation[2]);
    rotate(c.angles[0], 0.0f, 0.0f, 1.0f);
    rotate(c.angles[1], 0.0f, 1.0f, 0.0f);
    rotate(c.angles[2], 1.0f, 0.0f, 0.0f);
    rotate(c.angles[0], 0.3f, -0.5f, 0.8f);
    pushMatrix();
    ortho(0.0, 1920.0, 0.0, 1080.0, -1.0, 1.0);
    popMatrix();
}

TEST(CompatOracle, MatricesAreGlsOwnBitForBit) {
    if (!openTestGlContext()) GTEST_SKIP() << "no display";
    const MatrixCalls cases[] = {
        {35.0, 1.7777778, 0.1, 500.0, {3.5, 2.25, -7.0}, {0.0, 1.0, 0.0}, {0.0, 1.0, 0.0}, {1.5f, -2.0f, -20.0f},
         {33.3f, -71.9f, 190.25f}},
        {90.0, 1.0, 0.05, 60.0, {0.0, 0.0, 0.0}, {0.0, 0.0, -1.0}, {0.0, -1.0, 0.0}, {0.0f, 5.5f, 0.0f},
         {-90.0f, 90.0f, 12.5f}},
        {72.5, 1.3333, 1.0, 1000.0, {-11.0, 40.0, 3.0}, {2.0, -3.0, 9.0}, {0.2, 0.9, 0.1}, {0.001f, 1e4f, -3.0f},
         {359.99f, 0.01f, -720.5f}},
    };
    for (const MatrixCalls &c : cases) {
        callGl(c);
        callLayer(c);
        float gl[16];
        glGetFloatv(GL_PROJECTION_MATRIX, gl);
        expectSameBits(gl, projectionMatrix(), "projection");
        glGetFloatv(GL_MODELVIEW_MATRIX, gl);
        expectSameBits(gl, modelviewMatrix(), "modelview");
    }
    EXPECT_EQ(GL_NO_ERROR, glGetError());
}

// Reads every level of the bound texture, tight rows.
static int readLevels(int components, int width, int height, uint8_t *out) {
    const GLenum format = components == 4 ? GL_RGBA : GL_RGB;
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    int offset = 0;
    for (int level = 0;; level++) {
        glGetTexImage(GL_TEXTURE_2D, level, format, GL_UNSIGNED_BYTE, out + offset);
        offset += width * height * components;
        if (width == 1 && height == 1) return offset;
        width = width > 1 ? width / 2 : 1;
        height = height > 1 ? height / 2 : 1;
    }
}

// The layer's chain in memory, as its builder uploads it.
static int layerLevels(int components, int width, int height, const uint8_t *pixels, uint8_t *out) {
    static uint8_t scratch[2][512 * 512 * 4];
    int w = nearestPowerOfTwo(width), h = nearestPowerOfTwo(height);
    if (w == width && h == height) memcpy(scratch[0], pixels, (size_t)width * height * components);
    else scaleBytes(components, width, height, pixels, w, h, scratch[0]);
    int offset = 0, current = 0;
    for (;;) {
        memcpy(out + offset, scratch[current], (size_t)w * h * components);
        offset += w * h * components;
        if (w == 1 && h == 1) return offset;
        halveBytes(components, w, h, scratch[current], scratch[1 - current]);
        current = 1 - current;
        w = w > 1 ? w / 2 : 1;
        h = h > 1 ? h / 2 : 1;
    }
}

TEST(CompatOracle, MipmapsAreGlusOwnBitForBit) {
    if (!openTestGlContext()) GTEST_SKIP() << "no display";
    static uint8_t pixels[300 * 200 * 4], expected[512 * 512 * 4 * 2], actual[512 * 512 * 4 * 2];
    // Powers of two (the show's pictures), a strip, and sides GLU scales first (up and down).
    const struct {
        int components, width, height;
    } cases[] = {{3, 64, 64}, {4, 256, 16}, {3, 1, 32}, {4, 100, 60}, {3, 300, 200}, {4, 5, 3}};
    unsigned seed = 12345;
    for (const auto &c : cases) {
        for (int i = 0; i < c.width * c.height * c.components; i++) {
            seed = seed * 1103515245u + 12345u;
            pixels[i] = (uint8_t)(seed >> 16);
        }
        GLuint texture = 0;
        glGenTextures(1, &texture);
        glBindTexture(GL_TEXTURE_2D, texture);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        const GLenum format = c.components == 4 ? GL_RGBA : GL_RGB;
        ASSERT_EQ(0, ::gluBuild2DMipmaps(GL_TEXTURE_2D, c.components, c.width, c.height, format, GL_UNSIGNED_BYTE,
                                         pixels));
        const int w = nearestPowerOfTwo(c.width), h = nearestPowerOfTwo(c.height);
        const int bytes = readLevels(c.components, w, h, expected);
        ASSERT_EQ(bytes, layerLevels(c.components, c.width, c.height, pixels, actual));
        int differing = 0;
        for (int i = 0; i < bytes; i++) differing += expected[i] != actual[i];
        EXPECT_EQ(0, differing) << c.width << " x " << c.height << " x " << c.components << ": " << differing
                                << " of " << bytes << " bytes differ";
        glDeleteTextures(1, &texture);
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    EXPECT_EQ(GL_NO_ERROR, glGetError());
}
