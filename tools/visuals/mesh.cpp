// Mesh primitives and the 3DM writer for the content generators. Owns no state.
#include "mesh.h"

#include <cmath>
#include <cstdio>

static const float PI = 3.14159265358979f;

float dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

Vec3 cross(Vec3 a, Vec3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }

float length(Vec3 a) { return std::sqrt(dot(a, a)); }

Vec3 normalize(Vec3 a) {
    float l = length(a);
    return l > 0.0f ? a * (1.0f / l) : a;
}

Vec3 rotateY(Vec3 v, float angle) {
    float c = std::cos(angle), s = std::sin(angle);
    return {v.x * c + v.z * s, v.y, -v.x * s + v.z * c};
}

UvFrame planarFrame(Vec3 normal, float scale) {
    Vec3 u;
    if (std::fabs(normal.y) > 0.9f)
        u = normalize(Vec3{1, 0, 0} - normal * normal.x);
    else
        u = normalize(cross(Vec3{0, 1, 0}, normal));
    return {u, cross(normal, u), scale, 0.0f, 0.0f};
}

static Corner mapCorner(Vec3 p, Vec3 n, const UvFrame& frame) {
    return {p, n, dot(p, frame.uAxis) / frame.scale + frame.offsetS, dot(p, frame.vAxis) / frame.scale + frame.offsetT};
}

void addTriangle(GenMesh& mesh, const Corner& a, const Corner& b, const Corner& c) {
    mesh.corners.push_back(a);
    if (VISIBLE_SIDE_CLOCKWISE) {
        mesh.corners.push_back(c);
        mesh.corners.push_back(b);
    } else {
        mesh.corners.push_back(b);
        mesh.corners.push_back(c);
    }
}

void addQuadFacing(GenMesh& mesh, Corner q0, Corner q1, Corner q2, Corner q3, Vec3 facing) {
    if (dot(cross(q1.p - q0.p, q2.p - q0.p), facing) < 0.0f) {
        Corner swap = q1;
        q1 = q3;
        q3 = swap;
    }
    addTriangle(mesh, q0, q1, q2);
    addTriangle(mesh, q0, q2, q3);
}

void addQuad(GenMesh& mesh, Vec3 p0, Vec3 p1, Vec3 p2, Vec3 p3, const UvFrame& frame) {
    Vec3 n = normalize(cross(p1 - p0, p2 - p0));
    Corner c0 = mapCorner(p0, n, frame), c1 = mapCorner(p1, n, frame);
    Corner c2 = mapCorner(p2, n, frame), c3 = mapCorner(p3, n, frame);
    addTriangle(mesh, c0, c1, c2);
    addTriangle(mesh, c0, c2, c3);
}

static UvFrame offsetFrame(Vec3 normal, float uvScale, float uvOffset) {
    UvFrame frame = planarFrame(normal, uvScale);
    frame.offsetS = uvOffset;
    frame.offsetT = uvOffset;
    return frame;
}

void addFlatQuad(GenMesh& mesh, Vec3 p0, Vec3 p1, Vec3 p2, Vec3 p3, float uvScale, float uvOffset) {
    Vec3 n = normalize(cross(p1 - p0, p2 - p0));
    addQuad(mesh, p0, p1, p2, p3, offsetFrame(n, uvScale, uvOffset));
}

void addQuadTowards(GenMesh& mesh, Vec3 p0, Vec3 p1, Vec3 p2, Vec3 p3, Vec3 facing, float uvScale,
                    float uvOffset) {
    if (dot(cross(p1 - p0, p2 - p0), facing) < 0.0f)
        addFlatQuad(mesh, p0, p3, p2, p1, uvScale, uvOffset);
    else
        addFlatQuad(mesh, p0, p1, p2, p3, uvScale, uvOffset);
}

void addTriangleTowards(GenMesh& mesh, Vec3 p0, Vec3 p1, Vec3 p2, Vec3 facing, float uvScale, float uvOffset) {
    if (dot(cross(p1 - p0, p2 - p0), facing) < 0.0f) {
        Vec3 swap = p1;
        p1 = p2;
        p2 = swap;
    }
    Vec3 n = normalize(cross(p1 - p0, p2 - p0));
    UvFrame f = offsetFrame(n, uvScale, uvOffset);
    addTriangle(mesh, mapCorner(p0, n, f), mapCorner(p1, n, f), mapCorner(p2, n, f));
}

