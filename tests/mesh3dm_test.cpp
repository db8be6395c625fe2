// 3DM meshes: static and skinned files, bone weights, scaling, tangents and malformed input.
#include <gtest/gtest.h>
#include <math.h>
#include <stdio.h>

#include <algorithm>
#include <string>

#include "assets/data_file.h"
#include "assets/mesh_text.h"
#include "tests/asset_files.h"

namespace {

const float FACE_POSITIONS[9] = {0, 0, 0, 1, 0, 0, 0, 1, 0};
const float FACE_UV[6] = {0, 0, 1, 0, 0, 1};

std::string staticFile(const char *name = "ship_hull") {
    return std::string("o ") + name + "\nnumfaces 1\n" + faceLines(FACE_POSITIONS, FACE_UV);
}

std::string poseLine(int frame, int bone, float px, float py, float pz, float rx, float ry, float rz) {
    char line[200];
    snprintf(line, sizeof line, "frame %d bone %d pos %g %g %g rot (eulerAngles %g %g %g) sca 1 1 1 \n", frame,
             bone, px, py, pz, rx, ry, rz);
    return line;
}

// One face, three frames (rest + 2), two bones. Corner 0 has six weight lines, corner 1 two, corner
// 2 one that names bone 1.
std::string skinnedFile() {
    std::string text = staticFile("girl_a");
    text += "numframes 3\nnumbones 2\n";
    text += poseLine(0, 0, 1, 2, 3, 10, 20, 30) + poseLine(0, 1, 4, 5, 6, 0, 0, 0);
    text += poseLine(1, 0, 2, 2, 3, 15, 20, 30) + poseLine(1, 1, 4, 7, 6, 0, -90, 0);
    text += poseLine(2, 0, 1, 2, 5, 10, 20, 40) + poseLine(2, 1, 4, 5, 6, 1, 2, 3);
    text += "vertex 0 bones 6\n";
    const float weights[6] = {0.5f, 0.25f, 0.125f, 0.0625f, 0.03125f, 0.03125f};
    const int bones[6] = {2, 1, 2, 1, 2, 1};
    for (int j = 0; j < 6; j++) {
        char line[64];
        snprintf(line, sizeof line, "vertex 0 bone %d weight %g\n", bones[j], weights[j]);
        text += line;
    }
    text += "vertex 1 bones 2\nvertex 1 bone 2 weight 0.75\nvertex 1 bone 1 weight 0.25\n";
    text += "vertex 2 bones 1\nvertex 2 bone 1 weight 1\n";
    return text;
}

// Reads text as data/m.3dm; returns the mesh (null on malformed input) and what went to stderr.
MeshObject *readText(const std::string &text, std::string *errors = nullptr) {
    enterScratchDir();
    writeDataText("m.3dm", text.c_str());
    FILE *file = xfopen("m.3dm", "r");
    if (!file) return nullptr;
    testing::internal::CaptureStderr();
    MeshObject *mesh = read3dm(file, "m.3dm");
    const std::string captured = testing::internal::GetCapturedStderr();
    if (errors) *errors = captured;
    fclose(file);
    return mesh;
}

void expectTriple(const float *v, float x, float y, float z) {
    EXPECT_FLOAT_EQ(v[0], x);
    EXPECT_FLOAT_EQ(v[1], y);
    EXPECT_FLOAT_EQ(v[2], z);
}

}  // namespace

TEST(Static3dm, EndsAfterTheLastTextureLineWithOrWithoutALineBreak) {
    for (bool finalLineBreak : {true, false}) {
        std::string text = staticFile();
        if (!finalLineBreak) text.pop_back();
        std::string errors;
        MeshObject *mesh = readText(text, &errors);
        ASSERT_NE(mesh, nullptr) << errors;
        EXPECT_EQ(*mesh->animated, 0);
        EXPECT_EQ(mesh->faceCount, 1);
        EXPECT_STREQ(mesh->name, "ship_hull");
        EXPECT_EQ(mesh->hasDisplayList, 0);
        expectTriple(mesh->positions + 3, 1, 0, 0);
        expectTriple(mesh->normals + 6, 0, 0, 1);
        EXPECT_FLOAT_EQ(mesh->texCoords[5], 1);   // t of the last corner, the line without a break
        EXPECT_EQ(mesh->boneIndices, nullptr);
        freeMeshObject(mesh);
    }
}

