// Data-file lookup: names below data/, matched without regard to letter case.
#include <gtest/gtest.h>
#include <stdio.h>

#include <string>

#include "assets/data_file.h"
#include "tests/test_support.h"

namespace {

std::string readAll(FILE *file) {
    std::string text;
    char buffer[64];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, n);
    fclose(file);
    return text;
}

}  // namespace

TEST(Xfopen, OpensTheFileBelowDataInAnyLetterCase) {
    enterScratchDir();
    writeDataText("passthroughvertexshader.vert", "one file");
    FILE *exact = xfopen("passthroughvertexshader.vert", "rt");
    ASSERT_NE(exact, nullptr);
    EXPECT_EQ(readAll(exact), "one file");
    FILE *capital = xfopen("Passthroughvertexshader.vert", "rt");
    ASSERT_NE(capital, nullptr);
    EXPECT_EQ(readAll(capital), "one file");
}

TEST(Xfopen, ExactSpellingWinsOverAnotherCase) {
    enterScratchDir();
    writeDataText("Mesh.3dm", "capital");
    writeDataText("mesh.3dm", "small");
    FILE *file = xfopen("mesh.3dm", "r");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(readAll(file), "small");
}

TEST(Xfopen, ReportsThePathAndReturnsNullForAMissingFile) {
    enterScratchDir();
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    EXPECT_EQ(xfopen("absent.tga", "rb"), nullptr);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_NE(out.find("xfopen filename=[data/absent.tga]"), std::string::npos) << out;
    EXPECT_EQ(xfopen(nullptr, "rb"), nullptr);
}

TEST(Xfopen, DoesNotLookOutsideData) {
    enterScratchDir();
    FILE *outside = fopen("stray.txt", "w");
    ASSERT_NE(outside, nullptr);
    fclose(outside);
    EXPECT_EQ(xfopen("stray.txt", "r"), nullptr);
}
