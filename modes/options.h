// Command-line options. Without any the show plays full screen; everything else is asked for:
// an offline video capture, pictures of chosen moments, a resizable window. Owns the parsed options,
// written once by parseOptions before anything else runs.
#pragma once

constexpr int MAX_MOMENTS = 256;          // --at values; more pictures than anyone scripts by hand
constexpr int MAX_OPTION_PATH = 1024;     // bytes of a --capture file or --frames directory name
constexpr int DEFAULT_CAPTURE_FPS = 60;
constexpr int MAX_CAPTURE_FPS = 1000;     // one frame per ms of show time
constexpr int MAX_MOMENT_MS = 24 * 3600 * 1000;
constexpr int DEFAULT_WINDOW_WIDTH = 1280;
constexpr int DEFAULT_WINDOW_HEIGHT = 720;
constexpr int MAX_WINDOW_SIZE = 16384;    // pixels per side

enum RunMode {
    RUN_SHOW,       // full screen, real time
    RUN_WINDOWED,   // resizable window, real time
    RUN_CAPTURE,    // offline, every frame to a video file
    RUN_FRAMES,     // offline, PNG pictures of chosen moments
    RUN_EDIT,       // resizable window, the makers' edit mode from momentMs[0]
};

struct ShowOptions {
    RunMode mode;
    char output[MAX_OPTION_PATH];    // the video file (capture) or the picture directory (frames)
    int fps;                         // frames per second of the fixed-step clock
    int durationMs;                  // capture: stop after this much show time; -1 runs to the end
    int momentCount;
    int momentMs[MAX_MOMENTS];       // frames: ms from the first frame, ascending, no duplicates;
                                     // edit: the one moment to start at (0 without --at)
    int windowWidth, windowHeight;   // windowed: initial window size in pixels
    bool vsync;                      // swaps wait for the display (--no-vsync turns it off)
    // A range of the fixed-step run (--from / --to): ms from the first frame; -1 when not given
    // (from the start, to the end). --frames writes every frame of it, --capture records it.
    int fromMs, toMs;
    bool glEs;   // --gl es: an OpenGL ES 3.0 context, drawn through the stand-in for the compatibility profile
    bool loop;   // --loop: the show (full screen or windowed) starts again at its end, until Escape
};

// "lightrig" and the version it was built as: the project's version, with the commit when built
// from a clone.
extern const char *const LIGHTRIG_VERSION_LINE;

extern ShowOptions options;

// Fills options from the arguments (every field starts from its default). Returns -1 when the program should go on; otherwise the exit
// status: 0 after --help or --version (printed on stdout), 2 after bad arguments (the problem and the usage on
// stderr).
int parseOptions(int argc, const char *const *argv);
