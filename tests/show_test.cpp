// The show's frame loop under a driven clock: part changes, the playlist, the quit sequence.
#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "camera/camera.h"
#include "core/clock.h"
#include "core/keyboard.h"
#include "platform/gl.h"
#include "platform/platform.h"
#include "render/render_targets.h"
#include "shell/dispatcher.h"
#include "shell/frame_driver.h"
#include "shell/playlist.h"
#include "shell/show.h"
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
        return playRealTimeFrame();
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
TEST_F(Show, PartsCAndBTakeThePushKick) {
    // Part changes at rows 1 and 9 (355 and 3198 ms), pushes at rows 2 and 10 (711 and 3553 ms); a
    // push is over after 2 s.
    start(track({{1, "0,0,14,0,0,0,0\n"}, {2, "0,0,5,0,0,0,0\n"}, {9, "0,0,14,0,0,0,0\n"},
                 {10, "0,0,5,0,0,0,0\n"}}, 12).c_str());
    testing::internal::CaptureStderr();
    frameAt(0);
    for (const int partStart : {400, 3210}) {
        const int part = partStart < 1000 ? PART_C : PART_B;
        SCOPED_TRACE(part);
        frameAt(partStart);   // the part change row passes: stamped at the previous frame's time
        const int stamped = keyState.downTime[KEY_RETURN];
        frameAt(partStart + 50);
        EXPECT_EQ(demoeffect, part);
        // Leaving A keeps the row's stamp as the part start; leaving C takes the new part's first frame.
        EXPECT_EQ(partstarttime, part == PART_C ? stamped : partStart + 50);
        EXPECT_NEAR(cameraEye[2], 15.0f, 0.01f) << "no push before its row";
        frameAt(partStart + 320);   // the push row passes
        frameAt(partStart + 820);   // half a second into the push
        EXPECT_LT(cameraEye[2], 15.0f - 3.0f);
    }
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(errors.find("ERROR"), std::string::npos) << errors;
}

// Reference pictures: means of 12 x 12 pixel blocks of frames the show presents at fixed times of a
// fixed track, kept in tests/pictures (binary PPM, top row first). Every pass of the rig and every
// step of the composite shows in at least one of them, so a pass that stops drawing, or draws
// elsewhere, changes a reference. After a change that is meant to alter the pictures, run the test
// with LIGHTRIG_UPDATE_PICTURES=1 to rewrite them, and look at them before committing.
constexpr int THUMB_SCALE = 12;
constexpr int THUMB_WIDTH = SCREEN_WIDTH / THUMB_SCALE, THUMB_HEIGHT = SCREEN_HEIGHT / THUMB_SCALE;
constexpr size_t THUMB_BYTES = (size_t)THUMB_WIDTH * THUMB_HEIGHT * 3;

std::vector<unsigned char> presentedThumbnail() {
    static unsigned char pixels[SCREEN_WIDTH * SCREEN_HEIGHT * 3];
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, SCREEN_WIDTH, SCREEN_HEIGHT, GL_RGB, GL_UNSIGNED_BYTE, pixels);
    std::vector<unsigned char> thumb(THUMB_BYTES);
    for (int ty = 0; ty < THUMB_HEIGHT; ty++)
        for (int tx = 0; tx < THUMB_WIDTH; tx++)
            for (int c = 0; c < 3; c++) {
                int sum = 0;
                for (int y = 0; y < THUMB_SCALE; y++)
                    for (int x = 0; x < THUMB_SCALE; x++)
                        sum += pixels[((size_t)(ty * THUMB_SCALE + y) * SCREEN_WIDTH + tx * THUMB_SCALE + x) * 3 + c];
                // GL's first row is the bottom one; the file's is the top one.
                thumb[((size_t)(THUMB_HEIGHT - 1 - ty) * THUMB_WIDTH + tx) * 3 + c] =
                    (unsigned char)((sum + THUMB_SCALE * THUMB_SCALE / 2) / (THUMB_SCALE * THUMB_SCALE));
            }
    return thumb;
}

std::string referencePath(const char *name) {
    return std::string(LIGHTRIG_SOURCE_DIR) + "/tests/pictures/" + name + ".ppm";
}

