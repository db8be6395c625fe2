// The curve object from tube meshes swept ring after ring: closed and open centre lines, thickness,
// segment frames, and the fallback knot.
#include <gtest/gtest.h>

#include <math.h>

#include <vector>

#include "parts/curve_object.h"

namespace {

// A tube of the given radius around a centre line, rings in order, two triangles per quad.
struct Tube {
    std::vector<float> positions;
    MeshObject mesh{};
};

// Rings around the centre line in a frame from its tangent and the Z axis (no curve here runs
// along Z).
template <typename CentreLine>
void sweepTube(Tube *tube, int rings, int sides, float radius, bool closed, CentreLine centre) {
    auto ringPoint = [&](int ring, int side, float out[3]) {
        double c[3], next[3];
        centre((double)ring / rings, c);
        centre((double)(ring + 1) / rings, next);
        double t[3] = {next[0] - c[0], next[1] - c[1], next[2] - c[2]};
        double a[3] = {t[1], -t[0], 0.0};   // t x Z
        const double al = sqrt(a[0] * a[0] + a[1] * a[1]);
        const double tl = sqrt(t[0] * t[0] + t[1] * t[1] + t[2] * t[2]);
        for (int k = 0; k < 3; k++) a[k] /= al, t[k] /= tl;
        const double b[3] = {a[1] * t[2] - a[2] * t[1], a[2] * t[0] - a[0] * t[2], a[0] * t[1] - a[1] * t[0]};
        const double angle = 2.0 * M_PI * side / sides;
        for (int k = 0; k < 3; k++) out[k] = (float)(c[k] + radius * (cos(angle) * a[k] + sin(angle) * b[k]));
    };
    for (int r = 0; r < (closed ? rings : rings - 1); r++)
        for (int s = 0; s < sides; s++) {
            const int r1 = (r + 1) % rings;
            float p00[3], p10[3], p11[3], p01[3];
            ringPoint(r, s, p00);
            ringPoint(r1, s, p10);
            ringPoint(r1, (s + 1) % sides, p11);
            ringPoint(r, (s + 1) % sides, p01);
            for (const float *corner : {p00, p10, p11, p00, p11, p01})
                tube->positions.insert(tube->positions.end(), corner, corner + 3);
        }
    tube->mesh.faceCount = (int)(tube->positions.size() / 9);
    tube->mesh.positions = tube->positions.data();
}

// Joints rebuilt the way the shader does: added up from zero, centred on the midpoints' mean.
void joints(double out[CURVE_SEGMENT_COUNT + 1][3]) {
    double sum[3] = {0, 0, 0};
    for (int k = 0; k < 3; k++) out[0][k] = 0.0;
    for (int i = 0; i < CURVE_SEGMENT_COUNT; i++)
        for (int k = 0; k < 3; k++) {
            const double step = curveObject.vectors[i][k] * (double)curveObject.vectorMult[i];
            sum[k] += out[i][k] + 0.5 * step;
            out[i + 1][k] = out[i][k] + step;
        }
    for (int i = 0; i <= CURVE_SEGMENT_COUNT; i++)
        for (int k = 0; k < 3; k++) out[i][k] -= sum[k] / CURVE_SEGMENT_COUNT;
}

double length3(const double v[3]) {
    return sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
}

TEST(CurveObject, ClosedTubeGivesAClosedChainOnItsCentreLine) {
    Tube tube;
    sweepTube(&tube, 200, 12, 0.5f, true, [](double u, double c[3]) {
        c[0] = 5.0 * cos(2.0 * M_PI * u);
        c[1] = 5.0 * sin(2.0 * M_PI * u);
        c[2] = 1.0;
    });
    testing::internal::CaptureStdout();
    buildCurveObject(&tube.mesh);
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_NE(log.find("ddc vectors count: 20\n"), std::string::npos);
    ASSERT_EQ(curveObject.count, CURVE_SEGMENT_COUNT);
    EXPECT_TRUE(curveObject.fromMesh);

    double j[CURVE_SEGMENT_COUNT + 1][3];
    joints(j);
    const double gap[3] = {j[20][0] - j[0][0], j[20][1] - j[0][1], j[20][2] - j[0][2]};
    EXPECT_LT(length3(gap), 1e-4) << "the chain closes on its first joint";
    for (int i = 0; i < CURVE_SEGMENT_COUNT; i++) {
        SCOPED_TRACE(i);
        // A circle: every joint on the circle of CURVE_RADIUS, every segment the same chord.
        EXPECT_NEAR(length3(j[i]), CURVE_RADIUS, 0.01);
        EXPECT_NEAR(curveObject.vectorMult[i], 2.0 * CURVE_RADIUS * sin(M_PI / CURVE_SEGMENT_COUNT), 0.01);
        EXPECT_NEAR(j[i][2], 0.0, 1e-4) << "flat circle stays flat";
        // Tube radius 0.5 on a circle of 5, scaled to CURVE_RADIUS.
        EXPECT_NEAR(curveObject.scalingMatrices[i][0], 0.5 * CURVE_RADIUS / 5.0, 0.02);
        EXPECT_EQ(curveObject.scalingMatrices[i][0], curveObject.scalingMatrices[i][10]);
        EXPECT_EQ(curveObject.scalingMatrices[i][5], 1.0f);
    }
}

TEST(CurveObject, AngleMatricesTurnYOntoEachSegment) {
    // A tall narrow loop: most segments point nearly straight up or down (a half turn), the rest
    // turn round the ends.
    Tube tube;
    sweepTube(&tube, 400, 8, 0.2f, true, [](double u, double c[3]) {
        c[0] = 0.01 * cos(2.0 * M_PI * u);
        c[1] = 4.0 * sin(2.0 * M_PI * u);
        c[2] = 0.0;
    });
    buildCurveObject(&tube.mesh);
    for (int i = 0; i < CURVE_SEGMENT_COUNT; i++) {
        SCOPED_TRACE(i);
        const float *m = curveObject.angleMatrices[i];   // column-major
        for (int k = 0; k < 3; k++) EXPECT_NEAR(m[3 + k], curveObject.vectors[i][k], 1e-5);
        for (int a = 0; a < 3; a++)
            for (int b = 0; b < 3; b++)
                EXPECT_NEAR(m[a * 3] * m[b * 3] + m[a * 3 + 1] * m[b * 3 + 1] + m[a * 3 + 2] * m[b * 3 + 2],
                            a == b ? 1.0 : 0.0, 1e-5);
        const double determinant = m[0] * (m[4] * m[8] - m[5] * m[7]) - m[3] * (m[1] * m[8] - m[2] * m[7]) +
                                   m[6] * (m[1] * m[5] - m[2] * m[4]);
        EXPECT_NEAR(determinant, 1.0, 1e-5) << "a rotation, not a mirror";
    }
}

TEST(CurveObject, MissingOrTinyMeshFallsBackToAClosedKnot) {
    Tube tiny;
    sweepTube(&tiny, 4, 3, 0.5f, true, [](double u, double c[3]) {
        c[0] = cos(2.0 * M_PI * u);
        c[1] = sin(2.0 * M_PI * u);
        c[2] = 0.0;
    });
    for (const MeshObject *mesh : {(const MeshObject *)nullptr, (const MeshObject *)&tiny.mesh}) {
        testing::internal::CaptureStderr();
        buildCurveObject(mesh);
        EXPECT_NE(testing::internal::GetCapturedStderr().find("trefoil"), std::string::npos);
        EXPECT_FALSE(curveObject.fromMesh);
        EXPECT_EQ(curveObject.count, CURVE_SEGMENT_COUNT);
        double j[CURVE_SEGMENT_COUNT + 1][3];
        joints(j);
        const double gap[3] = {j[20][0] - j[0][0], j[20][1] - j[0][1], j[20][2] - j[0][2]};
        EXPECT_LT(length3(gap), 1e-4);
        double farthest = 0.0;
        for (auto &joint : j) farthest = std::max(farthest, length3(joint));
        EXPECT_NEAR(farthest, CURVE_RADIUS, 1e-4);
    }
}

}  // namespace
