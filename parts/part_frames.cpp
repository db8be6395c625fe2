// Owns nothing: the frames of parts A, B and C, each setting up the rig for its mode and running the
// shared passes (shadow atlas, environment cube, final pass with the centre-piece).
#include "parts/part_frames.h"

#include <math.h>
#include <string.h>

#include "camera/camera.h"
#include "core/clock.h"
#include "core/crt_rand.h"
#include "core/diagnostics.h"
#include "core/keyboard.h"
#include "parts/light_rig.h"
#include "parts/raymarch.h"      // resetRaymarchTwist
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

void updateFlashAndKicks() {
    decayFlash(rig.flash, frameFactor);
    const bool kick = keyState.down[KEY_4] || keyState.down[KEY_5];
    if (kick && rig.mode == RIG_PART_A)
        for (int i = 0; i < 2; i++) rig.kickDepth[i] = fmaxf(KICK_DEPTH_FLOOR, rig.kickDepth[i] - 0.5f);
    memcpy(meshShading.flash, rig.flash, sizeof rig.flash);
    movingLightPosition[1] = MOVING_LIGHT_BASE_Y + (KICK_DEPTH_START - rig.kickDepth[1]) * 0.5f;
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

// Shared opening of every part frame: lights switched, flash, blending, first-frame placement.
static void beginPartFrame(int mode) {
    switchSpotLights();
    rig.mode = mode;
    updateFlashAndKicks();
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

void runPartA() {
    if (partCallCounter == 0) resetRaymarchTwist();
    beginPartFrame(RIG_PART_A);
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
    runShadowAtlasPass();
    runEnvironmentPass();
    runFinalPass();
}

// Parts B and C: their own cubes for the length of the frame, the rig only on the first frames.
static void runOrbitPart(int mode, int variant, bool partB) {
    MeshObject *previous[2] = {rig.cubeSlots[0], rig.cubeSlots[1]};
    rig.cubeSlots[0] = showAssets.cubes[5];   // cube4
    rig.cubeSlots[1] = showAssets.cubes[4];   // cube3
    beginPartFrame(mode);
    rig.variant = variant;
    if (partFrameCounter < 2) buildFixedLightRig();
    placeCameraOnFirstFrame();
    glEnable(GL_MULTISAMPLE);
    crtSrand(ROOM_SEED);
    if (partB) {
        const float frames = (float)(frameTime - partstarttime) / FRAME_MS;
        setPartBLights(LOW_LIGHT_HEIGHT, partBFadeValue(frames));
    } else {
        setPartCLights(LOW_LIGHT_HEIGHT);
    }
    crossFadeLightColours();
    updateRotationClocks();
    runShadowAtlasPass();
    runEnvironmentPass();
    runFinalPass();
    rig.mode = RIG_IDLE;
    rig.cubeSlots[0] = previous[0];
    rig.cubeSlots[1] = previous[1];
}

void runPartB() {
    if (rig.partBRunCalls++ < 2) partstarttime = frameTime;
    runOrbitPart(RIG_PART_B, 0, true);
}

void runPartC() {
    runOrbitPart(RIG_PART_C, 1, false);
}
