// Owns the parsed command line. The parsing library works with exceptions and standard strings; both
// stay inside parseOptions, which turns them into the fixed fields of options.
#include "shell/options.h"

#include <math.h>
#include <stdio.h>
#include <string.h>

#include <CLI/CLI.hpp>   // the command-line parser (Debian's CLI11)
#include <string>
#include <vector>

#include "core/diagnostics.h"

static const ShowOptions DEFAULT_OPTIONS = {
    RUN_SHOW, "", DEFAULT_CAPTURE_FPS, -1, 0, {}, DEFAULT_WINDOW_WIDTH, DEFAULT_WINDOW_HEIGHT,
};

ShowOptions options = DEFAULT_OPTIONS;

static bool copyPath(const std::string &path, const char *what) {
    if (path.empty() || path.size() >= sizeof options.output) {
        logError("%s: the name is empty or longer than %d bytes\n", what, MAX_OPTION_PATH - 1);
        return false;
    }
    memcpy(options.output, path.c_str(), path.size() + 1);
    return true;
}

// "1280x720" (or "1280X720") into the window size.
static bool parseWindowSize(const std::string &text) {
    int width = 0, height = 0;
    char separator = 0, trailing = 0;
    if (sscanf(text.c_str(), "%d%c%d%c", &width, &separator, &height, &trailing) != 3 ||
        (separator != 'x' && separator != 'X') || width < 1 || height < 1 || width > MAX_WINDOW_SIZE ||
        height > MAX_WINDOW_SIZE) {
        logError("--size: expected WIDTHxHEIGHT in pixels (1 to %d each), got \"%s\"\n", MAX_WINDOW_SIZE,
                 text.c_str());
        return false;
    }
    options.windowWidth = width;
    options.windowHeight = height;
    return true;
}

// Seconds of show time into whole ms, sorted ascending without duplicates.
static bool storeMoments(const std::vector<double> &seconds) {
    if (seconds.empty() || seconds.size() > (size_t)MAX_MOMENTS) {
        logError("--at: give 1 to %d moments\n", MAX_MOMENTS);
        return false;
    }
    options.momentCount = 0;
    for (double s : seconds) {
        if (!(s >= 0.0) || s * 1000.0 > MAX_MOMENT_MS) {
            logError("--at: %g is not a moment of the show (seconds from 0 to %d)\n", s, MAX_MOMENT_MS / 1000);
            return false;
        }
        const int ms = (int)lround(s * 1000.0);
        int at = options.momentCount;
        while (at > 0 && options.momentMs[at - 1] > ms) at--;
        if (at > 0 && options.momentMs[at - 1] == ms) continue;
        memmove(&options.momentMs[at + 1], &options.momentMs[at], (options.momentCount - at) * sizeof(int));
        options.momentMs[at] = ms;
        options.momentCount++;
    }
    return true;
}

int parseOptions(int argc, const char *const *argv) {
    options = DEFAULT_OPTIONS;
    CLI::App app{"Lightrig, a real-time light-rig show. Without options it plays full screen at 1920 x 1080 "
                 "until Escape or its end.",
                 "lightrig"};
    std::string capture, frames, size;
    std::vector<double> moments;
    double durationSeconds = 0.0;
    int fps = DEFAULT_CAPTURE_FPS;
    bool windowed = false, editMode = false;

    CLI::Option *captureOption =
        app.add_option("--capture", capture,
                       "Render the whole show offline with a fixed-step clock and write it to FILE "
                       "(H.264 1920x1080 MP4 with music.mp3, through ffmpeg)")
            ->type_name("FILE");
    CLI::Option *framesOption =
        app.add_option("--frames", frames,
                       "Write PNG pictures of the moments given by --at to DIR (DIR/frame-T.png), then exit")
            ->type_name("DIR");
    CLI::Option *atOption =
        app.add_option("--at", moments, "Moments for --frames: seconds of show time from the first frame")
            ->type_name("T1,T2,...")
            ->delimiter(',');
    CLI::Option *fpsOption =
        app.add_option("--fps", fps, "Frames per second of the fixed-step clock of --capture and --frames "
                                     "(default 60)")
            ->type_name("N")
            ->check(CLI::Range(1, MAX_CAPTURE_FPS));
    CLI::Option *durationOption =
        app.add_option("--duration", durationSeconds, "Stop the capture after this many seconds of show")
            ->type_name("SECONDS")
            ->check(CLI::PositiveNumber);
    CLI::Option *windowedOption =
        app.add_flag("--windowed", windowed, "Play in a resizable window; the picture is scaled with its "
                                             "aspect ratio kept");
    CLI::Option *editOption =
        app.add_flag("--edit", editMode, "Edit mode in a resizable window, from --at T (one moment): Space pauses, "
                                         "Left/Right jump a second, Up/Down a sync row, Page Up/Down a part, "
                                         "Home to the start, L loops, H shows the overlay; changed files reload");
    CLI::Option *sizeOption =
        app.add_option("--size", size, "Initial window size for --windowed and --edit (default 1280x720)")
            ->type_name("WxH");

    captureOption->excludes(framesOption)->excludes(windowedOption)->excludes(editOption);
    framesOption->excludes(windowedOption)->excludes(editOption)->needs(atOption);
    windowedOption->excludes(editOption);
    durationOption->needs(captureOption);

    try {
        app.parse(argc, argv);
    } catch (const CLI::Success &) {
        logOut("%s", app.help().c_str());
        return 0;
    } catch (const CLI::ParseError &error) {
        logError("lightrig: %s\n\n%s", error.what(), app.help().c_str());
        return 2;
    }

    bool good = true;
    if (atOption->count() > 0 && framesOption->count() == 0 && !editMode) {
        logError("--at: only --frames and --edit take moments\n");
        good = false;
    }
    if (sizeOption->count() > 0 && !windowed && !editMode) {
        logError("--size: only --windowed and --edit open a window\n");
        good = false;
    }
    if (fpsOption->count() > 0 && capture.empty() && frames.empty()) {
        logError("--fps: only --capture and --frames use a fixed-step clock\n");
        good = false;
    }
    options.fps = fps;
    if (!capture.empty() || captureOption->count() > 0) {
        options.mode = RUN_CAPTURE;
        good = good && copyPath(capture, "--capture");
        if (durationOption->count() > 0)
            options.durationMs = (int)lround(fmax(1.0, fmin(durationSeconds * 1000.0, (double)MAX_MOMENT_MS)));
    } else if (framesOption->count() > 0) {
        options.mode = RUN_FRAMES;
        good = good && copyPath(frames, "--frames") && storeMoments(moments);
    } else if (editMode) {
        options.mode = RUN_EDIT;
        if (sizeOption->count() > 0) good = good && parseWindowSize(size);
        if (atOption->count() > 0) {
            good = good && storeMoments(moments);
            if (good && options.momentCount != 1) {
                logError("--at: --edit starts at one moment\n");
                good = false;
            }
        }
    } else if (windowed) {
        options.mode = RUN_WINDOWED;
        if (sizeOption->count() > 0) good = good && parseWindowSize(size);
    }
    if (!good) {
        logError("\n%s", app.help().c_str());
        return 2;
    }
    return -1;
}
