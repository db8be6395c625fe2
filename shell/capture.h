// Offline rendering: the whole show to a video file, or pictures of chosen moments, through a
// fixed-step clock so every run gives the same frames.
#pragma once
#include <stdint.h>

// Renders the show into options.output with ffmpeg at options.fps and muxes music.mp3 from the
// first frame. Returns the exit status.
int runCapture();
// Writes options.output/frame-T.png for each moment of options.momentMs, then exits. Returns the
// exit status (1 when the show ended before a moment).
int runFrameCapture();

// The fixed-step clock. Frame k happens at exactly k x 1000 / fps ms of real time (truncated to
// whole ms, as the real clock is), so the sync track and the parts see the times of a real-time run
// at that frame rate. The counter stands at 0 until frame 0: loading takes no time.
void startCaptureClock(int fps);
void setCaptureFrame(int64_t frame);
// The frame of the fixed-step run nearest to a moment (ms from the first frame).
int64_t frameForMoment(int ms, int fps);
// ms from the first frame at which the sync table ends the show, -1 when it never does.
int syncTableEndMs();
// File name of a moment's picture below dir: dir/frame-12.5.png for 12500 ms.
void momentPictureName(char *name, int capacity, const char *dir, int ms);
