// Texture sets of the room, the cubes, the sculpture and the curve tube, and the default
// fallbacks. Each material paints colour, relief, occlusion, glow and shine into one set of
// planes; the four files are derived from those:
//   X.tga           base colour, 24 bit
//   X_normal.tga    tangent-space normal from the relief (x along s, y along t), 24 bit
//   X_chraber.tga   light map, 32 bit: rgb = ambient occlusion (multiply), a = 1 - emissive mask
//                   (stored inverted so that a 24-bit light map, whose alpha reads 1, glows nowhere)
//   X_specular.tga  32 bit: rgb = specular colour and intensity, a = gloss (0 dull .. 1 sharp)
// All room and cube textures tile (repeat wrap). Owns no state.
#include "generate.h"
#include "image.h"
#include "noise.h"

#include <cmath>

static const float PI = 3.14159265358979f;

struct MaterialMaps {
    int size = 0;
    Image base;       // rgb
    Plane height;     // relief 0..1
    Plane occlusion;  // 1 = open; multiplied with the cavity term from the relief
    Plane emissive;   // 0..1
    Image specular;   // rgb intensity, a = gloss
    float bumpPixels = 2.0f;  // relief depth in pixels for the normal map
    float cavity = 1.5f;      // strength of the occlusion taken from the relief
};

static MaterialMaps newMaps(int size) {
    MaterialMaps m;
    m.size = size;
    m.base = makeImage(size, size, 0.5f, 0.5f, 0.5f, 1.0f);
    m.height = makePlane(size, size, 1.0f);
    m.occlusion = makePlane(size, size, 1.0f);
    m.emissive = makePlane(size, size, 0.0f);
    m.specular = makeImage(size, size, 0.1f, 0.1f, 0.1f, 0.2f);
    return m;
}

// One painted texel.
struct Texel {
    Rgb colour;
    float height;
    float occlusion;
    float emissive;
    Rgb specular;
    float gloss;
};

static Texel texel(Rgb colour, float height, float specular, float gloss) {
    return {colour, height, 1.0f, 0.0f, {specular, specular, specular}, gloss};
}

// Fills the maps from a painter called with texture coordinates of the texel centre.
template <typename Painter>
static void paint(MaterialMaps& m, Painter painter) {
    for (int y = 0; y < m.size; ++y) {
        for (int x = 0; x < m.size; ++x) {
            float u = (float(x) + 0.5f) / float(m.size), v = (float(y) + 0.5f) / float(m.size);
            Texel t = painter(u, v);
            float* b = pixelAt(m.base, x, y);
            b[0] = t.colour.r;
            b[1] = t.colour.g;
            b[2] = t.colour.b;
            planeAt(m.height, x, y) = t.height;
            planeAt(m.occlusion, x, y) = t.occlusion;
            planeAt(m.emissive, x, y) = t.emissive;
            float* s = pixelAt(m.specular, x, y);
            s[0] = t.specular.r;
            s[1] = t.specular.g;
            s[2] = t.specular.b;
            s[3] = t.gloss;
        }
    }
}

static float fract(float x) { return x - std::floor(x); }

// Distance in texels from (u, v) to the nearest border of a grid of cells x cells per tile.
static float gridEdgeDistance(float u, float v, int cells, int size) {
    float lu = fract(u * float(cells)), lv = fract(v * float(cells));
    float d = std::fmin(std::fmin(lu, 1.0f - lu), std::fmin(lv, 1.0f - lv));
    return d * float(size) / float(cells);
}

// Distance in texels from x to the nearest line of a set of count evenly spaced lines, for a
// coordinate span of the given number of texels.
static float lineDistance(float x, int count, float texels) {
    return (0.5f - std::fabs(fract(x * float(count)) - 0.5f)) / float(count) * texels;
}

// Integer cell index of u on a grid of cells per tile.
static int cellOf(float u, int cells) { return int(std::floor(u * float(cells))) % cells; }

