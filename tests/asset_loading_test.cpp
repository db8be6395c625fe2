// Loading a whole data directory under a GL context: textures, programs, meshes of both formats and
// a scene come out as GL objects, and no GL call reports an error.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>

#include "assets/collada.h"
#include "assets/scene.h"
#include "assets/texture.h"
#include "render/gl.h"
#include "tests/asset_files.h"

namespace {

const char *VERTEX = "#version 120\nattribute vec3 vertexPosition;\n"
                     "void main() { gl_Position = vec4(vertexPosition, 1.0); }\n";
const char *FRAGMENT = "#version 120\nvoid main() { gl_FragColor = vec4(1.0); }\n";

const float FACE_POSITIONS[9] = {0, 0, 0, 1, 0, 0, 0, 1, 0};
const float FACE_UV[6] = {0, 0, 1, 0, 0, 1};
// File units: after the loaders' 0.05 this covers the lower-left half of clip space.
const float FLOOR_POSITIONS[9] = {-20, -20, 0, 20, -20, 0, -20, 20, 0};

const char *DOCUMENT = R"(<?xml version="1.0"?>
<COLLADA><library_geometries><geometry id="g" name="ship_dae"><mesh>
<source id="p"><float_array count="9">0 0 0 1 0 0 0 1 0</float_array></source>
<source id="n"><float_array count="3">0 0 1</float_array></source>
<source id="t"><float_array count="6">0 0 1 0 0 1</float_array></source>
<vertices id="v"><input semantic="POSITION" source="#p"/></vertices>
<polylist count="1"><input semantic="VERTEX" source="#v"/><input semantic="NORMAL" source="#n"/>
<input semantic="TEXCOORD" source="#t"/><vcount>3</vcount><p>0 0 0 1 0 1 2 0 2</p></polylist>
</mesh></geometry></library_geometries></COLLADA>
)";

void writeDataDirectory() {
    writeTga("default_base.tga", solidTga(2, 2, {1, 1, 1}));
    writeTga("default_normal.tga", solidTga(2, 2, {255, 128, 128}));
    writeTga("default_chraber.tga", solidTga(2, 2, {0, 0, 0}));
    writeTga("default_specular.tga", solidTga(2, 2, {0, 0, 0}));
    writeTga("ship.tga", tgaFile(10, 4, 4, 32, {143, 10, 20, 30, 255}));   // one run of 16 pixels
    writeTga("env.tga", solidTga(8, 8, {50, 60, 70}));
    writeDataText("passthroughvertexshader.vert", VERTEX);
    writeDataText("selfillum.frag", FRAGMENT);

    std::string hull = "o ship_hull\nnumfaces 1\n" + faceLines(FACE_POSITIONS, FACE_UV);
    writeDataText("ship_hull.3dm", hull.c_str());
    std::string girl = "o girl_a\nnumfaces 1\n" + faceLines(FACE_POSITIONS, FACE_UV) +
                       "numframes 2\nnumbones 1\n"
                       "frame 0 bone 0 pos 0 0 0 rot (eulerAngles 0 0 0) sca 1 1 1 \n"
                       "frame 1 bone 0 pos 0 20 0 rot (eulerAngles 0 90 0) sca 1 1 1 \n";
    for (int c = 0; c < 3; c++) girl += "vertex " + std::to_string(c) + " bones 1\nvertex 0 bone 1 weight 1\n";
    writeDataText("girl_a.3dm", girl.c_str());
    writeDataText("ddc2.dae", DOCUMENT);
    std::string scene = "objcount 2\no floor_1\nnumfaces 1\n" + faceLines(FLOOR_POSITIONS, FACE_UV) +
                        "o ship_part\nnumfaces 1\n" + faceLines(FACE_POSITIONS, FACE_UV);
    writeDataText("room.scene", scene.c_str());
}

