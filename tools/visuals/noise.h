// Deterministic randomness for the content generators: the classic C runtime LCG and
// hash-based lattice noise that can tile (periodic in whole lattice cells).
#pragma once

#include <cstdint>

// The Windows C runtime recurrence: state = state * 214013 + 2531011, value = (state >> 16) & 0x7fff.
struct CrtRandom {
    uint32_t state;
};

void crtSeed(CrtRandom& random, uint32_t seed);
int crtRand(CrtRandom& random);            // 0 .. 32767
float crtUniform(CrtRandom& random);       // 0 .. 1 (exclusive)
float crtRange(CrtRandom& random, float low, float high);

// Stateless integer hash of a lattice point and a seed, 0 .. 1.
float hash01(int x, int y, uint32_t seed);

// Gradient noise in about -1 .. 1 at (x, y) in lattice units. With periods > 0 the lattice
// wraps every periodX cells along x and periodY cells along y, so an image sampled over
// [0, periodX) x [0, periodY) tiles.
float gradientNoise(float x, float y, int periodX, int periodY, uint32_t seed);
// Sum of octaves of gradientNoise, each doubling frequency (and periods) and scaling by gain;
// normalised to about -1 .. 1.
float fbm(float x, float y, int periodX, int periodY, int octaves, float gain, uint32_t seed);
// Tiling fbm over texture coordinates u, v in [0, 1): cellsX by cellsY lattice cells per tile.
float tileFbm(float u, float v, int cellsX, int cellsY, int octaves, float gain, uint32_t seed);

// Cellular noise: distance to the nearest and second nearest feature point (one per cell, in
// lattice units) and a 0..1 id of the nearest cell. Periodic like gradientNoise.
struct CellSample {
    float nearest;
    float second;
    float cellId;
};
CellSample cellNoise(float x, float y, int period, uint32_t seed);
// Cellular noise over texture coordinates u, v in [0, 1) with cells x cells cells per tile.
CellSample tileCells(float u, float v, int cells, uint32_t seed);
