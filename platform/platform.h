// The operating-system services the engine uses: window and GL context, counter, Escape, swap,
// message box, music and the edit mode's keys. A small C-style interface; the engine never sees SDL.
#pragma once
#include <stdint.h>
#include <stdio.h>   // FILE, for the process pipe

// Screen size the show always renders at (pixels).
constexpr int SCREEN_WIDTH = 1920;
constexpr int SCREEN_HEIGHT = 1080;
constexpr float SCREEN_ASPECT = 1.7777778f;   // 16:9 as the perspective set-ups store it

// The first open (of any kind) registers the platform's exit path with atexit: however the process
// ends through exit or a return from main, the music, the context and the window are released and
// the desktop's display mode comes back.
// Display mode, borderless full-screen window and a double-buffered compatibility GL context with
// 8-bit alpha and the deepest depth buffer available. When the display offers no 1920 x 1080 mode
// the window covers the desktop at its own size instead. Returns false when no window or context
// could be made, or when there is no display (SDL's own offscreen fallback does not count unless
// SDL_VIDEODRIVER names it); SDL's reason is printed to stderr.
bool platformOpenWindow();
// Hidden window and context of the show's size, for tests and offline rendering.
bool platformOpenHiddenWindow();
// Resizable desktop window of the given size in pixels, centred, with the same context.
bool platformOpenResizableWindow(int width, int height);
void platformCloseWindow();
// Size in pixels of the window's GL drawable; it may differ from the show's size (desktop full
// screen, a resized window, high-density displays). 0 x 0 without a window.
void platformDrawableSize(int *width, int *height);

// --gl es: every window opened afterwards gets an OpenGL ES 3.0 context (EGL on X11) instead of the
// compatibility profile; opening fails with one line when the machine offers none.
void platformUseGlEs(bool es);
bool platformGlEs();

// GL entry-point lookup for the loader.
void *platformGetProcAddress(const char *name);

int64_t platformCounter();     // performance counter, ticks
int64_t platformFrequency();   // ticks per second

// Escape state in the manner of an asynchronous key query: bit 0x8000 while held, bit 1 when it
// was pressed since the previous query. A window close or SIGTERM/SIGINT counts as a press.
int platformEscapeState();

// Gives the processor away for about ms milliseconds (a paused edit mode).
void platformSleep(int ms);
// Handles pending window-system events so the window stays responsive. Called once per frame.
void platformPumpEvents();
void platformHideCursor();
// Visible windows ask for a swap interval of 1 (late swaps tear instead of waiting a whole frame:
// -1, where the driver offers it) unless switched off before the window opens.
void platformSetVsync(bool enabled);
// Asks the current context for the interval chosen above; returns the one it got (0 when the
// driver cannot sync to the display).
int platformApplySwapInterval();
void platformSwapBuffers();
// Called by platformSwapBuffers right before each swap, with the context current; the engine
// scales its picture into the drawable there. Null removes it.
void platformSetPresentHook(void (*hook)());

// True when a modal message box can be shown without blocking an unattended run: a display is
// present, CI is not set, and the engine has not switched boxes off (tests do).
bool platformMessageBoxAllowed();
void platformSetMessageBoxes(bool enabled);
void platformMessageBox(const char *text, const char *caption);

// Music: the four calls the shell makes. Failures leave a silent show. With music switched off
// (offline rendering) init and load do nothing and no audio device is opened; the timing of the show
// does not change. Loading returns null when the music is ready or there is no device to play it on,
// else the reason the file cannot be played.
void platformSetMusicEnabled(bool enabled);
void platformMusicInit(int frequency);
const char *platformMusicLoad(const char *path);
void platformMusicPlay();
void platformMusicFree();
// Edit mode's music: pause and resume where it stands, start it at a moment (s from its start; paused
// when asked), and put a new file in place of the loaded one (false when it cannot be read: the old
// music stays).
void platformMusicPause();
void platformMusicResume();
void platformMusicPlayFrom(double seconds, bool paused);
bool platformMusicReplace(const char *path);

// Key presses since the last call, oldest first, as Windows virtual-key codes; 0 when none is left.
// A window close or SIGTERM/SIGINT comes as Escape (0x1B). Only the keys of the edit mode are kept.
int platformNextKeyPress();

// Processes and files: the few operating-system calls the offline runs make.
// Starts argv[0] (looked up on the PATH; argv ends with a null) with its standard input on the
// returned stream; on POSIX in its own session, so Ctrl-C reaches only the show. Null when it cannot
// start or the command line is too long. A reader that goes away makes writes fail instead of
// ending the show.
FILE *platformStartWriter(const char *const *argv);
// Closes the stream and waits for the program: true when it exited with status 0.
bool platformFinishWriter(FILE *stream);
// True when a program of that name is on the PATH.
bool platformProgramOnPath(const char *name);
bool platformIsTerminal(FILE *stream);
// True when path is a directory afterwards.
bool platformMakeDirectory(const char *path);
// True when something (file or folder) is at path.
bool platformPathExists(const char *path);
// The folder the process works in, and a change of it; false when it does not fit or fails.
bool platformWorkingFolder(char *folder, int capacity);
bool platformChangeFolder(const char *folder);
// path made absolute against the working folder (copied when it already is); false when it does
// not fit.
bool platformAbsolutePath(const char *path, char *absolute, int capacity);
// The folder that holds the running executable, ending in a separator; false when the system
// cannot tell or it does not fit.
bool platformExecutableFolder(char *folder, int capacity);
// Windows GUI program started from a console: its standard output and error go to that console
// unless they already lead somewhere (a file, a pipe). Nothing elsewhere.
void platformAttachConsole();
// Modification time (ns, any epoch) and size in bytes of a file; false when it cannot be read.
bool platformFileStamp(const char *path, int64_t *modifiedNs, int64_t *bytes);
