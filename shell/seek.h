// Seeking in a fixed-step run: the show's state at any frame, reached from the nearest snapshot
// before it (or the show's start) by stepping the logic of the frames between and drawing only the
// few whose pictures feed the next.
#pragma once
#include <stdint.h>

// Leaves the show ready to step frame `frame` of the fixed-step run (steppedFrameCount() == frame)
// so that its picture is exactly the one a run from the start draws there: forward from the current
// frame or from a nearer snapshot, and from the latest snapshot before it (or the show's start) when
// `frame` lies behind. The frame driver then steps and draws it. Stops early when the show ends on
// the way.
void seekToFrame(int64_t frame);
// The same, never going on from the current frame: after a reload has changed what the frames on
// screen were made of (a new sync table or camera paths, once their snapshots are dropped; a new
// texture or program, which only the warm-up needs to draw).
void replayToFrame(int64_t frame);
// Like seekToFrame but without drawing warm-up frames: cheaper, for catching up in real time;
// whatever carries picture from frame to frame (the environment cube) may differ from a full run's
// for a few frames.
void skipToFrame(int64_t frame);
