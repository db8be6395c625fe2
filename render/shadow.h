// Shadow maps: the directional and spot-light matrices, the depth-pass drivers, the four-light
// atlas in shmap1, the shadow programs, and the clip-plane state the mesh draws send.
#pragma once
#include "assets/mesh.h"
#include "assets/shader.h"

constexpr int SPOT_LIGHT_COUNT = 4;   // maps in the atlas; shaders declare Lights[4] etc.

// The depth the depth passes write into the RGB colour of a target, 24 bits: the light's (or the
// camera's) eye-space distance along its view axis divided by a range, value v in [0, 1) stored as
// the integer n = floor(v * 16777215 + 0.5) in r = n / 65536, g = (n / 256) mod 256, b = n mod 256
// (each / 255). A cleared white target reads as the far end.
constexpr float SPOT_DEPTH_RANGE = 100.0f;   // world units behind the spot depth values

struct ShadowState {
    // Directional light, set by the parts when they start.
    float lightPosition[3];   // L
    float boxScale;           // s: the light box spans +-150 s
    float depthScale;         // k: the light box depth spans +-600 k
    float bias;               // receiver depth offset per unit of light distance (x 0.4 in the spot receivers)
    float anglebias;          // extra offset per unit of distance and of tan(incidence angle)
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
    int renderingclipper;
    float clipeq1[4];
    float clipeq2[4];
};
extern ShadowState shadowState;

// Programs built by initShadowTargets (once, at load).
struct ShadowPrograms {
    ShaderProgram copyPass;           // passthroughvertexshader.vert + passthroughfragmentshader.frag
    ShaderProgram dofBlur;            // passthroughvertexshader.vert + dofblur.frag
    ShaderProgram directionalDepth;   // tutorial2.vert + dofblur1.frag: depth from the directional light
    ShaderProgram spotDepth;          // shmappass1spot.vert + shmappass1spot.frag
};
extern ShadowPrograms shadowPrograms;

void buildShadowPrograms();

// depthMVP = ortho light box x look-at from L to the origin x model; Light and directionalBiasMVP
// follow.
void computeDirectionalMatrices(const float model[16]);
// computeDirectionalMatrices with the current modelview, then the depth-pass variant.
void drawDirectionalDepth(MeshObject &mesh, int frame, ShaderProgram program);
// Loads the current spot light's projection and view into GL_PROJECTION (near 0.1, far 100; left
// there, modelview selected), sends depthMVP and draws with the spot-shadow receiver variant.
void drawSpotDepth(MeshObject &mesh, ShaderProgram program);
// Computes Lights, LightsPos and depthBiasMVP of the four spot lights (both matrix stacks are
// restored), sets up the camera and draws the mesh with drawMeshLit, unanimated.
void computeSpotMatrices();
void drawSpotReceivers(MeshObject &mesh, ShaderProgram program);
// Binds shmap2 cleared to white (the far end) with depth writes, depth test and front-face culling
// on and the 1024 x 1024 viewport, and makes light the current spot light: the start of every spot
// depth pass.
void beginSpotDepthPass(int light);
// Copies the spot light's eye and target into the current pair.
void selectSpotLight(int light);
// Copies shmap2's colour into atlas row block light of shmap1, or into shmap3.
void copyShadowToAtlas(int light);
void copyShadowToGlenz();
