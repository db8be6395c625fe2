// The web build's parts of the SDL layer: the canvas's context and what a swap means in a browser.
#pragma once
#include <SDL.h>

// The canvas is the window: the page scales it into the browser's window and switches full screen.
constexpr Uint32 WEB_CANVAS_FLAGS = SDL_WINDOW_SHOWN;
// The canvas's WebGL 2 context (an ES 3.0 one, platformUseGlEs) has no alpha, so the page never shows
// through the picture.
void setWebContextAttributes();
// Outside the frame loop (loading, the first seek) a swap returns to the browser once, so that it
// shows the picture and the page stays responsive; inside, the browser shows it when the frame's
// call returns.
void showSwapOnPage();
