// COLLADA import: face elements, index strides, number lists, bad indices and sources, morphing.
#include <gtest/gtest.h>
#include <math.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "assets/collada.h"
#include "tests/test_support.h"

namespace {

// Four positions, two normals, four texture coordinates; `faces` is the polylist/triangles part.
std::string colladaDocument(const std::string &faces) {
    return std::string(R"(<?xml version="1.0"?>
<COLLADA><library_geometries><geometry id="g" name="hull_main"><mesh>
<source id="pos"><float_array id="pa" count="12">0 0 0 1 0 0 0 1 0 1 1 1</float_array></source>
<source id="nrm"><float_array id="na" count="6">0 0 1 0 0 -1</float_array></source>
<source id="uv"><float_array id="ua" count="8">0 0 1 0 0 1 0.5 0.25</float_array></source>
<vertices id="verts"><input semantic="POSITION" source="#pos"/></vertices>
)") + faces + "</mesh></geometry></library_geometries></COLLADA>\n";
}

std::string triangles(int count, const char *indices, const char *normalSource = "#nrm") {
    return std::string("<triangles count=\"") + std::to_string(count) +
           "\"><input semantic=\"VERTEX\" source=\"#verts\" offset=\"0\"/><input semantic=\"NORMAL\" source=\"" +
           normalSource + "\" offset=\"1\"/><p>" + indices + "</p></triangles>";
}

const char *POLYLIST_WITH_UV =
    R"(<polylist count="1"><input semantic="VERTEX" source="#verts" offset="0"/>)"
    R"(<input semantic="NORMAL" source="#nrm" offset="1"/><input semantic="TEXCOORD" source="#uv" offset="2"/>)"
    R"(<vcount>3</vcount><p>0 0 0 1 1 1 3 0 3</p></polylist>)";

struct Read {
    MeshObject *mesh;
    std::string out;
    std::string errors;
};

Read readDocument(const std::string &text) {
    Read r;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    r.mesh = readColladaBuffer(text.data(), text.size(), "test.dae");
    r.out = testing::internal::GetCapturedStdout();
    r.errors = testing::internal::GetCapturedStderr();
    return r;
}

void expectTriple(const float *v, float x, float y, float z) {
    EXPECT_FLOAT_EQ(v[0], x);
    EXPECT_FLOAT_EQ(v[1], y);
    EXPECT_FLOAT_EQ(v[2], z);
}

bool contains(const std::string &text, const char *needle) {
    return text.find(needle) != std::string::npos;
}

}  // namespace

TEST(ColladaRead, PolylistWithTexcoordsReadsThreeIntegersPerCorner) {
    Read r = readDocument(colladaDocument(POLYLIST_WITH_UV));
    ASSERT_NE(r.mesh, nullptr) << r.errors;
    EXPECT_EQ(r.errors, "");
    EXPECT_STREQ(r.mesh->name, "hull_main");
    EXPECT_EQ(r.mesh->faceCount, 1);
    EXPECT_EQ(*r.mesh->animated, 0);
    expectTriple(r.mesh->positions + 0, 0, 0, 0);
    expectTriple(r.mesh->positions + 3, 1, 0, 0);
    expectTriple(r.mesh->positions + 6, 1, 1, 1);
    expectTriple(r.mesh->normals + 3, 0, 0, -1);
    EXPECT_FLOAT_EQ(r.mesh->texCoords[2], 1.0f);
    EXPECT_FLOAT_EQ(r.mesh->texCoords[4], 0.5f);
    EXPECT_FLOAT_EQ(r.mesh->texCoords[5], 0.25f);
    EXPECT_EQ(r.mesh->sourceIndex[2], 3);
    EXPECT_EQ(r.mesh->positions2, nullptr);
    for (const char *marker : {"poscount 12", "normalcount 6", "uvcount 8", "facelist 9", ".dae obj hull_main faces 1"})
        EXPECT_TRUE(contains(r.out, marker)) << marker << "\n" << r.out;
    freeMeshObject(r.mesh);
}

