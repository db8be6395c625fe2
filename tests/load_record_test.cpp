// The load record: names asked for through the data directory, once each, and the fallbacks of the
// loaders that report into it (a missing file, a picture that is no TGA, a ring of the last lines).
#include <gtest/gtest.h>

#include <string>

#include "assets/data_file.h"
#include "assets/load_record.h"
#include "assets/tga.h"
#include "tests/test_support.h"

namespace {

class LoadRecordTest : public ::testing::Test {
protected:
    void SetUp() override {
        enterScratchDir();
        resetLoadRecord();
    }
};

TEST_F(LoadRecordTest, OpensAreAskedOnceEachAndFailuresNamed) {
    writeDataText("here.txt", "x");
    for (int i = 0; i < 3; i++) {
        FILE *file = xfopen("here.txt", "rb");
        ASSERT_NE(file, nullptr);
        fclose(file);
    }
    EXPECT_EQ(xfopen("gone.txt", "rb"), nullptr);
    ASSERT_EQ(loadRecord.askedCount, 2);
    EXPECT_STREQ(loadRecord.asked[0], "data/here.txt");
    EXPECT_STREQ(loadRecord.asked[1], "data/gone.txt");
    ASSERT_EQ(loadRecord.fallbackCount, 1);
    EXPECT_STREQ(loadRecord.fallbacks[0], "data/gone.txt: cannot be opened");
    resetLoadRecord();
    EXPECT_EQ(loadRecord.askedCount, 0);
    EXPECT_EQ(loadRecord.fallbackCount, 0);
}

TEST_F(LoadRecordTest, PictureThatIsNoTgaIsAFallback) {
    writeDataText("garbage.tga", "not a picture at all");
    TgaImage image;
    EXPECT_FALSE(loadtga(&image, "garbage.tga"));
    ASSERT_EQ(loadRecord.fallbackCount, 1);
    EXPECT_STREQ(loadRecord.fallbacks[0], "data/garbage.tga: no readable TGA image");
}

TEST_F(LoadRecordTest, KeepsTheLastLinesAndCountsThemAll) {
    for (int i = 0; i < FALLBACKS_KEPT + 3; i++) noteLoadFallback("fallback %d", i);
    EXPECT_EQ(loadRecord.fallbackCount, FALLBACKS_KEPT + 3);
    for (int i = 3; i < FALLBACKS_KEPT + 3; i++)
        EXPECT_EQ(loadRecord.fallbacks[i % FALLBACKS_KEPT], "fallback " + std::to_string(i));
}

TEST_F(LoadRecordTest, FullTableSaysSoInsteadOfDroppingNamesQuietly) {
    for (int i = 0; i < MAX_ASKED_FILES; i++) noteAskedFile(("data/file" + std::to_string(i)).c_str());
    EXPECT_FALSE(loadRecord.askedOverflow);
    noteAskedFile("data/file0");
    EXPECT_FALSE(loadRecord.askedOverflow) << "a name already there is no new name";
    noteAskedFile("data/one-too-many");
    EXPECT_TRUE(loadRecord.askedOverflow);
    EXPECT_EQ(loadRecord.askedCount, MAX_ASKED_FILES);
}

}  // namespace
