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

TEST(Textures, LogoIsTransparentAroundTheWordmark) {
    DecodedTga logo = load("overlay1.tga");
    int opaque = 0;
    for (size_t i = 3; i < logo.rgba.size(); i += 4) opaque += logo.rgba[i] > 200;
    EXPECT_GT(opaque, 2000);
    // top-left quarter (file rows count from the bottom) stays clear of the show
    for (int y = logo.height / 2; y < logo.height; ++y)
        for (int x = 0; x < logo.width / 4; ++x) ASSERT_EQ(at(logo, x, y)[3], 0) << x << " " << y;
}

TEST(Textures, EnvironmentBordersMatchForTheCubeFaces) {
    DecodedTga env = load("env.tga");
    const uint8_t* reference = at(env, 0, 0);
    for (int i = 0; i < env.width; ++i) {
        for (const uint8_t* p : {at(env, i, 0), at(env, i, env.height - 1), at(env, 0, i), at(env, env.width - 1, i)})
            for (int c = 0; c < 3; ++c) ASSERT_LE(std::abs(int(p[c]) - int(reference[c])), 1) << "border texel " << i;
    }
}