TEST(ColladaRead, PolylistCountZeroFallsBackToTriangles) {
    Read r = readDocument(colladaDocument(R"(<polylist count="0"><p>9 9 9</p></polylist>)" +
                                          triangles(2, "0 0 1 0 2 0 1 1 3 1 2 1")));
    ASSERT_NE(r.mesh, nullptr);
    EXPECT_EQ(r.mesh->faceCount, 2);
    expectTriple(r.mesh->positions + 12, 1, 1, 1);
    expectTriple(r.mesh->normals + 9, 0, 0, -1);
    freeMeshObject(r.mesh);
}

TEST(ColladaRead, WithoutTexcoordTwoIntegersPerCornerAndZeroCoordinates) {
    Read r = readDocument(colladaDocument(triangles(1, "0 0 1 1 3 0")));
    ASSERT_NE(r.mesh, nullptr);
    expectTriple(r.mesh->positions + 6, 1, 1, 1);
    expectTriple(r.mesh->normals + 3, 0, 0, -1);
    for (int i = 0; i < 6; i++) EXPECT_EQ(r.mesh->texCoords[i], 0.0f);
    EXPECT_FALSE(contains(r.out, "uvcount"));
    freeMeshObject(r.mesh);
}

TEST(ColladaRead, NumbersJoinedByALineBreakGiveOnlyTheFirst) {
    // Tokens 0 0 1 "1\n3" 2 0: corner 2 is position 2, normal 0. Were the line break a separator,
    // it would be position 3.
    Read r = readDocument(colladaDocument(triangles(1, "0 0 1 1\n3 2 0")));
    ASSERT_NE(r.mesh, nullptr);
    expectTriple(r.mesh->positions + 6, 0, 1, 0);
    expectTriple(r.mesh->normals + 6, 0, 0, 1);
    freeMeshObject(r.mesh);
}

TEST(ColladaLists, BlankSeparatedTokensOneNumberEach) {
    int32_t ints[8] = {};
    EXPECT_EQ(parseIndexList("1\n2 3", ints, 8), 2);
    EXPECT_EQ(ints[0], 1);
    EXPECT_EQ(ints[1], 3);
    EXPECT_EQ(parseIndexList("  4   5 ", ints, 8), 2);
    EXPECT_EQ(ints[1], 5);
    // A token of white space only reads 0 and does not borrow the next token's number.
    EXPECT_EQ(parseIndexList("1 \n 2", ints, 8), 3);
    EXPECT_EQ(ints[1], 0);
    EXPECT_EQ(ints[2], 2);
    EXPECT_EQ(parseIndexList("7 8 9", ints, 2), 2);
    EXPECT_EQ(parseIndexList("7 8 9", nullptr, 100), 3);
    EXPECT_EQ(parseIndexList("", ints, 8), 0);
    EXPECT_EQ(parseIndexList("99999999999 -99999999999 x", ints, 8), 3);
    EXPECT_EQ(ints[0], INT32_MAX);
    EXPECT_EQ(ints[1], INT32_MIN);
    EXPECT_EQ(ints[2], 0);

    float floats[4] = {};
    EXPECT_EQ(parseFloatList("1.5\n2.5 -3e2", floats, 4), 2);
    EXPECT_FLOAT_EQ(floats[0], 1.5f);
    EXPECT_FLOAT_EQ(floats[1], -300.0f);
}

TEST(ColladaRead, IndicesPastTheListsReadZeroAndAreReported) {
    Read r = readDocument(colladaDocument(triangles(1, "0 0 1 1 7 -1")));
    ASSERT_NE(r.mesh, nullptr);
    expectTriple(r.mesh->positions + 3, 1, 0, 0);
    expectTriple(r.mesh->positions + 6, 0, 0, 0);
    expectTriple(r.mesh->normals + 6, 0, 0, 0);
    EXPECT_EQ(r.mesh->sourceIndex[2], 7);
    EXPECT_TRUE(contains(r.errors, "test.dae: 1 corners name positions past the 4 the document holds")) << r.errors;
    EXPECT_TRUE(contains(r.errors, "test.dae: 1 corners name normals past the 2")) << r.errors;
    freeMeshObject(r.mesh);
}

