// TGA image reading: uncompressed (type 2) and run-length-encoded (type 10) true-colour images.
#pragma once
#include <stddef.h>
#include <stdint.h>

struct TgaImage {
    uint8_t *pixels;         // width x height x bytes per pixel, R,G,B(,A), rows in file order
    uint32_t bitsPerPixel;   // 24 or 32
    uint32_t width;
    uint32_t height;
    uint32_t texture;        // GL texture name, once a texture is made from the image
    uint32_t format;         // GL_RGB or GL_RGBA
};

// Reads data/<name>. On failure returns false with no pixels held; the reason has been reported.
bool loadtga(TgaImage *image, const char *name);
// Decodes a TGA held in memory (the file reader and the fuzz target share it). caption names the
// image in error reports.
bool decodeTga(TgaImage *image, const uint8_t *bytes, size_t size, const char *caption);
