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

// The logic of one frame, no GL: clock, sync track, keyboard, the part's step (lights, camera,
// centre-piece), the composite's grade and fade, and the advance the sync track asks for. Returns 0
// before initDone, else 1.
int stepFrame();
// The picture of the frame just stepped: the part's passes and the composite. Reads the show's state
// and changes none of it, so a frame may be stepped without being drawn.
void drawFrame();
// stepFrame then drawFrame.
int dispatchFrame();
// The playlist and part bookkeeping as they are before the first frame.
void resetDispatcher();
// Adds this module's state to the show's list of state blocks (resetShow, snapshots).
void addDispatcherState();
