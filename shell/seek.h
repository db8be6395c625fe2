// Seeking in a fixed-step run: the show's state at any frame, reached by stepping the logic of the
// frames before it and drawing only the few whose pictures feed the next.
#pragma once
#include <stdint.h>

// Frame of the fixed-step clock (startCaptureClock) that the next renderFrame draws.
int64_t currentShowFrame();
// Leaves the show ready to draw frame `frame` of the fixed-step run with exactly the picture a run
// from the start draws there: forward from the current frame, or from the show's start when `frame`
// lies behind it. The caller then draws it as usual: setCaptureFrame(frame); renderFrame(); ...;
// finishFrame().
void seekToFrame(int64_t frame);
// The same, always replaying from the show's start: after a reload has changed the past (a new sync
// table, camera paths or texture).
void replayToFrame(int64_t frame);
// Forward like seekToFrame but without drawing warm-up frames: cheaper, for catching up in real time;
// whatever carries picture from frame to frame (the environment cube) may differ from a full run's
// for a few frames.
void skipToFrame(int64_t frame);
