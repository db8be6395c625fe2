// 3DM meshes: static and skinned files, bone weights, scaling, tangents and malformed input.
#include <gtest/gtest.h>
#include <math.h>
#include <stdio.h>

#include <string>

#include "assets/data_file.h"
#include "assets/mesh_load.h"
#include "assets/mesh_text.h"
#include "tests/asset_files.h"

namespace {

const float FACE_POSITIONS[9] = {0, 0, 0, 1, 0, 0, 0, 1, 0};
const float FACE_UV[6] = {0, 0, 1, 0, 0, 1};
const std::string STATIC = "o ship_hull\nnumfaces 1\n" + faceLines(FACE_POSITIONS, FACE_UV);

std::string pose(float px, float ry) {
    char line[128];
    snprintf(line, sizeof line, "frame 0 bone 0 pos %g 2 3 rot (eulerAngles 10 %g 30) sca 1 1 1 \n", px, ry);
    return line;
}

// Three frames (rest + 2) of two bones. Corner 0 has six weight lines, corner 1 two, corner 2 one.
const std::string SKINNED = STATIC + "numframes 3\nnumbones 2\n" + pose(1, 20) + pose(4, 0) + pose(2, 25) +
                            pose(4, -90) + pose(1, 20) + pose(5, 0) + "vertex 0 bones 6\n" +
                            "vertex 0 bone 2 weight 0.5\nvertex 0 bone 1 weight 0.25\nvertex 0 bone 2 weight 0.125\n"
                            "vertex 0 bone 1 weight 0.0625\nvertex 0 bone 2 weight 0.03\nvertex 0 bone 1 weight 0.03\n"
                            "vertex 1 bones 2\nvertex 1 bone 2 weight 0.75\nvertex 1 bone 1 weight 0.25\n"
                            "vertex 2 bones 1\nvertex 2 bone 1 weight 1\n";

// Reads text as data/m.3dm; null on malformed input, with what went to stderr.
MeshObject *readText(const std::string &text, std::string *errors = nullptr) {
    enterScratchDir();
    writeDataText("m.3dm", text.c_str());
    FILE *file = xfopen("m.3dm", "rb");
    testing::internal::CaptureStderr();
    MeshObject *mesh = read3dm(file, "m.3dm");
    const std::string captured = testing::internal::GetCapturedStderr();
    if (errors) *errors = captured;
    fclose(file);
    return mesh;
}

std::vector<float> floats(const float *values, int count) {
    return std::vector<float>(values, values + count);
}

}  // namespace

TEST(Static3dm, EndsAfterTheLastTextureLineWithOrWithoutALineBreak) {
    for (const std::string &text : {STATIC, STATIC.substr(0, STATIC.size() - 1)}) {
        MeshObject *mesh = readText(text);
        ASSERT_NE(mesh, nullptr);
        EXPECT_EQ(*mesh->animated, 0);
        EXPECT_EQ(mesh->faceCount, 1);
        EXPECT_STREQ(mesh->name, "ship_hull");
        EXPECT_EQ(floats(mesh->positions + 3, 3), (std::vector<float>{1, 0, 0}));
        EXPECT_EQ(mesh->texCoords[5], 1.0f);   // t of the last corner, on the line without a break
        freeMeshObject(mesh);
    }
    // One more line, even an empty one, starts an animation section.
    std::string errors;
    EXPECT_EQ(readText(STATIC + "\n", &errors), nullptr);
    EXPECT_EQ(errors, "m.3dm line 12: expected \"numframes <count>\" (any line after the last corner starts an "
                      "animation)\n");
}

