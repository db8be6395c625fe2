// The translation of desktop shaders to GLSL ES 3.00: the show's own sources, the built-ins that
// become the layer's uniforms and inputs, reserved words, and the sources it refuses.
#include <gtest/gtest.h>
#include <stdio.h>
#include <string.h>

#include "glcompat/shader_translate.h"

static char out[MAX_TRANSLATED_SOURCE];

static bool translate(const char *source, ShaderStage stage) {
    return translateShaderSource(source, stage, out, (int)sizeof out);
}

static bool has(const char *text) {
    return strstr(out, text) != nullptr;
}

TEST(ShaderTranslation, A120PassThroughBecomesEs300WithItsBuiltins) {
    ASSERT_TRUE(translate("#version 120\nvarying vec2 texCoord;\nvoid main() {\n    texCoord = gl_MultiTexCoord0.xy;\n"
                          "    gl_TexCoord[0] = gl_MultiTexCoord0;\n    gl_FrontColor = gl_Color;\n"
                          "    gl_Position = ftransform();\n}\n",
                          STAGE_VERTEX));
    EXPECT_EQ(0, strncmp(out, "#version 300 es\n", 16));
    EXPECT_FALSE(has("#version 120"));
    EXPECT_TRUE(has("out vec2 texCoord;"));
    EXPECT_TRUE(has("layout(location = 10) in vec4 lr_MultiTexCoord0;"));
    EXPECT_TRUE(has("layout(location = 9) in vec4 lr_Color;"));
    EXPECT_TRUE(has("layout(location = 0) in vec4 lr_Vertex;"));
    EXPECT_TRUE(has("uniform mat4 lr_ModelViewProjectionMatrix;"));
    EXPECT_TRUE(has("lr_TexCoord[0] = lr_MultiTexCoord0;"));
    EXPECT_TRUE(has("lr_FrontColor = lr_Color;"));
    EXPECT_TRUE(has("gl_Position = lr_ftransform();"));
    EXPECT_FALSE(has("gl_MultiTexCoord0"));
}

TEST(ShaderTranslation, FragmentColourAndOldTextureCallsAndCommentsStayUntouched) {
    ASSERT_TRUE(translate("varying vec2 uv; // gl_FragColor in a comment\nuniform sampler2D t;\n/* texture2D */\n"
                          "void main() { gl_FragColor = texture2D(t, uv) * gl_Color + textureCubeLod(c, d, 1.0); }\n",
                          STAGE_FRAGMENT));
    EXPECT_TRUE(has("in vec2 uv; // gl_FragColor in a comment"));
    EXPECT_TRUE(has("/* texture2D */"));
    EXPECT_TRUE(has("lr_FragColor = texture(t, uv) * lr_FrontColor + textureLod(c, d, 1.0);"));
    EXPECT_TRUE(has("layout(location = 0) out vec4 lr_FragColor;"));
    EXPECT_TRUE(has("in vec4 lr_FrontColor;"));
}

// Cube maps are face arrays on ES: the samplers change type, and only the lookups through them
// (in a function taking one too) go to the layer's face selection; 2D lookups stay as they are.
TEST(ShaderTranslation, CubeSamplersBecomeFaceArraysAndOnlyTheirLookupsPickAFace) {
    ASSERT_TRUE(translate("#version 330 compatibility\nuniform samplerCube env;\nuniform sampler2D t;\n"
                          "vec3 f(samplerCube m, vec3 d) { return textureCube(m, d).rgb; }\n"
                          "void main() { gl_FragColor = vec4(f(env, vec3(1.0)) + texture( env , vec3(2.0)).rgb"
                          " + textureLod(env, vec3(1.0), 2.0).rgb + texture(t, vec2(0.5)).rgb, 1.0); }\n",
                          STAGE_FRAGMENT));
    EXPECT_TRUE(has("uniform sampler2DArray env;"));
    EXPECT_TRUE(has("vec3 f(sampler2DArray m, vec3 d) { return lr_textureCube(m, d).rgb; }"));
    EXPECT_TRUE(has("lr_textureCube( env , vec3(2.0))"));
    EXPECT_TRUE(has("lr_textureCubeLod(env, vec3(1.0), 2.0)"));
    EXPECT_TRUE(has("texture(t, vec2(0.5))"));
    EXPECT_TRUE(has("precision highp sampler2DArray;"));
    const char *body = strstr(out, "#line 1\n");
    const char *helper = strstr(out, "vec4 lr_textureCube(sampler2DArray map, vec3 r)");
    ASSERT_NE(nullptr, helper);
    EXPECT_LT(helper, body);
    EXPECT_EQ(nullptr, strstr(helper + 1, "vec4 lr_textureCube(sampler2DArray map, vec3 r)"));

    // A vertex shader has no derivatives: a lookup with a level is taken, one without is refused.
    ASSERT_TRUE(translate("uniform samplerCube c;\nvoid main() { gl_Position = textureCubeLod(c, vec3(1.0), 0.0); }\n",
                          STAGE_VERTEX));
    EXPECT_TRUE(has("lr_textureCubeLod(c, vec3(1.0), 0.0)"));
    EXPECT_FALSE(has("dFdx"));
    EXPECT_FALSE(translate("uniform samplerCube c;\nvoid main() { gl_Position = textureCube(c, vec3(1.0)); }\n",
                           STAGE_VERTEX));
    EXPECT_TRUE(has("vertex shader"));

    // Without a cube lookup, no face functions.
    ASSERT_TRUE(translate("uniform sampler2D t;\nvoid main() { gl_FragColor = texture2D(t, vec2(0.5)); }\n",
                          STAGE_FRAGMENT));
    EXPECT_FALSE(has("lr_cubeAxis"));
}

