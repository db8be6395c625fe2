// Trefoil tube mesh and its COLLADA text. Owns no state.
#include "curve.h"

#include <cmath>
#include <cstdio>
#include <vector>

static const float PI = 3.14159265358979f;
static const float CURVE_SCALE = 0.7f;   // trefoil extent ~3 -> ~2.1 world units
static const float S_REPEAT = 1.0f;      // texture repeats around the tube
static const float T_REPEAT = 10.0f;     // texture repeats along the whole curve
static const int TEXCOORD_COLUMNS = DDC_RING_SIDES + 1;  // seam columns duplicated
static const int TEXCOORD_ROWS = DDC_RING_COUNT + 1;

Vec3 ddcCurvePoint(float u) {
    float t = 2.0f * PI * u;
    return Vec3{std::sin(t) + 2.0f * std::sin(2.0f * t), std::cos(t) - 2.0f * std::cos(2.0f * t),
                -1.4f * std::sin(3.0f * t)} *
           CURVE_SCALE;
}

static Vec3 curveTangent(float u) {
    const float h = 1e-4f;
    return normalize(ddcCurvePoint(u + h) - ddcCurvePoint(u - h));
}

static Vec3 rotateAbout(Vec3 v, Vec3 axis, float angle) {
    float c = std::cos(angle), s = std::sin(angle);
    return v * c + cross(axis, v) * s + axis * (dot(axis, v) * (1.0f - c));
}

static void appendList(std::string& text, const std::vector<float>& values) {
    char buffer[32];
    for (size_t i = 0; i < values.size(); ++i) {
        double v = std::fabs(values[i]) < 5e-7f ? 0.0 : values[i];
        std::snprintf(buffer, sizeof buffer, i ? " %.6f" : "%.6f", v);
        text += buffer;
    }
}

static void appendSource(std::string& text, const char* id, const std::vector<float>& values, int stride,
                         const char* params) {
    std::string sid = std::string("ddc_curve-") + id;
    text += "        <source id=\"" + sid + "\">\n";
    text += "          <float_array id=\"" + sid + "-array\" count=\"" + std::to_string(values.size()) + "\">";
    appendList(text, values);
    text += "</float_array>\n";
    text += "          <technique_common>\n";
    text += "            <accessor source=\"#" + sid + "-array\" count=\"" + std::to_string(values.size() / stride) +
            "\" stride=\"" + std::to_string(stride) + "\">";
    for (const char* p = params; *p; ++p) text += std::string("<param name=\"") + *p + "\" type=\"float\"/>";
    text += "</accessor>\n          </technique_common>\n        </source>\n";
}

