// Owns nothing but the warm-up length: seeks step the show's own state through the fixed-step clock,
// from the show's start or from the nearest snapshot.
#include "shell/seek.h"

#include "core/clock.h"             // the fixed-step clock
#include "parts/part_frames.h"       // the warm-up frames draw what the next frames read
#include "shell/dispatcher.h"        // quitRequested
#include "shell/show.h"
#include "shell/snapshots.h"

// Frames drawn before the frame a seek lands on. Every frame's environment cube is shaded with the
// cube of the frame before (its reflections), so a picture remembers the cubes before it, each one
// more faintly; everything else a frame draws comes from state the logic steps reach exactly.
// Measured with seek_test's MeasureWarmUp (the cube left far behind: the show's start cube) at 1 fps
// (20 and 60 s) and at 60 fps (frames 12, 45, 70, 90): with 0, 1, 2, 3 and 4 drawn frames about
// 130,000-180,000, 10,000-14,000, 330-770, 22-75 and 0-9 pixels differ from the full run's picture,
// and none with 5 in every case. One more frame is the margin for a cube further off.
constexpr int SEEK_WARM_UP_FRAMES = 6;

// Steps frames up to (not including) `frame`, drawing the shadow atlas and environment cube of the
// last `warmUp` of them as a full run does.
static void advanceTo(int64_t frame, int warmUp) {
    for (int64_t k = steppedFrameCount(); k < frame && !quitRequested; k = steppedFrameCount()) {
        setCaptureFrame(k);
        stepShowFrame();
        if (k >= frame - warmUp) {
            // Only what the next frames read, and no swap: nobody sees these pictures.
            drawCarriedPassesOnly(true);
            drawShowFrame();
            drawCarriedPassesOnly(false);
        }
    }
}

// Puts the show at the latest snapshot at or before `latest`, or at its start when none is kept.
// Going on from the current frame is cheaper when the caller allows it (the current frame lies before
// the target) and no snapshot lies nearer.
static void startFromNearest(int64_t latest, bool fromCurrent) {
    const int64_t kept = snapshotAtOrBefore(latest, captureClockFps());
    if (fromCurrent && steppedFrameCount() >= kept) return;
    if (kept > 0) restoreSnapshot(kept);
    else restartShow();
}

void replayToFrame(int64_t frame) {
    startFromNearest(frame - SEEK_WARM_UP_FRAMES, false);
    advanceTo(frame, SEEK_WARM_UP_FRAMES);
}

void seekToFrame(int64_t frame) {
    startFromNearest(frame - SEEK_WARM_UP_FRAMES, frame >= steppedFrameCount());
    advanceTo(frame, SEEK_WARM_UP_FRAMES);
}

void skipToFrame(int64_t frame) {
    startFromNearest(frame, frame >= steppedFrameCount());
    advanceTo(frame, 0);
}
