// What a jump in edit mode costs: a seek back to 10, 90 and 170 s replayed from the show's start with
// whole warm-up frames (as every jump back did before the snapshots) against one from the nearest
// snapshot with warm-up frames of the carried passes only, the logic's part and the warm-up's apart; the logic step per frame; a two-second loop's turn at 165 s; the
// memory the snapshots hold. Old and new alternate in one run. Run from build/show (it reads data/):
//   xvfb-run -a -s "-screen 0 1920x1080x24" ../bench/lightrig_seek_cost [rounds]
// With `logic ROUNDS` it only replays the logic of the show's first 170 s that many times, to
// profile the step: perf record ../bench/lightrig_seek_cost logic 20
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

#include "core/clock.h"
#include "core/state_blocks.h"
#include "modes/edit.h"      // EDIT_FPS
#include "parts/part_frames.h"   // drawCarriedPassesOnly
#include "platform/gl.h"
#include "platform/platform.h"
#include "shell/frame_driver.h"
#include "shell/present.h"
#include "shell/seek.h"
#include "shell/show.h"
#include "shell/snapshots.h"

constexpr int WARM_UP = 6;   // drawn frames before the target, as the seeks draw
constexpr int TARGET_COUNT = 3;
static const int TARGET_MS[TARGET_COUNT] = {10000, 90000, 170000};

static double msNow() {
    return (double)platformCounter() * 1000.0 / (double)platformFrequency();
}

// CPU time of the calling thread: what the step costs whoever else runs on the machine (the window
// system's side of a round trip to it is not counted).
static double threadCpuMs() {
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return (double)t.tv_sec * 1000.0 + (double)t.tv_nsec / 1.0e6;
}

struct JumpCost {
    double logicMs;
    double warmUpMs;
};

// A jump back to frame from a second after it: the logic up to its warm-up, then the warm-up drawn.
// Before the snapshots a jump replayed from the start and drew its warm-up frames whole, presented.
static JumpCost jumpBack(int64_t frame, bool before) {
    skipToFrame(frame + EDIT_FPS);
    if (before) dropAllSnapshots();
    JumpCost cost;
    double start = msNow();
    skipToFrame(frame - WARM_UP);
    cost.logicMs = msNow() - start;
    start = msNow();
    for (int64_t k = frame - WARM_UP; k < frame; k++) {
        setCaptureFrame(k);
        stepShowFrame();
        drawCarriedPassesOnly(!before);
        drawShowFrame();
        drawCarriedPassesOnly(false);
        if (before) presentShowFrame();
    }
    glFinish();
    cost.warmUpMs = msNow() - start;
    return cost;
}

// The logic of 0..170 s, replayed from the start `rounds` times without a snapshot.
static void replayLogic(int rounds) {
    const int64_t last = frameForMoment(TARGET_MS[TARGET_COUNT - 1], EDIT_FPS);
    const double start = msNow(), startCpu = threadCpuMs();
    for (int r = 0; r < rounds; r++) {
        dropAllSnapshots();
        skipToFrame(0);
        skipToFrame(last);
    }
    const double frames = (double)rounds * (double)last;
    printf("logic step: %.4f ms a frame, %.4f ms of this thread's CPU (%d x %lld frames)\n", (msNow() - start) / frames,
           (threadCpuMs() - startCpu) / frames, rounds, (long long)last);
}

int main(int argc, char **argv) {
    const bool logicOnly = argc > 2 && strcmp(argv[1], "logic") == 0;
    const int rounds = argc > 1 ? atoi(argv[logicOnly ? 2 : 1]) : 1;
    platformSetMusicEnabled(false);
    platformSetMessageBoxes(false);
    startCaptureClock(EDIT_FPS);
    if (!platformOpenHiddenWindow() || !startShow()) return 1;
    startFrameDriver(false);
    setUpPresentation(true);
    if (logicOnly) {
        replayLogic(rounds);
        endShow();
        return 0;
    }

    // The logic alone over the show up to 170 s, from its start.
    const int64_t last = frameForMoment(TARGET_MS[TARGET_COUNT - 1], EDIT_FPS);
    double start = msNow();
    skipToFrame(last);
    const double stepMs = (msNow() - start) / (double)last;

    JumpCost old[TARGET_COUNT] = {}, now[TARGET_COUNT] = {};
    for (int r = 0; r < rounds; r++)
        for (int t = 0; t < TARGET_COUNT; t++) {
            const int64_t frame = frameForMoment(TARGET_MS[t], EDIT_FPS);
            const JumpCost a = jumpBack(frame, true);
            const JumpCost b = jumpBack(frame, false);
            old[t].logicMs += a.logicMs / rounds;
            old[t].warmUpMs += a.warmUpMs / rounds;
            now[t].logicMs += b.logicMs / rounds;
            now[t].warmUpMs += b.warmUpMs / rounds;
        }

    // A loop from 165 to 167 s: each turn seeks back to its start and draws it.
    const int64_t loopStart = frameForMoment(165000, EDIT_FPS), loopEnd = frameForMoment(167000, EDIT_FPS);
    skipToFrame(loopEnd);
    start = msNow();
    stepShowTo(loopStart, ARRIVE_EXACT);
    drawShowFrame();
    glFinish();
    presentShowFrame();
    const double turnMs = msNow() - start;

    printf("logic step: %.4f ms a frame (%lld frames from the start, no drawing)\n", stepMs, (long long)last);
    printf("jump back (ms, mean of %d)   before: logic + warm-up   now: logic + warm-up\n", rounds);
    for (int t = 0; t < TARGET_COUNT; t++)
        printf("  to %5.1f s              %8.1f + %7.1f        %8.1f + %7.1f\n", TARGET_MS[t] / 1000.0,
               old[t].logicMs, old[t].warmUpMs, now[t].logicMs, now[t].warmUpMs);
    printf("loop 165-167 s: %.1f ms at each turn (seek and the first frame drawn)\n", turnMs);
    printf("snapshots: %d kept of %d, %zu bytes each (%d state blocks), %.1f KB held; store reserved %.1f MB\n",
           snapshotCount(), MAX_SNAPSHOTS, stateBytes(), stateBlockCount(), snapshotBytes() / 1024.0,
           MAX_SNAPSHOTS * (double)MAX_SNAPSHOT_BYTES / (1024.0 * 1024.0));
    endShow();
    return 0;
}
