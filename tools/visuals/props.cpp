// Cubes and sculpture meshes in file units. Owns no state.
#include "props.h"

#include <cmath>

static const float PI = 3.14159265358979f;
static const float CUBE_UV = 2.0f * CUBE_HALF_SIZE;  // one texture tile per cube face

// Point with value va on axis a, vb on axis b and vc on axis c (a, b, c a permutation of 0..2).
static Vec3 onAxes(int a, float va, int b, float vb, int c, float vc) {
    float v[3];
    v[a] = va;
    v[b] = vb;
    v[c] = vc;
    return {v[0], v[1], v[2]};
}

static Vec3 axisVector(int a, float sign) { return onAxes(a, sign, (a + 1) % 3, 0.0f, (a + 2) % 3, 0.0f); }

// Chamfered cube with a raised boss on every face.
static void buildBevelCube(GenMesh& mesh) {
    const float H = CUBE_HALF_SIZE - 1.5f, B = H - 3.0f, bossHalf = 9.0f, bossHeight = 1.5f;
    const float signs[2] = {-1.0f, 1.0f};
    for (int a = 0; a < 3; ++a) {
        int b = (a + 1) % 3, c = (a + 2) % 3;
        for (float s : signs) {
            Vec3 facing = axisVector(a, s);
            addQuadTowards(mesh, onAxes(a, s * H, b, -B, c, -B), onAxes(a, s * H, b, B, c, -B),
                           onAxes(a, s * H, b, B, c, B), onAxes(a, s * H, b, -B, c, B), facing, CUBE_UV, 0.5f);
            // boss: top and four sides, standing on the face
            float top = s * (H + bossHeight);
            Vec3 q[4] = {onAxes(a, top, b, -bossHalf, c, -bossHalf), onAxes(a, top, b, bossHalf, c, -bossHalf),
                         onAxes(a, top, b, bossHalf, c, bossHalf), onAxes(a, top, b, -bossHalf, c, bossHalf)};
            addQuadTowards(mesh, q[0], q[1], q[2], q[3], facing, CUBE_UV, 0.5f);
            for (int k = 0; k < 4; ++k) {
                Vec3 p0 = q[k], p1 = q[(k + 1) % 4];
                Vec3 d0 = p0 - facing * bossHeight, d1 = p1 - facing * bossHeight;
                Vec3 out = (p0 + p1) * 0.5f - facing * dot((p0 + p1) * 0.5f, facing);
                addQuadTowards(mesh, d0, d1, p1, p0, out, CUBE_UV, 0.5f);
            }
        }
    }
    // edge chamfers between faces a and b
    for (int a = 0; a < 3; ++a) {
        int b = (a + 1) % 3, c = (a + 2) % 3;
        for (float sa : signs) {
            for (float sb : signs) {
                Vec3 facing = axisVector(a, sa) + axisVector(b, sb);
                addQuadTowards(mesh, onAxes(a, sa * H, b, sb * B, c, -B), onAxes(a, sa * H, b, sb * B, c, B),
                               onAxes(a, sa * B, b, sb * H, c, B), onAxes(a, sa * B, b, sb * H, c, -B), facing,
                               CUBE_UV, 0.5f);
            }
        }
    }
    for (float sx : signs)
        for (float sy : signs)
            for (float sz : signs)
                addTriangleTowards(mesh, {sx * H, sy * B, sz * B}, {sx * B, sy * H, sz * B}, {sx * B, sy * B, sz * H},
                                   {sx, sy, sz}, CUBE_UV, 0.5f);
}

// Open cage of twelve bars, half size H and bar half-thickness bar. The cages are drawn with the
// same transform as the solid cubes and enclose them: cube2 holds cube1, cube3 holds cube4. The
// texture coordinates use s 0..sScale (the glass cube set keeps its metal in the left half).
static void addCage(GenMesh& mesh, float H, float bar, float sScale) {
    const float barCentre = H - bar;
    const float signs[2] = {-1.0f, 1.0f};
    const size_t first = mesh.corners.size();
    for (int a = 0; a < 3; ++a) {
        int b = (a + 1) % 3, c = (a + 2) % 3;
        // bars along x own the cube corners; the others stop where they meet them
        float halfLength = a == 0 ? H : H - 2.0f * bar;
        for (float sb : signs) {
            for (float sc : signs) {
                Vec3 centre = onAxes(a, 0.0f, b, sb * barCentre, c, sc * barCentre);
                Vec3 half = onAxes(a, halfLength, b, bar, c, bar);
                addBox(mesh, axisBox(centre - half, centre + half), CUBE_UV, ALL_FACES, 0.5f);
            }
        }
    }
    for (size_t i = first; i < mesh.corners.size(); ++i) mesh.corners[i].s *= sScale;
}

// A slender cage with corner blocks, around the bevelled cube.
static void buildPanelCube(GenMesh& mesh) {
    addCage(mesh, CAGE_HALF_SIZE, 1.3f, 1.0f);
    const float block = 3.2f, at = CAGE_HALF_SIZE - 1.3f;
    const float signs[2] = {-1.0f, 1.0f};
    for (float x : signs)
        for (float y : signs)
            for (float z : signs) {
                Vec3 centre = {x * at, y * at, z * at};
                Vec3 half = {block, block, block};
                addBox(mesh, axisBox(centre - half, centre + half), CUBE_UV, ALL_FACES, 0.5f);
            }
}

