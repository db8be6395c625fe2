// The sync track: reading the table and playing its rows against a driven clock.
#include <gtest/gtest.h>
#include <stdio.h>
#include <string.h>

#include "camera/camera_path.h"
#include "core/clock.h"
#include "core/keyboard.h"
#include "shell/dispatcher.h"
#include "shell/playlist.h"
#include "shell/sync_track.h"
#include "tests/test_support.h"

namespace {

int readFromText(const char *text) {
    FILE *file = tmpfile();
    fputs(text, file);
    rewind(file);
    const int rows = readSyncTrack(file);
    fclose(file);
    return rows;
}

TEST(SyncTrackReader, LastLineWithoutNewlineIsNotRead) {
    EXPECT_EQ(readFromText("h\n1,2,3,4,5,6,7\n8,9,10,11,12,13,14"), 1);
    EXPECT_EQ(syncTable[0][6], 7.0f);
    EXPECT_EQ(syncTable[1][0], 0.0f);
}

TEST(SyncTrackReader, AtMost2047RowsAreUsed) {
    static char text[3000 * 8];
    strcpy(text, "h\n");
    for (int i = 0; i < 2999; i++) strcat(text, "1,0,0\n");
    EXPECT_EQ(readFromText(text), MAX_SYNC_ROWS - 1);
}

// Rows are set directly in the table; frames happen at exact elapsed times.
class SyncPlayer : public ::testing::Test {
protected:
    void SetUp() override {
        startAtTimeZero();
        stopCameraCue();
        memset(syncTable, 0, sizeof syncTable);
        syncRowCount = 64;
    }
    void setRow(int row, float a, float b, float valueB = 0.0f) {
        syncTable[row][2] = a;
        syncTable[row][5] = b;
        syncTable[row][6] = valueB;
    }
    // One frame's worth of the dispatcher's use of the player.
    void frameAt(int ms) {
        setDrivenCounter(ms);
        frameTime = demoTime();
        playSyncTrack();
    }
};

TEST_F(SyncPlayer, SlowFrameStampsPassedRowsOneSubTickApart) {
    setRow(1, SYNC_KEY_8, 0);
    setRow(2, SYNC_KEY_I, 0);
    setRow(3, SYNC_KEY_5, 0);
    frameAt(0);
    frameAt(100);
    EXPECT_FALSE(keyState.injected[KEY_8]);
    frameAt(1100);   // rows 1..3 pass in one frame
    // Base: the previous frame's 100 ms snapped down to the 1.28 ms grid (99.78 ms) and truncated.
    EXPECT_EQ(keyState.downTime[KEY_8], 99);
    EXPECT_EQ(keyState.downTime[KEY_I], 100);
    EXPECT_EQ(keyState.downTime[KEY_5], 101);
}

TEST_F(SyncPlayer, RowsPassEvery355Milliseconds) {
    setRow(2, SYNC_KEY_4, 0);
    frameAt(0);
    frameAt(710);
    EXPECT_FALSE(keyState.injected[KEY_4]);
    frameAt(711);
    EXPECT_TRUE(keyState.injected[KEY_4]);
}

TEST_F(SyncPlayer, NextPartInBothColumnsCountsOnce) {
    setRow(1, SYNC_NEXT_PART, SYNC_NEXT_PART);
    frameAt(0);
    frameAt(400);
    EXPECT_EQ(pendingPartRequests(), 1);
    EXPECT_TRUE(keyState.injected[KEY_RETURN]);
    EXPECT_EQ(partstarttime, keyState.downTime[KEY_RETURN]);
}

TEST_F(SyncPlayer, TimeJumpShiftsDemoTimeButNotTheRows) {
    syncTable[1][1] = 500.0f;
    setRow(2, SYNC_KEY_O, 0);
    frameAt(0);
    frameAt(400);
    EXPECT_EQ(timeOffset, 500);
    EXPECT_EQ(demoTime(), 900);
    frameAt(711);   // row 2 still arrives on the real-time grid
    EXPECT_TRUE(keyState.injected[KEY_O]);
}

TEST_F(SyncPlayer, DivisorRowSlowsDemoTime) {
    syncTable[1][0] = 2.0f;
    frameAt(0);
    frameAt(400);
    EXPECT_EQ(timeDivisor, 2.0);
    const int before = demoTime();
    setDrivenCounter(1400);
    EXPECT_NEAR(demoTime() - before, 500, 1);
}

TEST_F(SyncPlayer, CameraCuesAndCueOff) {
    syncTable[1][2] = 104;
    syncTable[1][3] = 4;
    syncTable[1][4] = 10;   // rows
    frameAt(0);
    frameAt(400);
    EXPECT_TRUE(cameraCue.active);
    EXPECT_EQ(cameraCue.firstSlot, 4);
    EXPECT_EQ(cameraCue.slotCount, 4);
    EXPECT_FLOAT_EQ(cameraCue.duration, 10 * SYNC_FRAMES_PER_ROW);

    // Column B's cue overrides A's; it has no amount field, so its duration is 0.
    syncTable[2][2] = 104;
    syncTable[2][5] = 108;
    syncTable[2][6] = 2;
    frameAt(750);
    EXPECT_EQ(cameraCue.firstSlot, 8);
    EXPECT_EQ(cameraCue.duration, 0.0f);

    // 200 in one column cancels a cue set by the other in the same row.
    syncTable[3][2] = 112;
    syncTable[3][5] = SYNC_CAMERA_OFF;
    frameAt(1100);
    EXPECT_FALSE(cameraCue.active);
}

TEST_F(SyncPlayer, KeysOnlyFromTheirCodesAndExitPressesEscape) {
    setRow(1, SYNC_OUTRO, 0);   // code 10 belongs to column B only
    setRow(2, 0, SYNC_EXIT);
    frameAt(0);
    frameAt(400);
    for (int k = 0; k < KEY_COUNT; k++) EXPECT_FALSE(keyState.injected[k]) << k;
    frameAt(750);
    EXPECT_TRUE(keyState.injected[KEY_ESCAPE]);
}

}  // namespace

