// Textures: kind detection, fallback images, the texture-set table and the image-keeping variant.
#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "assets/texture.h"
#include "render/gl.h"
#include "tests/asset_files.h"

namespace {

// Fallback colours in file order (B, G, R); the readback is R, G, B.
const Bytes DEFAULT_BASE = {30, 20, 10};
const Bytes DEFAULT_NORMAL = {255, 128, 128};
const Bytes DEFAULT_CHRABER = {60, 50, 40};
const Bytes DEFAULT_SPECULAR = {90, 80, 70};

Bytes rgb(const Bytes &bgr) {
    return {bgr[2], bgr[1], bgr[0]};
}

void writeDefaults() {
    writeTga("default_base.tga", solidTga(2, 2, DEFAULT_BASE));
    writeTga("default_normal.tga", solidTga(2, 2, DEFAULT_NORMAL));
    writeTga("default_chraber.tga", solidTga(2, 2, DEFAULT_CHRABER));
    writeTga("default_specular.tga", solidTga(2, 2, DEFAULT_SPECULAR));
}

// Level 0 of a texture as tightly packed RGB rows.
Bytes readTexture(GLuint texture, int *width = nullptr, int *height = nullptr) {
    glBindTexture(GL_TEXTURE_2D, texture);
    GLint w = 0, h = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
    if (width) *width = w;
    if (height) *height = h;
    Bytes pixels(3 * w * h);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

Bytes firstPixel(GLuint texture) {
    Bytes pixels = readTexture(texture);
    return Bytes(pixels.begin(), pixels.begin() + 3);
}

int countOf(const std::string &text, const std::string &needle) {
    int n = 0;
    for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1)) n++;
    return n;
}

class TextureGl : public testing::Test {
  protected:
    void SetUp() override {
        if (!openTestGlContext()) GTEST_SKIP() << "no display";
        enterScratchDir();
        writeDefaults();
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
    EXPECT_EQ(textureKindOf("a_normal_b.tga"), TEXTURE_BASE);   // only the last underscore counts
    EXPECT_EQ(textureKindOf("_normal.tga"), TEXTURE_BASE);      // underscore as first character
    EXPECT_EQ(textureKindOf("x_no"), TEXTURE_BASE);             // fewer than three letters
}

TEST(TextureSetTable, NamesSharingAPrefixShareASet) {
    resetTextureSets();
    bool added;
    EXPECT_EQ(findOrAddTextureSet("ship_hull", &added), 0);
    EXPECT_TRUE(added);
    EXPECT_EQ(findOrAddTextureSet("ship_engine", &added), 0);
    EXPECT_FALSE(added);
    EXPECT_EQ(findOrAddTextureSet("ship", &added), 0);
    EXPECT_EQ(findOrAddTextureSet("Ship_hull", &added), 1);   // case-sensitive
    EXPECT_TRUE(added);
    EXPECT_STREQ(textureSets[0].name, "ship");
    EXPECT_STREQ(textureSets[1].name, "Ship");
    EXPECT_EQ(textureSetCount, 2);
}

TEST(TextureSetTable, FullTableAnswersSetZeroAndSaysSo) {
    resetTextureSets();
    bool added;
    char name[32];
    for (int i = 0; i < MAX_TEXTURE_SETS; i++) {
        snprintf(name, sizeof name, "set%d_x", i);
        ASSERT_EQ(findOrAddTextureSet(name, &added), i);
    }
    testing::internal::CaptureStderr();
    EXPECT_EQ(findOrAddTextureSet("onemore_x", &added), 0);
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(added);
    EXPECT_NE(errors.find("onemore"), std::string::npos) << errors;
    EXPECT_EQ(textureSetCount, MAX_TEXTURE_SETS);
    EXPECT_EQ(findOrAddTextureSet("set999_y", &added), 999);   // existing sets are still found
    resetTextureSets();
}

TEST(TextureSetTable, OverlongNameIsCutAndReported) {
    resetTextureSets();
    const std::string longName(300, 'a');
    bool added;
    testing::internal::CaptureStderr();
    EXPECT_EQ(findOrAddTextureSet((longName + "_hull").c_str(), &added), 0);
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_NE(errors.find("300 characters"), std::string::npos) << errors;
    EXPECT_EQ(strlen(textureSets[0].name), (size_t)MAX_SET_NAME - 1);
    resetTextureSets();
}

TEST_F(TextureGl, ImageBecomesAMipmappedTextureWithRowsInFileOrder) {
    // 1 x 2 at 24 bits: rows of three bytes, which only read right with an unpack alignment of 1.
    writeTga("wall.tga", tgaFile(2, 1, 2, 24, {1, 2, 3, 4, 5, 6}));
    testing::internal::CaptureStdout();
    const GLuint texture = loadTexture("wall.tga");
    const std::string out = testing::internal::GetCapturedStdout();
    ASSERT_TRUE(glIsTexture(texture));
    int width, height;
    EXPECT_EQ(readTexture(texture, &width, &height), (Bytes{3, 2, 1, 6, 5, 4}));
    EXPECT_EQ(width, 1);
    EXPECT_EQ(height, 2);
    GLint minFilter = 0, magFilter = 0, level1Height = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &magFilter);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 1, GL_TEXTURE_HEIGHT, &level1Height);
    EXPECT_EQ(minFilter, GL_LINEAR_MIPMAP_NEAREST);
    EXPECT_EQ(magFilter, GL_LINEAR);
    EXPECT_EQ(level1Height, 1);
    EXPECT_NE(out.find("wall.tga loaded\n"), std::string::npos) << out;
    EXPECT_NE(out.find("[xres=1 yres= 2 id=0] t11"), std::string::npos) << out;
}

