// SDL2 implementation of the platform layer; owns the window, the GL context, the Escape latch and
// the music stream.
#include "platform/platform.h"

#include <SDL.h>
#include <SDL_mixer.h>
#ifdef __EMSCRIPTEN__
#include "platform/platform_web_sdl.h"
#endif
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

constexpr Uint64 ESCAPE_LOOK_MS = 4;     // the Escape state is read from the event queue at most this often
constexpr int KEY_QUEUE_CAPACITY = 64;   // presses between two reads; a frame here lasts up to a second
constexpr int MOUSE_QUEUE_CAPACITY = 16;  // left-button events between two reads; drags are merged

// Windows virtual-key codes of the keys the edit mode reads.
static const struct {
    SDL_Keycode sdl;
    int virtualKey;
} EDIT_KEYS[] = {
    {SDLK_ESCAPE, 0x1B}, {SDLK_SPACE, 0x20}, {SDLK_PAGEUP, 0x21}, {SDLK_PAGEDOWN, 0x22}, {SDLK_HOME, 0x24},
    {SDLK_LEFT, 0x25},   {SDLK_UP, 0x26},    {SDLK_RIGHT, 0x27},  {SDLK_DOWN, 0x28},     {SDLK_h, 0x48},
    {SDLK_l, 0x4C},
};

struct InputEvent {
    int kind;     // a key press's virtual-key code, or MOUSE_PRESS, MOUSE_DRAG or MOUSE_RELEASE
    float x, y;   // of a mouse event: fractions of the window, from its top left
};

// Events not yet read, a ring; the oldest are dropped when it is full.
struct EventRing {
    InputEvent events[KEY_QUEUE_CAPACITY];   // the larger of the capacities; a ring uses `capacity`
    int capacity, first, count;
};

// Filled by the event pump, emptied by the reads; live for the run.
static EventRing keyQueue = {{}, KEY_QUEUE_CAPACITY, 0, 0};       // key presses
static EventRing mouseQueue = {{}, MOUSE_QUEUE_CAPACITY, 0, 0};   // left-button events; a drag keeps its latest position

static struct {
    SDL_Window *window;
    SDL_GLContext context;
    bool escapeLatched;   // Escape went down (or quit was asked) since the last query
    bool quitSeen;        // window closed or SIGTERM/SIGINT: reads as Escape held from then on
    bool messageBoxes = true;
    bool noVsync;            // --no-vsync: swaps never wait for the display
    void (*presentHook)();   // scales the engine's picture into the drawable before a swap
    bool glEs;               // --gl es: OpenGL ES 3.0 contexts (through EGL) instead of compatibility ones
    Uint64 escapeLookMs;     // SDL ticks at the latest pump for the Escape state
} host;

static struct {
    bool disabled;        // offline rendering: no audio device, no music
    bool mixerInit;
    bool audioOpen;
    Mix_Music *music;
} audio;

static void setContextAttributes(int depthBits) {
    if (host.glEs) {
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_ES);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 0);
    } else {
        SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    }
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, depthBits);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
#ifdef __EMSCRIPTEN__
    setWebContextAttributes();
#endif
}

// The one way out for the platform layer: music, context and window go, and SDL_Quit puts the
// desktop's display mode back. Registered with atexit by the first window, so a normal return, an
// Escape during loading, a fatal asset error and SIGTERM (an SDL_QUIT, then a normal end) all pass
// here. Safe to run twice.
static void shutDownPlatform() {
    platformMusicFree();
    platformCloseWindow();
    SDL_Quit();
}

static bool initVideo() {
    static bool exitRegistered = false;
    if (!exitRegistered) {
        atexit(shutDownPlatform);
        exitRegistered = true;
    }
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) return true;
    fprintf(stderr, "platform: SDL video init failed: %s\n", SDL_GetError());
    return false;
}

static bool headlessDriver() {
    const char *driver = SDL_GetCurrentVideoDriver();
    return driver && (strcmp(driver, "offscreen") == 0 || strcmp(driver, "dummy") == 0);
}

// With DISPLAY set, SDL's X11 driver is asked a few more times, a little longer apart each time: an X
// server busy with other programs opening and closing full-screen windows can refuse a connection
// for a moment (seen under Xvfb), and SDL then falls back to its offscreen driver.
static bool initX11VideoWithRetries() {
    if (!getenv("DISPLAY")) return false;
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "x11");
    bool up = false;
    for (int attempt = 0; attempt < 4 && !up; ++attempt) {
        SDL_Delay(50u << attempt);
        up = SDL_InitSubSystem(SDL_INIT_VIDEO) == 0;
    }
    SDL_ResetHint(SDL_HINT_VIDEODRIVER);
    return up;
}

