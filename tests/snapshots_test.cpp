// The snapshot store over a list of blocks of the test's own, without GL: which frames it keeps, what
// a restore puts back, its bound, and the frame rate it belongs to.
#include <gtest/gtest.h>

#include <string.h>

#include "core/clock.h"
#include "core/state_blocks.h"
#include "shell/snapshots.h"
#include "shell/sync_track.h"
#include "tests/test_support.h"

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

// A made-up show of silent rows played by the sync player at 60 fps against a driven clock, its
// snapshots kept as a run passes them, and data/sync1.csv written again with one row changed, as the
// edit mode reloads it.
class SnapshotsAndSyncReload : public Snapshots {
protected:
    static constexpr int ROWS = 64;
    static constexpr int FPS = 60;
    int lastRowAt[MAX_SNAPSHOTS];   // the player's last played row at each kept slot

    void SetUp() override {
        Snapshots::SetUp();
        enterScratchDir();
        writeTable(-1);
        ASSERT_EQ(ROWS, loadSyncTrack());
        driveClock(1000);
        setDrivenCounter(0);
        resetClocks();
        resetSyncPlayer();
    }
    // Rows of zeros but for changedRow (none when negative), whose last field reads 1.
    static void writeTable(int changedRow) {
        static char text[64 + ROWS * 16];
        strcpy(text, "divisor,offset,a,b,c,d,e\n");
        for (int r = 0; r < ROWS; r++) strcat(text, r == changedRow ? "0,0,0,0,0,0,1\n" : "0,0,0,0,0,0,0\n");
        writeDataText("sync1.csv", text);
    }
    // Frames 0..last as the show plays them, each offered to the store once its rows are played.
    void playFrames(int64_t last) {
        for (int64_t k = 0; k <= last; k++) {
            setDrivenCounter(k * 1000 / FPS);
            frameTime = demoTime();
            playSyncTrack();
            stateOfFrame(k);
            keepSnapshotIfDue(k, FPS);
            if (k > 0 && k % snapshotSpacing(FPS) == 0) lastRowAt[k / snapshotSpacing(FPS)] = lastPlayedSyncRow();
        }
    }
    bool kept(int slot) { return snapshotAtOrBefore(slot * snapshotSpacing(FPS), FPS) == slot * snapshotSpacing(FPS); }
    void reloadWithRowChanged(int row) {
        writeTable(row);
        ASSERT_TRUE(reloadSyncTrack());
        ASSERT_EQ(row, firstChangedSyncRow());
        dropSnapshotsFromSyncRow(firstChangedSyncRow());
    }
};

// The snapshot whose last played row is the changed row has been shaped by it and goes, with every
// later one; the one whose last row is just before it stays, with every earlier one.
TEST_F(SnapshotsAndSyncReload, DropsTheSnapshotThatPlayedTheChangedRowAndKeepsTheOneBefore) {
    playFrames(4 * snapshotSpacing(FPS));
    ASSERT_EQ(4, snapshotCount());
    ASSERT_LT(lastRowAt[1] + 1, lastRowAt[2]);
    ASSERT_LT(lastRowAt[2] + 1, lastRowAt[3]);
    reloadWithRowChanged(lastRowAt[2]);
    EXPECT_TRUE(kept(1));
    EXPECT_FALSE(kept(2)) << "its last played row " << lastRowAt[2] << " is the changed row";
    EXPECT_FALSE(kept(3));
    EXPECT_FALSE(kept(4));
}

TEST_F(SnapshotsAndSyncReload, KeepsTheSnapshotWhoseLastRowIsJustBeforeTheChange) {
    playFrames(4 * snapshotSpacing(FPS));
    ASSERT_EQ(4, snapshotCount());
    reloadWithRowChanged(lastRowAt[2] + 1);
    EXPECT_TRUE(kept(1));
    EXPECT_TRUE(kept(2)) << "its last played row " << lastRowAt[2] << " is just before the changed row";
    EXPECT_FALSE(kept(3));
    EXPECT_FALSE(kept(4));
}

}  // namespace