TEST_F(TextureGl, UnreadableImageFallsBackByKind) {
    Bytes colourMapped = solidTga(2, 2, {1, 1, 1});
    colourMapped[1] = 1;
    writeTga("bad_normal.tga", colourMapped);
    testing::internal::CaptureStderr();
    const GLuint normal = loadTexture("bad_normal.tga");
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_EQ(errors, "bad_normal.tga: TGA file be type 2 or type 10 \n");
    EXPECT_EQ(firstPixel(normal), rgb(DEFAULT_NORMAL));
    EXPECT_EQ(firstPixel(loadTexture("nothing.tga")), rgb(DEFAULT_BASE));
    EXPECT_EQ(firstPixel(loadTexture("x_chraber.tga")), rgb(DEFAULT_CHRABER));
    EXPECT_EQ(firstPixel(loadTexture("x_specular.tga")), rgb(DEFAULT_SPECULAR));
}

TEST_F(TextureGl, MissingFallbackGivesOnePlainPixel) {
    remove("data/default_normal.tga");
    testing::internal::CaptureStderr();
    const GLuint texture = loadTexture("x_normal.tga");
    const std::string errors = testing::internal::GetCapturedStderr();
    EXPECT_NE(errors.find("default_normal.tga"), std::string::npos) << errors;
    int width, height;
    EXPECT_EQ(readTexture(texture, &width, &height), (Bytes{128, 128, 255}));
    EXPECT_EQ(width, 1);
    EXPECT_EQ(height, 1);
}

TEST_F(TextureGl, SetSharedByPrefixIsLoadedOnce) {
    writeTga("ship.tga", solidTga(2, 2, {1, 1, 1}));
    writeTga("ship_normal.tga", solidTga(2, 2, {2, 2, 2}));
    writeTga("ship_chraber.tga", solidTga(2, 2, {3, 3, 3}));
    writeTga("ship_specular.tga", solidTga(2, 2, {4, 4, 4}));
    testing::internal::CaptureStdout();
    const int hull = loadTextureSet("ship_hull");
    const int engine = loadTextureSet("ship_engine");
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(hull, engine);
    EXPECT_EQ(textureSetCount, 1);
    EXPECT_STREQ(textureSets[hull].name, "ship");
    for (const char *file : {"ship.tga", "ship_normal.tga", "ship_chraber.tga", "ship_specular.tga"})
        EXPECT_EQ(countOf(out, std::string("loadtga filename = [") + file + "]"), 1) << file;
    EXPECT_EQ(firstPixel(textureSets[hull].base), (Bytes{1, 1, 1}));
    EXPECT_EQ(firstPixel(textureSets[hull].normal), (Bytes{2, 2, 2}));
    EXPECT_EQ(firstPixel(textureSets[hull].chraber), (Bytes{3, 3, 3}));
    EXPECT_EQ(firstPixel(textureSets[hull].specular), (Bytes{4, 4, 4}));
}

TEST_F(TextureGl, SetWithOnlyItsBaseImageGetsTheDefaults) {
    writeTga("crate.tga", solidTga(2, 2, {5, 6, 7}));
    const int set = loadTextureSet("crate_01");
    EXPECT_EQ(firstPixel(textureSets[set].base), (Bytes{7, 6, 5}));
    EXPECT_EQ(firstPixel(textureSets[set].normal), rgb(DEFAULT_NORMAL));
    EXPECT_EQ(firstPixel(textureSets[set].chraber), rgb(DEFAULT_CHRABER));
    EXPECT_EQ(firstPixel(textureSets[set].specular), rgb(DEFAULT_SPECULAR));
}

TEST_F(TextureGl, KeepImageHandsBackPixelsAndTexture) {
    writeTga("env.tga", solidTga(4, 4, {9, 8, 7}));
    TgaImage image = loadTextureKeepImage("env.tga");
    ASSERT_NE(image.pixels, nullptr);
    EXPECT_EQ(image.width, 4u);
    EXPECT_EQ(image.pixels[0], 7);
    EXPECT_TRUE(glIsTexture(image.texture));
    EXPECT_EQ(firstPixel(image.texture), (Bytes{7, 8, 9}));
    free(image.pixels);

    TgaImage missing = loadTextureKeepImage("noenv.tga");
    EXPECT_EQ(missing.pixels, nullptr);
    EXPECT_EQ(missing.texture, 0u);
}
