// The camera file: line layout, the look-at jitter, short and missing files.
#include <gtest/gtest.h>
#include <stdio.h>
#include <string>

#include "assets/load_record.h"
#include "camera/camera_file.h"
#include "camera/camera_path.h"
#include "tests/test_support.h"

namespace {

// A cams.cam whose line n holds n + 0.25.
void writeCountingFile(int lines) {
    std::string text;
    for (int n = 0; n < lines; n++) text += std::to_string(n) + ".25\n";
    writeDataText("cams.cam", text.c_str());
}

// Value v (file order: eye xyz, target xyz, roll, fov) of control point p.
float stored(int p, int v) {
    if (v < 3) return cameraPaths.eye[p][v];
    if (v < 6) return cameraPaths.target[p][v - 3];
    return v == 6 ? cameraPaths.roll[p] : cameraPaths.fov[p];
}

void expectTarget(int p, float x, float y, float z) {
    EXPECT_EQ(stored(p, 3), x) << "point " << p;
    EXPECT_EQ(stored(p, 4), y) << "point " << p;
    EXPECT_EQ(stored(p, 5), z) << "point " << p;
}

class CameraFile : public ::testing::Test {
protected:
    void SetUp() override {
        enterScratchDir();
        resetLoadRecord();
    }
};

TEST_F(CameraFile, LinesFillSlotsPointsAndValuesAndTargetsAreJittered) {
    writeCountingFile(CAMERA_FILE_LINES);
    EXPECT_TRUE(loadCameraFile());
    EXPECT_EQ(loadRecord.fallbackCount, 0);
    for (int n = 0; n < CAMERA_FILE_LINES; n++) {
        const int slot = n / 32, point = (n / 8) % 4, value = n % 8;
        // Targets come from the file only for points 1..3 of every fourth slot.
        if (value >= 3 && value <= 5 && !(slot % 4 == 3 && point > 0)) continue;
        EXPECT_EQ(stored(slot * 4 + point, value), n + 0.25f) << "line " << n;
    }
    for (int slot = 0; slot < MAX_CAMERA_SLOTS; slot++) {
        const int j = slot % 4, p = slot * 4;
        if (j == 3) {
            expectTarget(p, 0.0f, -1.5f, 0.0f);
            continue;
        }
        expectTarget(p, 0.0f, 0.0f, 0.0f);
        for (int v = 3; v < 6; v++) {
            EXPECT_GE(stored(p + 1, v), 0.0f);
            EXPECT_LE(stored(p + 2, v), 0.499f);
        }
        if (j == 2) expectTarget(p + 3, 0.0f, -1.5f, 0.0f);
        else expectTarget(p + 3, 0.0f, 0.0f, 0.0f);
    }
    // The generator seeded with 1001 draws 3307, 18970, ...: point 1 of slot 0 looks at 0.307, 0.470.
    EXPECT_FLOAT_EQ(cameraPaths.target[1][0], 0.307f);
    EXPECT_FLOAT_EQ(cameraPaths.target[1][1], 0.470f);
}

TEST_F(CameraFile, ShortFileRepeatsItsLastLineAndBadLinesKeepTheValue) {
    writeDataText("cams.cam", "  1.5 metres\nnot a number\n-2e1\n7");
    FILE *file = fopen("data/cams.cam", "rt");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(readCameraFile(file), 3) << "numbers on lines of their own: 1.5, -2e1 and 7";
    fclose(file);
    EXPECT_EQ(stored(0, 0), 1.5f);
    EXPECT_EQ(stored(0, 1), 0.0f);
    EXPECT_EQ(stored(0, 2), -20.0f);
    for (int n = 3; n < CAMERA_FILE_LINES; n++) ASSERT_EQ(stored(n / 8, n % 8), 7.0f) << "line " << n;
}

// A whole file less its last line loads, and says it was short.
TEST_F(CameraFile, FileOneLineShortIsReportedAsNotWhole) {
    writeCountingFile(CAMERA_FILE_LINES - 1);
    EXPECT_FALSE(loadCameraFile());
    ASSERT_EQ(loadRecord.fallbackCount, 1);
    EXPECT_STREQ(loadRecord.fallbacks[0], "data/cams.cam: 1023 of 1024 lines hold a number");
}

TEST_F(CameraFile, MissingFileLogsAndLeavesTheTableZero) {
    writeCountingFile(CAMERA_FILE_LINES);
    loadCameraFile();
    remove("data/cams.cam");
    testing::internal::CaptureStdout();
    EXPECT_FALSE(loadCameraFile());
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_NE(log.find("no cam file\n"), std::string::npos) << log;
    EXPECT_STREQ(loadRecord.fallbacks[0], "data/cams.cam: cannot be opened");
    for (int n = 0; n < CAMERA_FILE_LINES; n++) ASSERT_EQ(stored(n / 8, n % 8), 0.0f);
}

}  // namespace