TEST(Static3dm, OneMoreLineEvenEmptyStartsAnAnimationSection) {
    std::string errors;
    EXPECT_EQ(readText(staticFile() + "\n", &errors), nullptr);
    EXPECT_NE(errors.find("m.3dm line 12: expected \"numframes <count>\""), std::string::npos) << errors;
}

TEST(Skinned3dm, PosesLandInSlotsAfterTheRestFrame) {
    std::string errors;
    MeshObject *mesh = readText(skinnedFile(), &errors);
    ASSERT_NE(mesh, nullptr) << errors;
    EXPECT_EQ(*mesh->animated, 1);
    EXPECT_EQ(mesh->frameCount, 3);
    EXPECT_EQ(mesh->boneCount, 2);
    EXPECT_EQ(mesh->boneAnimated[0], 1);
    EXPECT_EQ(mesh->boneAnimated[1], 1);
    // Slot s = frame - 1; per slot bone b at 3 * (s * 2 + b).
    expectTriple(mesh->rotationDelta + 0, 5, 0, 0);
    expectTriple(mesh->positionDelta + 0, 1, 0, 0);
    expectTriple(mesh->restPosition + 0, 1, 2, 3);
    expectTriple(mesh->rotationDelta + 3, 0, -90, 0);
    expectTriple(mesh->positionDelta + 3, 0, 2, 0);
    expectTriple(mesh->restPosition + 3, 4, 5, 6);
    expectTriple(mesh->rotationDelta + 6, 0, 0, 10);
    expectTriple(mesh->positionDelta + 6, 0, 0, 2);
    expectTriple(mesh->rotationDelta + 9, 1, 2, 3);
    // The last slot (frameCount - 1) holds zeros.
    for (int i = 12; i < 18; i++) {
        EXPECT_EQ(mesh->restPosition[i], 0.0f);
        EXPECT_EQ(mesh->positionDelta[i], 0.0f);
    }
    freeMeshObject(mesh);
}

TEST(Skinned3dm, WeightsKeepFourSlotsAndCountBonesFromOne) {
    MeshObject *mesh = readText(skinnedFile());
    ASSERT_NE(mesh, nullptr);
    // Six lines: the first four are kept.
    const float indices0[4] = {1, 0, 1, 0}, weights0[4] = {0.5f, 0.25f, 0.125f, 0.0625f};
    for (int j = 0; j < 4; j++) {
        EXPECT_EQ(mesh->boneIndices[j], indices0[j]);
        EXPECT_EQ(mesh->boneWeights[j], weights0[j]);
    }
    // Two lines: slots 2 and 3 are bone 0 with weight 0.
    const float indices1[4] = {1, 0, 0, 0}, weights1[4] = {0.75f, 0.25f, 0, 0};
    for (int j = 0; j < 4; j++) {
        EXPECT_EQ(mesh->boneIndices[4 + j], indices1[j]);
        EXPECT_EQ(mesh->boneWeights[4 + j], weights1[j]);
    }
    // Bone 1 in the file is index 0.
    EXPECT_EQ(mesh->boneIndices[8], 0.0f);
    EXPECT_EQ(mesh->boneWeights[8], 1.0f);
    freeMeshObject(mesh);
}

TEST(Scaling, ScalesPositionsAndPoseSlotsButNotAngles) {
    MeshObject *mesh = readText(skinnedFile());
    ASSERT_NE(mesh, nullptr);
    scaleMesh(mesh, 0.05f);
    expectTriple(mesh->positions + 3, 0.05f, 0, 0);
    expectTriple(mesh->restPosition + 0, 0.05f, 0.1f, 0.15f);
    expectTriple(mesh->positionDelta + 3, 0, 0.1f, 0);
    expectTriple(mesh->rotationDelta + 3, 0, -90, 0);
    // Only slot 1 (of bone 0: rest x 0.05 then x 2).
    scaleMeshFrames(mesh, 1, 2, 2.0f);
    expectTriple(mesh->restPosition + 0, 0.05f, 0.1f, 0.15f);
    expectTriple(mesh->restPosition + 6, 0.1f, 0.2f, 0.3f);
    expectTriple(mesh->positions + 3, 0.05f, 0, 0);
    scaleMeshFrames(mesh, -5, 1000, 1.0f);   // clamped to the slots there are
    freeMeshObject(mesh);
}