TEST(ColladaRead, SourceNobodyCarriesIsReportedOnce) {
    Read r = readDocument(colladaDocument(triangles(1, "0 0 1 1 2 1", "#nothere")));
    ASSERT_NE(r.mesh, nullptr);
    expectTriple(r.mesh->positions + 3, 1, 0, 0);
    expectTriple(r.mesh->normals + 3, 0, 0, 0);
    EXPECT_EQ(r.errors, "test.dae: no source \"nothere\" for the normals; they read 0\n");
    freeMeshObject(r.mesh);
}

TEST(ColladaRead, ShortListsShrinkToWhatTheyHold) {
    // Three faces announced, six integers given: one face is read.
    Read r = readDocument(colladaDocument(triangles(3, "0 0 1 0 2 0")));
    ASSERT_NE(r.mesh, nullptr);
    EXPECT_EQ(r.mesh->faceCount, 1);
    EXPECT_TRUE(contains(r.errors, "index list holds 6 of the 18 integers of 3 faces; 1 faces read")) << r.errors;
    freeMeshObject(r.mesh);

    std::string doc = colladaDocument(triangles(1, "0 0 1 0 3 0"));
    doc.replace(doc.find("count=\"12\""), 10, "count=\"40\"");
    Read shortSource = readDocument(doc);
    ASSERT_NE(shortSource.mesh, nullptr);
    EXPECT_TRUE(contains(shortSource.errors, "source pos announces 40 values and holds 12")) << shortSource.errors;
    expectTriple(shortSource.mesh->positions + 6, 1, 1, 1);
    freeMeshObject(shortSource.mesh);
}

TEST(ColladaRead, NegativeOrAbsurdFaceCountIsRefused) {
    for (const char *count : {"-1", "2000000000"}) {
        Read r = readDocument(colladaDocument(std::string("<triangles count=\"") + count + "\"><p>0 0</p></triangles>"));
        EXPECT_EQ(r.mesh, nullptr) << count;
        EXPECT_TRUE(contains(r.errors, "test.dae: face count")) << r.errors;
    }
}

TEST(ColladaRead, MissingElementsReadAsEmpty) {
    Read r = readDocument("<COLLADA/>");
    ASSERT_NE(r.mesh, nullptr);
    EXPECT_EQ(r.mesh->faceCount, 0);
    EXPECT_STREQ(r.mesh->name, "");
    freeMeshObject(r.mesh);
}

TEST(ColladaRead, UnparsableDocumentIsReported) {
    Read r = readDocument("<COLLADA><library_geometries></COLLADA>");
    EXPECT_EQ(r.mesh, nullptr);
    EXPECT_TRUE(contains(r.out, "filename [test.dae] not parsed\n")) << r.out;
    EXPECT_TRUE(contains(r.out, "XML [test.dae] parsed with errors\n")) << r.out;
    EXPECT_TRUE(contains(r.out, "Error description: ")) << r.out;
    EXPECT_TRUE(contains(r.out, "Error offset: ")) << r.out;
    EXPECT_EQ(r.errors, "dae parse error\n");
}

TEST(LoadColladaDeathTest, UnparsableOrMissingDocumentEndsTheProcess) {
    enterScratchDir();
    writeDataText("broken.dae", "<COLLADA><mesh></COLLADA>");
    EXPECT_EXIT(loadCollada("data/broken.dae"), testing::ExitedWithCode(1), "dae parse error\n");
    EXPECT_EXIT(loadCollada("data/missing.dae"), testing::ExitedWithCode(1), "dae parse error\n");
    writeDataText("negative.dae", colladaDocument("<triangles count=\"-4\"/>").c_str());
    EXPECT_EXIT(loadCollada("data\\negative.dae"), testing::ExitedWithCode(1), "face count -4");
}

