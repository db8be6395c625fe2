// The edit mode's read-outs over the window: the moment, the sync row, scene and part, the frame's
// cost, the GPU time of each pass and the latest reload error. Drawn onto the window only, never into
// the show's picture.
#pragma once
#include <stdint.h>

#include "render/pass_timer.h"   // PASS_COUNT

constexpr int OVERLAY_LINES = 8;
constexpr int OVERLAY_LINE_BYTES = 160;

// What the edit mode knows of its own state; the overlay reads the show's state itself.
struct OverlayReadout {
    int64_t frame;               // frame on screen, of the fixed-step clock
    int fps;                     // of that clock
    bool paused;
    int loopMarks;               // 0 no loop, 1 start marked, 2 looping
    int64_t loopStart, loopEnd;  // frames
    double frameMs;              // wall time of the latest frame drawn and presented
    bool havePassTimes;
    double passMs[PASS_COUNT];
    const char *reloadError;     // empty when none
};

// Switches the overlay on or off; the first time on it makes the pass timers.
void showOverlay(bool on);
bool overlayShown();
void setOverlayReadout(const OverlayReadout &readout);
const OverlayReadout &overlayReadout();
// The overlay's text: up to OVERLAY_LINES lines, returns how many.
int formatOverlayLines(const OverlayReadout &readout, char lines[OVERLAY_LINES][OVERLAY_LINE_BYTES]);
// The present overlay hook: draws the text at the top left of the drawable when shown. Leaves the GL
// state as it found it.
void drawOverlay(int drawableWidth, int drawableHeight);
// Fixed-function drawing in drawable pixels from the bottom left: no program, no texture, alpha
// blending; the state before is saved and put back by the end call.
void beginOverlayDrawing(int width, int height);
void endOverlayDrawing();
