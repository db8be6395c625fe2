// The ES layer's pieces against the compatibility profile itself, on a compatibility context: its
// matrix stack against GL's own after the same calls, its mipmap chain against GLU's, and its cube
// lookups (a translated shader reading the faces from a 2D array) against GL's cube map, bit for bit.
#include <gtest/gtest.h>
#include <string.h>

#include "glcompat/glu_standin.h"
#include "glcompat/matrix_stack.h"
#include "glcompat/real_gl.h"   // the stand-in reads the unpack alignment through it
#include "glcompat/shader_translate.h"
#include "platform/gl.h"
#include "tests/test_support.h"

#undef gluPerspective
#undef gluLookAt
#undef gluBuild2DMipmaps
#undef gluScaleImage

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
    compatGluPerspective(c.fov, c.aspect, c.nearZ, c.farZ);
    compatGluLookAt(c.eye[0], c.eye[1], c.eye[2], c.centre[0], c.centre[1], c.centre[2], c.up[0], c.up[1], c.up[2]);
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

// gluScaleImage on its own, as the show calls it for the environment cube's first picture (a
// 256 x 256 BGR picture brought to 512 x 512), and shrinking and stretching to sides of no relation.
TEST(CompatOracle, ScaledImagesAreGlusOwnBitForBit) {
    if (!openTestGlContext()) GTEST_SKIP() << "no display";
    static uint8_t pixels[256 * 256 * 4], expected[512 * 512 * 4], actual[512 * 512 * 4];
    const struct {
        GLenum format;
        int components, width, height, widthOut, heightOut;
    } cases[] = {{GL_BGR, 3, 256, 256, 512, 512}, {GL_RGBA, 4, 100, 60, 37, 91}, {GL_RGB, 3, 64, 64, 64, 64}};
    unsigned seed = 4242;
    realGl.getIntegerv = glad_glGetIntegerv;
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    for (const auto &c : cases) {
        for (int i = 0; i < c.width * c.height * c.components; i++) {
            seed = seed * 1103515245u + 12345u;
            pixels[i] = (uint8_t)(seed >> 16);
        }
        const int bytes = c.widthOut * c.heightOut * c.components;
        ASSERT_EQ(0, ::gluScaleImage(c.format, c.width, c.height, GL_UNSIGNED_BYTE, pixels, c.widthOut, c.heightOut,
                                     GL_UNSIGNED_BYTE, expected));
        ASSERT_EQ(0, compatGluScaleImage(c.format, c.width, c.height, GL_UNSIGNED_BYTE, pixels, c.widthOut, c.heightOut,
                                       GL_UNSIGNED_BYTE, actual));
        int differing = 0;
        for (int i = 0; i < bytes; i++) differing += expected[i] != actual[i];
        EXPECT_EQ(0, differing) << c.width << " x " << c.height << " to " << c.widthOut << " x " << c.heightOut
                                << ": bytes that differ";
    }
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
}

// ---- cube lookups ----

constexpr int CUBE_FACE = 64;    // pixels a side of the level 0 faces
constexpr int CUBE_VIEW = 256;   // pixels a side of the picture drawn and read back

// Directions through every face, their edges and corners (the view turned off the axes), at two
// spreads: magnified, and minified across several levels; the explicit level runs from 0 to 4.
static const char *CUBE_VERTEX = "#version 130\nin vec4 position;\nvoid main() { gl_Position = position; }\n";
static const char *CUBE_FRAGMENT =
    "#version 130\n"
    "uniform samplerCube cube;\n"
    "uniform float spread;\n"
    "uniform float level;   // < 0: the level from the derivatives\n"
    "uniform vec3 forward;\n"
    "void main() {\n"
    "    vec2 uv = gl_FragCoord.xy / 256.0 * 2.0 - 1.0;\n"
    "    vec3 side = normalize(cross(forward, vec3(0.3, 1.0, 0.2)));\n"
    "    vec3 up = cross(side, forward);\n"
    "    vec3 dir = forward + spread * (uv.x * side + uv.y * up);\n"
    "    gl_FragColor = level < 0.0 ? textureCube(cube, dir) : textureLod(cube, dir, level * (uv.x + 1.0));\n"
    "}\n";

