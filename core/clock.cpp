// Owns the counter base, the demo-clock accumulators and the per-frame time values. All live for the
// whole run; resetClocks puts them back to their start-up values.
#include "core/clock.h"

#include <limits.h>
#include <math.h>

#include "platform/platform.h"
#include "core/state_blocks.h"   // the show's list of state blocks

double timeDivisor = 1.0;
int timeOffset = 0;

int frameTime = 0;
int prevFrameTime = 0;
float frameFactor = 0.0f;
float realFrameFactor = 0.0f;
int lastRealTime = 0;
int prevRealTime = 0;
int showStartTime = 0;

int partstarttime = 0;
int partFrameCounter = 0;
int partCallCounter = 0;
int syncBaseTime = 0;

// The fixed-step clock runs at fps x 1000 ticks per second and frame k sits at tick k x 1000, so
// elapsedMs reads k x 1000 x 1000 / (fps x 1000) = k x 1000 / fps ms; the double division is exact
// whenever that is a whole number, and truncates like the real clock otherwise.
constexpr int64_t TICKS_PER_FRAME = 1000;

static struct {
    int64_t frequency = 1;   // ticks per second
    int64_t base = 0;        // counter value at time zero
    bool driven = false;
    int64_t drivenTicks = 0;
    int64_t drivenStep = 0;   // ticks every read adds: time that passes while the show works
    int64_t drivenFrequency = 1000;
    int captureFps = 0;       // frames per second of the fixed-step clock, 0 when it is not running
} counter;

static struct {
    int scaledAccumulator = 0;   // ms, sum of the scaled real-time deltas
    int lastRawSample = 0;       // elapsedMs at the previous demoTime call
} demoClock;

static int64_t readCounter() {
    if (!counter.driven) return platformCounter();
    counter.drivenTicks += counter.drivenStep;
    return counter.drivenTicks;
}

static int64_t readFrequency() {
    return counter.driven ? counter.drivenFrequency : platformFrequency();
}

void resetClockBase() {
    counter.frequency = readFrequency();
    counter.base = readCounter();
}

void resetClocks() {
    timeDivisor = 1.0;
    timeOffset = 0;
    frameTime = prevFrameTime = 0;
    frameFactor = realFrameFactor = 0.0f;
    lastRealTime = prevRealTime = showStartTime = 0;
    partstarttime = partFrameCounter = partCallCounter = syncBaseTime = 0;
    demoClock.scaledAccumulator = 0;
    demoClock.lastRawSample = 0;
    resetClockBase();
}

int elapsedMs() {
    // Double precision, truncated toward zero; the cast alone would be undefined past INT_MAX.
    const double ms = (double)(readCounter() - counter.base) * 1000.0 / (double)counter.frequency;
    return ms < (double)INT_MAX ? (int)ms : INT_MAX;
}

int demoTime() {
    const int now = elapsedMs();
    const int delta = now - demoClock.lastRawSample;
    demoClock.lastRawSample = now;
    // Truncated on every call: with a divisor other than 1 the fractional milliseconds of each
    // call are dropped, so demo time runs slightly slower than the exact ratio.
    demoClock.scaledAccumulator = (int)((double)delta * (1.0 / timeDivisor) + demoClock.scaledAccumulator);
    return timeOffset + demoClock.scaledAccumulator;
}

void driveClock(int64_t ticksPerSecond) {
    counter.driven = true;
    counter.captureFps = 0;
    counter.drivenFrequency = ticksPerSecond;
    counter.frequency = ticksPerSecond;
}

void setDrivenCounter(int64_t ticks) {
    counter.drivenTicks = ticks;
}

void setDrivenCounterStep(int64_t ticksPerRead) {
    counter.drivenStep = ticksPerRead;
}

int64_t drivenCounter() {
    return counter.drivenTicks;
}

void startCaptureClock(int fps) {
    driveClock((int64_t)fps * TICKS_PER_FRAME);
    counter.captureFps = fps;
    setDrivenCounter(0);
}

int captureClockFps() {
    return counter.captureFps;
}

void setCaptureFrame(int64_t frame) {
    setDrivenCounter(frame * TICKS_PER_FRAME);
}

int64_t frameStartMs(int64_t frame, int fps) {
    return frame * 1000 / fps;
}

int64_t frameForMoment(int64_t ms, int fps) {
    // Integer arithmetic, so 0.1 s x 30 fps is frame 3, not 2.
    return (ms * fps + 500) / 1000;
}

int64_t firstFrameFrom(int64_t ms, int fps) {
    // The first k with k x 1000 / fps >= ms; for a whole ms that is the first whose truncated clock
    // reading is ms or more.
    return (ms * fps + 999) / 1000;
}

int64_t lastFrameTo(int64_t ms, int fps) {
    return ms * fps / 1000;
}

int64_t frameClockFrame(const FrameClock &clock, double nowMs) {
    return clock.anchorFrame + (int64_t)floor((nowMs - clock.anchorMs) * clock.fps / 1000.0);
}

int64_t counterToMs(int64_t ticks, int64_t ticksPerSecond) {
    return ticks / ticksPerSecond * 1000 + ticks % ticksPerSecond * 1000 / ticksPerSecond;
}

void addClockState() {
    addStateBlock("clock: timeDivisor", &timeDivisor, sizeof timeDivisor, resetClocks);
    addStateBlock("clock: timeOffset", &timeOffset, sizeof timeOffset, nullptr);
    addStateBlock("clock: frameTime", &frameTime, sizeof frameTime, nullptr);
    addStateBlock("clock: prevFrameTime", &prevFrameTime, sizeof prevFrameTime, nullptr);
    addStateBlock("clock: frameFactor", &frameFactor, sizeof frameFactor, nullptr);
    addStateBlock("clock: realFrameFactor", &realFrameFactor, sizeof realFrameFactor, nullptr);
    addStateBlock("clock: lastRealTime", &lastRealTime, sizeof lastRealTime, nullptr);
    addStateBlock("clock: prevRealTime", &prevRealTime, sizeof prevRealTime, nullptr);
    addStateBlock("clock: showStartTime", &showStartTime, sizeof showStartTime, nullptr);
    addStateBlock("clock: partstarttime", &partstarttime, sizeof partstarttime, nullptr);
    addStateBlock("clock: partFrameCounter", &partFrameCounter, sizeof partFrameCounter, nullptr);
    addStateBlock("clock: partCallCounter", &partCallCounter, sizeof partCallCounter, nullptr);
    addStateBlock("clock: syncBaseTime", &syncBaseTime, sizeof syncBaseTime, nullptr);
    addStateBlock("clock: demo clock", &demoClock, sizeof demoClock, nullptr);
}