// A visible window needs a display. Without one, SDL falls back to its offscreen driver and the show
// would play to nobody; unless SDL_VIDEODRIVER asked for such a driver, that counts as no display, and
// SDL's reason is the X11 driver's.
static bool initDisplayVideo() {
    if (!initVideo()) return false;
    if (!headlessDriver() || getenv("SDL_VIDEODRIVER")) return true;
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    if (initX11VideoWithRetries()) return true;
    if (!getenv("DISPLAY")) {
        const char *wayland = getenv("WAYLAND_DISPLAY");
        if (wayland) SDL_SetError("the Wayland display %s did not answer", wayland);
        else SDL_SetError("neither DISPLAY nor WAYLAND_DISPLAY is set");
    }
    fprintf(stderr, "platform: SDL video init failed: %s (no display)\n", SDL_GetError());
    return false;
}

// Tries 32 depth bits first, then 24: not every driver offers a 32-bit depth buffer.
static bool createWindowAndContext(Uint32 flags, int x, int y, int width, int height) {
    if (!((flags & SDL_WINDOW_HIDDEN) ? initVideo() : initDisplayVideo())) return false;
    const int depths[] = {32, 24};
    for (int depth : depths) {
        setContextAttributes(depth);
        host.window = SDL_CreateWindow("Lightrig", x, y, width, height, flags | SDL_WINDOW_OPENGL);
        if (!host.window) continue;
        host.context = SDL_GL_CreateContext(host.window);
        if (host.context) {
            SDL_GL_MakeCurrent(host.window, host.context);
            return true;
        }
        SDL_DestroyWindow(host.window);
        host.window = nullptr;
    }
    if (host.glEs) fprintf(stderr, "platform: this machine offers no OpenGL ES 3.0 context: %s\n", SDL_GetError());
    else fprintf(stderr, "platform: no window with an OpenGL context: %s\n", SDL_GetError());
    return false;
}

void platformUseGlEs(bool es) {
    host.glEs = es;
    // X11 would make an ES context through GLX where the driver offers that; EGL is what every other
    // ES platform has, and what Mesa offers without a display.
    if (es) SDL_SetHint(SDL_HINT_VIDEO_X11_FORCE_EGL, "1");
}

bool platformGlEs() {
    return host.glEs;
}

// True when the display that holds the window offers the show's mode exactly; otherwise a mode
// switch would pick some larger mode or fail, and the desktop mode is the better choice.
static bool displayHasShowMode() {
    SDL_DisplayMode want = {};
    want.w = SCREEN_WIDTH;
    want.h = SCREEN_HEIGHT;
    SDL_DisplayMode closest;
    if (!SDL_GetClosestDisplayMode(0, &want, &closest)) return false;
    return closest.w == SCREEN_WIDTH && closest.h == SCREEN_HEIGHT;
}

void platformSetVsync(bool enabled) {
    host.noVsync = !enabled;
}

// On a GPU an unsynced swap tears and renders frames nobody sees; a late frame tears rather than
// waiting for the next refresh where the driver offers that (-1). Software drivers refuse both.
int platformApplySwapInterval() {
    if (host.noVsync) SDL_GL_SetSwapInterval(0);
    else if (SDL_GL_SetSwapInterval(-1) != 0) SDL_GL_SetSwapInterval(1);
    return SDL_GL_GetSwapInterval();
}

bool platformOpenWindow() {
#ifdef __EMSCRIPTEN__
    return createWindowAndContext(WEB_CANVAS_FLAGS, 0, 0, SCREEN_WIDTH, SCREEN_HEIGHT);
#endif
    if (!initDisplayVideo()) return false;
    const Uint32 fullscreen = displayHasShowMode() ? SDL_WINDOW_FULLSCREEN : SDL_WINDOW_FULLSCREEN_DESKTOP;
    if (!createWindowAndContext(fullscreen | SDL_WINDOW_BORDERLESS | SDL_WINDOW_SHOWN | SDL_WINDOW_ALLOW_HIGHDPI,
                                0, 0, SCREEN_WIDTH, SCREEN_HEIGHT))
        return false;
    platformApplySwapInterval();
    return true;
}

