// ddc2.dae as the show reads it: a mesh without complaints, the ring-by-ring layout the curve object
// is taken from, and triangles that face outwards in the show's winding.
#include "curve.h"
#include "visuals_test_support.h"

#include <gtest/gtest.h>

#include <cmath>

#include "assets/collada.h"

namespace {

struct Curve {
    const MeshObject* mesh = nullptr;
    std::string errors;          // what the reader reported
    std::vector<Vec3> sources;   // source positions by index
};

const Curve& curve() {
    static Curve c;
    if (c.mesh) return c;
    const std::string text = readText(dataPath("ddc2.dae"));
    testing::internal::CaptureStderr();
    c.mesh = readColladaBuffer(text.data(), text.size(), "ddc2.dae");
    c.errors = testing::internal::GetCapturedStderr();
    for (int k = 0; c.mesh && k < c.mesh->faceCount * 3; ++k) {
        const size_t i = size_t(c.mesh->sourceIndex[k]);
        if (c.sources.size() <= i) c.sources.resize(i + 1);
        const float* p = &c.mesh->positions[k * 3];
        c.sources[i] = {p[0], p[1], p[2]};
    }
    return c;
}

}  // namespace

TEST(CurveCollada, TrianglesFaceOutwardsInTheShowsWinding) {
    const MeshObject* mesh = curve().mesh;
    ASSERT_NE(mesh, nullptr);
    ASSERT_GT(mesh->faceCount, 0);
    const float expectedSign = VISIBLE_SIDE_CLOCKWISE ? -1.0f : 1.0f;
    auto at = [](const float* v, int corner) { return Vec3{v[corner * 3], v[corner * 3 + 1], v[corner * 3 + 2]}; };
    for (int f = 0; f < mesh->faceCount; ++f) {
        const Vec3 a = at(mesh->positions, 3 * f), b = at(mesh->positions, 3 * f + 1), d = at(mesh->positions, 3 * f + 2);
        const Vec3 face = normalize(cross(b - a, d - a));
        for (int k = 0; k < 3; ++k) {
            const Vec3 n = at(mesh->normals, 3 * f + k);
            EXPECT_NEAR(length(n), 1.0f, 1e-3f);
            EXPECT_GT(dot(face, n) * expectedSign, 0.3f) << "triangle " << f;
        }
    }
}
