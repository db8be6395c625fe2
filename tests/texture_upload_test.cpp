// The ES layer's pixel conversions (no GL): channel order and count made the texture's own.
#include <gtest/gtest.h>
#include <string.h>

#include "glcompat/texture_upload.h"

TEST(PixelConversion, ChannelOrderAndCountBecomeTheTexturesOwn) {
    const uint8_t bgr[6] = {1, 2, 3, 4, 5, 6};
    uint8_t rgb[6];
    convertPixels(bgr, GL_BGR, rgb, GL_RGB, 2);
    const uint8_t swapped[6] = {3, 2, 1, 6, 5, 4};
    EXPECT_EQ(0, memcmp(swapped, rgb, 6));
    const uint8_t bgra[4] = {10, 20, 30, 40};
    uint8_t rgba[4];
    convertPixels(bgra, GL_BGRA, rgba, GL_RGBA, 1);
    const uint8_t expectedRgba[4] = {30, 20, 10, 40};
    EXPECT_EQ(0, memcmp(expectedRgba, rgba, 4));
    // RGBA data into an RGB texture drops alpha; RGB data into RGBA reads opaque.
    convertPixels(rgba, GL_RGBA, rgb, GL_RGB, 1);
    EXPECT_EQ(30, rgb[0]);
    EXPECT_EQ(10, rgb[2]);
    convertPixels(swapped, GL_RGB, rgba, GL_RGBA, 1);
    EXPECT_EQ(255, rgba[3]);
    uint8_t grey[1];
    convertPixels(swapped, GL_RGB, grey, GL_LUMINANCE, 1);
    EXPECT_EQ(3, grey[0]);
    EXPECT_EQ(0, formatChannels(GL_DEPTH_COMPONENT));
}
