// Camera move design: each group of four slots is one smooth move through five key poses,
// either an orbit (keys in cylindrical coordinates around the centre-piece) or a track
// (keys in Cartesian coordinates). Owns no state.
#include "camera.h"

#include <cmath>
#include <cstdio>

static const float DEG = 3.14159265358979f / 180.0f;
static const int GROUP_KEYS = CAMERA_GROUP_SLOTS + 1;

// One key pose. Orbit groups: a = angle in degrees in the x-z plane (0 = +x, 90 = +z; not
// wrapped, so a move through 360 keeps counting), b = horizontal radius, c = height. Track groups: a, b, c = x, y, z.
struct MoveKey {
    float a, b, c;
    float roll;  // radians
    float fov;   // degrees
};

struct MoveDesign {
    const char* purpose;
    bool orbit;
    MoveKey keys[GROUP_KEYS];
    float easeIn, easeOut;  // end speed as a fraction of the neighbouring key step (0 = rest)
    // Look-at points of control points 1..3 of the group's last slot, the only ones the show
    // keeps from the file.
    Vec3 finalTargets[3];
};

// Eyes stay 7..20 units from the origin, at most 15.5 out horizontally (the column ring
// stands at 18), and out of the cube orbit (radius < 8.5 with height -3.5..4.5).
static const MoveDesign MOVES[CAMERA_GROUPS] = {
    {"part A opening: high and far, spiralling down and in",
     true,
     {{200, 15.0f, 12.0f, 0.05f, 55}, {168, 15.0f, 9.5f, -0.03f, 51}, {135, 14.0f, 6.5f, 0.0f, 47},
      {102, 12.5f, 4.0f, 0.04f, 43}, {70, 11.0f, 1.8f, 0.0f, 40}},
     0.3f,
     0.3f,
     {{0, -1.2f, 0}, {0, -0.6f, 0}, {0, 0, 0}}},
    {"part A later: low orbit dollying in under the cubes' height",
     true,
     {{320, 15.0f, -1.0f, 0.0f, 45}, {290, 13.5f, 0.0f, 0.06f, 43}, {260, 11.5f, 1.0f, 0.1f, 41},
      {230, 10.2f, 2.2f, 0.06f, 40}, {205, 9.6f, 3.2f, 0.0f, 38}},
     0.5f,
     0.4f,
     {{0.5f, -1.0f, 0}, {1.0f, -0.5f, 0.5f}, {0, 0, 0}}},
    {"part C: high orbit looking down on the dais",
     true,
     {{45, 9.0f, 11.0f, 0.1f, 50}, {100, 9.5f, 11.5f, 0.05f, 50}, {155, 10.0f, 12.0f, 0.0f, 50},
      {210, 10.5f, 12.0f, -0.05f, 50}, {265, 11.0f, 11.5f, -0.1f, 50}},
     0.5f,
     0.5f,
     {{0, -2.0f, 0}, {0, -2.5f, 0}, {0, -3.0f, 0}}},
    {"part C: crossing rise from the floor to high above",
     true,
     {{20, 14.0f, -1.5f, -0.15f, 40}, {-10, 12.0f, 1.5f, -0.07f, 43}, {-40, 10.5f, 4.8f, 0.0f, 46},
      {-70, 10.0f, 7.5f, 0.07f, 49}, {-100, 11.0f, 10.0f, 0.15f, 52}},
     0.5f,
     0.4f,
     {{0, -1.0f, 0}, {0, 0.5f, 0}, {0, 1.5f, 0}}},
    {"part B: lateral track past the centre-piece",
     false,
     {{-13.0f, 2.5f, 10.5f, 0.0f, 38}, {-6.5f, 2.8f, 10.0f, 0.0f, 38}, {0.0f, 3.0f, 9.8f, 0.0f, 38},
      {6.5f, 3.2f, 10.0f, 0.0f, 38}, {13.0f, 3.4f, 10.5f, 0.0f, 38}},
     0.6f,
     0.6f,
     {{0, -1.0f, 0}, {-1.0f, 0, 0}, {-2.0f, 0.5f, 0}}},
    {"part B: crane rising from floor level",
     true,
     {{135, 15.0f, -2.5f, 0.05f, 48}, {120, 14.0f, 0.0f, 0.03f, 46}, {105, 13.0f, 3.0f, 0.0f, 45},
      {90, 12.0f, 6.5f, -0.03f, 43}, {75, 11.0f, 10.0f, -0.05f, 42}},
     0.5f,
     0.4f,
     {{0, -1.0f, 0}, {0, 1.0f, 0}, {0, 2.5f, 0}}},
    {"part B: close orbit just above the cubes",
     true,
     {{300, 9.5f, 5.0f, 0.12f, 44}, {345, 9.0f, 5.5f, 0.12f, 44}, {390, 9.0f, 6.0f, 0.12f, 44},
      {435, 9.0f, 5.5f, 0.12f, 44}, {480, 9.5f, 5.0f, 0.12f, 44}},
     0.6f,
     0.6f,
     {{0, -1.0f, 0}, {0, -0.5f, 0}, {0, 0, 0}}},
    {"outro: slow pull back and up",
     true,
     {{30, 10.0f, 2.0f, 0.0f, 40}, {15, 11.5f, 3.5f, 0.02f, 44}, {0, 13.0f, 5.5f, 0.03f, 48},
      {-15, 14.5f, 8.0f, 0.02f, 52}, {-30, 15.0f, 10.5f, 0.0f, 55}},
     0.3f,
     0.2f,
     {{0, -1.0f, 0}, {0, 0, 0}, {0, 1.0f, 0}}},
};

