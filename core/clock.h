// The show's clocks: real time since the clock base (elapsedMs), demo time scaled and shifted by the
// sync track (demoTime), and the per-frame time values every effect reads.
#pragma once
#include <stdint.h>

// One frame of 60 Hz in ms: animation values count (frameTime - start) / FRAME_MS frames.
constexpr float FRAME_MS = 16.666666f;
// One row of the sync track in 60 Hz frames (355.33 ms): camera cues give their length in rows.
constexpr float SYNC_FRAMES_PER_ROW = 21.3199405670166f;

// Demo-clock controls. The sync track writes both; the dispatcher puts timeDivisor back to 1 at every
// advance; nothing else modifies them.
extern double timeDivisor;    // demo time runs at 1/timeDivisor of real time
extern int timeOffset;        // ms added to demo time

// Per-frame values (ms of demo time unless noted). The dispatcher writes frameTime at the start of
// its call and prevFrameTime / lastRealTime / prevRealTime when a part starts; the main loop writes
// the rest after each swap and showStartTime once; the parts only read them.
extern int frameTime;         // demoTime sampled at the start of the frame: "now" for all parts
extern int prevFrameTime;     // frameTime of the previous frame
extern float frameFactor;     // demo-time step of the frame in 60 Hz frames (ms x 0.06)
extern float realFrameFactor; // real-time step of the frame in 60 Hz frames
extern int lastRealTime;      // elapsedMs after the latest swap
extern int prevRealTime;      // elapsedMs after the swap before it
extern int showStartTime;     // elapsedMs just before the music starts

// Part timing, read by the parts and the renderers. Reset by resetClocks.
// Written by the dispatcher on a part change, by the sync track at a next-part row and at the first
// played frame, and by part B on its first two calls; nothing else modifies it.
extern int partstarttime;     // ms of demo time at which the current part started
// Written by the dispatcher (cleared at every advance) and incremented by the part frames.
extern int partFrameCounter;  // calls of the current scene's routine since the last advance
// Written by the dispatcher (cleared at a part change), incremented by part A, cleared by loading.
extern int partCallCounter;   // calls of part A since the last part change
// Written only by the sync track: frameTime of the first played frame, where row 0 starts.
extern int syncBaseTime;

// Takes the counter value as time zero of both clocks (start of loading).
void resetClockBase();
// Puts every clock value back to its start-up state (tests and offline runs start from here).
void resetClocks();
// Real (or driven) time since the clock base in whole ms, truncated toward zero. It saturates at
// INT_MAX (24.8 days) instead of wrapping: a show left running that long holds its last moment.
int elapsedMs();
// Show time. Every call advances the accumulators, so the number of calls matters when the
// divisor is not 1.
int demoTime();

// Driven counter: instead of the performance counter, the clocks read a value that the caller
// sets, so frames happen at exact times (tests, offline capture).
void driveClock(int64_t ticksPerSecond);
void setDrivenCounter(int64_t ticks);
int64_t drivenCounter();
// Every read of the driven counter first advances it by this many ticks (0, the default, holds it
// still): work that reads the clock, like loading, then takes time (tests).
void setDrivenCounterStep(int64_t ticksPerRead);

// The fixed-step clock of the offline runs and seeks. Frame k happens at exactly k x 1000 / fps ms of
// real time (truncated to whole ms, as the real clock is), so the sync track and the parts see the
// times of a real-time run at that frame rate. The counter stands at 0 until frame 0: loading takes
// no time.
void startCaptureClock(int fps);
void setCaptureFrame(int64_t frame);
// The fixed-step clock's frames per second, 0 when the clock is not the fixed-step one.
int captureClockFps();

// --- frames and milliseconds of a fixed-step run at fps (every mode rounds the same way) ---------
// The ms the clock reads at frame k: k x 1000 / fps, truncated like the real clock.
int64_t frameStartMs(int64_t frame, int fps);
// The frame nearest to a moment (ms from the first frame), halves rounded up.
int64_t frameForMoment(int64_t ms, int fps);
// The frames k of a range [from, to]: the first whose clock reads at least `ms`, the last whose
// clock reads at most `ms`.
int64_t firstFrameFrom(int64_t ms, int fps);
int64_t lastFrameTo(int64_t ms, int fps);
// A mode's own clock (the page's refresh clock, edit mode's steady clock) mapped onto frames.
struct FrameClock {
    int fps;
    int64_t anchorFrame;   // this frame was on screen...
    double anchorMs;       // ...at this reading of the mode's clock (ms)
};
// The frame the mode's clock has reached at nowMs: the anchor's, plus the whole frames since.
int64_t frameClockFrame(const FrameClock &clock, double nowMs);
// A counter reading in ms, exact and without overflow for any tick count (ticks x 1000 would
// overflow 64 bits after 106 days of a nanosecond counter).
int64_t counterToMs(int64_t ticks, int64_t ticksPerSecond);
// Adds this module's state to the show's list of state blocks (resetShow, snapshots).
void addClockState();