// Without an X or Wayland display the hidden window of the offline modes comes from SDL's offscreen
// video driver, whose GL context is an EGL one (Mesa's software device when there is no GPU): a
// server without a desktop records the show with no X server. SDL_VIDEODRIVER set by the user wins.
static void chooseOffscreenDriverWithoutDisplay() {
    if (getenv("DISPLAY") || getenv("WAYLAND_DISPLAY") || getenv("SDL_VIDEODRIVER")) return;
    SDL_SetHint(SDL_HINT_VIDEODRIVER, "offscreen");
}

bool platformOpenHiddenWindow() {
    chooseOffscreenDriverWithoutDisplay();
    return createWindowAndContext(SDL_WINDOW_HIDDEN | SDL_WINDOW_BORDERLESS, 0, 0, SCREEN_WIDTH, SCREEN_HEIGHT);
}

bool platformOpenResizableWindow(int width, int height) {
    if (!createWindowAndContext(SDL_WINDOW_RESIZABLE | SDL_WINDOW_SHOWN | SDL_WINDOW_ALLOW_HIGHDPI,
                                SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height))
        return false;
    platformApplySwapInterval();
    return true;
}

bool platformExecutableFolder(char *folder, int capacity) {
    char *base = SDL_GetBasePath();
    if (!base) return false;
    const bool fits = snprintf(folder, capacity, "%s", base) < capacity;
    SDL_free(base);
    return fits;
}

void platformDrawableSize(int *width, int *height) {
    *width = *height = 0;
    if (host.window) SDL_GL_GetDrawableSize(host.window, width, height);
}

void platformCloseWindow() {
    if (host.context) SDL_GL_DeleteContext(host.context);
    if (host.window) SDL_DestroyWindow(host.window);
    host.context = nullptr;
    host.window = nullptr;
}

void *platformGetProcAddress(const char *name) {
    return SDL_GL_GetProcAddress(name);
}

int64_t platformCounter() {
    return (int64_t)SDL_GetPerformanceCounter();
}

int64_t platformFrequency() {
    return (int64_t)SDL_GetPerformanceFrequency();
}

// The slot of a new event at the ring's end; the oldest event makes room when the ring is full.
static InputEvent &pushEvent(EventRing &ring) {
    if (ring.count == ring.capacity) {
        ring.first = (ring.first + 1) % ring.capacity;
        ring.count--;
    }
    return ring.events[(ring.first + ring.count++) % ring.capacity];
}

// The newest event not yet read, null when there is none.
static InputEvent *newestEvent(EventRing &ring) {
    return ring.count > 0 ? &ring.events[(ring.first + ring.count - 1) % ring.capacity] : nullptr;
}

static bool popEvent(EventRing &ring, InputEvent *event) {
    if (ring.count == 0) return false;
    *event = ring.events[ring.first];
    ring.first = (ring.first + 1) % ring.capacity;
    ring.count--;
    return true;
}

static void queueKey(int virtualKey) {
    pushEvent(keyQueue) = {virtualKey, 0.0f, 0.0f};
}

static void queueEditKey(const SDL_KeyboardEvent &key) {
    if (key.repeat) return;
    for (const auto &k : EDIT_KEYS)
        if (k.sdl == key.keysym.sym) queueKey(k.virtualKey);
}

static void queueMouse(int kind, int x, int y) {
    int width = 0, height = 0;
    if (host.window) SDL_GetWindowSize(host.window, &width, &height);
    if (width <= 0 || height <= 0) return;
    InputEvent *newest = newestEvent(mouseQueue);
    InputEvent &event = kind == MOUSE_DRAG && newest && newest->kind == MOUSE_DRAG ? *newest : pushEvent(mouseQueue);
    event = {kind, (float)x / (float)width, (float)y / (float)height};
}

static void queueMouseEvent(const SDL_Event &event) {
    if (event.type == SDL_MOUSEBUTTONDOWN && event.button.button == SDL_BUTTON_LEFT)
        queueMouse(MOUSE_PRESS, event.button.x, event.button.y);
    else if (event.type == SDL_MOUSEBUTTONUP && event.button.button == SDL_BUTTON_LEFT)
        queueMouse(MOUSE_RELEASE, event.button.x, event.button.y);
    else if (event.type == SDL_MOUSEMOTION && (event.motion.state & SDL_BUTTON_LMASK))
        queueMouse(MOUSE_DRAG, event.motion.x, event.motion.y);
}

