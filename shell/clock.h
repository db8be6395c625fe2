// The show's clocks: real time since the clock base (elapsedMs), demo time scaled and shifted by the
// sync track (demoTime), and the per-frame time values every effect reads.
#pragma once
#include <stdint.h>

// Demo-clock controls, written by the sync track and reset by the dispatcher.
extern double timeDivisor;    // demo time runs at 1/timeDivisor of real time
extern int timeOffset;        // ms added to demo time

// Per-frame values, written by the dispatcher and the main loop (ms of demo time unless noted).
extern int frameTime;         // demoTime sampled at the start of the frame: "now" for all parts
extern int prevFrameTime;     // frameTime of the previous frame
extern float frameFactor;     // demo-time step of the frame in 60 Hz frames (ms x 0.06)
extern float realFrameFactor; // real-time step of the frame in 60 Hz frames
extern int lastRealTime;      // elapsedMs after the latest swap
extern int prevRealTime;      // elapsedMs after the swap before it
extern int showStartTime;     // elapsedMs just before the music starts

// Takes the counter value as time zero of both clocks (start of loading).
void resetClockBase();
// Puts every clock value back to its start-up state (tests and offline runs start from here).
void resetClocks();
int elapsedMs();
// Show time. Every call advances the accumulators, so the number of calls matters when the
// divisor is not 1.
int demoTime();

// Driven counter: instead of the performance counter, the clocks read a value that the caller
// sets, so frames happen at exact times (tests, offline capture).
void driveClock(int64_t ticksPerSecond);
void setDrivenCounter(int64_t ticks);
int64_t drivenCounter();
