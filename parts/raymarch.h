// The raymarched centre-piece pass: one full-screen program that draws the centre-piece of the
// current scene (0, 2 or 4) into the rasterised room, or into a light's shadow target. Owns the
// pass settings, the choreography (twist, noise, appear/disappear, displacement correction) and the
// uniform upload.
#pragma once
#include <stdint.h>

#include "assets/shader.h"

// What the calling part hands over for one pass.
struct RaymarchInputs {
    bool toShadowMap;          // shadow-atlas pass: 1024 x 1024 quad, no clear, depth written as colour
    float spotConeAngle;       // degrees; the ray field of view when toShadowMap is set
    uint32_t depthTexture;     // room depth written as colour (fb1), or shmap3 in shadow mode
    uint32_t colorTexture;     // resolved room colour (fb5), or shmap3 in shadow mode
    uint32_t environmentCube;  // environment cube map rendered this frame
    uint32_t paletteTexture;   // bouncingpalette.tga
    // Framebuffer holding colorTexture (fb5) on screen: the room is copied from it wherever the
    // piece cannot be, and only the piece's projection is marched. 0 marches every pixel.
    uint32_t colorFramebuffer;
};

// The values of one pass, named like the uniforms they become (upload order). Matrices are
// column-major as GL reads them.
struct RaymarchUniforms {
    float iTime;
    float iTimetwist;
    int refractmode;
    int rendertoshadowmap;
    float rfactor;
    float scale;
    float normaleps;
    int steps;
    float precision;
    float noisefade;
    float twistfader;
    float twistoutrofader;
    float exitangle;
    float fov;                 // focal length 1 / tan(half the field of view)
    float depthmult;
    float depthmax;
    int showdepthmap;
    float t1[3];
    float t2[3];
    float t3[3];
    float Rotation[16];
    int sceneselect;
    float bnzdisplacey;
    // ddc arrays come straight from curveObject.
    float ddcscroll;
    float Rotation2[16];
    float mat3cam[9];
    float mat4cam[16];
    float rayorigin[3];
    float raydirection[3];     // the look-at point, not a direction
    float upvector[3];
    // Samplers: units 0 to 3, bound from RaymarchInputs.
    float masterscale;
};

// The program built from Passthroughvertexshader.vert and raymarch1.frag by the loading sequence.
void setRaymarchProgram(ShaderProgram program);
// Keeps the upper-left 3 x 3 of the current projection matrix as mat3cam. The final pass calls it
// just before its camera set-up, every frame.
void captureRaymarchBaseProjection();
// Twist state back to the part start (part A on its first call): flags and counter cleared, start
// times at partstarttime.
void resetRaymarchTwist();
// All choreography state as at start-up: masterscale 1, no transition run, displacement correction
// 0.35, twist reset (tests, offline renders).
void resetRaymarchChoreography();

// The pass: reads the choreography state, binds the program, uploads every
// uniform (mat4cam is the projection matrix current at the call) and binds the textures to units
// 0-3. Outside shadow mode it binds the default framebuffer and clears colour (to red), depth and
// stencil first; with a colorFramebuffer it then copies the room there and marches only the
// piece's projection (scissor test off again afterwards). In shadow mode only the piece's
// projection is marched: the rest of the target must already hold the map the pass reads. The caller sets the viewport (1920 x 1080, or 1024 x 1024 for a shadow target).
// Leaves behind: no program, texture unit 0 active, depth test, culling and blending enabled,
// modelview matrix mode, and (outside shadow mode) the red clear colour.
void raymarchPass(int scene, const RaymarchInputs *inputs);

// --- choreography, without GL ----------------------------------------------------------------

// Frame logic, once per frame in which the part runs, for the scene it shows on screen:
// appear/disappear (the 'I' key), the scene-0 twist and noise, and for scene 2 the displacement
// correction (the 'O' and 'I' keys) and the piece's extent through cameraProjection (the camera's
// view-projection, cameraViewProjection). The frame's shadow passes keep the extent and correction
// of the frame before, as they draw before the on-screen pass.
void stepRaymarchChoreography(int scene, const float cameraProjection[16]);
// One pass's uniform values from the clock, the camera and the choreography state as the frame's
// step left it; changes nothing. projection is the current projection matrix.
void prepareRaymarchUniforms(int scene, const RaymarchInputs *inputs, const float projection[16],
                             RaymarchUniforms *out);

// A part-timer value past its limit: thousandths modulo limit x 1000 (limit 360: degrees).
float wrapPartTimer(float value, float limit);
// Show time reflected into 0..10000: above 10000, thousandths modulo 1e7, mirrored on odd periods.
float reflectShowTime(float value);
// masterscale while transition number `transition` (0 = first) is at phase p in [0, 2) for the
// centre-piece of the given scene.
float appearScale(float p, int transition, int scene);
// Entry of the bounce path for a scene-2 part time (60 Hz frames): 20 entries per frame, held at
// the last entry after one minute.
int bouncePathIndex(float frames);
// Rotations about X, Y and Z by the given degrees, in that order, as the matrix stack composes them.
void rotationMatrix(const float degrees[3], float matrix[16]);
// Adds this module's state to the show's list of state blocks (resetShow, snapshots).
void addRaymarchChoreographyState();
