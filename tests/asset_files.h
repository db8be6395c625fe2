// Small asset files built by the asset tests: TGA images and 3DM text.
#pragma once
#include <stdint.h>
#include <stdio.h>

#include <string>
#include <vector>

#include "tests/test_support.h"

typedef std::vector<uint8_t> Bytes;

// A TGA of the given type (2 or 10): the fixed 12-byte header, width, height, bits, descriptor,
// then body as given (pixels or packets, file order B, G, R[, A]).
inline Bytes tgaFile(uint8_t type, int width, int height, int bits, const Bytes &body, uint8_t descriptor = 0) {
    Bytes file = {0, 0, type, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    const uint8_t info[6] = {(uint8_t)(width & 255), (uint8_t)(width >> 8), (uint8_t)(height & 255),
                             (uint8_t)(height >> 8), (uint8_t)bits, descriptor};
    file.insert(file.end(), info, info + 6);
    file.insert(file.end(), body.begin(), body.end());
    return file;
}

// An uncompressed image whose every pixel is `pixel` (file order).
inline Bytes solidTga(int width, int height, const Bytes &pixel) {
    Bytes body;
    for (int i = 0; i < width * height; i++) body.insert(body.end(), pixel.begin(), pixel.end());
    return tgaFile(2, width, height, (int)pixel.size() * 8, body);
}

inline void writeTga(const char *name, const Bytes &bytes) {
    writeDataFile(name, bytes.data(), bytes.size());
}

// The 3DM lines of one face: three corners at the given positions (x, y, z per corner), normal
// (0, 0, 1) and the given texture coordinates (s, t per corner). Ends with a line break.
inline std::string faceLines(const float p[9], const float uv[6]) {
    std::string text;
    char line[128];
    for (int c = 0; c < 3; c++) {
        snprintf(line, sizeof line, "v %g %g %g\nn 0 0 1\nt %g %g\n", p[3 * c], p[3 * c + 1], p[3 * c + 2],
                 uv[2 * c], uv[2 * c + 1]);
        text += line;
    }
    return text;
}

