// Shader sources and programs: reading whole files, compile reports, attribute locations.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "assets/shader.h"
#include "render/gl.h"
#include "tests/test_support.h"

namespace {

// Uses every mesh attribute so none is optimised away.
const char *MESH_VERTEX = R"(#version 120
attribute vec3 vertexPosition;
attribute vec3 vertexNormal;
attribute vec2 textureCoord;
attribute vec3 vertexTangent;
attribute float vertexTangentHandedness;
attribute vec4 vertexBones;
attribute vec4 vertexWeights;
varying vec4 colour;
void main() {
    colour = vec4(vertexNormal + vertexTangent * vertexTangentHandedness, textureCoord.x) + vertexBones * vertexWeights;
    gl_Position = vec4(vertexPosition, 1.0);
}
)";

const char *MORPH_VERTEX = R"(#version 120
attribute vec3 vertexPosition;
attribute vec3 vertexPosition2;
uniform float blend;
void main() { gl_Position = vec4(mix(vertexPosition, vertexPosition2, blend), 1.0); }
)";

const char *FRAGMENT = R"(#version 120
varying vec4 colour;
void main() { gl_FragColor = colour; }
)";

const char *PLAIN_FRAGMENT = "#version 120\nvoid main() { gl_FragColor = vec4(1.0); }\n";

class ShaderGl : public testing::Test {
  protected:
    void SetUp() override {
        if (!openTestGlContext()) GTEST_SKIP() << "no display";
        enterScratchDir();
        writeDataText("mesh.vert", MESH_VERTEX);
        writeDataText("morph.vert", MORPH_VERTEX);
        writeDataText("mesh.frag", FRAGMENT);
        writeDataText("plain.frag", PLAIN_FRAGMENT);
    }
};

bool linked(GLuint program) {
    GLint status = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &status);
    return status == GL_TRUE;
}

}  // namespace

TEST(ShaderSource, WindowsLineEndsAreTerminatedRightAfterTheText) {
    enterScratchDir();
    const char text[] = "void main()\r\n{\r\n}\r\n";
    writeDataText("crlf.frag", text);
    char *source = readShaderSource("crlf.frag");
    ASSERT_NE(source, nullptr);
    // Text mode delivers what the platform translates (nothing here); the terminator follows it.
    EXPECT_EQ(strlen(source), strlen(text));
    EXPECT_STREQ(source, text);
    free(source);
}

TEST(ShaderSource, ZeroByteFileGivesAnEmptyText) {
    enterScratchDir();
    writeDataText("empty.frag", "");
    char *source = readShaderSource("empty.frag");
    ASSERT_NE(source, nullptr);
    EXPECT_STREQ(source, "");
    free(source);
}

TEST(ShaderSource, MissingOrNullNameGivesNull) {
    enterScratchDir();
    testing::internal::CaptureStdout();
    EXPECT_EQ(readShaderSource("absent.vert"), nullptr);
    EXPECT_EQ(readShaderSource(nullptr), nullptr);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("shader file open failed"), std::string::npos) << out;
}

TEST(ShaderSource, EitherLetterCaseReadsTheOneFile) {
    enterScratchDir();
    writeDataText("passthroughvertexshader.vert", "// pass\n");
    char *small = readShaderSource("passthroughvertexshader.vert");
    char *capital = readShaderSource("Passthroughvertexshader.vert");
    ASSERT_NE(small, nullptr);
    ASSERT_NE(capital, nullptr);
    EXPECT_STREQ(small, capital);
    free(small);
    free(capital);
}

TEST_F(ShaderGl, MeshProgramLinksWithTheFixedAttributeLocations) {
    testing::internal::CaptureStderr();
    const ShaderProgram program = buildShaderProgram("mesh.vert", "mesh.frag");
    const ShaderProgram morph = buildShaderProgram("morph.vert", "plain.frag");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    ASSERT_TRUE(linked(program));
    EXPECT_EQ(glGetAttribLocation(program, "vertexPosition"), 0);
    EXPECT_EQ(glGetAttribLocation(program, "vertexNormal"), 1);
    EXPECT_EQ(glGetAttribLocation(program, "textureCoord"), 2);
    EXPECT_EQ(glGetAttribLocation(program, "vertexTangent"), 3);
    EXPECT_EQ(glGetAttribLocation(program, "vertexTangentHandedness"), 4);
    EXPECT_EQ(glGetAttribLocation(program, "vertexBones"), 5);
    EXPECT_EQ(glGetAttribLocation(program, "vertexWeights"), 6);
    ASSERT_TRUE(linked(morph));
    EXPECT_EQ(glGetAttribLocation(morph, "vertexPosition"), 0);
    EXPECT_EQ(glGetAttribLocation(morph, "vertexPosition2"), 5);
}

TEST_F(ShaderGl, SamePairTwiceGivesTwoPrograms) {
    const ShaderProgram first = buildShaderProgram("mesh.vert", "mesh.frag");
    const ShaderProgram second = buildShaderProgram("mesh.vert", "mesh.frag");
    EXPECT_NE(first, second);
    EXPECT_TRUE(glIsProgram(first));
    EXPECT_TRUE(glIsProgram(second));
}

TEST_F(ShaderGl, CompileErrorIsReportedAndTheProgramStillReturned) {
    writeDataText("broken.frag", "#version 120\nvoid main() { gl_FragColor = undefinedThing; }\n");
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const ShaderProgram program = buildShaderProgram("mesh.vert", "broken.frag");
    const std::string out = testing::internal::GetCapturedStdout();
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_NE(out.find("SHADER ERROR "), std::string::npos) << out;
    EXPECT_NE(out.find("undefinedThing"), std::string::npos) << out;
    EXPECT_EQ(errors.find("ERROR"), std::string::npos) << errors;   // no GL error on the way
    EXPECT_TRUE(glIsProgram(program));
    EXPECT_FALSE(linked(program));
}

TEST_F(ShaderGl, MissingFileIsReportedAndBuildingGoesOn) {
    testing::internal::CaptureStderr();
    const ShaderProgram program = buildShaderProgram("absent.vert", "mesh.frag");
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_NE(errors.find("Either vertex shader or fragment shader file not found.\n"), std::string::npos) << errors;
    EXPECT_EQ(errors.find("ERROR "), std::string::npos) << errors;
    EXPECT_TRUE(glIsProgram(program));
}

TEST_F(ShaderGl, ReleaseDeletesOnlyTheLastProgram) {
    const ShaderProgram first = buildShaderProgram("mesh.vert", "mesh.frag");
    const ShaderProgram last = buildShaderProgram("mesh.vert", "plain.frag");
    releaseLastShaderProgram();
    EXPECT_TRUE(glIsProgram(first));
    EXPECT_FALSE(glIsProgram(last));
}
