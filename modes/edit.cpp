// Owns the edit mode: the frame on screen, the pause, the loop marks and the real-time anchor that
// maps the steady clock to frames. Lives for one edit run.
#include "modes/edit.h"

#include "core/clock.h"          // the fixed-step clock and its frame arithmetic
#include "core/diagnostics.h"
#include "core/keyboard.h"       // the key codes; Escape, to tell it from the sync table's end
#include "modes/live_reload.h"
#include "modes/overlay.h"
#include "modes/timeline.h"
#include "platform/platform.h"
#include "render/pass_timer.h"
#include "shell/dispatcher.h"    // quitRequested
#include "shell/frame_driver.h"
#include "shell/present.h"
#include "shell/show.h"
#include "shell/sync_track.h"    // rows and parts, for the jumps

constexpr int64_t JUMP_FRAMES = EDIT_FPS;   // Left and Right: one second
constexpr int PAUSED_SLEEP_MS = 10;         // a paused loop looks at keys and files this often
constexpr int REPRESENT_MS = 250;           // paused, the picture is presented again this often (a
                                            // resized or uncovered window has lost it)

static struct {
    int64_t frame;          // on screen
    bool paused;
    int loopMarks;          // 0 none, 1 start marked, 2 playing the range over and over
    int64_t loopStart, loopEnd;
    FrameClock clock;       // playing: the steady clock mapped onto frames
    double frameMs;         // wall time of the latest frame's drawing and presenting
    int64_t presentedMs;    // steady clock at the latest present
    bool havePassTimes;
    double passMs[PASS_COUNT];
    bool dragging;          // the left button went down on the timeline and is still held
} edit;

static int64_t (*clockMs)();   // steady clock in ms: the counter, or a test's

static void publishReadout() {
    OverlayReadout r = {};
    r.frame = edit.frame;
    r.fps = EDIT_FPS;
    r.paused = edit.paused;
    r.loopMarks = edit.loopMarks;
    r.loopStart = edit.loopStart;
    r.loopEnd = edit.loopEnd;
    r.frameMs = edit.frameMs;
    r.havePassTimes = edit.havePassTimes;
    for (int p = 0; p < PASS_COUNT; p++) r.passMs[p] = edit.passMs[p];
    r.reloadError = latestReloadError();
    setOverlayReadout(r);
}

// Puts the frame just stepped on screen: drawn, the overlay's figures taken, presented. The overlay
// reads the cost of the frame drawn before (this one is measured once presented).
static void putOnScreen(int64_t frame) {
    const int64_t startMs = clockMs();
    double skipped[PASS_COUNT];
    if (overlayShown()) readPassTimes(skipped);   // frames a seek drew on the way are not this frame's
    drawShowFrame();
    edit.frame = frame;
    if (overlayShown()) edit.havePassTimes = readPassTimes(edit.passMs);
    publishReadout();
    presentShowFrame();
    edit.presentedMs = clockMs();
    edit.frameMs = (double)(edit.presentedMs - startMs);
    debugLog("edit: frame %lld on screen\n", (long long)frame);
}

// Presents the picture on screen again (overlay toggled, window resized): nothing is rendered.
static void presentAgain() {
    publishReadout();
    platformSwapBuffers();
    edit.presentedMs = clockMs();
}

static double musicSeconds(int64_t frame) {
    return (double)frame / EDIT_FPS;
}

// From now on frame belongs to this moment: picture and music run on from here together.
static void anchorAt(int64_t frame) {
    edit.clock = {EDIT_FPS, frame, (double)clockMs()};
}

static void jumpTo(int64_t frame, bool replay);

