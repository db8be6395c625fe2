// Textures: kind detection, fallback images, the texture-set table and the image-keeping variant.
#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "assets/texture.h"
#include "platform/gl.h"
#include "tests/asset_files.h"

namespace {

// Fallback colours as read back (R, G, B); the files store them B, G, R.
const Bytes DEFAULT_RGB[4] = {{10, 20, 30}, {128, 128, 255}, {40, 50, 60}, {70, 80, 90}};
const char *DEFAULT_FILES[4] = {"default_base.tga", "default_normal.tga", "default_chraber.tga",
                                "default_specular.tga"};

// Level 0 of a texture as packed RGB rows.
Bytes readTexture(GLuint texture, int *width = nullptr) {
    glBindTexture(GL_TEXTURE_2D, texture);
    GLint w = 0, h = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
    if (width) *width = w;
    Bytes pixels(3 * w * h);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

Bytes firstPixel(GLuint texture) {
    Bytes pixels = readTexture(texture);
    return Bytes(pixels.begin(), pixels.begin() + 3);
}

class TextureGl : public testing::Test {
  protected:
    void SetUp() override {
        if (!openTestGlContext()) GTEST_SKIP() << "no display";
        enterScratchDir();
        for (int k = 0; k < 4; k++) {
            const Bytes &c = DEFAULT_RGB[k];
            writeTga(DEFAULT_FILES[k], solidTga(2, 2, {c[2], c[1], c[0]}));
        }
        resetTextureSets();
    }
};

}  // namespace

TEST(TextureKind, ComesFromTheLettersAfterTheLastUnderscore) {
    EXPECT_EQ(textureKindOf("wall_normal.tga"), TEXTURE_NORMAL);
    EXPECT_EQ(textureKindOf("ship_chraber.tga"), TEXTURE_CHRABER);
    EXPECT_EQ(textureKindOf("ship_specular.tga"), TEXTURE_SPECULAR);
    EXPECT_EQ(textureKindOf("explosion_color_small.tga"), TEXTURE_BASE);
    EXPECT_EQ(textureKindOf("hud1.tga"), TEXTURE_BASE);
    EXPECT_EQ(textureKindOf("a_normal_b.tga"), TEXTURE_BASE);
    EXPECT_EQ(textureKindOf("_normal.tga"), TEXTURE_BASE);   // underscore as first character
}

TEST(TextureSetTable, PrefixesShareSetsCaseSensitively) {
    resetTextureSets();
    bool added;
    EXPECT_EQ(findOrAddTextureSet("ship_hull", &added), 0);
    EXPECT_TRUE(added);
    EXPECT_EQ(findOrAddTextureSet("ship_engine", &added), 0);
    EXPECT_FALSE(added);
    EXPECT_EQ(findOrAddTextureSet("Ship_hull", &added), 1);
    EXPECT_STREQ(textureSets[1].name, "Ship");
}

TEST(TextureSetTable, LimitsAreReportedAndHeld) {
    resetTextureSets();
    bool added;
    testing::internal::CaptureStderr();
    findOrAddTextureSet((std::string(300, 'a') + "_hull").c_str(), &added);
    EXPECT_EQ(strlen(textureSets[0].name), (size_t)MAX_SET_NAME - 1);
    for (int i = 1; i < MAX_TEXTURE_SETS; i++) findOrAddTextureSet(("set" + std::to_string(i)).c_str(), &added);
    EXPECT_EQ(findOrAddTextureSet("onemore_x", &added), 0);
    EXPECT_FALSE(added);
    EXPECT_EQ(findOrAddTextureSet("set999_y", &added), 999);   // existing sets are still found
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_NE(errors.find("is 300 characters long"), std::string::npos) << errors;
    EXPECT_NE(errors.find("table full (1000 sets): onemore uses set 0"), std::string::npos) << errors;
    resetTextureSets();
}

TEST_F(TextureGl, UnreadableImageFallsBackByKind) {
    Bytes colourMapped = solidTga(2, 2, {1, 1, 1});
    colourMapped[1] = 1;
    writeTga("bad_normal.tga", colourMapped);
    testing::internal::CaptureStderr();
    EXPECT_EQ(firstPixel(loadTexture("bad_normal.tga")), DEFAULT_RGB[TEXTURE_NORMAL]);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "bad_normal.tga: TGA file be type 2 or type 10 \n");
    EXPECT_EQ(firstPixel(loadTexture("nothing.tga")), DEFAULT_RGB[TEXTURE_BASE]);
    EXPECT_EQ(firstPixel(loadTexture("x_specular.tga")), DEFAULT_RGB[TEXTURE_SPECULAR]);
    // Without its fallback file as well: one plain pixel, and a line saying so.
    remove("data/default_normal.tga");
    testing::internal::CaptureStderr();
    int width;
    EXPECT_EQ(readTexture(loadTexture("x_normal.tga"), &width), (Bytes{128, 128, 255}));
    EXPECT_EQ(width, 1);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("default_normal.tga"), std::string::npos);
}

TEST_F(TextureGl, SetSharedByPrefixIsLoadedOnceAndMissingMapsGetTheDefaults) {
    writeTga("ship.tga", solidTga(2, 2, {1, 2, 3}));
    testing::internal::CaptureStdout();
    const int hull = loadTextureSet("ship_hull");
    const int engine = loadTextureSet("ship_engine");
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(hull, engine);
    for (const char *file : {"ship.tga", "ship_normal.tga", "ship_chraber.tga", "ship_specular.tga"}) {
        const std::string line = std::string("loadtga filename = [") + file + "]";
        EXPECT_NE(out.find(line), std::string::npos) << file;
        EXPECT_EQ(out.find(line, out.find(line) + 1), std::string::npos) << file;   // only once
    }
    const TextureSet &set = textureSets[hull];
    EXPECT_EQ(firstPixel(set.base), (Bytes{3, 2, 1}));
    EXPECT_EQ(firstPixel(set.normal), DEFAULT_RGB[TEXTURE_NORMAL]);
    EXPECT_EQ(firstPixel(set.chraber), DEFAULT_RGB[TEXTURE_CHRABER]);
    EXPECT_EQ(firstPixel(set.specular), DEFAULT_RGB[TEXTURE_SPECULAR]);
}

TEST_F(TextureGl, KeepImageHandsBackPixelsAndTextureOrNeither) {
    // 1 x 2 at 24 bits: rows of three bytes, which only reach GL right with an unpack alignment of 1.
    writeTga("env.tga", tgaFile(2, 1, 2, 24, {1, 2, 3, 4, 5, 6}));
    TgaImage image = loadTextureKeepImage("env.tga");
    ASSERT_NE(image.pixels, nullptr);
    EXPECT_EQ(Bytes(image.pixels, image.pixels + 6), (Bytes{3, 2, 1, 6, 5, 4}));
    EXPECT_EQ(readTexture(image.texture), (Bytes{3, 2, 1, 6, 5, 4}));
    free(image.pixels);
    TgaImage missing = loadTextureKeepImage("noenv.tga");
    EXPECT_EQ(missing.pixels, nullptr);
    EXPECT_EQ(missing.texture, 0u);
}
