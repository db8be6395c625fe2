// Owns the rig state of the three parts: the spot lights, the rotation clocks, the flash colour and
// the per-part mode. The part frames run the shared passes in rig_passes.cpp.
#include "parts/light_rig.h"

#include <math.h>
#include <string.h>

#include "camera/camera.h"
#include "parts/raymarch.h"
#include "parts/rig_passes.h"
#include "render/gl.h"
#include "render/lights.h"
#include "render/mesh_draw.h"
#include "render/shadow.h"
#include "shell/clock.h"
#include "shell/crt_rand.h"
#include "shell/diagnostics.h"
#include "shell/dispatcher.h"
#include "shell/keyboard.h"
#include "shell/loading.h"
#include "shell/sync_track.h"

constexpr float FRAME_MS = 16.666666f;           // one 60 Hz frame
constexpr unsigned int LIGHT_RIG_SEED = 1001;    // the rig is the same on every build
constexpr unsigned int ROOM_SEED = 31;
constexpr float FLASH_FLOOR[4] = {0.1538462f, 0.1153846f, 0.0f, 1.0f};
constexpr float FLASH_DECAY = 0.041666668f;      // per 60 Hz frame
// The push and shake keys light the room up for a moment; the flash then decays to its floor.
constexpr float KICK_FLASH[4] = {0.55f, 0.4f, 0.16f, 1.0f};
constexpr float KICK_DEPTH_START = 12.0f;
constexpr float LOW_LIGHT_HEIGHT = 0.6f;         // the low lights 3 and 4 sit at 2.6 - this
constexpr float MOVING_LIGHT_BASE_Y = -6.0f;     // light 2 of the room setter, lifted by each kick
constexpr int PART_B_SCENE_INDEX = 22;           // playlist index of scene 33

RigState rig;

void resetLightRig() {
    rig = {};
    memcpy(rig.flash, FLASH_FLOOR, sizeof rig.flash);
    rig.kickDepth[0] = rig.kickDepth[1] = KICK_DEPTH_START;
}

// Run-wide start values, set before the first part frame.
static struct RigStart {
    RigStart() { resetLightRig(); }
} rigStart;

void buildFixedLightRig() {
    crtSrand(LIGHT_RIG_SEED);
    const float eye0[3] = {13.0f, 0.0f, 6.0f}, target0[3] = {0.0f, 0.0f, -2.0f};
    const float eye1[3] = {-3.5f, 10.0f, -3.5f}, target1[3] = {0.0f, 0.0f, 1.0f};
    memcpy(rig.lightEye[0], eye0, sizeof eye0);
    memcpy(rig.lightTarget[0], target0, sizeof target0);
    memcpy(rig.lightEye[1], eye1, sizeof eye1);
    memcpy(rig.lightTarget[1], target1, sizeof target1);
    for (int light = 2; light < RIG_SPOT_LIGHTS; light++) {
        float u[6];
        for (int i = 0; i < 6; i++) u[i] = (float)(crtRand() % 100) / 100.0f * 6.28f;
        const float eye[3] = {20.0f * sinf(u[0]), 4.0f * sinf(u[1]), 20.0f * sinf(u[2])};
        const float target[3] = {10.0f * sinf(u[3]), 10.0f * sinf(u[4]), 10.0f * sinf(u[5])};
        memcpy(rig.lightEye[light], eye, sizeof eye);
        memcpy(rig.lightTarget[light], target, sizeof target);
    }
    for (int light = 0; light < RIG_SPOT_LIGHTS; light++) {
        memcpy(shadowState.spotEye[light], rig.lightEye[light], sizeof rig.lightEye[light]);
        memcpy(shadowState.spotTarget[light], rig.lightTarget[light], sizeof rig.lightTarget[light]);
    }
    shadowState.spotFov = RIG_CONE_ANGLE;
}

void updateRotationClocks() {
    const float base = (float)syncBaseTime;
    const float now = (float)frameTime;
    rig.tumble[0] = wrapPartTimer((now - (base - 1000.0f - 400.0f)) / FRAME_MS * 0.44f, 360.0f);
    rig.tumble[1] = wrapPartTimer((now - (base - 5000.0f - 400.0f)) / FRAME_MS * 0.46f, 360.0f);
    rig.tumble[2] = wrapPartTimer((now - (base - 7500.0f - 400.0f)) / FRAME_MS * 0.48f, 360.0f);
    const float sinceBase = (now - base) / FRAME_MS;
    const float k = fminf(1.4f, 1.2f + sinceBase * 0.00016666668f);
    float phi = fminf(62800.0f, 1.1f * 0.008059334f * k * sinceBase) - 2.186667f;
    if ((int)playlistIndex == PART_B_SCENE_INDEX) {
        const float frames = (float)(frameTime - partstarttime) / FRAME_MS;
        phi += fminf(62800.0f, fminf(0.2f, frames * 0.00083333335f) * 1.1f * 0.008059334f * k * frames);
    }
    rig.orbit[0] = 6.25f * sinf(phi);
    rig.orbit[1] = 0.0f;
    rig.orbit[2] = 6.25f * cosf(phi);
}

void loadCubeTransform() {
    glLoadIdentity();
    glTranslatef(rig.orbit[0], rig.orbit[1], rig.orbit[2]);
    glRotatef(rig.tumble[0], 0.0f, 0.0f, 1.0f);
    glRotatef(rig.tumble[1], 0.0f, 1.0f, 0.0f);
    glRotatef(rig.tumble[2], 1.0f, 0.0f, 0.0f);
}

int rigScreenScene() {
    switch (rig.mode) {
    case RIG_PART_A: return 0;
    case RIG_PART_B: return 2;
    case RIG_PART_C: return 4;
    default: return 0;
    }
}

int rigShadowScene(int light) {
    switch (rig.mode) {
    case RIG_PART_A: return light == 0 ? 0 : -1;
    case RIG_PART_B: return 2;
    case RIG_PART_C: return rig.variant ? 4 : 3;
    default: return -1;
    }
}

void decayFlash(float flash[4], float frames) {
    for (int c = 0; c < 4; c++) flash[c] = fmaxf(FLASH_FLOOR[c], flash[c] - frames * FLASH_DECAY);
}

float partBFadeValue(float frames) {
    // Reflected between 1000 and 1e6 like the show clock; the show never gets that far.
    float w = frames * 0.046f + 1000.0f;
    if (w > 1.0e6f) {
        const long long thousandths = (long long)((double)w * 1000.0);
        const long long period = thousandths / 999000000LL;
        float inPeriod = (float)(thousandths % 999000000LL) / 1000.0f;
        if (period % 2 == 1) inPeriod = 999000.0f - inPeriod;
        w = inPeriod + 1000.0f;
    }
    const float twoPi = 6.2831853f;
    const float x = fmodf(w * 1.5f + 3.1415927f, twoPi) + 0.5233333f + 2.7488937f;
    const float fade = fminf(1.0f, fmaxf(0.0f, sinf(x)));
    return 1.5f + 1.0f - 2.0f * fade;
}

// The flash and the kick values: both follow the push and shake keys.
static void updateFlash() {
    decayFlash(rig.flash, frameFactor);
    const bool kick = keyState.down[KEY_4] || keyState.down[KEY_5];
    if (kick && rig.mode == RIG_PART_A)
        for (int i = 0; i < 2; i++) rig.kickDepth[i] -= 0.5f;
    if (kick)
        for (int c = 0; c < 4; c++) rig.flash[c] = fmaxf(rig.flash[c], KICK_FLASH[c]);
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
    updateFlash();
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
