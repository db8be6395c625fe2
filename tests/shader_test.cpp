// Shader sources and programs: reading whole files, compile reports, attribute locations.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <string>

#include "assets/load_record.h"
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

TEST_F(ShaderGl, BrokenProgramsAreReportedOnceAndStayUsableWithoutGlErrors) {
    writeDataText("broken.frag", "#version 120\nvoid main() { gl_FragColor = undefinedThing; }\n");
    resetLoadRecord();
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const ShaderProgram broken = buildShaderProgram("mesh.vert", "broken.frag");
    const ShaderProgram missing = buildShaderProgram("absent.vert", "mesh.frag");
    // What the show does with any program: bind it, look uniforms up, send them, draw.
    for (const ShaderProgram program : {broken, missing}) {
        glUseProgram(program);
        const GLint location = glGetUniformLocation(program, "colorMap");
        glUniform1i(location, 0);
        glUniform4f(glGetUniformLocation(program, "glColor"), 1.0f, 1.0f, 1.0f, 1.0f);
        glBegin(GL_TRIANGLES);
        glVertex2f(-1.0f, -1.0f); glVertex2f(1.0f, -1.0f); glVertex2f(0.0f, 1.0f);
        glEnd();
        glUseProgram(0);
    }
    const std::string out = testing::internal::GetCapturedStdout();
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_NE(out.find("SHADER ERROR "), std::string::npos) << out;
    EXPECT_NE(out.find("undefinedThing"), std::string::npos) << out;
    // One line for each broken program, and no GL error line.
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 2) << errors;
    EXPECT_EQ(errors.rfind("shader mesh.vert + broken.frag does not build, drawn as nothing: ", 0), 0u) << errors;
    EXPECT_NE(errors.find("\nEither vertex shader or fragment shader file not found.\n"), std::string::npos) << errors;
    EXPECT_EQ(errors.find("ERROR"), std::string::npos) << errors;
    // The load record: the missing file, and both pairs drawn as nothing.
    ASSERT_EQ(loadRecord.fallbackCount, 3);
    EXPECT_STREQ(loadRecord.fallbacks[0], "shader mesh.vert + broken.frag drawn as nothing");
    EXPECT_STREQ(loadRecord.fallbacks[1], "data/absent.vert: cannot be opened");
    EXPECT_STREQ(loadRecord.fallbacks[2], "shader absent.vert + mesh.frag drawn as nothing");
    for (const ShaderProgram program : {broken, missing}) {
        GLint linked = GL_FALSE;
        glGetProgramiv(program, GL_LINK_STATUS, &linked);
        EXPECT_EQ(linked, GL_TRUE);
    }
}

TEST_F(ShaderGl, ReleaseDeletesOnlyTheLastProgram) {
    const ShaderProgram first = buildShaderProgram("mesh.vert", "mesh.frag");
    const ShaderProgram last = buildShaderProgram("morph.vert", "mesh.frag");
    releaseLastShaderProgram();
    EXPECT_TRUE(glIsProgram(first));
    EXPECT_FALSE(glIsProgram(last));
}
