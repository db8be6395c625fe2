// The file watcher: changes reported once they have settled, at most every poll interval.
#include <gtest/gtest.h>

#include <unistd.h>

#include "modes/file_watch.h"
#include "tests/test_support.h"

namespace {

int poll(int64_t nowMs, int *changed) {
    return pollWatchedFiles(nowMs, changed, MAX_WATCHED_FILES);
}

TEST(FileWatch, ReportsAChangeOnceItHoldsStillForAWholePoll) {
    enterScratchDir();
    writeDataText("a.txt", "one");
    writeDataText("b.txt", "two");
    resetFileWatch();
    ASSERT_TRUE(watchFile("data/a.txt"));
    ASSERT_TRUE(watchFile("data/b.txt"));
    ASSERT_TRUE(watchFile("data/a.txt"));
    EXPECT_EQ(watchedFileCount(), 2);
    int changed[MAX_WATCHED_FILES];
    EXPECT_EQ(poll(0, changed), 0);

    writeDataText("b.txt", "two, longer");
    EXPECT_EQ(poll(100, changed), 0) << "looked again before the interval";
    EXPECT_EQ(poll(WATCH_INTERVAL_MS, changed), 0) << "seen changing, not yet settled";
    // Still being written at the next poll: wait for one more.
    writeDataText("b.txt", "two, longer still");
    EXPECT_EQ(poll(2 * WATCH_INTERVAL_MS, changed), 0);
    ASSERT_EQ(poll(3 * WATCH_INTERVAL_MS, changed), 1);
    EXPECT_EQ(changed[0], 1);
    EXPECT_EQ(poll(4 * WATCH_INTERVAL_MS, changed), 0) << "reported twice";
    EXPECT_EQ(poll(5 * WATCH_INTERVAL_MS, changed), 0);
}

TEST(FileWatch, AFileReplacedByAnEditorIsReportedWhenItIsBack) {
    enterScratchDir();
    writeDataText("a.txt", "one");
    resetFileWatch();
    ASSERT_TRUE(watchFile("data/a.txt"));
    int changed[MAX_WATCHED_FILES];
    EXPECT_EQ(poll(0, changed), 0);
    unlink("data/a.txt");
    EXPECT_EQ(poll(WATCH_INTERVAL_MS, changed), 0);
    EXPECT_EQ(poll(2 * WATCH_INTERVAL_MS, changed), 0) << "a missing file is no change to read";
    writeDataText("a.txt", "one, edited");
    EXPECT_EQ(poll(3 * WATCH_INTERVAL_MS, changed), 0);
    EXPECT_EQ(poll(4 * WATCH_INTERVAL_MS, changed), 1);
}

}  // namespace
