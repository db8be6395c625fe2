// Owns the offline runs: the picture buffer, the pipe to the video encoder and the progress line.
// Everything here lives for one capture run; the show's own state is the same as in real time.
#include "modes/capture.h"

#include <errno.h>
#include <math.h>
#include <stdio.h>
#include <string.h>

#include "core/clock.h"
#include "core/diagnostics.h"
#include "modes/options.h"
#include "modes/png_writer.h"
#include "platform/platform.h"
#include "shell/dispatcher.h"   // quitRequested
#include "shell/frame_driver.h"
#include "shell/present.h"
#include "shell/show.h"
#include "shell/sync_track.h"   // where the show ends: the progress line's length

constexpr int PICTURE_BYTES = SCREEN_WIDTH * SCREEN_HEIGHT * 3;   // RGB, 8 bits per channel
constexpr int PIPE_BUFFER_BYTES = 1 << 20;
constexpr double PROGRESS_INTERVAL_S = 0.25;                      // terminal redraws at most this often
constexpr int PROGRESS_BAR_CELLS = 30;
static const char MUSIC_FILE[] = "music.mp3";

static unsigned char picture[PICTURE_BYTES];   // the frame just rendered, rows from the bottom up

static struct {
    FILE *pipe;
    char buffer[PIPE_BUFFER_BYTES];
} encoder;

// Reset at the start of each run.
static struct {
    const char *label;
    int64_t totalFrames;     // 0 when the length of the run is not known
    int64_t startCounter;    // wall clock, never the driven one
    double lastDrawn;        // s of wall time at the latest redraw
    int lastDecile;          // progress printed in tenths when stderr is not a terminal
    int64_t lastPrinted;     // framesDone of the latest line
    bool terminal;
} progress;

// --- picture names ----------------------------------------------------------------------------

void rangePictureName(char *name, int capacity, const char *dir, int64_t frame) {
    snprintf(name, capacity, "%s/frame-%06lld.png", dir, (long long)frame);
}

void momentPictureName(char *name, int capacity, const char *dir, int ms) {
    char seconds[32];
    snprintf(seconds, sizeof seconds, "%d.%03d", ms / 1000, ms % 1000);
    // 12.500 -> 12.5, 3.000 -> 3
    size_t length = strlen(seconds);
    while (seconds[length - 1] == '0') seconds[--length] = '\0';
    if (seconds[length - 1] == '.') seconds[--length] = '\0';
    snprintf(name, capacity, "%s/frame-%s.png", dir, seconds);
}

// --- progress line -----------------------------------------------------------------------------

static double wallSeconds() {
    return (double)(platformCounter() - progress.startCounter) / (double)platformFrequency();
}

static void startProgress(const char *label, int64_t totalFrames) {
    progress.label = label;
    progress.totalFrames = totalFrames;
    progress.startCounter = platformCounter();
    progress.lastDrawn = -PROGRESS_INTERVAL_S;
    progress.lastDecile = -1;
    progress.lastPrinted = -1;
    progress.terminal = platformIsTerminal(stderr);
}

static void formatClock(char *text, int capacity, double seconds) {
    const int whole = (int)seconds;
    snprintf(text, capacity, "%d:%02d", whole / 60, whole % 60);
}

