// COLLADA import: face elements, index strides, number lists, bad indices and sources, morphing.
#include <gtest/gtest.h>
#include <math.h>
#include <stdint.h>
#include <stdlib.h>

#include <string>
#include <vector>

#include "assets/collada.h"
#include "tests/test_support.h"

namespace {

typedef std::vector<float> Floats;

// Four positions, two normals, four texture coordinates; `faces` is the polylist/triangles part.
std::string document(const std::string &faces) {
    return std::string(R"(<?xml version="1.0"?>
<COLLADA><library_geometries><geometry id="g" name="hull_main"><mesh>
<source id="pos"><float_array count="12">0 0 0 1 0 0 0 1 0 1 1 1</float_array></source>
<source id="nrm"><float_array count="6">0 0 1 0 0 -1</float_array></source>
<source id="uv"><float_array count="8">0 0 1 0 0 1 0.5 0.25</float_array></source>
<vertices id="verts"><input semantic="POSITION" source="#pos"/></vertices>
)") + faces + "</mesh></geometry></library_geometries></COLLADA>\n";
}

// A triangles element with position and normal inputs (two integers per corner).
std::string triangles(int count, const char *indices, const char *normalSource = "#nrm") {
    return "<triangles count=\"" + std::to_string(count) + "\"><input semantic=\"VERTEX\" source=\"#verts\"/>" +
           "<input semantic=\"NORMAL\" source=\"" + normalSource + "\"/><p>" + indices + "</p></triangles>";
}

struct Read {
    MeshObject *mesh;
    std::string out, errors;
};

Read read(const std::string &text) {
    Read r;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    r.mesh = readColladaBuffer(text.data(), text.size(), "test.dae");
    r.out = testing::internal::GetCapturedStdout();
    r.errors = testing::internal::GetCapturedStderr();
    return r;
}

Floats floats(const float *values, int count) {
    return Floats(values, values + count);
}

}  // namespace

TEST(ColladaRead, PolylistWithTexcoordsReadsThreeIntegersPerCorner) {
    Read r = read(document(R"(<polylist count="1"><input semantic="VERTEX" source="#verts"/>)"
                           R"(<input semantic="NORMAL" source="#nrm"/><input semantic="TEXCOORD" source="#uv"/>)"
                           R"(<vcount>3</vcount><p>0 0 0 1 1 1 3 0 3</p></polylist>)"));
    ASSERT_NE(r.mesh, nullptr);
    EXPECT_EQ(r.errors, "");
    EXPECT_STREQ(r.mesh->name, "hull_main");
    EXPECT_EQ(floats(r.mesh->positions, 9), (Floats{0, 0, 0, 1, 0, 0, 1, 1, 1}));
    EXPECT_EQ(floats(r.mesh->normals + 3, 3), (Floats{0, 0, -1}));
    EXPECT_EQ(floats(r.mesh->texCoords, 6), (Floats{0, 0, 1, 0, 0.5f, 0.25f}));
    EXPECT_EQ(r.mesh->sourceIndex[2], 3);
    for (const char *marker : {"poscount 12\n", "uvcount 8\n", "facelist 9\n", ".dae obj hull_main faces 1\n"})
        EXPECT_NE(r.out.find(marker), std::string::npos) << marker;
    freeMeshObject(r.mesh);
}

TEST(ColladaRead, PolylistCountZeroFallsBackToTrianglesWithTwoIntegersPerCorner) {
    Read r = read(document("<polylist count=\"0\"><p>9 9 9</p></polylist>" + triangles(2, "0 0 1 0 2 0 1 1 3 1 2 1")));
    ASSERT_NE(r.mesh, nullptr);
    EXPECT_EQ(r.mesh->faceCount, 2);
    EXPECT_EQ(floats(r.mesh->positions + 12, 3), (Floats{1, 1, 1}));
    EXPECT_EQ(floats(r.mesh->normals + 9, 3), (Floats{0, 0, -1}));
    EXPECT_EQ(floats(r.mesh->texCoords, 12), Floats(12, 0.0f));   // no TEXCOORD input
    freeMeshObject(r.mesh);
}

