// The browser's frame loop, the page's hooks and the canvas's context as the browser takes it away
// and gives it back (web build only).
#include "platform/platform_web.h"

#include <emscripten.h>
#include <emscripten/html5_webgl.h>   // the context's lost and restored events

#include "platform/platform.h"   // the music pauses while the context is away
#include "platform/platform_web_sdl.h"

constexpr int CONTEXT_WAIT_MS = 50;   // how often loading looks whether the context is back

static bool framesRunning = false;

// Set by the canvas's events, read by the frame loop and by loading's swaps; once per run.
static struct {
    bool listening;
    bool lost;         // between the lost event and the restored one
    int generation;    // contexts given back so far: every GL object made before is gone
} context;

// What the browser says synchronously (the lost event comes later, as a task of its own): a call on a
// lost context makes nothing, and WebGL throws on the nothing handed on.
static bool contextLostNow() {
    return context.lost || EM_ASM_INT({ return (typeof GLctx != 'undefined' && GLctx && GLctx.isContextLost()) ? 1 : 0; });
}

static EM_BOOL onContextLost(int, const void *, void *) {
    context.lost = true;
    platformMusicPause();
    return EM_TRUE;   // the default would be a context that never comes back
}

// The runtime's own view of the context starts again too: the extensions WebGL forgot, the scratch
// buffers it keeps for client-side arrays, and the bindings it follows to tell a pointer from an
// offset into a bound buffer (a new context has none bound).
static EM_BOOL onContextRestored(int, const void *, void *) {
    EM_ASM({
        var current = GL.currentContext;
        if (!current) return;
        current.initExtensionsDone = false;
        GL.initExtensions(current);
        if (GL.generateTempBuffers) GL.generateTempBuffers(false, current);
        if (current.clientBuffers)
            for (var i = 0; i < current.clientBuffers.length; i++) {
                current.clientBuffers[i].enabled = false;
                current.clientBuffers[i].clientside = false;
            }
        var gl = current.GLctx;
        gl.currentArrayBufferBinding = 0;
        gl.currentElementArrayBufferBinding = 0;
        gl.currentPixelPackBufferBinding = 0;
        gl.currentPixelUnpackBufferBinding = 0;
        gl.currentProgram = null;
    });
    context.lost = false;
    context.generation++;
    return EM_TRUE;
}

// The page ends the show where the browser keeps Escape to itself (leaving full screen): the same
// key press the canvas would have had.
extern "C" EMSCRIPTEN_KEEPALIVE void lightrigPressEscape() {
    SDL_Event event = {};
    event.type = SDL_KEYDOWN;
    event.key.state = SDL_PRESSED;
    event.key.keysym.sym = SDLK_ESCAPE;
    event.key.keysym.scancode = SDL_SCANCODE_ESCAPE;
    SDL_PushEvent(&event);
}

void setWebContextAttributes() {
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 0);
    if (context.listening) return;
    context.listening = true;
    emscripten_set_webglcontextlost_callback("#canvas", nullptr, EM_FALSE, onContextLost);
    emscripten_set_webglcontextrestored_callback("#canvas", nullptr, EM_FALSE, onContextRestored);
}

// Loading waits here while the context is away, and goes on with it back (what it made before is
// gone: the frame loop makes everything again before the first frame).
void showSwapOnPage() {
    if (framesRunning) return;
    emscripten_sleep(0);
    while (contextLostNow()) emscripten_sleep(CONTEXT_WAIT_MS);
}

bool platformContextLost() {
    return contextLostNow();
}

int platformContextGeneration() {
    return context.generation;
}

void platformShowContextBack() {
    EM_ASM({ if (Module.onContextBack) Module.onContextBack(); });
}

void platformRunFrames(void (*frame)()) {
    framesRunning = true;
    // 0 fps: requestAnimationFrame. The caller's stack is given up (the call does not return), so
    // that the runtime stays alive when main ends.
    emscripten_set_main_loop(frame, 0, 1);
}

void platformKeepPage() {
    emscripten_exit_with_live_runtime();
}

void platformStopFrames() {
    emscripten_cancel_main_loop();
    framesRunning = false;
}

void platformShowFrameNumber(int64_t frame) {
    EM_ASM({ document.body.dataset.frame = String($0); }, (double)frame);
}

void platformShowFrameCost(const char *figures) {
    EM_ASM({ document.body.dataset.frameCost = UTF8ToString($0); }, figures);
}

void platformShowEnded(int status) {
    EM_ASM({ if (Module.onShowEnded) Module.onShowEnded($0); }, status);
}

double platformPageMs() {
    return emscripten_get_now();
}
