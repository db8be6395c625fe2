// Start-up, main loop and exit of the show.
#pragma once
#include <stdint.h>

// Opens the full-screen window, loads, plays until Escape or the sync track's end. Returns the exit
// status.
int runShow();
// The same in a resizable desktop window of the given size (pixels), the picture scaled into it.
int runShowWindowed(int width, int height);
// Every piece of show state back to its start-up value: the state blocks (clocks, keyboard, sync
// player, playlist and dispatcher, camera pose and playback, kicks and held pose, light rig, light
// cross-fade, centre-piece choreography, composite, shadow state, the random generator) and the
// load record; the snapshots are forgotten. startShow begins with it; tests call it to start a
// fresh show.
void resetShow();
// The same, keeping the snapshots: a seek that starts the same show over.
void resetShowState();
// Start-up after the window exists: GL entry points, presentation, loading, sync track, music.
// Returns false when the show should end before its first frame.
bool startShow();
// One main-loop frame is renderFrame then finishFrame; a capture reads the picture in between.
// renderFrame: stepShowFrame then drawShowFrame; drawn, not yet presented.
void renderFrame();
// The frame's logic (Escape, then the dispatcher's step), no GL.
void stepShowFrame();
// The frame's picture (the dispatcher's draw, and the black frame when quitting).
void drawShowFrame();
// Swap and the bookkeeping after it. Returns false after the last frame.
bool finishFrame();
// The bookkeeping alone (frame factors, injected keys, frame count), for frames stepped without a
// picture. Returns false after the last frame.
bool finishFrameLogic();
// Frames finished since startShow (or resetShow).
int64_t finishedFrameCount();
bool runFrame();
// Frees the music; the window and context go with the process.
void endShow();