// The questions every mode asks of the table, against the player: each row begins at the frame the
// player plays it in, at the frame rates people record and play at, over the whole table (at 1000 fps
// every ms is a frame, so the row's first ms is checked too).
TEST_F(SyncPlayer, RowsBeginWhereThePlayerPlaysThem) {
    syncRowCount = MAX_SYNC_ROWS - 1;
    const int rates[] = {24, 30, 60, 144, 1000};
    for (int fps : rates) {
        SCOPED_TRACE(testing::Message() << fps << " fps");
        startCaptureClock(fps);
        resetClocks();
        resetSyncPlayer();
        int played = -1;
        for (int64_t k = 0; played < MAX_SYNC_ROWS - 1; k++) {
            setCaptureFrame(k);
            frameTime = demoTime();
            playSyncTrack();
            ASSERT_EQ(lastPlayedSyncRow(), syncRowAtMs(elapsedMs())) << "frame " << k;
            for (int row = played + 1; row <= lastPlayedSyncRow(); row++)
                ASSERT_EQ(k, syncRowFrame(row, fps)) << "row " << row;
            played = lastPlayedSyncRow();
        }
    }
    EXPECT_EQ(0, syncRowStartMs(0));
    EXPECT_EQ(356, syncRowStartMs(1));                // 355.33 ms
    EXPECT_EQ(syncRowStartMs(MAX_SYNC_ROWS - 1), syncRowStartMs(MAX_SYNC_ROWS + 5)) << "clamped to the table";
    EXPECT_EQ(MAX_SYNC_ROWS - 1, syncRowAtMs(INT32_MAX));
}

TEST_F(SyncPlayer, EndAndPartRowsFromEitherEventField) {
    EXPECT_EQ(-1, syncEndRow());
    EXPECT_EQ(-1, syncEndMs());
    setRow(3, SYNC_NEXT_PART, SYNC_NEXT_PART);   // both fields: one part start
    setRow(5, 0, SYNC_NEXT_PART);
    setRow(9, 0, SYNC_EXIT);
    setRow(12, SYNC_EXIT, 0);
    setRow(70, SYNC_EXIT, 0);   // past the rows read: not the table's
    int rows[4];
    ASSERT_EQ(2, syncPartStartRows(rows, 4));
    EXPECT_EQ(3, rows[0]);
    EXPECT_EQ(5, rows[1]);
    EXPECT_EQ(1, syncPartStartRows(rows, 1)) << "at most capacity";
    EXPECT_EQ(9, syncEndRow()) << "the first row that ends the show";
    EXPECT_EQ(syncRowStartMs(9), syncEndMs());
    EXPECT_TRUE(syncRowFires(12, SYNC_EXIT));
    EXPECT_EQ(SYNC_NEXT_PART, syncRowEvent(5, 1));
    EXPECT_EQ(0, syncRowEvent(5, 0));
}