std::string ddcColladaText() {
    // Ring frames: rotation-minimising frames carried around the curve, with the twist
    // left over at the end spread evenly so that the last ring meets the first.
    std::vector<Vec3> centres(DDC_RING_COUNT), normals(DDC_RING_COUNT), binormals(DDC_RING_COUNT);
    Vec3 t0 = curveTangent(0.0f);
    Vec3 n = normalize(cross(t0, Vec3{0, 0, 1}));
    for (int r = 0; r < DDC_RING_COUNT; ++r) {
        float u = float(r) / DDC_RING_COUNT;
        Vec3 t = curveTangent(u);
        n = normalize(n - t * dot(t, n));
        centres[r] = ddcCurvePoint(u);
        normals[r] = n;
    }
    Vec3 carried = normalize(normals[DDC_RING_COUNT - 1] - t0 * dot(t0, normals[DDC_RING_COUNT - 1]));
    float twist = std::atan2(dot(cross(normals[0], carried), t0), dot(normals[0], carried));
    for (int r = 0; r < DDC_RING_COUNT; ++r) {
        Vec3 t = curveTangent(float(r) / DDC_RING_COUNT);
        // ring DDC_RING_COUNT would be ring 0 again: undo the leftover twist step by step
        normals[r] = rotateAbout(normals[r], t, -twist * float(r) / float(DDC_RING_COUNT));
        binormals[r] = cross(t, normals[r]);
    }

    std::vector<float> positions, vertexNormals, texcoords;
    for (int r = 0; r < DDC_RING_COUNT; ++r) {
        for (int k = 0; k < DDC_RING_SIDES; ++k) {
            float phi = 2.0f * PI * float(k) / DDC_RING_SIDES;
            Vec3 d = normals[r] * std::cos(phi) + binormals[r] * std::sin(phi);
            Vec3 p = centres[r] + d * DDC_TUBE_RADIUS;
            positions.insert(positions.end(), {p.x, p.y, p.z});
            vertexNormals.insert(vertexNormals.end(), {d.x, d.y, d.z});
        }
    }
    for (int r = 0; r < TEXCOORD_ROWS; ++r)
        for (int k = 0; k < TEXCOORD_COLUMNS; ++k)
            texcoords.insert(texcoords.end(), {S_REPEAT * float(k) / DDC_RING_SIDES, T_REPEAT * float(r) / DDC_RING_COUNT});

    // Two triangles per quad of band r (ring r to ring r + 1, wrapping), side k to k + 1.
    std::vector<int> indices;
    auto corner = [&](int r, int k) {
        int position = (r % DDC_RING_COUNT) * DDC_RING_SIDES + (k % DDC_RING_SIDES);
        indices.insert(indices.end(), {position, position, r * TEXCOORD_COLUMNS + k});
    };
    auto at = [&](int r, int k) {
        int i = (r % DDC_RING_COUNT) * DDC_RING_SIDES + (k % DDC_RING_SIDES);
        return Vec3{positions[i * 3], positions[i * 3 + 1], positions[i * 3 + 2]};
    };
    auto triangle = [&](int r0, int k0, int r1, int k1, int r2, int k2) {
        // Written in the show's winding as seen from outside the tube.
        Vec3 a = at(r0, k0), b = at(r1, k1), c = at(r2, k2);
        Vec3 outward = (a + b + c) * (1.0f / 3.0f) - centres[r0 % DDC_RING_COUNT];
        bool counterClockwise = dot(cross(b - a, c - a), outward) > 0.0f;
        corner(r0, k0);
        if (counterClockwise != VISIBLE_SIDE_CLOCKWISE) {
            corner(r1, k1);
            corner(r2, k2);
        } else {
            corner(r2, k2);
            corner(r1, k1);
        }
    };
    for (int r = 0; r < DDC_RING_COUNT; ++r) {
        for (int k = 0; k < DDC_RING_SIDES; ++k) {
            triangle(r, k, r + 1, k, r + 1, k + 1);
            triangle(r, k, r + 1, k + 1, r, k + 1);
        }
    }
    int faceCount = int(indices.size() / 9);

    std::string text;
    text += "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n";
    text += "<COLLADA xmlns=\"http://www.collada.org/2005/11/COLLADASchema\" version=\"1.4.1\">\n";
    text += "  <asset>\n    <contributor><authoring_tool>lightrig content generator</authoring_tool></contributor>\n";
    text += "    <unit name=\"meter\" meter=\"1\"/>\n    <up_axis>Y_UP</up_axis>\n  </asset>\n";
    text += "  <library_geometries>\n    <geometry id=\"ddc_curve-mesh\" name=\"ddc_curve\">\n      <mesh>\n";
    appendSource(text, "positions", positions, 3, "XYZ");
    appendSource(text, "normals", vertexNormals, 3, "XYZ");
    appendSource(text, "texcoords", texcoords, 2, "ST");
    text += "        <vertices id=\"ddc_curve-vertices\">\n";
    text += "          <input semantic=\"POSITION\" source=\"#ddc_curve-positions\"/>\n        </vertices>\n";
    text += "        <triangles count=\"" + std::to_string(faceCount) + "\">\n";
    text += "          <input semantic=\"VERTEX\" source=\"#ddc_curve-vertices\" offset=\"0\"/>\n";
    text += "          <input semantic=\"NORMAL\" source=\"#ddc_curve-normals\" offset=\"1\"/>\n";
    text += "          <input semantic=\"TEXCOORD\" source=\"#ddc_curve-texcoords\" offset=\"2\" set=\"0\"/>\n";
    text += "          <p>";
    char buffer[16];
    for (size_t i = 0; i < indices.size(); ++i) {
        std::snprintf(buffer, sizeof buffer, i ? " %d" : "%d", indices[i]);
        text += buffer;
    }
    text += "</p>\n        </triangles>\n      </mesh>\n    </geometry>\n  </library_geometries>\n";
    text += "  <library_visual_scenes>\n    <visual_scene id=\"scene\" name=\"scene\">\n";
    text += "      <node id=\"ddc_curve\" name=\"ddc_curve\"><instance_geometry url=\"#ddc_curve-mesh\"/></node>\n";
    text += "    </visual_scene>\n  </library_visual_scenes>\n";
    text += "  <scene>\n    <instance_visual_scene url=\"#scene\"/>\n  </scene>\n</COLLADA>\n";
    return text;
}
