// cams.cam: exact line layout, continuous groups, and eyes that stay in the open hall with a
// clear view of the centre-piece along the whole played curves.
#include "camera.h"
#include "room.h"
#include "visuals_test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

namespace {

const int SAMPLES_PER_SLOT = 48;
const float EYE_CLEARANCE = 0.75f;  // world units from any room surface
const float CENTRE_PIECE_RADIUS = 2.5f;

struct CameraFile {
    bool ok = false;
    CameraKey paths[CAMERA_SLOTS][CAMERA_POINTS];
};

const CameraFile& cameraFile() {
    static CameraFile file;
    static bool read = false;
    if (read) return file;
    read = true;
    std::vector<std::string> lines = splitLines(readText(dataPath("cams.cam")));
    if (lines.size() != size_t(CAMERA_FILE_LINES)) return file;
    float values[CAMERA_FILE_LINES];
    for (int n = 0; n < CAMERA_FILE_LINES; ++n) {
        char* end = nullptr;
        values[n] = std::strtof(lines[n].c_str(), &end);
        if (end == lines[n].c_str() || *end != '\0') return file;
    }
    for (int n = 0; n < CAMERA_FILE_LINES; n += CAMERA_VALUES) {
        CameraKey& k = file.paths[n / 32][(n / 8) % 4];
        k = {{values[n], values[n + 1], values[n + 2]}, {values[n + 3], values[n + 4], values[n + 5]},
             values[n + 6], values[n + 7]};
    }
    file.ok = true;
    return file;
}

}  // namespace

TEST(CameraFile, EyesStayInTheOpenHall) {
    ASSERT_TRUE(cameraFile().ok);
    const std::vector<Vec3>& room = roomTrianglesInWorld();
    for (int s = 0; s < CAMERA_SLOTS; ++s) {
        const CameraKey* k = cameraFile().paths[s];
        for (int i = 0; i <= SAMPLES_PER_SLOT; ++i) {
            float t = float(i) / SAMPLES_PER_SLOT;
            Vec3 eye = bezierEye(k, t);
            float distance = length(eye), horizontal = std::sqrt(eye.x * eye.x + eye.z * eye.z);
            EXPECT_GE(distance, 7.0f) << "slot " << s << " t " << t;
            EXPECT_LE(distance, 20.0f) << "slot " << s << " t " << t;
            EXPECT_GT(eye.y, FLOOR_Y + 1.0f) << "slot " << s << " t " << t;
            EXPECT_LT(eye.y, CEILING_Y - 2.0f) << "slot " << s << " t " << t;
            bool inCubeOrbit = horizontal < CENTRE_FREE_RADIUS + 0.5f && eye.y > CENTRE_FREE_LOW_Y &&
                               eye.y < CENTRE_FREE_HIGH_Y + 0.5f;
            EXPECT_FALSE(inCubeOrbit) << "slot " << s << " t " << t;
            float nearest = 1e9f;
            for (size_t j = 0; j < room.size(); j += 3)
                nearest = std::fmin(nearest, pointTriangleDistance(eye, room[j], room[j + 1], room[j + 2]));
            EXPECT_GT(nearest, EYE_CLEARANCE) << "slot " << s << " t " << t;
        }
    }
}

TEST(CameraFile, CentrePieceIsNeverHidden) {
    ASSERT_TRUE(cameraFile().ok);
    const std::vector<Vec3>& room = roomTrianglesInWorld();
    for (int s = 0; s < CAMERA_SLOTS; ++s) {
        for (int i = 0; i <= SAMPLES_PER_SLOT; i += 4) {
            Vec3 eye = bezierEye(cameraFile().paths[s], float(i) / SAMPLES_PER_SLOT);
            Vec3 surface = normalize(eye) * CENTRE_PIECE_RADIUS;
            for (size_t j = 0; j < room.size(); j += 3)
                ASSERT_FALSE(segmentHitsTriangle(eye, surface, room[j], room[j + 1], room[j + 2]))
                    << "slot " << s << " sample " << i << " blocked";
        }
    }
}
