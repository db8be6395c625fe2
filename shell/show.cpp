// Program start-up and the main loop; the run flags live with the dispatcher, the clocks in clock.cpp.
#include "shell/show.h"

#include "assets/load_record.h"
#include "camera/camera.h"
#include "camera/camera_kicks.h"
#include "camera/camera_path.h"
#include "camera/camera_update.h"
#include "core/clock.h"
#include "core/crt_rand.h"
#include "core/diagnostics.h"
#include "core/gl_loader.h"
#include "core/keyboard.h"
#include "core/state_blocks.h"
#include "parts/light_rig.h"
#include "parts/raymarch.h"
#include "platform/gl.h"
#include "platform/platform.h"
#include "render/composite.h"
#include "render/lights.h"
#include "render/shadow_state.h"
#include "shell/dispatcher.h"
#include "shell/loading.h"
#include "shell/playlist.h"
#include "shell/present.h"
#include "shell/snapshots.h"
#include "shell/sync_track.h"

// Frames finished since the show started (finishFrame and finishFrameLogic count them).
static int64_t finishedFrames = 0;

static void resetFinishedFrames() {
    finishedFrames = 0;
}

// The show's logic state, module by module, in the order their resets run: what a frame's step
// may change. resetShow resets it, snapshots copy it; a module that keeps more such state adds it
// to its block function, and seek_test's snapshot cases find what is left out.
static void listShowState() {
    if (stateBlockCount() > 0) return;
    addStateBlock("show: finishedFrames", &finishedFrames, sizeof finishedFrames, resetFinishedFrames);
    addCameraPoseState();
    addClockState();
    addKeyboardState();
    addSyncPlayerState();
    addDispatcherState();
    addPlaylistState();
    addCameraPlaybackState();
    addCameraKicksState();
    addHeldPoseState();
    addLightRigState();
    addLightsState();
    addRaymarchChoreographyState();
    addCompositeState();
    addShadowState();
    addCrtRandState();
}

void resetShowState() {
    listShowState();
    resetStateBlocks();
    // What the loaders recorded, not show state: snapshots leave it alone.
    resetLoadRecord();
}

void resetShow() {
    resetShowState();
    dropAllSnapshots();
}

bool startShow() {
    resetShow();
    platformHideCursor();
    if (!loadGlEntryPoints()) fatalExit(-1, "glad error!\n");
    setUpPresentation(false);
    platformFrequency();
    loadAll();
    debugLog("main init done.\n");
    initDone = true;
    debugLog("audio inited.\n");

    frameTime = demoTime();
    loadSyncTrack();
    resetSyncFraction();
    debugLog("sync inited.\n");

    showStartTime = elapsedMs();
    platformMusicPlay();
    debugLog("bass play started.\n");

    if (keyState.pressed[KEY_ESCAPE]) quitRequested = 1;
    return quitRequested == 0;
}

void stepShowFrame() {
    if (keyState.pressed[KEY_ESCAPE]) {
        debugLog("running time = %f seconds\n", (double)((elapsedMs() - showStartTime) / 1000));
        quitRequested = 1;
    }
    stepFrame();
}

void drawShowFrame() {
    drawFrame();
    if (quitRequested) {
        // The last presented image is black.
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
    glFlush();
}

void renderFrame() {
    stepShowFrame();
    drawShowFrame();
}

bool finishFrameLogic() {
    frameFactor = (float)(frameTime - prevFrameTime) * 0.06f;
    prevFrameTime = frameTime;
    prevRealTime = lastRealTime;
    lastRealTime = elapsedMs();
    realFrameFactor = (float)(lastRealTime - prevRealTime) * 0.06f;
    clearInjectedKeys();
    finishedFrames++;
    if (captureClockFps() > 0 && quitRequested == 0) keepSnapshotIfDue(finishedFrames, captureClockFps());
    return quitRequested == 0;
}

bool finishFrame() {
    platformSwapBuffers();
    platformHideCursor();
    return finishFrameLogic();
}

int64_t finishedFrameCount() {
    return finishedFrames;
}

bool runFrame() {
    renderFrame();
    return finishFrame();
}

void endShow() {
    platformMusicFree();
}

static void greet() {
    platformHideCursor();
    platformHideCursor();
    logOut("hello world!\n");
    logOut("entry\n");
}

static int play() {
    if (startShow()) {
        while (runFrame()) {
        }
    }
    endShow();
    return 0;
}

// Without a window there is nothing to show: SDL's reason is already on stderr.
int runShow() {
    greet();
    if (!platformOpenWindow()) return 1;
    return play();
}

int runShowWindowed(int width, int height) {
    greet();
    if (!platformOpenResizableWindow(width, height)) return 1;
    return play();
}
