// Owns the rig state of the three parts: the spot lights, the rotation clocks, the flash colour and
// the per-part mode.
#include "parts/light_rig.h"

#include <math.h>
#include <string.h>

#include "core/clock.h"
#include "core/crt_rand.h"
#include "parts/raymarch.h"   // wrapPartTimer
#include "platform/gl.h"
#include "render/shadow.h"    // the spot lights go to the shadow state
#include "core/state_blocks.h"   // the show's list of state blocks

constexpr unsigned int LIGHT_RIG_SEED = 1001;    // the rig is the same on every build
constexpr float FLASH_DECAY = 0.041666668f;      // per 60 Hz frame

// Lives for the whole run; set to its start values by resetLightRig before the show.
RigState rig;

void resetLightRig() {
    rig = {};
    memcpy(rig.flash, FLASH_FLOOR, sizeof rig.flash);
    rig.kickDepth = KICK_DEPTH_START;
}

void buildFixedLightRig() {
    crtSrand(LIGHT_RIG_SEED);
    const float eye0[3] = {13.0f, 0.0f, 6.0f}, target0[3] = {0.0f, 0.0f, -2.0f};
    const float eye1[3] = {-3.5f, 10.0f, -3.5f}, target1[3] = {0.0f, 0.0f, 1.0f};
    memcpy(rig.lightEye[0], eye0, sizeof eye0);
    memcpy(rig.lightTarget[0], target0, sizeof target0);
    memcpy(rig.lightEye[1], eye1, sizeof eye1);
    memcpy(rig.lightTarget[1], target1, sizeof target1);
    for (int light = 2; light < SPOT_LIGHT_COUNT; light++) {
        float u[6];
        for (int i = 0; i < 6; i++) u[i] = (float)(crtRand() % 100) / 100.0f * 6.28f;
        const float eye[3] = {20.0f * sinf(u[0]), 4.0f * sinf(u[1]), 20.0f * sinf(u[2])};
        const float target[3] = {10.0f * sinf(u[3]), 10.0f * sinf(u[4]), 10.0f * sinf(u[5])};
        memcpy(rig.lightEye[light], eye, sizeof eye);
        memcpy(rig.lightTarget[light], target, sizeof target);
    }
    for (int light = 0; light < SPOT_LIGHT_COUNT; light++) {
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
    if (rig.mode == RIG_PART_B) {
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

void addLightRigState() {
    addStateBlock("light rig: rig", &rig, sizeof rig, resetLightRig);
}
