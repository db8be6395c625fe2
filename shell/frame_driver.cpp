// Owns the loop switch and the turn bookkeeping of one run; the show's own state lives in its blocks.
#include "shell/frame_driver.h"

#include "core/clock.h"
#include "core/diagnostics.h"
#include "platform/platform.h"
#include "shell/dispatcher.h"   // quitRequested
#include "shell/seek.h"
#include "shell/show.h"
#include "shell/sync_track.h"   // where a turn ends

// Once per run of frames: startFrameDriver sets it.
static struct {
    bool looping;
    int64_t turnStart;   // run frame of the current turn's frame 0 (fixed-step clock)
    int64_t turnsBegun;  // after the first
} driver;

void startFrameDriver(bool loop) {
    driver = {};
    driver.looping = loop;
}

int64_t loopTurnsBegun() {
    return driver.turnsBegun;
}

int64_t turnFrameCount(int fps) {
    const int row = syncEndRow();
    // The frame that plays the exit row is drawn; the frame after it is the quitting one.
    return row < 0 ? -1 : syncRowFrame(row, fps) + 1;
}

// The show at its first frame again. Whoever plays the music along moves it (from 0 in real time,
// to the frame landed on for a mode's clock).
static void beginTurn() {
    restartShow();
    driver.turnsBegun++;
    debugLog("loop: turn %lld begins\n", (long long)driver.turnsBegun + 1);
}

// --- real time ----------------------------------------------------------------------------------

bool stepRealTimeFrame() {
    if (driver.looping && showEndedByTable()) {
        beginTurn();
        platformMusicPlayFrom(0.0, false);
    }
    stepShowFrame();
    return quitRequested == 0;
}

bool playRealTimeFrame() {
    const bool more = stepRealTimeFrame();
    drawShowFrame();
    presentShowFrame();
    return more;
}

// --- the fixed-step clock -----------------------------------------------------------------------

int64_t steppedTurnFrame() {
    return steppedFrameCount() - 1;
}

int64_t steppedRunFrame() {
    return driver.turnStart + steppedTurnFrame();
}

// Looping, a run frame at or past the current turn's end lies in a later turn: that turn begins,
// and the frame becomes one of it. Returns true when a turn began. A run frame before the current
// turn's start (a mode that went back) is counted in the turn that holds it; every turn being the
// first again, the show's state needs no change for that.
static bool enterTurnOf(int64_t runFrame, int fps) {
    const int64_t turnFrames = driver.looping ? turnFrameCount(fps) : -1;
    if (runFrame < driver.turnStart) {
        driver.turnStart = turnFrames > 0 ? runFrame - runFrame % turnFrames : 0;
        return false;
    }
    if (turnFrames <= 0 || runFrame - driver.turnStart < turnFrames) return false;
    driver.turnStart += (runFrame - driver.turnStart) / turnFrames * turnFrames;
    beginTurn();
    return true;
}

FrameStep stepShowTo(int64_t runFrame, FrameArrival how) {
    const int fps = captureClockFps();
    bool jumped = enterTurnOf(runFrame, fps);
    const int64_t frame = runFrame - driver.turnStart;
    const int64_t next = steppedFrameCount();
    if (how == ARRIVE_PLAYING && !jumped && frame == next - 1) return FRAME_UNCHANGED;
    if (how == ARRIVE_REPLAY) {
        replayToFrame(frame);
    } else if (frame != next) {
        const bool catchUp = how == ARRIVE_PLAYING && !jumped && frame > next &&
                             frameStartMs(frame, fps) - frameStartMs(next, fps) <= MAX_CATCH_UP_MS;
        if (catchUp) {
            skipToFrame(frame);
        } else {
            seekToFrame(frame);
            jumped = jumped || how == ARRIVE_PLAYING;
        }
    }
    if (quitRequested || steppedFrameCount() != frame) return FRAME_ENDED;
    // The table's end met by stepping frame after frame (the turn's length is then what the player
    // made of it, which turnFrameCount predicts): the next turn begins instead of the quitting frame.
    if (driver.looping && showEndedByTable()) {
        driver.turnStart = runFrame;
        beginTurn();
        jumped = true;
    }
    setCaptureFrame(runFrame - driver.turnStart);
    stepShowFrame();
    if (jumped && how == ARRIVE_PLAYING) platformMusicPlayFrom((double)(runFrame - driver.turnStart) / fps, false);
    return jumped ? FRAME_JUMPED : FRAME_STEPPED;
}

FrameStep showFrame(int64_t frame, FrameArrival how) {
    const FrameStep step = stepShowTo(frame, how);
    if (step == FRAME_STEPPED || step == FRAME_JUMPED) {
        drawShowFrame();
        presentShowFrame();
    }
    return step;
}

bool endShowIfAsked() {
    platformPumpEvents();
    if (platformEscapeState() == 0) return false;
    quitRequested = 1;
    drawShowFrame();
    presentShowFrame();
    return true;
}
