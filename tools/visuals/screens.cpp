// Screen pictures: the loading title, bar pixels, the logo overlay, the credits and greetings,
// the environment image, the centre-piece palette, the glowing backdrop and the font atlas.
// Full-screen pictures are laid out in the show's 1920 x 1080 pixel space and resampled to
// power-of-two files (the show stretches them back over the screen). Owns no state.
#include "generate.h"
#include "image.h"
#include "noise.h"
#include "text.h"

#include <cmath>

static const float PI = 3.14159265358979f;
static const int SCREEN_WIDTH = 1920;
static const int SCREEN_HEIGHT = 1080;
static const int FULLSCREEN_FILE_WIDTH = 2048;
static const int FULLSCREEN_FILE_HEIGHT = 1024;

// Progress bar of the loading screen, screen pixels from the bottom-left corner.
static const float BAR_X0 = 560.0f, BAR_X1 = 1360.0f, BAR_Y0 = 514.0f, BAR_Y1 = 562.0f;

// Font atlas: 16 x 16 cells, character c in column c % 16 and row c / 16 counted from the top.
static const int FONT_ATLAS_SIZE = 512;
static const int FONT_CELLS = 16;

static const Rgb GLOW_CYAN = {0.3f, 0.8f, 1.0f};
static const Rgb TITLE_WHITE = {0.95f, 0.98f, 1.0f};

// ---- helpers --------------------------------------------------------------------------

// Premultiplies, resamples and divides again, so transparent texels do not darken edges.
static Image resampleStraightAlpha(const Image& source, int width, int height) {
    Image pre = source;
    for (size_t i = 0; i < pre.rgba.size(); i += 4)
        for (int c = 0; c < 3; ++c) pre.rgba[i + c] *= pre.rgba[i + 3];
    Image out = resampleImage(pre, width, height);
    for (size_t i = 0; i < out.rgba.size(); i += 4) {
        float a = out.rgba[i + 3];
        for (int c = 0; c < 3; ++c) out.rgba[i + c] = a > 1e-4f ? out.rgba[i + c] / a : 0.0f;
    }
    return out;
}

// Text coverage for one line centred (align 0), left-aligned (align 1) or right-aligned (-1) at x.
static void placeText(Plane& coverage, const TextStyle& style, float x, float baseline, const char* text, int align) {
    float width = measureText(style, text);
    float start = align == 0 ? x - width * 0.5f : (align > 0 ? x : x - width);
    drawText(coverage, style, start, baseline, text);
}

// Lays text with a glow over an image: glow colour blended by the blurred coverage, then the
// text colour by the coverage itself.
static void composeGlowText(Image& image, const Plane& coverage, Rgb textColour, Rgb glowColour, int glowRadius,
                            float glowStrength) {
    Plane glow = coverage;
    blurPlane(glow, glowRadius, false);
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            float g = clamp01(planeAt(glow, x, y) * glowStrength);
            blendOver(image, x, y, glowColour, g);
            blendOver(image, x, y, textColour, planeAt(coverage, x, y));
        }
    }
}

// ---- loading picture ------------------------------------------------------------------

struct Beam {
    float x0, y0;    // source above the top edge (screen pixels)
    float x1, y1;    // where the axis meets the floor
    float halfAngle; // radians
    Rgb colour;
};

static const Beam LOADING_BEAMS[] = {
    {380, 1250, 620, 230, 0.10f, {0.35f, 0.75f, 1.0f}},   {820, 1300, 760, 200, 0.08f, {1.0f, 0.7f, 0.4f}},
    {1130, 1300, 1200, 210, 0.09f, {0.4f, 0.85f, 1.0f}},  {1560, 1250, 1300, 240, 0.11f, {0.85f, 0.5f, 1.0f}},
    {960, 1400, 960, 170, 0.05f, {0.9f, 0.95f, 1.0f}},
};

static float beamIntensity(const Beam& b, float x, float y) {
    float ax = b.x1 - b.x0, ay = b.y1 - b.y0;
    float len = std::sqrt(ax * ax + ay * ay);
    ax /= len;
    ay /= len;
    float along = (x - b.x0) * ax + (y - b.y0) * ay;
    if (along <= 0.0f || along > len) return 0.0f;
    float across = std::fabs((x - b.x0) * ay - (y - b.y0) * ax);
    float radius = along * std::tan(b.halfAngle);
    float core = 1.0f - smoothstep(radius * 0.35f, radius, across);
    return core * (0.35f + 0.65f * (1.0f - along / len)) * 0.55f;
}