TEST(Tangents, FollowTheTextureDirectionAndFlipOnMirroredFaces) {
    MeshObject *mesh = readText(staticFile());
    ASSERT_NE(mesh, nullptr);
    testing::internal::CaptureStdout();
    generateTangents(mesh);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("malloc tan1 36 bytes error code 0 = "), std::string::npos) << out;
    EXPECT_NE(out.find("malloc tan2 36 bytes"), std::string::npos) << out;
    for (int c = 0; c < 3; c++) {
        expectTriple(mesh->tangents + 3 * c, 1, 0, 0);
        EXPECT_EQ(mesh->handedness[c], 1.0f);
    }
    // Mirror u: the tangent turns around and the handedness becomes -1.
    const float mirrored[6] = {1, 0, 0, 0, 1, 1};
    for (int i = 0; i < 6; i++) mesh->texCoords[i] = mirrored[i];
    testing::internal::CaptureStdout();
    generateTangents(mesh);
    testing::internal::GetCapturedStdout();
    for (int c = 0; c < 3; c++) {
        expectTriple(mesh->tangents + 3 * c, -1, 0, 0);
        EXPECT_EQ(mesh->handedness[c], -1.0f);
    }
    // Texture coordinates without area leave the tangent undefined (no guard).
    for (int i = 0; i < 6; i++) mesh->texCoords[i] = 0.5f;
    testing::internal::CaptureStdout();
    generateTangents(mesh);
    testing::internal::GetCapturedStdout();
    EXPECT_FALSE(isfinite(mesh->tangents[0]));
    freeMeshObject(mesh);
}

TEST(Tangents, AreUnitLengthAndOrthogonalToTheNormal) {
    const float p[9] = {0, 0, 0, 2, 1, 0, 0, 3, 1};
    const float uv[6] = {0.1f, 0.2f, 0.7f, 0.3f, 0.2f, 0.9f};
    MeshObject *mesh = readText("o rock_1\nnumfaces 1\n" + faceLines(p, uv));
    ASSERT_NE(mesh, nullptr);
    testing::internal::CaptureStdout();
    generateTangents(mesh);
    testing::internal::GetCapturedStdout();
    for (int c = 0; c < 3; c++) {
        const float *t = mesh->tangents + 3 * c;
        EXPECT_NEAR(t[0] * t[0] + t[1] * t[1] + t[2] * t[2], 1.0f, 1e-5f);
        EXPECT_NEAR(t[2], 0.0f, 1e-6f);   // normal is +z
    }
    freeMeshObject(mesh);
}

struct Malformed {
    const char *what;
    std::string text;
    const char *report;   // expected in the one line on stderr
};

void PrintTo(const Malformed &param, std::ostream *out) {
    *out << param.what;
}


class Malformed3dm : public testing::TestWithParam<Malformed> {};

TEST_P(Malformed3dm, IsRefusedWithOneLineNamingTheFile) {
    std::string errors;
    EXPECT_EQ(readText(GetParam().text, &errors), nullptr);
    EXPECT_NE(errors.find(GetParam().report), std::string::npos) << errors;
    EXPECT_EQ(errors.rfind("m.3dm", 0), 0u) << errors;
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1) << errors;
}

// Trailing blanks on every line: the file is long enough for its counts but still ends early.
static std::string padLines(const std::string &text) {
    std::string padded;
    for (char c : text) padded += c == '\n' ? std::string(20, ' ') + "\n" : std::string(1, c);
    return padded;
}

static std::string withAnimation(const std::string &section) {
    return staticFile() + section;
}