TEST(Skinned3dm, PosesLandInSlotsAfterTheRestFrameAndWeightsKeepFour) {
    std::string errors;
    MeshObject *mesh = readText(SKINNED, &errors);
    ASSERT_NE(mesh, nullptr) << errors;
    EXPECT_EQ(*mesh->animated, 1);
    EXPECT_EQ(mesh->frameCount, 3);
    EXPECT_EQ(mesh->boneCount, 2);
    EXPECT_EQ(floats(mesh->rotationDelta, 6), (std::vector<float>{0, 5, 0, 0, -90, 0}));
    EXPECT_EQ(floats(mesh->positionDelta, 6), (std::vector<float>{1, 0, 0, 0, 0, 0}));
    EXPECT_EQ(floats(mesh->restPosition, 6), (std::vector<float>{1, 2, 3, 4, 2, 3}));
    EXPECT_EQ(floats(mesh->positionDelta + 6, 6), (std::vector<float>{0, 0, 0, 1, 0, 0}));
    EXPECT_EQ(floats(mesh->restPosition + 12, 6), std::vector<float>(6, 0.0f));   // slot frameCount - 1
    // Six lines keep the first four; two leave bone 0 weight 0; bone 1 of the file is index 0.
    EXPECT_EQ(floats(mesh->boneIndices, 12), (std::vector<float>{1, 0, 1, 0, 1, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(floats(mesh->boneWeights, 12),
              (std::vector<float>{0.5f, 0.25f, 0.125f, 0.0625f, 0.75f, 0.25f, 0, 0, 1, 0, 0, 0}));

    scaleMesh(mesh, 0.5f);
    EXPECT_EQ(floats(mesh->positions + 3, 3), (std::vector<float>{0.5f, 0, 0}));
    EXPECT_EQ(floats(mesh->restPosition, 3), (std::vector<float>{0.5f, 1, 1.5f}));
    EXPECT_EQ(mesh->rotationDelta[4], -90.0f);   // angles are not scaled
    scaleMeshFrames(mesh, 1, 99, 2.0f);          // slot 1 only; the end is clamped
    EXPECT_EQ(floats(mesh->positionDelta, 9), (std::vector<float>{0.5f, 0, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(mesh->positionDelta[9], 1.0f);
    freeMeshObject(mesh);
}

TEST(Tangents, FollowTheTextureDirectionAndFlipOnMirroredFaces) {
    MeshObject *mesh = readText(STATIC);
    ASSERT_NE(mesh, nullptr);
    testing::internal::CaptureStdout();
    generateTangents(mesh);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("malloc tan1 36 bytes error code 0 = "), std::string::npos) << out;
    EXPECT_EQ(floats(mesh->tangents, 9), (std::vector<float>{1, 0, 0, 1, 0, 0, 1, 0, 0}));
    EXPECT_EQ(floats(mesh->handedness, 3), (std::vector<float>{1, 1, 1}));
    const float mirrored[6] = {1, 0, 0, 0, 1, 1};
    for (int i = 0; i < 6; i++) mesh->texCoords[i] = mirrored[i];
    testing::internal::CaptureStdout();
    generateTangents(mesh);
    EXPECT_EQ(floats(mesh->tangents, 3), (std::vector<float>{-1, 0, 0}));
    EXPECT_EQ(floats(mesh->handedness, 3), (std::vector<float>{-1, -1, -1}));
    // Texture coordinates without area leave the tangent undefined (there is no guard).
    for (int i = 0; i < 6; i++) mesh->texCoords[i] = 0.5f;
    generateTangents(mesh);
    testing::internal::GetCapturedStdout();
    EXPECT_FALSE(isfinite(mesh->tangents[0]));
    freeMeshObject(mesh);
}

TEST(Malformed3dm, IsRefusedWithOneLineNamingTheFileAndTheProblem) {
    const struct {
        std::string text;
        const char *report;
    } cases[] = {
        {"o a\nnumfaces 900000\nv 0 0 0\n", "m.3dm line 2: numfaces 900000 cannot fit in the 8 bytes left"},
        {STATIC + "numframes 1\nnumbones 65\n", "numbones 65 is outside 1..64"},
    };
    for (const auto &c : cases) {
        std::string errors;
        EXPECT_EQ(readText(c.text, &errors), nullptr) << c.report;
        EXPECT_EQ(errors.rfind("m.3dm line ", 0), 0u) << errors;
        EXPECT_NE(errors.find(c.report), std::string::npos) << errors;
        EXPECT_EQ(errors.find('\n'), errors.size() - 1) << errors;
    }
}
