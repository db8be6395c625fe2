// Textures from TGA files with fallback images, and the texture-set table: base, normal, chraber and
// specular maps loaded together under one name.
#pragma once
#include <stdint.h>

#include "assets/tga.h"

constexpr int MAX_TEXTURE_SETS = 1000;   // set ids are 0..999; meshes keep them as plain ints
constexpr int MAX_SET_NAME = 256;        // 255 characters and the terminator

struct TextureSet {
    char name[MAX_SET_NAME];
    uint32_t base;
    uint32_t normal;
    uint32_t chraber;
    uint32_t specular;
};

// Filled while loading, only appended to; effects may overwrite texture ids afterwards.
extern TextureSet textureSets[MAX_TEXTURE_SETS];
extern int textureSetCount;

enum TextureKind { TEXTURE_BASE, TEXTURE_NORMAL, TEXTURE_CHRABER, TEXTURE_SPECULAR };

// Kind from the three letters after the last underscore of the name.
TextureKind textureKindOf(const char *name);
// Mipmapped 2D texture from data/<name>, or from the kind's fallback image.
uint32_t loadTexture(const char *name);
// Index of the set named by the part of name before its first underscore; loads it when new.
int loadTextureSet(const char *name);
// The table half of loadTextureSet, without GL: finds the set for name's prefix or appends it with
// texture ids 0 (then *added is true). A full table is reported and answered with set 0; a prefix
// over 255 characters is reported and cut.
int findOrAddTextureSet(const char *name, bool *added);
// Empties the table (tests; the show never removes a set).
void resetTextureSets();
// Reads the image and makes its texture, handing the image (pixels included) back to the caller.
// When the image cannot be read the record comes back without pixels and without a texture.
TgaImage loadTextureKeepImage(const char *name);

// Live reload (edit mode). Every texture made from a file is remembered with its name (up to
// MAX_LOADED_TEXTURES; later ones cannot be reloaded).
constexpr int MAX_LOADED_TEXTURES = 256;   // the show loads about ninety
constexpr int MAX_TEXTURE_NAME = 64;       // bytes of a file name below data/
extern int loadedTextureCount;
const char *loadedTextureName(int index);
// Empties the list: a new load starts it again (tests load the show more than once).
void forgetLoadedTextures();
// Reads the file again into every texture made from it, keeping their GL names. False when the file
// cannot be read: the textures keep their pictures. Leaves the active unit's 2D binding as it was.
bool reloadTextureFile(const char *name);