static void writeSet(const std::string& directory, const std::string& name, MaterialMaps& m) {
    const int size = m.size;
    writeTga(m.base, directory + "/" + name + ".tga", 24, false);

    // Normal from the relief by central differences, wrapping at the edges so the map tiles.
    Image normal = makeImage(size, size, 0.5f, 0.5f, 1.0f, 1.0f);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            float dx = (planeWrapped(m.height, x + 1, y) - planeWrapped(m.height, x - 1, y)) * 0.5f * m.bumpPixels;
            float dy = (planeWrapped(m.height, x, y + 1) - planeWrapped(m.height, x, y - 1)) * 0.5f * m.bumpPixels;
            float len = std::sqrt(dx * dx + dy * dy + 1.0f);
            float* p = pixelAt(normal, x, y);
            p[0] = 0.5f - 0.5f * dx / len;
            p[1] = 0.5f - 0.5f * dy / len;
            p[2] = 0.5f + 0.5f / len;
        }
    }
    writeTga(normal, directory + "/" + name + "_normal.tga", 24, false);

    // Cavities: texels lower than their surroundings see less of the sky.
    Plane around = m.height;
    blurPlane(around, size / 64 + 1, true);
    Image light = makeImage(size, size, 1, 1, 1, 0);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            float cavity = 1.0f - m.cavity * std::fmax(0.0f, planeAt(around, x, y) - planeAt(m.height, x, y));
            float ao = clamp01(cavity) * planeAt(m.occlusion, x, y);
            float* p = pixelAt(light, x, y);
            p[0] = p[1] = p[2] = ao;
            p[3] = 1.0f - planeAt(m.emissive, x, y);
        }
    }
    writeTga(light, directory + "/" + name + "_chraber.tga", 32, false);
    writeTga(m.specular, directory + "/" + name + "_specular.tga", 32, false);
}

// ---- room materials -------------------------------------------------------------------

// Polished stone floor: two by two tiles, light limestone and dark veined marble in a checker.
static MaterialMaps paintFloor() {
    MaterialMaps m = newMaps(512);
    m.bumpPixels = 3.0f;
    paint(m, [&](float u, float v) {
        int i = cellOf(u, 2), j = cellOf(v, 2);
        uint32_t seed = 100 + uint32_t(i + 2 * j);
        bool dark = (i + j) % 2 == 1;
        float edge = gridEdgeDistance(u, v, 2, 512);
        float tile = smoothstep(2.5f, 6.0f, edge);
        float turbulence = tileFbm(u, v, 4, 4, 5, 0.55f, seed);
        float vein = std::pow(1.0f - std::fabs(std::sin(2.0f * PI * (2.0f * u + v) + 7.0f * turbulence)), 12.0f);
        float vein2 = std::pow(1.0f - std::fabs(std::sin(2.0f * PI * (3.0f * u - 2.0f * v) + 5.0f * turbulence)), 18.0f);
        float veins = clamp01(vein + 0.6f * vein2);
        float mottle = tileFbm(u, v, 8, 8, 4, 0.5f, seed + 7);
        float tone = 0.96f + 0.08f * hash01(i, j, 5);
        Rgb stone = dark ? mixRgb(scaleRgb({0.23f, 0.25f, 0.25f}, tone + 0.12f * mottle), {0.72f, 0.74f, 0.72f},
                                  veins * 0.6f)
                         : mixRgb(scaleRgb({0.72f, 0.69f, 0.64f}, tone + 0.07f * mottle), {0.5f, 0.5f, 0.53f},
                                  veins * 0.55f);
        Rgb grout = scaleRgb({0.2f, 0.2f, 0.2f}, 1.0f + 0.2f * mottle);
        Texel t = texel(mixRgb(grout, stone, tile), 0.3f + 0.7f * tile + 0.01f * mottle,
                        mixf(0.05f, 0.75f - 0.15f * veins, tile), mixf(0.1f, 0.85f, tile));
        return t;
    });
    return m;
}

// Region of the dais medallion at (u, v): the id tells regions apart (for engraved borders).
struct InlayRegion {
    int id;
    Rgb colour;
    bool brass;
};

