// The centre-piece pass: its choreography at exact times (no GL), then the program and its pictures
// on llvmpipe (uniform table, each scene over a fake room, shadow mode).
#include <gtest/gtest.h>
#include <string.h>

#include <math.h>

#include <string>
#include <vector>

#include "assets/shader.h"
#include "camera/camera.h"
#include "core/clock.h"
#include "core/keyboard.h"
#include "parts/bounce_path.h"
#include "parts/curve_object.h"
#include "parts/raymarch.h"
#include "platform/gl.h"
#include "render/shadow.h"
#include "tests/test_support.h"

namespace {

const float IDENTITY[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

class RaymarchChoreography : public ::testing::Test {
protected:
    void SetUp() override {
        resetKeyboard();
        partstarttime = 0;
        partFrameCounter = 10;   // past the part's first frames
        cameraFov = 40.0f;
        frameTime = 0;
        resetRaymarchChoreography();
    }
    // One frame at ms: its step, then the uniforms of its on-screen pass.
    RaymarchUniforms pass(int scene, int ms) {
        frameTime = ms;
        stepRaymarchChoreography(scene, IDENTITY);
        return draw(scene, false);
    }
    // A pass of the frame already stepped; drawing changes nothing.
    RaymarchUniforms draw(int scene, bool toShadowMap) {
        const RaymarchInputs inputs = {toShadowMap, 65.0f, 0, 0, 0, 0, 0};
        RaymarchUniforms u;
        prepareRaymarchUniforms(scene, &inputs, IDENTITY, &u);
        return u;
    }
    // The key is pressed in the frame at ms (all passes of that frame see it), stamped at stampMs.
    RaymarchUniforms passWithKey(int key, int stampMs, int scene, int ms) {
        keyState.pressed[key] = true;
        keyState.downTime[key] = stampMs;
        RaymarchUniforms u = pass(scene, ms);
        keyState.pressed[key] = false;
        return u;
    }
};

// An all-zero camera path gives an unusable field of view: the piece falls back to the camera's
// 35 degrees, stays finite and matches the room's projection.
TEST_F(RaymarchChoreography, UnusableFieldOfViewFallsBackToTheCamerasDefault) {
    cameraFov = 35.0f;
    const float fallback = pass(0, 0).fov;
    for (const float unusable : {0.0f, -10.0f, 360.0f, NAN}) {
        cameraFov = unusable;
        const float focal = pass(0, 0).fov;
        EXPECT_TRUE(std::isfinite(focal)) << unusable;
        EXPECT_EQ(focal, fallback) << unusable;
    }
}

TEST_F(RaymarchChoreography, TwistStartsWhenAReachesFourAndRestartsWithThePart) {
    EXPECT_EQ(pass(0, 3999).twistfader, 0.0f);
    EXPECT_EQ(pass(0, 4000).twistfader, 0.0f);   // starts here, from zero
    const float twoSecondsIn = pass(0, 6000).twistfader;
    EXPECT_GT(twoSecondsIn, 0.0f);
    EXPECT_NEAR(pass(0, 8000).twistfader, 1.0f, 1e-5);
    EXPECT_EQ(pass(2, 8000).twistfader, 0.0f) << "only scene 0 twists";
    // The part's first two frames clear it; a is 4 already, so it starts again at once.
    partFrameCounter = 2;
    pass(0, 9000);
    partFrameCounter = 3;
    EXPECT_EQ(pass(0, 11000).twistfader, twoSecondsIn);
}

TEST_F(RaymarchChoreography, DisplacementCorrectionMovesInSceneTwoAndPersists) {
    // Identity projection: the unit segment spans the whole view, extent 1.
    const float start = pass(2, 100).bnzdisplacey;
    EXPECT_NEAR(start, 1.0f + 0.35f, 1e-6);
    passWithKey(KEY_O, 200, 2, 200);
    EXPECT_NEAR(pass(2, 300).bnzdisplacey, start + 0.05f, 1e-5);
    // One step per frame, however many passes draw it; the frame's shadow passes draw before its
    // on-screen pass has measured, so they keep the frame before's correction.
    keyState.pressed[KEY_O] = true;
    const float onScreen = pass(2, 400).bnzdisplacey;
    keyState.pressed[KEY_O] = false;
    EXPECT_NEAR(onScreen, start + 0.10f, 1e-5);
    EXPECT_NEAR(draw(2, true).bnzdisplacey, start + 0.05f, 1e-5);
    EXPECT_EQ(draw(2, true).bnzdisplacey, draw(2, true).bnzdisplacey);
    EXPECT_EQ(draw(2, false).bnzdisplacey, onScreen);
    EXPECT_NEAR(pass(2, 500).bnzdisplacey, start + 0.10f, 1e-5);
    EXPECT_NEAR(draw(2, true).bnzdisplacey, start + 0.10f, 1e-5);
    // Other scenes neither move it nor use it.
    EXPECT_EQ(passWithKey(KEY_O, 600, 0, 600).bnzdisplacey, 0.0f);
    passWithKey(KEY_O, 700, 4, 700);
    // A later visit finds it where it was; 'I' lowers it.
    resetRaymarchTwist();
    partstarttime = 800;
    EXPECT_NEAR(pass(2, 900).bnzdisplacey, start + 0.10f, 1e-5);
    passWithKey(KEY_I, 1000, 2, 1000);
    EXPECT_NEAR(pass(2, 1100).bnzdisplacey, start + 0.05f, 1e-5);
}

// ---- on llvmpipe ---------------------------------------------------------------------------------

// The show's pairing, built by the show's loader from the generated content: linked or not, and
// what went to stderr while building.
GLuint buildRaymarchProgram(bool *linked, std::string *errors) {
    enterScratchDirWithShowData();
    testing::internal::CaptureStderr();
    const GLuint program = buildShaderProgram("Passthroughvertexshader.vert", "raymarch1.frag");
    *errors = testing::internal::GetCapturedStderr();
    GLint status = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &status);
    *linked = status != 0;
    return program;
}

// Depth as the depth passes store it: depth / range as a 24-bit integer, most significant in red.
void packDepth(float depth, unsigned char rgb[3], float range = 20.0f) {
    const long n = lround(fmin(1.0, fmax(0.0, depth / (double)range)) * 16777215.0);
    rgb[0] = (unsigned char)(n >> 16);
    rgb[1] = (unsigned char)((n >> 8) & 0xff);
    rgb[2] = (unsigned char)(n & 0xff);
}

float unpackDepth(const unsigned char rgb[3], float range = 20.0f) {
    return (float)(((long)rgb[0] << 16 | (long)rgb[1] << 8 | rgb[2]) / 16777215.0 * range);
}

GLuint makeTexture2D(int width, int height, const unsigned char *rgb) {
    GLuint texture;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, width, height, 0, GL_RGB, GL_UNSIGNED_BYTE, rgb);
    return texture;
}