static Image paintLoadingScreen() {
    Image screen = makeImage(SCREEN_WIDTH, SCREEN_HEIGHT, 0, 0, 0, 1);
    const float horizon = 300.0f;
    for (int y = 0; y < SCREEN_HEIGHT; ++y) {
        for (int x = 0; x < SCREEN_WIDTH; ++x) {
            float fx = float(x), fy = float(y);
            float u = fx / SCREEN_WIDTH, v = fy / SCREEN_HEIGHT;
            float haze = 0.5f + 0.5f * fbm(u * 6.0f, v * 3.5f, 0, 0, 5, 0.55f, 2000);
            // air with the beams above, polished floor below (pools of light and faint
            // reflections of the beams), blended over a soft horizon
            Rgb air = mixRgb({0.012f, 0.016f, 0.03f}, {0.035f, 0.04f, 0.07f}, v);
            for (const Beam& b : LOADING_BEAMS) {
                float k = beamIntensity(b, fx, fy) * (0.6f + 0.8f * haze);
                air.r += b.colour.r * k;
                air.g += b.colour.g * k;
                air.b += b.colour.b * k;
            }
            float depth = clamp01(fy / horizon);
            Rgb floor = scaleRgb({0.02f, 0.025f, 0.04f}, 0.6f + 0.4f * depth);
            for (const Beam& b : LOADING_BEAMS) {
                float dx = (fx - b.x1) / 260.0f, dy = (fy - b.y1) / 55.0f;
                float pool = std::exp(-(dx * dx + dy * dy)) * 0.35f;
                float mirror = beamIntensity(b, fx, 2.0f * horizon - fy) * 0.18f * depth;
                floor.r += b.colour.r * (pool + mirror);
                floor.g += b.colour.g * (pool + mirror);
                floor.b += b.colour.b * (pool + mirror);
            }
            Rgb colour = mixRgb(floor, air, smoothstep(horizon - 25.0f, horizon + 35.0f, fy));
            // calm band behind the progress bar
            float inBand = (1.0f - smoothstep(0.0f, 70.0f, std::fmax(BAR_X0 - fx, fx - BAR_X1))) *
                           (1.0f - smoothstep(0.0f, 45.0f, std::fmax(BAR_Y0 - fy, fy - BAR_Y1)));
            colour = scaleRgb(colour, 1.0f - 0.55f * inBand);
            // vignette
            float cx = (u - 0.5f) * 1.6f, cy = (v - 0.5f) * 1.2f;
            colour = scaleRgb(colour, 1.0f - 0.55f * smoothstep(0.3f, 1.0f, cx * cx + cy * cy));
            float* p = pixelAt(screen, x, y);
            p[0] = colour.r;
            p[1] = colour.g;
            p[2] = colour.b;
        }
    }
    // Dust motes, brighter where a beam catches them; kept out of the bar band.
    CrtRandom random;
    crtSeed(random, 2001);
    for (int i = 0; i < 2600; ++i) {
        float x = crtRange(random, 0, SCREEN_WIDTH), y = crtRange(random, horizon, SCREEN_HEIGHT);
        float size = crtRange(random, 0.6f, 2.2f), bright = crtRange(random, 0.3f, 1.0f);
        if (x > BAR_X0 - 40 && x < BAR_X1 + 40 && y > BAR_Y0 - 30 && y < BAR_Y1 + 30) continue;
        float lit = 0.0f;
        Rgb tint = {1, 1, 1};
        for (const Beam& b : LOADING_BEAMS) {
            float k = beamIntensity(b, x, y);
            if (k > lit) {
                lit = k;
                tint = b.colour;
            }
        }
        float amount = bright * (0.04f + 2.2f * lit);
        int r = int(std::ceil(size * 2.0f));
        for (int dy = -r; dy <= r; ++dy)
            for (int dx = -r; dx <= r; ++dx) {
                float d2 = (dx * dx + dy * dy) / (size * size);
                addLight(screen, int(x) + dx, int(y) + dy, mixRgb(tint, {1, 1, 1}, 0.5f), amount * std::exp(-d2));
            }
    }

    // Title above the bar, subtitle below it.
    Plane title = makePlane(SCREEN_WIDTH, SCREEN_HEIGHT, 0.0f);
    TextStyle big = {FONT_SANS_BOLD, 200, 34.0f};
    placeText(title, big, 960.0f, 650.0f, "LIGHTRIG", 0);
    composeGlowText(screen, title, TITLE_WHITE, GLOW_CYAN, 14, 1.3f);
    Plane rule = makePlane(SCREEN_WIDTH, SCREEN_HEIGHT, 0.0f);
    for (int x = 700; x < 1220; ++x) {
        float fade = std::sin(float(x - 700) / 520.0f * PI);
        planeAt(rule, x, 470) = 0.6f * fade;
    }
    TextStyle small = {FONT_SANS, 34, 14.0f};
    placeText(rule, small, 960.0f, 420.0f, "A REALTIME LIGHT SHOW", 0);
    composeGlowText(screen, rule, {0.75f, 0.85f, 0.95f}, GLOW_CYAN, 6, 0.6f);
    for (float& c : screen.rgba) c = clamp01(c);
    return screen;
}

