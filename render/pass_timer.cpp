// Owns the timer queries of the frame's passes and the intervals recorded in the current frame.
// The queries are created once by enablePassTimers; the interval list is reset by readPassTimes.
#include "render/pass_timer.h"

#include "platform/gl.h"

// A frame has at most two centre-piece casts per light between the other passes; 32 leaves room.
constexpr int MAX_PASS_INTERVALS = 32;

const char *const FRAME_PASS_NAMES[PASS_COUNT] = {
    "shadow atlas", "centre-piece cast", "environment cube", "room colour",
    "depth as colour", "resolve", "raymarch", "composite",
};

static struct {
    bool enabled;
    bool running;                        // an interval's query is active
    GLenum target;                       // GL_TIME_ELAPSED or GL_SAMPLES_PASSED
    GLuint queries[MAX_PASS_INTERVALS];
    FramePass passOf[MAX_PASS_INTERVALS];
    int count;                           // intervals begun this frame
} timers;

bool enablePassTimers(bool countSamples) {
    if (timers.enabled) return true;
    if (!GLAD_GL_VERSION_3_3 && !GLAD_GL_ARB_timer_query) return false;
    glGenQueries(MAX_PASS_INTERVALS, timers.queries);
    timers.target = countSamples ? GL_SAMPLES_PASSED : GL_TIME_ELAPSED;
    timers.enabled = true;
    return true;
}

void endPass() {
    if (!timers.enabled || !timers.running) return;
    glEndQuery(timers.target);
    timers.running = false;
}

void markPass(FramePass pass) {
    if (!timers.enabled) return;
    endPass();
    // Past the capacity the rest of the frame is charged to the last interval.
    if (timers.count == MAX_PASS_INTERVALS) return;
    timers.passOf[timers.count] = pass;
    glBeginQuery(timers.target, timers.queries[timers.count++]);
    timers.running = true;
}

bool readPassTimes(double ms[PASS_COUNT]) {
    for (int p = 0; p < PASS_COUNT; p++) ms[p] = 0.0;
    if (!timers.enabled) return false;
    endPass();
    for (int i = 0; i < timers.count; i++) {
        GLuint64 result = 0;   // ns, or samples
        glGetQueryObjectui64v(timers.queries[i], GL_QUERY_RESULT, &result);
        ms[timers.passOf[i]] += timers.target == GL_TIME_ELAPSED ? (double)result / 1.0e6 : (double)result;
    }
    timers.count = 0;
    return true;
}
