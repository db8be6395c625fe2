// TGA decoding: pixel order, refused headers, run-length packets and truncated files.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>

#include "assets/tga.h"
#include "platform/gl.h"
#include "tests/asset_files.h"

namespace {

struct Decoded {
    bool ok;
    TgaImage image;
    std::string errors;   // the message box text as it also goes to stderr: "caption: text"
};

Decoded decode(const Bytes &file) {
    Decoded d;
    testing::internal::CaptureStderr();
    testing::internal::CaptureStdout();
    d.ok = decodeTga(&d.image, file.data(), file.size(), "img.tga");
    testing::internal::GetCapturedStdout();
    d.errors = testing::internal::GetCapturedStderr();
    return d;
}

Bytes pixelsOf(const Decoded &d, size_t count) {
    return d.ok ? Bytes(d.image.pixels, d.image.pixels + count) : Bytes();
}

}  // namespace

TEST(TgaPixels, FileOrderBgrBecomesRgbAndRowsAreNotFlipped) {
    Decoded rgb = decode(tgaFile(2, 1, 1, 24, {1, 2, 3}));
    EXPECT_EQ(pixelsOf(rgb, 3), (Bytes{3, 2, 1}));
    EXPECT_EQ(rgb.image.format, (uint32_t)GL_RGB);
    // 32 bits keep alpha last; descriptor 0x20 (top-left origin) leaves the rows in file order.
    Decoded rgba = decode(tgaFile(2, 1, 2, 32, {1, 2, 3, 4, 5, 6, 7, 8}, 0x20));
    EXPECT_EQ(pixelsOf(rgba, 8), (Bytes{3, 2, 1, 4, 7, 6, 5, 8}));
    EXPECT_EQ(rgba.image.format, (uint32_t)GL_RGBA);
    EXPECT_EQ(rgba.image.height, 2u);
    free(rgb.image.pixels);
    free(rgba.image.pixels);
}

TEST(TgaPixels, RefusedHeadersAreReportedAndHoldNoPixels) {
    // Image-ID field, colour map, colour-mapped type, colour-map length, x origin, y origin.
    const int bytes[] = {0, 1, 2, 5, 8, 11};
    for (int byte : bytes) {
        Bytes file = tgaFile(2, 1, 1, 24, {1, 2, 3});
        file[byte] = 1;
        Decoded d = decode(file);
        EXPECT_FALSE(d.ok) << byte;
        EXPECT_EQ(d.image.pixels, nullptr);
        EXPECT_EQ(d.errors, "img.tga: TGA file be type 2 or type 10 \n") << byte;
    }
    for (int bits : {8, 16}) EXPECT_EQ(decode(tgaFile(2, 1, 1, bits, {0, 0})).errors, "img.tga: Invalid texture information\n");
}

TEST(TgaRunLength, PacketHeadersGiveTheirPixelCounts) {
    // 255: one pixel 128 times; 127: 128 raw pixels; 0: one raw pixel; 257 pixels end exactly.
    Bytes body = {255, 1, 2, 3, 127};
    for (int i = 0; i < 128; i++) body.insert(body.end(), {(uint8_t)i, 0, 9});
    body.insert(body.end(), {0, 7, 8, 9});
    Decoded d = decode(tgaFile(10, 257, 1, 24, body));
    ASSERT_TRUE(d.ok) << d.errors;
    const Bytes pixels = pixelsOf(d, 3 * 257);
    EXPECT_EQ(Bytes(pixels.begin() + 3 * 127, pixels.begin() + 3 * 128), (Bytes{3, 2, 1}));
    EXPECT_EQ(Bytes(pixels.begin() + 3 * 255, pixels.end()), (Bytes{9, 0, 127, 9, 8, 7}));
    free(d.image.pixels);
}

TEST(TgaRunLength, PacketRunningPastTheImageFails) {
    Decoded run = decode(tgaFile(10, 100, 1, 24, {255, 1, 2, 3}));
    EXPECT_FALSE(run.ok);
    EXPECT_EQ(run.image.pixels, nullptr);
    EXPECT_EQ(run.errors, "img.tga: Too many pixels read\n");
    Bytes body = {127};
    body.insert(body.end(), 3 * 128, 5);
    EXPECT_EQ(decode(tgaFile(10, 100, 1, 24, body)).errors, "img.tga: Too many pixels read\n");
}

TEST(TgaFile, MissingFileIsReportedAndClearsTheRecord) {
    enterScratchDir();
    TgaImage image;
    testing::internal::CaptureStdout();
    EXPECT_FALSE(loadtga(&image, "absent.tga"));
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("file not opened\n"), std::string::npos) << out;
    EXPECT_EQ(image.pixels, nullptr);   // the failed load cleared the record
}
