// LCG and lattice noise for the content generators. Owns no state: callers own their CrtRandom.
#include "noise.h"

#include <cmath>

void crtSeed(CrtRandom& random, uint32_t seed) { random.state = seed; }

int crtRand(CrtRandom& random) {
    random.state = random.state * 214013u + 2531011u;
    return int((random.state >> 16) & 0x7fff);
}

float crtUniform(CrtRandom& random) { return float(crtRand(random)) / 32768.0f; }

float crtRange(CrtRandom& random, float low, float high) { return low + (high - low) * crtUniform(random); }

static uint32_t hashPoint(int x, int y, uint32_t seed) {
    uint32_t h = uint32_t(x) * 0x8da6b343u ^ uint32_t(y) * 0xd8163841u ^ seed * 0xcb1ab31fu;
    h ^= h >> 15;
    h *= 0x2c1b3c6du;
    h ^= h >> 12;
    h *= 0x297a2d39u;
    h ^= h >> 15;
    return h;
}

float hash01(int x, int y, uint32_t seed) { return float(hashPoint(x, y, seed) >> 8) / 16777216.0f; }

static int wrapCell(int i, int period) {
    if (period <= 0) return i;
    i %= period;
    return i < 0 ? i + period : i;
}

// Dot product of the lattice point's unit gradient with the offset (dx, dy).
static float gradientDot(int ix, int iy, float dx, float dy, int periodX, int periodY, uint32_t seed) {
    float angle = hash01(wrapCell(ix, periodX), wrapCell(iy, periodY), seed) * 6.2831853f;
    return std::cos(angle) * dx + std::sin(angle) * dy;
}

float gradientNoise(float x, float y, int periodX, int periodY, uint32_t seed) {
    float fx = std::floor(x), fy = std::floor(y);
    int ix = int(fx), iy = int(fy);
    float dx = x - fx, dy = y - fy;
    float ux = dx * dx * dx * (dx * (dx * 6.0f - 15.0f) + 10.0f);
    float uy = dy * dy * dy * (dy * (dy * 6.0f - 15.0f) + 10.0f);
    float n00 = gradientDot(ix, iy, dx, dy, periodX, periodY, seed);
    float n10 = gradientDot(ix + 1, iy, dx - 1.0f, dy, periodX, periodY, seed);
    float n01 = gradientDot(ix, iy + 1, dx, dy - 1.0f, periodX, periodY, seed);
    float n11 = gradientDot(ix + 1, iy + 1, dx - 1.0f, dy - 1.0f, periodX, periodY, seed);
    float a = n00 + (n10 - n00) * ux;
    float b = n01 + (n11 - n01) * ux;
    return (a + (b - a) * uy) * 1.41421356f;
}

float fbm(float x, float y, int periodX, int periodY, int octaves, float gain, uint32_t seed) {
    float sum = 0.0f, amplitude = 1.0f, norm = 0.0f;
    for (int o = 0; o < octaves; ++o) {
        sum += amplitude * gradientNoise(x, y, periodX, periodY, seed + uint32_t(o) * 1013u);
        norm += amplitude;
        amplitude *= gain;
        x *= 2.0f;
        y *= 2.0f;
        periodX *= 2;
        periodY *= 2;
    }
    return sum / norm;
}

float tileFbm(float u, float v, int cellsX, int cellsY, int octaves, float gain, uint32_t seed) {
    return fbm(u * float(cellsX), v * float(cellsY), cellsX, cellsY, octaves, gain, seed);
}

CellSample tileCells(float u, float v, int cells, uint32_t seed) {
    return cellNoise(u * float(cells), v * float(cells), cells, seed);
}

CellSample cellNoise(float x, float y, int period, uint32_t seed) {
    int ix = int(std::floor(x)), iy = int(std::floor(y));
    CellSample result = {1e9f, 1e9f, 0.0f};
    // Two cells out in every direction: one is enough for the nearest point, not always for the second.
    for (int oy = -2; oy <= 2; ++oy) {
        for (int ox = -2; ox <= 2; ++ox) {
            int cx = wrapCell(ix + ox, period), cy = wrapCell(iy + oy, period);
            float px = float(ix + ox) + hash01(cx, cy, seed);
            float py = float(iy + oy) + hash01(cx, cy, seed ^ 0x5bd1e995u);
            float d = std::sqrt((px - x) * (px - x) + (py - y) * (py - y));
            if (d < result.nearest) {
                result.second = result.nearest;
                result.nearest = d;
                result.cellId = hash01(cx, cy, seed ^ 0x68e31da4u);
            } else if (d < result.second) {
                result.second = d;
            }
        }
    }
    return result;
}
