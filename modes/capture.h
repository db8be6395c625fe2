// Offline rendering: the whole show to a video file, or pictures of chosen moments, through a
// fixed-step clock so every run gives the same frames.
#pragma once
#include <stdint.h>

#include "core/clock.h"   // the fixed-step clock: startCaptureClock, setCaptureFrame

// Renders the show, or the range options.fromMs..toMs of it (a seek to its first frame, then every
// frame), into options.output with ffmpeg at options.fps and muxes music.mp3 from the first frame's
// moment. Returns the exit status.
int runCapture();
// Writes options.output/frame-T.png for each moment of options.momentMs (a seek to each), or
// options.output/frame-NNNNNN.png for every frame of the range, then exits. Returns the exit status
// (1 when the show ended before a moment or before the end of the range).
int runFrameCapture();

// File name of a range's frame below dir: dir/frame-000042.png.
void rangePictureName(char *name, int capacity, const char *dir, int64_t frame);
// File name of a moment's picture below dir: dir/frame-12.5.png for 12500 ms.
void momentPictureName(char *name, int capacity, const char *dir, int ms);
