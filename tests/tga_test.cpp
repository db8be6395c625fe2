// TGA decoding: pixel order, refused headers, run-length packets and truncated files.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>

#include "assets/tga.h"
#include "render/gl.h"
#include "tests/asset_files.h"

namespace {

struct Decoded {
    bool ok;
    TgaImage image;
    std::string errors;   // what went to standard error (the message box text and caption)
};

Decoded decode(const Bytes &file) {
    Decoded result;
    testing::internal::CaptureStderr();
    testing::internal::CaptureStdout();
    result.ok = decodeTga(&result.image, file.data(), file.size(), "img.tga");
    testing::internal::GetCapturedStdout();
    result.errors = testing::internal::GetCapturedStderr();
    return result;
}

}  // namespace

TEST(TgaPixels, TwentyFourBitPixelIsStoredRgb) {
    Decoded d = decode(tgaFile(2, 1, 1, 24, {1, 2, 3}));
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.image.format, (uint32_t)GL_RGB);
    EXPECT_EQ(d.image.bitsPerPixel, 24u);
    EXPECT_EQ(d.image.width, 1u);
    EXPECT_EQ(d.image.height, 1u);
    EXPECT_EQ(d.image.pixels[0], 3);
    EXPECT_EQ(d.image.pixels[1], 2);
    EXPECT_EQ(d.image.pixels[2], 1);
    EXPECT_EQ(d.image.texture, 0u);
    EXPECT_EQ(d.errors, "");
    free(d.image.pixels);
}

TEST(TgaPixels, ThirtyTwoBitKeepsAlphaLast) {
    Decoded d = decode(tgaFile(2, 2, 1, 32, {1, 2, 3, 4, 5, 6, 7, 8}));
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.image.format, (uint32_t)GL_RGBA);
    const uint8_t expected[8] = {3, 2, 1, 4, 7, 6, 5, 8};
    for (int i = 0; i < 8; i++) EXPECT_EQ(d.image.pixels[i], expected[i]) << "byte " << i;
    free(d.image.pixels);
}

TEST(TgaPixels, TopLeftOriginRowsStayInFileOrder) {
    // Descriptor bit 5 marks a top-left origin; rows are not flipped.
    Decoded d = decode(tgaFile(2, 1, 2, 24, {10, 10, 10, 20, 20, 20}, 0x20));
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.image.pixels[0], 10);
    EXPECT_EQ(d.image.pixels[3], 20);
    free(d.image.pixels);
}

struct RefusedHeader {
    const char *what;
    int byte;
    uint8_t value;
};

void PrintTo(const RefusedHeader &param, std::ostream *out) {
    *out << param.what;
}


class TgaRefusedHeader : public testing::TestWithParam<RefusedHeader> {};

TEST_P(TgaRefusedHeader, IsReportedAndHoldsNoPixels) {
    Bytes file = tgaFile(2, 1, 1, 24, {1, 2, 3});
    file[GetParam().byte] = GetParam().value;
    Decoded d = decode(file);
    EXPECT_FALSE(d.ok);
    EXPECT_EQ(d.image.pixels, nullptr);
    EXPECT_EQ(d.errors, "img.tga: TGA file be type 2 or type 10 \n");
}

INSTANTIATE_TEST_SUITE_P(Headers, TgaRefusedHeader,
                         testing::Values(RefusedHeader{"image-ID field", 0, 4}, RefusedHeader{"colour map", 1, 1},
                                         RefusedHeader{"colour-mapped type", 2, 1},
                                         RefusedHeader{"colour-map length", 5, 16},
                                         RefusedHeader{"x origin", 8, 1}, RefusedHeader{"y origin", 11, 1},
                                         RefusedHeader{"grey-scale type", 2, 3}),
                         caseName<RefusedHeader>);

TEST(TgaRefusedDepth, EightAndSixteenBitsAreInvalidInformation) {
    for (int bits : {8, 16}) {
        Decoded d = decode(tgaFile(2, 1, 1, bits, {0, 0, 0, 0}));
        EXPECT_FALSE(d.ok) << bits;
        EXPECT_EQ(d.errors, "img.tga: Invalid texture information\n") << bits;
    }
    // The compressed path refuses the same silently.
    Decoded d = decode(tgaFile(10, 1, 1, 16, {0, 0, 0}));
    EXPECT_FALSE(d.ok);
    EXPECT_EQ(d.errors, "");
}

