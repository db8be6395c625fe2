// Edit mode for the show's makers: the show in a resizable window on the fixed-step clock, with
// pause, jumps, loops, an overlay and live reload of its files.
#pragma once
#include <stdint.h>

constexpr int EDIT_FPS = 60;   // frames per second of the edit mode's fixed-step clock

// Opens the window, loads and plays from startMs (ms of show time) until Escape or a window close.
// Returns the exit status.
int runEdit(int width, int height, int startMs);

// The pieces of the edit loop, for tests that drive it with their own clock. startEditShow begins
// after startShow (fixed-step clock at EDIT_FPS) at frame startFrame, reading real time from
// steadyClockMs (ms); editStep runs one loop iteration and returns false once the edit mode ends.
void startEditShow(int64_t startFrame, int64_t (*steadyClockMs)());
bool editStep();
// Acts on one key (a Windows virtual-key code, as platformNextKeyPress gives them). Returns false
// for a key that ends the edit mode.
bool handleEditKey(int key);
// Frame on screen, and whether the clock stands still.
int64_t editFrame();
bool editPaused();
// Frames of the part starts before and after frame, from the sync table (Page Up and Page Down).
int64_t previousPartStart(int64_t frame);
int64_t nextPartStart(int64_t frame);
