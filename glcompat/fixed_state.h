// The fixed-function state a compatibility context keeps and ES has not: the current colour,
// normal and texture coordinate, the enables ES does not know (lighting, lights, 2D texturing per
// unit, ...), lights and materials, the texture environment, the attribute stack; and the upload of
// the built-in uniforms (matrices, lights) to the translated programs before a draw. Owns that
// state and the per-program table of built-in uniform locations; no GL objects of its own. Reset by
// resetFixedState (the layer's install).
#pragma once
#include "platform/gl.h"

constexpr int FIXED_LIGHTS = 8;           // GL_MAX_LIGHTS of the compatibility profile
constexpr int FIXED_TEXTURE_UNITS = 8;    // units whose GL_TEXTURE_2D enable is kept
constexpr int ATTRIB_STACK_DEPTH = 16;    // the compatibility profile's minimum
constexpr int MAX_TRACKED_PROGRAMS = 4096;   // program names with cached locations; later ones look up per draw

struct FixedLight {
    float ambient[4], diffuse[4], specular[4];
    float position[4];        // eye space, transformed by the modelview when set
    float spotDirection[3];   // eye space
    float spotExponent, spotCutoff, constantAttenuation, linearAttenuation, quadraticAttenuation;
};

struct FixedState {
    float colour[4], normal[3], texCoord[4];
    bool lighting, lightOn[FIXED_LIGHTS], texture2D[FIXED_TEXTURE_UNITS], textureCube, alphaTest, fog,
        normalize, colourMaterial, multisample;
    FixedLight lights[FIXED_LIGHTS];
    float materialAmbient[4], materialDiffuse[4], materialSpecular[4], materialEmission[4], shininess;
    GLenum shadeModel, textureEnvMode;
    GLuint program;   // the program in use, 0 for fixed function
    unsigned lightSerial;   // counts changes of the lights
};
extern FixedState fixedState;

void resetFixedState();
// True when cap is one of the enables the layer keeps (it then records value); false for the
// context's own.
bool setLegacyCap(GLenum cap, bool value);
bool legacyCapEnabled(GLenum cap, bool *value);
void setLight(GLenum light, GLenum name, const float *values);
void setMaterial(GLenum face, GLenum name, const float *values);
bool pushAttributes();
bool popAttributes();

// Remembers the program in use.
void setProgramInUse(GLuint program);
// The built-in uniforms of the current program brought up to date (cheap when nothing changed).
void uploadBuiltinUniforms();
// Forgets what was uploaded to program (it was linked again).
void programLinked(GLuint program);
