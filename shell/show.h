// Start-up, the frame's pieces and the end of the show, for the frame driver and the modes.
#pragma once
#include <stdint.h>

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
// The show at its first frame again, without loading: every piece of show state reset (snapshots
// kept), loading's last frame stepped, the environment cube as loading left it, the sync player
// started; the fixed-step clock at frame 0, or the real-time clock's base at now. A seek back to the
// start and each turn of a loop begin here.
void restartShow();

// --- The frame's pieces, in order. Only the frame driver (shell/frame_driver.h) and the seek put
// them together; a mode asks the driver for a frame.
// The frame's whole update at the clock as it stands: a snapshot when the frame is a regular one of
// a fixed-step run, Escape, the dispatcher's step, then the bookkeeping its successor reads (frame
// factors, injected keys cleared, the frame count). No GL.
void stepShowFrame();
// The picture of the frame stepped last (the dispatcher's draw, and the black frame when quitting);
// drawn, not yet presented. Reads the show's state and changes none of it.
void drawShowFrame();
// Swaps the picture onto the screen.
void presentShowFrame();
// True when the frame about to be stepped is the quitting frame that the sync table's end row asked
// for, and no Escape came from the keyboard with it.
bool showEndedByTable();
// Frames stepped since startShow (or restartShow): the frame of the fixed-step clock stepped next.
int64_t steppedFrameCount();
// Frees the music; the window and context go with the process.
void endShow();