static InlayRegion inlayRegion(float u, float v) {
    const Rgb brass = {0.78f, 0.6f, 0.3f}, darkStone = {0.1f, 0.11f, 0.13f}, cream = {0.82f, 0.78f, 0.7f},
              blue = {0.33f, 0.4f, 0.5f};
    float x = u - 0.5f, y = v - 0.5f;
    float r = std::sqrt(x * x + y * y), angle = std::atan2(y, x);
    if (r > 0.465f) return {1, brass, true};
    if (r > 0.40f) {
        // ring of 32 brass studs in dark stone
        float sector = fract(angle / (2.0f * PI) * 32.0f) - 0.5f;
        float along = sector * 2.0f * PI * 0.4325f / 32.0f, across = r - 0.4325f;
        if (along * along + across * across < 0.012f * 0.012f) return {2, brass, true};
        return {3, darkStone, false};
    }
    if (r > 0.392f) return {4, brass, true};
    if (r < 0.02f) return {5, darkStone, false};
    if (r < 0.07f) return {6, brass, true};
    // 16-point star: a point where the sector phase is 0, valleys in between
    float phase = fract(angle / (2.0f * PI) * 16.0f);
    float pointness = std::fabs(phase - 0.5f) * 2.0f;  // 1 on a point's axis, 0 in a valley
    float starRadius = mixf(0.15f, 0.37f, pointness);
    if (r < starRadius) return {phase < 0.5f ? 7 : 8, phase < 0.5f ? brass : darkStone, phase < 0.5f};
    // second star, half a step turned, in blue-grey stone behind the first
    float phase2 = fract(angle / (2.0f * PI) * 16.0f + 0.5f);
    float starRadius2 = mixf(0.12f, 0.27f, std::fabs(phase2 - 0.5f) * 2.0f);
    if (r < starRadius2) return {9, blue, false};
    return {10, cream, false};
}

// Medallion of the dais: the disc maps the whole texture once (no tiling).
static MaterialMaps paintInlay() {
    MaterialMaps m = newMaps(512);
    m.bumpPixels = 2.0f;
    const float step = 1.3f / 512.0f;
    paint(m, [&](float u, float v) {
        InlayRegion centre = inlayRegion(u, v);
        int differing = 0;
        for (int dy = -1; dy <= 1; ++dy)
            for (int dx = -1; dx <= 1; ++dx)
                if (inlayRegion(u + dx * step, v + dy * step).id != centre.id) ++differing;
        float groove = float(differing) / 8.0f;
        float mottle = tileFbm(u, v, 16, 16, 4, 0.5f, 210);
        Rgb colour = scaleRgb(centre.colour, 1.0f + (centre.brass ? 0.05f : 0.1f) * mottle);
        colour = mixRgb(colour, {0.05f, 0.04f, 0.03f}, groove * 0.8f);
        Texel t = texel(colour, 1.0f - 0.8f * groove, centre.brass ? 0.0f : 0.55f, 0.85f);
        if (centre.brass) t.specular = {0.95f, 0.8f, 0.55f};
        return t;
    });
    return m;
}

// Limestone ashlar: four courses per tile, two blocks per course in running bond.
static MaterialMaps paintStone() {
    MaterialMaps m = newMaps(256);
    m.bumpPixels = 2.5f;
    paint(m, [&](float u, float v) {
        int row = cellOf(v, 4);
        float shifted = fract(u + (row % 2) * 0.25f);
        int block = cellOf(shifted, 2);
        float lu = fract(shifted * 2.0f), lv = fract(v * 4.0f);
        float edge = std::fmin(std::fmin(lu, 1.0f - lu) * 128.0f, std::fmin(lv, 1.0f - lv) * 64.0f);
        float face = smoothstep(1.2f, 4.0f, edge);
        float chisel = tileFbm(u, v, 16, 16, 4, 0.55f, 300);
        float mottle = tileFbm(u, v, 4, 4, 3, 0.5f, 301);
        CellSample grit = tileCells(u, v, 40, 303);
        float speck = hash01(int(grit.cellId * 1e6f), 1, 304) < 0.3f ? 1.0f - smoothstep(0.08f, 0.16f, grit.nearest) : 0.0f;
        float tone = 0.93f + 0.12f * hash01(block, row, 302);
        Rgb stone = scaleRgb({0.70f, 0.66f, 0.60f}, tone + 0.08f * mottle + 0.07f * chisel - 0.12f * speck);
        Rgb joint = {0.33f, 0.31f, 0.29f};
        return texel(mixRgb(joint, stone, face), 0.2f + 0.8f * face + 0.06f * chisel - 0.05f * speck, 0.12f, 0.3f);
    });
    return m;
}

