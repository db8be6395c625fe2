// Frame cost of the three parts: renders frames of each part on a hidden window with the show's
// fixed-step clock and reports the wall time per frame. Run from build/show (it reads data/):
//   xvfb-run -a -s "-screen 0 1920x1080x24" ../bench/lightrig_frame_cost [frames per part]
#include <stdio.h>
#include <stdlib.h>

#include "platform/gl.h"
#include "platform/platform.h"
#include "shell/capture.h"
#include "shell/playlist.h"
#include "shell/show.h"

constexpr int BENCH_FPS = 30;

static double secondsNow() {
    return (double)platformCounter() / (double)platformFrequency();
}

// Renders count frames of the current part; returns the mean ms per frame (GL finished).
static double measurePart(int64_t &frame, int count) {
    double total = 0.0;
    for (int i = 0; i < count; i++) {
        setCaptureFrame(frame++);
        const double start = secondsNow();
        renderFrame();
        glFinish();
        total += secondsNow() - start;
        finishFrame();
    }
    return total / count * 1000.0;
}

int main(int argc, char **argv) {
    const int count = argc > 1 ? atoi(argv[1]) : 5;
    if (count < 1) {
        fprintf(stderr, "usage: lightrig_frame_cost [frames per part]\n");
        return 2;
    }
    platformSetMusicEnabled(false);
    if (!platformOpenHiddenWindow()) return 1;
    startCaptureClock(BENCH_FPS);
    setCaptureFrame(0);
    const double loadStart = secondsNow();
    if (!startShow()) return 1;
    const double loadSeconds = secondsNow() - loadStart;
    int64_t frame = 0;
    const char *names[3] = {"part A", "part C", "part B"};
    double cost[3];
    for (int part = 0; part < 3; part++) {
        measurePart(frame, 1);   // the part's first frame sets it up
        cost[part] = measurePart(frame, count);
        requestNextPart();   // on to the next part at the end of the next frame
        measurePart(frame, 1);
    }
    printf("loading: %.2f s\n", loadSeconds);
    for (int part = 0; part < 3; part++)
        printf("%s: %.1f ms per frame (%d frames, 1920 x 1080, GL finished)\n", names[part], cost[part], count);
    endShow();
    return 0;
}