// A room of one colour gradient and one depth, a cube map of six plain colours, a palette ramp.
struct FakeRoom {
    std::vector<unsigned char> colour, depth;
    GLuint colourTexture, depthTexture, cube, palette;

    FakeRoom(int width, int height, float roomDepth) : colour(width * height * 3), depth(width * height * 3) {
        for (int y = 0; y < height; y++)
            for (int x = 0; x < width; x++) {
                unsigned char *c = &colour[(y * width + x) * 3];
                c[0] = (unsigned char)(40 + x * 120 / width);
                c[1] = (unsigned char)(30 + y * 100 / height);
                c[2] = 90;
                packDepth(roomDepth, &depth[(y * width + x) * 3]);
            }
        colourTexture = makeTexture2D(width, height, colour.data());
        depthTexture = makeTexture2D(width, height, depth.data());
        glGenTextures(1, &cube);
        glBindTexture(GL_TEXTURE_CUBE_MAP, cube);
        for (int f = 0; f < 6; f++) {
            const unsigned char plain[3] = {(unsigned char)(40 * f), 200, (unsigned char)(250 - 40 * f)};
            glTexImage2D(GL_TEXTURE_CUBE_MAP_POSITIVE_X + f, 0, GL_RGB, 1, 1, 0, GL_RGB, GL_UNSIGNED_BYTE, plain);
        }
        glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
        glGenerateMipmap(GL_TEXTURE_CUBE_MAP);
        unsigned char ramp[64 * 3];
        for (int i = 0; i < 64; i++) ramp[i * 3] = (unsigned char)(i * 4), ramp[i * 3 + 1] = 120, ramp[i * 3 + 2] = (unsigned char)(255 - i * 4);
        palette = makeTexture2D(64, 1, ramp);
    }
    void setDepth(int x0, int x1, int width, int height, float roomDepth) {
        for (int y = 0; y < height; y++)
            for (int x = x0; x < x1; x++) packDepth(roomDepth, &depth[(y * width + x) * 3]);
        glBindTexture(GL_TEXTURE_2D, depthTexture);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, width, height, 0, GL_RGB, GL_UNSIGNED_BYTE, depth.data());
    }
};