int platformNextMouseEvent(float *x, float *y) {
    platformPumpEvents();
    InputEvent event;
    if (!popEvent(mouseQueue, &event)) return 0;
    *x = event.x;
    *y = event.y;
    return event.kind;
}

void platformPumpEvents() {
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if (event.type == SDL_QUIT) {
            host.quitSeen = true;
            host.escapeLatched = true;
            queueKey(0x1B);
        } else if (event.type == SDL_KEYDOWN) {
            if (event.key.keysym.sym == SDLK_ESCAPE) host.escapeLatched = true;
            queueEditKey(event.key);
        } else {
            queueMouseEvent(event);
        }
    }
}

int platformNextKeyPress() {
    platformPumpEvents();
    InputEvent event;
    return popEvent(keyQueue, &event) ? event.kind : 0;
}

int platformEscapeState() {
    // A seek steps thousands of frames a second and each look at the window system's queue is a
    // round trip to it: between looks this close together the state of the latest one holds.
    const Uint64 now = SDL_GetTicks64();
    if (now - host.escapeLookMs >= ESCAPE_LOOK_MS) {
        platformPumpEvents();
        host.escapeLookMs = now;
    }
    int state = 0;
    const Uint8 *keys = SDL_GetKeyboardState(nullptr);
    if (host.quitSeen || (keys && keys[SDL_SCANCODE_ESCAPE])) state |= 0x8000;
    if (host.escapeLatched) state |= 1;
    host.escapeLatched = false;
    return state;
}

void platformSleep(int ms) {
    SDL_Delay((Uint32)ms);
}

void platformHideCursor() {
    SDL_ShowCursor(SDL_DISABLE);
}

void platformSwapBuffers() {
    if (host.window) {
        if (host.presentHook) host.presentHook();
        SDL_GL_SwapWindow(host.window);
    }
#ifdef __EMSCRIPTEN__
    showSwapOnPage();
#endif
    platformPumpEvents();
}

void platformSetPresentHook(void (*hook)()) {
    host.presentHook = hook;
}

bool platformMessageBoxAllowed() {
#ifdef _WIN32
    const bool display = true;   // a Windows program always runs on a desktop
#else
    const bool display = getenv("DISPLAY") || getenv("WAYLAND_DISPLAY");
#endif
    return host.messageBoxes && display && !getenv("CI");
}

void platformSetMessageBoxes(bool enabled) {
    host.messageBoxes = enabled;
}

void platformMessageBox(const char *text, const char *caption) {
    if (!platformMessageBoxAllowed()) return;
    SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption, text, nullptr);
}

void platformSetMusicEnabled(bool enabled) {
    audio.disabled = !enabled;
}

void platformMusicInit(int frequency) {
    if (audio.disabled) return;
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return;
    Mix_Init(MIX_INIT_MP3);
    audio.mixerInit = true;
    audio.audioOpen = Mix_OpenAudio(frequency, MIX_DEFAULT_FORMAT, 2, 2048) == 0;
}

const char *platformMusicLoad(const char *path) {
    if (!audio.audioOpen || audio.disabled) return nullptr;
    audio.music = Mix_LoadMUS(path);
    return audio.music ? nullptr : Mix_GetError();
}

void platformMusicPlay() {
    if (audio.music) Mix_PlayMusic(audio.music, 1);
}

void platformMusicFree() {
    if (audio.music) Mix_FreeMusic(audio.music);
    audio.music = nullptr;
    if (audio.audioOpen) Mix_CloseAudio();
    audio.audioOpen = false;
    if (audio.mixerInit) Mix_Quit();
    audio.mixerInit = false;
}

void platformMusicPause() {
    if (audio.music) Mix_PauseMusic();
}

void platformMusicResume() {
    if (audio.music) Mix_ResumeMusic();
}

void platformMusicPlayFrom(double seconds, bool paused) {
    if (!audio.music) return;
    Mix_FadeInMusicPos(audio.music, 1, 0, seconds);
    if (paused) Mix_PauseMusic();
}

bool platformMusicReplace(const char *path) {
    if (!audio.audioOpen) return false;
    Mix_Music *music = Mix_LoadMUS(path);
    if (!music) return false;
    Mix_HaltMusic();
    if (audio.music) Mix_FreeMusic(audio.music);
    audio.music = music;
    return true;
}
