// The progress bar of the loading screen.
#include <gtest/gtest.h>

#include "shell/loading.h"

namespace {

TEST(ProgressBar, GrowsBy25PixelsAStepAndIsExactlyFullAfterTheLast) {
    EXPECT_EQ(progressFillWidth(1.0f), 25);
    EXPECT_EQ(progressFillWidth(2.0f), 50);
    EXPECT_EQ(progressFillWidth((float)LOADING_STEPS), PROGRESS_BAR_WIDTH);
    EXPECT_EQ(progressFillWidth(33.0f), PROGRESS_BAR_WIDTH);
    EXPECT_EQ(progressFillWidth(1000.0f), PROGRESS_BAR_WIDTH);
    for (float count = 0.0f; count < 40.0f; count += 0.25f) ASSERT_LE(progressFillWidth(count), PROGRESS_BAR_WIDTH);
}

}  // namespace