TEST(TgaRunLength, PacketHeadersGiveTheirPixelCounts) {
    // 255: one pixel 128 times; 127: 128 raw pixels; 0: one raw pixel. 257 pixels exactly.
    Bytes body = {255, 1, 2, 3, 127};
    for (int i = 0; i < 128; i++) body.insert(body.end(), {(uint8_t)i, 0, 9});
    body.insert(body.end(), {0, 7, 8, 9});
    Decoded d = decode(tgaFile(10, 257, 1, 24, body));
    ASSERT_TRUE(d.ok) << d.errors;
    for (int i = 0; i < 128; i++) {
        ASSERT_EQ(d.image.pixels[3 * i], 3) << i;
        ASSERT_EQ(d.image.pixels[3 * i + 2], 1) << i;
    }
    for (int i = 0; i < 128; i++) {
        ASSERT_EQ(d.image.pixels[3 * (128 + i)], 9) << i;
        ASSERT_EQ(d.image.pixels[3 * (128 + i) + 2], i) << i;
    }
    EXPECT_EQ(d.image.pixels[3 * 256], 9);
    EXPECT_EQ(d.image.pixels[3 * 256 + 2], 7);
    free(d.image.pixels);
}

TEST(TgaRunLength, ThirtyTwoBitRunKeepsAlpha) {
    Decoded d = decode(tgaFile(10, 3, 1, 32, {130, 1, 2, 3, 4}));
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.image.format, (uint32_t)GL_RGBA);
    for (int i = 0; i < 3; i++) {
        EXPECT_EQ(d.image.pixels[4 * i], 3);
        EXPECT_EQ(d.image.pixels[4 * i + 3], 4);
    }
    free(d.image.pixels);
}

TEST(TgaRunLength, PacketRunningPastTheImageFails) {
    // 100 pixels: a run of 128 overshoots. (Data after the last pixel is never read.)
    Decoded run = decode(tgaFile(10, 100, 1, 24, {255, 1, 2, 3}));
    EXPECT_FALSE(run.ok);
    EXPECT_EQ(run.image.pixels, nullptr);
    EXPECT_EQ(run.errors, "img.tga: Too many pixels read\n");

    Bytes body = {127};
    body.insert(body.end(), 3 * 128, 5);
    Decoded raw = decode(tgaFile(10, 100, 1, 24, body));
    EXPECT_FALSE(raw.ok);
    EXPECT_EQ(raw.errors, "img.tga: Too many pixels read\n");
}

struct Truncated {
    const char *what;
    Bytes file;
    const char *errors;
};

void PrintTo(const Truncated &param, std::ostream *out) {
    *out << param.what;
}


class TgaTruncated : public testing::TestWithParam<Truncated> {};

TEST_P(TgaTruncated, FailsWithItsMessage) {
    Decoded d = decode(GetParam().file);
    EXPECT_FALSE(d.ok);
    EXPECT_EQ(d.image.pixels, nullptr);
    EXPECT_EQ(d.errors, GetParam().errors);
}

INSTANTIATE_TEST_SUITE_P(
    Files, TgaTruncated,
    testing::Values(
        Truncated{"short header", {0, 0, 2, 0, 0}, "img.tga: Could not read file header\n"},
        Truncated{"short info, uncompressed", Bytes{0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0},
                  "ERROR: Could not read info header\n"},
        Truncated{"short info, compressed", Bytes{0, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0}, ""},
        Truncated{"zero width", tgaFile(2, 0, 1, 24, {}), "img.tga: Invalid texture information\n"},
        Truncated{"zero height, compressed", tgaFile(10, 1, 0, 24, {}), ""},
        Truncated{"pixels cut short", tgaFile(2, 2, 2, 24, Bytes(11, 0)), "ERROR: Could not read image data\n"},
        // 48 MB claimed over three bytes of data: refused before anything is allocated.
        Truncated{"large claim", tgaFile(2, 4000, 4000, 24, {1, 2, 3}), "ERROR: Could not read image data\n"},
        Truncated{"no packet header", tgaFile(10, 2, 1, 24, {128, 1, 2, 3}), "img.tga: Could not read RLE header\n"},
        Truncated{"raw pixel cut short", tgaFile(10, 2, 1, 24, {1, 1, 2, 3, 4}), "img.tga: Could not read image data\n"},
        Truncated{"run pixel cut short", tgaFile(10, 2, 1, 24, {129, 1, 2}), "img.tga: Could not read from file\n"},
        Truncated{"buffer too large",
                  tgaFile(10, 65535, 65535, 32, {}), "img.tga: Could not allocate memory for image\n"}),
    caseName<Truncated>);

TEST(TgaFile, ReadsFromTheDataDirectoryInAnyLetterCase) {
    enterScratchDir();
    writeTga("Hull.tga", tgaFile(2, 1, 1, 24, {1, 2, 3}));
    TgaImage image;
    testing::internal::CaptureStdout();
    EXPECT_TRUE(loadtga(&image, "hull.TGA"));
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("loadtga filename = [hull.TGA] errno="), std::string::npos) << out;
    EXPECT_EQ(image.pixels[0], 3);
    free(image.pixels);
}

TEST(TgaFile, MissingFileFailsWithoutPixels) {
    enterScratchDir();
    TgaImage image;
    image.pixels = (uint8_t *)1;   // must be cleared, not freed
    testing::internal::CaptureStdout();
    EXPECT_FALSE(loadtga(&image, "absent.tga"));
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("file not opened\n"), std::string::npos) << out;
    EXPECT_EQ(image.pixels, nullptr);
}
