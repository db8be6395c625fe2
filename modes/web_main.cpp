// Entry point of the web build: the page passes the moment to start at, the browser calls one frame
// per display refresh. The show runs on the fixed-step clock, its frame chosen by the page's clock,
// so frame k is the moment k / fps in every mode, as in --frames, and any moment can be the first.
//   (no arguments)        the show from its start, music with it
//   --start SECONDS       the show from that moment (the exact seek), music from there
//   --loop                with either of the above: at the show's end it starts again, until Escape
//   --at SECONDS [--fps N]  the picture of that moment, held paused; no music
//   --bench N             the frame cost: N frames of each part drawn and timed as the native
//                         frame-cost bench does (its clock, its frames), the figures given to the
//                         page; no music
#include <stdint.h>
#include <stdio.h>    // snprintf: the frame cost's figures
#include <stdlib.h>
#include <string.h>

#include "core/clock.h"
#include "core/diagnostics.h"
#include "platform/gl.h"   // the frame cost waits for the picture
#include "platform/platform.h"
#include "platform/platform_web.h"
#include "shell/dispatcher.h"
#include "shell/frame_driver.h"
#include "shell/gl_remake.h"
#include "shell/playlist.h"   // requestNextPart: the frame cost visits every part
#include "shell/show.h"

constexpr int WEB_FPS = 60;            // the show's frame rate when it plays: a display's refresh
constexpr int MAX_WEB_FPS = 1000;
constexpr double MAX_START_SECONDS = 3600.0;
constexpr int BENCH_FPS = 30;          // the native frame-cost bench's clock: the same frames drawn
constexpr int MAX_BENCH_FRAMES = 1000; // per part
constexpr int BENCH_PART_COUNT = 3;
constexpr int BENCH_FIGURES_CAPACITY = 256;   // three "part X: ms" figures

static struct {
    bool paused;            // --at: one picture, held
    bool loop;              // --loop: turn after turn until Escape
    int benchFrames;        // --bench: frames timed per part, 0 when the show plays
    int fps;
    int64_t startFrame;
    FrameClock clock;       // the page's clock (performance.now) mapped onto the run's frames
    int contextGeneration;  // of the canvas's context that the GL objects were made in
} web;

// A number of seconds in [0, MAX_START_SECONDS]; false for anything else.
static bool parseSeconds(const char *text, double *seconds) {
    char *end = nullptr;
    const double value = strtod(text, &end);
    if (end == text || *end != '\0' || !(value >= 0.0) || value > MAX_START_SECONDS) return false;
    *seconds = value;
    return true;
}

// Returns -1 to go on, or the exit status after the usage line.
static int parseWebArguments(int argc, char **argv) {
    double seconds = 0.0;
    web.fps = WEB_FPS;
    bool fpsGiven = false;
    for (int i = 1; i < argc; i += 2) {
        const bool hasValue = i + 1 < argc;
        if (strcmp(argv[i], "--loop") == 0) {
            web.loop = true;
            i--;   // no value
        } else if (strcmp(argv[i], "--start") == 0 && hasValue && parseSeconds(argv[i + 1], &seconds)) {
            web.paused = false;
        } else if (strcmp(argv[i], "--at") == 0 && hasValue && parseSeconds(argv[i + 1], &seconds)) {
            web.paused = true;
        } else if (strcmp(argv[i], "--bench") == 0 && hasValue) {
            web.benchFrames = atoi(argv[i + 1]);
            if (web.benchFrames < 1 || web.benchFrames > MAX_BENCH_FRAMES) {
                logError("usage: bench=N, N from 1 to %d frames per part\n", MAX_BENCH_FRAMES);
                return 2;
            }
            web.paused = true;
            web.fps = BENCH_FPS;
        } else if (strcmp(argv[i], "--fps") == 0 && hasValue) {
            web.fps = atoi(argv[i + 1]);
            fpsGiven = true;
        } else {
            logError("usage: #t=SECONDS, or ?at=SECONDS[&fps=N] (N from 1 to %d): %s is not understood\n",
                     MAX_WEB_FPS, argv[i]);
            return 2;
        }
    }
    if (web.loop && web.paused) {
        logError("usage: loop plays the show over and over; it goes with #t=SECONDS, not with at= or bench=\n");
        return 2;
    }
    if (web.fps < 1 || web.fps > MAX_WEB_FPS || (fpsGiven && (!web.paused || web.benchFrames > 0))) {
        logError("usage: fps=N goes with at=SECONDS, N from 1 to %d\n", MAX_WEB_FPS);
        return 2;
    }
    web.startFrame = frameForMoment((int)(seconds * 1000.0 + 0.5), web.fps);
    return -1;
}