TEST(ColladaLists, TokensAreBlankSeparatedAndALineBreakDoesNotSeparate) {
    int32_t ints[8] = {};
    EXPECT_EQ(parseIndexList("1\n2 3", ints, 8), 2);
    EXPECT_EQ(ints[1], 3);
    // A token of white space only reads 0 and does not borrow the next token's number.
    EXPECT_EQ(parseIndexList(" 1 \n  2", ints, 8), 3);
    EXPECT_EQ(ints[1], 0);
    EXPECT_EQ(parseIndexList("7 8 9", ints, 2), 2);
    EXPECT_EQ(parseIndexList("99999999999 -99999999999 x", ints, 8), 3);
    EXPECT_EQ(ints[0], INT32_MAX);
    EXPECT_EQ(ints[1], INT32_MIN);
    float values[4] = {};
    EXPECT_EQ(parseFloatList("1.5\n2.5 -3e2", values, 4), 2);
    EXPECT_EQ(values[1], -300.0f);
    // In a document: tokens 0 0 1 "1\n3" 2 0 make corner 2 position 2, not position 3.
    Read r = read(document(triangles(1, "0 0 1 1\n3 2 0")));
    ASSERT_NE(r.mesh, nullptr);
    EXPECT_EQ(floats(r.mesh->positions + 6, 3), (Floats{0, 1, 0}));
    freeMeshObject(r.mesh);
}

TEST(ColladaRead, UnparsableDocumentIsReported) {
    Read r = read("<COLLADA><library_geometries></COLLADA>");
    EXPECT_EQ(r.mesh, nullptr);
    EXPECT_NE(r.out.find("filename [test.dae] not parsed\nXML [test.dae] parsed with errors\nError description: "),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("\nError offset: "), std::string::npos) << r.out;
    EXPECT_EQ(r.errors, "dae parse error\n");
}

// Two faces sharing positions 1 and 2: (0, 1, 2) and (1, 3, 2); three frames moving x by f.
class ColladaMorph : public testing::Test {
  protected:
    void SetUp() override {
        const float base[12] = {0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 1, 1};
        for (int f = 0; f < 3; f++)
            for (int i = 0; i < 12; i++) frames[12 * f + i] = base[i] + (i % 3 == 0 ? (float)f : 0.0f);
        mesh = read(document(triangles(2, "0 0 1 0 2 0 1 0 3 0 2 0"))).mesh;
        ASSERT_NE(mesh, nullptr);
    }
    void TearDown() override { freeMeshObject(mesh); }
    float frames[36];
    VertexAnimation animation = {4, 3, frames};
    MeshObject *mesh = nullptr;
};

TEST_F(ColladaMorph, PositionSetsComeFromFramesKAndKMinusOne) {
    EXPECT_EQ(mesh->positions2, nullptr);
    setMorphFrame(mesh, &animation, 0);   // both sets from frame 0
    ASSERT_NE(mesh->positions2, nullptr);
    EXPECT_EQ(floats(mesh->positions2, 18), floats(mesh->positions, 18));
    EXPECT_EQ(floats(mesh->positions + 3, 3), (Floats{1, 0, 0}));
    for (int k : {2, 50}) {   // k past the table is clamped to its last frame
        setMorphFrame(mesh, &animation, k);
        EXPECT_EQ(floats(mesh->positions + 3, 3), (Floats{3, 0, 0}));
        EXPECT_EQ(floats(mesh->positions2 + 3, 3), (Floats{2, 0, 0}));
    }
    mesh->sourceIndex[0] = 4;   // not in the table: the corner keeps its position
    mesh->positions[0] = 42.0f;
    setMorphFrame(mesh, &animation, 1);
    EXPECT_EQ(mesh->positions[0], 42.0f);
}

TEST_F(ColladaMorph, SharedPositionsKeepTheirOwnFlatNormals) {
    setMorphFrame(mesh, &animation, 0);
    EXPECT_EQ(floats(mesh->positions + 3, 3), floats(mesh->positions + 9, 3));   // both position 1
    const float s = 1.0f / sqrtf(3.0f);
    for (int c = 0; c < 3; c++) EXPECT_EQ(floats(mesh->normals + 3 * c, 3), (Floats{0, 0, 1}));
    for (int c = 3; c < 6; c++) {
        EXPECT_FLOAT_EQ(mesh->normals[3 * c], -s);
        EXPECT_FLOAT_EQ(mesh->normals[3 * c + 2], s);
    }
}
