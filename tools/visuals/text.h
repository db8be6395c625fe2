// Text set with FreeType into coverage planes (DejaVu fonts from the system font directory).
#pragma once

#include "image.h"

// Font files of the fonts-dejavu-core package.
#define FONT_SANS "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"
#define FONT_SANS_BOLD "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf"
#define FONT_MONO_BOLD "/usr/share/fonts/truetype/dejavu/DejaVuSansMono-Bold.ttf"

struct TextStyle {
    const char* fontFile;
    int pixelSize;   // nominal em height in pixels
    float tracking;  // extra pixels after every glyph (letter spacing)
};

// Width in pixels of the text's pen advance, tracking included (none after the last glyph).
float measureText(const TextStyle& style, const char* text);
// Height in pixels of a capital letter above the baseline.
float capHeight(const TextStyle& style);
// Adds glyph coverage (max) into the plane with the pen starting at x and the baseline at
// baselineY (plane rows count upwards). Exits with status 1 if the font cannot be opened.
void drawText(Plane& coverage, const TextStyle& style, float x, float baselineY, const char* text);
