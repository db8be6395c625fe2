// The one place where the show's frames are made. A mode says which frame it wants and the driver
// brings the show there: the frame's whole update first, then its picture, then the present. The
// show in real time, capture, pictures, edit mode, the page and the benches all come through here.
// Owns the loop's turns and the clocks of the modes that play along a clock of their own.
#pragma once
#include <stdint.h>

// How a frame of the fixed-step run is reached from the frame stepped last.
enum FrameArrival {
    // Playing along a clock: the next frame is one step; a frame up to MAX_CATCH_UP_MS further on
    // has the logic of the frames missed stepped without drawing; a frame behind, or further on
    // (a tab that was hidden), is reached through the exact seek, and the music is moved there. The
    // frame stepped last is never stepped again.
    ARRIVE_PLAYING,
    // The picture a run from the start draws there: the next frame is one step, any other the exact
    // seek (shell/seek.h).
    ARRIVE_EXACT,
    // The same, never going on from the frames stepped so far: a reload has changed what they were
    // made of.
    ARRIVE_REPLAY,
};

enum FrameStep {
    FRAME_STEPPED,     // the frame is stepped and ready to draw: the next one, or after a catch-up
    FRAME_JUMPED,      // stepped after a seek or at a new turn of the loop: the music was moved too
    FRAME_UNCHANGED,   // it is the frame stepped last: nothing was done, nothing new to draw
    FRAME_ENDED,       // the show ended before reaching it (Escape, or the table's end without the loop)
};

// Playing along a clock, frames further on than this are reached by the seek rather than by
// stepping every one: a seek costs the same wherever it lands.
constexpr int MAX_CATCH_UP_MS = 10000;

// A mode's run of frames begins (after startShow): the first turn at run frame 0. With loop, the
// sync table's end starts the show again from its first frame, turn after turn, until Escape;
// without it the table's end ends the show.
void startFrameDriver(bool loop);

// --- Real time (the show, --windowed) -----------------------------------------------------------
// Steps the frame the real-time clock has reached (the next turn beginning at the table's end when
// looping). Returns false when it is the show's last, quitting frame.
bool stepRealTimeFrame();
// stepRealTimeFrame, then the frame drawn and presented. Returns false after the show's last frame
// (its black frame presented).
bool playRealTimeFrame();

// --- The fixed-step clock (startCaptureClock): every other mode ---------------------------------
// Frames are counted from the mode's start ("run frames"): with the loop, run frame k is frame
// k - turnStart of the current turn, and the clock reads that frame's time, never the run's.
// Brings the show to run frame `frame` and steps it (the whole update, no GL but a seek's warm-up).
FrameStep stepShowTo(int64_t frame, FrameArrival how);
// stepShowTo, then drawShowFrame and presentShowFrame when a frame was stepped.
FrameStep showFrame(int64_t frame, FrameArrival how);
// Escape or the window's close since the last frame, read without stepping the show. When one came,
// the show ends here: quitRequested set, its black frame drawn and presented. True when it ended.
bool endShowIfAsked();
// The run frame stepped last (-1 before the first), and its frame within the current turn.
int64_t steppedRunFrame();
int64_t steppedTurnFrame();
// Turns begun after the first.
int64_t loopTurnsBegun();
// Frames of one turn at fps: the exit row's frame and the one after it, the table's quitting frame,
// which a loop replaces by the next turn's first frame. -1 when no row ends the show.
int64_t turnFrameCount(int fps);