// A heavy metal cage around the studded cube.
static void buildGlassCube(GenMesh& mesh) {
    addCage(mesh, CAGE_HALF_SIZE + 1.0f, 2.2f, 0.5f);
}

// Cube with a three by three grid of frustum studs on every face.
static void buildStudCube(GenMesh& mesh) {
    const float core = CUBE_HALF_SIZE - 3.0f, baseHalf = 2.8f, topHalf = 1.6f, spacing = 10.5f;
    const float signs[2] = {-1.0f, 1.0f};
    for (int a = 0; a < 3; ++a) {
        int b = (a + 1) % 3, c = (a + 2) % 3;
        for (float s : signs) {
            Vec3 facing = axisVector(a, s);
            addQuadTowards(mesh, onAxes(a, s * core, b, -core, c, -core), onAxes(a, s * core, b, core, c, -core),
                           onAxes(a, s * core, b, core, c, core), onAxes(a, s * core, b, -core, c, core), facing,
                           CUBE_UV, 0.5f);
            for (int i = -1; i <= 1; ++i) {
                for (int j = -1; j <= 1; ++j) {
                    float pb = spacing * float(i), pc = spacing * float(j);
                    const float corners[4][2] = {{-1, -1}, {1, -1}, {1, 1}, {-1, 1}};
                    Vec3 lo[4], hi[4];
                    for (int k = 0; k < 4; ++k) {
                        lo[k] = onAxes(a, s * core, b, pb + corners[k][0] * baseHalf, c, pc + corners[k][1] * baseHalf);
                        hi[k] = onAxes(a, s * CUBE_HALF_SIZE, b, pb + corners[k][0] * topHalf, c,
                                       pc + corners[k][1] * topHalf);
                    }
                    addQuadTowards(mesh, hi[0], hi[1], hi[2], hi[3], facing, CUBE_UV, 0.5f);
                    Vec3 studCentre = onAxes(a, s * core, b, pb, c, pc);
                    for (int k = 0; k < 4; ++k) {
                        int n = (k + 1) % 4;
                        Vec3 out = (lo[k] + lo[n]) * 0.5f - studCentre;
                        addQuadTowards(mesh, lo[k], lo[n], hi[n], hi[k], out, CUBE_UV, 0.5f);
                    }
                }
            }
        }
    }
}

GenMesh buildCube(int k) {
    static const char* const NAMES[CUBE_COUNT] = {"bevelcube_main", "panelcube_main", "glasscube_main",
                                                  "studcube_main"};
    GenMesh mesh;
    mesh.name = NAMES[k];
    switch (k) {
        case 0: buildBevelCube(mesh); break;
        case 1: buildPanelCube(mesh); break;
        case 2: buildGlassCube(mesh); break;
        default: buildStudCube(mesh); break;
    }
    return mesh;
}

// Ring surface: major radius around the Z axis, fluted cross-section twisting three times
// around the ring. u runs around the ring, v around the tube, both 0..1.
static Vec3 sculptureCentre(float u) {
    const float major = 36.0f;
    float theta = 2.0f * PI * u;
    return {major * std::cos(theta), major * std::sin(theta), 0.0f};
}

static Vec3 sculpturePoint(float u, float v) {
    const float minor = 7.5f;
    float theta = 2.0f * PI * u, phi = 2.0f * PI * v;
    float r = minor * (1.0f + 0.16f * std::cos(4.0f * phi + 3.0f * theta));
    Vec3 radial = {std::cos(theta), std::sin(theta), 0.0f};
    return sculptureCentre(u) + radial * (r * std::cos(phi)) + Vec3{0, 0, r * std::sin(phi)};
}

GenMesh buildSculpture() {
    const int ringSteps = 48, tubeSteps = 14;
    const float sRepeat = 8.0f, tRepeat = 1.0f, eps = 1e-3f;
    GenMesh mesh;
    mesh.name = "sculpt_ring";
    auto corner = [&](int i, int j) {
        float u = float(i) / ringSteps, v = float(j) / tubeSteps;
        Vec3 p = sculpturePoint(u, v);
        Vec3 du = sculpturePoint(u + eps, v) - sculpturePoint(u - eps, v);
        Vec3 dv = sculpturePoint(u, v + eps) - sculpturePoint(u, v - eps);
        Vec3 n = normalize(cross(du, dv));
        float orientation = dot(n, p - sculptureCentre(u)) < 0.0f ? -1.0f : 1.0f;
        // s follows u when du x dv already points outwards, else runs against it (no mirroring)
        return Corner{p, n * orientation, orientation * sRepeat * u, tRepeat * v};
    };
    for (int i = 0; i < ringSteps; ++i) {
        for (int j = 0; j < tubeSteps; ++j) {
            Corner c00 = corner(i, j), c10 = corner(i + 1, j), c11 = corner(i + 1, j + 1), c01 = corner(i, j + 1);
            Vec3 facing = (c00.n + c10.n + c11.n + c01.n) * 0.25f;
            addQuadFacing(mesh, c00, c10, c11, c01, facing);
        }
    }
    return mesh;
}

std::string meshFileText(const GenMesh& mesh) {
    std::string text;
    append3dmObject(text, mesh, MESH_SPACE);
    return text;
}
