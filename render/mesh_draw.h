// The mesh draw routines: one common frame (bones, vertex streams, program, material textures,
// light arrays, variant uniforms, draw) and its variants, the bone matrices of skinned meshes and
// the per-frame shading values the draws send.
//
// The caller sets the modelview (object to world; the camera view lives in the projection), the
// projection, the current colour, the target framebuffer and depth/cull/blend state. Every draw
// leaves no program in use, vertex-attribute arrays 0-6 disabled, vertex array 0 bound and texture
// unit 0 active.
#pragma once
#include "assets/mesh.h"
#include "assets/shader.h"
#include "platform/gl.h"

constexpr int MAX_AREA_PANELS = 16;     // room for area-light panels
constexpr int AREA_PANELS_SENT = 8;     // entries of widths, heights, pnormals and right the draws send
constexpr int MAX_RECEIVER_PROGRAMS = 8;   // spot/area-light receiver programs drawMeshLit knows

enum EnvironmentMode { ENVIRONMENT_NONE = 0, ENVIRONMENT_CUBE = 1, ENVIRONMENT_LIGHT_MAP = 2 };

// Read by every lit draw. The parts set the environment mode and the flash, the loading sequence the
// environment cube map; the others keep their start values.
struct MeshShading {
    float shininess;            // the show never changes it
    int environmentMode;        // consumed (reset to ENVIRONMENT_NONE) by the next drawMeshLit
    bool glenz;                 // next drawMeshLit in mode NONE reads shmap3 as glenzMap; the show never sets it
    int method;                 // the show never changes it
    float fogzfactor;           // fog density per world unit of camera distance; the show never changes it (0)
    float flash[4];             // additive tint
    int usemvp;                 // spot depth program: position from depthMVP (1) or the GL matrices; the show never changes it
    int renderingmirror;        // the show never changes it (0)
    float clipeq[4];            // the show never changes it (0)
    GLuint environmentCubeMap;  // cube-map texture of the room, made at load
};
// Owned by the mesh renderers; the part frames write the flash every frame and the loading sequence
// the environment cube map once.
extern MeshShading meshShading;

struct AreaLightPanels {
    float widths[MAX_AREA_PANELS];
    float heights[MAX_AREA_PANELS];
    float pnormals[MAX_AREA_PANELS][3];
    float right[MAX_AREA_PANELS][3];
};
extern AreaLightPanels areaPanels;   // sent by the lit draws; the show never changes it (no area lights)

// Key component order: which stored component feeds x, y and z [0, 1, 2]. Euler order: the axis
// (0 = X, 1 = Y, 2 = Z) of each factor of R = R[o0] R[o1] R[o2] [1, 2, 0].
extern int boneKeyOrder[3];
extern int boneEulerOrder[3];

// Receivers of the spot-light shadows (mshmappass2spot and the like): drawMeshLit moves the
// specular map to unit 2 for them and sends lightsOn. Registered once at load.
void addSpotReceiverProgram(ShaderProgram program);
// Empties the list: its programs went with a lost context, loading registers the new ones.
void forgetSpotReceiverPrograms();
bool isSpotReceiverProgram(ShaderProgram program);

// Fills the mesh's bone stages for animation slot frame: boneRot (rotation), boneRestStage
// ("boneRPos", translation by the position delta) and bonePosStage ("bonePos", translation by the
// rest position), all row by row with translations in elements 3, 7 and 11. Frames past the last
// slot use the last slot.
void computeBoneMatrices(MeshObject &mesh, int frame);

// Static streams go to the mesh's buffers on its first draw only. Meshes whose positions change
// (morphing meshes, which have positions2) re-send positions and normals on every draw; a caller
// that rewrites other streams of a mesh marks it here.
void markMeshStreamsDirty(const MeshObject &mesh);

// frame <= 0 draws the bind pose. Texture units: 0 colorMap, 1 normalMap, 2 lightMap (or CubeMap in
// environment mode CUBE, or glenzMap; specularMap for receivers), 3 shadowMap = shmap1. Receivers
// also get the light map on unit 4 and the environment cube on unit 5 (CubeMap).
void drawMeshLit(MeshObject &mesh, int frame, ShaderProgram program);
// Spot depth pass: usemvp, mirror and clip planes, light arrays, depthBiasMVP = depthMVP. Unanimated.
void drawMeshSpotShadow(MeshObject &mesh, ShaderProgram program);
// Depth-as-colour pass: skinning, depthMVP, lightsEnabled, lightsinvRadius and lightMapSelect. No
// glColor.
void drawMeshDepth(MeshObject &mesh, int frame, ShaderProgram program);
