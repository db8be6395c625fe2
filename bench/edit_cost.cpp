// What the edit mode adds to a frame: one look of the file watcher at every file the show loaded,
// the overlay drawn onto the window, and the pass timers it reads, against the frame itself. Renders
// a few frames on a hidden window with the fixed-step clock. Run from build/show (it reads data/):
//   xvfb-run -a -s "-screen 0 1920x1080x24" ../bench/lightrig_edit_cost [frames]
#include <stdio.h>
#include <stdlib.h>

#include "modes/capture.h"
#include "modes/edit.h"
#include "modes/file_watch.h"
#include "modes/live_reload.h"
#include "modes/overlay.h"
#include "platform/gl.h"
#include "platform/platform.h"
#include "render/pass_timer.h"
#include "shell/frame_driver.h"
#include "shell/present.h"
#include "shell/show.h"

constexpr int WATCH_LOOKS = 200;   // looks timed for the watcher's mean

static double msNow() {
    return (double)platformCounter() * 1000.0 / (double)platformFrequency();
}

int main(int argc, char **argv) {
    const int frames = argc > 1 ? atoi(argv[1]) : 5;
    platformSetMusicEnabled(false);
    platformSetMessageBoxes(false);
    startCaptureClock(EDIT_FPS);
    if (!platformOpenHiddenWindow() || !startShow()) return 1;
    startFrameDriver(false);
    setUpPresentation(true);

    watchShowFiles();
    int changed[MAX_WATCHED_FILES];
    double start = msNow();
    for (int i = 0; i < WATCH_LOOKS; i++) pollWatchedFiles((int64_t)(i + 1) * WATCH_INTERVAL_MS, changed, MAX_WATCHED_FILES);
    const double watchMs = (msNow() - start) / WATCH_LOOKS;

    double frameMs = 0.0, timedFrameMs = 0.0, overlayMs = 0.0;
    double passMs[PASS_COUNT];
    OverlayReadout readout = {};
    readout.fps = EDIT_FPS;
    readout.havePassTimes = true;
    readout.reloadError = "colorfx.frag: 0:1(40): error: syntax error, unexpected '}', expecting ',' or ';'";
    for (int k = 0; k < 2 * frames; k++) {
        const bool timers = k >= frames;   // the second half with the overlay's pass timers on
        if (timers) showOverlay(true);
        start = msNow();
        stepShowTo(k, ARRIVE_EXACT);
        drawShowFrame();
        if (timers) readPassTimes(passMs);
        glFinish();
        (timers ? timedFrameMs : frameMs) += msNow() - start;
        readout.frame = k;
        setOverlayReadout(readout);
        if (timers) {
            start = msNow();
            drawOverlay(1280, 720);
            glFinish();
            overlayMs += msNow() - start;
        }
        presentShowFrame();
    }
    printf("files watched: %d\n", watchedFileCount());
    printf("one look at every file: %.3f ms (every %d ms: %.4f ms per 60 Hz frame)\n", watchMs, WATCH_INTERVAL_MS,
           watchMs * (1000.0 / EDIT_FPS) / WATCH_INTERVAL_MS);
    printf("frame without the pass timers: %.1f ms, with them: %.1f ms (mean of %d)\n", frameMs / frames,
           timedFrameMs / frames, frames);
    printf("overlay: %.2f ms a frame\n", overlayMs / frames);
    endShow();
    return 0;
}