// Draws a display list into a small framebuffer with identity matrices; returns the red channel
// at two points: inside the lower-left half and inside the upper-right half.
void drawList(GLuint list, uint8_t *lowerLeft, uint8_t *upperRight) {
    GLuint framebuffer, colour;
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glGenRenderbuffers(1, &colour);
    glBindRenderbuffer(GL_RENDERBUFFER, colour);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, 64, 64);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour);
    glViewport(0, 0, 64, 64);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glUseProgram(0);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glColor3f(1, 1, 1);
    glCallList(list);
    uint8_t pixel[4];
    glReadPixels(8, 8, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    *lowerLeft = pixel[0];
    glReadPixels(56, 56, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    *upperRight = pixel[0];
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteRenderbuffers(1, &colour);
    glDeleteFramebuffers(1, &framebuffer);
}

}  // namespace

TEST(AssetLoading, DataDirectoryBecomesGlObjectsWithoutGlErrors) {
    if (!openTestGlContext()) GTEST_SKIP() << "no display";
    enterScratchDir();
    writeDataDirectory();
    resetTextureSets();

    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const ShaderProgram first = buildShaderProgram("passthroughvertexshader.vert", "selfillum.frag");
    const ShaderProgram second = buildShaderProgram("Passthroughvertexshader.vert", "selfillum.frag");
    const GLuint hud = loadTexture("hud1.tga");
    TgaImage env = loadTextureKeepImage("env.tga");
    MeshObject *hull = loadMesh("ship_hull.3dm");
    MeshObject *girl = loadMesh("girl_a.3dm");
    MeshObject *dae = loadMesh("data/ddc2.dae");
    Scene *scene = loadScene("room.scene");
    testing::internal::GetCapturedStdout();
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(errors.find("ERROR"), std::string::npos) << errors;

    EXPECT_TRUE(glIsProgram(first));
    EXPECT_TRUE(glIsProgram(second));
    EXPECT_TRUE(glIsTexture(hud));
    EXPECT_TRUE(glIsTexture(env.texture));
    free(env.pixels);

    // ship_hull, ship_dae and ship_part share one set; girl and floor have their own.
    EXPECT_EQ(textureSetCount, 3);
    EXPECT_EQ(hull->textureSet, dae->textureSet);
    EXPECT_EQ(scene->objects[1]->textureSet, hull->textureSet);
    const TextureSet &ship = textureSets[hull->textureSet];
    for (GLuint texture : {ship.base, ship.normal, ship.chraber, ship.specular}) EXPECT_TRUE(glIsTexture(texture));

    for (MeshObject *mesh : {hull, girl, dae, scene->objects[0], scene->objects[1]}) {
        EXPECT_TRUE(glIsVertexArray(mesh->vertexArray));
        for (int i = 0; i < MESH_BUFFER_COUNT; i++) EXPECT_NE(mesh->buffers[i], 0u);
        EXPECT_NE(mesh->buffers[0], mesh->buffers[MESH_BUFFER_COUNT - 1]);
        EXPECT_FLOAT_EQ(mesh->tangents[0], 1.0f);   // texture s runs along x in every file
    }
    EXPECT_FLOAT_EQ(hull->positions[3], 0.05f);   // the loader's scale
    EXPECT_FLOAT_EQ(dae->positions[3], 1.0f);     // COLLADA meshes are not scaled
    EXPECT_EQ(*girl->animated, 1);
    EXPECT_FLOAT_EQ(girl->positionDelta[1], 1.0f);   // 20 file units

    ASSERT_EQ(scene->count, 2);
    for (int i = 0; i < scene->count; i++) {
        EXPECT_EQ(scene->objects[i]->hasDisplayList, 1);
        EXPECT_TRUE(glIsList(scene->objects[i]->displayList));
    }

    // The display list holds the positions as scaled at load; scaling later does not change it.
    uint8_t inside, outside;
    drawList(scene->objects[0]->displayList, &inside, &outside);
    EXPECT_EQ(inside, 255);
    EXPECT_EQ(outside, 0);
    scaleMesh(scene->objects[0], 0.01f);
    drawList(scene->objects[0]->displayList, &inside, &outside);
    EXPECT_EQ(inside, 255);
}