// Architectural concrete: two by two formwork panels with V seams and tie holes.
static MaterialMaps paintWall() {
    MaterialMaps m = newMaps(512);
    m.bumpPixels = 2.0f;
    paint(m, [&](float u, float v) {
        int pi = cellOf(u, 2), pj = cellOf(v, 2);
        float lu = fract(u * 2.0f), lv = fract(v * 2.0f);
        float seam = smoothstep(1.0f, 3.5f, gridEdgeDistance(u, v, 2, 512));
        float hole = 1.0f;
        for (float hx : {0.2f, 0.5f, 0.8f}) {
            for (float hy : {0.25f, 0.75f}) {
                float dx = (lu - hx) * 256.0f, dy = (lv - hy) * 256.0f;
                hole = std::fmin(hole, smoothstep(3.5f, 6.0f, std::sqrt(dx * dx + dy * dy)));
            }
        }
        CellSample pores = tileCells(u, v, 48, 400);
        float pore = hash01(int(pores.cellId * 1e6f), 0, 401) < 0.35f ? smoothstep(0.05f, 0.12f, pores.nearest) : 1.0f;
        float mottle = tileFbm(u, v, 4, 4, 5, 0.55f, 402);
        float streaks = tileFbm(u, v, 32, 2, 3, 0.5f, 403);
        float tone = 0.95f + 0.1f * hash01(pi, pj, 404);
        Rgb concrete = scaleRgb({0.56f, 0.55f, 0.53f}, tone + 0.09f * mottle - 0.05f * std::fmax(0.0f, streaks));
        float relief = std::fmin(seam, hole) * (0.85f + 0.15f * pore);
        Rgb colour = mixRgb(scaleRgb(concrete, 0.55f), concrete, relief);
        return texel(colour, 0.3f + 0.7f * relief + 0.02f * mottle, 0.08f, 0.2f);
    });
    return m;
}

// Brushed steel plate with a bevelled rim, a centre groove and four screws.
static MaterialMaps paintPanel() {
    MaterialMaps m = newMaps(256);
    m.bumpPixels = 2.5f;
    paint(m, [&](float u, float v) {
        float edge = gridEdgeDistance(u, v, 1, 256);
        float plate = edge < 2.0f ? 0.0f : 0.5f + 0.5f * smoothstep(2.0f, 10.0f, edge);
        float groove = 1.0f - 0.6f * (1.0f - smoothstep(0.8f, 2.2f, std::fabs(v - 0.5f) * 256.0f));
        float brushed = tileFbm(u, v, 2, 96, 3, 0.5f, 500);
        float screw = 0.0f;
        for (float sx : {18.0f / 256.0f, 238.0f / 256.0f}) {
            for (float sy : {18.0f / 256.0f, 238.0f / 256.0f}) {
                float dx = (u - sx) * 256.0f, dy = (v - sy) * 256.0f, d = std::sqrt(dx * dx + dy * dy);
                if (d < 7.0f) {
                    float slot = (std::fabs(dx - dy) < 1.2f || std::fabs(dx + dy) < 1.2f) ? 0.5f : 1.0f;
                    screw = std::fmax(screw, (1.0f - d / 9.0f) * slot);
                }
            }
        }
        Rgb steel = scaleRgb({0.62f, 0.64f, 0.67f}, 0.92f + 0.1f * brushed);
        Rgb colour = screw > 0.0f ? scaleRgb({0.42f, 0.43f, 0.45f}, 0.6f + 0.5f * screw) : steel;
        float height = screw > 0.0f ? 0.8f + 0.3f * screw : plate * groove;
        Texel t = texel(scaleRgb(colour, 0.6f + 0.4f * std::fmin(plate * 2.0f, 1.0f)), height, 0.65f, 0.55f + 0.1f * brushed);
        t.specular = {0.6f, 0.63f, 0.68f};
        return t;
    });
    return m;
}

// Draws a line segment into a plane (max), wrapping around the tile edges.
static void scratchLine(Plane& plane, float x0, float y0, float x1, float y1, float strength) {
    int steps = int(std::fmax(std::fabs(x1 - x0), std::fabs(y1 - y0))) + 1;
    for (int i = 0; i <= steps; ++i) {
        float t = float(i) / float(steps);
        int x = int(std::floor(x0 + (x1 - x0) * t)), y = int(std::floor(y0 + (y1 - y0) * t));
        x = ((x % plane.width) + plane.width) % plane.width;
        y = ((y % plane.height) + plane.height) % plane.height;
        float fade = std::sin(t * PI);
        float& cell = planeAt(plane, x, y);
        cell = std::fmax(cell, strength * fade);
    }
}

