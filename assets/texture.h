// Textures from TGA files with fallback images, and the texture-set table: base, normal, chraber and
// specular maps loaded together under one name.
#pragma once
#include <stdint.h>

#include "assets/tga.h"

constexpr int MAX_TEXTURE_SETS = 1000;
constexpr int MAX_SET_NAME = 256;   // 255 characters and the terminator

struct TextureSet {
    char name[MAX_SET_NAME];
    uint32_t base;
    uint32_t normal;
    uint32_t chraber;
    uint32_t specular;
};

extern TextureSet textureSets[MAX_TEXTURE_SETS];
extern int textureSetCount;

enum TextureKind { TEXTURE_BASE, TEXTURE_NORMAL, TEXTURE_CHRABER, TEXTURE_SPECULAR };

// Kind from the three letters after the last underscore of the name.
TextureKind textureKindOf(const char *name);
// Mipmapped 2D texture from data/<name>, or from the kind's fallback image.
uint32_t loadTexture(const char *name);
// Index of the set named by the part of name before its first underscore; loads it when new.
int loadTextureSet(const char *name);
// Reads the image and makes its texture, handing the image (pixels included) back to the caller.
// When the image cannot be read the record comes back without pixels and without a texture.
TgaImage loadTextureKeepImage(const char *name);
