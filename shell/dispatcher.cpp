// Owns the part bookkeeping and the run flags; the playlist itself lives in playlist.cpp.
#include "shell/dispatcher.h"

#include "camera/camera.h"
#include "core/clock.h"
#include "core/diagnostics.h"
#include "core/keyboard.h"
#include "parts/part_frames.h"
#include "platform/gl.h"
#include "render/composite.h"
#include "render/lights.h"          // requestLightCrossFade
#include "render/render_targets.h"  // the environment target is the frame's scratch target
#include "shell/playlist.h"
#include "shell/sync_track.h"
#include "core/state_blocks.h"   // the show's list of state blocks

constexpr int NO_PART = -2071;   // any value that is no part

// Run flags: once per run.
bool initDone = false;
int quitRequested = 0;

// Part bookkeeping: reset with the show.
int demoeffect = -1;
int advanceTime = 0;
static int lastPart = NO_PART;

// The camera as the frame's step found it, for the frame's default projection: every frame.
static float frameStartEye[3], frameStartTarget[3], frameStartUp[3];

void resetDispatcher() {
    resetPlaylist();
    demoeffect = -1;
    lastPart = NO_PART;
    advanceTime = 0;
    quitRequested = 0;
    for (int i = 0; i < 3; i++) frameStartEye[i] = frameStartTarget[i] = frameStartUp[i] = 0.0f;
}

// The view lives in the projection matrix, so the modelview stays free for object transforms. It is
// the camera as the frame's step found it.
static void setDefaultProjection() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(DEFAULT_FOV, SCREEN_ASPECT, 0.1, 500.0);
    gluLookAt(frameStartEye[0], frameStartEye[1], frameStartEye[2], frameStartTarget[0], frameStartTarget[1],
              frameStartTarget[2], frameStartUp[0], frameStartUp[1], frameStartUp[2]);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
    glLoadIdentity();
    glTranslatef(0.0f, 0.0f, -20.0f);
}

// Half-open scene intervals; a scene in none of them keeps the current part.
static void mapSceneToPart() {
    if (sceneNumber >= SCENE_A && sceneNumber < SCENE_A + 1) demoeffect = PART_A;
    else if (sceneNumber >= SCENE_B && sceneNumber < SCENE_B + 1) demoeffect = PART_B;
    else if (sceneNumber >= SCENE_C && sceneNumber < SCENE_C + 1) demoeffect = PART_C;
}

static void startPart() {
    lastPart = demoeffect;
    // Leaving part A keeps the start time the sync event wrote.
    if (partCallCounter == 0) partstarttime = frameTime;
    // The next frame factors measure from the part start.
    prevFrameTime = partstarttime;
    lastRealTime = elapsedMs();
    prevRealTime = lastRealTime - 1;
    debugLog("demoeffect is now %d, partstarttime=%d\n\n", demoeffect, partstarttime);
    partCallCounter = 0;
}

static void stepCurrentPart() {
    switch (demoeffect) {
    case PART_A: stepPartA(); break;
    case PART_B: stepPartB(); break;
    case PART_C: stepPartC(); break;
    default: break;
    }
}

static void drawCurrentPart() {
    switch (demoeffect) {
    case PART_A:
        glClearColor(0.1f, 0.25f, 0.9f, 1.0f);
        glClearDepth(1.0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        drawPartA();
        break;
    case PART_B: drawPartB(); break;
    case PART_C: drawPartC(); break;
    default: break;
    }
}

static void advancePlaylist() {
    partFrameCounter = 0;
    debugLog("skipnow=%d\n", pendingPartRequests());
    timeDivisor = 1.0;
    stepPlaylist();
    cameraRoll = 0.0f;
    advanceTime = demoTime();
    requestLightCrossFade(advanceTime);
}

int stepFrame() {
    frameTime = demoTime();
    playSyncTrack();
    pollKeyboard();
    if (!initDone) return 0;
    updateCameraUp();
    for (int i = 0; i < 3; i++) {
        frameStartEye[i] = cameraEye[i];
        frameStartTarget[i] = cameraTarget[i];
        frameStartUp[i] = cameraUp[i];
    }
    mapSceneToPart();
    if (demoeffect != lastPart) startPart();
    if (!quitRequested) stepCurrentPart();
    stepComposite();
    demoTime();   // only advances the clock's accumulators
    // The advance changes only what the next frame's step reads: this frame draws as stepped.
    if (keyState.pressed[KEY_RETURN] || pendingPartRequests() > 0) advancePlaylist();
    return 1;
}

void drawFrame() {
    if (!initDone) return;
    glBindFramebuffer(GL_FRAMEBUFFER, envTarget.framebuffer);
    setDefaultProjection();
    glBindFramebuffer(GL_FRAMEBUFFER, envTarget.framebuffer);
    glActiveTexture(GL_TEXTURE0);
    glEnable(GL_TEXTURE_2D);

    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    if (!quitRequested) drawCurrentPart();

    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    if (!drawingCarriedPassesOnly()) finalComposite();   // a warm-up frame's picture is never seen
    glFlush();
}

int dispatchFrame() {
    const int started = stepFrame();
    drawFrame();
    return started;
}

void addDispatcherState() {
    addStateBlock("dispatcher: quitRequested", &quitRequested, sizeof quitRequested, resetDispatcher);
    addStateBlock("dispatcher: demoeffect", &demoeffect, sizeof demoeffect, nullptr);
    addStateBlock("dispatcher: advanceTime", &advanceTime, sizeof advanceTime, nullptr);
    addStateBlock("dispatcher: lastPart", &lastPart, sizeof lastPart, nullptr);
    addStateBlock("dispatcher: frameStartEye", frameStartEye, sizeof frameStartEye, nullptr);
    addStateBlock("dispatcher: frameStartTarget", frameStartTarget, sizeof frameStartTarget, nullptr);
    addStateBlock("dispatcher: frameStartUp", frameStartUp, sizeof frameStartUp, nullptr);
}
