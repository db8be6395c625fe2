// Meshes: unindexed triangle lists with per-corner normals, texture coordinates and tangents, bone
// data for skinned meshes, and the 3DM text format most of them come from.
#pragma once
#include <stdint.h>

#include "assets/shader.h"

constexpr int MAX_BONES = 64;          // bone matrices per mesh shared with the shaders
constexpr int MESH_BUFFER_COUNT = 9;   // GL buffers per mesh, one per vertex stream
constexpr int MESH_LINE_BYTES = 1024;  // longest 3DM line

// One heap record per mesh, never freed. F is faceCount; corners are 3F.
struct MeshObject {
    int textureSet;            // index into textureSets
    int *animated;             // 0 static, 1 skinned; the renderers pass its address as "hasAnim"
    int hasDisplayList;
    uint32_t displayList;      // positions-only display list
    int faceCount;
    int boneCount;
    int frameCount;            // animation frames as recorded; slot frameCount - 1 holds zeros
    float *positions;          // 9F
    float *positions2;         // 9F, second position set of morphing meshes; null until needed
    int32_t *sourceIndex;      // 3F, source position index per corner (COLLADA meshes)
    float *normals;            // 9F
    float *texCoords;          // 6F
    float *tangents;           // 9F, unit length
    float *handedness;         // 3F, +1 or -1
    uint32_t vertexArray;
    uint32_t buffers[MESH_BUFFER_COUNT];
    float *boneIndices;        // 12F, 0-based bone numbers as floats
    float *boneWeights;        // 12F
    uint8_t *boneAnimated;     // boneCount
    float *rotationDelta;      // 3 x boneCount x frameCount: Euler degrees minus the rest angles
    float *restPosition;       // 3 x boneCount x frameCount
    float *positionDelta;      // 3 x boneCount x frameCount
    float bonePosStage[MAX_BONES][16];   // per-draw staging of "bonePos"
    float boneRestStage[MAX_BONES][16];  // "boneRPos"
    float boneRotStage[MAX_BONES][16];   // "boneRot"
    float boneSclStage[MAX_BONES][16];   // "boneScl", left as allocated
};

// 3DM or COLLADA by the name's extension.
MeshObject *loadMesh(const char *name);
MeshObject *load3dm(const char *name);
void scaleMesh(MeshObject *mesh, float factor);
void scaleMeshFrames(MeshObject *mesh, int firstSlot, int endSlot, float factor);
void generateTangents(MeshObject *mesh);
void buildPositionDisplayList(MeshObject *mesh, ShaderProgram program);
