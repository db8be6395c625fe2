// Owns the light table, the shader light arrays and the colour snapshot of the cross-fade. The
// table persists across frames and parts; each part's setter overwrites it every frame.
#include "render/lights.h"

#include <string.h>

#include "core/clock.h"   // elapsedMs, FRAME_MS
#include "platform/gl.h"
#include "core/state_blocks.h"   // the show's list of state blocks

LightTable lightTable;
ShaderLightArrays lightArrays;
static const float MOVING_LIGHT_START[3] = {-10.0f, -6.0f, -13.0f};
float movingLightPosition[3] = {MOVING_LIGHT_START[0], MOVING_LIGHT_START[1], MOVING_LIGHT_START[2]};

const LightArrayUniform LIGHT_ARRAY_UNIFORMS[LIGHT_ARRAY_COUNT] = {
    {"lightsEnabled", lightArrays.enabled},
    {"lightsPosx", lightArrays.posx},
    {"lightsPosy", lightArrays.posy},
    {"lightsPosz", lightArrays.posz},
    {"lightsAmbientr", lightArrays.ambientr},
    {"lightsAmbientg", lightArrays.ambientg},
    {"lightsAmbientb", lightArrays.ambientb},
    {"lightsDiffuser", lightArrays.diffuser},
    {"lightsDiffuseg", lightArrays.diffuseg},
    {"lightsDiffuseb", lightArrays.diffuseb},
    {"lightsSpecularr", lightArrays.specularr},
    {"lightsSpecularg", lightArrays.specularg},
    {"lightsSpecularb", lightArrays.specularb},
    {"lightsinvRadius", lightTable.invRadius},
    {"lightMapSelect", lightTable.mapSelect},
};

static constexpr float BLEND_RATE = 0.006666667f;     // 1 / 150 frames

// The cross-fade's starting point: the four 4-float banks of every light.
static float lightSnapshot[LIGHT_BANK_COUNT][MAX_LIGHTS][4];
// The cross-fade asked for by the latest part change; ends when the blend reaches the new colours.
static struct {
    bool pending;
    int startTime;   // ms of demo time
} crossFade;

static float (*lightBank(int bank))[4] {
    switch (bank) {
    case 0: return lightTable.position;
    case 1: return lightTable.ambient;
    case 2: return lightTable.diffuse;
    default: return lightTable.specular;
    }
}

// GL guarantees 8 fixed-function lights (and this one has no more); lights beyond its limit
// exist only in the shader arrays.
static int fixedFunctionLights() {
    static GLint count = -1;
    if (count < 0) glGetIntegerv(GL_MAX_LIGHTS, &count);
    return count;
}

void uploadFixedFunctionLights() {
    const int fixedLights = fixedFunctionLights();
    for (int i = 0; i < MAX_LIGHTS && i < fixedLights; i++) {
        const GLenum light = GL_LIGHT0 + i;
        glDisable(light);
        if (!lightTable.enabled[i]) continue;
        glEnable(light);
        glLightfv(light, GL_POSITION, lightTable.position[i]);
        glLightfv(light, GL_SPOT_DIRECTION, lightTable.spotDirection[i]);
        glLightfv(light, GL_AMBIENT, lightTable.ambient[i]);
        glLightfv(light, GL_DIFFUSE, lightTable.diffuse[i]);
        glLightfv(light, GL_SPECULAR, lightTable.specular[i]);
        glLightf(light, GL_CONSTANT_ATTENUATION, 1.0f);
        glLightf(light, GL_LINEAR_ATTENUATION, 0.1f);
        glLightf(light, GL_QUADRATIC_ATTENUATION, 0.0f);
        glLightf(light, GL_SPOT_EXPONENT, 0.0f);
        glLightf(light, GL_SPOT_CUTOFF, 180.0f);
    }
}

void buildLightArrays() {
    for (int i = 0; i < MAX_LIGHTS; i++) lightArrays.enabled[i] = (float)lightTable.enabled[i];
    for (int i = 0; i < MAX_LIGHTS; i++) {
        if (!lightTable.enabled[i]) continue;
        lightArrays.posx[i] = lightTable.position[i][0];
        lightArrays.posy[i] = lightTable.position[i][1];
        lightArrays.posz[i] = lightTable.position[i][2];
        lightArrays.ambientr[i] = lightTable.ambient[i][0];
        lightArrays.ambientg[i] = lightTable.ambient[i][1];
        lightArrays.ambientb[i] = lightTable.ambient[i][2];
        lightArrays.diffuser[i] = lightTable.diffuse[i][0];
        lightArrays.diffuseg[i] = lightTable.diffuse[i][1];
        lightArrays.diffuseb[i] = lightTable.diffuse[i][2];
        lightArrays.specularr[i] = lightTable.specular[i][0];
        lightArrays.specularg[i] = lightTable.specular[i][1];
        lightArrays.specularb[i] = lightTable.specular[i][2];
    }
}

void applyLights() {
    uploadFixedFunctionLights();
    buildLightArrays();
}

static void set4(float out[4], float x, float y, float z, float w) {
    out[0] = x;
    out[1] = y;
    out[2] = z;
    out[3] = w;
}

