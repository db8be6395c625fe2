// The browser's page, for the web build's entry point: the frame loop the browser drives and what the
// page is told. Only the web build has these.
#pragma once
#include <stdint.h>

// From now on the browser calls frame once per display refresh (its vsync), until
// platformStopFrames. Does not return: the program lives on in the page.
void platformRunFrames(void (*frame)());
// Ends main without ending the program: the canvas, the context and the state stay as they are.
void platformKeepPage();
void platformStopFrames();
// The number of the frame on the canvas, in the page's body (data-frame), for whoever watches it.
void platformShowFrameNumber(int64_t frame);
// The frame cost's figures, in the page's body (data-frame-cost).
void platformShowFrameCost(const char *figures);
// Tells the page that the show has ended with status (Escape, or the sync table's end) and the
// canvas holds its last picture; the page offers to play again.
void platformShowEnded(int status);
// Milliseconds on the page's steady clock (performance.now()).
double platformPageMs();
// True while the browser has taken the canvas's WebGL context away (the music is paused meanwhile);
// nothing drawn then is seen, and nothing made is kept.
bool platformContextLost();
// How many times the context has been given back: when it changes, every GL object made before is
// gone and the program makes them again.
int platformContextGeneration();
// Tells the page that the picture is on the canvas again after the context came back.
void platformShowContextBack();