// Dark gunmetal with horizontal brushing and fine scratches.
static MaterialMaps paintMetal() {
    MaterialMaps m = newMaps(256);
    m.bumpPixels = 1.5f;
    Plane scratches = makePlane(256, 256, 0.0f);
    CrtRandom random;
    crtSeed(random, 600);
    for (int i = 0; i < 70; ++i) {
        float x = crtRange(random, 0, 256), y = crtRange(random, 0, 256);
        float angle = crtRange(random, -0.5f, 0.5f) + (crtRand(random) % 4 == 0 ? 1.57f : 0.0f);
        float len = crtRange(random, 10, 60);
        scratchLine(scratches, x, y, x + std::cos(angle) * len, y + std::sin(angle) * len, crtRange(random, 0.4f, 1.0f));
    }
    paint(m, [&](float u, float v) {
        int x = int(u * 256.0f), y = int(v * 256.0f);
        float scratch = planeAt(scratches, x, y);
        float brushed = tileFbm(u, v, 4, 128, 3, 0.5f, 601);
        float mottle = tileFbm(u, v, 4, 4, 4, 0.5f, 602);
        Rgb colour = scaleRgb({0.3f, 0.31f, 0.33f}, 0.92f + 0.1f * brushed + 0.08f * mottle);
        colour = mixRgb(colour, {0.55f, 0.56f, 0.58f}, scratch * 0.6f);
        Texel t = texel(colour, 1.0f - 0.3f * scratch, 0.55f + 0.3f * scratch, 0.5f + 0.1f * brushed);
        return t;
    });
    return m;
}

// Dark walnut planks along s with grain rings, butt joints and grooves.
static MaterialMaps paintWood() {
    MaterialMaps m = newMaps(256);
    m.bumpPixels = 2.0f;
    paint(m, [&](float u, float v) {
        int plank = cellOf(v, 4);
        float across = fract(v * 4.0f);
        float joint = hash01(plank, 0, 700);
        float jointDistance = std::fabs(fract(u - joint + 0.5f) - 0.5f) * 256.0f;
        float seam = std::fmin(smoothstep(0.8f, 2.5f, std::fmin(across, 1.0f - across) * 64.0f),
                               smoothstep(0.6f, 2.0f, jointDistance));
        float bend = tileFbm(u, v, 2, 8, 4, 0.5f, 701 + uint32_t(plank));
        float ring = across * 11.0f + 2.6f * bend + 0.35f * std::sin(2.0f * PI * (u * 2.0f + 0.3f * float(plank)));
        float grain = std::pow(0.5f + 0.5f * std::sin(2.0f * PI * ring), 2.0f);
        float fibre = tileFbm(u, v, 4, 128, 3, 0.6f, 702);
        float tone = 0.9f + 0.2f * hash01(plank, 1, 703);
        Rgb wood = mixRgb({0.42f, 0.26f, 0.15f}, {0.24f, 0.14f, 0.08f}, clamp01(grain * 0.55f + 0.25f * fibre + 0.2f));
        wood = scaleRgb(wood, tone + 0.06f * fibre);
        Rgb colour = mixRgb(scaleRgb(wood, 0.35f), wood, seam);
        return texel(colour, 0.3f + 0.7f * seam - 0.04f * grain, 0.1f + 0.25f * seam, 0.6f);
    });
    return m;
}

// Light strip diffuser: eight glowing segments per tile along s.
static MaterialMaps paintStrip() {
    MaterialMaps m = newMaps(128);
    m.bumpPixels = 1.0f;
    paint(m, [&](float u, float v) {
        float gap = std::fabs(fract(u * 8.0f) - 0.5f) * 2.0f;  // 1 at segment borders
        float segment = 1.0f - smoothstep(0.82f, 0.95f, gap);
        float shimmer = 0.04f * tileFbm(u, v, 8, 8, 2, 0.5f, 800);
        Rgb core = {0.85f + shimmer, 0.93f + shimmer, 1.0f};
        Texel t = texel(mixRgb({0.15f, 0.16f, 0.18f}, core, segment), 0.6f + 0.4f * segment, 0.3f, 0.6f);
        t.emissive = 0.15f + 0.85f * segment;
        return t;
    });
    m.cavity = 0.0f;
    return m;
}

// Smoked mirror glass with etched vertical lines and faint smudges.
static MaterialMaps paintGlass() {
    MaterialMaps m = newMaps(256);
    m.bumpPixels = 0.8f;
    paint(m, [&](float u, float v) {
        float smudge = tileFbm(u, v, 3, 3, 5, 0.6f, 900);
        float sheen = 0.5f + 0.5f * std::sin(2.0f * PI * (u + v) + 2.0f * smudge);
        float line = 1.0f - smoothstep(0.4f, 1.2f, std::fabs(fract(u * 8.0f) - 0.5f) * 32.0f);
        Rgb glass = {0.06f + 0.05f * sheen, 0.075f + 0.06f * sheen, 0.09f + 0.07f * sheen};
        Rgb colour = mixRgb(glass, {0.2f, 0.22f, 0.25f}, line);
        Texel t = texel(colour, 1.0f - 0.5f * line, mixf(1.0f, 0.3f, line), mixf(0.95f - 0.1f * smudge, 0.4f, line));
        t.specular = {0.9f, 0.95f, 1.0f};
        return t;
    });
    m.cavity = 0.5f;
    return m;
}

