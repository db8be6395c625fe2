// The per-frame dispatcher and the playlist of parts: which part runs, when it started, and the
// advance to the next part that the sync track requests.
#pragma once

constexpr int PLAYLIST_LENGTH = 24;
constexpr int PLAYLIST_START = 20;   // index of the first scene; entries 0..19 are unused

// Parts (demoeffect values) and the scenes that select them.
constexpr int PART_A = 60;
constexpr int PART_B = 62;
constexpr int PART_C = 66;

extern float playlistIndex;     // used truncated
extern float sceneNumber;
extern int demoeffect;          // part rendered this frame, -1 before the first frame
extern int partstarttime;       // ms of demo time at which the current part started
extern int partCallCounter;     // calls of part A since the last part change
extern int partFrameCounter;    // calls of the current scene's routine since the last advance
extern int skipnow;             // pending next-part requests
extern int advanceTime;         // demoTime at the latest advance
extern bool lightBlendPending;  // light colours cross-fade after an advance

extern bool initDone;           // the dispatcher draws nothing before loading has finished
extern int quitRequested;       // non-zero ends the main loop after the current frame

// One frame: clock, sync track, keyboard, camera, part, composite, advance. Returns 0 before
// initDone, else 1.
int dispatchFrame();
// The playlist and part bookkeeping as they are before the first frame.
void resetDispatcher();
