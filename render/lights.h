// The light table (14 lights bound one-to-one to GL_LIGHT0 + i), the shader light arrays built from
// it, the per-part light setters and the colour snapshot and cross-fade used at part changes.
#pragma once
#include <stdint.h>

constexpr int MAX_LIGHTS = 14;       // fixed-function lights the table mirrors; shader arrays are this long
constexpr int LIGHT_ARRAY_COUNT = 15;   // uniform arrays every lit draw sends
constexpr int LIGHT_BANK_COUNT = 4;  // position, ambient, diffuse, specular: the 4-float records

// Written by the setters (and by the cross-fade); persists across frames and parts.
struct LightTable {
    uint8_t enabled[MAX_LIGHTS];
    float position[MAX_LIGHTS][4];   // world space; the shaders use x, y, z
    float spotDirection[MAX_LIGHTS][3];
    float ambient[MAX_LIGHTS][4];    // r, g, b, a; the shaders use r, g, b
    float diffuse[MAX_LIGHTS][4];
    float specular[MAX_LIGHTS][4];
    float invRadius[MAX_LIGHTS];     // 1 / reach in world units, sent as lightsinvRadius
    float mapSelect[MAX_LIGHTS];     // how much the light map shades the light, sent as lightMapSelect
};

// Rebuilt by buildLightArrays: entries of disabled lights keep their previous values and are masked by
// enabled (0.0 or 1.0).
struct ShaderLightArrays {
    float enabled[MAX_LIGHTS];
    float posx[MAX_LIGHTS], posy[MAX_LIGHTS], posz[MAX_LIGHTS];
    float ambientr[MAX_LIGHTS], ambientg[MAX_LIGHTS], ambientb[MAX_LIGHTS];
    float diffuser[MAX_LIGHTS], diffuseg[MAX_LIGHTS], diffuseb[MAX_LIGHTS];
    float specularr[MAX_LIGHTS], specularg[MAX_LIGHTS], specularb[MAX_LIGHTS];
};

// One uniform array of the lit draws: its GLSL name and its MAX_LIGHTS floats.
struct LightArrayUniform {
    const char *name;
    const float *values;
};

extern LightTable lightTable;
extern ShaderLightArrays lightArrays;
// The 15 arrays in upload order: lightsEnabled, positions, ambient, diffuse, specular,
// lightsinvRadius, lightMapSelect.
extern const LightArrayUniform LIGHT_ARRAY_UNIFORMS[LIGHT_ARRAY_COUNT];

// Position of light 2 in the shared room setter; written only by the part frames (the kick lift).
extern float movingLightPosition[3];

// Frame logic, no GL: rebuilds lightArrays from the table (entries of disabled lights keep their
// values). The setters and the cross-fade end with it.
void buildLightArrays();
// Drawing: pushes the table to fixed-function GL (GL_LIGHT0 + i); changes no state of its own.
void uploadFixedFunctionLights();
// Both of the above.
void applyLights();

// The room lights shared by the three parts: grey ambient on all, blue key lights 0-2 (light 2 at
// movingLightPosition), two low lights 3 and 4 at height 2.6 - height, the rest off. Rebuilds the arrays.
void setRoomLights(float height);
// Part A: the room lights as they are.
void setPartALights(float height);
// Part B: the room lights, then the second set: warm fill lights 5-7 whose strength follows
// fadeValue (1.5 + 1 - 2 x fade, so 0.5 .. 2.5). Rebuilds the arrays.
void setPartBLights(float height, float fadeValue);
// Part C: the room lights recoloured to a warm amber key with violet fill. Rebuilds the arrays.
void setPartCLights(float height);

// Copies the four 4-float banks (position, ambient, diffuse, specular) of all lights into the
// snapshot the cross-fade starts from.
void snapshotLightColours();
// Starts a cross-fade at startTime (ms, the demo time of a part change); the dispatcher asks for one
// at every advance.
void requestLightCrossFade(int startTime);
// True from a request until its cross-fade has finished.
bool lightCrossFadePending();
// Cross-fade after a part change: while one is pending, blends from the snapshot to the colours
// the part's setter has just written over 150 frames of elapsed time since its start, then takes
// a new snapshot and ends it. Rebuilds the arrays in both cases (no GL); does nothing otherwise.
void crossFadeLightColours();
// The blend factor the cross-fade uses at elapsed time nowMs: 0 at its start, 1 after 150 frames.
float lightBlendFactor(int nowMs);
// A new show: the light table, the shader arrays and the cross-fade's snapshot empty, the moving light
// at its start, no cross-fade pending (a second show in one process must not start from the first
// one's lights).
void resetLights();
// Adds this module's state to the show's list of state blocks (resetShow, snapshots).
void addLightsState();