// Coffered plaster ceiling: two by two coffers per tile with stepped frames and rosettes.
static MaterialMaps paintCeiling() {
    MaterialMaps m = newMaps(256);
    m.bumpPixels = 3.0f;
    m.cavity = 2.0f;
    paint(m, [&](float u, float v) {
        float edge = gridEdgeDistance(u, v, 2, 256);
        float lu = fract(u * 2.0f) - 0.5f, lv = fract(v * 2.0f) - 0.5f;
        float r = std::sqrt(lu * lu + lv * lv) * 128.0f;
        float petals = 8.0f + 3.0f * std::cos(8.0f * std::atan2(lv, lu));
        float rosette = 1.0f - smoothstep(petals - 1.0f, petals + 1.0f, r);
        float rib = 1.0f - smoothstep(12.0f, 14.0f, edge);
        float stepped = 1.0f - smoothstep(22.0f, 25.0f, edge);
        float height = 0.3f + 0.35f * stepped + 0.35f * rib + 0.3f * rosette;
        float plaster = tileFbm(u, v, 8, 8, 4, 0.5f, 1000);
        Rgb colour = rib > 0.5f ? Rgb{0.7f, 0.68f, 0.64f} : (stepped > 0.5f ? Rgb{0.62f, 0.6f, 0.57f} : Rgb{0.42f, 0.45f, 0.52f});
        colour = scaleRgb(mixRgb(colour, {0.72f, 0.56f, 0.3f}, rosette), 0.95f + 0.08f * plaster);
        Texel t = texel(colour, height, 0.05f + 0.6f * rosette, 0.2f + 0.5f * rosette);
        return t;
    });
    return m;
}

// ---- cube, sculpture and curve materials ----------------------------------------------
// Cube faces map the texture once, face centre at (0.5, 0.5).

static MaterialMaps paintBevelCube() {
    MaterialMaps m = newMaps(256);
    m.bumpPixels = 2.0f;
    paint(m, [&](float u, float v) {
        float x = std::fabs(u - 0.5f), y = std::fabs(v - 0.5f), c = std::fmax(x, y);
        float lines = 1.0f;
        for (float at : {0.24f, 0.31f, 0.35f, 0.40f})
            lines = std::fmin(lines, smoothstep(0.6f, 1.6f, std::fabs(c - at) * 256.0f));
        float diamond = x + y;
        bool enamel = diamond < 0.11f;
        float rim = 1.0f - smoothstep(0.6f, 1.6f, std::fabs(diamond - 0.11f) * 256.0f);
        CellSample hammer = tileCells(u, v, 12, 1100);
        Rgb copper = scaleRgb({0.74f, 0.48f, 0.27f}, 0.9f + 0.2f * hammer.nearest);
        Rgb colour = enamel ? Rgb{0.08f, 0.16f, 0.32f} : copper;
        colour = mixRgb(colour, {0.25f, 0.14f, 0.07f}, std::fmax(1.0f - lines, rim));
        Texel t = texel(colour, lines * (1.0f - 0.5f * rim) - 0.06f * hammer.nearest, 0.0f, 0.8f);
        t.specular = enamel ? Rgb{0.7f, 0.8f, 0.9f} : Rgb{0.95f, 0.72f, 0.5f};
        if (enamel) t.emissive = 0.35f + 0.3f * (1.0f - diamond / 0.11f);
        return t;
    });
    return m;
}

