// Presentation of the show's fixed 1920 x 1080 picture: straight to the window when the drawable
// has that size, otherwise through an off-screen screen target that stands in for framebuffer 0 and
// is scaled into the drawable, aspect ratio kept, at every swap. Also reads the picture back for
// captures.
#pragma once

// Where the show's picture lands in a drawable: pixels from the bottom left, the rest is black bars.
struct PresentRect {
    int x, y;
    int width, height;
};

// The largest rectangle of the show's aspect ratio that fits a drawable of the given size, centred:
// bars above and below (letterbox) or left and right (pillarbox). Sizes are rounded to the nearest
// pixel; an empty drawable gives an empty rectangle.
PresentRect letterboxRect(int drawableWidth, int drawableHeight);

// Chooses how the show is presented; call once the GL entry points are loaded and before anything
// is drawn. The screen target is used when the drawable is not the show's size, or always when
// forced (tests). Drawing straight to a window of the right size keeps the picture exactly that of
// the full-screen show: an off-screen depth buffer need not round like the window's (llvmpipe's
// differ where surfaces nearly coincide).
// While the picture goes straight to the window, every swap checks the drawable: once it is not the
// show's size (a resized window) the screen target takes over from the next frame on, and stays.
void setUpPresentation(bool forceScreenTarget);
// The check the swap makes, with the drawable size given.
void followDrawableSize(int drawableWidth, int drawableHeight);
// True while binds of framebuffer 0 go to the screen target.
bool screenTargetActive();
// GL name of the screen target's framebuffer, 0 when the show draws to the window directly.
unsigned int screenTargetFramebuffer();
// Blits the screen target into the drawable of the given size, black bars around it. Leaves the
// engine's framebuffer bindings, scissor, colour mask and clear colour as they were. The swap hook
// calls it with the window's drawable size.
void presentScaled(int drawableWidth, int drawableHeight);
// Drawn by presentScaled onto the window over the scaled picture, with the window's framebuffer
// bound (never into the show's picture, so never into captures). Null removes it.
void setPresentOverlay(void (*draw)(int drawableWidth, int drawableHeight));

// Copies the show's current picture (what the next swap presents) into rgb: SCREEN_WIDTH x
// SCREEN_HEIGHT pixels of 3 bytes, rows from the bottom up. Leaves the read binding and the pack
// state as they were.
void readShowPicture(unsigned char *rgb);