// Tells the page which moment of the show is on the canvas.
static void showFrameNumber() {
    platformShowFrameNumber(steppedTurnFrame());
}

// Waits until the browser has drawn everything asked of it: a read of one pixel of the picture
// (a browser's finish may return before its GPU process has drawn).
static void waitForPicture() {
    GLint readBinding = 0;
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &readBinding);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);   // the screen target when the picture is redirected
    unsigned char pixel[4];
    glReadPixels(0, 0, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, (GLuint)readBinding);
}

// Steps and draws frame (drawing and finished, not the presentation) and returns its ms.
static double timeFrame(int64_t frame) {
    const double start = platformPageMs();
    stepShowTo(frame, ARRIVE_EXACT);
    drawShowFrame();
    glFinish();
    waitForPicture();
    const double ms = platformPageMs() - start;
    presentShowFrame();
    showFrameNumber();
    return ms;
}

// The native frame-cost bench's measure, from the show's first frame: per part one frame that sets
// it up, benchFrames timed, then on to the next part. The mean ms per frame of each part go to the
// console and the page ("part A: 512.3, part C: ..., part B: ...").
static void measureFrameCost() {
    static const char *const names[BENCH_PART_COUNT] = {"part A", "part C", "part B"};
    char figures[BENCH_FIGURES_CAPACITY];
    int used = 0;
    int64_t frame = 0;
    for (int part = 0; part < BENCH_PART_COUNT; part++) {
        timeFrame(frame++);
        double total = 0.0;
        for (int i = 0; i < web.benchFrames; i++) total += timeFrame(frame++);
        requestNextPart();   // on to the next part at the end of the next frame
        timeFrame(frame++);
        const double mean = total / web.benchFrames;
        logOut("%s: %.1f ms per frame (%d frames, 1920 x 1080, GL finished)\n", names[part], mean,
               web.benchFrames);
        if (used < BENCH_FIGURES_CAPACITY)
            used += snprintf(figures + used, BENCH_FIGURES_CAPACITY - used, "%s%s: %.1f", part ? ", " : "",
                             names[part], mean);
    }
    platformShowFrameCost(figures);
}

static void endOnPage() {
    platformStopFrames();
    endShow();   // the music stops
    platformShowEnded(0);
}

// While the browser keeps the canvas's context, nothing is drawn (the music is paused). Once it gives
// it back, every GL object is made again and the frame that was on the canvas drawn again, exactly;
// the clock and the music go on from it. False when the context is there as before.
static bool contextAway() {
    if (platformContextLost()) return true;
    if (platformContextGeneration() == web.contextGeneration) return false;
    web.contextGeneration = platformContextGeneration();
    remakeGlObjects();
    const int64_t frame = steppedRunFrame();
    showFrame(frame, ARRIVE_REPLAY);
    showFrameNumber();
    platformShowContextBack();
    platformMusicPlayFrom((double)steppedTurnFrame() / web.fps, false);
    web.clock = {web.fps, frame, platformPageMs()};
    return true;
}

// One display refresh: the frame the page's clock has reached, through the frame driver. A refresh
// that brings no new frame (a display faster than the show's frame rate) steps nothing; Escape is
// read all the same. A tab that was hidden comes back through the seek, music with it.
static void playRefresh() {
    if (contextAway()) return;
    const FrameStep step = showFrame(frameClockFrame(web.clock, platformPageMs()), ARRIVE_PLAYING);
    if (step == FRAME_STEPPED || step == FRAME_JUMPED) showFrameNumber();
    else if (step == FRAME_UNCHANGED) endShowIfAsked();
    if (quitRequested || step == FRAME_ENDED) endOnPage();
}

int main(int argc, char **argv) {
    int status = parseWebArguments(argc, argv);
    if (status >= 0) return status;
    logOut("hello world!\n");
    if (web.paused) platformSetMusicEnabled(false);
    platformSetMessageBoxes(false);   // the page shows what went wrong
    platformUseGlEs(true);            // WebGL 2 is OpenGL ES 3.0: the show draws through its layer
    startCaptureClock(web.fps);
    if (!platformOpenWindow()) return 1;
    if (!startShow()) {
        endShow();
        platformShowEnded(0);
        return 0;
    }
    startFrameDriver(web.loop);
    if (web.benchFrames > 0) {
        measureFrameCost();
        platformKeepPage();   // the last frame stays on the canvas
    }
    showFrame(web.startFrame, ARRIVE_EXACT);
    showFrameNumber();
    if (web.paused) platformKeepPage();   // the picture stays on the canvas
    platformMusicPlayFrom((double)steppedTurnFrame() / web.fps, false);
    web.clock = {web.fps, web.startFrame, platformPageMs()};
    platformRunFrames(playRefresh);
    return 0;
}