static MaterialMaps paintPanelCube() {
    MaterialMaps m = newMaps(256);
    m.bumpPixels = 2.0f;
    // Circuit traces on the recess floor: axis-aligned runs on a 16 x 16 grid.
    Plane traces = makePlane(256, 256, 0.0f);
    CrtRandom random;
    crtSeed(random, 1200);
    for (int i = 0; i < 40; ++i) {
        float x = 8.0f + 16.0f * float(crtRand(random) % 16), y = 8.0f + 16.0f * float(crtRand(random) % 16);
        float len = 16.0f * float(1 + crtRand(random) % 4);
        bool horizontal = crtRand(random) % 2 == 0;
        scratchLine(traces, x, y, horizontal ? x + len : x, horizontal ? y : y + len, 1.0f);
    }
    Plane glow = traces;
    blurPlane(glow, 2, true);
    paint(m, [&](float u, float v) {
        float x = std::fabs(u - 0.5f), y = std::fabs(v - 0.5f), c = std::fmax(x, y);
        int px = int(u * 256.0f), py = int(v * 256.0f);
        float brushed = tileFbm(u, v, 2, 64, 3, 0.5f, 1201);
        Rgb hull = scaleRgb({0.2f, 0.22f, 0.26f}, 0.9f + 0.15f * brushed);
        Texel t = texel(hull, 1.0f, 0.5f, 0.55f);
        if (c < 0.125f) {  // raised block: vent slits
            float slit = std::fabs(fract(v * 256.0f / 8.0f) - 0.5f) * 8.0f;
            float vent = smoothstep(1.0f, 2.0f, slit);
            t.colour = mixRgb({0.05f, 0.05f, 0.06f}, hull, vent);
            t.height = 0.6f + 0.4f * vent;
            t.emissive = (1.0f - vent) * 0.6f;
        } else if (c < 0.325f) {  // recess floor with glowing traces
            float trace = std::fmax(planeAt(traces, px, py), planeAt(glow, px, py) * 1.5f);
            t.colour = mixRgb(scaleRgb(hull, 0.6f), {0.3f, 0.9f, 1.0f}, clamp01(trace));
            t.emissive = clamp01(trace);
            t.height = 0.9f;
        } else {  // frame ring: panel lines
            float line = 1.0f - smoothstep(0.5f, 1.5f, std::fabs(c - 0.41f) * 256.0f);
            t.colour = mixRgb(hull, {0.08f, 0.08f, 0.1f}, line);
            t.height = 1.0f - 0.5f * line;
        }
        return t;
    });
    return m;
}

// Left half: frame metal; right half: frosted, faintly glowing glass with an etched grid.
static MaterialMaps paintGlassCube() {
    MaterialMaps m = newMaps(256);
    m.bumpPixels = 1.5f;
    paint(m, [&](float u, float v) {
        if (u < 0.5f) {
            float brushed = tileFbm(u, v, 4, 64, 3, 0.5f, 1300);
            Texel t = texel(scaleRgb({0.36f, 0.38f, 0.42f}, 0.9f + 0.15f * brushed), 1.0f, 0.8f, 0.7f);
            t.specular = {0.8f, 0.85f, 0.95f};
            return t;
        }
        float gu = (u - 0.5f) * 2.0f;
        float grid = 1.0f - smoothstep(0.5f, 1.5f, std::fmin(lineDistance(gu, 6, 128.0f), lineDistance(v, 6, 256.0f)));
        float frost = tileFbm(u, v, 16, 16, 3, 0.5f, 1301);
        float centre = 1.0f - 2.0f * std::fmax(std::fabs(gu - 0.5f), std::fabs(v - 0.5f));
        Rgb glass = scaleRgb({0.55f, 0.75f, 0.85f}, 0.85f + 0.1f * frost + 0.15f * centre);
        Texel t = texel(mixRgb(glass, {0.85f, 0.97f, 1.0f}, grid), 1.0f - 0.4f * grid, 0.9f, 0.9f);
        t.emissive = 0.25f + 0.2f * centre + 0.4f * grid;
        return t;
    });
    m.cavity = 0.5f;
    return m;
}

static MaterialMaps paintStudCube() {
    MaterialMaps m = newMaps(256);
    m.bumpPixels = 2.0f;
    paint(m, [&](float u, float v) {
        CellSample hammer = tileCells(u, v, 10, 1400);
        float rust = smoothstep(0.35f, 0.6f, tileFbm(u, v, 4, 4, 5, 0.55f, 1401));
        Rgb iron = scaleRgb({0.22f, 0.2f, 0.19f}, 0.85f + 0.3f * hammer.nearest);
        iron = mixRgb(iron, {0.4f, 0.2f, 0.1f}, rust * 0.8f);
        // brass caps where the stud tops land (3 x 3 grid, 10.5 of 40 units apart)
        float cap = 0.0f;
        for (float cx : {0.2375f, 0.5f, 0.7625f})
            for (float cy : {0.2375f, 0.5f, 0.7625f}) {
                float d = std::sqrt((u - cx) * (u - cx) + (v - cy) * (v - cy));
                cap = std::fmax(cap, 1.0f - smoothstep(0.035f, 0.045f, d));
            }
        Texel t = texel(mixRgb(iron, {0.78f, 0.62f, 0.32f}, cap), 1.0f - 0.25f * hammer.nearest * (1.0f - cap),
                        mixf(0.35f - 0.3f * rust, 0.0f, cap), mixf(0.4f, 0.8f, cap));
        if (cap > 0.0f) t.specular = mixRgb(t.specular, {0.95f, 0.8f, 0.5f}, cap);
        return t;
    });
    return m;
}

