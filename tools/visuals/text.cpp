// FreeType text rendering for titles, credits and the font atlas; owns the FreeType library
// handle and the one open face (reopened when another file or size is asked for).
#include "text.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

// Set up on first use, kept for the life of the generator process.
static struct {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    std::string file;
    int pixelSize = 0;
} fontState;

static FT_Face faceFor(const TextStyle& style) {
    if (!fontState.library && FT_Init_FreeType(&fontState.library) != 0) {
        std::fprintf(stderr, "cannot initialise FreeType\n");
        std::exit(1);
    }
    if (fontState.face && fontState.file == style.fontFile && fontState.pixelSize == style.pixelSize)
        return fontState.face;
    if (fontState.face) FT_Done_Face(fontState.face);
    fontState.face = nullptr;
    if (FT_New_Face(fontState.library, style.fontFile, 0, &fontState.face) != 0) {
        std::fprintf(stderr, "cannot open font %s (package fonts-dejavu-core)\n", style.fontFile);
        std::exit(1);
    }
    FT_Set_Pixel_Sizes(fontState.face, 0, FT_UInt(style.pixelSize));
    fontState.file = style.fontFile;
    fontState.pixelSize = style.pixelSize;
    return fontState.face;
}

// Pen advance of one glyph plus kerning against the previous one, in pixels.
static float advanceOf(FT_Face face, FT_UInt previous, FT_UInt glyph) {
    float kern = 0.0f;
    if (previous && FT_HAS_KERNING(face)) {
        FT_Vector delta;
        FT_Get_Kerning(face, previous, glyph, FT_KERNING_UNFITTED, &delta);
        kern = float(delta.x) / 64.0f;
    }
    FT_Load_Glyph(face, glyph, FT_LOAD_NO_HINTING);
    return kern + float(face->glyph->linearHoriAdvance) / 65536.0f;
}

float measureText(const TextStyle& style, const char* text) {
    FT_Face face = faceFor(style);
    float width = 0.0f;
    FT_UInt previous = 0;
    for (const char* c = text; *c; ++c) {
        FT_UInt glyph = FT_Get_Char_Index(face, FT_ULong((unsigned char)*c));
        width += advanceOf(face, previous, glyph);
        if (c[1]) width += style.tracking;
        previous = glyph;
    }
    return width;
}

float capHeight(const TextStyle& style) {
    FT_Face face = faceFor(style);
    FT_Load_Char(face, 'H', FT_LOAD_NO_HINTING);
    return float(face->glyph->metrics.horiBearingY) / 64.0f;
}

void drawText(Plane& coverage, const TextStyle& style, float x, float baselineY, const char* text) {
    FT_Face face = faceFor(style);
    float pen = x;
    FT_UInt previous = 0;
    for (const char* c = text; *c; ++c) {
        FT_UInt glyph = FT_Get_Char_Index(face, FT_ULong((unsigned char)*c));
        float advance = advanceOf(face, previous, glyph);
        float kern = advance - float(face->glyph->linearHoriAdvance) / 65536.0f;
        pen += kern;
        // Subpixel pen position through the transform's translation (26.6 fixed point).
        float whole = std::floor(pen);
        FT_Vector delta = {FT_Pos(std::lround((pen - whole) * 64.0f)), 0};
        FT_Set_Transform(face, nullptr, &delta);
        FT_Load_Glyph(face, glyph, FT_LOAD_NO_HINTING | FT_LOAD_RENDER);
        FT_Set_Transform(face, nullptr, nullptr);
        const FT_Bitmap& bitmap = face->glyph->bitmap;
        int left = int(whole) + face->glyph->bitmap_left;
        int top = int(std::floor(baselineY)) + face->glyph->bitmap_top;  // row above the glyph's top
        for (unsigned row = 0; row < bitmap.rows; ++row) {
            int y = top - 1 - int(row);  // bitmap rows run downwards, plane rows upwards
            if (y < 0 || y >= coverage.height) continue;
            for (unsigned col = 0; col < bitmap.width; ++col) {
                int px = left + int(col);
                if (px < 0 || px >= coverage.width) continue;
                float value = bitmap.buffer[row * bitmap.pitch + col] / 255.0f;
                float& cell = planeAt(coverage, px, y);
                if (value > cell) cell = value;
            }
        }
        pen += advance - kern + style.tracking;
        previous = glyph;
    }
}