namespace {

// Two faces sharing positions 1 and 2: (0, 1, 2) and (1, 3, 2).
MeshObject *twoFaceMesh() {
    const std::string doc = colladaDocument(triangles(2, "0 0 1 0 2 0 1 0 3 0 2 0"));
    MeshObject *mesh = readColladaBuffer(doc.data(), doc.size(), "morph.dae");
    return mesh;
}

// Three frames of four vertices; frame f moves every vertex by f along x.
struct MorphTable {
    float positions[3 * 4 * 3];
    VertexAnimation animation;
    MorphTable() {
        const float base[12] = {0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 1, 1};
        for (int f = 0; f < 3; f++)
            for (int i = 0; i < 12; i++) positions[12 * f + i] = base[i] + (i % 3 == 0 ? (float)f : 0.0f);
        animation = {4, 3, positions};
    }
};

}  // namespace

TEST(ColladaMorph, FrameZeroSetsBothPositionSetsToFrameZero) {
    testing::internal::CaptureStdout();
    MeshObject *mesh = twoFaceMesh();
    testing::internal::GetCapturedStdout();
    ASSERT_NE(mesh, nullptr);
    MorphTable table;
    setMorphFrame(mesh, &table.animation, 0);
    ASSERT_NE(mesh->positions2, nullptr);
    for (int i = 0; i < 18; i++) EXPECT_EQ(mesh->positions[i], mesh->positions2[i]) << i;
    expectTriple(mesh->positions + 3, 1, 0, 0);
    freeMeshObject(mesh);
}

TEST(ColladaMorph, LaterFramesKeepThePreviousOneAndClampToTheTable) {
    testing::internal::CaptureStdout();
    MeshObject *mesh = twoFaceMesh();
    testing::internal::GetCapturedStdout();
    ASSERT_NE(mesh, nullptr);
    MorphTable table;
    setMorphFrame(mesh, &table.animation, 2);
    expectTriple(mesh->positions + 3, 3, 0, 0);
    expectTriple(mesh->positions2 + 3, 2, 0, 0);
    setMorphFrame(mesh, &table.animation, 50);
    expectTriple(mesh->positions + 3, 3, 0, 0);
    expectTriple(mesh->positions2 + 3, 2, 0, 0);
    // A source index the table does not hold leaves its corner alone.
    mesh->sourceIndex[0] = 4;
    mesh->positions[0] = 42.0f;
    setMorphFrame(mesh, &table.animation, 1);
    EXPECT_EQ(mesh->positions[0], 42.0f);
    freeMeshObject(mesh);
}

TEST(ColladaMorph, SharedPositionsKeepTheirOwnFlatNormals) {
    testing::internal::CaptureStdout();
    MeshObject *mesh = twoFaceMesh();
    testing::internal::GetCapturedStdout();
    ASSERT_NE(mesh, nullptr);
    MorphTable table;
    setMorphFrame(mesh, &table.animation, 0);
    // Corner 1 of face 0 and corner 0 of face 1 both come from position 1.
    for (int k = 0; k < 3; k++) EXPECT_EQ(mesh->positions[3 + k], mesh->positions[9 + k]);
    expectTriple(mesh->normals + 3, 0, 0, 1);
    const float s = 1.0f / sqrtf(3.0f);
    expectTriple(mesh->normals + 9, -s, -s, s);
    for (int c = 0; c < 3; c++) expectTriple(mesh->normals + 3 * c, 0, 0, 1);
    for (int c = 3; c < 6; c++) expectTriple(mesh->normals + 3 * c, -s, -s, s);
    freeMeshObject(mesh);
}

TEST(ColladaMorph, TangentsOnlyWhenAsked) {
    testing::internal::CaptureStdout();
    MeshObject *mesh = twoFaceMesh();
    testing::internal::GetCapturedStdout();
    ASSERT_NE(mesh, nullptr);
    for (int i = 0; i < 12; i++) mesh->texCoords[i] = (float)(i * i % 5);
    MorphTable table;
    testing::internal::CaptureStdout();
    setMorphFrame(mesh, &table.animation, 1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(mesh->tangents[0], 0.0f);
    testing::internal::CaptureStdout();
    setMorphFrame(mesh, &table.animation, 1, true);
    EXPECT_TRUE(contains(testing::internal::GetCapturedStdout(), "malloc tan1"));
    EXPECT_NE(mesh->tangents[0] * mesh->tangents[0] + mesh->tangents[1] * mesh->tangents[1], 0.0f);
    freeMeshObject(mesh);
}