void writeThumbnail(const std::string &path, const std::vector<unsigned char> &thumb) {
    FILE *file = fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr) << path;
    fprintf(file, "P6\n%d %d\n255\n", THUMB_WIDTH, THUMB_HEIGHT);
    fwrite(thumb.data(), 1, thumb.size(), file);
    fclose(file);
}

std::vector<unsigned char> readThumbnail(const std::string &path) {
    std::vector<unsigned char> thumb;
    FILE *file = fopen(path.c_str(), "rb");
    if (!file) return thumb;
    int width = 0, height = 0;
    if (fscanf(file, "P6 %d %d 255", &width, &height) == 2 && fgetc(file) == '\n' && width == THUMB_WIDTH &&
        height == THUMB_HEIGHT) {
        thumb.resize(THUMB_BYTES);
        if (fread(thumb.data(), 1, thumb.size(), file) != thumb.size()) thumb.clear();
    }
    fclose(file);
    return thumb;
}

// Blocks whose mean moved by more than a few levels in some channel. The references were made on
// llvmpipe; another rasteriser may round edges differently, never move a surface.
int changedBlocks(const std::vector<unsigned char> &a, const std::vector<unsigned char> &b) {
    int count = 0;
    for (size_t i = 0; i < a.size(); i += 3)
        count += abs(a[i] - b[i]) > 12 || abs(a[i + 1] - b[i + 1]) > 12 || abs(a[i + 2] - b[i + 2]) > 12;
    return count;
}

void expectReferencePicture(const char *name) {
    const std::vector<unsigned char> thumb = presentedThumbnail();
    const std::string path = referencePath(name);
    if (getenv("LIGHTRIG_UPDATE_PICTURES")) {
        writeThumbnail(path, thumb);
        return;
    }
    const std::vector<unsigned char> reference = readThumbnail(path);
    ASSERT_EQ(reference.size(), THUMB_BYTES) << "no reference picture " << path;
    const int changed = changedBlocks(thumb, reference);
    if (changed > THUMB_WIDTH * THUMB_HEIGHT / 500) {
        char here[1024];
        const std::string actual = std::string(getcwd(here, sizeof here) ? here : ".") + "/" + name + ".actual.ppm";
        writeThumbnail(actual, thumb);
        ADD_FAILURE() << name << ": " << changed << " of " << THUMB_WIDTH * THUMB_HEIGHT
                      << " blocks differ from the reference; the frame is in " << actual;
    }
}

// Each part with its own centre-piece (the brass block, the chain, the crystal), in the room with its
// spot-light shadows and the piece's own shadow, its reflections of the environment cube, through the
// grade and the chromatic pass; the blue grade, the logo, the outro picture and the fade. (The title
// key runs the title layer, which adds nothing: the show binds no title pictures.)
TEST_F(Show, FramesOfEveryPartAndCompositeStepMatchTheReferencePictures) {
    start(track({{1, "0,0,6,0,0,0,0\n"},      // title 4 (and part A kicks)
                 {4, "0,0,14,0,0,0,0\n"},     // part C
                 {8, "0,0,1,0,0,0,0\n"},      // the grade
                 {10, "0,0,14,0,0,0,0\n"},    // part B
                 {14, "0,0,0,0,0,10,1\n"},    // outro picture 1
                 {15, "0,0,7,0,0,0,0\n"}},    // fade out
                18).c_str());
    testing::internal::CaptureStderr();
    const struct {
        int ms;
        const char *reference;
    } frames[] = {{0, nullptr},    {400, nullptr},    {1000, "part-a-brass-block"}, {1450, nullptr},
                  {1500, nullptr}, {2500, "part-c-chain"}, {2900, "part-c-grade"},     {3600, nullptr},
                  {3650, nullptr}, {4500, "part-b-crystal"},
                  // The fade key is stamped with the time of the frame before the one it passes in.
                  {5300, nullptr}, {5400, nullptr}, {5450, "part-b-outro-fading"}};
    for (const auto &frame : frames) {
        frameAt(frame.ms);
        if (frame.reference) expectReferencePicture(frame.reference);
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