// The sync table ended the show on the way to frame (the frame that ended it is drawn black): the
// edit mode stays, paused on the frame before that one, so the end can be looked at and jumped away
// from. True when it did.
static bool holdAtShowEnd(int64_t frame) {
    if (!quitRequested || keyState.pressed[KEY_ESCAPE]) return false;
    int64_t ended = steppedFrameCount() - 1;
    if (ended > frame) ended = frame;
    if (ended <= 0) return false;   // nothing to show before the end
    quitRequested = 0;
    edit.paused = true;
    platformMusicPause();
    jumpTo(ended - 1, false);
    return true;
}

// Brings the show to frame and puts it on screen, unless the table ends the show on the way (the
// edit mode then holds at the end). True when frame is on screen.
static bool arriveAt(int64_t frame, FrameArrival how) {
    if (stepShowTo(frame, how) == FRAME_ENDED) {
        holdAtShowEnd(frame);
        return false;
    }
    putOnScreen(frame);
    return !holdAtShowEnd(frame);
}

// Jumps: the picture a run from the start gives at frame, then the music from there.
static void jumpTo(int64_t frame, bool replay) {
    if (frame < 0) frame = 0;
    if (!arriveAt(frame, replay ? ARRIVE_REPLAY : ARRIVE_EXACT)) return;
    platformMusicPlayFrom(musicSeconds(frame), edit.paused);
    anchorAt(frame);
}

// The frame of the edit mode's clock that plays a sync row (row 0 before the first).
static int64_t frameOfRow(int row) {
    return syncRowFrame(row < 0 ? 0 : row, EDIT_FPS);
}

static int rowOfFrame(int64_t frame) {
    return syncRowAtMs((int)frameStartMs(frame, EDIT_FPS));
}

// The frame that plays a next-part row still draws the old part; the new one begins after it.
static int64_t partStartOfRow(int row) {
    return frameOfRow(row) + 1;
}

int64_t previousPartStart(int64_t frame) {
    int rows[MAX_SYNC_ROWS];
    const int count = syncPartStartRows(rows, MAX_SYNC_ROWS);
    int64_t best = 0;
    for (int i = 0; i < count; i++)
        if (partStartOfRow(rows[i]) < frame) best = partStartOfRow(rows[i]);
    return best;
}

int64_t nextPartStart(int64_t frame) {
    int rows[MAX_SYNC_ROWS];
    const int count = syncPartStartRows(rows, MAX_SYNC_ROWS);
    for (int i = 0; i < count; i++)
        if (partStartOfRow(rows[i]) > frame) return partStartOfRow(rows[i]);
    return frame;
}

static void togglePause() {
    edit.paused = !edit.paused;
    if (edit.paused) platformMusicPause();
    else {
        platformMusicResume();
        anchorAt(edit.frame);
    }
    presentAgain();
}

static void markLoop() {
    if (edit.loopMarks == 0) {
        edit.loopStart = edit.frame;
        edit.loopMarks = 1;
    } else if (edit.loopMarks == 1) {
        edit.loopEnd = edit.frame;
        if (edit.loopEnd < edit.loopStart) {
            edit.loopEnd = edit.loopStart;
            edit.loopStart = edit.frame;
        }
        edit.loopMarks = edit.loopEnd > edit.loopStart ? 2 : 0;   // an empty range is no loop
    } else {
        edit.loopMarks = 0;
    }
    presentAgain();
}

bool handleEditKey(int key) {
    const int64_t frame = edit.frame;
    switch (key) {
    case KEY_ESCAPE: return false;
    case KEY_SPACE: togglePause(); break;
    case KEY_LEFT: jumpTo(frame - JUMP_FRAMES, false); break;
    case KEY_RIGHT: jumpTo(frame + JUMP_FRAMES, false); break;
    case KEY_UP: jumpTo(frameOfRow(rowOfFrame(frame) - 1), false); break;
    case KEY_DOWN: jumpTo(frameOfRow(rowOfFrame(frame) + 1), false); break;
    case KEY_PAGE_UP: jumpTo(previousPartStart(frame), false); break;
    case KEY_PAGE_DOWN: jumpTo(nextPartStart(frame), false); break;
    case KEY_HOME: jumpTo(0, false); break;
    case KEY_L: markLoop(); break;
    case KEY_H:
        showOverlay(!overlayShown());
        presentAgain();
        break;
    default: break;
    }
    return quitRequested == 0;
}

