// Meshes: unindexed triangle lists with per-corner normals, texture coordinates and tangents, and
// bone data for skinned meshes.
#pragma once
#include <stdint.h>

#include "assets/shader.h"

constexpr int MAX_BONES = 64;          // bone matrices per mesh shared with the shaders
constexpr int MESH_BUFFER_COUNT = 9;   // GL buffers per mesh, one per vertex stream
constexpr int MESH_LINE_BYTES = 1024;  // longest 3DM line, terminator included
// Faces a loader accepts in one mesh: 144 bytes per face static, 240 skinned, so at most about
// 240 MB of arrays. Files also have to hold the lines their counts announce.
constexpr int MAX_MESH_FACES = 1000000;

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
    char name[MESH_LINE_BYTES];          // object name as read; its prefix names the texture set
};

// Positions, and for a skinned mesh rest positions and position deltas of slots 0..frameCount-2.
void scaleMesh(MeshObject *mesh, float factor);
// Rest positions and position deltas of slots firstSlot..endSlot-1 (clamped to the slots there are).
void scaleMeshFrames(MeshObject *mesh, int firstSlot, int endSlot, float factor);
// Per-corner tangents and handedness from positions, normals and texture coordinates.
void generateTangents(MeshObject *mesh);
// Records the positions as one GL_TRIANGLES display list. Leaves the program current (when it is a
// program) and the current matrix set to identity.
void buildPositionDisplayList(MeshObject *mesh, ShaderProgram program);

// The GL half of every loader: the texture set named by the object name, one vertex-array object
// (left bound) and nine buffer names.
void attachMeshGl(MeshObject *mesh);
// A zeroed record with its animated flag allocated (value 0).
MeshObject *newMeshObject();
// Frees the record and its arrays (tests and fuzz targets; the show never frees a mesh).
void freeMeshObject(MeshObject *mesh);