// ---- logo and outros ------------------------------------------------------------------

static Image paintOverlay() {
    const int width = 512, height = 256;
    Image logo = makeImage(width, height, GLOW_CYAN.r, GLOW_CYAN.g, GLOW_CYAN.b, 0.0f);
    Plane text = makePlane(width, height, 0.0f);
    TextStyle style = {FONT_SANS_BOLD, 64, 9.0f};
    placeText(text, style, width - 40.0f, 52.0f, "LIGHTRIG", -1);
    for (int x = 170; x < width - 40; ++x) planeAt(text, x, 38) = 0.7f * std::sin(float(x - 170) / float(width - 210) * PI);
    composeGlowText(logo, text, TITLE_WHITE, GLOW_CYAN, 9, 1.1f);
    return logo;
}

// Full-screen transparent picture with a soft dark panel behind the text block.
static Image outroCanvas(float panelX0, float panelX1, float panelY0, float panelY1) {
    Image screen = makeImage(SCREEN_WIDTH, SCREEN_HEIGHT, 0.01f, 0.015f, 0.03f, 0.0f);
    for (int y = 0; y < SCREEN_HEIGHT; ++y)
        for (int x = 0; x < SCREEN_WIDTH; ++x) {
            float outside = std::fmax(std::fmax(panelX0 - x, x - panelX1), std::fmax(panelY0 - y, y - panelY1));
            pixelAt(screen, x, y)[3] = 0.6f * (1.0f - smoothstep(-40.0f, 60.0f, outside));
        }
    return screen;
}

static Image paintCredits() {
    Image screen = outroCanvas(460, 1460, 200, 880);
    Plane heading = makePlane(SCREEN_WIDTH, SCREEN_HEIGHT, 0.0f);
    placeText(heading, {FONT_SANS_BOLD, 84, 22.0f}, 960.0f, 760.0f, "CREDITS", 0);
    composeGlowText(screen, heading, TITLE_WHITE, GLOW_CYAN, 10, 1.0f);

    static const char* const ROLES[][2] = {
        {"code", "Quorvath"},        {"music", "Saltmarrow"},         {"visuals", "Lumenfray"},
        {"direction", "Tessoryn"},   {"sync and camera", "Vexelbrandt"}, {"light rig", "Ondrelle"},
    };
    Plane roles = makePlane(SCREEN_WIDTH, SCREEN_HEIGHT, 0.0f), names = makePlane(SCREEN_WIDTH, SCREEN_HEIGHT, 0.0f);
    float baseline = 640.0f;
    for (const auto& role : ROLES) {
        placeText(roles, {FONT_SANS, 40, 4.0f}, 930.0f, baseline, role[0], -1);
        placeText(names, {FONT_SANS_BOLD, 46, 3.0f}, 990.0f, baseline, role[1], 1);
        baseline -= 64.0f;
    }
    composeGlowText(screen, roles, {0.55f, 0.75f, 0.9f}, GLOW_CYAN, 4, 0.3f);
    composeGlowText(screen, names, TITLE_WHITE, GLOW_CYAN, 5, 0.5f);
    Plane footer = makePlane(SCREEN_WIDTH, SCREEN_HEIGHT, 0.0f);
    placeText(footer, {FONT_SANS, 30, 10.0f}, 960.0f, 240.0f, "A LIGHTRIG CREW PRODUCTION", 0);
    composeGlowText(screen, footer, {0.7f, 0.8f, 0.9f}, GLOW_CYAN, 4, 0.3f);
    return screen;
}

