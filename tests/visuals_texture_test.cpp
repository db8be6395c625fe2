// Generated TGA files as the show decodes them, and the promises each picture makes to the show
// (calm bar band, transparent logo surroundings, font cells, seamless environment borders, normal
// maps that point out of the surface).
#include "generate.h"
#include "visuals_test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

namespace {

DecodedTga load(const std::string& name) {
    std::vector<uint8_t> bytes;
    DecodedTga image;
    std::string error;
    EXPECT_TRUE(readBytes(dataPath(name), bytes)) << name;
    EXPECT_TRUE(decodeTga(bytes, image, error)) << name << ": " << error;
    return image;
}

const uint8_t* at(const DecodedTga& image, int x, int y) { return &image.rgba[(size_t(y) * image.width + x) * 4]; }


}  // namespace

TEST(Textures, MaterialSetsMatchTheBuildList) {
    std::istringstream in(VISUALS_MATERIAL_SETS);
    std::vector<std::string> listed;
    for (std::string name; in >> name;) listed.push_back(name);
    EXPECT_EQ(listed, materialSetNames()) << "tools/visuals/CMakeLists.txt and the generator disagree";
}

TEST(Textures, NormalMapsPointOutOfTheSurface) {
    std::vector<std::string> names = {"default_normal.tga"};
    for (const std::string& set : materialSetNames()) names.push_back(set + "_normal.tga");
    for (const std::string& name : names) {
        DecodedTga image = load(name);
        int bad = 0;
        for (size_t i = 0; i < image.rgba.size(); i += 4) {
            float x = image.rgba[i] / 127.5f - 1.0f, y = image.rgba[i + 1] / 127.5f - 1.0f;
            float z = image.rgba[i + 2] / 127.5f - 1.0f;
            if (z <= 0.2f || std::fabs(std::sqrt(x * x + y * y + z * z) - 1.0f) > 0.03f) ++bad;
        }
        EXPECT_EQ(bad, 0) << name;
    }
    DecodedTga flat = load("default_normal.tga");
    EXPECT_EQ(flat.rgba[0], 128);
    EXPECT_EQ(flat.rgba[1], 128);
    EXPECT_EQ(flat.rgba[2], 255);
}

TEST(Textures, LoadingPictureKeepsTheBarBandCalm) {
    DecodedTga image = load("loading.tga");
    // The show stretches the file over 1920 x 1080 with the bar at x 560..1360, y 514..562.
    auto luminance = [&](float sx, float sy) {
        const uint8_t* p = at(image, int(sx * image.width / 1920.0f), int(sy * image.height / 1080.0f));
        return (0.3f * p[0] + 0.59f * p[1] + 0.11f * p[2]) / 255.0f;
    };
    float bandMax = 0.0f, titleMax = 0.0f;
    for (float y = 514; y < 562; y += 2)
        for (float x = 560; x < 1360; x += 4) bandMax = std::fmax(bandMax, luminance(x, y));
    for (float y = 600; y < 900; y += 2)
        for (float x = 300; x < 1620; x += 2) titleMax = std::fmax(titleMax, luminance(x, y));
    EXPECT_LT(bandMax, 0.2f) << "the progress bar needs a dark, quiet background";
    EXPECT_GT(titleMax, 0.85f) << "the title should be above the bar";
}

TEST(Textures, LogoIsTransparentAroundTheWordmark) {
    DecodedTga logo = load("overlay1.tga");
    int opaque = 0;
    for (size_t i = 3; i < logo.rgba.size(); i += 4) opaque += logo.rgba[i] > 200;
    EXPECT_GT(opaque, 2000);
    // top-left quarter (file rows count from the bottom) stays clear of the show
    for (int y = logo.height / 2; y < logo.height; ++y)
        for (int x = 0; x < logo.width / 4; ++x) ASSERT_EQ(at(logo, x, y)[3], 0) << x << " " << y;
}

TEST(Textures, FontAtlasHasPrintableGlyphsInsideTheirCells) {
    DecodedTga font = load("font2.tga");
    const int cell = font.width / 16;
    auto ink = [&](int c, int margin) {
        int column = c % 16, row = c / 16;  // row counted from the top of the picture
        int x0 = column * cell, y0 = font.height - (row + 1) * cell;
        int sum = 0;
        for (int y = y0; y < y0 + cell; ++y)
            for (int x = x0; x < x0 + cell; ++x) {
                bool border = x < x0 + margin || x >= x0 + cell - margin || y < y0 + margin || y >= y0 + cell - margin;
                if (border == (margin > 0)) sum += at(font, x, y)[3];
            }
        return sum;
    };
    for (int c = 33; c < 127; ++c) EXPECT_GT(ink(c, 0), 0) << "glyph " << c;
    EXPECT_EQ(ink(' ', 0), 0);
    for (int c = 0; c < 32; ++c) EXPECT_EQ(ink(c, 0), 0) << "cell " << c;
    for (int c = 32; c < 127; ++c) EXPECT_EQ(ink(c, 1), 0) << "glyph " << c << " touches its cell border";
}

TEST(Textures, EnvironmentBordersMatchForTheCubeFaces) {
    DecodedTga env = load("env.tga");
    const uint8_t* reference = at(env, 0, 0);
    for (int i = 0; i < env.width; ++i) {
        for (const uint8_t* p : {at(env, i, 0), at(env, i, env.height - 1), at(env, 0, i), at(env, env.width - 1, i)})
            for (int c = 0; c < 3; ++c) ASSERT_LE(std::abs(int(p[c]) - int(reference[c])), 1) << "border texel " << i;
    }
}
