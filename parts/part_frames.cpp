// Owns the warm-up switch only: the frames of parts A, B and C. Each frame is a step (the rig for its mode, lights,
// camera, centre-piece) and a draw of the shared passes (shadow atlas, environment cube, final pass
// with the centre-piece) that only reads what the step left.
#include "parts/part_frames.h"

#include <math.h>
#include <string.h>

#include "camera/camera.h"
#include "core/clock.h"
#include "core/crt_rand.h"
#include "core/diagnostics.h"
#include "core/keyboard.h"
#include "parts/light_rig.h"
#include "camera/camera_update.h"   // updateCamera
#include "parts/raymarch.h"      // the centre-piece's choreography
#include "parts/rig_passes.h"
#include "parts/show_assets.h"
#include "platform/gl.h"
#include "render/lights.h"
#include "render/mesh_draw.h"    // meshShading.flash
#include "render/shadow.h"

constexpr unsigned int ROOM_SEED = 31;
constexpr float LOW_LIGHT_HEIGHT = 0.6f;         // the low lights 3 and 4 sit at 2.6 - this
constexpr float MOVING_LIGHT_BASE_Y = -6.0f;     // light 2 of the room setter, lifted by each kick
// The kick values stop here, so light 2 rises at most 6 units, to the floor of the room (y = 0),
// however many kicks the score has.
constexpr float KICK_DEPTH_FLOOR = 0.0f;

// Set by the seeks around the frames they draw before the one they land on: only the passes whose
// output a later frame reads (the shadow atlas, which the cube faces are lit with, and the
// environment cube, which the next frame's faces reflect) are drawn.
static bool carriedOnly = false;

void updateFlashAndKicks() {
    decayFlash(rig.flash, frameFactor);
    const bool kick = keyState.down[KEY_4] || keyState.down[KEY_5];
    if (kick && rig.mode == RIG_PART_A) rig.kickDepth = fmaxf(KICK_DEPTH_FLOOR, rig.kickDepth - 0.5f);
    memcpy(meshShading.flash, rig.flash, sizeof rig.flash);
    movingLightPosition[1] = MOVING_LIGHT_BASE_Y + (KICK_DEPTH_START - rig.kickDepth) * 0.5f;
}

// First frame of a visit: the camera in front of the centre-piece and the directional light box.
static void placeCameraOnFirstFrame() {
    if (partFrameCounter == 0) {
        cameraEye[0] = 0.0f, cameraEye[1] = 0.0f, cameraEye[2] = 15.0f;
        cameraTarget[0] = cameraTarget[1] = cameraTarget[2] = 0.0f;
        cameraUp[0] = 0.0f, cameraUp[1] = 1.0f, cameraUp[2] = 0.0f;
        cameraRoll = 0.0f;
        shadowState.boxScale = 0.327f;
        shadowState.depthScale = 0.43f;
        const float position[3] = {1.0f, 1.5f, 1.5f};
        memcpy(shadowState.lightPosition, position, sizeof position);
    }
    partFrameCounter++;
}

static void switchSpotLights() {
    const float on[4] = {1.0f, 1.0f, 0.0f, 0.0f};   // spot lights 0 and 1 light the room
    memcpy(shadowState.lightsOn, on, sizeof on);
}

// Shared opening of every part step: lights switched, mode, flash.
static void beginPartStep(int mode) {
    switchSpotLights();
    rig.mode = mode;
    updateFlashAndKicks();
}

// Shared end of every part step: the camera the cube sees, the camera chain, the centre-piece.
static void stepCameraAndCentrePiece() {
    memcpy(rig.cubeEye, cameraEye, sizeof rig.cubeEye);
    memcpy(rig.cubeTarget, cameraTarget, sizeof rig.cubeTarget);
    updateCamera();
    float viewProjection[16];
    cameraViewProjection(viewProjection);
    stepRaymarchChoreography(rigScreenScene(), viewProjection);
}

// The passes of every part frame, drawn from the state the step left.
static void drawPartPasses() {
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    uploadFixedFunctionLights();
    runShadowAtlasPass();
    runEnvironmentPass();
    if (!carriedOnly) runFinalPass();
}

void drawCarriedPassesOnly(bool on) {
    carriedOnly = on;
}

bool drawingCarriedPassesOnly() {
    return carriedOnly;
}

void stepPartA() {
    if (partCallCounter == 0) resetRaymarchTwist();
    beginPartStep(RIG_PART_A);
    rig.cubeSlots[0] = showAssets.cubes[0];   // cube1
    rig.cubeSlots[1] = showAssets.cubes[1];   // cube2
    partCallCounter++;
    buildFixedLightRig();
    placeCameraOnFirstFrame();
    if (keyState.down[KEY_I]) {
        shadowState.boxScale += 0.001f;
        debugLog("sf = %f, sfz= %f", shadowState.boxScale, shadowState.depthScale);
    }
    crtSrand(ROOM_SEED);
    setPartALights(LOW_LIGHT_HEIGHT);
    if (rig.partARunCalls++ < 2) snapshotLightColours();
    crossFadeLightColours();
    updateRotationClocks();
    stepCameraAndCentrePiece();
}

void drawPartA() {
    drawPartPasses();
}

void runPartA() {
    stepPartA();
    drawPartA();
}

// Parts B and C share their step; part B also restarts its clock on its first two calls.
static void stepOrbitPart(int mode, int variant, bool partB) {
    beginPartStep(mode);
    rig.variant = variant;
    if (partFrameCounter < 2) buildFixedLightRig();
    placeCameraOnFirstFrame();
    crtSrand(ROOM_SEED);
    if (partB) {
        const float frames = (float)(frameTime - partstarttime) / FRAME_MS;
        setPartBLights(LOW_LIGHT_HEIGHT, partBFadeValue(frames));
    } else {
        setPartCLights(LOW_LIGHT_HEIGHT);
    }
    crossFadeLightColours();
    updateRotationClocks();
    stepCameraAndCentrePiece();
}

// Parts B and C draw their own cubes: the slots are borrowed for the passes and given back.
static void drawOrbitPart() {
    MeshObject *previous[2] = {rig.cubeSlots[0], rig.cubeSlots[1]};
    rig.cubeSlots[0] = showAssets.cubes[5];   // cube4
    rig.cubeSlots[1] = showAssets.cubes[4];   // cube3
    glEnable(GL_MULTISAMPLE);
    drawPartPasses();
    rig.cubeSlots[0] = previous[0];
    rig.cubeSlots[1] = previous[1];
}

void stepPartB() {
    if (rig.partBRunCalls++ < 2) partstarttime = frameTime;
    stepOrbitPart(RIG_PART_B, 0, true);
}

void stepPartC() {
    stepOrbitPart(RIG_PART_C, 1, false);
}

void drawPartB() {
    drawOrbitPart();
}

void drawPartC() {
    drawOrbitPart();
}
