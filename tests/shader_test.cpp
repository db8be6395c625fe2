// Shader sources and programs: reading whole files, compile reports, attribute locations.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "assets/shader.h"
#include "platform/gl.h"
#include "tests/test_support.h"

namespace {

// Uses every mesh attribute so none is optimised away.
const char *MESH_VERTEX = R"(#version 120
attribute vec3 vertexPosition, vertexNormal, vertexTangent;
attribute vec2 textureCoord;
attribute float vertexTangentHandedness;
attribute vec4 vertexBones, vertexWeights;
varying vec4 colour;
void main() {
    colour = vec4(vertexNormal + vertexTangent * vertexTangentHandedness, textureCoord.x) + vertexBones * vertexWeights;
    gl_Position = vec4(vertexPosition, 1.0);
}
)";
const char *MORPH_VERTEX = "#version 120\nattribute vec3 vertexPosition, vertexPosition2;\nvarying vec4 colour;\n"
                           "void main() { colour = vec4(1.0); gl_Position = vec4(vertexPosition + vertexPosition2, 1.0); }\n";
const char *FRAGMENT = "#version 120\nvarying vec4 colour;\nvoid main() { gl_FragColor = colour; }\n";

class ShaderGl : public testing::Test {
  protected:
    void SetUp() override {
        if (!openTestGlContext()) GTEST_SKIP() << "no display";
        enterScratchDir();
        writeDataText("mesh.vert", MESH_VERTEX);
        writeDataText("morph.vert", MORPH_VERTEX);
        writeDataText("mesh.frag", FRAGMENT);
    }
};

std::string readSource(const char *name) {
    char *text = readShaderSource(name);
    std::string copy = text ? text : "(null)";
    free(text);
    return copy;
}

}  // namespace

TEST(ShaderSource, ReadsWholeFilesTerminatedRightAfterTheText) {
    enterScratchDir();
    // Text mode delivers what the platform translates (nothing here); the terminator follows it.
    const char crlf[] = "void main()\r\n{\r\n}\r\n";
    writeDataText("crlf.frag", crlf);
    writeDataText("empty.frag", "");
    writeDataText("passthroughvertexshader.vert", "// pass\n");
    EXPECT_EQ(readSource("crlf.frag"), crlf);
    EXPECT_EQ(readSource("empty.frag"), "");   // empty text, not null
    EXPECT_EQ(readSource("Passthroughvertexshader.vert"), "// pass\n");
    EXPECT_EQ(readSource("absent.vert"), "(null)");
    EXPECT_EQ(readSource(nullptr), "(null)");
}

TEST_F(ShaderGl, MeshProgramsLinkWithTheFixedAttributeLocations) {
    testing::internal::CaptureStderr();
    const ShaderProgram mesh = buildShaderProgram("mesh.vert", "mesh.frag");
    const ShaderProgram morph = buildShaderProgram("morph.vert", "mesh.frag");
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    GLint linked = GL_FALSE;
    glGetProgramiv(mesh, GL_LINK_STATUS, &linked);
    ASSERT_EQ(linked, GL_TRUE);
    const char *names[] = {"vertexPosition", "vertexNormal", "textureCoord", "vertexTangent",
                           "vertexTangentHandedness", "vertexBones", "vertexWeights"};
    for (int location = 0; location < 7; location++)
        EXPECT_EQ(glGetAttribLocation(mesh, names[location]), location) << names[location];
    EXPECT_EQ(glGetAttribLocation(morph, "vertexPosition2"), 5);
    EXPECT_NE(buildShaderProgram("mesh.vert", "mesh.frag"), mesh);   // the same pair twice: two programs
}

TEST_F(ShaderGl, CompileErrorsAndMissingFilesAreReportedAndTheProgramReturned) {
    writeDataText("broken.frag", "#version 120\nvoid main() { gl_FragColor = undefinedThing; }\n");
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const ShaderProgram broken = buildShaderProgram("mesh.vert", "broken.frag");
    const ShaderProgram missing = buildShaderProgram("absent.vert", "mesh.frag");
    const std::string out = testing::internal::GetCapturedStdout();
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_NE(out.find("SHADER ERROR "), std::string::npos) << out;
    EXPECT_NE(out.find("undefinedThing"), std::string::npos) << out;
    EXPECT_EQ(errors, "Either vertex shader or fragment shader file not found.\n");   // and no GL error
    EXPECT_TRUE(glIsProgram(broken));
    EXPECT_TRUE(glIsProgram(missing));
}

TEST_F(ShaderGl, ReleaseDeletesOnlyTheLastProgram) {
    const ShaderProgram first = buildShaderProgram("mesh.vert", "mesh.frag");
    const ShaderProgram last = buildShaderProgram("morph.vert", "mesh.frag");
    releaseLastShaderProgram();
    EXPECT_TRUE(glIsProgram(first));
    EXPECT_FALSE(glIsProgram(last));
}
