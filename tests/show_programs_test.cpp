// Every shader program the show builds compiles and links on this GL from the generated data/.
#include <gtest/gtest.h>

#include <string>

#include "assets/shader.h"
#include "platform/gl.h"
#include "tests/test_support.h"

namespace {

const char *const PROGRAMS[][2] = {
    {"passthroughvertexshader.vert", "selfillum.frag"},
    {"Passthroughvertexshader.vert", "colorfx.frag"},
    {"Passthroughvertexshader.vert", "chromatic.frag"},
    {"Passthroughvertexshader.vert", "lens2.frag"},
    {"mshmappass2.vert", "mselfillum.frag"},
    {"tutorial2.vert", "tutorial2.frag"},
    {"mshmappass2spot.vert", "mshmappass2spot.frag"},
    {"mtutorial2.vert", "mdofblur1.frag"},
    {"shader.vert", "shader.frag"},
    {"Passthroughvertexshader.vert", "raymarch1.frag"},
    {"passthroughvertexshader.vert", "passthroughfragmentshader.frag"},
    {"passthroughvertexshader.vert", "dofblur.frag"},
    {"tutorial2.vert", "dofblur1.frag"},
    {"shmappass1spot.vert", "shmappass1spot.frag"},
};

TEST(ShowPrograms, EveryProgramCompilesAndLinks) {
    if (!openTestGlContext()) GTEST_SKIP() << "no display";
    enterScratchDirWithShowData();
    for (const auto &pair : PROGRAMS) {
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        const ShaderProgram program = buildShaderProgram(pair[0], pair[1]);
        const std::string out = testing::internal::GetCapturedStdout();
        const std::string err = testing::internal::GetCapturedStderr();
        GLint linked = 0;
        glGetProgramiv(program, GL_LINK_STATUS, &linked);
        EXPECT_EQ(linked, GL_TRUE) << pair[0] << " + " << pair[1];
        EXPECT_EQ(out.find("SHADER ERROR"), std::string::npos) << pair[0] << " + " << pair[1] << "\n" << out;
        EXPECT_TRUE(err.empty()) << pair[0] << " + " << pair[1] << "\n" << err;
    }
}

}  // namespace
