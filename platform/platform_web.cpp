// The browser's frame loop and the page's hooks (web build only).
#include "platform/platform_web.h"

#include <emscripten.h>

#include "platform/platform_web_sdl.h"

static bool framesRunning = false;

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
}

void showSwapOnPage() {
    if (!framesRunning) emscripten_sleep(0);
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
