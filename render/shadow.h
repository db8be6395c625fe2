// Shadow maps: the directional and spot-light matrices, the depth-pass drivers, the four-light
// atlas in shmap1 and the shadow programs.
#pragma once
#include "assets/mesh.h"
#include "assets/shader.h"
#include "render/shadow_state.h"


// Programs built by buildShadowPrograms (once, at load, after the shadow targets).
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