// Changed files: a rebuilt program shows from the next frame (paused: the moment is drawn again,
// its warm-up frames too), changed content replays to the moment from the nearest snapshot it left.
static void applyReloads(int effects) {
    if (effects & RELOAD_PAST || (effects & RELOAD_PROGRAMS && edit.paused)) jumpTo(edit.frame, true);
    else if (effects & RELOAD_MUSIC) platformMusicPlayFrom(musicSeconds(edit.frame), edit.paused);
}

// Clicks and drags on the timeline: one jump to where the pointer is last, whatever came between.
static void followMouse() {
    float x, y;
    int ms = 0;
    bool jump = false;
    for (int kind = platformNextMouseEvent(&x, &y); kind; kind = platformNextMouseEvent(&x, &y)) {
        if (kind == MOUSE_PRESS) edit.dragging = overlayShown() && timelineMomentAt(x, y, false, &ms);
        else if (kind == MOUSE_DRAG && edit.dragging) timelineMomentAt(x, y, true, &ms);
        else if (kind == MOUSE_RELEASE) {
            if (edit.dragging) timelineMomentAt(x, y, true, &ms);
            jump = jump || edit.dragging;
            edit.dragging = false;
            continue;
        }
        jump = jump || edit.dragging;
    }
    if (jump) jumpTo(frameForMoment(ms, EDIT_FPS), false);
}

static void drawEditOverlay(int drawableWidth, int drawableHeight) {
    drawOverlay(drawableWidth, drawableHeight);
    drawTimeline(drawableWidth, drawableHeight, overlayReadout());
}

void startEditShow(int64_t startFrame, int64_t (*steadyClockMs)()) {
    edit = {};
    startFrameDriver(false);
    clockMs = steadyClockMs;
    watchShowFiles();
    jumpTo(startFrame, false);
}

bool editStep() {
    for (int key = platformNextKeyPress(); key; key = platformNextKeyPress())
        if (!handleEditKey(key)) return false;
    followMouse();
    if (quitRequested) return false;
    applyReloads(reloadChangedFiles(clockMs()));
    if (quitRequested) return false;
    if (edit.paused) {
        if (clockMs() - edit.presentedMs >= REPRESENT_MS) presentAgain();
        platformSleep(PAUSED_SLEEP_MS);
        return true;
    }
    const int64_t want = frameClockFrame(edit.clock, (double)clockMs());
    if (edit.loopMarks == 2 && want > edit.loopEnd) {
        jumpTo(edit.loopStart, false);
        return quitRequested == 0;
    }
    if (want <= edit.frame) {
        platformSleep(1);   // faster than real time: wait for the next frame's moment
        return true;
    }
    arriveAt(want, ARRIVE_PLAYING);
    return quitRequested == 0;
}

int64_t editFrame() {
    return edit.frame;
}

bool editPaused() {
    return edit.paused;
}

static int64_t steadyMs() {
    return counterToMs(platformCounter(), platformFrequency());
}

int runEdit(int width, int height, int startMs) {
    logOut("hello world!\n");
    if (!platformOpenResizableWindow(width, height)) return 1;
    startCaptureClock(EDIT_FPS);
    if (startShow()) {
        // The picture stays in the off-screen screen target, so a paused window can be presented
        // again, and the overlay goes on the window only.
        setUpPresentation(true);
        setPresentOverlay(drawEditOverlay);
        platformSetMessageBoxes(false);   // a file caught half-written must not stop the show
        startEditShow(frameForMoment(startMs, EDIT_FPS), steadyMs);
        while (editStep()) {
        }
    }
    endShow();
    return 0;
}