Box axisBox(Vec3 minCorner, Vec3 maxCorner) {
    return {(minCorner + maxCorner) * 0.5f, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}, (maxCorner - minCorner) * 0.5f};
}

Box turnedBox(Vec3 centre, Vec3 half, float angle) {
    return {centre, rotateY({1, 0, 0}, angle), {0, 1, 0}, rotateY({0, 0, 1}, angle), half};
}

// One box face: normal axis n with half extent hn, in-plane axes a, b (a x b = n).
static void addBoxFace(GenMesh& mesh, Vec3 centre, Vec3 n, float hn, Vec3 a, float ha, Vec3 b, float hb,
                       float uvScale, float uvOffset) {
    Vec3 c = centre + n * hn;
    addQuad(mesh, c - a * ha - b * hb, c + a * ha - b * hb, c + a * ha + b * hb, c - a * ha + b * hb,
            offsetFrame(n, uvScale, uvOffset));
}

void addBox(GenMesh& mesh, const Box& box, float uvScale, int faces, float uvOffset) {
    Vec3 X = box.axisX, Y = box.axisY, Z = box.axisZ, h = box.half, c = box.centre;
    float k = uvScale, o = uvOffset;
    if (faces & FACE_POS_X) addBoxFace(mesh, c, X, h.x, Y, h.y, Z, h.z, k, o);
    if (faces & FACE_NEG_X) addBoxFace(mesh, c, -X, h.x, Z, h.z, Y, h.y, k, o);
    if (faces & FACE_POS_Y) addBoxFace(mesh, c, Y, h.y, Z, h.z, X, h.x, k, o);
    if (faces & FACE_NEG_Y) addBoxFace(mesh, c, -Y, h.y, X, h.x, Z, h.z, k, o);
    if (faces & FACE_POS_Z) addBoxFace(mesh, c, Z, h.z, X, h.x, Y, h.y, k, o);
    if (faces & FACE_NEG_Z) addBoxFace(mesh, c, -Z, h.z, Y, h.y, X, h.x, k, o);
}

static Vec3 ringPoint(Vec3 centre, float radius, float angle) {
    return {centre.x + radius * std::cos(angle), centre.y, centre.z + radius * std::sin(angle)};
}

void addPrism(GenMesh& mesh, Vec3 baseCentre, float radius, float height, int sides, float startAngle,
              bool smooth, bool capTop, bool capBottom, float uvScale) {
    Vec3 up = {0, height, 0};
    float step = 2.0f * PI / float(sides);
    float edge = 2.0f * radius * std::sin(step * 0.5f);
    for (int k = 0; k < sides; ++k) {
        float a0 = startAngle + step * float(k), a1 = a0 + step;
        Vec3 b0 = ringPoint(baseCentre, radius, a0), b1 = ringPoint(baseCentre, radius, a1);
        Vec3 mid = normalize(Vec3{std::cos(a0 + step * 0.5f), 0, std::sin(a0 + step * 0.5f)});
        Vec3 n0 = smooth ? Vec3{std::cos(a0), 0, std::sin(a0)} : mid;
        Vec3 n1 = smooth ? Vec3{std::cos(a1), 0, std::sin(a1)} : mid;
        // s runs against the angle so that s x up points outwards (no mirrored texture).
        float s0 = -edge * float(k) / uvScale, s1 = -edge * float(k + 1) / uvScale;
        float t0 = baseCentre.y / uvScale, t1 = (baseCentre.y + height) / uvScale;
        addQuadFacing(mesh, {b0, n0, s0, t0}, {b1, n1, s1, t0}, {b1 + up, n1, s1, t1}, {b0 + up, n0, s0, t1}, mid);
        if (capTop) {
            Vec3 c = baseCentre + up;
            UvFrame f = planarFrame({0, 1, 0}, uvScale);
            Corner cc = mapCorner(c, {0, 1, 0}, f), c0 = mapCorner(b0 + up, {0, 1, 0}, f);
            Corner c1 = mapCorner(b1 + up, {0, 1, 0}, f);
            if (dot(cross(c0.p - cc.p, c1.p - cc.p), Vec3{0, 1, 0}) > 0.0f)
                addTriangle(mesh, cc, c0, c1);
            else
                addTriangle(mesh, cc, c1, c0);
        }
        if (capBottom) {
            UvFrame f = planarFrame({0, -1, 0}, uvScale);
            Corner cc = mapCorner(baseCentre, {0, -1, 0}, f), c0 = mapCorner(b0, {0, -1, 0}, f);
            Corner c1 = mapCorner(b1, {0, -1, 0}, f);
            if (dot(cross(c0.p - cc.p, c1.p - cc.p), Vec3{0, -1, 0}) > 0.0f)
                addTriangle(mesh, cc, c0, c1);
            else
                addTriangle(mesh, cc, c1, c0);
        }
    }
}

