// Data-file lookup: names below data/, matched without regard to letter case.
#include <gtest/gtest.h>
#include <stdio.h>

#include <string>

#include "assets/data_file.h"
#include "tests/test_support.h"

namespace {

std::string readAll(const char *name) {
    FILE *file = xfopen(name, "r");
    if (!file) return "(null)";
    char buffer[64] = {};
    fread(buffer, 1, sizeof buffer - 1, file);
    fclose(file);
    return buffer;
}

}  // namespace

TEST(Xfopen, FindsDataFilesInAnyLetterCaseExactSpellingFirst) {
    enterScratchDir();
    writeDataText("passthroughvertexshader.vert", "one file");
    writeDataText("Mesh.3dm", "capital");
    writeDataText("mesh.3dm", "small");
    EXPECT_EQ(readAll("Passthroughvertexshader.vert"), "one file");
    EXPECT_EQ(readAll("mesh.3dm"), "small");
    EXPECT_NE(readAll("MESH.3dm"), "(null)");   // one of the two, whichever the directory lists first
}

TEST(Xfopen, ReportsThePathAndReturnsNullForMissingFiles) {
    enterScratchDir();
    fclose(fopen("stray.txt", "w"));   // outside data/: not found
    testing::internal::CaptureStdout();
    EXPECT_EQ(xfopen("absent.tga", "rb"), nullptr);
    EXPECT_EQ(xfopen("stray.txt", "r"), nullptr);
    EXPECT_EQ(xfopen(nullptr, "rb"), nullptr);
    EXPECT_NE(testing::internal::GetCapturedStdout().find("xfopen filename=[data/absent.tga]"), std::string::npos);
}
