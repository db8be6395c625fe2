// The show's frame loop under a driven clock: part changes, the playlist, the quit sequence.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <algorithm>
#include <string>
#include <vector>

#include "camera/camera.h"
#include "platform/gl.h"
#include "platform/platform.h"
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

// A quarter of the presented picture (bottom-left), as luma.
std::vector<unsigned char> presentedQuarter() {
    static unsigned char pixels[SCREEN_WIDTH * SCREEN_HEIGHT / 4 * 4];
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, SCREEN_WIDTH / 2, SCREEN_HEIGHT / 2, GL_RGBA, GL_UNSIGNED_BYTE, pixels);
    std::vector<unsigned char> luma(SCREEN_WIDTH * SCREEN_HEIGHT / 4);
    for (size_t i = 0; i < luma.size(); i++) luma[i] = (unsigned char)((pixels[i * 4] + pixels[i * 4 + 1] + pixels[i * 4 + 2]) / 3);
    return luma;
}

// A frame of the part on screen: a picture with something in it.
void expectPartPicture(const char *part) {
    const std::vector<unsigned char> luma = presentedQuarter();
    const auto range = std::minmax_element(luma.begin(), luma.end());
    EXPECT_GT(*range.second - *range.first, 60) << part << " drew a flat picture";
}

int differingPixels(const std::vector<unsigned char> &a, const std::vector<unsigned char> &b) {
    int count = 0;
    for (size_t i = 0; i < a.size(); i++) count += abs(a[i] - b[i]) > 8;
    return count;
}

TEST_F(Show, AfterASlowLoadRowsAndMusicCountFromTheFirstFrame) {
    enterScratchDirWithShowData();
    writeDataText("sync1.csv", track({{1, "0,0,14,0,0,0,0\n"}}, 4).c_str());
    startAtTimeZero();
    setDrivenCounterStep(150);   // every clock reading during loading takes 150 ms
    const bool started = startShow();
    setDrivenCounterStep(0);
    ASSERT_TRUE(started);
    const int loaded = elapsedMs();
    ASSERT_GE(loaded, 10 * 150) << "loading took no time";
    EXPECT_EQ(showStartTime, loaded) << "the music starts when loading is over";
    const int zero = (int)drivenCounter() - loaded;   // counter at time zero: loading read it first
    frameAt(zero + loaded);
    EXPECT_EQ(syncBaseTime, showStartTime) << "rows count from the first frame, with the music";
    const std::vector<unsigned char> first = presentedQuarter();
    frameAt(zero + loaded + 350);
    EXPECT_EQ(demoeffect, PART_A) << "row 1 is 355 ms after the first frame, not after time zero";
    EXPECT_GT(differingPixels(first, presentedQuarter()), 1000) << "the presented picture is frozen";
    frameAt(zero + loaded + 360);   // row 1 passes
    frameAt(zero + loaded + 370);
    EXPECT_EQ(demoeffect, PART_C);
}

// Parts C and B start at their rows and take the push ('5') from the track: the camera placed at
// z 15 on a part's first frame goes in along its view.
TEST_F(Show, EachPartDrawsAPictureAndTakesThePushKick) {
    // Part changes at rows 1 and 9 (355 and 3198 ms), pushes at rows 2 and 10 (711 and 3553 ms); a
    // push is over after 2 s.
    start(track({{1, "0,0,14,0,0,0,0\n"}, {2, "0,0,5,0,0,0,0\n"}, {9, "0,0,14,0,0,0,0\n"},
                 {10, "0,0,5,0,0,0,0\n"}}, 12).c_str());
    testing::internal::CaptureStderr();
    frameAt(0);
    expectPartPicture("part A");
    for (const int partStart : {400, 3210}) {
        const int part = partStart < 1000 ? PART_C : PART_B;
        SCOPED_TRACE(part);
        frameAt(partStart);   // the part change row passes: stamped at the previous frame's time
        const int stamped = keyState.downTime[KEY_RETURN];
        frameAt(partStart + 50);
        EXPECT_EQ(demoeffect, part);
        // Leaving A keeps the row's stamp as the part start; leaving C takes the new part's first frame.
        EXPECT_EQ(partstarttime, part == PART_C ? stamped : partStart + 50);
        expectPartPicture(part == PART_C ? "part C" : "part B");
        EXPECT_NEAR(cameraEye[2], 15.0f, 0.01f) << "no push before its row";
        frameAt(partStart + 320);   // the push row passes
        frameAt(partStart + 820);   // half a second into the push
        EXPECT_LT(cameraEye[2], 15.0f - 3.0f);
    }
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