static Image paintGreetings() {
    Image screen = outroCanvas(360, 1560, 200, 880);
    Plane heading = makePlane(SCREEN_WIDTH, SCREEN_HEIGHT, 0.0f);
    placeText(heading, {FONT_SANS_BOLD, 84, 22.0f}, 960.0f, 760.0f, "GREETINGS", 0);
    composeGlowText(screen, heading, TITLE_WHITE, GLOW_CYAN, 10, 1.0f);
    static const char* const GROUPS[] = {"Velvet Raster",  "Quartz Lagoon", "Hollow Meridian", "Tangent Orchard",
                                         "Nimbus Kiln",    "Static Heron",  "Ember Sextant",   "Cobalt Yarn",
                                         "Umbra Ferry",    "Glyph Harbour", "Moth Cathedral",  "Sodium Choir"};
    Plane names = makePlane(SCREEN_WIDTH, SCREEN_HEIGHT, 0.0f);
    for (int i = 0; i < 12; ++i) {
        float x = i % 2 == 0 ? 700.0f : 1220.0f;
        float baseline = 640.0f - 66.0f * float(i / 2);
        placeText(names, {FONT_SANS_BOLD, 44, 3.0f}, x, baseline, GROUPS[i], 0);
    }
    composeGlowText(screen, names, TITLE_WHITE, {0.85f, 0.5f, 1.0f}, 5, 0.5f);
    return screen;
}

// ---- environment, palette, backdrop ---------------------------------------------------

// Soft room light for all six cube faces: the same even colour along every border so that the
// faces meet without seams, a bright panel of light in the middle with two strip reflections.
static Image paintEnvironment() {
    const int size = 256;
    Image env = makeImage(size, size, 0, 0, 0, 1);
    const Rgb border = {0.14f, 0.15f, 0.19f}, panel = {0.78f, 0.83f, 0.92f};
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            float u = (x + 0.5f) / size * 2.0f - 1.0f, v = (y + 0.5f) / size * 2.0f - 1.0f;
            float edge = std::fmax(std::fabs(u), std::fabs(v));
            float soft = 1.0f - smoothstep(0.0f, 0.95f, std::sqrt(u * u * 0.8f + v * v * 1.2f));
            float strips = 0.0f;
            for (float at : {-0.45f, 0.45f}) strips += std::exp(-std::pow((v - at) * 28.0f, 2.0f)) * (1.0f - std::fabs(u));
            Rgb c = mixRgb(border, panel, soft * soft);
            c = mixRgb(c, {0.6f, 0.85f, 1.0f}, clamp01(strips * 0.6f));
            c = mixRgb(c, border, smoothstep(0.85f, 1.0f, edge));
            float* p = pixelAt(env, x, y);
            p[0] = c.r;
            p[1] = c.g;
            p[2] = c.b;
        }
    return env;
}

struct Stop {
    float at;
    Rgb colour;
};

static Rgb gradient(const Stop* stops, int count, float x) {
    if (x <= stops[0].at) return stops[0].colour;
    for (int i = 1; i < count; ++i)
        if (x <= stops[i].at)
            return mixRgb(stops[i - 1].colour, stops[i].colour, smoothstep(stops[i - 1].at, stops[i].at, x));
    return stops[count - 1].colour;
}

// Four gradient strips of four rows each (strip k centred at t = (4k + 2) / 16): warm metal,
// cold glass, neon, ember.
static Image paintPalette() {
    const int width = 256, height = 16;
    static const Stop WARM[] = {{0.0f, {0.02f, 0.01f, 0.0f}}, {0.3f, {0.25f, 0.12f, 0.05f}},
                                {0.7f, {0.9f, 0.65f, 0.3f}},  {1.0f, {1.0f, 0.96f, 0.86f}}};
    static const Stop COLD[] = {{0.0f, {0.02f, 0.04f, 0.08f}}, {0.35f, {0.1f, 0.3f, 0.5f}},
                                {0.75f, {0.5f, 0.85f, 1.0f}},  {1.0f, {0.95f, 1.0f, 1.0f}}};
    static const Stop NEON[] = {{0.0f, {0.9f, 0.1f, 0.7f}},  {0.33f, {0.4f, 0.1f, 0.95f}},
                                {0.66f, {0.1f, 0.9f, 1.0f}}, {1.0f, {0.9f, 0.1f, 0.7f}}};
    static const Stop EMBER[] = {{0.0f, {0.0f, 0.0f, 0.0f}},  {0.35f, {0.5f, 0.04f, 0.02f}},
                                 {0.7f, {1.0f, 0.45f, 0.08f}}, {1.0f, {1.0f, 0.95f, 0.7f}}};
    const Stop* strips[4] = {WARM, COLD, NEON, EMBER};
    Image palette = makeImage(width, height, 0, 0, 0, 1);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            Rgb c = gradient(strips[y / 4], 4, (x + 0.5f) / width);
            float* p = pixelAt(palette, x, y);
            p[0] = c.r;
            p[1] = c.g;
            p[2] = c.b;
        }
    return palette;
}