// The shared room lights without applying them.
static void fillRoomLights(float height) {
    for (int i = 0; i < MAX_LIGHTS; i++) {
        lightTable.mapSelect[i] = 0.5f;
        set4(lightTable.ambient[i], 0.35f, 0.35f, 0.35f, 1.0f);
        lightTable.invRadius[i] = 0.05f;
        set4(lightTable.diffuse[i], 0.0f, 0.0f, 0.0f, 1.0f);
        set4(lightTable.specular[i], 0.0f, 0.0f, 0.0f, 1.0f);
        lightTable.enabled[i] = 1;
    }
    set4(lightTable.diffuse[0], 0.0980392f, 0.1960784f, 1.1f, 1.0f);
    set4(lightTable.diffuse[2], 0.0980392f, 0.1960784f, 1.1f, 1.0f);
    set4(lightTable.diffuse[1], 0.0980392f, 0.1960784f, 0.927451f, 1.0f);
    for (int i = 0; i <= 2; i++) set4(lightTable.specular[i], 0.0245098f, 0.2450980f, 1.0f, 1.0f);
    set4(lightTable.position[0], -5.5f, 0.0f, 2.5f, 1.2f);
    set4(lightTable.position[1], 5.5f, 0.0f, 2.5f, 1.2f);
    set4(lightTable.position[2], movingLightPosition[0], movingLightPosition[1], movingLightPosition[2], 1.2f);
    for (int i = 3; i <= 4; i++) {
        set4(lightTable.position[i], 0.0f, 2.6f - height, 0.0f, 6.5f);
        set4(lightTable.diffuse[i], 0.7549020f, 1.6813725f, -1.4f, 1.0f);
        set4(lightTable.specular[i], 0.7549020f, 1.6813725f, -1.4f, 1.0f);
        lightTable.invRadius[i] = 0.1428571f;
    }
    for (int i = 5; i < MAX_LIGHTS; i++) lightTable.enabled[i] = 0;
}

void setRoomLights(float height) {
    fillRoomLights(height);
    buildLightArrays();
}

void setPartALights(float height) {
    setRoomLights(height);
}

void setPartBLights(float height, float fadeValue) {
    fillRoomLights(height);
    // Three warm fill lights high in the corners; fadeValue swings them between dim and hot.
    static const float FILL_POSITIONS[3][3] = {{-8.0f, 7.0f, 6.0f}, {8.0f, 7.0f, 6.0f}, {0.0f, 7.0f, -9.0f}};
    for (int k = 0; k < 3; k++) {
        const int i = 5 + k;
        lightTable.enabled[i] = 1;
        set4(lightTable.position[i], FILL_POSITIONS[k][0], FILL_POSITIONS[k][1], FILL_POSITIONS[k][2], 1.0f);
        set4(lightTable.diffuse[i], 0.42f * fadeValue, 0.22f * fadeValue, 0.08f * fadeValue, 1.0f);
        set4(lightTable.specular[i], 0.3f * fadeValue, 0.2f * fadeValue, 0.1f * fadeValue, 1.0f);
        lightTable.invRadius[i] = 0.06f;
    }
    buildLightArrays();
}

void setPartCLights(float height) {
    fillRoomLights(height);
    set4(lightTable.diffuse[0], 1.1f, 0.52f, 0.14f, 1.0f);
    set4(lightTable.diffuse[2], 1.1f, 0.52f, 0.14f, 1.0f);
    set4(lightTable.diffuse[1], 0.93f, 0.38f, 0.22f, 1.0f);
    for (int i = 0; i <= 2; i++) set4(lightTable.specular[i], 1.0f, 0.62f, 0.3f, 1.0f);
    for (int i = 3; i <= 4; i++) {
        set4(lightTable.diffuse[i], 0.62f, 0.24f, 1.25f, 1.0f);
        set4(lightTable.specular[i], 0.5f, 0.3f, 1.0f, 1.0f);
    }
    buildLightArrays();
}

void snapshotLightColours() {
    for (int bank = 0; bank < LIGHT_BANK_COUNT; bank++)
        memcpy(lightSnapshot[bank], lightBank(bank), sizeof lightSnapshot[bank]);
}

void requestLightCrossFade(int startTime) {
    crossFade.pending = true;
    crossFade.startTime = startTime;
}

bool lightCrossFadePending() {
    return crossFade.pending;
}

void resetLights() {
    crossFade = {};
    memset(lightSnapshot, 0, sizeof lightSnapshot);
    lightTable = {};
    lightArrays = {};
    memcpy(movingLightPosition, MOVING_LIGHT_START, sizeof movingLightPosition);
}

float lightBlendFactor(int nowMs) {
    float f = (float)(nowMs - crossFade.startTime) / FRAME_MS * BLEND_RATE;
    // The start is taken from the demo clock, which the sync track can put ahead of elapsed
    // time; the blend never runs backwards past the snapshot.
    if (f < 0.0f) f = 0.0f;
    return f < 1.0f ? f : 1.0f;
}

void crossFadeLightColours() {
    if (!crossFade.pending) return;
    const float f = lightBlendFactor(elapsedMs());
    for (int bank = 0; bank < LIGHT_BANK_COUNT; bank++) {
        float(*current)[4] = lightBank(bank);
        for (int i = 0; i < MAX_LIGHTS; i++)
            for (int c = 0; c < 4; c++) current[i][c] = lightSnapshot[bank][i][c] * (1.0f - f) + current[i][c] * f;
    }
    if (f >= 1.0f) {
        snapshotLightColours();
        crossFade.pending = false;
    }
    buildLightArrays();
}

void addLightsState() {
    addStateBlock("lights: lightTable", &lightTable, sizeof lightTable, resetLights);
    addStateBlock("lights: lightArrays", &lightArrays, sizeof lightArrays, nullptr);
    addStateBlock("lights: lightSnapshot", lightSnapshot, sizeof lightSnapshot, nullptr);
    addStateBlock("lights: crossFade", &crossFade, sizeof crossFade, nullptr);
    addStateBlock("lights: movingLightPosition", movingLightPosition, sizeof movingLightPosition, nullptr);
}
