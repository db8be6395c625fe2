// The show as its audience meets it: full screen or in a window, in real time, once or in a loop.
#pragma once

// Opens the full-screen window, loads, plays until Escape or the sync track's end (with loop, turn
// after turn from the start until Escape). Returns the exit status.
int runShow(bool loop);
// The same in a resizable desktop window of the given size (pixels), the picture scaled into it.
int runShowWindowed(int width, int height, bool loop);
