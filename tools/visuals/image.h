// Float RGBA images for the content generators: drawing helpers, filters and TGA encoding.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Row 0 is the BOTTOM row on screen and the first row written to the file (the show's loader
// does not flip), x grows to the right. Channels are r, g, b, a in 0..1, straight (not
// premultiplied) alpha.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<float> rgba;  // width * height * 4
};

// Single-channel float buffer (coverage, height fields), same row order as Image.
struct Plane {
    int width = 0;
    int height = 0;
    std::vector<float> v;  // width * height
};

struct Rgb {
    float r, g, b;
};

Image makeImage(int width, int height, float r, float g, float b, float a);
Plane makePlane(int width, int height, float value);

inline float* pixelAt(Image& image, int x, int y) { return &image.rgba[(size_t(y) * image.width + x) * 4]; }
inline const float* pixelAt(const Image& image, int x, int y) {
    return &image.rgba[(size_t(y) * image.width + x) * 4];
}
inline float& planeAt(Plane& plane, int x, int y) { return plane.v[size_t(y) * plane.width + x]; }
inline float planeAt(const Plane& plane, int x, int y) { return plane.v[size_t(y) * plane.width + x]; }
// Wrapping read, for tiling height fields.
float planeWrapped(const Plane& plane, int x, int y);

float clamp01(float v);
float smoothstep(float edge0, float edge1, float x);
float mixf(float a, float b, float t);
Rgb mixRgb(Rgb a, Rgb b, float t);
Rgb scaleRgb(Rgb c, float k);

// Composites colour (r, g, b) with coverage alpha over the pixel (straight alpha "over").
void blendOver(Image& image, int x, int y, Rgb colour, float alpha);
// Adds colour * amount to the pixel's colour (light, glow); alpha untouched.
void addLight(Image& image, int x, int y, Rgb colour, float amount);

// Bilinear resample to a new size; samples at pixel centres, edges clamped.
Image resampleImage(const Image& source, int width, int height);
// Three box passes of the given radius approximate a Gaussian; edges clamp (or wrap).
void blurPlane(Plane& plane, int radius, bool wrap);

// Encodes 24-bit (alpha dropped) or 32-bit TGA, uncompressed (type 2) or run-length (type 10).
// The header carries no image ID, no colour map and origin 0, 0; pixels are B, G, R(, A).
std::vector<uint8_t> encodeTga(const Image& image, int bitsPerPixel, bool runLength);
// Writes the encoding to path; prints one line and exits with status 1 if the file cannot be written.
void writeTga(const Image& image, const std::string& path, int bitsPerPixel, bool runLength);

// Writes bytes to path or exits with status 1 after one line on stderr.
void writeFileOrDie(const std::string& path, const std::vector<uint8_t>& bytes);
void writeTextOrDie(const std::string& path, const std::string& text);
