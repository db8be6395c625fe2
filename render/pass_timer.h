// GPU time of the frame's passes from GL timer queries (GL_TIME_ELAPSED), or the samples each pass
// lets through the depth test (GL_SAMPLES_PASSED, for overdraw), for the frame-cost benchmark. Off
// unless enablePassTimers ran; the renderers mark where each pass begins.
#pragma once

enum FramePass {
    PASS_SHADOW_ATLAS,     // spot-light depth of the casters and the copies into the atlas
    PASS_CENTRE_CAST,      // the centre-piece raymarched into the spot-light maps
    PASS_ENVIRONMENT,      // six cube faces of the room
    PASS_ROOM_COLOUR,      // the lit room into fb2
    PASS_ROOM_DEPTH,       // the room's depth as colour into fb1
    PASS_RESOLVE,          // fb2 blitted into fb5
    PASS_RAYMARCH,         // the centre-piece composited onto the screen
    PASS_COMPOSITE,        // end-of-frame grade, chromatic pass and overlays
    PASS_COUNT
};

extern const char *const FRAME_PASS_NAMES[PASS_COUNT];

// Creates the query objects (once); from then on markPass records intervals, as time or, with
// countSamples, as samples passed. Needs GL 3.3 timer queries; returns false (and stays off)
// without them.
bool enablePassTimers(bool countSamples = false);
// Ends the running interval, if any, and starts one charged to pass. Nothing while the timers are off.
void markPass(FramePass pass);
// Ends the running interval. Nothing while the timers are off.
void endPass();
// Waits for the frame's queries, adds each interval to its pass (ms, or samples) and starts a new
// frame. False when the timers are off.
bool readPassTimes(double ms[PASS_COUNT]);
