// Textures made from TGA files, with a fallback image per kind; owns the texture-set table.
#include "assets/texture.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "core/diagnostics.h"
#include "platform/gl.h"

// Per kind, indexed by TextureKind: the fallback image in the data directory, its debugLog line, and
// the colour used when that image is missing as well (one pixel: plain white base, flat normal, no
// chraber, no specular).
static const struct {
    const char *file;
    const char *report;
    uint8_t plain[3];
} FALLBACKS[] = {
    {"default_base.tga", "basedefault loaded instead of %s\n", {255, 255, 255}},
    {"default_normal.tga", "normaldefault loaded\n", {128, 128, 255}},
    {"default_chraber.tga", "chraberdefault loaded\n", {0, 0, 0}},
    {"default_specular.tga", "speculardefault loaded\n", {0, 0, 0}},
};

// Loaded once per run, entries only appended (resetTextureSets is for tests).
TextureSet textureSets[MAX_TEXTURE_SETS];
int textureSetCount = 0;

// Textures and the files they came from (the file's name even when a fallback stands in), appended
// by every load; read by reloads.
static struct {
    char name[MAX_TEXTURE_NAME];
    uint32_t texture;
} loadedTextures[MAX_LOADED_TEXTURES];
int loadedTextureCount = 0;

static void rememberTexture(const char *name, uint32_t texture) {
    if (loadedTextureCount == MAX_LOADED_TEXTURES || strlen(name) >= MAX_TEXTURE_NAME) return;
    strcpy(loadedTextures[loadedTextureCount].name, name);
    loadedTextures[loadedTextureCount++].texture = texture;
}

TextureKind textureKindOf(const char *name) {
    const char *underscore = strrchr(name, '_');
    if (!underscore || underscore == name) return TEXTURE_BASE;
    const char *kind = underscore + 1;
    if (strncmp(kind, "nor", 3) == 0) return TEXTURE_NORMAL;
    if (strncmp(kind, "chr", 3) == 0) return TEXTURE_CHRABER;
    if (strncmp(kind, "spe", 3) == 0) return TEXTURE_SPECULAR;
    return TEXTURE_BASE;
}

// Fills image with the kind's fallback file, or with one plain pixel when that file is missing too.
static void loadFallbackImage(TgaImage *image, TextureKind kind, const char *missing) {
    if (loadtga(image, FALLBACKS[kind].file)) {
        if (kind == TEXTURE_BASE) debugLog(FALLBACKS[kind].report, missing);
        else debugLog("%s", FALLBACKS[kind].report);
        return;
    }
    logError("texture %s and its fallback data/%s are both unreadable: using one plain pixel\n", missing,
             FALLBACKS[kind].file);
    *image = TgaImage{};
    image->pixels = (uint8_t *)malloc(3);
    memcpy(image->pixels, FALLBACKS[kind].plain, 3);
    image->bitsPerPixel = 24;
    image->width = 1;
    image->height = 1;
    image->format = GL_RGB;
}

// Fills the texture with the image's pixels and their mipmaps. Leaves it bound to GL_TEXTURE_2D of
// the active unit; the unpack alignment is restored (TGA rows have no padding).
static void fillMipmappedTexture(GLuint texture, const TgaImage *image) {
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_NEAREST);
    GLint alignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    gluBuild2DMipmaps(GL_TEXTURE_2D, (GLint)image->bitsPerPixel / 8, (GLint)image->width, (GLint)image->height,
                      image->format, GL_UNSIGNED_BYTE, image->pixels);
    glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
}

// A new mipmapped 2D texture of the image, left bound like fillMipmappedTexture leaves it.
static uint32_t makeMipmappedTexture(const TgaImage *image) {
    GLuint texture = 0;
    glGenTextures(1, &texture);
    fillMipmappedTexture(texture, image);
    return texture;
}

uint32_t loadTexture(const char *name) {
    const TextureKind kind = textureKindOf(name);
    TgaImage image;
    if (loadtga(&image, name)) {
        logOut("%s loaded\n", name);
        logOut("\n[xres=%d yres= %d id=%d] t11\n", (int)image.width, (int)image.height, (int)image.texture);
    } else {
        loadFallbackImage(&image, kind, name);
    }
    const uint32_t texture = makeMipmappedTexture(&image);
    free(image.pixels);
    rememberTexture(name, texture);
    return texture;
}

TgaImage loadTextureKeepImage(const char *name) {
    TgaImage image;
    if (loadtga(&image, name)) {
        image.texture = makeMipmappedTexture(&image);
        rememberTexture(name, image.texture);
    }
    return image;
}

void forgetLoadedTextures() {
    loadedTextureCount = 0;
}

const char *loadedTextureName(int index) {
    return loadedTextures[index].name;
}

bool reloadTextureFile(const char *name) {
    TgaImage image;
    if (!loadtga(&image, name)) return false;
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    for (int i = 0; i < loadedTextureCount; i++)
        if (strcmp(loadedTextures[i].name, name) == 0) fillMipmappedTexture(loadedTextures[i].texture, &image);
    glBindTexture(GL_TEXTURE_2D, (GLuint)bound);
    free(image.pixels);
    return true;
}

void resetTextureSets() {
    memset(textureSets, 0, sizeof textureSets);
    textureSetCount = 0;
}

int findOrAddTextureSet(const char *name, bool *added) {
    *added = false;
    size_t length = strcspn(name, "_");
    if (length > MAX_SET_NAME - 1) {
        logError("texture set name of %.40s... is %d characters long: cut to %d\n", name, (int)length,
                 MAX_SET_NAME - 1);
        length = MAX_SET_NAME - 1;
    }
    char setName[MAX_SET_NAME];
    memcpy(setName, name, length);
    setName[length] = '\0';
    for (int i = 0; i < textureSetCount; i++)
        if (strcmp(textureSets[i].name, setName) == 0) return i;
    if (textureSetCount == MAX_TEXTURE_SETS) {
        logError("texture set table full (%d sets): %s uses set 0\n", MAX_TEXTURE_SETS, setName);
        return 0;
    }
    TextureSet *set = &textureSets[textureSetCount];
    *set = TextureSet{};
    memcpy(set->name, setName, length + 1);
    *added = true;
    return textureSetCount++;
}

int loadTextureSet(const char *name) {
    bool added;
    const int index = findOrAddTextureSet(name, &added);
    if (!added) return index;
    TextureSet *set = &textureSets[index];
    // Prefix (at most 255 characters) and the longest suffix fit easily.
    char baseFile[MAX_SET_NAME + 16], normalFile[MAX_SET_NAME + 16];
    char chraberFile[MAX_SET_NAME + 16], specularFile[MAX_SET_NAME + 16];
    snprintf(baseFile, sizeof baseFile, "%s.tga", set->name);
    snprintf(normalFile, sizeof normalFile, "%s_normal.tga", set->name);
    snprintf(chraberFile, sizeof chraberFile, "%s_chraber.tga", set->name);
    snprintf(specularFile, sizeof specularFile, "%s_specular.tga", set->name);
    debugLog("-%s-%s-\n", set->name, baseFile);
    debugLog("-%s-\n", normalFile);
    debugLog("-%s-\n", chraberFile);
    debugLog("-%s-\n", specularFile);
    set->base = loadTexture(baseFile);
    set->normal = loadTexture(normalFile);
    set->chraber = loadTexture(chraberFile);
    set->specular = loadTexture(specularFile);
    return index;
}
