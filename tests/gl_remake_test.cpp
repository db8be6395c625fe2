// Every GL object made again (what the web page does when the browser gives a lost context back):
// the show brought back to its frame draws the very picture it drew before, and goes on as before.
#include <gtest/gtest.h>

#include <stdint.h>
#include <unistd.h>

#include <vector>

#include "core/clock.h"
#include "platform/platform.h"
#include "shell/frame_driver.h"
#include "shell/gl_remake.h"
#include "shell/present.h"
#include "shell/show.h"
#include "tests/test_support.h"

namespace {

constexpr size_t PICTURE_BYTES = (size_t)SCREEN_WIDTH * SCREEN_HEIGHT * 3;
constexpr int FPS = 60;

using Picture = std::vector<unsigned char>;

// The frame brought about as the page does (the next one stepped, any other sought; after the remake
// the replay), drawn, read and presented.
Picture drawFrameAt(int64_t frame, FrameArrival how) {
    stepShowTo(frame, how);
    drawShowFrame();
    Picture picture(PICTURE_BYTES);
    readShowPicture(picture.data());
    presentShowFrame();
    return picture;
}

int differingPixels(const Picture &a, const Picture &b) {
    int count = 0;
    for (size_t p = 0; p < PICTURE_BYTES; p += 3)
        if (a[p] != b[p] || a[p + 1] != b[p + 1] || a[p + 2] != b[p + 2]) count++;
    return count;
}

// A moment in part B with the credits over it, and the next frame drawn on from it.
TEST(GlRemake, TheFrameOnScreenIsDrawnAgainExactlyAndTheShowGoesOn) {
    if (!openTestGlContext()) GTEST_SKIP() << "no display";
    enterScratchDirWithShowData();
    ASSERT_EQ(0, symlink(LIGHTRIG_DATA_DIR "/sync1.csv", "data/sync1.csv"));
    platformSetMusicEnabled(false);
    startCaptureClock(FPS);
    ASSERT_TRUE(startShow());
    startFrameDriver(false);
    const int64_t frame = 167 * FPS;
    const Picture before = drawFrameAt(frame, ARRIVE_EXACT);
    const Picture next = drawFrameAt(frame + 1, ARRIVE_EXACT);

    remakeGlObjects();
    EXPECT_EQ(0, differingPixels(next, drawFrameAt(frame + 1, ARRIVE_REPLAY)));
    EXPECT_EQ(0, differingPixels(before, drawFrameAt(frame, ARRIVE_REPLAY)));
}

}  // namespace