// Key values as a vector of the design coordinates.
static Vec3 keyCoordinates(const MoveKey& k) { return {k.a, k.b, k.c}; }

// Rate of change of key i per slot: central differences inside, eased at the ends.
static float keyRate(const MoveDesign& m, int i, float MoveKey::*field) {
    if (i == 0) return (m.keys[1].*field - m.keys[0].*field) * m.easeIn;
    if (i == GROUP_KEYS - 1) return (m.keys[i].*field - m.keys[i - 1].*field) * m.easeOut;
    return (m.keys[i + 1].*field - m.keys[i - 1].*field) * 0.5f;
}

static Vec3 keyEye(const MoveDesign& m, int i) {
    const MoveKey& k = m.keys[i];
    if (!m.orbit) return keyCoordinates(k);
    return {k.b * std::cos(k.a * DEG), k.c, k.b * std::sin(k.a * DEG)};
}

// Velocity of the eye per slot at key i, in world units.
static Vec3 keyVelocity(const MoveDesign& m, int i) {
    Vec3 rate = {keyRate(m, i, &MoveKey::a), keyRate(m, i, &MoveKey::b), keyRate(m, i, &MoveKey::c)};
    if (!m.orbit) return rate;
    const MoveKey& k = m.keys[i];
    float angle = k.a * DEG, angleRate = rate.x * DEG;
    return {rate.y * std::cos(angle) - k.b * std::sin(angle) * angleRate, rate.z,
            rate.y * std::sin(angle) + k.b * std::cos(angle) * angleRate};
}

void buildCameraPaths(CameraKey paths[CAMERA_SLOTS][CAMERA_POINTS]) {
    const Vec3 origin = {0, 0, 0}, below = {0, -1.5f, 0}, drift = {0.25f, 0.25f, 0.25f};
    for (int g = 0; g < CAMERA_GROUPS; ++g) {
        const MoveDesign& m = MOVES[g];
        for (int j = 0; j < CAMERA_GROUP_SLOTS; ++j) {
            CameraKey* p = paths[g * CAMERA_GROUP_SLOTS + j];
            const MoveKey &k0 = m.keys[j], &k1 = m.keys[j + 1];
            // Hermite to Bezier: inner control points a third of the key velocity away.
            Vec3 e0 = keyEye(m, j), e1 = keyEye(m, j + 1);
            p[0].eye = e0;
            p[1].eye = e0 + keyVelocity(m, j) * (1.0f / 3.0f);
            p[2].eye = e1 - keyVelocity(m, j + 1) * (1.0f / 3.0f);
            p[3].eye = e1;
            float rollRate0 = keyRate(m, j, &MoveKey::roll), rollRate1 = keyRate(m, j + 1, &MoveKey::roll);
            float fovRate0 = keyRate(m, j, &MoveKey::fov), fovRate1 = keyRate(m, j + 1, &MoveKey::fov);
            p[0].roll = k0.roll;
            p[1].roll = k0.roll + rollRate0 / 3.0f;
            p[2].roll = k1.roll - rollRate1 / 3.0f;
            p[3].roll = k1.roll;
            p[0].fov = k0.fov;
            p[1].fov = k0.fov + fovRate0 / 3.0f;
            p[2].fov = k1.fov - fovRate1 / 3.0f;
            p[3].fov = k1.fov;
            // Targets as the show will use them: most are replaced on loading anyway.
            p[0].target = j == 3 ? below : origin;
            p[1].target = j == 3 ? m.finalTargets[0] : drift;
            p[2].target = j == 3 ? m.finalTargets[1] : drift;
            p[3].target = j == 3 ? m.finalTargets[2] : (j == 2 ? below : origin);
        }
    }
}

std::string cameraFileText(const CameraKey paths[CAMERA_SLOTS][CAMERA_POINTS]) {
    std::string text;
    char line[32];
    for (int s = 0; s < CAMERA_SLOTS; ++s) {
        for (int w = 0; w < CAMERA_POINTS; ++w) {
            const CameraKey& k = paths[s][w];
            const float values[CAMERA_VALUES] = {k.eye.x, k.eye.y, k.eye.z, k.target.x, k.target.y, k.target.z,
                                                 k.roll, k.fov};
            for (float v : values) {
                std::snprintf(line, sizeof line, "%.4f\n", std::fabs(v) < 5e-5f ? 0.0 : double(v));
                text += line;
            }
        }
    }
    return text;
}

Vec3 bezierEye(const CameraKey points[CAMERA_POINTS], float t) {
    float u = 1.0f - t;
    return points[0].eye * (u * u * u) + points[1].eye * (3.0f * u * u * t) + points[2].eye * (3.0f * u * t * t) +
           points[3].eye * (t * t * t);
}