// Polished obsidian with glowing cracks, for the sculpted ring.
static MaterialMaps paintSculpture() {
    MaterialMaps m = newMaps(256);
    m.bumpPixels = 2.0f;
    paint(m, [&](float u, float v) {
        CellSample cells = tileCells(u, v, 6, 1500);
        float crack = 1.0f - smoothstep(0.0f, 0.07f, cells.second - cells.nearest);
        Rgb glow = mixRgb({1.0f, 0.25f, 0.8f}, {0.2f, 0.8f, 1.0f}, 0.5f + 0.5f * std::sin(2.0f * PI * v));
        Rgb stone = scaleRgb({0.05f, 0.05f, 0.07f}, 1.0f + 0.3f * cells.cellId);
        Texel t = texel(mixRgb(stone, glow, crack), 1.0f - 0.6f * crack, mixf(0.9f, 0.2f, crack), 0.9f);
        t.emissive = crack;
        return t;
    });
    return m;
}

// Neon tube for the curve: glowing bands along the tube, ten per curve length.
static MaterialMaps paintCurveTube() {
    MaterialMaps m = newMaps(128);
    m.bumpPixels = 1.0f;
    paint(m, [&](float u, float v) {
        float band = std::fabs(fract(v) - 0.5f) * 2.0f;
        float lit = 1.0f - smoothstep(0.7f, 0.85f, band);
        float around = 0.8f + 0.2f * std::cos(2.0f * PI * u);
        Rgb colour = mixRgb({0.1f, 0.12f, 0.15f}, scaleRgb({0.55f, 0.9f, 1.0f}, around), lit);
        Texel t = texel(colour, 0.7f + 0.3f * lit, 0.6f, 0.8f);
        t.emissive = 0.9f * lit;
        return t;
    });
    m.cavity = 0.0f;
    return m;
}

// ---- table and fallbacks --------------------------------------------------------------

static const struct {
    const char* name;
    MaterialMaps (*painter)();
} MATERIAL_SETS[] = {
    {"floor", paintFloor},         {"inlay", paintInlay},         {"stone", paintStone},
    {"wall", paintWall},           {"panel", paintPanel},         {"metal", paintMetal},
    {"wood", paintWood},           {"strip", paintStrip},         {"glass", paintGlass},
    {"ceiling", paintCeiling},     {"bevelcube", paintBevelCube}, {"panelcube", paintPanelCube},
    {"glasscube", paintGlassCube}, {"studcube", paintStudCube},   {"sculpt", paintSculpture},
    {"ddc", paintCurveTube},
};

std::vector<std::string> materialSetNames() {
    std::vector<std::string> names;
    for (const auto& set : MATERIAL_SETS) names.push_back(set.name);
    return names;
}

// Fallbacks for sets with missing files: neutral grey, flat normal, open and not glowing,
// a little dull shine.
static void writeDefaults(const std::string& directory) {
    const int size = 8;
    writeTga(makeImage(size, size, 0.6f, 0.6f, 0.6f, 1.0f), directory + "/default_base.tga", 24, false);
    writeTga(makeImage(size, size, 128.0f / 255.0f, 128.0f / 255.0f, 1.0f, 1.0f), directory + "/default_normal.tga",
             24, false);
    writeTga(makeImage(size, size, 1.0f, 1.0f, 1.0f, 1.0f), directory + "/default_chraber.tga", 32, false);
    writeTga(makeImage(size, size, 0.25f, 0.25f, 0.25f, 0.3f), directory + "/default_specular.tga", 32, false);
}

void generateMaterials(const std::string& directory) {
    writeDefaults(directory);
    for (const auto& set : MATERIAL_SETS) {
        MaterialMaps maps = set.painter();
        writeSet(directory, set.name, maps);
    }
}
