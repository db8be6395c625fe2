// The shadow and clip-plane state the mesh draws send: lights, matrices, switches and planes. The
// light rig and the part frames set the lights; the shadow passes compute the matrices.
#pragma once

#include "render/render_targets.h"   // SPOT_LIGHT_COUNT

// The depth the depth passes write into the RGB colour of a target, 24 bits: the light's (or the
// camera's) eye-space distance along its view axis divided by a range, value v in [0, 1) stored as
// the integer n = floor(v * 16777215 + 0.5) in r = n / 65536, g = (n / 256) mod 256, b = n mod 256
// (each / 255). A cleared white target reads as the far end.
constexpr float SPOT_DEPTH_RANGE = 100.0f;   // world units behind the spot depth values

struct ShadowState {
    // Directional light, set by the part frames on a part's first frame.
    float lightPosition[3];   // L
    float boxScale;           // s: the light box spans +-150 s
    float depthScale;         // k: the light box depth spans +-600 k
    float bias;               // receiver depth offset per unit of light distance (x 0.4 in the spot receivers); the show never changes it
    float anglebias;          // extra offset per unit of distance and of tan(incidence angle); the show never changes it
    // Spot lights, placed by the light rig. The current pair is the light drawSpotDepth renders.
    float spotEye[SPOT_LIGHT_COUNT][3];
    float spotTarget[SPOT_LIGHT_COUNT][3];
    float currentEye[3];
    float currentTarget[3];
    float spotFov;                        // degrees, the cone of every spot light
    float lightsOn[SPOT_LIGHT_COUNT];     // per-light switch the receivers multiply with
    // Outputs of the matrix set-ups, sent by the mesh draws.
    float Lights[SPOT_LIGHT_COUNT][4];    // (target - eye, 1)
    float LightsPos[SPOT_LIGHT_COUNT][4]; // (eye, 1)
    float depthMVP[16];                   // current light's projection x view x model
    float depthBiasMVP[SPOT_LIGHT_COUNT][16];   // biased spot matrices for the receivers
    float directionalBiasMVP[16];         // bias x depthMVP of the latest directional pass
    float Light[4];                       // (L, 1) directional, (target - eye, 1) single spot
    // Clip planes: a part that draws clipped sets renderingclipper to 1 and the planes, draws,
    // and sets it back to 0. Draws send the planes only while it is 1, so a program keeps its
    // last planes; clipped drawing should use programs of its own.
    int renderingclipper;   // the show never changes it: no part draws clipped
    float clipeq1[4];
    float clipeq2[4];
};
// The light rig writes the spot lights and the cone; the part frames the directional light and the
// switches; the shadow passes compute the matrices; the mesh draws only read it.
extern ShadowState shadowState;
// Back to the values the show starts with.
void resetShadowState();
// Adds this module's state to the show's list of state blocks (resetShow, snapshots).
void addShadowState();