// A framebuffer of one RGBA8 renderbuffer of the size, bound, with the viewport on it and depth
// test and blending off.
static GLuint bindColourTarget(int width, int height, GLuint *colour) {
    GLuint framebuffer = 0;
    glGenFramebuffers(1, &framebuffer);
    glGenRenderbuffers(1, colour);
    glBindRenderbuffer(GL_RENDERBUFFER, *colour);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, *colour);
    glViewport(0, 0, width, height);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_BLEND);
    return framebuffer;
}

// Six faces of noise (neighbouring texels far apart, so any change of weights shows), mipmapped
// by GL, into the bound cube map or the bound 2D array.
static void makeCubeFaces(GLenum target) {
    static uint8_t face[CUBE_FACE * CUBE_FACE * 4];
    unsigned seed = 777;
    if (target == GL_TEXTURE_2D_ARRAY)
        glTexImage3D(target, 0, GL_RGBA8, CUBE_FACE, CUBE_FACE, 6, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    for (int f = 0; f < 6; f++) {
        for (uint8_t &byte : face) {
            seed = seed * 1103515245u + 12345u;
            byte = (uint8_t)(seed >> 16);
        }
        if (target == GL_TEXTURE_2D_ARRAY)
            glTexSubImage3D(target, 0, 0, 0, f, CUBE_FACE, CUBE_FACE, 1, GL_RGBA, GL_UNSIGNED_BYTE, face);
        else
            glTexImage2D(GL_TEXTURE_CUBE_MAP_POSITIVE_X + f, 0, GL_RGBA8, CUBE_FACE, CUBE_FACE, 0, GL_RGBA,
                         GL_UNSIGNED_BYTE, face);
    }
    glTexParameteri(target, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(target, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(target, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(target, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glGenerateMipmap(target);
}

// The desktop program of CUBE_VERTEX and the fragment source, and the one of their translations.
static bool buildDesktopAndTranslated(const char *fragmentSource, GLuint programs[2]) {
    static char vertex[4096], fragment[16384];
    EXPECT_TRUE(translateShaderSource(CUBE_VERTEX, STAGE_VERTEX, vertex, sizeof vertex)) << vertex;
    EXPECT_TRUE(translateShaderSource(fragmentSource, STAGE_FRAGMENT, fragment, sizeof fragment)) << fragment;
    if (::testing::Test::HasFailure()) return false;
    programs[0] = buildTestProgram(CUBE_VERTEX, fragmentSource);
    programs[1] = buildTestProgram(vertex, fragment);
    return true;
}

// The same faces as a cube map (textures[0]) and a 2D array (textures[1]), on unit 0.
static void makeCubeAndArray(void (*makeFaces)(GLenum target), GLuint textures[2]) {
    glGenTextures(2, textures);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_CUBE_MAP, textures[0]);
    makeFaces(GL_TEXTURE_CUBE_MAP);
    glBindTexture(GL_TEXTURE_2D_ARRAY, textures[1]);
    makeFaces(GL_TEXTURE_2D_ARRAY);
}

static void drawCubePicture(GLuint program, float spread, float level, const float forward[3], uint8_t *out) {
    static const float quad[8] = {-1, -1, 1, -1, -1, 1, 1, 1};
    glUseProgram(program);
    glUniform1i(glGetUniformLocation(program, "cube"), 0);
    glUniform1f(glGetUniformLocation(program, "spread"), spread);
    glUniform1f(glGetUniformLocation(program, "level"), level);
    glUniform3fv(glGetUniformLocation(program, "forward"), 1, forward);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 0, quad);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    glDisableVertexAttribArray(0);
    glUseProgram(0);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, CUBE_VIEW, CUBE_VIEW, GL_RGBA, GL_UNSIGNED_BYTE, out);
}

TEST(CompatOracle, CubeLookupsThroughTheFaceArrayAreGlsOwnBitForBit) {
    if (!openTestGlContext()) GTEST_SKIP() << "no display";
    GLuint programs[2], textures[2];
    ASSERT_TRUE(buildDesktopAndTranslated(CUBE_FRAGMENT, programs));
    const GLuint desktop = programs[0], translated = programs[1];
    makeCubeAndArray(makeCubeFaces, textures);
    GLuint colour = 0;
    const GLuint framebuffer = bindColourTarget(CUBE_VIEW, CUBE_VIEW, &colour);
    static uint8_t expected[CUBE_VIEW * CUBE_VIEW * 4], actual[CUBE_VIEW * CUBE_VIEW * 4];
    const float forwards[3][3] = {{0.2f, 0.1f, 1.0f}, {-1.0f, 0.9f, -0.8f}, {0.7f, -1.0f, 0.05f}};
    const float spreads[2] = {1.3f, 9.0f};
    const float levels[2] = {-1.0f, 2.0f};
    for (const float *forward : forwards)
        for (float spread : spreads)
            for (float level : levels) {
                drawCubePicture(desktop, spread, level, forward, expected);
                drawCubePicture(translated, spread, level, forward, actual);
                int differing = 0;
                for (int i = 0; i < CUBE_VIEW * CUBE_VIEW; i++)
                    differing += memcmp(expected + i * 4, actual + i * 4, 4) != 0;
                EXPECT_EQ(0, differing) << "forward " << forward[0] << "," << forward[1] << "," << forward[2]
                                        << " spread " << spread << (level < 0.0f ? " implicit level" : " explicit level")
                                        << ": pixels that differ";
            }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteFramebuffers(1, &framebuffer);
    glDeleteRenderbuffers(1, &colour);
    glDeleteTextures(2, textures);
    glDeleteProgram(desktop);
    glDeleteProgram(translated);
    EXPECT_EQ(GL_NO_ERROR, glGetError());
}

// ---- cube faces at ties ----

constexpr int TIE_DIRECTIONS = 76;   // 26 at two lengths, and the 12 edges tilted either way

// Every direction the face choice can tie on: the 26 of the cube's centres, edges and corners (the
// components -1, 0 or 1), again at another length, and each edge's with its zero component made
// small, up and down (the two largest still tie).
static void tieDirections(float out[TIE_DIRECTIONS][3]) {
    int count = 0;
    for (float length : {1.0f, 0.37f})
        for (int x = -1; x <= 1; x++)
            for (int y = -1; y <= 1; y++)
                for (int z = -1; z <= 1; z++)
                    if (x || y || z) {
                        out[count][0] = (float)x * length;
                        out[count][1] = (float)y * length;
                        out[count][2] = (float)z * length;
                        count++;
                    }
    for (int x = -1; x <= 1; x++)
        for (int y = -1; y <= 1; y++)
            for (int z = -1; z <= 1; z++) {
                const int zeros = (x == 0) + (y == 0) + (z == 0);
                if (zeros != 1) continue;
                for (float tilt : {0.3f, -0.3f}) {
                    out[count][0] = x ? (float)x : tilt;
                    out[count][1] = y ? (float)y : tilt;
                    out[count][2] = z ? (float)z : tilt;
                    count++;
                }
            }
}

// Each direction fills a 2 x 2 block (so the implicit lookup's derivatives are zero): columns 2i
// and 2i + 1, the implicit lookup in rows 0-1 and the explicit one in rows 2-3.
static const char *TIE_FRAGMENT =
    "#version 130\n"
    "uniform samplerCube cube;\n"
    "uniform vec3 directions[76];\n"
    "void main() {\n"
    "    vec3 dir = directions[int(gl_FragCoord.x) / 2];\n"
    "    gl_FragColor = gl_FragCoord.y < 2.0 ? textureCube(cube, dir) : textureLod(cube, dir, 0.0);\n"
    "}\n";

// One colour per face, 4 x 4 texels, nearest filtering and one level: the picture shows the face.
static void makeFaceColours(GLenum target) {
    static const uint8_t COLOURS[6][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 0}, {255, 0, 255}, {0, 255, 255}};
    uint8_t face[4 * 4 * 4];
    if (target == GL_TEXTURE_2D_ARRAY)
        glTexImage3D(target, 0, GL_RGBA8, 4, 4, 6, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    for (int f = 0; f < 6; f++) {
        for (int t = 0; t < 16; t++) {
            memcpy(face + t * 4, COLOURS[f], 3);
            face[t * 4 + 3] = 255;
        }
        if (target == GL_TEXTURE_2D_ARRAY)
            glTexSubImage3D(target, 0, 0, 0, f, 4, 4, 1, GL_RGBA, GL_UNSIGNED_BYTE, face);
        else
            glTexImage2D(GL_TEXTURE_CUBE_MAP_POSITIVE_X + f, 0, GL_RGBA8, 4, 4, 0, GL_RGBA, GL_UNSIGNED_BYTE, face);
    }
    glTexParameteri(target, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(target, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(target, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(target, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
}

TEST(CompatOracle, CubeFaceAtTiedComponentsIsTheDesktopsFace) {
    if (!openTestGlContext()) GTEST_SKIP() << "no display";
    GLuint programs[2], textures[2];
    ASSERT_TRUE(buildDesktopAndTranslated(TIE_FRAGMENT, programs));
    makeCubeAndArray(makeFaceColours, textures);
    constexpr int WIDTH = TIE_DIRECTIONS * 2, HEIGHT = 4;
    GLuint colour = 0;
    const GLuint framebuffer = bindColourTarget(WIDTH, HEIGHT, &colour);
    float directions[TIE_DIRECTIONS][3];
    tieDirections(directions);
    static const float quad[8] = {-1, -1, 1, -1, -1, 1, 1, 1};
    static uint8_t pictures[2][WIDTH * HEIGHT * 4];
    for (int p = 0; p < 2; p++) {
        glUseProgram(programs[p]);
        glUniform1i(glGetUniformLocation(programs[p], "cube"), 0);
        glUniform3fv(glGetUniformLocation(programs[p], "directions"), TIE_DIRECTIONS, &directions[0][0]);
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        glEnableVertexAttribArray(0);
        glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 0, quad);
        glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
        glDisableVertexAttribArray(0);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, WIDTH, HEIGHT, GL_RGBA, GL_UNSIGNED_BYTE, pictures[p]);
    }
    glUseProgram(0);
    for (int i = 0; i < TIE_DIRECTIONS; i++)
        for (int row : {0, 2}) {
            const uint8_t *desktop = pictures[0] + (row * WIDTH + 2 * i) * 4;
            const uint8_t *layer = pictures[1] + (row * WIDTH + 2 * i) * 4;
            EXPECT_EQ(0, memcmp(desktop, layer, 3))
                << "direction " << directions[i][0] << "," << directions[i][1] << "," << directions[i][2]
                << (row == 0 ? " implicit" : " explicit") << " level: desktop " << (int)desktop[0] << " "
                << (int)desktop[1] << " " << (int)desktop[2] << ", face array " << (int)layer[0] << " "
                << (int)layer[1] << " " << (int)layer[2];
        }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteFramebuffers(1, &framebuffer);
    glDeleteRenderbuffers(1, &colour);
    glDeleteTextures(2, textures);
    glDeleteProgram(programs[0]);
    glDeleteProgram(programs[1]);
    EXPECT_EQ(GL_NO_ERROR, glGetError());
}
