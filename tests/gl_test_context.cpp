// The test programs' GL context: one hidden window per process, opened on first use; and the
// programs the GL tests build on it.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <gtest/gtest.h>

#include "core/gl_loader.h"
#include "platform/gl.h"
#include "platform/platform.h"
#include "tests/test_support.h"

bool openTestGlContext() {
    static int state = 0;   // 0 not tried, 1 open, -1 failed
    platformSetMessageBoxes(false);
    if (state == 0) {
        if (!getenv("DISPLAY")) {
            state = -1;
        } else {
            // LIGHTRIG_TEST_GL=es runs a test program on an ES 3.0 context through the layer.
            const char *gl = getenv("LIGHTRIG_TEST_GL");
            platformUseGlEs(gl && strcmp(gl, "es") == 0);
            state = platformOpenHiddenWindow() && loadGlEntryPoints() ? 1 : -1;
        }
    }
    return state == 1;
}

unsigned int buildTestProgram(const char *vertex, const char *fragment) {
    const GLuint program = glCreateProgram();
    const char *sources[2] = {vertex, fragment};
    const GLenum stages[2] = {GL_VERTEX_SHADER, GL_FRAGMENT_SHADER};
    for (int i = 0; i < 2; i++) {
        const GLuint shader = glCreateShader(stages[i]);
        glShaderSource(shader, 1, &sources[i], nullptr);
        glCompileShader(shader);
        GLint ok = 0;
        glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
        char log[1024] = "";
        glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        EXPECT_TRUE(ok) << log << "\n" << sources[i];
        glAttachShader(program, shader);
        glDeleteShader(shader);
    }
    glBindAttribLocation(program, 0, "position");
    glLinkProgram(program);
    GLint linked = 0;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    EXPECT_TRUE(linked);
    return program;
}