// The GL error hook's lines on stderr.
std::vector<std::string> glErrorLines(const std::string &stderrText) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < stderrText.size()) {
        size_t end = stderrText.find('\n', start);
        if (end == std::string::npos) end = stderrText.size();
        const std::string line = stderrText.substr(start, end - start);
        if (line.find("ERROR") != std::string::npos) lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

class RaymarchGl : public ::testing::Test {
protected:
    void SetUp() override {
        if (!openTestGlContext()) GTEST_SKIP() << "no display";
        resetKeyboard();
        resetRaymarchChoreography();
        buildBouncePath();
        buildCurveObject(nullptr);
        partstarttime = 0;
        partFrameCounter = 10;
    }
    // Camera at (0, 0.5, 9) looking at the origin with the given field of view, projection set.
    void placeCamera(float fovDegrees, double aspect) {
        const float eye[3] = {0.0f, 0.5f, 9.0f};
        for (int k = 0; k < 3; k++) {
            cameraEye[k] = eye[k];
            cameraTarget[k] = 0.0f;
            cameraUp[k] = k == 1 ? 1.0f : 0.0f;
        }
        cameraFov = fovDegrees;
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        gluPerspective(fovDegrees, aspect, 0.1, 200.0);
        captureRaymarchBaseProjection();
        gluLookAt(eye[0], eye[1], eye[2], 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
    }
};

TEST_F(RaymarchGl, ProgramBuildsAndTheCurveArraysHaveTheSharedSize) {
    bool linked;
    std::string errors;
    const GLuint program = buildRaymarchProgram(&linked, &errors);
    EXPECT_TRUE(linked) << errors;
    EXPECT_TRUE(glErrorLines(errors).empty()) << errors;
    GLint count = 0;
    glGetProgramiv(program, GL_ACTIVE_UNIFORMS, &count);
    for (GLint i = 0; i < count; i++) {
        char name[128];
        GLint size = 0;
        GLenum type = 0;
        glGetActiveUniform(program, (GLuint)i, sizeof name, nullptr, &size, &type, name);
        if (strncmp(name, "ddc", 3) == 0 && strncmp(name, "ddcscroll", 9) != 0) {
            EXPECT_EQ(size, CURVE_SEGMENT_COUNT) << name;
        }
    }
}

TEST_F(RaymarchGl, RotationMatrixMatchesTheMatrixStack) {
    const float angles[3] = {33.0f, 217.5f, -71.25f};
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glRotatef(angles[0], 1.0f, 0.0f, 0.0f);
    glRotatef(angles[1], 0.0f, 1.0f, 0.0f);
    glRotatef(angles[2], 0.0f, 0.0f, 1.0f);
    float stack[16], ours[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, stack);
    glPopMatrix();
    rotationMatrix(angles, ours);
    for (int e = 0; e < 16; e++) EXPECT_NEAR(ours[e], stack[e], 1e-6) << e;
}

// Pixels of the read-back picture that differ from the room texture.
int differingPixels(const std::vector<unsigned char> &picture, const FakeRoom &room, int x0, int y0, int x1, int y1) {
    int count = 0;
    for (int y = y0; y < y1; y++)
        for (int x = x0; x < x1; x++) {
            const int i = (y * 1920 + x) * 3;
            if (abs(picture[i] - room.colour[i]) + abs(picture[i + 1] - room.colour[i + 1]) + abs(picture[i + 2] - room.colour[i + 2]) > 6) count++;
        }
    return count;
}

TEST_F(RaymarchGl, EachSceneDrawsItsPieceIntoTheRoom) {
    bool linked;
    std::string errors;
    const GLuint program = buildRaymarchProgram(&linked, &errors);
    ASSERT_TRUE(linked) << errors;
    setRaymarchProgram(program);
    FakeRoom room(1920, 1080, 15.0f);
    // A strip of room just in front of the eye hides the piece behind it.
    room.setDepth(940, 980, 1920, 1080, 4.0f);
    const RaymarchInputs inputs = {false, 65.0f, room.depthTexture, room.colourTexture, room.cube, room.palette, 0};
    // The same with the room's framebuffer: the room is copied and only the piece's projection is
    // marched, which must give the very same picture.
    GLuint roomFramebuffer;
    glGenFramebuffers(1, &roomFramebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, roomFramebuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, room.colourTexture, 0);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    RaymarchInputs bounded = inputs;
    bounded.colorFramebuffer = roomFramebuffer;
    glViewport(0, 0, 1920, 1080);
    std::vector<unsigned char> picture(1920 * 1080 * 3), boundedPicture(1920 * 1080 * 3);
    for (int scene : {0, 2, 4}) {
        SCOPED_TRACE(scene);
        placeCamera(40.0f, 16.0 / 9.0);
        frameTime = 2000;
        testing::internal::CaptureStderr();
        raymarchPass(scene, &bounded);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, 1920, 1080, GL_RGB, GL_UNSIGNED_BYTE, boundedPicture.data());
        raymarchPass(scene, &inputs);
        glReadPixels(0, 0, 1920, 1080, GL_RGB, GL_UNSIGNED_BYTE, picture.data());
        const std::string errors = testing::internal::GetCapturedStderr();
        EXPECT_TRUE(glErrorLines(errors).empty()) << errors;
        EXPECT_TRUE(picture == boundedPicture) << "the bounded pass differs from the full one";
        // The piece covers a good part of the middle, the room shows everywhere else, and the near
        // strip stays room colour even where it crosses the piece.
        EXPECT_GT(differingPixels(picture, room, 660, 240, 1260, 840), 600 * 600 / 20);
        EXPECT_EQ(differingPixels(picture, room, 0, 0, 300, 1080), 0);
        EXPECT_EQ(differingPixels(picture, room, 1620, 0, 1920, 1080), 0);
        EXPECT_EQ(differingPixels(picture, room, 945, 0, 975, 1080), 0);
        GLint sceneUniform = -1;
        glGetUniformiv(program, glGetUniformLocation(program, "sceneselect"), &sceneUniform);
        EXPECT_EQ(sceneUniform, scene);
    }
}

TEST_F(RaymarchGl, ShadowModeWritesPackedDepthAndKeepsNearerCasters) {
    bool linked;
    std::string errors;
    const GLuint program = buildRaymarchProgram(&linked, &errors);
    ASSERT_TRUE(linked) << errors;
    setRaymarchProgram(program);
    // The existing map: nothing on the left half (white, far), a caster 2 units from the light on
    // the right half.
    std::vector<unsigned char> map(1024 * 1024 * 3, 255);
    for (int y = 0; y < 1024; y++)
        for (int x = 512; x < 1024; x++) packDepth(2.0f, &map[(y * 1024 + x) * 3], SPOT_DEPTH_RANGE);
    const GLuint shmap3 = makeTexture2D(1024, 1024, map.data());
    // The target starts as a marker colour, so the pixels the pass never writes show.
    const unsigned char MARK[3] = {10, 20, 30};
    std::vector<unsigned char> marked(1024 * 1024 * 3);
    for (size_t i = 0; i < marked.size(); i++) marked[i] = MARK[i % 3];
    GLuint target, targetTexture;
    glGenTextures(1, &targetTexture);
    glBindTexture(GL_TEXTURE_2D, targetTexture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 1024, 1024, 0, GL_RGB, GL_UNSIGNED_BYTE, marked.data());
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glGenFramebuffers(1, &target);
    glBindFramebuffer(GL_FRAMEBUFFER, target);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, targetTexture, 0);
    glViewport(0, 0, 1024, 1024);
    FakeRoom room(16, 16, 15.0f);

    placeCamera(30.0f, 1.0);   // the light's projection: only the spot cone angle may count
    frameTime = 2000;
    const RaymarchInputs inputs = {true, 65.0f, shmap3, shmap3, room.cube, room.palette, 0};
    raymarchPass(0, &inputs);
    std::vector<unsigned char> written(1024 * 1024 * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, 1024, 1024, GL_RGB, GL_UNSIGNED_BYTE, written.data());
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glViewport(0, 0, 1920, 1080);
    const auto at = [&](int x, int y) { return &written[(y * 1024 + x) * 3]; };
    const auto unwritten = [&](int x, int y) { return memcmp(at(x, y), MARK, 3) == 0; };
    const auto white = [&](int x, int y) { return at(x, y)[0] == 255 && at(x, y)[1] == 255 && at(x, y)[2] == 255; };

    // Light 9 units from the origin; the piece (2.3 units, drawn 1.5 times that) reaches at most 3.45
    // units towards it or away.
    int hits = 0;
    for (int y = 312; y < 712; y++)
        for (int x = 312; x < 512; x++) {
            if (white(x, y) || unwritten(x, y)) continue;
            hits++;
            const float depth = unpackDepth(at(x, y), SPOT_DEPTH_RANGE);
            ASSERT_GT(depth, 5.5f) << x << "," << y;
            ASSERT_LT(depth, 12.5f) << x << "," << y;
            // Only the pixels that can see the piece are marched, and none of the piece is cut off.
            ASSERT_FALSE(unwritten(x - 1, y) || unwritten(x + 1, y) || unwritten(x, y - 1) || unwritten(x, y + 1))
                << x << "," << y;
        }
    EXPECT_GT(hits, 200 * 400 / 10);
    EXPECT_TRUE(unwritten(0, 0) && unwritten(1023, 1023)) << "the pass covers only the piece's projection";
    // Misses and nearer casters keep the map bit for bit where the pass writes them (the show's
    // target is the map itself, so the pixels it skips keep it too).
    for (int y = 0; y < 1024; y++) {
        for (int x = 0; x < 1024; x++) {
            const bool keep = x >= 512 || x < 100 || y < 100;
            if (!keep || unwritten(x, y)) continue;
            const int i = (y * 1024 + x) * 3;
            ASSERT_EQ(written[i], map[i]) << x << "," << y;
            ASSERT_EQ(written[i + 1], map[i + 1]) << x << "," << y;
            ASSERT_EQ(written[i + 2], map[i + 2]) << x << "," << y;
        }
    }
    GLfloat fov = 0.0f;
    glGetUniformfv(program, glGetUniformLocation(program, "fov"), &fov);
    EXPECT_NEAR(fov, 1.0 / tan(65.0 * 0.017444445 * 0.5), 1e-5);
}

}  // namespace
