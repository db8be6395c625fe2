// Start-up, main loop and exit of the show.
#pragma once

// Opens the window, loads, plays until Escape or the sync track's end. Returns the exit status.
int runShow();
// Start-up after the window exists: GL entry points, loading, sync track, music. Returns false when
// the show should end before its first frame.
bool startShow();
// One main-loop frame: dispatcher, black frame when quitting, swap and bookkeeping. Returns false
// after the last frame.
bool runFrame();
// Frees the music; the window and context go with the process.
void endShow();
