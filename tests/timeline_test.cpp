// The edit mode's timeline without GL: what it reads from the sync table (end, parts, event ticks)
// and which moment a point of the window names.
#include <gtest/gtest.h>

#include <stdio.h>
#include <string.h>

#include "modes/timeline.h"
#include "shell/sync_track.h"

namespace {

void loadTable(const char *text) {
    static char copy[4096];
    snprintf(copy, sizeof copy, "%s", text);
    FILE *file = fmemopen(copy, strlen(copy), "r");
    ASSERT_NE(file, nullptr);
    readSyncTrack(file);
    fclose(file);
}

// Row 1: a camera cue and the grade key; row 2: next part and the centre-piece key; row 3: push and
// shake; row 4: next part (second field) and the fade key; row 5: camera off; row 6 ends the show.
const char TABLE[] = "h\n0,0,0,0,0,0,0\n0,0,101,4,2,1,0\n0,0,14,0,0,4,0\n0,0,5,0,0,6,0\n0,0,7,0,0,14,0\n"
                     "0,0,200,0,0,0,0\n0,0,255,0,0,0,0\n0,0,5,0,0,0,0\n";

TEST(Timeline, ReadsTheEndThePartsAndEveryEventOfTheTable) {
    loadTable(TABLE);
    EXPECT_EQ(syncRowStartMs(6), timelineEndMs()) << "the exit row, not the last row";
    EXPECT_EQ(2132, syncRowStartMs(6));   // 6 x 355.33 ms
    const TimelineParts parts = timelineParts();
    ASSERT_EQ(3, parts.count);
    EXPECT_EQ(0, parts.startMs[0]);
    EXPECT_EQ(syncRowStartMs(2), parts.startMs[1]);
    EXPECT_EQ(syncRowStartMs(4), parts.startMs[2]);
    TimelineMark marks[MAX_TIMELINE_MARKS];
    const int count = timelineMarks(marks, MAX_TIMELINE_MARKS);
    const TimelineMark expected[] = {
        {syncRowStartMs(1), MARK_CAMERA}, {syncRowStartMs(1), MARK_GRADE},  {syncRowStartMs(2), MARK_PART},
        {syncRowStartMs(2), MARK_CENTRE_PIECE}, {syncRowStartMs(3), MARK_PUSH}, {syncRowStartMs(3), MARK_SHAKE},
        {syncRowStartMs(4), MARK_FADE}, {syncRowStartMs(4), MARK_PART}, {syncRowStartMs(5), MARK_CAMERA},
        {syncRowStartMs(7), MARK_PUSH},
    };
    ASSERT_EQ((int)(sizeof expected / sizeof expected[0]), count);
    for (int i = 0; i < count; i++) {
        EXPECT_EQ(expected[i].ms, marks[i].ms) << "mark " << i;
        EXPECT_EQ(expected[i].kind, marks[i].kind) << "mark " << i;
    }
    EXPECT_EQ(3, timelineMarks(marks, 3)) << "a full buffer stops the list";
}

TEST(Timeline, FollowsANewTableAndEndsAtTheLastRowWithoutAnExit) {
    loadTable(TABLE);
    loadTable("h\n0,0,0,0,0,0,0\n0,0,0,0,0,0,0\n0,0,0,0,0,0,0\n");
    EXPECT_EQ(syncRowStartMs(2), timelineEndMs());
    EXPECT_EQ(1, timelineParts().count);
    TimelineMark marks[4];
    EXPECT_EQ(0, timelineMarks(marks, 4));
}

TEST(Timeline, PointsOnTheStripNameMomentsAndDragsAreClampedToTheShow) {
    loadTable(TABLE);
    layOutTimeline(1280, 720);
    const int end = timelineEndMs();
    const float stripY = 1.0f - 21.0f / 720.0f;   // the strip's middle, 8 + 13 px from the bottom
    int ms = -1;
    ASSERT_TRUE(timelineMomentAt(640.0f / 1280.0f, stripY, false, &ms));
    EXPECT_NEAR(end / 2, ms, 1);
    ASSERT_TRUE(timelineMomentAt(8.0f / 1280.0f, stripY, false, &ms));
    EXPECT_EQ(0, ms);
    ASSERT_TRUE(timelineMomentAt(1272.0f / 1280.0f, stripY, false, &ms));
    EXPECT_EQ(end, ms);
    EXPECT_FALSE(timelineMomentAt(0.5f, 0.5f, false, &ms)) << "the picture above the strip is no timeline";
    EXPECT_FALSE(timelineMomentAt(2.0f / 1280.0f, stripY, false, &ms)) << "the margin left of the strip";
    ASSERT_TRUE(timelineMomentAt(-0.2f, 0.5f, true, &ms)) << "a drag may leave the strip";
    EXPECT_EQ(0, ms);
    ASSERT_TRUE(timelineMomentAt(1.5f, 0.1f, true, &ms));
    EXPECT_EQ(end, ms);
}

}  // namespace