INSTANTIATE_TEST_SUITE_P(
    Files, Malformed3dm,
    testing::Values(
        Malformed{"empty file", "", "line 1: file ends where \"o <name>\" was expected"},
        Malformed{"fewer faces than announced", "o a\nnumfaces 2\n" + padLines(faceLines(FACE_POSITIONS, FACE_UV)),
                  "line 12: file ends where \"v x y z\" was expected"},
        Malformed{"malformed number", padLines("o a\nnumfaces 1\nv 1 x 3\n" + std::string(80, '\n')),
                  "line 3: expected \"v x y z\""},
        Malformed{"negative face count", "o a\nnumfaces -3\n", "numfaces -3 is outside"},
        Malformed{"absurd face count", "o a\nnumfaces 2000000000\n", "numfaces 2000000000 is outside"},
        Malformed{"face count larger than the file", "o a\nnumfaces 900000\nv 0 0 0\n", "cannot fit in the"},
        Malformed{"over-long line", "o " + std::string(2000, 'x') + "\n", "line longer than 1023 characters"},
        Malformed{"too many bones", withAnimation("numframes 1\nnumbones 65\n"), "numbones 65 is outside 1..64"},
        Malformed{"no frames", withAnimation("numframes 0\nnumbones 1\n"), "numframes 0"},
        Malformed{"poses missing", withAnimation("numframes 2\nnumbones 1\n" + poseLine(0, 0, 0, 0, 0, 0, 0, 0) +
                                                 std::string(100, ' ') + "\n"),
                  "expected a \"frame .. bone"},
        Malformed{"bone number 0", withAnimation("numframes 1\nnumbones 1\n" + poseLine(0, 0, 0, 0, 0, 0, 0, 0) +
                                                 "vertex 0 bones 1\nvertex 0 bone 0 weight 1\n"),
                  "bone 0 is outside 1..1"},
        Malformed{"bone number past the bones", withAnimation("numframes 1\nnumbones 1\n" +
                                                              poseLine(0, 0, 0, 0, 0, 0, 0, 0) +
                                                              "vertex 0 bones 1\nvertex 0 bone 2 weight 1\n"),
                  "bone 2 is outside 1..1"},
        Malformed{"negative weight count", withAnimation("numframes 1\nnumbones 1\n" +
                                                         poseLine(0, 0, 0, 0, 0, 0, 0, 0) + "vertex 0 bones -1\n"),
                  "negative bone count -1"},
        Malformed{"weights cut short", withAnimation("numframes 1\nnumbones 1\n" + poseLine(0, 0, 0, 0, 0, 0, 0, 0) +
                                                     "vertex 0 bones 1000000\nvertex 0 bone 1 weight 1\n"),
                  "file ends where \"vertex <corner> bone <number> weight <w>\" was expected"}),
    caseName<Malformed>);

TEST(Load3dmDeathTest, MissingFileEndsTheProcess) {
    enterScratchDir();
    EXPECT_EXIT(load3dm("nothere.3dm"), testing::ExitedWithCode(1), "can't open file nothere.3dm\n");
}

TEST(Load3dmDeathTest, MalformedFileEndsTheProcessNamingIt) {
    enterScratchDir();
    writeDataText("bad.3dm", "o a\nnumfaces 1\nv 1 2\nn 0 0 1\nt 0 0\nv 1 2 3\nn 0 0 1\nt 0 0\nv 1 2 3\nn 0 0 1\nt 0 0\n");
    EXPECT_EXIT(load3dm("bad.3dm"), testing::ExitedWithCode(1), "bad.3dm line 3: expected \"v x y z\"");
}

TEST(LoadMeshDeathTest, PicksTheReaderByExtension) {
    enterScratchDir();
    EXPECT_EXIT(loadMesh("girla1.3dm"), testing::ExitedWithCode(1), "can't open file girla1.3dm");
    // The COLLADA reader takes the path as given and reports a missing document as unparsable.
    EXPECT_EXIT(loadMesh("data/ddc2.DAE"), testing::ExitedWithCode(1), "dae parse error");
    EXPECT_EXIT(loadMesh("model.obj"), testing::ExitedWithCode(1), "model.obj: unknown file type");
    EXPECT_EXIT(loadMesh("noextension"), testing::ExitedWithCode(1), "unknown file type");
}