void addAnnulus(GenMesh& mesh, Vec3 centre, float innerRadius, float outerRadius, int sides, bool facingUp,
                float uvScale) {
    Vec3 n = {0, facingUp ? 1.0f : -1.0f, 0};
    UvFrame f = planarFrame(n, uvScale);
    float step = 2.0f * PI / float(sides);
    for (int k = 0; k < sides; ++k) {
        float a0 = step * float(k), a1 = a0 + step;
        addQuadFacing(mesh, mapCorner(ringPoint(centre, innerRadius, a0), n, f),
                      mapCorner(ringPoint(centre, outerRadius, a0), n, f),
                      mapCorner(ringPoint(centre, outerRadius, a1), n, f),
                      mapCorner(ringPoint(centre, innerRadius, a1), n, f), n);
    }
}

void addBand(GenMesh& mesh, Vec3 baseCentre, float radius, float height, int sides, bool outward, float uvScale) {
    float step = 2.0f * PI / float(sides);
    Vec3 up = {0, height, 0};
    for (int k = 0; k < sides; ++k) {
        float a0 = step * float(k), a1 = a0 + step;
        Vec3 b0 = ringPoint(baseCentre, radius, a0), b1 = ringPoint(baseCentre, radius, a1);
        Vec3 n = normalize(Vec3{std::cos(a0 + step * 0.5f), 0, std::sin(a0 + step * 0.5f)});
        if (!outward) n = -n;
        UvFrame f = planarFrame(n, uvScale);
        addQuadFacing(mesh, mapCorner(b0, n, f), mapCorner(b1, n, f), mapCorner(b1 + up, n, f),
                      mapCorner(b0 + up, n, f), n);
    }
}

void meshBounds(const GenMesh& mesh, Vec3& minCorner, Vec3& maxCorner) {
    minCorner = {1e30f, 1e30f, 1e30f};
    maxCorner = {-1e30f, -1e30f, -1e30f};
    for (const Corner& c : mesh.corners) {
        minCorner = {std::fmin(minCorner.x, c.p.x), std::fmin(minCorner.y, c.p.y), std::fmin(minCorner.z, c.p.z)};
        maxCorner = {std::fmax(maxCorner.x, c.p.x), std::fmax(maxCorner.y, c.p.y), std::fmax(maxCorner.z, c.p.z)};
    }
}

// Prints a number without a minus sign on zero.
static void appendNumber(std::string& text, float value, int decimals) {
    char buffer[48];
    double v = value;
    double limit = 0.5 * std::pow(10.0, -decimals);
    if (std::fabs(v) < limit) v = 0.0;
    std::snprintf(buffer, sizeof buffer, " %.*f", decimals, v);
    text += buffer;
}

static Vec3 toFile(Vec3 v, const FileSpace& space) {
    if (space.sceneRotation) v = {v.x, -v.z, v.y};
    return v;
}

void append3dmObject(std::string& text, const GenMesh& mesh, const FileSpace& space) {
    text += "o " + mesh.name + "\n";
    text += "numfaces " + std::to_string(mesh.corners.size() / 3) + "\n";
    for (const Corner& c : mesh.corners) {
        Vec3 p = toFile(c.p, space) * space.scale;
        Vec3 n = toFile(c.n, space);
        text += "v";
        appendNumber(text, p.x, 4);
        appendNumber(text, p.y, 4);
        appendNumber(text, p.z, 4);
        text += "\nn";
        appendNumber(text, n.x, 6);
        appendNumber(text, n.y, 6);
        appendNumber(text, n.z, 6);
        text += "\nt";
        appendNumber(text, c.s, 5);
        appendNumber(text, c.t, 5);
        text += "\n";
    }
}