// framesDone frames of the run are written; last forces the final state out.
static void showProgress(int64_t framesDone, int showMs, bool last) {
    const double wall = wallSeconds();
    const int64_t total = progress.totalFrames > framesDone ? progress.totalFrames : framesDone;
    const double fraction = progress.totalFrames > 0 ? (double)framesDone / (double)total : 0.0;
    if (progress.terminal) {
        if (!last && wall - progress.lastDrawn < PROGRESS_INTERVAL_S) return;
    } else {
        const int decile = (int)(fraction * 10.0);
        if (!last && (progress.totalFrames == 0 || decile == progress.lastDecile)) return;
        if (last && framesDone == progress.lastPrinted) return;
        progress.lastDecile = decile;
    }
    progress.lastDrawn = wall;
    progress.lastPrinted = framesDone;

    char elapsed[16], remaining[16] = "?:??";
    formatClock(elapsed, sizeof elapsed, wall);
    if (framesDone > 0 && progress.totalFrames > 0)
        formatClock(remaining, sizeof remaining, wall * (double)(total - framesDone) / (double)framesDone);
    char bar[PROGRESS_BAR_CELLS + 1];
    const int filled = (int)(fraction * PROGRESS_BAR_CELLS);
    for (int i = 0; i < PROGRESS_BAR_CELLS; i++) bar[i] = i < filled ? '#' : '-';
    bar[PROGRESS_BAR_CELLS] = '\0';

    const char *start = progress.terminal ? "\r" : "";
    const char *end = progress.terminal && !last ? "" : "\n";
    if (progress.totalFrames > 0) {
        logError("%s%s [%s] %3d%%  frame %lld/%lld  show %d.%ds  elapsed %s  remaining %s   %s", start,
                 progress.label, bar, (int)(fraction * 100.0), (long long)framesDone, (long long)total,
                 showMs / 1000, showMs % 1000 / 100, elapsed, remaining, end);
    } else {
        logError("%s%s frame %lld  show %d.%ds  elapsed %s   %s", start, progress.label, (long long)framesDone,
                 showMs / 1000, showMs % 1000 / 100, elapsed, end);
    }
}

// --- shared start-up of the offline runs ------------------------------------------------------

// Hidden window of the show's size (the picture is drawn exactly as full screen), no audio device,
// no message boxes, fixed-step clock, loading. Returns false when the show ends before its first
// frame.
static bool startOfflineShow() {
    platformSetMusicEnabled(false);
    platformSetMessageBoxes(false);
    startCaptureClock(options.fps);
    // Without an ES 3.0 context the platform's own line has said so.
    if (!platformOpenHiddenWindow())
        fatalExit(1, "%s", platformGlEs() ? "" : "capture: no window to render in (no display? run under xvfb-run)\n");
    if (!startShow()) return false;
    startFrameDriver(false);
    return true;
}

// --- video ------------------------------------------------------------------------------------

// Raw RGB frames on stdin, H.264 in yuv420p out, music from the first frame's moment (0 s for a
// whole capture: the music starts with the first frame), cut or padded with silence to the length of the video. Ctrl-C reaches only the show (see
// platformStartWriter), which then finishes the file properly.
static bool openEncoder(const char *path, int fps, bool withMusic, int64_t firstFrame) {
    char size[32], rate[16], musicStart[32];
    snprintf(size, sizeof size, "%dx%d", SCREEN_WIDTH, SCREEN_HEIGHT);
    snprintf(rate, sizeof rate, "%d", fps);
    // A segment's music starts where its first frame is in the show.
    snprintf(musicStart, sizeof musicStart, "%.6f", (double)firstFrame / (double)fps);
    const char *argv[48];
    int argc = 0;
    const char *const input[] = {"ffmpeg", "-hide_banner", "-nostats", "-loglevel", "error", "-y",
                                 "-fflags", "+bitexact", "-f", "rawvideo", "-pix_fmt", "rgb24",
                                 "-video_size", size, "-framerate", rate, "-i", "pipe:0"};
    for (const char *a : input) argv[argc++] = a;
    if (withMusic) {
        const char *const music[] = {"-ss", musicStart, "-i", MUSIC_FILE, "-map", "0:v:0", "-map", "1:a:0", "-af", "apad",
                                     "-shortest", "-c:a", "aac", "-b:a", "192k", "-flags:a", "+bitexact"};
        for (const char *a : music) argv[argc++] = a;
    }
    const char *const video[] = {"-c:v", "libx264", "-preset", "medium", "-crf", "18", "-pix_fmt", "yuv420p",
                                 "-flags:v", "+bitexact", "-movflags", "+faststart", path, nullptr};
    for (const char *a : video) argv[argc++] = a;
    errno = 0;
    encoder.pipe = platformStartWriter(argv);
    if (!encoder.pipe) {
        logError("capture: can't start ffmpeg: %s\n", errno ? strerror(errno) : "the output name is too long");
        return false;
    }
    setvbuf(encoder.pipe, encoder.buffer, _IOFBF, sizeof encoder.buffer);
    return true;
}

