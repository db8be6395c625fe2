// The snapshot store over a list of blocks of the test's own, without GL: which frames it keeps, what
// a restore puts back, its bound, and the frame rate it belongs to.
#include <gtest/gtest.h>

#include <string.h>

#include "core/state_blocks.h"
#include "shell/snapshots.h"

namespace {

struct {
    int counter;
    float values[3];
} moduleA;
double moduleB;
int resets;

void resetModuleA() {
    resets++;
    moduleA = {};
}

class Snapshots : public ::testing::Test {
protected:
    void SetUp() override {
        clearStateBlocks();
        addStateBlock("a: counter and values", &moduleA, sizeof moduleA, resetModuleA);
        addStateBlock("b: value", &moduleB, sizeof moduleB, nullptr);
        addStateBlock("a again", &moduleA, sizeof moduleA, nullptr);   // ignored: already listed
        dropAllSnapshots();
        resets = 0;
    }
    // The state of frame k of a made-up run.
    static void stateOfFrame(int64_t k) {
        moduleA.counter = (int)k;
        moduleA.values[0] = moduleA.values[2] = (float)k * 0.5f;
        moduleB = (double)k * 3.0;
    }
    // A run at fps passing frames 1..last, as the frames' steps offer them.
    static void passFrames(int64_t last, int fps) {
        for (int64_t k = 1; k <= last; k++) {
            stateOfFrame(k);
            keepSnapshotIfDue(k, fps);
        }
    }
};

TEST_F(Snapshots, TheListHoldsEachBlockOnceAndResetsEachModuleOnce) {
    ASSERT_EQ(2, stateBlockCount());
    EXPECT_EQ(sizeof moduleA + sizeof moduleB, stateBytes());
    stateOfFrame(7);
    resetStateBlocks();
    EXPECT_EQ(1, resets);
    EXPECT_EQ(0, moduleA.counter);
    EXPECT_EQ(21.0, moduleB) << "a block without a reset of its own is its module's to reset";
}

TEST_F(Snapshots, KeepsTheRegularFramesAndRestoresTheirBytes) {
    const int fps = 60;
    const int64_t spacing = snapshotSpacing(fps);
    ASSERT_EQ(240, spacing);
    passFrames(3 * spacing + 10, fps);
    EXPECT_EQ(3, snapshotCount());
    EXPECT_EQ(3 * stateBytes(), snapshotBytes());
    EXPECT_EQ(-1, snapshotAtOrBefore(spacing - 1, fps)) << "the show's start is no snapshot";
    EXPECT_EQ(spacing, snapshotAtOrBefore(spacing, fps));
    EXPECT_EQ(2 * spacing, snapshotAtOrBefore(3 * spacing - 1, fps));
    EXPECT_EQ(3 * spacing, snapshotAtOrBefore(100 * spacing, fps));
    EXPECT_EQ(-1, snapshotAtOrBefore(2 * spacing, 30)) << "another frame rate's frames are other moments";
    restoreSnapshot(2 * spacing);
    EXPECT_EQ(2 * spacing, moduleA.counter);
    EXPECT_EQ(2 * spacing * 0.5f, moduleA.values[2]);
    EXPECT_EQ(2 * spacing * 3.0, moduleB);
    // Passing a kept frame again keeps the first copy.
    moduleB = -1.0;
    keepSnapshotIfDue(2 * spacing, fps);
    restoreSnapshot(2 * spacing);
    EXPECT_EQ(2 * spacing * 3.0, moduleB);
}

TEST_F(Snapshots, StayWithinTheirBoundAndBelongToOneFrameRate) {
    const int fps = 1;   // one every 4 frames: the whole store in a short run
    const int64_t spacing = snapshotSpacing(fps);
    ASSERT_EQ(4, spacing);
    passFrames(spacing * (MAX_SNAPSHOTS + 5), fps);
    EXPECT_EQ(MAX_SNAPSHOTS - 1, snapshotCount()) << "slots 1 to the last; frame 0 is the start";
    EXPECT_EQ(spacing * (MAX_SNAPSHOTS - 1), snapshotAtOrBefore(spacing * (MAX_SNAPSHOTS + 5), fps));
    EXPECT_LE(snapshotBytes(), (size_t)MAX_SNAPSHOTS * MAX_SNAPSHOT_BYTES);
    keepSnapshotIfDue(240, 60);   // a run at another rate starts the store again
    EXPECT_EQ(1, snapshotCount());
    EXPECT_EQ(-1, snapshotAtOrBefore(spacing * 10, fps));
    dropAllSnapshots();
    EXPECT_EQ(0, snapshotCount());
}

}  // namespace