TEST(ShaderTranslation, LinesKeepTheirNumbersAfterDroppedDirectives) {
    ASSERT_TRUE(translate("#version 330 compatibility\n#extension GL_ARB_shader_image_load_store : require\n"
                          "layout(early_fragment_tests) in;\nout vec4 c;\nvoid main() { c = vec4(1.0); }\n",
                          STAGE_FRAGMENT));
    const char *body = strstr(out, "#line 1\n");
    ASSERT_NE(nullptr, body);
    EXPECT_STREQ("#line 1\n\n\n\nout vec4 c;\nvoid main() { c = vec4(1.0); }\n", body);
}

TEST(ShaderTranslation, WordsEsReservesAreRenamedWhereTheyAreNamesOnly) {
    ASSERT_TRUE(translate("uniform float precision;\nlayout(location = 0) out vec4 c;\nflat in int k;\n"
                          "void main() { c = vec4(precision * 2.0); }\n",
                          STAGE_FRAGMENT));
    EXPECT_TRUE(has("uniform float lr_precision;"));
    EXPECT_TRUE(has("vec4(lr_precision * 2.0)"));
    EXPECT_TRUE(has("layout(location = 0) out vec4 c;"));
    EXPECT_TRUE(has("flat in int k;"));
    EXPECT_TRUE(isEsRenamed("precision"));
    EXPECT_FALSE(isEsRenamed("iTime"));
}

TEST(ShaderTranslation, LightsBecomeAUniformStructArray) {
    ASSERT_TRUE(translate("#version 330 compatibility\nout vec4 c;\nvoid main() { c = gl_LightSource[2].diffuse; }\n",
                          STAGE_FRAGMENT));
    EXPECT_TRUE(has("uniform lr_LightSourceParameters lr_LightSource[8];"));
    EXPECT_TRUE(has("c = lr_LightSource[2].diffuse;"));
}

TEST(ShaderTranslation, BuiltinsWithoutAStandInAndOverlongResultsFailWithAReason) {
    EXPECT_FALSE(translate("void main() { gl_FragColor = gl_FrontMaterial.diffuse; }\n", STAGE_FRAGMENT));
    EXPECT_TRUE(has("gl_FrontMaterial"));
    // A vertex-only built-in in a fragment shader.
    EXPECT_FALSE(translate("void main() { gl_FragColor = gl_Vertex; }\n", STAGE_FRAGMENT));
    EXPECT_TRUE(has("gl_Vertex"));
    char small[64];
    EXPECT_FALSE(translateShaderSource("void main() { gl_Position = ftransform(); }\n", STAGE_VERTEX, small,
                                       (int)sizeof small));
    EXPECT_NE(nullptr, strstr(small, "longer"));
}

// Every shader the show ships translates, and no compatibility built-in survives outside comments.
TEST(ShaderTranslation, EveryShaderOfTheShowTranslates) {
    const char *names[] = {"Passthroughvertexshader.vert", "chromatic.frag", "colorfx.frag", "dofblur.frag",
                           "dofblur1.frag", "lens2.frag", "mdofblur1.frag", "mselfillum.frag", "mshmappass2.vert",
                           "mshmappass2spot.frag", "mshmappass2spot.vert", "mtutorial2.vert",
                           "passthroughfragmentshader.frag", "raymarch1.frag", "selfillum.frag", "shader.frag",
                           "shader.vert", "shmappass1spot.frag", "shmappass1spot.vert", "tutorial2.frag",
                           "tutorial2.vert"};
    static char source[MAX_TRANSLATED_SOURCE];
    for (const char *name : names) {
        char path[512];
        snprintf(path, sizeof path, "%s/%s", LIGHTRIG_SHADER_DIR, name);
        FILE *file = fopen(path, "rb");
        ASSERT_NE(nullptr, file) << path;
        const size_t got = fread(source, 1, sizeof source - 1, file);
        fclose(file);
        source[got] = '\0';
        const ShaderStage stage = strstr(name, ".vert") ? STAGE_VERTEX : STAGE_FRAGMENT;
        ASSERT_TRUE(translate(source, stage)) << name << ": " << out;
        EXPECT_FALSE(has("#version 1")) << name;
        EXPECT_FALSE(has("compatibility\n")) << name;
        EXPECT_FALSE(has("#extension")) << name;
        EXPECT_FALSE(has("gl_FragColor =")) << name;
        EXPECT_FALSE(has("gl_ModelView")) << name;
    }
}
