// Frame cost of the three parts: renders frames of each part on a hidden window with the show's
// fixed-step clock and reports the wall time per frame, then the GPU time of each pass from timer
// queries (mean and worst frame per part), which reads the same on a GPU as on llvmpipe. Run from
// build/show (it reads data/):
//   xvfb-run -a -s "-screen 0 1920x1080x24" ../bench/lightrig_frame_cost [frames per part] [--overdraw]
// With --overdraw the table counts the samples each pass lets through the depth test
// (GL_SAMPLES_PASSED) per pixel of its targets instead of time.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#include "modes/capture.h"
#include "platform/gl.h"
#include "platform/platform.h"
#include "render/pass_timer.h"
#include "shell/frame_driver.h"
#include "shell/playlist.h"
#include "shell/show.h"

constexpr int BENCH_FPS = 30;

static double secondsNow() {
    return (double)platformCounter() / (double)platformFrequency();
}

// CPU seconds of the whole process, rasteriser threads included: on a software renderer that is
// the work a frame costs, and it holds still when other programs load the machine.
static double cpuSecondsNow() {
    timespec now;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return (double)now.tv_sec + (double)now.tv_nsec * 1e-9;
}

constexpr int PART_COUNT = 3;

// Per part: GPU ms of each pass, summed and worst over the measured frames; wall ms of the worst frame.
static struct {
    double passTotal[PART_COUNT][PASS_COUNT];
    double passWorst[PART_COUNT][PASS_COUNT];
    double worstFrame[PART_COUNT];
    double cpuTotal[PART_COUNT];     // CPU ms, summed over the measured frames
} figures;

// Renders count frames of the current part; returns the mean ms per frame (GL finished). With
// part >= 0 the frames' pass times are added to that part's figures.
static double measurePart(int64_t &frame, int count, int part) {
    double total = 0.0;
    double passMs[PASS_COUNT];
    for (int i = 0; i < count; i++) {
        const double start = secondsNow(), cpuStart = cpuSecondsNow();
        stepShowTo(frame++, ARRIVE_EXACT);
        drawShowFrame();
        glFinish();
        const double seconds = secondsNow() - start;
        total += seconds;
        if (part >= 0) figures.cpuTotal[part] += (cpuSecondsNow() - cpuStart) * 1000.0;
        const bool timed = readPassTimes(passMs);
        if (part >= 0) {
            if (seconds * 1000.0 > figures.worstFrame[part]) figures.worstFrame[part] = seconds * 1000.0;
            for (int p = 0; timed && p < PASS_COUNT; p++) {
                figures.passTotal[part][p] += passMs[p];
                if (passMs[p] > figures.passWorst[part][p]) figures.passWorst[part][p] = passMs[p];
            }
        }
        presentShowFrame();
    }
    return total / count * 1000.0;
}

// Pixels a pass covers once per frame: two atlas lights of 1024 x 1024, six 512 x 512 cube faces,
// the 1920 x 1080 targets (the composite draws several full-screen layers).
static const double PASS_PIXELS[PASS_COUNT] = {
    2.0 * 1024 * 1024, 2.0 * 1024 * 1024, 6.0 * 512 * 512, 1920.0 * 1080, 1920.0 * 1080, 1920.0 * 1080,
    1920.0 * 1080, 1920.0 * 1080,
};

static void printOverdrawTable(const char *const names[PART_COUNT], int count) {
    printf("\nsamples passed per target pixel (GL_SAMPLES_PASSED), mean frame\n");
    printf("%-18s", "pass");
    for (int part = 0; part < PART_COUNT; part++) printf(" %8s", names[part]);
    printf("\n");
    for (int p = 0; p < PASS_COUNT; p++) {
        printf("%-18s", FRAME_PASS_NAMES[p]);
        for (int part = 0; part < PART_COUNT; part++)
            printf(" %8.2f", figures.passTotal[part][p] / count / PASS_PIXELS[p]);
        printf("\n");
    }
}

static void printPassTable(const char *const names[PART_COUNT], int count) {
    printf("\nGPU time per pass (GL_TIME_ELAPSED), ms: mean / worst frame\n");
    printf("%-18s", "pass");
    for (int part = 0; part < PART_COUNT; part++) printf(" %17s", names[part]);
    printf("\n");
    double sum[PART_COUNT] = {};
    for (int p = 0; p < PASS_COUNT; p++) {
        printf("%-18s", FRAME_PASS_NAMES[p]);
        for (int part = 0; part < PART_COUNT; part++) {
            const double mean = figures.passTotal[part][p] / count;
            sum[part] += mean;
            printf("   %6.1f / %6.1f", mean, figures.passWorst[part][p]);
        }
        printf("\n");
    }
    printf("%-18s", "sum of passes");
    for (int part = 0; part < PART_COUNT; part++) printf("   %6.1f         ", sum[part]);
    printf("\n");
}

int main(int argc, char **argv) {
    int count = 5;
    bool overdraw = false;
    for (int i = 1; i < argc; i++) {
        if (strcmp(argv[i], "--overdraw") == 0) overdraw = true;
        else if (strcmp(argv[i], "--gl") == 0 && i + 1 < argc) platformUseGlEs(strcmp(argv[++i], "es") == 0);
        else count = atoi(argv[i]);
    }
    if (count < 1) {
        fprintf(stderr, "usage: lightrig_frame_cost [frames per part] [--overdraw] [--gl desktop|es]\n");
        return 2;
    }
    platformSetMusicEnabled(false);
    if (!platformOpenHiddenWindow()) return 1;
    startCaptureClock(BENCH_FPS);
    setCaptureFrame(0);
    const double loadStart = secondsNow(), loadCpuStart = cpuSecondsNow();
    if (!startShow()) return 1;
    startFrameDriver(false);
    const double loadSeconds = secondsNow() - loadStart, loadCpuSeconds = cpuSecondsNow() - loadCpuStart;
    const bool passTimers = enablePassTimers(overdraw);
    int64_t frame = 0;
    const char *names[PART_COUNT] = {"part A", "part C", "part B"};
    double cost[PART_COUNT];
    for (int part = 0; part < PART_COUNT; part++) {
        measurePart(frame, 1, -1);   // the part's first frame sets it up
        cost[part] = measurePart(frame, count, part);
        requestNextPart();   // on to the next part at the end of the next frame
        measurePart(frame, 1, -1);
    }
    printf("renderer: %s\n", (const char *)glGetString(GL_RENDERER));
    printf("loading: %.2f s (CPU %.2f s)\n", loadSeconds, loadCpuSeconds);
    for (int part = 0; part < PART_COUNT; part++)
        printf("%s: %.1f ms per frame, worst %.1f ms, CPU %.1f ms (%d frames, 1920 x 1080, GL finished)\n",
               names[part], cost[part], figures.worstFrame[part], figures.cpuTotal[part] / count, count);
    if (passTimers && overdraw) printOverdrawTable(names, count);
    else if (passTimers) printPassTable(names, count);
    else printf("no timer queries on this GL: no table per pass\n");
    // Asked for only now, so that waiting for the display never enters the figures above.
    const int interval = platformApplySwapInterval();
    printf("swap interval: %d (the show asks for -1, late swaps tearing, then 1; 0 means this driver "
           "cannot sync to the display)\n", interval);
    endShow();
    return 0;
}
