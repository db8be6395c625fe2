// The show's frame loop under a driven clock: part changes, the playlist, the quit sequence.
#include <gtest/gtest.h>

#include "platform/gl.h"
#include "render/render_targets.h"
#include "shell/clock.h"
#include "shell/dispatcher.h"
#include "shell/keyboard.h"
#include "shell/show.h"
#include "shell/playlist.h"
#include "shell/sync_track.h"
#include "tests/test_support.h"

namespace {

constexpr int ROW_MS = 356;   // a little more than one sync row (355.33 ms)

class Show : public ::testing::Test {
protected:
    void SetUp() override {
        if (!openTestGlContext()) GTEST_SKIP() << "no display";
    }
    // Starts the show in a scratch directory with the given sync table; the clock is driven and
    // stands at 0 until a frame is run.
    void start(const char *syncCsv) {
        enterScratchDirWithShowData();
        writeDataText("sync1.csv", syncCsv);
        startAtTimeZero();
        ASSERT_TRUE(startShow());
    }
    bool frameAt(int ms) {
        setDrivenCounter(ms);
        return runFrame();
    }
};

// The picture just presented. llvmpipe keeps the back buffer's contents across a swap, and a hidden
// window's front buffer cannot be read back.
void readPresentedPixel(unsigned char pixel[4]) {
    glReadBuffer(GL_BACK);
    glReadPixels(960, 540, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
}

const char *const HEADER = "divisor,jump,eventA,valueA,amountA,eventB,valueB\n";
const char *const EMPTY_ROW = "0,0,0,0,0,0,0\n";

std::string track(std::initializer_list<std::pair<int, const char *>> rows, int rowCount) {
    std::string text = HEADER;
    for (int r = 0; r < rowCount; r++) {
        const char *row = EMPTY_ROW;
        for (const auto &entry : rows)
            if (entry.first == r) row = entry.second;
        text += row;
    }
    return text;
}

TEST_F(Show, FirstFrameStartsPartAWithZeroFrameFactor) {
    start(track({}, 4).c_str());
    frameAt(10);
    EXPECT_EQ(demoeffect, PART_A);
    EXPECT_EQ(partstarttime, 10);
    EXPECT_EQ(frameFactor, 0.0f);
    frameAt(27);
    EXPECT_NEAR(frameFactor, 17 * 0.06f, 1e-5f);
}

// A frame of the part on screen: no GL error line, and a picture with something in it.
void expectPartPicture(const char *part) {
    static unsigned char pixels[SCREEN_WIDTH * SCREEN_HEIGHT / 4 * 4];
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, SCREEN_WIDTH / 2, SCREEN_HEIGHT / 2, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
    int minimum = 255, maximum = 0;
    for (int i = 0; i < SCREEN_WIDTH * SCREEN_HEIGHT / 4 * 4; i += 4) {
        const int luma = (pixels[i] + pixels[i + 1] + pixels[i + 2]) / 3;
        minimum = luma < minimum ? luma : minimum;
        maximum = luma > maximum ? luma : maximum;
    }
    EXPECT_GT(maximum - minimum, 60) << part << " drew a flat picture";
}

TEST_F(Show, EachPartDrawsAPictureWithoutGlErrors) {
    start(track({{1, "0,0,14,0,0,0,0\n"}, {3, "0,0,14,0,0,0,0\n"}}, 8).c_str());
    testing::internal::CaptureStderr();
    frameAt(0);
    expectPartPicture("part A");
    frameAt(400);
    frameAt(450);
    EXPECT_EQ(demoeffect, PART_C);
    expectPartPicture("part C");
    frameAt(1100);
    frameAt(1150);
    EXPECT_EQ(demoeffect, PART_B);
    expectPartPicture("part B");
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(errors.find("ERROR"), std::string::npos) << errors;
}

TEST_F(Show, TwoNextPartRowsInOneFrameAdvanceOverTwoFrames) {
    start(track({{1, "0,0,14,0,0,0,0\n"}, {2, "0,0,14,0,0,0,0\n"}}, 8).c_str());
    frameAt(0);
    frameAt(2 * ROW_MS);   // both rows pass in this frame
    EXPECT_EQ(pendingPartRequests(), 1);  // one advance already happened at the end of the frame
    EXPECT_EQ(sceneNumber, 37.0f);
    frameAt(2 * ROW_MS + 20);
    EXPECT_EQ(demoeffect, PART_C);
    EXPECT_EQ(pendingPartRequests(), 0);
    EXPECT_EQ(sceneNumber, 33.0f);
    frameAt(2 * ROW_MS + 40);
    EXPECT_EQ(demoeffect, PART_B);
}

TEST_F(Show, PlaylistWrapsAfterPartBAndResetsTheDivisor) {
    start(track({{1, "2,0,14,0,0,0,0\n"}, {3, "2,0,14,0,0,0,0\n"}, {5, "2,0,14,0,0,0,0\n"}}, 8).c_str());
    frameAt(0);
    int sceneOrder[4] = {};
    int visits = 0;
    int lastEffect = demoeffect;
    sceneOrder[visits++] = demoeffect;
    for (int ms = 120; ms < 7 * ROW_MS; ms += 120) {
        frameAt(ms);
        if (demoeffect != lastEffect && visits < 4) sceneOrder[visits++] = demoeffect;
        lastEffect = demoeffect;
    }
    EXPECT_EQ(sceneOrder[0], PART_A);
    EXPECT_EQ(sceneOrder[1], PART_C);
    EXPECT_EQ(sceneOrder[2], PART_B);
    EXPECT_EQ(sceneOrder[3], PART_A);
    EXPECT_EQ(timeDivisor, 1.0);   // every advance put the row's divisor back to 1
}

TEST_F(Show, LeavingPartAKeepsTheSyncStartTime) {
    start(track({{1, "0,0,14,0,0,0,0\n"}, {3, "0,0,14,0,0,0,0\n"}}, 8).c_str());
    frameAt(0);
    frameAt(400);   // row 1 passes: stamped at the previous frame's time
    const int stamped = keyState.downTime[KEY_RETURN];
    frameAt(450);
    EXPECT_EQ(demoeffect, PART_C);
    EXPECT_EQ(partstarttime, stamped);
    frameAt(1100);  // row 3 passes while part C runs
    frameAt(1150);
    EXPECT_EQ(demoeffect, PART_B);
    EXPECT_EQ(partstarttime, 1150);   // leaving C: the first frame time of the new part
}

TEST_F(Show, ExitRowEndsWithOneMoreFrameAndABlackPicture) {
    start(track({{1, "0,0,0,0,0,255,0\n"}}, 4).c_str());
    EXPECT_TRUE(frameAt(0));
    EXPECT_TRUE(frameAt(400));   // Escape injected and polled in this frame
    const int framesBefore = partFrameCounter;
    EXPECT_FALSE(frameAt(420));  // the quitting frame
    EXPECT_EQ(partFrameCounter, framesBefore);   // no part ran
    EXPECT_EQ(quitRequested, 1);
    unsigned char pixel[4] = {255, 255, 255, 255};
    readPresentedPixel(pixel);
    EXPECT_EQ(pixel[0], 0);
    EXPECT_EQ(pixel[1], 0);
    EXPECT_EQ(pixel[2], 0);
    endShow();
}

}  // namespace
