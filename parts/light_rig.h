// The rig the three light-rig parts share: spot lights, rotation clocks, the cube transform and the
// per-part mode.
#pragma once

#include "render/render_targets.h"   // SPOT_LIGHT_COUNT

struct MeshObject;

constexpr float RIG_CONE_ANGLE = 65.0f;   // degrees, every spot light
constexpr int RIG_SHADOW_LIGHTS = 2;      // lights rendered into the atlas each frame
constexpr int CROSS_FADE_FRAMES = 150;    // 60 Hz frames of the light-colour cross-fade
// The flash never decays below this colour; the kick values start here and only fall.
constexpr float FLASH_FLOOR[4] = {0.1538462f, 0.1153846f, 0.0f, 1.0f};
constexpr float KICK_DEPTH_START = 12.0f;

// Which raymarched scene each mode puts into the shadow atlas, and whether it does for every light.
enum RigMode { RIG_IDLE = 0, RIG_PART_A = 1, RIG_PART_B = 3, RIG_PART_C = 4 };

// Written by the part frames, read by the passes. Lives for the whole run; resetLightRig.
struct RigState {
    int mode;                      // RigMode of the frame being drawn
    int variant;                   // part C's variant flag: raymarched scene 4 in the shadow pass
    float lightEye[SPOT_LIGHT_COUNT][3];
    float lightTarget[SPOT_LIGHT_COUNT][3];
    float tumble[3];               // degrees about Z, Y and X
    float orbit[3];                // cube centre on its circle round the centre-piece
    float flash[4];                // additive tint of the lit draws
    float kickDepth;               // 12 down to 0, lowered by 0.5 per frame of '4' or '5' in part A;
                                   // lifts light 2 of the room setter
    int partARunCalls;             // only grow: first-frame work of the run
    int partBRunCalls;
    MeshObject *cubeSlots[2];      // drawn with the cube transform
    // The camera the environment cube is drawn from: as it stood before the frame's camera update
    // (the cube faces are shaded for that eye).
    float cubeEye[3];
    float cubeTarget[3];
};

extern RigState rig;

// The four spot lights, identical every time (the generator is reseeded first).
void buildFixedLightRig();
// Tumble angles and the orbit position from the clock.
void updateRotationClocks();
// Loads identity, then translates to the orbit position and tumbles.
void loadCubeTransform();
// The raymarched scene a part draws on screen: 0 in part A, 4 in part C, 2 in part B.
int rigScreenScene();
// The raymarched scene light i casts in the shadow atlas, or -1 for none.
int rigShadowScene(int light);
// Flash colour after a frame of frameFactor 60 Hz frames: it decays but never below its floor.
void decayFlash(float flash[4], float frameFactor);
// Part B's fade value for its second light set at the given 60 Hz frames into the part.
float partBFadeValue(float frames);
// Back to the state before the first frame (tests).
void resetLightRig();
// Adds this module's state to the show's list of state blocks (resetShow, snapshots).
void addLightRigState();
