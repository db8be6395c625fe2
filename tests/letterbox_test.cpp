// Where the show's 16:9 picture lands in drawables of other shapes.
#include <gtest/gtest.h>

#include "shell/present.h"

struct LetterboxCase {
    int width, height;
    PresentRect expected;
};

TEST(Letterbox, KeepsTheAspectRatioAndCentres) {
    const LetterboxCase cases[] = {
        {1920, 1080, {0, 0, 1920, 1080}},      // the show's own size: no bars
        {1280, 720, {0, 0, 1280, 720}},        // 16:9, smaller
        {3840, 2160, {0, 0, 3840, 2160}},      // 16:9, larger
        {1024, 768, {0, 96, 1024, 576}},       // 4:3: bars above and below
        {1280, 1024, {0, 152, 1280, 720}},     // 5:4, the virtual display's default
        {2560, 1080, {320, 0, 1920, 1080}},    // 21:9: bars left and right
        {3440, 1440, {440, 0, 2560, 1440}},    // 21:9 at 1440
        {1080, 1920, {0, 656, 1080, 608}},     // portrait: 607.5 rounds up
        {1366, 768, {0, 0, 1365, 768}},        // a hair wider than 16:9: 1365.33 rounds down
    };
    for (const LetterboxCase &c : cases) {
        const PresentRect r = letterboxRect(c.width, c.height);
        SCOPED_TRACE(testing::Message() << c.width << " x " << c.height);
        EXPECT_EQ(c.expected.x, r.x);
        EXPECT_EQ(c.expected.y, r.y);
        EXPECT_EQ(c.expected.width, r.width);
        EXPECT_EQ(c.expected.height, r.height);
        // Never outside the drawable, bars equal within a pixel.
        EXPECT_LE(r.x + r.width, c.width);
        EXPECT_LE(r.y + r.height, c.height);
        EXPECT_LE(c.width - r.width - 2 * r.x, 1);
        EXPECT_LE(c.height - r.height - 2 * r.y, 1);
    }
}

TEST(Letterbox, TinyAndEmptyDrawables) {
    const PresentRect one = letterboxRect(1, 1);
    EXPECT_EQ(1, one.width);
    EXPECT_EQ(1, one.height);
    const PresentRect minimised = letterboxRect(0, 0);
    EXPECT_EQ(0, minimised.width);
    EXPECT_EQ(0, minimised.height);
    EXPECT_EQ(0, letterboxRect(-5, 600).width);
    // A sliver of a window keeps a picture at least one pixel high.
    const PresentRect sliver = letterboxRect(1920, 1);
    EXPECT_EQ(1, sliver.height);
    EXPECT_EQ(2, sliver.width);   // 1.78 rounds to 2
    EXPECT_EQ(959, sliver.x);
}