// GL rows run from the bottom up, video rows from the top down.
static bool writeVideoFrame() {
    const int rowBytes = SCREEN_WIDTH * 3;
    for (int y = SCREEN_HEIGHT - 1; y >= 0; y--)
        if (fwrite(picture + (size_t)y * rowBytes, 1, rowBytes, encoder.pipe) != (size_t)rowBytes) return false;
    return true;
}

// Returns true when the encoder finished the file.
static bool closeEncoder() {
    const bool finished = platformFinishWriter(encoder.pipe);
    encoder.pipe = nullptr;
    return finished;
}

int runCapture() {
    if (!platformProgramOnPath("ffmpeg")) {
        logError("capture: ffmpeg is not on the PATH; install ffmpeg to record a video\n");
        return 2;
    }
    // Fail before loading, not after it, when the file cannot be written; ffmpeg replaces it.
    FILE *probe = fopen(options.output, "wb");
    if (!probe) {
        logError("capture: can't create %s: %s\n", options.output, strerror(errno));
        return 1;
    }
    fclose(probe);
    if (!startOfflineShow()) {
        logError("capture: the show ended before its first frame; nothing written\n");
        return 1;
    }
    FILE *music = fopen(MUSIC_FILE, "rb");
    const bool withMusic = music != nullptr;
    if (music) fclose(music);
    if (!withMusic) logError("capture: no %s here, the video will be silent\n", MUSIC_FILE);
    const int64_t firstFrame = options.fromMs > 0 ? firstFrameFrom(options.fromMs, options.fps) : 0;
    if (!openEncoder(options.output, options.fps, withMusic, firstFrame)) return 1;

    // Frames the run will have: up to the duration asked for or the end of the range, or to the
    // quitting frame after the sync table's exit row (an estimate, for the progress line only).
    int64_t frameLimit = -1;
    if (options.durationMs >= 0) frameLimit = ((int64_t)options.durationMs * options.fps + 999) / 1000;
    if (options.toMs >= 0) frameLimit = lastFrameTo(options.toMs, options.fps) - firstFrame + 1;
    int64_t expected = frameLimit > 0 ? frameLimit : 0;
    const int endMs = syncEndMs();
    if (endMs >= 0) {
        const int64_t showFrames = ((int64_t)endMs * options.fps + 999) / 1000 + 2 - firstFrame;
        if (expected == 0 || showFrames < expected) expected = showFrames;
    }
    startProgress("capture", expected);

    bool pipeOk = true;
    int64_t frame = 0;   // frames written
    while (frameLimit != 0) {
        if (stepShowTo(firstFrame + frame, ARRIVE_EXACT) == FRAME_ENDED) break;
        drawShowFrame();
        readShowPicture(picture);
        pipeOk = writeVideoFrame();
        if (!pipeOk) break;
        presentShowFrame();
        frame++;
        showProgress(frame, elapsedMs() - showStartTime, false);
        if (quitRequested || frame == frameLimit) break;
    }
    showProgress(frame, elapsedMs() - showStartTime, true);
    endShow();
    const bool finished = closeEncoder();
    if (!pipeOk || !finished) {
        logError("capture: ffmpeg did not finish %s (is ffmpeg installed? see its message above)\n",
                 options.output);
        return 1;
    }
    logOut("capture: %lld frames at %d fps (%.3f s) written to %s\n", (long long)frame, options.fps,
           (double)frame / options.fps, options.output);
    return 0;
}

