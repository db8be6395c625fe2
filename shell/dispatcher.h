// The per-frame dispatcher: which part runs this frame, the part-change bookkeeping and the advance
// to the next scene that the sync track requests.
#pragma once

// Parts (demoeffect values) and the scenes that select them.
constexpr int PART_A = 60;
constexpr int PART_B = 62;
constexpr int PART_C = 66;

extern int demoeffect;          // part rendered this frame, -1 before the first frame
extern int advanceTime;         // demoTime at the latest advance

// Written by the show's start-up (initDone) and by the main loop and the dispatcher (quitRequested).
extern bool initDone;           // the dispatcher draws nothing before loading has finished
extern int quitRequested;       // non-zero ends the main loop after the current frame

// One frame: clock, sync track, keyboard, camera, part, composite, advance. Returns 0 before
// initDone, else 1.
int dispatchFrame();
// The playlist and part bookkeeping as they are before the first frame.
void resetDispatcher();
