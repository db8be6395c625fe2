// ddc2.dae: the subset of COLLADA the show reads (one geometry, three sources, one-line number
// lists, 9 indices per triangle) and the ring-by-ring layout the curve object is taken from.
#include "curve.h"
#include "visuals_test_support.h"

#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <algorithm>
#include <cmath>
#include <sstream>

namespace {

struct Collada {
    pugi::xml_document document;
    pugi::xml_node mesh, triangles;
    std::string positionsId, normalsId, texcoordsId;
    int vertexOffset = -1, normalOffset = -1, texcoordOffset = -1;
    std::vector<float> positions, normals, texcoords;
    std::vector<int> indices;
    std::string error;  // first problem met while reading, empty if none
};

// Numbers separated by single blanks on one line, exactly as many as declared.
template <typename T>
bool readList(const char* text, size_t declared, std::vector<T>& values, std::string& error) {
    std::string s = text;
    if (s.find('\n') != std::string::npos || s.find('\r') != std::string::npos || s.find("  ") != std::string::npos ||
        s.empty() || s.front() == ' ' || s.back() == ' ') {
        error = "list is not one line of single-blank separated numbers";
        return false;
    }
    std::istringstream in(s);
    T value;
    while (in >> value) values.push_back(value);
    if (!in.eof() || values.size() != declared) {
        error = "read " + std::to_string(values.size()) + " numbers, declared " + std::to_string(declared);
        return false;
    }
    return true;
}

pugi::xml_node sourceById(pugi::xml_node mesh, std::string id) {
    if (!id.empty() && id[0] == '#') id.erase(0, 1);
    for (pugi::xml_node s = mesh.child("source"); s; s = s.next_sibling("source"))
        if (id == s.attribute("id").value()) return s;
    return pugi::xml_node();
}

// Reads the document the way the show does: first geometry, the vertices' position source,
// the triangles' inputs, three float arrays and the index list.
Collada& collada() {
    static Collada c;
    static bool loaded = false;
    if (loaded) return c;
    loaded = true;
    if (!c.document.load_file(dataPath("ddc2.dae").c_str())) {
        c.error = "not parsed";
        return c;
    }
    c.mesh = c.document.child("COLLADA").child("library_geometries").child("geometry").child("mesh");
    c.triangles = c.mesh.child("triangles");
    c.positionsId = c.mesh.child("vertices").child("input").attribute("source").value();
    for (pugi::xml_node input = c.triangles.child("input"); input; input = input.next_sibling("input")) {
        std::string semantic = input.attribute("semantic").value();
        int offset = input.attribute("offset").as_int(-1);
        if (semantic == "VERTEX") c.vertexOffset = offset;
        if (semantic == "NORMAL") {
            c.normalOffset = offset;
            c.normalsId = input.attribute("source").value();
        }
        if (semantic == "TEXCOORD") {
            c.texcoordOffset = offset;
            c.texcoordsId = input.attribute("source").value();
        }
    }
    struct {
        const std::string& id;
        std::vector<float>& values;
        size_t stride;
    } sources[] = {{c.positionsId, c.positions, 3}, {c.normalsId, c.normals, 3}, {c.texcoordsId, c.texcoords, 2}};
    for (auto& s : sources) {
        pugi::xml_node array = sourceById(c.mesh, s.id).child("float_array");
        std::string error;
        if (!array) {
            c.error = "no float_array for source " + s.id;
            return c;
        }
        if (!readList(array.child_value(), array.attribute("count").as_uint(), s.values, error) ||
            s.values.size() % s.stride != 0) {
            c.error = s.id + ": " + error;
            return c;
        }
    }
    size_t faces = c.triangles.attribute("count").as_uint();
    if (!readList(c.triangles.child("p").child_value(), faces * 9, c.indices, c.error)) return c;
    return c;
}

}  // namespace

TEST(CurveCollada, HasTheSubsetTheShowReads) {
    Collada& c = collada();
    ASSERT_EQ(c.error, "");
    pugi::xml_node geometry = c.mesh.parent();
    EXPECT_STREQ(geometry.attribute("name").value(), "ddc_curve");
    EXPECT_FALSE(geometry.next_sibling("geometry")) << "only one geometry";
    EXPECT_FALSE(c.mesh.child("polylist"));
    EXPECT_EQ(c.vertexOffset, 0);
    EXPECT_EQ(c.normalOffset, 1);
    EXPECT_EQ(c.texcoordOffset, 2);
    for (size_t i = 0; i < c.indices.size(); i += 3) {
        ASSERT_GE(std::min({c.indices[i], c.indices[i + 1], c.indices[i + 2]}), 0);
        ASSERT_LT(size_t(c.indices[i]), c.positions.size() / 3);
        ASSERT_LT(size_t(c.indices[i + 1]), c.normals.size() / 3);
        ASSERT_LT(size_t(c.indices[i + 2]), c.texcoords.size() / 2);
    }
}

TEST(CurveCollada, RingsFollowTheClosedCurveInOrder) {
    Collada& c = collada();
    ASSERT_EQ(c.positions.size(), size_t(DDC_RING_COUNT * DDC_RING_SIDES * 3));
    float extent = 0.0f;
    for (int r = 0; r < DDC_RING_COUNT; ++r) {
        Vec3 centre = {0, 0, 0};
        for (int k = 0; k < DDC_RING_SIDES; ++k) {
            const float* p = &c.positions[(r * DDC_RING_SIDES + k) * 3];
            centre = centre + Vec3{p[0], p[1], p[2]} * (1.0f / DDC_RING_SIDES);
        }
        Vec3 expected = ddcCurvePoint(float(r) / DDC_RING_COUNT);
        EXPECT_LT(length(centre - expected), 1e-3f) << "ring " << r;
        for (int k = 0; k < DDC_RING_SIDES; ++k) {
            const float* p = &c.positions[(r * DDC_RING_SIDES + k) * 3];
            EXPECT_NEAR(length(Vec3{p[0], p[1], p[2]} - centre), DDC_TUBE_RADIUS, 1e-3f) << "ring " << r;
        }
        extent = std::fmax(extent, length(centre));
    }
    EXPECT_GT(extent, 1.5f);
    EXPECT_LT(extent, 2.6f);
}

TEST(CurveCollada, TrianglesFaceOutwardsInTheShowsWinding) {
    Collada& c = collada();
    ASSERT_FALSE(c.indices.empty());
    const float expectedSign = VISIBLE_SIDE_CLOCKWISE ? -1.0f : 1.0f;
    auto position = [&](int i) { return Vec3{c.positions[i * 3], c.positions[i * 3 + 1], c.positions[i * 3 + 2]}; };
    auto normal = [&](int i) { return Vec3{c.normals[i * 3], c.normals[i * 3 + 1], c.normals[i * 3 + 2]}; };
    for (size_t f = 0; f < c.indices.size(); f += 9) {
        Vec3 a = position(c.indices[f]), b = position(c.indices[f + 3]), d = position(c.indices[f + 6]);
        Vec3 face = normalize(cross(b - a, d - a));
        for (int k = 0; k < 3; ++k) {
            Vec3 n = normal(c.indices[f + 3 * k + 1]);
            EXPECT_NEAR(length(n), 1.0f, 1e-3f);
            EXPECT_GT(dot(face, n) * expectedSign, 0.3f) << "triangle " << f / 9;
        }
    }
}