// --- pictures -----------------------------------------------------------------------------------

static bool makeDirectory(const char *path) {
    if (platformMakeDirectory(path)) return true;
    logError("frames: can't create the directory %s: %s\n", path, strerror(errno));
    return false;
}

// One picture per moment, in the order given: a seek to each moment's frame, which is then drawn.
static int writeMoments() {
    int64_t lastFrame = 0;
    for (int i = 0; i < options.momentCount; i++)
        if (frameForMoment(options.momentMs[i], options.fps) > lastFrame) lastFrame = frameForMoment(options.momentMs[i], options.fps);
    startProgress("frames", lastFrame + 1);
    int next = 0;   // first moment not yet written
    while (next < options.momentCount && !quitRequested) {
        const int64_t frame = frameForMoment(options.momentMs[next], options.fps);
        if (stepShowTo(frame, ARRIVE_EXACT) == FRAME_ENDED) break;
        drawShowFrame();
        readShowPicture(picture);
        // Moments closer together than a frame share it.
        while (next < options.momentCount && frameForMoment(options.momentMs[next], options.fps) == frame) {
            char name[MAX_OPTION_PATH + 64];
            momentPictureName(name, sizeof name, options.output, options.momentMs[next]);
            if (!writePng(name, picture, SCREEN_WIDTH, SCREEN_HEIGHT)) return -1;
            next++;
        }
        presentShowFrame();
        showProgress(steppedFrameCount(), elapsedMs() - showStartTime, false);
    }
    return next;
}

// Every frame of the range, from a seek to its first frame.
static int writeRange(int64_t *firstMissing) {
    const int64_t first = options.fromMs > 0 ? firstFrameFrom(options.fromMs, options.fps) : 0;
    const int64_t last = options.toMs >= 0 ? lastFrameTo(options.toMs, options.fps) : INT64_MAX;
    startProgress("frames", last == INT64_MAX ? 0 : last - first + 1);
    int written = 0;
    int64_t frame = first;
    for (; frame <= last && !quitRequested; frame++) {
        if (stepShowTo(frame, ARRIVE_EXACT) == FRAME_ENDED) break;
        drawShowFrame();
        readShowPicture(picture);
        char name[MAX_OPTION_PATH + 64];
        rangePictureName(name, sizeof name, options.output, frame);
        if (!writePng(name, picture, SCREEN_WIDTH, SCREEN_HEIGHT)) return -1;
        written++;
        presentShowFrame();
        showProgress(frame - first + 1, elapsedMs() - showStartTime, false);
    }
    // A range without an end runs until the show ends; one with an end must reach it.
    *firstMissing = frame <= last && last != INT64_MAX ? frame : -1;
    return written;
}

int runFrameCapture() {
    if (!makeDirectory(options.output)) return 1;
    const bool started = startOfflineShow();
    if (!started) quitRequested = 1;
    const bool range = options.momentCount == 0;
    int64_t firstMissing = -1;
    const int written = range ? writeRange(&firstMissing) : writeMoments();
    showProgress(steppedFrameCount(), elapsedMs() - showStartTime, true);
    endShow();
    if (written < 0) return 1;
    if (!range && written < options.momentCount) {
        logError("frames: the show ended after %.3f s, before the moment %.3f s; %d picture(s) not written\n",
                 (double)(elapsedMs() - showStartTime) / 1000.0, options.momentMs[written] / 1000.0,
                 options.momentCount - written);
        return 1;
    }
    if (range && firstMissing >= 0) {
        logError("frames: the show ended after %.3f s, before frame %lld of the range; %d picture(s) written\n",
                 (double)(elapsedMs() - showStartTime) / 1000.0, (long long)firstMissing, written);
        return 1;
    }
    logOut("frames: %d picture(s) written to %s\n", written, options.output);
    return 0;
}
