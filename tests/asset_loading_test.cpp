// Loading a whole data directory under a GL context: textures, programs, meshes of both formats and
// a scene come out as GL objects, and no GL call reports an error.
#include <gtest/gtest.h>

#include <string>

#include "assets/collada.h"
#include "assets/mesh_load.h"
#include "assets/scene.h"
#include "assets/texture.h"
#include "platform/gl.h"
#include "tests/asset_files.h"

namespace {

const float FACE_POSITIONS[9] = {0, 0, 0, 1, 0, 0, 0, 1, 0};
const float FACE_UV[6] = {0, 0, 1, 0, 0, 1};
// File units: after the loaders' 0.05 this covers the lower-left half of clip space.
const float FLOOR_POSITIONS[9] = {-20, -20, 0, 20, -20, 0, -20, 20, 0};

void writeDataDirectory() {
    for (const char *kind : {"base", "normal", "chraber", "specular"})
        writeTga(("default_" + std::string(kind) + ".tga").c_str(), solidTga(2, 2, {1, 1, 1}));
    writeTga("ship.tga", tgaFile(10, 4, 4, 32, {143, 10, 20, 30, 255}));   // one run of 16 pixels
    writeDataText("passthroughvertexshader.vert", "#version 120\nattribute vec3 vertexPosition;\n"
                                                  "void main() { gl_Position = vec4(vertexPosition, 1.0); }\n");
    writeDataText("selfillum.frag", "#version 120\nvoid main() { gl_FragColor = vec4(1.0); }\n");
    writeDataText("ship_hull.3dm", ("o ship_hull\nnumfaces 1\n" + faceLines(FACE_POSITIONS, FACE_UV) +
                                    "numframes 1\nnumbones 1\n"
                                    "frame 0 bone 0 pos 0 0 0 rot (eulerAngles 0 0 0) sca 1 1 1 \n"
                                    "vertex 0 bones 0\nvertex 1 bones 0\nvertex 2 bones 0\n")
                                       .c_str());
    writeDataText("ddc2.dae", R"(<COLLADA><library_geometries><geometry name="ship_dae"><mesh>
<source id="p"><float_array count="9">0 0 0 1 0 0 0 1 0</float_array></source>
<source id="n"><float_array count="3">0 0 1</float_array></source>
<vertices><input semantic="POSITION" source="#p"/></vertices>
<triangles count="1"><input semantic="NORMAL" source="#n"/><p>0 0 1 0 2 0</p></triangles>
</mesh></geometry></library_geometries></COLLADA>)");
    writeDataText("room.scene", ("objcount 2\no floor_1\nnumfaces 1\n" + faceLines(FLOOR_POSITIONS, FACE_UV) +
                                 "o ship_part\nnumfaces 1\n" + faceLines(FACE_POSITIONS, FACE_UV))
                                    .c_str());
}

// Draws a display list into a small framebuffer with identity matrices; returns the red channel
// at a point of the lower-left half and one of the upper-right half.
void drawList(GLuint list, uint8_t *lowerLeft, uint8_t *upperRight) {
    GLuint framebuffer, colour;
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glGenRenderbuffers(1, &colour);
    glBindRenderbuffer(GL_RENDERBUFFER, colour);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, 64, 64);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour);
    glViewport(0, 0, 64, 64);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glUseProgram(0);
    glClear(GL_COLOR_BUFFER_BIT);
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
    const GLuint hud = loadTexture("hud1.tga");
    MeshObject *hull = loadMesh("ship_hull.3dm");
    MeshObject *dae = loadMesh("data/ddc2.dae");
    Scene *scene = loadScene("room.scene");
    testing::internal::GetCapturedStdout();
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(errors, "");   // no GL "ERROR" line, nor any other complaint

    EXPECT_TRUE(glIsProgram(first) && glIsTexture(hud));
    // ship_hull, ship_dae and ship_part share one set; the floor has its own.
    EXPECT_EQ(textureSetCount, 2);
    EXPECT_EQ(dae->textureSet, hull->textureSet);
    const TextureSet &ship = textureSets[hull->textureSet];
    for (GLuint texture : {ship.base, ship.normal, ship.chraber, ship.specular}) EXPECT_TRUE(glIsTexture(texture));
    ASSERT_EQ(scene->count, 2);
    for (MeshObject *mesh : {hull, dae, scene->objects[0], scene->objects[1]}) {
        EXPECT_TRUE(glIsVertexArray(mesh->vertexArray));
        EXPECT_NE(mesh->buffers[MESH_BUFFER_COUNT - 1], 0u);
        if (mesh != dae) {   // the document has no texture coordinates, so no tangents
            EXPECT_EQ(mesh->tangents[0], 1.0f);
        }
    }
    EXPECT_EQ(*hull->animated, 1);
    EXPECT_FLOAT_EQ(hull->positions[3], 0.05f);   // the loader's scale; COLLADA meshes keep theirs
    EXPECT_EQ(dae->positions[3], 1.0f);

    // The scene's display lists hold the positions as scaled at load; later scaling leaves them.
    EXPECT_TRUE(scene->objects[1]->hasDisplayList && glIsList(scene->objects[1]->displayList));
    uint8_t inside, outside;
    scaleMesh(scene->objects[0], 0.01f);
    drawList(scene->objects[0]->displayList, &inside, &outside);
    EXPECT_EQ(inside, 255);
    EXPECT_EQ(outside, 0);
}
