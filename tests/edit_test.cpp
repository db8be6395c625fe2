// The edit mode's loop driven by a test clock: pause, loops, jumps by row and part, and live reload
// of shaders and the sync table through the file watcher.
#include <gtest/gtest.h>

#include <string.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "assets/shader.h"
#include "core/clock.h"
#include "core/keyboard.h"
#include "modes/capture.h"
#include "modes/edit.h"
#include "modes/file_watch.h"
#include "parts/show_assets.h"
#include "platform/platform.h"
#include "shell/dispatcher.h"
#include "shell/present.h"
#include "shell/show.h"
#include "shell/sync_track.h"
#include "tests/test_support.h"

namespace {

int64_t testNowMs = 0;
int64_t testClock() {
    return testNowMs;
}

const char *const HEADER = "divisor,jump,eventA,valueA,amountA,eventB,valueB\n";

// rows empty rows, with a next-part code at the rows listed.
std::string track(int rows, std::initializer_list<int> partRows) {
    std::string text = HEADER;
    for (int r = 0; r < rows; r++) {
        bool part = false;
        for (int p : partRows) part = part || p == r;
        text += part ? "0,0,14,0,0,0,0\n" : "0,0,0,0,0,0,0\n";
    }
    return text;
}

// The data files are links to the build's content: a new file takes the link's place, never writes
// through it.
void replaceDataText(const char *name, const char *text) {
    char path[256];
    snprintf(path, sizeof path, "data/%s", name);
    unlink(path);
    writeDataText(name, text);
}

std::vector<unsigned char> picture() {
    std::vector<unsigned char> rgb((size_t)SCREEN_WIDTH * SCREEN_HEIGHT * 3);
    readShowPicture(rgb.data());
    return rgb;
}

class Edit : public ::testing::Test {
protected:
    void SetUp() override {
        if (!openTestGlContext()) GTEST_SKIP() << "no display";
    }
    void start(const std::string &syncCsv, int64_t frame) {
        enterScratchDirWithShowData();
        writeDataText("sync1.csv", syncCsv.c_str());
        testNowMs = 0;
        startCaptureClock(EDIT_FPS);
        ASSERT_TRUE(startShow());
        startEditShow(frame, testClock);
        ASSERT_EQ(editFrame(), frame);
    }
    // Lets the test clock run for ms in steps of a few loop iterations.
    void runFor(int ms) {
        for (int t = 0; t < ms; t += 50) {
            testNowMs += 50;
            ASSERT_TRUE(editStep());
        }
    }
    // Long enough for the watcher to see a change and see it settle.
    void letWatcherSettle() { runFor(3 * WATCH_INTERVAL_MS); }
};

TEST_F(Edit, PauseHoldsClockAndPictureUntilResumed) {
    start(track(8, {}), 0);
    testNowMs += 50;   // three frames at 60 fps
    ASSERT_TRUE(editStep());
    ASSERT_EQ(editFrame(), 3);
    ASSERT_TRUE(handleEditKey(KEY_SPACE));
    const int64_t counter = drivenCounter();
    const std::vector<unsigned char> held = picture();
    runFor(2000);
    EXPECT_TRUE(editPaused());
    EXPECT_EQ(editFrame(), 3);
    EXPECT_EQ(drivenCounter(), counter);
    EXPECT_TRUE(picture() == held) << "the paused picture changed";
    // Resumed, the clock goes on from the held frame, not from where real time got to.
    ASSERT_TRUE(handleEditKey(KEY_SPACE));
    testNowMs += 34;
    ASSERT_TRUE(editStep());
    EXPECT_EQ(editFrame(), 5);
}

TEST_F(Edit, LoopWrapsBackToItsStartAndClears) {
    start(track(8, {}), 0);
    ASSERT_TRUE(handleEditKey(KEY_L));
    testNowMs += 50;    // frame 3
    ASSERT_TRUE(editStep());
    ASSERT_EQ(editFrame(), 3);
    ASSERT_TRUE(handleEditKey(KEY_L));
    testNowMs += 34;    // frame 5 lies past the end
    ASSERT_TRUE(editStep());
    EXPECT_EQ(editFrame(), 0);
    ASSERT_TRUE(handleEditKey(KEY_L));   // cleared: plays on past the old end
    testNowMs += 67;
    ASSERT_TRUE(editStep());
    EXPECT_EQ(editFrame(), 4);
}

// Page Down shows the first frame of the next part, which starts the frame after its row is played.
// Playing into the sync table's end row leaves the edit mode paused on the last frame before it.
TEST_F(Edit, TheShowsEndHoldsOnTheLastFrame) {
    std::string text = HEADER;
    text += "0,0,0,0,0,0,0\n0,0,255,0,0,0,0\n0,0,0,0,0,0,0\n";   // the end at row 1: 355.3 ms
    start(text, 20);
    testNowMs += 50;   // to frame 23, which ends the show
    ASSERT_TRUE(editStep()) << "the edit mode ended with the show";
    EXPECT_TRUE(editPaused());
    EXPECT_EQ(editFrame(), 22);   // the row clock passes row 1 in frame 23
    EXPECT_EQ(quitRequested, 0);
}

TEST_F(Edit, PartJumpShowsTheNextPartsFirstFrame) {
    start(track(8, {0}), 0);
    ASSERT_TRUE(handleEditKey(KEY_SPACE));
    ASSERT_EQ(demoeffect, PART_A);
    ASSERT_TRUE(handleEditKey(KEY_PAGE_DOWN));
    EXPECT_EQ(editFrame(), 1);
    EXPECT_EQ(demoeffect, PART_C);
    ASSERT_TRUE(handleEditKey(KEY_PAGE_DOWN));   // no later part: stays
    EXPECT_EQ(editFrame(), 1);
    ASSERT_TRUE(handleEditKey(KEY_HOME));
    EXPECT_EQ(editFrame(), 0);
    EXPECT_EQ(demoeffect, PART_A);
}

TEST(EditJumps, RowsAndPartStartsFromTheSyncTable) {
    static char text[] = "h\n0,0,0,0,0,0,0\n0,0,14,0,0,0,0\n0,0,0,0,0,0,0\n0,0,0,0,0,14,0\n0,0,0,0,0,0,0\n";
    FILE *file = fmemopen(text, strlen(text), "r");
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(readSyncTrack(file), 5);
    fclose(file);
    // Row r starts at r x 355.33 ms: its first frame at 60 fps is the one at or after that.
    EXPECT_EQ(syncRowFrame(0, EDIT_FPS), 0);
    EXPECT_EQ(syncRowFrame(1, EDIT_FPS), 22);   // 366.7 ms; frame 21 is at 350 ms
    EXPECT_EQ(syncRowFrame(3, EDIT_FPS), 64);   // 1066.0 ms; frame 64 is at 1066.7 ms
    // Parts begin the frame after the row that asks for them (rows 1 and 3, either event field).
    EXPECT_EQ(nextPartStart(0), 23);
    EXPECT_EQ(nextPartStart(23), 65);
    EXPECT_EQ(nextPartStart(65), 65);
    EXPECT_EQ(previousPartStart(65), 23);
    EXPECT_EQ(previousPartStart(40), 23);
    EXPECT_EQ(previousPartStart(23), 0);
}

TEST_F(Edit, ReloadedSyncTableChangesThePartAtTheChangedRow) {
    start(track(8, {}), 3);
    ASSERT_TRUE(handleEditKey(KEY_SPACE));
    ASSERT_EQ(demoeffect, PART_A);
    replaceDataText("sync1.csv", track(8, {0}).c_str());
    letWatcherSettle();
    EXPECT_EQ(editFrame(), 3) << "a reload keeps the moment";
    EXPECT_EQ(demoeffect, PART_C) << "row 0 now starts the next part";
    // Half a file (an editor saving it): nothing to read keeps the table as it was.
    replaceDataText("sync1.csv", "");
    letWatcherSettle();
    EXPECT_EQ(demoeffect, PART_C);
}

TEST_F(Edit, BrokenShaderKeepsThePictureAndReportsOnceAFixedOneIsUsed) {
    start(track(8, {}), 0);
    ASSERT_TRUE(handleEditKey(KEY_SPACE));
    // Home a few times: each start draws frame 0 after the one before, until the picture carried
    // from frame to frame (the environment cube) no longer changes.
    for (int i = 0; i < 5; i++) ASSERT_TRUE(handleEditKey(KEY_HOME));
    const std::vector<unsigned char> before = picture();

    testing::internal::CaptureStderr();
    replaceDataText("colorfx.frag", "void main() { gl_FragColor = vec4(1.0) }\n");   // no semicolon
    letWatcherSettle();
    letWatcherSettle();
    const std::string errors = testing::internal::GetCapturedStderr();
    size_t reports = 0;
    for (size_t at = errors.find("colorfx.frag"); at != std::string::npos; at = errors.find("colorfx.frag", at + 1))
        reports++;
    EXPECT_EQ(reports, 1u) << errors;
    ASSERT_TRUE(handleEditKey(KEY_HOME));   // drawn again with whatever program the grade has now
    EXPECT_TRUE(picture() == before) << "the broken shader changed the picture";

    replaceDataText("colorfx.frag", "void main() { gl_FragColor = vec4(1.0, 0.0, 0.0, 1.0); }\n");
    letWatcherSettle();
    const std::vector<unsigned char> red = picture();
    const size_t centre = ((size_t)SCREEN_HEIGHT / 2 * SCREEN_WIDTH + SCREEN_WIDTH / 2) * 3;
    EXPECT_GT(red[centre], 200) << "the rebuilt grade is not drawn";
    EXPECT_LT(red[centre + 1], 60);
}

// A 4 x 4 uncompressed 24-bit TGA of one colour (bytes in file order: blue, green, red).
std::string plainTga(unsigned char blue, unsigned char green, unsigned char red) {
    std::string tga(18, '\0');
    tga[2] = 2;                 // uncompressed true colour
    tga[12] = 4, tga[14] = 4;   // width and height
    tga[16] = 24;
    for (int i = 0; i < 16; i++) tga += {(char)blue, (char)green, (char)red};
    return tga;
}

TEST_F(Edit, ReloadedTextureIsDrawnAndAHalfWrittenOneKeepsIt) {
    start(track(8, {}), 0);
    ASSERT_TRUE(handleEditKey(KEY_SPACE));
    for (int i = 0; i < 5; i++) ASSERT_TRUE(handleEditKey(KEY_HOME));   // see the shader test
    const std::vector<unsigned char> before = picture();

    const std::string red = plainTga(0, 0, 255);
    unlink("data/overlay1.tga");   // the logo over the picture
    writeDataFile("overlay1.tga", red.data(), red.size());
    letWatcherSettle();
    const std::vector<unsigned char> reloaded = picture();
    EXPECT_TRUE(reloaded != before) << "the new logo is not drawn";

    testing::internal::CaptureStderr();
    writeDataFile("overlay1.tga", red.data(), 18);   // the header alone
    letWatcherSettle();
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_NE(errors.find("overlay1.tga"), std::string::npos) << errors;
    ASSERT_TRUE(handleEditKey(KEY_HOME));
    EXPECT_TRUE(picture() == reloaded) << "a texture that could not be read lost its picture";
}

}  // namespace
