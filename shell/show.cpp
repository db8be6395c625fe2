// The show's start-up, its frame in pieces and its end; the run flags live with the dispatcher, the
// clocks in clock.cpp.
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
#include "render/render_targets.h"   // the environment cube as the show starts
#include "render/shadow_state.h"
#include "shell/dispatcher.h"
#include "shell/loading.h"
#include "shell/playlist.h"
#include "shell/present.h"
#include "shell/snapshots.h"
#include "shell/sync_track.h"

// Frames stepped since the show started (stepShowFrame counts them): once per show, and again
// with every restart.
static int64_t steppedFrames = 0;

static void resetSteppedFrames() {
    steppedFrames = 0;
}

// The show's logic state, module by module, in the order their resets run: what a frame's step
// may change. resetShow resets it, snapshots copy it; a module that keeps more such state adds it
// to its block function, and seek_test's snapshot cases find what is left out.
static void listShowState() {
    if (stateBlockCount() > 0) return;
    addStateBlock("show: steppedFrames", &steppedFrames, sizeof steppedFrames, resetSteppedFrames);
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
}

void resetShow() {
    resetShowState();
    // What the loaders recorded, not show state: seeks and turns leave it alone.
    resetLoadRecord();
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

void restartShow() {
    if (captureClockFps() > 0) setCaptureFrame(0);
    resetShowState();
    stepLoadingFrame();
    restoreEnvironmentCubeStart();
    initDone = true;
    frameTime = demoTime();
    resetSyncFraction();
    showStartTime = elapsedMs();
}

bool showEndedByTable() {
    // Only the sync track holds a key down (the exit row's Escape); the keyboard's Escape is a press.
    return keyState.pressed[KEY_ESCAPE] && keyState.down[KEY_ESCAPE] && !keyState.escapeFromKeyboard;
}

void stepShowFrame() {
    // The state as it stands ready for this frame is what a seek starts from.
    if (captureClockFps() > 0 && quitRequested == 0) keepSnapshotIfDue(steppedFrames, captureClockFps());
    if (keyState.pressed[KEY_ESCAPE]) {
        debugLog("running time = %f seconds\n", (double)((elapsedMs() - showStartTime) / 1000));
        quitRequested = 1;
    }
    stepFrame();
    // What the next frame's step reads of this one.
    frameFactor = (float)(frameTime - prevFrameTime) * 0.06f;
    prevFrameTime = frameTime;
    prevRealTime = lastRealTime;
    lastRealTime = elapsedMs();
    realFrameFactor = (float)(lastRealTime - prevRealTime) * 0.06f;
    clearInjectedKeys();
    steppedFrames++;
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

void presentShowFrame() {
    platformSwapBuffers();
    platformHideCursor();
}

int64_t steppedFrameCount() {
    return steppedFrames;
}

void endShow() {
    platformMusicFree();
}