// Abstract glowing backdrop: interference of ring waves from three centres, the zero lines lit.
static Image paintBackdrop() {
    const int size = 512;
    Image image = makeImage(size, size, 0, 0, 0, 1);
    const float centres[3][2] = {{0.3f, 0.35f}, {0.72f, 0.4f}, {0.5f, 0.78f}};
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            float u = (x + 0.5f) / size, v = (y + 0.5f) / size;
            float wave = 0.0f;
            for (const auto& c : centres) {
                float d = std::sqrt((u - c[0]) * (u - c[0]) + (v - c[1]) * (v - c[1]));
                wave += std::sin(d * 70.0f);
            }
            float line = std::exp(-std::fabs(wave) * 5.0f);
            float fine = std::exp(-std::fabs(std::sin(wave * 3.0f)) * 12.0f) * 0.25f;
            float hue = 0.5f + 0.5f * std::sin(2.0f * PI * (u * 0.8f + v * 0.5f));
            Rgb glow = mixRgb({0.15f, 0.75f, 1.0f}, {0.95f, 0.3f, 0.85f}, hue);
            float r2 = (u - 0.5f) * (u - 0.5f) + (v - 0.5f) * (v - 0.5f);
            float vignette = 1.0f - smoothstep(0.05f, 0.25f, r2);
            Rgb c = {0.01f, 0.01f, 0.03f};
            c = mixRgb(c, glow, clamp01((line + fine) * (0.35f + 0.65f * vignette)));
            float* p = pixelAt(image, x, y);
            p[0] = c.r;
            p[1] = c.g;
            p[2] = c.b;
        }
    return image;
}

static Image paintFontAtlas() {
    const int cell = FONT_ATLAS_SIZE / FONT_CELLS;
    Image atlas = makeImage(FONT_ATLAS_SIZE, FONT_ATLAS_SIZE, 1, 1, 1, 0);
    Plane coverage = makePlane(FONT_ATLAS_SIZE, FONT_ATLAS_SIZE, 0.0f);
    TextStyle style = {FONT_MONO_BOLD, 26, 0.0f};
    for (int c = 32; c < 127; ++c) {
        int column = c % FONT_CELLS, rowFromTop = c / FONT_CELLS;
        float left = float(column * cell), bottom = float(FONT_ATLAS_SIZE - (rowFromTop + 1) * cell);
        char text[2] = {char(c), 0};
        float width = measureText(style, text);
        drawText(coverage, style, left + (cell - width) * 0.5f, bottom + 8.0f, text);
    }
    for (int y = 0; y < FONT_ATLAS_SIZE; ++y)
        for (int x = 0; x < FONT_ATLAS_SIZE; ++x) pixelAt(atlas, x, y)[3] = planeAt(coverage, x, y);
    return atlas;
}

void generateScreens(const std::string& directory) {
    const std::string d = directory + "/";
    Image loading = resampleImage(paintLoadingScreen(), FULLSCREEN_FILE_WIDTH, FULLSCREEN_FILE_HEIGHT);
    writeTga(loading, d + "loading.tga", 24, false);
    writeTga(makeImage(4, 4, 1, 1, 1, 1), d + "whitepixel.tga", 24, false);
    writeTga(makeImage(4, 4, 0.08f, 0.09f, 0.11f, 1), d + "darkpixel.tga", 24, false);
    writeTga(makeImage(4, 4, 0, 0, 0, 1), d + "black.tga", 24, false);
    writeTga(makeImage(4, 4, 0, 0, 0, 1), d + "blackscreen.tga", 24, false);
    writeTga(paintOverlay(), d + "overlay1.tga", 32, true);
    writeTga(resampleStraightAlpha(paintCredits(), FULLSCREEN_FILE_WIDTH, FULLSCREEN_FILE_HEIGHT), d + "outro1.tga",
             32, true);
    writeTga(resampleStraightAlpha(paintGreetings(), FULLSCREEN_FILE_WIDTH, FULLSCREEN_FILE_HEIGHT),
             d + "outro2.tga", 32, true);
    writeTga(paintEnvironment(), d + "env.tga", 24, false);
    writeTga(paintPalette(), d + "bouncingpalette.tga", 24, false);
    writeTga(paintBackdrop(), d + "phongfx.tga", 24, false);
    writeTga(paintFontAtlas(), d + "font2.tga", 32, false);
}
